#include "viewer/program/VIEW_PageFrame.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Far beyond any view, and still an int.
constexpr double Far = 1e9;
constexpr double Inf = std::numeric_limits<double>::infinity();

int Pixel(double boundary) { return static_cast<int>(std::clamp(boundary, -Far, Far)); }

// Half up, as a page's pixel count is rounded.
double Nearest(double v) { return std::floor(v + 0.5); }

double Sign(double v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

struct Span {
    double m_x0, m_y0, m_x1, m_y1;
};

Span Corners(const double m[6], double width, double height) {
    Span r{Inf, Inf, -Inf, -Inf};
    for (const double px : {0.0, width})
        for (const double py : {0.0, height}) {
            const double x = m[0] * px + m[2] * py + m[4], y = m[1] * px + m[3] * py + m[5];
            r.m_x0 = std::min(r.m_x0, x);
            r.m_y0 = std::min(r.m_y0, y);
            r.m_x1 = std::max(r.m_x1, x);
            r.m_y1 = std::max(r.m_y1, y);
        }
    return r;
}

}  // namespace

VIEW_PixelRect VIEW_PixelRect::Within(const VIEW_PixelRect& other) const {
    return VIEW_PixelRect{std::max(m_left, other.m_left), std::max(m_top, other.m_top), std::min(m_right, other.m_right),
                          std::min(m_bottom, other.m_bottom)};
}

const uint8_t* VIEW_FirstPixel(const std::vector<uint8_t>& pixels, int width, int channels,
                               const VIEW_PixelRect& rect) {
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return nullptr;
    return pixels.data() + (static_cast<size_t>(rect.m_top) * width + rect.m_left) * channels;
}

VIEW_PageFrame::VIEW_PageFrame(const double matrix[6], double boxWidth, double boxHeight, int dpi, int viewWidth,
                               int viewHeight, int magnification)
    : m_width(viewWidth), m_height(viewHeight), m_mag(std::max(magnification, 1)) {
    // The host's 16.16 scale is off by up to 2^-17 a point: the sides come
    // from the resolution, only the turn and the place from the matrix.
    const double s = std::max(dpi, 1) / 72.0;
    const bool quarter = std::fabs(matrix[1]) > std::fabs(matrix[0]);
    double* r = m_raster;
    r[0] = quarter ? 0 : Sign(matrix[0]) * s;
    r[1] = quarter ? Sign(matrix[1]) * s : 0;
    r[2] = quarter ? Sign(matrix[2]) * s : 0;
    r[3] = quarter ? 0 : Sign(matrix[3]) * s;
    r[4] = r[5] = 0;
    const Span drawn = Corners(matrix, boxWidth, boxHeight);
    const Span turned = Corners(r, boxWidth, boxHeight);
    const double left = Nearest(drawn.m_x0), top = Nearest(drawn.m_y0);
    r[4] = left - turned.m_x0;
    r[5] = top - turned.m_y0;
    const double across = std::max(1.0, Nearest(turned.m_x1 - turned.m_x0));
    const double down = std::max(1.0, Nearest(turned.m_y1 - turned.m_y0));
    m_page = VIEW_PixelRect{Pixel(left), Pixel(top), Pixel(left + across), Pixel(top + down)};
}

VIEW_PixelRect VIEW_PageFrame::PlatePixels() const {
    return m_page.Within(VIEW_PixelRect{0, 0, m_width, m_height});
}

bool VIEW_PageFrame::PlatesHoldThePage() const {
    const VIEW_PixelRect held = PlatePixels();
    return held.m_left == m_page.m_left && held.m_top == m_page.m_top && held.m_right == m_page.m_right &&
           held.m_bottom == m_page.m_bottom;
}

VIEW_PixelRect VIEW_PageFrame::Magnified(const VIEW_PixelRect& pixels) const {
    // Around the view's middle, as the view window enlarges.
    const double cx = m_width / 2.0, cy = m_height / 2.0;
    VIEW_PixelRect r;
    r.m_left = Pixel(std::clamp(std::ceil(cx + (pixels.m_left - cx) * m_mag), 0.0, double(m_width)));
    r.m_right = Pixel(std::clamp(std::floor(cx + (pixels.m_right - cx) * m_mag), 0.0, double(m_width)));
    r.m_top = Pixel(std::clamp(std::ceil(cy + (pixels.m_top - cy) * m_mag), 0.0, double(m_height)));
    r.m_bottom = Pixel(std::clamp(std::floor(cy + (pixels.m_bottom - cy) * m_mag), 0.0, double(m_height)));
    return r;
}

VIEW_PixelRect VIEW_PageFrame::PreviewPixels() const {
    const VIEW_PixelRect plate = PlatePixels();
    if (m_mag == 1)
        return plate;
    // The surround is painted outside the page's unmagnified pixels.
    return Magnified(plate).Within(plate);
}

VIEW_PageRect VIEW_PageFrame::PageOf(const VIEW_PixelRect& pixels, int mag) const {
    const double cx = m_width / 2.0, cy = m_height / 2.0;
    const double* m = m_raster;
    const double det = m[0] * m[3] - m[1] * m[2];
    VIEW_PageRect page{Inf, Inf, -Inf, -Inf};
    if (det == 0)
        return VIEW_PageRect();
    for (const int px : {pixels.m_left, pixels.m_right})
        for (const int py : {pixels.m_top, pixels.m_bottom}) {
            const double u = cx + (px - cx) / mag - m[4], v = cy + (py - cy) / mag - m[5];
            const double x = (m[3] * u - m[2] * v) / det;
            const double y = (m[0] * v - m[1] * u) / det;
            page.m_x0 = std::min(page.m_x0, x);
            page.m_y0 = std::min(page.m_y0, y);
            page.m_x1 = std::max(page.m_x1, x);
            page.m_y1 = std::max(page.m_y1, y);
        }
    return page;
}
