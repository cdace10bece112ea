#include "viewer/program/VIEW_ProgramStopWatch.h"

#include "viewer/VIEW_Threads.h"
#include "viewer/draw/VDRW_MuPDF.h"
#include "viewer/program/VIEW_ProgramSignals.h"

#include <cerrno>
#include <system_error>
#include <unistd.h>

namespace {

VIEW_ProgramStopWatch::StartHook g_startHook = nullptr;
std::atomic<unsigned> g_threadsRun{0};

}  // namespace

VIEW_ProgramStopWatch::VIEW_ProgramStopWatch(std::chrono::milliseconds bound) : m_bound(bound) {
    VDRW_AllowDrawing();
    if (VIEW_ProgramSignals::WakeFd() < 0)
        return;
    const VIEW_SignalsBlocked blocked;
    try {
        if (g_startHook)
            g_startHook();
        m_thread = std::thread([this] { Watch(); });
    } catch (const std::system_error&) {
    }
}

void VIEW_ProgramStopWatch::SetStartHook(StartHook hook) { g_startHook = hook; }

unsigned VIEW_ProgramStopWatch::ThreadsRun() { return g_threadsRun.load(); }

VIEW_ProgramStopWatch::~VIEW_ProgramStopWatch() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        VIEW_ProgramSignals::Wake(0);
        m_thread.join();
    }
    VDRW_AllowDrawing();
}

void VIEW_ProgramStopWatch::Settle() {
    int working = Working;
    if (!m_state.compare_exchange_strong(working, Settled) && working == Ending)
        for (;;)
            pause();
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
    }
    m_changed.notify_all();
}

void VIEW_ProgramStopWatch::Watch() {
    g_threadsRun.fetch_add(1);
    char byte = 0;
    for (;;) {
        const ssize_t n = read(VIEW_ProgramSignals::WakeFd(), &byte, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || byte == 0)
            return;
        break;
    }
    VDRW_StopAllDrawing();
    if (m_bound.count() <= 0 || WaitSettled())
        return;
    int working = Working;
    if (m_state.compare_exchange_strong(working, Ending))
        VIEW_EndRunNow(byte);
}

bool VIEW_ProgramStopWatch::WaitSettled() {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, m_bound, [this] { return m_quit || m_state != Working; });
}
