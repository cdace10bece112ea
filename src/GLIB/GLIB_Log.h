// Levelled logging through one replaceable logger (held by GLIB_Globals).
#pragma once

#include "GLIB/GLIB_MessageStream.h"

#include <cstdint>

enum GLIB_LogLevel : int32_t {
    GLIB_LogFatal = 0,        // the process ends after the logger returns
    GLIB_LogAssert = 1,
    GLIB_LogError = 2,
    GLIB_LogErrorToUser = 3,
    GLIB_LogWarning = 4,
    GLIB_LogWarningToUser = 5,
    GLIB_LogTrace = 6,
    GLIB_LogDebug = 7,
    GLIB_LogInfo = 8,         // trace output of the lexer and the filter pipe
};

using GLIB_Logger = int (*)(int32_t level, const char* text, const char* file, int32_t line);

// "FATAL", "ASSERT", …, "INFO" for any level outside 0 to 7.
const char* GLIB_LogLevelName(int32_t level);

// Both entries call the installed logger with narrow text; level 0 then
// terminates the process. GLIB_LogWide passes its text through the ANSI
// code page; GLIB_Log hands its text on as it stands, so that a document's
// bytes that are not UTF-8 reach the logger as they were.
void GLIB_Log(int32_t level, const char* text, const char* file, int32_t line);
void GLIB_LogWide(int32_t level, const wchar_t* text, const char* file, int32_t line);

// Installs logger (null: the default) and returns the previous one.
GLIB_Logger GLIB_SetLogger(GLIB_Logger logger);
// Writes "NAME: file(line): text" to stderr, coloured on a console.
int GLIB_DefaultLogger(int32_t level, const char* text, const char* file, int32_t line);

//   GLIB_LOG(GLIB_LogWarning, "Failed to delete file '" << path << "'");
#define GLIB_LOG(level, pieces)                                         \
    do {                                                                \
        GLIB_MessageStream glibMs_;                                     \
        glibMs_ << pieces;                                              \
        glibMs_.Log((level), __FILE__, __LINE__);                       \
    } while (0)
