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
    void DidResize(const PDFL_AVRect& frame) override;

private:
    ZOVA_ColorSepTool* m_tool = nullptr;
    int32_t m_imageLeft = 0;
    int32_t m_imageTop = 0;
    int32_t m_imageRight = 0;
    int32_t m_imageBottom = 0;
};
