// The stand-in's message queue: retrieval order, filters, painting, timers on
// the test clock, translation and acting at a chosen poll.
#include "win32/Win32TestWindow.h"

namespace {

// Takes everything retrievable without dispatching: "NAME@window-index".
std::vector<std::string> Drain(const std::vector<HWND>& windows) {
    std::vector<std::string> seen;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        size_t index = 0;
        while (index < windows.size() && windows[index] != m.hwnd)
            ++index;
        seen.push_back(Win32Driver::MessageName(m.message) + "@" + std::to_string(index));
        if (m.message == WM_PAINT)
            ValidateRect(m.hwnd, nullptr);
        if (seen.size() > 20)
            break;
    }
    return seen;
}

}  // namespace

TEST_F(Win32WindowTest, RetrievalOrderIsPostedInputPaintTimer) {
    const HWND a = Make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 100});
    const HWND b = Make(WS_POPUP | WS_VISIBLE, {200, 0, 300, 100});
    Win32Driver::Pump();
    SetTimer(a, 9, 100, nullptr);
    Sleep(100);
    InvalidateRect(b, nullptr, FALSE);
    Win32Driver::Click(a, 5, 5);
    PostMessageA(b, WM_USER, 1, 0);
    PostMessageA(a, WM_USER, 2, 0);
    EXPECT_EQ(Drain({a, b}), (std::vector<std::string>{"WM_USER@1", "WM_USER@0", "WM_LBUTTONDOWN@0",
                                                       "WM_LBUTTONUP@0", "WM_PAINT@1", "WM_TIMER@0"}));
}

TEST_F(Win32WindowTest, PeekFiltersAndNoRemove) {
    const HWND a = Make(WS_POPUP, {0, 0, 10, 10});
    const HWND b = Make(WS_POPUP, {0, 0, 10, 10});
    for (WPARAM i = 1; i <= 3; ++i) {
        PostMessageA(a, WM_USER, i, 0);
        PostMessageA(b, WM_USER, 10 + i, 0);
    }
    PostMessageA(nullptr, WM_USER + 1, 99, 0);  // to the thread
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.wParam, 11u);
    ASSERT_TRUE(PeekMessageA(&m, b, 0, 0, PM_NOREMOVE));  // nothing left the queue
    EXPECT_EQ(m.wParam, 11u);
    ASSERT_TRUE(PeekMessageA(&m, b, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.wParam, 11u);
    ASSERT_TRUE(PeekMessageA(&m, reinterpret_cast<HWND>(static_cast<intptr_t>(-1)), 0, 0, PM_REMOVE));
    EXPECT_EQ(m.wParam, 99u);
    EXPECT_FALSE(PeekMessageA(&m, a, WM_USER + 1, WM_USER + 5, PM_REMOVE));  // range without a's messages
    std::vector<WPARAM> rest;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        rest.push_back(m.wParam);
    EXPECT_EQ(rest, (std::vector<WPARAM>{1, 2, 12, 3, 13}));
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x12345)), WM_USER, 0, 0));
}

TEST_F(Win32WindowTest, PaintingAndValidation) {
    const HWND w = Make(WS_POPUP | WS_VISIBLE, {0, 0, 100, 80});
    Win32Driver::Pump();  // the first paint of a shown window
    RECT r;
    EXPECT_FALSE(GetUpdateRect(w, &r, FALSE));
    EXPECT_EQ(r.right, 0);

    // The default answer validates, so a window that does not paint still lets Pump return.
    const RECT part{10, 10, 20, 30};
    InvalidateRect(w, &part, FALSE);
    Win32Driver::StartLog();
    Win32Driver::Pump();
    EXPECT_EQ(Names(w), (std::vector<std::string>{"WM_PAINT"}));
    EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));

    // Update rectangles grow by union and are clipped to the client area.
    const RECT second{50, 60, 500, 500};
    InvalidateRect(w, &part, FALSE);
    InvalidateRect(w, &second, FALSE);
    ASSERT_TRUE(GetUpdateRect(w, &r, FALSE));
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right, 100);
    EXPECT_EQ(r.bottom, 80);
    // A validation that leaves a rectangle shrinks it; one that would leave another shape keeps it all.
    const RECT topBand{0, 0, 100, 40};
    ValidateRect(w, &topBand);
    ASSERT_TRUE(GetUpdateRect(w, &r, FALSE));
    EXPECT_EQ(r.top, 40);
    const RECT middle{40, 50, 60, 60};
    ValidateRect(w, &middle);
    ASSERT_TRUE(GetUpdateRect(w, &r, FALSE));
    EXPECT_EQ(r.top, 40);
    EXPECT_EQ(r.right, 100);

    // UpdateWindow paints at once, and only when there is something to paint.
    Win32Driver::StartLog();
    UpdateWindow(w);
    UpdateWindow(w);
    EXPECT_EQ(Names(w), (std::vector<std::string>{"WM_PAINT"}));

    // RedrawWindow reaches the children with RDW_ALLCHILDREN.
    const HWND child = Make(WS_CHILD | WS_VISIBLE, {30, 30, 60, 60}, w, WS_EX_NOPARENTNOTIFY);
    Win32Driver::Pump();
    Win32Driver::StartLog();
    const RECT over{40, 40, 100, 100};
    RedrawWindow(w, &over, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(Names(w), (std::vector<std::string>{"WM_PAINT"}));
    EXPECT_EQ(Names(child), (std::vector<std::string>{"WM_PAINT"}));
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE);
    EXPECT_TRUE(GetUpdateRect(w, nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(child, nullptr, FALSE));
    // A hidden window is not painted.
    ShowWindow(w, SW_HIDE);
    Win32Driver::StartLog();
    Win32Driver::Pump();
    EXPECT_TRUE(Names(w).empty());
}

TEST_F(Win32WindowTest, TimersOnTheTestClock) {
    const HWND w = Make(WS_POPUP, {0, 0, 10, 10});
    const UINT_PTR id = 0xFFFFFFFFu;
    ASSERT_NE(SetTimer(w, id, 100, nullptr), 0u);
    Win32Driver::StartLog();
    Win32Driver::Advance(99);
    EXPECT_TRUE(Names(w).empty());  // none before 100 ms
    Win32Driver::Advance(201);
    EXPECT_EQ(Win32Driver::Log(w), (std::vector<std::string>(3, "WM_TIMER 0xffffffff 0")));

    // Periods missed while the loop was busy merge into one WM_TIMER.
    Win32Driver::StartLog();
    Sleep(300);
    Win32Driver::Pump();
    EXPECT_EQ(Names(w).size(), 1u);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, w, 0, 0, PM_NOREMOVE));

    // PM_NOREMOVE leaves it pending.
    Sleep(100);
    ASSERT_TRUE(PeekMessageA(&m, w, WM_TIMER, WM_TIMER, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageA(&m, w, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(m.wParam, id);
    EXPECT_FALSE(PeekMessageA(&m, w, WM_TIMER, WM_TIMER, PM_REMOVE));

    // Setting an existing id restarts it.
    Sleep(90);
    SetTimer(w, id, 100, nullptr);
    Win32Driver::StartLog();
    Win32Driver::Advance(99);
    EXPECT_TRUE(Names(w).empty());
    Win32Driver::Advance(1);
    EXPECT_EQ(Names(w).size(), 1u);

    EXPECT_TRUE(KillTimer(w, id));
    EXPECT_FALSE(KillTimer(w, id));
    Win32Driver::StartLog();
    Win32Driver::Advance(500);
    EXPECT_TRUE(Names(w).empty());  // none after KillTimer

    SetTimer(w, 1, 100, nullptr);
    DestroyWindow(w);
    Win32Driver::StartLog();
    Win32Driver::Advance(500);
    EXPECT_TRUE(Names(w).empty());  // none after DestroyWindow
    uint64_t before = Win32Driver::Now();
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), -1);  // nothing could ever arrive
    EXPECT_EQ(Win32Driver::Now(), before);
}

TEST_F(Win32WindowTest, GetMessageWaitsOnTheClockForTheNextTimer) {
    const HWND w = Make(WS_POPUP, {0, 0, 10, 10});
    SetTimer(w, 3, 250, nullptr);
    const uint64_t start = Win32Driver::Now();
    MSG m;
    ASSERT_EQ(GetMessageA(&m, nullptr, 0, 0), TRUE);
    EXPECT_EQ(m.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(Win32Driver::Now() - start, 250u);
    PostMessageA(w, WM_QUIT, 4, 0);
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), FALSE);
    EXPECT_EQ(m.wParam, 4u);
}

TEST_F(Win32WindowTest, TranslateMessagePostsCharacters) {
    const HWND w = Make(WS_POPUP | WS_VISIBLE, {0, 0, 10, 10});
    SetFocus(w);
    Win32Driver::Pump();
    Win32Driver::StartLog();
    for (WORD key : {WORD{'A'}, WORD{'7'}, WORD{VK_RETURN}, WORD{VK_LEFT}})
        Win32Driver::Key(key);
    Win32Driver::Pump();
    EXPECT_EQ(Win32Driver::Log(w),
              (std::vector<std::string>{"WM_KEYDOWN 0x41 0x1", "WM_CHAR 0x61 0x1", "WM_KEYUP 0x41 0xc0000001",
                                        "WM_KEYDOWN 0x37 0x1", "WM_CHAR 0x37 0x1", "WM_KEYUP 0x37 0xc0000001",
                                        "WM_KEYDOWN 0xd 0x1", "WM_CHAR 0xd 0x1", "WM_KEYUP 0xd 0xc0000001",
                                        "WM_KEYDOWN 0x25 0x1", "WM_KEYUP 0x25 0xc0000001"}));
    // Without a focus window keys go nowhere.
    SetFocus(nullptr);
    Win32Driver::StartLog();
    Win32Driver::Key('B');
    Win32Driver::Pump();
    EXPECT_TRUE(Names(w).empty());
}

TEST_F(Win32WindowTest, ActingAtTheNthPoll) {
    // Work that polls one button's messages sees a click made at its third poll, and only one message per poll.
    const HWND dialog = Make(WS_POPUP | WS_VISIBLE, {0, 0, 200, 100});
    const HWND stop = Make(WS_CHILD | WS_VISIBLE, {10, 10, 60, 30}, dialog, WS_EX_NOPARENTNOTIFY);
    Win32Driver::Pump();
    Win32Driver::AtPeek(3, [&] { Win32Driver::Click(stop, 5, 5); });
    std::vector<std::string> polls;
    for (int poll = 1; poll <= 5; ++poll) {
        MSG m;
        if (PeekMessageA(&m, stop, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
            polls.push_back(std::to_string(poll) + " " + Win32Driver::MessageName(m.message));
        }
    }
    EXPECT_EQ(polls, (std::vector<std::string>{"3 WM_LBUTTONDOWN", "4 WM_LBUTTONUP"}));
}
