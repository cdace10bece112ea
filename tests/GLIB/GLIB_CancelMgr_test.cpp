// The shared cancel flag and the poll of a user-interface core.
#include "GLIB/GLIB_CancelMgr.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// Sets the flag at its third poll, as a Stop click found in pending input would.
struct ClickingCore : GLIB_CancelMgrCore {
    static int s_polls, s_live;
    ClickingCore() { ++s_live; }
    ~ClickingCore() override { --s_live; }
    void Poll() override {
        if (++s_polls == 3)
            SetCancelled(true);
    }
};
int ClickingCore::s_polls = 0, ClickingCore::s_live = 0;

}  // namespace

TEST(GLIB_CancelMgr, CopiesShareOneFlagThatOnlySettingClears) {
    GLIB_CancelMgr job, other;
    GLIB_CancelMgr window = job;
    window.SetCancelled(true);
    EXPECT_TRUE(job.ShouldCancel());
    EXPECT_TRUE(job.ShouldCancel());  // polling never clears it
    job.SetCancelled(false);
    other.SetCancelled(true);  // a manager of its own
    EXPECT_FALSE(window.ShouldCancel());
    job = static_cast<GLIB_CancelMgrCore*>(nullptr);
    EXPECT_THROW(job.ShouldCancel(), TestAssertionFailure);
}

TEST(GLIB_CancelMgr, APollThatSetsTheFlagAnswersTheSameCall) {
    ClickingCore::s_polls = 0;
    {
        GLIB_CancelMgr mgr;
        mgr = new ClickingCore;
        GLIB_CancelMgr copy = mgr;
        EXPECT_FALSE(mgr.ShouldCancel());
        EXPECT_FALSE(copy.ShouldCancel());
        EXPECT_TRUE(mgr.ShouldCancel());
        mgr = new GLIB_CancelMgrCore;
        EXPECT_TRUE(copy.ShouldCancel());  // copy still holds the clicking core
        EXPECT_FALSE(mgr.ShouldCancel());
    }
    EXPECT_EQ(ClickingCore::s_live, 0);
}

TEST(GLIB_CancelMgr, IsCancelledReadsTheSharedFlagWithoutPolling) {
    ClickingCore::s_polls = 0;
    GLIB_CancelMgr mgr;
    mgr = new ClickingCore;
    const GLIB_CancelMgr copy = mgr;
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(copy.IsCancelled());
    EXPECT_EQ(ClickingCore::s_polls, 0);  // a poll would have set it at the third
    mgr.SetCancelled(true);
    EXPECT_TRUE(copy.IsCancelled());
    mgr.SetCancelled(false);
    EXPECT_FALSE(copy.IsCancelled());
    EXPECT_EQ(ClickingCore::s_polls, 0);
    mgr = static_cast<GLIB_CancelMgrCore*>(nullptr);
    EXPECT_THROW(mgr.IsCancelled(), TestAssertionFailure);
}
