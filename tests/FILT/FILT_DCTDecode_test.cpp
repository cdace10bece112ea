#include "FILT/FILT_DCTDecode.h"

#include "FILT_DCTTestJpeg.h"
#include "FILT_TestData.h"

#include <tuple>

namespace {

using dcttest::JpegInfo;
using dcttest::JpegShape;

std::string Decode(const std::string& jpeg, int colorTransform, const Chunking& c, size_t bound = 1u << 18) {
    FILT_DCTDecode d;
    if (colorTransform >= 0)
        d.SetColorTransform(colorTransform);
    return RunFilter(d, jpeg, c, bound);  // the bound keeps the driver's output buffers small
}

// ColorTransform -1: not set; the colour space forced on the reference
// decoding, JCS_UNKNOWN: as libjpeg reads it from the markers.
struct Case { const char* name; JpegShape shape; int colorTransform; J_COLOR_SPACE forcedSpace; };

std::vector<Case> Cases() {
    const JpegShape grey{37, 23}, ycc{61, 45, 3, JCS_RGB, JCS_YCbCr};  // libjpeg samples YCbCr 4:2:0
    const JpegShape cmyk{61, 45, 4, JCS_CMYK, JCS_CMYK};                // with an Adobe marker, transform 0
    const JpegShape ycck{61, 45, 4, JCS_CMYK, JCS_YCCK};                // Adobe transform 2
    const JpegShape icc{61, 45, 3, JCS_RGB, JCS_YCbCr, 30000}, progressive{61, 45, 3, JCS_RGB, JCS_YCbCr, 0, true, 1};
    // libjpeg cannot suspend inside an arithmetic-coded scan.
    const JpegShape arithmetic{61, 45, 3, JCS_RGB, JCS_YCbCr, 300, false, 2, true};
    const JpegShape arithmeticProgressive{61, 45, 4, JCS_CMYK, JCS_YCCK, 0, true, 0, true};
    return {
        {"grey", grey, -1, JCS_UNKNOWN},
        {"YCbCr 4:2:0", ycc, -1, JCS_UNKNOWN},
        {"YCbCr 4:2:0, ColorTransform 1", ycc, 1, JCS_UNKNOWN},
        // An explicit 0 means no transform despite the JFIF marker, without APP14.
        {"YCbCr 4:2:0, ColorTransform 0", ycc, 0, JCS_RGB},
        {"CMYK with APP14", cmyk, 1, JCS_UNKNOWN},
        {"YCCK with APP14", ycck, 0, JCS_UNKNOWN},
        {"30 KB APP2", icc, -1, JCS_UNKNOWN},
        {"progressive with restarts", progressive, -1, JCS_UNKNOWN},
        {"arithmetic with APP2 and restarts", arithmetic, -1, JCS_UNKNOWN},
        {"arithmetic progressive YCCK", arithmeticProgressive, 0, JCS_UNKNOWN},
    };
}

// jpeg with a marker segment of text inserted at at.
std::string Segment(std::string jpeg, size_t at, const char* marker, const std::string& text) {
    const size_t length = text.size() + 2;
    return jpeg.insert(at, marker + std::string{static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)} + text);
}

std::string MakeCase(const JpegShape& shape) {
    return dcttest::MakeJpeg(shape, dcttest::SourceImage(shape.width, shape.height, shape.components, 5));
}

std::string Reference(const std::string& jpeg, J_COLOR_SPACE forcedSpace = JCS_UNKNOWN, int* height = nullptr) {
    JpegInfo info;
    const std::string rows = dcttest::LibjpegDecode(jpeg, forcedSpace, &info);
    EXPECT_FALSE(rows.empty()) << info.error;
    if (height)
        *height = info.height;
    return rows;
}

}  // namespace

// Input 1 byte and 8 KB at a time, output whole, 1 byte and cut.
TEST(FILT_DCTDecode, RowsMatchLibjpegUnderEveryChunking) {
    LogCapture quiet;
    for (const Case& c : Cases()) {
        const std::string jpeg = MakeCase(c.shape);
        int height = 1;
        const std::string expected = Reference(jpeg, c.forcedSpace, &height);
        const size_t rowBytes = expected.size() / static_cast<size_t>(height);
        for (const Chunking& chunking : {Chunking{{1}, {0}}, Chunking{{8192}, {0}}, Chunking{{8192}, {1}},
                                         Chunking{{1}, {rowBytes + 1, 7}}, Chunking{{0}, {0}},
                                         Chunking{{7, 3, 13}, {5, 11, 2}}}) {
            SCOPED_TRACE(std::string(c.name) + " " + chunking.Name());
            const std::string rows = Decode(jpeg, c.colorTransform, chunking, expected.size() + 64);
            EXPECT_EQ(rows.size(), expected.size());
            EXPECT_TRUE(rows == expected);
        }
    }
}

// The decoder tells the components of its rows once it has read the
// header, as many as libjpeg's own decoding gives per pixel.
TEST(FILT_DCTDecode, NumComponentsFollowsTheHeader) {
    LogCapture quiet;
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::string jpeg = MakeCase(c.shape);
        int height = 1;
        const std::string expected = Reference(jpeg, c.forcedSpace, &height);
        FILT_DCTDecode d;
        if (c.colorTransform >= 0)
            d.SetColorTransform(c.colorTransform);
        EXPECT_EQ(d.NumComponents(), 0);
        RunFilter(d, jpeg, Chunking{{8192}, {0}}, expected.size() + 64);
        EXPECT_EQ(static_cast<size_t>(d.NumComponents()),
                  expected.size() / static_cast<size_t>(height * c.shape.width));
    }
}

// Data cut in the scan is completed as libjpeg completes data that ends
// there; data cut in the header, or in a long marker being skipped, throws.
TEST(FILT_DCTDecode, TruncatedData) {
    LogCapture quiet;
    const std::string jpeg = MakeCase({203, 151, 3, JCS_RGB, JCS_YCbCr});
    const size_t scan = jpeg.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    for (bool arithmetic : {false, true}) {
        const std::string data = arithmetic ? MakeCase({203, 151, 3, JCS_RGB, JCS_YCbCr, 0, false, 0, true}) : jpeg;
        const size_t start = data.find("\xFF\xDA");
        for (size_t cut : {start + 20, (start + data.size()) / 2, data.size() - 3, data.size() - 2}) {
            const std::string expected = Reference(data.substr(0, cut));
            for (const Chunking& chunking : {Chunking{{0}, {0}}, Chunking{{1}, {0}}, Chunking{{8192}, {3}}}) {
                SCOPED_TRACE(std::to_string(arithmetic) + " " + std::to_string(cut) + " " + chunking.Name());
                EXPECT_TRUE(Decode(data.substr(0, cut), -1, chunking) == expected);
            }
        }
    }
    const std::string icc = MakeCase(Cases()[6].shape);
    for (const std::string& cut : {jpeg.substr(0, 0), jpeg.substr(0, 2), jpeg.substr(0, 100), jpeg.substr(0, 300),
                                   jpeg.substr(0, scan - 1), jpeg.substr(0, scan + 5), icc.substr(0, 20000)}) {
        for (const Chunking& chunking : {Chunking{{1}, {0}}, Chunking{{8192}, {0}}}) {
            SCOPED_TRACE(std::to_string(cut.size()) + " " + chunking.Name());
            EXPECT_EQ(ThrownCode([&] { Decode(cut, -1, chunking); }), 1130007u);
        }
    }
}

// A marker segment larger than the decoder's buffer (one DHT holding many
// tables) makes the buffer grow; the filter's input comes in small pieces.
TEST(FILT_DCTDecode, LargeMarkerSegmentGrowsTheBuffer) {
    LogCapture quiet;
    std::string jpeg = MakeCase(Cases()[0].shape);
    const size_t dht = jpeg.find("\xFF\xC4");
    ASSERT_NE(dht, std::string::npos);
    const size_t length = (static_cast<uint8_t>(jpeg[dht + 2]) << 8) | static_cast<uint8_t>(jpeg[dht + 3]);
    const std::string body = jpeg.substr(dht + 4, length - 2);
    std::string tables;
    while (tables.size() + body.size() < 20000)
        tables += body;
    const size_t newLength = tables.size() + 2;
    jpeg.replace(dht + 2, length,
                 std::string{static_cast<char>(newLength >> 8), static_cast<char>(newLength & 0xFF)} + tables);
    EXPECT_TRUE(Decode(jpeg, -1, {{500}, {64}}) == Reference(jpeg));
}

// Arithmetic-coded data is collected whole, also when it is larger than the
// decoder's buffer, and never past its end-of-image marker: an inline image
// is followed by " EI" in its content stream.
TEST(FILT_DCTDecode, ArithmeticDataIsTakenUpToItsEnd) {
    LogCapture quiet;
    const std::string jpeg = dcttest::MakeJpeg({160, 120, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, false, 0, true},
                                               RandomBytes(160 * 120, 4));  // noise: data of many pieces
    const std::string input = jpeg + " EI", expected = Reference(jpeg);
    const FILT_Size piece = 100;
    ASSERT_NE(jpeg.find("\xFF\xC9"), std::string::npos);  // SOF9: arithmetic, sequential
    ASSERT_GT(jpeg.size(), 2 * FILT_DCTDecode::MinAccumulation);
    const size_t tail = jpeg.size() % piece;
    ASSERT_TRUE(tail > 0 && tail + 3 <= piece);  // " EI" comes with the end marker
    FILT_DCTDecode d;
    TestBuffer in("", false, piece);
    std::string rows;
    size_t given = 0;
    for (int calls = 0; calls < 100000; ++calls) {
        if (in.buf.DataAvailable() == 0 && given < input.size()) {
            in.buf.Reset();
            const size_t n = std::min<size_t>(piece, input.size() - given);
            given += in.buf.Write(U8(input) + given, static_cast<FILT_Size>(n));
        }
        TestBuffer out("", false, 4096);
        d.ProcessBytes(in.buf, out.buf);
        rows += out.Text();
        if (out.buf.IsEOD())
            break;
    }
    EXPECT_TRUE(rows == expected);
    EXPECT_EQ(in.Text(), " EI");
}

TEST(FILT_DCTDecode, ErrorsAndWarningsAreLogged) {
    // libjpeg's error text, also logged at level 2.
    LogCapture log;
    ExpectThrows([] { Decode("\x12\x34\x56", -1, {{0}, {0}}); }, 1130007, "Not a JPEG file");
    EXPECT_TRUE(log.Contains(GLIB_LogError, "Not a JPEG file"));
    // Two damaged places: libjpeg warns twice, the first one is logged.
    LogCapture warnings;
    std::string jpeg = MakeCase(Cases()[0].shape);
    jpeg.insert(jpeg.find("\xFF\xDA"), "\x01\x02");  // extraneous bytes before a marker
    jpeg.resize(jpeg.size() - 40);
    Decode(jpeg, -1, {{0}, {0}});
    int count = 0;
    for (const LogCapture::Entry& e : warnings.Entries())
        count += e.level == GLIB_LogWarning;
    EXPECT_EQ(count, 1);
    EXPECT_TRUE(warnings.Contains(GLIB_LogWarning, "extraneous bytes"));
    // A reader that says where the data end holds libjpeg's warnings to
    // pass them on after its own words.
    LogCapture held;
    FILT_DCTDecode told;
    told.SetStopAtDataEnd(true);
    RunFilter(told, jpeg, {{0}, {0}}, 1u << 18);
    EXPECT_NE(std::string(told.HeldWarning()).find("extraneous bytes"), std::string::npos) << told.HeldWarning();
    for (const LogCapture::Entry& e : held.Entries())
        EXPECT_NE(e.level, GLIB_LogWarning) << e.text;
    // Data that end or go wrong before the first scan: the program's words,
    // then libjpeg's.
    const std::string whole = MakeCase(Cases()[0].shape);
    const size_t scan = whole.find("\xFF\xDA");
    const char* const lead =
        "FILT_DCTDecode: the image's JPEG data are cut short or damaged before their first scan (libjpeg: ";
    for (const std::string& cut : {whole.substr(0, scan), whole.substr(0, scan + 5), whole.substr(0, 100)}) {
        SCOPED_TRACE(cut.size());
        ExpectThrows([&] { Decode(cut, -1, {{0}, {0}}); }, 1130007, lead);
    }
    // Cut in the last bytes of its scan header, which libjpeg would take
    // from the padding with a warning.
    const std::string arithmetic = MakeCase({16, 16, 4, JCS_CMYK, JCS_CMYK, 0, false, 0, true});
    const size_t sos = arithmetic.find("\xFF\xDA");
    const size_t sosLength = (static_cast<uint8_t>(arithmetic[sos + 2]) << 8) | static_cast<uint8_t>(arithmetic[sos + 3]);
    ExpectThrows([&] { Decode(arithmetic.substr(0, sos + sosLength), -1, {{0}, {0}}); }, 1130007,
                 "FILT_DCTDecode: the image's JPEG data are cut short or damaged before their first scan (they end in "
                 "its header)");
    // A progressive frame of 60,000 x 60,000 pixels: libjpeg's "Backing
    // store not supported" says what it lacks, not what the image asks.
    std::string huge = MakeCase({16, 16, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, true});
    const size_t sof = huge.find("\xFF\xC2");
    ASSERT_NE(sof, std::string::npos);
    huge[sof + 5] = huge[sof + 7] = static_cast<char>(60000 >> 8);
    huge[sof + 6] = huge[sof + 8] = static_cast<char>(60000 & 0xFF);
    ExpectThrows([&] { Decode(huge, -1, {{0}, {0}}); }, 1130007,
                 "FILT_DCTDecode: the JPEG image is too large to decode in the memory allowed");
}

// Stopping at the data's end keeps every row libjpeg decodes from the data,
// through the iMCU row where they run out, whatever marker or damage ends
// them; what it leaves out is only what libjpeg makes of nothing (128), and
// the rows a progressive image's smoothing reads past them.
TEST(FILT_DCTDecode, StoppingAtTheDataEndKeepsTheRowsTheDataHold) {
    LogCapture quiet;
    const auto scanStart = [](const std::string& jpeg) {
        const size_t sos = jpeg.find("\xFF\xDA");
        return sos + 2 + ((static_cast<uint8_t>(jpeg[sos + 2]) << 8) | static_cast<uint8_t>(jpeg[sos + 3]));
    };
    const std::string cmyk = MakeCase({13, 9, 4, JCS_CMYK, JCS_CMYK});
    std::string badCode = cmyk;  // all ones: no code of libjpeg's tables, in the last MCU
    badCode.insert(badCode.size() - 8, std::string("\xFF\x00\xFF\x00\xFF\x00", 6));
    const std::string thin = MakeCase({1, 9, 4, JCS_CMYK, JCS_CMYK});
    const std::string grey = MakeCase({64, 40});
    const std::string progressive = MakeCase({64, 256, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, true});
    const std::string arithmetic = MakeCase({64, 256, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, false, 0, true});
    const std::string restarts = MakeCase({64, 40, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, false, 1});
    const std::string arithmeticRestarts = MakeCase({64, 40, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, false, 1, true});
    const auto afterSecondRestart = [](const std::string& jpeg) { return jpeg.substr(0, jpeg.find("\xFF\xD1") + 2); };
    // The second scan's marker, its segment cut short.
    const size_t second = progressive.find("\xFF\xDA", scanStart(progressive));
    const struct {
        const char* name;
        std::string jpeg;
        size_t rowBytes, rowsPerIMCU;
        bool allRows;
        int rows;         // kept, when known; -1: not pinned
        bool cutShort;    // DataCutShort
        size_t smoothed;  // iMCU rows past the kept ones that smoothing reads
        bool grey = true;  // libjpeg makes 128 of nothing; arithmetic decoding or an MCU of no bit, anything
    } cases[] = {
        {"bad Huffman code in the last iMCU row", badCode, 13 * 4, 8, true, -1, true, 0},
        {"next to no scan data", thin.substr(0, scanStart(thin) + 1), 4, 8, false, -1, true, 0},
        {"a comment marker after a few MCUs",
         grey.substr(0, scanStart(grey) + 30) + std::string("\xFF\xFE\x00\x04ok\xFF\xD9", 8), 64, 8, false, -1, true, 0},
        {"progressive, cut in its first scan", progressive.substr(0, scanStart(progressive) + 20), 64, 8, false, -1,
         true, 2},
        // Two rows of blocks reached; the cap on its height, not the data,
        // would give 120.
        {"progressive, cut 12 bytes into its first scan", progressive.substr(0, scanStart(progressive) + 12), 64, 8,
         false, 16, true, 2},
        {"progressive, cut inside its second scan's header", progressive.substr(0, second + 5), 64, 8, true, 256, true,
         0},
        {"progressive, lacking only its end marker", progressive.substr(0, progressive.size() - 2), 64, 8, true, 256,
         false, 0},
        {"arithmetic, cut in its scan", arithmetic.substr(0, scanStart(arithmetic) + 200), 64, 8, false, -1, true, 0,
         false},
        // An interval of no byte that begins a row: that row is libjpeg's alone.
        {"no scan data", grey.substr(0, scanStart(grey)), 64, 8, false, 0, true, 0, false},
        {"cut right after the restart marker of its third row", afterSecondRestart(restarts), 64, 8, false, 16, true,
         0, false},
        {"arithmetic, cut right after the restart marker of its third row", afterSecondRestart(arithmeticRestarts), 64,
         8, false, 16, true, 0, false},
        // Not the end of the data: libjpeg decodes on past it.
        {"progressive, its first scan only a restart marker",
         progressive.substr(0, scanStart(progressive)) + "\xFF\xD5", 64, 8, true, 256, true, 0},
    };
    for (const auto& c : cases) {
        // libjpeg's own source would read the cut segment.
        const std::string expected = Reference(c.jpeg.substr(0, c.jpeg.size() == second + 5 ? second : c.jpeg.size()));
        for (const Chunking& chunking : {Chunking{{0}, {0}}, Chunking{{1}, {7}}}) {
            SCOPED_TRACE(std::string(c.name) + " " + chunking.Name());
            FILT_DCTDecode d;
            d.SetStopAtDataEnd(true);
            const std::string rows = RunFilter(d, c.jpeg, chunking, expected.size() + 64);
            EXPECT_EQ(d.DataCutShort(), c.cutShort);
            ASSERT_EQ(rows.size() % c.rowBytes, 0u);
            EXPECT_TRUE(rows == expected.substr(0, rows.size()));
            if (c.rows >= 0) {
                EXPECT_EQ(rows.size() / c.rowBytes, static_cast<size_t>(c.rows));
            }
            if (c.allRows) {
                EXPECT_EQ(rows.size(), expected.size());
                continue;
            }
            if (c.rows < 0) {
                EXPECT_GT(rows.size(), 0u);
            }
            EXPECT_LT(rows.size(), expected.size());
            EXPECT_EQ(rows.size() / c.rowBytes % c.rowsPerIMCU, 0u);
            const size_t madeUp = rows.size() + c.smoothed * c.rowsPerIMCU * c.rowBytes;
            if (c.grey) {
                EXPECT_EQ(expected.find_first_not_of('\x80', madeUp), std::string::npos);
            }
        }
    }
}

// Inline data lacking their end marker end at white space, "EI" and content
// text, however the input is cut (the ending held back when cut with it),
// whether decoded or only searched for their end; an "EI" followed by binary
// bytes, or standing in a whole marker segment, is image data.
TEST(FILT_DCTDecode, InlineDataEndAtEIWhenTheirEndMarkerIsMissing) {
    LogCapture quiet;
    const std::string gray = MakeCase({64, 64});
    const std::string progressive = MakeCase({64, 64, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, true});
    const size_t sos = gray.find("\xFF\xDA");
    const std::string cut = gray.substr(0, sos + 2 + static_cast<uint8_t>(gray[sos + 3]) + 200);
    const std::string laterScan =
        progressive.substr(0, progressive.find("\xFF\xDA", progressive.find("\xFF\xDA") + 2) + 3);
    const std::string next = "\nEI Q q BI /W 2 /H 2 /CS /G /BPC 8 ID " + std::string("\xFF\xD8\xFF\x40", 4) + "\nEI Q";
    // Each taken whole, nothing of next.
    const struct { const char* name; std::string data; } cases[] = {
        {"whole", gray},
        {"cut in its scan", cut},
        {"cut in a later scan's header", laterScan},
        {"EI as image data", cut + std::string(" EI \x80\x81\x82\x83", 8)},
        {"lacking only its end marker", gray.substr(0, gray.size() - 2)},
        // A marker segment (length counted) whose text holds EI.
        {"EI in a comment", Segment(gray, 2, "\xFF\xFE", "a EI bcdef")},
        {"EI in an APP1", Segment(gray, 2, "\xFF\xE1", "\nEI hello")},
        {"EI in a comment between scans",
         Segment(progressive, progressive.find("\xFF\xDA", progressive.find("\xFF\xDA") + 2), "\xFF\xFE",
                 "\nEI Q 0 1 0 0 k 0 0 9 9 re f\n")},
    };
    for (const auto& c : cases)
        for (bool endOnly : {true, false})
            // Then the first input ends after the white space before EI,
            // after its E, after its I, and input comes a byte at a time.
            for (const Chunking& chunking :
                 {Chunking{{0}, {0}}, Chunking{{sos + 5, 0}, {0}}, Chunking{{0}, {1}},
                  Chunking{{c.data.size() + 1, 0}, {0}}, Chunking{{c.data.size() + 2, 0}, {0}},
                  Chunking{{c.data.size() + 3, 0}, {0}}, Chunking{{1}, {0}}, Chunking{{7, 3, 13}, {5, 11, 2}}}) {
                SCOPED_TRACE(std::string(c.name) + (endOnly ? ", finding the end " : ", decoding ") + chunking.Name());
                FILT_DCTDecode d;
                d.SetEndsAtEI(true);
                d.SetFindsEndOnly(endOnly);
                d.SetStopAtDataEnd(!endOnly);  // as a slicer reads them: data cut in a segment are not refused
                size_t untaken = 0;
                const std::string rows = RunFilter(d, c.data + next, chunking, size_t{1} << 20, &untaken);
                // What was taken of next is held back, not data.
                const std::vector<uint8_t>& held = d.HeldBytes();
                EXPECT_EQ(untaken + held.size(), next.size());
                EXPECT_EQ(std::string(held.begin(), held.end()), next.substr(0, held.size()));
                EXPECT_TRUE(rows.empty() || !endOnly) << rows.size() << " bytes when only finding the end";
                if (!endOnly && c.data.compare(c.data.size() - 2, 2, "\xFF\xD9") == 0) {
                    EXPECT_TRUE(rows == Reference(c.data)) << "rows unlike libjpeg's";
                }
            }
}

// A restart marker damaged into a code that has no length (libjpeg resyncs
// past it): the data reach libjpeg as they stand, however they are read,
// and the rows are libjpeg's, later scans and all.
TEST(FILT_DCTDecode, DamagedMarkersInScanDataReachLibjpegAsTheyStand) {
    LogCapture quiet;
    const std::string progressive = MakeCase({64, 64, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, true, 1});
    const std::string baseline = MakeCase({64, 64, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, false, 1});
    for (const auto& [name, jpeg, scan] : {std::tuple{"progressive, third scan", progressive, 3},
                                           std::tuple{"baseline", baseline, 1}})
        for (const char code : {'\x01', '\x03', '\x40', '\xBF'}) {
            std::string damaged = jpeg;
            size_t at = 0;
            for (int i = 0; i < scan; ++i)
                at = damaged.find("\xFF\xDA", at + 2);
            at = damaged.find("\xFF\xD4", at);
            ASSERT_NE(at, std::string::npos);
            damaged[at + 1] = code;
            const std::string expected = Reference(damaged);
            for (int mode = 0; mode < 3; ++mode)
                for (const Chunking& chunking : {Chunking{{0}, {0}}, Chunking{{1}, {0}}, Chunking{{7, 3, 13}, {0}}}) {
                    SCOPED_TRACE(std::string(name) + ", FF " + std::to_string(static_cast<uint8_t>(code)) +
                                 (mode == 0 ? ", plain " : mode == 1 ? ", stopping at the data's end " : ", inline ") +
                                 chunking.Name());
                    FILT_DCTDecode d;
                    d.SetStopAtDataEnd(mode > 0);
                    d.SetEndsAtEI(mode == 2);
                    const std::string rows =
                        RunFilter(d, mode == 2 ? damaged + "\nEI Q" : damaged, chunking, size_t{1} << 20);
                    EXPECT_TRUE(rows == expected) << rows.size() << " bytes of " << expected.size();
                    EXPECT_FALSE(mode > 0 && d.DataCutShort());
                }
        }
}

// Data whose end-of-image marker lost its code, the end of line the stream's
// length took in after it or nothing in its place, are whole: their rows are
// libjpeg's of the whole data, however they are read and cut; an end of line
// after such a marker that more data follow is damage as libjpeg meets it.
TEST(FILT_DCTDecode, DataWhoseEndMarkerLostItsCodeAreWhole) {
    LogCapture quiet;
    const JpegShape shapes[] = {
        {64, 64},
        {61, 45, 3, JCS_RGB, JCS_YCbCr},
        {64, 64, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, false, 1},
        {64, 64, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, true},
        {61, 45, 3, JCS_RGB, JCS_YCbCr, 0, false, 0, true},
    };
    for (const JpegShape& shape : shapes) {
        const std::string whole = MakeCase(shape);
        const std::string expected = Reference(whole);
        const std::string marker = whole.substr(0, whole.size() - 1);  // FF of FF D9
        for (const std::string& tail : {std::string("\n"), std::string("\r\n"), std::string("\r"), std::string()})
            for (int mode = 0; mode < 3; ++mode)
                for (const Chunking& chunking : {Chunking{{0}, {0}}, Chunking{{1}, {0}}, Chunking{{7, 3, 13}, {5}}}) {
                    SCOPED_TRACE(std::to_string(shape.width) + "x" + std::to_string(shape.height) + " " +
                                 std::to_string(shape.components) + (shape.progressive ? " progressive" : "") +
                                 (shape.arithmetic ? " arithmetic" : "") + ", " + std::to_string(tail.size()) +
                                 " line-end bytes" +
                                 (mode == 0 ? ", plain " : mode == 1 ? ", stopping at the data's end " : ", inline ") +
                                 chunking.Name());
                    FILT_DCTDecode d;
                    d.SetStopAtDataEnd(mode > 0);
                    d.SetEndsAtEI(mode == 2);
                    std::string rows;
                    const uint32_t thrown = ThrownCode([&] {
                        rows = RunFilter(d, marker + tail + (mode < 2 ? "" : tail.empty() ? "\nEI Q" : "EI Q"), chunking,
                                         size_t{1} << 20);
                    });
                    EXPECT_EQ(thrown, 0u);
                    EXPECT_TRUE(rows == expected) << rows.size() << " bytes of " << expected.size();
                    EXPECT_FALSE(mode > 0 && d.DataCutShort());
                }
        // An end of line inside the data is no lost code: libjpeg refuses the
        // unknown marker there, and so does the decoder.
        const std::string inside = marker + "\n" + whole.substr(whole.size() - 2);
        JpegInfo info;
        EXPECT_TRUE(dcttest::LibjpegDecode(inside, JCS_UNKNOWN, &info).empty());
        for (const Chunking& chunking : {Chunking{{0}, {0}}, Chunking{{1}, {0}}})
            EXPECT_EQ(ThrownCode([&] { Decode(inside, -1, chunking); }), 1130007u);
    }
}
