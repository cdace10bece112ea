// Accumulators held per named channel, made by the owner's factory and owned
// here: two per channel plus one extra, reset together at the start of each
// content stream. The owner pushes, pops and feeds them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class GLIB_Accumulator {
public:
    virtual ~GLIB_Accumulator();
    virtual void Reset() = 0;
};

class GLIB_AccumStack {
public:
    // Makes one accumulator; the stack takes ownership.
    using Factory = std::function<GLIB_Accumulator*()>;

    // No channels.
    GLIB_AccumStack();
    ~GLIB_AccumStack();
    GLIB_AccumStack(const GLIB_AccumStack&) = delete;
    GLIB_AccumStack& operator=(const GLIB_AccumStack&) = delete;

    // Drops what the stack holds, then makes, for each channel in order, its
    // second and then its first accumulator, and after the channels the extra
    // one. No channels: no accumulator is made.
    void Setup(const std::vector<std::string>& names, const Factory& factory);
    // Resets every channel's first and then second accumulator and zeroes
    // its counter; the stack becomes empty (Top -1). With trace set it logs
    // "Resetting AccumStack" at level 7 first.
    void Reset();

    int32_t ChannelCount() const { return m_channelCount; }
    const std::string& ChannelName(int32_t i) const { return m_names.at(static_cast<size_t>(i)); }
    GLIB_Accumulator* First(int32_t i) const { return m_first.at(static_cast<size_t>(i)).get(); }
    GLIB_Accumulator* Second(int32_t i) const { return m_second.at(static_cast<size_t>(i)).get(); }
    // Null when there are no channels.
    GLIB_Accumulator* Extra() const { return m_extra.get(); }
    uint32_t& Counter(int32_t i) { return m_counters.at(static_cast<size_t>(i)); }
    int32_t Top() const { return m_top; }
    void SetTop(int32_t top) { m_top = top; }
    bool Trace() const { return m_trace; }
    void SetTrace(bool on) { m_trace = on; }

private:
    void Clear();

    std::vector<std::string> m_names;
    std::vector<std::unique_ptr<GLIB_Accumulator>> m_first;
    std::vector<std::unique_ptr<GLIB_Accumulator>> m_second;
    int32_t m_top;
    int32_t m_channelCount;
    std::vector<uint32_t> m_counters;
    std::unique_ptr<GLIB_Accumulator> m_extra;
    bool m_trace;
};
