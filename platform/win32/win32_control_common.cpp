// Control classes: registration, notifications and descriptions.
#include "win32/win32_controls.h"

#include <map>
#include <strings.h>

namespace {

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

std::map<std::string, Win32Describer, NoCase>& Describers() {
    static auto* describers = new std::map<std::string, Win32Describer, NoCase>;
    return *describers;
}

}  // namespace

void Win32NotifyParent(HWND control, WORD code) {
    const HWND parent = GetParent(control);
    const auto id = static_cast<WORD>(GetWindowLongPtrA(control, GWLP_ID));
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

bool Win32RegisterControlClass(const char* name, WNDPROC procedure) {
    WNDCLASSA c{};
    c.style = CS_DBLCLKS;
    c.lpfnWndProc = procedure;
    c.lpszClassName = name;
    return RegisterClassA(&c) != 0;
}

void Win32AddDescriber(const char* className, Win32Describer describer) { Describers()[className] = describer; }

std::string Win32DescribeControl(HWND control, const std::string& className) {
    const auto it = Describers().find(className);
    return it != Describers().end() ? it->second(control) : std::string();
}
