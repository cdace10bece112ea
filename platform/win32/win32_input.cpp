// Mouse and keyboard input: a queue of hardware events, each routed to its
// window when it comes to the front (capture, hit testing, double clicks),
// and the driver calls that make the events.
#include "win32/win32_clock.h"
#include "win32/win32_driver.h"
#include "win32/win32_window_table.h"

#include <deque>

POINT Win32CursorPos();

namespace {

using Win32Driver::Button;

constexpr uint64_t DoubleClickTime = 500;

struct Event {
    enum class Kind { Press, Release, KeyDown, KeyUp } kind;
    Button button;
    POINT point;
    WORD key;
    uint64_t time;
    bool routed;  // message below holds the routing, made once
    bool dropped;
    MSG message;
};

struct LastPress {
    bool valid = false;
    HWND window = nullptr;
    Button button = Button::Left;
    POINT point{};
    uint64_t time = 0;
};

std::deque<Event>& Events() {
    static auto* events = new std::deque<Event>;
    return *events;
}

LastPress g_lastPress;
POINT g_cursor{};
WPARAM g_buttonsDown = 0;

WPARAM ButtonFlag(Button b) {
    return b == Button::Left ? MK_LBUTTON : b == Button::Right ? MK_RBUTTON : MK_MBUTTON;
}

UINT ButtonMessage(Button b, bool down, bool dblclk, bool client) {
    const UINT base = b == Button::Left ? WM_LBUTTONDOWN : b == Button::Right ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    const UINT ncBase = b == Button::Left ? WM_NCLBUTTONDOWN : b == Button::Right ? WM_NCRBUTTONDOWN : WM_NCMBUTTONDOWN;
    const UINT offset = dblclk ? 2 : down ? 0 : 1;
    return (client ? base : ncBase) + offset;
}

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

struct Hit {
    HWND window = nullptr;
    LRESULT code = HTNOWHERE;
    bool dropped = false;
};

// The deepest visible window under the point, children before their parent,
// top of the z-order first; HTTRANSPARENT passes to the window beneath.
Hit FindTarget(const std::vector<HWND>& windows, POINT p, bool topLevel) {
    for (HWND h : std::vector<HWND>(windows)) {
        const Win32WindowPtr w = Win32FindWindow(h);
        if (!w || !(w->m_style & WS_VISIBLE) || !Inside(Win32ScreenRect(*w), p))
            continue;
        if (w->m_style & WS_DISABLED) {
            if (topLevel)
                return {nullptr, HTNOWHERE, true};
            continue;
        }
        const POINT origin = Win32ClientOrigin(*w);
        const POINT size = Win32ClientSize(*w);
        if (Inside({origin.x, origin.y, origin.x + size.x, origin.y + size.y}, p)) {
            const Hit inner = FindTarget(w->m_children, p, false);
            if (inner.window || inner.dropped)
                return inner;
        }
        const LRESULT code = Win32Deliver(h, WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
        if (code == HTTRANSPARENT || !Win32FindWindow(h))
            continue;
        return {h, code, false};
    }
    return {};
}

LPARAM ClientPoint(HWND window, POINT p) {
    ScreenToClient(window, &p);
    return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
}

bool IsDoubleClick(const Event& e, HWND window) {
    const Win32WindowPtr w = Win32FindWindow(window);
    const int cx = GetSystemMetrics(SM_CXDOUBLECLK), cy = GetSystemMetrics(SM_CYDOUBLECLK);
    const RECT around{g_lastPress.point.x - cx / 2, g_lastPress.point.y - cy / 2, g_lastPress.point.x + cx / 2,
                      g_lastPress.point.y + cy / 2};
    return w && (w->m_classStyle & CS_DBLCLKS) && g_lastPress.valid && g_lastPress.window == window &&
           g_lastPress.button == e.button && e.time - g_lastPress.time <= DoubleClickTime && Inside(around, e.point);
}

void RouteMouse(Event& e) {
    const bool down = e.kind == Event::Kind::Press;
    const WPARAM buttons = down ? (g_buttonsDown | ButtonFlag(e.button)) : (g_buttonsDown & ~ButtonFlag(e.button));
    Hit hit;
    if (const HWND capture = GetCapture())
        hit = {capture, HTCLIENT, false};
    else
        hit = FindTarget(Win32TopLevel(), e.point, true);
    if (!hit.window) {
        e.dropped = true;
        return;
    }
    const bool client = hit.code == HTCLIENT;
    const bool dblclk = down && client && IsDoubleClick(e, hit.window);
    e.message = MSG{hit.window, ButtonMessage(e.button, down, dblclk, client), client ? buttons : static_cast<WPARAM>(hit.code),
                    client ? ClientPoint(hit.window, e.point) : MAKELPARAM(static_cast<WORD>(e.point.x), static_cast<WORD>(e.point.y)),
                    0, e.point};
}

void RouteKey(Event& e) {
    const HWND focus = GetFocus();
    if (!focus) {
        e.dropped = true;
        return;
    }
    const bool down = e.kind == Event::Kind::KeyDown;
    e.message = MSG{focus, down ? WM_KEYDOWN : WM_KEYUP, e.key, down ? LPARAM{1} : LPARAM{static_cast<LPARAM>(0xC0000001u)},
                    0, g_cursor};
}

void Route(Event& e) {
    if (e.routed)
        return;
    e.routed = true;
    if (e.kind == Event::Kind::Press || e.kind == Event::Kind::Release)
        RouteMouse(e);
    else
        RouteKey(e);
}

// What the system remembers once a routed event is taken.
void Consume(const Event& e) {
    if (e.kind == Event::Kind::Press || e.kind == Event::Kind::Release) {
        g_cursor = e.point;
        if (e.kind == Event::Kind::Press)
            g_buttonsDown |= ButtonFlag(e.button);
        else
            g_buttonsDown &= ~ButtonFlag(e.button);
    }
    const UINT m = e.message.message;
    const bool press = m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN;
    const bool dblclk = m == WM_LBUTTONDBLCLK || m == WM_RBUTTONDBLCLK || m == WM_MBUTTONDBLCLK;
    if (press)
        g_lastPress = {true, e.message.hwnd, e.button, e.point, e.time};
    else if (dblclk || e.kind == Event::Kind::Press)
        g_lastPress = {};  // a third press starts again
}

void Queue(Event::Kind kind, Button button, POINT point, WORD key) {
    Events().push_back({kind, button, point, key, Win32ClockNow(), false, false, {}});
}

POINT ScreenPoint(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    return p;
}

}  // namespace

POINT Win32CursorPos() { return g_cursor; }

bool Win32NextInput(HWND filter, UINT first, UINT last, bool remove, MSG* message) {
    std::deque<Event>& events = Events();
    while (!events.empty()) {
        Event& e = events.front();
        Route(e);
        if (e.dropped) {  // no window takes it
            Consume(e);
            events.pop_front();
            continue;
        }
        const bool forFilter = filter == nullptr || filter == e.message.hwnd;
        const bool inRange = (first == 0 && last == 0) || (e.message.message >= first && e.message.message <= last);
        if (!forFilter || !inRange)
            return false;  // later input waits behind it
        *message = e.message;
        if (remove) {
            Consume(e);
            events.pop_front();
        }
        return true;
    }
    return false;
}

void Win32ForgetInputWindow(HWND window) {
    if (g_lastPress.window == window)
        g_lastPress = {};
    for (Event& e : Events())
        if (e.routed && e.message.hwnd == window)
            e.routed = false, e.dropped = false;
}

namespace Win32Driver {

void PressAt(POINT screen, Button button) { Queue(Event::Kind::Press, button, screen, 0); }
void ReleaseAt(POINT screen, Button button) { Queue(Event::Kind::Release, button, screen, 0); }

void ClickAt(POINT screen, Button button) {
    PressAt(screen, button);
    ReleaseAt(screen, button);
}

void DoubleClickAt(POINT screen) {
    ClickAt(screen);
    ClickAt(screen);
}

void Press(HWND window, int x, int y, Button button) { PressAt(ScreenPoint(window, x, y), button); }
void Release(HWND window, int x, int y, Button button) { ReleaseAt(ScreenPoint(window, x, y), button); }
void Click(HWND window, int x, int y, Button button) { ClickAt(ScreenPoint(window, x, y), button); }
void DoubleClick(HWND window, int x, int y) { DoubleClickAt(ScreenPoint(window, x, y)); }

void KeyDown(WORD virtualKey) { Queue(Event::Kind::KeyDown, Button::Left, {}, virtualKey); }
void KeyUp(WORD virtualKey) { Queue(Event::Kind::KeyUp, Button::Left, {}, virtualKey); }

void Key(WORD virtualKey) {
    KeyDown(virtualKey);
    KeyUp(virtualKey);
}

}  // namespace Win32Driver
