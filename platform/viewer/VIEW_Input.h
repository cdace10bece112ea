// The user's side of the host: standard cursors (AcroView 159 and 160), the
// modifier-key word (156) and a scripted mouse for drag loops (157, and the
// position a page view reads, 132).
//
// The mouse script is a list of steps; each question "is the button still
// down" takes the next step, moving the mouse to its position, and answers
// its button state. An empty script answers "up".
#pragma once

#include "viewer/host_api.h"

#include <cstdint>
#include <vector>

struct VIEW_MouseStep {
    int16_t m_x;
    int16_t m_y;
    bool m_down;
};

class VIEW_Input {
public:
    // The same id gives the same cursor. A negative id is an assertion
    // failure, and so is setting a cursor no id gave.
    static PDFL_AVCursor StandardCursor(int32_t id);
    static void SetCursor(PDFL_AVCursor cursor);
    // The id of the cursor last set; -1 before any.
    static int32_t CursorId();

    static void SetModifiers(int32_t word);
    static int32_t Modifiers();

    static void MoveMouse(int16_t x, int16_t y);
    static void ScriptMouse(const std::vector<VIEW_MouseStep>& steps);
    static bool MouseIsStillDown();
    static void MousePosition(int16_t* x, int16_t* y);
    static size_t MouseStepsLeft();

    static void Reset();
};
