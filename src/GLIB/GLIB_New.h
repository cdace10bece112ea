// Allocation of the system's own objects with source file and line. When
// memory runs out the handler of GLIB_Globals gets (size, file, line); the
// default throws GLIB_BadAllocException. Released by the ordinary delete.
#pragma once

#include <cstddef>
#include <cstdint>

void* operator new(std::size_t size, int line, const char* file);
void* operator new[](std::size_t size, int line, const char* file);
// Called only when a constructor throws after the allocation.
void operator delete(void* p, int line, const char* file) noexcept;
void operator delete[](void* p, int line, const char* file) noexcept;

#define GLIB_NEW new (__LINE__, __FILE__)

using GLIB_OutOfMemoryHandler = void (*)(uint32_t size, const char* file, int32_t line);

// Throws GLIB_BadAllocException(size, file, line).
void GLIB_DefaultOutOfMemoryHandler(uint32_t size, const char* file, int32_t line);
