#include "Exchange/XCHG/XCHG_ReportHandlers.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_DebugLog.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "Exchange/XCHG/XPDF_ReportError.h"
#include "GLIB/GLIB_Log.h"
#include "hostpdf/PDFL_ExceptionHandler.h"

#include <cstdio>

void XCHG_InstallReportHandlers() {
    GLIB_SetLogger(&XCHG_LogHandler);
    XPDF_InstallAssertHandler();
    XPDF_SetAlertHandler(&XCHG_AlertHandler);
    PDFL_SetOutOfMemoryLogger(&XCHG_OutOfMemoryReporter);
    PDFL_SetSystemExceptionLogger(&XCHG_SystemExceptionReporter);
    PDFL_SetExceptionLogger(&XCHG_ExceptionReporter);
}

void XCHG_AlertHandler(int32_t kind, const char* text, bool beep) {
    XCHG_AVAlert(kind, text, "OK", nullptr, nullptr, beep ? 1 : 0);
}

void XCHG_OutOfMemoryReporter(const char*, const char*) {
    if (PDFL_CallbackLevel() != 1)
        return;
    char text[512];
    XCHG_AVAlertNote(XCHG_LoadString(20017, text, sizeof text));
}

void XCHG_SystemExceptionReporter(const char* className, const char* methodName) {
    char format[256];
    char text[512];
    XCHG_LoadString(20016, format, sizeof format);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(text, sizeof text, format, className, methodName);
#pragma GCC diagnostic pop
    XCHG_AVAlertNote(text);
}

void XCHG_ExceptionReporter(const GLIB_Exception& exception, const char* className,
                            const char* methodName) {
    if (PDFL_CallbackLevel() != 1)
        return;
    char format[256];
    if (exception.Code() == GLIB_OutOfMemoryCode) {
        XCHG_AVAlertNote(XCHG_LoadString(20017, format, sizeof format));
        return;
    }
    char text[512];
    XCHG_LoadString(20014, format, sizeof format);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(text, sizeof text, format, className, methodName, exception.What(),
                  static_cast<int>(exception.Code()));
#pragma GCC diagnostic pop
    XCHG_AVAlertNote(text);
}
