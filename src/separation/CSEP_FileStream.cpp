#include "separation/CSEP_FileStream.h"

#include "GLIB/GLIB_Assert.h"
#include "fileio/MACR_Fork.h"

CSEP_FileStream::CSEP_FileStream(MACR_Fork* fork) : m_pFile(fork) { Open(Input | Output); }

CSEP_FileStream::~CSEP_FileStream() { Close(); }

FILT_FilterBuffer* CSEP_FileStream::FillBuffer() {
    GLIB_ASSERT(m_pFile != NULL);
    if (m_buffer.BasePtr() == nullptr || m_buffer.Capacity() != BufferSize())
        m_buffer.SetStorage(nullptr, BufferSize(), true);
    const bool ended = m_buffer.IsEOD();
    m_buffer.Reset();
    if (ended) {
        m_buffer.SetEOD();
        return &m_buffer;
    }
    uint32_t count = 0;
    m_pFile->Read(m_buffer.PutPtr(), m_buffer.SpaceRemaining(), &count);
    m_buffer.AdvancePutPtr(count);
    // A read of nothing is the end too: an empty chunk without EOD would stall the reader.
    if (count == 0 || m_pFile->Position() >= m_pFile->Size())
        m_buffer.SetEOD();
    return &m_buffer;
}

void CSEP_FileStream::FlushBuffer(FILT_FilterBuffer& buffer) {
    GLIB_ASSERT(m_pFile != NULL);
    const FILT_Size waiting = buffer.DataAvailable();
    if (waiting == 0)
        return;
    uint32_t count = 0;
    m_pFile->Write(buffer.GetPtr(), waiting, &count);
    buffer.AdvanceGetPtr(count);
}

void CSEP_FileStream::DoClose() { m_pFile = nullptr; }
