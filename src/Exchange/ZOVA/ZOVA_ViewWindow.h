// The host window that shows the composed separations image: the tool's
// view image at the view's magnification, grey outside where the image
// lies. It reports closing and resizing to the tool that owns it.
#pragma once

#include "Exchange/XCHG/XCHG_AVWindowObj.h"
#include "viewer/host_api.h"

#include <cstdint>

class ZOVA_ColorSepTool;

class ZOVA_ViewWindow : public XCHG_AVWindowObj {
public:
    ZOVA_ViewWindow() = default;

    void SetTool(ZOVA_ColorSepTool* tool) { m_tool = tool; }
    ZOVA_ColorSepTool* Tool() const { return m_tool; }

    // Where the rendered image lies, in interior pixels.
    void SetImageRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void ImageRect(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const;
    // The whole interior, right and bottom grown by one, painted again.
    void InvalidateAll();

    // The tool lets its windows go and the host's default tool takes over.
    void DidClose() override;
    // The tool's view image at its view's magnification, zoomed about the
    // window's middle, and grey (100, 100, 100) outside the image rectangle.
    // At magnification s a window of w × h shows the image block from
    // (w (s − 1) / 2s, h (s − 1) / 2s) of w / s × h / s; a partial repaint
    // shows the same pixels as a full one.
    void Draw(const PDFL_AVRect& update) override;
    // The arrow inside the interior; answers whether it was set.
    PDFL_Bool AdjustCursor(int16_t x, int16_t y) override;
    void DidResize(const PDFL_AVRect& frame) override;

private:
    ZOVA_ColorSepTool* m_tool = nullptr;
    int32_t m_imageLeft = 0;
    int32_t m_imageTop = 0;
    int32_t m_imageRight = 0;
    int32_t m_imageBottom = 0;
};
