#include "Exchange/XCHG/XCHG_Plugin.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "Exchange/XCHG/XCHG_ModuleInfo.h"
#include "Exchange/XCHG/XCHG_ReportHandlers.h"
#include "GLIB/GLIB_Assert.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_BufferedFileSys.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "hostpdf/PDFL_ExceptionHandler.h"
#include "hostpdf/PDFL_RetryingFileSys.h"
#include "win32/win32.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <vector>

#ifndef PDFL_VERSION
#define PDFL_VERSION 400
#endif

namespace {

XCHG_Plugin* g_plugin = nullptr;

template <class Member>
auto Guarded(const char* method, Member member) {
    return PDFL_CallbackGuard("XCHG_Plugin", method, member);
}

}  // namespace

void XCHG_ErrorAlert(const char* text) {
    XCHG_AVAlert(1, text, "OK", nullptr, nullptr, 1);
}

XCHG_Plugin::XCHG_Plugin() {
    if (g_plugin) {
        XCHG_ErrorAlert("You must only define one object derived from XCHG_Plugin");
        return;
    }
    g_plugin = this;
}

XCHG_Plugin::~XCHG_Plugin() {
    // A refused second object must not take the first one's place away.
    if (g_plugin == this)
        g_plugin = nullptr;
}

XCHG_Plugin* XCHG_Plugin::Instance() {
    return g_plugin;
}

int32_t XCHG_Plugin::RequiredHostVersion() const {
#if PDFL_VERSION == 400
    return 0x00040000;
#elif PDFL_VERSION == 100
    return 0x00030000;
#else
    GLIB_AssertFailed("Unknown PDFL_VERSION", __FILE__, __LINE__);
    return 0;
#endif
}

bool XCHG_Plugin::Handshake(uint32_t version, PDFL_HandshakeRec* record) {
    if (version != 0x00020000) {
        XCHG_ErrorAlert("XCHG_Plugin::Handshake: Unexpected handshake version");
        return false;
    }
    record->m_extensionName = PDFL_ASAtomFromString(Name());
    record->m_exportHFTs = PDFL_ASCallbackCreate(gXCHG_ExtensionID, reinterpret_cast<PDFL_Proc>(&ExportHFTs));
    record->m_importReplaceAndRegister = PDFL_ASCallbackCreate(
        gXCHG_ExtensionID, reinterpret_cast<PDFL_Proc>(&PrivateImportReplaceAndRegister));
    record->m_initialize = PDFL_ASCallbackCreate(gXCHG_ExtensionID, reinterpret_cast<PDFL_Proc>(&PrivateInitialize));
    record->m_unload = PDFL_ASCallbackCreate(gXCHG_ExtensionID, reinterpret_cast<PDFL_Proc>(&PrivateUnload));
    return true;
}

int32_t XCHG_Plugin::HostVersion() {
    int16_t major = 0;
    int16_t minor = 0;
    XCHG_AVAppGetVersion(&major, &minor);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int32_t>(major)) << 16) + minor;
}

std::string XCHG_Plugin::ModuleName() {
    char name[260] = "";
    PDFL_ASExtensionGetFileName(gXCHG_ExtensionID, name, sizeof name);
    name[sizeof name - 1] = '\0';
    const size_t length = std::strlen(name);
    if (length > 4 && strcasecmp(name + length - 4, ".api") == 0)
        name[length - 4] = '\0';
    return name;
}

std::string XCHG_Plugin::ModuleDirectory() {
    char name[256] = "";
    PDFL_ASExtensionGetFileName(gXCHG_ExtensionID, name, sizeof name);
    name[sizeof name - 1] = '\0';
    HMODULE module = GetModuleHandleA(name);
    std::vector<char> path(256);
    DWORD length = GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
    while (length >= path.size()) {
        path.resize(path.size() * 2);
        length = GetModuleFileNameA(module, path.data(), static_cast<DWORD>(path.size()));
    }
    const PDFL_ASPathName pathName = PDFL_ASPathFromPlatformPath(path.data());
    const PDFL_ASFileSys fileSys = PDFL_ASGetDefaultFileSys();
    char* display = PDFL_ASFileSysDisplayStringFromPath(fileSys, pathName, nullptr);
    std::string text = display ? display : "";
    if (display)
        PDFL_ASfree(display);
    PDFL_ASFileSysReleasePath(fileSys, pathName);
    const size_t cut = std::min(text.size(), std::strlen(name));
    return text.substr(0, text.size() - cut);
}

bool XCHG_Plugin::DoImportReplaceAndRegister() {
    gXCHG_DebuggerWindowHFT = PDFL_ASExtensionMgrGetHFT(PDFL_ASAtomFromString("ADBE_DebuggerWindow"), 1);
    gXCHG_CosUpdatesHFT = PDFL_ASExtensionMgrGetHFT(PDFL_ASAtomFromString("TSCP_CosUpdates"), 1);
    m_initializeFinishedProc =
        PDFL_ASCallbackCreate(gXCHG_ExtensionID, reinterpret_cast<PDFL_Proc>(&PrivateInitializeFinished));
    XCHG_AVAppRegisterNotification(PDFL_AppDidInitializeNSEL, gXCHG_ExtensionID, m_initializeFinishedProc, nullptr);
    m_initializeFinishedRegistered = 1;
    m_appWillQuitProc = PDFL_ASCallbackCreate(gXCHG_ExtensionID, reinterpret_cast<PDFL_Proc>(&PrivateAppWillQuit));
    XCHG_AVAppRegisterNotification(PDFL_AppWillQuitNSEL, gXCHG_ExtensionID, m_appWillQuitProc, nullptr);
    m_appWillQuitRegistered = 1;
    return ImportReplaceAndRegister();
}

bool XCHG_Plugin::DoInitialize() {
    COSF_PDFL_Library::Initialize();
    XCHG_InstallReportHandlers();
    XCHG_ModuleInfo::Instance().Initialize();
    const int32_t required = RequiredHostVersion();
    if (required > HostVersion()) {
        char name[260] = "";
        PDFL_ASExtensionGetFileName(gXCHG_ExtensionID, name, sizeof name);
        name[sizeof name - 1] = '\0';
        char text[512];
        std::snprintf(text, sizeof text, "The plug-in %s requires Adobe Acrobat version %d.%02d or newer.",
                      name, static_cast<int>(static_cast<int16_t>(required >> 16)),
                      static_cast<int>(static_cast<int16_t>(required & 0xffff)));
        XCHG_ErrorAlert(text);
        return false;
    }
    return Initialize();
}

void XCHG_Plugin::DoInitializeFinished() {
    m_appInitialized = 1;
    InitializeFinished();
}

void XCHG_Plugin::DoAppWillQuit() {
    AppWillQuit();
    m_appInitialized = 0;
}

bool XCHG_Plugin::DoUnload() {
    const bool result = Unload();
    if (m_initializeFinishedRegistered) {
        XCHG_AVAppUnregisterNotification(PDFL_AppDidInitializeNSEL, gXCHG_ExtensionID, m_initializeFinishedProc,
                                         nullptr);
        m_initializeFinishedRegistered = 0;
    }
    if (m_appWillQuitRegistered) {
        XCHG_AVAppUnregisterNotification(PDFL_AppWillQuitNSEL, gXCHG_ExtensionID, m_appWillQuitProc, nullptr);
        m_appWillQuitRegistered = 0;
    }
    // The default file system's copy lives in the host's memory: give it
    // back before the module goes.
    iPDFL_ForgetBufferedFileSys();
    iPDFL_ForgetRetryingFileSys();
    return result;
}

PDFL_Bool XCHG_Plugin::ExportHFTs() {
    return Guarded("ExportHFTs", []() -> PDFL_Bool { return g_plugin && g_plugin->ExportOwnHFTs() ? 1 : 0; });
}

PDFL_Bool XCHG_Plugin::PrivateImportReplaceAndRegister() {
    return Guarded("PrivateImportReplaceAndRegister",
                   []() -> PDFL_Bool { return g_plugin && g_plugin->DoImportReplaceAndRegister() ? 1 : 0; });
}

PDFL_Bool XCHG_Plugin::PrivateInitialize() {
    return Guarded("PrivateInitialize", []() -> PDFL_Bool { return g_plugin && g_plugin->DoInitialize() ? 1 : 0; });
}

void XCHG_Plugin::PrivateInitializeFinished(void*) {
    Guarded("PrivateInitializeFinished", [] {
        if (g_plugin)
            g_plugin->DoInitializeFinished();
    });
}

void XCHG_Plugin::PrivateAppWillQuit(void*) {
    Guarded("PrivateAppWillQuit", [] {
        if (g_plugin)
            g_plugin->DoAppWillQuit();
    });
}

PDFL_Bool XCHG_Plugin::PrivateUnload() {
    return Guarded("PrivateUnload", []() -> PDFL_Bool { return g_plugin && g_plugin->DoUnload() ? 1 : 0; });
}
