#include "viewer/VIEW_Recorder.h"

#include "viewer/VIEW_HostError.h"

#include <algorithm>
#include <map>

namespace {

using Key = std::pair<int, int>;

struct State {
    std::vector<VIEW_Call> m_calls;
    std::map<Key, PDFL_ErrorCode> m_faults;
    std::map<Key, uint64_t> m_results;
    std::vector<std::pair<PDFL_CosObj, PDFL_CosObj>> m_enumEntries;
    std::vector<PDFL_ErrorCode> m_raisedToHost;
    bool m_recording = true;
};

size_t g_mostCalls = 0;

State& TheState() {
    static State state;
    return state;
}

}  // namespace

void VIEW_Recorder::Record(int table, int slot, std::vector<uint64_t> args) {
    State& state = TheState();
    if (!state.m_recording)
        return;
    state.m_calls.push_back({table, slot, std::move(args)});
    g_mostCalls = std::max(g_mostCalls, state.m_calls.size());
}

void VIEW_Recorder::SetRecording(bool on) { TheState().m_recording = on; }

bool VIEW_Recorder::Recording() { return TheState().m_recording; }

const std::vector<VIEW_Call>& VIEW_Recorder::Calls() {
    return TheState().m_calls;
}

void VIEW_Recorder::ClearCalls() {
    // Its blocks go too: a page of millions of calls leaves no record behind.
    std::vector<VIEW_Call>().swap(TheState().m_calls);
}

size_t VIEW_Recorder::MostCallsHeld() { return g_mostCalls; }

void VIEW_Recorder::ResetMostCallsHeld() { g_mostCalls = 0; }

void VIEW_Recorder::InjectFault(int table, int slot, PDFL_ErrorCode code) {
    TheState().m_faults[{table, slot}] = code;
}

void VIEW_Recorder::FireFault(int table, int slot) {
    std::map<Key, PDFL_ErrorCode>& faults = TheState().m_faults;
    const auto found = faults.find({table, slot});
    if (found == faults.end())
        return;
    const PDFL_ErrorCode code = found->second;
    faults.erase(found);
    throw VIEW_HostRaise(code);
}

void VIEW_Recorder::SetResult(int table, int slot, uint64_t value) {
    TheState().m_results[{table, slot}] = value;
}

bool VIEW_Recorder::HasResult(int table, int slot) {
    return TheState().m_results.count({table, slot}) != 0;
}

uint64_t VIEW_Recorder::Result(int table, int slot) {
    const std::map<Key, uint64_t>& results = TheState().m_results;
    const auto found = results.find({table, slot});
    return found == results.end() ? 0 : found->second;
}

bool VIEW_Recorder::Scripted() {
    const State& state = TheState();
    return !state.m_faults.empty() || !state.m_results.empty();
}

void VIEW_Recorder::SetEnumEntries(std::vector<std::pair<PDFL_CosObj, PDFL_CosObj>> entries) {
    TheState().m_enumEntries = std::move(entries);
}

const std::vector<std::pair<PDFL_CosObj, PDFL_CosObj>>& VIEW_Recorder::EnumEntries() {
    return TheState().m_enumEntries;
}

void VIEW_Recorder::RecordRaisedToHost(PDFL_ErrorCode code) {
    TheState().m_raisedToHost.push_back(code);
}

const std::vector<PDFL_ErrorCode>& VIEW_Recorder::RaisedToHost() {
    return TheState().m_raisedToHost;
}

void VIEW_Recorder::Reset() {
    const bool recording = TheState().m_recording;
    TheState() = State();
    TheState().m_recording = recording;
}
