// The driver's hand on dialogs and controls, modal loops, colour scripts
// and the description of window trees.
#include "win32/win32_clock.h"
#include "win32/win32_controls.h"
#include "win32/win32_dialog.h"
#include "win32/win32_driver.h"

#include <deque>
#include <optional>

bool Win32Retrieve(MSG* message, HWND filter, UINT first, UINT last, UINT remove);

namespace {

std::deque<std::function<void(HWND)>>& Scripts() {
    static auto* scripts = new std::deque<std::function<void(HWND)>>;
    return *scripts;
}

std::vector<UINT>& Opened() {
    static auto* opened = new std::vector<UINT>;
    return *opened;
}

std::deque<std::optional<COLORREF>>& Colors() {
    static auto* colors = new std::deque<std::optional<COLORREF>>;
    return *colors;
}

std::vector<Win32Driver::ColorRequest>& Requests() {
    static auto* requests = new std::vector<Win32Driver::ColorRequest>;
    return *requests;
}

void ClickItem(HWND list, int index, int x, bool twice) {
    POINT p{};
    if (!Win32ListPointOfItem(list, index, x, &p))
        return;
    if (twice)
        Win32Driver::DoubleClick(list, p.x, p.y);
    else
        Win32Driver::Click(list, p.x, p.y);
}

std::string Quote(const std::string& text) {
    std::string s = "\"";
    for (char c : text)
        s += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    return s + "\"";
}

void Describe(HWND window, int depth, std::string* out) {
    const Win32WindowPtr w = Win32FindWindow(window);
    if (!w)
        return;
    *out += std::string(static_cast<size_t>(depth) * 2, ' ') + w->m_className + " id=" + std::to_string(w->m_id) +
            " enabled=" + ((w->m_style & WS_DISABLED) ? "0" : "1") + " visible=" +
            ((w->m_style & WS_VISIBLE) ? "1" : "0") + " text=" + Quote(w->m_text) +
            Win32DescribeControl(window, w->m_className) + "\n";
    for (HWND child : std::vector<HWND>(w->m_children))
        Describe(child, depth + 1, out);
}

}  // namespace

void Win32RecordModalDialog(UINT id) { Opened().push_back(id); }

void Win32RunModalLoop(HWND dialog, UINT) {
    if (Scripts().empty())
        return;
    const std::function<void(HWND)> script = std::move(Scripts().front());
    Scripts().pop_front();
    script(dialog);
    MSG m;
    while (!Win32DialogEnded(dialog) && Win32Retrieve(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

BOOL ChooseColorA(CHOOSECOLORA* choose) {
    if (choose == nullptr || choose->lStructSize < sizeof(CHOOSECOLORA))
        return FALSE;
    Requests().push_back({choose->hwndOwner, choose->rgbResult, choose->Flags});
    if (Colors().empty())
        return FALSE;
    const std::optional<COLORREF> answer = Colors().front();
    Colors().pop_front();
    if (!answer)
        return FALSE;
    choose->rgbResult = *answer;
    return TRUE;
}

namespace Win32Driver {

void PressButton(HWND button) {
    RECT r{};
    if (GetClientRect(button, &r))
        Click(button, r.right / 2, r.bottom / 2);
}

void ChooseComboEntry(HWND combo, int index) { PostMessageA(combo, Win32ComboChoose, static_cast<WPARAM>(index), 0); }
void ClickListItem(HWND list, int index, int x) { ClickItem(list, index, x, false); }
void DoubleClickListItem(HWND list, int index, int x) { ClickItem(list, index, x, true); }

void OnModalDialog(std::function<void(HWND)> script) { Scripts().push_back(std::move(script)); }
std::vector<UINT> ModalDialogs() { return Opened(); }
void ClearModalDialogs() {
    Opened().clear();
    Scripts().clear();
}

void ScriptColor(COLORREF color) { Colors().push_back(color); }
void ScriptColorCancel() { Colors().push_back(std::nullopt); }
std::vector<ColorRequest> ColorRequests() { return Requests(); }
void ClearColorScripts() {
    Colors().clear();
    Requests().clear();
}

std::string DumpTree(HWND window) {
    std::string out;
    Describe(window, 0, &out);
    return out;
}

}  // namespace Win32Driver
