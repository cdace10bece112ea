// The output's writes on a few threads: every write once, each result at
// its own place, no write started after a stop, and the program's signals
// blocked in the threads the writes start.
#include "viewer/program/VIEW_ProgramWrites.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

bool Blocked(int signal) {
    sigset_t mask;
    pthread_sigmask(SIG_SETMASK, nullptr, &mask);
    return sigismember(&mask, signal) == 1;
}

TEST(TS_ProgramWrites, EveryWriteRunsOnceAndEachResultKeepsItsPlace) {
    for (const int threads : {1, 2, 4, 7}) {
        SCOPED_TRACE(threads);
        constexpr int kWrites = 23;
        std::vector<std::atomic<int>> runs(kWrites);
        std::vector<std::function<bool()>> writes;
        for (int i = 0; i < kWrites; ++i)
            writes.push_back([&runs, i] {
                runs[i].fetch_add(1);
                return i % 5 != 3;
            });
        const std::vector<VIEW_WriteResult> results = VIEW_RunWrites(writes, threads, nullptr);
        ASSERT_EQ(results.size(), size_t(kWrites));
        for (int i = 0; i < kWrites; ++i) {
            EXPECT_EQ(runs[i].load(), 1) << i;
            EXPECT_EQ(results[i], i % 5 == 3 ? VIEW_WriteResult::Failed : VIEW_WriteResult::Written) << i;
        }
    }
    EXPECT_TRUE(VIEW_RunWrites({}, 4, nullptr).empty());
}

TEST(TS_ProgramWrites, NoWriteStartsAfterTheStop) {
    std::atomic<int> done{0};
    std::vector<std::function<bool()>> writes(9, [&done] {
        done.fetch_add(1);
        return true;
    });
    const std::vector<VIEW_WriteResult> results = VIEW_RunWrites(writes, 1, [&done] { return done.load() >= 3; });
    ASSERT_EQ(results.size(), size_t(9));
    EXPECT_EQ(done.load(), 3);
    for (size_t i = 0; i < results.size(); ++i)
        EXPECT_EQ(results[i], i < 3 ? VIEW_WriteResult::Written : VIEW_WriteResult::NotRun) << i;
}

TEST(TS_ProgramWrites, WritesRunTogetherAndStartedThreadsBlockTheProgramSignals) {
    ASSERT_FALSE(Blocked(SIGINT));
    const std::thread::id caller = std::this_thread::get_id();
    std::mutex lock;
    std::condition_variable changed;
    int started = 0;
    std::atomic<int> elsewhere{0}, unblocked{0};
    // Each write waits for the other to start: both finish only when two
    // threads run them at once.
    auto write = [&] {
        std::unique_lock<std::mutex> held(lock);
        ++started;
        changed.notify_all();
        const bool both = changed.wait_for(held, std::chrono::seconds(10), [&] { return started == 2; });
        if (std::this_thread::get_id() != caller) {
            elsewhere.fetch_add(1);
            if (!Blocked(SIGINT) || !Blocked(SIGTERM) || !Blocked(SIGHUP))
                unblocked.fetch_add(1);
        }
        return both;
    };
    const std::vector<VIEW_WriteResult> results = VIEW_RunWrites({write, write}, 2, nullptr);
    EXPECT_EQ(results, std::vector<VIEW_WriteResult>(2, VIEW_WriteResult::Written));
    EXPECT_EQ(elsewhere.load(), 1);
    EXPECT_EQ(unblocked.load(), 0);
    // The caller's own mask is as it was.
    EXPECT_FALSE(Blocked(SIGINT));
    EXPECT_FALSE(Blocked(SIGTERM));
    EXPECT_FALSE(Blocked(SIGHUP));
}

TEST(TS_ProgramWrites, ThreadsStayFewAndNeverExceedTheWrites) {
    EXPECT_EQ(VIEW_WriteThreads(0), 1);
    EXPECT_EQ(VIEW_WriteThreads(1), 1);
    EXPECT_GE(VIEW_WriteThreads(9), 1);
    EXPECT_LE(VIEW_WriteThreads(9), 4);
    EXPECT_LE(VIEW_WriteThreads(2), 2);
}

}  // namespace
