#include "GLIB/GLIB_BasicIO.h"

#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_StringUtil.h"
#include "win32/win32.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// GetTempPathA gets a buffer of this size.
constexpr DWORD TempPathBytes = 255;
constexpr int ReadFlags = _O_BINARY | _O_RDONLY;
constexpr int WriteFlags = _O_BINARY | _O_WRONLY | _O_CREAT | _O_EXCL;
constexpr int OwnerReadWrite = _S_IREAD | _S_IWRITE;

}  // namespace

GLIB_BasicIO::GLIB_BasicIO(const char* directory, const char* name, int32_t mode)
    : m_status(None), m_mode(mode), m_name(name ? name : ""), m_hasDirectory(directory != nullptr),
      m_directory(directory ? directory : ""), m_fd(-1), m_errno(0) {}

GLIB_BasicIO::~GLIB_BasicIO() {
    // Also after a failed read or write, which leaves the status at Failed.
    if (m_fd >= 0)
        _close(m_fd);
}

bool GLIB_BasicIO::BuildPath(const char* directory, const char* name, std::string& path, std::string& folderShown) {
    std::string folder;
    if (directory == nullptr) {
        char temp[TempPathBytes];
        const DWORD length = GetTempPathA(TempPathBytes, temp);
        if (length == 0 || length >= TempPathBytes)
            return false;
        folder = temp;
    } else {
        folder = directory;
    }
    folderShown = folder;
    path = folder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    path += name ? name : "";
    return true;
}

void GLIB_BasicIO::Fail(const char* format, const char* error, int32_t line) {
    m_status = Failed;
    std::string shownFolder = m_hasDirectory ? m_directory : m_tempFolder;
    if (shownFolder.size() > 1 && shownFolder.back() == '/')
        shownFolder.pop_back();
    const size_t size = std::strlen(format) + std::strlen(error) + shownFolder.size() + m_name.size() + 1;
    std::string message(size, '\0');
    GLIB_Sprintf(&message[0], size, format, error, shownFolder.c_str(), m_name.c_str());
    message.resize(std::strlen(message.c_str()));
    throw GLIB_Exception(GLIB_BasicIOCode, message, __FILE__, line);
}

void GLIB_BasicIO::Open() {
    if (!BuildPath(m_hasDirectory ? m_directory.c_str() : nullptr, m_name.c_str(), m_path, m_tempFolder)) {
        m_errno = errno;
        Fail("GLIB_BasicIO Open : %s : %s\\%s", "error retreiving TMP dir", __LINE__);
    }
    int fd = -1;
    if (m_mode == ReadMode)
        fd = _open(m_path.c_str(), ReadFlags);
    else if (m_mode == WriteMode)
        fd = _open(m_path.c_str(), WriteFlags, OwnerReadWrite);
    else
        errno = EINVAL;
    if (fd < 0) {
        m_errno = errno;
        Fail("GLIB_BasicIO Open : %s : %s\\%s", std::strerror(m_errno), __LINE__);
    }
    m_fd = fd;
    m_status = Opened;
    m_errno = 0;
}

void GLIB_BasicIO::Read(void* address, uint32_t n) {
    errno = 0;
    const int got = m_status == Opened ? _read(m_fd, address, n) : -1;
    if (got < 0 || static_cast<uint32_t>(got) != n) {
        // A short count without an error is a file cut short underneath us.
        m_errno = got < 0 ? (errno ? errno : EBADF) : EIO;
        Fail("GLIB_BasicIO Read : %s : %s\\%s", std::strerror(m_errno), __LINE__);
    }
}

void GLIB_BasicIO::Write(const void* address, uint32_t n) {
    errno = 0;
    const int put = m_status == Opened ? _write(m_fd, address, n) : -1;
    if (put < 0 || static_cast<uint32_t>(put) != n) {
        m_errno = put < 0 ? (errno ? errno : EBADF) : ENOSPC;
        Fail("GLIB_BasicIO Write : %s : %s\\%s", std::strerror(m_errno), __LINE__);
    }
}

void GLIB_BasicIO::Close() {
    const int fd = m_fd;
    const bool open = m_status == Opened;
    m_fd = -1;
    m_status = Closed;
    if (!open || _close(fd) != 0) {
        m_errno = open ? errno : EBADF;
        Fail("GLIB_BasicIO Close : %s : %s\\%s", std::strerror(m_errno), __LINE__);
    }
}

bool GLIB_BasicIO::Exists(const char* directory, const char* name) {
    std::string path, folder;
    if (!BuildPath(directory, name, path, folder))
        return false;
    const int fd = _open(path.c_str(), ReadFlags);
    if (fd < 0)
        return false;
    _close(fd);
    return true;
}

bool GLIB_BasicIO::Remove(const char* directory, const char* name) {
    std::string path, folder;
    return BuildPath(directory, name, path, folder) && std::remove(path.c_str()) == 0;
}
