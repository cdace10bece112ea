#include "GLIB/GLIB_AccumStack.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"

GLIB_Accumulator::~GLIB_Accumulator() = default;

GLIB_AccumStack::GLIB_AccumStack() : m_top(-1), m_channelCount(0), m_trace(false) { Setup({}, Factory()); }

GLIB_AccumStack::~GLIB_AccumStack() { Clear(); }

void GLIB_AccumStack::Clear() {
    m_first.clear();
    m_second.clear();
    m_counters.clear();
    m_top = -1;
    m_channelCount = 0;
    m_extra.reset();
    m_names.clear();
}

void GLIB_AccumStack::Setup(const std::vector<std::string>& names, const Factory& factory) {
    Clear();
    if (names.empty())
        return;
    GLIB_ASSERT(factory);
    m_names = names;
    m_first.resize(names.size());
    m_second.resize(names.size());
    m_counters.assign(names.size(), 0);
    // The count follows the arrays: a factory that throws part-way leaves a
    // stack whose arrays are all there, holding what was made.
    m_channelCount = static_cast<int32_t>(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        m_second[i].reset(factory());
        m_first[i].reset(factory());
    }
    m_extra.reset(factory());
}

void GLIB_AccumStack::Reset() {
    if (m_trace)
        GLIB_LOG(GLIB_LogDebug, "Resetting AccumStack");
    for (int32_t i = 0; i < m_channelCount; ++i) {
        if (m_first[static_cast<size_t>(i)])
            m_first[static_cast<size_t>(i)]->Reset();
        if (m_second[static_cast<size_t>(i)])
            m_second[static_cast<size_t>(i)]->Reset();
        m_counters[static_cast<size_t>(i)] = 0;
    }
    m_top = -1;
}
