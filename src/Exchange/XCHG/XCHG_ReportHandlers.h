// The plug-in's reporting, installed at Initialize: the debug-log logger,
// the alerting assertion handler, host alerts for XPDF_Alert, and the
// callback guard's reporters, which show the framework's strings.
#pragma once

#include "GLIB/GLIB_Exception.h"

#include <cstdint>

// In this order: XCHG_LogHandler, XPDF_AssertHandler, XCHG_AlertHandler,
// then the out-of-memory, system-exception and exception reporters.
void XCHG_InstallReportHandlers();

// AVAlert with icon = kind, text, one "OK" button and the beep flag.
void XCHG_AlertHandler(int32_t kind, const char* text, bool beep);

// At callback level 1 only: string 20017.
void XCHG_OutOfMemoryReporter(const char* className, const char* methodName);
// At every level: string 20016 with (class, method).
void XCHG_SystemExceptionReporter(const char* className, const char* methodName);
// At callback level 1 only: 20017 for out of memory (1125002), else 20014
// with (class, method, developer message, code).
void XCHG_ExceptionReporter(const GLIB_Exception& exception, const char* className,
                            const char* methodName);
