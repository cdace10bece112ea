#include "FILT/FILT_FlateFilter.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

#include <cstdio>
#include <cstring>

FILT_FlateFilter::FILT_FlateFilter(uint32_t code, const char* initCall) : m_code(code), m_initCall(initCall) {
    std::memset(&m_zStream, 0, sizeof(m_zStream));
}

void FILT_FlateFilter::EndZStream() {
    if (m_streamOpen) {
        FinishZStream(&m_zStream);
        m_streamOpen = false;
    }
}

void FILT_FlateFilter::Initialise() {
    EndZStream();
    std::memset(&m_zStream, 0, sizeof(m_zStream));
    const int rc = BeginZStream(&m_zStream);
    if (rc == Z_MEM_ERROR)
        throw GLIB_BadAllocException(static_cast<uint32_t>(sizeof(m_zStream)), __FILE__, __LINE__);
    if (rc != Z_OK) {
        m_state = StateError;
        GLIB_THROW(GLIB_Exception, m_code, Name() << ": Error " << rc << " calling " << m_initCall);
    }
    m_streamOpen = true;
}

void FILT_FlateFilter::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    switch (m_state) {
    case StateStart:
        Initialise();
        m_state = StateRunning;
        Run(inBuf, outBuf);
        return;
    case StateRunning:
        Run(inBuf, outBuf);
        return;
    case StateFinished:
        EndZStream();
        outBuf.SetEOD();
        return;
    case StateError:
        EndZStream();
        GLIB_THROW(GLIB_Exception, FILT_FlateDecodeCode, Name() << ": ProcessBytes called while in the Error state");
    default:
        GLIB_LOG(GLIB_LogFatal, "Unrecognized state: " << m_state);
    }
}

void FILT_FlateFilter::Run(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
    for (;;) {
        if (outBuf.SpaceRemaining() == 0)
            return;
        const bool finish = inBuf.IsEOD() && inBuf.DataAvailable() == 0;
        const FILT_Size inHad = inBuf.DataAvailable();
        const FILT_Size outRoom = outBuf.SpaceRemaining();
        m_zStream.next_in = inBuf.GetPtr();
        m_zStream.avail_in = inHad;
        m_zStream.next_out = outBuf.PutPtr();
        m_zStream.avail_out = outRoom;
        const int rc = StepZStream(&m_zStream, finish ? Z_FINISH : Z_NO_FLUSH);
        inBuf.AdvanceGetPtr(inHad - m_zStream.avail_in);
        outBuf.AdvancePutPtr(outRoom - m_zStream.avail_out);

        if (rc == Z_STREAM_END) {
            EndZStream();
            outBuf.SetEOD();
            m_state = StateFinished;
            return;
        }
        if (rc == Z_OK) {
            // zlib stops on drained input or full output; drained input at
            // EOD goes on at once with Z_FINISH, which ends or fails.
            if (inBuf.DataAvailable() == 0 && !inBuf.IsEOD())
                return;
            continue;
        }
        // Without input zlib cannot go on: not a fault of the data, whatever
        // this outBuf received before (in a pipe, the filter downstream has
        // drained our output just as our own input ran dry). Under Z_FINISH
        // it is a cut stream.
        if (rc == Z_BUF_ERROR && !finish && inHad == 0) {
            NeedsInput();
            return;
        }
        // Under Z_FINISH inflate says "buffer error" whenever it stops short
        // of the end, also when it has only filled the room: a cut stream
        // gives all it holds, however the output is cut, and fails once
        // nothing more comes.
        if (rc == Z_BUF_ERROR && finish && m_zStream.avail_out < outRoom)
            continue;
        if (rc == Z_BUF_ERROR && finish && FinishesCut()) {
            EndZStream();
            outBuf.SetEOD();
            m_state = StateFinished;
            return;
        }
        m_state = StateError;
        Failed(rc);
        char text[MaxMessageBytes];
        std::snprintf(text, sizeof(text), "%s encountered a zlib error (%d): %s", Name(), rc, zError(rc));
        throw GLIB_Exception(m_code, text, __FILE__, __LINE__);
    }
}
