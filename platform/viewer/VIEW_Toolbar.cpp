#include "viewer/VIEW_Toolbar.h"

#include "viewer/VIEW_Atoms.h"
#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Frames.h"

#include <algorithm>
#include <map>

namespace {

struct State {
    std::map<uintptr_t, VIEW_ToolButton> m_buttons;
    std::vector<uintptr_t> m_order;   // the main toolbar
    uintptr_t m_next = 1;
    bool m_hasToolBar = true;
    bool m_room = true;
};

// A fresh state: the main toolbar with its "endToolsGroup" button.
State Fresh() {
    State state;
    const uintptr_t key = state.m_next++;
    state.m_buttons[key].m_name = VIEW_Atoms::FromString("endToolsGroup");
    state.m_order.push_back(key);
    return state;
}

State& Ready() {
    static State state = Fresh();
    return state;
}

PDFL_AVToolBar MainHandle() {
    static char toolBar;
    return reinterpret_cast<PDFL_AVToolBar>(&toolBar);
}

uintptr_t Key(PDFL_AVToolButton button) {
    return reinterpret_cast<uintptr_t>(button);
}

void RequireMain(PDFL_AVToolBar toolBar) {
    if (toolBar != MainHandle() || !Ready().m_hasToolBar)
        throw VIEW_AssertionFailure("not the host's toolbar");
}

}  // namespace

PDFL_AVToolBar VIEW_Toolbar::MainToolBar() {
    return Ready().m_hasToolBar ? MainHandle() : nullptr;
}

void VIEW_Toolbar::RemoveMainToolBar() {
    Ready().m_hasToolBar = false;
}

void VIEW_Toolbar::SetRoom(bool room) {
    Ready().m_room = room;
}

PDFL_AVToolButton VIEW_Toolbar::NewButton(PDFL_ASAtom name, PDFL_AVIcon icon,
                                          PDFL_Bool separator) {
    State& state = Ready();
    const uintptr_t key = state.m_next++;
    VIEW_ToolButton& button = state.m_buttons[key];
    button.m_name = name;
    button.m_icon = icon;
    button.m_separator = separator != 0;
    return reinterpret_cast<PDFL_AVToolButton>(key);
}

VIEW_ToolButton& VIEW_Toolbar::Button(PDFL_AVToolButton button) {
    auto found = Ready().m_buttons.find(Key(button));
    if (found == Ready().m_buttons.end())
        throw VIEW_AssertionFailure("no tool button " + std::to_string(Key(button)));
    return found->second;
}

void VIEW_Toolbar::DestroyButton(PDFL_AVToolButton button) {
    Button(button);
    State& state = Ready();
    state.m_buttons.erase(Key(button));
    state.m_order.erase(std::remove(state.m_order.begin(), state.m_order.end(), Key(button)),
                        state.m_order.end());
}

PDFL_AVToolButton VIEW_Toolbar::ButtonByName(PDFL_AVToolBar toolBar, PDFL_ASAtom name) {
    RequireMain(toolBar);
    for (uintptr_t key : Ready().m_order)
        if (Ready().m_buttons.at(key).m_name == name)
            return reinterpret_cast<PDFL_AVToolButton>(key);
    return nullptr;
}

void VIEW_Toolbar::AddButton(PDFL_AVToolBar toolBar, PDFL_AVToolButton button, PDFL_Bool before,
                             PDFL_AVToolButton other) {
    RequireMain(toolBar);
    Button(button);
    std::vector<uintptr_t>& order = Ready().m_order;
    order.erase(std::remove(order.begin(), order.end(), Key(button)), order.end());
    auto at = std::find(order.begin(), order.end(), Key(other));
    if (at == order.end())
        at = before ? order.begin() : order.end();
    else if (!before)
        ++at;
    order.insert(at, Key(button));
}

PDFL_Bool VIEW_Toolbar::IsRoomFor(PDFL_AVToolBar toolBar, uint16_t, uint16_t) {
    RequireMain(toolBar);
    return Ready().m_room ? 1 : 0;
}

std::vector<std::string> VIEW_Toolbar::Names() {
    std::vector<std::string> names;
    for (uintptr_t key : Ready().m_order)
        names.push_back(VIEW_Atoms::GetString(Ready().m_buttons.at(key).m_name));
    return names;
}

size_t VIEW_Toolbar::LiveCount() {
    return Ready().m_buttons.size() - 1;   // less "endToolsGroup"
}

PDFL_AVToolButton VIEW_Toolbar::Find(const std::string& name) {
    for (auto& [key, button] : Ready().m_buttons)
        if (VIEW_Atoms::GetString(button.m_name) == name)
            return reinterpret_cast<PDFL_AVToolButton>(key);
    return nullptr;
}

bool VIEW_Toolbar::Press(const std::string& name) {
    const PDFL_AVToolButton handle = Find(name);
    if (!handle)
        throw VIEW_AssertionFailure("no tool button \"" + name + "\"");
    const VIEW_ToolButton button = Button(handle);
    if (button.m_computeEnabled &&
        !VIEW_InvokeCallback<PDFL_Bool(void*)>(button.m_computeEnabled,
                                               button.m_computeEnabledData))
        return false;
    if (button.m_execute)
        VIEW_InvokeCallback<void(void*)>(button.m_execute, button.m_executeData);
    return true;
}

bool VIEW_Toolbar::IsMarked(const std::string& name) {
    const PDFL_AVToolButton handle = Find(name);
    if (!handle)
        throw VIEW_AssertionFailure("no tool button \"" + name + "\"");
    const VIEW_ToolButton button = Button(handle);
    return button.m_computeMarked &&
           VIEW_InvokeCallback<PDFL_Bool(void*)>(button.m_computeMarked,
                                                 button.m_computeMarkedData) != 0;
}

void VIEW_Toolbar::Reset() {
    Ready() = Fresh();
}
