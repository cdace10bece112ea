// One page separated whose axial DeviceCMYK shading takes its colour from a
// stitching tree that names each level's function twice, ending in a Flate
// sampled function of 65,535 points: 2^depth paths to 1 + depth distinct
// functions. Each depth runs as its own benchmark; Google Benchmark fits
// the time against the depth (the complexity line printed last), and the
// counters give the slices the output holds and the heap still in use once
// the page is made, so one level more shows as one more function's work.
#include "CPDF/document/CPDF_MemoryImpl.h"
#include "GLOB/GLOB_StringStream.h"

#include "BENCH_Separation.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int Points = 65535;

// Four outputs per point, as a CMYK ramp.
std::string Samples() {
    std::string samples;
    for (int i = 0; i < Points; ++i) {
        const double t = static_cast<double>(i) / (Points - 1);
        for (double tint : {t, 1 - t, 4 * t * (1 - t), 0.3 * t})
            samples += static_cast<char>(static_cast<int>(tint * 255 + 0.5));
    }
    return samples;
}

CPDF_Page SharedTreePage(const CPDF_Doc& doc, int depth) {
    CPDF_Page page = doc.CreatePage(0, GLIB_Rect(0, 0, 200, 200));
    page.SetResources(doc.ParseObject("<< /Shading << /Sh1 << /ShadingType 2 /ColorSpace /DeviceCMYK "
                                      "/Coords [20 0 180 0] >> >> >>"));
    page.SetContents(doc.NewStream(GLOB_Stream(new GLOB_StringStream("/Sh1 sh")), 1, GLOB_Object(), GLOB_Object(), -1));
    GLOB_Object next = doc.NewStream(GLOB_Stream(new GLOB_StringStream(Samples())), 0,
                                     doc.ParseObject("<< /FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] "
                                                     "/Size [65535] /BitsPerSample 8 /Filter /FlateDecode >>"),
                                     GLOB_Object(), -1);
    for (int level = 0; level < depth; ++level) {
        const GLOB_Object stitching = doc.MakeCosObj(
            doc.ParseObject("<< /FunctionType 3 /Domain [0 1] /Bounds [0.5] /Encode [0 0.5 0.5 1] /Functions [0 0] >>"),
            0x01);
        stitching.GetPath("Functions").ArrayPut(0, next);
        stitching.GetPath("Functions").ArrayPut(1, next);
        next = stitching;
    }
    page.Object().GetPath("/Resources/Shading/Sh1").DictPut(GLOB_Name("Function"), next);
    return page;
}

// The distinct objects reached from object through "Function" and
// "Functions".
void CountSlices(const GLOB_Object& object, std::vector<GLOB_Object>& seen) {
    if (!object.IsDict() && !object.IsStream())
        return;
    if (std::find(seen.begin(), seen.end(), object) != seen.end())
        return;
    seen.push_back(object);
    const GLOB_Object functions = object.DictGet(GLOB_Name("Functions"));
    for (uint32_t k = 0; functions.IsArray() && k < functions.Length(); ++k)
                              CountSlices(functions.Get(k), seen);
}

void BM_SeparateSharedTree(benchmark::State& state) {
    BENCH_SeparateAtDepth(state, "slices", SharedTreePage,
                          [](const GLOB_Object& inkPage, std::vector<GLOB_Object>& seen) {
                              CountSlices(inkPage.GetPath("/Resources/Shading/Sh1/Function"), seen);
                          });
}
BENCHMARK(BM_SeparateSharedTree)->DenseRange(1, 11)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
