#include "GLOB/GLOB_Stream.h"

#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_StreamCore.h"
#include "GLOB/GLOB_StreamMessage.h"

GLOB_Stream::GLOB_Stream(GLOB_StreamCore* core) : m_streamCore(core) {
    if (m_streamCore)
        m_streamCore->AddRef();
}

GLOB_Stream::GLOB_Stream(const GLOB_Stream& other) : GLOB_Stream(other.m_streamCore) {}

GLOB_Stream& GLOB_Stream::operator=(const GLOB_Stream& other) { return *this = other.m_streamCore; }

GLOB_Stream& GLOB_Stream::operator=(GLOB_StreamCore* core) {
    if (core == m_streamCore)
        return *this;
    // Share the new core before letting go of the old one: the old one may
    // hold the only other reference to it.
    if (core)
        core->AddRef();
    Release();
    m_streamCore = core;
    return *this;
}

GLOB_Stream::~GLOB_Stream() { Release(); }

void GLOB_Stream::Release() {
    if (m_streamCore == nullptr)
        return;
    GLIB_ASSERT_CMP(m_streamCore->RefCount(), >, 0u);
    GLOB_StreamCore* core = m_streamCore;
    m_streamCore = nullptr;
    core->Release();
}

FILT_FilterBuffer* GLOB_Stream::Read() {
    GLIB_ASSERT(m_streamCore);
    FILT_FilterBuffer* buffer = m_streamCore->Read();
    // Notify does nothing while the core has no observer.
    m_streamCore->Notify(GLOB_StreamReadMessage(*this, buffer));
    return buffer;
}

void GLOB_Stream::GiveBack(const uint8_t* bytes, FILT_Size n) {
    GLIB_ASSERT(m_streamCore);
    m_streamCore->GiveBack(bytes, n);
}

void GLOB_Stream::Write(FILT_FilterBuffer& buffer) {
    GLIB_ASSERT(m_streamCore);
    m_streamCore->Notify(GLOB_StreamWriteMessage(*this));
    m_streamCore->Write(buffer);
}

void GLOB_Stream::Close() {
    if (m_streamCore == nullptr)
        return;
    m_streamCore->Notify(GLOB_StreamCloseMessage(*this));
    m_streamCore->DetachAll();
    m_streamCore->Close();
}

void GLOB_Stream::SetFilter(FILT_Filter* filter) {
    GLIB_ASSERT(m_streamCore);
    m_streamCore->SetFilter(filter);
}

void GLOB_Stream::SetBufferSize(uint32_t size) { m_streamCore->SetBufferSize(size); }

void GLOB_Stream::SetTrace(bool trace) { m_streamCore->SetTrace(trace); }

uint32_t GLOB_Stream::Attach(GLIB_CallbackBase* callback) {
    GLIB_ASSERT(m_streamCore);
    return m_streamCore->Attach(callback);
}

uint32_t GLOB_Stream::Detach(GLIB_MessageTarget& target) {
    GLIB_ASSERT(m_streamCore);
    return m_streamCore->Detach(&target);
}

void GLOB_Stream::DetachAll() {
    GLIB_ASSERT(m_streamCore);
    m_streamCore->DetachAll();
}

uint32_t GLOB_Stream::Tell() const {
    GLIB_ASSERT(m_streamCore);
    return m_streamCore->Tell();
}

uint32_t GLOB_Stream::RawTell() const {
    GLIB_ASSERT(m_streamCore);
    return m_streamCore->RawTell();
}

bool GLOB_Stream::IsOpen() const { return m_streamCore != nullptr && m_streamCore->IsOpen(); }

GLOB_StreamCore* GLOB_Stream::Core() const {
    if (m_streamCore)
        m_streamCore->AddRef();
    return m_streamCore;
}
