// Where a view's page lands in the window: the host's drawing matrix and
// update rectangle for the plates, the window area the page box covers,
// and the centre that keeps the window's top-left page point in place when
// the window is resized. Pure arithmetic, so it can be checked by hand.
//
// Page space is the page box's own, (0, 0) at its lower-left corner; the
// window is W × H pixels, y downwards; s = dpi / 72 pixels a point. Every
// 16.16 term is value × 65536 rounded half up and held to the 32-bit range,
// sums included, so a far centre at a high resolution cannot overflow.
#pragma once

#include "GLIB/GLIB_Geometry.h"
#include "viewer/host_api.h"

#include <cstdint>

// value × 65536 rounded half up, saturated to the 32-bit range.
PDFL_Fixed ZOVA_SaturatedFixed(double value);

struct ZOVA_PlateGeometry {
    // Page space to window pixels, the page turned by its rotation and the
    // centre at the window's middle, then moved by at most half a pixel so
    // that the turned page's top-left corner lies on a pixel corner, where a
    // page's raster starts.
    PDFL_FixedMatrix m_matrix;
    // The page-space rectangle the window shows, around the moved centre:
    // its extents are the window's, swapped for a quarter turn.
    PDFL_FixedRect m_update;
    // The window pixels the page box covers, on its raster (from the moved
    // corner, each side round(points × dpi / 72) pixels, a half-covered
    // last row or column included): left and top in [0, W] and
    // [0, H]; right and bottom one past the last covered pixel, in
    // [0, W + 1] and [0, H + 1].
    int32_t m_areaLeft;
    int32_t m_areaTop;
    int32_t m_areaRight;
    int32_t m_areaBottom;
};

// False, with geometry untouched, for a rotation other than 0, 90, 180 or
// 270.
bool ZOVA_MakePlateGeometry(int32_t width, int32_t height, int32_t dpi, const GLIB_Point& center,
                            int rotation, double pageWidth, double pageHeight,
                            ZOVA_PlateGeometry& geometry);

// The centre after the window went from oldWidth × oldHeight to width ×
// height at dpi and magnification, so that the page point under the
// window's top-left corner stays put; held inside the page box (0, 0) to
// (pageWidth, pageHeight). False, with center untouched, for a rotation
// other than 0, 90, 180 or 270.
bool ZOVA_ResizedCenter(int32_t oldWidth, int32_t oldHeight, int32_t width, int32_t height,
                        int32_t dpi, double magnification, int rotation, double pageWidth,
                        double pageHeight, GLIB_Point& center);
