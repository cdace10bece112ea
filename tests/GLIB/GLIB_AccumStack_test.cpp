// The accumulator container: set-up order, reset and release.
#include "GLIB/GLIB_AccumStack.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records what happens to every accumulator made.
struct Journal {
    std::vector<std::string> events;
    int live = 0;
};

class Probe : public GLIB_Accumulator {
public:
    Probe(Journal& journal, int id) : m_journal(journal), m_id(id) { ++m_journal.live; }
    ~Probe() override { --m_journal.live; }
    void Reset() override { m_journal.events.push_back("reset " + std::to_string(m_id)); }
    int Id() const { return m_id; }

private:
    Journal& m_journal;
    int m_id;
};

GLIB_AccumStack::Factory Maker(Journal& journal) {
    auto next = std::make_shared<int>(0);
    return [&journal, next] { return new Probe(journal, (*next)++); };
}

}  // namespace

TEST(GLIB_AccumStack, WithoutChannelsResetOnlyEmptiesTheStack) {
    LogCapture log;
    GLIB_AccumStack stack;
    EXPECT_EQ(stack.ChannelCount(), 0);
    EXPECT_EQ(stack.Extra(), nullptr);
    stack.SetTop(4);
    stack.Reset();
    EXPECT_EQ(stack.Top(), -1);
    EXPECT_TRUE(log.Entries().empty());
    stack.SetTrace(true);
    stack.Reset();
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, "Resetting AccumStack"));
}

TEST(GLIB_AccumStack, SetupMakesSecondThenFirstThenExtraAndOwnsThem) {
    Journal journal;
    {
        GLIB_AccumStack stack;
        stack.Setup({"Cyan", "Magenta"}, Maker(journal));
        ASSERT_EQ(stack.ChannelCount(), 2);
        EXPECT_EQ(stack.ChannelName(1), "Magenta");
        EXPECT_EQ(static_cast<Probe*>(stack.Second(0))->Id(), 0);
        EXPECT_EQ(static_cast<Probe*>(stack.First(0))->Id(), 1);
        EXPECT_EQ(static_cast<Probe*>(stack.Second(1))->Id(), 2);
        EXPECT_EQ(static_cast<Probe*>(stack.First(1))->Id(), 3);
        EXPECT_EQ(static_cast<Probe*>(stack.Extra())->Id(), 4);
        EXPECT_EQ(journal.live, 5);

        stack.Counter(0) = 7;
        stack.Counter(1) = 9;
        stack.SetTop(1);
        stack.Reset();
        // First before second, channel by channel; the extra one is not reset.
        EXPECT_EQ(journal.events, (std::vector<std::string>{"reset 1", "reset 0", "reset 3", "reset 2"}));
        EXPECT_EQ(stack.Counter(0), 0u);
        EXPECT_EQ(stack.Counter(1), 0u);
        EXPECT_EQ(stack.Top(), -1);

        // A new set-up releases the old accumulators first.
        stack.Setup({"Black"}, Maker(journal));
        EXPECT_EQ(journal.live, 3);
    }
    EXPECT_EQ(journal.live, 0);
}

TEST(GLIB_AccumStack, AFactoryThatFailsPartWayLeaksNothing) {
    Journal journal;
    int made = 0;
    {
        GLIB_AccumStack stack;
        const auto failing = [&]() -> GLIB_Accumulator* {
            if (++made == 3)
                throw std::runtime_error("out of accumulators");
            return new Probe(journal, made);
        };
        EXPECT_THROW(stack.Setup({"A", "B"}, failing), std::runtime_error);
        stack.Reset();  // what was made can still be reset
    }
    EXPECT_EQ(journal.live, 0);
}
