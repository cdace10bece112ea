#include "viewer/VIEW_Input.h"

#include "viewer/VIEW_HostError.h"

#include <deque>
#include <map>
#include <string>

namespace {

struct InputState {
    // Cursor handles are their id plus one, so id 0 is no null handle.
    std::map<int32_t, PDFL_AVCursor> m_cursors;
    int32_t m_cursorId = -1;
    int32_t m_modifiers = 0;
    int16_t m_x = 0;
    int16_t m_y = 0;
    std::deque<VIEW_MouseStep> m_script;
};

InputState& State() {
    static InputState state;
    return state;
}

}  // namespace

PDFL_AVCursor VIEW_Input::StandardCursor(int32_t id) {
    if (id < 0)
        throw VIEW_AssertionFailure("no standard cursor " + std::to_string(id));
    auto& cursors = State().m_cursors;
    const auto found = cursors.find(id);
    if (found != cursors.end())
        return found->second;
    const PDFL_AVCursor cursor = reinterpret_cast<PDFL_AVCursor>(static_cast<uintptr_t>(id) + 1);
    cursors.emplace(id, cursor);
    return cursor;
}

void VIEW_Input::SetCursor(PDFL_AVCursor cursor) {
    for (const auto& entry : State().m_cursors)
        if (entry.second == cursor) {
            State().m_cursorId = entry.first;
            return;
        }
    throw VIEW_AssertionFailure("AVSysSetCursor with a cursor the host never gave");
}

int32_t VIEW_Input::CursorId() { return State().m_cursorId; }

void VIEW_Input::SetModifiers(int32_t word) { State().m_modifiers = word; }

int32_t VIEW_Input::Modifiers() { return State().m_modifiers; }

void VIEW_Input::MoveMouse(int16_t x, int16_t y) {
    State().m_x = x;
    State().m_y = y;
}

void VIEW_Input::ScriptMouse(const std::vector<VIEW_MouseStep>& steps) {
    State().m_script.assign(steps.begin(), steps.end());
}

bool VIEW_Input::MouseIsStillDown() {
    auto& script = State().m_script;
    if (script.empty())
        return false;
    const VIEW_MouseStep step = script.front();
    script.pop_front();
    MoveMouse(step.m_x, step.m_y);
    return step.m_down;
}

void VIEW_Input::MousePosition(int16_t* x, int16_t* y) {
    if (x)
        *x = State().m_x;
    if (y)
        *y = State().m_y;
}

size_t VIEW_Input::MouseStepsLeft() { return State().m_script.size(); }

void VIEW_Input::Reset() { State() = InputState(); }
