#include "GLOB/GLOB_MemoryStream.h"

GLOB_MemoryStream::GLOB_MemoryStream(void* data, uint32_t size, bool holdsData)
    : m_buffer(static_cast<uint8_t*>(data), data ? size : 0, false) {
    if (holdsData)
        m_buffer.AdvancePutPtr(m_buffer.Capacity());
    Open(Input | Output);
}

GLOB_MemoryStream::~GLOB_MemoryStream() { Close(); }

FILT_FilterBuffer* GLOB_MemoryStream::FillBuffer() {
    m_buffer.SetEOD();
    return &m_buffer;
}

void GLOB_MemoryStream::FlushBuffer(FILT_FilterBuffer& buffer) { m_buffer.TransferFrom(buffer); }
