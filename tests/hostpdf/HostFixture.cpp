#include "HostFixture.h"

#include "support/StandInBinding.h"

void BindStandInHost() {
    BindStandInTables();
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
