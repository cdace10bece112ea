#include "FILT/FILT_ASCIIHexDecode.h"

#include "FILT/FILT_ASCIIText.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

namespace {

// The digit's value, or -1.
int HexValue(uint8_t c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

void FILT_ASCIIHexDecode::Reset() {
    m_state = StateRunning;
    m_byte = 0;
    m_digits = 0;
    m_bytesProduced = 0;
    m_cut = false;
}

void FILT_ASCIIHexDecode::Finish(FILT_FilterBuffer& outBuf) {
    if (m_digits == 1) {
        const uint8_t last = static_cast<uint8_t>(m_byte << 4);
        outBuf.Write(&last, 1);
        ++m_bytesProduced;
    }
    m_digits = 0;
    m_state = StateFinished;
    outBuf.SetEOD();
}

void FILT_ASCIIHexDecode::EndAfterNeeded(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    const uint8_t* at = inBuf.GetPtr();
    FILT_Size n = 0;
    while (n < inBuf.DataAvailable() && FILT_IsASCIIWhiteSpace(at[n]))
        ++n;
    if (n == inBuf.DataAvailable()) {
        // White space to the buffer's end: taken, the mark may follow.
        inBuf.AdvanceGetPtr(n);
        if (inBuf.IsEOD())
            Finish(outBuf);
        return;
    }
    // The mark is the data's; anything else, and the space before it, not.
    if (at[n] == '>')
        inBuf.AdvanceGetPtr(n + 1);
    Finish(outBuf);
}

void FILT_ASCIIHexDecode::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    switch (m_state) {
    case StateRunning:
        break;
    case StateFinished:
        outBuf.SetEOD();
        return;
    case StateError:
        GLIB_THROW(GLIB_Exception, FILT_ASCIIDecodeCode, "ASCIIHExDecode: ProcessBytes called while in the Error state");
    default:
        GLIB_LOG(GLIB_LogFatal, "ASCIIHexDecode: unrecognized state: " << m_state);
        return;
    }
    while (inBuf.DataAvailable() > 0 && outBuf.SpaceRemaining() > 0) {
        if (m_bytesProduced >= m_needed) {
            EndAfterNeeded(inBuf, outBuf);
            return;
        }
        const uint8_t c = *inBuf.GetPtr();
        inBuf.AdvanceGetPtr(1);
        const int value = HexValue(c);
        if (value >= 0) {
            m_byte = static_cast<uint8_t>((m_byte << 4) | value);
            if (++m_digits == 2) {
                outBuf.Write(&m_byte, 1);
                m_byte = 0;
                m_digits = 0;
                ++m_bytesProduced;
            }
        } else if (c == '>') {
            Finish(outBuf);
            return;
        } else if (!FILT_IsASCIIWhiteSpace(c)) {
            m_state = StateError;
            const FILT_Size offset = inBuf.TellG();
            GLIB_THROW(GLIB_Exception, FILT_ASCIIHexDecodeCode,
                       "ASCIIHexDecode: Encountered an illegal " << "character: 0x" << std::hex << int(c) << std::dec
                                                                 << ", offset = " << offset);
        }
    }
    // Input that ends without ">" ends the data as ">" would.
    if (inBuf.DataAvailable() == 0 && inBuf.IsEOD() && outBuf.SpaceRemaining() > 0) {
        m_cut = m_bytesProduced < m_needed;
        Finish(outBuf);
    }
}
