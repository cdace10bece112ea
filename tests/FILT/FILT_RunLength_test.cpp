#include "FILT/FILT_RunLengthDecode.h"
#include "FILT/FILT_RunLengthEncode.h"

#include "FILT_TestData.h"

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

TEST(FILT_RunLength, EncodesAndDecodesKnownGroups) {
    const struct { bool encode; std::string in, out; } cases[] = {
        {true, "ABBC", Bytes({3}) + "ABBC" + Bytes({128})},  // two equal stay in a literal
        {true, std::string(7, 'A'), Bytes({250, 'A', 128})},
        {true, std::string(130, 'X'), Bytes({129, 'X', 1, 'X', 'X', 128})},
        {true, Distinct(129), Bytes({127}) + Distinct(128) + Bytes({0, 128, 128})},
        {true, "", Bytes({128})},
        {true, "XXYYYZ", Bytes({1, 'X', 'X', 254, 'Y', 0, 'Z', 128})},
        {true, std::string(257, 'q'), Bytes({129, 'q', 129, 'q', 0, 'q', 128})},
        {false, Bytes({2, 'X', 'Y', 'Z', 254, 'Q', 128}), "XYZQQQ"},
        {false, Bytes({129, 'r', 127}) + Distinct(128) + Bytes({128}), std::string(128, 'r') + Distinct(128)},
        {false, Bytes({128}), ""},
        {false, "", ""},
        // Damaged data: the input's end ends it with what came.
        {false, Bytes({1, 'a', 'b', 253, 'c'}), "abcccc"},
        {false, Bytes({5, 'a', 'b'}), "ab"},
        {false, Bytes({0, 'a', 200}), "a"},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        if (cases[k].encode)
            ExpectOutput(New<FILT_RunLengthEncode>, cases[k].in, cases[k].out);
        else
            ExpectOutput(New<FILT_RunLengthDecode>, cases[k].in, cases[k].out);
    }
}

TEST(FILT_RunLength, DecoderLeavesBytesAfterTheEndMark) {
    FILT_RunLengthDecode dec;
    TestBuffer in(Bytes({2, 'X', 'Y', 'Z', 254, 'Q', 128, 'T'}), false), out("", false, 64);
    dec.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), "XYZQQQ");
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(in.Text(), "T");
}

// An output buffer without storage has no room: the group waits for the next call.
TEST(FILT_RunLength, DecoderWaitsOnABufferWithoutStorage) {
    for (const std::string& coded : {Bytes({2, 'X', 'Y', 'Z', 128}), Bytes({254, 'Q', 128})}) {
        FILT_RunLengthDecode dec;
        TestBuffer in(coded, true), out("", false, 8);
        FILT_FilterBuffer none;
        dec.ProcessBytes(in.buf, none);
        dec.ProcessBytes(in.buf, out.buf);
        EXPECT_EQ(out.Text(), coded[0] == 2 ? "XYZ" : "QQQ");
        EXPECT_TRUE(out.buf.IsEOD());
    }
}

// Groups end with the row; the end mark follows the last row, and the
// decoder stops after the rows without reading on.
TEST(FILT_RunLength, RowMode) {
    FILT_RunLengthEncode enc;
    enc.SetRowMode(3, 2);
    TestBuffer in("XXYYYZrest", true), out("", false, 64);
    enc.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), Bytes({2, 'X', 'X', 'Y', 2, 'Y', 'Y', 'Z', 128}));
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(in.Text(), "rest");
    FILT_RunLengthEncode unbounded;  // rows 0: as many as come
    unbounded.SetRowMode(4, 0);
    EXPECT_EQ(RunFilter(unbounded, "AAAAAAAAB", {{1}, {1}}), Bytes({253, 'A', 253, 'A', 0, 'B', 128}));
    FILT_RunLengthDecode dec;
    dec.SetRowMode(2, 2);
    TestBuffer coded(Bytes({1, 'a', 'b', 255, 'c', 7}), false), rows("", false, 64);
    dec.ProcessBytes(coded.buf, rows.buf);
    EXPECT_EQ(rows.Text(), "abcc");
    EXPECT_TRUE(rows.buf.IsEOD());
    EXPECT_EQ(coded.Text(), Bytes({7}));

    const auto inputs = RoundTripInputs();
    for (size_t k = 0; k < inputs.size(); ++k) {
        for (const Chunking& ch : StandardChunkings(7)) {
            SCOPED_TRACE("input " + std::to_string(k) + " " + ch.Name());
            const uint32_t n = static_cast<uint32_t>(inputs[k].size() / 7);
            FILT_RunLengthEncode rowEnc;
            FILT_RunLengthDecode rowDec;
            rowEnc.SetRowMode(7, n);
            rowDec.SetRowMode(7, n);
            const std::string encoded = RunFilter(rowEnc, n ? inputs[k] : "", ch, 2 * inputs[k].size() + 64);
            EXPECT_EQ(RunFilter(rowDec, encoded, ch, inputs[k].size() + 64), inputs[k].substr(0, n * 7));
        }
    }
}

TEST(FILT_RunLength, RowModeDamageThrows) {
    const struct { std::string in; uint32_t rows; const char* message; } cases[] = {
        {Bytes({3, 'A', 'B', 'C', 'D'}), 0, "Row boundary crossed, 3 bytes expected, 4 bytes generated"},
        {Bytes({0, 'A', 254, 'B'}), 0, "Row boundary crossed, 2 bytes expected, 3 bytes generated"},
        {Bytes({1, 'A', 'B', 128}), 0, "End of data encountered in the middle  of a row. Expecting 1 more bytes."},
        {Bytes({2, 'A', 'B', 'C', 128}), 2,
         "End of data encountered in the middle  of a row. Expecting 3 more bytes."},
        {Bytes({1, 'A', 'B'}), 0, "End of data encountered in the middle  of a row. Expecting 1 more bytes."},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        FILT_RunLengthDecode dec;
        dec.SetRowMode(3, cases[k].rows);
        ExpectThrows([&] { RunFilter(dec, cases[k].in, {{1}, {1}}); }, 1130015,
                     std::string("RunLengthDecode: ") + cases[k].message);
    }
}
