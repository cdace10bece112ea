// The plug-in's cancel core: each poll lets at most one pending message of
// the Stop button's window through, so that a click on Stop is seen while
// the work runs on the one user-interface thread. No other window is
// pumped, so no other part of the plug-in is re-entered.
#pragma once

#include "GLIB/GLIB_CancelMgr.h"
#include "win32/win32.h"

#include <functional>

class ZOVA_CancelMgrCore : public GLIB_CancelMgrCore {
public:
    // stopButton answers the Stop button's current window (null while the
    // Separations window has none); the window is looked up at each poll
    // because the dialog is made again at each activation.
    explicit ZOVA_CancelMgrCore(std::function<HWND()> stopButton);

protected:
    // Nothing once the flag is set; else one PM_REMOVE peek of the button's
    // messages, translated and dispatched.
    void Poll() override;

private:
    std::function<HWND()> m_stopButton;
};
