// Mouse input of the stand-in: routing by hit testing and capture, client
// coordinates, double clicks, and the system menu's Close.
#include "win32/Win32TestWindow.h"

#include <algorithm>

TEST_F(Win32WindowTest, ClickGoesToTheDeepestWindowInClientCoordinates) {
    const HWND top = Make(WS_POPUP | WS_CAPTION | WS_VISIBLE, {100, 100, 400, 300});
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {10, 20, 110, 70}, top, WS_EX_NOPARENTNOTIFY);
    Win32Driver::Pump();
    Win32Driver::StartLog();
    // The child's client (0, 0) is at 100 + 3 + 10, 100 + 3 + 18 + 20 on the screen.
    Win32Driver::ClickAt({113 + 4, 141 + 6});
    Win32Driver::Pump();
    EXPECT_EQ(Mouse(child), (std::vector<std::string>{"WM_LBUTTONDOWN 0x1 0x60004", "WM_LBUTTONUP 0 0x60004"}));
    EXPECT_TRUE(Mouse(top).empty());
    // Beside the child the top-level window gets it, in its own client coordinates.
    Win32Driver::Click(top, 200, 5);
    Win32Driver::Pump();
    EXPECT_EQ(Mouse(top), (std::vector<std::string>{"WM_LBUTTONDOWN 0x1 0x500c8", "WM_LBUTTONUP 0 0x500c8"}));
    // On the caption it is a non-client click with the hit code and the screen point.
    Win32Driver::StartLog();
    Win32Driver::ClickAt({200, 110});
    Win32Driver::Pump();
    EXPECT_EQ(Mouse(top), (std::vector<std::string>{"WM_NCLBUTTONDOWN 0x2 0x6e00c8", "WM_NCLBUTTONUP 0x2 0x6e00c8"}));
    // Nothing under the point: the click is lost.
    Win32Driver::StartLog();
    Win32Driver::ClickAt({900, 900});
    Win32Driver::Pump();
    EXPECT_TRUE(Mouse(top).empty() && Mouse(child).empty());
}

TEST_F(Win32WindowTest, NegativeClientCoordinatesAreSignedWords) {
    const HWND top = Make(WS_POPUP | WS_VISIBLE, {100, 100, 400, 300});
    Win32Driver::Pump();
    SetCapture(top);
    Win32Driver::StartLog();
    Win32Driver::ClickAt({90, 95});
    Win32Driver::Pump();
    const std::vector<std::string> mouse = Mouse(top);
    ASSERT_EQ(mouse.size(), 2u);
    const LPARAM l = static_cast<LPARAM>(std::stoull(mouse[0].substr(mouse[0].rfind(' ') + 1), nullptr, 16));
    EXPECT_EQ(GET_X_LPARAM(l), -10);
    EXPECT_EQ(GET_Y_LPARAM(l), -5);
    ReleaseCapture();
}

TEST_F(Win32WindowTest, DoubleClicksNeedTheClassStyleTimeAndPlace) {
    const HWND plain = Make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    const HWND dbl = Make(WS_POPUP | WS_VISIBLE, {200, 0, 300, 100}, nullptr, 0, DoubleClicks);
    Win32Driver::Pump();
    Win32Driver::StartLog();
    Win32Driver::DoubleClick(dbl, 50, 50);
    Win32Driver::DoubleClick(plain, 50, 50);
    Win32Driver::Pump();
    EXPECT_EQ(Names(dbl, {"WM_NCHITTEST"}), (std::vector<std::string>{"WM_LBUTTONDOWN", "WM_LBUTTONUP",
                                                                       "WM_LBUTTONDBLCLK", "WM_LBUTTONUP"}));
    EXPECT_EQ(Names(plain, {"WM_NCHITTEST"}), (std::vector<std::string>{"WM_LBUTTONDOWN", "WM_LBUTTONUP",
                                                                         "WM_LBUTTONDOWN", "WM_LBUTTONUP"}));
    // Second press: time after the first, offset from it; the rectangle is 4 x 4 centred on the first press.
    const struct {
        DWORD wait;
        int dx, dy;
        bool dblclk;
    } cases[] = {
        {0, 0, 0, true},    {500, 0, 0, true},  {501, 0, 0, false}, {0, -2, -2, true},
        {0, 1, 1, true},    {0, 2, 0, false},   {0, 0, 2, false},   {0, -3, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.wait) + " ms, " + std::to_string(c.dx) + ", " + std::to_string(c.dy));
        Sleep(1000);  // no double click with what came before
        Win32Driver::Click(dbl, 50, 50);
        Win32Driver::Pump();
        Sleep(c.wait);
        Win32Driver::StartLog();
        Win32Driver::Click(dbl, 50 + c.dx, 50 + c.dy);
        Win32Driver::Pump();
        EXPECT_EQ(Names(dbl, {"WM_NCHITTEST"}).front(), c.dblclk ? "WM_LBUTTONDBLCLK" : "WM_LBUTTONDOWN");
    }
    // A third press after a double click starts again.
    Sleep(1000);
    Win32Driver::StartLog();
    Win32Driver::DoubleClick(dbl, 50, 50);
    Win32Driver::Click(dbl, 50, 50);
    Win32Driver::Pump();
    EXPECT_EQ(Names(dbl, {"WM_NCHITTEST", "WM_LBUTTONUP"}),
              (std::vector<std::string>{"WM_LBUTTONDOWN", "WM_LBUTTONDBLCLK", "WM_LBUTTONDOWN"}));
}

TEST_F(Win32WindowTest, TransparentAndDisabledWindowsPassTheClick) {
    const HWND top = Make(WS_POPUP | WS_VISIBLE, {0, 0, 300, 300});
    const HWND below = Make(WS_CHILD | WS_VISIBLE, {0, 0, 100, 100}, top, WS_EX_NOPARENTNOTIFY);
    const HWND label = Make(WS_CHILD | WS_VISIBLE, {0, 0, 50, 50}, top, WS_EX_NOPARENTNOTIFY);
    SetWindowPos(label, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const HWND disabled = Make(WS_CHILD | WS_VISIBLE | WS_DISABLED, {200, 200, 250, 250}, top, WS_EX_NOPARENTNOTIFY);
    On(label, WM_NCHITTEST, [](HWND, WPARAM, LPARAM) -> LRESULT { return HTTRANSPARENT; });
    Win32Driver::Pump();
    Win32Driver::StartLog();
    Win32Driver::Click(top, 10, 10);    // over the transparent label: the sibling beneath
    Win32Driver::Click(top, 60, 150);   // over nothing but top
    Win32Driver::Click(top, 210, 210);  // over the disabled child: its parent
    Win32Driver::Pump();
    EXPECT_TRUE(Mouse(label).empty());
    EXPECT_TRUE(Mouse(disabled).empty());
    EXPECT_EQ(Names(label), (std::vector<std::string>{"WM_NCHITTEST", "WM_NCHITTEST"}));  // press and release
    EXPECT_EQ(Mouse(below), (std::vector<std::string>{"WM_LBUTTONDOWN 0x1 0xa000a", "WM_LBUTTONUP 0 0xa000a"}));
    EXPECT_EQ(Mouse(top), (std::vector<std::string>{"WM_LBUTTONDOWN 0x1 0x96003c", "WM_LBUTTONUP 0 0x96003c",
                                                    "WM_LBUTTONDOWN 0x1 0xd200d2", "WM_LBUTTONUP 0 0xd200d2"}));
    // With the label transparent and the window beneath gone, the parent gets the click.
    DestroyWindow(below);
    Win32Driver::StartLog();
    Win32Driver::Click(top, 10, 10);
    Win32Driver::Pump();
    EXPECT_EQ(Mouse(top).size(), 2u);
    // A disabled top-level window gets nothing, and nothing beneath it does either.
    const HWND cover = Make(WS_POPUP | WS_VISIBLE | WS_DISABLED, {0, 0, 100, 100});
    Win32Driver::Pump();
    Win32Driver::StartLog();
    Win32Driver::Click(top, 10, 10);
    Win32Driver::Pump();
    EXPECT_TRUE(Mouse(cover).empty());
    EXPECT_TRUE(Mouse(top).empty());
}

TEST_F(Win32WindowTest, CaptureTakesTheReleaseWhereverItIs) {
    const HWND a = Make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    const HWND b = Make(WS_POPUP | WS_VISIBLE, {200, 0, 300, 100});
    On(a, WM_LBUTTONDOWN, [](HWND h, WPARAM, LPARAM) -> LRESULT {
        SetCapture(h);
        return 0;
    });
    On(a, WM_LBUTTONUP, [](HWND, WPARAM, LPARAM) -> LRESULT {
        ReleaseCapture();
        return 0;
    });
    Win32Driver::Pump();
    Win32Driver::StartLog();
    Win32Driver::Press(a, 10, 10);
    Win32Driver::Release(b, 10, 10);  // queued together: routed after the press set the capture
    Win32Driver::Click(b, 10, 10);
    Win32Driver::Pump();
    EXPECT_EQ(Mouse(a), (std::vector<std::string>{"WM_LBUTTONDOWN 0x1 0xa000a", "WM_LBUTTONUP 0 0xa00d2"}));
    EXPECT_EQ(Mouse(b), (std::vector<std::string>{"WM_LBUTTONDOWN 0x1 0xa000a", "WM_LBUTTONUP 0 0xa000a"}));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Win32WindowTest, CloseAsTheSystemMenuDoes) {
    const HWND keeps = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {0, 0, 100, 100});
    const HWND closes = Make(WS_OVERLAPPEDWINDOW | WS_VISIBLE, {0, 0, 100, 100});
    On(keeps, WM_CLOSE, [](HWND, WPARAM, LPARAM) -> LRESULT { return 0; });
    Win32Driver::Close(keeps);
    Win32Driver::Close(closes);
    EXPECT_TRUE(IsWindow(keeps));
    EXPECT_FALSE(IsWindow(closes));
    const std::vector<std::string> names = Names(closes);
    const auto command = std::find(names.begin(), names.end(), "WM_SYSCOMMAND");
    ASSERT_NE(command, names.end());
    EXPECT_EQ(*(command + 1), "WM_CLOSE");
    EXPECT_EQ(names.back(), "WM_NCDESTROY");
}
