// The viewer stand-in's host core: atoms, callbacks, error texts, offered
// tables, frames and boundaries, the recorder and the fault injector.
#include "viewer/VIEW_Atoms.h"
#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_ErrorRegistry.h"
#include "viewer/VIEW_Frames.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_Recorder.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstring>
#include <stdexcept>

namespace {

template <int Table, int Slot>
typename PDFL_Slot<Table, Slot>::Proc SlotOf() {
    return reinterpret_cast<typename PDFL_Slot<Table, Slot>::Proc>(VIEW_Host::Table(Table)[Slot]);
}

class HostCoreTest : public ::testing::Test {
protected:
    void SetUp() override { VIEW_Host::Reset(); }
    void TearDown() override { EXPECT_EQ(VIEW_Frames::Depth(), 0u); }
};

TEST_F(HostCoreTest, AtomsAreStableAndDistinct) {
    const auto fromString = SlotOf<PDFL_CoreTable, 5>();
    const auto getString = SlotOf<PDFL_CoreTable, 7>();
    const PDFL_ASAtom cos = fromString("Cos");
    const PDFL_ASAtom win = fromString("Win");
    EXPECT_NE(cos, 0);
    EXPECT_NE(cos, win);
    EXPECT_EQ(fromString("Cos"), cos);
    VIEW_Host::Reset();
    EXPECT_EQ(fromString("Cos"), cos) << "atoms outlive a reset";
    EXPECT_STREQ(getString(win), "Win");
    EXPECT_THROW(getString(0), VIEW_AssertionFailure);
    EXPECT_THROW(getString(0xFFFF), VIEW_AssertionFailure);
}

int sCalls = 0;
int32_t Count(int32_t add) {
    sCalls += add;
    return sCalls;
}

TEST_F(HostCoreTest, CallbacksAreCalledByHandleUntilDestroyed) {
    const auto create = SlotOf<PDFL_CoreTable, 8>();
    const auto destroy = SlotOf<PDFL_CoreTable, 9>();
    sCalls = 0;
    const PDFL_ASCallback first = create(VIEW_Host::ExtensionID(), reinterpret_cast<PDFL_Proc>(Count));
    const PDFL_ASCallback second = create(VIEW_Host::ExtensionID(), reinterpret_cast<PDFL_Proc>(Count));
    EXPECT_NE(first, second);
    EXPECT_EQ(VIEW_Callbacks::Owner(first), VIEW_Host::ExtensionID());
    EXPECT_EQ((VIEW_InvokeCallback<int32_t(int32_t)>(first, 5)), 5);
    EXPECT_EQ(VIEW_Callbacks::LiveCount(), 2u);
    destroy(first);
    EXPECT_EQ(VIEW_Callbacks::LiveCount(), 1u);
    EXPECT_THROW((VIEW_InvokeCallback<int32_t(int32_t)>(first, 1)), VIEW_AssertionFailure);
    EXPECT_THROW(destroy(first), VIEW_AssertionFailure);
    EXPECT_EQ(sCalls, 5) << "a destroyed callback is never called";
    EXPECT_EQ((VIEW_InvokeCallback<int32_t(int32_t)>(second, 2)), 7);
}

TEST_F(HostCoreTest, EveryRegistrationGivesANewCodeAndUnknownCodesHaveNoText) {
    const auto getText = SlotOf<PDFL_AcroSupportTable, 4>();
    const auto registerText = SlotOf<PDFL_AcroSupportTable, 5>();
    const PDFL_ErrorCode a = registerText(4, "Disk full");
    const PDFL_ErrorCode b = registerText(4, "Disk full");
    EXPECT_NE(a, b);
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(getText(a, buffer, sizeof buffer), buffer);
    EXPECT_STREQ(buffer, "Disk fu") << "cut to the buffer, terminated";
    EXPECT_STREQ(getText(b + 100, buffer, sizeof buffer), "");
    EXPECT_EQ(VIEW_ErrorRegistry::Severity(b + 100), -1);
}

TEST_F(HostCoreTest, TablesAreOfferedUpToTheirVersion) {
    const auto getHFT = SlotOf<PDFL_CoreTable, 10>();
    const auto atom = SlotOf<PDFL_CoreTable, 5>();
    struct Case {
        int table;
        uint32_t offered;
        uint32_t asked;
        bool given;
    };
    const Case cases[] = {
        {PDFL_AcroSupportTable, 0x00040000, 0x00040000, true},
        {PDFL_AcroSupportTable, 0x00020002, 0x00040000, false},
        {PDFL_AcroSupportTable, 0x00020002, 0x00020002, true},
        {PDFL_WinTable, 0, 0x00020000, false},
        {PDFL_DebuggerWindowTable, 1, 1, true},
        {PDFL_CosUpdatesTable, 1, 2, false},
        {PDFL_CosTable, 0x00040000, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(VIEW_Host::TableName(c.table));
        VIEW_Host::OfferTable(c.table, c.offered);
        const PDFL_HFT table = getHFT(atom(VIEW_Host::TableName(c.table)), c.asked);
        EXPECT_EQ(table, c.given ? VIEW_Host::Table(c.table) : nullptr);
    }
    EXPECT_EQ(getHFT(atom("PDFEditWrite"), 0x00040000), nullptr);
    EXPECT_EQ(VIEW_Host::OfferedVersion(PDFL_DebuggerWindowTable), 1u);
    VIEW_Host::Reset();
    EXPECT_EQ(VIEW_Host::OfferedVersion(PDFL_DebuggerWindowTable), 0u);
    EXPECT_EQ(VIEW_Host::OfferedVersion(PDFL_PDModelTable), 0x00040000u);
}

TEST_F(HostCoreTest, RecorderKeepsArgumentsAsPassedAndFaultsFireOnce) {
    const auto dictPut = SlotOf<PDFL_CosTable, 22>();
    // A set result keeps the Cos store out of it: these objects are made up.
    VIEW_Recorder::SetResult(PDFL_CosTable, 22, 0);
    dictPut(PDFL_CosObj{1, 2}, 0x2345, PDFL_CosObj{3, 4});
    ASSERT_EQ(VIEW_Recorder::Calls().size(), 1u);
    EXPECT_EQ(VIEW_Recorder::Calls()[0].m_args, (std::vector<uint64_t>{1, 2, 0x2345, 3, 4}));

    VIEW_Recorder::InjectFault(PDFL_CosTable, 22, 0x00A00001);
    try {
        dictPut(PDFL_CosObj{}, 0, PDFL_CosObj{});
        ADD_FAILURE() << "no raise";
    } catch (const VIEW_HostRaise& raise) {
        EXPECT_EQ(raise.Code(), 0x00A00001);
    }
    EXPECT_NO_THROW(dictPut(PDFL_CosObj{}, 0, PDFL_CosObj{}));
    EXPECT_EQ(VIEW_Recorder::Calls().size(), 3u) << "a failing call is recorded too";
}

TEST_F(HostCoreTest, RecordsWithAWrongSizeWordAreRefused) {
    PDFL_AVToolRec tool{};
    tool.m_size = 56;   // the size of the 32-bit layout
    EXPECT_THROW((SlotOf<PDFL_AcroViewTable, 24>()(&tool)), VIEW_AssertionFailure);
    tool.m_size = sizeof tool;
    EXPECT_NO_THROW((SlotOf<PDFL_AcroViewTable, 24>()(&tool)));
    PDFL_AVWindowHandlerRec handler{};
    handler.m_size = 64;
    EXPECT_THROW((SlotOf<PDFL_AcroViewTable, 182>()(0, 0, &handler, nullptr)), VIEW_AssertionFailure);
    PDFL_CosDocSaveParams params{};
    params.m_size = 24;
    EXPECT_THROW((SlotOf<PDFL_CosTable, 46>()(nullptr, nullptr, 10, &params)), VIEW_AssertionFailure);
    params.m_size = sizeof params;
    VIEW_Recorder::SetResult(PDFL_CosTable, 41, 0);  // no document to save
    EXPECT_NO_THROW((SlotOf<PDFL_CosTable, 41>()(nullptr, nullptr, 11, &params)));
    static_assert(sizeof(PDFL_AVToolRec) == 112 && sizeof(PDFL_AVWindowHandlerRec) == 128 &&
                  sizeof(PDFL_ASFileSysRec) == 256 && sizeof(PDFL_ReadRequestRec) == 72 &&
                  sizeof(PDFL_PDColorValueRec) == 20 && sizeof(PDFL_CosObj) == 8,
                  "record sizes on this machine");
}

// A raise in a call the plug-in framed jumps back to its frame; anywhere
// else it travels on as a C++ exception.
std::jmp_buf sFrame;
extern "C" void RestoreFrame(void* frame) {
    std::longjmp(*static_cast<std::jmp_buf*>(frame), 1);
}

int FramedDictPut(PDFL_ErrorCode fault) {
    VIEW_Recorder::InjectFault(PDFL_CosTable, 22, fault);
    SlotOf<PDFL_CoreTable, 2>()(&sFrame, RestoreFrame);
    if (setjmp(sFrame) != 0)
        return 1;
    SlotOf<PDFL_CosTable, 22>()(PDFL_CosObj{}, 0, PDFL_CosObj{});
    return 0;
}

TEST_F(HostCoreTest, RaiseReturnsOnlyToTheFrameOfItsOwnCall) {
    EXPECT_EQ(FramedDictPut(0x00A00009), 1);
    SlotOf<PDFL_CoreTable, 3>()();
    EXPECT_EQ((SlotOf<PDFL_CoreTable, 4>()()), 0x00A00009);

    EXPECT_THROW((SlotOf<PDFL_CoreTable, 3>()()), VIEW_AssertionFailure) << "nothing to pop";
    EXPECT_THROW((SlotOf<PDFL_CoreTable, 1>()(0x00A0000A)), VIEW_HostRaise);
}

TEST_F(HostCoreTest, EventBoundaryRecordsARaiseAndPassesProgramExceptions) {
    VIEW_CallPlugin([] { SlotOf<PDFL_CoreTable, 1>()(0x00A0000B); });
    EXPECT_EQ(VIEW_Recorder::RaisedToHost(), std::vector<PDFL_ErrorCode>{0x00A0000B});
    EXPECT_THROW(VIEW_CallPlugin([] { throw std::out_of_range("program"); }), std::out_of_range);
    EXPECT_EQ(VIEW_Recorder::RaisedToHost().size(), 1u);
    // The plug-in leaving its frame pushed is caught at the boundary.
    EXPECT_THROW(VIEW_CallPlugin([] { SlotOf<PDFL_CoreTable, 2>()(&sFrame, RestoreFrame); }),
                 VIEW_AssertionFailure);
    VIEW_Frames::Reset();
}

}  // namespace
