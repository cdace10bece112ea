// Scope guard for a temporary file: deletes the file of its path when it is
// cleared, reset or destroyed, unless ownership was given up.
#pragma once

#include <string>

class GLIB_AutoFile {
public:
    // Owns path; a null path is replaced by MakeTempName (a new empty file
    // reserved for this guard, or an empty path when none could be made).
    explicit GLIB_AutoFile(const char* path = nullptr);
    // Clear.
    ~GLIB_AutoFile();
    GLIB_AutoFile(const GLIB_AutoFile&) = delete;
    GLIB_AutoFile& operator=(const GLIB_AutoFile&) = delete;
    // The other guard's path and ownership move here; it holds none after.
    GLIB_AutoFile(GLIB_AutoFile&& other) noexcept;
    GLIB_AutoFile& operator=(GLIB_AutoFile&& other) noexcept;

    // A new temporary file name "<temp folder>/<prefix>…" with the prefix of
    // GLIB_Globals ("TEMP" unless changed), in TMPDIR or /tmp. The name is
    // reserved by creating the file, empty and exclusively (an existing file
    // or link is never opened; a clash takes another name): the caller owns
    // that file and removes it. Empty when no name could be made.
    static std::string MakeTempName();

    const std::string& Path() const { return m_path; }
    bool Owns() const { return m_owns; }

    // When owning a non-empty path, deletes the file; a failed delete (a file
    // that does not exist included) is logged as a warning, never thrown.
    // The path becomes empty in every case.
    void Clear() noexcept;
    // Clear, then owns path.
    void Reset(const std::string& path);
    // Gives up ownership (the file stays) and returns the path.
    std::string Release();

private:
    bool m_owns;
    std::string m_path;
};
