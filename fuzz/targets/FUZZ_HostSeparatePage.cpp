// The reading path of the program: the input as a file, opened by the
// viewer stand-in (qpdf into its Cos store), wrapped by the host back-ends
// and its first page separated as the plug-in does it: an output host
// document at a path in the temporary folder, external-file streams,
// compression mode 1; saved, closed, opened again by the host with flag 8
// and closed, which deletes it. Beyond crashes: the temporary folder holds
// only the input afterwards (removed then, so that the folder can go at
// exit), and the host holds no document, page, file, stream or path name.
#include "FUZZ_SepJob.h"
#include "FUZZ_TargetList.h"
#include "FUZZ_Targets.h"
#include "hostpdf/COSF_PDFL_Library.h"
#include "hostpdf/CPDF_PDFL_Impl.h"
#include "hostpdf/PDFL_BufferedFileSys.h"
#include "hostpdf/PDFL_PDCalls.h"
#include "hostpdf/PDFL_RetryingFileSys.h"
#include "separation/CSEP_SepJobContext.h"
#include "support/PlugInSeparation.h"
#include "support/StandInBinding.h"
#include "viewer/VIEW_Cos.h"
#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_Files.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/VIEW_Recorder.h"
#include "viewer/VIEW_Streams.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const InputName = "input.pdf";
const char* const OutputName = "separated.pdf";
// The host's flag that deletes a document's file when it closes.
constexpr int32_t DeleteOnClose = 8;

// The stand-in back to its start, bound as the plug-in's set-up binds it.
void FreshHost() {
    VIEW_Host::Reset();
    BindStandInTables();
    iPDFL_ForgetBufferedFileSys();
    iPDFL_ForgetRetryingFileSys();
    COSF_PDFL_Library::Initialize();
}

// Removes the file at path however the run ends.
class RemovedAtEnd {
public:
    explicit RemovedAtEnd(std::string path) : m_path(std::move(path)) {}
    ~RemovedAtEnd() { std::remove(m_path.c_str()); }
    RemovedAtEnd(const RemovedAtEnd&) = delete;
    RemovedAtEnd& operator=(const RemovedAtEnd&) = delete;

private:
    std::string m_path;
};

// Closes doc however work ends.
template <class Work>
void WithHostDoc(PDFL_PDDoc doc, Work&& work) {
    try {
        work();
    } catch (...) {
        PDFL_PDDocClose(doc);
        throw;
    }
    PDFL_PDDocClose(doc);
}

void SeparateFirstPage(PDFL_PDDoc sourceDoc, const std::string& outPath) {
    const CPDF_Doc source = CPDF_PDFL_DocFromPDDoc(sourceDoc);
    if (source.NumPages() < 1)
        return;
    const CPDF_Page page = source.Page(0);
    // The job's files back the output's external streams: it outlives the
    // reopened document.
    CSEP_SepJobContext job;
    std::vector<GLOB_Object> pages;
    CPDF_Doc out = SeparateAsThePlugIn(page, outPath, job, pages);
    try {
        if (out.NumPages() != static_cast<int>(job.NumColorants()) || pages.size() != job.NumColorants())
            throw FUZZ_Finding("The output has " + std::to_string(out.NumPages()) + " pages for " +
                               std::to_string(job.NumColorants()) + " inks");
        out.Save();
    } catch (...) {
        out.Close();
        std::remove(outPath.c_str());
        throw;
    }
    out.Close();
    const PDFL_PDDoc reopened = OpenHostDoc(outPath);
    PDFL_PDDocSetFlags(reopened, PDFL_PDDocGetFlags(reopened) | DeleteOnClose);
    WithHostDoc(reopened, [&] {
        if (PDFL_PDDocGetNumPages(reopened) != static_cast<int32_t>(job.NumColorants()))
            throw FUZZ_Finding("The reopened output lost pages");
    });
}

void ExpectNothingHeld() {
    const struct {
        const char* what;
        size_t count;
    } held[] = {
        {"PD documents", VIEW_PD::OpenDocCount()},   {"pages", VIEW_PD::AcquiredPageCount()},
        {"Cos documents", VIEW_Cos::OpenDocCount()}, {"files", VIEW_Files::OpenCount()},
        {"base files", VIEW_FileSys::OpenCount()},   {"streams", VIEW_Streams::OpenCount()},
        {"path names", VIEW_Paths::LiveCount()},
    };
    std::string left;
    for (const auto& h : held)
        if (h.count != 0)
            left += " " + std::to_string(h.count) + " " + h.what;
    if (!left.empty())
        throw FUZZ_Finding("The host still holds" + left);
}

}  // namespace

void FUZZ_HostSeparatePage(const uint8_t* data, size_t size) {
    const FUZZ_TempDirScope tmp;
    if (FUZZ_TempDirScope::Dir().empty())
        return;
    const std::string inPath = FUZZ_TempDirScope::Dir() + "/" + InputName;
    const std::string outPath = FUZZ_TempDirScope::Dir() + "/" + OutputName;
    const RemovedAtEnd input(inPath);
    std::ofstream(inPath, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
    FreshHost();
    try {
        const PDFL_PDDoc source = OpenHostDoc(inPath);
        WithHostDoc(source, [&] { SeparateFirstPage(source, outPath); });
    } catch (const GLIB_Exception&) {
    }
    VIEW_Recorder::ClearCalls();
    try {
        ExpectNothingHeld();
    } catch (...) {
        FreshHost();
        throw;
    }
    tmp.ExpectOnly(InputName, "by the host's road");
}
