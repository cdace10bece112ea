#include "GLOB/GLOB_StringStream.h"

#include "GLIB/GLIB_Assert.h"

GLOB_StringStream::GLOB_StringStream() { Open(Input | Output); }

GLOB_StringStream::GLOB_StringStream(const char* text) : m_text(text) { Open(Input); }

GLOB_StringStream::GLOB_StringStream(const std::string& bytes) : m_text(bytes) { Open(Input); }

GLOB_StringStream::~GLOB_StringStream() { Close(); }

FILT_FilterBuffer* GLOB_StringStream::FillBuffer() {
    if (!m_buffer.IsEOD()) {
        m_buffer.SetStorage(reinterpret_cast<uint8_t*>(&m_text[0]), static_cast<FILT_Size>(m_text.size()), false);
        m_buffer.AdvancePutPtr(static_cast<FILT_Size>(m_text.size()));
        m_buffer.SetEOD();
        return &m_buffer;
    }
    m_buffer.Reset();
    m_text.clear();
    m_buffer.SetEOD();
    return &m_buffer;
}

void GLOB_StringStream::FlushBuffer(FILT_FilterBuffer& buffer) {
    const FILT_Size n = buffer.DataAvailable();
    if (n == 0)
        return;
    const uint8_t* oldData = reinterpret_cast<const uint8_t*>(m_text.data());
    m_text.append(reinterpret_cast<const char*>(buffer.GetPtr()), n);
    buffer.AdvanceGetPtr(n);
    const uint8_t* newData = reinterpret_cast<const uint8_t*>(m_text.data());
    if (newData != oldData && m_buffer.BasePtr() == oldData && m_buffer.DataAvailable() > 0) {
        // The append moved the text while a reader still holds unread bytes
        // of it: point the view at the new storage, same window. Before the
        // later fill that empties the text, the view's offset is still 0.
        const FILT_Size size = m_buffer.Capacity();
        const FILT_Size get = static_cast<FILT_Size>(m_buffer.GetPtr() - m_buffer.BasePtr());
        const FILT_Size put = static_cast<FILT_Size>(m_buffer.PutPtr() - m_buffer.BasePtr());
        GLIB_ASSERT_CMP(m_buffer.TellB(), ==, 0u);
        m_buffer.SetStorage(const_cast<uint8_t*>(newData), size, false);
        m_buffer.AdvancePutPtr(put);
        m_buffer.AdvanceGetPtr(get);
        m_buffer.SetEOD();
    }
}
