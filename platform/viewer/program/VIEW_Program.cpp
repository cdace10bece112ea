#include "viewer/program/VIEW_Program.h"

#include "viewer/VIEW_Atoms.h"
#include "viewer/VIEW_Loader.h"
#include "viewer/VIEW_Toolbar.h"
#include "viewer/program/VIEW_ProgramArgs.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int Say(std::FILE* err, int code, const std::string& line) {
    std::fprintf(err, "tintscope: %s\n", line.c_str());
    return code;
}

}  // namespace

int VIEW_RunProgram(const std::vector<std::string>& args, const std::string& programDir, std::FILE* err) {
    VIEW_ProgramArgs parsed;
    std::string error;
    if (!VIEW_ParseProgramArgs(args, &parsed, &error))
        return Say(err, kExitUsage, error);

    const std::string module = programDir + "/ZOVA.api";
    if (access(module.c_str(), R_OK) != 0)
        return Say(err, kExitFailed, "cannot load " + module + ": " + std::strerror(errno));
    VIEW_Loader loader;
    if (!loader.Load(module).Loaded())
        return Say(err, kExitFailed, module + " did not load into the viewer");
    const PDFL_AVToolBar toolBar = VIEW_Toolbar::MainToolBar();
    if (!toolBar || !VIEW_Toolbar::ButtonByName(toolBar, VIEW_Atoms::FromString(VIEW_SeparationsButton))) {
        loader.Unload();
        return Say(err, kExitFailed, module + " has no tool button \"" + VIEW_SeparationsButton + "\"");
    }
    loader.Unload();
    return Say(err, kExitFailed, "the Separations tool of " + module + " is not driven by this build yet");
}
