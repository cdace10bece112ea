#include "FILT/FILT_RunLengthDecode.h"
#include "FILT/FILT_RunLengthEncode.h"

#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"
#include "support/TestSupport.h"
#include "FILT_TestData.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list)
        s += static_cast<char>(b);
    return s;
}

std::string Distinct(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += static_cast<char>(i);
    return s;
}

}  // namespace

TEST(FILT_RunLength, EncodesKnownGroups) {
    struct Case {
        const char* what;
        std::string in, out;
    };
    const Case cases[] = {
        {"two equal stay in a literal", "ABBC", Bytes({3}) + "ABBC" + Bytes({128})},
        {"a run of seven", std::string(7, 'A'), Bytes({250, 'A', 128})},
        {"130 equal: a run of 128 and a literal of 2", std::string(130, 'X'), Bytes({129, 'X', 1, 'X', 'X', 128})},
        {"129 different: literals of 128 and 1", Distinct(129),
         Bytes({127}) + Distinct(128) + Bytes({0, 128, 128})},
        {"empty", "", Bytes({128})},
        {"a run after a literal", "XXYYYZ", Bytes({1, 'X', 'X', 254, 'Y', 0, 'Z', 128})},
        {"257 equal", std::string(257, 'q'), Bytes({129, 'q', 129, 'q', 0, 'q', 128})},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE(std::string(cases[k].what) + " " + ch.Name());
            FILT_RunLengthEncode enc;
            EXPECT_EQ(RunFilter(enc, cases[k].in, ch, 512), cases[k].out);
        }
    }
}

TEST(FILT_RunLength, DecodesKnownGroups) {
    struct Case {
        const char* what;
        std::string in, out;
    };
    const Case cases[] = {
        {"literal and run", Bytes({2, 'X', 'Y', 'Z', 254, 'Q', 128}), "XYZQQQ"},
        {"longest run and literal", Bytes({129, 'r', 127}) + Distinct(128) + Bytes({128}),
         std::string(128, 'r') + Distinct(128)},
        {"only the end mark", Bytes({128}), ""},
        // Damaged data: the input's end ends it with what came.
        {"no end mark", Bytes({1, 'a', 'b', 253, 'c'}), "abcccc"},
        {"literal cut short", Bytes({5, 'a', 'b'}), "ab"},
        {"run byte missing", Bytes({0, 'a', 200}), "a"},
        {"empty", "", ""},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE(std::string(cases[k].what) + " " + ch.Name());
            FILT_RunLengthDecode dec;
            EXPECT_EQ(RunFilter(dec, cases[k].in, ch, 512), cases[k].out);
        }
    }
}

TEST(FILT_RunLength, DecoderResumesInsideGroupsAndLeavesTrailingBytes) {
    FILT_RunLengthDecode dec;
    TestBuffer in(Bytes({2, 'X', 'Y', 'Z', 254, 'Q', 128, 'T'}), false);
    std::string got;
    for (int call = 0; call < 20; ++call) {
        TestBuffer out("", false, 1);
        dec.ProcessBytes(in.buf, out.buf);
        got += out.Text();
        EXPECT_LE(out.buf.DataAvailable(), 1u);
        if (out.buf.IsEOD())
            break;
    }
    EXPECT_EQ(got, "XYZQQQ");
    EXPECT_EQ(in.Text(), "T");
}

TEST(FILT_RunLength, RowMode) {
    {
        SCOPED_TRACE("encoder: groups end with the row; the mark after the last row");
        FILT_RunLengthEncode enc;
        enc.SetRowMode(3, 2);
        TestBuffer in("XXYYYZrest", true), out("", false, 64);
        enc.ProcessBytes(in.buf, out.buf);
        EXPECT_EQ(out.Text(), Bytes({2, 'X', 'X', 'Y', 2, 'Y', 'Y', 'Z', 128}));
        EXPECT_TRUE(out.buf.IsEOD());
        EXPECT_EQ(in.Text(), "rest");
    }
    {
        SCOPED_TRACE("encoder: a run that fills its row");
        FILT_RunLengthEncode enc;
        enc.SetRowMode(4, 0);
        EXPECT_EQ(RunFilter(enc, "AAAAAAAAB", {{1}, {1}}), Bytes({253, 'A', 253, 'A', 0, 'B', 128}));
    }
    {
        SCOPED_TRACE("decoder: ends after the rows without reading on");
        FILT_RunLengthDecode dec;
        dec.SetRowMode(2, 2);
        TestBuffer in(Bytes({1, 'a', 'b', 255, 'c', 7}), false), out("", false, 64);
        dec.ProcessBytes(in.buf, out.buf);
        EXPECT_EQ(out.Text(), "abcc");
        EXPECT_TRUE(out.buf.IsEOD());
        EXPECT_EQ(in.Text(), Bytes({7}));
    }
    struct Bad {
        std::string in;
        uint32_t rows;
        std::string message;
    };
    const Bad bad[] = {
        {Bytes({3, 'A', 'B', 'C', 'D'}), 0, "RunLengthDecode: Row boundary crossed, 3 bytes expected, 4 bytes generated"},
        {Bytes({0, 'A', 254, 'B'}), 0, "RunLengthDecode: Row boundary crossed, 2 bytes expected, 3 bytes generated"},
        {Bytes({1, 'A', 'B', 128}), 0,
         "RunLengthDecode: End of data encountered in the middle  of a row. Expecting 1 more bytes."},
        {Bytes({2, 'A', 'B', 'C', 128}), 2,
         "RunLengthDecode: End of data encountered in the middle  of a row. Expecting 3 more bytes."},
        {Bytes({1, 'A', 'B'}), 0,
         "RunLengthDecode: End of data encountered in the middle  of a row. Expecting 1 more bytes."},
    };
    for (size_t k = 0; k < std::size(bad); ++k) {
        SCOPED_TRACE(k);
        FILT_RunLengthDecode dec;
        dec.SetRowMode(3, bad[k].rows);
        try {
            RunFilter(dec, bad[k].in, {{1}, {1}});
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), 1130015u);
            EXPECT_EQ(std::string(e.What()), bad[k].message);
        }
        TestBuffer in("", true), out("", false, 8);
        try {
            dec.ProcessBytes(in.buf, out.buf);
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& e) {
            EXPECT_STREQ(e.What(), "RunLengthDecode: ProcessBytes called while in the Error state");
        }
    }
}

TEST(FILT_RunLength, RoundTrip) {
    const auto inputs = RoundTripInputs();
    for (size_t k = 0; k < inputs.size(); ++k) {
        for (const Chunking& ch : StandardChunkings(7)) {
            SCOPED_TRACE("input " + std::to_string(k) + " " + ch.Name());
            const size_t bound = 2 * inputs[k].size() + 64;
            FILT_RunLengthEncode enc;
            const std::string encoded = RunFilter(enc, inputs[k], ch, bound);
            FILT_RunLengthDecode dec;
            EXPECT_EQ(RunFilter(dec, encoded, ch, bound), inputs[k]);
            // Row mode: rows of 7 bytes, as many as there are.
            const size_t rows = inputs[k].size() / 7;
            const std::string whole = inputs[k].substr(0, rows * 7);
            FILT_RunLengthEncode rowEnc;
            rowEnc.SetRowMode(7, static_cast<uint32_t>(rows));
            const std::string rowEncoded = RunFilter(rowEnc, rows ? inputs[k] : "", ch, bound);
            FILT_RunLengthDecode rowDec;
            rowDec.SetRowMode(7, static_cast<uint32_t>(rows));
            EXPECT_EQ(RunFilter(rowDec, rowEncoded, ch, bound), whole);
        }
    }
}
