#include "Exchange/XCHG/XCHG_Dialog.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_DebugLog.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "Exchange/XCHG/XCHG_WinCalls.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "hostpdf/PDFL_ExceptionHandler.h"

#include <new>

namespace {

constexpr PDFL_ErrorCode kBadAllocHostError = 0x40000001;

}  // namespace

XCHG_Dialog::~XCHG_Dialog() {
    Destroy();
    HWND window = m_dialogWindow;
    m_dialogWindow = nullptr;
    if (window && IsWindow(window) && FromWindow(window) == this)
        DestroyWindow(window);
}

void XCHG_Dialog::Create(uint16_t resourceId, int32_t, bool modal, uint32_t) {
    m_modal = modal;
    if (modal) {
        GLIB_ASSERT(!"Modal dialogs not implemented for Windows platform");
        return;
    }
    m_resourceModule = XCHG_AVWindowObj::ResourceModule();
    const auto param = reinterpret_cast<LPARAM>(this);
    HWND window = CreateDialogParamA(m_resourceModule, MAKEINTRESOURCEA(resourceId),
                                     gXCHG_MainWindow, &DialogProc, param);
    if (!window) {
        // A locale library may lack the template: the plug-in has them all.
        m_resourceModule = gXCHG_ModuleInstance;
        window = CreateDialogParamA(m_resourceModule, MAKEINTRESOURCEA(resourceId),
                                    gXCHG_MainWindow, &DialogProc, param);
    }
    XCHG_WinAppRegisterModelessDialog(window);
}

void XCHG_Dialog::DidActivate() {
    XCHG_AVWindowBecomeKey(HostWindow());
}

INT_PTR XCHG_Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PDFL_ErrorCode code = 0;
    try {
        if (message == WM_INITDIALOG) {
            auto* dialog = reinterpret_cast<XCHG_Dialog*>(lParam);
            dialog->m_dialogWindow = window;
            dialog->CreateFromPlatformWindow(window, 0, 0);
            return 1;
        }
        auto* dialog = dynamic_cast<XCHG_Dialog*>(FromWindow(window));
        if (!dialog)
            return 0;  // before WM_INITDIALOG
        return dialog->DialogMessage(message, wParam, lParam);
    } catch (const GLIB_Exception& exception) {
        code = static_cast<PDFL_ErrorCode>(exception.Code());
    } catch (const std::bad_alloc&) {
        code = kBadAllocHostError;
    } catch (...) {
        if (PDFL_IsHostRaise())
            throw;
        XCHG_DebugPrint("%s::%s caught an unknown exception\n", "XCHG_Dialog", "DlgProc");
        code = kBadAllocHostError;
    }
    // Raised after the catch block: the host's raise may jump.
    iPDFL_RaiseHostError(code);
    return 0;
}

LRESULT XCHG_Dialog::DialogMessage(UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_COMMAND)
        return 0;
    const WORD notification = HIWORD(wParam);
    if (notification == 0 || notification == 1)
        Command(LOWORD(wParam), 0);
    return 1;
}

LRESULT XCHG_Dialog::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
    case WM_MOVE:
    case WM_SIZE:
    case WM_ACTIVATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_CLOSE:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_TIMER:
    case WM_SIZING:
    case WM_MOVING:
        return XCHG_AVWindowObj::WindowProc(window, message, wParam, lParam);
    default:
        // The dialog manager, which calls the dialog procedure.
        return XCHG_WinWindowSubclass::WindowProc(window, message, wParam, lParam);
    }
}

UINT XCHG_Dialog::ItemText(uint16_t id, char* buffer, int size) {
    return GetDlgItemTextA(m_dialogWindow, id, buffer, size);
}

void XCHG_Dialog::SetItemInt(uint16_t id, int32_t value) {
    SetDlgItemInt(m_dialogWindow, id, static_cast<UINT>(value), TRUE);
}

void XCHG_Dialog::PutItemText(uint16_t id, const char* text) {
    SetDlgItemTextA(m_dialogWindow, id, text);
}

void XCHG_Dialog::EnableItem(uint16_t id) {
    EnableWindow(ItemHandle(id), TRUE);
}

void XCHG_Dialog::DisableItem(uint16_t id) {
    EnableWindow(ItemHandle(id), FALSE);
}

void XCHG_Dialog::ShowItem(uint16_t id) {
    ShowWindow(ItemHandle(id), SW_SHOW);
}

void XCHG_Dialog::HideItem(uint16_t id) {
    ShowWindow(ItemHandle(id), SW_HIDE);
}

void XCHG_Dialog::SetItemText(uint16_t id, const char* text) {
    SetDlgItemTextA(m_dialogWindow, id, text);
}

HWND XCHG_Dialog::ItemHandle(uint16_t id) const {
    return GetDlgItem(m_dialogWindow, id);
}

LRESULT XCHG_Dialog::SendItem(uint16_t id, UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendDlgItemMessageA(m_dialogWindow, id, message, wParam, lParam);
}

LRESULT XCHG_Dialog::ComboSelection(uint16_t id) const {
    return SendItem(id, CB_GETCURSEL, 0, 0);
}

void XCHG_Dialog::SetComboSelection(uint16_t id, WPARAM index) {
    SendItem(id, CB_SETCURSEL, index, 0);
}

void XCHG_Dialog::AppendComboString(uint16_t id, const char* text) {
    const auto count = static_cast<WPARAM>(SendItem(id, CB_GETCOUNT, 0, 0));
    SendItem(id, CB_INSERTSTRING, count, reinterpret_cast<LPARAM>(text));
}

void XCHG_Dialog::ResetCombo(uint16_t id) {
    SendItem(id, CB_RESETCONTENT, 0, 0);
}

LRESULT XCHG_Dialog::ListItemData(uint16_t id, WPARAM index) const {
    return SendItem(id, LB_GETITEMDATA, index, 0);
}

void XCHG_Dialog::SetListItemData(uint16_t id, WPARAM index, LPARAM data) {
    SendItem(id, LB_SETITEMDATA, index, data);
}

void XCHG_Dialog::AddListString(uint16_t id, LPARAM textOrData) {
    SendItem(id, LB_ADDSTRING, 0, textOrData);
}

void XCHG_Dialog::ResetList(uint16_t id) {
    SendItem(id, LB_RESETCONTENT, 0, 0);
}
