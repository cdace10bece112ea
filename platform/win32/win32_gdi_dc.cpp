// The GDI object table, stock pens and brushes, and the DCs of windows:
// GetDC, BeginPaint and where each DC draws.
#include "win32/win32_gdi_table.h"
#include "win32/win32_window_table.h"

#include <algorithm>
#include <unordered_map>

namespace {

using Kind = Win32GdiObject::Kind;

uintptr_t g_nextHandle = 0x30000;

std::unordered_map<uintptr_t, Win32GdiObject>& Objects() {
    static auto* table = new std::unordered_map<uintptr_t, Win32GdiObject>;  // lives past static destruction
    return *table;
}

uintptr_t Stock(int which) {
    static uintptr_t whiteBrush = 0, whitePen = 0, blackPen = 0;
    uintptr_t* slot = which == WHITE_BRUSH ? &whiteBrush : which == WHITE_PEN ? &whitePen : &blackPen;
    if (*slot == 0) {
        Win32GdiObject o{which == WHITE_BRUSH ? Kind::Brush : Kind::Pen};
        o.m_color = which == BLACK_PEN ? RGB(0, 0, 0) : RGB(255, 255, 255);
        o.m_stock = true;
        *slot = Win32GdiAdd(o);
    }
    return *slot;
}

RECT Intersect(const RECT& a, const RECT& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

}  // namespace

std::recursive_mutex& Win32GdiMutex() {
    static auto* mutex = new std::recursive_mutex;
    return *mutex;
}

uintptr_t Win32GdiAdd(Win32GdiObject object) {
    g_nextHandle += 4;
    Objects().emplace(g_nextHandle, std::move(object));
    return g_nextHandle;
}

Win32GdiObject* Win32GdiFind(const void* handle, Kind kind) {
    const auto it = Objects().find(reinterpret_cast<uintptr_t>(handle));
    return it != Objects().end() && it->second.m_kind == kind ? &it->second : nullptr;
}

void Win32GdiErase(uintptr_t handle) { Objects().erase(handle); }

uintptr_t Win32GdiNewDc(Win32GdiDc dc) {
    dc.m_pen = Stock(BLACK_PEN);
    dc.m_brush = Stock(WHITE_BRUSH);
    Win32GdiObject o{Kind::Dc};
    o.m_dc = std::move(dc);
    return Win32GdiAdd(std::move(o));
}

bool Win32ResolveTarget(HDC dc, Win32DrawTarget* target) {
    const Win32GdiObject* d = Win32GdiFind(dc, Kind::Dc);
    if (d == nullptr)
        return false;
    *target = {};
    target->m_excluded = &d->m_dc.m_excluded;
    if (d->m_dc.m_memory) {
        const Win32GdiObject* b = Win32GdiFind(reinterpret_cast<void*>(d->m_dc.m_bitmap), Kind::Bitmap);
        if (b == nullptr || b->m_bitmap.m_bits == nullptr)
            return false;  // the stock bitmap: nowhere to draw
        const Win32GdiBitmap& bm = b->m_bitmap;
        const bool bottomUp = bm.m_height > 0;
        target->m_width = bm.m_width;
        target->m_height = bottomUp ? bm.m_height : -bm.m_height;
        auto* bits = static_cast<uint32_t*>(bm.m_bits);
        target->m_pixels = bottomUp ? bits + static_cast<ptrdiff_t>(target->m_height - 1) * bm.m_width : bits;
        target->m_stride = bottomUp ? -static_cast<ptrdiff_t>(bm.m_width) : bm.m_width;
        target->m_clip = {0, 0, target->m_width, target->m_height};
        return true;
    }
    const std::vector<Win32Path>* excluded = target->m_excluded;
    if (!Win32WindowSurface(d->m_dc.m_window, target))
        return false;
    target->m_excluded = excluded;
    if (d->m_dc.m_paintClip) {
        const RECT& p = d->m_dc.m_paint;
        const RECT paint{p.left + target->m_origin.x, p.top + target->m_origin.y, p.right + target->m_origin.x,
                         p.bottom + target->m_origin.y};
        target->m_clip = Intersect(target->m_clip, paint);
    }
    return true;
}

double Win32EdgeCrossing(const POINT& a, const POINT& b, double y) {
    return a.x + (y - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y);
}

bool Win32PathContains(const Win32Path& path, double x, double y) {
    bool inside = false;
    for (const Win32Polygon& polygon : path)
        for (size_t i = 0, n = polygon.size(); i < n; ++i) {
            const POINT& a = polygon[i];
            const POINT& b = polygon[(i + 1) % n];
            if ((a.y > y) != (b.y > y) && x < Win32EdgeCrossing(a, b, y))
                inside = !inside;
        }
    return inside;
}

void Win32PathCrossings(const Win32Path& path, double y, std::vector<double>* crossings) {
    crossings->clear();
    for (const Win32Polygon& polygon : path)
        for (size_t i = 0, n = polygon.size(); i < n; ++i) {
            const POINT& a = polygon[i];
            const POINT& b = polygon[(i + 1) % n];
            if ((a.y > y) != (b.y > y))
                crossings->push_back(Win32EdgeCrossing(a, b, y));
        }
    std::sort(crossings->begin(), crossings->end());
}

HGDIOBJ GetStockObject(int object) {
    if (object != WHITE_BRUSH && object != WHITE_PEN && object != BLACK_PEN)
        return nullptr;
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    return reinterpret_cast<HGDIOBJ>(Stock(object));
}

HBRUSH CreateSolidBrush(COLORREF color) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    Win32GdiObject o{Kind::Brush};
    o.m_color = color & 0xFFFFFF;
    return reinterpret_cast<HBRUSH>(Win32GdiAdd(o));
}

HDC GetDC(HWND window) {
    if (!Win32FindWindow(window))
        return nullptr;
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    Win32GdiDc dc;
    dc.m_memory = false;
    dc.m_window = window;
    return reinterpret_cast<HDC>(Win32GdiNewDc(dc));
}

int ReleaseDC(HWND window, HDC dc) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    const Win32GdiObject* d = Win32GdiFind(dc, Kind::Dc);
    if (d == nullptr || d->m_dc.m_memory || d->m_dc.m_window != window)
        return 0;
    Win32GdiErase(reinterpret_cast<uintptr_t>(dc));
    return 1;
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
    if (paint == nullptr)
        return nullptr;
    *paint = {};
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return nullptr;
    const RECT update = w->m_hasUpdate ? w->m_update : RECT{0, 0, 0, 0};
    paint->fErase = w->m_erase ? TRUE : FALSE;
    paint->rcPaint = update;
    ValidateRect(window, nullptr);
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    Win32GdiDc dc;
    dc.m_memory = false;
    dc.m_window = window;
    dc.m_paintClip = true;
    dc.m_paint = update;
    paint->hdc = reinterpret_cast<HDC>(Win32GdiNewDc(dc));
    return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
    if (paint == nullptr)
        return FALSE;
    ReleaseDC(window, paint->hdc);
    return TRUE;
}
