// The separation engine on the host's road: each corpus page is written to
// a file, opened by the host, wrapped, separated in the plug-in's mode into
// a host document at a temporary path, saved through the buffered file
// system, closed and opened again by the host; then written with its
// external-file streams inlined, every ink's page drawn by Ghostscript must
// follow the plate that Ghostscript's separation device makes of the source.
#include "BackEndFixture.h"

#include "hostpdf/CPDF_PDFL_Impl.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_PDCalls.h"
#include "separation/CSEP_PDFSeparator.h"
#include "separation/CSEP_SepJobContext.h"
#include "support/GhostscriptRenderer.h"
#include "support/GrayPlate.h"
#include "support/PdfFileWriter.h"
#include "support/SeparationCorpus.h"
#include "viewer/VIEW_PD.h"
#include "win32/TmpDirScope.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

class HostRoadTest : public HostBackEndTest {};

PDFL_PDDoc HostOpen(const std::string& path) {
    const PDFL_ASPathName pathName = PDFL_ASPathFromPlatformPath(path.c_str());
    const PDFL_PDDoc doc = PDFL_PDDocOpen(pathName, nullptr, nullptr, 0);
    PDFL_ASFileSysReleasePath(PDFL_ASGetDefaultFileSys(), pathName);
    return doc;
}

// The source page separated into a host document saved at outPath; the
// job's ink names.
std::vector<std::string> SeparateOnTheHost(const std::string& sourcePath, const std::string& outPath) {
    const PDFL_PDDoc sourceDoc = HostOpen(sourcePath);
    std::vector<std::string> inks;
    {
        const CPDF_Doc source = CPDF_PDFL_DocFromPDDoc(sourceDoc);
        const CPDF_Page page = source.Page(0);
        std::vector<CPDF_Colorant> spots;
        page.ResourcesDict().CollectSpotColorants(&spots, false, false);
        CPDF_Doc out = CPDF_PDFL_NewDoc();
        out.CreateWithFileName(GLOB_FileName(outPath.c_str()));
        {
            CSEP_SepJobContext job;
            job.SetUseExternalStreams(1);
            job.SetCompressionMode(1);
            job.SetDocAndColorants(out, spots);
            CSEP_PDFSeparator separator;
            separator.SetJobContext(job);
            std::vector<GLOB_Object> pages;
            separator.SeparatePage(page, 0, pages);
            EXPECT_EQ(out.NumPages(), static_cast<int>(job.NumColorants()));
            for (uint32_t i = 0; i < job.NumColorants(); ++i)
                inks.push_back(job.Colorant(i).Name().CStr());
            out.Save();
            out.Close();
            // The reopened document still names the job's files: they must
            // outlive its writing, so it is written before the job goes.
            const PDFL_PDDoc reopened = HostOpen(outPath);
            PdfFileWriter::Write(COSF_PDFL_DocFromPDDoc(reopened), outPath + ".inlined.pdf",
                                 PdfFileWriter::ExternalStreams::Inline);
            PDFL_PDDocClose(reopened);
        }
    }
    PDFL_PDDocClose(sourceDoc);
    return inks;
}

TEST_F(HostRoadTest, EveryCorpusPageSeparatesThroughHostDocumentsToItsGhostscriptPlates) {
    for (const CorpusPage& corpusPage : SeparationCorpus()) {
        SCOPED_TRACE(corpusPage.name);
        const TmpDirScope tmp;
        const std::string sourcePath = m_dir.File("source.pdf");
        PdfFileWriter::Write(corpusPage.build(), sourcePath, PdfFileWriter::ExternalStreams::Inline);
        std::map<std::string, GrayPlate> plates = GhostscriptRenderer::Separations(sourcePath);

        const std::string outPath = tmp.Dir().File("inks.pdf");
        const std::vector<std::string> inks = SeparateOnTheHost(sourcePath, outPath);
        EXPECT_EQ(std::vector<std::string>(inks.begin() + std::min<size_t>(4, inks.size()), inks.end()),
                  corpusPage.spots);
        EXPECT_EQ(VIEW_PD::OpenDocCount(), 0u);

        const std::vector<GrayPlate> renderings = GhostscriptRenderer::GrayPages(outPath + ".inlined.pdf");
        ASSERT_EQ(renderings.size(), inks.size());
        for (size_t i = 0; i < inks.size(); ++i) {
            SCOPED_TRACE(inks[i]);
            const auto plate = plates.find(inks[i]);
            if (plate == plates.end()) {
                // An ink tiffsep does not list must be blank here.
                EXPECT_EQ(renderings[i].InkedShare(), 0.0);
                continue;
            }
            const PlateMatch match = ComparePlate(plate->second, renderings[i]);
            std::printf("%-17s %-8s %7.3f%% of %llu non-edge pixels within 2 levels\n", corpusPage.name,
                        inks[i].c_str(), 100 * match.Share(), static_cast<unsigned long long>(match.nonEdge));
            EXPECT_GE(match.Share(), PlateMatch::RequiredShare);
        }
        for (const auto& plate : plates) {
            if (std::find(inks.begin(), inks.end(), plate.first) == inks.end()) {
                EXPECT_EQ(plate.second.InkedShare(), 0.0) << plate.first << " is listed by tiffsep only";
            }
        }

        std::remove(outPath.c_str());
        std::remove((outPath + ".inlined.pdf").c_str());
        EXPECT_EQ(tmp.Dir().List(), std::vector<std::string>()) << "the job's files are gone";
    }
}

}  // namespace
