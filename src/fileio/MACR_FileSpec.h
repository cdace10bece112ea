// A file specification: a path of at most MaxPath bytes with its terminator.
#pragma once

#include <cstddef>
#include <string>

class MACR_FileSpec {
public:
    static constexpr size_t MaxPath = 260;

    // An empty path.
    MACR_FileSpec();
    explicit MACR_FileSpec(const char* path);

    // Bounded copy: at most MaxPath - 1 bytes of path are kept.
    void SetPath(const char* path);
    const char* Path() const { return m_path; }
    std::string PathString() const { return m_path; }

    // Makes this a new, unique path "VDQ<16 random hex digits>.TMP" in the
    // system temporary folder, so that names do not run out while the folder
    // has room. The file is created empty, for the owner only and
    // exclusively (an existing file or a planted link is never opened; a
    // clash draws another name) and left in place: the caller owns it, may
    // create over it, and removes it. Throws the MACR_IOException of the
    // failing call (ERROR_FILE_EXISTS after 100 clashes).
    void MakeTempFile();

private:
    char m_path[MaxPath];
};

// Deletes the file; a failure throws its MACR_IOException.
void MACR_DeleteFile(const MACR_FileSpec& fileSpec);
