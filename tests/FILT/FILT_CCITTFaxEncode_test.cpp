#include "FILT/FILT_CCITTFaxEncode.h"
#include "FILT/FILT_CCITTTables.h"

#include "FILT_TestData.h"

namespace {

const std::string EOL = "000000000001", White8 = "10011";

}  // namespace

// Known code sequences of ITU-T T.4 and T.6, under every chunking.
TEST(FILT_CCITTFaxEncode, FixedVectors) {
    const struct { FaxParams params; std::string input, bits; } cases[] = {
        // 0: one row of 8 white pixels.
        {{0, false, false, false, false, 1, 8}, "\xFF", White8},
        // 1: a white run of 2560 + 64 + 1: codes 2560, 64, 1.
        {{0, false, false, false, false, 1, 2625}, std::string(329, '\xFF'), "000000011111 11011 000111"},
        // 2: white 1728 (make-up and white 0), then black 63.
        {{0, false, false, false, false, 1, 1791}, std::string(216, '\xFF') + std::string(8, '\0'),
         "010011011 00110101 000001100111"},
        // 3: Columns 10 with alternating padding bits: no codes for them.
        {{0, false, false, false, false, 1, 10}, "\xFF\xD5", "00111"},
        // 4: K < 0 with EndOfBlock: V0, then EOFB.
        {{-1, false, false, true, false, 1, 8}, "\xFF", "1" + EOL + EOL},
        // 5: with EndOfLine as well, an EOL before the row.
        {{-1, true, false, true, false, 1, 8}, "\xFF", EOL + "1" + EOL + EOL},
        // 6: K = 0, EndOfLine and EndOfBlock: an EOL before every row, then RTC.
        {{0, true, false, true, false, 2, 8}, "\xFF\xFF", EOL + White8 + EOL + White8 + Repeat(EOL, 6)},
        // 7: K = 2 with EndOfLine: tags 1, 0, 1; RTC of EOLs each with a 1.
        {{2, true, false, true, false, 3, 8}, "\xFF\xFF\xFF",
         EOL + "1" + White8 + EOL + "0" + "1" + EOL + "1" + White8 + Repeat(EOL + "1", 6)},
        // 8: EncodedByteAlign with EndOfLine: fill so that the EOL ends a byte…
        {{0, true, true, false, false, 1, 8}, "\xFF", "0000" + EOL + White8},
        // 9: …and 8 fill bits before an EOL that would end a byte anyway.
        {{0, true, true, false, false, 2, 2}, "\xC0\xC0", "0000" + EOL + "0111" + std::string(8, '0') + EOL + "0111"},
        // 10: EncodedByteAlign without EndOfLine pads each row.
        {{0, false, true, false, false, 2, 8}, "\xFF\xFF", White8 + "000" + White8},
        // 11: BlackIs1: 0 bits are white.
        {{0, false, false, false, true, 1, 8}, std::string(1, '\0'), White8},
        // 12: a black row starts with a white run of 0.
        {{0, false, false, false, false, 1, 8}, std::string(1, '\0'), "00110101 000101"},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        for (const Chunking& c : StandardChunkings(1)) {
            SCOPED_TRACE(std::to_string(i) + " " + c.Name());
            const FaxParams& p = cases[i].params;
            FILT_CCITTFaxEncode e;
            EXPECT_TRUE(e.SetParams(p.k, p.eol, p.align, p.eob, p.blackIs1, p.rows, p.columns)) << e.Message();
            EXPECT_EQ(RunFilter(e, cases[i].input, c), PackBits(cases[i].bits));
        }
}

// Codes that the vectors above and the round trips (ours both ways) leave
// unchecked, against ITU-T T.4 tables 2 to 4; the decoder's tables are built
// from the same lists as these encoder entries.
TEST(FILT_CCITTFaxEncode, CodesAreTheStandardOnes) {
    using T = FILT_CCITTTables;
    const T& t = T::Instance();
    const auto bits = [](const T::EncodeEntry& e, uint32_t length) {
        std::string s;
        for (uint32_t i = 0; i < length; ++i)
            s += (e.pattern[i / 8] & (0x80 >> (i % 8))) ? '1' : '0';
        return s;
    };
    const struct { int colour, index; const char* bits; } oneD[] = {
        {T::White, 63, "00110100"},       {T::Black, 63, "000001100111"}, {T::Black, 64, "0000001111"},
        {T::Black, 90, "0000001100101"},  {T::White, 91, "00000001000"},  {T::Black, 103, "000000011111"},
        {T::White, 104, "000000000001"},
    };
    for (const auto& c : oneD)
        EXPECT_EQ(bits(t.oneDEncode[c.colour].entry[0][c.index], t.oneDEncode[c.colour].length[c.index]), c.bits)
            << c.colour << " " << c.index;
    const char* twoD[] = {"1", "011", "000011", "0000011", "010", "000010", "0000010", "001", "0001",
                          "000000000001", "0000001", "00000001", "000000001", "0000000001", "00000000001"};
    for (int i = 0; i < T::TwoDEncodeCodes; ++i)
        EXPECT_EQ(bits(t.twoDEncode.entry[0][i], t.twoDEncode.length[i]), twoD[i]) << i;
}

TEST(FILT_CCITTFaxEncode, BadParametersThrow1130005) {
    const struct { int rows, columns; const char* message; } cases[] = {
        {0, 8, "Must specify positive Rows"},
        {-4, 8, "Must specify positive Rows"},
        {2, 0, "Must specify Columns from 1 to"},
        {2, FILT_CCITTFaxEncode::MaxColumns + 1, "Must specify Columns from 1 to"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        LogCapture log;
        FILT_CCITTFaxEncode e;
        EXPECT_FALSE(e.SetParams(0, false, false, true, false, cases[i].rows, cases[i].columns));
        EXPECT_TRUE(log.Contains(GLIB_LogDebug, std::string("Error: ") + cases[i].message));
        ExpectThrows([&] { RunFilter(e, "\xFF", {{0}, {0}}); }, 1130005, cases[i].message);
    }
    // The constructor's Rows of 0 is refused on the first call.
    LogCapture log;
    FILT_CCITTFaxEncode fresh;
    EXPECT_EQ(ThrownCode([&] { RunFilter(fresh, "\xFF", {{0}, {0}}); }), 1130005u);
}

// Input that ends before Rows rows is an error, not a wait for more.
TEST(FILT_CCITTFaxEncode, InputEndingEarlyThrows) {
    for (const Chunking& c : StandardChunkings(2)) {
        SCOPED_TRACE(c.Name());
        FILT_CCITTFaxEncode e;
        e.SetParams(-1, false, false, true, false, 3, 16);
        ExpectThrows([&] { RunFilter(e, std::string("\xFF\xFF\x00\x00\x0F", 5), c); }, 1130005,
                     "FILT_CCittFaxEncode error : Input ended after 2 of 3 rows");
    }
}

// Extra input after Rows rows is left alone and the filter finishes; an
// output that already has its EOD takes nothing more.
TEST(FILT_CCITTFaxEncode, EndsAfterRows) {
    FILT_CCITTFaxEncode e, afterEnd;
    e.SetParams(0, false, false, false, false, 1, 8);
    afterEnd.SetParams(0, false, false, false, false, 1, 8);
    TestBuffer in(std::string("\xFF\x00\x00", 3)), out("", false, 3), out2("", false, 3), ended("", true, 64);
    e.ProcessBytes(in.buf, out.buf);
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(in.buf.DataAvailable(), 2u);
    EXPECT_EQ(out.Text(), PackBits(White8));
    e.ProcessBytes(in.buf, out2.buf);
    EXPECT_TRUE(out2.buf.IsEOD());
    EXPECT_EQ(out2.Text(), "");
    ExpectThrows([&] { afterEnd.ProcessBytes(in.buf, ended.buf); }, 1130005,
                 "FILT_CCittFaxEncode error : Trying to generate more data after EndOfData set.");
    EXPECT_EQ(ended.Text(), "");
    EXPECT_EQ(in.buf.DataAvailable(), 1u);  // the row it read is accounted before the throw
}
