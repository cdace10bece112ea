// The Win32 stand-in's test API: the clock, the screen, and a driver that
// pumps messages, moves time and makes input as a user would. Ours, not
// Win32's; no file under src/ includes it.
#pragma once

#ifndef TINTSCOPE_WIN32_DRIVER
#error "win32_driver.h is the stand-in's test API: only platform/win32's driver, tests, platform/viewer and the program include it"
#endif

#include "win32/win32.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
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
// Once *flag is non-zero (a signal handler set it), the next PeekMessageA or
// Pump runs action first, once: the program turns a signal into a click
// there, where work polls for messages. An empty action stops watching.
void WatchInterrupt(const volatile std::sig_atomic_t* flag, std::function<void()> action);

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

// ---- dialogs and controls ---------------------------------------------------
// Each queues what a user's hand would (take effect when pumped): a click at
// the button's centre; a choice from a combo box's list; a click or double
// click on a list item at x in the item (0 its left edge when unscrolled),
// after scrolling the item and x into view as a user would.
void PressButton(HWND button);
void ChooseComboEntry(HWND combo, int index);
void ClickListItem(HWND list, int index, int x);
void DoubleClickListItem(HWND list, int index, int x);
// Scripts for the modal dialogs to come, first in first out: when
// DialogBoxParamA has shown its dialog it runs the next script with the
// dialog, then dispatches until EndDialog, or until nothing is left to come
// without time passing (the dialog then ends with -1). With no script left
// it ends at once with -1.
void OnModalDialog(std::function<void(HWND dialog)> script);
// The template ids of every DialogBoxParamA since the last clear.
std::vector<UINT> ModalDialogs();
void ClearModalDialogs();

// ---- colour chooser -------------------------------------------------------
// Answers for ChooseColorA, first in first out: a colour confirms it, a
// cancel (or no script left) answers FALSE.
void ScriptColor(COLORREF color);
void ScriptColorCancel();
struct ColorRequest {
    HWND m_owner;
    COLORREF m_initial;
    DWORD m_flags;
};
std::vector<ColorRequest> ColorRequests();
void ClearColorScripts();  // scripts and requests

// ---- what the windows show ------------------------------------------------
// One line per window, the window and then its children in creation order,
// two blanks of indent a level: class, id, enabled, visible, text, and a
// control's state (selection and items, a static's image). No handles, so
// the same windows give the same text on every run.
std::string DumpTree(HWND window);

// Rows top to bottom of width * channels bytes: RGBA (4) or grey (1).
struct Image {
    int m_width = 0;
    int m_height = 0;
    int m_channels = 4;
    std::vector<uint8_t> m_pixels;
};
// The window's client area as its surface holds it, RGBA, alpha 255.
Image Snapshot(HWND window);
// PNG through libpng; false (with nothing left behind) when it cannot write.
bool WritePng(const std::string& path, const Image& image);
// The same for rows held elsewhere: height rows of width * channels bytes,
// rowBytes apart (0: width * channels), so a window of a larger image needs
// no copy. why, when given, gets libpng's reason for a failure (the
// system's words for a full disk, a missing folder).
bool WritePng(const std::string& path, int width, int height, int channels, const uint8_t* pixels,
              size_t rowBytes = 0, std::string* why = nullptr);
// The same into a stream open for writing, which stays open (flushed); a
// failure may leave part of a file in it.
bool WritePng(std::FILE* file, int width, int height, int channels, const uint8_t* pixels, size_t rowBytes = 0,
              std::string* why = nullptr);

// ---- files -----------------------------------------------------------------
// Runs action once, at the start of the next MoveFileExA or ReplaceFileA,
// with the name being replaced: a save held at its rename.
void AtFileRename(std::function<void(const std::string& to)> action);

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
