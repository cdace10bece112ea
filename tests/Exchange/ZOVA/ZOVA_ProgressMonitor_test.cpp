// The host progress bar driven by progress messages, and the cancel core's
// one-message pump of the Stop button.
#include "Exchange/ZOVA/ZOVA_CancelMgrCore.h"
#include "Exchange/ZOVA/ZOVA_ProgressMonitor.h"

#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "separation/CSEP_ProgressMessage.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_Progress.h"
#include "viewer/VIEW_Recorder.h"
#include "win32/Win32TestWindow.h"

#include <limits>
#include <memory>

namespace {

using Kind = VIEW_ProgressKind;

class ZOVA_ProgressMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIEW_Host::Reset();
        m_core = gXCHG_CoreHFT;
        m_acroView = gXCHG_AcroViewHFT;
        gXCHG_CoreHFT = VIEW_Host::Table(PDFL_CoreTable);
        gXCHG_AcroViewHFT = VIEW_Host::Table(PDFL_AcroViewTable);
    }
    void TearDown() override {
        gXCHG_CoreHFT = m_core;
        gXCHG_AcroViewHFT = m_acroView;
    }

private:
    PDFL_HFT m_core = nullptr;
    PDFL_HFT m_acroView = nullptr;
};

size_t ProgressSlotCalls() {
    size_t calls = 0;
    for (const VIEW_Call& call : VIEW_Recorder::Calls())
        calls += call.m_table == PDFL_AcroViewTable && call.m_slot == 15;
    return calls;
}

}  // namespace

TEST_F(ZOVA_ProgressMonitorTest, ValuesTruncateAndEndLeavesOneHundredOnce) {
    {
        ZOVA_ProgressMonitor monitor;
        monitor.OnProgress(CSEP_ProgressMessage(0.4));
        monitor.OnProgress(CSEP_ProgressMessage(42.5));
        monitor.OnProgress(CSEP_ProgressMessage(99.9));
        monitor.End();
        monitor.OnProgress(CSEP_ProgressMessage(50));  // after End: the bar is forgotten
        monitor.End();
    }
    const std::vector<VIEW_ProgressEvent> expected = {
        {Kind::Duration, 100}, {Kind::Begin, 0},   {Kind::Value, 0}, {Kind::Value, 42},
        {Kind::Value, 99},     {Kind::Value, 100}, {Kind::End, 0},
    };
    EXPECT_EQ(VIEW_Progress::Events(), expected);
    EXPECT_EQ(ProgressSlotCalls(), 1u);
}

TEST_F(ZOVA_ProgressMonitorTest, DestroyingWithoutEndEndsTheOperation) {
    {
        ZOVA_ProgressMonitor monitor;
        monitor.OnProgress(CSEP_ProgressMessage(7.99));
    }
    const std::vector<VIEW_ProgressEvent> expected = {
        {Kind::Duration, 100}, {Kind::Begin, 0}, {Kind::Value, 7}, {Kind::End, 0}};
    EXPECT_EQ(VIEW_Progress::Events(), expected);
}

TEST_F(ZOVA_ProgressMonitorTest, OutOfRangeValuesSaturateAndNaNIsSkipped) {
    {
        ZOVA_ProgressMonitor monitor;
        monitor.OnProgress(CSEP_ProgressMessage(1e12));
        monitor.OnProgress(CSEP_ProgressMessage(-1e12));
        monitor.OnProgress(CSEP_ProgressMessage(std::numeric_limits<double>::quiet_NaN()));
        monitor.OnProgress(CSEP_ProgressMessage(-0.5));
    }
    const std::vector<VIEW_ProgressEvent> expected = {
        {Kind::Duration, 100}, {Kind::Begin, 0},    {Kind::Value, INT32_MAX},
        {Kind::Value, INT32_MIN}, {Kind::Value, 0}, {Kind::End, 0}};
    EXPECT_EQ(VIEW_Progress::Events(), expected);
}

TEST_F(ZOVA_ProgressMonitorTest, AHostWithoutAProgressBarGetsNoCall) {
    VIEW_Progress::SetAvailable(false);
    {
        ZOVA_ProgressMonitor monitor;
        monitor.OnProgress(CSEP_ProgressMessage(50));
        monitor.End();
    }
    EXPECT_TRUE(VIEW_Progress::Events().empty());
    EXPECT_EQ(ProgressSlotCalls(), 1u);
    for (const VIEW_Call& call : VIEW_Recorder::Calls()) {
        if (call.m_table == PDFL_AcroViewTable) {
            EXPECT_EQ(call.m_slot, 15);
        }
    }
}

// ---- The cancel core --------------------------------------------------------

namespace {

constexpr UINT Click = WM_USER + 1;

class ZOVA_CancelMgrCoreTest : public Win32WindowTest {
protected:
    void SetUp() override {
        Win32WindowTest::SetUp();
        m_button = Make(WS_POPUP, {0, 0, 20, 20});
        m_other = Make(WS_POPUP, {30, 0, 50, 20});
        On(m_button, Click, [this](HWND, WPARAM w, LPARAM) {
            m_buttonSeen.push_back(static_cast<int>(w));
            return 0;
        });
        On(m_other, Click, [this](HWND, WPARAM, LPARAM) {
            ++m_otherSeen;
            return 0;
        });
        m_mgr = new ZOVA_CancelMgrCore([this] { return m_button; });
    }
    void TearDown() override {
        m_mgr = new GLIB_CancelMgrCore;  // the core's lambda holds this fixture
        Win32WindowTest::TearDown();
    }

    // The number of PeekMessageA calls one ShouldCancel makes, and its answer.
    std::pair<int, bool> Poll() {
        auto peeks = std::make_shared<int>(0);
        for (unsigned n = 1; n <= 3; ++n)
            Win32Driver::AtPeek(n, [peeks] { ++*peeks; });
        const bool cancelled = m_mgr.ShouldCancel();
        const int made = *peeks;
        // Spend the waiting actions so that they do not reach the next poll.
        MSG unused;
        for (int i = made; i < 3; ++i)
            PeekMessageA(&unused, reinterpret_cast<HWND>(-1), 0, 0, PM_NOREMOVE);
        return {made, cancelled};
    }

    HWND m_button = nullptr;
    HWND m_other = nullptr;
    std::vector<int> m_buttonSeen;
    int m_otherSeen = 0;
    GLIB_CancelMgr m_mgr;
};

}  // namespace

TEST_F(ZOVA_CancelMgrCoreTest, EachPollDispatchesOneButtonMessageAndNoOtherWindows) {
    PostMessageA(m_other, Click, 0, 0);
    for (int i = 1; i <= 3; ++i)
        PostMessageA(m_button, Click, i, 0);
    EXPECT_EQ(Poll(), std::make_pair(1, false));
    EXPECT_EQ(m_buttonSeen, std::vector<int>({1}));
    EXPECT_EQ(Poll(), std::make_pair(1, false));
    EXPECT_EQ(m_buttonSeen, std::vector<int>({1, 2}));
    EXPECT_EQ(m_otherSeen, 0);
    // The third stays queued for the next poll; the other window's is left
    // for the host's own loop.
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, m_button, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_TRUE(PeekMessageA(&message, m_other, 0, 0, PM_NOREMOVE));
}

TEST_F(ZOVA_CancelMgrCoreTest, AClickThatStopsIsSeenByTheSamePollAndLaterPollsPumpNothing) {
    On(m_button, Click, [this](HWND, WPARAM w, LPARAM) {
        m_buttonSeen.push_back(static_cast<int>(w));
        m_mgr.SetCancelled(true);  // what the Stop command does
        return 0;
    });
    PostMessageA(m_button, Click, 1, 0);
    PostMessageA(m_button, Click, 2, 0);
    EXPECT_EQ(Poll(), std::make_pair(1, true));
    EXPECT_EQ(Poll(), std::make_pair(0, true));
    EXPECT_EQ(m_buttonSeen, std::vector<int>({1}));
    EXPECT_TRUE(m_mgr.IsCancelled());
}

TEST_F(ZOVA_CancelMgrCoreTest, WithoutAButtonWindowNothingIsPumped) {
    m_button = nullptr;
    PostMessageA(m_other, Click, 0, 0);
    EXPECT_EQ(Poll(), std::make_pair(0, false));
    EXPECT_EQ(m_otherSeen, 0);
}
