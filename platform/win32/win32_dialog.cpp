// The dialog manager: dialogs from registered templates, the dialog class,
// modal loops and the item calls.
#include "win32/win32_controls.h"
#include "win32/win32_dialog.h"
#include "win32/win32_resources.h"

#include <cstdio>
#include <map>

namespace {

struct Dialog {
    DLGPROC procedure = nullptr;
    bool modal = false;
    bool ended = false;
    INT_PTR result = 0;
};

std::map<HWND, Dialog>& Dialogs() {
    static auto* dialogs = new std::map<HWND, Dialog>;
    return *dialogs;
}

constexpr const char* DialogClass = "#32770";

int UnitsX(int x) { return x * 6 / 4; }
int UnitsY(int y) { return y * 13 / 8; }

LRESULT DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto it = Dialogs().find(window);
    if (it != Dialogs().end() && it->second.procedure) {
        const INT_PTR answer = it->second.procedure(window, message, wParam, lParam);
        if (answer != 0)
            return answer;
    }
    switch (message) {
    case WM_CLOSE: {
        const HWND cancel = GetDlgItem(window, IDCANCEL);
        if (cancel && !IsWindowEnabled(cancel))
            return 0;
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case WM_NCDESTROY:
        Dialogs().erase(window);
        return DefWindowProcA(window, message, wParam, lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

const bool g_registered = [] {
    WNDCLASSA c{};
    c.style = CS_DBLCLKS;
    c.lpfnWndProc = DialogProc;
    c.lpszClassName = DialogClass;
    return RegisterClassA(&c) != 0;
}();

const Win32DialogResource* FindTemplate(HINSTANCE module, LPCSTR name) {
    if (!IS_INTRESOURCE(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return Win32FindDialog(module, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
}

HWND Create(const Win32DialogResource& t, HINSTANCE module, HWND owner, DLGPROC procedure, LPARAM param, bool modal) {
    RECT r{UnitsX(t.m_x), UnitsY(t.m_y), UnitsX(t.m_x + t.m_width), UnitsY(t.m_y + t.m_height)};
    const DWORD style = (t.m_style & ~WS_VISIBLE) | WS_POPUP;
    AdjustWindowRectEx(&r, style, FALSE, t.m_exStyle);
    if (owner) {
        POINT origin{0, 0};
        ClientToScreen(owner, &origin);
        r = {r.left + origin.x, r.top + origin.y, r.right + origin.x, r.bottom + origin.y};
    }
    const HWND dialog = CreateWindowExA(t.m_exStyle, DialogClass, t.m_caption, style, r.left, r.top,
                                        r.right - r.left, r.bottom - r.top, owner, nullptr, module, nullptr);
    if (!dialog)
        return nullptr;
    Dialogs()[dialog] = {procedure, modal, false, 0};
    HWND first = nullptr;
    for (size_t i = 0; i < t.m_itemCount; ++i) {
        const Win32DialogItem& item = t.m_items[i];
        const HWND control = CreateWindowExA(
            WS_EX_NOPARENTNOTIFY, item.m_class, item.m_text, item.m_style | WS_CHILD, UnitsX(item.m_x),
            UnitsY(item.m_y), UnitsX(item.m_width), UnitsY(item.m_height), dialog,
            reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.m_id)), module, nullptr);
        if (!IsWindow(dialog))
            return nullptr;
        if (!first || (control && (item.m_style & WS_TABSTOP) && !(GetWindowLongPtrA(first, GWL_STYLE) & WS_TABSTOP)))
            first = control;
    }
    if (SendMessageA(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && first && IsWindow(first))
        SetFocus(first);
    if (!IsWindow(dialog))
        return nullptr;
    if ((t.m_style & WS_VISIBLE) && !Dialogs()[dialog].ended)
        ShowWindow(dialog, SW_SHOW);
    return dialog;
}

}  // namespace

HWND CreateDialogParamA(HINSTANCE module, LPCSTR name, HWND owner, DLGPROC procedure, LPARAM param) {
    const Win32DialogResource* t = FindTemplate(module, name);
    return t ? Create(*t, module, owner, procedure, param, false) : nullptr;
}

INT_PTR DialogBoxParamA(HINSTANCE module, LPCSTR name, HWND owner, DLGPROC procedure, LPARAM param) {
    const Win32DialogResource* t = FindTemplate(module, name);
    if (!t)
        return -1;
    if (owner && !IsWindow(owner))
        return 0;
    Win32RecordModalDialog(t->m_id);
    const bool disabledOwner = owner && !EnableWindow(owner, FALSE);
    const HWND dialog = Create(*t, module, owner, procedure, param, true);
    INT_PTR result = -1;
    if (dialog) {
        if (!Dialogs()[dialog].ended)
            ShowWindow(dialog, SW_SHOW);
        Win32RunModalLoop(dialog, t->m_id);
        const auto it = Dialogs().find(dialog);
        if (it == Dialogs().end())
            result = 0;  // the dialog destroyed itself
        else if (it->second.ended)
            result = it->second.result;
    }
    if (disabledOwner)
        EnableWindow(owner, TRUE);
    if (dialog && IsWindow(dialog)) {
        ShowWindow(dialog, SW_HIDE);
        DestroyWindow(dialog);
    }
    return result;
}

bool Win32DialogEnded(HWND dialog) {
    const auto it = Dialogs().find(dialog);
    return it == Dialogs().end() || it->second.ended;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    const auto it = Dialogs().find(dialog);
    if (it == Dialogs().end())
        return FALSE;
    it->second.ended = true;
    it->second.result = result;
    if (!it->second.modal)
        ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
    const Win32WindowPtr w = Win32FindWindow(dialog);
    if (!w)
        return nullptr;
    for (HWND child : w->m_children)
        if (const Win32WindowPtr c = Win32FindWindow(child))
            if (c->m_id == id)
                return child;
    return nullptr;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
    const HWND item = GetDlgItem(dialog, id);
    if (buffer && size > 0)
        buffer[0] = '\0';
    return item ? static_cast<UINT>(GetWindowTextA(item, buffer, size)) : 0;
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    const HWND item = GetDlgItem(dialog, id);
    return item ? SetWindowTextA(item, text) : FALSE;
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    char text[16];
    if (isSigned)
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    else
        std::snprintf(text, sizeof text, "%u", value);
    return SetDlgItemTextA(dialog, id, text);
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND item = GetDlgItem(dialog, id);
    return item ? SendMessageA(item, message, wParam, lParam) : 0;
}
