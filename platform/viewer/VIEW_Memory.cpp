#include "viewer/VIEW_Memory.h"

#include <cstdlib>

namespace {

bool g_failing = false;

}  // namespace

void* VIEW_Memory::Allocate(size_t size) {
    if (g_failing)
        return nullptr;
    // A block of no bytes is still a block the caller may free.
    return std::malloc(size ? size : 1);
}

void VIEW_Memory::Free(void* block) {
    std::free(block);
}

void VIEW_Memory::FailAllocations(bool fail) {
    g_failing = fail;
}

void VIEW_Memory::Reset() {
    g_failing = false;
}
