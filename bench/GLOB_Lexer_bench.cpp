// Throughput of the PDF lexer on a generated content stream, beside a bare
// pass over the same bytes through the byte-class table (the floor).
#include "GLOB/GLOB_ByteClass.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StreamLexer.h"
#include "GLOB/GLOB_StringStream.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>

namespace {

// Bytes of generated content: at least 10 MB.
constexpr size_t ContentBytes = 12u << 20;

// Paths, text, colours and an inline dictionary, as a page description has.
const std::string& Content() {
    static const std::string text = [] {
        std::string s;
        s.reserve(ContentBytes + 256);
        std::mt19937 random(11);
        std::uniform_real_distribution<double> coordinate(0.0, 612.0);
        char line[256];
        for (unsigned i = 0; s.size() < ContentBytes; ++i) {
            switch (i % 6) {
            case 0:
                std::snprintf(line, sizeof line, "q 1 0 0 1 %.2f %.2f cm\n", coordinate(random), coordinate(random));
                break;
            case 1:
                std::snprintf(line, sizeof line, "%.3f %.3f m %.3f %.3f l %.3f %.3f %.3f %.3f %.3f %.3f c h f\n",
                              coordinate(random), coordinate(random), coordinate(random), coordinate(random),
                              coordinate(random), coordinate(random), coordinate(random), coordinate(random),
                              coordinate(random), coordinate(random));
                break;
            case 2:
                std::snprintf(line, sizeof line, "BT /F%u 12 Tf (Line %u of \\(sample\\) text) Tj ET\n", i % 7, i);
                break;
            case 3:
                std::snprintf(line, sizeof line, "/CS0 cs 0.25 .5 +1 0 scn [(A) -120 (W) 30] TJ\n");
                break;
            case 4:
                std::snprintf(line, sizeof line, "<< /Type /XObject /BBox [0 0 10 10] >> <48656C6C6F> pop\n");
                break;
            default:
                std::snprintf(line, sizeof line, "Q %% restore %u\n", i);
                break;
            }
            s += line;
        }
        return s;
    }();
    return text;
}

void BM_LexContentStream(benchmark::State& state) {
    const std::string& text = Content();
    size_t tokens = 0;
    for (auto _ : state) {
        state.PauseTiming();
        GLOB_StreamLexer lexer(GLOB_Stream(new GLOB_StringStream(text)));
        state.ResumeTiming();
        for (;;) {
            const GLOB_StreamLexer::Token token = lexer.NextToken();
            if (token == GLOB_StreamLexer::TokenError) {
                state.SkipWithError(lexer.ErrorMessage().c_str());
                return;
            }
            if (token == GLOB_StreamLexer::TokenEndOfData)
                break;
            ++tokens;
        }
    }
    benchmark::DoNotOptimize(tokens);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["tokens"] = static_cast<double>(tokens) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LexContentStream)->Unit(benchmark::kMillisecond);

// The floor: one table look-up per byte, nothing else.
void BM_ByteClassScan(benchmark::State& state) {
    const std::string& text = Content();
    for (auto _ : state) {
        unsigned white = 0;
        for (unsigned char c : text)
            white += GLOB_IsWhite(c);
        benchmark::DoNotOptimize(white);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ByteClassScan)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
