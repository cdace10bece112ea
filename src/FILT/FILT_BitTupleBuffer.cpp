#include "FILT/FILT_BitTupleBuffer.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"

#include <algorithm>
#include <cstring>

namespace {

// Top o bits of a byte, o = 0 .. 7.
uint8_t HighMask(FILT_Size o) { return static_cast<uint8_t>(0xFF00u >> o); }

// Whole tuples in bytes bytes past the first bitOffset bits.
FILT_Size WholeTuples(FILT_Size bytes, FILT_Size bitOffset, FILT_Size tupleNumBits) {
    if (bytes == 0)
        return 0;
    const uint64_t bits = static_cast<uint64_t>(bytes) * 8 - bitOffset;
    return static_cast<FILT_Size>(std::min<uint64_t>(bits / tupleNumBits, UINT32_MAX));
}

}  // namespace

// ---------------------------------------------------------------- writer

FILT_BitTupleBufferW::FILT_BitTupleBufferW(FILT_Size tupleNumBits) { SetTupleNumBits(tupleNumBits); }

void FILT_BitTupleBufferW::SetTupleNumBits(FILT_Size tupleNumBits) {
    GLIB_ASSERT_CMP(tupleNumBits, >=, static_cast<FILT_Size>( MinTupleNumBits ));
    GLIB_ASSERT_CMP(tupleNumBits, <=, static_cast<FILT_Size>( MaxTupleNumBits ));
    m_tupleNumBits = tupleNumBits;
    Reset();
}

void FILT_BitTupleBufferW::Reset() {
    m_filterBuffer = nullptr;
    m_spanningBitTupleNumBytes = 0;
    m_bitOffset = 0;
    m_copyPtr = m_spanningBitTupleBuffer;
    m_partialByte = 0;
    m_endOfDataPending = false;
}

void FILT_BitTupleBufferW::Attach(FILT_FilterBuffer* filterBufferPtr) {
    GLIB_ASSERT(filterBufferPtr != NULL);
    m_filterBuffer = filterBufferPtr;
    if (m_spanningBitTupleNumBytes > 0) {
        const FILT_Size n = filterBufferPtr->Write(m_copyPtr, m_spanningBitTupleNumBytes);
        m_spanningBitTupleNumBytes -= n;
        m_copyPtr += n;
    }
    if (m_endOfDataPending && m_spanningBitTupleNumBytes == 0)
        filterBufferPtr->SetEOD();
}

bool FILT_BitTupleBufferW::IsSpanning() const {
    GLIB_ASSERT(m_filterBuffer != NULL);
    const FILT_Size room = m_filterBuffer->SpaceRemaining();
    return m_spanningBitTupleNumBytes == 0 && room > 0 &&
           static_cast<uint64_t>(room) * 8 - m_bitOffset < m_tupleNumBits;
}

FILT_Size FILT_BitTupleBufferW::TuplesAvailable() const {
    if (m_filterBuffer == nullptr)
        return 0;
    if (IsSpanning())
        return 1;
    if (m_spanningBitTupleNumBytes > 0)
        return 0;
    return WholeTuples(m_filterBuffer->SpaceRemaining(), m_bitOffset, m_tupleNumBits);
}

uint8_t* FILT_BitTupleBufferW::GetPtr() {
    if (m_filterBuffer == nullptr)
        return nullptr;
    return IsSpanning() ? m_spanningBitTupleBuffer : m_filterBuffer->PutPtr();
}

void FILT_BitTupleBufferW::Commit(FILT_Size numTuples) {
    if (numTuples == 0)
        return;
    GLIB_ASSERT(m_filterBuffer != NULL);
    const bool spanning = IsSpanning();
    if (!spanning) {
        const FILT_Size tuplesAvailable = TuplesAvailable();
        GLIB_ASSERT_CMP(numTuples, <=, tuplesAvailable);
    }
    uint8_t* p = spanning ? m_spanningBitTupleBuffer : m_filterBuffer->PutPtr();
    const FILT_Size o = m_bitOffset;
    if (o != 0)
        p[0] = static_cast<uint8_t>((p[0] & ~HighMask(o)) | (m_partialByte & HighMask(o)));
    const uint64_t total = static_cast<uint64_t>(numTuples) * m_tupleNumBits + o;
    FILT_Size bytes = static_cast<FILT_Size>((total + 7) / 8);
    if (total % 8 != 0) {
        // The last byte is shared with the next tuple: it is held back.
        m_partialByte = p[bytes - 1];
        --bytes;
    }
    if (spanning) {
        GLIB_ASSERT_CMP(numTuples, ==, 1u);
        m_spanningBitTupleNumBytes = bytes;
        m_copyPtr = m_spanningBitTupleBuffer;
        const FILT_Size n = m_filterBuffer->Write(m_copyPtr, bytes);
        m_spanningBitTupleNumBytes -= n;
        m_copyPtr += n;
    } else {
        m_filterBuffer->AdvancePutPtr(bytes);
    }
    m_bitOffset = static_cast<FILT_Size>(total % 8);
}

void FILT_BitTupleBufferW::AddPad() {
    if (m_bitOffset == 0)
        return;
    const uint8_t last = static_cast<uint8_t>(m_partialByte & HighMask(m_bitOffset));
    m_bitOffset = 0;
    if (m_spanningBitTupleNumBytes == 0 && m_filterBuffer != nullptr && m_filterBuffer->SpaceRemaining() > 0) {
        m_filterBuffer->Write(&last, 1);
        return;
    }
    std::memmove(m_spanningBitTupleBuffer, m_copyPtr, m_spanningBitTupleNumBytes);
    m_copyPtr = m_spanningBitTupleBuffer;
    GLIB_CHECK_BOUND(m_spanningBitTupleNumBytes, <, sizeof(m_spanningBitTupleBuffer));
    m_spanningBitTupleBuffer[m_spanningBitTupleNumBytes++] = last;
}

// ---------------------------------------------------------------- reader

FILT_BitTupleBufferR::FILT_BitTupleBufferR(FILT_Size tupleNumBits) { SetTupleNumBits(tupleNumBits); }

void FILT_BitTupleBufferR::SetTupleNumBits(FILT_Size tupleNumBits) {
    GLIB_ASSERT_CMP(tupleNumBits, >=, static_cast<FILT_Size>( MinTupleNumBits ));
    GLIB_ASSERT_CMP(tupleNumBits, <=, static_cast<FILT_Size>( MaxTupleNumBits ));
    m_tupleNumBits = tupleNumBits;
    Reset();
}

void FILT_BitTupleBufferR::Reset() {
    m_filterBuffer = nullptr;
    m_spanningBitTupleNumBytes = 0;
    m_bitOffset = 0;
    m_endOfData = false;
}

bool FILT_BitTupleBufferR::SpanningTupleComplete() const {
    return m_spanningBitTupleNumBytes != 0 &&
           m_spanningBitTupleNumBytes == (m_bitOffset + m_tupleNumBits + 7) / 8;
}

void FILT_BitTupleBufferR::Attach(FILT_FilterBuffer* filterBufferPtr) {
    GLIB_ASSERT(filterBufferPtr != NULL);
    m_filterBuffer = filterBufferPtr;
    if (filterBufferPtr->IsEOD())
        m_endOfData = true;
    const FILT_Size available = filterBufferPtr->DataAvailable();
    if (available > 0 && !SpanningTupleComplete() &&
        (static_cast<uint64_t>(available) * 8 - m_bitOffset < m_tupleNumBits || m_spanningBitTupleNumBytes > 0)) {
        const FILT_Size need = (m_bitOffset + m_tupleNumBits + 7) / 8 - m_spanningBitTupleNumBytes;
        const FILT_Size n = std::min(need, available);
        GLIB_ASSERT_CMP(m_spanningBitTupleNumBytes + n, <=, sizeof(m_spanningBitTupleBuffer));
        std::memcpy(m_spanningBitTupleBuffer + m_spanningBitTupleNumBytes, filterBufferPtr->GetPtr(), n);
        m_spanningBitTupleNumBytes += n;
        // A last byte that also holds the start of the next tuple stays in
        // the buffer, where reading goes on after this tuple.
        const bool shared = SpanningTupleComplete() && (m_bitOffset + m_tupleNumBits) % 8 != 0;
        filterBufferPtr->AdvanceGetPtr(shared ? n - 1 : n);
    }
    if (filterBufferPtr->DataAvailable() == 0)
        m_filterBuffer = nullptr;
}

FILT_Size FILT_BitTupleBufferR::TuplesAvailable() const {
    if (SpanningTupleComplete())
        return 1;
    if (m_spanningBitTupleNumBytes == 0 && m_filterBuffer != nullptr)
        return WholeTuples(m_filterBuffer->DataAvailable(), m_bitOffset, m_tupleNumBits);
    return 0;
}

const uint8_t* FILT_BitTupleBufferR::GetPtr() const {
    if (SpanningTupleComplete())
        return m_spanningBitTupleBuffer;
    if (m_spanningBitTupleNumBytes == 0 && m_filterBuffer != nullptr)
        return m_filterBuffer->GetPtr();
    return nullptr;
}

void FILT_BitTupleBufferR::Consume(FILT_Size numTuples) {
    if (numTuples == 0)
        return;
    if (SpanningTupleComplete()) {
        GLIB_ASSERT_CMP(numTuples, ==, 1u);
        m_spanningBitTupleNumBytes = 0;
        m_bitOffset = (m_bitOffset + m_tupleNumBits) % 8;
    } else {
        GLIB_ASSERT_CMP(m_spanningBitTupleNumBytes, ==, 0u);
        GLIB_ASSERT(m_filterBuffer != NULL);
        const FILT_Size tuplesAvailable = TuplesAvailable();
        GLIB_ASSERT_CMP(numTuples, <=, tuplesAvailable);
        const uint64_t bits = static_cast<uint64_t>(numTuples) * m_tupleNumBits;
        uint64_t t = bits;
        uint64_t advance = 0;
        if (m_bitOffset != 0 && t >= 8 - m_bitOffset) {
            advance = 1;
            t -= 8 - m_bitOffset;
        }
        advance += t / 8;
        m_filterBuffer->AdvanceGetPtr(static_cast<FILT_Size>(advance));
        m_bitOffset = static_cast<FILT_Size>((bits + m_bitOffset) % 8);
    }
    AfterConsume();
}

void FILT_BitTupleBufferR::AfterConsume() {
    if (m_filterBuffer == nullptr)
        return;
    const FILT_Size remaining = m_filterBuffer->DataAvailable();
    if (remaining > 0 && m_spanningBitTupleNumBytes == 0) {
        const uint64_t bits = static_cast<uint64_t>(remaining) * 8 - m_bitOffset;
        if (bits != 0 && bits < m_tupleNumBits) {
            GLIB_ASSERT_CMP(remaining, <=, sizeof(m_spanningBitTupleBuffer));
            std::memcpy(m_spanningBitTupleBuffer, m_filterBuffer->GetPtr(), remaining);
            m_spanningBitTupleNumBytes = remaining;
            m_filterBuffer->AdvanceGetPtr(remaining);
        }
    }
    if (m_filterBuffer->DataAvailable() == 0)
        m_filterBuffer = nullptr;
}

void FILT_BitTupleBufferR::RemovePad() {
    if (m_spanningBitTupleNumBytes > 0) {
        if (SpanningTupleComplete()) {
            GLIB_LOG(GLIB_LogError, "Trying to RemovePad() with complete tuple in spanning buffer.\n");
            m_spanningBitTupleNumBytes = 0;
        } else if (m_bitOffset != 0) {
            std::memmove(m_spanningBitTupleBuffer, m_spanningBitTupleBuffer + 1, m_spanningBitTupleNumBytes - 1);
            --m_spanningBitTupleNumBytes;
        }
    } else if (m_bitOffset != 0) {
        GLIB_ASSERT(m_filterBuffer != NULL);
        if (m_filterBuffer->DataAvailable() == 0)
            GLIB_LOG(GLIB_LogError, "Cannot RemovePad() because there is no data available in the filter buffer.\n");
        else
            m_filterBuffer->AdvanceGetPtr(1);
    }
    m_bitOffset = 0;
    // What is left of the fill may now be less than a tuple: collect it, so
    // that the owner can give the buffer back drained.
    AfterConsume();
}
