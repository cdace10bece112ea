// Fuzz targets: each takes one input and returns 0. Bad input may end in the
// reader's own exception (caught by the caller, FUZZ_Run); a crash, a hang, a
// sanitizer report, an assertion or any other exception is a finding.
#pragma once

#include "GLIB/GLIB_Exception.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

struct FUZZ_Target {
    const char* name;
    void (*run)(const uint8_t* data, size_t size);
    // Readers of the content model: of them only FUZZ_IsExpected exceptions
    // are expected, so that an index past the end (1125003) is a finding,
    // and a FUZZ_Finding is one too.
    bool strict = false;
};

// Every target, for the replay test and the fuzzing programs.
extern const FUZZ_Target FUZZ_AllTargets[];
extern const size_t FUZZ_NumTargets;

// Runs target on the input and swallows what a reader may throw on bad data
// (GLIB_Exception, out of memory, output beyond the fuzzing bound). For a
// strict target an exception that is not FUZZ_IsExpected, and a
// FUZZ_Finding, are printed and pass on, so that libFuzzer keeps the input
// and the replay test fails.
int FUZZ_Run(const FUZZ_Target& target, const uint8_t* data, size_t size);

// Whether e may end a reader on bad data: an exception of the content model
// (CPDF_Exception), of the object model (1151xxx) or of a filter (1130xxx).
// With validated, not a wrong-kind read (1151006), which a validator must
// not let out, nor a reader of what its validator passed.
bool FUZZ_IsExpected(const GLIB_Exception& e, bool validated = false);

// A wrong-kind read out of a validator or out of a reader of validated
// objects, thrown in its place so that no looser FUZZ_Expect around
// swallows it.
class FUZZ_Finding : public std::runtime_error {
public:
    explicit FUZZ_Finding(const GLIB_Exception& e);
    // A wrong result the target's own check found.
    explicit FUZZ_Finding(const std::string& what);
};

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

// The same for a validator, or for reads of validated objects that open no
// stream (decoding a stream may end in any object-model exception).
template <class Call>
void FUZZ_ExpectValidated(Call&& call) {
    try {
        call();
    } catch (const GLIB_Exception& e) {
        if (FUZZ_IsExpected(e, /*validated=*/true))
            return;
        if (FUZZ_IsExpected(e))
            throw FUZZ_Finding(e);
        throw;
    }
}
