// A frame tool: draws, on the host's page view, a one-pixel frame around
// the part of the page that a derived tool shows elsewhere, and lets the
// user drag that frame to move it. The derived tool says where the frame
// lies (FrameRect), hears where the user put it (FrameChanged), decides on
// which page views it shows (ShowsFrameOn) and names its colour resource.
#pragma once

#include "Exchange/XCHG/XCHG_AVToolObj.h"
#include "viewer/host_api.h"

#include <cstdint>

class ZOVA_RectTool : public XCHG_AVToolObj {
public:
    ZOVA_RectTool();
    ~ZOVA_RectTool() override;

    // Draws the frame on the active document's page view.
    void Activate(PDFL_Bool persistent) override;
    // False while inactive; else cursor 1206 on the frame's edges and
    // inside, the arrow outside, and true.
    PDFL_Bool AdjustCursor(PDFL_AVPageView pageView, int16_t x, int16_t y) override;
    // Drags the frame while the host reports the button down; a click
    // outside the frame first centres the frame on it. False while
    // inactive; true (doing nothing) while dragging is disabled.
    PDFL_Bool DoClick(PDFL_AVPageView pageView, int16_t x, int16_t y, int16_t flags,
                      int16_t clickCount) override;
    // Loads the frame colour and registers the page-view drawing procedure.
    void OnRegister() override;
    // Unregisters the drawing procedure and destroys its callback.
    void OnUnregister() override;

    // The "PDCL" resource of the frame's colour.
    virtual uint16_t FrameColorResource() = 0;
    // The frame in page space (16.16), or rect untouched when pageView does
    // not show the tool's page.
    virtual void FrameRect(PDFL_AVPageView pageView, PDFL_FixedRect& rect) = 0;
    // The user moved the frame to rect (normalised).
    virtual void FrameChanged(PDFL_AVPageView pageView, const PDFL_FixedRect& rect) = 0;
    virtual bool ShowsFrameOn(PDFL_AVPageView pageView) = 0;

    // Outlines the frame when ShowsFrameOn(pageView).
    void DrawFrame(PDFL_AVPageView pageView);
    // Hands the frame's four one-pixel edges to the host's invert, which
    // takes an outline drawn before off the page view.
    void RefreshFrame(PDFL_AVPageView pageView);
    // 0 while the view shows the whole page: a click is claimed and ignored.
    void SetDragEnabled(uint8_t flag) { m_dragEnabled = flag; }
    bool IsDragEnabled() const { return m_dragEnabled != 0; }
    const PDFL_PDColorValueRec& FrameColor() const { return m_frameColor; }
    const PDFL_FixedRect& Frame() const { return m_frame; }

    // The host's drawing procedure; client data is the tool.
    static void Notification_AVPageViewDrawProc(PDFL_AVPageView pageView, PDFL_AVRect* update,
                                                void* clientData);

protected:
    // The active document's page view, or null.
    static PDFL_AVPageView ActivePageView();
    // What the host's drawing procedure runs.
    virtual void PageViewDraw(PDFL_AVPageView pageView) { DrawFrame(pageView); }

private:
    // m_frame from FrameRect, in device space.
    PDFL_AVRect DeviceFrame(PDFL_AVPageView pageView);
    static void InvertEdges(PDFL_AVPageView pageView, const PDFL_AVRect& rect);

    PDFL_FixedRect m_frame{};
    PDFL_PDColorValueRec m_frameColor{};
    PDFL_ASCallback m_drawProc = nullptr;
    uint8_t m_dragEnabled = 1;
};
