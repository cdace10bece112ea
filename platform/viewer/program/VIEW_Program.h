// The tintscope program's steps, run in-process by main and by tests: the
// command line, the plug-in module ZOVA.api loaded from the program's
// folder into the viewer stand-in, the page shown and separated through
// the Separations tool as a user would, and the preview, plates and
// inks.txt written.
//
// Exit codes: 0 done, 1 a run that failed (its last line names the file
// and the reason), 2 a bad command line (one line), 128 + the signal's
// number for a run stopped by SIGINT, SIGTERM or SIGHUP. Messages go to
// err, each a line starting "tintscope: "; the host's alerts and the
// plug-in's warnings go there as they come. --help writes the usage to out.
#pragma once

#include "viewer/VIEW_DrawListener.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// The name of the Separations tool button the program presses.
constexpr const char* VIEW_SeparationsButton = "VELM:ZOVA_ColorSepToolButton";

struct VIEW_ProgramSettings {
    // How long a page may take on the stand-ins' clock before progress
    // lines appear.
    uint64_t m_progressThresholdMs = 1000;
    // The largest screen side the program sets (the view window's sides
    // are cut to it as well).
    int m_screenCap = 8192;
    // Told of every drawing of the output document once the program has
    // taken its plate: tests hear the document as the stand-in drew it.
    std::function<void(const VIEW_PageDrawing&)> m_drawingHeard;
    // Told once the host is set up, before the document opens: tests set
    // the stand-ins' fault switches there.
    std::function<void()> m_hostReady;
    // Told the pixel bytes of the drawings the program holds, not yet
    // written as plates, each time it takes one.
    std::function<void(size_t)> m_plateBytesHeld;
    // How long the run may take to stop after the first signal before the
    // process ends as at a second one; 0: it waits (runs inside a process
    // that must go on).
    uint64_t m_stopBoundMs = 0;
};

// args without the program's name; programDir: the folder ZOVA.api is
// loaded from. Without out, the usage goes to stdout.
int VIEW_RunProgram(const std::vector<std::string>& args, const std::string& programDir, std::FILE* err);
int VIEW_RunProgram(const std::vector<std::string>& args, const std::string& programDir, std::FILE* err,
                    const VIEW_ProgramSettings& settings);
int VIEW_RunProgram(const std::vector<std::string>& args, const std::string& programDir, std::FILE* out,
                    std::FILE* err, const VIEW_ProgramSettings& settings);
