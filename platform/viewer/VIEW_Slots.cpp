// The function tables: one thunk per slot of the published interface, each
// a plain C boundary (VIEW_SlotBoundary) around a recording body.
#include "viewer/VIEW_App.h"
#include "viewer/VIEW_AVDocs.h"
#include "viewer/VIEW_Atoms.h"
#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Cos.h"
#include "viewer/VIEW_ErrorRegistry.h"
#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_Files.h"
#include "viewer/VIEW_Frames.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_Input.h"
#include "viewer/VIEW_Memory.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PageViewProcs.h"
#include "viewer/VIEW_PageViews.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/VIEW_Progress.h"
#include "viewer/VIEW_Recorder.h"
#include "viewer/VIEW_SlotBoundary.h"
#include "viewer/VIEW_Streams.h"
#include "viewer/VIEW_Toolbar.h"
#include "viewer/VIEW_Tools.h"
#include "viewer/VIEW_Menus.h"
#include "viewer/VIEW_Windows.h"

#include <array>
#include <cstring>
#include <string>

namespace {

constexpr int SlotsPerTable = 300;
using SlotTable = std::array<PDFL_Proc, SlotsPerTable>;

// Filled with the thunks on first use (below them).
std::array<SlotTable, PDFL_HostTableCount>& Tables();

void OfferDefaults(std::array<uint32_t, PDFL_HostTableCount>& offers) {
    offers.fill(0);
    for (int table : {PDFL_AcroSupportTable, PDFL_CosTable, PDFL_PDModelTable, PDFL_AcroViewTable,
                      PDFL_WinTable})
        offers[table] = 0x00040000;
}

std::array<uint32_t, PDFL_HostTableCount>& Offers() {
    static std::array<uint32_t, PDFL_HostTableCount> offers = [] {
        std::array<uint32_t, PDFL_HostTableCount> defaults{};
        OfferDefaults(defaults);
        return defaults;
    }();
    return offers;
}

const char* const TableNames[PDFL_HostTableCount] = {
    "", "AcroSupport", "Cos", "PDModel", "AcroView", "Win", "ADBE_DebuggerWindow", "TSCP_CosUpdates",
};

template <class Record>
void CheckSize(const Record* record, uint64_t size, const char* what) {
    if (record && size != sizeof(Record))
        throw VIEW_AssertionFailure(std::string(what) + " with size word " +
                                    std::to_string(size) + " instead of " +
                                    std::to_string(sizeof(Record)));
}

// The behaviour of a slot beyond recording; Defined is false for the slots
// that only return a test's result.
template <int Table, int Slot>
struct Behaviour {
    static constexpr bool Defined = false;
};

// Paths relative to another are not offered: the plug-in passes none.
void RequireNoBase(PDFL_ASPathName relativeTo, const char* slot) {
    if (relativeTo)
        throw VIEW_AssertionFailure(std::string(slot) + " relative to another path");
}

#define VIEW_BEHAVIOUR_(table, slot, result, params)                                              \
    template <>                                                                                    \
    struct Behaviour<PDFL_##table##Table, slot> {                                                  \
        static constexpr bool Defined = true;                                                      \
        static result Run params;                                                                  \
    };                                                                                             \
    result Behaviour<PDFL_##table##Table, slot>::Run params

VIEW_BEHAVIOUR_(Core, 1, void, (PDFL_ErrorCode code)) {
    throw VIEW_HostRaise(code);
}
VIEW_BEHAVIOUR_(Core, 2, void, (void* frame, PDFL_RestoreFrameProc restore)) {
    VIEW_Frames::PushPluginFrame(frame, restore);
}
VIEW_BEHAVIOUR_(Core, 3, void, ()) {
    VIEW_Frames::PopPluginFrame();
}
VIEW_BEHAVIOUR_(Core, 4, PDFL_ErrorCode, ()) {
    return VIEW_Frames::HandledErrorCode();
}
VIEW_BEHAVIOUR_(Core, 5, PDFL_ASAtom, (const char* text)) {
    return VIEW_Atoms::FromString(text);
}
VIEW_BEHAVIOUR_(Core, 7, const char*, (PDFL_ASAtom atom)) {
    return VIEW_Atoms::GetString(atom);
}
VIEW_BEHAVIOUR_(Core, 8, PDFL_ASCallback, (PDFL_ExtensionID extension, PDFL_Proc proc)) {
    return VIEW_Callbacks::Create(extension, proc);
}
VIEW_BEHAVIOUR_(Core, 9, void, (PDFL_ASCallback callback)) {
    VIEW_Callbacks::Destroy(callback);
}
VIEW_BEHAVIOUR_(Core, 10, PDFL_HFT, (PDFL_ASAtom name, uint32_t version)) {
    const std::string text = VIEW_Atoms::GetString(name);
    for (int table = PDFL_AcroSupportTable; table < PDFL_HostTableCount; ++table)
        if (text == TableNames[table] && version != 0 && version <= Offers()[table])
            return Tables()[table].data();
    return nullptr;
}
VIEW_BEHAVIOUR_(Core, 13, int32_t, (PDFL_ExtensionID, char* buffer, int32_t size)) {
    return VIEW_App::GetExtensionFileName(buffer, size);
}

// ---- The application: VIEW_App keeps alerts, version, language,
// notifications and the debugger window's texts.
VIEW_BEHAVIOUR_(AcroView, 4, int32_t,
                (int32_t icon, const char* message, const char* button1, const char*, const char*, PDFL_Bool beep)) {
    VIEW_App::Alert({false, icon, message ? message : "", button1 ? button1 : "", beep != 0});
    return 1;
}
VIEW_BEHAVIOUR_(AcroView, 5, void, (const char* message)) {
    VIEW_App::Alert({true, 0, message ? message : "", "", false});
}
VIEW_BEHAVIOUR_(AcroView, 7, void, (int16_t* major, int16_t* minor)) {
    VIEW_App::GetVersion(major, minor);
}
VIEW_BEHAVIOUR_(AcroView, 8, void, (char* buffer)) {
    VIEW_App::GetLanguage(buffer);
}
VIEW_BEHAVIOUR_(AcroView, 15, PDFL_ProgressMonitor, (void** clientData)) {
    return VIEW_Progress::Get(clientData);
}
VIEW_BEHAVIOUR_(AcroView, 41, void, (int32_t selector, PDFL_ExtensionID owner, PDFL_ASCallback proc, void* data)) {
    VIEW_App::RegisterNotification(selector, owner, proc, data);
}
VIEW_BEHAVIOUR_(AcroView, 42, void, (int32_t selector, PDFL_ExtensionID owner, PDFL_ASCallback proc, void* data)) {
    VIEW_App::UnregisterNotification(selector, owner, proc, data);
}
VIEW_BEHAVIOUR_(DebuggerWindow, 3, void, (const char* text)) {
    VIEW_App::DebugWindowPrint(text);
}
VIEW_BEHAVIOUR_(AcroSupport, 4, const char*, (PDFL_ErrorCode code, char* buffer, int32_t size)) {
    return VIEW_ErrorRegistry::CopyText(code, buffer, size);
}
VIEW_BEHAVIOUR_(AcroSupport, 5, PDFL_ErrorCode, (uint16_t severity, const char* text)) {
    return VIEW_ErrorRegistry::Register(severity, text);
}

VIEW_BEHAVIOUR_(CosUpdates, 1, PDFL_CosObj, (PDFL_CosObj obj)) {
    return VIEW_Cos::ObjReplacedBy(obj);
}

// ---- Memory, path names, files and streams: VIEW_Memory, VIEW_Paths,
// VIEW_FileSys, VIEW_Files and VIEW_Streams do the work.
VIEW_BEHAVIOUR_(AcroSupport, 1, void*, (size_t size)) {
    return VIEW_Memory::Allocate(size);
}
VIEW_BEHAVIOUR_(AcroSupport, 3, void, (void* block)) {
    VIEW_Memory::Free(block);
}
VIEW_BEHAVIOUR_(AcroSupport, 20, PDFL_ASPathName, (const char* path)) {
    return VIEW_Paths::FromPlatformPath(path);
}
VIEW_BEHAVIOUR_(AcroSupport, 21, PDFL_ASFileSys, ()) {
    return VIEW_FileSys::Default();
}
VIEW_BEHAVIOUR_(AcroSupport, 22, char*,
                (PDFL_ASFileSys, PDFL_ASPathName path, PDFL_ASPathName relativeTo)) {
    RequireNoBase(relativeTo, "FileSysDisplayStringFromPath");
    return VIEW_Paths::DisplayText(path);
}
VIEW_BEHAVIOUR_(AcroSupport, 23, PDFL_ASPathName,
                (PDFL_ASFileSys, const char* text, PDFL_ASPathName relativeTo)) {
    RequireNoBase(relativeTo, "FileSysPathFromDIPath");
    return VIEW_Paths::FromDisplayText(text);
}
VIEW_BEHAVIOUR_(AcroSupport, 25, void, (PDFL_ASFileSys, PDFL_ASPathName path)) {
    VIEW_Paths::Release(path);
}
VIEW_BEHAVIOUR_(AcroSupport, 26, PDFL_ErrorCode,
                (PDFL_ASFileSys fileSys, PDFL_ASPathName path, uint16_t mode, PDFL_ASFile* file)) {
    return VIEW_Files::Open(fileSys, path, mode, file);
}
VIEW_BEHAVIOUR_(AcroSupport, 29, PDFL_ErrorCode, (PDFL_ASFile file)) {
    return VIEW_Files::Close(file);
}
VIEW_BEHAVIOUR_(AcroSupport, 32, void, (PDFL_ASFile file, int32_t length)) {
    VIEW_Files::SetEOF(file, length);
}
VIEW_BEHAVIOUR_(AcroSupport, 37, PDFL_ASPathName, (PDFL_ASFile file)) {
    return VIEW_Files::AcquirePathName(file);
}
VIEW_BEHAVIOUR_(AcroSupport, 38, PDFL_ASFileSys, (PDFL_ASFile file)) {
    return VIEW_Files::FileSys(file);
}
VIEW_BEHAVIOUR_(AcroSupport, 42, PDFL_ASStm, (PDFL_StmProc read, void* clientData)) {
    return VIEW_Streams::OpenProcedure(read, clientData);
}
VIEW_BEHAVIOUR_(AcroSupport, 43, uint32_t,
                (char* buffer, uint32_t itemSize, uint32_t count, PDFL_ASStm stm)) {
    return VIEW_Streams::Read(buffer, itemSize, count, stm);
}
VIEW_BEHAVIOUR_(AcroSupport, 44, uint32_t,
                (const char* buffer, uint32_t itemSize, uint32_t count, PDFL_ASStm stm)) {
    return VIEW_Streams::Write(buffer, itemSize, count, stm);
}
VIEW_BEHAVIOUR_(AcroSupport, 45, void, (PDFL_ASStm stm)) {
    VIEW_Streams::Close(stm);
}
VIEW_BEHAVIOUR_(AcroSupport, 51, PDFL_Bool,
                (PDFL_ASFile file, void** platformFile, PDFL_ASFileSys* fileSys)) {
    return VIEW_Files::GetMDFile(file, platformFile, fileSys);
}
VIEW_BEHAVIOUR_(AcroSupport, 52, PDFL_ASPathName,
                (PDFL_ASFileSys, PDFL_ASAtom type, const void* data, const void*)) {
    return VIEW_Paths::FromCstring(type, data);
}

// ---- Cos: VIEW_Cos does the work over the stand-in's Cos store.
VIEW_BEHAVIOUR_(Cos, 1, PDFL_Bool, (PDFL_CosObj a, PDFL_CosObj b)) {
    return VIEW_Cos::ObjEqual(a, b);
}
VIEW_BEHAVIOUR_(Cos, 2, int32_t, (PDFL_CosObj obj)) {
    return VIEW_Cos::ObjGetType(obj);
}
VIEW_BEHAVIOUR_(Cos, 3, PDFL_Bool, (PDFL_CosObj obj)) {
    return VIEW_Cos::ObjIsIndirect(obj);
}
VIEW_BEHAVIOUR_(Cos, 4, PDFL_Bool, (PDFL_CosObj obj, PDFL_CosObjEnumProc proc, void* clientData)) {
    return VIEW_Cos::ObjEnum(obj, proc, clientData);
}
VIEW_BEHAVIOUR_(Cos, 5, PDFL_CosDoc, (PDFL_CosObj obj)) {
    return VIEW_Cos::ObjGetDoc(obj);
}
VIEW_BEHAVIOUR_(Cos, 6, PDFL_CosObj, ()) {
    return VIEW_Cos::NewNull();
}
VIEW_BEHAVIOUR_(Cos, 7, PDFL_CosObj, (PDFL_CosDoc doc, PDFL_Bool indirect, int32_t value)) {
    return VIEW_Cos::NewInteger(doc, indirect, value);
}
VIEW_BEHAVIOUR_(Cos, 8, PDFL_CosObj, (PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_Fixed value)) {
    return VIEW_Cos::NewFixed(doc, indirect, value);
}
VIEW_BEHAVIOUR_(Cos, 9, PDFL_CosObj, (PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_Bool value)) {
    return VIEW_Cos::NewBoolean(doc, indirect, value);
}
VIEW_BEHAVIOUR_(Cos, 10, PDFL_CosObj, (PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_ASAtom name)) {
    return VIEW_Cos::NewName(doc, indirect, name);
}
VIEW_BEHAVIOUR_(Cos, 11, PDFL_CosObj, (PDFL_CosDoc doc, PDFL_Bool indirect, const char* bytes, int32_t length)) {
    return VIEW_Cos::NewString(doc, indirect, bytes, length);
}
VIEW_BEHAVIOUR_(Cos, 12, PDFL_CosObj, (PDFL_CosDoc doc, PDFL_Bool indirect, int32_t count)) {
    return VIEW_Cos::NewArray(doc, indirect, count);
}
VIEW_BEHAVIOUR_(Cos, 13, PDFL_CosObj, (PDFL_CosDoc doc, PDFL_Bool indirect, int32_t count)) {
    return VIEW_Cos::NewDict(doc, indirect, count);
}
VIEW_BEHAVIOUR_(Cos, 14, PDFL_CosObj,
                (PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_ASStm source, int32_t start,
                 PDFL_Bool encoded, PDFL_CosObj attributes, PDFL_CosObj encodeParams, int32_t length)) {
    return VIEW_Cos::NewStream(doc, indirect, source, start, encoded, attributes, encodeParams, length);
}
VIEW_BEHAVIOUR_(Cos, 16, int32_t, (PDFL_CosObj obj)) {
    return VIEW_Cos::IntegerValue(obj);
}
VIEW_BEHAVIOUR_(Cos, 17, PDFL_Fixed, (PDFL_CosObj obj)) {
    return VIEW_Cos::FixedValue(obj);
}
VIEW_BEHAVIOUR_(Cos, 18, PDFL_Bool, (PDFL_CosObj obj)) {
    return VIEW_Cos::BooleanValue(obj);
}
VIEW_BEHAVIOUR_(Cos, 19, PDFL_ASAtom, (PDFL_CosObj obj)) {
    return VIEW_Cos::NameValue(obj);
}
VIEW_BEHAVIOUR_(Cos, 20, char*, (PDFL_CosObj obj, int32_t* length)) {
    return VIEW_Cos::StringValue(obj, length);
}
VIEW_BEHAVIOUR_(Cos, 21, PDFL_CosObj, (PDFL_CosObj dict, PDFL_ASAtom key)) {
    return VIEW_Cos::DictGet(dict, key);
}
VIEW_BEHAVIOUR_(Cos, 22, void, (PDFL_CosObj dict, PDFL_ASAtom key, PDFL_CosObj value)) {
    VIEW_Cos::DictPut(dict, key, value);
}
VIEW_BEHAVIOUR_(Cos, 23, void, (PDFL_CosObj dict, PDFL_ASAtom key)) {
    VIEW_Cos::DictRemove(dict, key);
}
VIEW_BEHAVIOUR_(Cos, 24, PDFL_Bool, (PDFL_CosObj dict, PDFL_ASAtom key)) {
    return VIEW_Cos::DictKnown(dict, key);
}
VIEW_BEHAVIOUR_(Cos, 25, PDFL_CosObj, (PDFL_CosObj array, int32_t index)) {
    return VIEW_Cos::ArrayGet(array, index);
}
VIEW_BEHAVIOUR_(Cos, 26, void, (PDFL_CosObj array, int32_t index, PDFL_CosObj value)) {
    VIEW_Cos::ArrayPut(array, index, value);
}
VIEW_BEHAVIOUR_(Cos, 27, void, (PDFL_CosObj array, int32_t index, PDFL_CosObj value)) {
    VIEW_Cos::ArrayInsert(array, index, value);
}
VIEW_BEHAVIOUR_(Cos, 29, int32_t, (PDFL_CosObj array)) {
    return VIEW_Cos::ArrayLength(array);
}
VIEW_BEHAVIOUR_(Cos, 30, int32_t, (PDFL_CosObj stream)) {
    return VIEW_Cos::StreamLength(stream);
}
VIEW_BEHAVIOUR_(Cos, 31, PDFL_CosObj, (PDFL_CosObj stream)) {
    return VIEW_Cos::StreamDict(stream);
}
VIEW_BEHAVIOUR_(Cos, 32, PDFL_ASStm, (PDFL_CosObj stream, uint16_t mode)) {
    return VIEW_Cos::StreamOpenStm(stream, mode);
}
VIEW_BEHAVIOUR_(Cos, 33, int32_t, (PDFL_CosObj stream)) {
    return VIEW_Cos::StreamPos(stream);
}
VIEW_BEHAVIOUR_(Cos, 34, PDFL_CosObj, (PDFL_CosDoc doc)) {
    return VIEW_Cos::DocGetRoot(doc);
}
VIEW_BEHAVIOUR_(Cos, 35, PDFL_CosObj, (PDFL_CosDoc doc)) {
    return VIEW_Cos::DocGetInfoDict(doc);
}
VIEW_BEHAVIOUR_(Cos, 38, PDFL_CosDoc, (PDFL_CosDocOpenParams* params)) {
    return VIEW_Cos::DocOpenWithParams(params);
}
VIEW_BEHAVIOUR_(Cos, 39, void, (PDFL_CosDoc doc)) {
    VIEW_Cos::DocClose(doc);
}
VIEW_BEHAVIOUR_(Cos, 40, PDFL_CosDoc, (uint32_t flags)) {
    return VIEW_Cos::DocCreate(flags);
}
VIEW_BEHAVIOUR_(Cos, 41, void, (PDFL_CosDoc doc, PDFL_ASFile file, uint32_t flags, PDFL_CosDocSaveParams* params)) {
    VIEW_Cos::DocSaveToFile(doc, file, flags, params);
}
VIEW_BEHAVIOUR_(Cos, 43, int32_t, (PDFL_CosObj obj)) {
    return VIEW_Cos::ObjGetID(obj);
}
VIEW_BEHAVIOUR_(Cos, 44, uint16_t, (PDFL_CosObj obj)) {
    return VIEW_Cos::ObjGetGeneration(obj);
}
VIEW_BEHAVIOUR_(Cos, 46, void, (PDFL_CosDoc doc, PDFL_ASFile file, uint32_t flags, PDFL_CosDocSaveParams* params)) {
    VIEW_Cos::DocSaveWithParams(doc, file, flags, params);
}
VIEW_BEHAVIOUR_(Cos, 52, void, (PDFL_CosObj array, int32_t index)) {
    VIEW_Cos::ArrayRemoveNth(array, index);
}

// ---- PD documents and pages: VIEW_PD does the work over the Cos store.
VIEW_BEHAVIOUR_(PDModel, 66, PDFL_PDDoc, (PDFL_ASPathName path, PDFL_ASFileSys fileSys, PDFL_PDAuthProc, PDFL_Bool)) {
    return VIEW_PD::DocOpen(path, fileSys);
}
VIEW_BEHAVIOUR_(PDModel, 69, PDFL_PDDoc, ()) {
    return VIEW_PD::DocCreate();
}
VIEW_BEHAVIOUR_(PDModel, 70, void, (PDFL_PDDoc doc, uint16_t flags, PDFL_ASPathName path, PDFL_ASFileSys fileSys,
                                    PDFL_ProgressMonitor, void*)) {
    VIEW_PD::DocSave(doc, flags, path, fileSys);
}
VIEW_BEHAVIOUR_(PDModel, 71, void, (PDFL_PDDoc doc)) {
    VIEW_PD::DocClose(doc);
}
VIEW_BEHAVIOUR_(PDModel, 74, int32_t, (PDFL_PDDoc doc)) {
    return VIEW_PD::DocGetFlags(doc);
}
VIEW_BEHAVIOUR_(PDModel, 75, void, (PDFL_PDDoc doc, int32_t flags)) {
    VIEW_PD::DocSetFlags(doc, flags);
}
VIEW_BEHAVIOUR_(PDModel, 78, PDFL_CosDoc, (PDFL_PDDoc doc)) {
    return VIEW_PD::DocGetCosDoc(doc);
}
VIEW_BEHAVIOUR_(PDModel, 83, int32_t, (PDFL_PDDoc doc)) {
    return VIEW_PD::DocGetNumPages(doc);
}
VIEW_BEHAVIOUR_(PDModel, 84, PDFL_PDPage, (PDFL_PDDoc doc, int32_t number)) {
    return VIEW_PD::DocAcquirePage(doc, number);
}
VIEW_BEHAVIOUR_(PDModel, 85, PDFL_PDPage, (PDFL_PDDoc doc, int32_t after, PDFL_FixedRect box)) {
    return VIEW_PD::DocCreatePage(doc, after, box);
}
VIEW_BEHAVIOUR_(PDModel, 86, void, (PDFL_PDDoc doc, int32_t first, int32_t last, PDFL_ProgressMonitor, void*)) {
    VIEW_PD::DocDeletePages(doc, first, last);
}
VIEW_BEHAVIOUR_(PDModel, 87, void, (PDFL_PDDoc doc, int32_t after, PDFL_PDPage page)) {
    VIEW_PD::DocMovePage(doc, after, page);
}
VIEW_BEHAVIOUR_(PDModel, 105, void, (PDFL_PDDoc doc, const char* key, const char* value, int32_t length)) {
    VIEW_PD::DocSetInfo(doc, key, value, length);
}
VIEW_BEHAVIOUR_(PDModel, 114, uint32_t, (PDFL_PDDoc doc)) {
    return VIEW_PD::DocGetPermissions(doc);
}
VIEW_BEHAVIOUR_(PDModel, 137, int32_t, (PDFL_PDPage page)) {
    return VIEW_PD::PageGetNumber(page);
}
VIEW_BEHAVIOUR_(PDModel, 138, void, (PDFL_PDPage page)) {
    VIEW_PD::PageRelease(page);
}
VIEW_BEHAVIOUR_(PDModel, 139, PDFL_PDDoc, (PDFL_PDPage page)) {
    return VIEW_PD::PageGetDoc(page);
}
VIEW_BEHAVIOUR_(PDModel, 140, PDFL_CosObj, (PDFL_PDPage page)) {
    return VIEW_PD::PageGetCosObj(page);
}
VIEW_BEHAVIOUR_(PDModel, 142, PDFL_PDRotate, (PDFL_PDPage page)) {
    return VIEW_PD::PageGetRotate(page);
}
VIEW_BEHAVIOUR_(PDModel, 151, void, (PDFL_PDPage page, PDFL_PlatformWindow, PDFL_PlatformDC dc, PDFL_Bool,
                                     PDFL_FixedMatrix* matrix, PDFL_FixedRect* updateRect, PDFL_CancelProc cancel,
                                     void* cancelData)) {
    VIEW_PD::PageDrawContents(page, dc, matrix, updateRect, cancel, cancelData);
}
VIEW_BEHAVIOUR_(PDModel, 265, PDFL_PDDoc, (PDFL_ASFile file, PDFL_PDAuthProc, PDFL_Bool)) {
    return VIEW_PD::DocOpenFromASFile(file);
}

// ---- Tools, the toolbar and menus -------------------------------------------
VIEW_BEHAVIOUR_(AcroView, 16, PDFL_AVMenubar, ()) {
    return VIEW_Menus::Menubar();
}
VIEW_BEHAVIOUR_(AcroView, 17, PDFL_AVToolBar, ()) {
    return VIEW_Toolbar::MainToolBar();
}
VIEW_BEHAVIOUR_(AcroView, 18, PDFL_AVTool, ()) {
    return VIEW_Tools::ActiveTool();
}
VIEW_BEHAVIOUR_(AcroView, 20, PDFL_AVTool, ()) {
    return VIEW_Tools::DefaultTool();
}
VIEW_BEHAVIOUR_(AcroView, 21, void, (PDFL_AVTool tool, PDFL_Bool persistent)) {
    VIEW_Tools::SetActiveTool(tool, persistent);
}
VIEW_BEHAVIOUR_(AcroView, 24, void, (PDFL_AVTool tool)) {
    VIEW_Tools::Register(tool);
}
VIEW_BEHAVIOUR_(AcroView, 71, PDFL_AVMenu, (PDFL_AVMenubar menubar, const char* name)) {
    return VIEW_Menus::AcquireMenuByName(menubar, name);
}
VIEW_BEHAVIOUR_(AcroView, 74, PDFL_AVMenuItem, (PDFL_AVMenubar menubar, const char* name)) {
    return VIEW_Menus::AcquireItemByName(menubar, name);
}
VIEW_BEHAVIOUR_(AcroView, 80, void, (PDFL_AVMenu menu)) {
    VIEW_Menus::ReleaseMenu(menu);
}
VIEW_BEHAVIOUR_(AcroView, 89, void, (PDFL_AVMenu menu, PDFL_AVMenuItem item, int32_t position)) {
    VIEW_Menus::AddItem(menu, item, position);
}
VIEW_BEHAVIOUR_(AcroView, 90, PDFL_AVMenuItem,
                (const char* title, const char* name, PDFL_AVMenu submenu, PDFL_Bool, char,
                 uint16_t flags, PDFL_AVIcon icon, PDFL_ExtensionID)) {
    return VIEW_Menus::NewItem(title, name, submenu, flags, icon);
}
VIEW_BEHAVIOUR_(AcroView, 92, void, (PDFL_AVMenuItem item)) {
    VIEW_Menus::ReleaseItem(item);
}
VIEW_BEHAVIOUR_(AcroView, 93, void, (PDFL_AVMenuItem item)) {
    VIEW_Menus::RemoveItem(item);
}
VIEW_BEHAVIOUR_(AcroView, 95, int32_t, (PDFL_AVMenuItem item, char* buffer, int32_t size)) {
    return VIEW_Menus::Title(item, buffer, size);
}
VIEW_BEHAVIOUR_(AcroView, 99, void, (PDFL_AVMenuItem item, PDFL_ASCallback proc, void* data)) {
    VIEW_Menus::SetProc(item, VIEW_Menus::Execute, proc, data);
}
VIEW_BEHAVIOUR_(AcroView, 100, void, (PDFL_AVMenuItem item, PDFL_ASCallback proc, void* data)) {
    VIEW_Menus::SetProc(item, VIEW_Menus::ComputeEnabled, proc, data);
}
VIEW_BEHAVIOUR_(AcroView, 101, void, (PDFL_AVMenuItem item, PDFL_ASCallback proc, void* data)) {
    VIEW_Menus::SetProc(item, VIEW_Menus::ComputeMarked, proc, data);
}
VIEW_BEHAVIOUR_(AcroView, 102, PDFL_AVMenu, (PDFL_AVMenuItem item)) {
    return VIEW_Menus::AcquireSubmenu(item);
}
VIEW_BEHAVIOUR_(AcroView, 163, PDFL_AVToolButton, (PDFL_AVToolBar toolBar, PDFL_ASAtom name)) {
    return VIEW_Toolbar::ButtonByName(toolBar, name);
}
VIEW_BEHAVIOUR_(AcroView, 165, void,
                (PDFL_AVToolBar toolBar, PDFL_AVToolButton button, PDFL_Bool before,
                 PDFL_AVToolButton other)) {
    VIEW_Toolbar::AddButton(toolBar, button, before, other);
}
VIEW_BEHAVIOUR_(AcroView, 167, PDFL_Bool,
                (PDFL_AVToolBar toolBar, uint16_t buttons, uint16_t separators)) {
    return VIEW_Toolbar::IsRoomFor(toolBar, buttons, separators);
}
VIEW_BEHAVIOUR_(AcroView, 169, PDFL_AVToolButton,
                (PDFL_ASAtom name, PDFL_AVIcon icon, PDFL_Bool, PDFL_Bool separator)) {
    return VIEW_Toolbar::NewButton(name, icon, separator);
}
VIEW_BEHAVIOUR_(AcroView, 170, void, (PDFL_AVToolButton button)) {
    VIEW_Toolbar::DestroyButton(button);
}
VIEW_BEHAVIOUR_(AcroView, 173, PDFL_ASAtom, (PDFL_AVToolButton button)) {
    return VIEW_Toolbar::Button(button).m_name;
}
VIEW_BEHAVIOUR_(AcroView, 175, void, (PDFL_AVToolButton button, PDFL_ASCallback proc, void* data)) {
    VIEW_Toolbar::Button(button).m_execute = proc;
    VIEW_Toolbar::Button(button).m_executeData = data;
}
VIEW_BEHAVIOUR_(AcroView, 176, void, (PDFL_AVToolButton button, PDFL_ASCallback proc, void* data)) {
    VIEW_Toolbar::Button(button).m_computeEnabled = proc;
    VIEW_Toolbar::Button(button).m_computeEnabledData = data;
}
VIEW_BEHAVIOUR_(AcroView, 177, void, (PDFL_AVToolButton button, PDFL_ASCallback proc, void* data)) {
    VIEW_Toolbar::Button(button).m_computeMarked = proc;
    VIEW_Toolbar::Button(button).m_computeMarkedData = data;
}
VIEW_BEHAVIOUR_(AcroView, 181, PDFL_Bool, (PDFL_AVTool tool)) {
    return VIEW_Tools::IsPersistent(tool);
}
VIEW_BEHAVIOUR_(AcroView, 214, void, (PDFL_AVToolButton button, const char* text)) {
    VIEW_Toolbar::Button(button).m_hasHelpText = true;
    VIEW_Toolbar::Button(button).m_helpText = text ? text : "";
}
// ---- end of tools, the toolbar and menus --------------------------------------

// ---- Windows ------------------------------------------------------------------
VIEW_BEHAVIOUR_(Win, 1, void, (PDFL_PlatformWindow dialog)) {
    VIEW_Windows::RegisterModelessDialog(static_cast<HWND>(dialog));
}
VIEW_BEHAVIOUR_(AcroView, 182, PDFL_AVWindow,
                (int32_t, uint32_t, PDFL_AVWindowHandlerRec* handler, PDFL_ExtensionID)) {
    return VIEW_Windows::New(handler);
}
VIEW_BEHAVIOUR_(AcroView, 183, PDFL_AVWindow,
                (int32_t, uint32_t, PDFL_AVWindowHandlerRec* handler, PDFL_ExtensionID,
                 PDFL_PlatformWindow platformWindow)) {
    return VIEW_Windows::NewFromPlatformThing(handler, static_cast<HWND>(platformWindow));
}
VIEW_BEHAVIOUR_(AcroView, 184, void, (PDFL_AVWindow window)) {
    VIEW_Windows::Destroy(window);
}
VIEW_BEHAVIOUR_(AcroView, 187, void, (PDFL_AVWindow window)) {
    VIEW_Windows::Show(window);
}
VIEW_BEHAVIOUR_(AcroView, 188, void, (PDFL_AVWindow window)) {
    VIEW_Windows::Hide(window);
}
VIEW_BEHAVIOUR_(AcroView, 189, PDFL_Bool, (PDFL_AVWindow window)) {
    return VIEW_Windows::IsVisible(window);
}
VIEW_BEHAVIOUR_(AcroView, 190, PDFL_PlatformWindow, (PDFL_AVWindow window)) {
    return VIEW_Windows::PlatformThing(window);
}
VIEW_BEHAVIOUR_(AcroView, 191, void*, (PDFL_AVWindow window)) {
    return VIEW_Windows::OwnerData(window);
}
VIEW_BEHAVIOUR_(AcroView, 192, void, (PDFL_AVWindow window, void* data)) {
    VIEW_Windows::SetOwnerData(window, data);
}
VIEW_BEHAVIOUR_(AcroView, 194, void, (PDFL_AVWindow window, const char* title)) {
    VIEW_Windows::SetTitle(window, title);
}
VIEW_BEHAVIOUR_(AcroView, 196, void, (PDFL_AVWindow window, PDFL_AVRect* frame)) {
    if (!frame)
        throw VIEW_AssertionFailure("AVWindowSetFrame without a frame");
    VIEW_Windows::SetFrame(window, *frame);
}
VIEW_BEHAVIOUR_(AcroView, 197, void, (PDFL_AVWindow window, PDFL_AVRect* rect)) {
    if (!rect)
        throw VIEW_AssertionFailure("AVWindowGetInterior without a rectangle");
    *rect = VIEW_Windows::Interior(window);
}
VIEW_BEHAVIOUR_(AcroView, 199, void, (PDFL_AVWindow window, PDFL_AVRect* rect)) {
    if (!rect)
        throw VIEW_AssertionFailure("AVWindowInvalidateRect without a rectangle");
    VIEW_Windows::InvalidateRect(window, *rect);
}
VIEW_BEHAVIOUR_(AcroView, 203, void, (PDFL_AVWindow window)) {
    VIEW_Windows::BecomeKey(window);
}
// ---- Documents, page views, cursors, modifiers and the mouse -----------------
template <class T>
T& Required(T* pointer, const char* what) {
    if (!pointer)
        throw VIEW_AssertionFailure(what);
    return *pointer;
}
VIEW_BEHAVIOUR_(AcroView, 12, PDFL_AVDoc, ()) {
    return VIEW_AVDocs::Front();
}
VIEW_BEHAVIOUR_(AcroView, 45, PDFL_AVDoc, (PDFL_PDDoc doc, const char* title)) {
    return VIEW_AVDocs::OpenFromPDDoc(doc, title);
}
VIEW_BEHAVIOUR_(AcroView, 48, PDFL_PDDoc, (PDFL_AVDoc doc)) {
    return VIEW_AVDocs::PDDoc(doc);
}
VIEW_BEHAVIOUR_(AcroView, 49, PDFL_AVPageView, (PDFL_AVDoc doc)) {
    return VIEW_AVDocs::PageView(doc);
}
VIEW_BEHAVIOUR_(AcroView, 108, void, (PDFL_AVPageView view, PDFL_AVRect* rect)) {
    Required(rect, "AVPageViewGetAperture without a rectangle") = VIEW_PageViews::Aperture(view);
}
VIEW_BEHAVIOUR_(AcroView, 109, PDFL_PDPage, (PDFL_AVPageView view)) {
    return VIEW_PageViews::Page(view);
}
VIEW_BEHAVIOUR_(AcroView, 114, void, (PDFL_AVPageView view, PDFL_PDColorValueRec* color)) {
    VIEW_OverlayOp op{VIEW_OverlayKind::SetColor};
    op.m_color = Required(color, "AVPageViewSetColor without a colour");
    VIEW_PageViews::Draw(view, op);
}
VIEW_BEHAVIOUR_(AcroView, 126, void, (PDFL_AVPageView view, PDFL_AVRect* rect)) {
    VIEW_OverlayOp op{VIEW_OverlayKind::InvertRect};
    op.m_rect = Required(rect, "AVPageViewInvertRect without a rectangle");
    VIEW_PageViews::Draw(view, op);
}
VIEW_BEHAVIOUR_(AcroView, 127, void, (PDFL_AVPageView view)) {
    VIEW_PageViews::Draw(view, VIEW_OverlayOp{VIEW_OverlayKind::Refresh});
}
VIEW_BEHAVIOUR_(AcroView, 129, void, (PDFL_AVPageView view, PDFL_AVRect* rect)) {
    VIEW_OverlayOp op{VIEW_OverlayKind::InvertOutline};
    op.m_rect = Required(rect, "AVPageViewInvertRectOutline without a rectangle");
    VIEW_PageViews::Draw(view, op);
}
VIEW_BEHAVIOUR_(AcroView, 130, void,
                (PDFL_AVPageView view, PDFL_AVRect* rect, int16_t lineWidth, PDFL_Fixed* dashes,
                 int32_t dashCount)) {
    if (dashCount < 0 || (dashCount > 0 && !dashes))
        throw VIEW_AssertionFailure("AVPageViewDrawRectOutline with " + std::to_string(dashCount) +
                                    " dashes and no dash array");
    VIEW_OverlayOp op{VIEW_OverlayKind::DrawOutline};
    op.m_rect = Required(rect, "AVPageViewDrawRectOutline without a rectangle");
    op.m_lineWidth = lineWidth;
    op.m_dashCount = dashCount;
    VIEW_PageViews::Draw(view, op);
}
VIEW_BEHAVIOUR_(AcroView, 132, void, (PDFL_AVPageView view, int16_t* x, int16_t* y)) {
    VIEW_PageViews::Page(view);  // an unknown view fails here
    VIEW_Input::MousePosition(x, y);
}
VIEW_BEHAVIOUR_(AcroView, 135, void, (PDFL_ASCallback proc, void* data)) {
    VIEW_PageViewProcs::RegisterDrawing(proc, data);
}
VIEW_BEHAVIOUR_(AcroView, 136, void, (PDFL_ASCallback proc)) {
    VIEW_PageViewProcs::UnregisterDrawing(proc);
}
VIEW_BEHAVIOUR_(AcroView, 139, void, (PDFL_ASCallback proc, void* data)) {
    VIEW_PageViewProcs::RegisterAdjustCursor(proc, data);
}
VIEW_BEHAVIOUR_(AcroView, 140, void, (PDFL_ASCallback proc)) {
    VIEW_PageViewProcs::UnregisterAdjustCursor(proc);
}
VIEW_BEHAVIOUR_(AcroView, 154, void, (PDFL_AVPageView view, PDFL_FixedRect* pageRect, PDFL_AVRect* deviceRect)) {
    const PDFL_FixedRect& from = Required(pageRect, "AVPageViewRectToDevice without a page rectangle");
    Required(deviceRect, "AVPageViewRectToDevice without a device rectangle") =
        VIEW_PageViews::RectToDevice(view, from);
}
VIEW_BEHAVIOUR_(AcroView, 155, void, (PDFL_AVPageView view, PDFL_AVRect* deviceRect, PDFL_FixedRect* pageRect)) {
    const PDFL_AVRect& from = Required(deviceRect, "AVPageViewDeviceRectToPage without a device rectangle");
    Required(pageRect, "AVPageViewDeviceRectToPage without a page rectangle") =
        VIEW_PageViews::DeviceRectToPage(view, from);
}
VIEW_BEHAVIOUR_(AcroView, 156, int32_t, ()) {
    return VIEW_Input::Modifiers();
}
VIEW_BEHAVIOUR_(AcroView, 157, PDFL_Bool, ()) {
    return VIEW_Input::MouseIsStillDown() ? 1 : 0;
}
VIEW_BEHAVIOUR_(AcroView, 159, PDFL_AVCursor, (int32_t id)) {
    return VIEW_Input::StandardCursor(id);
}
VIEW_BEHAVIOUR_(AcroView, 160, void, (PDFL_AVCursor cursor)) {
    VIEW_Input::SetCursor(cursor);
}
// ---- end of documents, page views and input -----------------------------------
#undef VIEW_BEHAVIOUR_

// What a slot does before its result, whatever the result: record checks
// and the enumeration.
template <int Table, int Slot>
struct Effect {
    static constexpr bool Defined = false;
};

#define VIEW_EFFECT_(table, slot, params)                                                         \
    template <>                                                                                    \
    struct Effect<PDFL_##table##Table, slot> {                                                     \
        static constexpr bool Defined = true;                                                      \
        static void Run params;                                                                    \
    };                                                                                             \
    void Effect<PDFL_##table##Table, slot>::Run params

VIEW_EFFECT_(Cos, 4, (PDFL_CosObj, PDFL_CosObjEnumProc proc, void* clientData)) {
    for (const auto& entry : VIEW_Recorder::EnumEntries())
        if (!VIEW_CallPlugin([&] { return proc(entry.first, entry.second, clientData); }))
            break;
}
VIEW_EFFECT_(Cos, 38, (PDFL_CosDocOpenParams* params)) {
    CheckSize(params, params ? params->m_size : 0, "CosDocOpenWithParams");
}
VIEW_EFFECT_(Cos, 41, (PDFL_CosDoc, PDFL_ASFile, uint32_t, PDFL_CosDocSaveParams* params)) {
    CheckSize(params, params ? params->m_size : 0, "CosDocSaveToFile");
}
VIEW_EFFECT_(Cos, 46, (PDFL_CosDoc, PDFL_ASFile, uint32_t, PDFL_CosDocSaveParams* params)) {
    CheckSize(params, params ? params->m_size : 0, "CosDocSaveWithParams");
}
VIEW_EFFECT_(AcroView, 24, (PDFL_AVTool tool)) {
    CheckSize(tool, tool ? tool->m_size : 0, "AVAppRegisterTool");
}
VIEW_EFFECT_(AcroView, 182, (int32_t, uint32_t, PDFL_AVWindowHandlerRec* handler, PDFL_ExtensionID)) {
    CheckSize(handler, handler ? handler->m_size : 0, "AVWindowNew");
}
VIEW_EFFECT_(AcroView, 183, (int32_t, uint32_t, PDFL_AVWindowHandlerRec* handler, PDFL_ExtensionID,
                             PDFL_PlatformWindow)) {
    CheckSize(handler, handler ? handler->m_size : 0, "AVWindowNewFromPlatformThing");
}
#undef VIEW_EFFECT_

// Record, inject, the effect, then the behaviour or the test's result.
template <int Table, int Slot, class R, class... Args>
R RecordingBody(Args... args) {
    // A paused run makes millions of calls: their words are not even built.
    if (VIEW_Recorder::Recording())
        VIEW_Recorder::Record(Table, Slot, VIEW_Words(args...));
    // Nor are faults and results looked up where no test set any.
    const bool scripted = VIEW_Recorder::Scripted();
    if (scripted)
        VIEW_Recorder::FireFault(Table, Slot);
    if constexpr (Effect<Table, Slot>::Defined)
        Effect<Table, Slot>::Run(args...);
    constexpr bool frameSlot = Table == PDFL_CoreTable && Slot >= 1 && Slot <= 4;
    if constexpr (Behaviour<Table, Slot>::Defined) {
        if (!frameSlot && scripted && VIEW_Recorder::HasResult(Table, Slot))
            return VIEW_FromWord<R>(VIEW_Recorder::Result(Table, Slot));
        return static_cast<R>(Behaviour<Table, Slot>::Run(args...));
    } else {
        return VIEW_FromWord<R>(scripted ? VIEW_Recorder::Result(Table, Slot) : 0);
    }
}

}  // namespace

#define VIEW_COMMA_ARGS_(...) __VA_OPT__(, ) __VA_ARGS__

// The slot procedures: C functions with the published signatures.
extern "C" {
#define VIEW_THUNK_(table, slot, name, result, params, args)                                      \
    static result VIEW_Thunk_##table##_##name params {                                             \
        return VIEW_SlotBoundary<PDFL_##table##Table, slot, result>(                               \
            [](auto... a) { return RecordingBody<PDFL_##table##Table, slot, result>(a...); }       \
                VIEW_COMMA_ARGS_ args);                                                            \
    }
PDFL_ALL_SLOTS(VIEW_THUNK_)
#undef VIEW_THUNK_
}

namespace {

std::array<SlotTable, PDFL_HostTableCount>& Tables() {
    static std::array<SlotTable, PDFL_HostTableCount> tables = [] {
        std::array<SlotTable, PDFL_HostTableCount> filled{};
#define VIEW_FILL_(table, slot, name, result, params, args)                                       \
    filled[PDFL_##table##Table][slot] = reinterpret_cast<PDFL_Proc>(&VIEW_Thunk_##table##_##name);
        PDFL_ALL_SLOTS(VIEW_FILL_)
#undef VIEW_FILL_
        return filled;
    }();
    return tables;
}

}  // namespace

PDFL_HFT VIEW_Host::Table(int table) {
    if (table < 0 || table >= PDFL_HostTableCount)
        throw VIEW_AssertionFailure("no table " + std::to_string(table));
    return Tables()[table].data();
}

void VIEW_Host::OfferTable(int table, uint32_t version) {
    if (table <= PDFL_CoreTable || table >= PDFL_HostTableCount)
        throw VIEW_AssertionFailure("table " + std::to_string(table) + " cannot be offered");
    Offers()[table] = version;
}

uint32_t VIEW_Host::OfferedVersion(int table) {
    return table > PDFL_CoreTable && table < PDFL_HostTableCount ? Offers()[table] : 0;
}

const char* VIEW_Host::TableName(int table) {
    return table >= 0 && table < PDFL_HostTableCount ? TableNames[table] : "";
}

PDFL_ExtensionID VIEW_Host::ExtensionID() {
    static char extension;
    return reinterpret_cast<PDFL_ExtensionID>(&extension);
}

void VIEW_Host::Reset() {
    VIEW_Frames::Reset();
    VIEW_Recorder::Reset();
    VIEW_Callbacks::Reset();
    VIEW_ErrorRegistry::Reset();
    VIEW_Memory::Reset();
    VIEW_Streams::Reset();
    VIEW_Files::Reset();
    VIEW_FileSys::Reset();
    VIEW_Paths::Reset();
    VIEW_AVDocs::Reset();
    VIEW_PageViewProcs::Reset();
    VIEW_Input::Reset();
    VIEW_PD::Reset();
    VIEW_Cos::Reset();
    VIEW_App::Reset();
    VIEW_Tools::Reset();
    VIEW_Toolbar::Reset();
    VIEW_Menus::Reset();
    VIEW_Progress::Reset();
    VIEW_Windows::Reset();
    OfferDefaults(Offers());
}
