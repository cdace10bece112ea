// What the control units share with the dialog manager and the driver.
// Internal to platform/win32.
#pragma once

#include "win32/win32.h"

#include <string>

// WM_COMMAND (id, code) from the control to its parent.
void Win32NotifyParent(HWND control, WORD code);
// Registers a control class at load time; the class keeps CS_DBLCLKS.
bool Win32RegisterControlClass(const char* name, WNDPROC procedure);

// One stable description of a control's state for DumpTree ("" when none):
// " sel=1 items=[\"a\",\"b\"]".
using Win32Describer = std::string (*)(HWND control);
void Win32AddDescriber(const char* className, Win32Describer describer);
std::string Win32DescribeControl(HWND control, const std::string& className);

// A user's choice from a combo box's list, posted to the combo box.
constexpr UINT Win32ComboChoose = 0x03F0;
// The client point of a list item at x (item coordinates, 0 at the item's
// left edge when unscrolled), after scrolling the list so that it shows it
// as a user would; false for a bad item.
bool Win32ListPointOfItem(HWND list, int index, int x, POINT* client);
