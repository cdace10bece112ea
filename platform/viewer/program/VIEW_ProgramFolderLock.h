// One run at a time in an output folder: an advisory lock (flock) on the
// hidden file ".tintscope-lock" in it, held while a run reads the folder's
// earlier inks.txt, moves its files in and removes the earlier plates. A
// second run waits for the first to let go. The file is there only while a
// run holds it or waits for it: the holder removes it as it lets go, and a
// run whose wait ends on a file removed meanwhile takes the folder's new
// one. A run ended at once by a second signal removes it too. Anything but
// a regular file at that name (a link, a FIFO, a socket, a folder) is
// never opened in a way that could block, and fails the run in words.
#pragma once

#include <string>

class VIEW_ProgramFolderLock {
public:
    VIEW_ProgramFolderLock() = default;
    // Lets go.
    ~VIEW_ProgramFolderLock();
    VIEW_ProgramFolderLock(const VIEW_ProgramFolderLock&) = delete;
    VIEW_ProgramFolderLock& operator=(const VIEW_ProgramFolderLock&) = delete;

    // Waits until no other run holds folder, then holds it; false with the
    // reason when the file cannot be made or locked, when something else
    // stands at its name, or when a stop signal (VIEW_ProgramSignals)
    // ended the wait.
    bool Take(const std::string& folder, std::string* reason);
    bool Held() const { return m_fd >= 0; }
    // The file removed, then the lock let go; nothing when not held.
    void Release();

    // What stands at the lock file's name in folder when it is no regular
    // file, in words ("DIR/.tintscope-lock is a FIFO, not a lock file");
    // empty when a file or nothing is there.
    static std::string InTheWay(const std::string& folder);

    static constexpr const char* FileName = ".tintscope-lock";

private:
    int m_fd = -1;
    std::string m_path;
};

// Whether path still leads to the file fd is open on: a name removed, or
// given to another file, since it was opened leads elsewhere.
bool VIEW_StillNamed(int fd, const std::string& path);
