// What the program says when a page is refused or warned about: the
// plug-in's alerts stay, and the last line names the file and the cause in
// words, as the engine put it in the log; warnings are one line each and
// the run still succeeds.
#include "TS_ProgramFixture.h"

#include "FILT/FILT_DCTTestJpeg.h"
#include "support/PdfText.h"
#include "viewer/program/VIEW_PdfFile.h"
#include "viewer/program/VIEW_ProgramLog.h"
#include "viewer/program/VIEW_ProgramText.h"
#include "support/Deflated.h"
#include "viewer/VIEW_ErrorRegistry.h"
#include "viewer/draw/VDRW_MuPDF.h"
#include "viewer/VIEW_FileSys.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>

namespace {

// An RGB JPEG of 8 x 8 pixels.
std::string RgbJpeg() {
    dcttest::JpegShape shape;
    shape.width = shape.height = 8;
    shape.components = 3;
    shape.in = JCS_RGB;
    shape.coded = JCS_YCbCr;
    return dcttest::MakeJpeg(shape, dcttest::SourceImage(8, 8, 3, 7));
}

TEST_F(TS_ProgramTest, EveryRefusedPageSaysWhyOnItsLastLine) {
    const std::string jpeg = RgbJpeg();
    ASSERT_FALSE(jpeg.empty());
    // The reason names the construct (operator, image, colour space, ink)
    // and then the engine's cause, without its operand listing.
    const struct {
        const char* name;
        std::string pdf;
        const char* reason;
    } rows[] = {
        {"rgb.pdf", TS_OnePage("", "1 0 0 rg 10 10 50 50 re f"),
         "operator rg: Unsupported colorspace: ColorSpace: DeviceRGB"},
        {"rgbimage.pdf",
         TS_OnePage("/XObject << /Im0 5 0 R >>", "q 50 0 0 50 10 10 cm /Im0 Do Q",
                 {VIEW_PdfStream("/Type /XObject /Subtype /Image /Width 2 /Height 2 /BitsPerComponent 8 "
                               "/ColorSpace /DeviceRGB",
                               std::string(12, '\x80'))}),
         "image /Im0: Unsupported colorspace: ColorSpace: DeviceRGB"},
        {"rgbspace.pdf", TS_OnePage("/ColorSpace << /CS1 /DeviceRGB >>", "/CS1 cs 1 0 0 scn 10 10 50 50 re f"),
         "colour space /CS1: Unsupported colorspace: ColorSpace: DeviceRGB"},
        {"selfform.pdf",
         TS_OnePage("/XObject << /X0 5 0 R >>", "/X0 Do",
                 {VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] /Resources << /XObject << /X0 5 0 R "
                               ">> >>",
                               "/X0 Do")}),
         "Form X0 is separated inside itself"},
        // Named by the content's name, not by another of the same form's.
        {"aliasedform.pdf",
         TS_OnePage("/XObject << /X0 5 0 R >>", "/X0 Do",
                 {VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] /Resources << /XObject << /Y 5 0 R "
                               "/Z 5 0 R >> >>",
                               "/Y Do")}),
         "Form Y is separated inside itself"},
        {"rotate45.pdf", TS_OnePage("", "0 0 0 1 k 10 10 50 50 re f", {}, "/Rotate 45"), "Invalid page rotation found: 45"},
        {"badfunction.pdf",
         TS_OnePage("/ColorSpace << /CS0 [/Separation /Gold /DeviceCMYK << /FunctionType 7 >>] >>",
                 "/CS0 cs 1 scn 10 10 50 50 re f"),
         "ink Gold: Unknown Function type: 7"},
        {"badalternate.pdf",
         TS_OnePage("/ColorSpace << /CS0 [/Separation /Gold /Pattern << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] "
                 "/N 1 >>] >>",
                 "/CS0 cs 1 scn 10 10 50 50 re f"),
         "colour space /CS0: Separation colorspace has invalid alternate colorspace: Invalid separation alternate "
         "colorspace: Pattern"},
        {"nofont.pdf", TS_OnePage("", "BT /F9 12 Tf (hi) Tj ET"),
         "Tf operator, font 'F9' does not exist in the resources dictionary"},
        {"jpeg3.pdf",
         TS_OnePage("/XObject << /Im0 5 0 R >>", "q 50 0 0 50 10 10 cm /Im0 Do Q",
                 {VIEW_PdfStream("/Type /XObject /Subtype /Image /Width 8 /Height 8 /BitsPerComponent 8 "
                               "/ColorSpace /DeviceCMYK /Filter /DCTDecode",
                               jpeg)}),
         "image /Im0: the image's DCT data have 3 components, its colour space 4"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = WriteFile(row.name, row.pdf);
        const TS_Run run = Run(WithOut({file}));
        EXPECT_EQ(run.m_code, 1);
        const std::vector<std::string> lines = run.Lines();
        ASSERT_FALSE(lines.empty());
        const std::string lead = "tintscope: " + file + ": page 1 was not separated: ";
        EXPECT_EQ(lines.back().substr(0, lead.size() + std::strlen(row.reason)), lead + row.reason) << run.m_err;
        // Nothing of the log below warnings reaches the terminal, and no
        // message is a bare number.
        for (const std::string& line : lines) {
            EXPECT_EQ(line.find(" line "), std::string::npos) << line;
            EXPECT_EQ(line.find("Stack"), std::string::npos) << line;
        }
        EXPECT_EQ(lines.back().find("  "), std::string::npos) << lines.back();
        EXPECT_EQ(m_out.List(), std::vector<std::string>());
    }
}

TEST_F(TS_ProgramTest, WhatIsNotARegularFileIsRefusedAtOnceInWords) {
    const std::string fifo = m_docs.File("pipe.pdf");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::string path;
        const char* reason;
    } rows[] = {
        {"/dev/null", "it is not a regular file (a device)"},
        {fifo, "it is not a regular file (a FIFO)"},
        {m_docs.Path(), "it is a folder"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const TS_Run run = Run(WithOut({row.path}));
        EXPECT_EQ(run.m_code, 1);
        EXPECT_EQ(run.m_err, "tintscope: " + row.path + ": cannot be opened: " + row.reason + "\n");
        EXPECT_EQ(m_out.List(), std::vector<std::string>());
    }
}

TEST_F(TS_ProgramTest, TransparencyIsOneWarningLineAndTheRunSucceeds) {
    const std::string file = WriteFile(
        "smask.pdf", TS_OnePage("/ExtGState << /GS0 << /SMask << /S /Luminosity /G 5 0 R >> >> >>",
                             "/GS0 gs 0 0 0 1 k 10 10 50 50 re f",
                             {VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 1 1]", "")}));
    const TS_Run run = Run(WithOut({file}));
    EXPECT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_EQ(run.m_err, "tintscope: " + file +
                             ": page 1 uses transparency (ExtGState GS0 with SMask); its plates apply the same mask "
                             "to every ink\n");
    EXPECT_NE(ReadWholeFile(m_out.File("inks.txt")), "");
}

TEST_F(TS_ProgramTest, ARepairedFileThatFailsStillSaysItWasRepaired) {
    std::string pdf = TS_OnePage("", "1 0 0 rg 10 10 50 50 re f");
    // The cross-reference table moved: the reader rebuilds it.
    const size_t xref = pdf.find("xref\n");
    ASSERT_NE(xref, std::string::npos);
    pdf.insert(xref, "% pushed along\n");
    const std::string file = WriteFile("moved.pdf", pdf);
    const TS_Run run = Run(WithOut({file}));
    EXPECT_EQ(run.m_code, 1);
    const std::vector<std::string> lines = run.Lines();
    ASSERT_GE(lines.size(), 2u) << run.m_err;
    EXPECT_EQ(lines[lines.size() - 2].rfind("tintscope: " + file + ": repaired, ", 0), 0u) << run.m_err;
    EXPECT_EQ(lines.back().rfind("tintscope: " + file + ": page 1 was not separated: ", 0), 0u) << run.m_err;
}

// The grey of plate at a point of the 100 x 100 point page (y from the
// bottom); -1 when the plate could not be read.
int GreyAt(const PngPixels& plate, double x, double y) {
    if (plate.m_channels != 1)
        return -1;
    const int column = static_cast<int>(x / 100 * plate.m_width);
    const int row = static_cast<int>((100 - y) / 100 * plate.m_height);
    return plate.m_pixels[static_cast<size_t>(row) * plate.m_width + column];
}

// A page of the given MediaBox painting a black square.
std::string PageBoxed(const std::string& box) {
    const std::string content = "0 0 0 1 k 10 10 50 50 re f";
    return PdfText("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                "<< /Type /Page /Parent 2 0 R /MediaBox " + box + " /Contents 4 0 R >>",
                                VIEW_PdfStream("", content)});
}

TEST_F(TS_ProgramTest, HostileFilesEndWithTheirCauseInWordsOnce) {
    const std::string junk = "junkjunkjunkjunkjunk";
    const std::string inlineLead = "q 50 0 0 50 10 10 cm BI /W 2 /H 2 /BPC 8 /CS /G ";
    const std::string gold = "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>";
    const struct {
        const char* name;
        std::string pdf;
        std::string last;  // after "tintscope: FILE: "
    } rows[] = {
        // Decoded where the image is sliced, as an XObject's JPEG data are.
        {"dct.pdf", TS_OnePage("", inlineLead + "/F /DCT ID " + junk + " EI Q"),
         "page 1 was not separated: inline image: the image's JPEG data are cut short or damaged before their first "
         "scan (libjpeg: Not a JPEG file: starts with 0x6a 0x75)"},
        // Damaged Flate and ASCIIHex data are drawn for what precedes the
        // fault (TS_DecodedLosses_test.cpp).
        {"width0.pdf",
         TS_OnePage("/XObject << /Im0 5 0 R >>", "q 50 0 0 50 10 10 cm /Im0 Do Q",
                    {VIEW_PdfStream("/Type /XObject /Subtype /Image /Width 0 /Height 2 /BitsPerComponent 8 "
                                    "/ColorSpace /DeviceGray",
                                    std::string(4, '\x80'))}),
         "page 1 was not separated: the page cannot be read: image width is zero (or less)"},
        // The space is its own alternate.
        {"selfalternate.pdf",
         TS_OnePage("/ColorSpace << /CS0 5 0 R >>", "/CS0 cs 1 scn 10 10 50 50 re f",
                    {"[/Separation /Gold 5 0 R " + gold + "]"}),
         "page 1 was not separated: colour space /CS0: Separation colorspace has invalid alternate colorspace: "
         "Invalid separation alternate colorspace: Separation"},
        {"offset.pdf", PageBoxed("[-1000000 -1000000 -999800 -999800]"),
         "page 1 cannot be separated: its page box [-1000000 -1000000 -999800 -999800] lies beyond the 32767 "
         "points from the origin that the viewer can hold"},
        {"huge.pdf", PageBoxed("[0 0 1000000000 1000000000]"),
         "page 1 cannot be separated: its page box [0 0 1000000000 1000000000] lies beyond the 32767 points from "
         "the origin that the viewer can hold"},
        {"empty", "", "cannot be opened: it is empty"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = WriteFile(row.name, row.pdf);
        const TS_Run run = Run(WithOut({file}));
        EXPECT_EQ(run.m_code, 1);
        const std::vector<std::string> lines = run.Lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "tintscope: " + file + ": " + row.last) << run.m_err;
        // The cause once: no earlier line repeats it, and no line is long
        // but for the file's name.
        const std::string cause = row.last.substr(row.last.rfind(": ") + 2);
        for (size_t i = 0; i + 1 < lines.size(); ++i)
            EXPECT_EQ(lines[i].find(cause), std::string::npos) << lines[i];
        for (const std::string& line : lines)
            EXPECT_LE(line.size(), 200u + file.size()) << line;
        EXPECT_EQ(m_out.List(), std::vector<std::string>());
    }
}

// The crop box fits the viewer; the media box, which the engine copies,
// does not and is warned of once per value however often it is copied.
TEST_F(TS_ProgramTest, AWarningIsSaidOnce) {
    const std::string file =
        WriteFile("cropped.pdf", PageBoxed("[-1000000 -1000000 1000000 1000000] /CropBox [0 0 100 100]"));
    const TS_Run run = Run(WithOut({file}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    const std::string lead = "tintscope: " + file + ": page 1: Page box value ";
    EXPECT_EQ(run.Lines(), (std::vector<std::string>{lead + "-1e+06 does not fit the host's fixed point",
                                                     lead + "1e+06 does not fit the host's fixed point"}));
    EXPECT_EQ(GreyAt(Output("plate-3-Black.png"), 30, 30), 0);
}

TEST_F(TS_ProgramTest, InlineImageDataLongerThanNeededArePassedOverToTheirEnd) {
    const std::string lead = "q 50 0 0 50 10 10 cm BI /W 2 /H 2 /BPC 8 /CS /G ID ";
    // Without EI the image's end is unknown: the square after it is lost, and said.
    const std::string lost = "page 1: The inline image whose ID stands at byte " + std::to_string(lead.size() - 3) +
                             " of its content stream has no EI after its data: what followed it was not drawn\n";
    const struct {
        const char* name;
        std::string data;  // after ID, before a square
        std::string said;  // after "tintscope: FILE: "; empty: nothing, the square drawn
    } rows[] = {
        // 2 x 2 grey samples need 4 bytes; 5,000 come, then EI and a square.
        {"longinline.pdf", std::string(5000, '\x80') + " EI", ""},
        {"noei.pdf", std::string(4, '\x80') + "\n", lost},
        {"noei-long.pdf", std::string(200000, '\x80'), lost},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = WriteFile(row.name, TS_OnePage("", lead + row.data + " Q 0 0 0 1 k 80 80 10 10 re f"));
        const TS_Run run = Run(WithOut({file}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(run.m_err, row.said.empty() ? "" : "tintscope: " + file + ": " + row.said);
        const PngPixels black = Output("plate-3-Black.png");
        EXPECT_EQ(GreyAt(black, 85, 85), row.said.empty() ? 0 : 255) << "the square after the image";
        const int image = GreyAt(black, 35, 35);
        EXPECT_GT(image, 100);
        EXPECT_LT(image, 155) << "the image's half grey";
        EXPECT_EQ(GreyAt(black, 70, 30), 255);
    }
}

// Each plate draws an inline image as the program read it, and what follows:
// a grey JPEG lacking its end marker (on the page, in a pattern cell, amid
// CMYK ones) as the page with the marker given back; grey data short of the
// image as the page holding what was read, the rest of the content, zeros.
TEST_F(TS_ProgramTest, InlineImagesReachEachPlateAsTheirDataWereRead) {
    const std::string gray = dcttest::MakeJpeg({48, 32}, dcttest::SourceImage(48, 32, 1, 7));
    const std::string cmyk = dcttest::MakeJpeg({48, 32, 4, JCS_CMYK, JCS_CMYK}, dcttest::SourceImage(48, 32, 4, 8));
    const auto image = [](const std::string& dict, const std::string& data, int y = 10) {
        return "q 40 0 0 30 10 " + std::to_string(y) + " cm BI /W 48 /H 32 /BPC 8 /CS " + dict + " ID " + data +
               "\nEI Q ";
    };
    const std::string squares = "0 1 0 0 k 60 60 10 10 re f 0 0 0 1 k 80 80 9 9 re f";
    const auto withAndWithoutEnd = [&](const std::function<std::string(const std::string&)>& page) {
        return std::make_pair(page(gray.substr(0, gray.size() - 2)), page(gray));
    };
    std::string read = dcttest::SourceImage(48, 32, 1, 9).substr(0, 1000);
    const std::string cut = TS_OnePage("", image("/G", read) + squares);
    (read += "\nEI Q " + squares).resize(1536, '\0');
    const std::pair<std::string, std::string> rows[] = {
        withAndWithoutEnd([&](const std::string& jpeg) { return TS_OnePage("", image("/G /F /DCT", jpeg) + squares); }),
        withAndWithoutEnd([&](const std::string& jpeg) {
            return TS_OnePage("/Pattern << /P0 5 0 R >>", "/Pattern cs /P0 scn 0 0 100 100 re f",
                              {VIEW_PdfStream("/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 100 100] "
                                              "/XStep 100 /YStep 100 /Resources << >>",
                                              image("/G /F /DCT", jpeg) + squares)});
        }),
        withAndWithoutEnd([&](const std::string& jpeg) {
            return TS_OnePage("", image("/CMYK /F /DCT", cmyk) + image("/G /F /DCT", jpeg, 45) +
                                      image("/CMYK /F /DCT", cmyk, 70) + squares);
        }),
        {cut, TS_OnePage("", image("/G", read))},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(&row - rows);
        std::vector<GrayPlate> plates[2];
        for (const std::string* pdf : {&row.second, &row.first}) {
            const TS_Run run = Run(WithOut({WriteFile("inline.pdf", *pdf)}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            for (const char* ink : {"0-Cyan", "1-Magenta", "2-Yellow", "3-Black"})
                plates[pdf == &row.first].push_back(
                    TS_ReadPlatePng(m_out.File(std::string("plate-") + ink + ".png")));
        }
        EXPECT_GT(plates[0][3].InkedShare(), 0.05);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_GE(ComparePlate(plates[0][i], plates[1][i]).InkedShare(), 0.99) << "plate " << i;
    }
}

// An error the drawing of an ink's page goes past is said once, in the
// program's words; the plates are still drawn.
TEST_F(TS_ProgramTest, AnErrorTheDrawingGoesPastIsSaidOnce) {
    const std::string file =
        WriteFile("squares.pdf", TS_OnePage("", "0 0 0 1 k 10 10 50 50 re f 1 0 0 0 k 70 70 9 9 re f"));
    VDRW_SetReadingFault(1);
    const TS_Run run = Run(WithOut({file}));
    VDRW_SetReadingFault(0);
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_EQ(run.m_err, "tintscope: " + file + ": page 1: every ink may lack what the drawing could not read of its "
                                                "content: a stream in it could not be read to its end\n");
    EXPECT_EQ(GreyAt(Output("plate-3-Black.png"), 30, 30), 0);
}

// A mask's group whose Flate data is cut short leaves the rest of the group
// undrawn in the drawing of every ink, which reads the group; the line names
// every ink: damaged inside, or cut in its code tables where a group drawn
// to nothing leaves the mask open (a white backdrop). Its plates are still
// drawn.
TEST_F(TS_ProgramTest, AGroupCutShortIsSaidOfEveryInkItCost) {
    std::string damaged = Deflated(std::string(200, ' ') + "1 g 0 0 100 100 re f 0.5 g 0 0 50 50 re f" +
                                   std::string(200, ' '));
    damaged.replace(damaged.size() / 2, 4, "\xff\xff\xff\xff");
    std::string squares;
    for (int i = 0; i < 200; ++i)
        squares += "0." + std::to_string(i % 10) + " g " + std::to_string(i % 20 * 5) + " " + std::to_string(i / 20 * 5) +
                   " 4 4 re f\n";
    const struct {
        const char* name;
        std::string group, backdrop, words;
    } rows[] = {
        {"damaged.pdf", damaged, "", "a compressed stream in it is damaged"},
        {"cut.pdf", Deflated(squares).substr(0, 12), " /BC [1]", "a compressed stream's data stop before their end"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = WriteFile(
            row.name,
            TS_OnePage("/ExtGState << /M0 5 0 R >>", "1 0 0 0 k 60 60 30 30 re f q /M0 gs 0 0 0 1 k 0 0 50 50 re f Q",
                       {"<< /SMask << /S /Luminosity /G 6 0 R" + row.backdrop + " >> >>",
                        VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] /Resources << >> "
                                       "/Group << /S /Transparency /CS /DeviceGray >> /Filter /FlateDecode",
                                       row.group)}));
        const TS_Run run = Run(WithOut({file}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const std::string said = ": page 1: every ink may lack what the drawing could not read of its content: ";
        const size_t at = run.m_err.find(said);
        ASSERT_NE(at, std::string::npos) << run.m_err;
        EXPECT_NE(run.m_err.find(row.words, at), std::string::npos) << run.m_err;
        EXPECT_EQ(run.m_err.find("may lack"), run.m_err.rfind("may lack")) << run.m_err;  // one line
        EXPECT_EQ(GreyAt(Output("plate-0-Cyan.png"), 75, 75), 0);
    }
}

// An error MuPDF goes past without leaving content undrawn costs no plate
// anything and is not said: each page gives the plates of the same page
// without the fault. A font drawn in a substitute font is said, since its
// glyphs are not the font's own, whatever the plates show.
TEST_F(TS_ProgramTest, WhatTheDrawingOnlySkippedIsNotSaidLost) {
    const std::string squares = " 0 0 0 1 k 10 10 40 40 re f 1 0 0 0 k 60 60 30 30 re f";
    const std::string text = "0 0 0 1 k BT /F1 40 Tf 10 20 Td (Ab) Tj ET" + squares;
    const auto font = [](const std::string& descriptorEntry) {
        return std::vector<std::string>{
            "<< /Type /Font /Subtype /TrueType /BaseFont /Arial /FirstChar 65 /LastChar 98 /FontDescriptor 6 0 R >>",
            "<< /Type /FontDescriptor /FontName /Arial /Flags 32 /FontBBox [0 0 1000 1000] /ItalicAngle 0 "
            "/Ascent 900 /Descent -100 /CapHeight 700 /StemV 80" + descriptorEntry + " >>",
            VIEW_PdfStream("", std::string(300, 'x'))};
    };
    const auto masked = [&](const std::string& group) {
        return TS_OnePage("/ExtGState << /M0 5 0 R >>", "/M0 gs 0 0 0 1 k 0 0 50 100 re f 1 0 0 0 k 60 60 30 30 re f",
                          {"<< /SMask << /S /Luminosity /G 6 0 R >> >>",
                           VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] /Resources << >> "
                                          "/Group << /S /Transparency /CS /DeviceGray >>",
                                          group)});
    };
    // Flate data that give their last block whole, their check missing (a
    // wrong check may mean damaged data, and is said).
    const std::string form = Deflated("0 0 0 1 k 0 0 100 50 re f");
    const auto withForm = [&](const std::string& data) {
        return TS_OnePage("/XObject << /Fm0 5 0 R >>", "/Fm0 Do" + squares,
                          {VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] /Resources << >> "
                                          "/Filter /FlateDecode",
                                          data)});
    };
    // Samples not a whole number of MuPDF's reads, which then meet the end.
    const std::string image = Deflated(std::string(100 * 80, '\x40'));
    const auto withImage = [&](const std::string& data) {
        return TS_OnePage("/XObject << /Im0 5 0 R >>", "q 100 0 0 50 0 0 cm /Im0 Do Q" + squares,
                          {VIEW_PdfStream("/Type /XObject /Subtype /Image /Width 100 /Height 80 /BitsPerComponent 8 "
                                          "/ColorSpace /DeviceGray /Filter /FlateDecode",
                                          data)});
    };
    const struct {
        const char* name;
        std::string faulty, clean;
        const char* said;  // the faulty page's "may lack" line ends so; "" for none
    } rows[] = {
        {"form-flate-lacking-its-check.pdf", withForm(form.substr(0, form.size() - 4)), withForm(form), ""},
        {"image-flate-lacking-its-check.pdf", withImage(image.substr(0, image.size() - 4)), withImage(image), ""},
        {"font.pdf", TS_OnePage("/Font << /F1 5 0 R >>", text, font(" /FontFile2 7 0 R")),
         TS_OnePage("/Font << /F1 5 0 R >>", text, font("")), "its text is drawn in a substitute font\n"},
        {"extgstate-in-group.pdf", masked("/GX gs 0.5 g 0 0 100 50 re f"), masked("0.5 g 0 0 100 50 re f"), ""},
        {"extgstate.pdf", TS_OnePage("/ExtGState << >>", "/GX gs" + squares), TS_OnePage("/ExtGState << >>", squares),
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<GrayPlate> plates[2];
        for (const std::string* pdf : {&row.faulty, &row.clean}) {
            const TS_Run run = Run(WithOut({WriteFile(row.name, *pdf)}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            if (pdf == &row.faulty && *row.said)
                EXPECT_NE(run.m_err.find(std::string(row.said)), std::string::npos) << run.m_err;
            else
                EXPECT_EQ(run.m_err.find("may lack"), std::string::npos) << run.m_err;
            for (const char* ink : {"0-Cyan", "1-Magenta", "2-Yellow", "3-Black"})
                plates[pdf == &row.clean].push_back(TS_ReadPlatePng(m_out.File(std::string("plate-") + ink + ".png")));
        }
        EXPECT_GT(plates[0][3].InkedShare(), 0.1);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_TRUE(plates[0][i].pixels == plates[1][i].pixels) << "plate " << i;
    }
}

// Names, operators and strings of the file reach the terminal escaped: none
// of their control bytes or bytes that are not UTF-8 is written as it is.
TEST_F(TS_ProgramTest, TheFilesBytesReachTheErrorStreamEscaped) {
    const std::string space = "/X#1B#5D0;TITLE#07#1B#5B2J#1B#5B31m";
    const std::string ink = "/Ink#1B#07#0D#FF#C3z#C2#9B";
    const std::string bad = "<< /FunctionType 7 >>";
    const struct {
        const char* name;
        std::string pdf;
        std::vector<std::string> args;
        std::string shown;  // how the name reads on the last line
    } rows[] = {
        {"space.pdf", TS_OnePage("/ColorSpace << " + space + " /DeviceRGB >>", space + " cs 1 0 0 sc 0 0 50 50 re f"),
         {}, "colour space /X#1b]0;TITLE#07#1b[2J#1b[31m: "},
        {"badink.pdf",
         TS_OnePage("/ColorSpace << /CS0 [/Separation " + ink + " /DeviceCMYK " + bad + "] >>",
                    "/CS0 cs 1 scn 10 10 50 50 re f"),
         {}, "ink Ink#1b#07"},
        // Only the list of the page's inks names it.
        {"spot.pdf",
         TS_OnePage("/ColorSpace << /CS0 [/Separation " + ink +
                        " /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 1 0 0] /N 1 >>] >>",
                    "/CS0 cs 1 scn 10 10 50 50 re f"),
         {"--untick", "none"}, "Black, Ink#1b#07#0d#ff#c3z#c2#9b)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = WriteFile(row.name, row.pdf);
        std::vector<std::string> args = {file, "--out", m_out.File(std::string(row.name) + ".out")};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const TS_Run run = RunBinary(args);
        EXPECT_NE(run.m_code, 0);
        EXPECT_NE(run.Lines().back().find(row.shown), std::string::npos) << run.m_err;
        for (const char c : std::string("\x1b\x07\r\xff"))
            EXPECT_EQ(run.m_err.find(c), std::string::npos) << static_cast<int>(static_cast<unsigned char>(c));
        EXPECT_EQ(run.m_err.find("\xC3z"), std::string::npos);
        EXPECT_EQ(run.m_err.find("\xC2\x9B"), std::string::npos);
    }
}

}  // namespace

namespace {

// The first folder inside folder, "" when none.
std::string FirstFolderIn(const std::string& folder) {
    for (const std::string& name : ListFolder(folder)) {
        struct stat info {};
        if (stat((folder + "/" + name).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            return folder + "/" + name;
    }
    return "";
}

// Faults met below the engine (the viewer's store, its decoders, the
// drawing, a full disk, a limit on file size, an operator's operands, a
// link to no folder) end in their cause in words: no host code, no object
// number of the viewer's own, no unit's or library call's name, no status
// line.
TEST_F(TS_ProgramTest, FaultsBelowTheEngineEndInWordsNotCodes) {
    const std::string square = "0 0 0 1 k 10 10 50 50 re f";
    const std::string drawImage = "q 50 0 0 50 10 10 cm /Im0 Do Q";
    const std::string imageLead = "/Type /XObject /Subtype /Image /Width 2 /Height 2 ";
    std::string jpxContent = TS_OnePage("", square);
    const size_t length = jpxContent.find("<< /Length");
    ASSERT_NE(length, std::string::npos);
    jpxContent.insert(length + 3, "/Filter /JPXDecode ");
    // Past the errors qpdf mends in one object.
    std::string junk;
    for (int i = 0; i < 30; ++i)
        junk += "@@@ ";
    const std::string tokens =
        TS_OnePage("/Font << /F1 5 0 R >>", "BT /F1 12 Tf 10 10 Td (hi) Tj ET", {"<< " + junk + ">>"});
    // A string and a number 30 times, then K in the text array: the
    // operands' listing runs past the log's record, whose line end is lost.
    std::string listing;
    for (int i = 0; i < 30; ++i)
        listing += "(a) 5.2 ";
    const std::string font = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
    const struct {
        const char* name;
        std::string pdf;
        std::string last;  // after "tintscope: FILE: page 1 was not separated: "
        bool start = false;  // last is the line's start only: a listing cut short
    } rows[] = {
        {"stringfunction.pdf",
         TS_OnePage("/Shading << /Sh0 5 0 R >>", "/Sh0 sh",
                    {"<< /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 100 0] /Function (abc) >>"}),
         "shading /Sh0: a string stands where a dictionary is needed"},
        {"jpxcontent.pdf", jpxContent,
         "a stream's data are in /JPXDecode, which the viewer cannot decode"},
        {"columns.pdf",
         TS_OnePage("/XObject << /Im0 5 0 R >>", drawImage,
                    {VIEW_PdfStream(imageLead + "/BitsPerComponent 8 /ColorSpace /DeviceGray /Filter /FlateDecode "
                                                "/DecodeParms << /Predictor 12 /Columns 2147483647 >>",
                                    Deflated(std::string(6, '\x80')))}),
         "drawing failed: an image's /DecodeParms ask for 2147483647 columns, more than can be drawn"},
        {"ccitt.pdf",
         TS_OnePage("/XObject << /Im0 5 0 R >>", drawImage,
                    {VIEW_PdfStream(imageLead + "/BitsPerComponent 1 /ColorSpace /DeviceCMYK /Filter "
                                                "/CCITTFaxDecode /DecodeParms << /Columns 0 >>",
                                    "junkjunkjunk")}),
         "image /Im0: CCITTFaxDecode: Columns must be from 1 to 1048576"},
        {"tokens.pdf", tokens,
         "The file cannot be read: object 5 of the file cannot be read (at offset " +
             std::to_string(tokens.find("@@@")) + "): unknown token while reading object; treating as string"},
        {"tjcolour.pdf",
         TS_OnePage("/Font << /F1 5 0 R >>", "BT /F1 12 Tf 10 10 Td [(a) 0.5 K (b)] TJ ET", {font}),
         "K is expecting 4 operands. Found 3: [0]: 0.5 [1]: (a) [2]: {mark}"},
        {"tjlisting.pdf",
         TS_OnePage("/Font << /F1 5 0 R >>", "BT /F1 12 Tf 10 10 Td [" + listing + "0.5 K (b)] TJ ET", {font}),
         "K operator requires numeric operands. Found: [0]: 0.5 [1]: 5.2 [2]: (a) [3]: 5.2", true},
        {"softmaskbits.pdf",
         TS_OnePage("/XObject << /Im0 5 0 R >>", drawImage,
                    {VIEW_PdfStream("/Type /XObject /Subtype /Image /Width 10 /Height 10 /BitsPerComponent 8 "
                                    "/ColorSpace /DeviceCMYK /SMask 6 0 R",
                                    std::string(400, '\x80')),
                     VIEW_PdfStream("/Type /XObject /Subtype /Image /Width 10 /Height 10 /BitsPerComponent 3 "
                                    "/ColorSpace /DeviceGray",
                                    std::string(40, '\x55'))}),
         "image /Im0: its soft mask has 3 bits per component, which is not 1, 2, 4, 8 or 16"},
        {"pathoperands.pdf", TS_OnePage("", "0 0 0 1 k m 100 100 l S"), "operator m: Expected 2 arguments, found 0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = WriteFile(row.name, row.pdf);
        const TS_Run run = Run(WithOut({file}));
        EXPECT_EQ(run.m_code, 1);
        ASSERT_FALSE(run.Lines().empty());
        const std::string expected = "tintscope: " + file + ": page 1 was not separated: " + row.last;
        EXPECT_EQ(row.start ? run.Lines().back().substr(0, expected.size()) : run.Lines().back(), expected)
            << run.m_err;
        EXPECT_EQ(m_out.List(), std::vector<std::string>());
    }

    // Disks and links: the output's disk is full where a staged file is the
    // device that is always full; the temporary folder's where the host's
    // file writes fail.
    const auto stagedOnFullDisk = [this](const std::string& name) {
        return [this, name](const VIEW_PageDrawing&) {
            const std::string staging = FirstFolderIn(m_out.Path());
            if (!staging.empty())
                symlink("/dev/full", (staging + "/" + name).c_str());
        };
    };
    const auto failingWrites = [](int error) { return [error] { VIEW_FileSys::FailWrites(UINT32_MAX, error); }; };
    const std::string file = WriteFile("square.pdf", TS_OnePage("", square));
    const std::string link = m_out.File("link");
    const std::string lost = m_out.File("none/made");
    const std::string out = m_out.Path();
    const struct {
        const char* what;
        std::function<void(const VIEW_PageDrawing&)> drawingHeard;
        std::function<void()> hostReady;
        std::string linkTo;  // --out is a link to this, when given
        std::string last;    // after "tintscope: FILE: "
    } disks[] = {
        {"output disk at the preview", stagedOnFullDisk("preview.png"), nullptr, "",
         "cannot write " + out + "/preview.png: no space left on the disk of the output folder"},
        {"output disk at the list of inks", stagedOnFullDisk("inks.txt"), nullptr, "",
         "cannot write " + out + "/inks.txt: no space left on the disk of the output folder"},
        {"temporary disk", nullptr, failingWrites(ENOSPC), "",
         "page 1 was not separated: no space left on the disk of the temporary folder"},
        {"temporary file past the limit", nullptr, failingWrites(EFBIG), "",
         "page 1 was not separated: a temporary file grew past the limit on file size"},
        {"link into no folder", nullptr, nullptr, lost,
         "cannot make the output folder " + link + " (a link to " + lost + "): No such file or directory"},
    };
    for (const auto& disk : disks) {
        SCOPED_TRACE(disk.what);
        VIEW_ProgramSettings settings;
        settings.m_drawingHeard = disk.drawingHeard;
        settings.m_hostReady = disk.hostReady;
        if (!disk.linkTo.empty()) {
            ASSERT_EQ(symlink(disk.linkTo.c_str(), link.c_str()), 0);
        }
        const TS_Run run = Run({file, "--out", disk.linkTo.empty() ? out : link}, settings);
        EXPECT_EQ(run.m_code, 1);
        ASSERT_FALSE(run.Lines().empty());
        EXPECT_EQ(run.Lines().back(), "tintscope: " + file + ": " + disk.last) << run.m_err;
        EXPECT_EQ(m_out.List(), disk.linkTo.empty() ? std::vector<std::string>() : std::vector<std::string>{"link"});
        unlink(link.c_str());
    }
    // A link to a folder that is not there yet: the run makes it.
    ASSERT_EQ(symlink("made", link.c_str()), 0);
    const TS_Run linked = Run({file, "--out", link});
    EXPECT_EQ(linked.m_code, 0) << linked.m_err;
    EXPECT_EQ(GreyAt(ReadPng(m_out.File("made/plate-3-Black.png")), 30, 30), 0);

    // What the plug-in logs when the temporary folder's disk is full or a
    // temporary file passes the limit on file size, and when memory runs
    // out.
    EXPECT_EQ(VIEW_LogReason("Exception separating page: image /Im0: IOError [error]: 112 [spec]: /t/VDQ7.TMP "
                             "[msg]: There is not enough space on the disk."),
              "image /Im0: no space left on the disk of the temporary folder");
    EXPECT_EQ(VIEW_LogReason("Exception separating page: shading /Sh2: IOError [error]: 223 [spec]: /t/VDQ0.TMP "
                             "[msg]: The file size exceeds the limit allowed and cannot be saved."),
              "shading /Sh2: a temporary file grew past the limit on file size");
    // The cache's files are in the temporary folder too, and the host's
    // words for a failed write of its own are the system's.
    const struct {
        int error;
        const char* words;
    } temporary[] = {{ENOSPC, "no space left on the disk of the temporary folder"},
                     {EFBIG, "a temporary file grew past the limit on file size"}};
    for (const auto& t : temporary) {
        SCOPED_TRACE(t.error);
        const std::string system = std::strerror(t.error);
        EXPECT_EQ(VIEW_LogReason("GLIB Exception encoutered acquiring cache: GLIB_BasicIO Write : " + system +
                                 " : /t/tintscope-a\\GLGC0.tmp"),
                  t.words);
        const PDFL_ErrorCode code = VIEW_FileErrorCode(t.error);
        EXPECT_EQ(VIEW_LogReason("Exception separating page: PDF Library Error: " + VIEW_ErrorRegistry::Text(code) +
                                 " (" + std::to_string(code) + ")"),
                  t.words);
    }
    EXPECT_EQ(VIEW_LogReason("Bad allocation separating page: try increasing memory "),
              "not enough memory to separate the page");
}

}  // namespace

namespace {

// The program's own words about the user's paths and arguments, and the
// engine's about an operator's bytes, reach the terminal escaped too; a
// resolution of 0 is no resolution.
TEST_F(TS_ProgramTest, PathsArgumentsAndOperatorsReachTheErrorStreamEscaped) {
    const std::string rgb = TS_OnePage("", "1 0 0 rg 10 10 50 50 re f");
    const std::string square = TS_OnePage("", "0 0 0 1 k 10 10 50 50 re f");
    const std::string steering = "a\x1b[31mb\x07";
    const struct {
        std::vector<std::string> args;
        int code;
        std::string last;  // its end
    } rows[] = {
        {{WriteFile(steering + ".pdf", rgb)}, 1, "a#1b[31mb#07.pdf: page 1 was not separated: operator rg: "
                                                  "Unsupported colorspace: ColorSpace: DeviceRGB"},
        {{WriteFile("square.pdf", square), "--untick", steering}, 2, "--untick a#1b[31mb#07: page 1 of " +
                                                                         m_docs.File("square.pdf") +
                                                                         " has no such ink (its inks: Cyan, "
                                                                         "Magenta, Yellow, Black)"},
        {{"--page", steering}, 2, "--page takes a page number from 1, not \"a#1b[31mb#07\""},
        {{steering + "1.pdf", steering + "2.pdf"}, 2, "one file only: a#1b[31mb#071.pdf and a#1b[31mb#072.pdf"},
        {{WriteFile("operator.pdf", TS_OnePage("", "0 0 0 1 k 10 10 50 50 re f \xff\xfe\x1b"))}, 1,
         "Unknown operator encountered: #ff#fe#1b"},
        {{"--dpi", "0"}, 2, "--dpi takes fit, 150, 300, 600, 1200 or 2400, not \"0\""},
        {{"--dpi=000", "square.pdf"}, 2, "--dpi takes fit, 150, 300, 600, 1200 or 2400, not \"000\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(VIEW_EscapedText(row.args[0]));
        std::vector<std::string> args = row.args;
        args.insert(args.end(), {"--out", m_out.File("out")});
        const TS_Run run = RunBinary(args);
        EXPECT_EQ(run.m_code, row.code);
        ASSERT_FALSE(run.Lines().empty());
        const std::string last = run.Lines().back();
        EXPECT_EQ(last.substr(last.size() - std::min(last.size(), row.last.size())), row.last) << run.m_err;
        for (const char c : std::string("\x1b\x07\xff\xfe"))
            EXPECT_EQ(run.m_err.find(c), std::string::npos) << static_cast<int>(static_cast<unsigned char>(c));
        EXPECT_EQ(run.m_err.find("\xEF\xBF\xBD"), std::string::npos) << "U+FFFD";
    }
}

}  // namespace
