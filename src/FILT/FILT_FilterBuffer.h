// A window on a byte array with get and put positions, a stream offset and an
// end-of-data flag; it carries data between producers, filters and streams.
//
// Invariant: base <= get <= put <= end. DataAvailable = put - get,
// SpaceRemaining = end - put, TellB = stream offset of base, TellE = TellB +
// storage size, TellG and TellP = stream offsets of get and put. Every read
// clears the write count and every write clears the read count, so a caller
// can see what the last filter call took or gave.
#pragma once

#include <cstdint>

using FILT_Size = uint32_t;

class FILT_FilterBuffer {
public:
    // Owned storage of size bytes (none for 0).
    explicit FILT_FilterBuffer(FILT_Size size = 0);
    // The caller's storage; a null pointer with a size allocates owned storage.
    FILT_FilterBuffer(uint8_t* storage, FILT_Size size, bool owns);
    // Copies are non-owning views of the same storage; a copy starts at
    // offset 0, an assignment also copies the offset.
    FILT_FilterBuffer(const FILT_FilterBuffer& other);
    FILT_FilterBuffer& operator=(const FILT_FilterBuffer& other);
    ~FILT_FilterBuffer();

    // Frees owned storage, then takes the new one; offset, EOD and counters
    // cleared. Returns the new base.
    uint8_t* SetStorage(uint8_t* storage, FILT_Size size, bool owns);

    // Drops unread bytes: TellB advances by the bytes read; EOD and counters
    // cleared. Rewind does the same but keeps the counters.
    uint8_t* Reset();
    uint8_t* Rewind();

    uint8_t* GetPtr() const { return m_getPtr; }
    uint8_t* PutPtr() const { return m_putPtr; }
    uint8_t* BasePtr() const { return m_basePtr; }
    uint8_t* EndPtr() const { return m_endPtr; }

    // After the caller read (wrote) n bytes at get (put).
    void AdvanceGetPtr(FILT_Size n) {
        m_getPtr += n;
        m_readCount += n;
        m_writeCount = 0;
    }
    void AdvancePutPtr(FILT_Size n) {
        m_putPtr += n;
        m_writeCount += n;
        m_readCount = 0;
    }

    FILT_Size DataAvailable() const { return static_cast<FILT_Size>(m_putPtr - m_getPtr); }
    FILT_Size SpaceRemaining() const { return static_cast<FILT_Size>(m_endPtr - m_putPtr); }
    FILT_Size Capacity() const { return static_cast<FILT_Size>(m_endPtr - m_basePtr); }
    FILT_Size TellB() const { return m_baseOffset; }
    // For storage whose bytes stand elsewhere in the stream.
    void SetTellB(FILT_Size offset) { m_baseOffset = offset; }
    FILT_Size TellE() const { return m_baseOffset + Capacity(); }
    // Stream offsets of the get and put positions. Unlike the counters they
    // do not restart with each read or write.
    FILT_Size TellG() const { return m_baseOffset + static_cast<FILT_Size>(m_getPtr - m_basePtr); }
    FILT_Size TellP() const { return m_baseOffset + static_cast<FILT_Size>(m_putPtr - m_basePtr); }
    FILT_Size ReadCount() const { return m_readCount; }
    FILT_Size WriteCount() const { return m_writeCount; }

    bool IsEOD() const { return m_eod; }
    void SetEOD(bool eod = true) { m_eod = eod; }

    // Moves min(DataAvailable, destination SpaceRemaining) bytes; returns the
    // count. EOD is not carried over; a move of 0 changes nothing.
    FILT_Size TransferTo(FILT_FilterBuffer& destination);
    FILT_Size TransferFrom(FILT_FilterBuffer& source) { return source.TransferTo(*this); }
    // Copies up to n bytes from data at put; returns the count written.
    FILT_Size Write(const uint8_t* data, FILT_Size n);
    // Copies up to n bytes from get to data; returns the count read.
    FILT_Size Read(uint8_t* data, FILT_Size n);

    // Stream offsets within TellB..TellE (asserted).
    uint8_t* OffsetToPtr(FILT_Size offset) const;
    uint8_t* SeekG(FILT_Size offset);
    uint8_t* SeekP(FILT_Size offset);
    // Moves the unread bytes by n places; every byte keeps its stream offset.
    void ShiftData(int32_t n);

private:
    void Free();

    uint8_t* m_basePtr = nullptr;
    FILT_Size m_readCount = 0;
    FILT_Size m_writeCount = 0;
    FILT_Size m_baseOffset = 0;
    bool m_eod = false;
    uint8_t* m_endPtr = nullptr;
    uint8_t* m_getPtr = nullptr;
    uint8_t* m_putPtr = nullptr;
    bool m_ownsStorage = false;
};
