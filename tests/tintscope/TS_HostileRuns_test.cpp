// The built program on pages a user may meet: a spot ink over an RGB
// alternate, a page painting in DeviceRGB, a mesh whose rows cannot fit its
// data, a DeviceN of too many colorants and a truncated image. Each run
// ends with its exit code and a last line that says what happened; a failed
// run leaves no output folder, a run that succeeds writes every file, and
// none leaves anything in TMPDIR.
#include "TS_ProgramFixture.h"

#include "FILT/FILT_DCTTestJpeg.h"
#include "viewer/program/VIEW_PdfFile.h"

#include <sys/stat.h>

#include <cstdlib>

namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string ManyColorants(int count) {
    std::string names;
    for (int i = 0; i < count; ++i)
        names += " /Ink" + std::to_string(i);
    return names;
}

const std::vector<std::string> ProcessFiles = {"inks.txt",          "plate-0-Cyan.png",  "plate-1-Magenta.png",
                                               "plate-2-Yellow.png", "plate-3-Black.png", "preview.png"};

TEST_F(TS_ProgramTest, HostilePagesEndWithTheirReasonAndLeaveNothingBehind) {
    const std::string red = "<< /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [0.9 0.2 0.3] /N 1 >>";
    std::vector<std::string> withSpot = ProcessFiles;
    withSpot.insert(withSpot.end() - 1, "plate-4-PANTONE#20485#20M.png");
    // The first 10 of 16 CMYK pixels, all cyan: rows 0 and 1 and half of
    // row 2 of a 4 x 4 image.
    std::string cyan;
    for (int i = 0; i < 10; ++i)
        cyan += std::string("\xFF\0\0\0", 4);
    // A name whose "#" two hex digits do not follow, as a colour space's.
    const auto strayHash = [](const std::string& name) {
        return TS_OnePage("/ColorSpace << " + name + " /DeviceCMYK >>", name + " cs 0 1 0 0 sc 10 10 50 50 re f");
    };
    // 200 soft masks, each group's state setting the next.
    std::vector<std::string> masks;
    for (int i = 0; i < 200; ++i) {
        const std::string inner = i ? "/ExtGState << /GS0 " + std::to_string(4 + 2 * i) + " 0 R >>" : "";
        masks.push_back(VIEW_PdfStream("/Subtype /Form /BBox [0 0 100 100] /Group << /S /Transparency /CS /DeviceGray "
                                       ">> /Resources << " + inner + " >>", "/GS0 gs 1 g 0 0 100 100 re f"));
        masks.push_back("<< /SMask << /S /Luminosity /G " + std::to_string(5 + 2 * i) + " 0 R >> >>");
    }
    std::string spaces;
    for (int i = 0; i < 100000; ++i)
        spaces += "/C" + std::to_string(i) + " /DeviceGray ";
    const struct {
        const char* name;
        std::string pdf;
        int code;
        std::string last;  // after "tintscope: FILE: "
        std::vector<std::string> written;
        const char* inked = nullptr;  // the one plate a square at the page's middle inks
    } rows[] = {
        {"spot-over-rgb.pdf",
         TS_OnePage("/ColorSpace << /CS0 [/Separation /PANTONE#20485#20M /DeviceRGB " + red + "] >>",
              "/CS0 cs 1 scn 10 10 50 50 re f"),
         0, "", withSpot},
        {"rgb.pdf", TS_OnePage("", "0.2 0.4 0.6 rg 10 10 50 50 re f"), 1,
         "page 1 was not separated: operator rg: Unsupported colorspace: ColorSpace: DeviceRGB", {}},
        // Five vertices of 6 bytes cannot hold two rows of 2147483647.
        {"lattice.pdf",
         TS_OnePage("/Shading << /Sh0 5 0 R >>", "/Sh0 sh",
              {VIEW_PdfStream("/ShadingType 5 /ColorSpace /DeviceCMYK /BitsPerCoordinate 8 /BitsPerComponent 8 "
                      "/VerticesPerRow 2147483647 /Decode [0 100 0 100 0 1 0 1 0 1 0 1]",
                      std::string(30, '\x40'))}),
         1,
         "page 1 was not separated: shading /Sh0: GouraudLattice shading has VerticesPerRow 2147483647 but its data "
         "hold 5 vertices, fewer than two rows",
         {}},
        {"devicen1000.pdf",
         TS_OnePage("/ColorSpace << /CS0 [/DeviceN [" + ManyColorants(1000) +
                  "] /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [1 1 1 1] /N 1 >>] >>",
              "/CS0 cs 10 10 50 50 re f"),
         1, "page 1 was not separated: colour space /CS0: DeviceN colorspace has 1000 colorants, at most 31 are supported",
         {}},
        {"truncated.pdf",
         TS_OnePage("/XObject << /Im0 5 0 R >>", "q 50 0 0 50 10 10 cm /Im0 Do Q",
              {VIEW_PdfStream("/Type /XObject /Subtype /Image /Width 4 /Height 4 /BitsPerComponent 8 /ColorSpace /DeviceCMYK",
                      cyan)}),
         0, "page 1: every ink may lack what the drawing could not read of its content: Image /Im0 is truncated: its data hold 40 of 64 samples",
         ProcessFiles},
        // qpdf reads these names (and says so), mutool draws them: the content reads them alike.
        {"stray-hash-end.pdf", strayHash("/A#"), 0, "repaired, 1 warning", ProcessFiles, "plate-1-Magenta.png"},
        {"stray-hash-one-digit.pdf", strayHash("/A#4"), 0, "repaired, 1 warning", ProcessFiles, "plate-1-Magenta.png"},
        {"stray-hash-letters.pdf", strayHash("/A#GZ"), 0, "repaired, 1 warning", ProcessFiles, "plate-1-Magenta.png"},
        {"name-with-bad-escape.pdf", TS_OnePage("/Properties << /A#GZ 1 >>", "0 0 0 1 k 10 10 80 80 re f"), 0,
         "repaired, 1 warning", ProcessFiles, "plate-3-Black.png"},
        {"nested-soft-masks.pdf", TS_OnePage("/ExtGState << /GS0 404 0 R >>", "/GS0 gs 0 0 0 1 k 10 10 80 80 re f",
                                             masks),
         1, "page 1 was not separated: ExtGState /GS0: objects nested deeper than 512 levels", {}},
        {"names-100000.pdf", TS_OnePage("/ColorSpace << " + spaces + ">>", "0 0 0 1 k 10 10 80 80 re f"), 1,
         "page 1 was not separated: the file needs more than 65,535 distinct names", {}},
        {"short-decode.pdf", TS_OnePage("", "q 50 0 0 50 10 10 cm BI /W 2 /H 2 /BPC 8 /CS /G /D [] ID \x80\x80\x80\x80 EI Q"),
         1,
         "page 1 was not separated: the inline image's Decode array holds 0 pairs of numbers, but its colour space "
         "has 1 component", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = WriteFile(row.name, row.pdf);
        const std::string out = m_out.File(std::string(row.name) + ".out");
        const TS_Run run = RunBinary({file, "--out", out});
        EXPECT_EQ(run.m_code, row.code) << run.m_err;
        const std::vector<std::string> lines = run.Lines();
        if (row.last.empty())
            EXPECT_EQ(run.m_err, "");
        else if (!lines.empty())
            EXPECT_EQ(lines.back(), "tintscope: " + file + ": " + row.last) << run.m_err;
        else
            ADD_FAILURE() << "nothing said";
        // No line names a function, the host's wrapping or a library's misspelling.
        for (const std::string& line : lines)
            for (const char* inside : {"::", "PDF Library Error", "arrray"})
                EXPECT_EQ(line.find(inside), std::string::npos) << line;
        for (int i = 1; row.inked && i <= 4; ++i) {
            const GrayPlate plate = TS_ReadPlatePng(out + "/" + ProcessFiles[i]);
            EXPECT_EQ(plate.width ? plate.At(plate.width / 2, plate.height / 2) : -1,
                      ProcessFiles[i] == row.inked ? 0 : 255) << ProcessFiles[i];
        }
        // A failed run removes the folder it made; one that succeeds
        // leaves every file and no staged one.
        if (row.code != 0)
            EXPECT_FALSE(Exists(out));
        else
            EXPECT_EQ(ListFolder(out), row.written);
        EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>()) << "temporary files left";
    }

    // The spot ink's recipe comes from its alternate at full tint, and the
    // preview shows it where it paints (300 dpi: a point is 25/6 pixels).
    const std::string spotInks = ReadWholeFile(m_out.File("spot-over-rgb.pdf.out/inks.txt"));
    EXPECT_NE(spotInks.find("4\tPANTONE 485 M\t0 0.7 0.6 0.1\tshown\tplate-4-PANTONE#20485#20M.png\n"),
              std::string::npos)
        << spotInks;
    const PngPixels spot = ReadPng(m_out.File("spot-over-rgb.pdf.out/preview.png"));
    ASSERT_EQ(spot.m_channels, 4) << spot.m_error;
    EXPECT_NE(TS_Rgb(spot, 146, 271), 0xFFFFFFu);
    EXPECT_EQ(TS_Rgb(spot, 20, 20), 0xFFFFFFu);

    // The truncated image draws what its data hold, cyan, and its missing
    // rows as 0, paper.
    const PngPixels image = ReadPng(m_out.File("truncated.pdf.out/preview.png"));
    ASSERT_EQ(image.m_channels, 4) << image.m_error;
    const uint32_t held = TS_Rgb(image, 104, 188);
    EXPECT_NE(held, 0xFFFFFFu);
    EXPECT_GT(held & 0xFF, held >> 16) << std::hex << held;
    EXPECT_EQ(TS_Rgb(image, 104, 354), 0xFFFFFFu);
}

}  // namespace

// JPEG images whose data end early cost what the data hold: with no file
// allowed past 2 MB, 20000 x 20000 CMYK claims ended by a comment marker or
// cut in a progressive scan, and a 9000 x 9000 gray one, are refused for the
// samples they lack, a page claiming a 16777000-pixel side is refused before
// any padding, and a cut gray image is drawn and said truncated once, in
// the program's words. One ink or four, baseline, progressive or
// arithmetic: data cut before their first scan (at or inside any marker of
// the header) refuse the page in the program's words, then libjpeg's; data
// cut in a scan keep the rows of blocks they reach, the rest read as 0
// (paper for CMYK, black for gray), said in one line, libjpeg's own words
// on the data after it. So for inline images, whose data end at EI (not at
// an EI in a whole marker segment's text, drawn as mutool draws them; an EI
// split by the content's 8 KB buffers as one that is not), and for an
// image's soft mask, cut rows covering nothing.
TEST_F(TS_ProgramTest, CutShortJpegsCostTheirDataAndAreSaidInWords) {
    const auto claimed = [](std::string jpeg, const char* frame, uint16_t side, size_t scanBytes,
                            const std::string& end) {
        const size_t sof = jpeg.find(frame);
        jpeg[sof + 5] = jpeg[sof + 7] = static_cast<char>(side >> 8);
        jpeg[sof + 6] = jpeg[sof + 8] = static_cast<char>(side & 0xFF);
        const size_t sos = jpeg.find("\xFF\xDA");
        return jpeg.substr(0, sos + 2 + static_cast<uint8_t>(jpeg[sos + 3]) + scanBytes) + end;
    };
    const auto image = [](const std::string& dict, const std::string& data) {
        return TS_OnePage("/XObject << /Im0 5 0 R >>", "q 50 0 0 50 10 10 cm /Im0 Do Q",
                          {VIEW_PdfStream("/Type /XObject /Subtype /Image " + dict, data)});
    };
    const std::string cmyk = dcttest::MakeJpeg({64, 64, 4, JCS_CMYK, JCS_CMYK}, dcttest::SourceImage(64, 64, 4, 1));
    const std::string progressive =
        dcttest::MakeJpeg({64, 64, 4, JCS_CMYK, JCS_CMYK, 0, true}, dcttest::SourceImage(64, 64, 4, 2));
    const std::string gray = dcttest::MakeJpeg({64, 64}, dcttest::SourceImage(64, 64, 1, 3));
    const std::string big = "/Width 20000 /Height 20000 /ColorSpace /DeviceCMYK /BitsPerComponent 8 /Filter /DCTDecode";
    // Kept: the first iMCU row of 8.
    const auto refused = [](int rows, int side, int components) {
        return "page 1 was not separated: image /Im0: the image's data hold " +
               std::to_string(rows * side * components) + " samples, its dictionary " +
               std::to_string(uint64_t{1} * side * side * components) + ".";
    };
    const auto claimedGray = [](int side) {
        return "/Width " + std::to_string(side) + " /Height " + std::to_string(side) +
               " /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /DCTDecode";
    };
    // A gray image of every header marker (APP0, APP2, COM, DQT, SOF0, DHT,
    // DRI, SOS); progressive and arithmetic ones.
    std::string markers = dcttest::MakeJpeg({64, 64, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 40, false, 1},
                                            dcttest::SourceImage(64, 64, 1, 4));
    markers.insert(2, std::string("\xFF\xFE\x00\x09" "comment", 11));
    const std::string grayProgressive = dcttest::MakeJpeg({64, 64, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, true},
                                                          dcttest::SourceImage(64, 64, 1, 5));
    const std::string arithmetic = dcttest::MakeJpeg({64, 64, 4, JCS_CMYK, JCS_CMYK, 0, false, 0, true},
                                                     dcttest::SourceImage(64, 64, 4, 6));
    // The bytes up to and n bytes into the k-th marker m (from 1).
    const auto into = [](const std::string& jpeg, const char* m, size_t n, int k = 1) {
        size_t at = 0;
        for (int i = 0; i < k; ++i)
            at = jpeg.find(m, i ? at + 2 : 0);
        EXPECT_NE(at, std::string::npos) << k;
        return jpeg.substr(0, at + n);
    };
    const auto scanData = [](const std::string& jpeg, size_t n) {
        const size_t sos = jpeg.find("\xFF\xDA");
        return jpeg.substr(0, sos + 2 + static_cast<uint8_t>(jpeg[sos + 3]) + n);
    };
    std::string junkBeforeScan = cmyk;
    junkBeforeScan.insert(junkBeforeScan.find("\xFF\xDA"), "\x01\x02");
    const std::string grayDict = claimedGray(64);
    const std::string cmykDict = "/Width 64 /Height 64 /ColorSpace /DeviceCMYK /BitsPerComponent 8 /Filter /DCTDecode";
    const std::string header = "page 1 was not separated: image /Im0: the image's JPEG data are cut short or damaged "
                               "before their first scan (libjpeg: ";
    const auto truncated = [](int rows, int side, int components, const char* rest) {
        return "page 1: every ink may lack what the drawing could not read of its content: Image /Im0 is truncated: its data hold " +
               std::to_string(rows * side * components) + " of " +
               std::to_string(side * side * components) + " samples" + rest;
    };
    // The samples are said in the loss line, which says what they cost.
    const char* const readAsZero = "";
    // An inline image's data end at their end marker or at EI, whatever
    // follows; libjpeg's words come from the pass that decodes them, on the
    // image's own line.
    const auto inlineImage = [](const std::string& data, const std::string& space = "/CMYK",
                                const std::string& then = "") {
        return TS_OnePage("", "q 50 0 0 50 10 10 cm BI /W 64 /H 64 /CS " + space + " /BPC 8 /F /DCT ID " + data +
                                  "\nEI Q" + then);
    };
    const auto inlineSaid = [](std::string line) {
        return line.replace(line.find("Image /Im0 is"), 13, "An inline image is");
    };
    // Images after a cut one: a plain one whose bytes hold a marker, a whole JPEG.
    const std::string thenRaw =
        " q 20 0 0 20 70 70 cm BI /W 2 /H 2 /CS /G /BPC 8 ID " + std::string("\x00\x80\xFF\x40", 4) + "\nEI Q";
    const std::string thenJpeg = " q 20 0 0 20 70 70 cm BI /W 64 /H 64 /CS /G /BPC 8 /F /DCT ID " + gray + "\nEI Q";
    // A CMYK image under a gray soft mask.
    const auto masked = [&](const std::string& mask) {
        return TS_OnePage("/XObject << /Im0 5 0 R >>", "q 50 0 0 50 10 10 cm /Im0 Do Q",
                          {VIEW_PdfStream("/Type /XObject /Subtype /Image " + cmykDict + " /SMask 6 0 R", cmyk),
                           VIEW_PdfStream("/Type /XObject /Subtype /Image " + grayDict, mask)});
    };
    // Cut 3 bytes into the progressive gray image's first Huffman table
    // after its first scan; arithmetic data cut 5 bytes before their end.
    const std::string laterTable =
        grayProgressive.substr(0, grayProgressive.find("\xFF\xC4", grayProgressive.find("\xFF\xDA")) + 3);
    const std::string arithmeticInLastRow = arithmetic.substr(0, arithmetic.size() - 7);
    // A marker segment of text inserted at at.
    const auto segment = [](std::string jpeg, size_t at, const char* marker, const std::string& text) {
        const size_t length = text.size() + 2;
        return jpeg.insert(at, marker + std::string{static_cast<char>(length >> 8), static_cast<char>(length)} + text);
    };
    const std::string squares = " 0 1 0 0 k 70 70 20 20 re f 0 0 0 1 k 75 5 20 20 re f";
    // The gray image cut in its scan, then EI and squares, after a comment
    // that puts the E of EI at byte 8191 of the content less before.
    const auto split = [&](size_t before) {
        const std::string image = "q 50 0 0 50 10 10 cm BI /W 64 /H 64 /CS /G /BPC 8 /F /DCT ID " +
                                  scanData(gray, 200) + "\nEI Q" + squares;
        const size_t e = image.find("\nEI Q") + 1;
        return TS_OnePage("", before ? "%" + std::string(8190 - before - e, 'p') + "\n" + image : image);
    };
    // The progressive gray image cut 40 bytes into a comment, before its
    // second scan, that declares 60,000 bytes; then EI, squares and about
    // after bytes of comment lines.
    const auto longComment = [&](size_t after) {
        std::string lines = "\n";
        while (lines.size() < after)
            lines += "% pad pad pad pad pad pad pad\n";
        return inlineImage(into(grayProgressive, "\xFF\xDA", 0, 2) + "\xFF\xFE\xEA\x60" + std::string(40, 'c'), "/G",
                           squares + lines);
    };
    // A gray progressive image with restart markers whose third scan's RST4
    // reads FF code.
    const auto restartDamaged = [](char code) {
        std::string jpeg = dcttest::MakeJpeg({64, 64, 1, JCS_GRAYSCALE, JCS_GRAYSCALE, 0, true, 1},
                                             dcttest::SourceImage(64, 64, 1, 7));
        size_t at = 0;
        for (int i = 0; i < 3; ++i)
            at = jpeg.find("\xFF\xDA", at + 2);
        at = jpeg.find("\xFF\xD4", at);
        EXPECT_LT(at, jpeg.find("\xFF\xDA", at)) << "no RST4 in the third scan";
        jpeg[at + 1] = code;
        return jpeg;
    };
    // libjpeg's word on the damaged marker.
    const auto restartSaid = [](const char* image, const char* code) {
        return std::string("page 1: ") + image + ": Corrupt JPEG data: found marker 0x" + code + " instead of RST4";
    };
    // An image row (of 64) on a plate, and its level there: -1 for some ink
    // (below 250).
    struct PlateRow {
        const char* plate;
        int row;
        int level;
    };
    // Paper on every plate past the rows held, ink before them.
    const auto cmykPaper = [](int held) {
        return std::vector<PlateRow>{{"plate-0-Cyan.png", held + 4, 255}, {"plate-1-Magenta.png", held + 4, 255},
                                     {"plate-2-Yellow.png", held + 4, 255}, {"plate-3-Black.png", held + 4, 255},
                                     {"plate-3-Black.png", held - 4, -1}};
    };
    const struct {
        const char* name;
        std::string pdf;
        int code;
        std::string last;  // after "tintscope: FILE: "
        std::vector<PlateRow> plates;
        std::string before = "";  // the line before the last, when there is one
        bool mutool = false;  // each plate within 8 levels of mutool's on 97% of marked pixels
        const char* like = nullptr;  // every plate as the row of that name drew it
        bool squares = false;  // the squares after the image drawn
        const char* near = nullptr;  // every plate within 2 levels of that row's on 99% of pixels
    } rows[] = {
        {"comment.pdf", image(big, claimed(cmyk, "\xFF\xC0", 20000, 40, std::string("\xFF\xFE\x00\x04ok\xFF\xD9", 8))),
         1, refused(8, 20000, 4), {}},
        {"progressive.pdf", image(big, claimed(progressive, "\xFF\xC2", 20000, 20, "")), 1, refused(8, 20000, 4), {}},
        // Blocks libjpeg fills past a restart marker are bounded (64 Ki: 6
        // iMCU rows of 10,000 blocks, the row decoded and two smoothed).
        {"progressive-restart-marker.pdf", image(big, claimed(progressive, "\xFF\xC2", 20000, 0, "\xFF\xD5")), 1,
         refused(72, 20000, 4), {}},
        {"high.pdf",
         image("/Width 1 /Height 16777000 /ColorSpace /DeviceCMYK /BitsPerComponent 1", ""), 1,
         "page 1 was not separated: image /Im0: an image of 1 x 16777000 pixels has a side longer than 65536, more "
         "than can be drawn.", {}},
        {"gray-huge.pdf", image(claimedGray(9000), claimed(gray, "\xFF\xC0", 9000, 40, "")), 1, refused(8, 9000, 1), {}},
        {"gray.pdf", image(claimedGray(800), claimed(gray, "\xFF\xC0", 800, 40, "")), 0,
         truncated(8, 800, 1, readAsZero), {}},
        // Cut before the first scan, one ink or four.
        {"gray-at-scan.pdf", image(grayDict, into(gray, "\xFF\xDA", 0)), 1,
         header + "Invalid JPEG file structure: missing SOS marker)", {}},
        {"cmyk-at-scan.pdf", image(cmykDict, into(cmyk, "\xFF\xDA", 2)), 1, header + "Bogus marker length)", {}},
        {"in-app0.pdf", image(grayDict, into(markers, "\xFF\xE0", 6)), 1, header + "JPEG datastream contains no image)",
         {}},
        {"in-app2.pdf", image(grayDict, into(markers, "\xFF\xE2", 20)), 1,
         header + "JPEG datastream contains no image)", {}},
        {"in-com.pdf", image(grayDict, into(markers, "\xFF\xFE", 3)), 1, header + "JPEG datastream contains no image)",
         {}},
        {"in-dqt.pdf", image(grayDict, into(markers, "\xFF\xDB", 30)), 1, header + "JPEG datastream contains no image)",
         {}},
        {"in-sof.pdf", image(grayDict, into(markers, "\xFF\xC0", 7)), 1, header + "Bogus marker length)", {}},
        {"in-dht.pdf", image(grayDict, into(markers, "\xFF\xC4", 12)), 1, header + "Bogus Huffman table definition)",
         {}},
        {"in-dri.pdf", image(grayDict, into(markers, "\xFF\xDD", 4)), 1,
         header + "Invalid JPEG file structure: missing SOS marker)", {}},
        {"in-sos.pdf", image(cmykDict, into(cmyk, "\xFF\xDA", 6)), 1, header + "Invalid component ID 217 in SOS)", {}},
        // Cut in a scan: the rows the data reach, the rest 0.
        {"progressive-in-1st-scan.pdf", image(cmykDict, scanData(progressive, 40)), 0,
         truncated(16, 64, 4, readAsZero), cmykPaper(16)},
        {"progressive-at-4th-scan.pdf", image(grayDict, into(grayProgressive, "\xFF\xDA", 2, 4)), 0,
         truncated(64, 64, 1, ", not all at full detail"), {{"plate-3-Black.png", 10, -1}}},
        {"progressive-in-3rd-scan.pdf", image(cmykDict, into(progressive, "\xFF\xDA", 40, 3)), 0,
         truncated(64, 64, 4, ", not all at full detail"), {{"plate-0-Cyan.png", 60, -1}}},
        {"arithmetic-in-scan.pdf", image(cmykDict, scanData(arithmetic, 900)), 0,
         truncated(56, 64, 4, readAsZero), cmykPaper(56)},
        // libjpeg's word on the damage comes before the loss line, which is
        // said once every plate is drawn.
        {"junk-before-scan.pdf", image(cmykDict, scanData(junkBeforeScan, 200)), 0, truncated(8, 64, 4, readAsZero),
         {}, "page 1: Image /Im0: Corrupt JPEG data: 2 extraneous bytes before marker 0xda"},
        {"gray-in-scan.pdf", image(grayDict, scanData(gray, 200)), 0, truncated(32, 64, 1, readAsZero),
         {{"plate-3-Black.png", 2, -1}, {"plate-3-Black.png", 50, 0}}},
        // Data that end with their scan header hold no row: libjpeg's 128s are not kept.
        {"gray-at-end-of-scan-header.pdf", image(grayDict, scanData(gray, 0)), 0, truncated(0, 64, 1, readAsZero),
         {{"plate-3-Black.png", 2, 0}}},
        // A restart marker does not end the data: the rows past it are drawn as decoded.
        {"progressive-1st-scan-only-a-restart-marker.pdf", image(grayDict, scanData(grayProgressive, 0) + "\xFF\xD5"),
         0, truncated(64, 64, 1, ", not all at full detail"), {{"plate-3-Black.png", 60, -1}}, "", true},
        {"inline-progressive-in-1st-scan.pdf", inlineImage(scanData(progressive, 40)), 0,
         inlineSaid(truncated(16, 64, 4, readAsZero)), cmykPaper(16)},
        {"inline-junk-before-scan.pdf", inlineImage(scanData(junkBeforeScan, 200)), 0,
         inlineSaid(truncated(8, 64, 4, readAsZero)), {},
         "page 1: An inline image: Corrupt JPEG data: 2 extraneous bytes before marker 0xda"},
        // Cut inside a marker segment after the first scan: every row,
        // inline as in an XObject.
        {"progressive-in-2nd-scan-header.pdf", image(cmykDict, into(progressive, "\xFF\xDA", 3, 2)), 0,
         truncated(64, 64, 4, ", not all at full detail"), {{"plate-0-Cyan.png", 60, -1}}},
        {"inline-progressive-in-2nd-scan-header.pdf", inlineImage(into(progressive, "\xFF\xDA", 3, 2)), 0,
         inlineSaid(truncated(64, 64, 4, ", not all at full detail")), {{"plate-0-Cyan.png", 60, -1}}},
        {"inline-progressive-in-later-table.pdf", inlineImage(laterTable, "/G"), 0,
         inlineSaid(truncated(64, 64, 1, ", not all at full detail")), {{"plate-3-Black.png", 10, -1}}},
        // The next image's bytes are not the cut one's data.
        {"inline-cut-then-raw.pdf", inlineImage(scanData(gray, 200), "/G", thenRaw), 0,
         inlineSaid(truncated(32, 64, 1, readAsZero)), {{"plate-3-Black.png", 2, -1}, {"plate-3-Black.png", 50, 0}}},
        {"inline-cut-then-jpeg.pdf", inlineImage(scanData(gray, 200), "/G", thenJpeg), 0,
         inlineSaid(truncated(32, 64, 1, readAsZero)), {{"plate-3-Black.png", 2, -1}, {"plate-3-Black.png", 50, 0}}},
        // Lacking only the end marker: whole, and nothing said.
        {"inline-without-end-marker.pdf", inlineImage(cmyk.substr(0, cmyk.size() - 2)), 0, "",
         {{"plate-3-Black.png", 60, -1}}},
        {"arithmetic-without-end-marker.pdf", image(cmykDict, arithmetic.substr(0, arithmetic.size() - 2)), 0, "",
         {{"plate-3-Black.png", 60, -1}}},
        // Arithmetic data cut in the last iMCU row.
        {"arithmetic-in-last-row.pdf", image(cmykDict, arithmeticInLastRow), 0,
         truncated(64, 64, 4, ", not all at full detail"), {{"plate-3-Black.png", 52, -1}}},
        {"inline-arithmetic-in-last-row.pdf", inlineImage(arithmeticInLastRow), 0,
         inlineSaid(truncated(64, 64, 4, ", not all at full detail")), {{"plate-3-Black.png", 52, -1}}},
        // A soft mask cut short keeps the rows its data hold, the rest
        // covering nothing; cut before its first scan it refuses the image.
        {"soft-mask-in-scan.pdf", masked(scanData(gray, 200)), 0,
         "page 1: every ink may lack what the drawing could not read of its content: Image /Im0's soft mask is truncated: its data hold 2048 of 4096 samples" + std::string(readAsZero),
         cmykPaper(32)},
        {"soft-mask-at-end-of-scan-header.pdf", masked(scanData(gray, 0)), 0,
         "page 1: every ink may lack what the drawing could not read of its content: Image /Im0's soft mask is truncated: its data hold 0 of 4096 samples" + std::string(readAsZero),
         {{"plate-0-Cyan.png", 2, 255}, {"plate-3-Black.png", 2, 255}}},
        // EI in a whole marker segment's text is image data.
        {"inline-comment-holds-EI.pdf", inlineImage(segment(gray, 2, "\xFF\xFE", "a EI bcdef"), "/G", squares), 0, "",
         {}, "", true},
        {"inline-app1-holds-EI.pdf", inlineImage(segment(cmyk, 2, "\xFF\xE1", "\nEI hello")), 0, "", {}, "", true},
        {"inline-comment-between-scans-holds-EI.pdf",
         inlineImage(segment(progressive, into(progressive, "\xFF\xDA", 0, 2).size(), "\xFF\xFE",
                             "\nEI Q 0 1 0 0 k 0 0 100 100 re f\n")),
         0, "", {}, "", true},
        // EI split by the content's buffers after its E, after its I.
        {"inline-cut-EI-not-split.pdf", split(0), 0, inlineSaid(truncated(32, 64, 1, readAsZero)), {}},
        {"inline-cut-EI-split-after-E.pdf", split(1), 0, inlineSaid(truncated(32, 64, 1, readAsZero)), {}, "", false,
         "inline-cut-EI-not-split.pdf"},
        {"inline-cut-EI-split-after-I.pdf", split(2), 0, inlineSaid(truncated(32, 64, 1, readAsZero)), {}, "", false,
         "inline-cut-EI-not-split.pdf"},
        // Cut inside a segment that runs past the content: EI ends the data
        // however much content follows.
        {"inline-cut-in-long-comment-1k.pdf", longComment(1000), 0,
         inlineSaid(truncated(64, 64, 1, ", not all at full detail")), {{"plate-3-Black.png", 10, -1}}, "", false,
         nullptr, true},
        {"inline-cut-in-long-comment-6k.pdf", longComment(6000), 0,
         inlineSaid(truncated(64, 64, 1, ", not all at full detail")), {}, "", false,
         "inline-cut-in-long-comment-1k.pdf", true},
        {"inline-cut-in-long-comment-20k.pdf", longComment(20000), 0,
         inlineSaid(truncated(64, 64, 1, ", not all at full detail")), {}, "", false,
         "inline-cut-in-long-comment-1k.pdf", true},
        // A restart marker damaged to FF 03 is no segment: libjpeg resyncs
        // past it as past FF 01, and the later scans are drawn.
        {"progressive-restart-marker-FF01.pdf", image(grayDict, restartDamaged('\x01')), 0,
         restartSaid("Image /Im0", "01"), {}},
        {"progressive-restart-marker-FF03.pdf", image(grayDict, restartDamaged('\x03')), 0,
         restartSaid("Image /Im0", "03"), {}, "",
         false, nullptr, false, "progressive-restart-marker-FF01.pdf"},
        {"inline-progressive-restart-marker-FF03.pdf", inlineImage(restartDamaged('\x03'), "/G"), 0,
         restartSaid("An inline image", "03"), {}, "", false, nullptr, false, "progressive-restart-marker-FF01.pdf"},
        {"soft-mask-at-scan.pdf", masked(into(gray, "\xFF\xDA", 0)), 1,
         "page 1 was not separated: image /Im0: its soft mask: the image's JPEG data are cut short or damaged before "
         "their first scan (libjpeg: Invalid JPEG file structure: missing SOS marker)", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = WriteFile(row.name, row.pdf);
        const std::string out = m_out.File(std::string(row.name) + ".out");
        // 4096 blocks of 512 bytes: a file past it ends the run by SIGXFSZ.
        const std::string command = "ulimit -f 4096; TINTSCOPE_PROGRESS_MS=1000000 TMPDIR='" + m_tmp.Path() + "' '" +
                                    TINTSCOPE_PROGRAM + "' '" + file + "' --out '" + out + "' 2>&1 >/dev/null";
        const TS_Run run = TS_FinishPiped(popen(command.c_str(), "r"));
        EXPECT_EQ(run.m_code, row.code) << run.m_err;
        const std::vector<std::string> lines = run.Lines();
        if (lines.empty() && !row.last.empty()) {
            ADD_FAILURE() << "nothing said";
            continue;
        }
        // Nothing is said of a whole image.
        EXPECT_EQ(lines.empty() ? "" : lines.back(), row.last.empty() ? "" : "tintscope: " + file + ": " + row.last);
        if (row.code == 0 && !lines.empty()) {
            EXPECT_EQ(lines.size(), row.before.empty() ? 1u : 2u) << "said once, libjpeg's words last\n" << run.m_err;
            if (!row.before.empty() && lines.size() > 1) {
                EXPECT_EQ(lines[lines.size() - 2], "tintscope: " + file + ": " + row.before);
            }
        }
        EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>()) << "temporary files left";
        // The image spans x 10 to 60 and y 40 to 90 from the top of the
        // 100-point page.
        for (const PlateRow& p : row.plates) {
            SCOPED_TRACE(std::string(p.plate) + " row " + std::to_string(p.row));
            const GrayPlate plate = TS_ReadPlatePng(out + "/" + p.plate);
            EXPECT_GT(plate.width, 0) << "no plate";
            if (plate.width <= 0)
                continue;
            const double scale = plate.width / 100.0;
            const uint8_t level =
                plate.At(static_cast<int>(35 * scale), static_cast<int>((40 + (p.row + 0.5) * 50 / 64) * scale));
            if (p.level < 0) {
                EXPECT_LT(level, 250);
            } else {
                EXPECT_EQ(level, p.level);
            }
        }
        if (row.squares) {
            const GrayPlate magenta = TS_ReadPlatePng(out + "/plate-1-Magenta.png");
            const GrayPlate black = TS_ReadPlatePng(out + "/plate-3-Black.png");
            const double scale = magenta.width / 100.0;
            EXPECT_LT(magenta.At(static_cast<int>(80 * scale), static_cast<int>(20 * scale)), 250) << "no magenta square";
            EXPECT_LT(black.At(static_cast<int>(85 * scale), static_cast<int>(85 * scale)), 250) << "no black square";
        }
        for (int i = 0; i < 4 && row.near; ++i) {
            SCOPED_TRACE(ProcessFiles[i + 1]);
            const GrayPlate ours = TS_ReadPlatePng(out + "/" + ProcessFiles[i + 1]);
            const GrayPlate other =
                TS_ReadPlatePng(m_out.File(row.near + std::string(".out/")) + ProcessFiles[i + 1]);
            ASSERT_EQ(ours.pixels.size(), other.pixels.size());
            size_t close = 0;
            for (size_t p = 0; p < ours.pixels.size(); ++p)
                close += std::abs(ours.pixels[p] - other.pixels[p]) <= 2;
            EXPECT_GE(close, ours.pixels.size() * 99 / 100) << "of " << ours.pixels.size() << " pixels";
        }
        const std::vector<GrayPlate> theirs =
            row.mutool ? TS_MutoolPlates(file, m_out.File(std::string(row.name) + ".pam"), 300)
                       : std::vector<GrayPlate>();
        for (int i = 0; i < 4 && (row.mutool || row.like); ++i) {
            SCOPED_TRACE(ProcessFiles[i + 1]);
            const GrayPlate ours = TS_ReadPlatePng(out + "/" + ProcessFiles[i + 1]);
            if (row.mutool)
                TS_ExpectNearMutool(ours, theirs[i], 0.97);
            else
                EXPECT_TRUE(ours.pixels == TS_ReadPlatePng(m_out.File(row.like + std::string(".out/")) +
                                                            ProcessFiles[i + 1]).pixels);
        }
    }
}
