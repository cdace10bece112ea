#include "GLIB/GLIB_FileGuard.h"

#include "GLIB/GLIB_Log.h"

#include <utility>

GLIB_FileGuard::GLIB_FileGuard(FILE* file) : m_owns(true), m_file(file) {}

GLIB_FileGuard::~GLIB_FileGuard() { Close(); }

GLIB_FileGuard::GLIB_FileGuard(GLIB_FileGuard&& other) noexcept
    : m_owns(std::exchange(other.m_owns, false)), m_file(std::exchange(other.m_file, nullptr)) {}

GLIB_FileGuard& GLIB_FileGuard::operator=(GLIB_FileGuard&& other) noexcept {
    if (this != &other) {
        Close();
        m_owns = std::exchange(other.m_owns, false);
        m_file = std::exchange(other.m_file, nullptr);
    }
    return *this;
}

void GLIB_FileGuard::Close() noexcept {
    if (m_file != nullptr && m_owns && std::fclose(m_file) != 0) {
        // A logger that throws must not turn cleanup into a second exception.
        try {
            GLIB_LOG(GLIB_LogWarning, "Failed to close file handle");
        } catch (...) {
        }
    }
    m_file = nullptr;
    m_owns = false;
}

FILE* GLIB_FileGuard::Release() {
    m_owns = false;
    return m_file;
}

void GLIB_FileGuard::Reset(FILE* file) {
    if (file == m_file)
        return;
    Close();
    m_file = file;
    m_owns = true;
}
