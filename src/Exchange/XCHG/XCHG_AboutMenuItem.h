// The About item: at the end of the submenu of the host's "AboutExtensions"
// item (in no menu when the host has none); choosing it shows the About box.
#pragma once

#include "Exchange/XCHG/XCHG_AVMenuItemObj.h"

class XCHG_FreebieAboutDialog;

class XCHG_AboutMenuItem : public XCHG_AVMenuItemObj {
public:
    ~XCHG_AboutMenuItem() override { Destroy(); }

    // The dialog is not owned.
    void Create(uint32_t titleStringId, XCHG_FreebieAboutDialog* dialog);
    void Destroy();
    // Shows the dialog when one is set.
    void Execute() override;

private:
    XCHG_FreebieAboutDialog* m_dialog = nullptr;
};
