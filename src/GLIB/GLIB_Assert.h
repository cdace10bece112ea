// Assertions are for programming errors only; input faults are thrown.
#pragma once

#include "GLIB/GLIB_MessageStream.h"

#include <cstdint>

using GLIB_AssertHandler = void (*)(const char* expression, const char* file, uint32_t line);

// Calls the installed handler; the default one never returns.
void GLIB_AssertFailed(const char* expression, const char* file, uint32_t line);
// Installs handler (null: the default) and returns the previous one.
GLIB_AssertHandler GLIB_SetAssertHandler(GLIB_AssertHandler handler);
// Logs at level 1, prints "Assertion failed, …" to stderr, breaks into an
// attached debugger, and exits with code 1.
void GLIB_DefaultAssertHandler(const char* expression, const char* file, uint32_t line);

#define GLIB_ASSERT(cond)                                               \
    do {                                                                \
        if (!(cond))                                                    \
            GLIB_AssertFailed(#cond, __FILE__, __LINE__);               \
    } while (0)

// Asserts a comparison and reports both operands' values.
#define GLIB_ASSERT_CMP(a, op, b)                                       \
    do {                                                                \
        const auto& glibA_ = (a);                                       \
        const auto& glibB_ = (b);                                       \
        if (!(glibA_ op glibB_)) {                                      \
            GLIB_MessageStream glibMs_;                                 \
            GLIB_COMPARISON_TEXT_(glibMs_, a, op, b, glibA_, glibB_);   \
            glibMs_.Assert(__FILE__, __LINE__);                         \
        }                                                               \
    } while (0)

// A bound check whose failure throws GLIB_Exception 1125003 instead.
#define GLIB_CHECK_BOUND(a, op, b)                                      \
    do {                                                                \
        const auto& glibA_ = (a);                                       \
        const auto& glibB_ = (b);                                       \
        if (!(glibA_ op glibB_)) {                                      \
            GLIB_MessageStream glibMs_;                                 \
            GLIB_COMPARISON_TEXT_(glibMs_, a, op, b, glibA_, glibB_);   \
            throw GLIB_Exception(GLIB_BoundCheckCode, glibMs_.str(),    \
                                 __FILE__, __LINE__);                   \
        }                                                               \
    } while (0)

// Throws exception type E(code, message, file, line) with a composed message:
//   GLIB_THROW(GLIB_Exception, 1130010, "FILT_FlateDecode: " << zError(rc));
#define GLIB_THROW(E, code, pieces)                                     \
    do {                                                                \
        GLIB_MessageStream glibMs_;                                     \
        glibMs_ << pieces;                                              \
        throw E((code), glibMs_.str(), __FILE__, __LINE__);             \
    } while (0)
