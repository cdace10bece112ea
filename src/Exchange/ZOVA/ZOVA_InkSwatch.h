// An ink's swatch in the Separations window: the screen colour of its CMYK
// equivalent, the CMYK colour of a screen colour the user chose, and the
// record each ink list item carries (owned by the item, deleted when the
// list deletes the item).
#pragma once

#include "CPDF/color/CPDF_Color.h"
#include "win32/win32.h"

// Each of red, green and blue is (1 − min(1, ink + black)) × 255 of its
// ink, truncated; a component the colour lacks counts as 0.
COLORREF ZOVA_SwatchColor(const CPDF_Color& cmyk);

// The four-component colour (c − k, m − k, y − k, k) where c, m and y are
// 1 − red / 255 and so on, and k is the least of the three.
CPDF_Color ZOVA_InkColorOf(COLORREF chosen);

struct ZOVA_InkItem {
    COLORREF m_swatch;
    HBITMAP m_tick;  // the ticked or the unticked box; not owned
};
