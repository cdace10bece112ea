#include "viewer/program/VIEW_ProgramScratch.h"

#include "viewer/VIEW_Threads.h"
#include "viewer/program/VIEW_ProgramSignals.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

VIEW_ProgramScratch::~VIEW_ProgramScratch() { Leave(); }

bool VIEW_ProgramScratch::Enter(std::string* error) {
    const char* tmp = std::getenv("TMPDIR");
    m_hadTmpDir = tmp != nullptr;
    m_tmpDir = tmp ? tmp : "";
    std::string pattern = VIEW_AbsolutePath(m_tmpDir.empty() ? "/tmp" : m_tmpDir) + "/tintscope-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        *error = "cannot make a temporary folder in " + pattern.substr(0, pattern.rfind('/')) + ": " +
                 std::strerror(errno);
        return false;
    }
    m_path = buffer.data();
    const size_t slash = m_path.rfind('/');
    const std::string name = m_path.substr(slash + 1);
    m_parent = open(slash == 0 ? "/" : m_path.substr(0, slash).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    m_fd = m_parent < 0 ? -1
                        : openat(m_parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    // Swapped between its making and its opening: never entered.
    if (m_fd >= 0 && !VIEW_StillNamedAt(m_parent, name.c_str(), m_fd)) {
        close(m_fd);
        m_fd = -1;
        errno = EEXIST;
    }
    if (m_fd < 0) {
        *error = "cannot open the temporary folder " + m_path + ": " + std::strerror(errno);
        rmdir(m_path.c_str());
        Leave();
        return false;
    }
    VIEW_ProgramSignals::RegisterOpen(0, m_parent, name, m_fd);
    m_home = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_home < 0 || fchdir(m_fd) != 0) {
        *error = std::string("cannot enter a temporary folder: ") + std::strerror(errno);
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
