// Fuzz targets: each takes one input and returns 0. Bad input may end in the
// reader's own exception (caught by the caller, FUZZ_Run); a crash, a hang, a
// sanitizer report, an assertion or any other exception is a finding.
#pragma once

#include <cstddef>
#include <cstdint>

struct FUZZ_Target {
    const char* name;
    void (*run)(const uint8_t* data, size_t size);
};

// Every target, for the replay test and the fuzzing programs.
extern const FUZZ_Target FUZZ_AllTargets[];
extern const size_t FUZZ_NumTargets;

// Runs target on the input and swallows what a reader may throw on bad data
// (GLIB_Exception, out of memory, output beyond the fuzzing bound).
int FUZZ_Run(const FUZZ_Target& target, const uint8_t* data, size_t size);
