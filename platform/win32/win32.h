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

// ---------------------------------------------------------------------------
// Files (win32_file.cpp). Paths are taken as the real platform takes them:
// '\\' and '/' both separate components, so "\\tmp\\a.pdf" names /tmp/a.pdf.
// Handles are entries of a table of our own, never raw descriptors. Share
// modes are accepted and not enforced: POSIX has no mandatory sharing. Only
// regular files open: a folder, FIFO, socket or device is refused (access
// denied, EACCES), and never blocks the caller.

constexpr DWORD MAX_PATH = 260;

using LPVOID = void*;
using LPCVOID = const void*;
using LPDWORD = DWORD*;
using PLONG = LONG*;
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

enum : DWORD {
    ERROR_ENVVAR_NOT_FOUND = 203,
    ERROR_DIRECTORY = 267,
    ERROR_MR_MID_NOT_FOUND = 317,
};

enum : DWORD {
    GENERIC_READ = 0x80000000u,
    GENERIC_WRITE = 0x40000000u,
    FILE_SHARE_READ = 0x1,
    FILE_SHARE_WRITE = 0x2,
    FILE_SHARE_DELETE = 0x4,
};

// Creation dispositions. CREATE_ALWAYS and OPEN_ALWAYS succeed on an existing
// file and then leave ERROR_ALREADY_EXISTS as the last error.
enum : DWORD {
    CREATE_NEW = 1,
    CREATE_ALWAYS = 2,
    OPEN_EXISTING = 3,
    OPEN_ALWAYS = 4,
    TRUNCATE_EXISTING = 5,
};

enum : DWORD {
    FILE_ATTRIBUTE_READONLY = 0x1,
    FILE_ATTRIBUTE_DIRECTORY = 0x10,
    FILE_ATTRIBUTE_ARCHIVE = 0x20,
    FILE_ATTRIBUTE_NORMAL = 0x80,
};

enum : DWORD { FILE_BEGIN = 0, FILE_CURRENT = 1, FILE_END = 2 };
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;

HANDLE CreateFileA(LPCSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
// The path in the ANSI code page (UTF-8), then as CreateFileA.
HANDLE CreateFileW(LPCWSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
// Synchronous only: overlapped must be null. Reading at the end of the file
// succeeds with a count of 0.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);
// Returns the low word of the new position, INVALID_SET_FILE_POINTER with the
// last error set on failure. With no high word the distance is signed 32-bit
// and a position that does not fit in 32 bits fails.
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod);
// Cuts or extends the file at the current position.
BOOL SetEndOfFile(HANDLE file);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL CloseHandle(HANDLE object);
BOOL DeleteFileA(LPCSTR path);

// TMPDIR, else /tmp, always with a trailing '/'. Returns the length without
// the terminator, or the size needed (with it) when the buffer is too small.
DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);
// unique 0: makes a new empty file "<folder>/<first 3 of prefix><hex>.TMP"
// with exclusive creation (an existing name, or a link, is never opened) and
// returns its number; otherwise only formats the name. buffer holds MAX_PATH.
UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR buffer);

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];  // always empty: this file system has no short names
};
// The first directory entry matching the last component of path ('*' and '?'
// wildcards allowed there). INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND or
// ERROR_PATH_NOT_FOUND when there is none.
HANDLE FindFirstFileW(LPCWSTR path, WIN32_FIND_DATAW* data);
BOOL FindClose(HANDLE search);

enum : DWORD {
    FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x100,
    FORMAT_MESSAGE_IGNORE_INSERTS = 0x200,
    FORMAT_MESSAGE_FROM_STRING = 0x400,
    FORMAT_MESSAGE_FROM_HMODULE = 0x800,
    FORMAT_MESSAGE_FROM_SYSTEM = 0x1000,
};
enum : WORD { LANG_NEUTRAL = 0, SUBLANG_DEFAULT = 1 };
constexpr DWORD MAKELANGID(WORD primary, WORD sub) { return static_cast<DWORD>((sub << 10) | primary); }
// FORMAT_MESSAGE_FROM_SYSTEM only: the system's text for a Win32 error code,
// ending in "\r\n" as the real texts do. Returns the length written, 0 with
// ERROR_MR_MID_NOT_FOUND for a code without a text, or
// ERROR_INSUFFICIENT_BUFFER when the text does not fit.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list* arguments);

// Microsoft C runtime low-level files, with Microsoft's flag values.
enum : int {
    _O_RDONLY = 0x0000,
    _O_WRONLY = 0x0001,
    _O_RDWR = 0x0002,
    _O_APPEND = 0x0008,
    _O_NOINHERIT = 0x0080,
    _O_CREAT = 0x0100,
    _O_TRUNC = 0x0200,
    _O_EXCL = 0x0400,
    _O_TEXT = 0x4000,
    _O_BINARY = 0x8000,
};
enum : int { _S_IWRITE = 0x0080, _S_IREAD = 0x0100 };
// Descriptors are POSIX descriptors; errors set errno (EINVAL for a flag this
// platform does not have). _O_TEXT is taken as binary: no CR-LF translation
// here. pmode grants the owner only.
int _open(const char* path, int oflag, int pmode = 0);
int _read(int fd, void* buffer, unsigned int count);
int _write(int fd, const void* buffer, unsigned int count);
int _close(int fd);
// A new malloc'd name "<folder>/<prefix><unique>" that no file has yet, in
// TMPDIR when that is a folder (the real function reads TMP), else in dir when
// that is one, else in /tmp. No file is created: callers that need the name
// reserved create it with _O_CREAT | _O_EXCL. Null on failure.
char* _tempnam(const char* dir, const char* prefix);
