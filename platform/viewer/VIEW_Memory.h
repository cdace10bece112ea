// The host's memory (AcroSupport slots 1 and 3): blocks of the C heap, and
// a switch under which allocation answers null, as a host out of memory
// does.
#pragma once

#include <cstddef>

class VIEW_Memory {
public:
    // Slot 1: a block of size bytes, or null while allocations fail.
    static void* Allocate(size_t size);
    // Slot 3: frees a block of slot 1 or a text of slot 22; null is ignored.
    static void Free(void* block);

    static void FailAllocations(bool fail);
    static void Reset();  // allocations succeed again
};
