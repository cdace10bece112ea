// A thread of the program's own that acts on the first stop signal where
// the main thread cannot: the work the main thread is inside may not ask
// for Stop for a long time (one band of a drawing, one page list). It stops
// every drawing in flight (VDRW_StopAllDrawing), whose bands MuPDF then
// ends at its next look at their cookies; the plug-in's cancel procedure
// is still asked on the main thread alone. Should the run not settle
// within the bound (MuPDF busy where it never looks), the watcher ends the
// process as a second signal does. When the system gives no thread, the
// run goes on without a watcher: a signal then stops it at its next check.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

class VIEW_ProgramStopWatch {
public:
    // bound zero: no ending of the process (runs inside the tests).
    explicit VIEW_ProgramStopWatch(std::chrono::milliseconds bound);
    // Ends the thread; drawing allowed again.
    ~VIEW_ProgramStopWatch();
    VIEW_ProgramStopWatch(const VIEW_ProgramStopWatch&) = delete;
    VIEW_ProgramStopWatch& operator=(const VIEW_ProgramStopWatch&) = delete;

    // The run's work is over (it writes its outputs or says its last line):
    // the watcher no longer ends the process. When the watcher is ending
    // it already, never returns, so that the caller touches no file.
    void Settle();

    // For tests: called before the thread starts; a std::system_error it
    // throws stands for the thread not starting. Null (the default) for none.
    using StartHook = void (*)();
    static void SetStartHook(StartHook hook);
    // For tests: how many watcher threads have run in this process.
    static unsigned ThreadsRun();

private:
    enum State { Working, Settled, Ending };

    void Watch();
    // True when the run settled (or the watcher was told to end) in time.
    bool WaitSettled();

    std::chrono::milliseconds m_bound;
    std::atomic<int> m_state{Working};
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_quit = false;
    std::thread m_thread;
};
