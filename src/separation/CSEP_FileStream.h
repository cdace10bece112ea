// A stream core over an open file fork, read and written at the fork's
// current position: the separators write an ink's bytes through it, and the
// document back-end reads them back when the file becomes stream data.
// Errors of the fork (MACR_IOException) pass through Read and Write.
#pragma once

#include "FILT/FILT_FilterBuffer.h"
#include "GLOB/GLOB_StreamCore.h"

class MACR_Fork;

class CSEP_FileStream : public GLOB_StreamCore {
public:
    // Over fork (not owned, kept open by its owner while the stream is
    // open), open for Input and Output.
    explicit CSEP_FileStream(MACR_Fork* fork);
    ~CSEP_FileStream() override;

protected:
    // Up to the buffer size from the fork; EOD once the fork's position has
    // reached its size, and at every fill after that.
    FILT_FilterBuffer* FillBuffer() override;
    // Writes the waiting bytes at the fork's position. Asserts a fork.
    void FlushBuffer(FILT_FilterBuffer& buffer) override;
    // Forgets the fork; the file is neither closed nor deleted.
    void DoClose() override;

private:
    MACR_Fork* m_pFile;
    FILT_FilterBuffer m_buffer;  // no storage until the first fill
};
