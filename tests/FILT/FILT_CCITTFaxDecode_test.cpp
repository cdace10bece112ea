#include "FILT/FILT_CCITTFaxDecode.h"

#include "FILT_TestData.h"

namespace {

// Codes of ITU-T T.4 used by the vectors below.
const std::string EOL = "000000000001", V0 = "1", H = "001", VL3 = "0000010";
const std::string White0 = "00110101", White2 = "0111", White4 = "1011", White5 = "1100", White8 = "10011",
                  White10 = "00111";
const std::string Black0 = "0000110111", Black1 = "010", Black8 = "000101";

// Decodes the bits; expects the parameters to be accepted.
std::string Decode(const FaxParams& p, const std::string& bits, const Chunking& c = {{0}, {0}}) {
    FILT_CCITTFaxDecode d;
    EXPECT_TRUE(d.SetParams(p.k, p.eol, p.align, p.eob, p.blackIs1, p.rows, p.columns)) << d.Message();
    return RunFilter(d, PackBits(bits), c);
}

}  // namespace

// Known vectors, and streams that end without their end block or inside a
// row: a begun row is completed and delivered, the image ends cleanly.
TEST(FILT_CCITTFaxDecode, DecodesKnownBits) {
    const struct { FaxParams params; std::string bits, expected; } cases[] = {
        // 0, 1: T.6 all-white rows, one V0 each, then EOFB; the same with BlackIs1.
        {{-1, false, false, true, false, 0, 16}, Repeat(V0, 3) + EOL + EOL, std::string(6, '\xFF')},
        {{-1, false, false, true, true, 0, 16}, Repeat(V0, 3) + EOL + EOL, std::string(6, '\0')},
        // 2: K = 0, one row of 8 white pixels.
        {{0, false, false, false, false, 1, 8}, White8, "\xFF"},
        // 3: Columns 10: padding takes the colour after the last change.
        {{0, false, false, false, false, 2, 10}, White10 + White2 + Black8, std::string("\xFF\xC0\xC0\x3F", 4)},
        // 4: K = 0 with RTC.
        {{0, false, false, true, false, 0, 8}, White8 + Repeat(EOL, 6), "\xFF"},
        // 5: K < 0: an EOL before a row is accepted; EOL EOL ends.
        {{-1, false, false, true, false, 0, 8}, EOL + V0 + EOL + EOL, "\xFF"},
        // 6: K = 2 with tags 1, 0, 1, 0.
        {{2, true, false, false, false, 4, 8}, Repeat(EOL + "1" + White8 + EOL + "0" + V0, 2),
         std::string(4, '\xFF')},
        // 7: ten 0 bits and a 1 are an EOL for the two-dimensional codes.
        {{-1, false, false, true, false, 0, 8}, "00000000001" + V0 + EOL + EOL, "\xFF"},
        // 8: EncodedByteAlign skips to the next byte after each row…
        {{0, false, true, false, false, 2, 8}, White8 + "000" + White8, "\xFF\xFF"},
        // 9: …until the first EOL, after which rows follow unaligned.
        {{0, false, true, false, false, 3, 8}, White8 + "000" + EOL + White8 + White8, std::string(3, '\xFF')},
        // 10: a row that starts black (white run 0), make-up code black 64, black 12.
        {{0, false, false, false, false, 1, 80}, White0 + "0000001111" + "0000111" + White4,
         std::string(9, '\0') + "\x0F"},
        // 11: T.6 rows without EOFB.
        {{-1, false, false, true, false, 0, 8}, "11", "\xFF\xFF"},
        // 12: a row cut after a white run of 2 and a black run of 4.
        {{0, false, false, true, false, 0, 16}, White2 + "011", std::string("\xC3\xFF", 2)},
        // 13: cut inside a code: the partial code is dropped.
        {{0, false, false, true, false, 0, 8}, White8 + "000", "\xFF"},
        // 14: cut after the first EOL of an end block.
        {{-1, false, false, true, false, 0, 8}, V0 + EOL, "\xFF"},
        // 15: without EndOfBlock, fewer rows than Rows.
        {{-1, false, false, false, false, 5, 8}, "11", "\xFF\xFF"},
    };
    LogCapture quiet;
    for (size_t i = 0; i < std::size(cases); ++i)
        for (const Chunking& c : StandardChunkings(2)) {
            SCOPED_TRACE(std::to_string(i) + " " + c.Name());
            EXPECT_EQ(Decode(cases[i].params, cases[i].bits, c), cases[i].expected);
        }
}

TEST(FILT_CCITTFaxDecode, BadDataThrows) {
    const struct { FaxParams params; std::string bits; const char* message; } cases[] = {
        {{0, false, false, false, false, 2, 8}, White8 + EOL + EOL, "Unexpected EOL encountered"},
        // An EOL inside a horizontal-mode run.
        {{-1, false, false, true, false, 0, 8}, H + EOL, "Unexpected EOL encountered"},
        // K = 2, tags 1, 0, 0.
        {{2, true, false, true, false, 0, 8}, EOL + "1" + White8 + EOL + "0" + V0 + EOL + "0" + V0,
         "More than K-1 consecutive 2-D lines encountered"},
        // An extension code.
        {{-1, false, false, true, false, 0, 8}, "0000001 111",
         "FILT_CCittFaxDecode error : Invalid G4 code encountered"},
        {{0, false, false, true, false, 0, 8}, "000000001 111", "Invalid Horizontal G3 code encountered"},
        // Ten 0 bits and a 1 are no one-dimensional code.
        {{0, false, false, true, false, 0, 8}, "00000000001 111", "Invalid Horizontal G3 code encountered"},
        // EOFB where a row was expected without EndOfBlock.
        {{-1, false, false, false, false, 2, 8}, EOL + EOL, "Unexpected EOFB encountered"},
        // A vertical code left of a0 (b1 = 5 after a0 = 4, VL3).
        {{-1, false, false, true, false, 0, 16}, H + White5 + Black1 + V0 + H + White4 + Black0 + VL3, "a1 before a0"},
        // Zero-length runs that never advance a0 fill the coding line.
        {{-1, false, false, true, false, 0, 8}, Repeat(H + White0 + Black0, 8),
         "More changing elements than Columns allows"},
        // Make-up codes without end.
        {{0, false, false, true, false, 0, 8}, Repeat("000000011111", 40), "Runs reach far beyond Columns"},
    };
    LogCapture quiet;
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        ExpectThrows([&] { Decode(cases[i].params, cases[i].bits); }, 1130006, cases[i].message);
    }
    EXPECT_TRUE(quiet.Contains(GLIB_LogDebug, "*** Error encountered on line 0 ***"));
}

TEST(FILT_CCITTFaxDecode, BadParametersThrowOnFirstCall) {
    const struct { int k, rows, columns; bool eob; const char* message; } cases[] = {
        {-1, 0, 0, true, "Columns must be"},
        {-1, 0, -8, true, "Columns must be"},
        {0, 0, FILT_CCITTFaxDecode::MaxColumns + 1, true, "Columns must be"},
        {0, 0, 8, false, "Must specify positive Rows or EndOfBlock"},
        {2, -3, 8, false, "Must specify positive Rows or EndOfBlock"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        FILT_CCITTFaxDecode d;
        EXPECT_FALSE(d.SetParams(cases[i].k, false, false, cases[i].eob, false, cases[i].rows, cases[i].columns));
        EXPECT_NE(d.Message().find(cases[i].message), std::string::npos);
        for (int call = 0; call < 2; ++call)
            ExpectThrows([&] { RunFilter(d, "\x80", {{0}, {0}}); }, 1130006, cases[i].message);
    }
    FILT_CCITTFaxDecode d;
    EXPECT_FALSE(d.SetParams(-1, false, false, true, false, 0, 8, true, true, 2, 2));
    EXPECT_NE(d.Message().find("strip number out of range"), std::string::npos);
}

// Without EndOfBlock, after Rows rows the rest stays in the input; the
// partly read last byte counts as consumed.
TEST(FILT_CCITTFaxDecode, StopsAfterRows) {
    FILT_CCITTFaxDecode d;
    d.SetParams(-1, false, false, false, false, 1, 8);
    TestBuffer in("\x80\xAB\xCD", false), out("", false, 8);
    d.ProcessBytes(in.buf, out.buf);
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(out.Text(), "\xFF");
    EXPECT_EQ(in.Text(), "\xAB\xCD");
}

TEST(FILT_CCITTFaxDecode, WarningsAreLoggedAndDecodingGoesOn) {
    LogCapture log;
    // EndOfLine: no EOL before the first row, two before the second.
    EXPECT_EQ(Decode({0, true, false, true, false, 0, 8}, White8 + EOL + EOL + White8 + Repeat(EOL, 4)), "\xFF\xFF");
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, "Warning: Expecting exactly one EOL, found 0"));
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, "Warning: Expecting exactly one EOL, found 2"));
    // A row of 10 white pixels where 8 were expected; strict mode makes it an error.
    const char* wide = "Image is too wide. Expecting 8 columns, found 10 columns on line 1";
    EXPECT_EQ(Decode({0, false, false, false, false, 1, 8}, White10), "\xFF");
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, std::string("Warning: ") + wide));
    FILT_CCITTFaxDecode d;
    d.SetParams(0, false, false, false, false, 1, 8);
    d.SetStrict(true);
    ExpectThrows([&] { RunFilter(d, PackBits(White10), {{0}, {0}}); }, 1130006, wide);
}

// Trace mode decodes the same and logs each input byte and code at level 7.
TEST(FILT_CCITTFaxDecode, TraceLogsTheSteps) {
    LogCapture log;
    FILT_CCITTFaxDecode d;
    d.SetParams(-1, false, false, true, false, 0, 8);
    d.SetTrace(true, FILT_CCITTFaxDecode::TraceInput | FILT_CCITTFaxDecode::TraceTwoD, 0, 9, -1, 9);
    EXPECT_EQ(RunFilter(d, PackBits(V0 + EOL + EOL), {{1}, {1}}), "\xFF");
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, "Decoded White G4 Vert0 (1) AccumWidth: -1"));
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, "Processing Byte @ 0x"));
    EXPECT_FALSE(log.Contains(GLIB_LogDebug, "@ 0x0x"));  // the address's digits follow the prefix
}

// An image split into strips: each strip continues from the reference line
// and the bit position kept at the end of the previous one.
TEST(FILT_CCITTFaxDecode, StripsContinueFromTheSavedState) {
    // Row 1: white 2, black 2, white 4; rows 2 and 3 repeat it with V0 codes.
    TestBuffer in(PackBits(H + White2 + "11" + V0 + Repeat(V0, 6)), true), out("", false, 8), out2("", false, 8);
    FILT_CCITTFaxDecode d;
    ASSERT_TRUE(d.SetParams(-1, false, false, false, false, 1, 8, true, true, 0, 2, true));
    d.ProcessBytes(in.buf, out.buf);
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(out.Text(), "\xCF");
    EXPECT_EQ(in.buf.DataAvailable(), 1u);  // the partly read byte stays for the next strip
    ASSERT_TRUE(d.SetParams(-1, false, false, false, false, 2, 8, true, true, 1, 2, false));
    d.ProcessBytes(in.buf, out2.buf);
    EXPECT_TRUE(out2.buf.IsEOD());
    EXPECT_EQ(out2.Text(), "\xCF\xCF");
    // A fresh start decodes strip 1 against an all-white row instead.
    ASSERT_TRUE(d.SetParams(-1, false, false, false, false, 1, 8, true, true, 1, 2, true));
    EXPECT_EQ(RunFilter(d, PackBits(V0), {{0}, {0}}), "\xFF");
}
