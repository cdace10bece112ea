// RunLengthDecode (ISO 32000-1, 7.4.5): a length byte L then data: L 0 to
// 127 copies the next L + 1 bytes, 129 to 255 repeats the next byte
// 257 - L times, 128 ends the data (later bytes stay unread). Input that
// ends without 128, even inside a group, ends the data with what came, and
// Loss says so. Data read where nothing gives their length (an inline
// image's) may lack 128: given the bytes the reader needs (SetNeeded), the
// data end once they are given, taking a 128 after them but nothing else.
//
// In row mode (SetRowMode) every group must end within its row and the data
// ends after rowCount rows (0: at the mark 128, which must then come at the
// end of a row).
//
// Throws GLIB_Exception 1130015 in row mode for a group that crosses the
// end of its row ("RunLengthDecode: Row boundary crossed, ...") and for the
// end of the data inside a row ("RunLengthDecode: End of data encountered in
// the middle  of a row. ..."), then "RunLengthDecode: ProcessBytes called
// while in the Error state" on every later call.
#pragma once

#include "FILT/FILT_Filter.h"

#include <cstdint>

class FILT_RunLengthDecode : public FILT_Filter {
public:
    static constexpr uint8_t EndMark = 128;

    FILT_RunLengthDecode() = default;

    // Before the first call: rows of rowLength bytes (0: plain mode).
    void SetRowMode(uint32_t rowLength, uint32_t rowCount);
    // The bytes the reader needs, before the first call.
    void SetNeeded(uint64_t bytes) { m_needed = bytes; }

    const char* Name() const override { return "FILT_RunLengthDecode"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;
    const char* Loss() const override {
        return m_state == StateError ? "a run-length stream's rows are damaged"
               : m_cut               ? "a run-length stream stops before its end mark"
                                     : nullptr;
    }
    FILT_End End() const override { return FILT_EndOf(m_state == StateError || m_cut, m_state == StateFinished); }

private:
    enum : uint32_t { StateStart = 0, StateLength = 1, StateRunByte = 2, StateRun = 3, StateLiteral = 4,
                      StateFinished = 6, StateError = 7 };

    void Finish(FILT_FilterBuffer& outBuf);
    // Counts n produced bytes toward the current row.
    void CountProduced(uint32_t n);
    // The data ends here (at the mark, or where the input does): an error
    // inside a row.
    void EndOfData(FILT_FilterBuffer& outBuf, bool atMark);

    uint32_t m_state = StateStart;
    uint8_t m_count = 0;
    uint8_t m_runByte = 0;
    uint32_t m_rowLength = 0;
    uint32_t m_rowCount = 0;
    uint32_t m_rowProduced = 0;
    uint32_t m_rowsDone = 0;
    bool m_cut = false;  // the input ended before the mark
    uint64_t m_bytesProduced = 0;
    uint64_t m_needed = UINT64_MAX;
};
