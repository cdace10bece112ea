// A chain of filters run as one filter.
//
// Filter i reads inner buffer i and writes inner buffer i + 1; during a call
// position 0 is the caller's inBuf and the last position the caller's outBuf.
// One ProcessBytes call drives the chain until the first filter needs more
// of the caller's input or the last filter has filled outBuf or finished;
// the pipe remembers which filter runs next, so a pipe that stopped on a full
// outBuf resumes at the last filter and one that stopped for input at the
// first. Data waits in an inner buffer until it fills or its producer's end
// of data reaches it.
//
// A pipe without filters copies inBuf to outBuf and passes EOD on once inBuf
// is drained. An exception from a filter passes through unchanged; that
// filter is then in its Error state, so a later call throws again. A pipe
// set to end at damage (SetEndsAtDamage) instead ends the data of a decoder
// that throws on damaged data (its Loss says so) where it failed: what it
// gave before reaches the filters after it, then the end of data.
#pragma once

#include "FILT/FILT_Filter.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class FILT_FilterPipe : public FILT_Filter {
public:
    // Room of every inner buffer made by Insert.
    static constexpr FILT_Size InnerBufferSize = 16384;

    FILT_FilterPipe();
    // Destroys every filter and inner buffer; the caller's buffers are not owned.
    ~FILT_FilterPipe() override;
    FILT_FilterPipe(const FILT_FilterPipe&) = delete;
    FILT_FilterPipe& operator=(const FILT_FilterPipe&) = delete;

    // Puts f (not null) at position filterIdx (0 .. NumFilters()) of the
    // chain, joined to its neighbours by a new inner buffer. The pipe owns f
    // from the call on, also when making the buffer throws
    // GLIB_BadAllocException (f is then destroyed). Returns true. Build the
    // chain before the first ProcessBytes.
    bool Insert(int32_t filterIdx, FILT_Filter* f);
    bool Prepend(FILT_Filter* f);
    bool Append(FILT_Filter* f);

    size_t NumFilters() const { return m_filter.size(); }
    FILT_Filter* FilterAt(size_t i) const { return m_filter[i]; }

    // Logs every step (and each hand-on) at level 8; both off by default.
    void SetTrace(bool trace) { m_trace = trace; }
    void SetDump(bool dump) { m_dump = dump; }
    void SetEndsAtDamage(bool ends) { m_endsAtDamage = ends; }

    // Before the first ProcessBytes: gives up every filter, in order; the
    // pipe is then empty.
    std::vector<FILT_Filter*> TakeFilters();

    const char* Name() const override { return "FILT_FilterPipe"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;
    // The first filter's loss: one nearer the data's source is the cause of
    // any after it. A filter's data that came short lost nothing where a
    // filter after it came to its own end whole: all it needed came.
    const char* Loss() const override;
    // That of the filter whose loss Loss gives; Whole when none has one and
    // one came to its own end.
    FILT_End End() const override;

private:
    // Runs filter i; a damaged decoder's failure ends its data when the pipe
    // is set so.
    void Run(size_t i, FILT_FilterBuffer& in, FILT_FilterBuffer& out);
    // The index of the filter whose loss counts, or the number of filters.
    size_t LossAt() const;

    bool m_trace = false;
    bool m_dump = false;
    bool m_endsAtDamage = false;
    // Positions 1 .. size - 2 are owned; the ends are null between calls.
    std::vector<FILT_FilterBuffer*> m_buf;
    FILT_Size m_innerBufferSize = InnerBufferSize;
    std::vector<FILT_Filter*> m_filter;
    // Per filter: its data ended where it failed on damage.
    std::vector<bool> m_failed;
    // The filter to run next.
    int32_t m_currentFilter = 0;
};
