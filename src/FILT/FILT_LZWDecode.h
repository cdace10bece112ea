// LZWDecode (ISO 32000-1, 7.4.4): codes of 9 to 12 bits, most significant
// bit first; 256 clears the table, 257 ends the data (later bytes stay
// unread), 258 on name the strings the data built. With early change (the
// default), a code grows one bit a code sooner than the table needs it.
// Once the table holds 4096 entries it stays as it is until the next clear.
// Input that ends without the end code ends the data with what came, and
// Loss says so.
//
// Data read where nothing gives their length (an inline image's) may lack
// the end code: given the bytes the reader needs (SetNeeded), the data end
// once they are given, unless the next code is the end code, which is then
// taken; the bits left in the last byte are padding.
//
// Throws GLIB_Exception 1130016 "LZWDecode: Encountered a code (N) not yet
// in the table, offset = N" (the stream offset after the code's last byte),
// then "LZWDecode: ProcessBytes called while in the Error state" on every
// later call.
#pragma once

#include "FILT/FILT_Filter.h"

#include <cstdint>

class FILT_LZWDecode : public FILT_Filter {
public:
    static constexpr uint32_t ClearCode = 256;
    static constexpr uint32_t EndCode = 257;
    static constexpr uint32_t TableSize = 4096;

    // earlyChange: /EarlyChange, 1 unless it is 0.
    explicit FILT_LZWDecode(bool earlyChange = true);

    const char* Name() const override { return "FILT_LZWDecode"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;
    // The bytes the reader needs, before the first call.
    void SetNeeded(uint64_t bytes) { m_needed = bytes; }

    const char* Loss() const override {
        return m_state == StateError ? "an LZW stream holds a code beyond its table"
               : m_cut               ? "an LZW stream stops before its end code"
                                     : nullptr;
    }
    FILT_End End() const override { return FILT_EndOf(m_state == StateError || m_cut, m_state == StateFinished); }

private:
    enum : uint32_t { StateRunning = 0, StateFinished = 1, StateError = 2 };
    static constexpr uint32_t FirstFree = 258;
    static constexpr uint32_t NoCode = TableSize;

    void Clear();
    // The next code, or false when the input holds too few bits for one.
    bool ReadCode(FILT_FilterBuffer& inBuf, uint32_t& code);
    // Takes one code: its string becomes pending output.
    void Take(uint32_t code, const FILT_FilterBuffer& inBuf);
    // Writes the string of code, from its end, into m_string.
    void Spell(uint32_t code);
    void Finish(FILT_FilterBuffer& outBuf);
    // Once the bytes needed are given: true when the next code, read
    // without taking its bytes, is anything but the end code, or when
    // the input holds no more.
    bool EndsBeforeNextCode(const FILT_FilterBuffer& inBuf) const;

    uint32_t m_state = StateRunning;
    uint32_t m_earlyChange;
    uint32_t m_width = 9;
    uint32_t m_next = FirstFree;
    uint32_t m_previous = NoCode;
    uint32_t m_bits = 0;
    uint32_t m_bitCount = 0;
    bool m_cut = false;
    uint64_t m_needed = UINT64_MAX;
    uint64_t m_given = 0;
    // Entry i: the string of m_prefix[i] followed by m_suffix[i].
    uint16_t m_prefix[TableSize] = {};
    uint8_t m_suffix[TableSize] = {};
    uint16_t m_length[TableSize] = {};
    uint8_t m_first[TableSize] = {};
    // The string being written out: m_string[m_pendingAt, m_pendingEnd).
    uint8_t m_string[TableSize] = {};
    uint32_t m_pendingAt = 0;
    uint32_t m_pendingEnd = 0;
};
