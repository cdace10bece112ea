#include "FILT/FILT_LZWDecode.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

#include <algorithm>
#include <cstring>

FILT_LZWDecode::FILT_LZWDecode(bool earlyChange) : m_earlyChange(earlyChange ? 1 : 0) {
    for (uint32_t i = 0; i < 256; ++i) {
        m_suffix[i] = m_first[i] = static_cast<uint8_t>(i);
        m_length[i] = 1;
    }
}

void FILT_LZWDecode::Clear() {
    m_width = 9;
    m_next = FirstFree;
    m_previous = NoCode;
}

bool FILT_LZWDecode::ReadCode(FILT_FilterBuffer& inBuf, uint32_t& code) {
    while (m_bitCount < m_width) {
        if (inBuf.DataAvailable() == 0)
            return false;
        m_bits = (m_bits << 8) | *inBuf.GetPtr();
        inBuf.AdvanceGetPtr(1);
        m_bitCount += 8;
    }
    m_bitCount -= m_width;
    code = (m_bits >> m_bitCount) & ((1u << m_width) - 1);
    m_bits &= (1u << m_bitCount) - 1;
    return true;
}

void FILT_LZWDecode::Spell(uint32_t code) {
    uint32_t at = m_pendingEnd = m_length[code];
    for (;;) {
        m_string[--at] = m_suffix[code];
        if (at == 0)
            break;
        code = m_prefix[code];
    }
    m_pendingAt = 0;
}

void FILT_LZWDecode::Take(uint32_t code, const FILT_FilterBuffer& inBuf) {
    if (code > m_next || (code == m_next && m_previous == NoCode)) {
        m_state = StateError;
        GLIB_THROW(GLIB_Exception, FILT_LZWDecodeCode,
                   "LZWDecode: Encountered a code (" << code << ") not yet in the table, offset = " << inBuf.TellG());
    }
    if (m_previous == NoCode) {
        Spell(code);
    } else if (m_next < TableSize) {
        // The new entry: the previous string and the first byte of this
        // one, which is the previous string's own when this code is new.
        const uint8_t first = code == m_next ? m_first[m_previous] : m_first[code];
        m_prefix[m_next] = static_cast<uint16_t>(m_previous);
        m_suffix[m_next] = first;
        m_length[m_next] = static_cast<uint16_t>(m_length[m_previous] + 1);
        m_first[m_next] = m_first[m_previous];
        ++m_next;
        Spell(code);
        if (m_width < 12 && m_next + m_earlyChange >= (1u << m_width))
            ++m_width;
    } else {
        Spell(code);
    }
    m_previous = code;
}

bool FILT_LZWDecode::EndsBeforeNextCode(const FILT_FilterBuffer& inBuf) const {
    uint32_t bits = m_bits;
    uint32_t count = m_bitCount;
    for (FILT_Size i = 0; count < m_width; ++i, count += 8) {
        // Cut by the buffer's end: the code is read as usual.
        if (i == inBuf.DataAvailable())
            return inBuf.IsEOD();
        bits = (bits << 8) | inBuf.GetPtr()[i];
    }
    return ((bits >> (count - m_width)) & ((1u << m_width) - 1)) != EndCode;
}

void FILT_LZWDecode::Finish(FILT_FilterBuffer& outBuf) {
    m_state = StateFinished;
    outBuf.SetEOD();
}

void FILT_LZWDecode::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    if (m_state == StateError)
        GLIB_THROW(GLIB_Exception, FILT_LZWDecodeCode, "LZWDecode: ProcessBytes called while in the Error state");
    for (;;) {
        if (m_pendingAt < m_pendingEnd) {
            const FILT_Size n = outBuf.Write(m_string + m_pendingAt, m_pendingEnd - m_pendingAt);
            m_pendingAt += static_cast<uint32_t>(n);
            if (m_pendingAt < m_pendingEnd)
                return;
        }
        if (m_state == StateFinished) {
            outBuf.SetEOD();
            return;
        }
        if (m_given >= m_needed && EndsBeforeNextCode(inBuf)) {
            Finish(outBuf);
            return;
        }
        uint32_t code = 0;
        if (!ReadCode(inBuf, code)) {
            if (!inBuf.IsEOD())
                return;
            m_cut = true;
            Finish(outBuf);
            return;
        }
        if (code == EndCode) {
            Finish(outBuf);
            return;
        }
        if (code == ClearCode)
            Clear();
        else {
            Take(code, inBuf);
            m_given += m_pendingEnd;
        }
    }
}
