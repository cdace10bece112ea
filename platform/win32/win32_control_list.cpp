// The owner-drawn fixed list box with strings: items, one selection,
// scrolling, and the drawing and notifications its parent gets.
#include "win32/win32_controls.h"
#include "win32/win32_window_table.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace {

struct Item {
    std::string text;
    ULONG_PTR data = 0;
};

struct List {
    std::vector<Item> items;
    int selection = -1;
    int top = 0;  // first visible item
    int itemHeight = 13;
    int extent = 0;  // horizontal
};

std::map<HWND, List>& Lists() {
    static auto* lists = new std::map<HWND, List>;
    return *lists;
}

DWORD Style(HWND window) { return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)); }
UINT Id(HWND window) { return static_cast<UINT>(GetWindowLongPtrA(window, GWLP_ID)); }

POINT ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

int HorzPos(HWND window) {
    const Win32WindowPtr w = Win32FindWindow(window);
    return w ? w->m_scroll[SB_HORZ].m_pos : 0;
}

int VisibleRows(HWND window, const List& l) { return std::max(1, static_cast<int>(ClientSize(window).y / l.itemHeight)); }

RECT ItemRect(HWND window, const List& l, int index) {
    const int pos = HorzPos(window);
    const int width = std::max(static_cast<int>(ClientSize(window).x), l.extent);
    const int top = (index - l.top) * l.itemHeight;
    return {-pos, top, width - pos, top + l.itemHeight};
}

void DrawItem(HWND window, HDC dc, int index, UINT action) {
    const List& l = Lists()[window];
    if (index < 0 || index >= static_cast<int>(l.items.size()))
        return;
    DRAWITEMSTRUCT d{ODT_LISTBOX, Id(window), static_cast<UINT>(index), action,
                     index == l.selection ? static_cast<UINT>(ODS_SELECTED) : 0u, window, dc, ItemRect(window, l, index),
                     l.items[index].data};
    SendMessageA(GetParent(window), WM_DRAWITEM, d.CtlID, reinterpret_cast<LPARAM>(&d));
}

bool Shown(HWND window, const List& l, int index) {
    return index >= l.top && index < l.top + VisibleRows(window, l) + 1 &&
           (index - l.top) * l.itemHeight < ClientSize(window).y;
}

// The old item's and the new item's ODA_SELECT drawing, at once.
void Select(HWND window, int index) {
    List& l = Lists()[window];
    const int old = l.selection;
    if (old == index)
        return;
    l.selection = index;
    const HDC dc = GetDC(window);
    if (old >= 0 && Shown(window, l, old))
        DrawItem(window, dc, old, ODA_SELECT);
    if (index >= 0 && Shown(window, l, index))
        DrawItem(window, dc, index, ODA_SELECT);
    ReleaseDC(window, dc);
}

void SetTop(HWND window, int top) {
    List& l = Lists()[window];
    const int most = std::max(0, static_cast<int>(l.items.size()) - VisibleRows(window, l));
    top = std::clamp(top, 0, most);
    if (top == l.top)
        return;
    l.top = top;
    if (const Win32WindowPtr w = Win32FindWindow(window))
        w->m_scroll[SB_VERT].m_pos = top;
    InvalidateRect(window, nullptr, TRUE);
}

void ScrollIntoView(HWND window, int index) {
    const List& l = Lists()[window];
    if (index < l.top)
        SetTop(window, index);
    else if (index >= l.top + VisibleRows(window, l))
        SetTop(window, index - VisibleRows(window, l) + 1);
}

void SetHorzPos(HWND window, int pos) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return;
    Win32ScrollBar& bar = w->m_scroll[SB_HORZ];
    pos = std::clamp(pos, 0, std::max(0, bar.m_max - static_cast<int>(bar.m_page) + 1));
    if (pos != bar.m_pos) {
        bar.m_pos = pos;
        InvalidateRect(window, nullptr, TRUE);
    }
}

void SetExtent(HWND window, int extent) {
    List& l = Lists()[window];
    l.extent = std::max(extent, 0);
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return;
    const int width = ClientSize(window).x;
    Win32ScrollBar& bar = w->m_scroll[SB_HORZ];
    const bool scrolls = (w->m_style & WS_HSCROLL) && l.extent > width;
    bar.m_max = scrolls ? l.extent - 1 : 0;
    bar.m_page = scrolls ? static_cast<UINT>(width) : 0;
    SetHorzPos(window, scrolls ? bar.m_pos : 0);
}

void DeleteAll(HWND window) {
    List& l = Lists()[window];
    const std::vector<Item> items = std::move(l.items);
    l = List{{}, -1, 0, l.itemHeight, l.extent};
    if (Style(window) & LBS_OWNERDRAWFIXED)
        for (size_t i = 0; i < items.size(); ++i) {
            DELETEITEMSTRUCT d{ODT_LISTBOX, Id(window), static_cast<UINT>(i), window, items[i].data};
            SendMessageA(GetParent(window), WM_DELETEITEM, d.CtlID, reinterpret_cast<LPARAM>(&d));
        }
}

void Measure(HWND window, const CREATESTRUCTA* create) {
    List& l = Lists()[window];
    MEASUREITEMSTRUCT m{ODT_LISTBOX, Id(window), 0, static_cast<UINT>(std::max(create->cx, 0)), 13, 0};
    SendMessageA(create->hwndParent, WM_MEASUREITEM, m.CtlID, reinterpret_cast<LPARAM>(&m));
    l.itemHeight = std::max<UINT>(m.itemHeight, 1);
}

void Paint(HWND window) {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(window, &ps);
    const List& l = Lists()[window];
    for (int i = l.top; i < static_cast<int>(l.items.size()) && Shown(window, l, i); ++i) {
        const RECT r = ItemRect(window, l, i);
        if (r.bottom > ps.rcPaint.top && r.top < ps.rcPaint.bottom)
            DrawItem(window, dc, i, ODA_DRAWENTIRE);
    }
    EndPaint(window, &ps);
}

bool Notifies(HWND window) { return (Style(window) & LBS_NOTIFY) != 0; }

LRESULT ItemIndex(const List& l, WPARAM wParam) {
    const auto index = static_cast<int>(static_cast<intptr_t>(wParam));
    return index >= 0 && index < static_cast<int>(l.items.size()) ? LRESULT{index} : LRESULT{LB_ERR};
}

LRESULT Mouse(HWND window, UINT message, LPARAM lParam) {
    List& l = Lists()[window];
    switch (message) {
    case WM_LBUTTONDOWN: {
        SetFocus(window);
        const int row = GET_Y_LPARAM(lParam) / l.itemHeight;
        const int index = l.top + row;
        if (GET_Y_LPARAM(lParam) >= 0 && index < static_cast<int>(l.items.size()))
            Select(window, index);
        SetCapture(window);
        return 0;
    }
    case WM_LBUTTONUP:
        if (GetCapture() != window)
            return 0;
        ReleaseCapture();
        if (Notifies(window) && !Lists()[window].items.empty())
            Win32NotifyParent(window, LBN_SELCHANGE);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (Notifies(window) && !l.items.empty())
            Win32NotifyParent(window, LBN_DBLCLK);
        return 0;
    default: return 0;
    }
}

LRESULT KeyDown(HWND window, WPARAM key) {
    const List& l = Lists()[window];
    if ((key != VK_UP && key != VK_DOWN) || l.items.empty())
        return 0;
    const int next = std::clamp(l.selection + (key == VK_DOWN ? 1 : -1), 0, static_cast<int>(l.items.size()) - 1);
    if (next == l.selection)
        return 0;
    ScrollIntoView(window, next);
    Select(window, next);
    if (Notifies(window))
        Win32NotifyParent(window, LBN_SELCHANGE);
    return 0;
}

LRESULT ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    List& l = Lists()[window];
    switch (message) {
    case WM_CREATE:
        if (Style(window) & LBS_OWNERDRAWFIXED)
            Measure(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        return 0;
    case LB_ADDSTRING: {
        const bool strings = !(Style(window) & LBS_OWNERDRAWFIXED) || (Style(window) & LBS_HASSTRINGS);
        Item item;
        if (strings)
            item.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        else
            item.data = static_cast<ULONG_PTR>(lParam);
        l.items.push_back(std::move(item));
        InvalidateRect(window, nullptr, TRUE);
        return static_cast<LRESULT>(l.items.size() - 1);
    }
    case LB_GETCOUNT: return static_cast<LRESULT>(l.items.size());
    case LB_GETTEXT: {
        const LRESULT i = ItemIndex(l, wParam);
        if (i == LB_ERR || lParam == 0)
            return LB_ERR;
        std::strcpy(reinterpret_cast<char*>(lParam), l.items[i].text.c_str());
        return static_cast<LRESULT>(l.items[i].text.size());
    }
    case LB_GETCURSEL: return l.selection;
    case LB_SETCURSEL: {
        const LRESULT i = ItemIndex(l, wParam);
        if (i != LB_ERR)
            ScrollIntoView(window, static_cast<int>(i));
        Select(window, static_cast<int>(i));
        return i;
    }
    case LB_GETITEMDATA: {
        const LRESULT i = ItemIndex(l, wParam);
        return i == LB_ERR ? LB_ERR : static_cast<LRESULT>(l.items[i].data);
    }
    case LB_SETITEMDATA: {
        const LRESULT i = ItemIndex(l, wParam);
        if (i == LB_ERR)
            return LB_ERR;
        l.items[i].data = static_cast<ULONG_PTR>(lParam);
        return TRUE;
    }
    case LB_GETITEMRECT: {
        const LRESULT i = ItemIndex(l, wParam);
        if (i == LB_ERR || lParam == 0)
            return LB_ERR;
        *reinterpret_cast<RECT*>(lParam) = ItemRect(window, l, static_cast<int>(i));
        return TRUE;
    }
    case LB_SETITEMHEIGHT: {
        const WORD height = LOWORD(lParam);
        if (height == 0 || height > 255)
            return LB_ERR;
        l.itemHeight = height;
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    }
    case LB_GETITEMHEIGHT: return l.itemHeight;
    case LB_SETHORIZONTALEXTENT: SetExtent(window, static_cast<int>(wParam)); return 0;
    case LB_RESETCONTENT:
        DeleteAll(window);
        if (const Win32WindowPtr w = Win32FindWindow(window))
            w->m_scroll[SB_VERT].m_pos = 0;
        InvalidateRect(window, nullptr, TRUE);
        return TRUE;
    case WM_HSCROLL:
        if (LOWORD(wParam) == SB_THUMBPOSITION)
            SetHorzPos(window, static_cast<SHORT>(HIWORD(wParam)));
        return 0;
    case WM_VSCROLL:
        if (LOWORD(wParam) == SB_THUMBPOSITION)
            SetTop(window, static_cast<SHORT>(HIWORD(wParam)));
        return 0;
    case WM_PAINT: Paint(window); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: return Mouse(window, message, lParam);
    case WM_KEYDOWN: return KeyDown(window, wParam);
    case WM_SIZE: SetExtent(window, l.extent); return 0;
    case WM_DESTROY: DeleteAll(window); return 0;
    case WM_NCDESTROY:
        Lists().erase(window);
        return DefWindowProcA(window, message, wParam, lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

std::string Describe(HWND window) {
    const List& l = Lists()[window];
    std::string s = " sel=" + std::to_string(l.selection) + " items=[";
    for (size_t i = 0; i < l.items.size(); ++i)
        s += (i ? ",\"" : "\"") + l.items[i].text + "\"";
    return s + "]";
}

const bool g_registered = [] {
    Win32AddDescriber("ListBox", Describe);
    return Win32RegisterControlClass("ListBox", ListProc);
}();

}  // namespace

bool Win32ListPointOfItem(HWND list, int index, int x, POINT* client) {
    const auto it = Lists().find(list);
    if (it == Lists().end() || index < 0 || index >= static_cast<int>(it->second.items.size()))
        return false;
    ScrollIntoView(list, index);
    const int width = ClientSize(list).x;
    const int pos = HorzPos(list);
    if (x < pos || x >= pos + width)
        SetHorzPos(list, x - width / 2);
    const List& l = it->second;
    *client = {x - HorzPos(list), (index - l.top) * l.itemHeight + l.itemHeight / 2};
    return true;
}

BOOL GetScrollInfo(HWND window, int bar, SCROLLINFO* info) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w || info == nullptr || (bar != SB_HORZ && bar != SB_VERT))
        return FALSE;
    const Win32ScrollBar& b = w->m_scroll[bar];
    if (info->fMask & SIF_RANGE) {
        info->nMin = b.m_min;
        info->nMax = b.m_max;
    }
    if (info->fMask & SIF_PAGE)
        info->nPage = b.m_page;
    if (info->fMask & SIF_POS)
        info->nPos = b.m_pos;
    return TRUE;
}
