#include "Exchange/ZOVA/ZOVA_PageStateGuard.h"

#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"
#include "GLIB/GLIB_Log.h"

ZOVA_PageStateGuard::ZOVA_PageStateGuard(int32_t state, int32_t restoreState, ZOVA_ColorSepTool* tool)
    : m_tool(tool), m_restoreState(restoreState) {
    m_tool->SetPageState(state);
}

ZOVA_PageStateGuard::~ZOVA_PageStateGuard() {
    if (!m_tool)
        return;
    // Runs while an exception may be passing: a failing host call here is
    // logged, never thrown.
    try {
        m_tool->SetPageState(m_restoreState);
    } catch (...) {
        GLIB_LOG(GLIB_LogError, "ZOVA_PageStateGuard: restoring page state " << m_restoreState
                                                                               << " failed");
    }
}

void ZOVA_PageStateGuard::Commit(int32_t state) {
    if (!m_tool)
        return;
    ZOVA_ColorSepTool* const tool = m_tool;
    m_tool = nullptr;
    tool->SetPageState(state);
}
