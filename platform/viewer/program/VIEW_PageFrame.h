// Where the page lies in the view: from the host's drawing matrix and the
// resolution, the page's own raster in the view's pixels (from its
// top-left corner on a pixel corner, each side round(points × dpi / 72)
// pixels, as a page rendered on its own is counted), the part of it the
// view holds (the plates and the preview keep only that), and that part in
// page space (points from the page box's lower-left corner). With
// magnification M the preview shows the middle 1/M of the view, M times
// larger.
#pragma once

#include <cstdint>
#include <vector>

struct VIEW_PixelRect {
    int m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;  // half-open
    int Width() const { return m_right > m_left ? m_right - m_left : 0; }
    int Height() const { return m_bottom > m_top ? m_bottom - m_top : 0; }
    // The part of this rectangle that lies in other (empty when none).
    VIEW_PixelRect Within(const VIEW_PixelRect& other) const;
};

// rect's first pixel in pixels, rows of width pixels of channels bytes;
// null when rect is empty.
const uint8_t* VIEW_FirstPixel(const std::vector<uint8_t>& pixels, int width, int channels,
                               const VIEW_PixelRect& rect);

struct VIEW_PageRect {
    double m_x0 = 0, m_y0 = 0, m_x1 = 0, m_y1 = 0;
};

class VIEW_PageFrame {
public:
    // matrix: page space to the view's pixels, as VIEW_PageDrawing gives
    // it; dpi: the resolution it was made for.
    VIEW_PageFrame(const double matrix[6], double boxWidth, double boxHeight, int dpi, int viewWidth,
                   int viewHeight, int magnification);

    // The page's raster, whether or not the view holds all of it.
    VIEW_PixelRect PagePixels() const { return m_page; }
    VIEW_PixelRect PlatePixels() const;
    VIEW_PixelRect PreviewPixels() const;
    bool PlatesHoldThePage() const;
    VIEW_PageRect PlateArea() const { return PageOf(PlatePixels(), 1); }
    VIEW_PageRect PreviewArea() const { return PageOf(PreviewPixels(), m_mag); }

private:
    // The view's pixels that a magnified rectangle of it covers whole.
    VIEW_PixelRect Magnified(const VIEW_PixelRect& pixels) const;
    VIEW_PageRect PageOf(const VIEW_PixelRect& pixels, int mag) const;

    // The page's raster: the matrix's turn at exactly dpi / 72, moved so
    // that the page's top-left corner lies where the raster's does.
    double m_raster[6];
    VIEW_PixelRect m_page;
    int m_width, m_height, m_mag;
};
