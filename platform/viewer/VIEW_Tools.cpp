#include "viewer/VIEW_Tools.h"

#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Frames.h"
#include "win32/win32_resources.h"

#include <algorithm>
#include <vector>

namespace {

struct State {
    std::vector<PDFL_AVTool> m_registered;
    PDFL_AVTool m_active = nullptr;
};

State& Tools() {
    static State state;
    return state;
}

PDFL_AVToolRec& HostDefault() {
    static PDFL_AVToolRec record = [] {
        PDFL_AVToolRec made{};
        made.m_size = sizeof made;
        return made;
    }();
    return record;
}

bool Known(PDFL_AVTool tool) {
    const auto& registered = Tools().m_registered;
    return tool == &HostDefault() ||
           std::find(registered.begin(), registered.end(), tool) != registered.end();
}

}  // namespace

void VIEW_Tools::Register(PDFL_AVTool tool) {
    if (!tool)
        throw VIEW_AssertionFailure("AVAppRegisterTool without a tool");
    Tools().m_registered.push_back(tool);
}

size_t VIEW_Tools::RegisteredCount() {
    return Tools().m_registered.size();
}

PDFL_AVTool VIEW_Tools::DefaultTool() {
    return &HostDefault();
}

PDFL_AVTool VIEW_Tools::ActiveTool() {
    return Tools().m_active ? Tools().m_active : DefaultTool();
}

void VIEW_Tools::SetActiveTool(PDFL_AVTool tool, PDFL_Bool persistent) {
    if (!Known(tool))
        throw VIEW_AssertionFailure("AVAppSetActiveTool with a tool never registered");
    const PDFL_AVTool old = ActiveTool();
    if (old->m_deactivate)
        VIEW_InvokeCallback<void(PDFL_AVTool)>(old->m_deactivate, old);
    Tools().m_active = tool;
    if (tool->m_activate)
        VIEW_InvokeCallback<void(PDFL_AVTool, PDFL_Bool)>(tool->m_activate, tool, persistent);
}

PDFL_Bool VIEW_Tools::ClickPageView(PDFL_AVPageView view, int16_t x, int16_t y) {
    const PDFL_AVTool tool = ActiveTool();
    if (!tool->m_doClick)
        return 0;
    return VIEW_InvokeCallback<PDFL_Bool(PDFL_AVTool, PDFL_AVPageView, int16_t, int16_t, int16_t, int16_t)>(
        tool->m_doClick, tool, view, x, y, 0, 1);
}

PDFL_Bool VIEW_Tools::IsPersistent(PDFL_AVTool tool) {
    if (!Known(tool))
        throw VIEW_AssertionFailure("AVToolIsPersistent with a tool never registered");
    return tool->m_isPersistent
               ? VIEW_InvokeCallback<PDFL_Bool(PDFL_AVTool)>(tool->m_isPersistent, tool)
               : 0;
}

void VIEW_Tools::DropInModule(HMODULE module) {
    std::vector<PDFL_AVTool>& registered = Tools().m_registered;
    const auto inModule = [module](PDFL_AVTool tool) { return Win32ModuleOfAddress(tool) == module; };
    if (Tools().m_active && inModule(Tools().m_active))
        Tools().m_active = nullptr;
    registered.erase(std::remove_if(registered.begin(), registered.end(), inModule), registered.end());
}

void VIEW_Tools::Reset() {
    Tools() = State();
}
