#include "GLIB/GLIB_AutoFile.h"

#include "GLIB/GLIB_Globals.h"
#include "GLIB/GLIB_Log.h"
#include "win32/win32.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

// Each try draws a fresh random name; a clash needs another try.
constexpr int ReserveAttempts = 100;

}  // namespace

GLIB_AutoFile::GLIB_AutoFile(const char* path) : m_owns(true), m_path(path ? path : MakeTempName()) {}

GLIB_AutoFile::~GLIB_AutoFile() { Clear(); }

GLIB_AutoFile::GLIB_AutoFile(GLIB_AutoFile&& other) noexcept
    : m_owns(std::exchange(other.m_owns, false)), m_path(std::move(other.m_path)) {
    other.m_path.clear();
}

GLIB_AutoFile& GLIB_AutoFile::operator=(GLIB_AutoFile&& other) noexcept {
    if (this != &other) {
        Clear();
        m_owns = std::exchange(other.m_owns, false);
        m_path = std::move(other.m_path);
        other.m_path.clear();
    }
    return *this;
}

std::string GLIB_AutoFile::MakeTempName() {
    const std::string prefix = GLIB_Globals::Instance().TempFilePrefix();
    for (int i = 0; i < ReserveAttempts; ++i) {
        char* name = _tempnam(nullptr, prefix.c_str());
        if (name == nullptr)
            return std::string();
        std::string path = name;
        std::free(name);
        // _tempnam only finds a free name; creating the file exclusively makes
        // it ours, so nobody can plant a file or link under it in between.
        const int fd = _open(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            _close(fd);
            return path;
        }
        if (errno != EEXIST)
            return std::string();
    }
    return std::string();
}

void GLIB_AutoFile::Clear() noexcept {
    if (m_owns && !m_path.empty() && std::remove(m_path.c_str()) != 0) {
        const int err = errno;
        // A logger that throws must not turn cleanup into a second exception.
        try {
            GLIB_LOG(GLIB_LogWarning, "Failed to delete file '" << m_path << "': " << err);
        } catch (...) {
        }
    }
    m_path.clear();
}

void GLIB_AutoFile::Reset(const std::string& path) {
    Clear();
    m_owns = true;
    m_path = path;
}

std::string GLIB_AutoFile::Release() {
    m_owns = false;
    return m_path;
}
