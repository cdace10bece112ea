// What every codec shares: encode-then-decode round trips under every
// chunking; cut streams, random bytes and damaged streams ending with the
// decoder's own exception or with end of data (never a hang, an overrun or
// a broken call contract); and the Error state after a throw.
#include "FILT/FILT_ASCII85Decode.h"
#include "FILT/FILT_ASCII85Encode.h"
#include "FILT/FILT_ASCIIHexDecode.h"
#include "FILT/FILT_ASCIIHexEncode.h"
#include "FILT/FILT_CCITTFaxDecode.h"
#include "FILT/FILT_CCITTFaxEncode.h"
#include "FILT/FILT_DCTDecode.h"
#include "FILT/FILT_DCTEncode.h"
#include "FILT/FILT_FlateDecode.h"
#include "FILT/FILT_FlateEncode.h"
#include "FILT/FILT_PredictDecode.h"
#include "FILT/FILT_PredictEncode.h"
#include "FILT/FILT_RunLengthDecode.h"
#include "FILT/FILT_RunLengthEncode.h"

#include "FILT_DCTTestJpeg.h"
#include "FILT_TestData.h"

#include <memory>

namespace {

using Make = std::function<FILT_Filter*()>;

// Makes filters of class F, each set up by setup.
template <class F>
Make With(std::function<void(F&)> setup) {
    return [setup] {
        F* f = new F;
        setup(*f);
        return f;
    };
}

// The decoder's exception code; whether a cut stream is an error rather
// than a shorter one; the bytes the format is made of, for near-valid garbage.
// checkBytes: a check at the end, which a cut may lack and still finish.
struct Codec {
    const char* name;
    Make encoder, decoder;
    uint32_t code;
    bool cutAlwaysThrows;
    std::string alphabet;
    size_t checkBytes = 0;
};

// The codecs that take data of any length back losslessly.
const std::vector<Codec>& Codecs() {
    static const std::vector<Codec> codecs = {
        {"Flate", [] { return new FILT_FlateEncode; }, [] { return new FILT_FlateDecode; }, 1130010, false, "", 4},
        {"ASCII85", With<FILT_ASCII85Encode>([](auto& e) { e.SetLineLength(64); e.SetEndOfLine("\r"); }),
         [] { return new FILT_ASCII85Decode; }, 1130004, false,
         "!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuz~ \r\n"},
        {"ASCIIHex", With<FILT_ASCIIHexEncode>([](auto& e) { e.SetLineLength(32); e.SetEndOfLine("\r"); }),
         [] { return new FILT_ASCIIHexDecode; }, 1130002, false, "0123456789abcdefABCDEF >\r\n"},
        {"RunLength", [] { return new FILT_RunLengthEncode; }, [] { return new FILT_RunLengthDecode; }, 0, false, ""},
        {"Predict PNG", [] { return new FILT_PredictEncode(15, 3, 8, 7); },
         [] { return new FILT_PredictDecode(15, 3, 8, 7); }, 1130012, false, std::string("\0\1\2\3\4\5", 6)},
        {"Predict TIFF", [] { return new FILT_PredictEncode(2, 3, 4, 7); },
         [] { return new FILT_PredictDecode(2, 3, 4, 7); }, 0, false, ""},
    };
    return codecs;
}

std::string RunMade(const Make& make, const std::string& data, const Chunking& ch, size_t bound = 1u << 28) {
    std::unique_ptr<FILT_Filter> f(make());
    return RunFilter(*f, data, ch, bound);
}

// Decodes data; returns the exception code, or 0 at end of data.
uint32_t Decode(const Make& decoder, const std::string& data, const Chunking& ch, std::string* out = nullptr) {
    return ThrownCode([&] {
        const std::string got = RunMade(decoder, data, ch, 8 * data.size() + (1u << 16));
        if (out)
            *out = got;
    });
}

const Chunking Cuts[] = {{{7, 3, 13}, {5, 11, 2}}, {{1}, {1}}};

// A valid stream to cut and damage; damage spares the 10 bytes from keep on
// (a JPEG's size, so that the output stays small).
struct Damageable { std::string name; Make decoder; uint32_t code; std::string sample, alphabet, keep; };

std::vector<Damageable> AllDecoders() {
    std::vector<Damageable> all;
    for (const Codec& c : Codecs())
        all.push_back({c.name, c.decoder, c.code, RunMade(c.encoder, MixedBytes(600, 31), {{0}, {0}}), c.alphabet, ""});
    // Zero-heavy and one-heavy bytes parse as codes for a while.
    const std::string fax("\x00\x00\x00\x01\x02\x10\x40\x80\xff\xff\xfe\x7f\xf0\x0f", 14);
    for (const FaxParams& p : {FaxParams{-1, false, false, true, false, 75, 64},
                               FaxParams{0, true, false, true, true, 300, 13},
                               FaxParams{2, false, true, true, false, 46, 100}}) {
        FILT_CCITTFaxEncode e;
        e.SetParams(p.k, p.eol, p.align, p.eob, p.blackIs1, p.rows, p.columns);
        const std::string sample = RunFilter(e, MixedBytes(static_cast<size_t>(p.rows * ((p.columns + 7) / 8)), 5),
                                             {{0}, {0}});
        all.push_back({"CCITT K=" + std::to_string(p.k), With<FILT_CCITTFaxDecode>([p](auto& d) {
                           d.SetParams(p.k, p.eol, p.align, p.eob, p.blackIs1, 0, p.columns);
                       }),
                       1130006, sample, fax, ""});
    }
    for (bool progressive : {false, true}) {
        const dcttest::JpegShape shape{61, 45, 3, JCS_RGB, JCS_YCbCr, 0, progressive, progressive};
        all.push_back({progressive ? "DCT progressive" : "DCT", [] { return new FILT_DCTDecode; }, 1130007,
                       dcttest::MakeJpeg(shape, dcttest::SourceImage(61, 45, 3, 5)), "",
                       progressive ? "\xFF\xC2" : "\xFF\xC0"});
    }
    return all;
}

}  // namespace

TEST(FILT_Decoders, RoundTripEveryChunking) {
    LogCapture quiet;  // the Flate decoder warns when resumed without input
    const auto inputs = RoundTripInputs();
    for (const Codec& c : Codecs()) {
        for (size_t k = 0; k < inputs.size(); ++k) {
            for (const Chunking& ch : StandardChunkings(7)) {
                SCOPED_TRACE(std::string(c.name) + " input " + std::to_string(k) + " " + ch.Name());
                const size_t bound = 3 * inputs[k].size() + 64;
                const std::string encoded = RunMade(c.encoder, inputs[k], ch, bound);
                EXPECT_EQ(RunMade(c.decoder, encoded, ch, bound), inputs[k]);
            }
        }
    }
}

TEST(FILT_Decoders, EveryPrefixEndsCleanly) {
    LogCapture quiet;
    const std::string data = MixedBytes(600, 31);
    for (const Codec& c : Codecs()) {
        const std::string encoded = RunMade(c.encoder, data, {{0}, {0}});
        for (size_t n = 0; n < encoded.size(); n += 1 + n / 100) {
            for (const Chunking& ch : Cuts) {
                SCOPED_TRACE(std::string(c.name) + " prefix " + std::to_string(n) + " " + ch.Name());
                std::string got;
                const uint32_t code = Decode(c.decoder, encoded.substr(0, n), ch, &got);
                const bool throws = c.cutAlwaysThrows && n + c.checkBytes < encoded.size();
                EXPECT_TRUE(code == c.code || (code == 0 && !throws)) << code;
                // What a cut stream yields is the start of the data; the last
                // partial group may be decoded from padding.
                if (code == 0 && got.size() > 4) {
                    EXPECT_EQ(got.substr(0, got.size() - 4), data.substr(0, got.size() - 4));
                }
            }
        }
    }
}

// Random bytes, bytes of the format's own alphabet, and valid streams cut
// and with bytes changed.
TEST(FILT_Decoders, GarbageEndsCleanly) {
    LogCapture quiet;
    for (const Damageable& d : AllDecoders()) {
        std::mt19937 rng(7);
        int thrown = 0;
        for (unsigned round = 0; round < 60; ++round) {
            std::string data = RandomBytes(1 + rng() % 700, round);
            if (round % 3 == 1 && !d.alphabet.empty()) {
                for (char& ch : data)
                    ch = d.alphabet[static_cast<uint8_t>(ch) % d.alphabet.size()];
            } else if (round % 3 == 2) {
                data = d.sample.substr(0, d.sample.size() - rng() % (1 + d.sample.size() / (round % 2 ? 2 : 50)));
                const size_t keep = d.keep.empty() ? std::string::npos : d.sample.find(d.keep);
                for (int changes = 1 + static_cast<int>(rng() % 6); changes > 0; --changes) {
                    const size_t at = rng() % data.size();
                    if (at < keep || at >= keep + 10)
                        data[at] = static_cast<char>(rng());
                }
            }
            for (const Chunking& ch : Cuts) {
                SCOPED_TRACE(d.name + " round " + std::to_string(round) + " " + ch.Name());
                const uint32_t code = Decode(d.decoder, data, ch);
                EXPECT_TRUE(code == 0 || code == d.code) << code;
                thrown += code != 0;
            }
        }
        if (d.code) {
            EXPECT_GT(thrown, 0) << d.name;
        }
    }
}

// After a throw every call throws "<Name>: ProcessBytes called while in the
// Error state" (with the ASCIIHex decoder's own spelling and code).
TEST(FILT_Decoders, ErrorStateRepeats) {
    const struct { Make filter; std::string bad; uint32_t code, againCode; const char* again; } cases[] = {
        {[] { return new FILT_FlateDecode; }, "\x78\x01\xff\xff", 1130010, 1130010, "FILT_FlateDecode"},
        {[] { return new FILT_ASCII85Decode; }, "{", 1130004, 1130004, "ASCII85Decode"},
        {[] { return new FILT_ASCIIHexDecode; }, "zz", 1130002, 1130004, "ASCIIHExDecode"},
        {[] { return new FILT_PredictDecode(12, 1, 8, 3); }, std::string("\0abc\5def", 8), 1130012, 1130012,
         "FILT_PredictDecode"},
        {With<FILT_RunLengthDecode>([](auto& d) { d.SetRowMode(3, 0); }), "\x03" "ABCD", 1130015, 1130015,
         "RunLengthDecode"},
        {With<FILT_CCITTFaxDecode>([](auto& d) { d.SetParams(-1, false, false, true, false, 0, 8); }),
         PackBits("0000001 111"), 1130006, 1130006, "FILT_CCITTFaxDecode"},
        {With<FILT_CCITTFaxEncode>([](auto& e) { e.SetParams(-1, false, false, true, false, 3, 16); }),
         std::string("\xff\xff\x00\x00\x0f", 5), 1130005, 1130005, "FILT_CCITTFaxEncode"},
        {[] { return new FILT_DCTDecode; }, "\x12\x34\x56", 1130007, 1130007, "FILT_DCTDecode"},
        {With<FILT_DCTEncode>([](auto& e) { e.SetColors(3); }), "abc", 1130008, 1130008, "FILT_DCTEncode"},
    };
    LogCapture quiet;
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        std::unique_ptr<FILT_Filter> f(cases[k].filter());
        EXPECT_EQ(ThrownCode([&] { RunFilter(*f, cases[k].bad, {{0}, {0}}); }), cases[k].code);
        for (int call = 0; call < 2; ++call) {
            TestBuffer in(cases[k].bad, true), out("", false, 64);
            std::string message;
            EXPECT_EQ(ThrownCode([&] { f->ProcessBytes(in.buf, out.buf); }, &message), cases[k].againCode);
            EXPECT_EQ(message, std::string(cases[k].again) + ": ProcessBytes called while in the Error state");
        }
    }
}

// Inline image data is followed by " EI" and the rest of its content
// stream: a decoder takes no byte past the end of its data, however the data
// is cut, and decodes the same.
TEST(FILT_Decoders, TakeNothingPastTheirEnd) {
    LogCapture quiet;
    const std::string tail = " EI Q q 1 0 0 1 0 0 cm Q\n";
    struct Row { std::string name; Make decoder; std::string data, plain; };
    std::vector<Row> rows;
    const std::string plain = MixedBytes(2000, 8);
    for (const Codec& c : Codecs())
        if (std::string(c.name).rfind("Predict", 0) != 0)  // a predictor has no end of its own
            rows.push_back({c.name, c.decoder, RunMade(c.encoder, plain, {{0}, {0}}), plain});
    for (int k : {-1, 0, 2}) {
        const std::string raster = MixedBytes(30 * 8, 5);  // 64 columns: no padding bits
        FILT_CCITTFaxEncode e;
        e.SetParams(k, false, false, /*endOfBlock=*/true, false, 30, 64);
        rows.push_back({"CCITT K=" + std::to_string(k), With<FILT_CCITTFaxDecode>([k](auto& d) {
                            d.SetParams(k, false, false, /*endOfBlock=*/true, false, 0, 64);
                        }),
                        RunFilter(e, raster, {{0}, {0}}), raster});
    }
    // Restart markers and an APP2 marker between the segments the end-of-image
    // search steps over.
    const dcttest::JpegShape baseline{61, 45, 3, JCS_RGB, JCS_YCbCr, 300, false, 2},
        progressive{61, 45, 3, JCS_RGB, JCS_YCbCr, 0, true, 1},
        arithmetic{61, 45, 3, JCS_RGB, JCS_YCbCr, 300, false, 2, true};
    for (const auto& [name, shape] : {std::pair{"DCT baseline", baseline}, std::pair{"DCT progressive", progressive},
                                      std::pair{"DCT arithmetic", arithmetic}}) {
        const std::string jpeg = dcttest::MakeJpeg(shape, dcttest::SourceImage(61, 45, 3, 5));
        dcttest::JpegInfo info;
        const std::string pixels = dcttest::LibjpegDecode(jpeg, JCS_UNKNOWN, &info);
        rows.push_back({name, [] { return new FILT_DCTDecode; }, jpeg, pixels});
    }
    for (const Row& r : rows) {
        ASSERT_FALSE(r.data.empty() || r.plain.empty()) << r.name;
        for (size_t piece = 0; piece <= 64; ++piece) {
            // Output whole, or cut so that the end comes while the output is full.
            const Chunking ch{{piece}, {piece % 2 ? 0u : 97u}};
            SCOPED_TRACE(r.name + " " + ch.Name());
            std::unique_ptr<FILT_Filter> f(r.decoder());
            size_t untaken = 0;
            EXPECT_TRUE(RunFilter(*f, r.data + tail, ch, r.plain.size() + 64, &untaken) == r.plain);
            EXPECT_EQ(untaken, tail.size());
        }
    }
}
