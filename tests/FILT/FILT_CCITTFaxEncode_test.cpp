#include "FILT/FILT_CCITTFaxEncode.h"

#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string EOL = "000000000001";
const std::string White8 = "10011";

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
    int rows = 1;
    int columns = 8;
};

std::string Encode(const Params& p, const std::string& rows, const Chunking& c = {{0}, {0}}) {
    FILT_CCITTFaxEncode e;
    EXPECT_TRUE(e.SetParams(p.k, p.eol, p.align, p.eob, p.blackIs1, p.rows, p.columns)) << e.Message();
    return RunFilter(e, rows, c);
}

}  // namespace

// Known code sequences of ITU-T T.4 and T.6, under every chunking.
TEST(FILT_CCITTFaxEncode, FixedVectors) {
    struct Case {
        Params params;
        std::string input;
        std::string bits;
    } cases[] = {
        // 0: one row of 8 white pixels: 10011, padded (0x98).
        {{0, false, false, false, false, 1, 8}, "\xFF", White8},
        // 1: a white run of 2560 + 64 + 1: codes 2560, 64, 1.
        {{0, false, false, false, false, 1, 2625}, std::string(329, '\xFF'), "000000011111 11011 000111"},
        // 2: Columns 10 with alternating padding bits: no codes for them.
        {{0, false, false, false, false, 1, 10}, "\xFF\xD5", "00111"},
        // 3: K < 0 with EndOfBlock: V0, then EOFB.
        {{-1, false, false, true, false, 1, 8}, "\xFF", "1" + EOL + EOL},
        // 4: with EndOfLine as well, three EOLs follow the last row.
        {{-1, true, false, true, false, 1, 8}, "\xFF", "1" + EOL + EOL + EOL},
        // 5: K = 0, EndOfLine and EndOfBlock: an EOL after every row, then RTC.
        {{0, true, false, true, false, 2, 8}, "\xFF\xFF", White8 + EOL + White8 + EOL + Repeat(EOL, 6)},
        // 6: K = 2 with EndOfLine: tags 1, 0, 1; RTC of EOLs each with a 1.
        {{2, true, false, true, false, 3, 8}, "\xFF\xFF\xFF",
         EOL + "1" + White8 + EOL + "0" + "1" + EOL + "1" + White8 + Repeat(EOL + "1", 6)},
        // 7: EncodedByteAlign with EndOfLine: fill so that the EOL ends a byte.
        {{0, true, true, false, false, 1, 8}, "\xFF", White8 + "0000000" + EOL},
        // 8: …and 8 fill bits before an EOL that would end a byte anyway.
        {{0, true, true, false, false, 1, 2}, "\xC0", "0111" + std::string(8, '0') + EOL},
        // 9: EncodedByteAlign without EndOfLine pads each row.
        {{0, false, true, false, false, 2, 8}, "\xFF\xFF", White8 + "000" + White8},
        // 10: BlackIs1: 0 bits are white.
        {{0, false, false, false, true, 1, 8}, std::string(1, '\0'), White8},
        // 11: a black row starts with a white run of 0.
        {{0, false, false, false, false, 1, 8}, std::string(1, '\0'), "00110101 000101"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        for (const Chunking& c : StandardChunkings(1)) {
            SCOPED_TRACE(::testing::Message() << "case " << i << " " << c.Name());
            EXPECT_EQ(Encode(cases[i].params, cases[i].input, c), Pack(cases[i].bits));
        }
}

TEST(FILT_CCITTFaxEncode, BadParametersThrow1130005) {
    struct Case {
        int rows, columns;
        const char* message;
    } cases[] = {
        {0, 8, "Must specify positive Rows"},
        {-4, 8, "Must specify positive Rows"},
        {2, 0, "Must specify Columns from 1 to"},
        {2, FILT_CCITTFaxEncode::MaxColumns + 1, "Must specify Columns from 1 to"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        LogCapture log;
        FILT_CCITTFaxEncode e;
        EXPECT_FALSE(e.SetParams(0, false, false, true, false, cases[i].rows, cases[i].columns));
        EXPECT_TRUE(log.Contains(GLIB_LogDebug, std::string("Error: ") + cases[i].message));
        try {
            RunFilter(e, "\xFF", {{0}, {0}});
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& ex) {
            EXPECT_EQ(ex.Code(), FILT_CCITTFaxEncodeCode);
            EXPECT_NE(std::string(ex.What()).find(cases[i].message), std::string::npos);
        }
    }
    // The constructor's Rows of 0 is refused on the first call.
    LogCapture log;
    FILT_CCITTFaxEncode fresh;
    EXPECT_THROW(RunFilter(fresh, "\xFF", {{0}, {0}}), GLIB_Exception);
}

// Input that ends before Rows rows is an error, not a wait for more.
TEST(FILT_CCITTFaxEncode, InputEndingEarlyThrows) {
    for (const Chunking& c : StandardChunkings(2)) {
        SCOPED_TRACE(c.Name());
        FILT_CCITTFaxEncode e;
        e.SetParams(-1, false, false, true, false, 3, 16);
        try {
            RunFilter(e, std::string("\xFF\xFF\x00\x00\x0F", 5), c);
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& ex) {
            EXPECT_EQ(ex.Code(), FILT_CCITTFaxEncodeCode);
            EXPECT_STREQ(ex.What(), "FILT_CCittFaxEncode error : Input ended after 2 of 3 rows");
        }
        FILT_FilterBuffer in(4), out(64);
        try {
            e.ProcessBytes(in, out);
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& ex) {
            EXPECT_STREQ(ex.What(), "FILT_CCITTFaxEncode: ProcessBytes called while in the Error state");
        }
    }
}

TEST(FILT_CCITTFaxEncode, OutputAfterEndOfDataThrows) {
    FILT_CCITTFaxEncode e;
    e.SetParams(0, false, false, false, false, 1, 8);
    FILT_FilterBuffer in(4), out(64);
    const uint8_t row = 0xFF;
    in.Write(&row, 1);
    out.SetEOD();
    try {
        e.ProcessBytes(in, out);
        ADD_FAILURE() << "no exception";
    } catch (const GLIB_Exception& ex) {
        EXPECT_EQ(ex.Code(), FILT_CCITTFaxEncodeCode);
        EXPECT_STREQ(ex.What(), "FILT_CCittFaxEncode error : Trying to generate more data after EndOfData set.");
    }
    EXPECT_EQ(out.DataAvailable(), 0u);
}

// Extra input after Rows rows is left alone; the filter finishes.
TEST(FILT_CCITTFaxEncode, FinishesAfterRows) {
    FILT_CCITTFaxEncode e;
    e.SetParams(0, false, false, false, false, 1, 8);
    FILT_FilterBuffer in(4), out(3);
    const uint8_t rows[] = {0xFF, 0x00, 0x00};
    in.Write(rows, 3);
    e.ProcessBytes(in, out);
    EXPECT_TRUE(out.IsEOD());
    EXPECT_EQ(in.DataAvailable(), 2u);
    ASSERT_EQ(out.DataAvailable(), 1u);
    EXPECT_EQ(*out.GetPtr(), 0x98);
    FILT_FilterBuffer out2(3);
    e.ProcessBytes(in, out2);
    EXPECT_TRUE(out2.IsEOD());
    EXPECT_EQ(out2.DataAvailable(), 0u);
}
