#include "Exchange/XCHG/XPDF_ReportError.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_StringUtil.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "win32/win32.h"

#include <cstdio>
#include <cstring>

namespace {

XPDF_AlertHandler g_alertHandler = nullptr;

int32_t LogLevelOfAlert(int32_t kind) {
    switch (kind) {
    case 1: return GLIB_LogError;
    case 2: return GLIB_LogWarning;
    case 3: return GLIB_LogInfo;
    default: return GLIB_LogDebug;
    }
}

}  // namespace

void XPDF_Alert(int32_t kind, const char* text, bool beep) {
    if (g_alertHandler)
        g_alertHandler(kind, text, beep);
    else
        MessageBoxA(nullptr, text, "XPDF_Alert", MB_OK);
    GLIB_Log(LogLevelOfAlert(kind), text, __FILE__, __LINE__);
}

XPDF_AlertHandler XPDF_SetAlertHandler(XPDF_AlertHandler handler) {
    const XPDF_AlertHandler previous = g_alertHandler;
    g_alertHandler = handler;
    return previous;
}

void XPDF_AssertHandler(const char* expression, const char* file, uint32_t line) {
    char text[512] = "";
    char number[16];
    std::snprintf(number, sizeof number, "%u", line);
    GLIB_StrCopy(text, "Assertion failed: ", sizeof text);
    GLIB_StrAppend(text, expression ? expression : "", sizeof text);
    GLIB_StrAppend(text, ", file ", sizeof text);
    GLIB_StrAppend(text, file ? file : "", sizeof text);
    GLIB_StrAppend(text, ", line ", sizeof text);
    GLIB_StrAppend(text, number, sizeof text);
    XPDF_Alert(1, text, true);
    throw XPDF_Exception(XPDF_Exception::AssertionCode, text, file, static_cast<int32_t>(line), 0);
}

GLIB_AssertHandler XPDF_InstallAssertHandler() {
    return GLIB_SetAssertHandler(&XPDF_AssertHandler);
}

XPDF_Exception::XPDF_Exception(uint32_t code, const char* message, const char* file, int32_t line,
                               int32_t hostErrorCode)
    : GLIB_Exception(code, message, file, line), m_hostErrorCode(hostErrorCode) {
    m_text[0] = '\0';
}

XPDF_Exception::XPDF_Exception(const XPDF_Exception& other)
    : GLIB_Exception(other), m_hostErrorCode(other.m_hostErrorCode) {
    GLIB_StrCopy(m_text, other.m_text, sizeof m_text);
}

XPDF_Exception::~XPDF_Exception() = default;

const char* XPDF_Exception::HostMessage() {
    if (m_text[0] == '\0') {
        const char* known = PDFL_ASGetErrorString(m_hostErrorCode, m_text, sizeof m_text);
        if (known == nullptr || m_text[0] == '\0')
            std::snprintf(m_text, sizeof m_text, "*** Unknown error code: %ld ***",
                          static_cast<long>(m_hostErrorCode));
    }
    return m_text;
}
