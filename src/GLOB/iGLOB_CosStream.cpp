#include "GLOB/iGLOB_CosStream.h"

#include "FILT/FILT_FilterPipe.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Excerpt.h"
#include "GLOB/GLOB_FileSpecification.h"
#include "GLOB/GLOB_String.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

std::atomic<uint64_t> s_memoryBytesHeld{0};

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// Opens path for reading when it names a regular file: a directory, a
// device or a pipe would give an error, endless data or a reader that
// blocks. Null with *error set otherwise.
FILE* OpenRegularFile(const std::string& path, int* error) {
    if (path.empty()) {
        *error = ENOENT;
        return nullptr;
    }
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (ec) {
        *error = ec.value();
        return nullptr;
    }
    if (!std::filesystem::is_regular_file(status)) {
        *error = std::filesystem::is_directory(status) ? EISDIR : EINVAL;
        return nullptr;
    }
    errno = 0;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        *error = errno ? errno : EIO;
    return file;
}

// Moves the source's bytes through pipe into out until out is full or at
// EOD.
void Pump(GLOB_Stream& source, FILT_Filter& pipe, FILT_FilterBuffer& out) {
    while (out.SpaceRemaining() > 0 && !out.IsEOD()) {
        FILT_FilterBuffer* in = source.Read();
        const FILT_Size inBefore = in->DataAvailable();
        const FILT_Size outBefore = out.DataAvailable();
        pipe.ProcessBytes(*in, out);
        // Every filter takes input, gives output or finishes on each call.
        GLIB_ASSERT(in->DataAvailable() != inBefore || out.DataAvailable() != outBefore || out.IsEOD());
    }
}

// The temporary file of file-kind data, open for reading.
FilePtr OpenStoredFile(const iGLOB_CosStream& stream) {
    GLIB_ASSERT(stream.GetKind() == iGLOB_CosStream::KindFile);
    int error = 0;
    FilePtr file(OpenRegularFile(stream.Path(), &error));
    if (!file) {
        GLIB_LOG(GLIB_LogError, "Failed to open file '" << stream.Path() << "': " << error);
        GLIB_THROW(GLIB_Exception, iGLOB_CosStream::FileCode,
                   "Failed to open file '" << stream.Path() << "': " << error);
    }
    return file;
}

void CheckSize(uint64_t size) {
    if (size > iGLOB_CosStream::MaxSize) {
        GLIB_LOG(GLIB_LogError, "Stream data of more than " << iGLOB_CosStream::MaxSize << " bytes cannot be stored");
        GLIB_THROW(GLIB_Exception, iGLOB_CosStream::TempFileCode,
                   "Stream data of more than " << iGLOB_CosStream::MaxSize << " bytes cannot be stored");
    }
}

}  // namespace

iGLOB_CosStreamDetail::Data::~Data() {
    s_memoryBytesHeld -= m_allocated;
}

uint64_t iGLOB_CosStream::MemoryBytesHeld() { return s_memoryBytesHeld; }

iGLOB_CosStream iGLOB_CosStream::Store(const GLOB_Stream& source, FILT_Filter* encoder, uint32_t firstSize,
                                       uint32_t chunkSize, const GLOB_Object& attrDict) {
    std::unique_ptr<FILT_Filter> owned(encoder);
    GLIB_ASSERT(!source.IsNull());
    GLIB_ASSERT_CMP(firstSize, >, 0u);
    GLIB_ASSERT_CMP(chunkSize, >, 0u);
    FILT_FilterPipe pipe;
    if (owned)
        pipe.Append(owned.release());

    GLOB_Stream in(source);
    in.SetBufferSize(chunkSize);
    std::unique_ptr<uint8_t[]> bytes(GLIB_NEW uint8_t[firstSize]);
    FILT_FilterBuffer out(bytes.get(), firstSize, false);
    Pump(in, pipe, out);

    iGLOB_CosStream stream;
    iGLOB_CosStreamDetail::Data& data = stream.Core();
    data.m_attrDict = attrDict;
    if (out.IsEOD()) {
        GLIB_ASSERT(bytes.get() == out.GetPtr());
        CheckSize(out.DataAvailable());
        const uint32_t size = out.DataAvailable();
        uint32_t allocated = firstSize;
        // Kept for the object's life: a stream of a few bytes must not hold
        // a whole copy buffer.
        if (size < firstSize) {
            allocated = size > 0 ? size : 1;
            std::unique_ptr<uint8_t[]> exact(GLIB_NEW uint8_t[allocated]);
            std::memcpy(exact.get(), bytes.get(), size);
            bytes = std::move(exact);
        }
        data.m_kind = KindMemory;
        data.m_size = size;
        data.m_bytes = std::move(bytes);
        data.m_allocated = allocated;
        s_memoryBytesHeld += allocated;
        return stream;
    }

    // The name is reserved by creating the file exclusively; the guard
    // removes it unless the data take it over.
    GLIB_AutoFile temp;
    errno = 0;
    FilePtr file(temp.Path().empty() ? nullptr : std::fopen(temp.Path().c_str(), "w+b"));
    if (!file) {
        const int error = errno ? errno : EIO;
        GLIB_LOG(GLIB_LogError, "Failed to open temporary stream file '" << temp.Path() << "': " << error);
        GLIB_THROW(GLIB_Exception, TempFileCode,
                   "Failed to open temporary stream file '" << temp.Path() << "': " << error);
    }
    GLOB_Stream writer(GLIB_NEW GLOB_FileStream(file.get(), true));
    file.release();

    uint64_t total = out.DataAvailable();
    writer.Write(out);
    // A small first buffer (a short /Length) must not make the rest crawl.
    if (chunkSize > firstSize) {
        bytes.reset(GLIB_NEW uint8_t[chunkSize]);
        out.SetStorage(bytes.get(), chunkSize, false);
    }
    while (!out.IsEOD()) {
        out.Reset();
        Pump(in, pipe, out);
        total += out.DataAvailable();
        CheckSize(total);
        writer.Write(out);
    }
    writer.Close();
    data.m_kind = KindFile;
    data.m_size = static_cast<uint32_t>(total);
    data.m_file = std::move(temp);
    return stream;
}

GLOB_Stream iGLOB_CosStream::OpenExternal(const GLOB_Object& fileSpec) {
    const std::string path = GLOB_FileSpecification::OsPath(fileSpec);
    int error = 0;
    FilePtr file(OpenRegularFile(path, &error));
    if (!file) {
        int ignored = 0;
        file.reset(OpenRegularFile(GLOB_FileSpecification::OsPath(GLOB_String(path.c_str())), &ignored));
    }
    if (!file) {
        const GLOB_Excerpt quoted(path.c_str(), path.size(), true);
        GLIB_LOG(GLIB_LogError, "Failed to open external stream file " << quoted << ": " << error);
        GLIB_THROW(GLIB_Exception, FileCode, "Failed to open external stream file " << quoted << ": " << error);
    }
    GLOB_Stream stream(GLIB_NEW GLOB_FileStream(file.get(), true));
    file.release();
    return stream;
}

GLOB_Stream iGLOB_CosStream::Open() const {
    if (GetKind() == KindMemory)
        return GLOB_Stream(GLIB_NEW iGLOB_CosMemoryStreamCore(*this));
    return GLOB_Stream(iGLOB_CosFileStreamCore::Make(*this));
}

uint32_t iGLOB_CosStream::Length() const {
    if (GetKind() == KindMemory)
        return Size();
    const FilePtr file = OpenStoredFile(*this);
    errno = 0;
    const long end = std::fseek(file.get(), 0, SEEK_END) == 0 ? std::ftell(file.get()) : -1;
    if (end < 0) {
        const int error = errno ? errno : EIO;
        GLIB_LOG(GLIB_LogError, "Failed to seek end of file '" << Path() << "': " << error);
        GLIB_THROW(GLIB_Exception, FileCode, "Failed to seek end of file '" << Path() << "': " << error);
    }
    // Stored data never exceed MaxSize; a file grown since is read as far as
    // a Length can say.
    return static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(end), MaxSize));
}

iGLOB_CosMemoryStreamCore::iGLOB_CosMemoryStreamCore(const iGLOB_CosStream& stream)
    : GLOB_MemoryStream(stream.Bytes(), stream.Size(), true), m_stream(stream) {
    GLIB_ASSERT(m_stream.GetKind() == iGLOB_CosStream::KindMemory);
}

iGLOB_CosMemoryStreamCore::~iGLOB_CosMemoryStreamCore() { Close(); }

iGLOB_CosFileStreamCore* iGLOB_CosFileStreamCore::Make(const iGLOB_CosStream& stream) {
    FilePtr file = OpenStoredFile(stream);
    iGLOB_CosFileStreamCore* core = GLIB_NEW iGLOB_CosFileStreamCore(file.get(), stream);
    file.release();
    return core;
}

iGLOB_CosFileStreamCore::iGLOB_CosFileStreamCore(FILE* file, const iGLOB_CosStream& stream)
    : GLOB_FileStream(file, true), m_stream(stream) {}

iGLOB_CosFileStreamCore::~iGLOB_CosFileStreamCore() { Close(); }
