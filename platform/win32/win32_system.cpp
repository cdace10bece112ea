// Last-error slot, errno mapping, console colours and debugger presence.
#include "win32/win32.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

// Console attributes per standard handle, as a real console would keep them.
WORD g_attributes[3] = {7, 7, 7};

int HandleFd(HANDLE h) {
    const auto v = reinterpret_cast<intptr_t>(h);
    if (v == static_cast<intptr_t>(static_cast<int32_t>(STD_INPUT_HANDLE))) return 0;
    if (v == static_cast<intptr_t>(static_cast<int32_t>(STD_OUTPUT_HANDLE))) return 1;
    if (v == static_cast<intptr_t>(static_cast<int32_t>(STD_ERROR_HANDLE))) return 2;
    return -1;
}

const char* AnsiColour(WORD attributes) {
    switch (attributes & 0x0F) {
    case 12: return "\033[1;31m";
    case 14: return "\033[1;33m";
    case 10: return "\033[1;32m";
    case 7: return "\033[0m";
    default: return "\033[0m";
    }
}

}  // namespace

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }

DWORD Win32ErrorFromErrno(int err) {
    switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EISDIR:
    case ELOOP: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EROFS: return ERROR_WRITE_PROTECT;
    case ESPIPE: return ERROR_SEEK;
    case EIO: return ERROR_READ_FAULT;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EFBIG: return ERROR_FILE_TOO_LARGE;  // past RLIMIT_FSIZE
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    default: return 0x20000000u | static_cast<DWORD>(err);  // an unmapped error
    }
}

HANDLE GetStdHandle(DWORD which) {
    if (which != STD_INPUT_HANDLE && which != STD_OUTPUT_HANDLE && which != STD_ERROR_HANDLE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(static_cast<int32_t>(which)));
}

BOOL GetConsoleScreenBufferInfo(HANDLE console, CONSOLE_SCREEN_BUFFER_INFO* info) {
    const int fd = HandleFd(console);
    if (fd < 0 || info == nullptr || !isatty(fd)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::memset(info, 0, sizeof *info);
    info->dwSize = {80, 25};
    info->wAttributes = g_attributes[fd];
    info->srWindow = {0, 0, 79, 24};
    info->dwMaximumWindowSize = {80, 25};
    return TRUE;
}

BOOL SetConsoleTextAttribute(HANDLE console, WORD attributes) {
    const int fd = HandleFd(console);
    if (fd < 0 || !isatty(fd)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    g_attributes[fd] = attributes;
    // Text goes to standard error; colour the terminal it shows on.
    const int out = isatty(2) ? 2 : fd;
    const char* seq = AnsiColour(attributes);
    const ssize_t written = write(out, seq, std::strlen(seq));
    (void)written;
    return TRUE;
}

BOOL IsDebuggerPresent() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 10, "TracerPid:") == 0)
            return std::stol(line.substr(10)) != 0 ? TRUE : FALSE;
    }
    return FALSE;
}

void DebugBreak() { std::raise(SIGTRAP); }
