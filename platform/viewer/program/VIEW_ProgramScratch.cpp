#include "viewer/program/VIEW_ProgramScratch.h"

#include "viewer/VIEW_Threads.h"
#include "viewer/program/VIEW_ProgramFolderAt.h"
#include "viewer/program/VIEW_ProgramSignals.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::string CurrentFolder() {
    char here[PATH_MAX];
    return getcwd(here, sizeof here) ? std::string(here) : std::string(".");
}

}  // namespace

VIEW_ProgramScratch::~VIEW_ProgramScratch() { Leave(); }

bool VIEW_ProgramScratch::Enter(std::string* error) {
    const char* tmp = std::getenv("TMPDIR");
    m_hadTmpDir = tmp != nullptr;
    m_tmpDir = tmp ? tmp : "";
    const std::string folder = VIEW_AbsolutePath(m_tmpDir.empty() ? "/tmp" : m_tmpDir);
    m_parent = VIEW_OpenFolderBase(folder);
    const std::string name = m_parent < 0 ? std::string() : VIEW_MakeFolderAt(m_parent, "tintscope-");
    if (name.empty()) {
        *error = "cannot make a temporary folder in " + folder + ": " + std::strerror(errno);
        if (m_parent >= 0)
            close(m_parent);
        m_parent = -1;
        return false;
    }
    m_path = folder + "/" + name;
    m_fd = openat(m_parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    // Swapped between its making and its opening: never entered.
    if (m_fd >= 0 && !VIEW_StillNamedAt(m_parent, name.c_str(), m_fd)) {
        close(m_fd);
        m_fd = -1;
        errno = EEXIST;
    }
    if (m_fd < 0) {
        *error = "cannot open the temporary folder " + m_path + ": " + std::strerror(errno);
        unlinkat(m_parent, name.c_str(), AT_REMOVEDIR);
        Leave();
        return false;
    }
    VIEW_ProgramSignals::RegisterOpen(0, m_parent, name, m_fd);
    m_home = VIEW_OpenFolderBase(".");
    if (m_home < 0) {
        *error = "cannot open the current folder " + CurrentFolder() + ": " + std::strerror(errno);
        Leave();
        return false;
    }
    if (fchdir(m_fd) != 0) {
        *error = "cannot enter the temporary folder " + m_path + ": " + std::strerror(errno);
        Leave();
        return false;
    }
    setenv("TMPDIR", m_path.c_str(), 1);
    return true;
}

void VIEW_ProgramScratch::Leave() {
    if (m_path.empty())
        return;
    if (m_home >= 0) {
        // The old folder went away meanwhile: anywhere but the one removed.
        if (fchdir(m_home) != 0)
            (void)!chdir("/");
        close(m_home);
        m_home = -1;
    }
    if (m_hadTmpDir)
        setenv("TMPDIR", m_tmpDir.c_str(), 1);
    else
        unsetenv("TMPDIR");
    {
        // Out of a signal's reach before its descriptors close.
        const VIEW_SignalsBlocked blocked;
        if (m_fd >= 0)
            VIEW_RemoveOpenFolder(m_parent, m_path.substr(m_path.rfind('/') + 1).c_str(), m_fd);
        VIEW_ProgramSignals::RegisterOpen(0, -1, std::string(), -1);
    }
    for (int* fd : {&m_fd, &m_parent}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
    m_path.clear();
}

std::string VIEW_AbsolutePath(const std::string& path) {
    if (path.empty() || path[0] == '/')
        return path;
    char here[PATH_MAX];
    if (!getcwd(here, sizeof here))
        return path;
    return std::string(here) + "/" + path;
}
