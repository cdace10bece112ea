// Fixed-size byte tuples over successive FILT_FilterBuffer fills.
//
// A filter that works on groups of bytes (four bytes of ASCII85, a JPEG
// scanline, one multi-byte sample) attaches the call's buffer, then as long
// as n = TuplesAvailable() > 0 reads or writes n tuples at GetPtr() and calls
// Consume(n) or Commit(n). Tuples are used in place in the caller's buffer;
// only a tuple that the end of a fill cuts in two goes through the spanning
// store, and then GetPtr() is the store and n is 1.
//
// The attached buffer belongs to the caller; the store belongs to the tuple
// buffer. Misuse (a null buffer, more tuples than available) is a failed
// assertion.
#pragma once

#include "FILT/FILT_FilterBuffer.h"

#include <memory>

// Reads tuples from an input buffer.
class FILT_TupleBufferR {
public:
    // Tuple size 1.
    FILT_TupleBufferR();
    // tupleSize > 0 (asserted).
    explicit FILT_TupleBufferR(FILT_Size tupleSize);
    FILT_TupleBufferR(const FILT_TupleBufferR&) = delete;
    FILT_TupleBufferR& operator=(const FILT_TupleBufferR&) = delete;

    // New store of n bytes (n > 0, asserted); detaches and forgets every
    // partial state. The accept-partial setting stays.
    void SetTupleSize(FILT_Size n);
    FILT_Size TupleSize() const { return m_tupleSize; }
    // When set, a last tuple shorter than the tuple size is handed out at
    // GetPtr() (its length is SpanningTupleSize()) and taken by Consume(1).
    void SetAcceptPartialTuple(bool accept) { m_acceptPartialTuple = accept; }
    // Detaches; clears the collected bytes, end of data and incomplete tuple.
    void Reset();

    // Takes filterBufferPtr (not null) as the input of the next reads; notes
    // its EOD flag, completes a cut tuple from its bytes, and detaches it
    // again when it is drained.
    void Attach(FILT_FilterBuffer* filterBufferPtr);
    // Whole tuples that can be read at GetPtr() now.
    FILT_Size TuplesAvailable() const;
    // Where the next tuple starts, or null when none can be read.
    uint8_t* GetPtr() const;
    // The caller has read numTuples tuples at GetPtr().
    void Consume(FILT_Size numTuples);

    // Bytes collected in the spanning store.
    FILT_Size SpanningTupleSize() const { return m_spanningTupleSize; }
    // The data ended with fewer bytes than a tuple (accept-partial off):
    // nothing more can be read.
    bool IsIncompleteLastTuple() const { return m_incompleteLastTuple; }
    bool IsEndOfData() const { return m_endOfData; }

private:
    void AfterAttach();
    bool HoldsWholeTuple() const { return m_spanningTupleSize == m_tupleSize; }

    FILT_FilterBuffer* m_filterBuffer = nullptr;
    std::unique_ptr<uint8_t[]> m_spanningTuple;
    FILT_Size m_spanningTupleSize = 0;
    FILT_Size m_tupleSize = 0;
    bool m_endOfData = false;
    bool m_incompleteLastTuple = false;
    bool m_acceptPartialTuple = false;
};

// Writes tuples into an output buffer.
class FILT_TupleBufferW {
public:
    // Tuple size 1.
    FILT_TupleBufferW();
    // tupleSize > 0 (asserted).
    explicit FILT_TupleBufferW(FILT_Size tupleSize);
    FILT_TupleBufferW(const FILT_TupleBufferW&) = delete;
    FILT_TupleBufferW& operator=(const FILT_TupleBufferW&) = delete;

    // New store of n bytes (n > 0, asserted); detaches, drops pending bytes
    // and clears end of data pending.
    void SetTupleSize(FILT_Size n);
    FILT_Size TupleSize() const { return m_tupleSize; }
    // Detaches, drops pending bytes and clears end of data pending.
    void Reset();
    // When set, the buffer's EOD flag is set by the Attach that finds
    // nothing (more) pending.
    void SetEndOfDataPending(bool pending) { m_endOfDataPending = pending; }

    // Takes filterBufferPtr (not null) as the output of the next writes and
    // first writes into it what is pending from a cut tuple.
    void Attach(FILT_FilterBuffer* filterBufferPtr);
    // Less than one tuple fits in the attached buffer (asserted attached),
    // but some room is left: the next tuple goes through the store.
    bool IsSpanning() const;
    // Nothing is pending.
    bool AllWritten() const { return m_pendingBytes == 0; }
    FILT_Size PendingBytes() const { return m_pendingBytes; }
    // Whole tuples that can be written at GetPtr() now.
    FILT_Size TuplesAvailable() const;
    // Where the next tuple goes, or null without a buffer.
    uint8_t* GetPtr() const;
    // The caller has written numTuples tuples at GetPtr().
    void Commit(FILT_Size numTuples);

private:
    FILT_FilterBuffer* m_filterBuffer = nullptr;
    std::unique_ptr<uint8_t[]> m_spanningTuple;
    FILT_Size m_pendingBytes = 0;
    FILT_Size m_tupleSize = 0;
    bool m_endOfDataPending = false;
};
