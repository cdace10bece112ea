#include "Exchange/ZOVA/ZOVA_ViewWindow.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"

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

void ZOVA_ViewWindow::DidResize(const PDFL_AVRect&) {
    if (m_tool)
        m_tool->WindowDidResize();
}
