#include "viewer/program/VIEW_ProgramWrites.h"

#include <pthread.h>
#include <sched.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace {

constexpr int kMostThreads = 4;

int Cores() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

// Blocks the program's signals in the calling thread while the threads are
// started, so that they inherit the mask; the old mask comes back after.
class SignalsBlocked {
public:
    SignalsBlocked() {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        sigaddset(&set, SIGHUP);
        pthread_sigmask(SIG_BLOCK, &set, &m_old);
    }
    ~SignalsBlocked() { pthread_sigmask(SIG_SETMASK, &m_old, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

private:
    sigset_t m_old;
};

}  // namespace

int VIEW_WriteThreads(size_t count) {
    const int most = std::min(Cores(), kMostThreads);
    return static_cast<int>(std::max<size_t>(1, std::min(count, static_cast<size_t>(most))));
}

std::vector<VIEW_WriteResult> VIEW_RunWrites(const std::vector<std::function<bool()>>& writes, int threads,
                                             const std::function<bool()>& stop) {
    std::vector<VIEW_WriteResult> results(writes.size(), VIEW_WriteResult::NotRun);
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (;;) {
            const size_t i = next.fetch_add(1);
            if (i >= writes.size() || (stop && stop()))
                return;
            results[i] = writes[i]() ? VIEW_WriteResult::Written : VIEW_WriteResult::Failed;
        }
    };
    threads = std::max(1, std::min(threads, static_cast<int>(writes.size())));
    if (threads == 1) {
        work();
        return results;
    }
    std::vector<std::thread> helpers;
    {
        const SignalsBlocked blocked;
        // Fewer threads when the system gives no more; the calling thread
        // works in any case.
        try {
            for (int t = 1; t < threads; ++t)
                helpers.emplace_back(work);
        } catch (const std::system_error&) {
        }
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
    return results;
}
