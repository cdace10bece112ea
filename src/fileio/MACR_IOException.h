// The exceptions of the file layer: one class per kind of Win32 failure, all
// of the MACR_IOException family (codes 1121151 to 1121166), so that callers
// can tell a missing file from a sharing violation.
#pragma once

#include "GLIB/GLIB_Exception.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct Tag_MACR_Exception {};
using MACR_Exception = GLIB_DerivedException<Tag_MACR_Exception>;

class MACR_FileSpec;

class MACR_IOException : public MACR_Exception {
public:
    MACR_IOException(uint32_t code, const std::string& message, const char* file, int32_t line)
        : MACR_Exception(code, message, file, line) {}
};

#define MACR_IO_EXCEPTION_(Name, CodeValue)                                            \
    class Name : public MACR_IOException {                                             \
    public:                                                                            \
        static constexpr uint32_t ErrorCode = CodeValue;                                    \
        Name(const std::string& message, const char* file, int32_t line)               \
            : MACR_IOException(ErrorCode, message, file, line) {}                           \
    }

MACR_IO_EXCEPTION_(MACR_AccessDenied_IOException, 1121151);       // 5
MACR_IO_EXCEPTION_(MACR_EndOfFile_IOException, 1121153);          // 38; a seek beyond the end
MACR_IO_EXCEPTION_(MACR_FileExists_IOException, 1121154);         // 80, 183
MACR_IO_EXCEPTION_(MACR_FileNotFound_IOException, 1121155);       // 2
MACR_IO_EXCEPTION_(MACR_InvalidHandle_IOException, 1121157);      // 6
MACR_IO_EXCEPTION_(MACR_InvalidName_IOException, 1121158);        // 123
MACR_IO_EXCEPTION_(MACR_IOError_IOException, 1121159);            // 25
MACR_IO_EXCEPTION_(MACR_PathNotFound_IOException, 1121160);       // 3
MACR_IO_EXCEPTION_(MACR_ReadError_IOException, 1121161);          // 30; a short ReadExact
MACR_IO_EXCEPTION_(MACR_SharingViolation_IOException, 1121162);   // 32
MACR_IO_EXCEPTION_(MACR_TooManyOpenFiles_IOException, 1121163);   // 4
MACR_IO_EXCEPTION_(MACR_Unknown_IOException, 1121164);            // every other code
MACR_IO_EXCEPTION_(MACR_WriteAccessDenied_IOException, 1121165);  // 19
MACR_IO_EXCEPTION_(MACR_WriteError_IOException, 1121166);         // 29; a short WriteExact

#undef MACR_IO_EXCEPTION_

// Error 0 returns; any other throws the class for that Win32 error with
// (message, file, line).
void MACR_ThrowIOException(const std::string& message, uint32_t win32Error, const char* file, int32_t line);

// "IOError [error]: <code> [spec]: <file spec path> [msg]: <system text>" into buffer,
// bounded by size and terminated; the system text is empty when the system
// has none for the code. Returns buffer.
char* MACR_FormatIOError(char* buffer, size_t size, uint32_t win32Error, const MACR_FileSpec& fileSpec);

// The failure test of every Win32 call of this layer: the caller cleared the
// last error before the call; a non-zero code now is the failure, whatever
// the call returned, and throws with a message from MACR_FormatIOError.
void MACR_CheckLastError(const MACR_FileSpec& fileSpec, const char* file, int32_t line);
// The same for a code the caller already read.
void MACR_CheckError(uint32_t win32Error, const MACR_FileSpec& fileSpec, const char* file, int32_t line);
