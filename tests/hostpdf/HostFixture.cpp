#include "HostFixture.h"

void BindStandInHost() {
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
    PDFL_SetHostRaiseTest(&VIEW_IsHostRaise);
}

std::vector<std::pair<int, int>> RecordedSlots() {
    std::vector<std::pair<int, int>> slots;
    for (const VIEW_Call& call : VIEW_Recorder::Calls())
        slots.emplace_back(call.m_table, call.m_slot);
    return slots;
}

void ThrowingHostErrorHandler(PDFL_ErrorCode code, const char* unit, int32_t line) {
    throw HostErrorSeen{code, unit ? unit : "", line};
}

void HostTest::SetUp() {
    VIEW_Host::Reset();
    BindStandInHost();
    m_previousHandler = PDFL_SetHostErrorHandler(nullptr);
}

void HostTest::TearDown() {
    PDFL_SetHostErrorHandler(m_previousHandler);
    EXPECT_EQ(VIEW_Frames::Depth(), 0u) << "a frame was left on the host's stack";
}
