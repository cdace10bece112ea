// Throughput of the ASCII85 decoder on 32 MB of encoded random data, fed in
// 8192-byte pieces into 8192 bytes of room, as a stream core drives it.
#include "BENCH_Support.h"
#include "FILT/FILT_ASCII85Decode.h"
#include "FILT/FILT_ASCII85Encode.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

const std::vector<uint8_t>& Encoded() {
    static const std::vector<uint8_t> encoded = [] {
        std::mt19937 rng(85);
        std::vector<uint8_t> raw(32u << 20);
        for (uint8_t& b : raw)
            b = static_cast<uint8_t>(rng() % 5 == 0 ? 0 : rng());  // some all-zero groups ("z")
        std::vector<uint8_t> out;
        FILT_ASCII85Encode encoder;
        BENCH_Drive(encoder, raw, &out);
        return out;
    }();
    return encoded;
}

void BM_ASCII85Decode(benchmark::State& state) {
    const std::vector<uint8_t>& encoded = Encoded();
    for (auto _ : state) {
        FILT_ASCII85Decode decoder;
        benchmark::DoNotOptimize(BENCH_Drive(decoder, encoded));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(encoded.size()));
}
BENCHMARK(BM_ASCII85Decode)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
