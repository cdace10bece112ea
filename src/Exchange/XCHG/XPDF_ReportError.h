// Alerts and failed assertions of the plug-in: XPDF_Alert shows through the
// installed alert handler (a message box "XPDF_Alert" before one is
// installed) and logs; a failed assertion alerts and throws XPDF_Exception,
// which the callback guard raises to the host.
#pragma once

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"

#include <cstdint>

// Alert kinds: 1 error, 2 warning, 3 information.
using XPDF_AlertHandler = void (*)(int32_t kind, const char* text, bool beep);

// Shows text, then logs it: kind 1 at level 2, 2 at 4, 3 at 8, others at 7.
void XPDF_Alert(int32_t kind, const char* text, bool beep);
// Installs handler (null: message boxes) and returns the previous one.
XPDF_AlertHandler XPDF_SetAlertHandler(XPDF_AlertHandler handler);

// Alerts "Assertion failed: <expression>, file <file>, line <line>" and
// throws XPDF_Exception 1059502 with that text; never returns.
void XPDF_AssertHandler(const char* expression, const char* file, uint32_t line);
// Installs XPDF_AssertHandler as the assertion handler; returns the previous.
GLIB_AssertHandler XPDF_InstallAssertHandler();

class XPDF_Exception : public GLIB_Exception {
public:
    static constexpr uint32_t AssertionCode = 1059502;

    XPDF_Exception(uint32_t code, const char* message, const char* file, int32_t line,
                   int32_t hostErrorCode);
    XPDF_Exception(const XPDF_Exception& other);
    XPDF_Exception& operator=(const XPDF_Exception&) = delete;
    ~XPDF_Exception() override;

    int32_t HostErrorCode() const { return m_hostErrorCode; }
    // The host's text for the host error code, asked for once; a code the
    // host does not know reads "*** Unknown error code: <code> ***".
    virtual const char* HostMessage();

private:
    int32_t m_hostErrorCode;
    char m_text[513];
};
