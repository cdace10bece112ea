// The debug log: while the host offers its debugger window, every complete
// line goes to the window and to "Debug.log" in the current folder, each
// with a time stamp "hh:mm:ss.mmm ". Lines end in CR LF; a line holds at
// most 509 characters before the one that ends it, the rest continues on
// the next stamped line.
#pragma once

#include <cstdarg>
#include <cstdint>

// The plug-in's logger (a GLIB_Logger): one record per line, "%-8.8s
// %-35.35s line %3d: %s" with the level word (0 to 3 "Error", 4 and 5
// "Warning", 6 "Trace", 7 "Debug", 8 "Info", any other "Debug") and the
// source file's base name; levels 3 and 5 also alert
// "<word> occured in <file> line <n>:\r\r<message>".
int XCHG_LogHandler(int32_t level, const char* text, const char* file, int32_t line);

// printf-style; does nothing without the debugger window. Text without a
// line feed waits for the rest of its line.
void XCHG_DebugPrint(const char* format, ...);
void XCHG_DebugVPrint(const char* format, va_list args);
// The indentation of a line: empty, as no depth is kept.
const char* XCHG_DebugIndent();
// "Error", "Warning", …, as the logger writes them.
const char* XCHG_LevelWord(int32_t level);
