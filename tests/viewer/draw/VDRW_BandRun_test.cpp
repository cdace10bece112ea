// Handing bands to workers: every band drawn once, by clones on other
// threads; the earliest failure comes back on the calling thread; workers
// have the program's signals blocked.
#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "viewer/cos/VCOS_TestPdf.h"
#include "viewer/draw/VDRW_BandRun.h"

namespace {

struct EngineHolder {
    VDRW_EngineHolder m_engine{VDRW_Checked("engine", [](VDRW_Status* status) { return VDRW_NewEngine(status); })};
};

bool Blocked(int signal) {
    sigset_t set;
    pthread_sigmask(SIG_BLOCK, nullptr, &set);
    return sigismember(&set, signal) == 1;
}

TEST(VDRW_BandRun, WorkersDrawEveryBandOnceWithTheirOwnEnginesAndTheProgramsSignalsBlocked) {
    const EngineHolder base;
    ASSERT_FALSE(Blocked(SIGINT));
    std::mutex mutex;
    std::multiset<size_t> drawn;
    std::set<VDRW_Engine*> engines;
    std::set<std::thread::id> threads;
    std::atomic<int> unblocked{0};
    {
        VDRW_BandRun run(base.m_engine.get(), 3, [&](VDRW_Engine* engine, size_t band, std::vector<uint8_t>& scratch) {
            scratch.push_back(1);  // each worker's own
            unblocked += !Blocked(SIGINT) + !Blocked(SIGTERM) + !Blocked(SIGHUP);
            const std::lock_guard<std::mutex> lock(mutex);
            drawn.insert(band);
            engines.insert(engine);
            threads.insert(std::this_thread::get_id());
        });
        for (size_t band = 0; band < 40; ++band)
            ASSERT_TRUE(run.Hand(band));
        run.Finish();
    }
    EXPECT_EQ(drawn.size(), 40u);
    for (size_t band = 0; band < 40; ++band)
        EXPECT_EQ(drawn.count(band), 1u);
    EXPECT_EQ(unblocked, 0);
    EXPECT_EQ(engines.count(base.m_engine.get()), 0u);
    EXPECT_LE(engines.size(), 3u);
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
    // The caller's mask is as it was.
    EXPECT_FALSE(Blocked(SIGINT));
    EXPECT_FALSE(Blocked(SIGHUP));
}

TEST(VDRW_BandRun, OneThreadDrawsOnTheCallerWithTheEngineItself) {
    const EngineHolder base;
    std::vector<size_t> order;
    VDRW_BandRun run(base.m_engine.get(), 1, [&](VDRW_Engine* engine, size_t band, std::vector<uint8_t>&) {
        EXPECT_EQ(engine, base.m_engine.get());
        order.push_back(band);
    });
    for (size_t band = 0; band < 5; ++band)
        EXPECT_TRUE(run.Hand(band));
    EXPECT_EQ(order, (std::vector<size_t>{0, 1, 2, 3, 4}));
    run.Finish();
}

TEST(VDRW_BandRun, TheEarliestFailedBandIsRethrownOnTheCallerAndNoBandIsHandedOutAfter) {
    const EngineHolder base;
    for (const int threads : {1, 4}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        std::atomic<int> calls{0};
        VDRW_BandRun run(base.m_engine.get(), threads, [&](VDRW_Engine*, size_t band, std::vector<uint8_t>&) {
            ++calls;
            if (band >= 6)
                throw std::runtime_error("band " + std::to_string(band));
        });
        size_t handed = 0;
        while (handed < 100 && run.Hand(handed))
            ++handed;
        // Once band 6 fails, at most the bands already with the workers follow.
        EXPECT_GE(handed, 7u);
        EXPECT_LE(handed, 7u + threads);
        try {
            run.Finish();
            ADD_FAILURE() << "no failure";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), "band 6");
        }
        EXPECT_EQ(calls, static_cast<int>(handed));
    }
}

TEST(VDRW_BandRun, AbortStopsTheWorkersEnginesAndNotTheCallers) {
    const EngineHolder base;
    const std::string content = "0 g 0 0 100 100 re f";
    const std::string file = VCOS_MakePdf(
        "%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                     "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents 4 0 R >>",
                     "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream"});
    VDRW_Engine* engine = base.m_engine.get();
    const VDRW_DocumentHolder document(engine, VDRW_Checked("open", [&](VDRW_Status* status) {
        return VDRW_OpenDocument(engine, reinterpret_cast<const unsigned char*>(file.data()), file.size(), status);
    }));
    const VDRW_PageListHolder list(engine, VDRW_Checked("list", [&](VDRW_Status* status) {
        return VDRW_NewPageList(engine, document.Get(), 0, status);
    }));
    const VDRW_Transform identity{1, 0, 0, -1, 0, 100};
    std::mutex mutex;
    std::vector<int> codes;
    VDRW_BandRun run(engine, 2, [&](VDRW_Engine* clone, size_t index, std::vector<uint8_t>& pixels) {
        pixels.assign(100 * 10 * 4, 0xAB);
        const VDRW_Band band{pixels.data(), 0, 0, 100, 10};
        VDRW_Status status{};
        VDRW_DrawBand(clone, list.Get(), &identity, &band, &status);
        const std::lock_guard<std::mutex> lock(mutex);
        codes.push_back(status.m_code);
        // A band handed after the abort drew nothing: the list was stopped
        // before its first command. Band 0 may be stopped after its fill.
        if (index > 0) {
            EXPECT_EQ(pixels[0], 0xAB);
        }
    });
    ASSERT_TRUE(run.Hand(0));
    run.Abort(std::chrono::milliseconds(0));
    for (size_t band = 1; band < 6; ++band)
        ASSERT_TRUE(run.Hand(band));
    run.Finish();
    ASSERT_EQ(codes.size(), 6u);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), int(VDRW_StatusAborted)), 5 + (codes[0] == VDRW_StatusAborted));
    // The caller's engine draws on.
    std::vector<uint8_t> pixels(100 * 10 * 4, 0xAB);
    const VDRW_Band band{pixels.data(), 0, 0, 100, 10};
    VDRW_Status status{};
    EXPECT_EQ(VDRW_DrawBand(engine, list.Get(), &identity, &band, &status), 1);
    EXPECT_EQ(pixels[0], 0);
}

// Each band waits, up to 10 s, until as many bands draw at once as there
// are workers: bands are handed as soon as a worker is free, not once one
// has finished.
TEST(VDRW_BandRun, AsManyBandsDrawAtOnceAsThereAreWorkers) {
    const EngineHolder base;
    for (const int workers : {2, 5, 8}) {
        SCOPED_TRACE(std::to_string(workers) + " workers");
        std::mutex mutex;
        std::condition_variable changed;
        int started = 0;
        VDRW_BandRun run(base.m_engine.get(), workers, [&](VDRW_Engine*, size_t band, std::vector<uint8_t>&) {
            std::unique_lock<std::mutex> lock(mutex);
            // The bands that start k-th to (k + workers - 1)-th wait for each other.
            const int round = started++ / workers;
            changed.notify_all();
            const bool together = changed.wait_for(lock, std::chrono::seconds(10),
                                                   [&] { return started >= (round + 1) * workers; });
            if (!together)
                throw std::runtime_error("band " + std::to_string(band) + " drew alone");
        });
        // Three rounds of a band for every worker.
        for (size_t band = 0; band < size_t(3 * workers); ++band)
            ASSERT_TRUE(run.Hand(band));
        EXPECT_NO_THROW(run.Finish());
    }
}

TEST(VDRW_BandRun, DefaultThreadsFallWithTheDrawingsSizeAndStayBetweenOneAndEight) {
    const int small = VDRW_BandRun::DefaultThreads(1000);
    const int letter600 = VDRW_BandRun::DefaultThreads(uint64_t(5100) * 6600);
    EXPECT_GE(small, 1);
    EXPECT_LE(small, 8);
    EXPECT_LE(letter600, small);
    EXPECT_GE(letter600, 1);
    // A drawing whose tiles alone could fill any memory gets one thread.
    EXPECT_EQ(VDRW_BandRun::DefaultThreads(uint64_t(1) << 50), 1);
}

TEST(VDRW_BandRun, LeavingWithoutFinishWaitsForTheBandsHandedOut) {
    const EngineHolder base;
    std::atomic<int> done{0};
    {
        VDRW_BandRun run(base.m_engine.get(), 4, [&](VDRW_Engine*, size_t, std::vector<uint8_t>&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ++done;
        });
        for (size_t band = 0; band < 4; ++band)
            run.Hand(band);
    }
    EXPECT_EQ(done, 4);
}

}  // namespace
