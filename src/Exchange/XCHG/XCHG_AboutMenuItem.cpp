#include "Exchange/XCHG/XCHG_AboutMenuItem.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_FreebieAboutDialog.h"

void XCHG_AboutMenuItem::Create(uint32_t titleStringId, XCHG_FreebieAboutDialog* dialog) {
    char suffix[256];
    CreateItem(titleStringId, SuffixWithName("ExtensionAbout", suffix), 0, 0, 0);
    const PDFL_AVMenuItem about =
        XCHG_AVMenubarAcquireMenuItemByName(XCHG_AVAppGetMenubar(), "AboutExtensions");
    // Without the host's item there is nothing to acquire or hand back.
    PDFL_AVMenu submenu = nullptr;
    if (about) {
        submenu = XCHG_AVMenuItemAcquireSubmenu(about);
        XCHG_AVMenuItemRelease(about);
    }
    if (submenu) {
        XCHG_AVMenuAddMenuItem(submenu, HostItem(), 9999);
        XCHG_AVMenuRelease(submenu);
    }
    m_dialog = dialog;
}

void XCHG_AboutMenuItem::Destroy() {
    m_dialog = nullptr;
    XCHG_AVMenuItemObj::Destroy();
}

void XCHG_AboutMenuItem::Execute() {
    if (m_dialog)
        m_dialog->Show();
}
