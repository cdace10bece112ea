// User-interface wrappers with the records the host reads: the size word
// is this machine's record size, and a refusal inside a framed call leaves
// the wrapper unchanged with the frame popped.
#include "../../hostpdf/HostFixture.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_WinCalls.h"

namespace {

class AVCallsTest : public HostTest {};

TEST_F(AVCallsTest, RecordsPassWithTheirSizeWord) {
    InstallHandler(ThrowingHostErrorHandler);
    PDFL_AVToolRec tool{};
    tool.m_size = sizeof tool;
    XCHG_AVAppRegisterTool(&tool);
    PDFL_AVWindowHandlerRec handler{};
    handler.m_size = sizeof handler;
    VIEW_Recorder::SetResult(PDFL_AcroViewTable, 182, 0x77);
    EXPECT_EQ(XCHG_AVWindowNew(2, 0xD0000000, &handler, gXCHG_ExtensionID),
              reinterpret_cast<PDFL_AVWindow>(0x77));
    const std::vector<std::pair<int, int>> order = {Core(2), {PDFL_AcroViewTable, 24}, Core(3),
                                                    Core(2), {PDFL_AcroViewTable, 182}, Core(3)};
    EXPECT_EQ(RecordedSlots(), order);
    EXPECT_EQ(VIEW_Recorder::Calls()[4].m_args[1], 0xD0000000u);
}

TEST_F(AVCallsTest, ARefusedRecordPassesThroughTheFrame) {
    InstallHandler(ThrowingHostErrorHandler);
    PDFL_AVWindowHandlerRec handler{};
    handler.m_size = 64;   // the 32-bit layout
    EXPECT_THROW(XCHG_AVWindowNewFromPlatformThing(2, 0, &handler, gXCHG_ExtensionID, nullptr),
                 VIEW_AssertionFailure);
    const std::vector<std::pair<int, int>> order = {Core(2), {PDFL_AcroViewTable, 183}, Core(3)};
    EXPECT_EQ(RecordedSlots(), order);
}

TEST_F(AVCallsTest, WinTableHostErrorNamesItsUnit) {
    InstallHandler(ThrowingHostErrorHandler);
    VIEW_Recorder::InjectFault(PDFL_WinTable, 1, 0x00A00101);
    try {
        XCHG_WinAppRegisterModelessDialog(nullptr);
        ADD_FAILURE() << "no host error";
    } catch (const HostErrorSeen& seen) {
        EXPECT_EQ(seen.m_unit, "XCHG_WinCalls");
        EXPECT_EQ(seen.m_code, 0x00A00101);
    }
}

}  // namespace
