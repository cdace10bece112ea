#include "viewer/VIEW_Menus.h"

#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Frames.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

struct Item {
    std::string m_title;
    std::string m_name;
    uintptr_t m_menu = 0;   // the menu holding it, 0 for none
    PDFL_ASCallback m_procs[3] = {};
    void* m_data[3] = {};
};

// Menus are 1 ("UsingExtensions") and 2 (the "AboutExtensions" submenu).
constexpr uintptr_t UsingExtensions = 1;
constexpr uintptr_t AboutSubmenu = 2;

struct State {
    std::map<uintptr_t, Item> m_items;       // keys from 100 on
    std::map<uintptr_t, std::vector<uintptr_t>> m_menus{{UsingExtensions, {}}, {AboutSubmenu, {}}};
    uintptr_t m_aboutItem = 0;
    uintptr_t m_next = 100;
    size_t m_outstanding = 0;
};

State Fresh() {
    State state;
    state.m_aboutItem = state.m_next++;
    state.m_items[state.m_aboutItem].m_name = "AboutExtensions";
    return state;
}

State& Menus() {
    static State state = Fresh();
    return state;
}

uintptr_t Key(const void* handle) {
    return reinterpret_cast<uintptr_t>(handle);
}

Item& ItemOf(PDFL_AVMenuItem item) {
    auto found = Menus().m_items.find(Key(item));
    if (found == Menus().m_items.end())
        throw VIEW_AssertionFailure("no menu item " + std::to_string(Key(item)));
    return found->second;
}

void Unlist(State& state, uintptr_t item) {
    for (auto& [menu, items] : state.m_menus)
        items.erase(std::remove(items.begin(), items.end(), item), items.end());
}

void Settle(size_t& outstanding) {
    if (outstanding == 0)
        throw VIEW_AssertionFailure("a menu or item released that was not acquired");
    --outstanding;
}

}  // namespace

PDFL_AVMenubar VIEW_Menus::Menubar() {
    static char menubar;
    return reinterpret_cast<PDFL_AVMenubar>(&menubar);
}

void VIEW_Menus::RemoveUsingExtensions() {
    Menus().m_menus.erase(UsingExtensions);
}

void VIEW_Menus::RemoveAboutExtensions() {
    Menus().m_items.erase(Menus().m_aboutItem);
    Menus().m_menus.erase(AboutSubmenu);
    Menus().m_aboutItem = 0;
}

PDFL_AVMenu VIEW_Menus::AcquireMenuByName(PDFL_AVMenubar, const char* name) {
    if (std::strcmp(name, "UsingExtensions") != 0 || !Menus().m_menus.count(UsingExtensions))
        return nullptr;
    ++Menus().m_outstanding;
    return reinterpret_cast<PDFL_AVMenu>(UsingExtensions);
}

PDFL_AVMenuItem VIEW_Menus::AcquireItemByName(PDFL_AVMenubar, const char* name) {
    for (auto& [key, item] : Menus().m_items)
        if (item.m_name == name) {
            ++Menus().m_outstanding;
            return reinterpret_cast<PDFL_AVMenuItem>(key);
        }
    return nullptr;
}

PDFL_AVMenu VIEW_Menus::AcquireSubmenu(PDFL_AVMenuItem item) {
    if (!item || Key(item) != Menus().m_aboutItem)
        return nullptr;
    ++Menus().m_outstanding;
    return reinterpret_cast<PDFL_AVMenu>(AboutSubmenu);
}

void VIEW_Menus::ReleaseMenu(PDFL_AVMenu menu) {
    if (!menu)
        throw VIEW_AssertionFailure("AVMenuRelease without a menu");
    Settle(Menus().m_outstanding);
}

void VIEW_Menus::ReleaseItem(PDFL_AVMenuItem item) {
    if (!item)
        throw VIEW_AssertionFailure("AVMenuItemRelease without an item");
    Settle(Menus().m_outstanding);
}

size_t VIEW_Menus::Outstanding() {
    return Menus().m_outstanding;
}

PDFL_AVMenuItem VIEW_Menus::NewItem(const char* title, const char* name, PDFL_AVMenu,
                                    uint16_t, PDFL_AVIcon) {
    State& state = Menus();
    const uintptr_t key = state.m_next++;
    state.m_items[key].m_title = title ? title : "";
    state.m_items[key].m_name = name ? name : "";
    return reinterpret_cast<PDFL_AVMenuItem>(key);
}

void VIEW_Menus::AddItem(PDFL_AVMenu menu, PDFL_AVMenuItem item, int32_t position) {
    auto found = Menus().m_menus.find(Key(menu));
    if (found == Menus().m_menus.end())
        throw VIEW_AssertionFailure("AVMenuAddMenuItem without a menu");
    ItemOf(item);
    Unlist(Menus(), Key(item));
    std::vector<uintptr_t>& items = found->second;
    const size_t at = std::min<size_t>(position < 0 ? items.size() : position, items.size());
    items.insert(items.begin() + at, Key(item));
    ItemOf(item).m_menu = Key(menu);
}

void VIEW_Menus::RemoveItem(PDFL_AVMenuItem item) {
    ItemOf(item);
    Unlist(Menus(), Key(item));
    Menus().m_items.erase(Key(item));
}

int32_t VIEW_Menus::Title(PDFL_AVMenuItem item, char* buffer, int32_t size) {
    const std::string& title = ItemOf(item).m_title;
    if (!buffer || size <= 0)
        return static_cast<int32_t>(title.size());
    const size_t n = std::min<size_t>(title.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, title.data(), n);
    buffer[n] = '\0';
    return static_cast<int32_t>(n);
}

void VIEW_Menus::SetProc(PDFL_AVMenuItem item, Proc which, PDFL_ASCallback proc, void* data) {
    ItemOf(item).m_procs[which] = proc;
    ItemOf(item).m_data[which] = data;
}

std::vector<std::string> VIEW_Menus::ItemsOf(const std::string& menu) {
    const uintptr_t key = menu == "UsingExtensions" ? UsingExtensions
                          : menu == "AboutExtensions" ? AboutSubmenu : 0;
    std::vector<std::string> names;
    auto found = Menus().m_menus.find(key);
    if (found != Menus().m_menus.end())
        for (uintptr_t item : found->second)
            names.push_back(Menus().m_items.at(item).m_name);
    return names;
}

size_t VIEW_Menus::LiveItemCount() {
    return Menus().m_items.size() - (Menus().m_aboutItem ? 1 : 0);
}

bool VIEW_Menus::Choose(const std::string& name) {
    for (auto& [key, entry] : Menus().m_items) {
        if (entry.m_name != name)
            continue;
        const Item item = entry;
        if (item.m_procs[ComputeEnabled] &&
            !VIEW_InvokeCallback<PDFL_Bool(void*)>(item.m_procs[ComputeEnabled],
                                                   item.m_data[ComputeEnabled]))
            return false;
        if (item.m_procs[Execute])
            VIEW_InvokeCallback<void(void*)>(item.m_procs[Execute], item.m_data[Execute]);
        return true;
    }
    throw VIEW_AssertionFailure("no menu item \"" + name + "\"");
}

void VIEW_Menus::Reset() {
    Menus() = Fresh();
}
