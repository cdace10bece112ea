#include "Exchange/ZOVA/ZOVA_ColorDialog.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_ResourceScope.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"
#include "Exchange/ZOVA/ZOVA_InkSwatch.h"
#include "Exchange/ZOVA/ZOVA_Resources.h"
#include "GLIB/GLIB_Log.h"

#include <algorithm>

namespace {

constexpr size_t TextBytes = 256;
constexpr int32_t HighestResolution = 5;
constexpr int32_t MagnificationCount = 5;

struct StatusRow {
    uint16_t m_text;
    uint16_t m_button;
    bool m_enabled;
};

// Indexed by status; anything else shows as ready.
constexpr StatusRow StatusRows[] = {
    {ZOVA_StringNeedsUpdate, ZOVA_StringUpdate, true},
    {ZOVA_StringReady, ZOVA_StringUpdate, false},
    {ZOVA_StringSeparating, ZOVA_StringStop, true},
    {ZOVA_StringRendering, ZOVA_StringStop, true},
};

}  // namespace

ZOVA_ColorDialog::~ZOVA_ColorDialog() {
    try {
        DestroyDialog();
    } catch (...) {
        GLIB_LOG(GLIB_LogError, "ZOVA_ColorDialog: destroying the window failed");
    }
    if (m_tickedBitmap)
        XCHG_DeleteObject(m_tickedBitmap);
    if (m_untickedBitmap)
        XCHG_DeleteObject(m_untickedBitmap);
}

HWND ZOVA_ColorDialog::StopButton() const {
    return DialogWindow() ? ItemHandle(ZOVA_ItemUpdate) : nullptr;
}

void ZOVA_ColorDialog::DestroyDialog() {
    const HWND window = DialogWindow();
    Destroy();
    // The host leaves a dialog's window alone; its list still holds records
    // only this object deletes.
    if (window && IsWindow(window))
        DestroyWindow(window);
}

void ZOVA_ColorDialog::SetStatus(int32_t status) {
    m_status = status;
    if (!DialogWindow())
        return;
    const bool known = status >= StatusNeedsUpdate && status <= StatusRendering;
    const StatusRow& row = StatusRows[known ? status : StatusReady];
    char text[TextBytes];
    SetItemText(ZOVA_ItemStatus, XCHG_LoadString(row.m_text, text, sizeof text));
    SetItemText(ZOVA_ItemUpdate, XCHG_LoadString(row.m_button, text, sizeof text));
    if (row.m_enabled)
        EnableItem(ZOVA_ItemUpdate);
    else
        DisableItem(ZOVA_ItemUpdate);
}

void ZOVA_ColorDialog::FillResolutionCombo(int32_t highest) {
    const LRESULT previous = ComboSelection(ZOVA_ItemResolution);
    ResetCombo(ZOVA_ItemResolution);
    char text[TextBytes];
    AppendComboString(ZOVA_ItemResolution, XCHG_LoadString(ZOVA_StringFit, text, sizeof text));
    for (int32_t index = 1; index <= highest; ++index)
        AppendComboString(ZOVA_ItemResolution,
                          XCHG_LoadString(ZOVA_StringFirstDpi - 1 + index, text, sizeof text));
    m_resolutionLimit = highest;
    SetComboSelection(ZOVA_ItemResolution,
                      static_cast<WPARAM>(std::min<LRESULT>(previous, highest)));
}

void ZOVA_ColorDialog::UpdateFromView(ZOVA_View& view) {
    if (!DialogWindow())
        return;
    XCHG_ResourceScope scope(ResourceModule());
    if (view.MaxResolution() != m_resolutionLimit)
        FillResolutionCombo(view.MaxResolution());
    SetComboSelection(ZOVA_ItemResolution, static_cast<WPARAM>(view.Resolution()));
    SetComboSelection(ZOVA_ItemMagnification, static_cast<WPARAM>(view.Magnification()));
    FillInkList(view);
}

void ZOVA_ColorDialog::DidCreate() {
    char text[TextBytes];
    SetItemText(ZOVA_ItemStatus, XCHG_LoadString(ZOVA_StringNeedsUpdate, text, sizeof text));
    SetItemText(ZOVA_ItemUpdate, XCHG_LoadString(ZOVA_StringUpdate, text, sizeof text));
    m_inkListMouse.Forget();
    // The list asked its height while it was made, before this object was
    // bound to the window, and kept the font's: set the swatch row's now.
    SendMessageA(ItemHandle(ZOVA_ItemInkList), LB_SETITEMHEIGHT, 0, ItemHeight);
    m_inkListMouse.Subclass(ItemHandle(ZOVA_ItemInkList));
    const HWND magnification = ItemHandle(ZOVA_ItemMagnification);
    for (int32_t index = 0; index < MagnificationCount; ++index)
        SendMessageA(magnification, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(XCHG_LoadString(ZOVA_StringFirstMagnification + index,
                                                              text, sizeof text)));
    FillResolutionCombo(HighestResolution);
}

PDFL_Bool ZOVA_ColorDialog::WillClose(PDFL_Bool quitting) {
    if (quitting == 1)
        return 1;
    Hide();
    return 0;
}

void ZOVA_ColorDialog::DidBecomeKey() {
    if (IsVisible() && XCHG_AVAppGetActiveDoc() && m_tool && !m_tool->IsActive())
        XCHG_AVAppSetActiveTool(m_tool->HostTool(), 1);
}

void ZOVA_ColorDialog::DidHide() {
    if (m_tool)
        m_tool->WindowWillClose(this);
    XCHG_AVAppSetActiveTool(XCHG_AVAppGetDefaultTool(), 1);
}

void ZOVA_ColorDialog::WillShow() {
    if (m_tool)
        UpdateFromView(m_tool->CurrentView());
}

void ZOVA_ColorDialog::Command(uint16_t id, int32_t) {
    if (!m_tool)
        return;
    switch (id) {
    case ZOVA_ItemResolution:
        ResolutionChosen();
        return;
    case ZOVA_ItemMagnification: {
        const LRESULT index = ComboSelection(ZOVA_ItemMagnification);
        if (index >= 0)
            m_tool->SetMagnification(static_cast<int32_t>(index));
        return;
    }
    case ZOVA_ItemUpdate:
        if (m_status == StatusSeparating || m_status == StatusRendering) {
            // The work running below this click stops at its next poll.
            m_tool->SetCancelled(true);
            return;
        }
        m_tool->SetCancelled(false);
        m_tool->Update(true);
        return;
    default:
        return;
    }
}

void ZOVA_ColorDialog::ResolutionChosen() {
    const LRESULT index = ComboSelection(ZOVA_ItemResolution);
    if (index < 0)
        return;
    m_tool->SetResolution(static_cast<int32_t>(index));
    ZOVA_View& view = m_tool->CurrentView();
    if (view.Resolution() != ZOVA_View::FitResolution) {
        EnableItem(ZOVA_ItemMagnification);
        m_tool->SetDragEnabled(1);
        return;
    }
    // Magnification and dragging apply only to fixed resolutions.
    if (view.Magnification() != 0) {
        SetComboSelection(ZOVA_ItemMagnification, 0);
        m_tool->SetMagnification(0);
    }
    DisableItem(ZOVA_ItemMagnification);
    m_tool->SetDragEnabled(0);
}
