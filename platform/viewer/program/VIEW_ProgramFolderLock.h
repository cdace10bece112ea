// One run at a time in an output folder: an advisory lock (flock) on the
// hidden file ".tintscope-lock" in it, held while a run reads the folder's
// earlier inks.txt, moves its files in and removes the earlier plates. A
// second run waits for the first to let go. The file is there only while a
// run holds it or waits for it: the holder removes it as it lets go, and a
// run whose wait ends on a file removed meanwhile takes the folder's new
// one. A run ended at once by a second signal removes it too. Anything but
// a regular file at that name (a link, a FIFO, a socket, a folder) is
// never opened in a way that could block, and fails the run in words. The
// file is made, held and removed only relative to the folder's descriptor,
// never by a path through its name: a name swapped meanwhile for a link
// leads the lock nowhere else.
#pragma once

#include <string>

class VIEW_ProgramFolderLock {
public:
    VIEW_ProgramFolderLock() = default;
    // Lets go.
    ~VIEW_ProgramFolderLock();
    VIEW_ProgramFolderLock(const VIEW_ProgramFolderLock&) = delete;
    VIEW_ProgramFolderLock& operator=(const VIEW_ProgramFolderLock&) = delete;

    // Waits until no other run holds the folder open at folder (O_PATH
    // serves; path is its name, for words), then holds it; false with the
    // reason when the file cannot be made or locked, when something else
    // stands at its name, or when a stop signal (VIEW_ProgramSignals)
    // ended the wait.
    bool Take(int folder, const std::string& path, std::string* reason);
    bool Held() const { return m_fd >= 0; }
    // The file removed while its name still leads to it, then the lock let
    // go; nothing when not held.
    void Release();

    // What stands at the lock file's name in the folder open at folder when
    // it is no regular file, in words ("PATH/.tintscope-lock is a FIFO, not
    // a lock file"); empty when a file or nothing is there.
    static std::string InTheWay(int folder, const std::string& path);

    static constexpr const char* FileName = ".tintscope-lock";

private:
    int m_folder = -1;  // its own copy of the folder's descriptor
    int m_fd = -1;
};
