// Throughput of Flate decoding through our filter pipe against bare zlib
// inflate over the same data, both fed in 8192-byte pieces as a stream core
// feeds its filters, both writing into 8192 bytes of room. The ratio of the
// two rates shows what the pipe and the filter layer cost.
#include "BENCH_Support.h"
#include "FILT/FILT_FilterPipe.h"
#include "FILT/FILT_FlateDecode.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// At least this much compressed data is decoded per iteration.
constexpr size_t MinCompressedBytes = 64u << 20;

struct Corpus {
    std::vector<uint8_t> compressed;
    size_t decodedSize = 0;
};

// Text-like data that deflate compresses about two to one: words from a
// small vocabulary mixed with random bytes.
std::vector<uint8_t> MakeData(size_t n) {
    std::mt19937 rng(12345);
    static const char* words[] = {"stream ", "endstream ", "obj ", "0 0 1 rg ", "BT ", "ET ", "/F1 12 Tf ",
                                  "q 1 0 0 1 ", "re f ", "Q "};
    std::vector<uint8_t> data;
    data.reserve(n);
    while (data.size() < n) {
        if (rng() % 3 == 0) {
            for (int i = 0; i < 6; ++i)
                data.push_back(static_cast<uint8_t>(rng()));
        } else {
            const char* w = words[rng() % 10];
            data.insert(data.end(), w, w + std::strlen(w));
        }
    }
    data.resize(n);
    return data;
}

const Corpus& TheCorpus() {
    static const Corpus corpus = [] {
        Corpus c;
        size_t n = MinCompressedBytes;
        for (;;) {
            const std::vector<uint8_t> data = MakeData(n);
            uLongf size = compressBound(static_cast<uLong>(data.size()));
            c.compressed.assign(size, 0);
            if (compress2(c.compressed.data(), &size, data.data(), static_cast<uLong>(data.size()), 1) != Z_OK)
                std::abort();
            c.compressed.resize(size);
            c.decodedSize = data.size();
            if (size >= MinCompressedBytes)
                return c;
            n = n * 3 / 2;
        }
    }();
    return corpus;
}

BENCH_Rate g_pipe, g_zlib;

size_t DecodeWithPipe(const Corpus& c) {
    FILT_FilterPipe pipe;
    pipe.Append(new FILT_FlateDecode);
    return BENCH_Drive(pipe, c.compressed);
}

size_t DecodeWithZlib(const Corpus& c) {
    z_stream s;
    std::memset(&s, 0, sizeof(s));
    if (inflateInit(&s) != Z_OK)
        std::abort();
    uint8_t out[BENCH_ChunkBytes];
    size_t produced = 0;
    int rc = Z_OK;
    for (size_t given = 0; given < c.compressed.size() && rc != Z_STREAM_END;) {
        const size_t n = std::min(BENCH_ChunkBytes, c.compressed.size() - given);
        s.next_in = const_cast<Bytef*>(c.compressed.data() + given);
        s.avail_in = static_cast<uInt>(n);
        given += n;
        do {
            s.next_out = out;
            s.avail_out = sizeof(out);
            rc = inflate(&s, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
                std::abort();
            produced += sizeof(out) - s.avail_out;
            benchmark::DoNotOptimize(out);
        } while (s.avail_out == 0 && rc != Z_STREAM_END);
    }
    inflateEnd(&s);
    return produced;
}

void Run(benchmark::State& state, size_t (*decode)(const Corpus&), BENCH_Rate& rate) {
    const Corpus& c = TheCorpus();
    for (auto _ : state) {
        const size_t produced = BENCH_Timed(rate, static_cast<double>(c.decodedSize), [&] { return decode(c); });
        if (produced != c.decodedSize) {
            state.SkipWithError("decoded size differs");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(c.decodedSize));
    state.counters["compressed_MB"] = static_cast<double>(c.compressed.size()) / (1 << 20);
}

void BM_FlateDecodePipe(benchmark::State& state) { Run(state, DecodeWithPipe, g_pipe); }
void BM_FlateInflateZlib(benchmark::State& state) { Run(state, DecodeWithZlib, g_zlib); }

BENCHMARK(BM_FlateDecodePipe)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlateInflateZlib)->Unit(benchmark::kMillisecond);

}  // namespace

BENCH_MAIN_WITH_RATIO("decoded", g_pipe, g_zlib)
