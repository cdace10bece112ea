#include "viewer/program/VIEW_PageFrame.h"

#include <algorithm>
#include <cmath>

namespace {

// A drawing matrix is 16.16 fixed point: an edge within this of a whole
// pixel lies on it.
constexpr double Slack = 1e-3;

}  // namespace

VIEW_PageFrame::VIEW_PageFrame(const double matrix[6], double boxWidth, double boxHeight, int viewWidth,
                               int viewHeight, int magnification)
    : m_boxWidth(boxWidth), m_boxHeight(boxHeight), m_width(viewWidth), m_height(viewHeight),
      m_mag(std::max(magnification, 1)) {
    std::copy(matrix, matrix + 6, m_matrix);
}

VIEW_PixelRect VIEW_PageFrame::Whole(double x0, double y0, double x1, double y1, int mag) const {
    // Around the view's middle, as the view window enlarges.
    const double cx = m_width / 2.0, cy = m_height / 2.0;
    x0 = cx + (x0 - cx) * mag;
    x1 = cx + (x1 - cx) * mag;
    y0 = cy + (y0 - cy) * mag;
    y1 = cy + (y1 - cy) * mag;
    VIEW_PixelRect r;
    r.m_left = static_cast<int>(std::clamp(std::ceil(std::min(x0, x1) - Slack), 0.0, double(m_width)));
    r.m_right = static_cast<int>(std::clamp(std::floor(std::max(x0, x1) + Slack), 0.0, double(m_width)));
    r.m_top = static_cast<int>(std::clamp(std::ceil(std::min(y0, y1) - Slack), 0.0, double(m_height)));
    r.m_bottom = static_cast<int>(std::clamp(std::floor(std::max(y0, y1) + Slack), 0.0, double(m_height)));
    return r;
}

VIEW_PixelRect VIEW_PageFrame::PlatePixels() const {
    const double* m = m_matrix;
    const double xs[4] = {m[4], m[0] * m_boxWidth + m[4], m[2] * m_boxHeight + m[4],
                          m[0] * m_boxWidth + m[2] * m_boxHeight + m[4]};
    const double ys[4] = {m[5], m[1] * m_boxWidth + m[5], m[3] * m_boxHeight + m[5],
                          m[1] * m_boxWidth + m[3] * m_boxHeight + m[5]};
    const double x0 = *std::min_element(xs, xs + 4), x1 = *std::max_element(xs, xs + 4);
    const double y0 = *std::min_element(ys, ys + 4), y1 = *std::max_element(ys, ys + 4);
    VIEW_PixelRect whole = Whole(x0, y0, x1, y1, 1);
    // A page narrower than a pixel keeps the pixels it touches.
    if (whole.Width() == 0) {
        whole.m_left = static_cast<int>(std::clamp(std::floor(x0), 0.0, m_width - 1.0));
        whole.m_right = std::max(whole.m_left + 1, static_cast<int>(std::clamp(std::ceil(x1), 0.0, double(m_width))));
    }
    if (whole.Height() == 0) {
        whole.m_top = static_cast<int>(std::clamp(std::floor(y0), 0.0, m_height - 1.0));
        whole.m_bottom = std::max(whole.m_top + 1, static_cast<int>(std::clamp(std::ceil(y1), 0.0, double(m_height))));
    }
    return whole;
}

VIEW_PixelRect VIEW_PageFrame::PreviewPixels() const {
    const VIEW_PixelRect plate = PlatePixels();
    if (m_mag == 1)
        return plate;
    // The surround is painted outside the page's unmagnified pixels.
    VIEW_PixelRect r = Whole(plate.m_left, plate.m_top, plate.m_right, plate.m_bottom, m_mag);
    r.m_left = std::max(r.m_left, plate.m_left);
    r.m_top = std::max(r.m_top, plate.m_top);
    r.m_right = std::min(r.m_right, plate.m_right);
    r.m_bottom = std::min(r.m_bottom, plate.m_bottom);
    return r;
}

VIEW_PageRect VIEW_PageFrame::PageOf(const VIEW_PixelRect& pixels, int mag) const {
    const double cx = m_width / 2.0, cy = m_height / 2.0;
    const double* m = m_matrix;
    const double det = m[0] * m[3] - m[1] * m[2];
    VIEW_PageRect page{1e300, 1e300, -1e300, -1e300};
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
