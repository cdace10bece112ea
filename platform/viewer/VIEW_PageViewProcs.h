// Procedures the plug-in hooks into every page view (AcroView 135, 136, 139
// and 140): drawing procedures, called after the host draws a page view,
// and adjust-cursor procedures, asked when the cursor moves over one.
//
// Registering the same procedure twice keeps two; unregistering removes the
// first with that procedure. Both lists keep the order of registration,
// which is the order of the calls.
#pragma once

#include "viewer/host_api.h"

#include <cstddef>
#include <cstdint>

// The procedures' signatures as the host calls them.
using VIEW_PageViewDrawProc = void(PDFL_AVPageView view, PDFL_AVRect* update, void* data);
using VIEW_PageViewCursorProc = PDFL_Bool(PDFL_AVPageView view, int16_t x, int16_t y, void* data);

class VIEW_PageViewProcs {
public:
    static void RegisterDrawing(PDFL_ASCallback proc, void* data);     // 135
    static void UnregisterDrawing(PDFL_ASCallback proc);               // 136
    static void RegisterAdjustCursor(PDFL_ASCallback proc, void* data);  // 139
    static void UnregisterAdjustCursor(PDFL_ASCallback proc);            // 140
    static size_t DrawingCount();
    static size_t AdjustCursorCount();

    // The host has drawn view: each drawing procedure with the view's
    // aperture as the update rectangle.
    static void Draw(PDFL_AVPageView view);
    // The cursor moved to (x, y) over view: the mouse goes there, then each
    // adjust-cursor procedure until one answers true, then, when none did,
    // the active tool's AdjustCursor. True when someone set the cursor.
    static bool MoveCursor(PDFL_AVPageView view, int16_t x, int16_t y);

    static void Reset();
};
