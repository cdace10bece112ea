#include "FILT/FILT_FlateEncode.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

#include <cstdio>
#include <cstring>

namespace {

// Longest text of a zlib failure message.
constexpr size_t MaxMessageBytes = 512;

}  // namespace

FILT_FlateEncode::FILT_FlateEncode() { std::memset(&m_zStream, 0, sizeof(m_zStream)); }

FILT_FlateEncode::~FILT_FlateEncode() { EndZStream(); }

void FILT_FlateEncode::EndZStream() {
    if (m_streamOpen) {
        deflateEnd(&m_zStream);
        m_streamOpen = false;
    }
}

int FILT_FlateEncode::InitZStream(z_stream* stream, int32_t level) { return deflateInit(stream, level); }

void FILT_FlateEncode::Initialise() {
    EndZStream();
    std::memset(&m_zStream, 0, sizeof(m_zStream));
    const int rc = InitZStream(&m_zStream, m_compressionLevel);
    if (rc == Z_MEM_ERROR)
        throw GLIB_BadAllocException(static_cast<uint32_t>(sizeof(m_zStream)), __FILE__, __LINE__);
    if (rc != Z_OK) {
        m_state = StateError;
        GLIB_THROW(GLIB_Exception, FILT_FlateEncodeCode, "FILT_FlateEncode: Error " << rc << " calling delfateInit");
    }
    m_streamOpen = true;
}

void FILT_FlateEncode::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
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
        GLIB_THROW(GLIB_Exception, FILT_FlateDecodeCode,
                   "FILT_FlateEncode: ProcessBytes called while in the Error state");
    default:
        GLIB_LOG(GLIB_LogFatal, "Unrecognized state: " << m_state);
    }
}

void FILT_FlateEncode::Run(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
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
        const int rc = deflate(&m_zStream, finish ? Z_FINISH : Z_NO_FLUSH);
        inBuf.AdvanceGetPtr(inHad - m_zStream.avail_in);
        outBuf.AdvancePutPtr(outRoom - m_zStream.avail_out);

        if (rc == Z_STREAM_END) {
            EndZStream();
            outBuf.SetEOD();
            m_state = StateFinished;
            return;
        }
        if (rc == Z_OK) {
            // deflate stops on drained input or full output; drained input at
            // EOD goes on at once with Z_FINISH.
            if (inBuf.DataAvailable() == 0 && !inBuf.IsEOD())
                return;
            continue;
        }
        // Nothing to take and nothing pending: in a pipe this call comes when
        // the filter downstream has drained our output while our own input
        // had run dry at the same moment.
        if (rc == Z_BUF_ERROR && !finish && inHad == 0)
            return;
        m_state = StateError;
        char text[MaxMessageBytes];
        std::snprintf(text, sizeof(text), "FILT_FlateEncode encountered a zlib error (%d): %s", rc, zError(rc));
        throw GLIB_Exception(FILT_FlateEncodeCode, text, __FILE__, __LINE__);
    }
}
