// Draws the bands of one drawing on worker threads, each with its own clone
// of the engine, as the calling thread hands them out one at a time.
//
// The calling thread stays the only one that calls back into the plug-in:
// it asks the cancel procedure before handing out each band, and a band is
// handed out only when a worker is free, so at most one band per worker is
// in flight when it stops; Abort gives those a short time to end and then
// stops them at their next display-list command. A worker's exception is carried back: Finish
// rethrows the one of the earliest band that failed. Workers block the
// signals the program handles (SIGINT, SIGTERM, SIGHUP), so those reach
// the main thread.
//
// With one thread no worker is started: Hand draws the band at once on the
// calling thread with the engine itself.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "viewer/draw/VDRW_MuPDFHolders.h"

class VDRW_BandRun {
public:
    // Draws band i with engine; scratch is the thread's own, kept from band
    // to band. May throw.
    using Job = std::function<void(VDRW_Engine* engine, size_t band, std::vector<uint8_t>& scratch)>;

    // The threads a drawing of that many pixels may use here: bounded by
    // the cores and by the memory a thread may need (a tiling pattern's tile
    // can be twice the drawing's size: 60 MB a thread at 300 dpi).
    static int DefaultThreads(uint64_t pixels);

    // Throws VDRW_Error when a thread cannot start, once those started
    // have ended.
    VDRW_BandRun(VDRW_Engine* engine, int threads, Job job);
    ~VDRW_BandRun();  // waits for the workers; a failure not yet rethrown is dropped
    VDRW_BandRun(const VDRW_BandRun&) = delete;
    VDRW_BandRun& operator=(const VDRW_BandRun&) = delete;

    // Waits for a free worker and gives it the band; false (nothing handed
    // out) once a band has failed.
    bool Hand(size_t band);
    // From the calling thread, on a cancel: waits up to grace for the bands
    // in flight; those still drawing then end at their next display-list
    // command and leave their pixels as they were (the job sees
    // VDRW_StatusAborted), and so does every band handed after. Finish
    // still follows.
    void Abort(std::chrono::milliseconds grace);
    // Waits until every band handed out is drawn, ends the workers and
    // rethrows the failure of the earliest failed band.
    void Finish();

    // For tests: called on the calling thread before each worker starts,
    // with its index from 0; a std::system_error it throws stands for the
    // thread not starting. Null (the default) for none.
    using StartHook = void (*)(int worker);
    static void SetStartHook(StartHook hook);
    // For tests: called on the thread that draws each band, just before the
    // job, with the band's index (to make a band slow on purpose). Set it
    // before the run starts. Null (the default) for none.
    using BandHook = void (*)(size_t band);
    static void SetBandHook(BandHook hook);

private:
    void Work(VDRW_Engine* engine);
    void Record(size_t band, std::exception_ptr failure);
    void Stop();

    VDRW_Engine* m_engine;
    Job m_job;
    std::vector<uint8_t> m_scratch;  // for bands drawn on the calling thread
    std::vector<VDRW_EngineHolder> m_clones;
    std::vector<std::thread> m_workers;

    std::mutex m_mutex;
    std::condition_variable m_toWorkers;
    std::condition_variable m_toCaller;
    bool m_hasNext = false;
    size_t m_next = 0;
    int m_idle = 0;
    bool m_closing = false;
    bool m_failed = false;
    size_t m_failedBand = 0;
    std::exception_ptr m_failure;
};
