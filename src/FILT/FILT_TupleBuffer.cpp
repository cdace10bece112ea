#include "FILT/FILT_TupleBuffer.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"

#include <algorithm>
#include <cstring>

// ---------------------------------------------------------------- reader

FILT_TupleBufferR::FILT_TupleBufferR() { SetTupleSize(1); }

FILT_TupleBufferR::FILT_TupleBufferR(FILT_Size tupleSize) {
    GLIB_ASSERT_CMP(tupleSize, >, 0u);
    SetTupleSize(tupleSize);
}

void FILT_TupleBufferR::SetTupleSize(FILT_Size tupleSize) {
    GLIB_ASSERT_CMP(tupleSize, >, 0u);
    m_spanningTuple.reset(GLIB_NEW uint8_t[tupleSize]);
    m_tupleSize = tupleSize;
    Reset();
}

void FILT_TupleBufferR::Reset() {
    m_filterBuffer = nullptr;
    m_spanningTupleSize = 0;
    m_endOfData = false;
    m_incompleteLastTuple = false;
}

void FILT_TupleBufferR::Attach(FILT_FilterBuffer* filterBufferPtr) {
    GLIB_ASSERT(filterBufferPtr != NULL);
    m_filterBuffer = filterBufferPtr;
    if (filterBufferPtr->IsEOD())
        m_endOfData = true;
    const FILT_Size available = filterBufferPtr->DataAvailable();
    if (available > 0 && !HoldsWholeTuple() && (available < m_tupleSize || m_spanningTupleSize > 0)) {
        const FILT_Size n = std::min(m_tupleSize - m_spanningTupleSize, available);
        std::memcpy(m_spanningTuple.get() + m_spanningTupleSize, filterBufferPtr->GetPtr(), n);
        filterBufferPtr->AdvanceGetPtr(n);
        m_spanningTupleSize += n;
    }
    AfterAttach();
}

void FILT_TupleBufferR::AfterAttach() {
    if (m_filterBuffer == nullptr)
        return;
    const bool drained = m_filterBuffer->DataAvailable() == 0;
    if (m_endOfData && drained && !m_acceptPartialTuple && m_spanningTupleSize > 0 &&
        m_spanningTupleSize < m_tupleSize)
        m_incompleteLastTuple = true;
    if (drained)
        m_filterBuffer = nullptr;
}

FILT_Size FILT_TupleBufferR::TuplesAvailable() const {
    if (m_incompleteLastTuple)
        return 0;
    if (HoldsWholeTuple())
        return 1;
    if (m_spanningTupleSize > 0 || m_filterBuffer == nullptr)
        return 0;
    return m_filterBuffer->DataAvailable() / m_tupleSize;
}

uint8_t* FILT_TupleBufferR::GetPtr() const {
    if (m_incompleteLastTuple)
        return nullptr;
    if (m_spanningTupleSize == 0)
        return m_filterBuffer ? m_filterBuffer->GetPtr() : nullptr;
    if (HoldsWholeTuple() || m_acceptPartialTuple)
        return m_spanningTuple.get();
    return nullptr;
}

void FILT_TupleBufferR::Consume(FILT_Size numTuples) {
    if (m_incompleteLastTuple || numTuples == 0)
        return;
    if (HoldsWholeTuple() || (m_spanningTupleSize > 0 && m_acceptPartialTuple)) {
        GLIB_ASSERT_CMP(numTuples, ==, 1u);
        m_spanningTupleSize = 0;
    } else {
        GLIB_ASSERT_CMP(m_spanningTupleSize, ==, 0u);
        GLIB_ASSERT(m_filterBuffer != NULL);
        const FILT_Size tuplesAvailable = m_filterBuffer->DataAvailable() / m_tupleSize;
        GLIB_ASSERT_CMP(numTuples, <=, tuplesAvailable);
        m_filterBuffer->AdvanceGetPtr(numTuples * m_tupleSize);
    }
    if (m_filterBuffer == nullptr)
        return;
    const FILT_Size remaining = m_filterBuffer->DataAvailable();
    if (remaining > 0 && remaining < m_tupleSize && m_spanningTupleSize == 0) {
        std::memcpy(m_spanningTuple.get(), m_filterBuffer->GetPtr(), remaining);
        m_filterBuffer->AdvanceGetPtr(remaining);
        m_spanningTupleSize = remaining;
    }
    AfterAttach();
}

// ---------------------------------------------------------------- writer

FILT_TupleBufferW::FILT_TupleBufferW() { SetTupleSize(1); }

FILT_TupleBufferW::FILT_TupleBufferW(FILT_Size tupleSize) {
    GLIB_ASSERT_CMP(tupleSize, >, 0u);
    SetTupleSize(tupleSize);
}

void FILT_TupleBufferW::SetTupleSize(FILT_Size tupleSize) {
    GLIB_ASSERT_CMP(tupleSize, >, 0u);
    m_spanningTuple.reset(GLIB_NEW uint8_t[tupleSize]);
    m_tupleSize = tupleSize;
    Reset();
}

void FILT_TupleBufferW::Reset() {
    m_filterBuffer = nullptr;
    m_pendingBytes = 0;
    m_endOfDataPending = false;
}

void FILT_TupleBufferW::Attach(FILT_FilterBuffer* filterBufferPtr) {
    GLIB_ASSERT(filterBufferPtr != NULL);
    m_filterBuffer = filterBufferPtr;
    if (m_pendingBytes > 0) {
        const FILT_Size n = filterBufferPtr->Write(m_spanningTuple.get() + (m_tupleSize - m_pendingBytes),
                                                   m_pendingBytes);
        m_pendingBytes -= n;
    }
    if (m_endOfDataPending && m_pendingBytes == 0)
        filterBufferPtr->SetEOD();
}

bool FILT_TupleBufferW::IsSpanning() const {
    GLIB_ASSERT(m_filterBuffer != NULL);
    const FILT_Size room = m_filterBuffer->SpaceRemaining();
    return m_pendingBytes == 0 && room > 0 && room < m_tupleSize;
}

FILT_Size FILT_TupleBufferW::TuplesAvailable() const {
    if (m_filterBuffer == nullptr)
        return 0;
    if (IsSpanning())
        return 1;
    if (m_pendingBytes > 0)
        return 0;
    return m_filterBuffer->SpaceRemaining() / m_tupleSize;
}

uint8_t* FILT_TupleBufferW::GetPtr() const {
    if (m_filterBuffer == nullptr)
        return nullptr;
    return IsSpanning() ? m_spanningTuple.get() : m_filterBuffer->PutPtr();
}

void FILT_TupleBufferW::Commit(FILT_Size numTuples) {
    if (numTuples == 0)
        return;
    GLIB_ASSERT(m_filterBuffer != NULL);
    if (IsSpanning()) {
        GLIB_ASSERT_CMP(numTuples, ==, 1u);
        const FILT_Size room = m_filterBuffer->SpaceRemaining();
        m_filterBuffer->Write(m_spanningTuple.get(), room);
        m_pendingBytes = m_tupleSize - room;
    } else {
        GLIB_ASSERT_CMP(numTuples, <=, m_filterBuffer->SpaceRemaining() / m_tupleSize);
        m_filterBuffer->AdvancePutPtr(numTuples * m_tupleSize);
    }
}
