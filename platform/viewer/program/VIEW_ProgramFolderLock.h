// One run at a time in an output folder: an advisory lock (flock) on the
// hidden file ".tintscope-lock" in it, held while a run reads the folder's
// earlier inks.txt, moves its files in and removes the earlier plates. A
// second run waits for the first to let go. The file is there only while a
// run holds it or waits for it: the holder removes it as it lets go, and a
// run whose wait ends on a file removed meanwhile takes the folder's new
// one. A run ended at once by a second signal removes it too.
#pragma once

#include <string>

class VIEW_ProgramFolderLock {
public:
    VIEW_ProgramFolderLock() = default;
    // Lets go.
    ~VIEW_ProgramFolderLock();
    VIEW_ProgramFolderLock(const VIEW_ProgramFolderLock&) = delete;
    VIEW_ProgramFolderLock& operator=(const VIEW_ProgramFolderLock&) = delete;

    // Waits until no other run holds folder, then holds it; false with
    // errno set when the file cannot be made or locked, or when a stop
    // signal (VIEW_ProgramSignals) ended the wait (EINTR).
    bool Take(const std::string& folder);
    bool Held() const { return m_fd >= 0; }
    // The file removed, then the lock let go; nothing when not held.
    void Release();

    static constexpr const char* FileName = ".tintscope-lock";

private:
    int m_fd = -1;
    std::string m_path;
};
