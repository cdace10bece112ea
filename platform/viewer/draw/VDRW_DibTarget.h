// The pixels a device context draws into: the 32-bit DIB section selected
// into it (GetCurrentObject, GetObjectA of a DIBSECTION), B, G, R and a
// reserved byte per pixel. Rows may run top-down or bottom-up.
#pragma once

#include <cstddef>
#include <cstdint>

#include "win32/win32.h"

class VDRW_DibTarget {
public:
    // Throws VDRW_Error when dc holds no 32-bit DIB section.
    static VDRW_DibTarget FromDC(HDC dc);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Row y from the top, Width() × 4 bytes.
    uint8_t* Row(int y) const {
        const int stored = m_topDown ? y : m_height - 1 - y;
        return m_bits + static_cast<size_t>(stored) * m_rowBytes;
    }

private:
    uint8_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    size_t m_rowBytes = 0;
    bool m_topDown = true;
};
