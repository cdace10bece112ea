#include "fileio/MACR_IOException.h"

#include "GLIB/GLIB_StringUtil.h"
#include "fileio/MACR_FileSpec.h"
#include "win32/win32.h"

namespace {

// FormatMessageA takes at most this many characters of the system's text.
constexpr DWORD SystemTextBytes = 512;
// Every caller formats into a buffer of this size.
constexpr size_t MessageBytes = 512;

}  // namespace

void MACR_ThrowIOException(const std::string& message, uint32_t win32Error, const char* file, int32_t line) {
    switch (win32Error) {
    case ERROR_SUCCESS: return;
    case ERROR_ACCESS_DENIED: throw MACR_AccessDenied_IOException(message, file, line);
    case ERROR_HANDLE_EOF: throw MACR_EndOfFile_IOException(message, file, line);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: throw MACR_FileExists_IOException(message, file, line);
    case ERROR_FILE_NOT_FOUND: throw MACR_FileNotFound_IOException(message, file, line);
    case ERROR_INVALID_HANDLE: throw MACR_InvalidHandle_IOException(message, file, line);
    case ERROR_INVALID_NAME: throw MACR_InvalidName_IOException(message, file, line);
    case ERROR_SEEK: throw MACR_IOError_IOException(message, file, line);
    case ERROR_PATH_NOT_FOUND: throw MACR_PathNotFound_IOException(message, file, line);
    case ERROR_READ_FAULT: throw MACR_ReadError_IOException(message, file, line);
    case ERROR_SHARING_VIOLATION: throw MACR_SharingViolation_IOException(message, file, line);
    case ERROR_TOO_MANY_OPEN_FILES: throw MACR_TooManyOpenFiles_IOException(message, file, line);
    case ERROR_WRITE_PROTECT: throw MACR_WriteAccessDenied_IOException(message, file, line);
    case ERROR_WRITE_FAULT: throw MACR_WriteError_IOException(message, file, line);
    default: throw MACR_Unknown_IOException(message, file, line);
    }
}

char* MACR_FormatIOError(char* buffer, size_t size, uint32_t win32Error, const MACR_FileSpec& fileSpec) {
    char text[SystemTextBytes];
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, win32Error,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, SystemTextBytes - 1, nullptr) == 0)
        text[0] = '\0';
    static const char Format[] = "IOError [error]: %lu [spec]: %s [msg]: %s";  // code, file spec path, text
    GLIB_Sprintf(buffer, size, Format, static_cast<unsigned long>(win32Error), fileSpec.Path(), text);
    return buffer;
}

void MACR_CheckError(uint32_t win32Error, const MACR_FileSpec& fileSpec, const char* file, int32_t line) {
    if (win32Error == ERROR_SUCCESS)
        return;
    char message[MessageBytes];
    MACR_FormatIOError(message, sizeof message, win32Error, fileSpec);
    MACR_ThrowIOException(message, win32Error, file, line);
}

void MACR_CheckLastError(const MACR_FileSpec& fileSpec, const char* file, int32_t line) {
    MACR_CheckError(GetLastError(), fileSpec, file, line);
}
