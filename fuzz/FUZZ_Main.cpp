// The libFuzzer entry. The target is named by the environment variable
// FUZZ_TARGET (fuzz/run.sh sets it from the corpus folder's name).
#include "FUZZ_Targets.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A reached assertion is a finding: abort so libFuzzer saves the input.
void AbortingAssertHandler(const char* expression, const char* file, uint32_t line) {
    std::fprintf(stderr, "Assertion failed, %s, file %s, line %u\n", expression, file, line);
    std::abort();
}

const FUZZ_Target* g_target = nullptr;

const FUZZ_Target* Find(const char* name) {
    for (size_t i = 0; name && i < FUZZ_NumTargets; ++i)
        if (std::strcmp(FUZZ_AllTargets[i].name, name) == 0)
            return &FUZZ_AllTargets[i];
    std::fprintf(stderr, "Set FUZZ_TARGET to one of:");
    for (size_t i = 0; i < FUZZ_NumTargets; ++i)
        std::fprintf(stderr, " %s", FUZZ_AllTargets[i].name);
    std::fprintf(stderr, "\n");
    std::exit(2);
}

// Log lines are not findings, and writing them slows fuzzing to a crawl.
int QuietLogger(int32_t, const char*, const char*, int32_t) { return 0; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    GLIB_SetAssertHandler(AbortingAssertHandler);
    GLIB_SetLogger(QuietLogger);
    g_target = Find(std::getenv("FUZZ_TARGET"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FUZZ_Run(*g_target, data, size);
}
