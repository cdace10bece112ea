#include "Exchange/ZOVA/ZOVA_PlateGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

PDFL_Fixed Saturated(double scaled) {
    if (!(scaled > std::numeric_limits<PDFL_Fixed>::min()))
        return std::numeric_limits<PDFL_Fixed>::min();
    if (scaled >= static_cast<double>(std::numeric_limits<PDFL_Fixed>::max()))
        return std::numeric_limits<PDFL_Fixed>::max();
    return static_cast<PDFL_Fixed>(scaled);
}

// Two rounded terms added, as the host's 16.16 sums are made.
PDFL_Fixed FixedSum(double first, double second) {
    return Saturated(double(ZOVA_SaturatedFixed(first)) + double(ZOVA_SaturatedFixed(second)));
}

PDFL_Fixed FixedSum(PDFL_Fixed first, double second) {
    return Saturated(double(first) + double(ZOVA_SaturatedFixed(second)));
}

// The matrix in doubles; e and f kept as their two terms.
struct Terms {
    double a, b, c, d, e1, e2, f1, f2;
};

bool MatrixTerms(int rotation, double s, const GLIB_Point& center, int32_t width, int32_t height,
                 Terms& terms) {
    const double cx = center.X(), cy = center.Y(), w2 = width / 2.0, h2 = height / 2.0;
    switch (rotation) {
    case 0:
        terms = {s, 0, 0, -s, -s * cx, w2, s * cy, h2};
        return true;
    case 90:
        terms = {0, s, s, 0, -s * cy, w2, -s * cx, h2};
        return true;
    case 180:
        terms = {-s, 0, 0, s, s * cx, w2, -s * cy, h2};
        return true;
    case 270:
        terms = {0, -s, -s, 0, s * cy, w2, s * cx, h2};
        return true;
    default:
        return false;
    }
}

int32_t Clamped(double value, double low, double high) {
    return static_cast<int32_t>(std::trunc(std::clamp(value, low, high)));
}

// The window pixels' edges of the page box (0, 0) to (width, height).
struct Extent {
    double m_left, m_top, m_right, m_bottom;
};

Extent PageExtent(const Terms& t, double width, double height) {
    const double inf = std::numeric_limits<double>::infinity();
    Extent r{inf, inf, -inf, -inf};
    for (const double px : {0.0, width})
        for (const double py : {0.0, height}) {
            const double x = t.a * px + t.c * py + t.e1 + t.e2;
            const double y = t.b * px + t.d * py + t.f1 + t.f2;
            r.m_left = std::min(r.m_left, x);
            r.m_right = std::max(r.m_right, x);
            r.m_top = std::min(r.m_top, y);
            r.m_bottom = std::max(r.m_bottom, y);
        }
    return r;
}

// The host's matrix in doubles.
Terms FixedTerms(const PDFL_FixedMatrix& m) {
    constexpr double unit = 1.0 / 65536;
    return {m.m_a * unit, m.m_b * unit, m.m_c * unit, m.m_d * unit, m.m_h * unit, 0, m.m_v * unit, 0};
}

}  // namespace

// Rounded half up: truncating a negative v × 65536 + 0.5 would put a term
// 1/65536 above its value, and the host fills a pixel column that a page
// edge only grazes.
PDFL_Fixed ZOVA_SaturatedFixed(double value) { return Saturated(std::floor(value * 65536.0 + 0.5)); }

bool ZOVA_MakePlateGeometry(int32_t width, int32_t height, int32_t dpi, const GLIB_Point& center,
                            int rotation, double pageWidth, double pageHeight,
                            ZOVA_PlateGeometry& geometry) {
    const double s = dpi / 72.0;
    Terms t{};
    if (!MatrixTerms(rotation, s, center, width, height, t))
        return false;
    PDFL_FixedMatrix m = {ZOVA_SaturatedFixed(t.a), ZOVA_SaturatedFixed(t.b), ZOVA_SaturatedFixed(t.c),
                          ZOVA_SaturatedFixed(t.d), FixedSum(t.e1, t.e2),      FixedSum(t.f1, t.f2)};

    // The turned page's left and top edges as the host will place them, and
    // the nearest pixel boundaries: the page's own pixel grid, counted from
    // its top-left corner, is then the window's.
    // A term past the 16.16 range saturated: the page is far out of the
    // window and stays where it is.
    const auto saturated = [](double first, double second) {
        return !(std::fabs(first) < 32767 && std::fabs(first + second) < 32767);
    };
    const Extent drawn = PageExtent(FixedTerms(m), pageWidth, pageHeight);
    const double dx = saturated(t.e1, t.e2) ? 0 : std::floor(drawn.m_left + 0.5) - drawn.m_left;
    const double dy = saturated(t.f1, t.f2) ? 0 : std::floor(drawn.m_top + 0.5) - drawn.m_top;
    m.m_h = Saturated(double(m.m_h) + std::round(dx * 65536.0));
    m.m_v = Saturated(double(m.m_v) + std::round(dy * 65536.0));
    geometry.m_matrix = m;

    // The centre that puts the page there, for what the window shows.
    const double det = t.a * t.d - t.b * t.c;
    const GLIB_Point aligned = det == 0 ? center
                                        : GLIB_Point(center.X() - (t.d * dx - t.c * dy) / det,
                                                     center.Y() - (t.a * dy - t.b * dx) / det);
    MatrixTerms(rotation, s, aligned, width, height, t);

    const bool quarter = rotation == 90 || rotation == 270;
    const double across = quarter ? height : width;
    const double down = quarter ? width : height;
    PDFL_FixedRect& update = geometry.m_update;
    update.m_left = FixedSum(aligned.X(), -across / (2 * s));
    update.m_bottom = FixedSum(aligned.Y(), -down / (2 * s));
    update.m_right = FixedSum(update.m_left, across / s);
    update.m_top = FixedSum(update.m_bottom, down / s);

    // The page's raster: from the corner, on a pixel corner (a rounding
    // error of the doubles must not make a partly covered row or column),
    // each side round(points × dpi / 72) pixels, as the plates count it. A
    // side of a whole number of pixels and a half keeps its last column,
    // which the page covers by half.
    Extent page = PageExtent(t, pageWidth, pageHeight);
    const double left = std::floor(page.m_left + 0.5), top = std::floor(page.m_top + 0.5);
    page = {left, top, left + std::floor(page.m_right - page.m_left + 0.5),
            top + std::floor(page.m_bottom - page.m_top + 0.5)};
    const double w = width, h = height;
    geometry.m_areaLeft = Clamped(std::max(page.m_left, 0.0), 0, w);
    geometry.m_areaRight = Clamped(w + 1 - std::max(w - page.m_right, 0.0), 0, w + 1);
    geometry.m_areaTop = height - Clamped(h - std::max(page.m_top, 0.0), 0, h);
    geometry.m_areaBottom = height + 1 - Clamped(std::max(h - page.m_bottom, 0.0), 0, h + 1);
    return true;
}

bool ZOVA_ResizedCenter(int32_t oldWidth, int32_t oldHeight, int32_t width, int32_t height,
                        int32_t dpi, double magnification, int rotation, double pageWidth,
                        double pageHeight, GLIB_Point& center) {
    const double ex = (double(width) - oldWidth) * 72 / dpi / magnification / 2;
    const double ey = (double(height) - oldHeight) * 72 / dpi / magnification / 2;
    double x = center.X(), y = center.Y();
    // A quarter turn puts the page's x down the window and its y across:
    // at 90 the top-left corner is the page's lowest x and y, at 270 their
    // highest.
    switch (rotation) {
    case 0:
        x += ex, y -= ey;
        break;
    case 90:
        x += ey, y += ex;
        break;
    case 180:
        x -= ex, y += ey;
        break;
    case 270:
        x -= ey, y -= ex;
        break;
    default:
        return false;
    }
    // Outside the page box the window would show nothing and, far enough
    // out, the drawing matrix would saturate.
    center = GLIB_Point(std::clamp(x, 0.0, std::max(pageWidth, 0.0)),
                        std::clamp(y, 0.0, std::max(pageHeight, 0.0)));
    return true;
}
