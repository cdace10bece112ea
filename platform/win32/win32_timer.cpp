// Window timers on the stand-in's clock. A timer holds a ready flag, not a
// count: periods that pass unseen merge into one WM_TIMER.
#include "win32/win32_clock.h"
#include "win32/win32_window_table.h"

#include <algorithm>

namespace {

struct Timer {
    HWND window;
    UINT_PTR id;
    uint64_t period;
    uint64_t due;
    bool ready;
};

constexpr uint64_t MinimumPeriod = 10;

std::vector<Timer>& Timers() {
    static auto* timers = new std::vector<Timer>;
    return *timers;
}

void Update(uint64_t now) {
    for (Timer& t : Timers()) {
        if (now < t.due)
            continue;
        t.ready = true;
        t.due += ((now - t.due) / t.period + 1) * t.period;
    }
}

}  // namespace

bool Win32NextTimer(HWND filter, UINT first, UINT last, bool remove, MSG* message) {
    if (!(first == 0 && last == 0) && !(WM_TIMER >= first && WM_TIMER <= last))
        return false;
    Update(Win32ClockNow());
    for (Timer& t : Timers()) {
        if (!t.ready || (filter != nullptr && filter != t.window))
            continue;
        *message = MSG{t.window, WM_TIMER, t.id, 0, 0, {}};
        if (remove)
            t.ready = false;
        return true;
    }
    return false;
}

bool Win32NextTimerDue(uint64_t* when) {
    if (Timers().empty())
        return false;
    const uint64_t now = Win32ClockNow();
    uint64_t soonest = UINT64_MAX;
    for (const Timer& t : Timers())
        soonest = std::min(soonest, t.ready ? now : t.due);
    *when = soonest;
    return true;
}

void Win32KillWindowTimers(HWND window) {
    std::vector<Timer>& timers = Timers();
    timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer& t) { return t.window == window; }),
                 timers.end());
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
    if (timerProc != nullptr || !Win32FindWindow(window)) {
        SetLastError(timerProc ? DWORD{ERROR_INVALID_PARAMETER} : DWORD{ERROR_INVALID_WINDOW_HANDLE});
        return 0;
    }
    const uint64_t period = std::max<uint64_t>(elapse, MinimumPeriod);
    const uint64_t due = Win32ClockNow() + period;
    for (Timer& t : Timers())
        if (t.window == window && t.id == id) {
            t = {window, id, period, due, false};
            return id ? id : 1;
        }
    Timers().push_back({window, id, period, due, false});
    return id ? id : 1;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
    std::vector<Timer>& timers = Timers();
    const auto it = std::find_if(timers.begin(), timers.end(),
                                 [&](const Timer& t) { return t.window == window && t.id == id; });
    if (it == timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    timers.erase(it);
    return TRUE;
}
