// Replaces a Win32 window's procedure by one static procedure that finds
// its object through the window property "XCHG_WinWindowSubclassProp" and
// calls the object's WindowProc. Exceptions never leave the procedure: they
// are raised to the host as host errors.
#pragma once

#include "win32/win32.h"

class XCHG_WinWindowSubclass {
public:
    static constexpr const char* PropertyName = "XCHG_WinWindowSubclassProp";

    XCHG_WinWindowSubclass() = default;
    // Unsubclasses a living window that is still ours, so that it never
    // calls a freed object (or unloaded code) again.
    virtual ~XCHG_WinWindowSubclass();
    XCHG_WinWindowSubclass(const XCHG_WinWindowSubclass&) = delete;
    XCHG_WinWindowSubclass& operator=(const XCHG_WinWindowSubclass&) = delete;

    // Default: the previous procedure, with the subclassed window's handle.
    virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void Subclass(HWND window);
    HWND SubclassedWindow() const { return m_window; }
    WNDPROC OldWindowProc() const { return m_oldWindowProc; }

    static LRESULT StaticWindowProc(HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam);
    // The object the window's property names; null when none.
    static XCHG_WinWindowSubclass* FromWindow(HWND window);

private:
    HWND m_window = nullptr;
    WNDPROC m_oldWindowProc = nullptr;
};
