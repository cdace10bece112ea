// A block file read or written whole through the C runtime's low-level file
// calls: the cache's spill files. Every failure throws GLIB_Exception 1125007
// "GLIB_BasicIO <Open|Read|Write|Close> : <error> : <folder>\<name>".
#pragma once

#include <cstdint>
#include <string>

class GLIB_BasicIO {
public:
    enum Mode : int32_t { ReadMode = 0, WriteMode = 1 };
    enum Status : int32_t { Failed = -1, None = 0, Opened = 1, Closed = 2 };

    // directory null: the system temporary folder; empty: the name alone.
    GLIB_BasicIO(const char* directory, const char* name, int32_t mode);
    // Closes a file still open, also after a failed Read or Write; a failure
    // is dropped.
    ~GLIB_BasicIO();
    GLIB_BasicIO(const GLIB_BasicIO&) = delete;
    GLIB_BasicIO& operator=(const GLIB_BasicIO&) = delete;

    // ReadMode opens an existing file for binary reading. WriteMode creates a
    // new file for binary writing, exclusively: an existing file or link of
    // that name fails the open (with LastErrno() EEXIST), so a spill never
    // writes through something planted in the folder. Any other mode fails.
    void Open();
    // Reads or writes exactly n bytes; anything less is a failure.
    void Read(void* address, uint32_t n);
    void Write(const void* address, uint32_t n);
    void Close();

    int32_t GetStatus() const { return m_status; }
    // errno of the last failure, 0 when none.
    int LastErrno() const { return m_errno; }
    const std::string& PathName() const { return m_path; }

    // True when the file can be opened for binary reading.
    static bool Exists(const char* directory, const char* name);
    // Deletes the file; true when it was deleted.
    static bool Remove(const char* directory, const char* name);

private:
    // The folder, '/' and the name; false when the temporary folder cannot be
    // fetched. folderShown is the folder as failure messages print it.
    static bool BuildPath(const char* directory, const char* name, std::string& path, std::string& folderShown);
    [[noreturn]] void Fail(const char* format, const char* error, int32_t line);

    int32_t m_status;
    int32_t m_mode;
    std::string m_name;
    bool m_hasDirectory;
    std::string m_directory;
    std::string m_path;
    std::string m_tempFolder;  // the folder the path was built with
    int m_fd;
    int m_errno;
};
