// The module's door: PlugInMain, the set-up that binds the host's tables,
// and the handshake that finds the plug-in object. Each plug-in module
// exports PlugInMain and nothing else.
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "Exchange/XCHG/XCHG_Plugin.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "hostpdf/PDFL_ExceptionHandler.h"

#include <algorithm>

namespace {

constexpr uint32_t HandshakeVersion = 0x00020000;

// The version asked for at each level (1 first, then 0), by selector; 0:
// not required at that level.
constexpr uint32_t TableVersions[2][12] = {
    {0x00020000, 0x00020002, 0x00020002, 0x00020002, 0x00020002, 0x00020000, 0x00020000, 0x00020000,
     0, 0, 0, 0},
    {0x00040000, 0x00040000, 0x00040000, 0x00040000, 0x00040000, 0x00020000, 0x00020000, 0x00040000,
     0x00040000, 0x00040000, 0x00040000, 0x00040000},
};

struct TableRequest {
    int m_selector;
    const char* m_name;
    PDFL_HFT* m_table;
    uint32_t* m_version;
};

const TableRequest Requests[] = {
    {1, "AcroSupport", &gXCHG_AcroSupportHFT, &gXCHG_AcroSupportVersion},
    {2, "Cos", &gXCHG_CosHFT, &gXCHG_CosVersion},
    {3, "PDModel", &gXCHG_PDModelHFT, &gXCHG_PDModelVersion},
    {8, "PDFEditWrite", &gXCHG_PDFEditWriteHFT, &gXCHG_PDFEditWriteVersion},
    {9, "PDFEditRead", &gXCHG_PDFEditReadHFT, &gXCHG_PDFEditReadVersion},
    {10, "PDSysFont", &gXCHG_PDSysFontHFT, &gXCHG_PDSysFontVersion},
    {11, "PagePDEContent", &gXCHG_PagePDEContentHFT, &gXCHG_PagePDEContentVersion},
    {4, "AcroView", &gXCHG_AcroViewHFT, &gXCHG_AcroViewVersion},
    {7, "Win", &gXCHG_WinHFT, &gXCHG_WinVersion},
};

// No host-error handler is installed yet, so these Core calls go to the
// host without a frame.
PDFL_Bool PlugInRequestTable(int selector, const char* name, PDFL_HFT* table, uint32_t* version) {
    for (int level = 1; level >= 0; --level) {
        *version = TableVersions[level][selector];
        if (*version == 0)
            return 1;
        *table = PDFL_ASExtensionMgrGetHFT(PDFL_ASAtomFromString(name), *version);
        if (*table)
            return 1;
    }
    return 0;
}

PDFL_Bool XCHG_Handshake(uint32_t version, PDFL_HandshakeRec* record) {
    XCHG_Plugin* plugin = XCHG_PluginObject();
    if (plugin == nullptr) {
        XCHG_ErrorAlert("You have to define an object derived from XCHG_Plugin");
        return 0;
    }
    return plugin->Handshake(version, record) ? 1 : 0;
}

PDFL_Bool PlugInSetup(uint32_t handshakeVersion, PDFL_SetupRec* record) {
    if (handshakeVersion != HandshakeVersion || record->m_handshakeVersion != HandshakeVersion)
        return 0;
    gXCHG_ExtensionID = record->m_extensionID;
    gXCHG_CoreHFT = record->m_coreHFT;
    for (const TableRequest& request : Requests)
        if (!PlugInRequestTable(request.m_selector, request.m_name, request.m_table, request.m_version))
            return 0;
    record->m_handshake = PDFL_ASCallbackCreate(gXCHG_ExtensionID, reinterpret_cast<PDFL_Proc>(&XCHG_Handshake));
    return 1;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) PDFL_Bool PlugInMain(uint32_t hostHandshakeVersion,
                                                                      uint32_t* handshakeVersion,
                                                                      PDFL_SetupProc* setup,
                                                                      PDFL_WinDataRec* windowsData) {
    gXCHG_MainWindow = static_cast<HWND>(windowsData->m_mainWindow);
    gXCHG_ModuleInstance = static_cast<HMODULE>(windowsData->m_moduleInstance);
    *handshakeVersion = std::min(hostHandshakeVersion, HandshakeVersion);
    *setup = &PlugInSetup;
    return 1;
}
