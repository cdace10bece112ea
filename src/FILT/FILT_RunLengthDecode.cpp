#include "FILT/FILT_RunLengthDecode.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

#include <algorithm>
#include <cstring>

void FILT_RunLengthDecode::SetRowMode(uint32_t rowLength, uint32_t rowCount) {
    m_rowLength = rowLength;
    m_rowCount = rowCount;
}

void FILT_RunLengthDecode::Finish(FILT_FilterBuffer& outBuf) {
    m_state = StateFinished;
    outBuf.SetEOD();
}

void FILT_RunLengthDecode::CountProduced(uint32_t n) {
    m_bytesProduced += n;
    if (m_rowLength == 0)
        return;
    m_rowProduced += n;
    if (m_rowProduced == m_rowLength) {
        ++m_rowsDone;
        m_rowProduced = 0;
    }
}

void FILT_RunLengthDecode::EndOfData(FILT_FilterBuffer& outBuf, bool atMark) {
    if (m_rowLength > 0 && (m_rowProduced > 0 || (m_rowCount > 0 && m_rowsDone < m_rowCount))) {
        m_state = StateError;
        GLIB_THROW(GLIB_Exception, FILT_RunLengthCode,
                   "RunLengthDecode: End of data encountered in the middle " << " of a row. Expecting "
                                                                             << m_rowLength - m_rowProduced
                                                                             << " more bytes.");
    }
    m_cut = !atMark;
    Finish(outBuf);
}

void FILT_RunLengthDecode::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    for (;;) {
        switch (m_state) {
        case StateStart:
            m_count = 0;
            m_rowProduced = 0;
            m_rowsDone = 0;
            m_bytesProduced = 0;
            m_state = StateLength;
            break;
        case StateLength: {
            if (m_rowLength > 0 && m_rowCount > 0 && m_rowsDone >= m_rowCount) {
                Finish(outBuf);
                return;
            }
            if (m_bytesProduced >= m_needed) {
                // The bytes needed are given: a mark after them is the
                // data's, anything else not.
                if (inBuf.DataAvailable() == 0 && !inBuf.IsEOD())
                    return;
                if (inBuf.DataAvailable() > 0 && *inBuf.GetPtr() == EndMark)
                    inBuf.AdvanceGetPtr(1);
                EndOfData(outBuf, true);
                return;
            }
            if (inBuf.DataAvailable() == 0) {
                if (!inBuf.IsEOD())
                    return;
                // Damaged data without the mark 128: the input's end ends it.
                EndOfData(outBuf, false);
                return;
            }
            const uint8_t length = *inBuf.GetPtr();
            inBuf.AdvanceGetPtr(1);
            if (length == EndMark) {
                EndOfData(outBuf, true);
                return;
            }
            m_count = static_cast<uint8_t>(length > EndMark ? 257 - length : length + 1);
            if (m_rowLength > 0 && m_count > m_rowLength - m_rowProduced) {
                m_state = StateError;
                GLIB_THROW(GLIB_Exception, FILT_RunLengthCode,
                           "RunLengthDecode: Row boundary crossed, " << m_rowLength - m_rowProduced
                                                                     << " bytes expected, " << int(m_count)
                                                                     << " bytes generated");
            }
            m_state = length > EndMark ? StateRunByte : StateLiteral;
            break;
        }
        case StateRunByte:
            if (inBuf.DataAvailable() == 0) {
                if (!inBuf.IsEOD())
                    return;
                EndOfData(outBuf, false);
                return;
            }
            m_runByte = *inBuf.GetPtr();
            inBuf.AdvanceGetPtr(1);
            m_state = StateRun;
            break;
        case StateRun: {
            const FILT_Size n = std::min<FILT_Size>(m_count, outBuf.SpaceRemaining());
            // A buffer without storage has null pointers even for no bytes.
            if (n > 0)
                std::memset(outBuf.PutPtr(), m_runByte, n);
            outBuf.AdvancePutPtr(n);
            m_count = static_cast<uint8_t>(m_count - n);
            CountProduced(n);
            if (m_count > 0)
                return;
            m_state = StateLength;
            break;
        }
        case StateLiteral: {
            const FILT_Size n = std::min<FILT_Size>({m_count, outBuf.SpaceRemaining(), inBuf.DataAvailable()});
            if (n > 0)
                std::memcpy(outBuf.PutPtr(), inBuf.GetPtr(), n);
            inBuf.AdvanceGetPtr(n);
            outBuf.AdvancePutPtr(n);
            m_count = static_cast<uint8_t>(m_count - n);
            CountProduced(n);
            if (m_count > 0) {
                if (outBuf.SpaceRemaining() == 0 || !inBuf.IsEOD())
                    return;
                EndOfData(outBuf, false);
                return;
            }
            m_state = StateLength;
            break;
        }
        case StateFinished:
            outBuf.SetEOD();
            return;
        case StateError:
            GLIB_THROW(GLIB_Exception, FILT_RunLengthCode,
                       "RunLengthDecode: ProcessBytes called while in the Error state");
        default:
            GLIB_LOG(GLIB_LogFatal, "Unrecognized state: " << m_state);
            return;
        }
    }
}
