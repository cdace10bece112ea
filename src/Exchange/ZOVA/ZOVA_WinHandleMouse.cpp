#include "Exchange/ZOVA/ZOVA_WinHandleMouse.h"

LRESULT ZOVA_WinHandleMouse::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    // The list moves its selection on arrow keys and reports it as if
    // clicked; the last release must not count for that item.
    case WM_KEYDOWN:
        Forget();
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        m_x = GET_X_LPARAM(lParam);
        m_y = GET_Y_LPARAM(lParam);
        break;
    default:
        break;
    }
    return XCHG_WinWindowSubclass::WindowProc(window, message, wParam, lParam);
}
