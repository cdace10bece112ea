// A 32-bit RGB image held by the plug-in, with counted access to its pixels:
// the page the host draws for a plate, and the composed view. Pixels are
// 0xXXRRGGBB words, rows top-down; a new image is all bytes 0xFF.
#pragma once

#include "viewer/host_api.h"
#include "win32/win32.h"

#include <cstdint>

class ZOVA_OffscreenImage {
public:
    virtual ~ZOVA_OffscreenImage() = default;

    // Copies the image from (sourceX, sourceY) into dest on dc. Scale 1.0 is
    // a 1:1 copy; otherwise the source block of dest's size / scale that
    // ends at row sourceY + dest height is stretched over dest.
    virtual void Draw(HDC dc, int32_t sourceX, int32_t sourceY, const PDFL_AVRect& dest, double scale) = 0;
    // Has the host draw page's contents into the image (slot 151): matrix
    // maps page space to the image's pixels; only updateRect (page space)
    // is drawn, over what the image holds. Host errors pass as thrown by
    // the host call; the image is left usable.
    virtual void DrawPage(PDFL_PDPage page, const PDFL_FixedMatrix& matrix, const PDFL_FixedRect& updateRect,
                          PDFL_CancelProc cancel, void* cancelData) = 0;
    virtual int32_t RowBytes() const = 0;
    virtual void Size(int32_t* width, int32_t* height) const = 0;
    // The screen size; needs no allocation.
    virtual void MaxSize(int32_t* width, int32_t* height) const = 0;
    virtual HBITMAP Handle() const = 0;
    virtual bool IsValid() const = 0;

    // Counted access: every LockData is matched by one UnlockData.
    uint32_t* LockData();
    void UnlockData();
    // Frees, then allocates width x height white pixels. An allocation the
    // system cannot give throws std::bad_alloc and leaves the image freed.
    void Allocate(int32_t width, int32_t height, int32_t bitsPerPixel);
    void Free();
    // Sets the first width x 4 bytes of each of height rows to the low byte
    // of value; a width or height beyond the image's is cut to it.
    void Fill(int32_t width, int32_t height, int32_t value);

protected:
    virtual void DoAllocate(int32_t width, int32_t height, int32_t bitsPerPixel) = 0;
    virtual uint32_t* Bits() const = 0;
    virtual void DoFree() = 0;
    virtual void ReleaseData() = 0;

private:
    int32_t m_nDataRef = 0;
};
