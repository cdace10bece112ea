// Throughput of Flate encoding through our filter pipe against bare zlib
// deflate at the same level (1), both fed in 8192-byte pieces and writing
// into 8192 bytes of room. The ratio shows what our layers cost.
#include "BENCH_Support.h"
#include "FILT/FILT_FilterPipe.h"
#include "FILT/FILT_FlateEncode.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr size_t DataBytes = 64u << 20;

// Text-like data: words of content-stream syntax mixed with random bytes.
const std::vector<uint8_t>& Data() {
    static const std::vector<uint8_t> data = [] {
        std::mt19937 rng(777);
        static const char* words[] = {"0 0 1 rg ", "BT ", "ET ", "/F1 12 Tf ", "q 1 0 0 1 ", "re f ", "Q ",
                                      "(Hello) Tj "};
        std::vector<uint8_t> d;
        d.reserve(DataBytes);
        while (d.size() < DataBytes) {
            if (rng() % 4 == 0) {
                d.push_back(static_cast<uint8_t>(rng()));
            } else {
                const char* w = words[rng() % 8];
                d.insert(d.end(), w, w + std::strlen(w));
            }
        }
        d.resize(DataBytes);
        return d;
    }();
    return data;
}

BENCH_Rate g_pipe, g_zlib;

size_t EncodeWithPipe(const std::vector<uint8_t>& data) {
    FILT_FilterPipe pipe;
    pipe.Append(new FILT_FlateEncode);
    return BENCH_Drive(pipe, data);
}

size_t EncodeWithZlib(const std::vector<uint8_t>& data) {
    z_stream s;
    std::memset(&s, 0, sizeof(s));
    if (deflateInit(&s, 1) != Z_OK)
        std::abort();
    uint8_t out[BENCH_ChunkBytes];
    size_t produced = 0;
    int rc = Z_OK;
    for (size_t given = 0; rc != Z_STREAM_END;) {
        const size_t n = std::min(BENCH_ChunkBytes, data.size() - given);
        s.next_in = const_cast<Bytef*>(data.data() + given);
        s.avail_in = static_cast<uInt>(n);
        given += n;
        const int flush = given == data.size() ? Z_FINISH : Z_NO_FLUSH;
        do {
            s.next_out = out;
            s.avail_out = sizeof(out);
            rc = deflate(&s, flush);
            produced += sizeof(out) - s.avail_out;
            benchmark::DoNotOptimize(out);
        } while (s.avail_out == 0 && rc != Z_STREAM_END);
    }
    deflateEnd(&s);
    return produced;
}

void Run(benchmark::State& state, size_t (*encode)(const std::vector<uint8_t>&), BENCH_Rate& rate) {
    const std::vector<uint8_t>& data = Data();
    for (auto _ : state) {
        const size_t produced = BENCH_Timed(rate, static_cast<double>(data.size()), [&] { return encode(data); });
        state.counters["compressed_MB"] = static_cast<double>(produced) / (1 << 20);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(data.size()));
}

void BM_FlateEncodePipe(benchmark::State& state) { Run(state, EncodeWithPipe, g_pipe); }
void BM_FlateDeflateZlib(benchmark::State& state) { Run(state, EncodeWithZlib, g_zlib); }

BENCHMARK(BM_FlateEncodePipe)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlateDeflateZlib)->Unit(benchmark::kMillisecond);

}  // namespace

BENCH_MAIN_WITH_RATIO("encoded", g_pipe, g_zlib)
