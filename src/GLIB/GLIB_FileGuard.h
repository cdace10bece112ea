// Scope guard for a C stream: closes it when the guard is done with it,
// unless ownership was given up.
#pragma once

#include <cstdio>

class GLIB_FileGuard {
public:
    // Takes file (null: holds none) and owns it.
    explicit GLIB_FileGuard(FILE* file = nullptr);
    // Close.
    ~GLIB_FileGuard();
    GLIB_FileGuard(const GLIB_FileGuard&) = delete;
    GLIB_FileGuard& operator=(const GLIB_FileGuard&) = delete;
    // The other guard's stream and ownership move here; it holds none after.
    GLIB_FileGuard(GLIB_FileGuard&& other) noexcept;
    GLIB_FileGuard& operator=(GLIB_FileGuard&& other) noexcept;

    bool IsNull() const { return m_file == nullptr; }
    FILE* File() const { return m_file; }
    bool Owns() const { return m_owns; }

    // Closes the stream when one is held and owned (a failed fclose is logged
    // as a warning, never thrown); then holds none and owns nothing.
    void Close() noexcept;
    // Gives up ownership (the stream stays held, and open) and returns it.
    FILE* Release();
    // Nothing when file is the held stream; otherwise Close, then holds file
    // and owns it.
    void Reset(FILE* file);

private:
    bool m_owns;
    FILE* m_file;
};
