// A host window as an object: fills the host's window handler record with
// trampolines that find the object through the window's owner data, creates
// the host window, and subclasses its platform window so that Windows
// messages reach the same virtual operations. Dialogs and the plug-in's
// windows derive from it.
#pragma once

#include "Exchange/XCHG/XCHG_WinWindowSubclass.h"
#include "viewer/host_api.h"
#include "win32/win32.h"

#include <cstdint>

class XCHG_AVWindowObj : public XCHG_WinWindowSubclass {
public:
    // The timer every window runs from its creation (messages only).
    static constexpr UINT_PTR TimerID = 0xFFFFFFFF;
    static constexpr UINT TimerPeriod = 100;

    XCHG_AVWindowObj();
    // Destroy, then the base unsubclasses a living window.
    ~XCHG_AVWindowObj() override;

    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual HMODULE ResourceModule();
    // Asserts IsAlive(); WillShow when not visible yet, then shows.
    virtual void Show();
    virtual void DidCreate() {}
    virtual void WillDestroy() {}
    virtual void MouseDown(int16_t /*x*/, int16_t /*y*/, void* /*event*/) {}
    virtual PDFL_Bool WillClose(PDFL_Bool /*quitting*/) { return 1; }
    virtual void DidActivate() {}
    virtual void DidBecomeKey() {}
    virtual void DidClose() {}
    virtual void DidMove(const PDFL_AVRect& /*frame*/) {}
    virtual void DidHide() {}
    virtual void KeyDown(uint16_t /*key*/, void* /*event*/) {}
    virtual void WillResignKey() {}
    virtual void WillShow() {}
    virtual void WillDeactivate() {}
    virtual void Draw(const PDFL_AVRect& /*update*/) {}
    virtual PDFL_Bool WillBeResized(PDFL_AVRect& /*proposed*/) { return 1; }
    virtual PDFL_Bool PerformEditOp(PDFL_ASAtom /*operation*/) { return 0; }
    virtual PDFL_Bool CanPerformEditOp(PDFL_ASAtom /*operation*/) { return 0; }
    // Sets the standard arrow cursor.
    virtual PDFL_Bool AdjustCursor(int16_t x, int16_t y);
    virtual void DidResize(const PDFL_AVRect& /*frame*/) {}
    // Destroys the platform window when it is this object's own.
    virtual void DestroyPlatformThing(HWND platformWindow);

    // Destroys any previous window; callbacks, host window, owner data,
    // the timer, the subclass, then DidCreate.
    void Create(int32_t layer, uint32_t flags);
    // The same around an existing platform window.
    void CreateFromPlatformWindow(HWND platformWindow, int32_t layer, uint32_t flags);
    // WillDestroy; the host window is destroyed once and forgotten; every
    // callback that exists is destroyed once.
    void Destroy();
    bool IsAlive() const { return m_hostWindow != nullptr; }
    PDFL_AVWindow HostWindow() const { return m_hostWindow; }
    const PDFL_AVWindowHandlerRec& HandlerRecord() const { return m_handler; }
    HWND PlatformWindow() const;
    // The platform window's screen rectangle as a host rectangle.
    void Frame(PDFL_AVRect& frame) const;
    void Interior(PDFL_AVRect& interior) const;
    void InteriorSize(int16_t& width, int16_t& height) const;
    void SetInteriorSize(int16_t width, int16_t height);
    // Grows the interior rectangle to a window size and applies it.
    void SizeToInterior(const PDFL_AVRect& interior);
    void InvalidateRect(PDFL_AVRect& rect);
    bool IsVisible() const;
    void SetFrame(PDFL_AVRect& frame);
    void SetTitle(const char* title);
    // Asserts IsAlive(); hides, then DidHide.
    void Hide();

    // The host's callbacks (the window first), each under the callback
    // guard as "XCHG_AVWindowObj".
    static void PrivateMouseDown(PDFL_AVWindow window, int16_t x, int16_t y, void* event);
    static PDFL_Bool WillClose(PDFL_AVWindow window, PDFL_Bool quitting);
    static void PrivateDidClose(PDFL_AVWindow window);
    static void DidActivate(PDFL_AVWindow window);
    static void DidBecomeKey(PDFL_AVWindow window);
    static void PrivateKeyDown(PDFL_AVWindow window, uint16_t key, void* event);
    static void WillResignKey(PDFL_AVWindow window);
    static void WillDeactivate(PDFL_AVWindow window);
    static void PrivateDraw(PDFL_AVWindow window, PDFL_AVRect* update);
    static PDFL_Bool PrivateWillBeResized(PDFL_AVWindow window, PDFL_AVRect* proposed);
    static PDFL_Bool PerformEditOp(PDFL_AVWindow window, PDFL_ASAtom operation);
    static PDFL_Bool CanPerformEditOp(PDFL_AVWindow window, PDFL_ASAtom operation);
    static PDFL_Bool AdjustCursor(PDFL_AVWindow window, int16_t x, int16_t y);
    static void PrivateDidResize(PDFL_AVWindow window, PDFL_AVRect* frame);
    static void DestroyPlatformThing(PDFL_AVWindow window, PDFL_PlatformWindow platform);

private:
    static XCHG_AVWindowObj* FromHostWindow(PDFL_AVWindow window);
    void MakeCallbacks();
    void Bind(PDFL_AVWindow window, HWND platform);
    // The host window is forgotten before DidClose, so that whatever
    // DidClose sets off cannot destroy it again.
    void CloseSequence();
    PDFL_Bool ResizeStart(PDFL_AVRect& proposed);
    void ResizeEnd(const PDFL_AVRect& frame);
    LRESULT Paint(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    PDFL_AVWindow m_hostWindow = nullptr;
    PDFL_AVWindowHandlerRec m_handler;
    PDFL_AVRect m_savedFrame;
    HWND m_platformWindow = nullptr;
};
