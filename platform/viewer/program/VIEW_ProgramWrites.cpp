#include "viewer/program/VIEW_ProgramWrites.h"
#include "viewer/VIEW_Threads.h"


#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace {

constexpr int kMostThreads = 4;

}  // namespace

int VIEW_WriteThreads(size_t count) {
    const int most = std::min(VIEW_Cores(), kMostThreads);
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
        const VIEW_SignalsBlocked blocked;
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
