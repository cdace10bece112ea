// The subset of KERNEL32 and the Microsoft C runtime that this system calls,
// over POSIX. Names and meanings are those of the real platform; the code is
// ours. Wide characters are the compiler's wchar_t (UTF-32 here) and the ANSI
// code page is UTF-8.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using UINT = unsigned int;
using WCHAR = wchar_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPBOOL = BOOL*;
using HANDLE = void*;
using SHORT = int16_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

// Error codes (GetLastError).
enum : DWORD {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_PATH_NOT_FOUND = 3,
    ERROR_TOO_MANY_OPEN_FILES = 4,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_HANDLE = 6,
    ERROR_NOT_ENOUGH_MEMORY = 8,
    ERROR_WRITE_PROTECT = 19,
    ERROR_SEEK = 25,
    ERROR_WRITE_FAULT = 29,
    ERROR_READ_FAULT = 30,
    ERROR_SHARING_VIOLATION = 32,
    ERROR_HANDLE_EOF = 38,
    ERROR_FILE_EXISTS = 80,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_DISK_FULL = 112,
    ERROR_INSUFFICIENT_BUFFER = 122,
    ERROR_INVALID_NAME = 123,
    ERROR_NEGATIVE_SEEK = 131,
    ERROR_ALREADY_EXISTS = 183,
    ERROR_FILENAME_EXCED_RANGE = 206,
    ERROR_NO_UNICODE_TRANSLATION = 1113,
};

DWORD GetLastError();
void SetLastError(DWORD error);
// The Win32 error code for a POSIX errno value.
DWORD Win32ErrorFromErrno(int err);

// Code pages: CP_ACP is UTF-8 on this platform.
enum : UINT { CP_ACP = 0, CP_UTF8 = 65001 };
enum : DWORD {
    MB_PRECOMPOSED = 0x1,
    MB_ERR_INVALID_CHARS = 0x8,
    WC_COMPOSITECHECK = 0x200,
    WC_SEPCHARS = 0x20,
};
// Counts of -1 include the terminator. A destination size of 0 asks for the
// size needed. Returns 0 on failure (ERROR_INSUFFICIENT_BUFFER when the
// result does not fit).
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcBytes, LPWSTR dst, int dstChars);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcChars, LPSTR dst, int dstBytes,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar);

// Console: a terminal counts as a console; colours become ANSI sequences.
enum : DWORD { STD_INPUT_HANDLE = static_cast<DWORD>(-10), STD_OUTPUT_HANDLE = static_cast<DWORD>(-11),
               STD_ERROR_HANDLE = static_cast<DWORD>(-12) };
struct COORD { SHORT X; SHORT Y; };
struct SMALL_RECT { SHORT Left; SHORT Top; SHORT Right; SHORT Bottom; };
struct CONSOLE_SCREEN_BUFFER_INFO {
    COORD dwSize;
    COORD dwCursorPosition;
    WORD wAttributes;
    SMALL_RECT srWindow;
    COORD dwMaximumWindowSize;
};
HANDLE GetStdHandle(DWORD which);
BOOL GetConsoleScreenBufferInfo(HANDLE console, CONSOLE_SCREEN_BUFFER_INFO* info);
BOOL SetConsoleTextAttribute(HANDLE console, WORD attributes);

// Debugging: a tracer attached to the process counts as a debugger.
BOOL IsDebuggerPresent();
void DebugBreak();

// Microsoft C runtime: _vsnprintf returns -1 when the text does not fit, and
// then leaves the buffer unterminated.
int _vsnprintf(char* buffer, size_t count, const char* format, va_list args);
