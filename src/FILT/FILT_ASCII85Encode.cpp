#include "FILT/FILT_ASCII85Encode.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"

#include <algorithm>

namespace {

constexpr FILT_Size TupleBytes = 4;

uint32_t BigEndian(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// The five digits of v, most significant first.
void Digits(uint32_t v, uint8_t* out) {
    for (int i = 4; i >= 0; --i) {
        out[i] = static_cast<uint8_t>('!' + v % 85);
        v /= 85;
    }
}

// A whole group: 'z' for zero, else five digits; returns the characters written.
size_t EncodeGroup(uint32_t v, uint8_t* out) {
    if (v == 0) {
        out[0] = 'z';
        return 1;
    }
    Digits(v, out);
    return 5;
}

}  // namespace

FILT_ASCII85Encode::FILT_ASCII85Encode() : m_tuples(TupleBytes) { m_tuples.SetAcceptPartialTuple(true); }

void FILT_ASCII85Encode::SetLineLength(uint32_t characters) {
    GLIB_ASSERT_CMP(characters, >=, 1u);
    m_lineLength = characters;
}

void FILT_ASCII85Encode::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    switch (m_state) {
    case StateStart:
        m_column = 0;
        m_state = StateRunning;
        break;
    case StateRunning:
    case StateEODPending:
        break;
    case StateFinished:
        outBuf.SetEOD();
        return;
    default:
        GLIB_LOG(GLIB_LogFatal, "FILT_ASCII85Encode: Unknown state: " << m_state);
        return;
    }
    m_tuples.Attach(&inBuf);
    for (;;) {
        if (!m_pending.Flush(outBuf))
            return;
        if (m_state == StateEODPending) {
            outBuf.SetEOD();
            m_state = StateFinished;
            return;
        }
        if (m_column >= m_lineLength) {
            m_pending.Add(m_endOfLine.Text(), m_endOfLine.Length());
            m_column = 0;
            continue;
        }
        const FILT_Size tuples = m_tuples.TuplesAvailable();
        if (tuples > 0) {
            if (outBuf.SpaceRemaining() >= GroupChars) {
                const FILT_Size n = std::min<FILT_Size>(outBuf.SpaceRemaining() / GroupChars, tuples);
                const uint8_t* in = m_tuples.GetPtr();
                FILT_Size done = 0;
                size_t written = 0;
                uint8_t* out = outBuf.PutPtr();
                while (done < n && m_column < m_lineLength) {
                    const size_t k = EncodeGroup(BigEndian(in + TupleBytes * done), out + written);
                    written += k;
                    m_column += static_cast<uint32_t>(k);
                    ++done;
                }
                outBuf.AdvancePutPtr(static_cast<FILT_Size>(written));
                m_tuples.Consume(done);
            } else {
                // Less room than a group: it waits in part for the next call.
                uint8_t group[GroupChars];
                const size_t k = EncodeGroup(BigEndian(m_tuples.GetPtr()), group);
                m_tuples.Consume(1);
                m_pending.Add(group, k);
                m_column += static_cast<uint32_t>(k);
            }
            continue;
        }
        if (inBuf.DataAvailable() > 0 || !inBuf.IsEOD())
            return;
        const FILT_Size partial = m_tuples.SpanningTupleSize();
        if (partial > 0) {
            uint8_t bytes[TupleBytes] = {};
            std::copy(m_tuples.GetPtr(), m_tuples.GetPtr() + partial, bytes);
            uint8_t group[GroupChars];
            Digits(BigEndian(bytes), group);
            m_tuples.Consume(1);
            m_pending.Add(group, partial + 1);
            m_column += partial + 1;
        }
        m_pending.Add(m_eodText.Text(), m_eodText.Length());
        m_state = StateEODPending;
    }
}
