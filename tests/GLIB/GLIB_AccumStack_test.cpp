// The accumulator container: set-up order, reset and release.
#include "GLIB/GLIB_AccumStack.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// Numbered in the order made; appends its number to s_resets when reset.
struct Probe : GLIB_Accumulator {
    static int s_made, s_live;
    static std::string s_resets;
    const int m_id = s_made++;
    Probe() { ++s_live; }
    ~Probe() override { --s_live; }
    void Reset() override { s_resets += std::to_string(m_id); }
};
int Probe::s_made = 0, Probe::s_live = 0;
std::string Probe::s_resets;

int g_failAt = -1;  // the factory throws instead of making this one
GLIB_Accumulator* Make() {
    if (Probe::s_made == g_failAt)
        throw std::runtime_error("out of accumulators");
    return new Probe;
}

}  // namespace

TEST(GLIB_AccumStack, SetupAndResetOrderAndOwnershipEvenWhenTheFactoryFails) {
    LogCapture log;
    Probe::s_made = 0;
    Probe::s_resets.clear();
    {
        GLIB_AccumStack stack;
        stack.Setup({"Cyan", "Magenta"}, Make);
        std::string made;  // second then first for each channel, then the extra one
        for (GLIB_Accumulator* a : {stack.Second(0), stack.First(0), stack.Second(1), stack.First(1), stack.Extra()})
            made += std::to_string(static_cast<Probe*>(a)->m_id);
        EXPECT_EQ(made, "01234");
        stack.Counter(1) = 9;
        stack.SetTop(1);
        stack.SetTrace(true);
        stack.Reset();
        EXPECT_EQ(Probe::s_resets, "1032");  // first before second; the extra one is not reset
        EXPECT_EQ(stack.Counter(1), 0u);
        EXPECT_EQ(stack.Top(), -1);
        EXPECT_TRUE(log.Contains(GLIB_LogDebug, "Resetting AccumStack"));
        stack.Setup({"Black"}, Make);  // the old accumulators go first
        EXPECT_EQ(Probe::s_live, 3);
        // A factory that fails part-way: what was made is owned, and can still be reset.
        Probe::s_resets.clear();
        g_failAt = Probe::s_made + 2;  // channel B's second
        EXPECT_THROW(stack.Setup({"A", "B"}, Make), std::runtime_error);
        g_failAt = -1;
        stack.Reset();
        EXPECT_EQ(Probe::s_resets, "98");
    }
    EXPECT_EQ(Probe::s_live, 0);
}
