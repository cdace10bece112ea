#include "FILT/FILT_CCITTFaxDecode.h"

#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Codes of ITU-T T.4 used by the vectors below.
const char* const EOL = "000000000001";
const char* const V0 = "1";
const char* const H = "001";
const char* const VL3 = "0000010";
const char* const White2 = "0111";
const char* const White4 = "1011";
const char* const White5 = "1100";
const char* const White8 = "10011";
const char* const White10 = "00111";
const char* const White0 = "00110101";
const char* const Black0 = "0000110111";
const char* const Black1 = "010";
const char* const Black8 = "000101";

// Packs a bit string ('0', '1'; anything else ignored) MSB first, padded
// with 0 bits.
std::string Pack(const std::string& text) {
    std::string bits;
    for (char c : text)
        if (c == '0' || c == '1')
            bits += c;
    std::string out((bits.size() + 7) / 8, '\0');
    for (size_t i = 0; i < bits.size(); ++i)
        if (bits[i] == '1')
            out[i / 8] = static_cast<char>(out[i / 8] | (0x80 >> (i % 8)));
    return out;
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    while (n-- > 0)
        out += s;
    return out;
}

struct Params {
    int k = -1;
    bool eol = false;
    bool align = false;
    bool eob = true;
    bool blackIs1 = false;
    int rows = 0;
    int columns = 1728;
};

std::string Decode(const Params& p, const std::string& data, const Chunking& c = {{0}, {0}}) {
    FILT_CCITTFaxDecode d;
    EXPECT_TRUE(d.SetParams(p.k, p.eol, p.align, p.eob, p.blackIs1, p.rows, p.columns)) << d.Message();
    return RunFilter(d, data, c);
}

// The message of the 1130006 exception that decoding throws, or "" when none.
std::string DecodeError(const Params& p, const std::string& data) {
    LogCapture quiet;
    try {
        Decode(p, data);
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), FILT_CCITTFaxDecodeCode);
        return e.What();
    }
    return std::string();
}

}  // namespace

// The fixed vectors of the decoder's documentation, under every chunking.
TEST(FILT_CCITTFaxDecode, FixedVectors) {
    struct Case {
        Params params;
        std::string bits;
        std::string expected;
    } cases[] = {
        // 0: T.6 all-white rows, one V0 each, then EOFB.
        {{-1, false, false, true, false, 0, 16}, Repeat(V0, 3) + EOL + EOL, std::string(6, '\xFF')},
        // 1: the same with BlackIs1.
        {{-1, false, false, true, true, 0, 16}, Repeat(V0, 3) + EOL + EOL, std::string(6, '\0')},
        // 2: K = 0, one row of 8 white pixels (0x98).
        {{0, false, false, false, false, 1, 8}, White8, "\xFF"},
        // 3: K = -1, two V0 codes (0xC0).
        {{-1, false, false, false, false, 2, 8}, "11", "\xFF\xFF"},
        // 4: Columns 10: padding takes the colour after the last change.
        {{0, false, false, false, false, 2, 10}, std::string(White10) + White2 + Black8,
         std::string("\xFF\xC0\xC0\x3F", 4)},
        // 5: K = 0 with RTC.
        {{0, false, false, true, false, 0, 8}, White8 + Repeat(EOL, 6), "\xFF"},
        // 6: K < 0: an EOL before a row is accepted; EOL EOL ends.
        {{-1, false, false, true, false, 0, 8}, std::string(EOL) + V0 + EOL + EOL, "\xFF"},
        // 7: K = 2 with tags 1, 0, 1, 0.
        {{2, true, false, false, false, 4, 8},
         std::string(EOL) + "1" + White8 + EOL + "0" + V0 + EOL + "1" + White8 + EOL + "0" + V0,
         std::string(4, '\xFF')},
        // 8: ten 0 bits and a 1 are an EOL for the two-dimensional codes.
        {{-1, false, false, true, false, 0, 8}, std::string("00000000001") + V0 + EOL + EOL, "\xFF"},
        // 9: EncodedByteAlign skips to the next byte after each row…
        {{0, false, true, false, false, 2, 8}, std::string(White8) + "000" + White8, "\xFF\xFF"},
        // 10: …until the first EOL, after which rows follow unaligned.
        {{0, false, true, false, false, 3, 8}, std::string(White8) + "000" + EOL + White8 + White8,
         std::string(3, '\xFF')},
        // 11: a row that starts black (white run 0) and make-up codes.
        {{0, false, false, false, false, 1, 80}, std::string(White0) + "0000001111" /* black 64 */ +
                                                     "0000111" /* black 12 */ + White4,
         std::string(10, '\0').replace(9, 1, "\x0F")},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const std::string data = Pack(cases[i].bits);
        for (const Chunking& c : StandardChunkings(2)) {
            SCOPED_TRACE(::testing::Message() << "case " << i << " " << c.Name());
            LogCapture quiet;
            EXPECT_EQ(Decode(cases[i].params, data, c), cases[i].expected);
        }
    }
}

// Decoding errors carry their texts and code 1130006.
TEST(FILT_CCITTFaxDecode, BadDataThrows) {
    struct Case {
        Params params;
        std::string bits;
        const char* message;
    } cases[] = {
        // 0: two EOLs in a row without EndOfBlock.
        {{0, false, false, false, false, 2, 8}, std::string(White8) + EOL + EOL,
         "Unexpected EOL encountered"},
        // 1: an EOL inside a horizontal-mode run (K < 0).
        {{-1, false, false, true, false, 0, 8}, std::string(H) + EOL, "Unexpected EOL encountered"},
        // 2: K = 2, tags 1, 0, 0.
        {{2, true, false, true, false, 0, 8},
         std::string(EOL) + "1" + White8 + EOL + "0" + V0 + EOL + "0" + V0,
         "More than K-1 consecutive 2-D lines encountered"},
        // 3: an extension code.
        {{-1, false, false, true, false, 0, 8}, "0000001 111", "FILT_CCittFaxDecode error : Invalid G4 code encountered"},
        // 4: a one-dimensional invalid prefix.
        {{0, false, false, true, false, 0, 8}, "000000001 111", "Invalid Horizontal G3 code encountered"},
        // 5: ten 0 bits and a 1 are no one-dimensional code.
        {{0, false, false, true, false, 0, 8}, "00000000001 111", "Invalid Horizontal G3 code encountered"},
        // 6: EOFB where a row was expected without EndOfBlock.
        {{-1, false, false, false, false, 2, 8}, std::string(EOL) + EOL, "Unexpected EOFB encountered"},
        // 7: a vertical code left of a0 (b1 = 5 after a0 = 4, VL3).
        {{-1, false, false, true, false, 0, 16},
         std::string(H) + White5 + Black1 + V0 + H + White4 + Black0 + VL3, "a1 before a0"},
        // 8: zero-length runs that never advance a0 fill the coding line.
        {{-1, false, false, true, false, 0, 8}, Repeat(std::string(H) + White0 + Black0, 8),
         "More changing elements than Columns allows"},
        // 9: make-up codes without end.
        {{0, false, false, true, false, 0, 8}, Repeat("000000011111", 40), "Runs reach far beyond Columns"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NE(DecodeError(cases[i].params, Pack(cases[i].bits)).find(cases[i].message), std::string::npos)
            << DecodeError(cases[i].params, Pack(cases[i].bits));
    }
}

TEST(FILT_CCITTFaxDecode, BadParametersThrowOnFirstCall) {
    struct Case {
        int k, rows, columns;
        bool eob;
        const char* message;
    } cases[] = {
        {-1, 0, 0, true, "Columns must be"},
        {-1, 0, -8, true, "Columns must be"},
        {0, 0, FILT_CCITTFaxDecode::MaxColumns + 1, true, "Columns must be"},
        {0, 0, 8, false, "Must specify positive Rows or EndOfBlock"},
        {2, -3, 8, false, "Must specify positive Rows or EndOfBlock"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        FILT_CCITTFaxDecode d;
        EXPECT_FALSE(d.SetParams(cases[i].k, false, false, cases[i].eob, false, cases[i].rows, cases[i].columns));
        EXPECT_NE(d.Message().find(cases[i].message), std::string::npos);
        for (int call = 0; call < 2; ++call) {
            try {
                RunFilter(d, "\x80", {{0}, {0}});
                ADD_FAILURE() << "no exception";
            } catch (const GLIB_Exception& e) {
                EXPECT_EQ(e.Code(), FILT_CCITTFaxDecodeCode);
                EXPECT_NE(std::string(e.What()).find(cases[i].message), std::string::npos);
            }
        }
    }
    FILT_CCITTFaxDecode d;
    EXPECT_FALSE(d.SetParams(-1, false, false, true, false, 0, 8, true, true, 2, 2));
    EXPECT_NE(d.Message().find("strip number out of range"), std::string::npos);
}

TEST(FILT_CCITTFaxDecode, ErrorStateThrowsAgain) {
    LogCapture quiet;
    FILT_CCITTFaxDecode d;
    d.SetParams(-1, false, false, true, false, 0, 8);
    FILT_FilterBuffer in(16), out(64);
    const std::string data = Pack("0000001 111");
    in.Write(reinterpret_cast<const uint8_t*>(data.data()), static_cast<FILT_Size>(data.size()));
    EXPECT_THROW(d.ProcessBytes(in, out), GLIB_Exception);
    try {
        d.ProcessBytes(in, out);
        ADD_FAILURE() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), FILT_CCITTFaxDecodeCode);
        EXPECT_STREQ(e.What(), "FILT_CCITTFaxDecode: ProcessBytes called while in the Error state");
    }
    EXPECT_TRUE(quiet.Contains(GLIB_LogDebug, "*** Error encountered on line 0 ***"));
    EXPECT_TRUE(quiet.Contains(GLIB_LogDebug, "bLine: "));
}

TEST(FILT_CCITTFaxDecode, InputAndOutputAccounting) {
    // K < 0 without EndOfBlock: after Rows rows the rest stays in the input,
    // and the partly read last byte counts as consumed.
    FILT_CCITTFaxDecode d;
    d.SetParams(-1, false, false, false, false, 1, 8);
    FILT_FilterBuffer in(8), out(8);
    const uint8_t data[] = {0x80, 0xAB, 0xCD};
    in.Write(data, 3);
    d.ProcessBytes(in, out);
    EXPECT_TRUE(out.IsEOD());
    EXPECT_EQ(out.DataAvailable(), 1u);
    EXPECT_EQ(*out.GetPtr(), 0xFF);
    EXPECT_EQ(in.DataAvailable(), 2u);

    // Input running out inside an image: no error, no end of data.
    FILT_CCITTFaxDecode partial;
    partial.SetParams(-1, false, false, true, false, 0, 16);
    FILT_FilterBuffer in2(8), out2(8);
    const uint8_t one = 0xE0;  // three V0 codes
    in2.Write(&one, 1);
    partial.ProcessBytes(in2, out2);
    EXPECT_FALSE(out2.IsEOD());
    EXPECT_EQ(out2.DataAvailable(), 6u);
    EXPECT_EQ(in2.DataAvailable(), 0u);

    // An output with 3 bytes of room takes part of a 4-byte row.
    FILT_CCITTFaxDecode small;
    small.SetParams(-1, false, false, true, false, 0, 32);
    FILT_FilterBuffer in3(8), out3(3);
    in3.Write(&one, 1);
    small.ProcessBytes(in3, out3);
    EXPECT_EQ(out3.DataAvailable(), 3u);
    EXPECT_EQ(out3.SpaceRemaining(), 0u);
}

// EOD in the middle of an image ends it: a begun row is completed and
// delivered; a stream without its end block ends cleanly.
TEST(FILT_CCITTFaxDecode, EndOfInputEndsTheImage) {
    struct Case {
        Params params;
        std::string bits;
        std::string expected;
    } cases[] = {
        // 0: T.6 rows without EOFB.
        {{-1, false, false, true, false, 0, 8}, "11", "\xFF\xFF"},
        // 1: a row cut after a white run of 2 and a black run of 4.
        {{0, false, false, true, false, 0, 16}, std::string(White2) + "011", std::string("\xC3\xFF", 2)},
        // 2: cut inside a code: the partial code is dropped.
        {{0, false, false, true, false, 0, 8}, std::string(White8) + "000", "\xFF"},
        // 3: cut after the first EOL of an end block.
        {{-1, false, false, true, false, 0, 8}, std::string(V0) + EOL, "\xFF"},
        // 4: without EndOfBlock, fewer rows than Rows.
        {{-1, false, false, false, false, 5, 8}, "11", "\xFF\xFF"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        for (const Chunking& c : StandardChunkings(1)) {
            SCOPED_TRACE(::testing::Message() << "case " << i << " " << c.Name());
            EXPECT_EQ(Decode(cases[i].params, Pack(cases[i].bits), c), cases[i].expected);
        }
}

TEST(FILT_CCITTFaxDecode, WarningsAreLoggedAndDecodingGoesOn) {
    {
        // EndOfLine: no EOL before the first row, two before the second.
        LogCapture log;
        const Params p{0, true, false, true, false, 0, 8};
        EXPECT_EQ(Decode(p, Pack(std::string(White8) + EOL + EOL + White8 + EOL + EOL + EOL + EOL)),
                  "\xFF\xFF");
        EXPECT_TRUE(log.Contains(GLIB_LogDebug, "Warning: Expecting exactly one EOL, found 0"));
        EXPECT_TRUE(log.Contains(GLIB_LogDebug, "Warning: Expecting exactly one EOL, found 2"));
    }
    {
        // A row of 10 white pixels where 8 were expected.
        LogCapture log;
        EXPECT_EQ(Decode({0, false, false, false, false, 1, 8}, Pack(White10)), "\xFF");
        EXPECT_TRUE(log.Contains(GLIB_LogDebug,
                                 "Warning: Image is too wide. Expecting 8 columns, found 10 columns on line 1"));
    }
    {
        // Strict mode makes the warning an error.
        LogCapture log;
        FILT_CCITTFaxDecode d;
        d.SetParams(0, false, false, false, false, 1, 8);
        d.SetStrict(true);
        try {
            RunFilter(d, Pack(White10), {{0}, {0}});
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(std::string(e.What()), "Image is too wide. Expecting 8 columns, found 10 columns on line 1");
        }
    }
}

// An image split into strips: each strip continues from the reference line
// and the bit position kept at the end of the previous one.
TEST(FILT_CCITTFaxDecode, StripsContinueFromTheSavedState) {
    // Row 1: white 2, black 2, white 4; rows 2 and 3 repeat it with V0 codes.
    const std::string data = Pack(std::string(H) + White2 + "11" /* black 2 */ + V0 + Repeat(V0, 6));
    FILT_FilterBuffer in(8);
    in.Write(reinterpret_cast<const uint8_t*>(data.data()), static_cast<FILT_Size>(data.size()));
    in.SetEOD();
    FILT_CCITTFaxDecode d;
    ASSERT_TRUE(d.SetParams(-1, false, false, false, false, 1, 8, true, true, 0, 2, true));
    FILT_FilterBuffer out(8);
    d.ProcessBytes(in, out);
    EXPECT_TRUE(out.IsEOD());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out.GetPtr()), out.DataAvailable()), "\xCF");
    // The partly read second byte stays in the input for the next strip.
    EXPECT_EQ(in.DataAvailable(), 1u);
    ASSERT_TRUE(d.SetParams(-1, false, false, false, false, 2, 8, true, true, 1, 2, false));
    FILT_FilterBuffer out2(8);
    d.ProcessBytes(in, out2);
    EXPECT_TRUE(out2.IsEOD());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out2.GetPtr()), out2.DataAvailable()), "\xCF\xCF");
    // A fresh start decodes strip 1 against an all-white row instead.
    ASSERT_TRUE(d.SetParams(-1, false, false, false, false, 1, 8, true, true, 1, 2, true));
    EXPECT_EQ(RunFilter(d, Pack(V0), {{0}, {0}}), "\xFF");
}

TEST(FILT_CCITTFaxDecode, TraceLogsCodesAndRows) {
    LogCapture log;
    FILT_CCITTFaxDecode d;
    d.SetParams(-1, false, false, true, false, 0, 8);
    d.SetTrace(true, FILT_CCITTFaxDecode::TraceInput | FILT_CCITTFaxDecode::TraceTwoD |
                         FILT_CCITTFaxDecode::TraceOneD | FILT_CCITTFaxDecode::TraceRaster,
               0, 0, -1, 100);
    EXPECT_EQ(RunFilter(d, Pack(std::string(H) + White2 + "11" + V0 + EOL + EOL), {{0}, {0}}), "\xCF");
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, "Decoded White G4 Horz (001) AccumWidth: -1"));
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, "Decoded White G3 Code 0111 (2) AccumWidth: -1"));
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, "Processing Byte @ 0x"));
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, "GenerateRaster: Generating 1 bytes."));
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, "Row    0: ..**...."));
    // Outside the windows nothing is traced.
    LogCapture none;
    FILT_CCITTFaxDecode quiet;
    quiet.SetParams(-1, false, false, true, false, 0, 8);
    quiet.SetTrace(true, FILT_CCITTFaxDecode::TraceTwoD, -1, -1, -1, -1);
    RunFilter(quiet, Pack("1" + std::string(EOL) + EOL), {{0}, {0}});
    EXPECT_TRUE(none.Entries().empty());
}

// Random bytes end in an exception or in end of data, never in a hang or
// a sanitizer report.
TEST(FILT_CCITTFaxDecode, GarbageEndsCleanly) {
    LogCapture quiet;
    std::mt19937 rng(1234);
    const Params params[] = {
        {-1, false, false, true, false, 0, 64},  {0, false, false, true, true, 0, 13},
        {2, true, false, true, false, 0, 100},   {1, false, true, false, false, 40, 7},
        {-1, false, true, false, false, 30, 1},  {0, true, false, false, false, 10, 1728},
    };
    int finished = 0, thrown = 0;
    for (int round = 0; round < 300; ++round) {
        std::string data(1 + rng() % 300, '\0');
        // Mostly zero-heavy or one-heavy bytes, so that codes parse a while.
        const int flavour = round % 3;
        for (char& c : data) {
            uint8_t b = static_cast<uint8_t>(rng());
            if (flavour == 1)
                b &= static_cast<uint8_t>(rng());
            else if (flavour == 2)
                b |= static_cast<uint8_t>(rng());
            c = static_cast<char>(b);
        }
        const Params& p = params[round % (sizeof params / sizeof params[0])];
        const Chunking c = round % 2 ? Chunking{{1}, {1}} : Chunking{{7, 3}, {5, 11}};
        SCOPED_TRACE(round);
        try {
            Decode(p, data, c);
            ++finished;
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), FILT_CCITTFaxDecodeCode);
            ++thrown;
        }
    }
    EXPECT_GT(finished, 0);
    EXPECT_GT(thrown, 0);
}
