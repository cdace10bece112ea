// Windows rectangles (32-bit) and host rectangles (four signed 16-bit
// values): to the host by keeping the low 16 bits, back by sign extension.
#pragma once

#include "viewer/host_api.h"
#include "win32/win32.h"

#include <cstdint>

inline int16_t XCHG_HostCoordinate(LONG value) {
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu));
}

inline PDFL_AVRect XCHG_HostRectFromWindows(const RECT& rect) {
    return PDFL_AVRect{XCHG_HostCoordinate(rect.left), XCHG_HostCoordinate(rect.top),
                       XCHG_HostCoordinate(rect.right), XCHG_HostCoordinate(rect.bottom)};
}

inline RECT XCHG_WindowsRectFromHost(const PDFL_AVRect& rect) {
    return RECT{rect.m_left, rect.m_top, rect.m_right, rect.m_bottom};
}
