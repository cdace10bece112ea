// Throughput of the ASCII85 decoder on 32 MB of encoded random data, fed in
// 8192-byte pieces into 8192 bytes of room, as a stream core drives it.
#include "FILT/FILT_ASCII85Decode.h"
#include "FILT/FILT_ASCII85Encode.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr size_t ChunkBytes = 8192;

// Runs filter over input in pieces; returns the bytes produced.
size_t Drive(FILT_Filter& filter, const std::vector<uint8_t>& input, std::vector<uint8_t>* keep) {
    FILT_FilterBuffer inBuf;
    FILT_FilterBuffer outBuf(ChunkBytes);
    size_t given = 0, produced = 0;
    for (;;) {
        if (inBuf.DataAvailable() == 0 && !inBuf.IsEOD()) {
            const size_t n = std::min(ChunkBytes, input.size() - given);
            inBuf.SetStorage(const_cast<uint8_t*>(input.data()) + given, static_cast<FILT_Size>(n), false);
            inBuf.AdvancePutPtr(static_cast<FILT_Size>(n));
            given += n;
            inBuf.SetEOD(given == input.size());
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

const std::vector<uint8_t>& Encoded() {
    static const std::vector<uint8_t> encoded = [] {
        std::mt19937 rng(85);
        std::vector<uint8_t> raw(32u << 20);
        for (uint8_t& b : raw)
            b = static_cast<uint8_t>(rng() % 5 == 0 ? 0 : rng());  // some all-zero groups ("z")
        std::vector<uint8_t> out;
        FILT_ASCII85Encode encoder;
        Drive(encoder, raw, &out);
        return out;
    }();
    return encoded;
}

void BM_ASCII85Decode(benchmark::State& state) {
    const std::vector<uint8_t>& encoded = Encoded();
    for (auto _ : state) {
        FILT_ASCII85Decode decoder;
        benchmark::DoNotOptimize(Drive(decoder, encoded, nullptr));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(encoded.size()));
}
BENCHMARK(BM_ASCII85Decode)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
