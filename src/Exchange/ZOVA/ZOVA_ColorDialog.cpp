#include "Exchange/ZOVA/ZOVA_ColorDialog.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"
#include "Exchange/ZOVA/ZOVA_Resources.h"

namespace {

constexpr size_t TextBytes = 256;

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

ZOVA_ColorDialog::~ZOVA_ColorDialog() = default;

HWND ZOVA_ColorDialog::StopButton() const {
    return DialogWindow() ? ItemHandle(ZOVA_ItemUpdate) : nullptr;
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

void ZOVA_ColorDialog::UpdateFromView(ZOVA_View&) {}

void ZOVA_ColorDialog::DidCreate() {
    char text[TextBytes];
    SetItemText(ZOVA_ItemStatus, XCHG_LoadString(ZOVA_StringNeedsUpdate, text, sizeof text));
    SetItemText(ZOVA_ItemUpdate, XCHG_LoadString(ZOVA_StringUpdate, text, sizeof text));
}

PDFL_Bool ZOVA_ColorDialog::WillClose(PDFL_Bool quitting) {
    if (quitting == 1)
        return 1;
    Hide();
    return 0;
}

void ZOVA_ColorDialog::DidHide() {
    if (m_tool)
        m_tool->WindowWillClose(this);
    XCHG_AVAppSetActiveTool(XCHG_AVAppGetDefaultTool(), 1);
}

void ZOVA_ColorDialog::Command(uint16_t id, int32_t) {
    if (id != ZOVA_ItemUpdate || !m_tool)
        return;
    if (m_status == StatusSeparating || m_status == StatusRendering) {
        // The work running below this click stops at its next poll.
        m_tool->SetCancelled(true);
        return;
    }
    m_tool->SetCancelled(false);
    m_tool->Update(true);
}
