#include "viewer/VIEW_Progress.h"

#include "viewer/VIEW_HostError.h"

namespace {

struct State {
    bool m_available = true;
    std::vector<VIEW_ProgressEvent> m_events;
    int32_t m_duration = 0;
};

State& TheState() {
    static State state;
    return state;
}

using Listener = std::function<void(const VIEW_ProgressEvent&, int32_t)>;

Listener& TheListener() {
    static Listener listener;
    return listener;
}

// The client data the record is handed out with: the state's address.
void Add(void* clientData, VIEW_ProgressKind kind, int32_t value) {
    if (clientData != &TheState())
        throw VIEW_AssertionFailure("progress monitor called with another client data");
    TheState().m_events.push_back({kind, value});
    if (kind == VIEW_ProgressKind::Duration)
        TheState().m_duration = value;
    if (TheListener())
        TheListener()(TheState().m_events.back(), TheState().m_duration);
}

void BeginOperation(void* data) { Add(data, VIEW_ProgressKind::Begin, 0); }
void EndOperation(void* data) { Add(data, VIEW_ProgressKind::End, 0); }
void SetDuration(int32_t duration, void* data) { Add(data, VIEW_ProgressKind::Duration, duration); }
void SetCurrValue(int32_t value, void* data) { Add(data, VIEW_ProgressKind::Value, value); }

PDFL_ProgressMonitorRec g_record = {sizeof(PDFL_ProgressMonitorRec), BeginOperation, EndOperation,
                                    SetDuration, SetCurrValue};

}  // namespace

PDFL_ProgressMonitor VIEW_Progress::Get(void** clientData) {
    if (!TheState().m_available)
        return nullptr;
    if (clientData)
        *clientData = &TheState();
    return &g_record;
}

void VIEW_Progress::SetAvailable(bool available) { TheState().m_available = available; }

const std::vector<VIEW_ProgressEvent>& VIEW_Progress::Events() { return TheState().m_events; }

void VIEW_Progress::Reset() { TheState() = State(); }

void VIEW_Progress::SetListener(std::function<void(const VIEW_ProgressEvent&, int32_t duration)> listener) {
    TheListener() = std::move(listener);
}
