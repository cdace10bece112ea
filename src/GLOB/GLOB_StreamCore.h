// The counted, observable core behind every GLOB_Stream. It buffers, and runs
// an optional filter chain between the derived core's raw bytes and the
// caller: decoding on Read, encoding on Write.
//
// A derived core supplies three operations:
//   FillBuffer:  returns a buffer (owned by the derived core, valid until the
//                next FillBuffer or Close) whose unread bytes are the next raw
//                bytes, with EOD set when no raw bytes follow. A buffer
//                without EOD holds at least one unread byte (asserted). At end
//                of data: no unread bytes and EOD, at every call.
//   FlushBuffer: stores the buffer's unread bytes and advances its get
//                pointer past what it stored; EOD marks the last chunk. A
//                short store is retried; one that stores nothing throws.
//   DoClose:     releases the resource; called once by Close while open.
// Its constructor calls Open (Input for read-only cores, Input | Output for
// read-write ones) as the last step, and its destructor calls Close first:
// destroying an open core is an assertion failure.
//
// Errors of the filter and of the derived core pass through Read and Write
// unchanged; the core keeps the state it had when the exception left. A
// filter that stalls (takes no byte, gives none and does not finish while it
// has input and room) throws GLIB_Exception IOErrorCode "GLOB_StreamCore::Read:
// the filter <Name> neither took nor gave a byte" (Write likewise).
#pragma once

#include "FILT/FILT_Filter.h"
#include "FILT/FILT_FilterBuffer.h"
#include "GLIB/GLIB_Observable.h"

#include <cstdint>
#include <vector>

class GLOB_StreamCore : public GLIB_Observable {
public:
    enum OpenModeBits : uint32_t {
        Input = 1,   // may be read
        Output = 2,  // may be written
    };
    // Bytes per chunk of the filtered buffer.
    static constexpr uint32_t DefaultBufferSize = 8192;

    // Asserts that the core is closed; frees what Close would have freed.
    ~GLOB_StreamCore() override;

    // Marks the core open with mode (a set of OpenModeBits). May reopen.
    void Open(uint32_t mode);

    // The next bytes the reader sees: the raw buffer, or with a filter the
    // filtered buffer of at most the buffer size. The caller consumes by
    // advancing the get pointer; the same buffer comes back while it holds
    // unread bytes. End of data: an empty buffer with EOD, at every call.
    // Asserts that the core is open for Input.
    FILT_FilterBuffer* Read();
    // The next Reads give a copy of these n bytes first, then what they
    // would have given: a reader that took bytes past its own end (an inline
    // image's decoder, the content after the image) gives them back. They
    // come in a buffer of their own, at the offsets they stood at: the n
    // before the next byte.
    void GiveBack(const uint8_t* bytes, FILT_Size n);
    // Consumes the caller's buffer: unfiltered it goes to FlushBuffer as it
    // is; filtered, every byte passes the chain and its output is flushed in
    // chunks of at most the buffer size. A buffer with EOD set (the closing
    // write, usually empty) drives the chain to its end, the last chunk
    // flushed with EOD. Asserts that the core is open for Output.
    void Write(FILT_FilterBuffer& buffer);
    // DoClose when open; then, in every case, forgets the raw buffer and
    // deletes the filter and the filtered buffer. Closing twice is harmless.
    void Close();

    // Read position in the data the reader sees (decoded bytes when
    // filtered); 0 before the first read.
    uint32_t Tell() const;
    // Raw bytes consumed so far; 0 before the first fill.
    uint32_t RawTell() const;

    // Takes ownership of filter (null: no filtering) and deletes the one held
    // before, unless it is the same. Set it before the first Read or Write.
    void SetFilter(FILT_Filter* filter);
    FILT_Filter* Filter() const { return m_filter; }
    // Takes effect at the next Read or Write; size must not be 0.
    void SetBufferSize(uint32_t size);
    uint32_t BufferSize() const { return m_bufferSize; }
    // Logs every filter step of a read at level 7.
    void SetTrace(bool trace) { m_trace = trace; }

    bool IsOpen() const { return m_open; }
    uint32_t OpenMode() const { return m_openMode; }

    // The count of GLOB_Stream handles and other holders. Release deletes
    // the core when the count reaches 0 (asserts that it is above 0).
    uint32_t RefCount() const { return m_refCount; }
    void AddRef() { ++m_refCount; }
    void Release();

    // Exception code for stream data that cannot be read or stored (the
    // object model's stream-file code).
    static constexpr uint32_t IOErrorCode = 1151011;

protected:
    // Closed, mode 0, buffer size 8192, no filter.
    GLOB_StreamCore();

    virtual FILT_FilterBuffer* FillBuffer() = 0;
    virtual void FlushBuffer(FILT_FilterBuffer& buffer) = 0;
    virtual void DoClose() = 0;

private:
    GLOB_StreamCore(const GLOB_StreamCore&) = delete;
    GLOB_StreamCore& operator=(const GLOB_StreamCore&) = delete;

    // FillBuffer with its contract checked.
    FILT_FilterBuffer* Fill();
    // FlushBuffer until the buffer is drained.
    void Flush(FILT_FilterBuffer& buffer);
    [[noreturn]] void ThrowStalled(const char* operation) const;
    // Makes the filtered buffer, or gives it new storage of the buffer size.
    void PrepareFilteredBuffer();
    void FreeFilterAndBuffer();

    uint32_t m_refCount = 0;
    bool m_open = false;
    uint32_t m_openMode = 0;
    bool m_trace = false;
    FILT_FilterBuffer* m_rawBuffer = nullptr;  // belongs to the derived core
    uint32_t m_bufferSize = DefaultBufferSize;
    FILT_Filter* m_filter = nullptr;
    FILT_FilterBuffer* m_filteredBuffer = nullptr;
    // GiveBack's bytes, read through m_unread.
    std::vector<uint8_t> m_unreadBytes;
    FILT_FilterBuffer m_unread;
};
