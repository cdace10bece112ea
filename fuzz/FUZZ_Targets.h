// Fuzz targets: each takes one input and returns 0. Bad input may end in the
// reader's own exception (caught by the caller, FUZZ_Run); a crash, a hang, a
// sanitizer report, an assertion or any other exception is a finding.
#pragma once

#include "GLIB/GLIB_Exception.h"

#include <cstddef>
#include <cstdint>

struct FUZZ_Target {
    const char* name;
    void (*run)(const uint8_t* data, size_t size);
    // Readers of the content model: of them only FUZZ_IsExpected exceptions
    // are expected, so that an index past the end or a read of the wrong
    // kind, which a validator should have caught, is a finding.
    bool strict = false;
};

// Every target, for the replay test and the fuzzing programs.
extern const FUZZ_Target FUZZ_AllTargets[];
extern const size_t FUZZ_NumTargets;

// Runs target on the input and swallows what a reader may throw on bad data
// (GLIB_Exception, out of memory, output beyond the fuzzing bound). For a
// strict target an exception that is not FUZZ_IsExpected is printed and
// passes on, so that libFuzzer keeps the input and the replay test fails.
int FUZZ_Run(const FUZZ_Target& target, const uint8_t* data, size_t size);

// An exception of the content model (CPDF_Exception), of the object model
// (1151xxx) other than a wrong kind (1151006), or of a filter (1130xxx).
bool FUZZ_IsExpected(const GLIB_Exception& e);

// Runs call; an exception FUZZ_IsExpected allows ends the call alone, so a
// target goes on with its next reader.
template <class Call>
void FUZZ_Expect(Call&& call) {
    try {
        call();
    } catch (const GLIB_Exception& e) {
        if (!FUZZ_IsExpected(e))
            throw;
    }
}
