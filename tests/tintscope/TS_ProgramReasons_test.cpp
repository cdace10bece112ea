// What the program says when a page is refused or warned about: the
// plug-in's alerts stay, and the last line names the file and the cause in
// words, as the engine put it in the log; warnings are one line each and
// the run still succeeds.
#include "TS_ProgramFixture.h"

#include "FILT/FILT_DCTTestJpeg.h"
#include "viewer/program/VIEW_PdfFile.h"

#include <sys/stat.h>

#include <cstring>

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
                             ": page 1 uses transparency (ExtGState GS0 with SMask); its plates are separated as if "
                             "opaque\n");
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

}  // namespace
