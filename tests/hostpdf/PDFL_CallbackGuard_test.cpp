// The callback guard: what each kind of failure raises to the host, what
// is logged at which level, and the nesting level on every way out.
#include "HostFixture.h"

#include "GLIB/GLIB_Exception.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "support/TestSupport.h"

#include <stdexcept>

namespace {

class CallbackGuardTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        PDFL_InstallHandlers();
    }
};

// Runs member as a host event; the code it raised, or 0.
template <class Member>
PDFL_ErrorCode RaisedBy(Member member) {
    const size_t before = VIEW_Recorder::RaisedToHost().size();
    VIEW_CallPlugin([&] { PDFL_CallbackGuard("C", "M", member); });
    const std::vector<PDFL_ErrorCode>& raised = VIEW_Recorder::RaisedToHost();
    return raised.size() > before ? raised.back() : 0;
}

TEST_F(CallbackGuardTest, EachFailureRaisesItsCodeAndTheLevelComesBack) {
    struct Case {
        const char* name;
        void (*throwIt)();
        PDFL_ErrorCode (*expected)();
    };
    const Case cases[] = {
        {"foundation out of memory",
         [] { throw GLIB_Exception(GLIB_OutOfMemoryCode, "no memory", __FILE__, __LINE__); },
         PDFL_OutOfMemoryErrorCode},
        {"other GLIB_Exception",
         [] { throw GLIB_Exception(1128001, "unsupported", __FILE__, __LINE__); },
         [] { return PDFL_DefaultExceptionCode; }},
        {"std::bad_alloc", [] { throw std::bad_alloc(); }, PDFL_BadAllocErrorCode},
        {"GLIB_BadAllocException", [] { throw GLIB_BadAllocException(16, __FILE__, __LINE__); },
         PDFL_BadAllocErrorCode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogCapture log;
        VIEW_Recorder::ClearCalls();
        const int32_t level = PDFL_CallbackLevel();
        const auto throwIt = c.throwIt;
        EXPECT_EQ(RaisedBy([throwIt] { throwIt(); }), c.expected());
        EXPECT_EQ(PDFL_CallbackLevel(), level);
        ASSERT_FALSE(VIEW_Recorder::Calls().empty());
        EXPECT_EQ(VIEW_Recorder::Calls().back().m_slot, 1) << "raised through Core 1";
        EXPECT_EQ(log.Entries().size(), 1u) << "logged once at level 1";
    }
    EXPECT_NE(PDFL_OutOfMemoryErrorCode(), PDFL_BadAllocErrorCode());
}

TEST_F(CallbackGuardTest, SuccessReturnsTheResultAndRaisesNothing) {
    const int32_t level = PDFL_CallbackLevel();
    const PDFL_Bool result = VIEW_CallPlugin([] {
        return PDFL_CallbackGuard("C", "M", [] {
            EXPECT_EQ(PDFL_CallbackLevel(), 1);
            return PDFL_Bool{7};
        });
    });
    EXPECT_EQ(result, 7);
    EXPECT_EQ(PDFL_CallbackLevel(), level);
    EXPECT_TRUE(VIEW_Recorder::RaisedToHost().empty());
}

TEST_F(CallbackGuardTest, ExceptionAndOutOfMemoryAreLoggedWithClassAndMethod) {
    LogCapture log;
    RaisedBy([] { throw GLIB_Exception(1128004, "not an ink", __FILE__, __LINE__); });
    RaisedBy([] { throw std::bad_alloc(); });
    ASSERT_EQ(log.Entries().size(), 2u);
    EXPECT_EQ(log.Entries()[0].level, GLIB_LogError);
    EXPECT_EQ(log.Entries()[0].text, "C::Mcaught an exception: not an ink (1128004)");
    EXPECT_EQ(log.Entries()[1].text, "C::M out of memory: ");
}

// Two nested callbacks; the inner one throws what Thrower throws.
template <class Thrower>
void NestedEvent(Thrower thrower) {
    VIEW_CallPlugin([&] {
        PDFL_CallbackGuard("Outer", "Run", [&] {
            VIEW_CallPlugin([&] { PDFL_CallbackGuard("Inner", "Run", [&] { thrower(); }); });
        });
    });
}

TEST_F(CallbackGuardTest, SystemExceptionIsLoggedPerLevelAndReachesTheCallerUnchanged) {
    LogCapture log;
    const std::runtime_error original("disk on fire");
    try {
        NestedEvent([&] { throw original; });
        ADD_FAILURE() << "swallowed";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "disk on fire");
    }
    std::vector<std::string> texts;
    for (const LogCapture::Entry& entry : log.Entries())
        texts.push_back(entry.text);
    const std::vector<std::string> expected = {"Inner::Run caught a system exception: ",
                                               "Outer::Run caught a system exception: "};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(PDFL_CallbackLevel(), 0);
    EXPECT_EQ(VIEW_Frames::Depth(), 0u);
}

TEST_F(CallbackGuardTest, OutOfMemoryAtLevelTwoIsNotLogged) {
    LogCapture log;
    NestedEvent([] { throw std::bad_alloc(); });
    // The inner raise reaches the outer callback as a host error it did not
    // frame; it goes on to the event's boundary with its code.
    EXPECT_EQ(VIEW_Recorder::RaisedToHost(), std::vector<PDFL_ErrorCode>{PDFL_BadAllocErrorCode()});
    for (const LogCapture::Entry& entry : log.Entries())
        EXPECT_EQ(entry.text.find("out of memory"), std::string::npos) << entry.text;
    EXPECT_EQ(PDFL_CallbackLevel(), 0);
}

TEST_F(CallbackGuardTest, ReplacedMapperIsUsedAndRestored) {
    const PDFL_ExceptionMapperFunc previous = PDFL_ExceptionMapper();
    PDFL_SetExceptionMapper([](const GLIB_Exception& e) -> PDFL_ErrorCode {
        return static_cast<PDFL_ErrorCode>(e.Code() + 1);
    });
    EXPECT_EQ(RaisedBy([] { throw GLIB_Exception(41, "x", __FILE__, __LINE__); }), 42);
    PDFL_SetExceptionMapper(previous);
    EXPECT_EQ(RaisedBy([] { throw GLIB_Exception(41, "x", __FILE__, __LINE__); }),
              PDFL_DefaultExceptionCode);
}

// Before PDFL_InstallHandlers the table already holds the defaults.
class UninstalledHandlersTest : public HostTest {};

TEST_F(UninstalledHandlersTest, CodesReadMinusOneUntilInstalledThenTwoCodesForOneText) {
    if (PDFL_OutOfMemoryErrorCode() != -1)
        GTEST_SKIP() << "handlers were installed earlier in this process; CTest runs this alone";
    EXPECT_EQ(PDFL_BadAllocErrorCode(), -1);
    EXPECT_EQ(RaisedBy([] { throw GLIB_Exception(1128010, "pattern", __FILE__, __LINE__); }),
              PDFL_DefaultExceptionCode);

    VIEW_Recorder::ClearCalls();
    PDFL_InstallHandlers();
    const PDFL_ErrorCode outOfMemory = PDFL_OutOfMemoryErrorCode();
    const PDFL_ErrorCode badAlloc = PDFL_BadAllocErrorCode();
    EXPECT_NE(outOfMemory, -1);
    EXPECT_NE(badAlloc, -1);
    EXPECT_NE(outOfMemory, badAlloc);
    const std::string text =
        "Out of Memory\n\nTry to increase the amount of memory\ndedicated to this program";
    for (PDFL_ErrorCode code : {outOfMemory, badAlloc}) {
        EXPECT_EQ(VIEW_ErrorRegistry::Text(code), text);
        EXPECT_EQ(VIEW_ErrorRegistry::Severity(code), 4);
    }
    EXPECT_EQ(PDFL_GetOutOfMemoryCode(), badAlloc);
    char buffer[512];
    EXPECT_EQ(std::string(PDFL_ASGetErrorString(outOfMemory, buffer, sizeof buffer)), text);
    EXPECT_EQ(std::string(PDFL_ASGetErrorString(0x7777, buffer, sizeof buffer)), "")
        << "the host has no text for a code never registered";
}

}  // namespace
