// GDI drawing into a DC: block transfers, rectangles, polygons, paths and
// the clip they make.
#include "win32/win32_gdi_table.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

using Kind = Win32GdiObject::Kind;

uint32_t PixelOf(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

// Logical x ranges [first, second) of one row.
using Spans = std::vector<std::pair<int, int>>;

// The first pixel whose centre lies at or right of x.
int FirstCentreFrom(double x, int low, int high) {
    const double clamped = std::min<double>(std::max<double>(x, low - 1.0), high + 1.0);
    int first = static_cast<int>(std::ceil(clamped - 0.5));
    if (first - 1 + 0.5 >= clamped)
        --first;
    if (first + 0.5 < clamped)
        ++first;
    return std::min(std::max(first, low), high);
}

// Removes [from, to) from sorted, disjoint spans.
void Cut(Spans& spans, int from, int to) {
    if (from >= to)
        return;
    Spans kept;
    for (const auto& s : spans) {
        if (s.second <= from || s.first >= to) {
            kept.push_back(s);
            continue;
        }
        if (s.first < from)
            kept.emplace_back(s.first, from);
        if (s.second > to)
            kept.emplace_back(to, s.second);
    }
    spans.swap(kept);
}

class Canvas {
public:
    explicit Canvas(const Win32DrawTarget& t) : m_t(t) {}

    // Logical coordinates.
    bool Visible(int x, int y) const {
        const int dx = x + m_t.m_origin.x, dy = y + m_t.m_origin.y;
        if (dx < m_t.m_clip.left || dx >= m_t.m_clip.right || dy < m_t.m_clip.top || dy >= m_t.m_clip.bottom)
            return false;
        for (const Win32Path& path : *m_t.m_excluded)
            if (Win32PathContains(path, x + 0.5, y + 0.5))
                return false;
        return true;
    }
    void Put(int x, int y, uint32_t pixel) {
        if (Visible(x, y))
            *At(x + m_t.m_origin.x, y + m_t.m_origin.y) = pixel;
    }
    uint32_t* At(int dx, int dy) const { return m_t.m_pixels + dy * m_t.m_stride + dx; }
    // Logical to device.
    uint32_t* AtLogical(int x, int y) const { return At(x + m_t.m_origin.x, y + m_t.m_origin.y); }
    // The logical range the clip rectangle allows.
    RECT Bounds() const {
        return {m_t.m_clip.left - m_t.m_origin.x, m_t.m_clip.top - m_t.m_origin.y, m_t.m_clip.right - m_t.m_origin.x,
                m_t.m_clip.bottom - m_t.m_origin.y};
    }
    // The pixels of row y within [left, right) that Visible allows, as
    // spans: each excluded path's crossings of the row are worked out once,
    // and a pixel is cut when its centre is inside, by the same crossings
    // Win32PathContains counts.
    const Spans& VisibleSpans(int left, int right, int y) {
        m_spans.clear();
        const RECT b = Bounds();
        left = std::max<int>(left, b.left);
        right = std::min<int>(right, b.right);
        if (y < b.top || y >= b.bottom || left >= right)
            return m_spans;
        m_spans.emplace_back(left, right);
        for (const Win32Path& path : *m_t.m_excluded) {
            Win32PathCrossings(path, y + 0.5, &m_crossings);
            // A closed path crosses a row an even number of times; a centre
            // is inside between the 2k-th and the (2k+1)-th crossing.
            for (size_t i = 0; i + 1 < m_crossings.size() && !m_spans.empty(); i += 2)
                Cut(m_spans, FirstCentreFrom(m_crossings[i], left, right),
                    FirstCentreFrom(m_crossings[i + 1], left, right));
        }
        return m_spans;
    }
    void FillSpan(int left, int right, int y, uint32_t pixel) {
        for (const auto& span : VisibleSpans(left, right, y))
            std::fill_n(AtLogical(span.first, y), span.second - span.first, pixel);
    }
    void Fill(const RECT& r, uint32_t pixel) {
        const RECT b = Bounds();
        for (int y = std::max(r.top, b.top); y < std::min(r.bottom, b.bottom); ++y)
            FillSpan(r.left, r.right, y, pixel);
    }
    // Bresenham, the end point left out as LineTo does.
    void Line(POINT a, POINT b, uint32_t pixel) {
        const int dx = std::abs(b.x - a.x), dy = -std::abs(b.y - a.y);
        const int sx = a.x < b.x ? 1 : -1, sy = a.y < b.y ? 1 : -1;
        int err = dx + dy;
        while (a.x != b.x || a.y != b.y) {
            Put(a.x, a.y, pixel);
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                a.x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                a.y += sy;
            }
        }
    }

private:
    Win32DrawTarget m_t;
    Spans m_spans;
    std::vector<double> m_crossings;
};

COLORREF ColorOf(uintptr_t handle, Kind kind, COLORREF fallback) {
    const Win32GdiObject* o = Win32GdiFind(reinterpret_cast<void*>(handle), kind);
    return o ? o->m_color : fallback;
}

uint32_t PenPixel(const Win32GdiDc& dc) { return PixelOf(ColorOf(dc.m_pen, Kind::Pen, RGB(0, 0, 0))); }
uint32_t BrushPixel(const Win32GdiDc& dc) { return PixelOf(ColorOf(dc.m_brush, Kind::Brush, RGB(255, 255, 255))); }

// Pixels whose centres lie inside the polygon, even-odd, row by row.
void FillPolygon(Canvas& canvas, const Win32Polygon& polygon, uint32_t pixel) {
    if (polygon.size() < 3)
        return;
    LONG top = polygon[0].y, bottom = polygon[0].y;
    for (const POINT& p : polygon) {
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    const RECT bounds = canvas.Bounds();
    std::vector<double> crossings;
    for (LONG y = std::max(top, bounds.top); y < std::min(bottom, bounds.bottom); ++y) {
        const double yc = y + 0.5;
        crossings.clear();
        for (size_t i = 0, n = polygon.size(); i < n; ++i) {
            const POINT& a = polygon[i];
            const POINT& b = polygon[(i + 1) % n];
            if ((a.y > yc) != (b.y > yc))
                crossings.push_back(a.x + (yc - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (size_t i = 0; i + 1 < crossings.size(); i += 2)
            canvas.FillSpan(static_cast<int>(std::ceil(crossings[i] - 0.5)),
                            static_cast<int>(std::ceil(crossings[i + 1] - 0.5)), static_cast<int>(y), pixel);
    }
}

// The device pixels [first, end) in memory that the rows top..bottom - 1,
// columns left..right - 1 of a target span.
std::pair<uintptr_t, uintptr_t> Extent(const Win32DrawTarget& t, const RECT& device) {
    const auto top = reinterpret_cast<uintptr_t>(t.m_pixels + device.top * t.m_stride + device.left);
    const auto bottom = reinterpret_cast<uintptr_t>(t.m_pixels + (device.bottom - 1) * t.m_stride + device.left);
    const auto width = static_cast<uintptr_t>(device.right - device.left) * sizeof(uint32_t);
    return {std::min(top, bottom), std::max(top, bottom) + width};
}

// The source pixels the transfer reads: read in place, or a copy when the
// source shares memory with the destination, so that it reads what it
// held before.
struct SourceImage {
    std::vector<uint32_t> copy;
    const uint32_t* first = nullptr;  // the pixel at (rect.left, rect.top)
    ptrdiff_t stride = 0;
    RECT rect{};  // logical
    bool Empty() const { return rect.right <= rect.left || rect.bottom <= rect.top; }
    const uint32_t& At(int x, int y) const { return first[(y - rect.top) * stride + (x - rect.left)]; }
};

bool ReadSource(HDC src, RECT want, const Win32DrawTarget& destination, SourceImage* image) {
    Win32DrawTarget t;
    if (!Win32ResolveTarget(src, &t))
        return false;
    const RECT have{t.m_clip.left - t.m_origin.x, t.m_clip.top - t.m_origin.y, t.m_clip.right - t.m_origin.x,
                    t.m_clip.bottom - t.m_origin.y};
    image->rect = {std::max(want.left, have.left), std::max(want.top, have.top), std::min(want.right, have.right),
                   std::min(want.bottom, have.bottom)};
    if (image->Empty())
        return true;
    const Canvas canvas(t);
    image->first = canvas.At(image->rect.left + t.m_origin.x, image->rect.top + t.m_origin.y);
    image->stride = t.m_stride;
    const RECT device{image->rect.left + t.m_origin.x, image->rect.top + t.m_origin.y,
                      image->rect.right + t.m_origin.x, image->rect.bottom + t.m_origin.y};
    const auto from = Extent(t, device);
    const RECT& clip = destination.m_clip;
    if (clip.right > clip.left && clip.bottom > clip.top) {
        const auto to = Extent(destination, clip);
        if (from.first >= to.second || to.first >= from.second)
            return true;
    }
    const size_t rowPixels = static_cast<size_t>(image->rect.right - image->rect.left);
    image->copy.resize(rowPixels * static_cast<size_t>(image->rect.bottom - image->rect.top));
    uint32_t* out = image->copy.data();
    for (LONG y = image->rect.top; y < image->rect.bottom; ++y, out += rowPixels)
        std::copy_n(canvas.At(image->rect.left + t.m_origin.x, y + t.m_origin.y), rowPixels, out);
    image->first = image->copy.data();
    image->stride = static_cast<ptrdiff_t>(rowPixels);
    return true;
}

}  // namespace

BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    Win32DrawTarget t;
    SourceImage source;
    if (rop != SRCCOPY || width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0 ||
        !Win32GdiFind(dst, Kind::Dc) || !Win32GdiFind(src, Kind::Dc)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0 || !Win32ResolveTarget(dst, &t))
        return TRUE;
    if (!ReadSource(src, {srcX, srcY, srcX + srcWidth, srcY + srcHeight}, t, &source) || source.Empty())
        return TRUE;
    Canvas canvas(t);
    const RECT b = canvas.Bounds();
    // The source column under each destination column's centre, for the
    // columns the clip allows; unscaled rows are copied whole instead.
    const bool sameWidth = width == srcWidth;
    const int firstColumn = std::max(0, static_cast<int>(b.left) - x);
    const int endColumn = std::min(width, static_cast<int>(std::max<LONG>(b.right - x, 0)));
    std::vector<int> columns;
    if (!sameWidth)
        for (int i = firstColumn; i < endColumn; ++i)
            columns.push_back(srcX + static_cast<int>((2 * static_cast<int64_t>(i) + 1) * srcWidth /
                                                      (2 * static_cast<int64_t>(width))));
    for (int j = std::max(0, static_cast<int>(b.top) - y); j < height && y + j < b.bottom; ++j) {
        // The source pixel under the destination pixel's centre.
        const int sy = srcY + static_cast<int>((2 * static_cast<int64_t>(j) + 1) * srcHeight / (2 * static_cast<int64_t>(height)));
        if (sy < source.rect.top || sy >= source.rect.bottom)
            continue;
        for (const auto& span : canvas.VisibleSpans(x, x + width, y + j)) {
            if (sameWidth) {
                const int from = std::max<int>(span.first, x + source.rect.left - srcX);
                const int to = std::min<int>(span.second, x + source.rect.right - srcX);
                if (from < to)
                    std::copy_n(&source.At(srcX + from - x, sy), to - from, canvas.AtLogical(from, y + j));
                continue;
            }
            uint32_t* out = canvas.AtLogical(span.first, y + j);
            for (int dx = span.first; dx < span.second; ++dx, ++out) {
                const int sx = columns[static_cast<size_t>(dx - x - firstColumn)];
                if (sx >= source.rect.left && sx < source.rect.right)
                    *out = source.At(sx, sy);
            }
        }
    }
    return TRUE;
}

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
    return StretchBlt(dst, x, y, width, height, src, srcX, srcY, width, height, rop);
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    const Win32GdiObject* d = Win32GdiFind(dc, Kind::Dc);
    if (d == nullptr)
        return FALSE;
    Win32DrawTarget t;
    if (!Win32ResolveTarget(dc, &t))
        return TRUE;
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (right - left < 1 || bottom - top < 1)
        return TRUE;
    Canvas canvas(t);
    canvas.Fill({left + 1, top + 1, right - 1, bottom - 1}, BrushPixel(d->m_dc));
    const uint32_t pen = PenPixel(d->m_dc);
    canvas.Fill({left, top, right, top + 1}, pen);
    canvas.Fill({left, bottom - 1, right, bottom}, pen);
    canvas.Fill({left, top, left + 1, bottom}, pen);
    canvas.Fill({right - 1, top, right, bottom}, pen);
    return TRUE;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    const Win32GdiObject* b = Win32GdiFind(brush, Kind::Brush);
    if (rect == nullptr || b == nullptr || Win32GdiFind(dc, Kind::Dc) == nullptr)
        return 0;
    Win32DrawTarget t;
    if (Win32ResolveTarget(dc, &t)) {
        Canvas canvas(t);
        canvas.Fill(*rect, PixelOf(b->m_color));
    }
    return 1;
}

BOOL Polygon(HDC dc, const POINT* points, int count) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    Win32GdiObject* d = Win32GdiFind(dc, Kind::Dc);
    if (d == nullptr || points == nullptr || count < 2)
        return FALSE;
    const Win32Polygon polygon(points, points + count);
    if (d->m_dc.m_inPath) {
        d->m_dc.m_path.push_back(polygon);
        return TRUE;
    }
    Win32DrawTarget t;
    if (!Win32ResolveTarget(dc, &t))
        return TRUE;
    Canvas canvas(t);
    FillPolygon(canvas, polygon, BrushPixel(d->m_dc));
    const uint32_t pen = PenPixel(d->m_dc);
    for (int i = 0; i < count; ++i)
        canvas.Line(polygon[i], polygon[(i + 1) % count], pen);
    return TRUE;
}

BOOL BeginPath(HDC dc) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    Win32GdiObject* d = Win32GdiFind(dc, Kind::Dc);
    if (d == nullptr)
        return FALSE;
    d->m_dc.m_inPath = true;
    d->m_dc.m_pathClosed = false;
    d->m_dc.m_path.clear();
    return TRUE;
}

BOOL EndPath(HDC dc) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    Win32GdiObject* d = Win32GdiFind(dc, Kind::Dc);
    if (d == nullptr || !d->m_dc.m_inPath)
        return FALSE;
    d->m_dc.m_inPath = false;
    d->m_dc.m_pathClosed = true;
    return TRUE;
}

BOOL SelectClipPath(HDC dc, int mode) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    Win32GdiObject* d = Win32GdiFind(dc, Kind::Dc);
    if (d == nullptr || mode != RGN_DIFF || !d->m_dc.m_pathClosed) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    d->m_dc.m_excluded.push_back(std::move(d->m_dc.m_path));
    d->m_dc.m_path.clear();
    d->m_dc.m_pathClosed = false;
    return TRUE;
}
