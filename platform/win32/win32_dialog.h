// What the dialog manager shares with the driver. Internal to platform/win32.
#pragma once

#include "win32/win32_window_table.h"

// True once EndDialog ran for the dialog, or when it is gone.
bool Win32DialogEnded(HWND dialog);
// The driver's side of a modal loop: runs the dialog's script, then
// dispatches until the dialog ends, is destroyed, or nothing is left to come.
void Win32RunModalLoop(HWND dialog, UINT id);
void Win32RecordModalDialog(UINT id);
