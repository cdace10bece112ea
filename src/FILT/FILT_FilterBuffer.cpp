#include "FILT/FILT_FilterBuffer.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"

#include <algorithm>
#include <cstring>

FILT_FilterBuffer::FILT_FilterBuffer(FILT_Size size) { SetStorage(nullptr, size, true); }

FILT_FilterBuffer::FILT_FilterBuffer(uint8_t* storage, FILT_Size size, bool owns) {
    SetStorage(storage, size, owns);
}

FILT_FilterBuffer::FILT_FilterBuffer(const FILT_FilterBuffer& other)
    : m_basePtr(other.m_basePtr), m_readCount(other.m_readCount), m_writeCount(other.m_writeCount),
      m_baseOffset(0), m_eod(other.m_eod), m_endPtr(other.m_endPtr), m_getPtr(other.m_getPtr),
      m_putPtr(other.m_putPtr), m_ownsStorage(false) {}

FILT_FilterBuffer& FILT_FilterBuffer::operator=(const FILT_FilterBuffer& other) {
    if (this == &other)
        return *this;
    Free();
    m_basePtr = other.m_basePtr;
    m_readCount = other.m_readCount;
    m_writeCount = other.m_writeCount;
    m_baseOffset = other.m_baseOffset;
    m_eod = other.m_eod;
    m_endPtr = other.m_endPtr;
    m_getPtr = other.m_getPtr;
    m_putPtr = other.m_putPtr;
    m_ownsStorage = false;
    return *this;
}

FILT_FilterBuffer::~FILT_FilterBuffer() { Free(); }

void FILT_FilterBuffer::Free() {
    if (m_ownsStorage)
        delete[] m_basePtr;
    m_basePtr = m_endPtr = m_getPtr = m_putPtr = nullptr;
    m_ownsStorage = false;
}

uint8_t* FILT_FilterBuffer::SetStorage(uint8_t* storage, FILT_Size size, bool owns) {
    Free();
    if (storage == nullptr && size > 0) {
        storage = GLIB_NEW uint8_t[size];
        owns = true;
    }
    m_basePtr = storage;
    m_endPtr = storage ? storage + size : nullptr;
    m_getPtr = m_putPtr = m_basePtr;
    m_ownsStorage = owns && storage != nullptr;
    m_baseOffset = 0;
    m_eod = false;
    m_readCount = m_writeCount = 0;
    return m_basePtr;
}

uint8_t* FILT_FilterBuffer::Rewind() {
    m_baseOffset = m_basePtr ? m_baseOffset + static_cast<FILT_Size>(m_getPtr - m_basePtr) : 0;
    m_getPtr = m_putPtr = m_basePtr;
    m_eod = false;
    return m_basePtr;
}

uint8_t* FILT_FilterBuffer::Reset() {
    Rewind();
    m_readCount = m_writeCount = 0;
    return m_basePtr;
}

FILT_Size FILT_FilterBuffer::TransferTo(FILT_FilterBuffer& destination) {
    const FILT_Size n = std::min(DataAvailable(), destination.SpaceRemaining());
    if (n == 0)
        return 0;
    std::memmove(destination.m_putPtr, m_getPtr, n);
    AdvanceGetPtr(n);
    destination.AdvancePutPtr(n);
    return n;
}

FILT_Size FILT_FilterBuffer::Write(const uint8_t* data, FILT_Size n) {
    n = std::min(n, SpaceRemaining());
    if (n == 0)
        return 0;
    std::memcpy(m_putPtr, data, n);
    AdvancePutPtr(n);
    return n;
}

FILT_Size FILT_FilterBuffer::Read(uint8_t* data, FILT_Size n) {
    n = std::min(n, DataAvailable());
    if (n == 0)
        return 0;
    std::memcpy(data, m_getPtr, n);
    AdvanceGetPtr(n);
    return n;
}

uint8_t* FILT_FilterBuffer::OffsetToPtr(FILT_Size offset) const {
    GLIB_ASSERT_CMP(offset, >=, TellB());
    GLIB_ASSERT_CMP(offset, <=, TellE());
    return m_basePtr + (offset - m_baseOffset);
}

uint8_t* FILT_FilterBuffer::SeekG(FILT_Size offset) {
    m_getPtr = OffsetToPtr(offset);
    if (m_getPtr > m_putPtr)
        m_putPtr = m_getPtr;
    return m_getPtr;
}

uint8_t* FILT_FilterBuffer::SeekP(FILT_Size offset) {
    m_putPtr = OffsetToPtr(offset);
    if (m_putPtr < m_getPtr)
        m_getPtr = m_putPtr;
    return m_putPtr;
}

void FILT_FilterBuffer::ShiftData(int32_t n) {
    if (n == 0)
        return;
    const ptrdiff_t getIndex = (m_getPtr - m_basePtr) + n;
    const ptrdiff_t putIndex = (m_putPtr - m_basePtr) + n;
    GLIB_ASSERT_CMP(getIndex, >=, 0);
    GLIB_ASSERT_CMP(putIndex, <=, m_endPtr - m_basePtr);
    std::memmove(m_basePtr + getIndex, m_getPtr, DataAvailable());
    m_getPtr = m_basePtr + getIndex;
    m_putPtr = m_basePtr + putIndex;
    m_baseOffset -= static_cast<FILT_Size>(n);
}
