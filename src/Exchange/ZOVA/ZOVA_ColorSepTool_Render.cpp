// Rendering the current view: so far only its first steps, which separate
// a view that has no output document yet.
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"

namespace {

constexpr int32_t NeedsRender = 3;
constexpr int32_t White = 255;

}  // namespace

void ZOVA_ColorSepTool::Render(ZOVA_View* view) {
    m_cancelMgr.SetCancelled(false);
    m_viewCurrent = view;
    m_viewImage.Fill(m_windowWidth, m_windowHeight, White);
    if (!view->OutputDoc() && !SeparatePage()) {
        SetPageState(NeedsRender);
        return;
    }
}

void ZOVA_ColorSepTool::Recompose() {}

void ZOVA_ColorSepTool::WindowDidResize() {}
