#include "FILT/FILT_RunLengthEncode.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"

#include <algorithm>
#include <cstring>

void FILT_RunLengthEncode::SetRowMode(uint32_t rowLength, uint32_t rowCount) {
    m_rowLength = rowLength;
    m_rowCount = rowCount;
}

uint8_t FILT_RunLengthEncode::TakeByte(FILT_FilterBuffer& inBuf) {
    const uint8_t b = *inBuf.GetPtr();
    inBuf.AdvanceGetPtr(1);
    if (m_rowLength > 0)
        --m_rowRemaining;
    return b;
}

void FILT_RunLengthEncode::WriteLiteral() {
    uint32_t start = 0;
    while (start < m_literalCount) {
        const uint32_t n = std::min(m_literalCount - start, MaxGroup);
        m_pending.Add(static_cast<uint8_t>(n - 1));
        m_pending.Add(m_literal + start, n);
        start += n;
    }
    m_literalCount = 0;
}

void FILT_RunLengthEncode::WriteRun() {
    const uint8_t group[2] = {static_cast<uint8_t>(257 - m_runCount), m_lastByte};
    m_pending.Add(group, 2);
    m_runCount = 0;
}

void FILT_RunLengthEncode::EndRow() {
    ++m_rowsDone;
    m_rowRemaining = m_rowLength;
    m_state = m_rowCount > 0 && m_rowsDone >= m_rowCount ? StateEnd : StateBetweenGroups;
}

void FILT_RunLengthEncode::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    for (;;) {
        if (!m_pending.Flush(outBuf))
            return;
        switch (m_state) {
        case StateStart:
            m_runCount = 0;
            m_literalCount = 0;
            m_rowRemaining = m_rowLength;
            m_rowsDone = 0;
            m_state = StateBetweenGroups;
            break;
        case StateBetweenGroups:
            if (inBuf.DataAvailable() == 0) {
                if (!inBuf.IsEOD())
                    return;
                m_state = StateEnd;
                break;
            }
            m_lastByte = TakeByte(inBuf);
            m_literal[0] = m_lastByte;
            m_literalCount = 1;
            m_runCount = 1;
            m_state = StateCollecting;
            if (RowEnded()) {
                WriteLiteral();
                EndRow();
            }
            break;
        case StateCollecting: {
            if (inBuf.DataAvailable() == 0) {
                if (!inBuf.IsEOD())
                    return;
                WriteLiteral();
                m_state = StateEnd;
                break;
            }
            const uint8_t b = TakeByte(inBuf);
            m_literal[m_literalCount++] = b;
            if (b == m_lastByte) {
                if (++m_runCount == 3) {
                    // Three equal bytes start a run: the literal before them goes first.
                    m_literalCount -= 3;
                    WriteLiteral();
                    m_state = StateExtendingRun;
                    break;
                }
            } else {
                m_lastByte = b;
                m_runCount = 1;
                if (m_literalCount > MaxGroup) {
                    m_pending.Add(static_cast<uint8_t>(MaxGroup - 1));
                    m_pending.Add(m_literal, MaxGroup);
                    m_literalCount -= MaxGroup;
                    std::memmove(m_literal, m_literal + MaxGroup, m_literalCount);
                }
            }
            if (RowEnded()) {
                WriteLiteral();
                EndRow();
            }
            break;
        }
        case StateExtendingRun:
            while (m_runCount < MaxGroup && !RowEnded() && inBuf.DataAvailable() > 0 &&
                   *inBuf.GetPtr() == m_lastByte) {
                TakeByte(inBuf);
                ++m_runCount;
            }
            if (m_runCount < MaxGroup && !RowEnded() && inBuf.DataAvailable() == 0 && !inBuf.IsEOD())
                return;
            WriteRun();
            m_state = StateBetweenGroups;
            if (RowEnded())
                EndRow();
            break;
        case StateEnd:
            if (m_endMark)
                m_pending.Add(EndMark);
            m_state = StateFinished;
            break;
        case StateFinished:
            outBuf.SetEOD();
            return;
        default:
            GLIB_LOG(GLIB_LogFatal, "Unrecognized state: " << m_state);
            return;
        }
    }
}
