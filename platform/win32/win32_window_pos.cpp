// Window geometry: frames from the metrics table, rectangles, SetWindowPos
// and ShowWindow.
#include "win32/win32_window_table.h"

#include <algorithm>

namespace {

LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

bool IsTopLevel(const Win32Window& w) { return !(w.m_style & WS_CHILD); }

// Moves the window within its siblings; true when its place changed.
bool Reorder(const Win32Window& w, HWND insertAfter) {
    std::vector<HWND>& siblings = Win32Siblings(w);
    const auto at = std::find(siblings.begin(), siblings.end(), w.m_handle);
    if (at == siblings.end() || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST)
        return false;  // no topmost band here
    const size_t before = static_cast<size_t>(at - siblings.begin());
    siblings.erase(at);
    if (insertAfter == HWND_TOP) {
        siblings.insert(siblings.begin(), w.m_handle);
    } else if (insertAfter == HWND_BOTTOM) {
        siblings.push_back(w.m_handle);
    } else {
        const auto after = std::find(siblings.begin(), siblings.end(), insertAfter);
        siblings.insert(after == siblings.end() ? siblings.begin() + before : after + 1, w.m_handle);
    }
    return siblings[before] != w.m_handle;
}

// A window that grows shows new client area; CS_HREDRAW or CS_VREDRAW
// repaint everything when that side changes.
void InvalidateAfterResize(Win32Window& w, POINT oldSize) {
    const POINT size = Win32ClientSize(w);
    const bool whole = ((w.m_classStyle & CS_HREDRAW) && size.x != oldSize.x) ||
                       ((w.m_classStyle & CS_VREDRAW) && size.y != oldSize.y);
    if (whole) {
        Win32InvalidateClient(w, nullptr, true);
        return;
    }
    if (size.x > oldSize.x) {
        const RECT right{oldSize.x, 0, size.x, size.y};
        Win32InvalidateClient(w, &right, true);
    }
    if (size.y > oldSize.y) {
        const RECT bottom{0, oldSize.y, size.x, size.y};
        Win32InvalidateClient(w, &bottom, true);
    }
}

void InvalidateTree(Win32Window& w) {
    Win32InvalidateClient(w, nullptr, true);
    for (HWND child : w.m_children)
        if (const Win32WindowPtr c = Win32FindWindow(child))
            InvalidateTree(*c);
}

}  // namespace

RECT Win32FrameInsets(DWORD style, DWORD exStyle) {
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = GetSystemMetrics(SM_CXFRAME);
    else if ((exStyle & WS_EX_DLGMODALFRAME) || (style & WS_DLGFRAME))
        frame = GetSystemMetrics(SM_CXDLGFRAME);
    else if ((style & WS_BORDER) || !(style & (WS_CHILD | WS_POPUP)))
        frame = GetSystemMetrics(SM_CXBORDER);
    int caption = 0;
    if ((style & WS_CAPTION) == WS_CAPTION)
        caption = GetSystemMetrics((exStyle & WS_EX_TOOLWINDOW) ? SM_CYSMCAPTION : SM_CYCAPTION);
    return {frame, frame + caption, frame, frame};
}

RECT Win32ScreenRect(const Win32Window& w) {
    RECT r = w.m_rect;
    if (w.m_parent)
        if (const Win32WindowPtr parent = Win32FindWindow(w.m_parent)) {
            const POINT origin = Win32ClientOrigin(*parent);
            r = {r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y};
        }
    return r;
}

POINT Win32ClientOrigin(const Win32Window& w) {
    const RECT r = Win32ScreenRect(w);
    const RECT insets = Win32FrameInsets(w.m_style, w.m_exStyle);
    return {r.left + insets.left, r.top + insets.top};
}

POINT Win32ClientOriginInParent(const Win32Window& w) {
    POINT origin = Win32ClientOrigin(w);
    if (w.m_parent)
        if (const Win32WindowPtr parent = Win32FindWindow(w.m_parent)) {
            const POINT base = Win32ClientOrigin(*parent);
            origin = {origin.x - base.x, origin.y - base.y};
        }
    return origin;
}

void Win32SendFirstSizeAndMove(Win32Window& w) {
    const POINT size = Win32ClientSize(w);
    const POINT origin = Win32ClientOriginInParent(w);
    const HWND h = w.m_handle;
    w.m_sizeMoveSent = true;
    Win32Deliver(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(static_cast<WORD>(size.x), static_cast<WORD>(size.y)));
    Win32Deliver(h, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y)));
}

POINT Win32ClientSize(const Win32Window& w) {
    const RECT insets = Win32FrameInsets(w.m_style, w.m_exStyle);
    return {std::max<LONG>(0, Width(w.m_rect) - insets.left - insets.right),
            std::max<LONG>(0, Height(w.m_rect) - insets.top - insets.bottom)};
}

bool Win32VisibleChain(const Win32Window& window) {
    for (const Win32Window* w = &window;;) {
        if (!(w->m_style & WS_VISIBLE))
            return false;
        if (!w->m_parent)
            return true;
        const Win32WindowPtr parent = Win32FindWindow(w->m_parent);
        if (!parent)
            return false;
        w = parent.get();
    }
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w || !rect)
        return FALSE;
    *rect = Win32ScreenRect(*w);
    return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w || !rect)
        return FALSE;
    const POINT size = Win32ClientSize(*w);
    *rect = {0, 0, size.x, size.y};
    return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    if (!rect || menu) {  // no menu bars here
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const RECT insets = Win32FrameInsets(style, exStyle);
    *rect = {rect->left - insets.left, rect->top - insets.top, rect->right + insets.right,
             rect->bottom + insets.bottom};
    return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w || !point)
        return FALSE;
    const POINT origin = Win32ClientOrigin(*w);
    *point = {point->x + origin.x, point->y + origin.y};
    return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w || !point)
        return FALSE;
    const POINT origin = Win32ClientOrigin(*w);
    *point = {point->x - origin.x, point->y - origin.y};
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return FALSE;
    WINDOWPOS pos{window, insertAfter, x, y, cx, cy, flags};
    if (flags & SWP_NOMOVE)
        pos.x = w->m_rect.left, pos.y = w->m_rect.top;
    if (flags & SWP_NOSIZE)
        pos.cx = Width(w->m_rect), pos.cy = Height(w->m_rect);
    Win32Deliver(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (!Win32FindWindow(window))
        return FALSE;
    flags = pos.flags;

    const RECT old = w->m_rect;
    const POINT oldClient = Win32ClientSize(*w);
    RECT now = old;
    if (!(flags & SWP_NOMOVE))
        now = {pos.x, pos.y, pos.x + Width(old), pos.y + Height(old)};
    if (!(flags & SWP_NOSIZE))
        now.right = now.left + std::max(pos.cx, 0), now.bottom = now.top + std::max(pos.cy, 0);
    const bool visible = (w->m_style & WS_VISIBLE) != 0;
    const bool moved = now.left != old.left || now.top != old.top;
    const bool sized = Width(now) != Width(old) || Height(now) != Height(old);
    const bool show = (flags & SWP_SHOWWINDOW) && !visible;
    const bool hide = (flags & SWP_HIDEWINDOW) && visible;
    const bool reordered = !(flags & SWP_NOZORDER) && Reorder(*w, pos.hwndInsertAfter);

    w->m_rect = now;
    if (show)
        w->m_style |= WS_VISIBLE;
    if (hide)
        w->m_style &= ~WS_VISIBLE;
    if (show && !(flags & SWP_NOREDRAW))
        InvalidateTree(*w);
    else if (sized && !(flags & SWP_NOREDRAW))
        InvalidateAfterResize(*w, oldClient);
    if (!(flags & SWP_NOACTIVATE) && IsTopLevel(*w) && (w->m_style & WS_VISIBLE))
        SetActiveWindow(window);
    if (!moved && !sized && !show && !hide && !reordered && !(flags & SWP_FRAMECHANGED))
        return TRUE;  // nothing changed: no WM_WINDOWPOSCHANGED

    WINDOWPOS changed{window, pos.hwndInsertAfter, now.left, now.top, Width(now), Height(now), flags};
    if (!moved)
        changed.flags |= SWP_NOMOVE | SWP_NOCLIENTMOVE;
    if (!sized)
        changed.flags |= SWP_NOSIZE | SWP_NOCLIENTSIZE;
    Win32Deliver(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&changed));
    return TRUE;
}

BOOL ShowWindow(HWND window, int command) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return FALSE;
    const bool wasVisible = (w->m_style & WS_VISIBLE) != 0;
    const bool show = command != SW_HIDE;
    if (show == wasVisible)
        return wasVisible ? TRUE : FALSE;
    Win32Deliver(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    if (!IsTopLevel(*w) || !show || command == SW_SHOWNA || command == SW_SHOWNOACTIVATE)
        flags |= SWP_NOACTIVATE;
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, flags);
    if (!Win32FindWindow(window))
        return wasVisible ? TRUE : FALSE;
    if (!show)
        Win32LeaveFocusAndActivation(window);
    if (show && !w->m_sizeMoveSent)
        Win32SendFirstSizeAndMove(*w);  // an overlapped window's first showing
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window) {
    const Win32WindowPtr w = Win32FindWindow(window);
    return w && Win32VisibleChain(*w) ? TRUE : FALSE;
}
