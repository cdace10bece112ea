// The stand-in's test clock, critical sections and the drive rule of paths.
#include "win32/win32.h"
#include "win32/win32_driver.h"
#include "win32/win32_path.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(win32_clock, TestsRunOnTheTestClockAndSleepIsRecorded) {
    ASSERT_TRUE(Win32Driver::OnTestClock());  // switched by the test support at start-up
    Win32Driver::ClearSleepCalls();
    const uint64_t start = Win32Driver::Now();
    Sleep(2000);
    Sleep(0);
    Sleep(2000);
    EXPECT_EQ(Win32Driver::Now() - start, 4000u);
    EXPECT_EQ(Win32Driver::SleepCalls(), (std::vector<DWORD>{2000, 0, 2000}));
    Win32Driver::ClearSleepCalls();
    EXPECT_TRUE(Win32Driver::SleepCalls().empty());
}

TEST(win32_clock, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);  // the owner may enter again
    std::atomic<bool> entered{false};
    std::thread other([&] {
        EnterCriticalSection(&section);
        entered = true;
        LeaveCriticalSection(&section);
    });
    LeaveCriticalSection(&section);
    // Still held once: the other thread cannot have entered yet.
    EXPECT_FALSE(entered);
    LeaveCriticalSection(&section);
    other.join();
    EXPECT_TRUE(entered);
    DeleteCriticalSection(&section);
}

TEST(win32_clock, PosixPathReadsDriveC) {
    const struct {
        const char* win32;
        const char* posix;
    } cases[] = {
        {"C:\\home\\u\\ZOVA.ENU", "/home/u/ZOVA.ENU"},
        {"c:/home/u", "/home/u"},
        {"C:\\", "/"},
        {"C:", "/"},
        {"\\tmp\\a.pdf", "/tmp/a.pdf"},
        {"relative\\name", "relative/name"},
        {"C:name", "C:name"},      // drive-relative: not ours
        {"D:\\x", "D:/x"},         // only drive C is mapped
        {"/C/home/u", "/C/home/u"}, // display text is not a Win32 path
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.win32);
        EXPECT_EQ(PosixPath(c.win32), c.posix);
    }
    EXPECT_EQ(PosixPath(nullptr), "");
}
