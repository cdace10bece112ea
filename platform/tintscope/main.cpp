// The tintscope program: its steps live in the viewer library
// (VIEW_RunProgram), so that tests run them in-process.
#include "viewer/program/VIEW_Program.h"

#include <climits>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The folder of the running program, where ZOVA.api lies beside it.
std::string ProgramDir(const char* argv0) {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string self = n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string(argv0);
    const size_t slash = self.rfind('/');
    return slash == std::string::npos ? "." : self.substr(0, slash);
}

}  // namespace

int main(int argc, char** argv) {
    VIEW_ProgramSettings settings;
    // Stop within about a second, whatever the drawing is inside.
    settings.m_stopBoundMs = 1000;
    // A test hook: progress lines from the page's start, so that a test
    // knows what the run is inside.
    if (const char* ms = std::getenv("TINTSCOPE_PROGRESS_MS"))
        settings.m_progressThresholdMs = std::strtoull(ms, nullptr, 10);
    return VIEW_RunProgram(std::vector<std::string>(argv + 1, argv + argc), ProgramDir(argv[0]), stdout, stderr,
                           settings);
}
