// Page views: each front-document window shows one page of its PD document
// at a resolution (72 dpi unless set), the whole page being the aperture.
//
// Device space has its origin at the top-left corner of the page as shown
// (after its rotation), x to the right and y down, in pixels. Page space is
// the PD layer's (VIEW_PD::PageSpaceBox): the lower-left corner of the page
// box is (0, 0). Device rectangles are rounded to whole pixels and held to
// the 16-bit range; both conversions give normalised rectangles.
//
// What the plug-in draws over a page view (colour, outlines, inverted
// rectangles, refreshes) is kept as an overlay log for tests.
#pragma once

#include "viewer/host_api.h"

#include <cstddef>
#include <cstdint>
#include <vector>

enum class VIEW_OverlayKind { SetColor, DrawOutline, InvertRect, InvertOutline, Refresh };

struct VIEW_OverlayOp {
    VIEW_OverlayKind m_kind;
    PDFL_AVRect m_rect{};            // not for SetColor and Refresh
    PDFL_PDColorValueRec m_color{};  // SetColor
    int16_t m_lineWidth = 0;         // DrawOutline
    int32_t m_dashCount = 0;         // DrawOutline
};

class VIEW_PageViews {
public:
    // A view of doc showing its first page, or no page when it has none.
    static PDFL_AVPageView New(PDFL_PDDoc doc);
    // Releases the page shown.
    static void Destroy(PDFL_AVPageView view);

    // Shows page number (from 0) of the document; sends notification 14
    // with the view and 2 (its page changed) when the number differs.
    static void GoToPage(PDFL_AVPageView view, int32_t number);
    static int32_t PageNumber(PDFL_AVPageView view);     // -1 without a page
    static PDFL_PDPage Page(PDFL_AVPageView view);       // 109; null without a page
    static void SetResolution(PDFL_AVPageView view, int32_t dpi);
    static PDFL_AVRect Aperture(PDFL_AVPageView view);   // 108

    // 154 and 155; a view without a page is an assertion failure.
    static PDFL_AVRect RectToDevice(PDFL_AVPageView view, const PDFL_FixedRect& rect);
    static PDFL_FixedRect DeviceRectToPage(PDFL_AVPageView view, const PDFL_AVRect& rect);

    // 114, 130, 126, 129 and 127.
    static void Draw(PDFL_AVPageView view, const VIEW_OverlayOp& op);
    static const std::vector<VIEW_OverlayOp>& Overlay(PDFL_AVPageView view);
    static void ClearOverlay(PDFL_AVPageView view);

    static size_t Count();
    static void Reset();
};
