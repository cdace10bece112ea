// The clock behind Sleep and the window timers: real time in the program, a
// test clock that only moves when told in the tests.
#include "win32/win32_clock.h"
#include "win32/win32_driver.h"

#include <atomic>
#include <cerrno>
#include <mutex>
#include <time.h>

namespace {

std::atomic<bool> g_testClock{false};
std::mutex g_mutex;
uint64_t g_testNow = 0;
std::vector<DWORD> g_sleepCalls;

uint64_t MonotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

uint64_t RealNow() {
    static const uint64_t start = MonotonicMs();
    return MonotonicMs() - start;
}

void RealSleep(uint64_t ms) {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

}  // namespace

uint64_t Win32ClockNow() {
    if (!g_testClock)
        return RealNow();
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_testNow;
}

void Win32ClockWaitUntil(uint64_t when) {
    if (g_testClock) {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (when > g_testNow)
            g_testNow = when;
        return;
    }
    const uint64_t now = RealNow();
    if (when > now)
        RealSleep(when - now);
}

void Sleep(DWORD milliseconds) {
    if (!g_testClock) {
        RealSleep(milliseconds);
        return;
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    g_sleepCalls.push_back(milliseconds);
    g_testNow += milliseconds;
}

namespace Win32Driver {

void UseTestClock() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_testClock)
        g_testNow = 0;
    g_testClock = true;
}

bool OnTestClock() { return g_testClock; }

uint64_t Now() { return Win32ClockNow(); }

std::vector<DWORD> SleepCalls() {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_sleepCalls;
}

void ClearSleepCalls() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_sleepCalls.clear();
}

}  // namespace Win32Driver
