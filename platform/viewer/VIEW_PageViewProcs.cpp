#include "viewer/VIEW_PageViewProcs.h"

#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Input.h"
#include "viewer/VIEW_PageViews.h"
#include "viewer/VIEW_Tools.h"

#include <algorithm>
#include <vector>

namespace {

struct Registered {
    PDFL_ASCallback m_proc;
    void* m_data;
};

struct ProcState {
    std::vector<Registered> m_drawing;
    std::vector<Registered> m_adjustCursor;
};

ProcState& State() {
    static ProcState state;
    return state;
}

void RemoveFirst(std::vector<Registered>& list, PDFL_ASCallback proc) {
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const Registered& r) { return r.m_proc == proc; });
    if (it != list.end())
        list.erase(it);
}

using ToolCursorProc = PDFL_Bool(PDFL_AVTool, PDFL_AVPageView, int16_t, int16_t);

}  // namespace

void VIEW_PageViewProcs::RegisterDrawing(PDFL_ASCallback proc, void* data) {
    VIEW_Callbacks::Procedure(proc);  // an unknown handle fails here
    State().m_drawing.push_back({proc, data});
}

void VIEW_PageViewProcs::UnregisterDrawing(PDFL_ASCallback proc) {
    RemoveFirst(State().m_drawing, proc);
}

void VIEW_PageViewProcs::RegisterAdjustCursor(PDFL_ASCallback proc, void* data) {
    VIEW_Callbacks::Procedure(proc);
    State().m_adjustCursor.push_back({proc, data});
}

void VIEW_PageViewProcs::UnregisterAdjustCursor(PDFL_ASCallback proc) {
    RemoveFirst(State().m_adjustCursor, proc);
}

size_t VIEW_PageViewProcs::DrawingCount() { return State().m_drawing.size(); }

size_t VIEW_PageViewProcs::AdjustCursorCount() { return State().m_adjustCursor.size(); }

void VIEW_PageViewProcs::Draw(PDFL_AVPageView view) {
    PDFL_AVRect update = VIEW_PageViews::Aperture(view);
    // A copy: a procedure may unregister itself.
    const std::vector<Registered> procs = State().m_drawing;
    for (const Registered& r : procs)
        VIEW_InvokeCallback<VIEW_PageViewDrawProc>(r.m_proc, view, &update, r.m_data);
}

bool VIEW_PageViewProcs::MoveCursor(PDFL_AVPageView view, int16_t x, int16_t y) {
    VIEW_Input::MoveMouse(x, y);
    const std::vector<Registered> procs = State().m_adjustCursor;
    for (const Registered& r : procs)
        if (VIEW_InvokeCallback<VIEW_PageViewCursorProc>(r.m_proc, view, x, y, r.m_data))
            return true;
    const PDFL_AVTool tool = VIEW_Tools::ActiveTool();
    if (!tool || !tool->m_adjustCursor)
        return false;
    return VIEW_InvokeCallback<ToolCursorProc>(tool->m_adjustCursor, tool, view, x, y) != 0;
}

void VIEW_PageViewProcs::Reset() { State() = ProcState(); }
