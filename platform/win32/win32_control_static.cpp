// The static control: text or a bitmap, transparent to the mouse unless
// SS_NOTIFY.
#include "win32/win32_controls.h"

#include <map>

namespace {

std::map<HWND, HGDIOBJ>& Images() {
    static auto* images = new std::map<HWND, HGDIOBJ>;
    return *images;
}

LRESULT StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST:
        if (!(GetWindowLongPtrA(window, GWL_STYLE) & SS_NOTIFY))
            return HTTRANSPARENT;
        break;
    case STM_SETIMAGE: {
        if (wParam != IMAGE_BITMAP)
            return 0;
        HGDIOBJ& slot = Images()[window];
        const HGDIOBJ previous = slot;
        slot = reinterpret_cast<HGDIOBJ>(lParam);
        return reinterpret_cast<LRESULT>(previous);
    }
    case STM_GETIMAGE: {
        const auto it = Images().find(window);
        return wParam == IMAGE_BITMAP && it != Images().end() ? reinterpret_cast<LRESULT>(it->second) : 0;
    }
    case WM_NCDESTROY: Images().erase(window); break;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string Describe(HWND window) {
    const auto it = Images().find(window);
    return it != Images().end() && it->second ? " image" : "";
}

const bool g_registered = [] {
    Win32AddDescriber("Static", Describe);
    return Win32RegisterControlClass("Static", StaticProc);
}();

}  // namespace
