#include "Exchange/ZOVA/ZOVA_OffscreenImage.h"

#include "GLIB/GLIB_Assert.h"

#include <algorithm>
#include <cstring>

uint32_t* ZOVA_OffscreenImage::LockData() {
    GLIB_ASSERT(IsValid());
    ++m_nDataRef;
    return Bits();
}

void ZOVA_OffscreenImage::UnlockData() {
    GLIB_ASSERT(IsValid());
    GLIB_ASSERT(m_nDataRef > 0);
    if (--m_nDataRef == 0)
        ReleaseData();
}

void ZOVA_OffscreenImage::Allocate(int32_t width, int32_t height, int32_t bitsPerPixel) {
    Free();
    DoAllocate(width, height, bitsPerPixel);
}

void ZOVA_OffscreenImage::Free() {
    if (m_nDataRef > 0)
        ReleaseData();
    DoFree();
    m_nDataRef = 0;
}

void ZOVA_OffscreenImage::Fill(int32_t width, int32_t height, int32_t value) {
    int32_t imageWidth = 0, imageHeight = 0;
    Size(&imageWidth, &imageHeight);
    // The caller's area may be larger than the image (a window larger than
    // the screen-size image): only the image's own pixels are touched.
    const int32_t w = std::clamp(width, 0, imageWidth);
    const int32_t h = std::clamp(height, 0, imageHeight);
    const int32_t rowBytes = RowBytes();
    auto* row = reinterpret_cast<unsigned char*>(LockData());
    for (int32_t y = 0; y < h; ++y, row += rowBytes)
        std::memset(row, value & 0xFF, static_cast<size_t>(w) * 4);
    UnlockData();
}
