// The host's document progress bar (AcroView 15): one record of four
// procedures whose calls are kept in order, so that tests can see the
// duration, the operation's begin and end and every value set.
#pragma once

#include "viewer/host_api.h"

#include <cstdint>
#include <functional>
#include <vector>

enum class VIEW_ProgressKind { Begin, End, Duration, Value };

struct VIEW_ProgressEvent {
    VIEW_ProgressKind m_kind;
    int32_t m_value;  // 0 for Begin and End
    bool operator==(const VIEW_ProgressEvent& other) const {
        return m_kind == other.m_kind && m_value == other.m_value;
    }
};

class VIEW_Progress {
public:
    // AcroView 15: the record and its client data, or null (and the client
    // data untouched) while the host has no progress bar.
    static PDFL_ProgressMonitor Get(void** clientData);
    // True after Reset.
    static void SetAvailable(bool available);

    // Every procedure call, in order; one called with client data other
    // than the one handed out is a VIEW_AssertionFailure instead.
    static const std::vector<VIEW_ProgressEvent>& Events();
    // Hears each event as it is kept, with the duration set last; an empty
    // one stops. The host's reset keeps it.
    static void SetListener(std::function<void(const VIEW_ProgressEvent&, int32_t duration)> listener);
    static void Reset();
};
