// The thread's message queue: sending, posting, retrieval in Windows' order,
// translation and dispatch.
#include "win32/win32_clock.h"
#include "win32/win32_window_table.h"

#include <deque>

// Retrieval sources of the other units.
bool Win32NextInput(HWND filter, UINT first, UINT last, bool remove, MSG* message);
bool Win32NextTimer(HWND filter, UINT first, UINT last, bool remove, MSG* message);
bool Win32NextTimerDue(uint64_t* when);
POINT Win32CursorPos();
void Win32BeforePeek();
bool Win32Retrieve(MSG* message, HWND filter, UINT first, UINT last, UINT remove);

namespace {

std::deque<MSG>& Posted() {
    static auto* queue = new std::deque<MSG>;
    return *queue;
}

HWND const ThreadOnly = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

bool InRange(UINT message, UINT first, UINT last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool ForFilter(HWND window, HWND filter) {
    if (filter == nullptr)
        return true;
    if (filter == ThreadOnly)
        return window == nullptr;
    return window == filter;
}

bool NextPosted(HWND filter, UINT first, UINT last, bool remove, MSG* message) {
    for (auto it = Posted().begin(); it != Posted().end(); ++it) {
        if (!ForFilter(it->hwnd, filter) || !InRange(it->message, first, last))
            continue;
        *message = *it;
        if (remove)
            Posted().erase(it);
        return true;
    }
    return false;
}

bool NextPaint(HWND filter, UINT first, UINT last, MSG* message) {
    if (!InRange(WM_PAINT, first, last) || filter == ThreadOnly)
        return false;
    const HWND window = Win32WindowToPaint(filter);
    if (!window)
        return false;
    *message = MSG{window, WM_PAINT, 0, 0, 0, {}};
    return true;
}

char KeyCharacter(WPARAM key) {
    if (key >= 'A' && key <= 'Z')
        return static_cast<char>(key - 'A' + 'a');
    if (key >= '0' && key <= '9')
        return static_cast<char>(key);
    switch (key) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    case VK_BACK: return 0x08;
    default: return 0;
    }
}

}  // namespace

void Win32DropQueuedMessages(HWND window) {
    std::deque<MSG>& queue = Posted();
    for (auto it = queue.begin(); it != queue.end();)
        it = it->hwnd == window ? queue.erase(it) : it + 1;
}

bool Win32Retrieve(MSG* message, HWND filter, UINT first, UINT last, UINT remove) {
    const bool take = (remove & PM_REMOVE) != 0;
    MSG m{};
    if (!NextPosted(filter, first, last, take, &m) && !Win32NextInput(filter, first, last, take, &m) &&
        !NextPaint(filter, first, last, &m) && !Win32NextTimer(filter, first, last, take, &m))
        return false;
    m.time = static_cast<DWORD>(Win32ClockNow());
    if (m.message < WM_MOUSEMOVE || m.message > WM_MBUTTONDBLCLK)
        m.pt = Win32CursorPos();
    *message = m;
    return true;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Win32FindWindow(window))
        return 0;
    return Win32Deliver(window, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !Win32FindWindow(window))
        return FALSE;
    Posted().push_back(MSG{window, message, wParam, lParam, 0, {}});
    return TRUE;
}

BOOL PeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
    Win32BeforePeek();
    if (message == nullptr)
        return FALSE;
    return Win32Retrieve(message, window, first, last, remove) ? TRUE : FALSE;
}

BOOL GetMessageA(LPMSG message, HWND window, UINT first, UINT last) {
    if (message == nullptr)
        return -1;
    for (;;) {
        if (Win32Retrieve(message, window, first, last, PM_REMOVE))
            return message->message == WM_QUIT ? FALSE : TRUE;
        uint64_t due = 0;
        if (!Win32NextTimerDue(&due)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return -1;
        }
        Win32ClockWaitUntil(due);
    }
}

BOOL TranslateMessage(const MSG* message) {
    if (message == nullptr)
        return FALSE;
    const UINT m = message->message;
    if (m != WM_KEYDOWN && m != WM_KEYUP && m != WM_SYSKEYDOWN && m != WM_SYSKEYUP)
        return FALSE;
    const char c = KeyCharacter(message->wParam);
    if ((m == WM_KEYDOWN || m == WM_SYSKEYDOWN) && c != 0)
        PostMessageA(message->hwnd, m == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, static_cast<unsigned char>(c),
                     message->lParam);
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* message) {
    if (message == nullptr || message->hwnd == nullptr)
        return 0;
    return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}
