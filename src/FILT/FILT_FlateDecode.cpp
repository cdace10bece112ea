#include "FILT/FILT_FlateDecode.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

#include <cstdio>
#include <cstring>

namespace {

// Longest text of a zlib failure message.
constexpr size_t MaxMessageBytes = 512;

}  // namespace

FILT_FlateDecode::FILT_FlateDecode() { std::memset(&m_zStream, 0, sizeof(m_zStream)); }

FILT_FlateDecode::~FILT_FlateDecode() { EndZStream(); }

void FILT_FlateDecode::EndZStream() {
    if (m_streamOpen) {
        inflateEnd(&m_zStream);
        m_streamOpen = false;
    }
}

int FILT_FlateDecode::InitZStream(z_stream* stream) { return inflateInit(stream); }

void FILT_FlateDecode::Initialise() {
    EndZStream();
    std::memset(&m_zStream, 0, sizeof(m_zStream));
    const int rc = InitZStream(&m_zStream);
    if (rc == Z_MEM_ERROR)
        throw GLIB_BadAllocException(static_cast<uint32_t>(sizeof(m_zStream)), __FILE__, __LINE__);
    if (rc != Z_OK) {
        m_state = StateError;
        GLIB_THROW(GLIB_Exception, FILT_FlateDecodeCode, "FILT_FlateDecode: Error " << rc << " calling infateInit");
    }
    m_streamOpen = true;
}

void FILT_FlateDecode::ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
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
                   "FILT_FlateDecode: ProcessBytes called while in the Error state");
    default:
        GLIB_LOG(GLIB_LogFatal, "Unrecognized state: " << m_state);
    }
}

void FILT_FlateDecode::Run(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) {
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
        const int rc = inflate(&m_zStream, finish ? Z_FINISH : Z_NO_FLUSH);
        inBuf.AdvanceGetPtr(inHad - m_zStream.avail_in);
        outBuf.AdvancePutPtr(outRoom - m_zStream.avail_out);

        if (rc == Z_STREAM_END) {
            EndZStream();
            outBuf.SetEOD();
            m_state = StateFinished;
            return;
        }
        if (rc == Z_OK) {
            // inflate stops on drained input or full output; drained input at
            // EOD goes on at once with Z_FINISH, which ends or fails.
            if (inBuf.DataAvailable() == 0 && !inBuf.IsEOD())
                return;
            continue;
        }
        // Without input zlib cannot go on: not a fault of the data, whatever
        // this outBuf received before. Under Z_FINISH it is a cut stream.
        if (rc == Z_BUF_ERROR && !finish && inHad == 0) {
            GLIB_LOG(GLIB_LogWarning, "Encountered Z_BUF_ERROR that will be ignored. It is assumed zlib needs more "
                                      "input data to successfully continue decoding.");
            return;
        }
        m_state = StateError;
        char text[MaxMessageBytes];
        std::snprintf(text, sizeof(text), "FILT_FlateDecode encountered a zlib error (%d): %s", rc, zError(rc));
        throw GLIB_Exception(FILT_FlateDecodeCode, text, __FILE__, __LINE__);
    }
}
