#include "GLIB/GLIB_New.h"

#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Globals.h"

#include <new>

namespace {

void* Allocate(std::size_t size, bool array, int line, const char* file) {
    void* p = nullptr;
    try {
        p = array ? ::operator new[](size, std::nothrow) : ::operator new(size, std::nothrow);
    } catch (...) {
        p = nullptr;
    }
    if (p)
        return p;
    GLIB_Globals::Instance().OutOfMemoryHandler()(static_cast<uint32_t>(size), file, line);
    // A handler that returns cannot make a throwing allocation yield null:
    // the new-expression would construct into it.
    throw GLIB_BadAllocException(static_cast<uint32_t>(size), file, line);
}

}  // namespace

void* operator new(std::size_t size, int line, const char* file) { return Allocate(size, false, line, file); }
void* operator new[](std::size_t size, int line, const char* file) { return Allocate(size, true, line, file); }
void operator delete(void* p, int, const char*) noexcept { ::operator delete(p); }
void operator delete[](void* p, int, const char*) noexcept { ::operator delete[](p); }

void GLIB_DefaultOutOfMemoryHandler(uint32_t size, const char* file, int32_t line) {
    throw GLIB_BadAllocException(size, file, line);
}
