#include "viewer/program/VIEW_ProgramScratch.h"

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
    VIEW_ProgramSignals::Register(0, m_path);
    m_home = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_home < 0 || chdir(m_path.c_str()) != 0) {
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
    VIEW_RemoveFolderNow(m_path.c_str());
    VIEW_ProgramSignals::Register(0, std::string());
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
