// One page separated that shows a Type 3 font of 200 coloured (d0) glyphs one
// glyph at a time, each show in a CMYK colour of its own: 10, 100 or 1,000
// colours. The glyphs paint a path in the colour of the show (MuPDF draws
// them where they are shown) or a stencil mask in it (MuPDF keeps them, so
// each colour needs a font of its own). Google Benchmark fits the time
// against the colours; the counters give the glyph procedures the ink pages
// hold and the heap still in use once the page is made, so that a colour
// more shows as one glyph more, not as a font more.
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_StringStream.h"

#include "BENCH_Separation.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kGlyphs = 200;

GLOB_Object Stream(const CPDF_Doc& doc, const std::string& content) {
    return doc.NewStream(GLOB_Stream(new GLOB_StringStream(content)), 1, GLOB_Object(), GLOB_Object(), -1);
}

CPDF_Page GlyphColoursPage(const CPDF_Doc& doc, int colours, const char* procedure) {
    CPDF_Page page = doc.CreatePage(0, GLIB_Rect(0, 0, 600, 600));
    std::string differences, content = "BT /T3 12 Tf";
    for (int g = 0; g < kGlyphs; ++g)
        differences += " /g" + std::to_string(g);
    for (int c = 0; c < colours; ++c) {
        char show[128];
        std::snprintf(show, sizeof show, " %.4f %.4f 0 %.4f k 1 0 0 1 %d %d Tm <%02x> Tj", (c % 7) / 7.0,
                      (c % 11) / 11.0, (c % 13) / 13.0, 5 + 14 * (c % 40), 5 + 14 * (c / 40), c % kGlyphs);
        content += show;
    }
    page.SetResources(doc.ParseObject(
        "<< /Font << /T3 << /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0]"
        " /CharProcs << >> /Encoding << /Type /Encoding /Differences [0" + differences + "] >> /FirstChar 0"
        " /LastChar 199 /Resources << >> >> >> >>"));
    page.SetContents(Stream(doc, content + " ET"));
    for (int g = 0; g < kGlyphs; ++g)
        page.Object().PutPath(("/Resources/Font/T3/CharProcs/g" + std::to_string(g)).c_str(),
                              Stream(doc, std::string("1000 0 d0 ") + procedure));
    return page;
}

// The distinct glyph procedures of the fonts an ink page names.
void CountGlyphs(const GLOB_Object& inkPage, std::vector<GLOB_Object>& seen) {
    const GLOB_Object fonts = inkPage.GetPath("/Resources/Font");
    GLOB_Object font, procedure;
    for (uint32_t i = 0; fonts.IsDict() && fonts.AsDict().Entry(i, nullptr, &font); ++i) {
        const GLOB_Object procedures = font.GetPath("/CharProcs");
        for (uint32_t k = 0; procedures.IsDict() && procedures.AsDict().Entry(k, nullptr, &procedure); ++k)
            seen.push_back(procedure);
    }
}

void BM_GlyphsFillingInTheShowsColour(benchmark::State& state) {
    BENCH_SeparateAtDepth(state, "glyphs", [](const CPDF_Doc& doc, int colours) {
        return GlyphColoursPage(doc, colours, "100 100 200 600 re f");
    }, CountGlyphs);
}
BENCHMARK(BM_GlyphsFillingInTheShowsColour)->RangeMultiplier(10)->Range(10, 1000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_GlyphsMaskingInTheShowsColour(benchmark::State& state) {
    BENCH_SeparateAtDepth(state, "glyphs", [](const CPDF_Doc& doc, int colours) {
        return GlyphColoursPage(doc, colours, "q 600 0 0 600 100 100 cm BI /W 1 /H 1 /IM true ID \x80 EI Q");
    }, CountGlyphs);
}
BENCHMARK(BM_GlyphsMaskingInTheShowsColour)->RangeMultiplier(10)->Range(10, 1000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
