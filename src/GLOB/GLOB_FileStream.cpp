#include "GLOB/GLOB_FileStream.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"

#include <cerrno>
#include <cstring>

GLOB_FileStream::GLOB_FileStream(FILE* file, bool owns) : m_file(file) {
    GLIB_ASSERT(file != nullptr);
    if (!owns)
        m_file.Release();
    Open(Input | Output);
}

GLOB_FileStream::~GLOB_FileStream() { Close(); }

FILT_FilterBuffer* GLOB_FileStream::FillBuffer() {
    FILE* file = m_file.File();
    GLIB_ASSERT(file != nullptr);
    if (m_buffer.BasePtr() == nullptr || m_buffer.Capacity() != BufferSize())
        m_buffer.SetStorage(nullptr, BufferSize(), true);
    m_buffer.Reset();
    // fread stops short only at end of file or on an error; anything else is
    // read again, so that a chunk without EOD is never empty.
    while (m_buffer.SpaceRemaining() > 0 && !std::feof(file)) {
        errno = 0;
        const size_t n = std::fread(m_buffer.PutPtr(), 1, m_buffer.SpaceRemaining(), file);
        const int error = errno;
        m_buffer.AdvancePutPtr(static_cast<FILT_Size>(n));
        if (std::ferror(file)) {
            std::clearerr(file);
            GLIB_THROW(GLIB_Exception, IOErrorCode,
                       "GLOB_FileStream: failed to read the file after "
                           << m_buffer.TellB() + m_buffer.DataAvailable()
                           << " bytes: " << std::strerror(error ? error : EIO));
        }
        if (n == 0 && !std::feof(file))
            GLIB_THROW(GLIB_Exception, IOErrorCode,
                       "GLOB_FileStream: the file gave no bytes and no end of file");
    }
    if (std::feof(file))
        m_buffer.SetEOD();
    return &m_buffer;
}

void GLOB_FileStream::FlushBuffer(FILT_FilterBuffer& buffer) {
    const FILT_Size n = buffer.DataAvailable();
    if (n == 0)
        return;
    FILE* file = m_file.File();
    GLIB_ASSERT(file != nullptr);
    errno = 0;
    const size_t written = std::fwrite(buffer.GetPtr(), 1, n, file);
    int error = errno;
    buffer.AdvanceGetPtr(static_cast<FILT_Size>(written));
    // stdio keeps small writes in its own buffer; flushing now makes a full
    // disk fail this write instead of a close that can only log.
    bool failed = written < n;
    if (!failed && std::fflush(file) != 0) {
        failed = true;
        error = errno;
    }
    if (failed) {
        std::clearerr(file);
        GLIB_THROW(GLIB_Exception, IOErrorCode,
                   "GLOB_FileStream: failed to write the file (" << written << " of " << n
                                                                 << " bytes taken): "
                                                                 << std::strerror(error ? error : EIO));
    }
}

void GLOB_FileStream::DoClose() { m_file.Close(); }
