// The tool's two windows as the program drives them, like a user's hand: the
// Separations window (dialog 401) with its lists, status line and Update
// button, and the view window the host made for the tool.
#pragma once

#include "viewer/host_api.h"
#include "win32/win32.h"

#include <string>
#include <vector>

class VIEW_ProgramWindows {
public:
    // Finds the shown Separations window and the host's own shown window;
    // false when either is missing.
    bool Find();
    HWND Dialog() const { return m_dialog; }
    HWND ViewPlatformWindow() const;

    // The view window's interior width x height, at the screen's top-left.
    void Arrange(int width, int height);
    // The highest resolution index the resolution list offers.
    int HighestResolution() const;
    int ResolutionChoice() const;
    void ChooseResolution(int index);
    void ChooseMagnification(int index);
    void PressUpdate();
    // The same button, which reads "Stop" while the tool works.
    void PressStop();
    std::string Status() const;
    // A click on the tick box of ink index.
    void ClickTick(int index);

private:
    HWND Item(int id) const { return GetDlgItem(m_dialog, id); }
    // Above the view window, so that clicks meant for it land on it.
    void RaiseDialog() const;

    HWND m_dialog = nullptr;
    PDFL_AVWindow m_view = nullptr;
};

// Retrieves and dispatches everything the windows have queued, recording no
// slot calls (a page of many objects makes millions); the calls recorded
// before are cleared.
void VIEW_ProgramPump();
