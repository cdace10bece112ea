// What the stand-in saw and what a test told it: every slot call with its
// arguments as passed, the results the slots return, faults to inject, the
// host errors that reached the top of an event, and the entries the Cos
// enumeration slot hands to its procedure.
#pragma once

#include "viewer/host_api.h"

#include <cstdint>
#include <utility>
#include <vector>

// One slot call. Arguments are words as passed: an integer of n bits is
// kept zero-extended from n bits, a pointer as its address, a Cos object as
// its two words, a fixed rectangle as its four.
struct VIEW_Call {
    int m_table;
    int m_slot;
    std::vector<uint64_t> m_args;
};

class VIEW_Recorder {
public:
    // Nothing while recording is off (see VIEW_RecordingPause).
    static void Record(int table, int slot, std::vector<uint64_t> args);
    static const std::vector<VIEW_Call>& Calls();
    static void ClearCalls();
    // The most calls held at once since ResetMostCallsHeld; Reset leaves
    // it, so that a run that resets the host can be measured after it.
    static size_t MostCallsHeld();
    static void ResetMostCallsHeld();

    // The next call of (table, slot) raises code after it is recorded.
    static void InjectFault(int table, int slot, PDFL_ErrorCode code);
    // Throws VIEW_HostRaise when a fault waits for (table, slot), once.
    static void FireFault(int table, int slot);

    // What (table, slot) returns from now on, as a word (a Cos object: word
    // 0 in the low half). Slots with behaviour return it instead.
    static void SetResult(int table, int slot, uint64_t value);
    static bool HasResult(int table, int slot);
    static uint64_t Result(int table, int slot);

    // Entries of the next Cos enumerations: (key or element, value).
    static void SetEnumEntries(std::vector<std::pair<PDFL_CosObj, PDFL_CosObj>> entries);
    static const std::vector<std::pair<PDFL_CosObj, PDFL_CosObj>>& EnumEntries();

    // "raised to host": a host error that left the plug-in at the top of an
    // event the stand-in started.
    static void RecordRaisedToHost(PDFL_ErrorCode code);
    static const std::vector<PDFL_ErrorCode>& RaisedToHost();

    // Whether any fault or result waits: slots look neither up otherwise.
    static bool Scripted();

    static void Reset();

    // On until turned off; Reset leaves it as it is.
    static void SetRecording(bool on);
    static bool Recording();
};

// Recording off while it lives, then as it was: a run that reads no calls
// (the program's) need not keep one record per slot call of a page that
// makes millions.
class VIEW_RecordingPause {
public:
    VIEW_RecordingPause() : m_was(VIEW_Recorder::Recording()) { VIEW_Recorder::SetRecording(false); }
    ~VIEW_RecordingPause() { VIEW_Recorder::SetRecording(m_was); }
    VIEW_RecordingPause(const VIEW_RecordingPause&) = delete;
    VIEW_RecordingPause& operator=(const VIEW_RecordingPause&) = delete;

private:
    bool m_was;
};
