// The host's windows (AcroView 182 to 203): each over a Win32 stand-in
// window, with the handler record of its owner and owner data. The host
// subclasses every platform window it binds (first, before its owner may)
// and turns WM_LBUTTONDOWN, WM_RBUTTONDOWN and WM_MBUTTONDOWN into the
// handler's MouseDown and WM_KEYDOWN into KeyDown; a window whose platform
// window is destroyed (WM_NCDESTROY) is forgotten. The events the host
// starts itself are below. A handle not alive is a VIEW_AssertionFailure.
#pragma once

#include "viewer/host_api.h"
#include "win32/win32.h"

#include <cstddef>
#include <vector>

class VIEW_Windows {
public:
    // AcroView 182: over a new hidden overlapped window of the host's own.
    static PDFL_AVWindow New(PDFL_AVWindowHandlerRec* handler);
    // AcroView 183: over platformWindow.
    static PDFL_AVWindow NewFromPlatformThing(PDFL_AVWindowHandlerRec* handler,
                                              HWND platformWindow);
    // AcroView 184: the handler's DestroyPlatformThing (window, platform
    // window), else for a window of the host's own DestroyWindow; then the
    // window is forgotten. Re-entered for the same window (from a callback
    // of its destruction) it does nothing.
    static void Destroy(PDFL_AVWindow window);

    static void Show(PDFL_AVWindow window);
    static void Hide(PDFL_AVWindow window);
    static PDFL_Bool IsVisible(PDFL_AVWindow window);
    static HWND PlatformThing(PDFL_AVWindow window);
    static void* OwnerData(PDFL_AVWindow window);
    static void SetOwnerData(PDFL_AVWindow window, void* data);
    static void SetTitle(PDFL_AVWindow window, const char* title);
    // Resizing as the host does it: the handler's WillBeResized may change
    // the frame or refuse (0); then the platform window takes the frame
    // (its messages tell a subclass) and, when the size changed, the
    // handler's DidResize sees it.
    static void SetFrame(PDFL_AVWindow window, const PDFL_AVRect& frame);
    // The client area in client coordinates.
    static PDFL_AVRect Interior(PDFL_AVWindow window);
    static void InvalidateRect(PDFL_AVWindow window, const PDFL_AVRect& rect);
    static void BecomeKey(PDFL_AVWindow window);

    // Events the host starts, each calling the handler's callback when set.
    static void MouseDown(PDFL_AVWindow window, int16_t x, int16_t y);
    static void KeyDown(PDFL_AVWindow window, uint16_t key);
    static void Draw(PDFL_AVWindow window, const PDFL_AVRect& update);
    // The message loop hands message to window; a host error raised out of
    // its procedures ends here, at the host's event.
    static LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // WillClose (quitting); when it agrees, DidClose, and the window is
    // forgotten. Returns whether it closed.
    static bool Close(PDFL_AVWindow window, PDFL_Bool quitting);

    // Win 1: the message loop serves the dialog from now on; a null window
    // is ignored, a window registered twice is served once.
    static void RegisterModelessDialog(HWND dialog);
    // The registered dialogs still alive, in registration order.
    static std::vector<HWND> ServedDialogs();

    // The living windows made by New, in the order they were made.
    static std::vector<PDFL_AVWindow> OwnWindows();
    static bool IsAlive(PDFL_AVWindow window);
    static size_t LiveCount();
    // The platform windows of the live windows, for a test to look at.
    static std::vector<HWND> PlatformWindows();
    // Destroys the host's own platform windows and forgets every window.
    static void Reset();
};
