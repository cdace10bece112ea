// Throughput of the content parser on a generated content stream of paths,
// text, colours and inline images, beside the lexer alone on the same
// bytes. Both read through a GLOB_StringStream, one pass each in turn, so
// that both share the machine's load; their ratio is printed after the run.
#include "CPDF/content/CPDF_ContentParser.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StreamLexer.h"
#include "GLOB/GLOB_StringStream.h"

#include "BENCH_Support.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>

namespace {

constexpr size_t ContentBytes = 12u << 20;

// Every operator of the content is legal where it stands, so the parser
// steps to the end; image data are letters, so the lexer reads them as
// names and numbers and never fails.
const std::string& Content() {
    static const std::string text = [] {
        std::string s;
        s.reserve(ContentBytes + 512);
        std::mt19937 random(11);
        std::uniform_real_distribution<double> coordinate(0.0, 612.0);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        char line[320];
        for (unsigned i = 0; s.size() < ContentBytes; ++i) {
            switch (i % 7) {
            case 0:
                std::snprintf(line, sizeof line, "q 1 0 0 1 %.2f %.2f cm /GS0 gs\n", coordinate(random),
                              coordinate(random));
                break;
            case 1:
                std::snprintf(line, sizeof line, "%.3f %.3f m %.3f %.3f l %.3f %.3f %.3f %.3f %.3f %.3f c h f\n",
                              coordinate(random), coordinate(random), coordinate(random), coordinate(random),
                              coordinate(random), coordinate(random), coordinate(random), coordinate(random),
                              coordinate(random), coordinate(random));
                break;
            case 2:
                std::snprintf(line, sizeof line, "BT /F0 12 Tf 72 %.2f Td (Line %u of \\(sample\\) text) Tj "
                              "[(A) -120 (W) 30] TJ ET\n", coordinate(random), i);
                break;
            case 3:
                std::snprintf(line, sizeof line, "/CS0 cs %.3f sc %.3f %.3f %.3f rg %.3f %.3f %.3f %.3f K\n",
                              unit(random), unit(random), unit(random), unit(random), unit(random), unit(random),
                              unit(random), unit(random));
                break;
            case 4:
                std::snprintf(line, sizeof line, "%.2f %.2f 20 10 re W n %.2f w [3 2] 0 d 0.5 G %.2f %.2f m "
                              "%.2f %.2f l S\n", coordinate(random), coordinate(random), unit(random) * 4,
                              coordinate(random), coordinate(random), coordinate(random), coordinate(random));
                break;
            case 5:
                std::snprintf(line, sizeof line, "BI /W 16 /H 4 /BPC 8 /CS /G ID %s EI\n",
                              "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijkl");
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

const GLOB_Object& Resources() {
    static const GLOB_Object resources = GLOB_ObjectFactory::MemoryDoc().ParseObject(
        "<< /ColorSpace << /CS0 [/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] "
        "/C0 [0 0 0 0] /C1 [0 0.2 0.9 0.1] /N 1 >>] >> /ExtGState << /GS0 << /LW 2 /op true >> >> "
        "/Font << /F0 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>");
    return resources;
}

// Bytes and seconds summed over the iterations.
struct Rate {
    double bytes = 0;
    double seconds = 0;
    double MBPerSecond() const { return bytes / seconds / 1e6; }
};
Rate g_lexer, g_parser;

template <class Pass>
void Timed(Rate& rate, Pass&& pass) {
    const auto start = std::chrono::steady_clock::now();
    pass();
    rate.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rate.bytes += static_cast<double>(Content().size());
}

bool LexAll(size_t* tokens) {
    GLOB_StreamLexer lexer(GLOB_Stream(new GLOB_StringStream(Content())));
    for (;;) {
        const GLOB_StreamLexer::Token token = lexer.NextToken();
        if (token == GLOB_StreamLexer::TokenError)
            return false;
        if (token == GLOB_StreamLexer::TokenEndOfData)
            return true;
        ++*tokens;
    }
}

// The parser's message when it stops before the end.
std::string ParseAll(size_t* operators) {
    CPDF_ContentParser parser;
    parser.Start(GLOB_Stream(new GLOB_StringStream(Content())), Resources());
    while (parser.Step())
        ++*operators;
    return parser.IsStopped() ? parser.ErrorMessage() : std::string();
}

void BM_ParserBesideLexer(benchmark::State& state) {
    size_t tokens = 0, operators = 0;
    for (auto _ : state) {
        bool lexed = true;
        std::string stopped;
        Timed(g_lexer, [&] { lexed = LexAll(&tokens); });
        Timed(g_parser, [&] { stopped = ParseAll(&operators); });
        if (!lexed || !stopped.empty()) {
            state.SkipWithError(lexed ? ("the parser stopped: " + stopped).c_str() : "the lexer failed");
            return;
        }
    }
    state.counters["lexer MB/s"] = g_lexer.MBPerSecond();
    state.counters["parser MB/s"] = g_parser.MBPerSecond();
    state.counters["operators"] = static_cast<double>(operators) / static_cast<double>(state.iterations());
    state.counters["tokens"] = static_cast<double>(tokens) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ParserBesideLexer)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return BENCH_RunThenReport(argc, argv, [] {
        if (g_lexer.seconds > 0 && g_parser.seconds > 0)
            std::printf("Content of %zu bytes: lexer %.1f MB/s, parser %.1f MB/s; parser / lexer ratio %.3f\n",
                        Content().size(), g_lexer.MBPerSecond(), g_parser.MBPerSecond(),
                        g_parser.MBPerSecond() / g_lexer.MBPerSecond());
    });
}
