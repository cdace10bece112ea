// Files: KERNEL32 file handles, the temporary folder, directory lookups and
// error texts, and the Microsoft C runtime's low-level files, over POSIX.
#include "win32/win32.h"
#include "win32/win32_driver.h"
#include "win32/win32_path.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <mutex>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace {

// ---- handle table ---------------------------------------------------------

enum class Kind { File, Search };

struct Entry {
    Kind kind;
    int fd;
    bool readable;
    bool writable;
};

// Handle values are multiples of 4 from 0x1000, as the real platform's are;
// they never collide with INVALID_HANDLE_VALUE or the standard handles.
constexpr uintptr_t FirstHandle = 0x1000;
constexpr uintptr_t HandleStep = 4;

std::mutex g_handleMutex;
std::unordered_map<uintptr_t, Entry>& Handles() {
    static auto* table = new std::unordered_map<uintptr_t, Entry>;  // lives past static destruction
    return *table;
}
uintptr_t g_nextHandle = FirstHandle;

HANDLE Register(const Entry& entry) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    auto& table = Handles();
    do {
        g_nextHandle += HandleStep;
        if (g_nextHandle < FirstHandle)
            g_nextHandle = FirstHandle;
    } while (table.count(g_nextHandle) != 0);
    table.emplace(g_nextHandle, entry);
    return reinterpret_cast<HANDLE>(g_nextHandle);
}

bool Lookup(HANDLE h, Kind kind, Entry* out) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    const auto it = Handles().find(reinterpret_cast<uintptr_t>(h));
    if (it == Handles().end() || it->second.kind != kind)
        return false;
    *out = it->second;
    return true;
}

bool Unregister(HANDLE h, Kind kind, Entry* out) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    const auto it = Handles().find(reinterpret_cast<uintptr_t>(h));
    if (it == Handles().end() || it->second.kind != kind)
        return false;
    *out = it->second;
    Handles().erase(it);
    return true;
}

// A file handle of the table, or ERROR_INVALID_HANDLE.
bool FileEntry(HANDLE h, Entry* entry) {
    if (Lookup(h, Kind::File, entry))
        return true;
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

// A file handle opened for writing, or ERROR_INVALID_HANDLE or
// ERROR_ACCESS_DENIED.
bool WritableEntry(HANDLE h, Entry* entry) {
    if (!FileEntry(h, entry))
        return false;
    if (entry->writable)
        return true;
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
}

// ---- the driver's hold at a rename ------------------------------------------

std::mutex g_renameMutex;
std::function<void(const std::string&)> g_atRename;

void BeforeRename(const std::string& to) {
    std::function<void(const std::string&)> action;
    {
        std::lock_guard<std::mutex> lock(g_renameMutex);
        action.swap(g_atRename);
    }
    if (action)
        action(to);
}

// ---- paths ----------------------------------------------------------------

bool IsDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsLink(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::string Parent(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename is a change of the folder: it is on the disk once the folder
// is. A file system that cannot sync a folder has renamed all the same.
void SyncFolderOf(const std::string& path) {
    const int folder = open(Parent(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
}

// The real platform tells a missing file from a missing folder.
DWORD PathError(const std::string& path, int err) {
    if (err == ENOENT && !IsDirectory(Parent(path)))
        return ERROR_PATH_NOT_FOUND;
    return Win32ErrorFromErrno(err);
}

// Wide text in the ANSI code page; false when some character has no form.
bool WideToUtf8(LPCWSTR wide, std::string& out) {
    out.clear();
    if (wide == nullptr)
        return false;
    if (*wide == L'\0')
        return true;
    BOOL usedDefault = FALSE;
    const int needed = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, &usedDefault);
    if (needed <= 0 || usedDefault)
        return false;
    out.resize(static_cast<size_t>(needed));
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, &out[0], needed, nullptr, nullptr) != needed)
        return false;
    out.resize(static_cast<size_t>(needed) - 1);
    return true;
}

std::string TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp && *tmp ? tmp : "/tmp";
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

// ---- POSIX helpers ---------------------------------------------------------

int OpenNoIntr(const std::string& path, int flags, mode_t mode) {
    int fd;
    do
        fd = open(path.c_str(), flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The real platform's files are all regular files: a folder, a FIFO, a
// socket or a device is refused with EACCES. Opened without blocking, so
// that a FIFO planted under a name we look for cannot hang us.
int OpenRegular(const std::string& path, int flags, mode_t mode) {
    const int fd = OpenNoIntr(path, flags | O_NONBLOCK, mode);
    if (fd < 0) {
        if (errno == ENXIO)  // a FIFO without a reader, or a socket
            errno = EACCES;
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = EACCES;
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Whole transfers: regular files return short counts only at the end.
ssize_t ReadFull(int fd, void* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = read(fd, static_cast<char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return done > 0 ? static_cast<ssize_t>(done) : -1;
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

// Returns the bytes written; *err is the errno that stopped it, 0 if none.
size_t WriteFull(int fd, const void* buffer, size_t count, int* err) {
    size_t done = 0;
    *err = 0;
    while (done < count) {
        const ssize_t n = write(fd, static_cast<const char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *err = errno;
            break;
        }
        if (n == 0) {
            *err = ENOSPC;
            break;
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

// 100-nanosecond intervals since 1601, as FILETIME counts.
FILETIME ToFileTime(const timespec& ts) {
    constexpr uint64_t EpochDifference = 11644473600ull;
    const uint64_t ticks = (static_cast<uint64_t>(ts.tv_sec) + EpochDifference) * 10000000ull +
                           static_cast<uint64_t>(ts.tv_nsec) / 100;
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

bool FillFindData(const std::string& path, const std::string& name, WIN32_FIND_DATAW* data) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 && lstat(path.c_str(), &st) != 0)
        return false;
    std::memset(data, 0, sizeof *data);
    DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if ((st.st_mode & S_IWUSR) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    data->dwFileAttributes = attributes;
    data->ftCreationTime = ToFileTime(st.st_ctim);
    data->ftLastAccessTime = ToFileTime(st.st_atim);
    data->ftLastWriteTime = ToFileTime(st.st_mtim);
    const uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size);
    if (MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, data->cFileName, MAX_PATH) == 0)
        return false;
    return true;
}

// ---- error texts -----------------------------------------------------------

struct ErrorText {
    DWORD code;
    const char* text;
};

const ErrorText g_errorTexts[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_WRITE_PROTECT, "The media is write protected."},
    {ERROR_SEEK, "The drive cannot locate a specific area or track on the disk."},
    {ERROR_WRITE_FAULT, "The system cannot write to the specified device."},
    {ERROR_READ_FAULT, "The system cannot read from the specified device."},
    {ERROR_SHARING_VIOLATION, "The process cannot access the file because it is being used by another process."},
    {ERROR_HANDLE_EOF, "Reached the end of the file."},
    {ERROR_FILE_EXISTS, "The file exists."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_NEGATIVE_SEEK, "An attempt was made to move the file pointer before the beginning of the file."},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
    {ERROR_ENVVAR_NOT_FOUND, "The system could not find the environment option that was entered."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    {ERROR_FILE_TOO_LARGE, "The file size exceeds the limit allowed and cannot be saved."},
    {ERROR_DIRECTORY, "The directory name is invalid."},
    {ERROR_NO_UNICODE_TRANSLATION, "No mapping for the Unicode character exists in the target multi-byte code page."},
};

// Win32ErrorFromErrno marks errno values it has no Win32 code for this way.
constexpr DWORD UnmappedErrnoBit = 0x20000000u;

// ---- names -----------------------------------------------------------------

std::mutex g_randomMutex;

// Uniform in [0, bound).
size_t RandomBelow(size_t bound) {
    std::lock_guard<std::mutex> lock(g_randomMutex);
    static std::mt19937_64 engine{std::random_device{}()};
    return std::uniform_int_distribution<size_t>(0, bound - 1)(engine);
}

std::string RandomSuffix(size_t length) {
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string s;
    for (size_t i = 0; i < length; ++i)
        s += alphabet[RandomBelow(sizeof alphabet - 1)];
    return s;
}

constexpr int TempNameAttempts = 1000;
constexpr size_t TempNameRandomChars = 8;
constexpr UINT TempFileNumbers = 0xFFFF;

std::string FormatTempFileName(const std::string& folder, const char* prefix, UINT unique) {
    std::string name = folder;
    if (!name.empty() && name.back() != '/')
        name += '/';
    name.append(prefix ? prefix : "", 0, 3);
    char number[16];
    std::snprintf(number, sizeof number, "%X.TMP", unique);
    return name + number;
}

}  // namespace

// ---- KERNEL32 files ----------------------------------------------------------

HANDLE CreateFileA(LPCSTR path, DWORD desiredAccess, DWORD, LPSECURITY_ATTRIBUTES, DWORD creationDisposition,
                   DWORD, HANDLE) {
    if (path == nullptr || *path == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const std::string p = PosixPath(path);
    const bool readable = (desiredAccess & GENERIC_READ) != 0;
    const bool writable = (desiredAccess & GENERIC_WRITE) != 0;
    const int access = O_CLOEXEC | (readable && writable ? O_RDWR : writable ? O_WRONLY : O_RDONLY);
    constexpr mode_t NewFileMode = 0666;  // the umask decides, as for any new file here
    constexpr int Races = 3;              // the file may come and go between our two opens

    bool existed = false;
    int fd = -1;
    switch (creationDisposition) {
    case CREATE_NEW:
        fd = OpenRegular(p, access | O_CREAT | O_EXCL, NewFileMode);
        break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        for (int i = 0; i < Races && fd < 0; ++i) {
            fd = OpenRegular(p, access | O_CREAT | O_EXCL, NewFileMode);
            if (fd >= 0 || errno != EEXIST)
                break;
            fd = OpenRegular(p, access | (creationDisposition == CREATE_ALWAYS ? O_TRUNC : 0), 0);
            existed = fd >= 0;
            if (fd < 0 && errno != ENOENT)
                break;
            // O_EXCL never follows a link: a link to nothing names the
            // file to make.
            if (fd < 0 && IsLink(p)) {
                fd = OpenRegular(p, access | O_CREAT, NewFileMode);
                break;
            }
        }
        break;
    case OPEN_EXISTING:
        fd = OpenRegular(p, access, 0);
        break;
    case TRUNCATE_EXISTING:
        if (!writable) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        fd = OpenRegular(p, access | O_TRUNC, 0);
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (fd < 0) {
        // A folder (or FIFO, device) is no file: access denied, as the real
        // call refuses a folder without backup semantics.
        SetLastError(PathError(p, errno));
        return INVALID_HANDLE_VALUE;
    }
    const HANDLE h = Register({Kind::File, fd, readable, writable});
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

HANDLE CreateFileW(LPCWSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) {
    std::string narrow;
    if (!WideToUtf8(path, narrow)) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(narrow.c_str(), desiredAccess, shareMode, security, creationDisposition,
                       flagsAndAttributes, templateFile);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
    if (read)
        *read = 0;
    Entry e;
    if (!FileEntry(file, &e))
        return FALSE;
    if (overlapped != nullptr || (buffer == nullptr && toRead > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!e.readable) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const ssize_t n = ReadFull(e.fd, buffer, toRead);
    if (n < 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return FALSE;
    }
    if (read)
        *read = static_cast<DWORD>(n);
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped) {
    if (written)
        *written = 0;
    Entry e;
    if (!FileEntry(file, &e))
        return FALSE;
    if (overlapped != nullptr || (buffer == nullptr && toWrite > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!e.writable) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    int err;
    const size_t n = WriteFull(e.fd, buffer, toWrite, &err);
    if (written)
        *written = static_cast<DWORD>(n);
    if (err != 0) {
        SetLastError(Win32ErrorFromErrno(err));
        return FALSE;
    }
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod) {
    Entry e;
    if (!FileEntry(file, &e))
        return INVALID_SET_FILE_POINTER;
    // With a high word the two words make one signed 64-bit distance.
    const int64_t move = distanceHigh
        ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                               static_cast<uint32_t>(distance))
        : static_cast<int64_t>(distance);
    int64_t base;
    if (moveMethod == FILE_BEGIN) {
        base = 0;
    } else if (moveMethod == FILE_CURRENT) {
        base = lseek(e.fd, 0, SEEK_CUR);
    } else if (moveMethod == FILE_END) {
        struct stat st;
        base = fstat(e.fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (base < 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return INVALID_SET_FILE_POINTER;
    }
    if ((move > 0 && base > INT64_MAX - move) || base + move < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    const int64_t target = base + move;
    if (distanceHigh == nullptr && target > static_cast<int64_t>(UINT32_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(e.fd, static_cast<off_t>(target), SEEK_SET) < 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(target) >> 32);
    return static_cast<DWORD>(target);
}

BOOL SetEndOfFile(HANDLE file) {
    Entry e;
    if (!WritableEntry(file, &e))
        return FALSE;
    const off_t position = lseek(e.fd, 0, SEEK_CUR);
    if (position < 0 || ftruncate(e.fd, position) != 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
    Entry e;
    if (!FileEntry(file, &e))
        return INVALID_FILE_SIZE;
    struct stat st;
    if (fstat(e.fd, &st) != 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return INVALID_FILE_SIZE;
    }
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    if (sizeHigh)
        *sizeHigh = static_cast<DWORD>(size >> 32);
    return static_cast<DWORD>(size);
}

BOOL CloseHandle(HANDLE object) {
    Entry e;
    if (!Unregister(object, Kind::File, &e)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Linux releases the descriptor even when close reports an error.
    if (close(e.fd) != 0 && errno != EINTR) {
        SetLastError(Win32ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteFileA(LPCSTR path) {
    const std::string p = PosixPath(path);
    struct stat st;
    if (lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (p.empty() || unlink(p.c_str()) != 0) {
        SetLastError(p.empty() ? ERROR_PATH_NOT_FOUND : PathError(p, errno));
        return FALSE;
    }
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
    Entry e;
    if (!WritableEntry(file, &e))
        return FALSE;
    if (fsync(e.fd) != 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR path) {
    const std::string p = path ? PosixPath(path) : std::string();
    struct stat st;
    if (p.empty() || lstat(p.c_str(), &st) != 0) {
        SetLastError(p.empty() ? ERROR_PATH_NOT_FOUND : PathError(p, errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISLNK(st.st_mode))
        return IsDirectory(p) ? FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_REPARSE_POINT;
    return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags) {
    if (existing == nullptr || newName == nullptr ||
        (flags & ~(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string from = PosixPath(existing);
    const std::string to = PosixPath(newName);
    BeforeRename(to);
    struct stat st;
    if (lstat(to.c_str(), &st) == 0 &&
        ((flags & MOVEFILE_REPLACE_EXISTING) == 0 || S_ISDIR(st.st_mode))) {
        SetLastError((flags & MOVEFILE_REPLACE_EXISTING) == 0 ? ERROR_ALREADY_EXISTS : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (rename(from.c_str(), to.c_str()) != 0) {
        SetLastError(errno == EISDIR ? ERROR_ACCESS_DENIED : PathError(errno == ENOENT ? from : to, errno));
        return FALSE;
    }
    if ((flags & MOVEFILE_WRITE_THROUGH) != 0)
        SyncFolderOf(to);
    return TRUE;
}

BOOL ReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID, LPVOID) {
    if (replaced == nullptr || replacement == nullptr || backup != nullptr ||
        (flags & ~REPLACEFILE_WRITE_THROUGH) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string to = PosixPath(replaced);
    const std::string from = PosixPath(replacement);
    BeforeRename(to);
    struct stat st;
    if (lstat(to.c_str(), &st) != 0) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : PathError(to, errno));
        return FALSE;
    }
    if (!S_ISREG(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (chmod(from.c_str(), st.st_mode & 07777) != 0 || rename(from.c_str(), to.c_str()) != 0) {
        SetLastError(PathError(errno == ENOENT ? from : to, errno));
        return FALSE;
    }
    if ((flags & REPLACEFILE_WRITE_THROUGH) != 0)
        SyncFolderOf(to);
    return TRUE;
}

DWORD GetFinalPathNameByHandleA(HANDLE file, LPSTR path, DWORD size, DWORD flags) {
    Entry e;
    if (!FileEntry(file, &e))
        return 0;
    if (flags != 0 || (path == nullptr && size > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    char buffer[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(e.fd);
    const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer - 1);
    if (n <= 0) {
        SetLastError(Win32ErrorFromErrno(n < 0 ? errno : ENOENT));
        return 0;
    }
    const DWORD length = static_cast<DWORD>(n);
    if (size <= length)
        return length + 1;
    std::memcpy(path, buffer, length);
    path[length] = '\0';
    return length;
}

BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* information) {
    Entry e;
    if (!FileEntry(file, &e))
        return FALSE;
    struct stat st;
    if (information == nullptr || fstat(e.fd, &st) != 0) {
        SetLastError(information == nullptr ? ERROR_INVALID_PARAMETER : Win32ErrorFromErrno(errno));
        return FALSE;
    }
    std::memset(information, 0, sizeof *information);
    information->dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    information->ftCreationTime = ToFileTime(st.st_ctim);
    information->ftLastAccessTime = ToFileTime(st.st_atim);
    information->ftLastWriteTime = ToFileTime(st.st_mtim);
    const uint64_t device = static_cast<uint64_t>(st.st_dev), index = static_cast<uint64_t>(st.st_ino);
    const uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    information->dwVolumeSerialNumber = static_cast<DWORD>(device ^ (device >> 32));
    information->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    information->nFileSizeLow = static_cast<DWORD>(size);
    information->nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
    information->nFileIndexHigh = static_cast<DWORD>(index >> 32);
    information->nFileIndexLow = static_cast<DWORD>(index);
    return TRUE;
}

DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer) {
    const std::string folder = TempFolder();
    if (folder.size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    const DWORD length = static_cast<DWORD>(folder.size());
    if (buffer == nullptr || bufferLength <= length)
        return length + 1;
    folder.copy(buffer, folder.size());
    buffer[length] = '\0';
    return length;
}

UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR buffer) {
    if (folder == nullptr || buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string dir = PosixPath(folder);
    if (unique != 0) {
        const std::string name = FormatTempFileName(dir, prefix, unique & TempFileNumbers);
        if (name.size() >= MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        std::strcpy(buffer, name.c_str());
        return unique & TempFileNumbers;
    }
    if (!IsDirectory(dir.empty() ? "." : dir)) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    // Start somewhere unpredictable, then walk the numbers; an existing name
    // (or a planted link) fails O_EXCL and takes the next number.
    UINT number = static_cast<UINT>(RandomBelow(TempFileNumbers)) + 1;
    for (UINT tries = 0; tries < TempFileNumbers; ++tries, number = number % TempFileNumbers + 1) {
        const std::string name = FormatTempFileName(dir, prefix, number);
        if (name.size() >= MAX_PATH) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        const int fd = OpenNoIntr(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            close(fd);
            std::strcpy(buffer, name.c_str());
            return number;
        }
        if (errno != EEXIST) {
            SetLastError(Win32ErrorFromErrno(errno));
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

HANDLE FindFirstFileW(LPCWSTR path, WIN32_FIND_DATAW* data) {
    std::string p;
    if (data == nullptr || !WideToUtf8(path, p)) {
        // A name with no form in the code page names no file here.
        SetLastError(data == nullptr ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    p = PosixPath(p.c_str());
    const size_t slash = p.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : p.substr(0, slash);
    const std::string pattern = slash == std::string::npos ? p : p.substr(slash + 1);
    if (pattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (!IsDirectory(folder)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    bool found = false;
    if (pattern.find_first_of("*?") == std::string::npos) {
        found = FillFindData(p, pattern, data);
    } else if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (fnmatch(pattern.c_str(), entry->d_name, FNM_CASEFOLD) == 0 &&
                FillFindData(folder + "/" + entry->d_name, entry->d_name, data)) {
                found = true;
                break;
            }
        }
        closedir(dir);
    }
    if (!found) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    return Register({Kind::Search, -1, false, false});
}

BOOL FindClose(HANDLE search) {
    Entry e;
    if (!Unregister(search, Kind::Search, &e)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD FormatMessageA(DWORD flags, LPCVOID, DWORD messageId, DWORD, LPSTR buffer, DWORD size, va_list*) {
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0 ||
        buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string text;
    for (const ErrorText& e : g_errorTexts)
        if (e.code == messageId)
            text = e.text;
    if (text.empty() && (messageId & UnmappedErrnoBit) != 0)
        text = std::strerror(static_cast<int>(messageId & ~UnmappedErrnoBit));
    if (text.empty()) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    text += "\r\n";
    if (text.size() >= size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    text.copy(buffer, text.size());
    buffer[text.size()] = '\0';
    return static_cast<DWORD>(text.size());
}

// ---- C runtime ---------------------------------------------------------------

int _open(const char* path, int oflag, int pmode) {
    constexpr int Known = _O_WRONLY | _O_RDWR | _O_APPEND | _O_NOINHERIT | _O_CREAT | _O_TRUNC | _O_EXCL |
                          _O_TEXT | _O_BINARY;
    if (path == nullptr || (oflag & ~Known) != 0 || (oflag & (_O_WRONLY | _O_RDWR)) == (_O_WRONLY | _O_RDWR)) {
        errno = EINVAL;
        return -1;
    }
    int flags = (oflag & _O_RDWR) ? O_RDWR : (oflag & _O_WRONLY) ? O_WRONLY : O_RDONLY;
    if (oflag & _O_APPEND) flags |= O_APPEND;
    if (oflag & _O_NOINHERIT) flags |= O_CLOEXEC;
    if (oflag & _O_CREAT) flags |= O_CREAT;
    if (oflag & _O_TRUNC) flags |= O_TRUNC;
    if (oflag & _O_EXCL) flags |= O_EXCL;
    // _S_IWRITE implies reading on the real platform.
    const mode_t mode = (pmode & _S_IWRITE) ? S_IRUSR | S_IWUSR : S_IRUSR;
    return OpenRegular(PosixPath(path), flags, mode);
}

int _read(int fd, void* buffer, unsigned int count) {
    if (count > static_cast<unsigned int>(INT_MAX) || (buffer == nullptr && count > 0)) {
        errno = EINVAL;
        return -1;
    }
    return static_cast<int>(ReadFull(fd, buffer, count));
}

int _write(int fd, const void* buffer, unsigned int count) {
    if (count > static_cast<unsigned int>(INT_MAX) || (buffer == nullptr && count > 0)) {
        errno = EINVAL;
        return -1;
    }
    int err;
    const size_t n = WriteFull(fd, buffer, count, &err);
    if (err != 0) {
        errno = err;
        return -1;
    }
    return static_cast<int>(n);
}

int _close(int fd) {
    if (close(fd) != 0 && errno != EINTR)
        return -1;
    return 0;
}

char* _tempnam(const char* dir, const char* prefix) {
    std::string folder;
    const char* tmp = std::getenv("TMPDIR");
    if (tmp && *tmp && IsDirectory(tmp))
        folder = tmp;
    else if (dir && *dir && IsDirectory(PosixPath(dir)))
        folder = PosixPath(dir);
    else
        folder = "/tmp";
    if (folder.back() != '/')
        folder += '/';
    for (int i = 0; i < TempNameAttempts; ++i) {
        const std::string name = folder + (prefix ? prefix : "") + RandomSuffix(TempNameRandomChars);
        struct stat st;
        if (lstat(name.c_str(), &st) == 0 || errno != ENOENT)
            continue;
        char* copy = static_cast<char*>(std::malloc(name.size() + 1));
        if (copy == nullptr) {
            errno = ENOMEM;
            return nullptr;
        }
        std::memcpy(copy, name.c_str(), name.size() + 1);
        return copy;
    }
    errno = EEXIST;
    return nullptr;
}

// Both separators of the real platform name a folder here, and drive C is the
// root: the host's display paths name POSIX files on drive C.
std::string PosixPath(const char* path) {
    std::string p = path ? path : "";
    for (char& c : p)
        if (c == '\\')
            c = '/';
    const bool driveC = p.size() >= 2 && (p[0] == 'C' || p[0] == 'c') && p[1] == ':';
    if (driveC && p.size() == 2)
        return "/";
    if (driveC && p[2] == '/')
        return p.substr(2);
    return p;
}

void Win32Driver::AtFileRename(std::function<void(const std::string& to)> action) {
    std::lock_guard<std::mutex> lock(g_renameMutex);
    g_atRename = std::move(action);
}
