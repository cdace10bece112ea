#include "Exchange/XCHG/XCHG_AVWindowObj.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "Exchange/XCHG/XCHG_HostRect.h"
#include "Exchange/XCHG/XCHG_ModuleInfo.h"
#include "Exchange/XCHG/XCHG_ResourceScope.h"
#include "GLIB/GLIB_Assert.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "Exchange/XCHG/iXCHG_Callbacks.h"
#include "hostpdf/PDFL_ExceptionHandler.h"

#include <array>
#include <cstring>

namespace {

template <class Member>
auto Guard(const char* method, Member member) {
    return PDFL_CallbackGuard("XCHG_AVWindowObj", method, member);
}

// The callback words in the host's record order.
std::array<PDFL_ASCallback*, 15> CallbackWords(PDFL_AVWindowHandlerRec& r) {
    return {&r.m_mouseDown,     &r.m_willClose,        &r.m_didClose,
            &r.m_didActivate,   &r.m_didBecomeKey,     &r.m_keyDown,
            &r.m_willResignKey, &r.m_willDeactivate,   &r.m_draw,
            &r.m_willBeResized, &r.m_performEditOp,    &r.m_canPerformEditOp,
            &r.m_adjustCursor,  &r.m_didResize,        &r.m_destroyPlatformThing};
}

bool IsZero(const PDFL_AVRect& r) {
    return r.m_left == 0 && r.m_top == 0 && r.m_right == 0 && r.m_bottom == 0;
}

// The message record handed to KeyDown and MouseDown as the platform event.
struct PlatformEvent {
    UINT m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
};

}  // namespace

XCHG_AVWindowObj::XCHG_AVWindowObj() {
    std::memset(&m_handler, 0, sizeof m_handler);
    m_handler.m_size = sizeof m_handler;
    std::memset(&m_savedFrame, 0, sizeof m_savedFrame);
}

XCHG_AVWindowObj::~XCHG_AVWindowObj() {
    Destroy();
}

XCHG_AVWindowObj* XCHG_AVWindowObj::FromHostWindow(PDFL_AVWindow window) {
    auto* ourObj = static_cast<XCHG_AVWindowObj*>(XCHG_AVWindowGetOwnerData(window));
    GLIB_ASSERT(ourObj != NULL);
    return ourObj;
}

HMODULE XCHG_AVWindowObj::ResourceModule() {
    return XCHG_ModuleInfo::Instance().ResourceModule();
}

void XCHG_AVWindowObj::Show() {
    GLIB_ASSERT(IsAlive());
    if (!IsVisible())
        WillShow();
    XCHG_AVWindowShow(m_hostWindow);
}

void XCHG_AVWindowObj::Hide() {
    GLIB_ASSERT(IsAlive());
    XCHG_AVWindowHide(m_hostWindow);
    DidHide();
}

bool XCHG_AVWindowObj::IsVisible() const {
    return m_hostWindow && XCHG_AVWindowIsVisible(m_hostWindow) != 0;
}

void XCHG_AVWindowObj::SetFrame(PDFL_AVRect& frame) {
    XCHG_AVWindowSetFrame(m_hostWindow, &frame);
}

void XCHG_AVWindowObj::SetTitle(const char* title) {
    XCHG_AVWindowSetTitle(m_hostWindow, title);
}

PDFL_Bool XCHG_AVWindowObj::AdjustCursor(int16_t, int16_t) {
    XCHG_AVSysSetCursor(XCHG_AVSysGetStandardCursor(0));
    return 1;
}

void XCHG_AVWindowObj::DestroyPlatformThing(HWND platformWindow) {
    if (!platformWindow || platformWindow != m_platformWindow)
        return;
    m_platformWindow = nullptr;
    DestroyWindow(platformWindow);
}

void XCHG_AVWindowObj::MakeCallbacks() {
    m_handler.m_mouseDown = iXCHG_MakeCallback(&PrivateMouseDown);
    m_handler.m_willClose =
        iXCHG_MakeCallback(static_cast<PDFL_Bool (*)(PDFL_AVWindow, PDFL_Bool)>(&WillClose));
    m_handler.m_didClose = iXCHG_MakeCallback(&PrivateDidClose);
    m_handler.m_didActivate = iXCHG_MakeCallback(static_cast<void (*)(PDFL_AVWindow)>(&DidActivate));
    m_handler.m_didBecomeKey = iXCHG_MakeCallback(static_cast<void (*)(PDFL_AVWindow)>(&DidBecomeKey));
    m_handler.m_keyDown = iXCHG_MakeCallback(&PrivateKeyDown);
    m_handler.m_willResignKey = iXCHG_MakeCallback(static_cast<void (*)(PDFL_AVWindow)>(&WillResignKey));
    m_handler.m_willDeactivate =
        iXCHG_MakeCallback(static_cast<void (*)(PDFL_AVWindow)>(&WillDeactivate));
    m_handler.m_draw = iXCHG_MakeCallback(&PrivateDraw);
    m_handler.m_willBeResized = iXCHG_MakeCallback(&PrivateWillBeResized);
    m_handler.m_performEditOp =
        iXCHG_MakeCallback(static_cast<PDFL_Bool (*)(PDFL_AVWindow, PDFL_ASAtom)>(&PerformEditOp));
    m_handler.m_canPerformEditOp =
        iXCHG_MakeCallback(static_cast<PDFL_Bool (*)(PDFL_AVWindow, PDFL_ASAtom)>(&CanPerformEditOp));
    m_handler.m_adjustCursor =
        iXCHG_MakeCallback(static_cast<PDFL_Bool (*)(PDFL_AVWindow, int16_t, int16_t)>(&AdjustCursor));
    m_handler.m_didResize = iXCHG_MakeCallback(&PrivateDidResize);
    m_handler.m_destroyPlatformThing = iXCHG_MakeCallback(
        static_cast<void (*)(PDFL_AVWindow, PDFL_PlatformWindow)>(&DestroyPlatformThing));
}

void XCHG_AVWindowObj::Bind(PDFL_AVWindow window, HWND platform) {
    m_hostWindow = window;
    XCHG_AVWindowSetOwnerData(window, this);
    m_platformWindow = platform;
    SetTimer(platform, TimerID, TimerPeriod, nullptr);
    Subclass(platform);
    DidCreate();
}

void XCHG_AVWindowObj::Create(int32_t layer, uint32_t flags) {
    Destroy();
    MakeCallbacks();
    PDFL_AVWindow window = XCHG_AVWindowNew(layer, flags, &m_handler, gXCHG_ExtensionID);
    Bind(window, static_cast<HWND>(XCHG_AVWindowGetPlatformThing(window)));
}

void XCHG_AVWindowObj::CreateFromPlatformWindow(HWND platformWindow, int32_t layer,
                                                uint32_t flags) {
    Destroy();
    MakeCallbacks();
    PDFL_AVWindow window = XCHG_AVWindowNewFromPlatformThing(layer, flags, &m_handler,
                                                             gXCHG_ExtensionID, platformWindow);
    Bind(window, platformWindow);
}

void XCHG_AVWindowObj::Destroy() {
    WillDestroy();
    if (PDFL_AVWindow window = m_hostWindow) {
        // Forgotten first: the host's destruction may come back here.
        m_hostWindow = nullptr;
        XCHG_AVWindowDestroy(window);
    }
    for (PDFL_ASCallback* word : CallbackWords(m_handler)) {
        if (PDFL_ASCallback callback = *word) {
            *word = nullptr;
            PDFL_ASCallbackDestroy(callback);
        }
    }
}

HWND XCHG_AVWindowObj::PlatformWindow() const {
    return static_cast<HWND>(XCHG_AVWindowGetPlatformThing(m_hostWindow));
}

void XCHG_AVWindowObj::Frame(PDFL_AVRect& frame) const {
    RECT rect{};
    GetWindowRect(m_platformWindow, &rect);
    frame = XCHG_HostRectFromWindows(rect);
}

void XCHG_AVWindowObj::Interior(PDFL_AVRect& interior) const {
    XCHG_AVWindowGetInterior(m_hostWindow, &interior);
}

void XCHG_AVWindowObj::InteriorSize(int16_t& width, int16_t& height) const {
    PDFL_AVRect interior{};
    Interior(interior);
    width = static_cast<int16_t>(interior.m_right - interior.m_left);
    height = static_cast<int16_t>(interior.m_bottom - interior.m_top);
}

void XCHG_AVWindowObj::SetInteriorSize(int16_t width, int16_t height) {
    PDFL_AVRect interior{};
    Interior(interior);
    interior.m_right = static_cast<int16_t>(interior.m_left + width);
    interior.m_bottom = static_cast<int16_t>(interior.m_top + height);
    SizeToInterior(interior);
}

void XCHG_AVWindowObj::SizeToInterior(const PDFL_AVRect& interior) {
    RECT rect = XCHG_WindowsRectFromHost(interior);
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(m_platformWindow, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(m_platformWindow, GWL_EXSTYLE));
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    SetWindowPos(m_platformWindow, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER);
}

void XCHG_AVWindowObj::InvalidateRect(PDFL_AVRect& rect) {
    XCHG_AVWindowInvalidateRect(m_hostWindow, &rect);
}

void XCHG_AVWindowObj::CloseSequence() {
    m_hostWindow = nullptr;
    DidClose();
    Destroy();
}

PDFL_Bool XCHG_AVWindowObj::ResizeStart(PDFL_AVRect& proposed) {
    if (IsZero(m_savedFrame))
        Frame(m_savedFrame);
    return WillBeResized(proposed);
}

void XCHG_AVWindowObj::ResizeEnd(const PDFL_AVRect& frame) {
    const int oldWidth = m_savedFrame.m_right - m_savedFrame.m_left;
    const int oldHeight = m_savedFrame.m_bottom - m_savedFrame.m_top;
    std::memset(&m_savedFrame, 0, sizeof m_savedFrame);
    if (frame.m_right - frame.m_left != oldWidth || frame.m_bottom - frame.m_top != oldHeight)
        DidResize(frame);
    else
        DidMove(frame);
}

LRESULT XCHG_AVWindowObj::Paint(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    RECT update{};
    if (!GetUpdateRect(m_platformWindow, &update, FALSE)) {
        GLIB_ASSERT(!"GetUpdateRect failed");
        return XCHG_WinWindowSubclass::WindowProc(window, message, wParam, lParam);
    }
    XCHG_ResourceScope scope(ResourceModule());
    Draw(XCHG_HostRectFromWindows(update));
    return 0;
}

LRESULT XCHG_AVWindowObj::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PDFL_AVRect frame{};
    RECT rect{};
    PlatformEvent event{message, wParam, lParam};
    // A window being destroyed is hidden first; the object has already let
    // it go, and that last hide is no move or resize of the host's window.
    const bool geometry = message == WM_SIZE || message == WM_MOVE ||
                          message == WM_WINDOWPOSCHANGING || message == WM_WINDOWPOSCHANGED;
    if (geometry && !m_platformWindow)
        return XCHG_WinWindowSubclass::WindowProc(window, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        m_platformWindow = nullptr;
        CloseSequence();
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_RESTORED && wParam != SIZE_MAXIMIZED)
            return 0;
        [[fallthrough]];
    case WM_MOVE:
        Frame(frame);
        ResizeEnd(frame);
        return 0;
    case WM_ACTIVATE:
        if (wParam == 0)
            WillDeactivate();
        else
            DidActivate();
        return 0;
    case WM_SETFOCUS:
        DidBecomeKey();
        return 0;
    case WM_KILLFOCUS:
        WillResignKey();
        return 0;
    case WM_PAINT:
        return Paint(window, message, wParam, lParam);
    case WM_CLOSE:
        if (WillClose(0) == 1)
            DestroyWindow(m_platformWindow);
        return 0;
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        rect = RECT{pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy};
        frame = XCHG_HostRectFromWindows(rect);
        ResizeStart(frame);
        rect = XCHG_WindowsRectFromHost(frame);
        pos->x = rect.left;
        pos->y = rect.top;
        pos->cx = rect.right - rect.left;
        pos->cy = rect.bottom - rect.top;
        return 0;
    }
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        rect = RECT{pos->x, pos->y, pos->x + pos->cx, pos->y + pos->cy};
        ResizeEnd(XCHG_HostRectFromWindows(rect));
        return 0;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        XCHG_ResourceScope scope(ResourceModule());
        KeyDown(static_cast<uint16_t>(wParam), &event);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        XCHG_ResourceScope scope(ResourceModule());
        MouseDown(static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam)),
                  &event);
        return 0;
    }
    case WM_SIZING:
    case WM_MOVING: {
        auto* moving = reinterpret_cast<RECT*>(lParam);
        frame = XCHG_HostRectFromWindows(*moving);
        ResizeStart(frame);
        *moving = XCHG_WindowsRectFromHost(frame);
        return 0;
    }
    default:
        return XCHG_WinWindowSubclass::WindowProc(window, message, wParam, lParam);
    }
}

// ---- host callbacks -------------------------------------------------------

void XCHG_AVWindowObj::PrivateMouseDown(PDFL_AVWindow window, int16_t x, int16_t y,
                                        void* event) {
    Guard("PrivateMouseDown", [=] {
        XCHG_AVWindowObj* ourObj = FromHostWindow(window);
        XCHG_ResourceScope scope(ourObj->ResourceModule());
        ourObj->MouseDown(x, y, event);
    });
}

PDFL_Bool XCHG_AVWindowObj::WillClose(PDFL_AVWindow window, PDFL_Bool quitting) {
    return Guard("WillClose", [=] { return FromHostWindow(window)->WillClose(quitting); });
}

void XCHG_AVWindowObj::PrivateDidClose(PDFL_AVWindow window) {
    Guard("PrivateDidClose", [=] { FromHostWindow(window)->CloseSequence(); });
}

void XCHG_AVWindowObj::DidActivate(PDFL_AVWindow window) {
    Guard("DidActivate", [=] { FromHostWindow(window)->DidActivate(); });
}

void XCHG_AVWindowObj::DidBecomeKey(PDFL_AVWindow window) {
    Guard("DidBecomeKey", [=] { FromHostWindow(window)->DidBecomeKey(); });
}

void XCHG_AVWindowObj::PrivateKeyDown(PDFL_AVWindow window, uint16_t key, void* event) {
    Guard("PrivateKeyDown", [=] {
        XCHG_AVWindowObj* ourObj = FromHostWindow(window);
        XCHG_ResourceScope scope(ourObj->ResourceModule());
        ourObj->KeyDown(key, event);
    });
}

void XCHG_AVWindowObj::WillResignKey(PDFL_AVWindow window) {
    Guard("WillResignKey", [=] { FromHostWindow(window)->WillResignKey(); });
}

void XCHG_AVWindowObj::WillDeactivate(PDFL_AVWindow window) {
    Guard("WillDeactivate", [=] { FromHostWindow(window)->WillDeactivate(); });
}

void XCHG_AVWindowObj::PrivateDraw(PDFL_AVWindow window, PDFL_AVRect* update) {
    Guard("PrivateDraw", [=] {
        XCHG_AVWindowObj* ourObj = FromHostWindow(window);
        XCHG_ResourceScope scope(ourObj->ResourceModule());
        ourObj->Draw(*update);
    });
}

PDFL_Bool XCHG_AVWindowObj::PrivateWillBeResized(PDFL_AVWindow window, PDFL_AVRect* proposed) {
    return Guard("PrivateWillBeResized",
                 [=] { return FromHostWindow(window)->ResizeStart(*proposed); });
}

PDFL_Bool XCHG_AVWindowObj::PerformEditOp(PDFL_AVWindow window, PDFL_ASAtom operation) {
    return Guard("PerformEditOp", [=] { return FromHostWindow(window)->PerformEditOp(operation); });
}

PDFL_Bool XCHG_AVWindowObj::CanPerformEditOp(PDFL_AVWindow window, PDFL_ASAtom operation) {
    return Guard("CanPerformEditOp",
                 [=] { return FromHostWindow(window)->CanPerformEditOp(operation); });
}

PDFL_Bool XCHG_AVWindowObj::AdjustCursor(PDFL_AVWindow window, int16_t x, int16_t y) {
    return Guard("AdjustCursor", [=] { return FromHostWindow(window)->AdjustCursor(x, y); });
}

void XCHG_AVWindowObj::PrivateDidResize(PDFL_AVWindow window, PDFL_AVRect* frame) {
    Guard("PrivateDidResize", [=] { FromHostWindow(window)->ResizeEnd(*frame); });
}

void XCHG_AVWindowObj::DestroyPlatformThing(PDFL_AVWindow window, PDFL_PlatformWindow platform) {
    Guard("DestroyPlatformThing", [=] {
        FromHostWindow(window)->DestroyPlatformThing(static_cast<HWND>(platform));
    });
}
