// Window classes, the window table, creation and destruction, and the way
// the system calls a window procedure.
#include "win32/win32_gdi_table.h"
#include "win32/win32_window_table.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <strings.h>

void Win32LogDelivery(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

struct WindowClass {
    std::string m_name;
    UINT m_style;
    WNDPROC m_proc;
    HINSTANCE m_instance;
};

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

std::map<std::string, WindowClass, NoCase>& Classes() {
    static auto* classes = new std::map<std::string, WindowClass, NoCase>;
    return *classes;
}

std::map<HWND, Win32WindowPtr>& Windows() {
    static auto* windows = new std::map<HWND, Win32WindowPtr>;
    return *windows;
}

// Handles count up and are never given out twice.
uintptr_t g_lastHandle = 0x10000;

// Runaway recursion between procedures ends the program loudly rather than
// overflowing the stack.
constexpr int MaxNesting = 64;
thread_local int t_nesting = 0;

struct NestingGuard {
    NestingGuard() {
        if (++t_nesting > MaxNesting) {
            std::fprintf(stderr, "win32: window procedures nested more than %d deep\n", MaxNesting);
            std::abort();
        }
    }
    ~NestingGuard() { --t_nesting; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;
};

HWND RootOf(HWND window) {
    Win32WindowPtr w = Win32FindWindow(window);
    while (w && w->m_parent)
        w = Win32FindWindow(w->m_parent);
    return w ? w->m_handle : nullptr;
}

void SendDestroy(HWND window) {
    Win32Deliver(window, WM_DESTROY, 0, 0);
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return;
    for (HWND child : std::vector<HWND>(w->m_children))
        if (Win32FindWindow(child))
            SendDestroy(child);
}

void Forget(const Win32WindowPtr& w) {
    std::vector<HWND>& siblings = Win32Siblings(*w);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), w->m_handle), siblings.end());
    Win32DropQueuedMessages(w->m_handle);
    Win32KillWindowTimers(w->m_handle);
    Win32ForgetInputWindow(w->m_handle);
    Win32DropSurface(w->m_handle);
    Windows().erase(w->m_handle);
}

// Children first; each window still sits in its parent during its message.
void SendNcDestroy(HWND window) {
    Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return;
    for (HWND child : std::vector<HWND>(w->m_children))
        SendNcDestroy(child);
    Win32Deliver(window, WM_NCDESTROY, 0, 0);
    Forget(w);
}

}  // namespace

Win32WindowPtr Win32FindWindow(HWND window) {
    const auto it = Windows().find(window);
    if (it == Windows().end()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return it->second;
}

std::vector<HWND>& Win32TopLevel() {
    static auto* list = new std::vector<HWND>;
    return *list;
}

std::vector<HWND>& Win32Siblings(const Win32Window& window) {
    if (window.m_parent)
        if (const Win32WindowPtr parent = Win32FindWindow(window.m_parent))
            return parent->m_children;
    return Win32TopLevel();
}

LRESULT Win32Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const Win32WindowPtr keep = Win32FindWindow(window);  // the record outlives a destroy inside the call
    if (!keep || keep->m_proc == nullptr)
        return 0;
    NestingGuard nesting;
    Win32LogDelivery(window, message, wParam, lParam);
    return keep->m_proc(window, message, wParam, lParam);
}

bool Win32IsSelfOrDescendant(HWND ancestor, HWND window) {
    for (Win32WindowPtr w = Win32FindWindow(window); w; w = Win32FindWindow(w->m_parent)) {
        if (w->m_handle == ancestor)
            return true;
        if (!w->m_parent)
            break;
    }
    return false;
}

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr || windowClass->lpfnWndProc == nullptr ||
        IS_INTRESOURCE(windowClass->lpszClassName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string name = windowClass->lpszClassName;
    if (Classes().count(name) != 0) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    Classes()[name] = {name, windowClass->style, windowClass->lpfnWndProc, windowClass->hInstance};
    return static_cast<ATOM>(0xC000 + Classes().size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    const auto cls = className && !IS_INTRESOURCE(className) ? Classes().find(className) : Classes().end();
    if (cls == Classes().end()) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if ((style & WS_CHILD) ? !Win32FindWindow(parent) : (parent && !Win32FindWindow(parent))) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto w = std::make_shared<Win32Window>();
    w->m_handle = reinterpret_cast<HWND>(g_lastHandle += 4);
    w->m_className = cls->second.m_name;
    w->m_classStyle = cls->second.m_style;
    w->m_proc = cls->second.m_proc;
    w->m_instance = instance;
    // An overlapped window always has a caption.
    w->m_style = (style & ~WS_VISIBLE) | ((style & (WS_CHILD | WS_POPUP)) ? 0 : WS_CAPTION | WS_CLIPSIBLINGS);
    w->m_exStyle = exStyle;
    w->m_rect = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
    if (style & WS_CHILD) {
        w->m_parent = parent;
        w->m_id = reinterpret_cast<LONG_PTR>(menu);
    } else {
        w->m_owner = RootOf(parent);
    }
    const HWND h = w->m_handle;
    Windows()[h] = w;
    // Children join at the bottom (creation order is tab order), top-level windows at the top.
    std::vector<HWND>& siblings = Win32Siblings(*w);
    if (w->m_parent)
        siblings.push_back(h);
    else
        siblings.insert(siblings.begin(), h);

    CREATESTRUCTA create{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                         windowName, className, exStyle};
    if (Win32Deliver(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == 0 ||
        Win32Deliver(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(h);
        return nullptr;
    }
    if (!Win32FindWindow(h))
        return nullptr;
    if (style & (WS_CHILD | WS_POPUP))
        Win32SendFirstSizeAndMove(*w);
    if ((style & WS_CHILD) && !(exStyle & WS_EX_NOPARENTNOTIFY))
        Win32Deliver(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, static_cast<WORD>(w->m_id)),
                     reinterpret_cast<LPARAM>(h));
    if ((style & WS_VISIBLE) && Win32FindWindow(h))
        ShowWindow(h, SW_SHOW);
    return Win32FindWindow(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND window) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w || w->m_destroying)
        return FALSE;
    w->m_destroying = true;
    if (w->m_parent && !(w->m_exStyle & WS_EX_NOPARENTNOTIFY))
        Win32Deliver(w->m_parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, static_cast<WORD>(w->m_id)),
                     reinterpret_cast<LPARAM>(window));
    if (w->m_style & WS_VISIBLE) {
        if (w->m_parent)
            Win32Deliver(window, WM_SHOWWINDOW, FALSE, 0);
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER);
    }
    Win32LeaveFocusAndActivation(window);
    for (HWND other : std::vector<HWND>(Win32TopLevel()))
        if (const Win32WindowPtr owned = Win32FindWindow(other))
            if (owned->m_owner == window)
                DestroyWindow(other);
    SendDestroy(window);
    Win32ReleaseCaptureOf(window);
    SendNcDestroy(window);
    return TRUE;
}

BOOL IsWindow(HWND window) { return Windows().count(window) != 0 ? TRUE : FALSE; }

HWND GetParent(HWND window) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return nullptr;
    if (w->m_style & WS_CHILD)
        return w->m_parent;
    return (w->m_style & WS_POPUP) ? w->m_owner : nullptr;
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}
