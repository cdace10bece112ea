// CCITT fax decoding of a page-sized bitmap (1728 x 2200, text-like marks),
// coded T.6 and one-dimensional, through 16 KB buffers as a filter pipe
// hands them over. Throughput is counted in decoded bytes.
#include "FILT/FILT_CCITTFaxDecode.h"
#include "FILT/FILT_CCITTFaxEncode.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

constexpr int Columns = 1728;
constexpr int Rows = 2200;
constexpr FILT_Size BufferSize = 16384;

// White page with lines of small black marks, like printed text.
std::string Page() {
    std::mt19937 rng(7);
    const int rowBytes = Columns / 8;
    std::string page(static_cast<size_t>(rowBytes) * Rows, '\xFF');
    for (int line = 100; line + 30 < Rows - 100; line += 40)
        for (int x = 100; x < Columns - 120; x += 6 + static_cast<int>(rng() % 14))
            for (int y = line + static_cast<int>(rng() % 6); y < line + 22; ++y)
                for (int dx = 0; dx < 2 + static_cast<int>(rng() % 5); ++dx) {
                    const int col = x + dx;
                    page[static_cast<size_t>(y * rowBytes + col / 8)] &= static_cast<char>(~(0x80 >> (col % 8)));
                }
    return page;
}

std::string Run(FILT_Filter& f, const std::string& input) {
    FILT_FilterBuffer in(BufferSize), out(BufferSize);
    std::string output;
    size_t given = 0;
    for (;;) {
        if (in.DataAvailable() == 0 && !in.IsEOD()) {
            in.Reset();
            given += in.Write(reinterpret_cast<const uint8_t*>(input.data()) + given,
                              static_cast<FILT_Size>(std::min<size_t>(BufferSize, input.size() - given)));
            if (given == input.size())
                in.SetEOD();
        }
        f.ProcessBytes(in, out);
        output.append(reinterpret_cast<const char*>(out.GetPtr()), out.DataAvailable());
        if (out.IsEOD())
            return output;
        out.Reset();
    }
}

void BM_CCITTFaxDecode(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    const std::string page = Page();
    FILT_CCITTFaxEncode encoder;
    encoder.SetParams(k, false, false, true, false, Rows, Columns);
    const std::string coded = Run(encoder, page);
    for (auto _ : state) {
        FILT_CCITTFaxDecode decoder;
        decoder.SetParams(k, false, false, true, false, 0, Columns);
        benchmark::DoNotOptimize(Run(decoder, coded));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
    state.counters["coded_bytes"] = static_cast<double>(coded.size());
}

void BM_CCITTFaxEncode(benchmark::State& state) {
    const int k = static_cast<int>(state.range(0));
    const std::string page = Page();
    for (auto _ : state) {
        FILT_CCITTFaxEncode encoder;
        encoder.SetParams(k, false, false, true, false, Rows, Columns);
        benchmark::DoNotOptimize(Run(encoder, page));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}

}  // namespace

BENCHMARK(BM_CCITTFaxDecode)->Arg(-1)->Arg(0);
BENCHMARK(BM_CCITTFaxEncode)->Arg(-1)->Arg(0);
BENCHMARK_MAIN();
