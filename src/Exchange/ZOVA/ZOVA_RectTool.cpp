#include "Exchange/ZOVA/ZOVA_RectTool.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "Exchange/XCHG/iXCHG_Callbacks.h"
#include "GLIB/GLIB_Assert.h"
#include "hostpdf/PDFL_ExceptionHandler.h"

#include <algorithm>

namespace {

constexpr int32_t ArrowCursor = 0;
constexpr int32_t FrameCursor = 1206;

PDFL_AVRect Moved(const PDFL_AVRect& r, int dx, int dy) {
    return {static_cast<int16_t>(r.m_left + dx), static_cast<int16_t>(r.m_top + dy),
            static_cast<int16_t>(r.m_right + dx), static_cast<int16_t>(r.m_bottom + dy)};
}

void InvertOutline(PDFL_AVPageView pageView, PDFL_AVRect rect) {
    XCHG_AVPageViewInvertRectOutline(pageView, &rect);
}

}  // namespace

ZOVA_RectTool::ZOVA_RectTool() = default;

ZOVA_RectTool::~ZOVA_RectTool() = default;

PDFL_AVPageView ZOVA_RectTool::ActivePageView() {
    const PDFL_AVDoc doc = XCHG_AVAppGetActiveDoc();
    return doc ? XCHG_AVDocGetPageView(doc) : nullptr;
}

void ZOVA_RectTool::Activate(PDFL_Bool) {
    DrawFrame(ActivePageView());
}

void ZOVA_RectTool::OnRegister() {
    XCHG_LoadColor(FrameColorResource(), &m_frameColor);
    m_drawProc = iXCHG_MakeCallback(&Notification_AVPageViewDrawProc);
    XCHG_AVAppRegisterForPageViewDrawing(m_drawProc, this);
}

void ZOVA_RectTool::OnUnregister() {
    if (m_drawProc)
        XCHG_AVAppUnregisterForPageViewDrawing(m_drawProc);
    iXCHG_DestroyCallback(m_drawProc);
}

PDFL_AVRect ZOVA_RectTool::DeviceFrame(PDFL_AVPageView pageView) {
    FrameRect(pageView, m_frame);
    PDFL_AVRect device{};
    XCHG_AVPageViewRectToDevice(pageView, &m_frame, &device);
    return device;
}

void ZOVA_RectTool::DrawFrame(PDFL_AVPageView pageView) {
    if (!ShowsFrameOn(pageView))
        return;
    PDFL_AVRect device = DeviceFrame(pageView);
    XCHG_AVPageViewSetColor(pageView, &m_frameColor);
    XCHG_AVPageViewDrawRectOutline(pageView, &device, 1, nullptr, 0);
}

void ZOVA_RectTool::InvertEdges(PDFL_AVPageView pageView, const PDFL_AVRect& r) {
    const int16_t top1 = static_cast<int16_t>(r.m_top + 1);
    const int16_t bottom1 = static_cast<int16_t>(r.m_bottom - 1);
    const int16_t left1 = static_cast<int16_t>(r.m_left + 1);
    const int16_t right1 = static_cast<int16_t>(r.m_right - 1);
    PDFL_AVRect edges[4] = {{r.m_left, r.m_top, r.m_right, top1},
                            {r.m_left, bottom1, r.m_right, r.m_bottom},
                            {r.m_left, r.m_top, left1, r.m_bottom},
                            {right1, r.m_top, r.m_right, r.m_bottom}};
    for (PDFL_AVRect& edge : edges)
        XCHG_AVPageViewInvertRect(pageView, &edge);
}

void ZOVA_RectTool::RefreshFrame(PDFL_AVPageView pageView) {
    InvertEdges(pageView, DeviceFrame(pageView));
}

PDFL_Bool ZOVA_RectTool::AdjustCursor(PDFL_AVPageView pageView, int16_t x, int16_t y) {
    if (!IsActive())
        return 0;
    PDFL_AVRect device{};
    XCHG_AVPageViewRectToDevice(pageView, &m_frame, &device);
    const bool onFrame = XCHG_HitTestRect(x, y, device) != 0;
    XCHG_AVSysSetCursor(XCHG_AVSysGetStandardCursor(onFrame ? FrameCursor : ArrowCursor));
    return 1;
}

PDFL_Bool ZOVA_RectTool::DoClick(PDFL_AVPageView pageView, int16_t x, int16_t y, int16_t, int16_t) {
    if (!IsActive())
        return 0;
    if (!m_dragEnabled)
        return 1;
    const PDFL_AVRect start = DeviceFrame(pageView);
    PDFL_AVRect band = start;
    if (XCHG_HitTestRect(x, y, start) == 0) {
        const int w = start.m_right - start.m_left;
        const int h = start.m_bottom - start.m_top;
        band = Moved(start, x - w / 2 - start.m_left, y - h / 2 - start.m_top);
    }
    InvertOutline(pageView, band);
    int16_t lastX = x;
    int16_t lastY = y;
    while (XCHG_AVSysMouseIsStillDown()) {
        int16_t mx = lastX;
        int16_t my = lastY;
        XCHG_AVPageViewGetMousePosition(pageView, &mx, &my);
        if (mx == lastX && my == lastY)
            continue;
        InvertOutline(pageView, band);
        band = Moved(band, mx - lastX, my - lastY);
        InvertOutline(pageView, band);
        lastX = mx;
        lastY = my;
    }
    InvertOutline(pageView, band);
    XCHG_AVPageViewDeviceRectToPage(pageView, &band, &m_frame);
    if (m_frame.m_left > m_frame.m_right)
        std::swap(m_frame.m_left, m_frame.m_right);
    if (m_frame.m_top < m_frame.m_bottom)
        std::swap(m_frame.m_top, m_frame.m_bottom);
    FrameChanged(pageView, m_frame);
    InvertEdges(pageView, start);
    InvertEdges(pageView, band);
    return 1;
}

void ZOVA_RectTool::Notification_AVPageViewDrawProc(PDFL_AVPageView pageView, PDFL_AVRect*,
                                                    void* clientData) {
    PDFL_CallbackGuard("ZOVA_RectTool", "Notification_AVPageViewDrawProc", [=] {
        auto* ourObj = static_cast<ZOVA_RectTool*>(clientData);
        GLIB_ASSERT(ourObj != NULL);
        ourObj->PageViewDraw(pageView);
    });
}
