// Every decoder on damaged input: cut valid streams and random bytes must
// end with the decoder's own exception or with end of data, never hang,
// never overrun (the sanitizers watch), never break the call contract.
#include "FILT/FILT_ASCII85Decode.h"
#include "FILT/FILT_ASCII85Encode.h"
#include "FILT/FILT_ASCIIHexDecode.h"
#include "FILT/FILT_ASCIIHexEncode.h"
#include "FILT/FILT_FlateDecode.h"
#include "FILT/FILT_FlateEncode.h"
#include "FILT/FILT_PredictDecode.h"
#include "FILT/FILT_PredictEncode.h"
#include "FILT/FILT_RunLengthDecode.h"
#include "FILT/FILT_RunLengthEncode.h"

#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"
#include "support/TestSupport.h"
#include "FILT_TestData.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

struct Codec {
    const char* name;
    std::function<FILT_Filter*()> encoder, decoder;
    uint32_t code;          // the decoder's exception code
    bool cutAlwaysThrows;   // a cut stream is an error, not a shorter one
    const char* alphabet;   // bytes the format is made of, for near-valid garbage
};

const Codec Codecs[] = {
    {"Flate", [] { return new FILT_FlateEncode; }, [] { return new FILT_FlateDecode; }, 1130010, true, nullptr},
    {"ASCII85", [] { return new FILT_ASCII85Encode; }, [] { return new FILT_ASCII85Decode; }, 1130004, false,
     "!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuz~ \r\n"},
    {"ASCIIHex", [] { return new FILT_ASCIIHexEncode; }, [] { return new FILT_ASCIIHexDecode; }, 1130002, false,
     "0123456789abcdefABCDEF >\r\n"},
    {"RunLength", [] { return new FILT_RunLengthEncode; }, [] { return new FILT_RunLengthDecode; }, 0, false, nullptr},
    {"Predict PNG", [] { return new FILT_PredictEncode(15, 3, 8, 7); },
     [] { return new FILT_PredictDecode(15, 3, 8, 7); }, 1130012, false, "\x00\x01\x02\x03\x04\x05"},
    {"Predict TIFF", [] { return new FILT_PredictEncode(2, 3, 4, 7); },
     [] { return new FILT_PredictDecode(2, 3, 4, 7); }, 0, false, nullptr},
};

// Decodes data; returns the exception code, or 0 at end of data.
uint32_t Decode(const Codec& c, const std::string& data, const Chunking& ch, std::string* out = nullptr) {
    std::unique_ptr<FILT_Filter> dec(c.decoder());
    try {
        const std::string got = RunFilter(*dec, data, ch, 8 * data.size() + 4096);
        if (out)
            *out = got;
        return 0;
    } catch (const GLIB_Exception& e) {
        return e.Code();
    }
}

const Chunking Cuts[] = {{{7, 3, 13}, {5, 11, 2}}, {{1}, {1}}};

}  // namespace

TEST(FILT_Decoders, EveryPrefixEndsCleanly) {
    LogCapture quiet;
    const std::string data = MixedBytes(600, 31);
    for (const Codec& c : Codecs) {
        std::unique_ptr<FILT_Filter> enc(c.encoder());
        const std::string encoded = RunFilter(*enc, data, {{0}, {0}});
        for (size_t n = 0; n < encoded.size(); n += 1 + n / 100) {
            for (const Chunking& ch : Cuts) {
                SCOPED_TRACE(std::string(c.name) + " prefix " + std::to_string(n) + " " + ch.Name());
                std::string got;
                const uint32_t code = Decode(c, encoded.substr(0, n), ch, &got);
                if (c.cutAlwaysThrows) {
                    EXPECT_EQ(code, c.code);
                } else {
                    EXPECT_TRUE(code == 0 || code == c.code) << code;
                }
                // What a cut stream yields is the start of the data; the last
                // partial group may be decoded from padding.
                if (code == 0 && got.size() > 4) {
                    EXPECT_EQ(got.substr(0, got.size() - 4), data.substr(0, got.size() - 4));
                }
            }
        }
    }
}

TEST(FILT_Decoders, GarbageEndsCleanly) {
    LogCapture quiet;
    for (const Codec& c : Codecs) {
        for (unsigned seed = 0; seed < 60; ++seed) {
            std::string data = RandomBytes(seed * 11, seed);
            // Half the inputs drawn from the format's own bytes, to go deeper.
            if (c.alphabet && seed % 2) {
                const std::string a = c.alphabet[0] ? c.alphabet : std::string(c.alphabet, 6);
                for (char& ch : data)
                    ch = a[static_cast<uint8_t>(ch) % a.size()];
            }
            for (const Chunking& ch : Cuts) {
                SCOPED_TRACE(std::string(c.name) + " seed " + std::to_string(seed) + " " + ch.Name());
                const uint32_t code = Decode(c, data, ch);
                EXPECT_TRUE(code == 0 || code == c.code) << code;
            }
        }
    }
}
