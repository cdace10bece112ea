#include "viewer/program/VIEW_ProgramFolderLock.h"

#include "viewer/VIEW_Threads.h"
#include "viewer/program/VIEW_ProgramSignals.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a thing of that mode is, when it is no regular file.
const char* NoFile(mode_t mode) {
    if (S_ISLNK(mode))
        return "a symbolic link";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return S_ISREG(mode) ? nullptr : "no regular file";
}

std::string NotALockFile(const std::string& path, mode_t mode) {
    return path + " is " + NoFile(mode) + ", not a lock file";
}

}  // namespace

VIEW_ProgramFolderLock::~VIEW_ProgramFolderLock() { Release(); }

std::string VIEW_ProgramFolderLock::InTheWay(int folder, const std::string& path) {
    struct stat info {};
    if (fstatat(folder, FileName, &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISREG(info.st_mode))
        return std::string();
    return NotALockFile(path + "/" + FileName, info.st_mode);
}

bool VIEW_ProgramFolderLock::Take(int folder, const std::string& path, std::string* reason) {
    Release();
    const std::string file = path + "/" + FileName;
    for (;;) {
        // Readable by every user who may write the folder, so theirs wait
        // too. Without blocking: a FIFO would hold the open until a writer
        // came.
        const int fd = openat(folder, FileName, O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
        struct stat info {};
        if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            const int error = errno;
            if (fd >= 0)
                close(fd);
            // A link, a socket or a folder fails the open itself.
            *reason = fd >= 0 ? NotALockFile(file, info.st_mode) : InTheWay(folder, path);
            if (reason->empty())
                *reason = std::strerror(error);
            return false;
        }
        // The program's stop signals end the wait (EINTR): the run then
        // stops. Any other handler's only interrupts it.
        int locked;
        while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR && VIEW_ProgramSignals::Caught() == 0) {
        }
        if (locked != 0) {
            *reason = std::strerror(errno);
            close(fd);
            return false;
        }
        // The lock is on what the folder's name still leads to: a file the
        // holder before removed as it let go leads nowhere, and holds
        // nothing.
        if (VIEW_StillNamedAt(folder, FileName, fd)) {
            // Its own: the caller may close the folder's before it lets go.
            const int own = fcntl(folder, F_DUPFD_CLOEXEC, 0);
            if (own < 0) {
                *reason = std::strerror(errno);
                close(fd);
                return false;
            }
            m_folder = own;
            m_fd = fd;
            // Removed by a second signal, which ends the process and so lets go.
            VIEW_ProgramSignals::RegisterOpen(3, m_folder, FileName, m_fd);
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
    VIEW_ProgramSignals::RegisterOpen(3, -1, std::string(), -1);
    VIEW_RemoveOpenFile(m_folder, FileName, m_fd);
    close(m_fd);
    close(m_folder);
    m_fd = -1;
    m_folder = -1;
}
