#include "FILT/FILT_DCTDecode.h"

#include "FILT_DCTTestJpeg.h"
#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using dcttest::JpegInfo;
using dcttest::JpegSpec;

std::string Decode(const std::string& jpeg, int colorTransform, const Chunking& c, size_t bound = 1u << 18) {
    FILT_DCTDecode d;
    if (colorTransform >= 0)
        d.SetColorTransform(colorTransform);
    // A bound on the output keeps the driver's output buffers small.
    return RunFilter(d, jpeg, c, bound);
}

// Input 1 byte and 8 KB at a time, output whole, 1 byte and cut.
std::vector<Chunking> DecodeChunkings(size_t rowBytes) {
    return {{{1}, {0}}, {{8192}, {0}}, {{8192}, {1}}, {{1}, {rowBytes + 1, 7}}, {{0}, {0}}, {{7, 3, 13}, {5, 11, 2}}};
}

struct Case {
    const char* name;
    JpegSpec spec;
    int colorTransform;         // -1: not set
    J_COLOR_SPACE forcedSpace;  // for the reference decoding; JCS_UNKNOWN: as libjpeg reads it
};

std::vector<Case> Cases() {
    std::vector<Case> cases;
    JpegSpec grey;
    grey.width = 37;
    grey.height = 23;
    cases.push_back({"grey", grey, -1, JCS_UNKNOWN});
    JpegSpec ycc;
    ycc.width = 61;
    ycc.height = 45;
    ycc.components = 3;
    ycc.in = JCS_RGB;
    ycc.coded = JCS_YCbCr;  // libjpeg samples 4:2:0
    cases.push_back({"YCbCr 4:2:0", ycc, -1, JCS_UNKNOWN});
    cases.push_back({"YCbCr 4:2:0, ColorTransform 1", ycc, 1, JCS_UNKNOWN});
    // An explicit 0 means no transform despite the JFIF marker.
    cases.push_back({"YCbCr 4:2:0, ColorTransform 0", ycc, 0, JCS_RGB});
    JpegSpec cmyk = ycc;
    cmyk.components = 4;
    cmyk.in = JCS_CMYK;
    cmyk.coded = JCS_CMYK;  // with an Adobe marker, transform 0
    cases.push_back({"CMYK with APP14", cmyk, 1, JCS_UNKNOWN});
    JpegSpec ycck = cmyk;
    ycck.coded = JCS_YCCK;  // Adobe transform 2
    cases.push_back({"YCCK with APP14", ycck, 0, JCS_UNKNOWN});
    JpegSpec icc = ycc;
    icc.app2Bytes = 30000;
    cases.push_back({"30 KB APP2", icc, -1, JCS_UNKNOWN});
    JpegSpec progressive = ycc;
    progressive.progressive = true;
    progressive.restartRows = 1;
    cases.push_back({"progressive with restarts", progressive, -1, JCS_UNKNOWN});
    return cases;
}

std::string MakeCase(const Case& c) {
    return dcttest::MakeJpeg(c.spec, dcttest::SourceImage(c.spec.width, c.spec.height, c.spec.components, 5));
}

// Throws 1130007 with a message containing text.
void ExpectDecodeError(const std::string& jpeg, const Chunking& c, const std::string& text) {
    try {
        Decode(jpeg, -1, c);
        ADD_FAILURE() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), FILT_DCTDecodeCode);
        EXPECT_NE(std::string(e.What()).find(text), std::string::npos) << e.What();
    }
}

}  // namespace

TEST(FILT_DCTDecode, RowsMatchLibjpegUnderEveryChunking) {
    LogCapture quiet;
    for (const Case& c : Cases()) {
        const std::string jpeg = MakeCase(c);
        ASSERT_FALSE(jpeg.empty()) << c.name;
        JpegInfo info;
        const std::string expected = dcttest::LibjpegDecode(jpeg, c.forcedSpace, &info);
        ASSERT_FALSE(expected.empty()) << c.name << ": " << info.error;
        for (const Chunking& chunking : DecodeChunkings(expected.size() / static_cast<size_t>(info.height))) {
            SCOPED_TRACE(std::string(c.name) + " " + chunking.Name());
            const std::string rows = Decode(jpeg, c.colorTransform, chunking, expected.size() + 64);
            EXPECT_EQ(rows.size(), expected.size());
            EXPECT_TRUE(rows == expected);
        }
    }
}

// Data cut in the scan is completed as libjpeg completes data that ends
// there; data cut in the header is an error.
TEST(FILT_DCTDecode, TruncatedData) {
    LogCapture quiet;
    Case c = Cases()[1];
    c.spec.width = 203;
    c.spec.height = 151;
    const std::string jpeg = MakeCase(c);
    const size_t scan = jpeg.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    for (size_t cut : {scan + 20, (scan + jpeg.size()) / 2, jpeg.size() - 3, jpeg.size() - 2}) {
        JpegInfo info;
        const std::string expected = dcttest::LibjpegDecode(jpeg.substr(0, cut), JCS_UNKNOWN, &info);
        ASSERT_FALSE(expected.empty()) << info.error;
        for (const Chunking& chunking : {Chunking{{0}, {0}}, Chunking{{1}, {0}}, Chunking{{8192}, {3}}}) {
            SCOPED_TRACE(::testing::Message() << "cut at " << cut << " " << chunking.Name());
            EXPECT_TRUE(Decode(jpeg.substr(0, cut), -1, chunking) == expected);
        }
    }
    for (size_t cut : {size_t{0}, size_t{2}, size_t{100}, size_t{300}, scan - 1, scan + 5}) {
        SCOPED_TRACE(cut);
        ExpectDecodeError(jpeg.substr(0, cut), {{1}, {0}}, "");
        ExpectDecodeError(jpeg.substr(0, cut), {{0}, {0}}, "");
    }
    // Cut inside a long APP2 marker that is being skipped.
    const std::string icc = MakeCase(Cases()[6]);
    ExpectDecodeError(icc.substr(0, 20000), {{1}, {0}}, "");
    ExpectDecodeError(icc.substr(0, 20000), {{8192}, {0}}, "");
}

// A marker segment larger than the decoder's buffer (one DHT holding many
// tables) makes the buffer grow; the filter's input buffer is small.
TEST(FILT_DCTDecode, LargeMarkerSegmentGrowsTheBuffer) {
    LogCapture quiet;
    const Case c = Cases()[0];
    std::string jpeg = MakeCase(c);
    const size_t dht = jpeg.find("\xFF\xC4");
    ASSERT_NE(dht, std::string::npos);
    const size_t length = (static_cast<uint8_t>(jpeg[dht + 2]) << 8) | static_cast<uint8_t>(jpeg[dht + 3]);
    const std::string body = jpeg.substr(dht + 4, length - 2);
    std::string tables;
    while (tables.size() + body.size() < 20000)
        tables += body;
    const size_t newLength = tables.size() + 2;
    jpeg.replace(dht + 2, length, std::string{static_cast<char>(newLength >> 8), static_cast<char>(newLength & 0xFF)} + tables);
    JpegInfo info;
    const std::string expected = dcttest::LibjpegDecode(jpeg, JCS_UNKNOWN, &info);
    ASSERT_FALSE(expected.empty()) << info.error;

    FILT_DCTDecode d;
    const FILT_Size piece = 500;
    FILT_FilterBuffer in(piece);
    std::string rows;
    size_t given = 0;
    for (int calls = 0; calls < 100000; ++calls) {
        if (in.DataAvailable() == 0 && !in.IsEOD()) {
            in.Reset();
            given += in.Write(reinterpret_cast<const uint8_t*>(jpeg.data()) + given,
                              static_cast<FILT_Size>(std::min<size_t>(piece, jpeg.size() - given)));
            if (given == jpeg.size())
                in.SetEOD();
        }
        FILT_FilterBuffer out(64);
        d.ProcessBytes(in, out);
        rows.append(reinterpret_cast<char*>(out.GetPtr()), out.DataAvailable());
        if (out.IsEOD())
            break;
    }
    EXPECT_TRUE(rows == expected);
}

// Random bytes, and JPEG data with bytes changed, end in an exception or in
// end of data: no hang, no sanitizer report, no assertion.
TEST(FILT_DCTDecode, DamagedDataEndsCleanly) {
    LogCapture quiet;
    std::mt19937 rng(99);
    const std::string good = MakeCase(Cases()[1]);
    const std::string progressive = MakeCase(Cases()[7]);
    int thrown = 0, finished = 0;
    for (int round = 0; round < 120; ++round) {
        std::string data;
        if (round % 4 == 0) {
            data.resize(1 + rng() % 2000);
            for (char& ch : data)
                ch = static_cast<char>(rng());
            if (round % 8 == 0)
                data.replace(0, 2, "\xFF\xD8");
        } else {
            data = round % 4 == 3 ? progressive : good;
            // The frame header's dimensions stay, so that output stays small.
            size_t frame = data.find(round % 4 == 3 ? "\xFF\xC2" : "\xFF\xC0");
            for (int flips = 1 + static_cast<int>(rng() % 6); flips > 0; --flips) {
                const size_t at = rng() % data.size();
                if (at < frame || at > frame + 9)
                    data[at] = static_cast<char>(rng());
            }
        }
        SCOPED_TRACE(round);
        try {
            Decode(data, round % 3 - 1, round % 2 ? Chunking{{1}, {0}} : Chunking{{8192}, {5, 11}});
            ++finished;
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), FILT_DCTDecodeCode);
            ++thrown;
        }
    }
    EXPECT_GT(thrown, 0);
    EXPECT_GT(finished, 0);
}

TEST(FILT_DCTDecode, ErrorStateAndWarnings) {
    {
        // libjpeg's error text, logged at level 2; later calls fail again.
        LogCapture log;
        FILT_DCTDecode d;
        FILT_FilterBuffer in(8), out(8);
        const uint8_t notJpeg[] = {0x12, 0x34, 0x56};
        in.Write(notJpeg, 3);
        in.SetEOD();
        try {
            d.ProcessBytes(in, out);
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), FILT_DCTDecodeCode);
            EXPECT_NE(std::string(e.What()).find("Not a JPEG file"), std::string::npos) << e.What();
            EXPECT_TRUE(log.Contains(GLIB_LogError, e.What()));
        }
        try {
            d.ProcessBytes(in, out);
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& e) {
            EXPECT_STREQ(e.What(), "FILT_DCTDecode: ProcessBytes called while in the Error state");
        }
    }
    {
        // Two damaged places: libjpeg warns twice, the first one is logged.
        LogCapture log;
        std::string jpeg = MakeCase(Cases()[0]);
        const size_t sos = jpeg.find("\xFF\xDA");
        ASSERT_NE(sos, std::string::npos);
        jpeg.insert(sos, "\x01\x02");  // extraneous bytes before a marker
        jpeg.resize(jpeg.size() - 40);
        Decode(jpeg, -1, {{0}, {0}});
        int warnings = 0;
        for (const LogCapture::Entry& e : log.Entries())
            warnings += e.level == GLIB_LogWarning;
        EXPECT_EQ(warnings, 1);
        EXPECT_TRUE(log.Contains(GLIB_LogWarning, "extraneous bytes"));
    }
}
