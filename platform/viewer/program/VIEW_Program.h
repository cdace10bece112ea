// The tintscope program's steps, run in-process by main and by tests: the
// command line, the plug-in module ZOVA.api loaded from the program's
// folder into the viewer stand-in, and its Separations tool found.
//
// Exit codes: 0 done, 1 a run that failed (one line naming the reason), 2
// a bad command line (one line). Messages go to err, each a line starting
// "tintscope: ".
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The name of the Separations tool button the program presses.
constexpr const char* VIEW_SeparationsButton = "VELM:ZOVA_ColorSepToolButton";

// args without the program's name; programDir: the folder ZOVA.api is
// loaded from.
int VIEW_RunProgram(const std::vector<std::string>& args, const std::string& programDir, std::FILE* err);
