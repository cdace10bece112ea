// What the two windows ask of the tool.
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_Resources.h"

namespace {

constexpr size_t AlertBytes = 512;

}  // namespace

void ZOVA_ColorSepTool::SetCancelled(bool flag) {
    m_cancelMgr.SetCancelled(flag);
}

void ZOVA_ColorSepTool::Update(bool force) {
    if (CurrentView().PageState() == ZOVA_View::PageNeedsUpdate && !force)
        ClearImage();
    else if (m_viewCurrent)
        Render(m_viewCurrent);
}

void ZOVA_ColorSepTool::SetResolution(int32_t index) {
    const PDFL_AVPageView pageView = ActivePageView();
    if (pageView)
        RefreshFrame(pageView);
    CurrentView().SetResolution(index);
    if (!m_viewCurrent || !pageView)
        return;
    DrawFrame(pageView);
    if (m_viewCurrent->PageState() == ZOVA_View::PageReady) {
        m_viewCurrent->SetPageState(ZOVA_View::PageNeedsRender);
        Update(false);
    }
}

void ZOVA_ColorSepTool::SetMagnification(int32_t index) {
    const PDFL_AVPageView pageView = ActivePageView();
    if (pageView)
        RefreshFrame(pageView);
    CurrentView().SetMagnification(index);
    if (!m_viewCurrent || !pageView)
        return;
    DrawFrame(pageView);
    // The plates stay; only the window shows them larger.
    if (m_viewCurrent->PageState() == ZOVA_View::PageReady)
        m_viewWindow.InvalidateAll();
}

void ZOVA_ColorSepTool::SetInkShown(int32_t index, bool shown) {
    if (!m_viewCurrent)
        return;
    m_viewCurrent->SetColorantShown(index, shown);
    if (m_viewCurrent->PageState() == ZOVA_View::PageReady)
        Recompose();
}

void ZOVA_ColorSepTool::SetInkColor(int32_t index, const CPDF_Color& color) {
    if (!m_viewCurrent)
        return;
    m_viewCurrent->SetColorantColor(index, color);
    // Outside state 5 the cached plates may be another view's, or none.
    if (m_viewCurrent->PageState() == ZOVA_View::PageReady)
        Recompose();
}

void ZOVA_ColorSepTool::ClearImage() {
    m_viewImage.Fill(m_windowWidth, m_windowHeight, ClearedImageByte);
    m_viewWindow.InvalidateAll();
}

void ZOVA_ColorSepTool::AlertString(uint32_t id) {
    char text[AlertBytes];
    XCHG_LoadString(id, text, sizeof text);
    XCHG_AVAlertNote(text);
}

void ZOVA_ColorSepTool::SetWindowSize(int32_t width, int32_t height) {
    m_windowWidth = width;
    m_windowHeight = height;
}
