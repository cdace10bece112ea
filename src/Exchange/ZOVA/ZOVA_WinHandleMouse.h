// Subclasses the Separations window's ink list to remember where a mouse
// button was last released, in the list's client coordinates, so that the
// window can tell a click on the tick box from one on the swatch or the
// name when the list reports the selection. The point is stored before the
// list sees the release, and forgotten at every button press and key press:
// a selection moved by the keyboard has no point, so it toggles nothing.
#pragma once

#include "Exchange/XCHG/XCHG_WinWindowSubclass.h"

#include <cstdint>

class ZOVA_WinHandleMouse : public XCHG_WinWindowSubclass {
public:
    static constexpr int32_t NoPoint = -1;

    ZOVA_WinHandleMouse() = default;
    ~ZOVA_WinHandleMouse() override = default;

    // Tracks the point, then hands every message to the list.
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    bool HasPoint() const { return m_x != NoPoint || m_y != NoPoint; }
    int32_t LastX() const { return m_x; }
    int32_t LastY() const { return m_y; }
    void Forget() { m_x = m_y = NoPoint; }

private:
    int32_t m_x = NoPoint;
    int32_t m_y = NoPoint;
};
