// The modeless "Separations" window (dialog 401): resolution and
// magnification, the page's inks with swatch and tick, the status line and
// the Update/Stop button. The tool owns it, creates it when registered,
// shows it on activation and drives its status; the window forwards every
// user action to the tool. Closing it only hides it.
#pragma once

#include "Exchange/XCHG/XCHG_Dialog.h"
#include "Exchange/ZOVA/ZOVA_View.h"
#include "win32/win32.h"

#include <cstdint>

class ZOVA_ColorSepTool;

class ZOVA_ColorDialog : public XCHG_Dialog {
public:
    // Statuses: what the status line and the button say.
    enum : int32_t { StatusNeedsUpdate = 0, StatusReady = 1, StatusSeparating = 2,
                     StatusRendering = 3 };

    ZOVA_ColorDialog() = default;
    ~ZOVA_ColorDialog() override;

    void SetTool(ZOVA_ColorSepTool* tool) { m_tool = tool; }
    ZOVA_ColorSepTool* Tool() const { return m_tool; }

    // Status texts 1405, 1406, 1403, 1404 and the button's 1408 or 1407;
    // the button is disabled only when ready. Any other value shows as 1.
    void SetStatus(int32_t status);
    int32_t Status() const { return m_status; }
    // Refills the controls from view.
    void UpdateFromView(ZOVA_View& view);
    // The Stop button's window (null without a dialog window).
    HWND StopButton() const;

    void DidCreate() override;
    // Hides instead of closing unless the host quits.
    PDFL_Bool WillClose(PDFL_Bool quitting) override;
    // The tool lets its windows go and the host's default tool takes over.
    void DidHide() override;
    // 1022: Stop while working sets the cancel flag; else Update (forced).
    void Command(uint16_t id, int32_t unused) override;

private:
    ZOVA_ColorSepTool* m_tool = nullptr;
    int32_t m_status = StatusNeedsUpdate;
};
