// The Win32 stand-in's test API: the clock, the screen, and a driver that
// pumps messages, moves time and makes input as a user would. Ours, not
// Win32's; no file under src/ includes it.
#pragma once

#ifndef TINTSCOPE_WIN32_DRIVER
#error "win32_driver.h is the stand-in's test API: only platform/win32's driver, tests, platform/viewer and the program include it"
#endif

#include "win32/win32.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Win32Driver {

// ---- clock ----------------------------------------------------------------
// Test executables switch to the test clock at start-up (test_support); the
// program stays on real time. On the test clock time starts at 0 and moves
// only by Sleep (which is recorded and returns at once) and Advance.
void UseTestClock();
bool OnTestClock();
uint64_t Now();  // milliseconds
std::vector<DWORD> SleepCalls();
void ClearSleepCalls();

// ---- screen ---------------------------------------------------------------
// GetSystemMetrics(SM_CXSCREEN / SM_CYSCREEN); 1024 x 768 until set.
void SetScreenSize(int width, int height);

// ---- messages and time ----------------------------------------------------
// Retrieves and dispatches (with TranslateMessage) until no posted message,
// input, paint or due timer is left.
void Pump();
// Moves the clock to each timer that falls due within ms, in turn, pumping
// after each as a running loop would; then to the end of ms and pumps.
void Advance(DWORD ms);
// Runs action at the start of the n-th PeekMessageA call from now (n >= 1),
// before it looks at the queue: a click while work polls for messages.
void AtPeek(unsigned n, std::function<void()> action);

// ---- input ----------------------------------------------------------------
// Queued as the hardware would; routed (capture, hit testing, double clicks)
// when retrieved. Points are screen points, or a window's client points.
enum class Button { Left, Right, Middle };
void PressAt(POINT screen, Button button = Button::Left);
void ReleaseAt(POINT screen, Button button = Button::Left);
void ClickAt(POINT screen, Button button = Button::Left);
void DoubleClickAt(POINT screen);
void Press(HWND window, int x, int y, Button button = Button::Left);
void Release(HWND window, int x, int y, Button button = Button::Left);
void Click(HWND window, int x, int y, Button button = Button::Left);
void DoubleClick(HWND window, int x, int y);
void KeyDown(WORD virtualKey);
void KeyUp(WORD virtualKey);
void Key(WORD virtualKey);  // down, then up
// The system menu's Close: WM_SYSCOMMAND SC_CLOSE, whose default answer sends
// WM_CLOSE.
void Close(HWND window);

// ---- message log ----------------------------------------------------------
// While on, every message delivered to a window procedure adds one line to
// that window's log: "NAME wParam lParam", numbers in hexadecimal, the name
// "0x...." for a number without one. Logs outlive their windows.
void StartLog();  // clears and turns on
void StopLog();   // turns off and clears
std::vector<std::string> Log(HWND window);
// Only the names, in order.
std::vector<std::string> LogNames(HWND window);
std::string MessageName(UINT message);

// ---- shell folders and message boxes ---------------------------------------
// The folder CSIDL_APPDATA names (a POSIX path); empty goes back to the
// default ($XDG_CONFIG_HOME/tintscope, else $HOME/.config/tintscope).
void SetAppDataFolder(const std::string& folder);
// Fault switches: the next calls of each fail until switched off.
void FailSpecialFolderLocation(bool fail);
void FailPathFromIDList(bool fail);
struct MessageBoxCall {
    HWND m_owner;
    std::string m_text;
    std::string m_caption;
    UINT m_type;
};
std::vector<MessageBoxCall> MessageBoxes();
void ClearMessageBoxes();

}  // namespace Win32Driver
