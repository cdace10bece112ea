// The modeless "Separations" window (dialog 401): resolution and
// magnification, the page's inks with swatch and tick, the status line and
// the Update/Stop button. The tool owns it, creates it when registered,
// shows it on activation and drives its status; the window forwards every
// user action to the tool. Closing it only hides it.
//
// The ink list (ZOVA_ColorDialog_InkList.cpp) is owner-drawn, 20 pixels an
// item: at the item's left l a swatch framed from l + 2 to l + 17, the tick
// box bitmap from l + 22, the name from l + 42. When the list reports a
// selection the last mouse release inside the item decides: on the tick box
// it toggles that ink, on the swatch a double click opens the colour
// chooser, anywhere else (or after a key press) nothing happens.
#pragma once

#include "Exchange/XCHG/XCHG_Dialog.h"
#include "Exchange/ZOVA/ZOVA_View.h"
#include "Exchange/ZOVA/ZOVA_WinHandleMouse.h"
#include "win32/win32.h"

#include <cstdint>

class ZOVA_ColorSepTool;
struct ZOVA_InkItem;

class ZOVA_ColorDialog : public XCHG_Dialog {
public:
    // Statuses: what the status line and the button say.
    enum : int32_t { StatusNeedsUpdate = 0, StatusReady = 1, StatusSeparating = 2,
                     StatusRendering = 3 };
    static constexpr int ItemHeight = 20;
    // Item-relative x ranges (inclusive) of the swatch and the tick box,
    // and where the name starts.
    static constexpr int SwatchLeft = 2, SwatchRight = 17;
    static constexpr int TickLeft = 22, TickRight = 37;
    static constexpr int NameLeft = 42;

    ZOVA_ColorDialog() = default;
    // DestroyDialog (a failure is logged), then the two tick bitmaps.
    ~ZOVA_ColorDialog() override;

    void SetTool(ZOVA_ColorSepTool* tool) { m_tool = tool; }
    ZOVA_ColorSepTool* Tool() const { return m_tool; }

    // Status texts 1405, 1406, 1403, 1404 and the button's 1408 or 1407;
    // the button is disabled only when ready. Any other value shows as 1.
    void SetStatus(int32_t status);
    int32_t Status() const { return m_status; }
    // Refills the controls from view: the resolution list when the view's
    // largest resolution differs, both selections, and the ink list with
    // swatches and ticks, item 0 selected.
    void UpdateFromView(ZOVA_View& view);
    // "Fit", then 150 dpi up to resolution index highest; the previous
    // selection is kept, lowered to highest when above it.
    void FillResolutionCombo(int32_t highest);
    int32_t ResolutionLimit() const { return m_resolutionLimit; }
    // The Stop button's window (null without a dialog window).
    HWND StopButton() const;
    // The host window and its callbacks, then the dialog window itself, so
    // that its ink records are deleted and no window calls this object (or
    // this module's code) again.
    void DestroyDialog();

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    // Texts, the ink list's mouse tracker, the magnification list and the
    // resolution list up to 2400 dpi.
    void DidCreate() override;
    // Hides instead of closing unless the host quits.
    PDFL_Bool WillClose(PDFL_Bool quitting) override;
    // A visible window with a front document picks its tool.
    void DidBecomeKey() override;
    // The tool lets its windows go and the host's default tool takes over.
    void DidHide() override;
    void WillShow() override;
    // 1002 resolution (Fit resets and disables magnification and the frame
    // drag), 1020 magnification, 1022 Stop while working sets the cancel
    // flag, else Update (forced).
    void Command(uint16_t id, int32_t unused) override;

private:
    // ---- The ink list (ZOVA_ColorDialog_InkList.cpp)
    void FillInkList(ZOVA_View& view);
    void LoadTickBitmaps();
    LRESULT DrawInkItem(const DRAWITEMSTRUCT& item);
    void DeleteInkItem(const DELETEITEMSTRUCT& item);
    // LBN_SELCHANGE or LBN_DBLCLK from the list.
    void InkListNotified(WORD notification);
    void ToggleInk(int32_t index, ZOVA_InkItem& record);
    // False when the user cancelled.
    bool ChooseInkColor(int32_t index, ZOVA_InkItem& record);
    void ResolutionChosen();

    ZOVA_WinHandleMouse m_inkListMouse;
    HBITMAP m_tickedBitmap = nullptr;
    HBITMAP m_untickedBitmap = nullptr;
    ZOVA_ColorSepTool* m_tool = nullptr;
    int32_t m_status = StatusNeedsUpdate;
    int32_t m_resolutionLimit = 0;
};
