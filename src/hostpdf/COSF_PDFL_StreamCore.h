// A stream core that reads or writes a host stream: each fill is one host
// read into the whole raw buffer (a read of nothing is the end of data),
// each flush one host write of the unread bytes.
#pragma once

#include "GLOB/GLOB_StreamCore.h"
#include "viewer/host_api.h"

#include <cstdint>

class COSF_PDFL_StreamCore : public GLOB_StreamCore {
public:
    // openMode is Input or Output (asserted); the core is open afterwards.
    COSF_PDFL_StreamCore(PDFL_ASStm stream, uint32_t openMode);
    // Closes the host stream first, then frees the raw buffer.
    ~COSF_PDFL_StreamCore() override;

protected:
    // The raw buffer, given the core's buffer size and filled by one host
    // read; EOD and no bytes when the host stream has ended.
    FILT_FilterBuffer* FillBuffer() override;
    // One host write; the get pointer advances by what it wrote.
    void FlushBuffer(FILT_FilterBuffer& buffer) override;
    // Closes the host stream and forgets it.
    void DoClose() override;

private:
    PDFL_ASStm m_stream;
    FILT_FilterBuffer m_rawBuffer;  // created empty
};
