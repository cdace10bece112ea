// Window subclassing: messages reach the object while it lives, the old
// procedure again once it is gone, and exceptions end as host errors.
#include "../../hostpdf/HostFixture.h"

#include "Exchange/XCHG/XCHG_WinWindowSubclass.h"
#include "Exchange/XCHG/XPDF_ReportError.h"
#include "viewer/VIEW_HostError.h"
#include "win32/win32.h"

#include <stdexcept>
#include <vector>

namespace {

constexpr UINT kProbe = WM_USER + 7;
std::vector<UINT> gOldProcMessages;

LRESULT OldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kProbe) {
        gOldProcMessages.push_back(message);
        return 11;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT OtherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == kProbe ? 33 : DefWindowProcA(window, message, wParam, lParam);
}

class Probe : public XCHG_WinWindowSubclass {
public:
    enum class Mode { Answer, Forward, ThrowProgram, ThrowOther };
    LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != kProbe)
            return XCHG_WinWindowSubclass::WindowProc(window, message, wParam, lParam);
        switch (m_mode) {
        case Mode::Answer:
            return 22;
        case Mode::Forward:
            return XCHG_WinWindowSubclass::WindowProc(nullptr, message, wParam, lParam);
        case Mode::ThrowProgram:
            throw XPDF_Exception(4711, "probe", __FILE__, __LINE__, 0);
        case Mode::ThrowOther:
            throw std::runtime_error("probe");
        }
        return 0;
    }
    Mode m_mode = Mode::Answer;
};

class WinWindowSubclassTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        static const bool registered = [] {
            WNDCLASSA cls{};
            cls.lpfnWndProc = OldProc;
            cls.lpszClassName = "XchgSubclassTest";
            return RegisterClassA(&cls) != 0;
        }();
        ASSERT_TRUE(registered);
        gOldProcMessages.clear();
        m_window = CreateWindowExA(0, "XchgSubclassTest", "t", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                   100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_window, nullptr);
    }
    void TearDown() override {
        if (IsWindow(m_window))
            DestroyWindow(m_window);
        HostTest::TearDown();
    }
    WNDPROC CurrentProc() const {
        return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(m_window, GWLP_WNDPROC));
    }
    HWND m_window = nullptr;
};

TEST_F(WinWindowSubclassTest, MessagesReachTheObjectAndItsDefaultTheOldProcedure) {
    Probe probe;
    probe.Subclass(m_window);
    EXPECT_EQ(probe.OldWindowProc(), &OldProc);
    EXPECT_EQ(GetPropA(m_window, "XCHG_WinWindowSubclassProp"), &probe);
    EXPECT_EQ(SendMessageA(m_window, kProbe, 0, 0), 22);
    EXPECT_TRUE(gOldProcMessages.empty());
    // The default hands on the stored window, not the one given.
    probe.m_mode = Probe::Mode::Forward;
    EXPECT_EQ(SendMessageA(m_window, kProbe, 0, 0), 11);
    EXPECT_EQ(gOldProcMessages.size(), 1u);
}

TEST_F(WinWindowSubclassTest, ALivingWindowCallsItsOldProcedureAfterTheObjectIsGone) {
    {
        Probe probe;
        probe.Subclass(m_window);
        EXPECT_EQ(SendMessageA(m_window, kProbe, 0, 0), 22);
    }
    EXPECT_EQ(CurrentProc(), &OldProc);
    EXPECT_EQ(GetPropA(m_window, "XCHG_WinWindowSubclassProp"), nullptr);
    EXPECT_EQ(SendMessageA(m_window, kProbe, 0, 0), 11);
}

TEST_F(WinWindowSubclassTest, ALaterSubclassIsNotCutOff) {
    {
        Probe probe;
        probe.Subclass(m_window);
        SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OtherProc));
    }
    EXPECT_EQ(CurrentProc(), &OtherProc);
    EXPECT_EQ(SendMessageA(m_window, kProbe, 0, 0), 33);
    SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OldProc));
    RemovePropA(m_window, "XCHG_WinWindowSubclassProp");
}

TEST_F(WinWindowSubclassTest, AWindowWhosePropertyNamesAnotherObjectIsLeftAlone) {
    Probe first;
    {
        Probe second;
        second.Subclass(m_window);
        SetPropA(m_window, "XCHG_WinWindowSubclassProp", &first);
    }
    EXPECT_EQ(CurrentProc(), &XCHG_WinWindowSubclass::StaticWindowProc);
    EXPECT_EQ(GetPropA(m_window, "XCHG_WinWindowSubclassProp"), &first);
    RemovePropA(m_window, "XCHG_WinWindowSubclassProp");
    SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OldProc));
}

TEST_F(WinWindowSubclassTest, AnObjectOutlivingItsWindowTouchesNothing) {
    Probe probe;
    probe.Subclass(m_window);
    DestroyWindow(m_window);
    EXPECT_FALSE(IsWindow(m_window));
}

TEST_F(WinWindowSubclassTest, ExceptionsBecomeHostErrorsAndTheWindowLivesOn) {
    struct Case {
        Probe::Mode mode;
        PDFL_ErrorCode code;
    };
    const Case cases[] = {{Probe::Mode::ThrowProgram, 4711}, {Probe::Mode::ThrowOther, 1}};
    Probe probe;
    probe.Subclass(m_window);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        probe.m_mode = c.mode;
        PDFL_ErrorCode raised = 0;
        try {
            SendMessageA(m_window, kProbe, 0, 0);
        } catch (const VIEW_HostRaise& raise) {
            raised = raise.Code();
        }
        EXPECT_EQ(raised, c.code);
        EXPECT_TRUE(IsWindow(m_window));
    }
    probe.m_mode = Probe::Mode::Answer;
    EXPECT_EQ(SendMessageA(m_window, kProbe, 0, 0), 22);
}

}  // namespace
