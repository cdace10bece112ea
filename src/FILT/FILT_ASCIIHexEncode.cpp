#include "FILT/FILT_ASCIIHexEncode.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"

#include <algorithm>

namespace {

const char HexDigits[] = "0123456789abcdef";

}  // namespace

void FILT_ASCIIHexEncode::SetLineLength(uint32_t bytes) {
    GLIB_ASSERT_CMP(bytes, >=, 1u);
    m_lineLength = bytes;
}

void FILT_ASCIIHexEncode::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
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
        GLIB_THROW(GLIB_Exception, FILT_ASCIIHexEncodeCode, "FILT_ASCIIHexEncode: Unknown state: " << m_state);
    }
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
        const FILT_Size n = std::min({outBuf.SpaceRemaining() / 2, m_lineLength - m_column, inBuf.DataAvailable()});
        if (n > 0) {
            const uint8_t* in = inBuf.GetPtr();
            uint8_t* out = outBuf.PutPtr();
            for (FILT_Size i = 0; i < n; ++i) {
                out[2 * i] = static_cast<uint8_t>(HexDigits[in[i] >> 4]);
                out[2 * i + 1] = static_cast<uint8_t>(HexDigits[in[i] & 15]);
            }
            inBuf.AdvanceGetPtr(n);
            outBuf.AdvancePutPtr(2 * n);
            m_column += n;
            continue;
        }
        if (inBuf.DataAvailable() > 0 && outBuf.SpaceRemaining() > 0) {
            // One byte of room: the second digit waits for the next call.
            const uint8_t byte = *inBuf.GetPtr();
            const uint8_t digits[2] = {static_cast<uint8_t>(HexDigits[byte >> 4]),
                                       static_cast<uint8_t>(HexDigits[byte & 15])};
            inBuf.AdvanceGetPtr(1);
            m_pending.Add(digits, 2);
            ++m_column;
            continue;
        }
        if (inBuf.DataAvailable() > 0 || !inBuf.IsEOD())
            return;
        m_pending.Add(m_eodText.Text(), m_eodText.Length());
        m_state = StateEODPending;
    }
}
