// What the filter benchmarks share: driving a filter as a stream core does
// (8192-byte pieces in, 8192 bytes of room out) and the ratio of two rates.
#pragma once

#include "FILT/FILT_Filter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

constexpr size_t BENCH_ChunkBytes = 8192;

// Runs filter over data to its end of data; returns the bytes produced, and
// keeps them in *keep when given.
inline size_t BENCH_Drive(FILT_Filter& filter, const std::vector<uint8_t>& data, std::vector<uint8_t>* keep = nullptr) {
    FILT_FilterBuffer inBuf;
    FILT_FilterBuffer outBuf(BENCH_ChunkBytes);
    size_t given = 0, produced = 0;
    for (;;) {
        if (inBuf.DataAvailable() == 0 && !inBuf.IsEOD()) {
            const size_t n = std::min(BENCH_ChunkBytes, data.size() - given);
            inBuf.SetStorage(const_cast<uint8_t*>(data.data()) + given, static_cast<FILT_Size>(n), false);
            inBuf.AdvancePutPtr(static_cast<FILT_Size>(n));
            given += n;
            inBuf.SetEOD(given == data.size());
        }
        filter.ProcessBytes(inBuf, outBuf);
        produced += outBuf.DataAvailable();
        if (keep)
            keep->insert(keep->end(), outBuf.GetPtr(), outBuf.PutPtr());
        benchmark::DoNotOptimize(outBuf.GetPtr());
        if (outBuf.IsEOD())
            return produced;
        outBuf.Reset();
    }
}

// Bytes and seconds summed over a benchmark's iterations, timed in one run so
// that two rates compare under the same load.
struct BENCH_Rate {
    double bytes = 0;
    double seconds = 0;
    double MBps() const { return bytes / seconds / (1 << 20); }
};

// Times one call of work, adding the bytes it stands for.
template <class Work>
auto BENCH_Timed(BENCH_Rate& rate, double bytes, Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    auto result = work();
    rate.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rate.bytes += bytes;
    return result;
}

inline void BENCH_PrintRatio(const char* what, const BENCH_Rate& ours, const BENCH_Rate& bare) {
    if (ours.seconds > 0 && bare.seconds > 0)
        std::printf("%s MB/s: pipe %.1f, bare zlib %.1f; pipe/zlib throughput ratio %.3f\n", what, ours.MBps(),
                    bare.MBps(), ours.MBps() / bare.MBps());
}

// A main that prints the ratio of two rates after the benchmarks ran.
#define BENCH_MAIN_WITH_RATIO(what, ours, bare)                    \
    int main(int argc, char** argv) {                              \
        benchmark::Initialize(&argc, argv);                        \
        if (benchmark::ReportUnrecognizedArguments(argc, argv))    \
            return 1;                                              \
        benchmark::RunSpecifiedBenchmarks();                       \
        benchmark::Shutdown();                                     \
        BENCH_PrintRatio(what, ours, bare);                        \
        return 0;                                                  \
    }

// main() of a benchmark that prints its own summary after the runs: report
// is called once Google Benchmark has run and shut down.
template <typename Report>
int BENCH_RunThenReport(int argc, char** argv, Report report) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    report();
    return 0;
}
