// Update rectangles and the calls that make and take them.
#include "win32/win32_window_table.h"

#include <algorithm>

namespace {

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

RECT Union(const RECT& a, const RECT& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

// The update area is kept as one rectangle: a validation that would leave
// something other than a rectangle keeps it all, so nothing is ever lost.
void Subtract(Win32Window& w, const RECT& r) {
    RECT& u = w.m_update;
    if (Contains(r, u)) {
        w.m_hasUpdate = false;
        w.m_erase = false;
        return;
    }
    const bool fullWidth = r.left <= u.left && r.right >= u.right;
    const bool fullHeight = r.top <= u.top && r.bottom >= u.bottom;
    if (fullWidth && r.top <= u.top && r.bottom > u.top)
        u.top = r.bottom;
    else if (fullWidth && r.bottom >= u.bottom && r.top < u.bottom)
        u.bottom = r.top;
    else if (fullHeight && r.left <= u.left && r.right > u.left)
        u.left = r.right;
    else if (fullHeight && r.right >= u.right && r.left < u.right)
        u.right = r.left;
}

HWND FindToPaint(const std::vector<HWND>& windows, HWND filter) {
    for (HWND h : windows) {
        const Win32WindowPtr w = Win32FindWindow(h);
        if (!w || !(w->m_style & WS_VISIBLE))
            continue;
        if (w->m_hasUpdate && (filter == nullptr || filter == h))
            return h;
        if (const HWND child = FindToPaint(w->m_children, filter))
            return child;
    }
    return nullptr;
}

void InvalidateChildren(const Win32Window& w, const RECT* rect, bool erase) {
    const POINT origin = Win32ClientOrigin(w);
    for (HWND child : w.m_children) {
        const Win32WindowPtr c = Win32FindWindow(child);
        if (!c)
            continue;
        if (rect) {
            const POINT o = Win32ClientOrigin(*c);
            const LONG dx = o.x - origin.x, dy = o.y - origin.y;
            const RECT mine{rect->left - dx, rect->top - dy, rect->right - dx, rect->bottom - dy};
            Win32InvalidateClient(*c, &mine, erase);
            InvalidateChildren(*c, &mine, erase);
        } else {
            Win32InvalidateClient(*c, nullptr, erase);
            InvalidateChildren(*c, nullptr, erase);
        }
    }
}

void PaintNow(HWND window) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return;
    if (w->m_hasUpdate && Win32VisibleChain(*w))
        Win32Deliver(window, WM_PAINT, 0, 0);
    if (const Win32WindowPtr alive = Win32FindWindow(window))
        for (HWND child : std::vector<HWND>(alive->m_children))
            PaintNow(child);
}

}  // namespace

void Win32InvalidateClient(Win32Window& w, const RECT* rect, bool erase) {
    const POINT size = Win32ClientSize(w);
    const RECT client{0, 0, size.x, size.y};
    const RECT r = rect ? Intersect(*rect, client) : client;
    if (Empty(r))
        return;
    w.m_update = w.m_hasUpdate ? Union(w.m_update, r) : r;
    w.m_hasUpdate = true;
    w.m_erase = w.m_erase || erase;
}

HWND Win32WindowToPaint(HWND filter) { return FindToPaint(Win32TopLevel(), filter); }

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return FALSE;
    Win32InvalidateClient(*w, rect, erase != FALSE);
    return TRUE;
}

BOOL ValidateRect(HWND window, const RECT* rect) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return FALSE;
    if (rect == nullptr) {
        w->m_hasUpdate = false;
        w->m_erase = false;
    } else if (w->m_hasUpdate) {
        Subtract(*w, *rect);
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL) {
    const Win32WindowPtr w = Win32FindWindow(window);
    const bool has = w && w->m_hasUpdate;
    if (rect)
        *rect = has ? w->m_update : RECT{0, 0, 0, 0};
    return has ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND window) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return FALSE;
    if (w->m_hasUpdate && Win32VisibleChain(*w))
        Win32Deliver(window, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL RedrawWindow(HWND window, const RECT* rect, HRGN region, UINT flags) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w || region != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const bool erase = (flags & RDW_ERASE) != 0;
    if (flags & RDW_INVALIDATE) {
        Win32InvalidateClient(*w, rect, erase);
        if (flags & RDW_ALLCHILDREN)
            InvalidateChildren(*w, rect, erase);
    }
    if (flags & RDW_UPDATENOW)
        PaintNow(window);
    return TRUE;
}
