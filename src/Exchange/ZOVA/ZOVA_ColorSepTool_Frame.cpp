// The frame on the host's page view: the window's area around the current
// view's centre.
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/ZOVA/ZOVA_PlateGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double SmallestMove = 0.1;

}  // namespace

void ZOVA_ColorSepTool::FrameRect(PDFL_AVPageView pageView, PDFL_FixedRect& rect) {
    if (!m_viewCurrent || !Holds(*m_viewCurrent, XCHG_AVPageViewGetPage(pageView)))
        return;
    const ZOVA_View& view = *m_viewCurrent;
    const int rotation = view.Page().Rotation();
    const double dpi = view.EffectiveDpi(m_windowWidth, m_windowHeight);
    const double scale = dpi * view.MagnificationFactor();
    double hw = m_windowWidth * 72.0 / scale / 2;
    double hh = m_windowHeight * 72.0 / scale / 2;
    if (rotation != 0 && rotation != 180)
        std::swap(hw, hh);
    const GLIB_Point center = view.Center();
    rect.m_left = ZOVA_SaturatedFixed(center.X() - hw);
    rect.m_bottom = ZOVA_SaturatedFixed(center.Y() - hh);
    rect.m_right = ZOVA_SaturatedFixed(center.X() + hw);
    rect.m_top = ZOVA_SaturatedFixed(center.Y() + hh);
}

void ZOVA_ColorSepTool::FrameChanged(PDFL_AVPageView pageView, const PDFL_FixedRect& rect) {
    if (!m_viewCurrent || !Holds(*m_viewCurrent, XCHG_AVPageViewGetPage(pageView)))
        return;
    ZOVA_View& view = *m_viewCurrent;
    // A centre outside the page box shows nothing and, far enough out,
    // overflows the drawing matrix.
    const GLIB_Rect box = view.PageBox();
    const double width = std::max(0.0, box.Urx() - box.Llx());
    const double height = std::max(0.0, box.Ury() - box.Lly());
    const double x = std::clamp((double(rect.m_left) + rect.m_right) / 65536.0 / 2, 0.0, width);
    const double y = std::clamp((double(rect.m_bottom) + rect.m_top) / 65536.0 / 2, 0.0, height);
    const GLIB_Point old = view.Center();
    if (std::fabs(x - old.X()) <= SmallestMove && std::fabs(y - old.Y()) <= SmallestMove)
        return;
    view.SetCenter(GLIB_Point(x, y));
    DrawFrame(pageView);
    if (view.PageState() == ZOVA_View::PageReady)
        Update(false);
}

bool ZOVA_ColorSepTool::ShowsFrameOn(PDFL_AVPageView pageView) {
    return pageView && m_viewCurrent && m_colorDialog.IsAlive() && m_colorDialog.IsVisible() &&
           Holds(*m_viewCurrent, XCHG_AVPageViewGetPage(pageView));
}
