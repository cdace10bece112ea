#include "viewer/VIEW_Windows.h"

#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Frames.h"
#include "viewer/VIEW_HandleTable.h"
#include "viewer/VIEW_HostError.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

struct HostWindow {
    PDFL_AVWindowHandlerRec* m_handler = nullptr;
    void* m_ownerData = nullptr;
    HWND m_platform = nullptr;
    bool m_ownPlatform = false;  // made by New, so the host may destroy it
    bool m_destroying = false;
};

// The host's hook on a platform window: the procedure it replaced and the
// host window bound to it (null once forgotten).
struct Hook {
    WNDPROC m_oldProc = nullptr;
    PDFL_AVWindow m_window = nullptr;
};

VIEW_HandleTable<PDFL_AVWindow, HostWindow>& Windows() {
    static VIEW_HandleTable<PDFL_AVWindow, HostWindow> windows("host window", 0x57000001);
    return windows;
}

std::map<HWND, Hook>& Hooks() {
    static std::map<HWND, Hook> hooks;
    return hooks;
}

// The handler's callback word, or null when the window is gone or has none.
PDFL_ASCallback Callback(PDFL_AVWindow window, PDFL_ASCallback PDFL_AVWindowHandlerRec::*word) {
    HostWindow* host = Windows().Find(window);
    return host && host->m_handler ? host->m_handler->*word : nullptr;
}

void Forget(PDFL_AVWindow window) {
    HostWindow* host = Windows().Find(window);
    if (!host)
        return;
    const auto hook = Hooks().find(host->m_platform);
    if (hook != Hooks().end() && hook->second.m_window == window)
        hook->second.m_window = nullptr;
    Windows().Remove(window);
}

RECT ToRect(const PDFL_AVRect& rect) {
    return RECT{rect.m_left, rect.m_top, rect.m_right, rect.m_bottom};
}

LRESULT HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto found = Hooks().find(hwnd);
    if (found == Hooks().end())
        return DefWindowProcA(hwnd, message, wParam, lParam);
    const Hook hook = found->second;
    if (message == WM_NCDESTROY) {
        if (hook.m_window)
            Forget(hook.m_window);
        Hooks().erase(hwnd);
        return CallWindowProcA(hook.m_oldProc, hwnd, message, wParam, lParam);
    }
    const HostWindow* host = hook.m_window ? Windows().Find(hook.m_window) : nullptr;
    if (host && !host->m_destroying) {
        switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            VIEW_Windows::MouseDown(hook.m_window, static_cast<int16_t>(LOWORD(lParam)),
                                    static_cast<int16_t>(HIWORD(lParam)));
            break;
        case WM_KEYDOWN:
            VIEW_Windows::KeyDown(hook.m_window, static_cast<uint16_t>(wParam));
            break;
        default:
            break;
        }
    }
    // The callback may have destroyed the window.
    if (!IsWindow(hwnd))
        return 0;
    return CallWindowProcA(hook.m_oldProc, hwnd, message, wParam, lParam);
}

PDFL_AVWindow Bind(PDFL_AVWindowHandlerRec* handler, HWND platform, bool own) {
    if (!platform || !IsWindow(platform))
        throw VIEW_AssertionFailure("AVWindowNewFromPlatformThing without a living window");
    HostWindow host;
    host.m_handler = handler;
    host.m_platform = platform;
    host.m_ownPlatform = own;
    const PDFL_AVWindow window = Windows().Add(host);
    Hook& hook = Hooks()[platform];
    if (!hook.m_oldProc)
        hook.m_oldProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(platform, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProc)));
    hook.m_window = window;
    return window;
}

void RegisterHostClass() {
    static const bool registered = [] {
        WNDCLASSA cls{};
        cls.lpfnWndProc = DefWindowProcA;
        cls.lpszClassName = "VIEW_HostWindow";
        return RegisterClassA(&cls) != 0;
    }();
    if (!registered)
        throw VIEW_AssertionFailure("the host window class could not be registered");
}

std::vector<HWND>& ModelessDialogs() {
    static std::vector<HWND> dialogs;
    return dialogs;
}

}  // namespace

PDFL_AVWindow VIEW_Windows::New(PDFL_AVWindowHandlerRec* handler) {
    RegisterHostClass();
    HWND platform = CreateWindowExA(0, "VIEW_HostWindow", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150,
                                    nullptr, nullptr, nullptr, nullptr);
    return Bind(handler, platform, true);
}

PDFL_AVWindow VIEW_Windows::NewFromPlatformThing(PDFL_AVWindowHandlerRec* handler,
                                                 HWND platformWindow) {
    return Bind(handler, platformWindow, false);
}

void VIEW_Windows::Destroy(PDFL_AVWindow window) {
    HostWindow& host = Windows().Get(window);
    if (host.m_destroying)
        return;
    host.m_destroying = true;
    const HWND platform = host.m_platform;
    const bool own = host.m_ownPlatform;
    if (PDFL_ASCallback proc = Callback(window, &PDFL_AVWindowHandlerRec::m_destroyPlatformThing))
        VIEW_InvokeCallback<void(PDFL_AVWindow, PDFL_PlatformWindow)>(proc, window, platform);
    else if (own && IsWindow(platform))
        DestroyWindow(platform);
    Forget(window);
}

LRESULT VIEW_Windows::Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return VIEW_CallPlugin([&] { return SendMessageA(window, message, wParam, lParam); });
}

void VIEW_Windows::Show(PDFL_AVWindow window) {
    ShowWindow(Windows().Get(window).m_platform, SW_SHOW);
}

void VIEW_Windows::Hide(PDFL_AVWindow window) {
    ShowWindow(Windows().Get(window).m_platform, SW_HIDE);
}

PDFL_Bool VIEW_Windows::IsVisible(PDFL_AVWindow window) {
    return IsWindowVisible(Windows().Get(window).m_platform) ? 1 : 0;
}

HWND VIEW_Windows::PlatformThing(PDFL_AVWindow window) {
    return Windows().Get(window).m_platform;
}

void* VIEW_Windows::OwnerData(PDFL_AVWindow window) {
    return Windows().Get(window).m_ownerData;
}

void VIEW_Windows::SetOwnerData(PDFL_AVWindow window, void* data) {
    Windows().Get(window).m_ownerData = data;
}

void VIEW_Windows::SetTitle(PDFL_AVWindow window, const char* title) {
    SetWindowTextA(Windows().Get(window).m_platform, title ? title : "");
}

void VIEW_Windows::SetFrame(PDFL_AVWindow window, const PDFL_AVRect& frame) {
    const HWND platform = Windows().Get(window).m_platform;
    PDFL_AVRect proposed = frame;
    if (PDFL_ASCallback proc = Callback(window, &PDFL_AVWindowHandlerRec::m_willBeResized))
        if (!VIEW_InvokeCallback<PDFL_Bool(PDFL_AVWindow, PDFL_AVRect*)>(proc, window, &proposed))
            return;
    if (!IsAlive(window))
        return;
    RECT before{};
    GetWindowRect(platform, &before);
    const int width = proposed.m_right - proposed.m_left;
    const int height = proposed.m_bottom - proposed.m_top;
    SetWindowPos(platform, nullptr, proposed.m_left, proposed.m_top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (width == before.right - before.left && height == before.bottom - before.top)
        return;  // a move: the platform window's own messages tell it
    if (PDFL_ASCallback proc = Callback(window, &PDFL_AVWindowHandlerRec::m_didResize))
        VIEW_InvokeCallback<void(PDFL_AVWindow, PDFL_AVRect*)>(proc, window, &proposed);
}

PDFL_AVRect VIEW_Windows::Interior(PDFL_AVWindow window) {
    RECT client{};
    GetClientRect(Windows().Get(window).m_platform, &client);
    return PDFL_AVRect{static_cast<int16_t>(client.left), static_cast<int16_t>(client.top),
                       static_cast<int16_t>(client.right), static_cast<int16_t>(client.bottom)};
}

void VIEW_Windows::InvalidateRect(PDFL_AVWindow window, const PDFL_AVRect& rect) {
    const RECT update = ToRect(rect);
    ::InvalidateRect(Windows().Get(window).m_platform, &update, FALSE);
}

void VIEW_Windows::BecomeKey(PDFL_AVWindow window) {
    SetFocus(Windows().Get(window).m_platform);
}

void VIEW_Windows::MouseDown(PDFL_AVWindow window, int16_t x, int16_t y) {
    Windows().Get(window);
    if (PDFL_ASCallback proc = Callback(window, &PDFL_AVWindowHandlerRec::m_mouseDown))
        VIEW_InvokeCallback<void(PDFL_AVWindow, int16_t, int16_t, void*)>(proc, window, x, y,
                                                                          nullptr);
}

void VIEW_Windows::KeyDown(PDFL_AVWindow window, uint16_t key) {
    Windows().Get(window);
    if (PDFL_ASCallback proc = Callback(window, &PDFL_AVWindowHandlerRec::m_keyDown))
        VIEW_InvokeCallback<void(PDFL_AVWindow, uint16_t, void*)>(proc, window, key, nullptr);
}

void VIEW_Windows::Draw(PDFL_AVWindow window, const PDFL_AVRect& update) {
    Windows().Get(window);
    PDFL_AVRect rect = update;
    if (PDFL_ASCallback proc = Callback(window, &PDFL_AVWindowHandlerRec::m_draw))
        VIEW_InvokeCallback<void(PDFL_AVWindow, PDFL_AVRect*)>(proc, window, &rect);
}

bool VIEW_Windows::Close(PDFL_AVWindow window, PDFL_Bool quitting) {
    Windows().Get(window);
    if (PDFL_ASCallback proc = Callback(window, &PDFL_AVWindowHandlerRec::m_willClose))
        if (!VIEW_InvokeCallback<PDFL_Bool(PDFL_AVWindow, PDFL_Bool)>(proc, window, quitting))
            return false;
    if (!IsAlive(window))
        return true;
    Windows().Get(window).m_destroying = true;
    if (PDFL_ASCallback proc = Callback(window, &PDFL_AVWindowHandlerRec::m_didClose))
        VIEW_InvokeCallback<void(PDFL_AVWindow)>(proc, window);
    Forget(window);
    return true;
}

bool VIEW_Windows::IsAlive(PDFL_AVWindow window) {
    return Windows().Find(window) != nullptr;
}

std::vector<PDFL_AVWindow> VIEW_Windows::OwnWindows() {
    std::vector<PDFL_AVWindow> own;
    for (auto& entry : Windows().Entries())
        if (entry.second.m_ownPlatform)
            own.push_back(reinterpret_cast<PDFL_AVWindow>(entry.first));
    return own;
}

size_t VIEW_Windows::LiveCount() {
    return Windows().Size();
}

std::vector<HWND> VIEW_Windows::PlatformWindows() {
    std::vector<HWND> platforms;
    for (auto& entry : Windows().Entries())
        platforms.push_back(entry.second.m_platform);
    return platforms;
}

void VIEW_Windows::RegisterModelessDialog(HWND dialog) {
    if (!dialog)
        return;
    auto& dialogs = ModelessDialogs();
    if (std::find(dialogs.begin(), dialogs.end(), dialog) == dialogs.end())
        dialogs.push_back(dialog);
}

std::vector<HWND> VIEW_Windows::ServedDialogs() {
    auto& dialogs = ModelessDialogs();
    dialogs.erase(std::remove_if(dialogs.begin(), dialogs.end(),
                                 [](HWND dialog) { return !IsWindow(dialog); }),
                  dialogs.end());
    return dialogs;
}

void VIEW_Windows::Reset() {
    ModelessDialogs().clear();
    std::vector<HWND> own;
    for (auto& entry : Windows().Entries())
        if (entry.second.m_ownPlatform)
            own.push_back(entry.second.m_platform);
    Windows().Clear();
    for (auto& hook : Hooks())
        hook.second.m_window = nullptr;
    for (HWND platform : own)
        if (IsWindow(platform))
            DestroyWindow(platform);
}
