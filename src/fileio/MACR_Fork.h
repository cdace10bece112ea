// An open file seen as one stream of bytes: position, size, read, write,
// seek and truncate over a Win32 handle. Every failure throws a
// MACR_IOException (MACR_IOException.h); nothing is reported by return value.
#pragma once

#include "fileio/MACR_FileSpec.h"
#include "fileio/MACR_FourCharCode.h"
#include "fileio/MACR_Permission.h"

#include <cstdint>

class MACR_Fork {
public:
    virtual ~MACR_Fork();

    virtual void* Handle() const = 0;
    // Adopts a handle opened elsewhere; the fork does not own it.
    virtual void SetHandle(void* handle) = 0;
    // Whether the fork owns (and so closes) its handle.
    virtual bool Flag() const = 0;
    virtual void SetFlag(bool owns) = 0;
    virtual const MACR_FileSpec& FileSpec() const = 0;
    virtual void SetFileSpec(const char* path) = 0;
    virtual const MACR_Permission& Permission() const = 0;
    virtual void SetPermission(const MACR_Permission& permission) = 0;
    virtual void Close() = 0;
    virtual void Create(const MACR_FourCharCode& fileType, const MACR_FourCharCode& creator) = 0;
    virtual void Open() = 0;

    // Files are limited to 32-bit sizes and positions.
    virtual uint32_t Position();
    virtual uint32_t Size();
    // Moves to position, or to the end when position is beyond it; then
    // throws MACR_EndOfFile_IOException, the position staying at the end.
    virtual void Seek(uint32_t position);
    // Reads up to n bytes; count is stored even when an error follows. At the
    // end of the file the count is short (0 at the end), without an error.
    virtual void Read(void* buffer, uint32_t n, uint32_t* count);
    // Reads exactly n bytes, or throws MACR_ReadError_IOException.
    virtual void ReadExact(void* buffer, uint32_t n);
    // Cuts or extends the file to n bytes; the position is n afterwards.
    virtual void SetSize(uint32_t n);
    // Cuts the file at the current position.
    virtual void Truncate();
    virtual void Write(const void* buffer, uint32_t n, uint32_t* count);
    // Writes exactly n bytes, or throws MACR_WriteError_IOException.
    virtual void WriteExact(const void* buffer, uint32_t n);
};
