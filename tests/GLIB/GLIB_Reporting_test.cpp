// Assertions, logging, allocation and the global settings.
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Globals.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string g_expression, g_file;
void RecordingHandler(const char* expression, const char* file, uint32_t) {
    g_expression = expression;
    g_file = file;
}

int NullLogger(int32_t, const char*, const char*, int32_t) { return 0; }

bool g_handlerReturned = false;
void ReturningOutOfMemoryHandler(uint32_t, const char*, int32_t) { g_handlerReturned = true; }

void SetAll(const std::string& prefix, GLIB_OutOfMemoryHandler handler) {
    GLIB_Globals& g = GLIB_Globals::Instance();
    g.SetAll(GLIB_GlobalsMessage(g.Logger(), prefix, GLIB_DefaultMessageFunction, handler));
}

// Records each announcement of the settings: its prefix, and "+" when the logger is NullLogger.
struct GlobalsWatcher : GLIB_MessageTarget {
    GlobalsWatcher() {
        GLIB_Globals::Instance().Attach(GLIB_NEW GLIB_Callback<GlobalsWatcher, GLIB_GlobalsMessage>(
            this, &GlobalsWatcher::On));
    }
    void On(const GLIB_GlobalsMessage& m) { seen += m.TempFilePrefix() + (m.Logger() == NullLogger ? "+ " : " "); }
    std::string seen;
};

}  // namespace

TEST(GLIB_Assert, ComparisonTextCarriesTheOperandsValues) {
    const GLIB_AssertHandler previous = GLIB_SetAssertHandler(RecordingHandler);
    g_expression.clear();
    const size_t numTuples = 3;
    GLIB_ASSERT_CMP(numTuples, >, 2u);  // holds: no call
    EXPECT_EQ(g_expression, "");
    GLIB_ASSERT_CMP(numTuples, ==, 1u);
    EXPECT_EQ(g_expression, "numTuples==1u :: 3==1");
    EXPECT_NE(g_file.find("GLIB_Reporting_test"), std::string::npos);
    const int* p = nullptr;
    GLIB_ASSERT(p != nullptr);
    EXPECT_EQ(g_expression, "p != nullptr");
    // Null restores the default, and the previous handler is returned.
    EXPECT_EQ(GLIB_SetAssertHandler(nullptr), RecordingHandler);
    EXPECT_EQ(GLIB_SetAssertHandler(previous), GLIB_DefaultAssertHandler);
}

TEST(GLIB_AssertDeathTest, DefaultHandlerLogsPrintsAndExitsWithOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            GLIB_SetAssertHandler(nullptr);
            GLIB_AssertFailed("x", "f", 12);
        },
        ::testing::ExitedWithCode(1),
        "ASSERT: GLIB_assert\\([0-9]+\\): xin f:12(.|\n)*Assertion failed, x, file f, line 12");
}

TEST(GLIB_LogDeathTest, FatalLogTerminatesAfterTheDefaultLoggerWrote) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(GLIB_Log(GLIB_LogFatal, "the end", "unit", 5), "FATAL: unit\\(5\\): the end");
}

TEST(GLIB_Log, NonAsciiTextReachesTheLogger) {
    LogCapture capture;
    GLIB_LOG(GLIB_LogWarning, "Größe " << 12 << " 日本");
    ASSERT_EQ(capture.Entries().size(), 1u);
    EXPECT_EQ(capture.Entries()[0].text, "Größe 12 日本");  // survives narrow -> wide -> narrow
}

TEST(GLIB_Globals, EveryChangeIsAnnouncedOnceAndNullMeansTheDefault) {
    GlobalsWatcher watcher;
    const GLIB_Logger previous = GLIB_SetLogger(NullLogger);
    EXPECT_EQ(GLIB_SetLogger(nullptr), NullLogger);
    EXPECT_EQ(GLIB_Globals::Instance().Logger(), GLIB_DefaultLogger);
    GLIB_SetLogger(previous);
    SetAll("PFX", nullptr);
    SetAll("TEMP", nullptr);
    EXPECT_EQ(watcher.seen, "TEMP+ TEMP TEMP PFX TEMP ");
}

TEST(GLIB_New, OutOfMemoryReachesTheHandlerWithFileAndLine) {
    // An impossible size makes the C++ allocator fail without touching memory.
    const size_t impossible = size_t(1) << 62;
    try {
        ::operator delete(::operator new(impossible, 77, "unit"));
        FAIL() << "allocation succeeded";
    } catch (const std::bad_alloc& e) {
        const auto* ours = dynamic_cast<const GLIB_BadAllocException*>(&e);
        ASSERT_NE(ours, nullptr);
        EXPECT_STREQ(ours->File(), "unit");
        EXPECT_EQ(ours->Line(), 77);
        EXPECT_EQ(ours->Size(), static_cast<uint32_t>(impossible));
    }
    // A handler that returns cannot make a constructor run on null: it still throws.
    g_handlerReturned = false;
    SetAll("TEMP", ReturningOutOfMemoryHandler);
    EXPECT_THROW(::operator new[](impossible, 1, "unit"), std::bad_alloc);
    EXPECT_TRUE(g_handlerReturned);
    SetAll("TEMP", nullptr);
    EXPECT_EQ(GLIB_Globals::Instance().OutOfMemoryHandler(), GLIB_DefaultOutOfMemoryHandler);
    delete[] GLIB_NEW char[0];  // zero bytes is an ordinary allocation
}
