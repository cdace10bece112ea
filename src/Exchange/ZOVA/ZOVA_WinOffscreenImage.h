// The offscreen image over a top-down 32-bit DIB section.
#pragma once

#include "Exchange/ZOVA/ZOVA_OffscreenImage.h"

class ZOVA_WinOffscreenImage : public ZOVA_OffscreenImage {
public:
    ZOVA_WinOffscreenImage() = default;
    ~ZOVA_WinOffscreenImage() override;
    ZOVA_WinOffscreenImage(const ZOVA_WinOffscreenImage&) = delete;
    ZOVA_WinOffscreenImage& operator=(const ZOVA_WinOffscreenImage&) = delete;

    void Draw(HDC dc, int32_t sourceX, int32_t sourceY, const PDFL_AVRect& dest, double scale) override;
    void DrawPage(PDFL_PDPage page, const PDFL_FixedMatrix& matrix, const PDFL_FixedRect& updateRect,
                  PDFL_CancelProc cancel, void* cancelData) override;
    int32_t RowBytes() const override;
    void Size(int32_t* width, int32_t* height) const override;
    void MaxSize(int32_t* width, int32_t* height) const override;
    HBITMAP Handle() const override;
    bool IsValid() const override;

protected:
    void DoAllocate(int32_t width, int32_t height, int32_t bitsPerPixel) override;
    uint32_t* Bits() const override;
    void DoFree() override;
    void ReleaseData() override;

private:
    BITMAP Description() const;

    HBITMAP m_bitmap = nullptr;
    uint32_t* m_bits = nullptr;
};
