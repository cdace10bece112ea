// The shared cancel flag and the poll of a user-interface core.
#include "GLIB/GLIB_CancelMgr.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

// Sets the flag at its nth poll, as a Stop click found in pending input would.
class ClickingCore : public GLIB_CancelMgrCore {
public:
    ClickingCore(int clickAt, int* polls, bool* destroyed) : m_clickAt(clickAt), m_polls(polls), m_destroyed(destroyed) {}
    ~ClickingCore() override { *m_destroyed = true; }

protected:
    void Poll() override {
        if (++*m_polls == m_clickAt)
            SetCancelled(true);
    }

private:
    int m_clickAt;
    int* m_polls;
    bool* m_destroyed;
};

}  // namespace

TEST(GLIB_CancelMgr, CopiesShareOneFlagThatOnlySettingClears) {
    GLIB_CancelMgr job;
    GLIB_CancelMgr window = job;
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(job.ShouldCancel());
    window.SetCancelled(true);
    EXPECT_TRUE(job.ShouldCancel());
    EXPECT_TRUE(job.ShouldCancel());  // polling never clears it
    job.SetCancelled(false);
    EXPECT_FALSE(window.ShouldCancel());

    GLIB_CancelMgr other;  // a manager of its own
    other.SetCancelled(true);
    EXPECT_FALSE(job.ShouldCancel());
    job = other;
    EXPECT_TRUE(job.ShouldCancel());
}

TEST(GLIB_CancelMgr, APollThatSetsTheFlagAnswersTheSameCall) {
    int polls = 0;
    bool destroyed = false;
    {
        GLIB_CancelMgr mgr;
        mgr = new ClickingCore(3, &polls, &destroyed);
        GLIB_CancelMgr copy = mgr;
        EXPECT_FALSE(mgr.ShouldCancel());
        EXPECT_FALSE(copy.ShouldCancel());
        EXPECT_TRUE(mgr.ShouldCancel());  // the third poll clicks
        EXPECT_EQ(polls, 3);
        EXPECT_TRUE(copy.ShouldCancel());
        mgr = new GLIB_CancelMgrCore;  // copy still holds the clicking core
        EXPECT_FALSE(destroyed);
        EXPECT_FALSE(mgr.ShouldCancel());
    }
    EXPECT_TRUE(destroyed);
}

TEST(GLIB_CancelMgr, AManagerWithoutACoreAsserts) {
    GLIB_CancelMgr mgr;
    mgr = static_cast<GLIB_CancelMgrCore*>(nullptr);
    try {
        mgr.ShouldCancel();
        FAIL() << "no assertion";
    } catch (const TestAssertionFailure& f) {
        EXPECT_EQ(f.m_expression, "!m_cancelMgrCore.isNull()");
    }
    EXPECT_THROW(mgr.SetCancelled(true), TestAssertionFailure);
}
