#include "fileio/MACR_FileSpec.h"

#include "GLIB/GLIB_StringUtil.h"
#include "fileio/MACR_IOException.h"
#include "win32/win32.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <mutex>
#include <random>
#include <string>

MACR_FileSpec::MACR_FileSpec() { m_path[0] = '\0'; }

MACR_FileSpec::MACR_FileSpec(const char* path) { SetPath(path); }

void MACR_FileSpec::SetPath(const char* path) { GLIB_StrCopy(m_path, path, MaxPath); }

namespace {

// Each try draws a fresh name from 2^64; a clash needs another try.
constexpr int ReserveAttempts = 100;

std::string RandomHex() {
    static std::mutex lock;
    static std::mt19937_64 engine{std::random_device{}()};
    uint64_t value = 0;
    {
        const std::lock_guard<std::mutex> hold(lock);
        value = engine();
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIX64, value);
    return text;
}

// The Win32 error of a failed exclusive create.
uint32_t CreateError(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOSPC: return ERROR_DISK_FULL;
    default: return ERROR_DIRECTORY;
    }
}

}  // namespace

void MACR_FileSpec::MakeTempFile() {
    char folder[MaxPath];
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetTempPathA(MaxPath, folder);
    MACR_CheckLastError(*this, __FILE__, __LINE__);
    // A folder that does not fit is reported by size alone, not by error.
    if (length == 0 || length >= MaxPath)
        MACR_CheckError(ERROR_FILENAME_EXCED_RANGE, *this, __FILE__, __LINE__);
    SetPath(folder);

    // Not GetTempFileName: its 65,535 numbers run out on a page of many
    // images while the job keeps their files.
    std::string base = folder;
    if (!base.empty() && base.back() != '/' && base.back() != '\\')
        base += '/';
    for (int i = 0; i < ReserveAttempts; ++i) {
        const std::string name = base + "VDQ" + RandomHex() + ".TMP";
        if (name.size() >= MaxPath)
            MACR_CheckError(ERROR_FILENAME_EXCED_RANGE, *this, __FILE__, __LINE__);
        // Owner-only and exclusive: an existing file or a planted link is
        // never opened. The empty file stays, so that nobody can take the
        // name before our caller creates over it.
        errno = 0;
        const int fd = _open(name.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            _close(fd);
            SetPath(name.c_str());
            return;
        }
        if (errno != EEXIST)
            MACR_CheckError(CreateError(errno), *this, __FILE__, __LINE__);
    }
    MACR_CheckError(ERROR_FILE_EXISTS, *this, __FILE__, __LINE__);
}

void MACR_DeleteFile(const MACR_FileSpec& fileSpec) {
    SetLastError(ERROR_SUCCESS);
    DeleteFileA(fileSpec.Path());
    MACR_CheckLastError(fileSpec, __FILE__, __LINE__);
}
