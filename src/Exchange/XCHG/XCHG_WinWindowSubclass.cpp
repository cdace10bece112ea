#include "Exchange/XCHG/XCHG_WinWindowSubclass.h"

#include "Exchange/XCHG/XCHG_DebugLog.h"
#include "Exchange/XCHG/XPDF_ReportError.h"
#include "GLIB/GLIB_Assert.h"
#include "hostpdf/PDFL_ExceptionHandler.h"

XCHG_WinWindowSubclass::~XCHG_WinWindowSubclass() {
    HWND window = m_window;
    m_window = nullptr;
    if (!window || !IsWindow(window) || FromWindow(window) != this)
        return;
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    if (current != &StaticWindowProc)
        return;  // subclassed again over us: unhooking would cut the later one off
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldWindowProc));
    RemovePropA(window, PropertyName);
}

LRESULT XCHG_WinWindowSubclass::WindowProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    GLIB_ASSERT(m_oldWindowProc != 0);
    return m_oldWindowProc(m_window, message, wParam, lParam);
}

void XCHG_WinWindowSubclass::Subclass(HWND window) {
    m_window = window;
    m_oldWindowProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StaticWindowProc)));
    SetPropA(window, PropertyName, this);
}

XCHG_WinWindowSubclass* XCHG_WinWindowSubclass::FromWindow(HWND window) {
    return static_cast<XCHG_WinWindowSubclass*>(GetPropA(window, PropertyName));
}

LRESULT XCHG_WinWindowSubclass::StaticWindowProc(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    PDFL_ErrorCode code = 0;
    try {
        XCHG_WinWindowSubclass* object = FromWindow(window);
        HWND hWindow = object ? window : nullptr;
        GLIB_ASSERT(hWindow != 0);
        return object->WindowProc(window, message, wParam, lParam);
    } catch (const XPDF_Exception& exception) {
        code = static_cast<PDFL_ErrorCode>(exception.Code());
    } catch (...) {
        // A raise from below, already the host's: on to the host's frame.
        if (PDFL_IsHostRaise())
            throw;
        XCHG_DebugPrint("%s::%s caught an unknown exception", "XCHG_WinWindowSubclass",
                        "WndProc");
        code = 1;
    }
    // Raised after the catch block: the host's raise may jump.
    iPDFL_RaiseHostError(code);
    return 0;
}
