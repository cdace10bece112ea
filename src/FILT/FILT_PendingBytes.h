// Output a filter has made but could not yet put into its caller's outBuf:
// a line end, a group of digits, an end mark. Kept in the filter between
// calls, so that a filter makes progress with any room, even one byte.
#pragma once

#include "FILT/FILT_FilterBuffer.h"
#include "GLIB/GLIB_Assert.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

template <size_t Capacity>
class FILT_PendingBytes {
public:
    bool IsEmpty() const { return m_pos == m_length; }
    void Clear() { m_pos = m_length = 0; }

    // Queues n bytes after those still pending (at most Capacity, asserted).
    void Add(const void* data, size_t n) {
        if (IsEmpty())
            Clear();
        GLIB_ASSERT_CMP(m_length + n, <=, Capacity);
        std::memcpy(m_bytes + m_length, data, n);
        m_length += n;
    }
    void Add(uint8_t byte) { Add(&byte, 1); }

    // Moves what fits into outBuf; true when nothing is left pending.
    bool Flush(FILT_FilterBuffer& outBuf) {
        if (!IsEmpty())
            m_pos += outBuf.Write(m_bytes + m_pos, static_cast<FILT_Size>(m_length - m_pos));
        return IsEmpty();
    }

private:
    uint8_t m_bytes[Capacity];
    size_t m_length = 0;
    size_t m_pos = 0;
};
