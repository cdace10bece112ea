// Tuples of 1 to 256 bits over successive FILT_FilterBuffer fills.
//
// A tuple starts at any bit offset (BitOffset(), 0..7, counted from the top
// of the byte at GetPtr()); bits run most significant first and a row ends
// padded to a whole byte (AddPad / RemovePad). The owner attaches the call's
// buffer, then while n = TuplesAvailable() > 0 reads or writes n tuples at
// GetPtr() from BitOffset() and calls Consume(n) or Commit(n). A tuple that a
// fill boundary cuts goes through the 33-byte spanning store (GetPtr() is the
// store and n is 1), which survives between calls and buffer objects.
//
// Misuse (a width outside 1..256, a null buffer, more tuples than available)
// is a failed assertion.
#pragma once

#include "FILT/FILT_FilterBuffer.h"

#include <cstdint>

class FILT_BitTupleBuffer {
public:
    static constexpr FILT_Size MinTupleNumBits = 1;
    static constexpr FILT_Size MaxTupleNumBits = 256;
    // One tuple of MaxTupleNumBits starting at bit offset 7.
    static constexpr FILT_Size SpanningStoreBytes = MaxTupleNumBits / 8 + 1;

    // Sets the width and resets.
    virtual void SetTupleNumBits(FILT_Size tupleNumBits) = 0;
    // Forgets the attached buffer and every partial state.
    virtual void Reset() = 0;
    // The buffer to write into or read from next (not null).
    virtual void Attach(FILT_FilterBuffer* filterBufferPtr) = 0;

protected:
    ~FILT_BitTupleBuffer() = default;
};

// Writes tuples into an output buffer.
class FILT_BitTupleBufferW : public FILT_BitTupleBuffer {
public:
    explicit FILT_BitTupleBufferW(FILT_Size tupleNumBits);

    void SetTupleNumBits(FILT_Size tupleNumBits) override;
    void Reset() override;
    // Attaches and first writes out what is pending; sets the buffer's EOD
    // flag when end of data is pending and nothing more is.
    void Attach(FILT_FilterBuffer* filterBufferPtr) override;
    // Set by the owner after its last tuple and pad.
    void SetEndOfDataPending(bool pending) { m_endOfDataPending = pending; }

    // Less than one tuple fits in the attached buffer (asserted attached),
    // but some room is left: the next tuple goes through the store.
    bool IsSpanning() const;
    FILT_Size TuplesAvailable() const;
    uint8_t* GetPtr();
    FILT_Size BitOffset() const { return m_bitOffset; }
    FILT_Size PendingBytes() const { return m_spanningBitTupleNumBytes; }
    // The caller wrote numTuples tuples at GetPtr() from BitOffset(); the bits
    // above BitOffset() in the first byte are restored whatever it wrote there.
    void Commit(FILT_Size numTuples);
    // Ends a row: a partly written byte goes out with zero bits after the
    // row's last bit.
    void AddPad();

private:
    FILT_FilterBuffer* m_filterBuffer = nullptr;
    uint8_t m_spanningBitTupleBuffer[SpanningStoreBytes] = {};
    FILT_Size m_spanningBitTupleNumBytes = 0;  // pending bytes
    FILT_Size m_tupleNumBits = 0;
    FILT_Size m_bitOffset = 0;
    uint8_t* m_copyPtr = nullptr;
    uint8_t m_partialByte = 0;
    bool m_endOfDataPending = false;
};

// Reads tuples from an input buffer.
class FILT_BitTupleBufferR : public FILT_BitTupleBuffer {
public:
    explicit FILT_BitTupleBufferR(FILT_Size tupleNumBits);

    void SetTupleNumBits(FILT_Size tupleNumBits) override;
    void Reset() override;
    // Attaches, notes the buffer's EOD flag, completes a cut tuple from its
    // bytes and detaches a drained buffer.
    void Attach(FILT_FilterBuffer* filterBufferPtr) override;

    FILT_Size TuplesAvailable() const;
    const uint8_t* GetPtr() const;
    FILT_Size BitOffset() const { return m_bitOffset; }
    // Bytes collected in the spanning store.
    FILT_Size SpanningBytes() const { return m_spanningBitTupleNumBytes; }
    bool IsEndOfData() const { return m_endOfData; }
    void Consume(FILT_Size numTuples);
    // Ends a row: skips the rest of a partly read byte.
    void RemovePad();

private:
    bool SpanningTupleComplete() const;
    void AfterConsume();

    FILT_FilterBuffer* m_filterBuffer = nullptr;
    uint8_t m_spanningBitTupleBuffer[SpanningStoreBytes] = {};
    FILT_Size m_spanningBitTupleNumBytes = 0;  // collected bytes
    FILT_Size m_tupleNumBits = 0;
    FILT_Size m_bitOffset = 0;
    bool m_endOfData = false;
};
