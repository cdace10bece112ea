// Megabytes of source content per second through CSEP_PDFSeparator::
// SeparatePage, in a job of 6 inks (the process inks, Gold and Silver) and of
// 12 (six more spots the page does not use), beside the content parser alone
// on the same stream. The page is generated: paths, text, fills and strokes
// in DeviceCMYK, DeviceGray and two Separation spaces, and inline CMYK
// images (one block in 64), 10 MB of content. The three run in turn in
// every iteration, so that they share the machine's load; after the run the rates, the
// separation-over-parsing ratios and the cost of each added ink are printed.
#include "CPDF/content/CPDF_ContentParser.h"
#include "CPDF/document/CPDF_MemoryImpl.h"
#include "GLOB/GLOB_StringStream.h"
#include "separation/CSEP_PDFSeparator.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr size_t ContentBytes = size_t(10) << 20;
// One block in this many carries an inline image: each costs the separator
// far more than the rest of a block (see bench/README.md).
constexpr unsigned InlineImageEvery = 64;

const char Resources[] =
    "<< /ColorSpace << /CS0 [/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] "
    "/C1 [0 0.2 0.9 0.1] /N 1 >>] /CS1 [/Separation /Silver /DeviceCMYK << /FunctionType 2 /Domain [0 1] "
    "/C0 [0 0 0 0] /C1 [0.2 0.1 0.1 0.3] /N 1 >>] >> "
    "/Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>";

// One block of everything the page draws, varied by i.
std::string Block(unsigned i) {
    const std::string a = std::to_string(i % 500), b = std::to_string(i % 7 * 0.125).substr(0, 5);
    std::string hex;
    for (int k = 0; k < 4 * 4 * 4; ++k) {
        static const char digits[] = "0123456789ABCDEF";
        hex += digits[(k + i) % 16];
        hex += digits[(k * 7 + i) % 16];
    }
    return "q " + b + " 0.2 0.4 0 k " + a + " 100 50 20 re f " + "0.3 g 2 w " + a + " 10 m 400 " + a +
           " l 200 300 " + a + " 50 600 700 c S\n" + "/CS0 cs " + b + " scn 10 10 m 100 10 l 50 90 l h f* " +
           "/CS1 CS 0.6 SCN 1 0 0 1 5 5 cm 0 0 40 40 re B Q\n" + "BT /F1 12 Tf " + a +
           " 500 Td 0 0.5 0 0.1 k (Separation throughput) Tj /CS0 cs 0.8 scn 0 -14 Td (in two spots) Tj ET\n" +
           (i % InlineImageEvery == 0
                ? "q 40 0 0 40 " + a + " 300 cm BI /W 4 /H 4 /CS /CMYK /BPC 8 /F /AHx ID " + hex + "> EI Q\n"
                : std::string());
}

const std::string& Content() {
    static const std::string content = [] {
        std::string text;
        for (unsigned i = 0; text.size() < ContentBytes; ++i)
            text += Block(i);
        return text;
    }();
    return content;
}

struct Source {
    CPDF_Doc doc = CPDF_MemoryImpl::Make();
    CPDF_Page page;
    Source() {
        doc.Create();
        page = doc.CreatePage(0, GLIB_Rect(0, 0, 612, 792));
        page.SetResources(doc.ParseObject(Resources));
        page.SetContents(doc.NewStream(GLOB_Stream(new GLOB_StringStream(Content())), 1, GLOB_Object(),
                                       GLOB_Object(), -1));
    }
};

const Source& Page() {
    static const Source source;
    return source;
}

// Seconds summed over the iterations.
double g_parse = 0, g_six = 0, g_twelve = 0;
// Passes of each.
double g_passes = 0;

template <class Run>
void Timed(double& seconds, Run run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Parse() {
    CPDF_ContentParser parser;
    parser.Start(Page().page.Contents().OpenStream(2), Page().page.Object().DictGet(GLOB_Name("Resources")));
    size_t operators = 0;
    while (parser.Step())
        ++operators;
    benchmark::DoNotOptimize(operators);
}

// A separation into a new output document, embedded and compressed as the
// default job writes it.
void Separate(unsigned extraSpots) {
    CPDF_Doc out = CPDF_MemoryImpl::Make();
    out.Create();
    std::vector<CPDF_Colorant> inks = {CPDF_Colorant("Gold"), CPDF_Colorant("Silver")};
    for (unsigned k = 0; k < extraSpots; ++k)
        inks.emplace_back(("Extra" + std::to_string(k)).c_str());
    CSEP_SepJobContext job;
    job.SetDocAndColorants(out, inks);
    CSEP_PDFSeparator separator;
    separator.SetJobContext(job);
    std::vector<GLOB_Object> pages;
    separator.SeparatePage(Page().page, 0, pages);
    benchmark::DoNotOptimize(pages.data());
}

void BM_SeparateBesideParse(benchmark::State& state) {
    Page();
    for (auto _ : state) {
        Timed(g_parse, Parse);
        Timed(g_six, [] { Separate(0); });
        Timed(g_twelve, [] { Separate(6); });
        ++g_passes;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Content().size()));
}
BENCHMARK(BM_SeparateBesideParse)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_parse > 0 && g_six > 0 && g_twelve > 0) {
        const double mb = Content().size() / 1e6 * g_passes;
        std::printf("Content %.1f MB, %.0f passes. Parsing %.1f MB/s; separation with 6 inks %.1f MB/s, "
                    "with 12 inks %.1f MB/s.\n",
                    Content().size() / 1e6, g_passes, mb / g_parse, mb / g_six, mb / g_twelve);
        std::printf("Separation over parsing (time): 6 inks %.2f, 12 inks %.2f. Each ink beyond 6 adds %.3f of "
                    "a parse, %.1f%% of the 6-ink separation.\n",
                    g_six / g_parse, g_twelve / g_parse, (g_twelve - g_six) / 6 / g_parse,
                    (g_twelve - g_six) / 6 / g_six * 100);
    }
    return 0;
}
