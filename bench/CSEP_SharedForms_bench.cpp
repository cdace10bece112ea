// One page separated whose form names the form below it twice and draws it
// three times, level after level, down to a form that paints in a colour of
// its own: 2^depth paths to 1 + depth distinct forms. Each depth runs as its
// own benchmark; Google Benchmark fits the time against the depth (the
// complexity line printed last), and the counters give the separated forms
// the output holds and the heap still in use once the page is made, so one
// level more shows as one more form's work.
#include "CPDF/document/CPDF_MemoryImpl.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_StringStream.h"

#include "BENCH_Separation.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

GLOB_Object Form(const CPDF_Doc& doc, const char* content, const GLOB_Object& below) {
    const GLOB_Object dict = doc.ParseObject("<< /Subtype /Form /BBox [0 0 9 9] /Resources << /XObject << >> >> >>");
    const GLOB_Object form =
        doc.NewStream(GLOB_Stream(new GLOB_StringStream(content)), 1, dict, GLOB_Object(), -1);
    if (!below.IsNull()) {
        form.PutPath("/Resources/XObject/A", below);
        form.PutPath("/Resources/XObject/B", below);
    }
    return form;
}

CPDF_Page SharedFormsPage(const CPDF_Doc& doc, int depth) {
    CPDF_Page page = doc.CreatePage(0, GLIB_Rect(0, 0, 9, 9));
    page.SetResources(doc.ParseObject("<< /XObject << >> >>"));
    page.SetContents(doc.NewStream(GLOB_Stream(new GLOB_StringStream("/F Do")), 1, GLOB_Object(), GLOB_Object(), -1));
    GLOB_Object next = Form(doc, "0 1 0 0 k 0 0 9 9 re f", GLOB_Object());
    for (int level = 0; level < depth; ++level)
        next = Form(doc, "/A Do /B Do /A Do", next);
    page.Object().PutPath("/Resources/XObject/F", next);
    return page;
}

// The distinct forms reached from a resource dictionary.
void CountForms(const GLOB_Object& resources, std::vector<GLOB_Object>& seen) {
    const GLOB_Object xobjects = resources.IsDict() ? resources.DictGet(GLOB_Name("XObject")) : GLOB_Object();
    if (!xobjects.IsDict())
        return;
    const GLOB_Dict entries = xobjects.AsDict();
    GLOB_Object form;
    for (uint32_t k = 0; entries.Entry(k, nullptr, &form); ++k) {
        if (std::find(seen.begin(), seen.end(), form) != seen.end())
            continue;
        seen.push_back(form);
                              CountForms(form.DictGet(GLOB_Name("Resources")), seen);
    }
}

void BM_SeparateSharedForms(benchmark::State& state) {
    BENCH_SeparateAtDepth(state, "forms", SharedFormsPage,
                          [](const GLOB_Object& inkPage, std::vector<GLOB_Object>& seen) {
                              CountForms(inkPage.DictGet(GLOB_Name("Resources")), seen);
                          });
}
BENCHMARK(BM_SeparateSharedForms)->DenseRange(4, 24, 4)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
