#include "GLOB/GLOB_StreamCore.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"

GLOB_StreamCore::GLOB_StreamCore() = default;

GLOB_StreamCore::~GLOB_StreamCore() {
    GLIB_ASSERT(!m_open);
    FreeFilterAndBuffer();
}

void GLOB_StreamCore::Release() {
    GLIB_ASSERT_CMP(m_refCount, >, 0u);
    if (--m_refCount == 0)
        delete this;
}

void GLOB_StreamCore::Open(uint32_t mode) {
    m_open = true;
    m_openMode = mode;
}

void GLOB_StreamCore::SetFilter(FILT_Filter* filter) {
    if (filter == m_filter)
        return;
    delete m_filter;
    m_filter = filter;
}

void GLOB_StreamCore::SetBufferSize(uint32_t size) {
    // A filtered buffer without room would make Read and Write spin.
    GLIB_ASSERT_CMP(size, >, 0u);
    m_bufferSize = size;
}

void GLOB_StreamCore::FreeFilterAndBuffer() {
    delete m_filteredBuffer;
    m_filteredBuffer = nullptr;
    delete m_filter;
    m_filter = nullptr;
}

void GLOB_StreamCore::GiveBack(const uint8_t* bytes, FILT_Size n) {
    if (n == 0)
        return;
    // Before those given back earlier and not read again yet, where they
    // stood.
    const uint32_t next = m_unread.DataAvailable() > 0 ? m_unread.TellG() : Tell();
    std::vector<uint8_t> joined(bytes, bytes + n);
    joined.insert(joined.end(), m_unread.GetPtr(), m_unread.GetPtr() + m_unread.DataAvailable());
    m_unreadBytes.swap(joined);
    m_unread = FILT_FilterBuffer(m_unreadBytes.data(), static_cast<FILT_Size>(m_unreadBytes.size()), false);
    m_unread.AdvancePutPtr(static_cast<FILT_Size>(m_unreadBytes.size()));
    m_unread.SetTellB(next >= n ? next - n : 0);
}

void GLOB_StreamCore::Close() {
    if (m_open) {
        try {
            DoClose();
        } catch (...) {
            // A failed release still leaves a closed core behind.
            m_open = false;
            m_rawBuffer = nullptr;
            FreeFilterAndBuffer();
            throw;
        }
    }
    m_open = false;
    m_rawBuffer = nullptr;
    m_unread.Reset();
    FreeFilterAndBuffer();
}

uint32_t GLOB_StreamCore::Tell() const {
    const FILT_FilterBuffer* buffer = m_filter ? m_filteredBuffer : m_rawBuffer;
    if (buffer == nullptr)
        return 0;
    return buffer->TellB() + static_cast<uint32_t>(buffer->GetPtr() - buffer->BasePtr());
}

uint32_t GLOB_StreamCore::RawTell() const {
    if (m_rawBuffer == nullptr)
        return 0;
    return m_rawBuffer->TellB() + static_cast<uint32_t>(m_rawBuffer->GetPtr() - m_rawBuffer->BasePtr());
}

FILT_FilterBuffer* GLOB_StreamCore::Fill() {
    FILT_FilterBuffer* buffer = FillBuffer();
    GLIB_ASSERT(buffer != nullptr);
    // An empty chunk without EOD would make every reader spin.
    GLIB_ASSERT(buffer->DataAvailable() > 0 || buffer->IsEOD());
    return buffer;
}

void GLOB_StreamCore::ThrowStalled(const char* operation) const {
    GLIB_THROW(GLIB_Exception, IOErrorCode,
               "GLOB_StreamCore::" << operation << ": the filter " << m_filter->Name()
                                   << " neither took nor gave a byte");
}

void GLOB_StreamCore::Flush(FILT_FilterBuffer& buffer) {
    FlushBuffer(buffer);
    // The filtered buffer is reset before the next chunk: what a short store
    // left behind would be lost.
    while (buffer.DataAvailable() > 0) {
        const FILT_Size before = buffer.DataAvailable();
        FlushBuffer(buffer);
        if (buffer.DataAvailable() == before)
            GLIB_THROW(GLIB_Exception, IOErrorCode,
                       "GLOB_StreamCore::Write: the stream stored none of the last " << before
                                                                                    << " bytes");
    }
}

void GLOB_StreamCore::PrepareFilteredBuffer() {
    if (m_filteredBuffer == nullptr)
        m_filteredBuffer = GLIB_NEW FILT_FilterBuffer(m_bufferSize);
    else if (m_filteredBuffer->BasePtr() == nullptr || m_filteredBuffer->Capacity() != m_bufferSize)
        m_filteredBuffer->SetStorage(nullptr, m_bufferSize, true);
}

FILT_FilterBuffer* GLOB_StreamCore::Read() {
    GLIB_ASSERT(m_open);
    GLIB_ASSERT_CMP(( m_openMode & Input ), ==, Input);
    if (m_unread.DataAvailable() > 0)
        return &m_unread;

    if (m_filter == nullptr) {
        if (m_rawBuffer == nullptr || m_rawBuffer->DataAvailable() == 0)
            m_rawBuffer = Fill();
        return m_rawBuffer;
    }

    PrepareFilteredBuffer();
    FILT_FilterBuffer& out = *m_filteredBuffer;
    if (out.DataAvailable() > 0)
        return &out;
    out.Reset();

    for (;;) {
        if (m_rawBuffer == nullptr || (m_rawBuffer->DataAvailable() == 0 && !m_rawBuffer->IsEOD()))
            m_rawBuffer = Fill();
        FILT_FilterBuffer& in = *m_rawBuffer;
        if (m_trace)
            GLIB_LOG(GLIB_LogDebug, "GLOB_StreamCore::Read: "
                                        << "inBuf.DataAvailable = " << in.DataAvailable()
                                        << (in.IsEOD() ? " (eod)" : "")
                                        << ", outBuf.SpaceRemaining = " << out.SpaceRemaining());
        const FILT_Size inBefore = in.DataAvailable();
        const FILT_Size outBefore = out.DataAvailable();
        m_filter->ProcessBytes(in, out);
        if (m_trace)
            GLIB_LOG(GLIB_LogDebug, "GLOB_StreamCore::Read: "
                                        << " consumed " << (in.GetPtr() - in.BasePtr())
                                        << (in.IsEOD() ? " (eod)" : "") << " and generated "
                                        << (out.PutPtr() - out.BasePtr()) << (out.IsEOD() ? " (eod)" : ""));
        if (out.DataAvailable() > 0 || out.IsEOD())
            break;
        // A filter that takes nothing, gives nothing and does not finish
        // while it has input (or EOD) and room breaks its contract; on
        // hostile data that must not spin or end the process.
        const bool progressed = in.DataAvailable() != inBefore || out.DataAvailable() != outBefore;
        if (!progressed && (in.DataAvailable() > 0 || in.IsEOD()))
            ThrowStalled("Read");
    }
    return &out;
}

void GLOB_StreamCore::Write(FILT_FilterBuffer& buffer) {
    GLIB_ASSERT(m_open);
    GLIB_ASSERT_CMP(( m_openMode & Output ), ==, Output);

    if (m_filter == nullptr) {
        FlushBuffer(buffer);
        return;
    }

    PrepareFilteredBuffer();
    FILT_FilterBuffer& out = *m_filteredBuffer;
    while (buffer.DataAvailable() > 0 || (buffer.IsEOD() && !out.IsEOD())) {
        // A chain that has finished takes no more input (a decoder that met
        // its end mark): the bytes after it stay unread in the caller's
        // buffer instead of spinning here.
        if (out.IsEOD())
            break;
        out.Reset();
        const FILT_Size inBefore = buffer.DataAvailable();
        m_filter->ProcessBytes(buffer, out);
        const bool progressed = buffer.DataAvailable() != inBefore || out.DataAvailable() > 0 || out.IsEOD();
        if (!progressed)
            ThrowStalled("Write");
        Flush(out);
    }
}
