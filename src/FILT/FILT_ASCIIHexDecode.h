// ASCIIHexDecode (ISO 32000-1, 7.4.2): pairs of hexadecimal digits, either
// case, white space skipped, ">" ends the data (later bytes stay unread). A
// last single digit counts as if followed by 0. Input that ends without ">"
// ends the data all the same, and Loss says so. Data read where nothing
// gives their length (an inline image's) may lack ">": given the bytes the
// reader needs (SetNeeded), the data end once they are given, taking white
// space and ">" after them, but not white space before anything else.
//
// States: Running (0); Finished (1): EOD on every later call; Error (2).
//
// Throws GLIB_Exception 1130002 "ASCIIHexDecode: Encountered an illegal
// character: 0xNN, offset = N" (the stream offset after the character) for
// any other byte, then 1130004 "ASCIIHExDecode: ProcessBytes called while
// in the Error state" on every later call.
#pragma once

#include "FILT/FILT_Filter.h"

#include <cstdint>

class FILT_ASCIIHexDecode : public FILT_Filter {
public:
    FILT_ASCIIHexDecode() = default;
    // Back to the state after construction.
    void Reset();
    // The bytes the reader needs, before the first call.
    void SetNeeded(uint64_t bytes) { m_needed = bytes; }

    const char* Name() const override { return "FILT_ASCIIHexDecode"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;
    const char* Loss() const override {
        return m_state == StateError ? "an ASCIIHex stream holds a character that is not a hexadecimal digit"
               : m_cut               ? "an ASCIIHex stream stops before its end mark"
                                     : nullptr;
    }
    FILT_End End() const override { return FILT_EndOf(m_state == StateError || m_cut, m_state == StateFinished); }

private:
    enum : uint32_t { StateRunning = 0, StateFinished = 1, StateError = 2 };

    void Finish(FILT_FilterBuffer& outBuf);
    // Once the bytes needed are given: finishes at what follows, or takes
    // white space that ends the buffer and waits for more.
    void EndAfterNeeded(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf);

    uint32_t m_state = StateRunning;
    uint8_t m_byte = 0;
    uint32_t m_digits = 0;
    uint32_t m_bytesProduced = 0;
    bool m_cut = false;  // the input ended before ">"
    uint64_t m_needed = UINT64_MAX;
};
