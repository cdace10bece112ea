#include "viewer/draw/VDRW_BandRun.h"
#include "viewer/VIEW_Threads.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <system_error>

#include "viewer/draw/VDRW_Error.h"

namespace {

constexpr int kMostThreads = 8;
// What one thread may hold besides tiles: its band, glyphs, MuPDF's own
// working memory.
constexpr uint64_t kBytesPerThread = uint64_t(64) << 20;
// A tiling pattern's tile covers its whole cell, whatever the band: on the
// busy pages seen, nearly twice the drawing's area at 4 bytes a pixel (62
// MB at 300 dpi, 240 MB at 600), and as much again kept for reuse.
constexpr uint64_t kTileBytesPerPixel = 12;

VDRW_BandRun::StartHook g_startHook = nullptr;
VDRW_BandRun::BandHook g_bandHook = nullptr;

// MemAvailable of /proc/meminfo in bytes; 0 when it cannot be read.
uint64_t AvailableMemory() {
    FILE* file = std::fopen("/proc/meminfo", "r");
    if (!file)
        return 0;
    char line[128];
    unsigned long long kilobytes = 0;
    while (std::fgets(line, sizeof line, file))
        if (std::sscanf(line, "MemAvailable: %llu kB", &kilobytes) == 1)
            break;
    std::fclose(file);
    return uint64_t(kilobytes) * 1024;
}

}  // namespace

int VDRW_BandRun::DefaultThreads(uint64_t pixels) {
    int threads = std::min(VIEW_Cores(), kMostThreads);
    // Half of what is free, so that the rest of the program and its
    // neighbours keep room.
    const uint64_t available = AvailableMemory() / 2;
    const uint64_t perThread = kBytesPerThread + kTileBytesPerPixel * pixels;
    if (available > 0)
        threads = static_cast<int>(std::min<uint64_t>(threads, available / perThread));
    return std::max(threads, 1);
}

VDRW_BandRun::VDRW_BandRun(VDRW_Engine* engine, int threads, Job job) : m_engine(engine), m_job(std::move(job)) {
    if (threads <= 1)
        return;
    for (int i = 0; i < threads; ++i)
        m_clones.emplace_back(VDRW_Checked("cannot start a drawing thread", [&](VDRW_Status* status) {
            return VDRW_CloneEngine(engine, status);
        }));
    const VIEW_SignalsBlocked blocked;
    try {
        for (size_t i = 0; i < m_clones.size(); ++i) {
            if (g_startHook)
                g_startHook(static_cast<int>(i));
            m_workers.emplace_back([this, clone = m_clones[i].get()] { Work(clone); });
        }
    } catch (...) {
        // The workers already started end before the failure goes on.
        Stop();
        try {
            throw;
        } catch (const std::system_error& error) {
            throw VDRW_Error(std::string("VDRW_PageDrawer: cannot start a drawing thread: ") + error.what());
        }
    }
}

void VDRW_BandRun::SetStartHook(StartHook hook) { g_startHook = hook; }

void VDRW_BandRun::SetBandHook(BandHook hook) { g_bandHook = hook; }

VDRW_BandRun::~VDRW_BandRun() { Stop(); }

bool VDRW_BandRun::Hand(size_t band) {
    if (m_workers.empty()) {
        if (m_failed)
            return false;
        try {
            if (g_bandHook)
                g_bandHook(band);
            m_job(m_engine, band, m_scratch);
        } catch (...) {
            Record(band, std::current_exception());
        }
        return true;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_toCaller.wait(lock, [&] { return m_failed || (m_idle > 0 && !m_hasNext); });
    if (m_failed)
        return false;
    m_hasNext = true;
    m_next = band;
    m_toWorkers.notify_one();
    return true;
}

void VDRW_BandRun::Abort(std::chrono::milliseconds grace) {
    if (m_workers.empty())
        return;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_toCaller.wait_for(lock, grace, [&] { return !m_hasNext && m_idle == static_cast<int>(m_workers.size()); });
    }
    // Even when all are idle: a band handed after the cancel must not draw.
    for (VDRW_EngineHolder& clone : m_clones)
        VDRW_AbortBands(clone.get());
}

void VDRW_BandRun::Finish() {
    Stop();
    if (m_failure) {
        std::exception_ptr failure = m_failure;
        m_failure = nullptr;
        std::rethrow_exception(failure);
    }
}

void VDRW_BandRun::Work(VDRW_Engine* engine) {
    std::vector<uint8_t> scratch;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        ++m_idle;
        m_toCaller.notify_one();
        m_toWorkers.wait(lock, [&] { return m_hasNext || m_closing; });
        if (!m_hasNext)
            return;
        const size_t band = m_next;
        m_hasNext = false;
        --m_idle;
        lock.unlock();
        // The caller may hand the next band to another idle worker now.
        m_toCaller.notify_one();
        std::exception_ptr failure;
        try {
            if (g_bandHook)
                g_bandHook(band);
            m_job(engine, band, scratch);
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        if (failure)
            Record(band, failure);
    }
}

// Called with the lock held, or on the calling thread when there are no workers.
void VDRW_BandRun::Record(size_t band, std::exception_ptr failure) {
    if (!m_failed || band < m_failedBand) {
        m_failed = true;
        m_failedBand = band;
        m_failure = failure;
    }
}

void VDRW_BandRun::Stop() {
    if (!m_workers.empty()) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_toCaller.wait(lock, [&] { return !m_hasNext && m_idle == static_cast<int>(m_workers.size()); });
            m_closing = true;
        }
        m_toWorkers.notify_all();
        for (std::thread& worker : m_workers)
            worker.join();
        m_workers.clear();
    }
    m_clones.clear();
}
