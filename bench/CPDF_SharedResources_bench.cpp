// The spot inks of a page (CPDF_ResourcesDict::CollectSpotColorants) whose
// forms share their resources, at 10, 100 and 1,000 forms:
// - BM_SpotInksOfFormsSharingResources: every form's "Resources" is one
//   dictionary, whose list of forms names every form (as producers that
//   give every form the page's resources write them);
// - BM_SpotInksOfFormsNamingThoseBefore: each form's resources of its own
//   name every form before it, in a list of their own, and an ink of its own
//   (a real file's shape: 270 such forms).
// The counters give the dictionaries the walk lists and the inks found.
#include "CPDF/color/CPDF_Colorant.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"

#include <benchmark/benchmark.h>

#include <list>
#include <string>
#include <vector>

namespace {

std::string Separation(int ink) {
    return "[/Separation /Ink" + std::to_string(ink) +
           " /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0 1 0] /N 1 >>]";
}

GLOB_Object Form(const GLOB_Doc& doc, const GLOB_Object& resources) {
    const GLOB_Object dict = doc.ParseObject("<< /Type /XObject /Subtype /Form /BBox [0 0 9 9] >>");
    dict.PutPath("Resources", resources);
    return doc.NewStream(GLOB_Stream(new GLOB_StringStream("0 0 9 9 re f")), 1, dict, GLOB_Object(), -1);
}

GLOB_Object Named(const GLOB_Doc& doc, const std::vector<GLOB_Object>& forms, size_t count) {
    const GLOB_Object list = doc.NewDict(0, false);
    for (size_t i = 0; i < count; ++i)
        list.PutPath(("Fm" + std::to_string(i)).c_str(), forms[i]);
    return list;
}

GLOB_Object SharingResources(const GLOB_Doc& doc, int forms) {
    const GLOB_Object shared = doc.NewDict(0, true);
    shared.PutPath("ColorSpace", doc.ParseObject(("<< /CS0 " + Separation(0) + " /CS1 " + Separation(1) + " >>").c_str()));
    std::vector<GLOB_Object> all;
    for (int i = 0; i < forms; ++i)
        all.push_back(Form(doc, shared));
    shared.PutPath("XObject", Named(doc, all, all.size()));
    const GLOB_Object page = doc.NewDict(0, true);
    page.PutPath("XObject", Named(doc, all, all.size()));
    return page;
}

GLOB_Object NamingThoseBefore(const GLOB_Doc& doc, int forms) {
    std::vector<GLOB_Object> all;
    for (int i = 0; i < forms; ++i) {
        const GLOB_Object resources =
            doc.ParseObject(("<< /ColorSpace << /CS0 " + Separation(i) + " >> >>").c_str());
        resources.PutPath("XObject", Named(doc, all, all.size()));
        all.push_back(Form(doc, resources));
    }
    const GLOB_Object page = doc.NewDict(0, true);
    page.PutPath("XObject", Named(doc, all, all.size()));
    return page;
}

void Run(benchmark::State& state, GLOB_Object (*make)(const GLOB_Doc&, int)) {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%PDF-1.7", 0);
    const CPDF_ResourcesDict resources(make(doc, static_cast<int>(state.range(0))));
    size_t inks = 0;
    for (auto _ : state) {
        std::vector<CPDF_Colorant> colorants;
        resources.CollectSpotColorants(&colorants, /*thisDictOnly=*/false, /*clearFirst=*/false);
        inks = colorants.size();
        benchmark::DoNotOptimize(colorants.data());
    }
    std::list<CPDF_ResourcesDict> listed;
    resources.AppendWithNested(listed, CPDF_ResourcesDict::OwnerAll);
    state.counters["dicts"] = static_cast<double>(listed.size());
    state.counters["inks"] = static_cast<double>(inks);
}

void BM_SpotInksOfFormsSharingResources(benchmark::State& state) { Run(state, SharingResources); }
BENCHMARK(BM_SpotInksOfFormsSharingResources)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_SpotInksOfFormsNamingThoseBefore(benchmark::State& state) { Run(state, NamingThoseBefore); }
BENCHMARK(BM_SpotInksOfFormsNamingThoseBefore)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
