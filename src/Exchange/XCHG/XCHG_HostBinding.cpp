#include "Exchange/XCHG/XCHG_HostBinding.h"

#include <csetjmp>

HWND gXCHG_MainWindow = nullptr;
HMODULE gXCHG_ModuleInstance = nullptr;

PDFL_ExtensionID gXCHG_ExtensionID = nullptr;
PDFL_HFT gXCHG_CoreHFT = nullptr;

PDFL_HFT gXCHG_AcroSupportHFT = nullptr;
uint32_t gXCHG_AcroSupportVersion = 0;
PDFL_HFT gXCHG_CosHFT = nullptr;
uint32_t gXCHG_CosVersion = 0;
PDFL_HFT gXCHG_PDModelHFT = nullptr;
uint32_t gXCHG_PDModelVersion = 0;
PDFL_HFT gXCHG_PDFEditWriteHFT = nullptr;
uint32_t gXCHG_PDFEditWriteVersion = 0;
PDFL_HFT gXCHG_PDFEditReadHFT = nullptr;
uint32_t gXCHG_PDFEditReadVersion = 0;
PDFL_HFT gXCHG_PDSysFontHFT = nullptr;
uint32_t gXCHG_PDSysFontVersion = 0;
PDFL_HFT gXCHG_PagePDEContentHFT = nullptr;
uint32_t gXCHG_PagePDEContentVersion = 0;
PDFL_HFT gXCHG_AcroViewHFT = nullptr;
uint32_t gXCHG_AcroViewVersion = 0;
PDFL_HFT gXCHG_WinHFT = nullptr;
uint32_t gXCHG_WinVersion = 0;

PDFL_HFT gXCHG_DebuggerWindowHFT = nullptr;
PDFL_HFT gXCHG_CosUpdatesHFT = nullptr;

extern "C" void PlugInRestoreFrame(void* frame) {
    std::longjmp(*static_cast<std::jmp_buf*>(frame), 1);
}
