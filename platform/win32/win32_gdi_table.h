// The GDI object table that the bitmap, DC, drawing and text units share.
// Internal to platform/win32; callers hold its lock.
#pragma once

#include "win32/win32.h"

#include <cstdint>
#include <mutex>
#include <vector>

struct Win32GdiBitmap {
    LONG m_width;
    LONG m_height;  // as created: negative for top-down rows
    WORD m_bitsPerPixel;
    void* m_bits;
    int m_selections;  // DCs holding it
};

using Win32Polygon = std::vector<POINT>;
// A closed path: its polygons together, even-odd.
using Win32Path = std::vector<Win32Polygon>;

struct Win32GdiDc {
    bool m_memory = true;
    uintptr_t m_bitmap = 0;  // memory DCs
    HWND m_window = nullptr;  // window DCs
    bool m_paintClip = false;  // a BeginPaint DC: clipped to m_paint
    RECT m_paint{};            // client coordinates
    uintptr_t m_pen = 0;
    uintptr_t m_brush = 0;
    COLORREF m_textColor = 0;
    COLORREF m_bkColor = 0xFFFFFF;
    bool m_inPath = false;
    bool m_pathClosed = false;
    Win32Path m_path;
    std::vector<Win32Path> m_excluded;  // logical coordinates
};

struct Win32GdiObject {
    enum class Kind { Bitmap, Dc, Pen, Brush } m_kind;
    Win32GdiBitmap m_bitmap{};
    Win32GdiDc m_dc{};
    COLORREF m_color = 0;  // pens and brushes
    bool m_stock = false;
};

std::recursive_mutex& Win32GdiMutex();
uintptr_t Win32GdiAdd(Win32GdiObject object);
// The object of that kind, or null.
Win32GdiObject* Win32GdiFind(const void* handle, Win32GdiObject::Kind kind);
void Win32GdiErase(uintptr_t handle);
// A new DC with the default pen and brush, not yet tied to a bitmap.
uintptr_t Win32GdiNewDc(Win32GdiDc dc);

// Where a DC draws: rows of 0x00RRGGBB words (stride in words, negative for
// bottom-up bitmaps), the offset of logical (0, 0), and the clip in device
// pixels. False when the DC has nowhere to draw.
struct Win32DrawTarget {
    uint32_t* m_pixels = nullptr;  // row 0
    int m_width = 0;
    int m_height = 0;
    ptrdiff_t m_stride = 0;
    POINT m_origin{};
    RECT m_clip{};
    const std::vector<Win32Path>* m_excluded = nullptr;
};
bool Win32ResolveTarget(HDC dc, Win32DrawTarget* target);
// The window's pixels in its top-level window's surface (made or resized to
// the top-level window's client size first): the client rectangle in
// surface coordinates, clipped to the surface and to its ancestors.
bool Win32WindowSurface(HWND window, Win32DrawTarget* target);
void Win32DropSurface(HWND window);

// Where the edge from a to b crosses the row at height y (a.y != b.y).
double Win32EdgeCrossing(const POINT& a, const POINT& b, double y);
// Even-odd inside test of a pixel centre against a path.
bool Win32PathContains(const Win32Path& path, double x, double y);
// The x of every edge of the path crossing height y, ascending: the point
// (x, y) is inside exactly when an odd number of them lie above x.
void Win32PathCrossings(const Win32Path& path, double y, std::vector<double>* crossings);
