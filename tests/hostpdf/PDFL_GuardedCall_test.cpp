// The guarded host call: frames, host errors handed to the handler, and
// exceptions from nested callbacks passing through.
#include "HostFixture.h"

#include "GLIB/GLIB_Exception.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "hostpdf/PDFL_CosCalls.h"
#include "hostpdf/PDFL_PDCalls.h"
#include "support/TestSupport.h"

namespace {

const PDFL_CosObj Dict{0x11, 0x22};
const PDFL_CosObj Value{0x33, 0x44};

size_t sCallsWhenHandled = 0;

void CountingHandler(PDFL_ErrorCode code, const char* unit, int32_t line) {
    sCallsWhenHandled = VIEW_Recorder::Calls().size();
    ThrowingHostErrorHandler(code, unit, line);
}

void ReturningHandler(PDFL_ErrorCode, const char*, int32_t) {}

[[noreturn]] void LibraryErrorHandler(PDFL_ErrorCode code, const char*, int32_t) {
    throw GLIB_Exception(1127008, "PDF Library Error: " + std::to_string(code), __FILE__, __LINE__);
}

HostErrorSeen FailedCall(void (*call)()) {
    try {
        call();
    } catch (const HostErrorSeen& seen) {
        return seen;
    }
    ADD_FAILURE() << "the host error did not leave the wrapper";
    return {};
}

class GuardedCallTest : public HostTest {};

TEST_F(GuardedCallTest, HostErrorPopsReadsTheCodeThenCallsTheHandlerWithUnitAndLine) {
    InstallHandler(CountingHandler);
    VIEW_Recorder::InjectFault(PDFL_CosTable, 22, 0x00A01234);
    const HostErrorSeen put = FailedCall([] { PDFL_CosDictPut(Dict, 7, Value); });
    EXPECT_EQ(put.m_code, 0x00A01234);
    EXPECT_EQ(put.m_unit, "PDFL_CosCalls");
    EXPECT_GT(put.m_line, 0);
    const std::vector<std::pair<int, int>> order = {Core(2), Cos(22), Core(3), Core(4)};
    EXPECT_EQ(RecordedSlots(), order);
    EXPECT_EQ(sCallsWhenHandled, 4u) << "the handler runs after Core 4";
    EXPECT_EQ(VIEW_Frames::Depth(), 0u);

    VIEW_Recorder::InjectFault(PDFL_CosTable, 21, 0x00A01235);
    const HostErrorSeen get = FailedCall([] { PDFL_CosDictGet(Dict, 7); });
    EXPECT_EQ(get.m_unit, "PDFL_CosCalls");
    EXPECT_NE(get.m_line, put.m_line);

    VIEW_Recorder::InjectFault(PDFL_PDModelTable, 70, 0x00A01236);
    const HostErrorSeen save = FailedCall([] { PDFL_PDDocSave(nullptr, 0, nullptr, nullptr, nullptr, nullptr); });
    EXPECT_EQ(save.m_code, 0x00A01236);
    EXPECT_EQ(save.m_unit, "PDFL_PDCalls");
}

TEST_F(GuardedCallTest, HandlerThatReturnsLeavesAZeroResult) {
    InstallHandler(ReturningHandler);
    VIEW_Recorder::SetResult(PDFL_CosTable, 21, 0x0000000500000006ull);
    EXPECT_EQ(PDFL_CosDictGet(Dict, 1).m_word0, 6u);
    VIEW_Recorder::InjectFault(PDFL_CosTable, 21, 0x00A00077);
    const PDFL_CosObj failed = PDFL_CosDictGet(Dict, 1);
    EXPECT_EQ(failed.m_word0, 0u);
    EXPECT_EQ(failed.m_word1, 0u);
    EXPECT_EQ(VIEW_Frames::Depth(), 0u);
}

TEST_F(GuardedCallTest, WithoutHandlerAHostErrorTravelsToTheHostsOwnFrame) {
    VIEW_Recorder::InjectFault(PDFL_CosTable, 22, 0x00A00042);
    try {
        PDFL_CosDictPut(Dict, 7, Value);
        ADD_FAILURE() << "no raise";
    } catch (const VIEW_HostRaise& raise) {
        EXPECT_EQ(raise.Code(), 0x00A00042);
    }
    const std::vector<std::pair<int, int>> order = {Cos(22)};
    EXPECT_EQ(RecordedSlots(), order);
}

// The enumeration procedure of the plug-in throws; the exception crosses
// the stand-in's frames and the wrapper's frame is popped.
PDFL_Bool ThrowingEntry(PDFL_CosObj, PDFL_CosObj, void*) {
    throw GLIB_Exception(1128002, "bad entry", __FILE__, __LINE__);
}

TEST_F(GuardedCallTest, ProgramExceptionFromTheEnumerationProcedureArrivesUnchanged) {
    for (bool framed : {false, true}) {
        SCOPED_TRACE(framed ? "framed" : "unframed");
        VIEW_Recorder::ClearCalls();
        InstallHandler(framed ? ThrowingHostErrorHandler : nullptr);
        VIEW_Recorder::SetEnumEntries({{Dict, Value}, {Value, Dict}});
        try {
            PDFL_CosObjEnum(Dict, ThrowingEntry, nullptr);
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& exception) {
            EXPECT_EQ(exception.Code(), 1128002u);
            EXPECT_STREQ(exception.What(), "bad entry");
        }
        std::vector<std::pair<int, int>> order = {Cos(4)};
        if (framed)
            order = {Core(2), Cos(4), Core(3)};
        EXPECT_EQ(RecordedSlots(), order);
        EXPECT_EQ(VIEW_Frames::Depth(), 0u);
    }
}

int sEntries = 0;
PDFL_Bool CountingEntry(PDFL_CosObj key, PDFL_CosObj, void* clientData) {
    ++*static_cast<int*>(clientData);
    return key.m_word0 == 0x99 ? 0 : 1;
}

TEST_F(GuardedCallTest, EnumerationCallsTheProcedurePerEntryUntilItStops) {
    InstallHandler(ThrowingHostErrorHandler);
    VIEW_Recorder::SetResult(PDFL_CosTable, 4, 1);
    sEntries = 0;
    EXPECT_EQ(PDFL_CosObjEnum(Dict, CountingEntry, &sEntries), 1);
    EXPECT_EQ(sEntries, 0) << "an empty dictionary calls the procedure no time";
    VIEW_Recorder::SetEnumEntries({{Dict, Value}, {{0x99, 0}, Value}, {Dict, Value}});
    EXPECT_EQ(PDFL_CosObjEnum(Dict, CountingEntry, &sEntries), 1);
    EXPECT_EQ(sEntries, 2);
}

// Nested callbacks: an event of the stand-in runs Outer, whose enumeration
// runs Inner, which makes one more host call that fails.
PDFL_Bool InnerEntry(PDFL_CosObj, PDFL_CosObj, void*) {
    return PDFL_CallbackGuard("Inner", "Entry", [] {
        PDFL_CosDictGet(Dict, 3);
        return PDFL_Bool{1};
    });
}

void OuterEvent() {
    PDFL_CallbackGuard("Outer", "Run", [] { PDFL_CosObjEnum(Dict, InnerEntry, nullptr); });
}

TEST_F(GuardedCallTest, UnframedRaiseInANestedCallbackUnwindsToTheEventBoundary) {
    LogCapture log;
    VIEW_Recorder::SetEnumEntries({{Dict, Value}});
    VIEW_Recorder::InjectFault(PDFL_CosTable, 21, 0x00A00555);
    const int32_t level = PDFL_CallbackLevel();
    VIEW_CallPlugin(OuterEvent);
    EXPECT_EQ(VIEW_Recorder::RaisedToHost(), std::vector<PDFL_ErrorCode>{0x00A00555});
    EXPECT_EQ(PDFL_CallbackLevel(), level);
    EXPECT_EQ(VIEW_Frames::Depth(), 0u);
}

TEST_F(GuardedCallTest, FramedRaiseInANestedCallbackIsLoggedOnlyAtTheOuterLevel) {
    LogCapture log;
    PDFL_InstallHandlers();
    InstallHandler(LibraryErrorHandler);
    VIEW_Recorder::SetEnumEntries({{Dict, Value}});
    VIEW_Recorder::InjectFault(PDFL_CosTable, 21, 0x00A00666);
    VIEW_CallPlugin(OuterEvent);

    // Inner (level 2) logs nothing and raises the mapped code, which returns
    // to the enumeration's frame; Outer (level 1) logs and raises again.
    EXPECT_EQ(VIEW_Recorder::RaisedToHost(), std::vector<PDFL_ErrorCode>{PDFL_DefaultExceptionCode});
    std::vector<std::string> texts;
    for (const LogCapture::Entry& entry : log.Entries())
        texts.push_back(entry.text);
    const std::string expected = "Outer::Runcaught an exception: PDF Library Error: " +
                                 std::to_string(PDFL_DefaultExceptionCode) + " (1127008)";
    EXPECT_EQ(texts, std::vector<std::string>{expected});
    EXPECT_EQ(PDFL_CallbackLevel(), 0);
    EXPECT_EQ(VIEW_Frames::Depth(), 0u);
}

TEST_F(GuardedCallTest, ResultsThatSignalFailureWithoutAHostErrorPassThrough) {
    InstallHandler(ThrowingHostErrorHandler);
    EXPECT_EQ(PDFL_ASExtensionMgrGetHFT(PDFL_ASAtomFromString("ADBE_DebuggerWindow"), 1), nullptr);
    VIEW_Host::OfferTable(PDFL_DebuggerWindowTable, 1);
    EXPECT_EQ(PDFL_ASExtensionMgrGetHFT(PDFL_ASAtomFromString("ADBE_DebuggerWindow"), 1),
              VIEW_Host::Table(PDFL_DebuggerWindowTable));
    EXPECT_EQ(PDFL_ASExtensionMgrGetHFT(PDFL_ASAtomFromString("ADBE_DebuggerWindow"), 2), nullptr);

    VIEW_Recorder::SetResult(PDFL_PDModelTable, 142, 45);
    EXPECT_EQ(PDFL_PDPageGetRotate(nullptr), 45);
    VIEW_Recorder::SetResult(PDFL_AcroSupportTable, 26, 0x00A00013);
    PDFL_ASFile file = nullptr;
    EXPECT_EQ(PDFL_ASFileSysOpenFile(nullptr, nullptr, 1, &file), 0x00A00013);
    VIEW_Recorder::SetResult(PDFL_CosTable, 44, 0xFFFF);
    EXPECT_EQ(PDFL_CosObjGetGeneration(Dict), 0xFFFF);
    EXPECT_TRUE(VIEW_Recorder::RaisedToHost().empty());
}

}  // namespace
