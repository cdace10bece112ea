#include "GLIB/GLIB_Assert.h"

#include "GLIB/GLIB_Log.h"
#include "win32/win32.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
GLIB_AssertHandler g_assertHandler = GLIB_DefaultAssertHandler;
}

void GLIB_AssertFailed(const char* expression, const char* file, uint32_t line) {
    g_assertHandler(expression, file, line);
}

GLIB_AssertHandler GLIB_SetAssertHandler(GLIB_AssertHandler handler) {
    const GLIB_AssertHandler previous = g_assertHandler;
    g_assertHandler = handler ? handler : GLIB_DefaultAssertHandler;
    return previous;
}

void GLIB_DefaultAssertHandler(const char* expression, const char* file, uint32_t line) {
    const std::string text = std::string(expression ? expression : "") + "in " + (file ? file : "") +
                             ":" + std::to_string(line);
    GLIB_Log(GLIB_LogAssert, text.c_str(), "GLIB_assert", __LINE__);
    std::fprintf(stderr, "Assertion failed, %s, file %s, line %u\n", expression, file, line);
    std::fflush(stderr);
    if (IsDebuggerPresent())
        DebugBreak();
    std::exit(1);
}
