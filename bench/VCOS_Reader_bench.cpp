// Reading a file by the viewer's Cos reader when it holds many objects that
// qpdf reads as null, none of them used: entries whose offset is 0, the
// same behind a 4 MB comment of "ob " repeated, and streams whose /Length
// is the stream itself (lost by qpdf, recovered by MuPDF's repair). Time
// per object must stay flat from 1,000 to 16,000 objects.
// BM_ReadDictionaryOfManyKeys: a page whose resources hold an unused
// /Properties dictionary of 5,000 to 65,000 keys; time per key must stay
// flat.
// BM_ReadCaseFile: the shared cases' unused /Properties dictionaries of
// 10,000 16-byte keys, plain and all sharing one std::hash value; the two
// must take about the same time.
// BM_ReadXrefStreamOfManyRows: object 4 at two generations, then an update
// whose cross-reference stream holds 1 to 64 MB of one-byte rows (deflated)
// and promises 2,000,000,000; time per MB of rows must stay flat, and the
// process's peak memory must not grow with them.
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_Store.h"
#include "support/Deflated.h"
#include "support/PdfText.h"

#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

enum Shape { OffsetZero = 0, OffsetZeroBehindComment = 1, SelfLength = 2 };

// A one-page file and n more objects from number 4, with a right
// cross-reference table but for the entries the shape points at offset 0.
std::string File(Shape shape, int64_t n) {
    std::string header = "%PDF-1.7";
    if (shape == OffsetZeroBehindComment) {
        header += "\n%";
        for (int i = 0; i < 4 * 1024 * 1024 / 3; ++i)
            header += "ob ";
    }
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>",
                                        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] >>"};
    for (int64_t i = 0; i < n; ++i)
        objects.push_back(shape == SelfLength
                              ? "<< /Length " + std::to_string(objects.size() + 1) + " 0 R >>\nstream\nabc\nendstream"
                              : "<< /A 1 >>");
    if (shape == SelfLength)
        return PdfText(header, objects);
    return PdfTextWithEntriesAtZero(header, objects, 4, objects.size());
}

void BM_ReadObjectsReadAsNull(benchmark::State& state) {
    const std::string file = File(static_cast<Shape>(state.range(0)), state.range(1));
    for (auto _ : state) {
        VCOS_Store store;
        benchmark::DoNotOptimize(VCOS_Reader::Read(store, file, "many.pdf"));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
    // Seconds per object, printed with its SI prefix ("20u" is 20 µs).
    state.counters["per_object"] = benchmark::Counter(
        static_cast<double>(state.range(1)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_ReadObjectsReadAsNull)
    ->ArgNames({"shape", "objects"})
    ->ArgsProduct({{OffsetZero, OffsetZeroBehindComment, SelfLength}, {1000, 16000}})
    ->Unit(benchmark::kMillisecond);

void BM_ReadDictionaryOfManyKeys(benchmark::State& state) {
    std::string properties;
    for (int64_t i = 0; i < state.range(0); ++i)
        properties += "/P" + std::to_string(i) + " << /MCID " + std::to_string(i) + " >>\n";
    const std::string file =
        PdfText("%PDF-1.7", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                             "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] /Resources << /Properties << " +
                                 properties + ">> >> >>"});
    for (auto _ : state) {
        VCOS_Store store;
        benchmark::DoNotOptimize(VCOS_Reader::Read(store, file, "keys.pdf"));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
    state.counters["per_key"] = benchmark::Counter(
        static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_ReadDictionaryOfManyKeys)
    ->ArgName("keys")
    ->Arg(5000)
    ->Arg(10000)
    ->Arg(40000)
    ->Arg(65000)
    ->Unit(benchmark::kMillisecond);

void BM_ReadXrefStreamOfManyRows(benchmark::State& state) {
    const auto square = [](const char* ink) {
        return std::string("<< /Length 28 >>\nstream\n") + ink + " k 20 20 160 160 re f\nendstream";
    };
    std::string file = PdfTextWithUpdate(
        PdfText("%PDF-1.7", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                             "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>",
                             square("0 0 0 1")}),
        {{4, 1, square("0 0 0 1")}, {4, 0, square("0 1 0 0")}}, "/Size 5 /Root 1 0 R");
    const std::string rows =
        DeflatedRows(1 << 20, static_cast<int>(state.range(0)), Z_BEST_COMPRESSION, [](int, std::string&) {});
    const std::string prev = std::to_string(std::stoul(file.substr(file.rfind("startxref") + 9)));
    const size_t xref = file.size();
    file += "5 0 obj\n<< /Type /XRef /W [0 0 1] /Index [0 2000000000] /Size 2000000000 /Root 1 0 R /Prev " + prev +
            " /Filter /FlateDecode /Length " + std::to_string(rows.size()) + " >>\nstream\n" + rows +
            "\nendstream\nendobj\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    for (auto _ : state) {
        VCOS_Store store;
        benchmark::DoNotOptimize(VCOS_Reader::Read(store, file, "rows.pdf"));
    }
    state.SetBytesProcessed(state.iterations() * (state.range(0) << 20));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}

BENCHMARK(BM_ReadXrefStreamOfManyRows)->ArgName("MB")->RangeMultiplier(4)->Range(1, 64)->Unit(benchmark::kMillisecond);

const char* const kCaseFiles[] = {"names-10000-plain-keys.pdf", "names-10000-colliding-keys.pdf"};

void BM_ReadCaseFile(benchmark::State& state) {
    const std::string path = std::string(TINTSCOPE_CASES_DIR) + "/" + kCaseFiles[state.range(0)];
    std::ifstream in(path, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in || file.empty()) {
        state.SkipWithError(("the shared cases are absent: " + path).c_str());
        return;
    }
    state.SetLabel(kCaseFiles[state.range(0)]);
    for (auto _ : state) {
        VCOS_Store store;
        benchmark::DoNotOptimize(VCOS_Reader::Read(store, file, path));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}

BENCHMARK(BM_ReadCaseFile)->ArgName("file")->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
