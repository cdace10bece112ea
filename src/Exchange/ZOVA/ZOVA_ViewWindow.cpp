#include "Exchange/ZOVA/ZOVA_ViewWindow.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"

#include <cmath>

namespace {

constexpr COLORREF Surround = RGB(100, 100, 100);
constexpr int16_t ArrowCursor = 0;

int16_t Truncated16(double value) { return static_cast<int16_t>(static_cast<int32_t>(std::trunc(value))); }

}  // namespace

void ZOVA_ViewWindow::SetImageRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    m_imageLeft = left;
    m_imageTop = top;
    m_imageRight = right;
    m_imageBottom = bottom;
}

void ZOVA_ViewWindow::ImageRect(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const {
    left = m_imageLeft;
    top = m_imageTop;
    right = m_imageRight;
    bottom = m_imageBottom;
}

void ZOVA_ViewWindow::InvalidateAll() {
    if (!IsAlive())
        return;
    PDFL_AVRect interior{};
    Interior(interior);
    ++interior.m_right;
    ++interior.m_bottom;
    InvalidateRect(interior);
}

void ZOVA_ViewWindow::DidClose() {
    if (m_tool)
        m_tool->WindowWillClose(this);
    XCHG_AVAppSetActiveTool(XCHG_AVAppGetDefaultTool(), 1);
}

void ZOVA_ViewWindow::Draw(const PDFL_AVRect& update) {
    const double scale = m_tool ? m_tool->CurrentView().MagnificationFactor() : 1.0;
    int16_t width = 0, height = 0;
    InteriorSize(width, height);
    const double dx = width * (scale - 1) / 2 / scale;
    const double dy = height * (scale - 1) / 2 / scale;
    const int32_t updateHeight = update.m_bottom - update.m_top;
    // The image's stretch keeps the source's bottom at sourceY + the
    // update's height; its top must be at t / s + dy for a partial repaint
    // to match the full one.
    const int16_t sourceX = Truncated16(update.m_left / scale + dx);
    const int16_t sourceY = Truncated16(std::trunc(update.m_top / scale + dy) - updateHeight +
                                        std::trunc(updateHeight / scale));

    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(PlatformWindow(), &paint);
    if (m_tool && m_tool->ViewImage().IsValid())
        m_tool->ViewImage().Draw(dc, sourceX, sourceY, update, scale);

    const POINT image[4] = {{m_imageLeft, m_imageTop},
                            {m_imageRight, m_imageTop},
                            {m_imageRight, m_imageBottom},
                            {m_imageLeft, m_imageBottom}};
    BeginPath(dc);
    Polygon(dc, image, 4);
    EndPath(dc);
    SelectClipPath(dc, RGN_DIFF);
    // A fill without the pen's outline, which would draw the interior's left
    // column and top row black.
    const HBRUSH grey = CreateSolidBrush(Surround);
    const RECT interior{0, 0, width, height};
    FillRect(dc, &interior, grey);
    DeleteObject(grey);
    EndPaint(PlatformWindow(), &paint);
}

PDFL_Bool ZOVA_ViewWindow::AdjustCursor(int16_t x, int16_t y) {
    PDFL_AVRect interior{};
    Interior(interior);
    if (x < interior.m_left || x > interior.m_right || y < interior.m_top || y > interior.m_bottom)
        return 0;
    XCHG_AVSysSetCursor(XCHG_AVSysGetStandardCursor(ArrowCursor));
    return 1;
}

void ZOVA_ViewWindow::DidResize(const PDFL_AVRect&) {
    if (m_tool)
        m_tool->WindowDidResize();
}
