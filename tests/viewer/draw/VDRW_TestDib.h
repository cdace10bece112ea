// Test helpers of the page drawing: a memory DC with a 32-bit DIB section,
// host matrices and rectangles from numbers, and one-page documents in a store.
#pragma once

#include <cstdint>
#include <string>

#include "support/GrayPlate.h"
#include "viewer/cos/VCOS_Store.h"
#include "viewer/host_api.h"
#include "win32/win32.h"

// A memory DC holding a width × height DIB section (top-down unless told),
// every byte filled with fill; everything freed at the end.
class VDRW_TestDib {
public:
    VDRW_TestDib(int width, int height, uint8_t fill = 255, bool topDown = true);
    ~VDRW_TestDib();
    VDRW_TestDib(const VDRW_TestDib&) = delete;
    VDRW_TestDib& operator=(const VDRW_TestDib&) = delete;

    HDC DC() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // B, G, R, reserved of pixel (x, y), y from the top.
    const uint8_t* Pixel(int x, int y) const;
    GrayPlate Blue() const;

private:
    int m_width, m_height;
    bool m_topDown;
    uint8_t* m_bits = nullptr;
    HBITMAP m_bitmap = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;
};

// Each value as trunc(v × 65536 + 0.5), as the plug-in rounds them.
PDFL_FixedMatrix VDRW_Matrix(double a, double b, double c, double d, double e, double f);
PDFL_FixedRect VDRW_Rect(double left, double bottom, double right, double top);

// A one-page document read from a hand-made file: pageEntries go into the
// page dictionary (MediaBox 0 0 612 792 unless they give one), content is
// the page's content stream, /F1 is Helvetica.
VCOS_DocId VDRW_OnePageDoc(VCOS_Store& store, const std::string& pageEntries, const std::string& content);
