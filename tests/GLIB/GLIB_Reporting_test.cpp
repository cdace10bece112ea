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
uint32_t g_line = 0;
void RecordingHandler(const char* expression, const char* file, uint32_t line) {
    g_expression = expression;
    g_file = file;
    g_line = line;
}

// Counts GLIB_GlobalsMessage deliveries.
class GlobalsWatcher : public GLIB_MessageTarget {
public:
    GlobalsWatcher() {
        GLIB_Globals::Instance().Attach(
            GLIB_NEW GLIB_Callback<GlobalsWatcher, GLIB_GlobalsMessage>(this, &GlobalsWatcher::OnChange));
    }
    void OnChange(const GLIB_GlobalsMessage& m) {
        ++m_count;
        m_lastLogger = m.Logger();
        m_lastPrefix = m.TempFilePrefix();
    }
    int m_count = 0;
    GLIB_Logger m_lastLogger = nullptr;
    std::string m_lastPrefix;
};

int NullLogger(int32_t, const char*, const char*, int32_t) { return 0; }

bool g_handlerReturned = false;
void ReturningOutOfMemoryHandler(uint32_t, const char*, int32_t) { g_handlerReturned = true; }

struct Huge {
    char bytes[1];
};

}  // namespace

TEST(GLIB_Assert, ComparisonTextCarriesTheOperandsValues) {
    const GLIB_AssertHandler previous = GLIB_SetAssertHandler(RecordingHandler);
    const size_t numTuples = 3;
    GLIB_ASSERT_CMP(numTuples, ==, 1u);
    EXPECT_EQ(g_expression, "numTuples==1u :: 3==1");
    EXPECT_NE(g_file.find("GLIB_Reporting_test"), std::string::npos);
    const int* p = nullptr;
    GLIB_ASSERT(p != nullptr);
    EXPECT_EQ(g_expression, "p != nullptr");
    g_expression.clear();
    GLIB_ASSERT_CMP(numTuples, >, 2u);  // holds: no call
    EXPECT_EQ(g_expression, "");
    GLIB_SetAssertHandler(previous);
}

TEST(GLIB_Assert, SetHandlerReturnsThePreviousAndNullRestoresTheDefault) {
    const GLIB_AssertHandler installed = GLIB_SetAssertHandler(RecordingHandler);
    EXPECT_EQ(GLIB_SetAssertHandler(nullptr), RecordingHandler);
    EXPECT_EQ(GLIB_SetAssertHandler(installed), GLIB_DefaultAssertHandler);
}

TEST(GLIB_AssertDeathTest, DefaultHandlerLogsPrintsAndExitsWithOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            GLIB_SetAssertHandler(nullptr);
            GLIB_AssertFailed("x", "f", 12);
        },
        ::testing::ExitedWithCode(1), "ASSERT: GLIB_assert\\([0-9]+\\): xin f:12(.|\n)*Assertion failed, x, file f, line 12");
}

TEST(GLIB_LogDeathTest, FatalLogTerminatesAfterTheLoggerReturns) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(GLIB_Log(GLIB_LogFatal, "the end", "unit", 5), "FATAL: unit\\(5\\): the end");
}

TEST(GLIB_Log, LevelNamesAndNonAsciiTextReachTheLogger) {
    const char* const names[] = {"FATAL", "ASSERT", "ERROR", "ERROR TOUSER", "WARNING", "WARNING TOUSER",
                                 "TRACE", "DEBUG", "INFO", "INFO", "INFO"};
    const int32_t levels[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1};
    for (size_t i = 0; i < std::size(levels); ++i)
        EXPECT_STREQ(GLIB_LogLevelName(levels[i]), names[i]) << i;

    LogCapture capture;
    GLIB_LOG(GLIB_LogWarning, "Größe " << 12 << " 日本");
    GLIB_LogWide(GLIB_LogInfo, L"wide \u00e9", "u", 3);
    ASSERT_EQ(capture.Entries().size(), 2u);
    EXPECT_EQ(capture.Entries()[0].text, "Größe 12 日本");  // survives narrow -> wide -> narrow
    EXPECT_EQ(capture.Entries()[0].level, GLIB_LogWarning);
    EXPECT_EQ(capture.Entries()[1].text, "wide \u00e9");
    EXPECT_EQ(capture.Entries()[1].file, "u");
    EXPECT_EQ(capture.Entries()[1].line, 3);
}

TEST(GLIB_Log, DefaultLoggerWritesNameFileLineAndText) {
    ::testing::internal::CaptureStderr();
    GLIB_DefaultLogger(9, "hello", "unit.cpp", 42);
    const std::string text = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(text.find("INFO: unit.cpp(42): hello\n"), std::string::npos) << text;
}

TEST(GLIB_Globals, EveryChangeIsAnnouncedOnce) {
    GlobalsWatcher watcher;
    const GLIB_Logger previous = GLIB_SetLogger(NullLogger);
    EXPECT_EQ(watcher.m_count, 1);
    EXPECT_EQ(watcher.m_lastLogger, NullLogger);
    EXPECT_EQ(GLIB_SetLogger(nullptr), NullLogger);
    EXPECT_EQ(watcher.m_count, 2);
    EXPECT_EQ(watcher.m_lastLogger, GLIB_DefaultLogger);
    GLIB_SetLogger(previous);

    GLIB_Globals& g = GLIB_Globals::Instance();
    g.SetAll(GLIB_GlobalsMessage(g.Logger(), "PFX", GLIB_DefaultMessageFunction, g.OutOfMemoryHandler()));
    EXPECT_EQ(watcher.m_lastPrefix, "PFX");
    EXPECT_EQ(g.TempFilePrefix(), "PFX");
    g.SetAll(GLIB_GlobalsMessage(g.Logger(), "TEMP", GLIB_DefaultMessageFunction, g.OutOfMemoryHandler()));
    EXPECT_EQ(watcher.m_count, 5);
    EXPECT_EQ(GLIB_GlobalsMessage(nullptr, "", nullptr, nullptr).Description(), "GLIB_GlobalsMessage");
}

TEST(GLIB_New, OutOfMemoryReachesTheHandlerWithFileAndLine) {
    // An impossible size makes the C++ allocator fail without touching memory.
    const size_t impossible = size_t(1) << 62;
    try {
        void* p = ::operator new(impossible, 77, "unit");
        ::operator delete(p);
        FAIL() << "allocation succeeded";
    } catch (const GLIB_BadAllocException& e) {
        EXPECT_STREQ(e.File(), "unit");
        EXPECT_EQ(e.Line(), 77);
        EXPECT_EQ(e.Size(), static_cast<uint32_t>(impossible));
    }

    // A handler that returns cannot make a constructor run on null: it still throws.
    GLIB_Globals& g = GLIB_Globals::Instance();
    g.SetAll(GLIB_GlobalsMessage(g.Logger(), g.TempFilePrefix(), GLIB_DefaultMessageFunction,
                                 ReturningOutOfMemoryHandler));
    EXPECT_THROW(::operator new[](impossible, 1, "unit"), std::bad_alloc);
    EXPECT_TRUE(g_handlerReturned);
    g.SetAll(GLIB_GlobalsMessage(g.Logger(), g.TempFilePrefix(), GLIB_DefaultMessageFunction, nullptr));
    EXPECT_EQ(g.OutOfMemoryHandler(), GLIB_DefaultOutOfMemoryHandler);

    // Zero bytes is an ordinary allocation.
    char* zero = GLIB_NEW char[0];
    EXPECT_NE(zero, nullptr);
    delete[] zero;
    Huge* one = GLIB_NEW Huge;
    delete one;
}
