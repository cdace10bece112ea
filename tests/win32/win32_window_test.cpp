// Windows of the Win32 stand-in: the messages of moving, sizing and
// destroying, frames, properties, window longs, text, focus and enabling.
#include "win32/Win32TestWindow.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Hex(HWND window) {
    char text[24];
    std::snprintf(text, sizeof text, "%#llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    return text;
}

}  // namespace

TEST_F(Win32WindowTest, SetWindowPosMessagesFollowWhatChanged) {
    const HWND w = Make(WS_POPUP | WS_VISIBLE, {10, 10, 110, 60});
    Win32Driver::StartLog();
    ASSERT_TRUE(SetWindowPos(w, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_EQ(Names(w), (std::vector<std::string>{"WM_WINDOWPOSCHANGING", "WM_WINDOWPOSCHANGED", "WM_MOVE"}));
    EXPECT_EQ(Win32Driver::Log(w).back(), "WM_MOVE 0 0x28001e");  // the client origin, 30 and 40

    Win32Driver::StartLog();
    ASSERT_TRUE(SetWindowPos(w, nullptr, 0, 0, 200, 80, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_EQ(Names(w), (std::vector<std::string>{"WM_WINDOWPOSCHANGING", "WM_WINDOWPOSCHANGED", "WM_SIZE"}));
    EXPECT_EQ(Win32Driver::Log(w).back(), "WM_SIZE 0 0x5000c8");

    // Moving and sizing at once: WM_MOVE comes before WM_SIZE.
    Win32Driver::StartLog();
    ASSERT_TRUE(SetWindowPos(w, nullptr, 5, 5, 50, 50, SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_EQ(Names(w), (std::vector<std::string>{"WM_WINDOWPOSCHANGING", "WM_WINDOWPOSCHANGED", "WM_MOVE", "WM_SIZE"}));

    // Nothing changes: no WM_WINDOWPOSCHANGED.
    Win32Driver::StartLog();
    ASSERT_TRUE(SetWindowPos(w, nullptr, 5, 5, 50, 50, SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_EQ(Names(w), (std::vector<std::string>{"WM_WINDOWPOSCHANGING"}));

    // A procedure that answers WM_WINDOWPOSCHANGED itself gets neither WM_MOVE nor WM_SIZE.
    On(w, WM_WINDOWPOSCHANGED, [](HWND, WPARAM, LPARAM) -> LRESULT { return 0; });
    Win32Driver::StartLog();
    ASSERT_TRUE(SetWindowPos(w, nullptr, 7, 8, 70, 80, SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_EQ(Names(w), (std::vector<std::string>{"WM_WINDOWPOSCHANGING", "WM_WINDOWPOSCHANGED"}));
    RECT r;
    ASSERT_TRUE(GetWindowRect(w, &r));
    EXPECT_EQ(r.left, 7);
    EXPECT_EQ(r.bottom, 88);
}

TEST_F(Win32WindowTest, WindowPosChangingMayChangeThePlace) {
    const HWND w = Make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    On(w, WM_WINDOWPOSCHANGING, [](HWND, WPARAM, LPARAM l) -> LRESULT {
        auto* pos = reinterpret_cast<WINDOWPOS*>(l);
        pos->cx = 123;
        return 0;
    });
    int seenWidth = 0;
    On(w, WM_WINDOWPOSCHANGED, [&](HWND h, WPARAM wParam, LPARAM l) -> LRESULT {
        RECT now;
        GetWindowRect(h, &now);  // already the new rectangle
        seenWidth = now.right - now.left;
        EXPECT_EQ(reinterpret_cast<const WINDOWPOS*>(l)->cx, 123);
        return DefWindowProcA(h, WM_WINDOWPOSCHANGED, wParam, l);
    });
    ASSERT_TRUE(SetWindowPos(w, nullptr, 0, 0, 300, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    RECT r;
    GetClientRect(w, &r);
    EXPECT_EQ(r.right, 123);
    EXPECT_EQ(seenWidth, 123);
    EXPECT_EQ(Win32Driver::Log(w).back(), "WM_SIZE 0 0x64007b");
}

TEST_F(Win32WindowTest, DestroyWindowOrder) {
    const HWND parent = Make(WS_POPUP, {0, 0, 200, 200});
    const HWND child1 = Make(WS_CHILD, {0, 0, 50, 50}, parent, WS_EX_NOPARENTNOTIFY);
    const HWND child2 = Make(WS_CHILD, {50, 0, 100, 50}, parent, WS_EX_NOPARENTNOTIFY);
    const HWND grandchild = Make(WS_CHILD, {0, 0, 10, 10}, child1, WS_EX_NOPARENTNOTIFY);
    const HWND owned = Make(WS_POPUP, {0, 0, 10, 10}, child2);  // owned by parent, child2's top-level window
    EXPECT_EQ(GetParent(owned), parent);
    EXPECT_EQ(GetParent(child2), parent);
    std::vector<std::string> order;
    for (HWND h : {parent, child1, child2, grandchild, owned}) {
        const std::string name = h == parent ? "parent" : h == child1 ? "child1" : h == child2 ? "child2"
                               : h == grandchild ? "grandchild" : "owned";
        for (UINT m : {WM_DESTROY, WM_NCDESTROY})
            On(h, m, [&order, name, m](HWND w, WPARAM, LPARAM) -> LRESULT {
                order.push_back(std::string(m == WM_DESTROY ? "D " : "N ") + name);
                if (m == WM_NCDESTROY) {
                    EXPECT_TRUE(IsWindow(w));  // still linked during its own message
                }
                return 0;
            });
    }
    ASSERT_TRUE(DestroyWindow(parent));
    EXPECT_EQ(order, (std::vector<std::string>{"D owned", "N owned", "D parent", "D child1", "D grandchild",
                                               "D child2", "N grandchild", "N child1", "N child2", "N parent"}));
    for (HWND h : {parent, child1, child2, grandchild, owned}) {
        EXPECT_FALSE(IsWindow(h));
        EXPECT_EQ(SendMessageA(h, WM_USER, 1, 2), 0);  // a message to a destroyed window answers 0
    }
    EXPECT_FALSE(DestroyWindow(parent));
    EXPECT_FALSE(SetTimer(parent, 1, 100, nullptr));
}

TEST_F(Win32WindowTest, HandlesAreNeverReusedAndADestroyInsideAMessageKeepsTheRecord) {
    HWND previous = Make(WS_POPUP, {0, 0, 10, 10});
    for (int i = 0; i < 50; ++i) {
        DestroyWindow(previous);
        const HWND next = Make(WS_POPUP, {0, 0, 10, 10});
        ASSERT_NE(next, previous);
        ASSERT_EQ(std::count(m_made.begin(), m_made.end(), next), 1);  // no earlier window had it
        previous = next;
    }
    // The procedure destroys its window and goes on using it; the caller
    // survives (ASan would see a freed record) and later calls answer 0.
    const HWND w = Make(WS_POPUP, {0, 0, 10, 10});
    SetWindowLongPtrA(w, GWLP_USERDATA, 77);
    LRESULT afterDestroy = -1;
    On(w, WM_USER, [&](HWND h, WPARAM, LPARAM) -> LRESULT {
        DestroyWindow(h);
        afterDestroy = GetWindowLongPtrA(h, GWLP_USERDATA) + SendMessageA(h, WM_USER + 1, 0, 0);
        return 5;
    });
    EXPECT_EQ(SendMessageA(w, WM_USER, 0, 0), 5);
    EXPECT_EQ(afterDestroy, 0);
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(Win32WindowTest, CreationMessages) {
    const HWND parent = Make(WS_POPUP, {0, 0, 100, 100});
    Win32Driver::StartLog();
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {10, 20, 40, 60}, parent, 0, Plain, 7);
    EXPECT_EQ(Names(child), (std::vector<std::string>{"WM_NCCREATE", "WM_CREATE", "WM_SIZE", "WM_MOVE",
                                                      "WM_SHOWWINDOW", "WM_WINDOWPOSCHANGING", "WM_WINDOWPOSCHANGED"}));
    EXPECT_EQ(Win32Driver::Log(parent), (std::vector<std::string>{"WM_PARENTNOTIFY 0x70001 " + Hex(child)}));
    EXPECT_EQ(GetWindowLongPtrA(child, GWLP_ID), 7);
    // WM_CREATE answering -1 makes no window.
    WNDCLASSA refusing{};
    refusing.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        return m == WM_CREATE ? -1 : DefWindowProcA(h, m, w, l);
    };
    refusing.lpszClassName = "TintscopeRefusing";
    ASSERT_NE(RegisterClassA(&refusing), 0);
    EXPECT_EQ(RegisterClassA(&refusing), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    EXPECT_EQ(CreateWindowExA(0, "tintscoperefusing", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(Win32WindowTest, FramesFromTheMetricsTable) {
    // Worked out by hand from the table: caption 18, tool-window caption 15,
    // border 1, dialog frame 3, sizing frame 4.
    const struct {
        const char* what;
        DWORD style, exStyle;
        RECT frame;  // added on the left, top, right and bottom
    } cases[] = {
        {"host window", WS_OVERLAPPEDWINDOW, 0, {4, 4 + 18, 4, 4}},
        {"separations dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, {3, 3 + 15, 3, 3}},
        {"about dialog, modal frame", WS_POPUP | WS_VISIBLE, WS_EX_DLGMODALFRAME, {3, 3, 3, 3}},
        {"caption pop-up", WS_POPUP | WS_CAPTION, 0, {3, 3 + 18, 3, 3}},
        {"sizable tool window", WS_POPUP | WS_CAPTION | WS_THICKFRAME, WS_EX_TOOLWINDOW, {4, 4 + 15, 4, 4}},
        {"bordered pop-up", WS_POPUP | WS_BORDER, 0, {1, 1, 1, 1}},
        {"plain pop-up", WS_POPUP, 0, {0, 0, 0, 0}},
        {"bordered control", WS_CHILD | WS_BORDER, 0, {1, 1, 1, 1}},
        {"plain child", WS_CHILD, 0, {0, 0, 0, 0}},
    };
    const HWND parent = Make(WS_POPUP, {0, 0, 500, 500});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RECT r{100, 50, 300, 150};
        ASSERT_TRUE(AdjustWindowRectEx(&r, c.style, FALSE, c.exStyle));
        EXPECT_EQ(r.left, 100 - c.frame.left);
        EXPECT_EQ(r.top, 50 - c.frame.top);
        EXPECT_EQ(r.right, 300 + c.frame.right);
        EXPECT_EQ(r.bottom, 150 + c.frame.bottom);
        const HWND w = Make(c.style & ~WS_VISIBLE, r, (c.style & WS_CHILD) ? parent : nullptr, c.exStyle);
        RECT client;
        ASSERT_TRUE(GetClientRect(w, &client));
        EXPECT_EQ(client.right, 200);
        EXPECT_EQ(client.bottom, 100);
        POINT origin{0, 0};
        ClientToScreen(w, &origin);
        POINT parentOrigin{0, 0};
        if (c.style & WS_CHILD)
            ClientToScreen(parent, &parentOrigin);
        EXPECT_EQ(origin.x, 100 + parentOrigin.x);
        EXPECT_EQ(origin.y, 50 + parentOrigin.y);
    }
    RECT r{0, 0, 1, 1};
    EXPECT_FALSE(AdjustWindowRectEx(&r, WS_POPUP, TRUE, 0));  // no menu bars here
}

TEST_F(Win32WindowTest, SubclassingReachesTheClassProcedure) {
    const HWND w = Make(WS_POPUP, {0, 0, 10, 10});
    On(w, WM_USER, [](HWND, WPARAM wParam, LPARAM) -> LRESULT { return static_cast<LRESULT>(wParam) * 2; });
    static WNDPROC s_old = nullptr;
    const WNDPROC subclass = [](HWND h, UINT m, WPARAM wParam, LPARAM l) -> LRESULT {
        if (m == WM_USER)
            return 1 + s_old(h, m, wParam + 1, l);  // called directly, as the plug-in does
        return CallWindowProcA(s_old, h, m, wParam, l);
    };
    s_old = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass)));
    EXPECT_EQ(s_old, &Win32WindowTest::Proc);
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(subclass));
    Win32Driver::StartLog();
    EXPECT_EQ(SendMessageA(w, WM_USER, 20, 0), 43);
    EXPECT_EQ(Win32Driver::Log(w), (std::vector<std::string>{"WM_USER 0x14 0"}));  // one delivery, however chained
    ASSERT_TRUE(SetWindowTextA(w, "Separations"));  // the text messages pass through the chain too
    char text[6];
    EXPECT_EQ(GetWindowTextA(w, text, sizeof text), 5);
    EXPECT_STREQ(text, "Separ");
}

TEST_F(Win32WindowTest, WindowLongsAndProperties) {
    const HWND owner = Make(WS_POPUP, {0, 0, 10, 10});
    const HWND w = Make(WS_POPUP | WS_BORDER, {0, 0, 10, 10}, owner, WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindowLongPtrA(w, GWL_STYLE) & WS_BORDER, static_cast<LONG_PTR>(WS_BORDER));
    EXPECT_EQ(GetWindowLongPtrA(w, GWL_EXSTYLE), static_cast<LONG_PTR>(WS_EX_TOOLWINDOW));
    EXPECT_EQ(SetWindowLongPtrA(w, GWLP_USERDATA, -5), 0);
    EXPECT_EQ(SetWindowLongPtrA(w, GWLP_USERDATA, INTPTR_MAX), -5);  // pointer-sized
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_USERDATA), INTPTR_MAX);
    EXPECT_EQ(GetWindowLongPtrA(w, GWLP_HWNDPARENT), reinterpret_cast<LONG_PTR>(owner));
    EXPECT_EQ(GetWindowLongPtrA(w, 1000), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX);

    int object = 0;
    ASSERT_TRUE(SetPropA(w, "XCHG_WinWindowSubclassProp", &object));
    ASSERT_TRUE(SetPropA(w, "Other", reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0xFFFFFFFF12345678u))));
    EXPECT_EQ(GetPropA(w, "xchg_winwindowsubclassprop"), &object);
    EXPECT_EQ(GetPropA(w, "Other"), reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0xFFFFFFFF12345678u)));
    EXPECT_EQ(RemovePropA(w, "Other"), reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0xFFFFFFFF12345678u)));
    EXPECT_EQ(GetPropA(w, "Other"), nullptr);
    EXPECT_EQ(GetPropA(owner, "XCHG_WinWindowSubclassProp"), nullptr);
    DestroyWindow(w);
    EXPECT_EQ(GetPropA(w, "XCHG_WinWindowSubclassProp"), nullptr);  // gone with the window
}

TEST_F(Win32WindowTest, ShowFocusActivationAndEnabling) {
    const HWND top = Make(WS_OVERLAPPEDWINDOW, {0, 0, 300, 200});
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {0, 0, 20, 20}, top, WS_EX_NOPARENTNOTIFY);
    EXPECT_FALSE(IsWindowVisible(child));  // the parent is hidden
    Win32Driver::StartLog();
    EXPECT_FALSE(ShowWindow(top, SW_SHOW));
    EXPECT_EQ(Names(top), (std::vector<std::string>{"WM_SHOWWINDOW", "WM_WINDOWPOSCHANGING", "WM_NCACTIVATE",
                                                    "WM_ACTIVATE", "WM_SETFOCUS", "WM_WINDOWPOSCHANGED", "WM_SIZE",
                                                    "WM_MOVE"}));
    EXPECT_TRUE(ShowWindow(top, SW_SHOW));  // already shown: nothing
    EXPECT_EQ(Names(top).size(), 8u);
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_EQ(GetActiveWindow(), top);
    EXPECT_EQ(GetFocus(), top);

    Win32Driver::StartLog();
    EXPECT_EQ(SetFocus(child), top);
    EXPECT_EQ(Win32Driver::LogNames(top), (std::vector<std::string>{"WM_KILLFOCUS"}));
    EXPECT_EQ(Win32Driver::LogNames(child), (std::vector<std::string>{"WM_SETFOCUS"}));

    // Disabling takes the focus away; the state comes back with the old one.
    Win32Driver::StartLog();
    EXPECT_FALSE(EnableWindow(child, FALSE));
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(child));
    EXPECT_EQ(Names(child), (std::vector<std::string>{"WM_CANCELMODE", "WM_KILLFOCUS", "WM_ENABLE"}));
    EXPECT_TRUE(EnableWindow(child, FALSE));
    EXPECT_TRUE(EnableWindow(child, TRUE));
    EXPECT_TRUE(IsWindowEnabled(child));

    // Destroying a focused child gives the focus to its parent.
    SetFocus(child);
    DestroyWindow(child);
    EXPECT_EQ(GetFocus(), top);
    EXPECT_TRUE(ShowWindow(top, SW_HIDE));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(Win32WindowTest, CaptureChangesAreTold) {
    const HWND a = Make(WS_POPUP, {0, 0, 10, 10});
    const HWND b = Make(WS_POPUP, {0, 0, 10, 10});
    Win32Driver::StartLog();
    EXPECT_EQ(SetCapture(a), nullptr);
    EXPECT_EQ(SetCapture(b), a);
    EXPECT_EQ(Names(a), (std::vector<std::string>{"WM_CAPTURECHANGED"}));
    DestroyWindow(b);  // releases the capture while it goes
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Names(b), (std::vector<std::string>{"WM_DESTROY", "WM_CAPTURECHANGED", "WM_NCDESTROY"}));
}
