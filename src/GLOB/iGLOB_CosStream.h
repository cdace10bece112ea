// The stored data of a stream object of the memory back-end, and the two
// stream cores that read them back.
//
// iGLOB_CosStream is a counted handle: the stream object's block and every
// open core hold one, and the data go with the last of them. The bytes are
// the encoded stream data, kept in memory when they fit in the first buffer
// they are pumped into, else in a temporary file (created exclusively in
// TMPDIR or /tmp) that is removed with the data, on error paths too. They
// never change once stored.
#pragma once

#include "GLIB/GLIB_AutoFile.h"
#include "GLIB_RefCountPrivateBase.h"
#include "GLOB/GLOB_FileStream.h"
#include "GLOB/GLOB_MemoryStream.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"

#include <cstdint>
#include <memory>
#include <string>

class FILT_Filter;

namespace iGLOB_CosStreamDetail {
struct Data {
    Data() = default;
    Data(const Data&) = delete;
    Data& operator=(const Data&) = delete;
    // Takes the memory kind's bytes off the process-wide count.
    ~Data();

    GLOB_Object m_attrDict;
    uint32_t m_kind = 0;
    std::unique_ptr<uint8_t[]> m_bytes;  // memory kind
    uint32_t m_size = 0;
    uint32_t m_allocated = 0;  // bytes m_bytes holds, on the process-wide count
    GLIB_AutoFile m_file{""};  // file kind: the temporary file
};
}  // namespace iGLOB_CosStreamDetail

class iGLOB_CosStream : private GLIB_RefCountPrivateBase<iGLOB_CosStreamDetail::Data> {
public:
    enum Kind : uint32_t { KindMemory = 0, KindFile = 1 };
    enum : uint32_t {
        FileCode = 1151011,      // a stream file that cannot be opened or read
        TempFileCode = 1151012,  // a temporary stream file that cannot be made
    };
    // The most bytes a stream may hold: its /Length is a 32-bit Integer.
    static constexpr uint64_t MaxSize = 0x7FFFFFFF;

    // Reads source to its end through encoder (owned; null: bytes unchanged)
    // into a first buffer of firstSize bytes (at least 1). Data that end
    // there stay in memory, in an allocation of their own size; longer data
    // go to a temporary file in chunks of chunkSize bytes (at least 1), which
    // is also the source's buffer size.
    // attrDict (the stream's own dictionary) is kept with the data.
    // Throws 1151012 when the temporary file cannot be made or the data
    // exceed MaxSize (logged at level 2 first); errors of the source, the
    // encoder and the file pass through. Nothing is kept after an exception.
    static iGLOB_CosStream Store(const GLOB_Stream& source, FILT_Filter* encoder, uint32_t firstSize,
                                 uint32_t chunkSize, const GLOB_Object& attrDict);
    // A stream over the file that the file specification names (an external
    // "F" stream), owning the file. Only regular files are read. Throws
    // 1151011 "Failed to open external stream file '…': errno" (logged at
    // level 2 first) when neither the path nor the path read as a PDF path
    // opens.
    static GLOB_Stream OpenExternal(const GLOB_Object& fileSpec);

    Kind GetKind() const { return static_cast<Kind>(Core().m_kind); }
    // Stored bytes; memory kind: the bytes themselves.
    uint32_t Size() const { return Core().m_size; }
    // Memory kind: Size. File kind: the size of the temporary file, measured
    // by seeking to its end; throws 1151011 as Open does, or "Failed to seek
    // end of file '…': errno" (logged at level 2 first).
    uint32_t Length() const;
    uint8_t* Bytes() const { return Core().m_bytes.get(); }
    // File kind: the temporary file's path.
    const std::string& Path() const { return Core().m_file.Path(); }
    const GLOB_Object& AttrDict() const { return Core().m_attrDict; }
    // Lets go of the dictionary, leaving a handle of nothing. The stream
    // object's block does so when it is freed: open cores, which read only
    // the bytes, then hold nothing of the back-end.
    void DropAttrDict() { Core().m_attrDict = GLOB_Object(nullptr, GLOB_Object::Handle{}); }

    // Bytes that the memory-kind data of the whole process hold allocated.
    static uint64_t MemoryBytesHeld();

    // A new stream over the stored (encoded) bytes. Throws 1151011 "Failed
    // to open file '…': errno" when the temporary file cannot be opened.
    GLOB_Stream Open() const;
};

// Reads memory-kind data; holds them while it lives.
class iGLOB_CosMemoryStreamCore : public GLOB_MemoryStream {
public:
    // stream of the memory kind (asserted).
    explicit iGLOB_CosMemoryStreamCore(const iGLOB_CosStream& stream);
    ~iGLOB_CosMemoryStreamCore() override;

private:
    iGLOB_CosStream m_stream;
};

// Reads the temporary file of file-kind data; holds them while it lives, so
// the file outlives the stream object as long as the core reads it.
class iGLOB_CosFileStreamCore : public GLOB_FileStream {
public:
    // stream of the file kind (asserted). Throws as iGLOB_CosStream::Open.
    static iGLOB_CosFileStreamCore* Make(const iGLOB_CosStream& stream);
    ~iGLOB_CosFileStreamCore() override;

private:
    iGLOB_CosFileStreamCore(FILE* file, const iGLOB_CosStream& stream);

    iGLOB_CosStream m_stream;
};
