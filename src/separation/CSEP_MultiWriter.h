// Writes PDF tokens to the per-ink output streams of a separation: to every
// ink at once (target -1, through a CSEP_ForkedStream, so a token is
// formatted once) or to one ink (target = its press-space index). Each
// change of target flushes what was written before, so the inks' streams
// see the tokens in the order they were written.
#pragma once

#include "GLOB/GLOB_ObjectWriter.h"
#include "GLOB/GLOB_Stream.h"

#include <cstdint>
#include <vector>

class GLOB_OperandStack;

class CSEP_MultiWriter : public GLOB_ObjectWriter {
public:
    // No outputs, target -1.
    CSEP_MultiWriter();
    // Closes the fork; bytes not flushed are dropped.
    ~CSEP_MultiWriter() override;

    // Shares outputs (one per ink), makes a new fork over them and writes to
    // it (target -1). Bytes not flushed before are dropped.
    void SetStreams(const std::vector<GLOB_Stream>& outputs);
    // Flushes, then writes to output index, or to every output for -1.
    // index must be -1 or below the number of outputs (asserted).
    void SetTarget(int32_t index);
    int32_t Target() const { return m_target; }
    // The operands from the bottom of the stack to its top, the order in
    // which they were pushed, then the operator and a line feed.
    void WriteOperation(const char* op, const GLOB_OperandStack& operands);
    // Flushes, closes the fork and drops the outputs; target -1.
    void Reset();

private:
    void CloseFork() noexcept;

    std::vector<GLOB_Stream> m_outputs;
    GLOB_Stream m_fork;
    int32_t m_target = -1;
};
