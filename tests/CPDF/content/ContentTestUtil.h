// Shorthands shared by the content-model tests: paths from content text, a
// walk and a write-out of a path as text, and a check of copy-on-write that
// counts heap allocations where the sanitizers' allocator can report them.
#pragma once

#include "CPDF/content/CPDF_Path.h"
#include "GLOB/GLOB_ChunkedCore.h"
#include "GLOB/GLOB_ObjectWriter.h"
#include "GLOB/GLOB_OperatorParser.h"
#include "GLOB/GLOB_StringStream.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <sstream>
#include <string>

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                                         void (*free_hook)(const volatile void*))
    __attribute__((weak));

inline size_t& AllocationCount() {
    static size_t count = 0;
    return count;
}

// Whether AllocationsOf counts: only under the sanitizers.
inline bool AllocationsCounted() {
    static const bool installed =
        __sanitizer_install_malloc_and_free_hooks != nullptr &&
        __sanitizer_install_malloc_and_free_hooks([](const volatile void*, size_t) { ++AllocationCount(); },
                                                  [](const volatile void*) {}) != 0;
    return installed;
}

// Heap allocations made while f runs.
template <class F>
size_t AllocationsOf(F f) {
    AllocationsCounted();
    const size_t before = AllocationCount();
    f();
    return AllocationCount() - before;
}

// A copy taken before a change keeps what it read; a value that shares its
// core is copied first, one that holds it alone changes in place. read gives
// a comparable snapshot of what change alters.
template <class T, class Change, class Read>
void ExpectCopyOnWrite(const T& start, Change change, Read read) {
    T value(start);
    const T copy(value);
    const auto before = read(value);
    const size_t shared = AllocationsOf([&] { change(value); });
    EXPECT_EQ(read(copy), before);
    EXPECT_EQ(read(start), before);
    EXPECT_NE(read(value), before);
    const size_t alone = AllocationsOf([&] { change(value); });
#ifdef __SANITIZE_ADDRESS__
    EXPECT_TRUE(AllocationsCounted());
#endif
    if (AllocationsCounted()) {
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

inline std::string Written(const CPDF_Path& path, bool finalClose) {
    GLOB_ChunkedCore* core = new GLOB_ChunkedCore();
    GLOB_ObjectWriter writer{GLOB_Stream(core)};
    path.Write(writer, finalClose);
    writer.Flush();
    return core->written;
}
