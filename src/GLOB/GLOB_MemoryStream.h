// A stream core over a block of memory that the caller owns and keeps alive
// while the core lives. Reading gives every byte in one buffer already
// marked EOD; writing fills the room and leaves what does not fit unread in
// the caller's buffer.
#pragma once

#include "GLOB/GLOB_StreamCore.h"

#include <cstdint>

class GLOB_MemoryStream : public GLOB_StreamCore {
public:
    // Over [data, data + size), open for Input and Output. holdsData: the
    // size bytes are data to be read; otherwise they are empty room for
    // size bytes to be written.
    GLOB_MemoryStream(void* data, uint32_t size, bool holdsData);
    ~GLOB_MemoryStream() override;

protected:
    // The buffer with EOD set: all of the data come in one fill.
    FILT_FilterBuffer* FillBuffer() override;
    // Moves as many unread bytes as there is room for.
    void FlushBuffer(FILT_FilterBuffer& buffer) override;
    void DoClose() override {}

private:
    FILT_FilterBuffer m_buffer;  // a view of the caller's memory
};
