#include "hostpdf/COSF_PDFL_StreamCore.h"

#include "GLIB/GLIB_Assert.h"
#include "hostpdf/PDFL_ASCalls.h"

#include <algorithm>

COSF_PDFL_StreamCore::COSF_PDFL_StreamCore(PDFL_ASStm stream, uint32_t openMode)
    : m_stream(stream), m_rawBuffer(0) {
    GLIB_ASSERT( ( openMode == Input ) || ( openMode == Output ) );
    Open(openMode);
}

COSF_PDFL_StreamCore::~COSF_PDFL_StreamCore() {
    Close();
}

FILT_FilterBuffer* COSF_PDFL_StreamCore::FillBuffer() {
    if (m_rawBuffer.Capacity() != BufferSize())
        m_rawBuffer.SetStorage(nullptr, BufferSize(), true);
    m_rawBuffer.Reset();
    const uint32_t room = m_rawBuffer.SpaceRemaining();
    const uint32_t got = PDFL_ASStmRead(reinterpret_cast<char*>(m_rawBuffer.PutPtr()), 1, room,
                                        m_stream);
    if (got < 1)
        m_rawBuffer.SetEOD();
    else
        m_rawBuffer.AdvancePutPtr(std::min(got, room));
    return &m_rawBuffer;
}

void COSF_PDFL_StreamCore::FlushBuffer(FILT_FilterBuffer& buffer) {
    const uint32_t unread = buffer.DataAvailable();
    if (unread == 0)
        return;
    const uint32_t written = PDFL_ASStmWrite(reinterpret_cast<const char*>(buffer.GetPtr()), 1,
                                             unread, m_stream);
    buffer.AdvanceGetPtr(std::min(written, unread));
}

void COSF_PDFL_StreamCore::DoClose() {
    // Forgotten first: a host error in the close must not close it again.
    const PDFL_ASStm stream = m_stream;
    m_stream = nullptr;
    if (stream)
        PDFL_ASStmClose(stream);
}
