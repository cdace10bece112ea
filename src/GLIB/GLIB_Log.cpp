#include "GLIB/GLIB_Log.h"

#include "GLIB/GLIB_CodePage.h"
#include "GLIB/GLIB_Globals.h"
#include "win32/win32.h"

#include <exception>
#include <iostream>
#include <string>

const char* GLIB_LogLevelName(int32_t level) {
    static const char* const names[] = {"FATAL",   "ASSERT",         "ERROR", "ERROR TOUSER",
                                        "WARNING", "WARNING TOUSER", "TRACE", "DEBUG"};
    return level >= 0 && level < 8 ? names[level] : "INFO";
}

void GLIB_Log(int32_t level, const char* text, const char* file, int32_t line) {
    // A round trip through wide characters would make U+FFFD of them.
    GLIB_Globals::Instance().Logger()(level, text ? text : "", file, line);
    if (level == GLIB_LogFatal)
        std::terminate();
}

void GLIB_LogWide(int32_t level, const wchar_t* text, const char* file, int32_t line) {
    std::string narrow;
    GLIB_ToNarrowString(narrow, text ? text : L"");
    GLIB_Globals::Instance().Logger()(level, narrow.c_str(), file, line);
    if (level == GLIB_LogFatal)
        std::terminate();
}

GLIB_Logger GLIB_SetLogger(GLIB_Logger logger) {
    const GLIB_Logger previous = GLIB_Globals::Instance().Logger();
    GLIB_Globals::Instance().SetLogger(logger);
    return previous;
}

int GLIB_DefaultLogger(int32_t level, const char* text, const char* file, int32_t line) {
    const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info;
    const bool isConsole = GetConsoleScreenBufferInfo(console, &info) != FALSE;
    if (isConsole) {
        WORD colour = 10;
        if (level >= 0 && level <= 3)
            colour = 12;
        else if (level == 4 || level == 5)
            colour = 14;
        else if (level == 6 || level == 7)
            colour = 7;
        SetConsoleTextAttribute(console, static_cast<WORD>((info.wAttributes & 0xFFF0) | colour));
    }
    std::cerr << GLIB_LogLevelName(level) << ": " << (file ? file : "") << "(" << line
              << "): " << (text ? text : "") << std::endl;
    std::cerr.flush();
    if (isConsole)
        SetConsoleTextAttribute(console, info.wAttributes);
    return 0;
}
