// Writes the seed corpus of every target into DIR/<target>/: streams made by
// the project's own encoders and hand-written PDF syntax, each behind the
// parameter bytes its target reads first, and the content parser tests'
// golden content sample. When the shared corpus of real files lies next to
// the checkout (../shared/corpus), seeds are also cut out of its files:
// content streams, object texts, Flate data with and without a predictor,
// DCT, CCITT and ASCII85 data, the /Filter and /DecodeParms that go with
// them, real samples encoded by the project's own RunLength, ASCIIHex and
// ASCII85 encoders, type 4 programs, and colour spaces, functions, shadings,
// images, pages and resource dictionaries with the objects they reach. The
// content-model targets also take the seeds of FUZZ_ContentSeeds, the
// reading path's target those of FUZZ_HostSeeds.
// fuzz/corpus is this program's output:
//   rm -rf fuzz/corpus && build/fuzz/fuzz_make_corpus fuzz/corpus
#include "FILT/FILT_ASCII85Encode.h"
#include "FILT/FILT_ASCIIHexEncode.h"
#include "FILT/FILT_CCITTFaxEncode.h"
#include "FILT/FILT_DCTEncode.h"
#include "FILT/FILT_FlateEncode.h"
#include "FILT/FILT_PredictEncode.h"
#include "FILT/FILT_RunLengthEncode.h"
#include "FUZZ_ContentSeeds.h"
#include "FUZZ_HostSeeds.h"
#include "FUZZ_Input.h"
#include "FUZZ_RealSeeds.h"
#include "FUZZ_SeparationSeeds.h"
#include "GLIB/GLIB_Log.h"
#include "support/FilterDriver.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

std::string g_root;

void Write(const std::string& target, int index, const std::string& bytes) {
    const std::string dir = g_root + "/" + target;
    mkdir(dir.c_str(), 0755);
    std::ofstream(dir + "/seed-" + std::to_string(index), std::ios::binary) << bytes;
}

// A whole file, or nothing when it cannot be read.
std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Encode(FILT_Filter&& filter, const std::string& data) { return RunFilter(filter, data, {{0}, {0}}); }

std::string Sample(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < n) {
        const char c = static_cast<char>(rng() % 7 == 0 ? rng() : 'a' + rng() % 3);
        s.append(1 + rng() % 9, c);
    }
    return s.substr(0, n);
}

const char* const Syntax[] = {
    "<< /Type /Page /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>",
    "[1 -2 +3 4.5 -.5 (a\\(b\\)c\\101\\n) <48656C6C6F> /N#20x true false null]",
    "q 1 0 0 1 72 720 cm 0.5 g BT /F1 12 Tf (Hello) Tj ET Q\n0 0 1 rg 10 10 100 50 re f\n",
    "/CS0 cs 0.2 0.4 scn [0.5 (x) 3] TJ %comment\r\n<< /A [[[1]]] >> BDC EMC\0\0\0",
    "(unbalanced (nested) \\\r\n continued) << /K << /L [ ] >> >> 1 2 R",
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_corpus DIR\n");
        return 2;
    }
    // Damaged real files make the filters log warnings by the hundred.
    GLIB_SetLogger([](int32_t, const char*, const char*, int32_t) { return 0; });
    g_root = argv[1];
    mkdir(g_root.c_str(), 0755);
    int i = 0;
    for (const char* text : Syntax) {
        Write("ParseObject", i, text);
        Write("Lexer", i, FUZZ_Input::SeedChunks(i % 3).substr(0, 3) + text);
        Write("OperatorParser", i, FUZZ_Input::SeedChunks((i + 1) % 3).substr(0, 3) + text);
        ++i;
    }
    const char* const contents[] = {
        "q 1 0 0 1 72 720 cm 0 0 m 100 0 l h f 10 10 40 40 re W* n BT 0 -14 TD (x) Tj T* ET Q",
        "BI /W 4 /H 2 /BPC 8 /CS /G ID 01EI4567 EI BI /W 2 /H 1 /BPC 8 /CS /RGB /F /AHx ID 0A0B0C 0D0E0F> EI "
        "BX 1 newop EX",
        // The names of the target's resources, each with its operator.
        "/CS0 cs 0.5 sc /DeviceCMYK CS 0 0 0 1 SC /GS0 gs [3 2] 1 d 2 w 1 j q 0.5 0 0 0.5 9 9 cm /Im0 Do Q "
        "/Span <</MCID 0>> BDC BT /F0 12 Tf 2 Tr 72 700 Td (a) Tj [(b) -20 (c)] TJ ET EMC "
        "BI /W 2 /H 2 /BPC 1 /IM true /D [1 0] ID \xC0\x40 EI BI /W 1 /H 1 /BPC 8 /CS /CS0 ID z EI\x04",
    };
    for (int k = 0; k < 3; ++k)
        Write("ContentParser", k, FUZZ_Input::SeedChunks(k).substr(0, 3) + contents[k]);
    // The parser tests' golden content sample.
    const std::string golden = ReadFile(TINTSCOPE_TEST_DATA_DIR "/CPDF_ContentParser_content.txt");
    if (!golden.empty())
        Write("ContentParser", 3, FUZZ_Input::SeedChunks(2).substr(0, 3) + golden);
    for (int k = 0; k < 3; ++k) {
        const std::string data = Sample(300 + 700 * k, k);
        const std::string c = FUZZ_Input::SeedChunks(k);
        Write("FlateDecode", k, c + Encode(FILT_FlateEncode(), data));
        Write("RunLengthDecode", k, c + Encode(FILT_RunLengthEncode(), data));
        Write("ASCIIHexDecode", k, c + Encode(FILT_ASCIIHexEncode(), data));
        Write("ASCII85Decode", k, c + Encode(FILT_ASCII85Encode(), data));
        // PNG Up and TIFF predictors over 3 colours of 8 bits, 10 columns.
        const int predictor = k == 1 ? 2 : 10 + k;
        FILT_Filter* chain = new FILT_PredictEncode(predictor, 3, 8, 10);
        const std::string predicted = RunFilter(*chain, data.substr(0, 300), {{0}, {0}});
        delete chain;
        const std::string params = {static_cast<char>(predictor), 3, 8, 0, 10};
        Write("FlatePredictDecode", k, params + c + Encode(FILT_FlateEncode(), predicted));
    }
    // Bilevel pages: K = -1, 0 and 2 with EndOfLine, byte alignment and
    // EndOfBlock in turn; 64 columns, 24 rows of stripes and noise.
    const int32_t ks[] = {-1, 0, 2};
    for (int k = 0; k < 3; ++k) {
        std::string bitmap;
        for (int row = 0; row < 24; ++row)
            for (int b = 0; b < 8; ++b)
                bitmap += static_cast<char>(row % 3 == 0 ? 0xF0 >> (b % 4) : Sample(1, row * 8 + b)[0]);
        const uint8_t flags = static_cast<uint8_t>((k == 0 ? 1 : 0) | (k == 1 ? 2 : 0) | 4);
        FILT_CCITTFaxEncode encoder;
        encoder.SetParams(ks[k], flags & 1, flags & 2, true, false, 24, 64);
        const std::string params = {static_cast<char>(flags), static_cast<char>(ks[k]), 0, 24, 0, 64};
        Write("CCITTFaxDecode", k, params + FUZZ_Input::SeedChunks(k) + Encode(std::move(encoder), bitmap));
    }
    // JPEG images of 1, 3 and 4 colours, 24 x 16 pixels.
    for (int k = 0; k < 3; ++k) {
        const int colors = k == 0 ? 1 : k + 2;
        std::string pixels;
        for (int i = 0; i < 24 * 16 * colors; ++i)
            pixels += static_cast<char>((i * 7) ^ (i / 24 * 13));
        FILT_DCTEncode encoder;
        encoder.SetColors(colors);
        encoder.SetColumns(24);
        encoder.SetRows(16);
        Write("DCTDecode", k, std::string(1, static_cast<char>(k == 2 ? 2 : k)) + FUZZ_Input::SeedChunks(k) +
                                  Encode(std::move(encoder), pixels));
    }
    // Stream dictionaries with data for them: the factory decodes encoded
    // data; the memory back-end encodes raw data (flag 0) and reads it back.
    struct StreamSeed {
        const char* dict;
        std::string encoded;
    };
    const std::string raw = Sample(500, 99);
    FILT_Filter* predict = new FILT_PredictEncode(12, 1, 8, 5);
    const std::string predicted = RunFilter(*predict, raw, {{0}, {0}});
    delete predict;
    const StreamSeed streams[] = {
        {"<< /Filter /FlateDecode >>", Encode(FILT_FlateEncode(), raw)},
        {"<< /Filter [/ASCII85Decode /FlateDecode] /DecodeParms [null << /Predictor 12 /Columns 5 >>] >>",
         Encode(FILT_ASCII85Encode(), Encode(FILT_FlateEncode(), predicted))},
        {"<< /Filter [/ASCIIHexDecode /RunLengthDecode] >>",
         Encode(FILT_ASCIIHexEncode(), Encode(FILT_RunLengthEncode(), raw))},
        {"<< /Filter /CCITTFaxDecode /DecodeParms << /K -1 /Columns 64 /Rows 24 >> >>", ""},
        {"<< /Filter /DCTDecode /DecodeParms << /Colors 1 /Columns 24 /Rows 16 >> >>", ""},
    };
    int n = 0;
    for (const StreamSeed& seed : streams) {
        const std::string dict = seed.dict;
        const std::string head = std::string(1, static_cast<char>(dict.size())) + dict;
        if (!seed.encoded.empty())
            Write("FilterChain", n, head + "\x01" + FUZZ_Input::SeedChunks(n % 3) + seed.encoded);
        Write("MemoryStream", n, head + std::string("\0\2\0", 3) + FUZZ_Input::SeedChunks(n % 3).substr(0, 3) + raw);
        ++n;
    }
    for (const auto& target : FUZZ_SeparationSeeds()) {
        int n = 0;
        for (const std::string& seed : target.second)
            Write(target.first, n++, seed);
    }
    for (const auto& target : FUZZ_ContentSeeds()) {
        int n = 0;
        for (const std::string& seed : target.second)
            Write(target.first, n++, seed);
    }
    n = 0;
    for (const std::string& seed : FUZZ_HostSeeds(TINTSCOPE_CORPUS_DIR))
        Write("HostSeparatePage", n++, seed);
    FUZZ_RealSeeds(TINTSCOPE_CORPUS_DIR).Write(g_root);
    return 0;
}
