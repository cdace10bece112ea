// What the separation benchmarks share: one separation of a page into a
// fresh memory document, with the heap it added, and the loop that times it
// for one depth of a page that grows with depth.
#pragma once

#include "CPDF/document/CPDF_MemoryImpl.h"
#include "separation/CSEP_PDFSeparator.h"
#include "separation/CSEP_SepJobContext.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <vector>

struct BENCH_Separated {
    CPDF_Doc doc;  // holds the ink pages while the caller looks at them
    std::vector<GLOB_Object> pages;
    double heapBytes = 0;  // what the separation left on the heap (0 under the sanitizers)
};

// Separates page with the process inks into a new memory document.
inline BENCH_Separated BENCH_SeparateIntoNewDoc(const CPDF_Page& page) {
    BENCH_Separated result{CPDF_MemoryImpl::Make(), {}, 0};
    result.doc.Create();
    CSEP_SepJobContext job;
    job.SetDocAndColorants(result.doc, {});
    const size_t before = mallinfo2().uordblks;
    CSEP_PDFSeparator separator;
    separator.SetJobContext(job);
    separator.SeparatePage(page, 0, result.pages);
    result.heapBytes = static_cast<double>(mallinfo2().uordblks) - static_cast<double>(before);
    return result;
}

// Times the separation of the page build(source, depth) makes, depth being
// the benchmark's argument. The counters give under counterName the distinct
// objects count(inkPage, seen) gathers from all ink pages, and as heapKB the
// heap one separation left, both from the last iteration.
template <class Build, class Count>
void BENCH_SeparateAtDepth(benchmark::State& state, const char* counterName, Build build, Count count) {
    const int depth = static_cast<int>(state.range(0));
    CPDF_Doc source = CPDF_MemoryImpl::Make();
    source.Create();
    const CPDF_Page page = build(source, depth);
    size_t distinct = 0;
    double heapBytes = 0;
    for (auto _ : state) {
        const BENCH_Separated separated = BENCH_SeparateIntoNewDoc(page);
        heapBytes = separated.heapBytes;
        std::vector<GLOB_Object> seen;
        for (const GLOB_Object& inkPage : separated.pages)
            count(inkPage, seen);
        distinct = seen.size();
    }
    state.SetComplexityN(depth);
    state.counters[counterName] = static_cast<double>(distinct);
    state.counters["heapKB"] = heapBytes / 1024;
}
