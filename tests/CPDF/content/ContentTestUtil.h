// Shorthands shared by the content-model tests: paths from content text, a
// walk and a write-out of a path as text, and a check of copy-on-write that
// counts heap allocations where the sanitizers' allocator can report them.
#pragma once

#include "CPDF/CPDF_TestUtil.h"
#include "CPDF/content/CPDF_Path.h"
#include "support/GLOB_ChunkedCore.h"
#include "GLOB/GLOB_ObjectWriter.h"
#include "GLOB/GLOB_OperatorParser.h"
#include "GLOB/GLOB_StringStream.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <malloc.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*)) __attribute__((weak));

extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

// Bytes the heap holds for the program now: the sanitizer's count, else
// glibc's.
inline size_t LiveHeapBytes() {
    if (__sanitizer_get_current_allocated_bytes)
        return __sanitizer_get_current_allocated_bytes();
    return mallinfo2().uordblks;
}

// The count of heap allocations so far; null where no sanitizer reports them.
inline const size_t* Allocations() {
    static size_t count = 0;
    static const bool hooked =
        __sanitizer_install_malloc_and_free_hooks &&
        __sanitizer_install_malloc_and_free_hooks([](const volatile void*, size_t) { ++count; },
                                                  [](const volatile void*) {});
    return hooked ? &count : nullptr;
}

// A copy taken before a change keeps what it read; a value that shares its
// core is copied first, one that holds it alone changes in place. read gives
// a comparable snapshot of what change alters.
template <class T, class Change, class Read>
void ExpectCopyOnWrite(const T& start, Change change, Read read) {
    const size_t* allocations = Allocations();
#ifdef __SANITIZE_ADDRESS__
    ASSERT_NE(allocations, nullptr);
#endif
    T value(start);
    const T copy(value);
    const auto before = read(value);
    const auto changeCounted = [&] {
        const size_t from = allocations ? *allocations : 0;
        change(value);
        return allocations ? *allocations - from : 0;
    };
    const size_t shared = changeCounted();
    EXPECT_EQ(read(copy), before);
    EXPECT_EQ(read(start), before);
    EXPECT_NE(read(value), before);
    const size_t alone = changeCounted();
    if (allocations) {
        EXPECT_GT(shared, 0u);
        EXPECT_EQ(alone, 0u);
    }
}

// Builds a path from content operators m l c v y re h.
class PathBuilder : public GLOB_OperatorParser {
public:
    explicit PathBuilder(const std::string& text)
        : GLOB_OperatorParser(GLOB_Stream(new GLOB_StringStream(text)), GLOB_ObjectFactory::MemoryDoc()) {}
    bool HandleOperator() override {
        static const std::map<std::string, uint32_t> codes = {{"h", 0}, {"c", 1},  {"v", 2}, {"y", 3},
                                                              {"l", 4}, {"m", 5}, {"re", 6}};
        m_path.AddOperator(codes.at(OperatorText()), Operands());
        return true;
    }
    // Parses to the end; exceptions of AddOperator pass.
    void Run() {
        while (Parse()) {
        }
    }
    CPDF_Path m_path;
};

inline CPDF_Path PathOf(const std::string& text, const GLIB_Matrix& m = GLIB_Matrix()) {
    PathBuilder builder(text);
    builder.Run();
    builder.m_path.Transform(m);
    return builder.m_path;
}

// The walk, one segment per "|": the operator and its numbers ("re x y w h").
inline std::string Walk(const CPDF_Path& path) {
    static const char* const names[] = {"h", "c", "v", "y", "l", "m", "re"};
    static const int counts[] = {0, 6, 4, 4, 2, 2, 4};
    std::ostringstream os;
    CPDF_Path::Enumerator walk(path);
    while (walk.HasMore()) {
        const uint32_t code = walk.Next();
        GLIB_Point p[3];
        walk.Points(p[0], p[1], p[2]);
        os << (os.tellp() > 0 ? "|" : "") << names[code];
        for (int i = 0; i < counts[code]; ++i)
            os << " " << (i % 2 ? p[i / 2].Y() : p[i / 2].X());
    }
    return os.str();
}

inline std::vector<double> Corners(const GLIB_Rect& r) { return {r.Llx(), r.Lly(), r.Urx(), r.Ury()}; }

inline std::string Written(const CPDF_Path& path, bool finalClose) {
    GLOB_ChunkedCore* core = new GLOB_ChunkedCore();
    GLOB_ObjectWriter writer{GLOB_Stream(core)};
    path.Write(writer, finalClose);
    writer.Flush();
    return core->written;
}
