#include "support/StandInBinding.h"

#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "viewer/VIEW_Host.h"

void BindStandInTables() {
    const uint32_t version = 0x00040000;
    gXCHG_ExtensionID = VIEW_Host::ExtensionID();
    gXCHG_CoreHFT = VIEW_Host::Table(PDFL_CoreTable);
    gXCHG_AcroSupportHFT = VIEW_Host::Table(PDFL_AcroSupportTable);
    gXCHG_AcroSupportVersion = version;
    gXCHG_CosHFT = VIEW_Host::Table(PDFL_CosTable);
    gXCHG_CosVersion = version;
    gXCHG_PDModelHFT = VIEW_Host::Table(PDFL_PDModelTable);
    gXCHG_PDModelVersion = version;
    gXCHG_AcroViewHFT = VIEW_Host::Table(PDFL_AcroViewTable);
    gXCHG_AcroViewVersion = version;
    gXCHG_WinHFT = VIEW_Host::Table(PDFL_WinTable);
    gXCHG_WinVersion = version;
}
