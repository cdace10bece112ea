// Cos slots 34, 35, 38 to 41 and 46: documents opened, made, saved and
// closed; the store itself and each document's file.
#include "viewer/VIEW_Cos.h"

#include "viewer/VIEW_CosErrors.h"
#include "viewer/VIEW_CosHandles.h"
#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_Files.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/cos/VCOS_ByteSink.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_Writer.h"

#include <climits>
#include <map>

namespace {

// Where a document was opened from or last saved to; no path when neither.
struct Origin {
    std::string m_path;
    PDFL_ASFileSys m_fileSys = nullptr;
};

std::map<VCOS_DocId, Origin>& Docs() {
    static std::map<VCOS_DocId, Origin> docs;
    return docs;
}

VCOS_Store& Store() { return VIEW_Cos::Store(); }
PDFL_CosObj Cos(VCOS_Obj obj) { return VIEW_CosFromObj(obj); }
VCOS_DocId Doc(PDFL_CosDoc doc) { return VIEW_DocIdFromCosDoc(doc); }

// Raises a failed file operation's code.
void RaiseIf(PDFL_ErrorCode code) {
    if (code != 0)
        throw VIEW_HostRaise(code);
}

std::string PathOf(PDFL_ASFile file) {
    const PDFL_ASPathName path = VIEW_Files::AcquirePathName(file);
    const std::string posix = VIEW_Paths::Posix(path);
    VIEW_Paths::Release(path);
    return posix;
}

PDFL_ASFile OpenFile(PDFL_ASFileSys fileSys, const std::string& posix, uint16_t mode) {
    const PDFL_ASPathName path = VIEW_Paths::Make(posix);
    PDFL_ASFile file = nullptr;
    const PDFL_ErrorCode code = VIEW_Files::Open(fileSys, path, mode, &file);
    VIEW_Paths::Release(path);
    RaiseIf(code);
    return file;
}

// The whole file; it is closed whatever happens. A failed close after a
// complete read loses nothing, so it is not raised.
std::string ReadAndClose(PDFL_ASFile file) {
    std::string bytes;
    try {
        bytes = VIEW_Files::ReadAll(file);
    } catch (...) {
        VIEW_Files::Close(file);
        throw;
    }
    VIEW_Files::Close(file);
    return bytes;
}

// The writer's pieces go to the file's own write procedure as they come;
// a failed write raises its code from inside the writer.
class FileSink : public VCOS_ByteSink {
public:
    explicit FileSink(PDFL_ASFile file) : m_file(file) {}

    size_t Write(const char* bytes, size_t count) override {
        VIEW_Files::WriteAt(m_file, m_position, std::string(bytes, count));
        m_position += static_cast<uint32_t>(count);
        return count;
    }
    // Cuts what an older, longer file left behind the new end.
    bool Finish() override {
        if (m_position > INT32_MAX)
            VIEW_CosErrors::Raise(VCOS_ErrorKind::WriteFailed,
                                  std::to_string(m_position) + " bytes do not fit a host file");
        VIEW_Files::SetEOF(m_file, static_cast<int32_t>(m_position));
        VIEW_Files::Flush(m_file);
        return true;
    }

private:
    PDFL_ASFile m_file;
    uint32_t m_position = 0;
};

// Writes the document over file from its start.
void WriteDocument(VCOS_DocId doc, PDFL_ASFile file, const PDFL_CosDocSaveParams* params) {
    const std::string header = params && params->m_header ? params->m_header : "";
    FileSink sink(file);
    VIEW_CosGuard([&] { VCOS_Writer::Write(Store(), doc, header, sink); });
}

// The document's entry; a host error for a handle not open.
Origin& OriginOf(PDFL_CosDoc doc) {
    const auto found = Docs().find(Doc(doc));
    if (found == Docs().end())
        VIEW_CosErrors::Raise(VCOS_ErrorKind::BadDocument, "no open Cos document " + std::to_string(Doc(doc)));
    return found->second;
}

}  // namespace

VCOS_Store& VIEW_Cos::Store() {
    static VCOS_Store store;
    return store;
}

PDFL_CosObj VIEW_Cos::DocGetRoot(PDFL_CosDoc doc) {
    return VIEW_CosGuard([&] { return Cos(Store().Root(Doc(doc))); });
}

PDFL_CosObj VIEW_Cos::DocGetInfoDict(PDFL_CosDoc doc) {
    return VIEW_CosGuard([&] { return Cos(Store().Info(Doc(doc))); });
}

PDFL_CosDoc VIEW_Cos::DocOpenWithParams(PDFL_CosDocOpenParams* params) {
    if (!params)
        throw VIEW_AssertionFailure("CosDocOpenWithParams without a record");
    PDFL_ASFileSys fileSys = params->m_fileSys ? params->m_fileSys : VIEW_FileSys::Default();
    const std::string posix = VIEW_Paths::Posix(params->m_pathName);
    const std::string bytes = ReadAndClose(OpenFile(fileSys, posix, 1));
    const VCOS_DocId doc = VIEW_CosGuard([&] { return VCOS_Reader::Read(Store(), bytes, posix); });
    if (Store().Header(doc).empty() && params->m_header)
        Store().SetHeader(doc, params->m_header);
    Docs()[doc] = Origin{posix, fileSys};
    return VIEW_CosDocFromDocId(doc);
}

void VIEW_Cos::DocClose(PDFL_CosDoc doc) {
    OriginOf(doc);
    Docs().erase(Doc(doc));
    Store().CloseDoc(Doc(doc));
}

PDFL_CosDoc VIEW_Cos::DocCreate(uint32_t) {
    const VCOS_DocId doc = Store().CreateDoc();
    Docs()[doc] = Origin{};
    return VIEW_CosDocFromDocId(doc);
}

void VIEW_Cos::DocSaveToFile(PDFL_CosDoc doc, PDFL_ASFile file, uint32_t, PDFL_CosDocSaveParams* params) {
    Origin& origin = OriginOf(doc);
    if (!file)
        throw VIEW_AssertionFailure("CosDocSaveToFile without a file");
    WriteDocument(Doc(doc), file, params);
    origin = Origin{PathOf(file), VIEW_Files::FileSys(file)};
}

void VIEW_Cos::DocSaveWithParams(PDFL_CosDoc doc, PDFL_ASFile file, uint32_t flags,
                                 PDFL_CosDocSaveParams* params) {
    if (file) {
        DocSaveToFile(doc, file, flags, params);
        return;
    }
    const Origin origin = OriginOf(doc);
    if (origin.m_path.empty())
        VIEW_CosErrors::Raise(VCOS_ErrorKind::BadDocument,
                              "Cos document " + std::to_string(Doc(doc)) +
                                  " was neither opened from a file nor saved to one, so it has no file to save to");
    PDFL_ASFile own = OpenFile(origin.m_fileSys, origin.m_path, 3);
    try {
        WriteDocument(Doc(doc), own, params);
    } catch (...) {
        VIEW_Files::Close(own);
        throw;
    }
    RaiseIf(VIEW_Files::Close(own));
}

PDFL_CosDoc VIEW_Cos::DocOpenFromFile(PDFL_ASFile file) {
    const std::string posix = PathOf(file);
    const std::string bytes = VIEW_Files::ReadAll(file);
    const VCOS_DocId doc = VIEW_CosGuard([&] { return VCOS_Reader::Read(Store(), bytes, posix); });
    Docs()[doc] = Origin{posix, VIEW_Files::FileSys(file)};
    return VIEW_CosDocFromDocId(doc);
}

std::string VIEW_Cos::DocHeader(PDFL_CosDoc doc) {
    OriginOf(doc);
    return Store().Header(Doc(doc));
}

std::vector<std::string> VIEW_Cos::DocWarnings(PDFL_CosDoc doc) {
    return VIEW_CosGuard([&] { return Store().Warnings(Doc(doc)); });
}

size_t VIEW_Cos::OpenDocCount() {
    return Docs().size();
}

void VIEW_Cos::Reset() {
    for (const auto& entry : Docs())
        Store().CloseDoc(entry.first);
    Docs().clear();
}
