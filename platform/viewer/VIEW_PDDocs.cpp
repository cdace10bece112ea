// PDModel slots 66, 265, 69, 70, 71, 74, 75, 78, 105 and 114: PD documents
// over Cos documents of the store.
#include "viewer/VIEW_App.h"
#include "viewer/VIEW_Cos.h"
#include "viewer/VIEW_CosErrors.h"
#include "viewer/VIEW_CosHandles.h"
#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_Files.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PDState.h"
#include "viewer/VIEW_Paths.h"

#include <cstdio>

namespace {

VCOS_Store& Store() { return VIEW_Cos::Store(); }

constexpr int32_t NeedsSaveFlag = 1;
constexpr int32_t FullSaveFlag = 2;
constexpr int32_t DeleteOnCloseFlag = 8;

VIEW_PDDocRecord& Record(PDFL_PDDoc doc) { return VIEW_PDDocs().Get(doc); }

// The catalog of a new document: the store's root, given a page tree.
void MakeCatalog(VCOS_DocId doc) {
    const VCOS_Obj root = Store().Root(doc);
    Store().DictPut(root, "Type", Store().NewName(doc, false, "Catalog"));
    const VCOS_Obj pages = Store().NewDict(doc, true);
    Store().DictPut(pages, "Type", Store().NewName(doc, false, "Pages"));
    Store().DictPut(pages, "Kids", Store().NewArray(doc, false, 0));
    Store().DictPut(pages, "Count", Store().NewInteger(doc, false, 0));
    Store().DictPut(root, "Pages", pages);
}

// Writes the document over the file at path through fileSys.
void SaveToPath(PDFL_CosDoc cosDoc, PDFL_ASPathName path, PDFL_ASFileSys fileSys) {
    PDFL_ASFile file = nullptr;
    const PDFL_ErrorCode opened = VIEW_Files::Open(fileSys, path, 7, &file);
    if (opened != 0)
        throw VIEW_HostRaise(opened);
    PDFL_CosDocSaveParams params{};
    params.m_size = sizeof params;
    try {
        VIEW_Cos::DocSaveToFile(cosDoc, file, 0, &params);
    } catch (...) {
        VIEW_Files::Close(file);
        throw;
    }
    const PDFL_ErrorCode closed = VIEW_Files::Close(file);
    if (closed != 0)
        throw VIEW_HostRaise(closed);
}

}  // namespace

VIEW_HandleTable<PDFL_PDDoc, VIEW_PDDocRecord>& VIEW_PDDocs() {
    static VIEW_HandleTable<PDFL_PDDoc, VIEW_PDDocRecord> docs("PD document", 0x5D000001);
    return docs;
}

PDFL_PDDoc VIEW_PD::DocOpen(PDFL_ASPathName path, PDFL_ASFileSys fileSys) {
    if (!fileSys)
        fileSys = VIEW_FileSys::Default();
    PDFL_CosDocOpenParams params{};
    params.m_size = sizeof params;
    params.m_fileSys = fileSys;
    params.m_pathName = path;
    VIEW_PDDocRecord record;
    record.m_cosDoc = VIEW_Cos::DocOpenWithParams(&params);
    record.m_path = VIEW_Paths::Posix(path);
    record.m_fileSys = fileSys;
    return VIEW_PDDocs().Add(record);
}

PDFL_PDDoc VIEW_PD::DocOpenFromASFile(PDFL_ASFile file) {
    const PDFL_ASPathName path = VIEW_Files::AcquirePathName(file);
    const std::string posix = VIEW_Paths::Posix(path);
    VIEW_Paths::Release(path);
    for (auto& [number, record] : VIEW_PDDocs().Entries())
        if (!record.m_sharedPath.empty() && record.m_sharedPath == posix) {
            ++record.m_opens;
            return reinterpret_cast<PDFL_PDDoc>(number);
        }
    VIEW_PDDocRecord record;
    record.m_cosDoc = VIEW_Cos::DocOpenFromFile(file);
    record.m_sharedPath = posix;
    record.m_file = file;
    record.m_path = posix;
    record.m_fileSys = VIEW_Files::FileSys(file);
    return VIEW_PDDocs().Add(record);
}

PDFL_PDDoc VIEW_PD::DocCreate() {
    VIEW_PDDocRecord record;
    record.m_cosDoc = VIEW_Cos::DocCreate(0);
    record.m_flags = NeedsSaveFlag | FullSaveFlag;
    VIEW_CosGuard([&] { MakeCatalog(VIEW_DocIdFromCosDoc(record.m_cosDoc)); });
    return VIEW_PDDocs().Add(record);
}

void VIEW_PD::DocSave(PDFL_PDDoc doc, uint16_t flags, PDFL_ASPathName path, PDFL_ASFileSys fileSys) {
    Record(doc);
    if (flags != 0 && flags != 1 && flags != 0x21)
        throw VIEW_AssertionFailure("PDDocSave with flags " + std::to_string(flags));
    if (flags != 0 && !path)
        throw VIEW_AssertionFailure("PDDocSave with flags " + std::to_string(flags) + " and no path");
    PDFL_PDDocSaveParams willSave{};
    willSave.m_size = sizeof willSave;
    willSave.m_saveFlags = flags & 1;
    VIEW_App::SendNotification(PDFL_PDDocWillSaveExNSEL, doc, &willSave);
    // A notification may have closed the document.
    VIEW_PDDocRecord& record = Record(doc);
    if (flags == 0) {
        PDFL_CosDocSaveParams params{};
        params.m_size = sizeof params;
        if (record.m_file)
            VIEW_Cos::DocSaveToFile(record.m_cosDoc, record.m_file, 0, &params);
        else
            VIEW_Cos::DocSaveWithParams(record.m_cosDoc, nullptr, 0, &params);
    } else {
        if (!fileSys)
            fileSys = VIEW_Paths::OwnFileSys(path);
        if (!fileSys)
            fileSys = VIEW_FileSys::Default();
        SaveToPath(record.m_cosDoc, path, fileSys);
        // The host file it came from is not where the document lives now.
        record.m_file = nullptr;
        record.m_sharedPath.clear();
        record.m_path = VIEW_Paths::Posix(path);
        record.m_fileSys = fileSys;
    }
    record.m_flags &= ~NeedsSaveFlag;
}

void VIEW_PD::DocClose(PDFL_PDDoc doc) {
    VIEW_PDDocRecord& record = Record(doc);
    if (--record.m_opens > 0)
        return;
    const VIEW_PDDocRecord closing = VIEW_PDDocs().Remove(doc);
    VIEW_PDForgetPages(doc);
    VIEW_PDForgetDrawing(VIEW_DocIdFromCosDoc(closing.m_cosDoc));
    VIEW_Cos::DocClose(closing.m_cosDoc);
    if ((closing.m_flags & DeleteOnCloseFlag) != 0 && !closing.m_path.empty())
        std::remove(closing.m_path.c_str());
}

int32_t VIEW_PD::DocGetFlags(PDFL_PDDoc doc) { return Record(doc).m_flags; }

void VIEW_PD::DocSetFlags(PDFL_PDDoc doc, int32_t flags) { Record(doc).m_flags |= flags; }

PDFL_CosDoc VIEW_PD::DocGetCosDoc(PDFL_PDDoc doc) { return Record(doc).m_cosDoc; }

VCOS_DocId VIEW_PD::CosDocId(PDFL_PDDoc doc) { return VIEW_DocIdFromCosDoc(Record(doc).m_cosDoc); }

void VIEW_PD::DocSetInfo(PDFL_PDDoc doc, const char* key, const char* value, int32_t length) {
    if (!key || (!value && length > 0) || length < 0)
        throw VIEW_AssertionFailure("PDDocSetInfo without a key or value");
    const VCOS_DocId cos = CosDocId(doc);
    VIEW_CosGuard([&] {
        VCOS_Obj info = Store().Info(cos);
        if (info.IsNullHandle()) {
            info = Store().NewDict(cos, true);
            Store().SetInfo(cos, info);
        }
        Store().DictPut(info, key, Store().NewString(cos, false, std::string(value ? value : "", length)));
    });
    Record(doc).m_flags |= NeedsSaveFlag;
}

uint32_t VIEW_PD::DocGetPermissions(PDFL_PDDoc doc) {
    int32_t permissions = 0;
    if (VIEW_CosGuard([&] { return Store().Permissions(CosDocId(doc), &permissions); }))
        return static_cast<uint32_t>(permissions);
    return 0xFFFFFFFFu;
}

size_t VIEW_PD::OpenDocCount() { return VIEW_PDDocs().Size(); }

void VIEW_PD::Reset() {
    VIEW_PDResetDrawing();
    VIEW_PDPages().Clear();
    VIEW_PDDocs().Clear();
}
