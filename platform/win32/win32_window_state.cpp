// Focus, activation, capture, enabling, properties, window longs and text.
#include "win32/win32_window_table.h"

#include <algorithm>
#include <strings.h>

namespace {

HWND g_focus = nullptr;
HWND g_active = nullptr;
HWND g_capture = nullptr;

HWND RootOf(HWND window) {
    Win32WindowPtr w = Win32FindWindow(window);
    while (w && w->m_parent)
        w = Win32FindWindow(w->m_parent);
    return w ? w->m_handle : nullptr;
}

std::string PropName(LPCSTR name) {
    if (IS_INTRESOURCE(name))  // an atom
        return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
    return name;
}

std::vector<std::pair<std::string, HANDLE>>::iterator FindProp(Win32Window& w, const std::string& name) {
    return std::find_if(w.m_props.begin(), w.m_props.end(),
                        [&](const auto& p) { return strcasecmp(p.first.c_str(), name.c_str()) == 0; });
}

}  // namespace

HWND SetFocus(HWND window) {
    if (window && !Win32FindWindow(window))
        return nullptr;
    if (window == g_focus)
        return g_focus;
    if (window && RootOf(window) != g_active)
        SetActiveWindow(RootOf(window));  // activation may already give it the focus
    const HWND old = g_focus;
    if (window == old)
        return old;
    if (old)
        Win32Deliver(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    g_focus = window;
    if (window)
        Win32Deliver(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND GetFocus() { return g_focus; }

HWND SetActiveWindow(HWND window) {
    window = window ? RootOf(window) : nullptr;
    const HWND old = g_active;
    if (window == old)
        return old;
    if (old) {
        Win32Deliver(old, WM_NCACTIVATE, FALSE, 0);
        Win32Deliver(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window));
        if (g_focus && Win32IsSelfOrDescendant(old, g_focus)) {
            const HWND lost = g_focus;
            g_focus = nullptr;
            Win32Deliver(lost, WM_KILLFOCUS, 0, 0);
        }
    }
    g_active = window;
    if (window) {
        Win32Deliver(window, WM_NCACTIVATE, TRUE, 0);
        Win32Deliver(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
    }
    return old;
}

HWND GetActiveWindow() { return g_active; }

HWND SetCapture(HWND window) {
    if (!Win32FindWindow(window))
        return nullptr;
    const HWND old = g_capture;
    g_capture = window;
    if (old && old != window)
        Win32Deliver(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    return old;
}

BOOL ReleaseCapture() {
    const HWND old = g_capture;
    g_capture = nullptr;
    if (old)
        Win32Deliver(old, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() { return g_capture; }

void Win32ReleaseCaptureOf(HWND window) {
    if (g_capture && Win32IsSelfOrDescendant(window, g_capture))
        ReleaseCapture();
}

// A child's focus goes to its parent; a top-level window gives up focus and
// activation, which its owner takes.
void Win32LeaveFocusAndActivation(HWND window) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return;
    if (g_focus && Win32IsSelfOrDescendant(window, g_focus)) {
        if (w->m_parent && Win32FindWindow(w->m_parent)) {
            SetFocus(w->m_parent);
        } else {
            const HWND lost = g_focus;
            g_focus = nullptr;
            Win32Deliver(lost, WM_KILLFOCUS, 0, 0);
        }
    }
    if (g_active == window) {
        const HWND owner = w->m_owner && IsWindowVisible(w->m_owner) ? w->m_owner : nullptr;
        SetActiveWindow(owner);
    }
}

BOOL EnableWindow(HWND window, BOOL enable) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return FALSE;
    const bool wasDisabled = (w->m_style & WS_DISABLED) != 0;
    if (enable && wasDisabled) {
        w->m_style &= ~WS_DISABLED;
        Win32Deliver(window, WM_ENABLE, TRUE, 0);
    } else if (!enable && !wasDisabled) {
        Win32Deliver(window, WM_CANCELMODE, 0, 0);
        w->m_style |= WS_DISABLED;
        if (g_focus && Win32IsSelfOrDescendant(window, g_focus))
            SetFocus(nullptr);
        Win32Deliver(window, WM_ENABLE, FALSE, 0);
    }
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND window) {
    const Win32WindowPtr w = Win32FindWindow(window);
    return w && !(w->m_style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL SetPropA(HWND window, LPCSTR name, HANDLE value) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w || !name)
        return FALSE;
    const std::string key = PropName(name);
    const auto it = FindProp(*w, key);
    if (it != w->m_props.end())
        it->second = value;
    else
        w->m_props.emplace_back(key, value);
    return TRUE;
}

HANDLE GetPropA(HWND window, LPCSTR name) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w || !name)
        return nullptr;
    const auto it = FindProp(*w, PropName(name));
    return it != w->m_props.end() ? it->second : nullptr;
}

HANDLE RemovePropA(HWND window, LPCSTR name) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w || !name)
        return nullptr;
    const auto it = FindProp(*w, PropName(name));
    if (it == w->m_props.end())
        return nullptr;
    const HANDLE value = it->second;
    w->m_props.erase(it);
    return value;
}

LONG_PTR GetWindowLongPtrA(HWND window, int index) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return 0;
    switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->m_proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->m_instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->m_parent ? w->m_parent : w->m_owner);
    case GWLP_ID: return w->m_id;
    case GWL_STYLE: return static_cast<LONG>(w->m_style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->m_exStyle);
    case GWLP_USERDATA: return w->m_userData;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return 0;
    const LONG_PTR old = GetWindowLongPtrA(window, index);
    switch (index) {
    case GWLP_WNDPROC:
        if (value == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        w->m_proc = reinterpret_cast<WNDPROC>(value);
        break;
    case GWLP_HINSTANCE: w->m_instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWLP_HWNDPARENT:
        if (w->m_parent)
            return 0;  // a child's parent does not change this way
        w->m_owner = RootOf(reinterpret_cast<HWND>(value));
        break;
    case GWLP_ID: w->m_id = value; break;
    case GWL_STYLE: w->m_style = static_cast<DWORD>(value); break;
    case GWL_EXSTYLE: w->m_exStyle = static_cast<DWORD>(value); break;
    case GWLP_USERDATA: w->m_userData = value; break;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
    return old;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
    if (!Win32FindWindow(window))
        return FALSE;
    return static_cast<BOOL>(SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextA(HWND window, LPSTR buffer, int size) {
    if (!Win32FindWindow(window) || buffer == nullptr || size <= 0)
        return 0;
    return static_cast<int>(SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}
