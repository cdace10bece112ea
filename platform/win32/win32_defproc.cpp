// The default window procedure.
#include "win32/win32_window_table.h"

#include <algorithm>
#include <cstring>

namespace {

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

LRESULT HitTest(const Win32Window& w, LPARAM lParam) {
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const RECT outer = Win32ScreenRect(w);
    if (!Inside(outer, p))
        return HTNOWHERE;
    const POINT origin = Win32ClientOrigin(w);
    const POINT size = Win32ClientSize(w);
    if (Inside({origin.x, origin.y, origin.x + size.x, origin.y + size.y}, p))
        return HTCLIENT;
    const RECT insets = Win32FrameInsets(w.m_style, w.m_exStyle);
    if (p.y < origin.y && p.y >= outer.top + insets.left && p.x >= origin.x && p.x < origin.x + size.x)
        return HTCAPTION;
    return HTBORDER;
}

// The client area's new place and size, told after the window moved.
void SendMoveAndSize(const Win32Window& w, UINT flags) {
    const HWND h = w.m_handle;
    if (!(flags & SWP_NOCLIENTMOVE)) {
        const POINT origin = Win32ClientOriginInParent(w);
        Win32Deliver(h, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y)));
    }
    if (!(flags & SWP_NOCLIENTSIZE))
        if (const Win32WindowPtr alive = Win32FindWindow(h)) {
            const POINT size = Win32ClientSize(*alive);
            Win32Deliver(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(size.x), static_cast<WORD>(size.y)));
        }
}

LRESULT CopyText(const Win32Window& w, WPARAM size, LPARAM buffer) {
    char* out = reinterpret_cast<char*>(buffer);
    if (out == nullptr || size == 0)
        return 0;
    const size_t n = std::min<size_t>(w.m_text.size(), size - 1);
    std::memcpy(out, w.m_text.data(), n);
    out[n] = '\0';
    return static_cast<LRESULT>(n);
}

}  // namespace

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return 0;
    switch (message) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (create && create->lpszName && !IS_INTRESOURCE(create->lpszName))
            w->m_text = create->lpszName;
        return TRUE;
    }
    case WM_SETTEXT:
        w->m_text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        return TRUE;
    case WM_GETTEXT: return CopyText(*w, wParam, lParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->m_text.size());
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_PAINT: ValidateRect(window, nullptr); return 0;
    case WM_WINDOWPOSCHANGED:
        SendMoveAndSize(*w, reinterpret_cast<const WINDOWPOS*>(lParam)->flags);
        return 0;
    case WM_NCHITTEST: return HitTest(*w, lParam);
    case WM_NCACTIVATE: return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !(GetFocus() && Win32IsSelfOrDescendant(window, GetFocus())))
            SetFocus(window);
        return 0;
    case WM_CANCELMODE:
        if (GetCapture() == window)
            ReleaseCapture();
        return 0;
    default: return 0;
    }
}
