// The window table that the window, message, paint, timer and input units of
// the stand-in share. Internal to platform/win32.
#pragma once

#include "win32/win32.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

struct Win32ScrollBar {
    int m_min = 0;
    int m_max = 0;
    UINT m_page = 0;
    int m_pos = 0;
};

struct Win32Window {
    HWND m_handle = nullptr;
    std::string m_className;
    UINT m_classStyle = 0;
    WNDPROC m_proc = nullptr;
    HINSTANCE m_instance = nullptr;
    HWND m_parent = nullptr;  // WS_CHILD windows only
    HWND m_owner = nullptr;   // top-level windows only
    std::vector<HWND> m_children;  // top of the z-order first
    DWORD m_style = 0;
    DWORD m_exStyle = 0;
    RECT m_rect{};  // the parent's client coordinates, or the screen's
    LONG_PTR m_id = 0;
    LONG_PTR m_userData = 0;
    std::string m_text;
    std::vector<std::pair<std::string, HANDLE>> m_props;
    bool m_hasUpdate = false;
    RECT m_update{};  // client coordinates, valid while m_hasUpdate
    bool m_erase = false;
    bool m_sizeMoveSent = false;  // WM_SIZE and WM_MOVE went out once
    bool m_destroying = false;
    Win32ScrollBar m_scroll[2];  // SB_HORZ, SB_VERT
};
using Win32WindowPtr = std::shared_ptr<Win32Window>;

// A live window, or null (ERROR_INVALID_WINDOW_HANDLE set).
Win32WindowPtr Win32FindWindow(HWND window);
// Top-level windows, top of the z-order first.
std::vector<HWND>& Win32TopLevel();
// The sibling list the window sits in.
std::vector<HWND>& Win32Siblings(const Win32Window& window);
// Calls the window's procedure as the system does: logged, counted against
// runaway nesting, the record kept alive for the call. 0 for a dead window.
LRESULT Win32Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Frame widths around the client area (left, top, right, bottom) for a style.
RECT Win32FrameInsets(DWORD style, DWORD exStyle);
// The client area's top-left corner in screen coordinates.
POINT Win32ClientOrigin(const Win32Window& window);
// The same corner as WM_MOVE tells it: in the parent's client coordinates
// for a child window, in the screen's otherwise.
POINT Win32ClientOriginInParent(const Win32Window& window);
// Width and height of the client area.
POINT Win32ClientSize(const Win32Window& window);
// The window rectangle in screen coordinates.
RECT Win32ScreenRect(const Win32Window& window);
bool Win32VisibleChain(const Win32Window& window);
bool Win32IsSelfOrDescendant(HWND ancestor, HWND window);
// The first WM_SIZE and WM_MOVE a window gets, at its creation (child and
// pop-up windows) or at its first showing (overlapped ones).
void Win32SendFirstSizeAndMove(Win32Window& window);

// What other units forget when a window goes.
void Win32DropQueuedMessages(HWND window);
void Win32KillWindowTimers(HWND window);
void Win32ForgetInputWindow(HWND window);
// Focus, activation and capture when a window goes (win32_window_state.cpp).
void Win32LeaveFocusAndActivation(HWND window);
void Win32ReleaseCaptureOf(HWND window);

// Update rectangles (win32_paint.cpp).
void Win32InvalidateClient(Win32Window& window, const RECT* rect, bool erase);
// The first visible window with an update rectangle matching filter (null:
// any), parents before children.
HWND Win32WindowToPaint(HWND filter);
