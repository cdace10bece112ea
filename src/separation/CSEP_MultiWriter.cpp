#include "separation/CSEP_MultiWriter.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_OperandStack.h"
#include "separation/CSEP_ForkedStream.h"

CSEP_MultiWriter::CSEP_MultiWriter() = default;

CSEP_MultiWriter::~CSEP_MultiWriter() { CloseFork(); }

void CSEP_MultiWriter::CloseFork() noexcept {
    try {
        m_fork.Close();
    } catch (const GLIB_Exception&) {
        // Only an observer of the fork can fail, and it has none.
    }
    m_fork = GLOB_Stream();
}

void CSEP_MultiWriter::SetStreams(const std::vector<GLOB_Stream>& outputs) {
    CloseFork();
    m_outputs = outputs;
    CSEP_ForkedStream* fork = GLIB_NEW CSEP_ForkedStream;
    m_fork = fork;
    fork->SetBranches(m_outputs);
    m_target = -1;
    SetStream(m_fork);
}

void CSEP_MultiWriter::SetTarget(int32_t index) {
    GLIB_ASSERT(index >= -1 && index < static_cast<int32_t>(m_outputs.size()));
    Flush();
    m_target = index;
    SetStream(index == -1 ? m_fork : m_outputs[static_cast<size_t>(index)]);
}

void CSEP_MultiWriter::WriteOperation(const char* op, const GLOB_OperandStack& operands) {
    for (size_t i = operands.Size(); i-- > 0;)
        WriteObject(operands.Operand(i));
    WriteOperator(op);
}

void CSEP_MultiWriter::Reset() {
    Flush();
    CloseFork();
    m_outputs.clear();
    m_target = -1;
    SetStream(GLOB_Stream());
}
