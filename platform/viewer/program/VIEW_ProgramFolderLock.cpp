#include "viewer/program/VIEW_ProgramFolderLock.h"

#include "viewer/VIEW_Threads.h"
#include "viewer/program/VIEW_ProgramSignals.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The lock is on what the folder's name still leads to: a file the holder
// before removed as it let go leads nowhere, and holds nothing.
bool StillNamed(int fd, const std::string& path) {
    struct stat held {}, named {};
    return fstat(fd, &held) == 0 && lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

}  // namespace

VIEW_ProgramFolderLock::~VIEW_ProgramFolderLock() { Release(); }

bool VIEW_ProgramFolderLock::Take(const std::string& folder) {
    Release();
    const std::string path = folder + "/" + FileName;
    for (;;) {
        // Readable by every user who may write the folder, so theirs wait too.
        const int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        // The program's stop signals end the wait (EINTR): the run then
        // stops. Any other handler's only interrupts it.
        int locked;
        while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR && VIEW_ProgramSignals::Caught() == 0) {
        }
        if (locked != 0) {
            const int error = errno;
            close(fd);
            errno = error;
            return false;
        }
        if (StillNamed(fd, path)) {
            m_fd = fd;
            m_path = path;
            // Removed by a second signal, which ends the process and so lets go.
            VIEW_ProgramSignals::Register(3, m_path);
            return true;
        }
        close(fd);
    }
}

void VIEW_ProgramFolderLock::Release() {
    if (m_fd < 0)
        return;
    // Removed before it is let go, so that a run waiting on it takes a new
    // one; and first out of a signal's reach, since the name may be another
    // run's from then on.
    const VIEW_SignalsBlocked blocked;
    VIEW_ProgramSignals::Register(3, std::string());
    unlink(m_path.c_str());
    close(m_fd);
    m_fd = -1;
    m_path.clear();
}
