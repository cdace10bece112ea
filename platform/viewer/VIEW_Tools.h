// The host's tools (AcroView 18, 20, 21, 24 and 181): registered tool
// records, a default tool of the host's own, and the active tool, whose
// change deactivates the old tool and then activates the new one.
#pragma once

#include "viewer/host_api.h"
#include "win32/win32.h"

#include <cstddef>

class VIEW_Tools {
public:
    // AcroView 24; the size word is checked by the slot.
    static void Register(PDFL_AVTool tool);
    static size_t RegisteredCount();
    static PDFL_AVTool DefaultTool();
    // The default tool until another is set.
    static PDFL_AVTool ActiveTool();
    // Deactivate of the old tool, then Activate of the new one with
    // persistent; a tool never registered is a VIEW_AssertionFailure.
    static void SetActiveTool(PDFL_AVTool tool, PDFL_Bool persistent);
    // The tool's IsPersistent answer, 0 when it has none.
    static PDFL_Bool IsPersistent(PDFL_AVTool tool);
    // A click in the page view at device point (x, y), handed to the active
    // tool's DoClick; its answer (0 without one).
    static PDFL_Bool ClickPageView(PDFL_AVPageView view, int16_t x, int16_t y);
    // Forgets the records that lie in module (it is unloaded), without
    // calling them; the default tool becomes active when the active one goes.
    static void DropInModule(HMODULE module);
    // Forgets every tool record (their owners may be gone).
    static void Reset();
};
