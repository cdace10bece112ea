// Host windows bound to objects: the handler record, resizing, closing and
// destroying once, the window timer, painting, and the plug-in's pair of
// windows that close each other.
#include "../../hostpdf/HostFixture.h"

#include "Exchange/XCHG/XCHG_AVWindowObj.h"
#include "Exchange/XCHG/XCHG_HostRect.h"
#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Windows.h"
#include "win32/win32_driver.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

class TestWindow : public XCHG_AVWindowObj {
public:
    void DidCreate() override { m_calls.push_back("DidCreate"); }
    PDFL_Bool WillClose(PDFL_Bool) override {
        m_calls.push_back("WillClose");
        return m_willClose;
    }
    void DidClose() override {
        m_calls.push_back("DidClose");
        if (m_onDidClose)
            m_onDidClose();
    }
    void DidHide() override {
        m_calls.push_back("DidHide");
        if (m_onDidHide)
            m_onDidHide();
    }
    void DidMove(const PDFL_AVRect& frame) override {
        m_calls.push_back("DidMove");
        m_frames.push_back(frame);
    }
    void DidResize(const PDFL_AVRect& frame) override {
        m_calls.push_back("DidResize");
        m_frames.push_back(frame);
    }
    PDFL_Bool WillBeResized(PDFL_AVRect&) override {
        m_calls.push_back("WillBeResized");
        return 1;
    }
    void Draw(const PDFL_AVRect& update) override {
        m_draws.push_back(update);
        ValidateRect(PlatformWindow(), nullptr);
    }
    size_t Count(const std::string& call) const {
        return static_cast<size_t>(std::count(m_calls.begin(), m_calls.end(), call));
    }

    std::vector<std::string> m_calls;
    std::vector<PDFL_AVRect> m_frames;
    std::vector<PDFL_AVRect> m_draws;
    PDFL_Bool m_willClose = 1;
    std::function<void()> m_onDidClose;
    std::function<void()> m_onDidHide;
};

class AVWindowObjTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        InstallHandler(ThrowingHostErrorHandler);
        m_baseCallbacks = VIEW_Callbacks::LiveCount();
    }
    static size_t CallsOf(int table, int slot) {
        const auto slots = RecordedSlots();
        return static_cast<size_t>(
            std::count(slots.begin(), slots.end(), std::make_pair(table, slot)));
    }
    static RECT WindowRect(HWND window) {
        RECT rect{};
        GetWindowRect(window, &rect);
        return rect;
    }
    size_t m_baseCallbacks = 0;
};

bool SameRect(const PDFL_AVRect& a, const PDFL_AVRect& b) {
    return a.m_left == b.m_left && a.m_top == b.m_top && a.m_right == b.m_right &&
           a.m_bottom == b.m_bottom;
}

TEST(HostRect, TruncatesToTheHostAndSignExtendsBack) {
    struct Case {
        LONG m_windows;
        int16_t m_host;
        LONG m_back;
    };
    const Case cases[] = {
        {0, 0, 0},          {-1, -1, -1},           {32767, 32767, 32767},
        {32768, -32768, -32768}, {65535, -1, -1},   {70000, 4464, 4464},
        {-70000, -4464, -4464},  {-32769, 32767, 32767},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_windows);
        const PDFL_AVRect host = XCHG_HostRectFromWindows(RECT{c.m_windows, 0, 0, c.m_windows});
        EXPECT_EQ(host.m_left, c.m_host);
        EXPECT_EQ(host.m_bottom, c.m_host);
        EXPECT_EQ(XCHG_WindowsRectFromHost(host).left, c.m_back);
    }
}

TEST_F(AVWindowObjTest, CreateBindsTheHostWindowThePlatformWindowAndFifteenCallbacks) {
    TestWindow window;
    window.Create(0, 0);
    ASSERT_TRUE(window.IsAlive());
    const PDFL_AVWindowHandlerRec& record = window.HandlerRecord();
    EXPECT_EQ(record.m_size, 128u);
    const PDFL_ASCallback words[] = {
        record.m_mouseDown,     record.m_willClose,        record.m_didClose,
        record.m_didActivate,   record.m_didBecomeKey,     record.m_keyDown,
        record.m_willResignKey, record.m_willDeactivate,   record.m_draw,
        record.m_willBeResized, record.m_performEditOp,    record.m_canPerformEditOp,
        record.m_adjustCursor,  record.m_didResize,        record.m_destroyPlatformThing};
    for (PDFL_ASCallback word : words)
        EXPECT_NE(word, nullptr);
    EXPECT_EQ(VIEW_Callbacks::LiveCount(), m_baseCallbacks + 15);
    const HWND platform = window.PlatformWindow();
    EXPECT_EQ(platform, VIEW_Windows::PlatformThing(window.HostWindow()));
    EXPECT_EQ(VIEW_Windows::OwnerData(window.HostWindow()), &window);
    EXPECT_EQ(XCHG_WinWindowSubclass::FromWindow(platform), &window);
    EXPECT_EQ(window.m_calls, std::vector<std::string>{"DidCreate"});

    // Creating again replaces the window and its callbacks.
    const PDFL_AVWindow first = window.HostWindow();
    window.Create(0, 0);
    EXPECT_FALSE(VIEW_Windows::IsAlive(first));
    EXPECT_FALSE(IsWindow(platform));
    EXPECT_EQ(VIEW_Windows::LiveCount(), 1u);
    EXPECT_EQ(VIEW_Callbacks::LiveCount(), m_baseCallbacks + 15);
}

TEST_F(AVWindowObjTest, TheWindowTimerRunsEveryHundredMillisecondsFromCreate) {
    TestWindow window;
    window.Create(0, 0);
    const HWND platform = window.PlatformWindow();
    Win32Driver::StartLog();
    Win32Driver::Advance(99);
    EXPECT_TRUE(Win32Driver::Log(platform).empty());
    Win32Driver::Advance(1);
    Win32Driver::Advance(200);
    const std::vector<std::string> log = Win32Driver::Log(platform);
    Win32Driver::StopLog();
    ASSERT_EQ(log.size(), 3u);
    for (const std::string& line : log)
        EXPECT_EQ(line.rfind("WM_TIMER 0xffffffff ", 0), 0u) << line;
}

TEST_F(AVWindowObjTest, MovingWithoutResizingIsAMoveAndResizingIsAResize) {
    TestWindow window;
    window.Create(0, 0);
    const HWND platform = window.PlatformWindow();
    window.m_calls.clear();
    SetWindowPos(platform, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(window.m_calls, (std::vector<std::string>{"WillBeResized", "DidMove"}));
    ASSERT_EQ(window.m_frames.size(), 1u);
    EXPECT_TRUE(SameRect(window.m_frames[0], XCHG_HostRectFromWindows(WindowRect(platform))));

    window.m_calls.clear();
    SetWindowPos(platform, nullptr, 0, 0, 300, 120, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(window.m_calls, (std::vector<std::string>{"WillBeResized", "DidResize"}));

    // Through the host as well.
    window.m_calls.clear();
    PDFL_AVRect moved{50, 60, 350, 180};
    window.SetFrame(moved);
    EXPECT_EQ(window.Count("DidResize"), 0u);
    EXPECT_EQ(window.Count("DidMove"), 1u);
    window.m_calls.clear();
    PDFL_AVRect grown{50, 60, 400, 200};
    window.SetFrame(grown);
    EXPECT_GE(window.Count("DidResize"), 1u);
    EXPECT_EQ(window.Count("DidMove"), 0u);

    // A frame is written back through the host's 16-bit rectangle.
    SetWindowPos(platform, nullptr, 0, 0, 70000, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT wide = WindowRect(platform);
    EXPECT_EQ(wide.right - wide.left, 70050 - 65536 - 50);
}

TEST_F(AVWindowObjTest, MinimisingCallsNothingAndRestoringEndsAResize) {
    TestWindow window;
    window.Create(0, 0);
    const HWND platform = window.PlatformWindow();
    window.m_calls.clear();
    EXPECT_EQ(SendMessageA(platform, WM_SIZE, SIZE_MINIMIZED, 0), 0);
    EXPECT_TRUE(window.m_calls.empty());
    SendMessageA(platform, WM_SIZE, SIZE_RESTORED, 0);
    // No frame saved: compared with a zero size.
    EXPECT_EQ(window.m_calls, std::vector<std::string>{"DidResize"});
}

TEST_F(AVWindowObjTest, CloseKeepsTheWindowUntilWillCloseAgrees) {
    TestWindow window;
    window.Create(0, 0);
    const HWND platform = window.PlatformWindow();
    const PDFL_AVWindow host = window.HostWindow();
    window.m_willClose = 0;
    SendMessageA(platform, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(platform));
    EXPECT_TRUE(window.IsAlive());
    EXPECT_EQ(window.Count("DidClose"), 0u);

    window.m_willClose = 1;
    SendMessageA(platform, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(platform));
    EXPECT_FALSE(window.IsAlive());
    EXPECT_FALSE(VIEW_Windows::IsAlive(host));
    EXPECT_EQ(window.Count("DidClose"), 1u);
    EXPECT_EQ(CallsOf(PDFL_AcroViewTable, 184), 0u) << "a closed window is not destroyed again";
    EXPECT_EQ(VIEW_Callbacks::LiveCount(), m_baseCallbacks);
}

TEST_F(AVWindowObjTest, DestroyTwiceDestroysTheHostWindowAndEachCallbackOnce) {
    TestWindow window;
    window.Create(0, 0);
    const HWND platform = window.PlatformWindow();
    window.Destroy();
    window.Destroy();
    EXPECT_EQ(CallsOf(PDFL_AcroViewTable, 184), 1u);
    EXPECT_EQ(CallsOf(PDFL_CoreTable, 9), 15u);
    EXPECT_EQ(VIEW_Callbacks::LiveCount(), m_baseCallbacks);
    EXPECT_EQ(VIEW_Windows::LiveCount(), 0u);
    EXPECT_FALSE(IsWindow(platform));
    for (PDFL_ASCallback word : {window.HandlerRecord().m_mouseDown,
                                 window.HandlerRecord().m_destroyPlatformThing})
        EXPECT_EQ(word, nullptr);
}

TEST_F(AVWindowObjTest, DestroyingAShownWindowIsNoResize) {
    // A resize here would ask the host for an interior it no longer has.
    TestWindow window;
    window.Create(0, 0);
    const HWND platform = window.PlatformWindow();
    SetWindowPos(platform, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(platform, SW_SHOWNA);
    window.m_calls.clear();
    window.Destroy();
    EXPECT_FALSE(IsWindow(platform));
    EXPECT_EQ(window.Count("DidResize"), 0u);
    EXPECT_EQ(window.Count("DidMove"), 0u);
    EXPECT_EQ(window.Count("WillBeResized"), 0u);
}

TEST_F(AVWindowObjTest, DestroyPlatformThingLeavesAnotherWindowAlone) {
    TestWindow window;
    TestWindow other;
    window.Create(0, 0);
    other.Create(0, 0);
    window.DestroyPlatformThing(other.PlatformWindow());
    window.DestroyPlatformThing(nullptr);
    EXPECT_TRUE(IsWindow(other.PlatformWindow()));
    EXPECT_TRUE(IsWindow(window.PlatformWindow()));
    EXPECT_TRUE(window.IsAlive());
}

TEST_F(AVWindowObjTest, PaintDrawsTheUpdateRectangleAsAHostRectangle) {
    TestWindow window;
    window.Create(0, 0);
    const HWND platform = window.PlatformWindow();
    SetWindowPos(platform, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(platform, SW_SHOWNA);
    ValidateRect(platform, nullptr);
    RECT client{};
    GetClientRect(platform, &client);
    const auto right = static_cast<int16_t>(client.right);
    const auto bottom = static_cast<int16_t>(client.bottom);
    struct Case {
        RECT m_update;
        PDFL_AVRect m_drawn;
    };
    const Case cases[] = {
        {{10, 20, 30, 40}, {10, 20, 30, 40}},
        {{0, 0, 1, 1}, {0, 0, 1, 1}},
        // Clipped to the client area first.
        {{350, 250, 900, 900}, {350, 250, right, bottom}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_update.left);
        window.m_draws.clear();
        InvalidateRect(platform, &c.m_update, FALSE);
        UpdateWindow(platform);
        ASSERT_EQ(window.m_draws.size(), 1u);
        EXPECT_TRUE(SameRect(window.m_draws[0], c.m_drawn));
    }
}

// The plug-in's two windows: closing the first hides the second, hiding the
// second destroys the first.
class WindowPairTest : public AVWindowObjTest {
protected:
    void SetUp() override {
        AVWindowObjTest::SetUp();
        m_first.Create(0, 0);
        m_second.Create(0, 0);
        m_second.Show();
        m_first.m_onDidClose = [this] { m_second.Hide(); };
        m_second.m_onDidHide = [this] { m_first.Destroy(); };
        m_firstHost = m_first.HostWindow();
        m_secondHost = m_second.HostWindow();
        m_firstPlatform = m_first.PlatformWindow();
    }
    void ExpectEverythingEndedOnce() {
        EXPECT_FALSE(VIEW_Windows::IsAlive(m_firstHost));
        EXPECT_TRUE(VIEW_Windows::IsAlive(m_secondHost));
        EXPECT_FALSE(m_second.IsVisible());
        EXPECT_EQ(m_first.Count("DidClose"), 1u);
        m_second.Destroy();
        EXPECT_EQ(VIEW_Windows::LiveCount(), 0u);
        EXPECT_EQ(VIEW_Callbacks::LiveCount(), m_baseCallbacks);
        EXPECT_EQ(CallsOf(PDFL_CoreTable, 9), 30u);
        // Only the second is destroyed by the plug-in: the first was closed.
        EXPECT_EQ(CallsOf(PDFL_AcroViewTable, 184), 1u);
    }
    TestWindow m_first;
    TestWindow m_second;
    PDFL_AVWindow m_firstHost = nullptr;
    PDFL_AVWindow m_secondHost = nullptr;
    HWND m_firstPlatform = nullptr;
};

TEST_F(WindowPairTest, ClosingTheFirstByItsPlatformWindowEndsEachOnce) {
    SendMessageA(m_firstPlatform, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(m_firstPlatform));
    ExpectEverythingEndedOnce();
}

TEST_F(WindowPairTest, ClosingTheFirstThroughTheHostEndsEachOnce) {
    EXPECT_TRUE(VIEW_Windows::Close(m_firstHost, 1));
    EXPECT_FALSE(m_first.IsAlive());
    ExpectEverythingEndedOnce();
}

}  // namespace
