// The push button: BN_CLICKED when a press is released inside it.
#include "win32/win32_controls.h"

namespace {

LRESULT ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetCapture(window);
        SetFocus(window);
        return 0;
    case WM_LBUTTONUP: {
        if (GetCapture() != window)
            return 0;
        RECT client{};
        GetClientRect(window, &client);
        const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const bool inside = p.x >= 0 && p.y >= 0 && p.x < client.right && p.y < client.bottom;
        ReleaseCapture();  // the capture goes before the notification, as on Windows
        if (inside)
            Win32NotifyParent(window, BN_CLICKED);
        return 0;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

const bool g_registered = Win32RegisterControlClass("Button", ButtonProc);

}  // namespace
