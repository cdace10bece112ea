// The stand-in's host windows: the size word, mouse and key messages turned
// into handler events, owner data and frames, closing, and a destroy that
// survives being re-entered from its own callback.
#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Frames.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/VIEW_Windows.h"
#include "win32/win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

template <int Table, int Slot>
typename PDFL_Slot<Table, Slot>::Proc SlotOf() {
    return reinterpret_cast<typename PDFL_Slot<Table, Slot>::Proc>(VIEW_Host::Table(Table)[Slot]);
}
// An AcroView slot (no comma, so it fits in a test macro).
template <int Slot>
auto AV() {
    return SlotOf<PDFL_AcroViewTable, Slot>();
}

// What the handler's callbacks saw.
struct Seen {
    std::vector<std::string> m_calls;
    int16_t m_x = 0;
    int16_t m_y = 0;
    uint16_t m_key = 0;
    PDFL_AVRect m_rect{};
    PDFL_Bool m_willClose = 1;
    PDFL_Bool m_quitting = 0;
    bool m_destroyAgain = false;  // DestroyPlatformThing calls AVWindowDestroy again
    std::vector<UINT> m_oldProcMessages;
};
Seen gSeen;

void MouseDown(PDFL_AVWindow, int16_t x, int16_t y, void*) {
    gSeen.m_calls.push_back("MouseDown");
    gSeen.m_x = x;
    gSeen.m_y = y;
}
void KeyDown(PDFL_AVWindow, uint16_t key, void*) {
    gSeen.m_calls.push_back("KeyDown");
    gSeen.m_key = key;
}
void Draw(PDFL_AVWindow, PDFL_AVRect* rect) {
    gSeen.m_calls.push_back("Draw");
    gSeen.m_rect = *rect;
}
PDFL_Bool WillBeResized(PDFL_AVWindow, PDFL_AVRect* rect) {
    gSeen.m_calls.push_back("WillBeResized");
    rect->m_right = static_cast<int16_t>(rect->m_right + 10);  // the handler widens it
    return 1;
}
void DidResize(PDFL_AVWindow, PDFL_AVRect* rect) {
    gSeen.m_calls.push_back("DidResize");
    gSeen.m_rect = *rect;
}
PDFL_Bool WillClose(PDFL_AVWindow, PDFL_Bool quitting) {
    gSeen.m_calls.push_back("WillClose");
    gSeen.m_quitting = quitting;
    return gSeen.m_willClose;
}
void DidClose(PDFL_AVWindow) {
    gSeen.m_calls.push_back("DidClose");
}
void DestroyPlatformThing(PDFL_AVWindow window, PDFL_PlatformWindow platform) {
    gSeen.m_calls.push_back("DestroyPlatformThing");
    if (gSeen.m_destroyAgain)
        AV<184>()(window);
    DestroyWindow(static_cast<HWND>(platform));
}

LRESULT OldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
        message == WM_KEYDOWN)
        gSeen.m_oldProcMessages.push_back(message);
    return DefWindowProcA(window, message, wParam, lParam);
}

class WindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIEW_Host::Reset();
        gSeen = Seen();
        m_handler = PDFL_AVWindowHandlerRec{};
        m_handler.m_size = sizeof m_handler;
        m_handler.m_mouseDown = Make(&MouseDown);
        m_handler.m_keyDown = Make(&KeyDown);
        m_handler.m_draw = Make(&Draw);
        m_handler.m_willBeResized = Make(&WillBeResized);
        m_handler.m_didResize = Make(&DidResize);
        m_handler.m_willClose = Make(&WillClose);
        m_handler.m_didClose = Make(&DidClose);
        m_handler.m_destroyPlatformThing = Make(&DestroyPlatformThing);
        static const bool registered = [] {
            WNDCLASSA cls{};
            cls.lpfnWndProc = OldProc;
            cls.lpszClassName = "ViewWindowsTest";
            return RegisterClassA(&cls) != 0;
        }();
        ASSERT_TRUE(registered);
    }
    void TearDown() override {
        VIEW_Host::Reset();
        EXPECT_EQ(VIEW_Frames::Depth(), 0u);
    }
    template <class Proc>
    static PDFL_ASCallback Make(Proc proc) {
        return VIEW_Callbacks::Create(VIEW_Host::ExtensionID(), reinterpret_cast<PDFL_Proc>(proc));
    }
    static HWND MakePlatformWindow() {
        return CreateWindowExA(0, "ViewWindowsTest", "p", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                               nullptr, nullptr, nullptr, nullptr);
    }
    PDFL_AVWindow New() { return AV<182>()(0, 0, &m_handler, nullptr); }
    PDFL_AVWindowHandlerRec m_handler{};
};

TEST_F(WindowsTest, TheHandlerRecordMustHaveItsFullSize) {
    m_handler.m_size = 64;
    EXPECT_THROW(New(), VIEW_AssertionFailure);
    HWND platform = MakePlatformWindow();
    EXPECT_THROW(AV<183>()(0, 0, &m_handler, nullptr, platform),
                 VIEW_AssertionFailure);
    EXPECT_EQ(VIEW_Windows::LiveCount(), 0u);
    DestroyWindow(platform);
}

TEST_F(WindowsTest, ButtonAndKeyMessagesBecomeHandlerEventsBeforeTheOldProcedure) {
    HWND platform = MakePlatformWindow();
    const PDFL_AVWindow window =
        AV<183>()(0, 0, &m_handler, nullptr, platform);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(AV<190>()(window), platform);
    struct Case {
        UINT m_message;
        int16_t m_x, m_y;
    };
    for (const Case& c : {Case{WM_LBUTTONDOWN, 5, 7}, Case{WM_RBUTTONDOWN, -3, 2},
                          Case{WM_MBUTTONDOWN, 300, -1}}) {
        SCOPED_TRACE(c.m_message);
        gSeen = Seen();
        const LPARAM lParam = static_cast<LPARAM>(static_cast<uint16_t>(c.m_x)) |
                              (static_cast<LPARAM>(static_cast<uint16_t>(c.m_y)) << 16);
        SendMessageA(platform, c.m_message, MK_LBUTTON, lParam);
        EXPECT_EQ(gSeen.m_calls, std::vector<std::string>{"MouseDown"});
        EXPECT_EQ(gSeen.m_x, c.m_x);
        EXPECT_EQ(gSeen.m_y, c.m_y);
        EXPECT_EQ(gSeen.m_oldProcMessages, std::vector<UINT>{c.m_message});
    }
    gSeen = Seen();
    SendMessageA(platform, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(gSeen.m_calls, std::vector<std::string>{"KeyDown"});
    EXPECT_EQ(gSeen.m_key, VK_RETURN);
    // Other messages pass untouched.
    gSeen = Seen();
    SendMessageA(platform, WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(gSeen.m_calls.empty());

    // A destroyed platform window takes its host window with it.
    DestroyWindow(platform);
    EXPECT_FALSE(VIEW_Windows::IsAlive(window));
    EXPECT_THROW(AV<184>()(window), VIEW_AssertionFailure);
}

TEST_F(WindowsTest, OwnerDataTitleVisibilityAndInterior) {
    const PDFL_AVWindow window = New();
    const HWND platform = VIEW_Windows::PlatformThing(window);
    int owner = 0;
    EXPECT_EQ(AV<191>()(window), nullptr);
    AV<192>()(window, &owner);
    EXPECT_EQ(AV<191>()(window), &owner);
    AV<194>()(window, "Separations");
    char title[32] = {};
    GetWindowTextA(platform, title, sizeof title);
    EXPECT_STREQ(title, "Separations");
    EXPECT_EQ(AV<189>()(window), 0);
    AV<187>()(window);
    EXPECT_EQ(AV<189>()(window), 1);
    AV<188>()(window);
    EXPECT_EQ(AV<189>()(window), 0);
    PDFL_AVRect interior{};
    AV<197>()(window, &interior);
    RECT client{};
    GetClientRect(platform, &client);
    EXPECT_EQ(interior.m_right, client.right);
    EXPECT_EQ(interior.m_bottom, client.bottom);
    EXPECT_EQ(interior.m_left, 0);
}

TEST_F(WindowsTest, SetFrameAsksTheHandlerAndAppliesWhatItLeaves) {
    const PDFL_AVWindow window = New();
    PDFL_AVRect frame{20, 30, 220, 130};
    AV<196>()(window, &frame);
    EXPECT_EQ(gSeen.m_calls, (std::vector<std::string>{"WillBeResized", "DidResize"}));
    RECT placed{};
    GetWindowRect(VIEW_Windows::PlatformThing(window), &placed);
    EXPECT_EQ(placed.left, 20);
    EXPECT_EQ(placed.right, 230);
    EXPECT_EQ(gSeen.m_rect.m_right, 230);
}

TEST_F(WindowsTest, DrawAndCloseCallTheHandler) {
    const PDFL_AVWindow window = New();
    VIEW_Windows::Draw(window, PDFL_AVRect{1, 2, 3, 4});
    EXPECT_EQ(gSeen.m_rect.m_bottom, 4);
    gSeen.m_willClose = 0;
    EXPECT_FALSE(VIEW_Windows::Close(window, 1));
    EXPECT_TRUE(VIEW_Windows::IsAlive(window));
    EXPECT_EQ(gSeen.m_quitting, 1);
    gSeen.m_willClose = 1;
    EXPECT_TRUE(VIEW_Windows::Close(window, 1));
    EXPECT_FALSE(VIEW_Windows::IsAlive(window));
    EXPECT_EQ(gSeen.m_calls.back(), "DidClose");
}

TEST_F(WindowsTest, DestroyAsksTheHandlerOnceEvenWhenReEntered) {
    const PDFL_AVWindow window = New();
    const HWND platform = VIEW_Windows::PlatformThing(window);
    gSeen.m_destroyAgain = true;
    AV<184>()(window);
    EXPECT_EQ(gSeen.m_calls, std::vector<std::string>{"DestroyPlatformThing"});
    EXPECT_FALSE(IsWindow(platform));
    EXPECT_FALSE(VIEW_Windows::IsAlive(window));
    EXPECT_EQ(VIEW_Windows::LiveCount(), 0u);
    // Destroying it twice is the caller's fault, and tests see it.
    EXPECT_THROW(AV<184>()(window), VIEW_AssertionFailure);
}

TEST_F(WindowsTest, WithoutDestroyPlatformThingTheHostDestroysItsOwnWindow) {
    m_handler.m_destroyPlatformThing = nullptr;
    const PDFL_AVWindow window = New();
    const HWND platform = VIEW_Windows::PlatformThing(window);
    AV<184>()(window);
    EXPECT_FALSE(IsWindow(platform));
    EXPECT_TRUE(gSeen.m_calls.empty());
}

}  // namespace
