#include "viewer/VIEW_PageViews.h"

#include "viewer/VIEW_App.h"
#include "viewer/VIEW_HandleTable.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/VIEW_PD.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int16_t PageChanged = 2;

struct PageView {
    PDFL_PDDoc m_doc = nullptr;
    PDFL_PDPage m_page = nullptr;
    int32_t m_number = -1;
    int32_t m_dpi = 72;
    std::vector<VIEW_OverlayOp> m_overlay;
};

VIEW_HandleTable<PDFL_AVPageView, PageView>& Views() {
    static VIEW_HandleTable<PDFL_AVPageView, PageView> views("page view", 0x5000);
    return views;
}

// The page as shown: its sides in page space, its rotation and the scale.
struct Shown {
    double m_width, m_height;
    int m_rotate;
    double m_scale;
};

Shown ShownPage(const PageView& view) {
    if (!view.m_page)
        throw VIEW_AssertionFailure("a page view without a page has no page space");
    double box[4];
    VIEW_PD::PageSpaceBox(view.m_page, box);
    return {box[2] - box[0], box[3] - box[1], VIEW_PD::PageGetRotate(view.m_page), view.m_dpi / 72.0};
}

void ToDevice(const Shown& s, double x, double y, double* dx, double* dy) {
    switch (s.m_rotate) {
    case 90: *dx = y; *dy = x; break;
    case 180: *dx = s.m_width - x; *dy = y; break;
    case 270: *dx = s.m_height - y; *dy = s.m_width - x; break;
    default: *dx = x; *dy = s.m_height - y; break;
    }
    *dx *= s.m_scale;
    *dy *= s.m_scale;
}

void ToPage(const Shown& s, double dx, double dy, double* x, double* y) {
    dx /= s.m_scale;
    dy /= s.m_scale;
    switch (s.m_rotate) {
    case 90: *x = dy; *y = dx; break;
    case 180: *x = s.m_width - dx; *y = dy; break;
    case 270: *x = s.m_width - dy; *y = s.m_height - dx; break;
    default: *x = dx; *y = s.m_height - dy; break;
    }
}

int16_t Pixel(double v) {
    return static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

PDFL_Fixed Fixed(double v) {
    return static_cast<PDFL_Fixed>(std::clamp(std::llround(v * 65536.0), -2147483647LL - 1, 2147483647LL));
}

void ShowPage(PageView& view, int32_t number) {
    const PDFL_PDPage page = VIEW_PD::DocAcquirePage(view.m_doc, number);
    if (view.m_page)
        VIEW_PD::PageRelease(view.m_page);
    view.m_page = page;
    view.m_number = number;
}

}  // namespace

PDFL_AVPageView VIEW_PageViews::New(PDFL_PDDoc doc) {
    PageView view;
    view.m_doc = doc;
    if (VIEW_PD::DocGetNumPages(doc) > 0)
        ShowPage(view, 0);
    return Views().Add(view);
}

void VIEW_PageViews::Destroy(PDFL_AVPageView view) {
    const PageView gone = Views().Remove(view);
    if (gone.m_page)
        VIEW_PD::PageRelease(gone.m_page);
}

void VIEW_PageViews::GoToPage(PDFL_AVPageView view, int32_t number) {
    PageView& record = Views().Get(view);
    if (number == record.m_number)
        return;
    ShowPage(record, number);
    VIEW_App::SendNotification(PDFL_AVPageViewDidChangeNSEL, view, PageChanged);
}

int32_t VIEW_PageViews::PageNumber(PDFL_AVPageView view) { return Views().Get(view).m_number; }

PDFL_PDPage VIEW_PageViews::Page(PDFL_AVPageView view) { return Views().Get(view).m_page; }

void VIEW_PageViews::SetResolution(PDFL_AVPageView view, int32_t dpi) {
    if (dpi <= 0)
        throw VIEW_AssertionFailure("a page view at " + std::to_string(dpi) + " dpi");
    Views().Get(view).m_dpi = dpi;
}

PDFL_AVRect VIEW_PageViews::Aperture(PDFL_AVPageView view) {
    const PageView& record = Views().Get(view);
    if (!record.m_page)
        return PDFL_AVRect{};
    const Shown s = ShownPage(record);
    const bool across = s.m_rotate == 90 || s.m_rotate == 270;
    return {0, 0, Pixel((across ? s.m_height : s.m_width) * s.m_scale),
            Pixel((across ? s.m_width : s.m_height) * s.m_scale)};
}

PDFL_AVRect VIEW_PageViews::RectToDevice(PDFL_AVPageView view, const PDFL_FixedRect& rect) {
    const Shown s = ShownPage(Views().Get(view));
    double x1, y1, x2, y2;
    ToDevice(s, rect.m_left / 65536.0, rect.m_bottom / 65536.0, &x1, &y1);
    ToDevice(s, rect.m_right / 65536.0, rect.m_top / 65536.0, &x2, &y2);
    return {Pixel(std::min(x1, x2)), Pixel(std::min(y1, y2)), Pixel(std::max(x1, x2)),
            Pixel(std::max(y1, y2))};
}

PDFL_FixedRect VIEW_PageViews::DeviceRectToPage(PDFL_AVPageView view, const PDFL_AVRect& rect) {
    const Shown s = ShownPage(Views().Get(view));
    double x1, y1, x2, y2;
    ToPage(s, rect.m_left, rect.m_top, &x1, &y1);
    ToPage(s, rect.m_right, rect.m_bottom, &x2, &y2);
    return {Fixed(std::min(x1, x2)), Fixed(std::min(y1, y2)), Fixed(std::max(x1, x2)),
            Fixed(std::max(y1, y2))};
}

void VIEW_PageViews::Draw(PDFL_AVPageView view, const VIEW_OverlayOp& op) {
    Views().Get(view).m_overlay.push_back(op);
}

const std::vector<VIEW_OverlayOp>& VIEW_PageViews::Overlay(PDFL_AVPageView view) {
    return Views().Get(view).m_overlay;
}

void VIEW_PageViews::ClearOverlay(PDFL_AVPageView view) { Views().Get(view).m_overlay.clear(); }

size_t VIEW_PageViews::Count() { return Views().Size(); }

void VIEW_PageViews::Reset() { Views().Clear(); }
