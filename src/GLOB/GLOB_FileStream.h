// A stream core over a C stdio file, read and written in chunks of the
// core's buffer size. End of data is reached when a read meets the end of
// the file, so the last chunk may carry bytes and EOD together, or EOD alone.
//
// A failed read or write throws GLIB_Exception GLOB_StreamCore::IOErrorCode
// (1151011) with the C library's reason; a failed read is never handed out
// as an empty chunk, and a short write leaves the unwritten rest unread in the
// caller's buffer. Every write is flushed to the file at once, so a full disk
// is reported by the write that met it.
#pragma once

#include "GLIB/GLIB_FileGuard.h"
#include "GLOB/GLOB_StreamCore.h"

#include <cstdio>

class GLOB_FileStream : public GLOB_StreamCore {
public:
    // Reads and writes file (not null), open for Input and Output. With owns
    // the stream closes the file when it is closed; without, the file stays
    // open for the caller.
    GLOB_FileStream(FILE* file, bool owns);
    ~GLOB_FileStream() override;

protected:
    FILT_FilterBuffer* FillBuffer() override;
    void FlushBuffer(FILT_FilterBuffer& buffer) override;
    // Closes the file when owned (a failed fclose is logged as a warning).
    void DoClose() override;

    // The file, null once closed.
    FILE* File() const { return m_file.File(); }

private:
    GLIB_FileGuard m_file;
    FILT_FilterBuffer m_buffer;  // owned storage of the buffer size
};
