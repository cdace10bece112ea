// The plug-in's binding to its host: the function tables set-up obtained,
// each with the version it was obtained at (0 when it was not required at
// the level that succeeded), the extension id, the optional debugger-window
// and Cos updates tables, the Windows data block, and the restore procedure handed to the
// host with every exception frame. Written only by the plug-in entry; tests
// fill them from the viewer stand-in the same way.
#pragma once

#include "viewer/host_api.h"
#include "win32/win32.h"

#include <cstdint>

// The Windows data block: the host's main window and the plug-in module.
extern HWND gXCHG_MainWindow;
extern HMODULE gXCHG_ModuleInstance;

extern PDFL_ExtensionID gXCHG_ExtensionID;
extern PDFL_HFT gXCHG_CoreHFT;

extern PDFL_HFT gXCHG_AcroSupportHFT;
extern uint32_t gXCHG_AcroSupportVersion;
extern PDFL_HFT gXCHG_CosHFT;
extern uint32_t gXCHG_CosVersion;
extern PDFL_HFT gXCHG_PDModelHFT;
extern uint32_t gXCHG_PDModelVersion;
extern PDFL_HFT gXCHG_PDFEditWriteHFT;
extern uint32_t gXCHG_PDFEditWriteVersion;
extern PDFL_HFT gXCHG_PDFEditReadHFT;
extern uint32_t gXCHG_PDFEditReadVersion;
extern PDFL_HFT gXCHG_PDSysFontHFT;
extern uint32_t gXCHG_PDSysFontVersion;
extern PDFL_HFT gXCHG_PagePDEContentHFT;
extern uint32_t gXCHG_PagePDEContentVersion;
extern PDFL_HFT gXCHG_AcroViewHFT;
extern uint32_t gXCHG_AcroViewVersion;
extern PDFL_HFT gXCHG_WinHFT;
extern uint32_t gXCHG_WinVersion;

// "ADBE_DebuggerWindow" version 1; null when the host has none.
extern PDFL_HFT gXCHG_DebuggerWindowHFT;
// "TSCP_CosUpdates" version 1; null when the host has none.
extern PDFL_HFT gXCHG_CosUpdatesHFT;

// Returns to the environment saved in frame (a std::jmp_buf) with the
// value 1. The host calls it for the innermost frame when it raises.
extern "C" void PlugInRestoreFrame(void* frame);
