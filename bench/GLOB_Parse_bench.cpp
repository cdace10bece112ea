// Parsing time per element for one large array, one large dictionary and a
// long run of operands without an operator, each at a quarter, half and the
// full size. Time per element must stay flat as the size grows: a step that
// is linear per element (a scan of all keys on every insert, a stack that
// grows by a fixed step) shows as a ratio of about 4 between the largest and
// the smallest size.
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "GLOB/GLOB_OperatorParser.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"

#include "BENCH_Support.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int64_t ArrayElements = 1000000;  // 2 MB of text
constexpr int64_t DictKeys = 100000;        // about 1.4 MB of text
constexpr int64_t Operands = 1000000;       // 2 MB of text

// "[0 1 … 9 0 1 …]": 2 bytes per element.
std::string ArrayText(int64_t n) {
    std::string s = "[";
    for (int64_t i = 0; i < n; ++i) {
        s += static_cast<char>('0' + i % 10);
        s += ' ';
    }
    return s + "]";
}

// "<< /Key0000000 0 /Key0048271 1 … >>": 14 bytes per entry, n distinct keys
// in no sorted order (48271 is a prime that divides no size used here).
std::string DictText(int64_t n) {
    std::string s = "<<";
    char entry[32];
    for (int64_t i = 0; i < n; ++i) {
        std::snprintf(entry, sizeof entry, "/Key%07lld %lld\n", static_cast<long long>(i * 48271 % n),
                      static_cast<long long>(i % 10));
        s += entry;
    }
    return s + ">>";
}

// Nanoseconds per element of each benchmark and size, timed by hand as well so
// that the ratio printed after the run is read from this run.
std::map<std::string, std::map<int64_t, double>> s_perElement;

// Parses text, holding n elements, in a memory document once per iteration.
template <class Parse>
void Run(benchmark::State& state, const char* name, const std::string& text, Parse&& parse) {
    const int64_t n = state.range(0);
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%PDF-1.4", 0);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        parse(doc, text);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    doc.Close();
    if (state.iterations() == 0)
        return;
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    // Seconds per element, printed with its SI prefix ("170n" is 170 ns).
    state.counters["per_element"] = benchmark::Counter(
        static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    s_perElement[name][n] = seconds * 1e9 / static_cast<double>(state.iterations()) / static_cast<double>(n);
}

void BM_ParseArray(benchmark::State& state) {
    const std::string text = ArrayText(state.range(0));
    Run(state, "BM_ParseArray", text, [](const GLOB_Doc& doc, const std::string& t) {
        benchmark::DoNotOptimize(doc.ParseObject(t.c_str()));
    });
}
BENCHMARK(BM_ParseArray)
    ->Arg(ArrayElements / 4)
    ->Arg(ArrayElements / 2)
    ->Arg(ArrayElements)
    ->Unit(benchmark::kMillisecond);

void BM_ParseDict(benchmark::State& state) {
    const std::string text = DictText(state.range(0));
    Run(state, "BM_ParseDict", text, [](const GLOB_Doc& doc, const std::string& t) {
        benchmark::DoNotOptimize(doc.ParseObject(t.c_str()));
    });
}
BENCHMARK(BM_ParseDict)->Arg(DictKeys / 4)->Arg(DictKeys / 2)->Arg(DictKeys)->Unit(benchmark::kMillisecond);

// Operands up to the end of the data: the operator parser stops there with
// every one of them on its stack.
void BM_ParseOperands(benchmark::State& state) {
    std::string text = ArrayText(state.range(0));
    text = text.substr(1, text.size() - 2);
    Run(state, "BM_ParseOperands", text, [&state](const GLOB_Doc& doc, const std::string& t) {
        GLOB_OperatorParser parser(GLOB_Stream(new GLOB_StringStream(t)), doc);
        if (parser.Parse() || !parser.IsEndOfData() || parser.Operands().Size() != static_cast<size_t>(state.range(0)))
            state.SkipWithError("operands not all on the stack");
    });
}
BENCHMARK(BM_ParseOperands)->Arg(Operands / 4)->Arg(Operands / 2)->Arg(Operands)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return BENCH_RunThenReport(argc, argv, [] {
        // "BM_ParseDict ns/element: 25000: 916.4, 50000: 1001.2, 100000: 1084.9;
        // largest/smallest 1.18".
        for (const auto& [name, sizes] : s_perElement) {
            if (sizes.size() < 2)
                continue;
            std::printf("%s ns/element:", name.c_str());
            for (const auto& [n, ns] : sizes)
                std::printf(" %lld: %.1f,", static_cast<long long>(n), ns);
            std::printf(" largest/smallest %.2f\n", sizes.rbegin()->second / sizes.begin()->second);
        }
    });
}
