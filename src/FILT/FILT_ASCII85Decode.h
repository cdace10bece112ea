// ASCII85Decode (ISO 32000-1, 7.4.3): groups of five digits '!' to 'u' make
// four bytes, 'z' four zero bytes, white space (NUL included) is skipped and
// "~>" ends the data (later bytes stay unread). A last group of p digits (2 to 4) makes
// p - 1 bytes; a single digit is dropped with a warning. Input that ends
// without "~>", or right after "~", ends the data all the same, and Loss
// says so. Data read where nothing gives their length (an inline image's)
// may lack "~>": given the bytes the reader needs (SetNeeded), the data end
// once they are given (a last partial group of r + 1 digits gives the last
// r). What follows is the data's only as white space, the rest of that
// group and "~>"; until that shows, it is held (HeldBytes), and given back
// to the content otherwise, so that "EI", whose letters are digits, stays
// the content's.
//
// States: Running (0); AfterTilde (1); Finished (2): EOD on every later
// call; Error (3). Decoded bytes that do not fit are kept and written first
// on the next call.
//
// Throws GLIB_Exception 1130004 with "ASCII85Decode: Encountered an illegal
// character: 0xNN, offset = N", "... a 'z' in the middle of a tuple, offset
// = N", "... a '~' not followed by '>', offset = N" or "... a tuple above
// 2^32 - 1, offset = N" (a group such as "uuuuu", also a partial last one
// once padded; the offset is the stream offset after the byte), then "ASCII85Decode: ProcessBytes called while in the
// Error state" on every later call.
#pragma once

#include "FILT/FILT_Filter.h"
#include "FILT/FILT_PendingBytes.h"

#include <cstdint>
#include <vector>

class FILT_ASCII85Decode : public FILT_Filter {
public:
    FILT_ASCII85Decode() = default;
    // Back to the state after construction.
    void Reset();
    // The bytes the reader needs, before the first call.
    void SetNeeded(uint64_t bytes) { m_needed = bytes; }
    // Bytes taken after those needed that are not the data's yet; once
    // the data ended, the content's.
    const std::vector<uint8_t>& HeldBytes() const { return m_held; }

    const char* Name() const override { return "FILT_ASCII85Decode"; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override;
    const char* Loss() const override {
        return m_state == StateError ? "an ASCII85 stream holds a character or group that is not ASCII85"
               : m_cut               ? "an ASCII85 stream stops before its end mark"
                                     : nullptr;
    }
    FILT_End End() const override { return FILT_EndOf(m_state == StateError || m_cut, m_state == StateFinished); }

private:
    enum : uint32_t { StateRunning = 0, StateAfterTilde = 1, StateFinished = 2, StateError = 3 };

    // Queues the bytes of a partial group at the end of the data.
    void FlushPartialGroup(const FILT_FilterBuffer& inBuf);
    // Once the bytes needed are given: takes what may be the data's, or
    // finishes.
    void EndAfterNeeded(FILT_FilterBuffer& inBuf);
    static constexpr size_t MaxHeld = 64;
    [[noreturn]] void Fail(const FILT_FilterBuffer& inBuf, const char* what, uint8_t c);

    uint32_t m_position = 0;
    // Wider than the four bytes it makes, so that a group above 2^32 - 1
    // shows instead of wrapping.
    uint64_t m_group = 0;
    uint32_t m_state = StateRunning;
    FILT_PendingBytes<4> m_pending;
    bool m_cut = false;  // the input ended before "~>"
    uint64_t m_bytesProduced = 0;
    uint64_t m_needed = UINT64_MAX;
    uint32_t m_tailDigits = 0;  // digits of the last group once the bytes needed are given
    std::vector<uint8_t> m_held;
};
