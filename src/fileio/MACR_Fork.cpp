#include "fileio/MACR_Fork.h"

#include "GLIB/GLIB_StringUtil.h"
#include "fileio/MACR_IOException.h"
#include "win32/win32.h"

#include <cstdint>

namespace {

constexpr size_t MessageBytes = 512;

}  // namespace

MACR_Fork::~MACR_Fork() = default;

uint32_t MACR_Fork::Position() {
    SetLastError(ERROR_SUCCESS);
    const DWORD position = SetFilePointer(Handle(), 0, nullptr, FILE_CURRENT);
    MACR_CheckLastError(FileSpec(), __FILE__, __LINE__);
    return position;
}

uint32_t MACR_Fork::Size() {
    SetLastError(ERROR_SUCCESS);
    const DWORD size = GetFileSize(Handle(), nullptr);
    MACR_CheckLastError(FileSpec(), __FILE__, __LINE__);
    return size;
}

void MACR_Fork::Seek(uint32_t position) {
    const uint32_t size = Size();
    const uint32_t target = position < size ? position : size;
    // The high word makes the distance unsigned 32-bit, past 2 GiB too.
    LONG high = 0;
    SetLastError(ERROR_SUCCESS);
    const DWORD reached = SetFilePointer(Handle(), static_cast<LONG>(target), &high, FILE_BEGIN);
    MACR_CheckLastError(FileSpec(), __FILE__, __LINE__);
    if (reached != position) {
        char message[MessageBytes];
        GLIB_Sprintf(message, sizeof message,
                     "IOException: End of file reached in Seek method. [requested amount]: %lu [actual amount]: "
                     "%lu[file spec]: %s",
                     static_cast<unsigned long>(position), static_cast<unsigned long>(reached), FileSpec().Path());
        throw MACR_EndOfFile_IOException(message, __FILE__, __LINE__);
    }
}

void MACR_Fork::Read(void* buffer, uint32_t n, uint32_t* count) {
    DWORD read = 0;
    SetLastError(ERROR_SUCCESS);
    ReadFile(Handle(), buffer, n, &read, nullptr);
    const DWORD error = GetLastError();
    if (count)
        *count = read;
    MACR_CheckError(error, FileSpec(), __FILE__, __LINE__);
}

void MACR_Fork::ReadExact(void* buffer, uint32_t n) {
    uint32_t count = 0;
    Read(buffer, n, &count);
    if (count != n) {
        char message[MessageBytes];
        GLIB_Sprintf(message, sizeof message,
                     "IOException: Incomplete transfer in Read method. [data address]: %lu [requested amount]: %lu "
                     "[actual amount]: %lu [file spec]: %s",
                     static_cast<unsigned long>(reinterpret_cast<uintptr_t>(buffer)), static_cast<unsigned long>(n),
                     static_cast<unsigned long>(count), FileSpec().Path());
        throw MACR_ReadError_IOException(message, __FILE__, __LINE__);
    }
}

void MACR_Fork::SetSize(uint32_t n) {
    LONG high = 0;
    SetLastError(ERROR_SUCCESS);
    SetFilePointer(Handle(), static_cast<LONG>(n), &high, FILE_BEGIN);
    MACR_CheckLastError(FileSpec(), __FILE__, __LINE__);
    SetLastError(ERROR_SUCCESS);
    SetEndOfFile(Handle());
    MACR_CheckLastError(FileSpec(), __FILE__, __LINE__);
}

void MACR_Fork::Truncate() {
    SetLastError(ERROR_SUCCESS);
    SetEndOfFile(Handle());
    MACR_CheckLastError(FileSpec(), __FILE__, __LINE__);
}

void MACR_Fork::Write(const void* buffer, uint32_t n, uint32_t* count) {
    DWORD written = 0;
    SetLastError(ERROR_SUCCESS);
    WriteFile(Handle(), buffer, n, &written, nullptr);
    const DWORD error = GetLastError();
    if (count)
        *count = written;
    MACR_CheckError(error, FileSpec(), __FILE__, __LINE__);
}

void MACR_Fork::WriteExact(const void* buffer, uint32_t n) {
    uint32_t count = 0;
    Write(buffer, n, &count);
    if (count != n) {
        char message[MessageBytes];
        GLIB_Sprintf(message, sizeof message,
                     "IOException: incomplete transfer in Write method. [data address]: %lu [requested amount]: %lu "
                     "[actual amount]: %lu [file spec]: %s",
                     static_cast<unsigned long>(reinterpret_cast<uintptr_t>(buffer)), static_cast<unsigned long>(n),
                     static_cast<unsigned long>(count), FileSpec().Path());
        throw MACR_WriteError_IOException(message, __FILE__, __LINE__);
    }
}
