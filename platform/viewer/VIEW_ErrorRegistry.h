// Registered error texts (AcroSupport slots 4 and 5): every registration
// gives a new code, even for a text registered before. A failed file
// operation's code (VIEW_FileErrorCode) has the system's words for its
// errno; any other code never registered has the empty text.
#pragma once

#include "viewer/host_api.h"

#include <string>

class VIEW_ErrorRegistry {
public:
    static PDFL_ErrorCode Register(uint16_t severity, const char* text);
    // The text, or empty for a code never registered nor of a file.
    static std::string Text(PDFL_ErrorCode code);
    // The severity, or -1 for a code never registered.
    static int32_t Severity(PDFL_ErrorCode code);
    // Copies the text into buffer (cut to size - 1 bytes, terminated) and
    // returns buffer; a buffer of no bytes is left alone.
    static const char* CopyText(PDFL_ErrorCode code, char* buffer, int32_t size);
    static void Reset();
};
