// The C stream guard: who closes the stream, and when.
#include "GLIB/GLIB_FileGuard.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <utility>

namespace {

// A stream whose closes are counted and can be made to fail.
struct Probe {
    int closes = 0;
    bool failClose = false;
};

FILE* OpenProbe(Probe& probe) {
    cookie_io_functions_t io{};
    io.close = [](void* cookie) -> int {
        auto* p = static_cast<Probe*>(cookie);
        ++p->closes;
        return p->failClose ? -1 : 0;
    };
    return fopencookie(&probe, "w", io);
}

}  // namespace

TEST(GLIB_FileGuard, ClosesOnlyWhatItOwnsAndOnlyOnce) {
    // The closes of the guard's stream and of the other one once the guard is gone.
    const struct { void (*step)(GLIB_FileGuard&, FILE* other); int firstCloses, otherCloses; } cases[] = {
        {[](GLIB_FileGuard&, FILE*) {}, 1, 0},
        {[](GLIB_FileGuard& g, FILE*) { g.Close(); g.Close(); }, 1, 0},
        {[](GLIB_FileGuard& g, FILE*) { g.Release(); }, 0, 0},
        {[](GLIB_FileGuard& g, FILE*) { g.Reset(g.File()); }, 1, 0},  // not closed early
        {[](GLIB_FileGuard& g, FILE* other) { g.Reset(other); }, 1, 1},
        {[](GLIB_FileGuard& g, FILE* other) { GLIB_FileGuard taker(other); taker = std::move(g); }, 1, 1},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        Probe first, other;
        FILE* f1 = OpenProbe(first);
        FILE* f2 = OpenProbe(other);
        ASSERT_TRUE(f1 && f2);
        {
            GLIB_FileGuard guard(f1);
            cases[i].step(guard, f2);
        }
        EXPECT_EQ(first.closes, cases[i].firstCloses);
        EXPECT_EQ(other.closes, cases[i].otherCloses);
        if (first.closes == 0)
            std::fclose(f1);
        if (other.closes == 0)
            std::fclose(f2);
    }
}

TEST(GLIB_FileGuard, FailedCloseIsAWarningAndForgetsTheStream) {
    LogCapture log;
    Probe probe{0, true};
    GLIB_FileGuard guard(OpenProbe(probe));
    guard.Close();
    guard.Close();
    EXPECT_EQ(probe.closes, 1);
    EXPECT_TRUE(log.Contains(GLIB_LogWarning, "Failed to close file handle"));
}
