#include "Exchange/ZOVA/ZOVA_WinOffscreenImage.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "hostpdf/PDFL_PDCalls.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// A memory device context holding bitmap, compatible with reference (null:
// the screen). The bitmap is deselected and the context deleted on every
// way out, a host error included, so the bitmap can still be freed.
class MemoryDC {
public:
    MemoryDC(HDC reference, HBITMAP bitmap)
        : m_dc(CreateCompatibleDC(reference)), m_previous(SelectObject(m_dc, bitmap)) {}
    ~MemoryDC() {
        SelectObject(m_dc, m_previous);
        DeleteDC(m_dc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

}  // namespace

ZOVA_WinOffscreenImage::~ZOVA_WinOffscreenImage() { Free(); }

void ZOVA_WinOffscreenImage::Draw(HDC dc, int32_t sourceX, int32_t sourceY, const PDFL_AVRect& dest, double scale) {
    GLIB_ASSERT(IsValid());
    const MemoryDC memory(dc, m_bitmap);
    const int width = dest.m_right - dest.m_left;
    const int height = dest.m_bottom - dest.m_top;
    if (scale == 1.0) {
        BitBlt(dc, dest.m_left, dest.m_top, width, height, memory.Get(), sourceX, sourceY, SRCCOPY);
    } else {
        // The source keeps its bottom edge at sourceY + height, so a
        // magnified copy grows from the rows an unmagnified one ends at.
        const int sourceWidth = static_cast<int>(width / scale);
        const int sourceHeight = static_cast<int>(height / scale);
        StretchBlt(dc, dest.m_left, dest.m_top, width, height, memory.Get(), sourceX,
                   sourceY + height - sourceHeight, sourceWidth, sourceHeight, SRCCOPY);
    }
}

void ZOVA_WinOffscreenImage::DrawPage(PDFL_PDPage page, const PDFL_FixedMatrix& matrix,
                                      const PDFL_FixedRect& updateRect, PDFL_CancelProc cancel, void* cancelData) {
    GLIB_ASSERT(IsValid());
    const MemoryDC memory(nullptr, m_bitmap);
    // The host's slot takes non-const pointers but only reads them.
    PDFL_FixedMatrix hostMatrix = matrix;
    PDFL_FixedRect hostUpdate = updateRect;
    PDFL_PDPageDrawContentsToWindow(page, /*window=*/nullptr, memory.Get(), /*isDPS=*/0, &hostMatrix, &hostUpdate,
                                    cancel, cancelData);
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
