// Where the page lies in the view: from the host's drawing matrix, the
// view's pixels that show the page whole (the plates and the preview keep
// only those, so no grey of the surround and no half-covered edge stays),
// and the part of the page they show in page space (points from the page
// box's lower-left corner). A page that covers no pixel whole keeps the
// pixels it touches. With magnification M the preview shows the
// middle 1/M of the view, M times larger.
#pragma once

struct VIEW_PixelRect {
    int m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;  // half-open
    int Width() const { return m_right > m_left ? m_right - m_left : 0; }
    int Height() const { return m_bottom > m_top ? m_bottom - m_top : 0; }
};

struct VIEW_PageRect {
    double m_x0 = 0, m_y0 = 0, m_x1 = 0, m_y1 = 0;
};

class VIEW_PageFrame {
public:
    // matrix: page space to the view's pixels, as VIEW_PageDrawing gives it.
    VIEW_PageFrame(const double matrix[6], double boxWidth, double boxHeight, int viewWidth, int viewHeight,
                   int magnification);

    VIEW_PixelRect PlatePixels() const;
    VIEW_PixelRect PreviewPixels() const;
    VIEW_PageRect PlateArea() const { return PageOf(PlatePixels(), 1); }
    VIEW_PageRect PreviewArea() const { return PageOf(PreviewPixels(), m_mag); }

private:
    // The pixels a rectangle of the view covers whole, at magnification mag.
    VIEW_PixelRect Whole(double x0, double y0, double x1, double y1, int mag) const;
    VIEW_PageRect PageOf(const VIEW_PixelRect& pixels, int mag) const;

    double m_matrix[6];
    double m_boxWidth, m_boxHeight;
    int m_width, m_height, m_mag;
};
