// The drop-down-list combo box: a list of strings and one selection.
#include "win32/win32_controls.h"

#include <cstring>
#include <map>
#include <vector>

namespace {

constexpr int FieldHeight = 21;  // the font's 13 and the field's frame

struct Combo {
    std::vector<std::string> items;
    int selection = -1;
};

std::map<HWND, Combo>& Combos() {
    static auto* combos = new std::map<HWND, Combo>;
    return *combos;
}

LRESULT Insert(Combo& c, WPARAM at, LPARAM text) {
    const auto index = static_cast<int>(static_cast<intptr_t>(at));
    if (index < -1 || index > static_cast<int>(c.items.size()))
        return CB_ERR;
    const int where = index == -1 ? static_cast<int>(c.items.size()) : index;
    c.items.insert(c.items.begin() + where, text ? reinterpret_cast<const char*>(text) : "");
    if (c.selection >= where)
        ++c.selection;
    return where;
}

LRESULT ComboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Combo& c = Combos()[window];
    const auto count = static_cast<int>(c.items.size());
    switch (message) {
    case CB_ADDSTRING: return Insert(c, static_cast<WPARAM>(-1), lParam);
    case CB_INSERTSTRING: return Insert(c, wParam, lParam);
    case CB_GETCOUNT: return count;
    case CB_GETCURSEL: return c.selection;
    case CB_SETCURSEL: {
        const auto index = static_cast<int>(static_cast<intptr_t>(wParam));
        c.selection = index >= 0 && index < count ? index : -1;
        return c.selection == -1 ? LRESULT{CB_ERR} : LRESULT{c.selection};
    }
    case CB_GETLBTEXT: {
        const auto index = static_cast<int>(static_cast<intptr_t>(wParam));
        if (index < 0 || index >= count || lParam == 0)
            return CB_ERR;
        std::strcpy(reinterpret_cast<char*>(lParam), c.items[index].c_str());
        return static_cast<LRESULT>(c.items[index].size());
    }
    case CB_RESETCONTENT:
        c.items.clear();
        c.selection = -1;
        return 0;
    case Win32ComboChoose: {
        const auto index = static_cast<int>(static_cast<intptr_t>(wParam));
        if (index < 0 || index >= count || !IsWindowEnabled(window))
            return 0;
        c.selection = index;
        Win32NotifyParent(window, CBN_SELCHANGE);
        return 0;
    }
    case WM_CREATE:
        // The window is the selection field; the height it was made with is
        // the dropped list's, which is not modelled.
        SetWindowPos(window, nullptr, 0, 0, reinterpret_cast<const CREATESTRUCTA*>(lParam)->cx, FieldHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    case WM_NCDESTROY:
        Combos().erase(window);
        return DefWindowProcA(window, message, wParam, lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

std::string Describe(HWND window) {
    const Combo& c = Combos()[window];
    std::string s = " sel=" + std::to_string(c.selection) + " items=[";
    for (size_t i = 0; i < c.items.size(); ++i)
        s += (i ? ",\"" : "\"") + c.items[i] + "\"";
    return s + "]";
}

const bool g_registered = [] {
    Win32AddDescriber("ComboBox", Describe);
    return Win32RegisterControlClass("ComboBox", ComboProc);
}();

}  // namespace
