#include "Exchange/ZOVA/ZOVA_WinOffscreenImage.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

ZOVA_WinOffscreenImage::~ZOVA_WinOffscreenImage() { Free(); }

void ZOVA_WinOffscreenImage::Draw(HDC dc, int32_t sourceX, int32_t sourceY, const ZOVA_Rect16& dest, double scale) {
    GLIB_ASSERT(IsValid());
    const HDC memory = CreateCompatibleDC(dc);
    const HGDIOBJ previous = SelectObject(memory, m_bitmap);
    const int width = dest.right - dest.left;
    const int height = dest.bottom - dest.top;
    if (scale == 1.0) {
        BitBlt(dc, dest.left, dest.top, width, height, memory, sourceX, sourceY, SRCCOPY);
    } else {
        // The source keeps its bottom edge at sourceY + height, so a
        // magnified copy grows from the rows an unmagnified one ends at.
        const int sourceWidth = static_cast<int>(width / scale);
        const int sourceHeight = static_cast<int>(height / scale);
        StretchBlt(dc, dest.left, dest.top, width, height, memory, sourceX, sourceY + height - sourceHeight,
                   sourceWidth, sourceHeight, SRCCOPY);
    }
    SelectObject(memory, previous);
    DeleteDC(memory);
}

BITMAP ZOVA_WinOffscreenImage::Description() const {
    GLIB_ASSERT(IsValid());
    BITMAP bitmap{};
    const int size = GetObjectA(m_bitmap, sizeof bitmap, &bitmap);
    GLIB_ASSERT(size != 0);
    return bitmap;
}

int32_t ZOVA_WinOffscreenImage::RowBytes() const { return Description().bmWidthBytes; }

void ZOVA_WinOffscreenImage::Size(int32_t* width, int32_t* height) const {
    const BITMAP bitmap = Description();
    *width = bitmap.bmWidth;
    *height = std::abs(bitmap.bmHeight);
}

void ZOVA_WinOffscreenImage::MaxSize(int32_t* width, int32_t* height) const {
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

HBITMAP ZOVA_WinOffscreenImage::Handle() const {
    GLIB_ASSERT(IsValid());
    return m_bitmap;
}

bool ZOVA_WinOffscreenImage::IsValid() const { return m_bitmap != nullptr; }

void ZOVA_WinOffscreenImage::DoAllocate(int32_t width, int32_t height, int32_t) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        const uint64_t bytes = static_cast<uint64_t>(width < 0 ? 0 : width) * static_cast<uint64_t>(height < 0 ? 0 : height) * 4;
        throw GLIB_BadAllocException(static_cast<uint32_t>(std::min<uint64_t>(bytes, UINT32_MAX)), __FILE__, __LINE__);
    }
    m_bitmap = bitmap;
    m_bits = static_cast<uint32_t*>(bits);
    std::memset(m_bits, 0xFF, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
}

uint32_t* ZOVA_WinOffscreenImage::Bits() const {
    GLIB_ASSERT(IsValid());
    return m_bits;
}

void ZOVA_WinOffscreenImage::DoFree() {
    if (m_bitmap != nullptr)
        DeleteObject(m_bitmap);
    m_bitmap = nullptr;
    m_bits = nullptr;
}

// The DIB section's memory stays mapped while it lives.
void ZOVA_WinOffscreenImage::ReleaseData() {}
