// What the separation benchmarks share: one separation of a page into a
// fresh memory document, with the heap it added.
#pragma once

#include "CPDF/document/CPDF_MemoryImpl.h"
#include "separation/CSEP_PDFSeparator.h"
#include "separation/CSEP_SepJobContext.h"

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
