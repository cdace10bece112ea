#include "FILT/FILT_ASCII85Decode.h"

#include "FILT/FILT_ASCIIText.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

namespace {

// 85^0 .. 85^4.
const uint32_t Power85[5] = {1, 85, 85 * 85, 85 * 85 * 85, 85u * 85 * 85 * 85};

void BigEndianBytes(uint64_t v, uint8_t* out) {
    out[0] = static_cast<uint8_t>(v >> 24);
    out[1] = static_cast<uint8_t>(v >> 16);
    out[2] = static_cast<uint8_t>(v >> 8);
    out[3] = static_cast<uint8_t>(v);
}

constexpr uint64_t MaxGroup = 0xFFFFFFFF;
const char* const TooLarge = "ASCII85Decode: Encountered a tuple above 2^32 - 1, ";

}  // namespace

void FILT_ASCII85Decode::Reset() {
    m_position = 0;
    m_group = 0;
    m_state = StateRunning;
    m_cut = false;
    m_bytesProduced = 0;
    m_tailDigits = 0;
    m_held.clear();
    m_pending.Clear();
}

void FILT_ASCII85Decode::Fail(const FILT_FilterBuffer& inBuf, const char* what, uint8_t c) {
    m_state = StateError;
    const FILT_Size offset = inBuf.TellG();
    if (what)
        GLIB_THROW(GLIB_Exception, FILT_ASCIIDecodeCode, what << "offset = " << offset);
    GLIB_THROW(GLIB_Exception, FILT_ASCIIDecodeCode,
               "ASCII85Decode: Encountered an illegal " << "character: 0x" << std::hex << int(c) << std::dec
                                                        << ", offset = " << offset);
}

void FILT_ASCII85Decode::FlushPartialGroup(const FILT_FilterBuffer& inBuf) {
    if (m_position == 1)
        GLIB_LOG(GLIB_LogDebug, "ASCII85Decode: Last tuple can't have a single byte, ignoring");
    if (m_position >= 2) {
        const uint64_t group = m_group + Power85[5 - m_position];
        if (group > MaxGroup)
            Fail(inBuf, TooLarge, 0);
        uint8_t bytes[4];
        BigEndianBytes(group, bytes);
        m_pending.Add(bytes, m_position - 1);
        m_bytesProduced += m_position - 1;
    }
    m_position = 0;
    m_group = 0;
}

void FILT_ASCII85Decode::EndAfterNeeded(FILT_FilterBuffer& inBuf) {
    // Taken and held while they may be the data's: white space, the rest
    // of the last group, then "~>". Anything else ends the data before
    // what is held.
    while (inBuf.DataAvailable() > 0 && m_held.size() < MaxHeld) {
        const uint8_t c = *inBuf.GetPtr();
        if (m_state == StateAfterTilde) {
            if (c == '>') {
                inBuf.AdvanceGetPtr(1);
                m_held.clear();
            }
            m_state = StateFinished;
            return;
        }
        // The mark may follow any digits of the last group.
        if (c == '~') {
            m_state = StateAfterTilde;
        } else if (c >= '!' && c <= 'u' && m_tailDigits % 5 != 0) {
            ++m_tailDigits;
        } else if (!FILT_IsASCIIWhiteSpace(c)) {
            break;
        }
        m_held.push_back(c);
        inBuf.AdvanceGetPtr(1);
    }
    if (inBuf.DataAvailable() > 0 || m_held.size() >= MaxHeld || inBuf.IsEOD())
        m_state = StateFinished;
}

void FILT_ASCII85Decode::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    for (;;) {
        switch (m_state) {
        case StateRunning:
        case StateAfterTilde:
            break;
        case StateFinished:
            if (!m_pending.Flush(outBuf))
                return;
            outBuf.SetEOD();
            return;
        case StateError:
            GLIB_THROW(GLIB_Exception, FILT_ASCIIDecodeCode,
                       "ASCII85Decode: ProcessBytes called while in the Error state");
        default: {
            const uint32_t state = m_state;
            m_state = StateError;
            GLIB_LOG(GLIB_LogFatal, "ASCII85Decode: unrecognized state: " << state);
            return;
        }
        }
        if (!m_pending.Flush(outBuf))
            return;
        if (m_state != StateFinished && m_bytesProduced >= m_needed) {
            EndAfterNeeded(inBuf);
            if (m_state != StateFinished)
                return;
            continue;
        }
        if (inBuf.DataAvailable() == 0) {
            if (!inBuf.IsEOD())
                return;
            // Damaged input that ends without "~>" (or right after "~") ends the data.
            FlushPartialGroup(inBuf);
            m_cut = m_bytesProduced < m_needed;
            m_state = StateFinished;
            continue;
        }
        const uint8_t c = *inBuf.GetPtr();
        inBuf.AdvanceGetPtr(1);
        if (m_state == StateAfterTilde) {
            if (c != '>')
                Fail(inBuf, "ASCII85Decode: Encountered a '~' not followed by '>', ", c);
            m_state = StateFinished;
            continue;
        }
        if (c >= '!' && c <= 'u') {
            m_group += static_cast<uint64_t>(c - '!') * Power85[4 - m_position];
            if (++m_position < 5) {
                // r bytes still needed (1 to 3): r + 1 digits give them.
                if (m_needed - m_bytesProduced == m_position - 1) {
                    m_tailDigits = m_position;
                    FlushPartialGroup(inBuf);
                }
                continue;
            }
            if (m_group > MaxGroup)
                Fail(inBuf, TooLarge, c);
        } else if (c == 'z') {
            if (m_position != 0)
                Fail(inBuf, "ASCII85Decode: Encountered a 'z' in the middle of a tuple, ", c);
        } else if (c == '~') {
            FlushPartialGroup(inBuf);
            m_state = StateAfterTilde;
            continue;
        } else if (FILT_IsASCIIWhiteSpace(c)) {
            continue;
        } else {
            Fail(inBuf, nullptr, c);
        }
        // A complete group, or 'z'.
        uint8_t bytes[4];
        BigEndianBytes(m_group, bytes);
        if (outBuf.SpaceRemaining() >= 4)
            outBuf.Write(bytes, 4);
        else
            m_pending.Add(bytes, 4);
        m_bytesProduced += 4;
        m_position = 0;
        m_group = 0;
    }
}
