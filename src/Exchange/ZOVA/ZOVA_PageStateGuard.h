// Sets a page state for the length of a step and falls back to another one
// unless the step commits.
#pragma once

#include <cstdint>

class ZOVA_ColorSepTool;

class ZOVA_PageStateGuard {
public:
    // Keeps restoreState and tool, then the tool's SetPageState(state).
    ZOVA_PageStateGuard(int32_t state, int32_t restoreState, ZOVA_ColorSepTool* tool);
    // SetPageState(restoreState) unless committed; never throws.
    ~ZOVA_PageStateGuard();
    ZOVA_PageStateGuard(const ZOVA_PageStateGuard&) = delete;
    ZOVA_PageStateGuard& operator=(const ZOVA_PageStateGuard&) = delete;

    // SetPageState(state) and disarm, once.
    void Commit(int32_t state);
    // Disarms without setting a state: the caller sets it its own way.
    void Dismiss() { m_tool = nullptr; }

private:
    ZOVA_ColorSepTool* m_tool;
    int32_t m_restoreState;
};
