// An output-only stream core that hands every byte written to it to each of
// its branches in turn: a token formatted once reaches every ink's file.
#pragma once

#include "FILT/FILT_FilterBuffer.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StreamCore.h"

#include <vector>

class CSEP_ForkedStream : public GLOB_StreamCore {
public:
    // No branches; open for Output.
    CSEP_ForkedStream();
    ~CSEP_ForkedStream() override;

    // Shares the branches' cores.
    void SetBranches(const std::vector<GLOB_Stream>& branches) { m_branches = branches; }

protected:
    // Not supported: a FATAL log "Attempted read from a CSEP_ForkedStream."
    // (the core is not open for Input, so Read asserts before it).
    FILT_FilterBuffer* FillBuffer() override;
    // Writes the waiting bytes, and the EOD mark, to every branch in order,
    // each from the same get position; then empties the buffer. A branch
    // that takes none of them throws GLIB_Exception 1151011; the branches
    // before it have them.
    void FlushBuffer(FILT_FilterBuffer& buffer) override;
    // The branches stay open.
    void DoClose() override {}

private:
    std::vector<GLOB_Stream> m_branches;
    FILT_FilterBuffer m_empty;
};
