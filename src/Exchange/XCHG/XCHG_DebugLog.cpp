#include "Exchange/XCHG/XCHG_DebugLog.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_DebugCalls.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "GLIB/GLIB_StringUtil.h"
#include "win32/win32.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t LineLimit = 509;

// The unfinished line and the file; the file closes with the module.
struct LogState {
    char m_line[520] = {};
    char m_indent[24] = {};
    std::FILE* m_file = nullptr;
    ~LogState() {
        if (m_file)
            std::fclose(m_file);
    }
};

LogState& State() {
    static LogState state;
    return state;
}

const char* BaseName(const char* file) {
    if (file == nullptr)
        return "";
    const char* slash = std::strrchr(file, '/');
    return slash ? slash + 1 : file;
}

void WriteLine(const char* line) {
    LogState& state = State();
    // Created by the first line; a failed open is tried again at the next.
    if (state.m_file == nullptr)
        state.m_file = std::fopen("Debug.log", "w");
    SYSTEMTIME now;
    GetLocalTime(&now);
    char clock[24];
    std::snprintf(clock, sizeof clock, "%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%.8s.%03u ", clock, static_cast<unsigned>(now.wMilliseconds));
    XCHG_DebugWindowPrint(stamp);
    XCHG_DebugWindowPrint(XCHG_DebugIndent());
    XCHG_DebugWindowPrint(line);
    if (state.m_file) {
        std::fprintf(state.m_file, "%s%s%s", stamp, XCHG_DebugIndent(), line);
        std::fflush(state.m_file);
    }
}

}  // namespace

const char* XCHG_LevelWord(int32_t level) {
    switch (level) {
    case 0: case 1: case 2: case 3: return "Error";
    case 4: case 5: return "Warning";
    case 6: return "Trace";
    case 7: return "Debug";
    case 8: return "Info";
    default: return "Debug";
    }
}

int XCHG_LogHandler(int32_t level, const char* text, const char* file, int32_t line) {
    const char* word = XCHG_LevelWord(level);
    const char* message = text ? text : "";
    char record[512];
    std::snprintf(record, sizeof record, "%-8.8s %-35.35s line %3d: %s\n", word, BaseName(file),
                  static_cast<int>(line), message);
    XCHG_DebugPrint("%s", record);
    if (level == 3 || level == 5) {
        char alert[512] = "";
        char number[16];
        std::snprintf(number, sizeof number, "%d", static_cast<int>(line));
        GLIB_StrCopy(alert, word, sizeof alert);
        GLIB_StrAppend(alert, " occured in ", sizeof alert);
        GLIB_StrAppend(alert, BaseName(file), sizeof alert);
        GLIB_StrAppend(alert, " line ", sizeof alert);
        GLIB_StrAppend(alert, number, sizeof alert);
        GLIB_StrAppend(alert, ":\r\r", sizeof alert);
        GLIB_StrAppend(alert, message, sizeof alert);
        XCHG_AVAlertNote(alert);
    }
    return 0;
}

void XCHG_DebugPrint(const char* format, ...) {
    if (gXCHG_DebuggerWindowHFT == nullptr)
        return;
    va_list args;
    va_start(args, format);
    XCHG_DebugVPrint(format, args);
    va_end(args);
}

void XCHG_DebugVPrint(const char* format, va_list args) {
    if (gXCHG_DebuggerWindowHFT == nullptr)
        return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    char* const buffer = State().m_line;
    size_t position = std::strlen(buffer);
    for (const char* c = text; *c; ++c) {
        if (*c == '\n' || position >= LineLimit) {
            if (*c != '\n')
                buffer[position++] = *c;
            buffer[position++] = '\r';
            buffer[position++] = '\n';
            buffer[position] = '\0';
            WriteLine(buffer);
            position = 0;
        } else {
            buffer[position++] = *c;
        }
    }
    buffer[position] = '\0';
}

const char* XCHG_DebugIndent() {
    const int depth = 0;
    char* const indent = State().m_indent;
    const size_t blanks = 2 * static_cast<size_t>(std::min(depth, 10));
    std::memset(indent, ' ', blanks);
    indent[blanks] = '\0';
    return indent;
}
