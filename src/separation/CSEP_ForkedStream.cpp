#include "separation/CSEP_ForkedStream.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

CSEP_ForkedStream::CSEP_ForkedStream() { Open(Output); }

CSEP_ForkedStream::~CSEP_ForkedStream() { Close(); }

FILT_FilterBuffer* CSEP_ForkedStream::FillBuffer() {
    GLIB_LOG(GLIB_LogFatal, "Attempted read from a CSEP_ForkedStream.");
    m_empty.Reset();
    m_empty.SetEOD();
    return &m_empty;
}

void CSEP_ForkedStream::FlushBuffer(FILT_FilterBuffer& buffer) {
    const FILT_Size start = buffer.TellG();
    for (GLOB_Stream& branch : m_branches) {
        buffer.SeekG(start);
        // Written at least once, so that an empty buffer still carries EOD.
        do {
            const FILT_Size before = buffer.DataAvailable();
            branch.Write(buffer);
            if (before > 0 && buffer.DataAvailable() == before)
                GLIB_THROW(GLIB_Exception, IOErrorCode,
                           "CSEP_ForkedStream: a branch took none of the last " << before << " bytes");
        } while (buffer.DataAvailable() > 0);
    }
    buffer.Reset();
}
