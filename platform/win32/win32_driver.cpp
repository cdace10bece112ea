// The window driver: pumping, moving time, acting at a chosen poll, closing
// windows as the system menu does, and the message log.
#include "win32/win32_driver.h"
#include "win32/win32_clock.h"
#include "win32/win32_window_table.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

bool Win32Retrieve(MSG* message, HWND filter, UINT first, UINT last, UINT remove);
bool Win32NextTimerDue(uint64_t* when);

namespace {

bool g_logging = false;

std::map<HWND, std::vector<std::string>>& Logs() {
    static auto* logs = new std::map<HWND, std::vector<std::string>>;
    return *logs;
}

struct PendingAction {
    unsigned remaining;
    std::function<void()> action;
};

// The interrupt flag the pump watches, and what it does once the flag is up.
struct InterruptWatch {
    const volatile std::sig_atomic_t* flag = nullptr;
    std::function<void()> action;
    bool done = false;
};

InterruptWatch& Interrupt() {
    static auto* watch = new InterruptWatch;
    return *watch;
}

void CheckInterrupt() {
    InterruptWatch& watch = Interrupt();
    if (watch.flag && *watch.flag != 0 && !watch.done) {
        watch.done = true;
        watch.action();
    }
}

std::vector<PendingAction>& Actions() {
    static auto* actions = new std::vector<PendingAction>;
    return *actions;
}

// A loop that never runs dry (a procedure that never validates, say) ends
// the run loudly instead of hanging it.
constexpr unsigned long MaxMessagesPerPump = 1000000;

const std::map<UINT, const char*>& Names() {
    static const std::map<UINT, const char*> names = {
        {WM_NULL, "WM_NULL"}, {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_MOVE, "WM_MOVE"},
        {WM_SIZE, "WM_SIZE"}, {WM_ACTIVATE, "WM_ACTIVATE"}, {WM_SETFOCUS, "WM_SETFOCUS"},
        {WM_KILLFOCUS, "WM_KILLFOCUS"}, {WM_ENABLE, "WM_ENABLE"}, {WM_SETTEXT, "WM_SETTEXT"},
        {WM_GETTEXT, "WM_GETTEXT"}, {WM_GETTEXTLENGTH, "WM_GETTEXTLENGTH"}, {WM_PAINT, "WM_PAINT"},
        {WM_CLOSE, "WM_CLOSE"}, {WM_QUIT, "WM_QUIT"}, {WM_SHOWWINDOW, "WM_SHOWWINDOW"},
        {WM_CANCELMODE, "WM_CANCELMODE"}, {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
        {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"}, {WM_NCCREATE, "WM_NCCREATE"},
        {WM_NCDESTROY, "WM_NCDESTROY"}, {WM_NCHITTEST, "WM_NCHITTEST"}, {WM_NCACTIVATE, "WM_NCACTIVATE"},
        {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"}, {WM_NCLBUTTONUP, "WM_NCLBUTTONUP"},
        {WM_NCLBUTTONDBLCLK, "WM_NCLBUTTONDBLCLK"}, {WM_NCRBUTTONDOWN, "WM_NCRBUTTONDOWN"},
        {WM_NCRBUTTONUP, "WM_NCRBUTTONUP"}, {WM_NCMBUTTONDOWN, "WM_NCMBUTTONDOWN"},
        {WM_NCMBUTTONUP, "WM_NCMBUTTONUP"}, {WM_KEYDOWN, "WM_KEYDOWN"}, {WM_KEYUP, "WM_KEYUP"},
        {WM_CHAR, "WM_CHAR"}, {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"}, {WM_SYSKEYUP, "WM_SYSKEYUP"},
        {WM_SYSCHAR, "WM_SYSCHAR"}, {WM_INITDIALOG, "WM_INITDIALOG"}, {WM_COMMAND, "WM_COMMAND"},
        {WM_SYSCOMMAND, "WM_SYSCOMMAND"}, {WM_TIMER, "WM_TIMER"}, {WM_MOUSEMOVE, "WM_MOUSEMOVE"},
        {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}, {WM_LBUTTONUP, "WM_LBUTTONUP"},
        {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"}, {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
        {WM_RBUTTONUP, "WM_RBUTTONUP"}, {WM_RBUTTONDBLCLK, "WM_RBUTTONDBLCLK"},
        {WM_MBUTTONDOWN, "WM_MBUTTONDOWN"}, {WM_MBUTTONUP, "WM_MBUTTONUP"},
        {WM_MBUTTONDBLCLK, "WM_MBUTTONDBLCLK"}, {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"},
        {WM_SIZING, "WM_SIZING"}, {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"}, {WM_MOVING, "WM_MOVING"},
        {WM_USER, "WM_USER"},
    };
    return names;
}

std::string Hex(uintptr_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "%#llx", static_cast<unsigned long long>(v));
    return v == 0 ? "0" : text;
}

}  // namespace

void Win32LogDelivery(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_logging)
        Logs()[window].push_back(Win32Driver::MessageName(message) + " " + Hex(wParam) + " " +
                                 Hex(static_cast<uintptr_t>(lParam)));
}

void Win32BeforePeek() {
    CheckInterrupt();
    std::vector<std::function<void()>> due;
    std::vector<PendingAction>& actions = Actions();
    for (auto it = actions.begin(); it != actions.end();) {
        if (--it->remaining == 0) {
            due.push_back(std::move(it->action));
            it = actions.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& action : due)
        action();
}

namespace Win32Driver {

void Pump() {
    CheckInterrupt();
    MSG m;
    for (unsigned long n = 0; Win32Retrieve(&m, nullptr, 0, 0, PM_REMOVE); ++n) {
        if (n == MaxMessagesPerPump) {
            std::fprintf(stderr, "win32: Pump found no end after %lu messages (last %s)\n", n,
                         MessageName(m.message).c_str());
            std::abort();
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

void Advance(DWORD ms) {
    const uint64_t end = Win32ClockNow() + ms;
    Pump();
    uint64_t due = 0;
    while (Win32NextTimerDue(&due) && due <= end && due > Win32ClockNow()) {
        Win32ClockWaitUntil(due);
        Pump();
    }
    Win32ClockWaitUntil(end);
    Pump();
}

void AtPeek(unsigned n, std::function<void()> action) {
    if (n == 0)
        action();
    else
        Actions().push_back({n, std::move(action)});
}

void WatchInterrupt(const volatile std::sig_atomic_t* flag, std::function<void()> action) {
    InterruptWatch& watch = Interrupt();
    watch.flag = action ? flag : nullptr;
    watch.action = std::move(action);
    watch.done = false;
}

void Close(HWND window) { SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void StartLog() {
    Logs().clear();
    g_logging = true;
}

void StopLog() {
    g_logging = false;
    Logs().clear();
}

std::vector<std::string> Log(HWND window) {
    const auto it = Logs().find(window);
    return it != Logs().end() ? it->second : std::vector<std::string>{};
}

std::vector<std::string> LogNames(HWND window) {
    std::vector<std::string> names;
    for (const std::string& line : Log(window))
        names.push_back(line.substr(0, line.find(' ')));
    return names;
}

std::string MessageName(UINT message) {
    const auto it = Names().find(message);
    if (it != Names().end())
        return it->second;
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x", message);
    return text;
}

}  // namespace Win32Driver
