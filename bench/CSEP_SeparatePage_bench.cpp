// Megabytes of source content per second through CSEP_PDFSeparator::
// SeparatePage, in a job of 6 inks (the process inks, Gold and Silver) and of
// 12 (six more spots the page does not use), beside the content parser alone
// on the same stream. The page is generated: paths, text, fills and strokes
// in DeviceCMYK, DeviceGray and two Separation spaces, and inline CMYK
// images. Two pages: 10 MB of content with an inline image in one block of
// 64, and 1 MB with one in every block. The three run in turn in every
// iteration, so that they share the machine's load; after the run the rates,
// the separation-over-parsing ratios of wall-clock and of CPU time and the
// cost of each added ink are printed for each page, and the peak resident
// memory of the process (run one page per process, --benchmark_filter, to
// see each page's).
#include "CPDF/content/CPDF_ContentParser.h"
#include "CPDF/document/CPDF_MemoryImpl.h"
#include "GLOB/GLOB_StringStream.h"
#include "separation/CSEP_PDFSeparator.h"

#include "BENCH_Support.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const char Resources[] =
    "<< /ColorSpace << /CS0 [/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] "
    "/C1 [0 0.2 0.9 0.1] /N 1 >>] /CS1 [/Separation /Silver /DeviceCMYK << /FunctionType 2 /Domain [0 1] "
    "/C0 [0 0 0 0] /C1 [0.2 0.1 0.1 0.3] /N 1 >>] >> "
    "/Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>";

// One block of everything the page draws, varied by i; every imageEvery-th
// block ends with an inline image.
std::string Block(unsigned i, unsigned imageEvery) {
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
           (i % imageEvery == 0
                ? "q 40 0 0 40 " + a + " 300 cm BI /W 4 /H 4 /CS /CMYK /BPC 8 /F /AHx ID " + hex + "> EI Q\n"
                : std::string());
}

std::string Content(size_t bytes, unsigned imageEvery) {
    std::string text;
    for (unsigned i = 0; text.size() < bytes; ++i)
        text += Block(i, imageEvery);
    return text;
}

struct Source {
    CPDF_Doc doc = CPDF_MemoryImpl::Make();
    CPDF_Page page;
    size_t bytes, images = 0;
    Source(size_t contentBytes, unsigned imageEvery) {
        const std::string content = Content(contentBytes, imageEvery);
        bytes = content.size();
        for (size_t at = content.find(" BI "); at != std::string::npos; at = content.find(" BI ", at + 1))
            ++images;
        doc.Create();
        page = doc.CreatePage(0, GLIB_Rect(0, 0, 612, 792));
        page.SetResources(doc.ParseObject(Resources));
        page.SetContents(doc.NewStream(GLOB_Stream(new GLOB_StringStream(content)), 1, GLOB_Object(),
                                       GLOB_Object(), -1));
    }
};

// The page of each (megabytes, image every) pair, made once.
const Source& Page(size_t megabytes, unsigned imageEvery) {
    static std::map<std::pair<size_t, unsigned>, std::unique_ptr<Source>> pages;
    std::unique_ptr<Source>& page = pages[{megabytes, imageEvery}];
    if (!page)
        page = std::make_unique<Source>(megabytes << 20, imageEvery);
    return *page;
}

// Seconds of wall-clock and of CPU time summed over the iterations, and
// passes, per page.
struct Seconds {
    double wall = 0, cpu = 0;
};
struct Totals {
    Seconds parse, six, twelve;
    double passes = 0;
    size_t bytes = 0, images = 0;
};
std::map<std::pair<int64_t, int64_t>, Totals> g_totals;

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

template <class Run>
void Timed(Seconds& seconds, Run run) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = CpuSeconds();
    run();
    seconds.cpu += CpuSeconds() - cpu;
    seconds.wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Parse(const Source& source) {
    CPDF_ContentParser parser;
    parser.Start(source.page.Contents().OpenStream(2), source.page.Object().DictGet(GLOB_Name("Resources")));
    size_t operators = 0;
    while (parser.Step())
        ++operators;
    benchmark::DoNotOptimize(operators);
}

// A separation into a new output document, embedded and compressed as the
// default job writes it.
void Separate(const Source& source, unsigned extraSpots) {
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
    separator.SeparatePage(source.page, 0, pages);
    benchmark::DoNotOptimize(pages.data());
}

// Arguments: megabytes of content, one inline image every this many blocks.
void BM_SeparateBesideParse(benchmark::State& state) {
    const Source& source = Page(static_cast<size_t>(state.range(0)), static_cast<unsigned>(state.range(1)));
    Totals& totals = g_totals[{state.range(0), state.range(1)}];
    totals.bytes = source.bytes;
    totals.images = source.images;
    for (auto _ : state) {
        Timed(totals.parse, [&] { Parse(source); });
        Timed(totals.six, [&] { Separate(source, 0); });
        Timed(totals.twelve, [&] { Separate(source, 6); });
        ++totals.passes;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.bytes));
}
BENCHMARK(BM_SeparateBesideParse)->Args({10, 64})->Args({1, 1})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return BENCH_RunThenReport(argc, argv, [] {
        for (const auto& [key, totals] : g_totals) {
            if (totals.parse.wall <= 0 || totals.six.wall <= 0 || totals.twelve.wall <= 0)
                continue;
            const double mb = totals.bytes / 1e6 * totals.passes;
            std::printf("Content %.1f MB, an inline image every %lld blocks (%zu images), %.0f passes. Parsing "
                        "%.1f MB/s; separation with 6 inks %.2f MB/s, with 12 inks %.2f MB/s.\n",
                        totals.bytes / 1e6, static_cast<long long>(key.second), totals.images, totals.passes,
                        mb / totals.parse.wall, mb / totals.six.wall, mb / totals.twelve.wall);
            std::printf("  Separation over parsing (time): 6 inks %.2f, 12 inks %.2f. Each ink beyond 6 adds %.3f "
                        "of a parse, %.1f%% of the 6-ink separation.\n",
                        totals.six.wall / totals.parse.wall, totals.twelve.wall / totals.parse.wall,
                        (totals.twelve.wall - totals.six.wall) / 6 / totals.parse.wall,
                        (totals.twelve.wall - totals.six.wall) / 6 / totals.six.wall * 100);
            std::printf("  CPU time over parsing's: 6 inks %.2f, 12 inks %.2f; CPU per pass: parsing %.3f s, "
                        "6 inks %.3f s, 12 inks %.3f s.\n",
                        totals.six.cpu / totals.parse.cpu, totals.twelve.cpu / totals.parse.cpu,
                        totals.parse.cpu / totals.passes, totals.six.cpu / totals.passes,
                        totals.twelve.cpu / totals.passes);
        }
        rusage usage{};
        if (getrusage(RUSAGE_SELF, &usage) == 0)
            std::printf("Peak resident memory: %.0f MB.\n", usage.ru_maxrss / 1024.0);
    });
}
