#include "viewer/program/VIEW_ProgramStaging.h"

#include "viewer/program/VIEW_ProgramFolderLock.h"
#include "viewer/program/VIEW_ProgramSignals.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace {

// mkdtemp's six letters after the prefix: the lock file's name is shorter.
constexpr size_t kLetters = 6;

// Another run may find a new folder before it is held, and remove it; a
// new one is made then. Rarely more than once.
constexpr int kTries = 16;

int OpenFolder(const std::string& path) { return open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); }

}  // namespace

VIEW_ProgramStaging::~VIEW_ProgramStaging() {
    if (m_fd >= 0)
        close(m_fd);
}

bool VIEW_ProgramStaging::Make(const std::string& folder) {
    Remove();
    for (int tries = 0; tries < kTries; ++tries) {
        std::string path = folder + "/" + Prefix + std::string(kLetters, 'X');
        if (!mkdtemp(&path[0]))
            return false;
        const int fd = OpenFolder(path);
        const int locked = fd < 0 ? -1 : flock(fd, LOCK_EX | LOCK_NB);
        // Held by another run that found it before this one held it, or
        // removed by it: that run removes it, and this one makes another.
        if (locked == 0 && VIEW_StillNamed(fd, path)) {
            m_fd = fd;
            m_path = path;
            return true;
        }
        const int error = errno;
        if (fd >= 0)
            close(fd);
        if (locked != 0 && error != (fd < 0 ? ENOENT : EWOULDBLOCK)) {
            rmdir(path.c_str());
            errno = error;
            return false;
        }
    }
    errno = EBUSY;
    return false;
}

void VIEW_ProgramStaging::Remove() {
    if (!m_path.empty())
        VIEW_RemoveFolderNow(m_path.c_str());
    m_path.clear();
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

void VIEW_ProgramStaging::RemoveAbandoned(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        const size_t prefix = std::strlen(Prefix);
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() == prefix + kLetters && name.compare(0, prefix, Prefix) == 0)
                names.push_back(name);
        }
        closedir(dir);
    }
    for (const std::string& name : names) {
        // A link or a file of that name is no run's.
        const std::string path = folder + "/" + name;
        const int fd = OpenFolder(path);
        if (fd < 0)
            continue;
        // Removed while held, so that a run that made it just now and holds
        // it next finds it gone.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && VIEW_StillNamed(fd, path))
            VIEW_RemoveFolderNow(path.c_str());
        close(fd);
    }
}
