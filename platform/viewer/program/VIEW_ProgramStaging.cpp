#include "viewer/program/VIEW_ProgramStaging.h"

#include "viewer/VIEW_Threads.h"
#include "viewer/program/VIEW_ProgramFolderAt.h"
#include "viewer/program/VIEW_ProgramSignals.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace {

VIEW_ProgramStaging::RemoveHook g_removeHook = nullptr;

// VIEW_MakeFolderAt's six letters after the prefix: the lock file's name
// is shorter.
constexpr size_t kLetters = 6;

// Another run may find a new folder before it is held, and remove it; a
// new one is made then. Rarely more than once.
constexpr int kTries = 16;

int OpenStaging(int parent, const std::string& name) {
    return openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

void RemoveHeld(int parent, const std::string& name, int fd, const std::string& path) {
    if (g_removeHook)
        g_removeHook(path);
    VIEW_RemoveOpenFolder(parent, name.c_str(), fd);
}

}  // namespace

VIEW_ProgramStaging::~VIEW_ProgramStaging() { Close(); }

bool VIEW_ProgramStaging::Make(int folder, const std::string& path) {
    Remove();
    const int parent = fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (parent < 0)
        return false;
    for (int tries = 0; tries < kTries; ++tries) {
        const std::string name = VIEW_MakeFolderAt(parent, Prefix);
        if (name.empty())
            break;
        const int fd = OpenStaging(parent, name);
        const int locked = fd < 0 ? -1 : flock(fd, LOCK_EX | LOCK_NB);
        // Held by another run that found it before this one held it, or
        // removed by it: that run removes it, and this one makes another.
        if (locked == 0 && VIEW_StillNamedAt(parent, name.c_str(), fd)) {
            m_parent = parent;
            m_fd = fd;
            m_name = name;
            m_path = path + "/" + name;
            return true;
        }
        const int error = errno;
        if (fd >= 0)
            close(fd);
        if (locked != 0 && error != (fd < 0 ? ENOENT : EWOULDBLOCK)) {
            unlinkat(parent, name.c_str(), AT_REMOVEDIR);
            errno = error;
            break;
        }
        errno = EBUSY;
    }
    const int error = errno;
    close(parent);
    errno = error;
    return false;
}

void VIEW_ProgramStaging::RegisterForSignals(int slot) {
    if (m_fd < 0)
        return;
    m_slot = slot;
    VIEW_ProgramSignals::RegisterOpen(slot, m_parent, m_name, m_fd);
}

void VIEW_ProgramStaging::Remove() {
    if (m_fd < 0)
        return;
    // Out of a signal's reach before its descriptors close.
    const VIEW_SignalsBlocked blocked;
    RemoveHeld(m_parent, m_name, m_fd, m_path);
    Close();
}

void VIEW_ProgramStaging::Close() {
    if (m_slot >= 0)
        VIEW_ProgramSignals::RegisterOpen(m_slot, -1, std::string(), -1);
    m_slot = -1;
    for (int* fd : {&m_fd, &m_parent}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
    m_name.clear();
    m_path.clear();
}

void VIEW_ProgramStaging::RemoveAbandoned(int parent, const std::string& path) {
    std::vector<std::string> names;
    // A drop box cannot be listed: then nothing is found.
    const int listed = openat(parent, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (DIR* dir = listed >= 0 ? fdopendir(listed) : nullptr) {
        const size_t prefix = std::strlen(Prefix);
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() == prefix + kLetters && name.compare(0, prefix, Prefix) == 0)
                names.push_back(name);
        }
        closedir(dir);
    } else if (listed >= 0) {
        close(listed);
    }
    for (const std::string& name : names) {
        // A link or a file of that name is no run's.
        const int fd = OpenStaging(parent, name);
        if (fd < 0)
            continue;
        // Removed while held, so that a run that made it just now and holds
        // it next finds it gone.
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && VIEW_StillNamedAt(parent, name.c_str(), fd))
            RemoveHeld(parent, name, fd, path + "/" + name);
        close(fd);
    }
}

void VIEW_ProgramStaging::SetRemoveHook(RemoveHook hook) { g_removeHook = hook; }
