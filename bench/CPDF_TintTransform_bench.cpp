// Evaluations per second of a Separation's tint transform to DeviceCMYK: a
// type 4 program of four outputs, beside a type 0 table sampled from it (the
// form in which tint transforms are written back). Both are timed in one
// run; the ratio of their rates, and how far the table strays from the
// program, are printed after the benchmark.
#include "CPDF/function/CPDF_Function.h"
#include "CPDF/function/CPDF_PSFunction.h"
#include "CPDF/function/CPDF_SampleTable.h"
#include "CPDF/function/CPDF_SampledFunction.h"
#include "GLOB/GLOB_ObjectFactory.h"

#include "BENCH_Support.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

// A spot ink's CMYK equivalent scaled by the tint, as real files write it.
const char Program[] = "{ dup 0.84 mul exch dup 0.12 mul exch dup 0 mul exch 0.53 mul }";
// Tints per batch, one call each, as colour operators come.
constexpr unsigned Tints = 4096;
// The table: grid points and sample width.
constexpr uint32_t TableSize = 256;
constexpr unsigned TableBits = 16;

const CPDF_Function& Type4() {
    static const CPDF_Function function(
        CPDF_PSFunction(GLOB_ObjectFactory::MemoryDoc(), Program, CPDF_IntervalSet(1), CPDF_IntervalSet(4)).Object());
    return function;
}

const CPDF_Function& Type0() {
    static const CPDF_Function function = [] {
        const CPDF_SampleTable table(Type4(), {TableSize}, TableBits);
        return CPDF_Function(CPDF_SampledFunction(table).Object());
    }();
    return function;
}

// Evaluations and seconds summed over the iterations.
struct Rate {
    double evaluations = 0;
    double seconds = 0;
    double PerSecond() const { return evaluations / seconds; }
};
Rate g_type4, g_type0;

double Tint(unsigned i) { return i / double(Tints - 1); }

// Tints evaluations of function, timed into rate.
void Batch(const CPDF_Function& function, Rate& rate) {
    double out[4];
    const auto start = std::chrono::steady_clock::now();
    for (unsigned i = 0; i < Tints; ++i) {
        double tint = Tint(i);
        function.Evaluate(&tint, out, 1);
        benchmark::DoNotOptimize(out);
    }
    rate.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rate.evaluations += Tints;
}

// The two in turn, batch after batch, so that both share the machine's load
// and their ratio holds on a busy machine.
void BM_Type4BesideType0(benchmark::State& state) {
    for (auto _ : state) {
        Batch(Type4(), g_type4);
        Batch(Type0(), g_type0);
    }
    state.counters["type4/s"] = g_type4.PerSecond();
    state.counters["type0/s"] = g_type0.PerSecond();
}
BENCHMARK(BM_Type4BesideType0)->Unit(benchmark::kMicrosecond);

// The largest difference between the two over the tints evaluated.
double LargestDifference() {
    double largest = 0;
    for (unsigned i = 0; i < Tints; ++i) {
        double a = Tint(i), b = Tint(i), outA[4], outB[4];
        Type4().Evaluate(&a, outA, 1);
        Type0().Evaluate(&b, outB, 1);
        for (int j = 0; j < 4; ++j)
            largest = std::max(largest, std::fabs(outA[j] - outB[j]));
    }
    return largest;
}

}  // namespace

int main(int argc, char** argv) {
    return BENCH_RunThenReport(argc, argv, [] {
        if (g_type4.seconds > 0 && g_type0.seconds > 0)
            std::printf("Evaluations per second: type 4 %.3g, type 0 %.3g; type 4 / type 0 ratio %.3f "
                        "(largest difference %.2g)\n",
                        g_type4.PerSecond(), g_type0.PerSecond(), g_type4.PerSecond() / g_type0.PerSecond(),
                        LargestDifference());
    });
}
