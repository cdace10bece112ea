// A "may lack" line is said wherever the drawing of an ink's page heard
// MuPDF say it could not read something, once, of every ink whose drawing
// heard it, in the program's words; the words MuPDF says of what costs no
// plate anything (a resource the file lacks for an operator setting state,
// a ToUnicode map, a CID font without a descriptor drawn in a fallback,
// Flate data lacking only their check) are not said.
#include "TS_ProgramFixture.h"
#include "FILT/FILT_DCTTestJpeg.h"
#include "support/Deflated.h"
#include "support/LZWEncoded.h"
#include "viewer/program/VIEW_PdfFile.h"

#include <mupdf/fitz.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

// Whole Flate data whose Adler-32 check is one off.
std::string BadCheck(const std::string& plain) {
    std::string data = Deflated(plain);
    data.back() = static_cast<char>(data.back() ^ 1);
    return data;
}

std::string Flate(const std::string& dict, const std::string& data) {
    return VIEW_PdfStream(dict + " /Filter /FlateDecode", data);
}

const char kCMap[] =
    "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /U def "
    "1 begincodespacerange <00> <FF> endcodespacerange 1 beginbfchar <41> <0041> endbfchar endcmap "
    "CMapName currentdict /CMap defineresource pop end end";

const std::string kGroupDict = "/Type /XObject /Subtype /Form /BBox [0 0 100 100] /Resources << >> "
                               "/Group << /S /Transparency /CS /DeviceGray >>";

std::string Helvetica(const std::string& entries) {
    return "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica" + entries + " >>";
}

// Yellow and black text in a TrueType whose program is fontData; "": the
// font not embedded.
std::string TrueTypeText(const std::string& fontData) {
    return TS_OnePage(
        "/Font << /F1 5 0 R >>",
        "0 0 1 0 k BT /F1 30 Tf 10 60 Td (AbA) Tj ET 0 0 0 1 k BT /F1 30 Tf 10 20 Td (AbA) Tj ET 0 1 0 0 k 70 70 20 20 re f",
        {"<< /Type /Font /Subtype /TrueType /BaseFont /Arial /FirstChar 65 /LastChar 98 /FontDescriptor 6 0 R >>",
         "<< /Type /FontDescriptor /FontName /Arial /Flags 32 /FontBBox [0 0 1000 1000] /ItalicAngle 0 /Ascent 900 "
         "/Descent -100 /CapHeight 700 /StemV 80" + std::string(fontData.empty() ? "" : " /FontFile2 7 0 R") + " >>",
         Flate("", fontData)});
}

// A grey image drawn from Flate data, on the page or in a form.
std::string ImagePage(const std::string& data, bool inForm) {
    const std::string image = Flate("/Type /XObject /Subtype /Image /Width 64 /Height 64 /ColorSpace /DeviceGray "
                                    "/BitsPerComponent 8",
                                    data);
    const std::string draw = "q 80 0 0 80 10 10 cm /Im0 Do Q";
    if (!inForm)
        return TS_OnePage("/XObject << /Im0 5 0 R >>", draw, {image});
    return TS_OnePage("/XObject << /X0 5 0 R >>", "/X0 Do",
                      {VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] "
                                      "/Resources << /XObject << /Im0 6 0 R >> >>",
                                      draw),
                       image});
}

std::string TjPage(const std::string& array) {
    return TS_OnePage("/Font << /F1 5 0 R >>", "0 0 0 1 k BT /F1 20 Tf 5 40 Td " + array + " TJ ET", {Helvetica("")});
}

// MuPDF's own Helvetica, as Type1C font data.
std::string HelveticaProgram() {
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    int size = 0;
    const unsigned char* data = ctx ? fz_lookup_base14_font(ctx, "Helvetica", &size) : nullptr;
    std::string program = data ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
    fz_drop_context(ctx);
    return program;
}

// Text drawn in an embedded Type1C font of Flate data fontData, over a 5%
// yellow ground, beside a magenta square.
std::string Type1CText(const std::string& fontData) {
    std::string widths;
    for (int code = 65; code <= 98; ++code)
        widths += " 600";
    return TS_OnePage("/Font << /F1 5 0 R >>",
                      "0 0 0.05 0 k 0 0 100 60 re f 0 0 0 1 k BT /F1 24 Tf 5 20 Td (AbAbA) Tj ET "
                      "0 1 0 0 k 70 70 20 20 re f",
                      {"<< /Type /Font /Subtype /Type1 /BaseFont /AAAAAA+Helvetica /FirstChar 65 /LastChar 98 "
                       "/Widths [" + widths + "] /FontDescriptor 6 0 R >>",
                       "<< /Type /FontDescriptor /FontName /AAAAAA+Helvetica /Flags 32 /FontBBox [-166 -225 1000 931] "
                       "/ItalicAngle 0 /Ascent 718 /Descent -207 /CapHeight 718 /StemV 88 /FontFile3 7 0 R >>",
                       Flate("/Subtype /Type1C", fontData)});
}


// Magenta text of shown (a string operand) in a composite font whose code
// map is codeMap, beside a cyan square; toUnicode adds a ToUnicode map of
// those bytes.
std::string CompositeText(const std::string& codeMap, const std::string& shown, const std::string& toUnicode = "") {
    return TS_OnePage(
        "/Font << /F1 5 0 R >>", "0 1 0 0 k BT /F1 16 Tf 5 40 Td " + shown + " Tj ET 1 0 0 0 k 70 70 20 20 re f",
        {"<< /Type /Font /Subtype /Type0 /BaseFont /AAAAAA+Helvetica /Encoding 6 0 R /DescendantFonts [7 0 R]" +
             std::string(toUnicode.empty() ? "" : " /ToUnicode 10 0 R") + " >>",
         VIEW_PdfStream("/Type /CMap /CMapName /X", codeMap),
         "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /AAAAAA+Helvetica /DW 600 /FontDescriptor 8 0 R "
         "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> >>",
         "<< /Type /FontDescriptor /FontName /AAAAAA+Helvetica /Flags 32 /FontBBox [-166 -225 1000 931] "
         "/ItalicAngle 0 /Ascent 718 /Descent -207 /CapHeight 718 /StemV 88 /FontFile3 9 0 R >>",
         Flate("/Subtype /Type1C", Deflated(HelveticaProgram())), VIEW_PdfStream("", toUnicode)});
}
// Every plate the program wrote into folder, by its ink's name.
std::map<std::string, GrayPlate> PlatesIn(const std::string& folder) {
    std::map<std::string, GrayPlate> plates;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string file = entry.path().filename().string();
        if (file.rfind("plate-", 0) != 0 || file.size() < 4 || file.substr(file.size() - 4) != ".png")
            continue;
        const std::string ink = file.substr(file.find('-', 6) + 1, file.size() - 4 - file.find('-', 6) - 1);
        plates[ink] = TS_ReadPlatePng(entry.path().string());
    }
    return plates;
}

// A page drawn beside control, the same page without its fault.
struct LossRow {
    const char* name;
    std::string pdf, control;
    const char* who;    // the line's start after "page 1: "; "" for no line
    const char* words;  // in the line
};

}  // namespace

// Runs row's page and its control: the page says at most one line, in the
// program's words, naming every ink whose plate differs from the control's;
// a page that says nothing draws the control's plates.
class TS_DrawingLossTest : public TS_ProgramTest {
protected:
    void Check(const LossRow& row) {
        SCOPED_TRACE(row.name);
        std::map<std::string, GrayPlate> plates[2];
        std::vector<std::string> lost;
        for (const std::string* pdf : {&row.pdf, &row.control}) {
            if (pdf->empty())
                continue;
            const TS_Run run = Run(WithOut({WriteFile("page.pdf", *pdf)}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            for (const std::string& line : run.Lines())
                if (line.find(" lack") != std::string::npos && line.find("annotations") == std::string::npos)
                    (pdf == &row.pdf ? lost : m_controlLines).push_back(line);
            plates[pdf == &row.control] = PlatesIn(m_out.Path());
        }
        EXPECT_TRUE(m_controlLines.empty()) << m_controlLines[0];
        if (row.control.empty())
            plates[1] = plates[0];
        ASSERT_EQ(plates[0].size(), plates[1].size());
        std::vector<std::string> differ;
        for (const auto& [ink, plate] : plates[0])
            if (plate.pixels != plates[1][ink].pixels)
                differ.push_back(ink);
        if (!*row.who) {
            EXPECT_TRUE(lost.empty()) << lost[0];
            EXPECT_TRUE(differ.empty()) << differ[0];
            return;
        }
        ASSERT_EQ(lost.size(), 1u);
        const std::string said = lost[0].substr(lost[0].find("page 1: ") + 8);
        EXPECT_EQ(said.substr(0, std::string(row.who).size()), row.who) << said;
        EXPECT_NE(said.find(" may lack what the drawing could not read of its content: "), std::string::npos) << said;
        EXPECT_NE(said.find(row.words), std::string::npos) << said;
        for (const char* foreign : {"zlib", "error", "syntax", "MuPDF", "flate", "FT_"})
            EXPECT_EQ(said.find(foreign), std::string::npos) << said;
        const bool every = said.rfind("every ink", 0) == 0;
        for (const std::string& ink : differ)
            EXPECT_TRUE(every || said.find(" " + ink + " ") != std::string::npos) << ink << ": " << said;
    }
    std::vector<std::string> m_controlLines;
};

// One page for each row of the drawing's table of MuPDF's words that MuPDF
// 1.21 says: a loss row gives its line, a quiet row none and the plates of
// the page without the fault.
TEST_F(TS_DrawingLossTest, EachWordMuPDFSaysIsALineOrCostsNothing) {
    const std::string program = HelveticaProgram();
    ASSERT_FALSE(program.empty());
    // Glyphs garbled inside whole Flate data: what Flate data damaged
    // halfway decode to, compressed again.
    std::string damaged = Deflated(program), garbled(program.size() * 2, '\0');
    damaged.replace(damaged.size() / 2, 6, "\xff\xff\xff\xff\xff\xff");
    uLongf garbledSize = static_cast<uLongf>(garbled.size());
    uLong damagedSize = static_cast<uLong>(damaged.size());
    uncompress2(reinterpret_cast<Bytef*>(&garbled[0]), &garbledSize, reinterpret_cast<const Bytef*>(damaged.data()),
                &damagedSize);
    garbled.resize(garbledSize);
    std::string damagedFont = Deflated(std::string(2000, 'x') + std::string(2000, 'y'));
    damagedFont.replace(damagedFont.size() / 2, 6, "\xff\xff\xff\xff\xff\xff");
    const std::string group = "1 g 0 0 100 50 re f 0.5 g 0 50 100 50 re f";
    const auto masked = [](const std::string& groupStream) {
        return TS_OnePage("/ExtGState << /M0 5 0 R >>", "1 0 0 0 k 60 60 30 30 re f /M0 gs 0 0 0 1 k 0 0 50 50 re f",
                          {"<< /SMask << /S /Luminosity /G 6 0 R >> >>", groupStream});
    };
    const auto plain = [](const std::string& content) { return VIEW_PdfStream(kGroupDict, content); };
    const auto flate = [](const std::string& data) { return Flate(kGroupDict, data); };
    const auto hexFlate = [](const std::string& data) {
        static const char kHex[] = "0123456789abcdef";
        std::string hex;
        for (unsigned char c : data)
            hex += std::string{kHex[c >> 4], kHex[c & 15]};
        return VIEW_PdfStream(kGroupDict + " /Filter [/ASCIIHexDecode /FlateDecode]", hex + ">");
    };
    std::string cut = Deflated(group + std::string(3000, ' ') + group), withoutCheck = Deflated(group);
    cut.resize(cut.size() / 2);
    withoutCheck.resize(withoutCheck.size() - 4);
    std::string pixels;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            pixels += static_cast<char>((x * 7 + y * 3) % 256);
    std::string damagedImage = Deflated(pixels);
    damagedImage.replace(damagedImage.size() / 2, 4, "\xff\xff\xff\xff");
    const auto rawImage = [](const std::string& data) {
        return TS_OnePage("/XObject << /Im0 5 0 R >>", "q 80 0 0 80 10 10 cm /Im0 Do Q",
                          {VIEW_PdfStream("/Type /XObject /Subtype /Image /Width 64 /Height 64 "
                                          "/ColorSpace /DeviceGray /BitsPerComponent 8",
                                          data)});
    };
    const std::string text = "0 0 0 1 k BT /F1 30 Tf 10 20 Td (AAA) Tj ET 1 0 0 0 k 70 70 20 20 re f";
    const auto cidFont = [](const std::string& descriptor) {
        return TS_OnePage("/Font << /F1 5 0 R >>", "0 0 0 1 k BT /F1 30 Tf 10 20 Td <004100420043> Tj ET",
                          {"<< /Type /Font /Subtype /Type0 /BaseFont /Arial /Encoding /Identity-H "
                           "/DescendantFonts [6 0 R] >>",
                           "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /Arial "
                           "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>" +
                               descriptor + " >>",
                           "<< /Type /FontDescriptor /FontName /Arial /Flags 32 /FontBBox [0 0 1000 1000] "
                           "/ItalicAngle 0 /Ascent 900 /Descent -100 /CapHeight 700 /StemV 80 >>"});
    };
    // A ToUnicode map written with cid entries, cut after the first.
    const auto unicodeMap = [](const std::string& entries) {
        return TS_OnePage("/Font << /F1 5 0 R >>", "0 0 0 1 k BT /F1 30 Tf 10 20 Td (AAA) Tj ET",
                          {Helvetica(" /ToUnicode 6 0 R"),
                           VIEW_PdfStream("", "/CIDInit /ProcSet findresource begin 12 dict begin begincmap "
                                              "1 begincodespacerange <00> <FF> endcodespacerange " +
                                                  entries)});
    };
    // Magenta text in a composite font whose whole map maps codes 0 to 0x1ff.
    std::string codeMap = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /X def "
                          "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                          "1 begincidrange <0000> <01ff> 1 endcidrange\n"
                          "endcmap CMapName currentdict /CMap defineresource pop end end";
    const auto composite = [&](const std::string& codes) { return CompositeText(codeMap, "<" + codes + ">"); };
    std::string bad, none;
    for (int i = 0; i < 10000; ++i)
        bad += "[(a) <</x 1>> (b)] TJ\n";
    const auto arrays = [](const std::string& content) {
        return TS_OnePage("/Font << /F1 5 0 R >>",
                          "0 0 0 1 k BT /F1 10 Tf 5 5 Td " + content + "ET 0 1 0 0 k 20 20 40 40 re f",
                          {Helvetica("")});
    };
    // A mask group that draws a grey JPEG, or paints through a filter of the
    // given name.
    const std::string jpeg = dcttest::MakeJpeg(dcttest::JpegShape{64, 64}, pixels);
    ASSERT_FALSE(jpeg.empty());
    const auto maskedJpeg = [](const std::string& data) {
        return TS_OnePage("/ExtGState << /M0 5 0 R >>", "1 0 0 0 k 60 60 30 30 re f /M0 gs 0 0 0 1 k 0 0 50 50 re f",
                          {"<< /SMask << /S /Luminosity /G 6 0 R >> >>",
                           VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] "
                                          "/Resources << /XObject << /Im0 7 0 R >> >> "
                                          "/Group << /S /Transparency /CS /DeviceGray >>",
                                          "q 100 0 0 100 0 0 cm /Im0 Do Q"),
                           VIEW_PdfStream("/Type /XObject /Subtype /Image /Width 64 /Height 64 /ColorSpace /DeviceGray "
                                          "/BitsPerComponent 8 /Filter /DCTDecode",
                                          data)});
    };
    const auto filtered = [](const char* filter, const std::string& data) {
        return VIEW_PdfStream(kGroupDict + " /Filter /" + filter, data);
    };
    const std::string painted = group + std::string(400, ' ') + group;
    std::string runs;  // literal runs of up to 128 bytes, then the end mark
    for (size_t at = 0; at < painted.size(); at += 128) {
        const std::string run = painted.substr(at, 128);
        runs += static_cast<char>(run.size() - 1) + run;
    }
    const std::string lzw = LZWEncoded(painted);
    const LossRow rows[] = {
        // Each row by the words MuPDF says of it.
        {"syntax error in content stream", masked(plain("1 g 0 0 100 ) 50 re f 0.5 g 0 50 100 50 re f")),
         masked(plain(group)), "every ink", "a token it could not read dropped the operands before it"},
        {"syntax error in content stream, between operators", masked(plain("1 g 0 0 100 50 re f ) " + group)),
         masked(plain("1 g 0 0 100 50 re f " + group)), "every ink", "dropped the operands before it"},
        {"syntax error in array", TjPage("[(Hello) -250 /X (World)]"), TjPage("[(Hello) -250 (World)]"), "every ink",
         "an operator whose array holds what it cannot hold was dropped"},
        {"array not closed before end of file", masked(plain("1 g 0 0 100 100 re f [ 0 g 0 0 50 50 re f")),
         masked(plain("1 g 0 0 100 100 re f 0 g 0 0 50 50 re f")), "every ink",
         "an array left open took in what followed it"},
        {"invalid key in dict", masked(plain("1 g 0 0 100 100 re f << 0 g 0 0 50 50 re f")),
         masked(plain("1 g 0 0 100 100 re f 0 g 0 0 50 50 re f")), "every ink",
         "a dictionary it could not read took in what followed it"},
        {"cannot find ExtGState resource", masked(plain("/GX gs " + group)), masked(plain(group)), "", ""},
        {"cannot find ColorSpace resource", masked(plain("/CSX cs " + group)), masked(plain(group)), "", ""},
        // Drawn in a fallback font, as no page without the fault is.
        {"missing font descriptor", cidFont(""), "", "", ""},
        // Drawn in a substitute font: not the font the page asks for.
        {"ignored error when loading embedded font", TrueTypeText(Deflated("no font program")), TrueTypeText(""),
         "every ink", "its text is drawn in a substitute font"},
        {"cannot load ToUnicode CMap", TS_OnePage("/Font << /F1 5 0 R >>", text, {Helvetica(" /ToUnicode /Bogus")}),
         TS_OnePage("/Font << /F1 5 0 R >>", text, {Helvetica("")}), "", ""},
        {"ignoring zlib error: incorrect data check", masked(flate(BadCheck(group))), masked(flate(Deflated(group))),
         "every ink", "a compressed stream's data do not match their check"},
        {"premature end of data in flate filter", masked(flate(cut)), masked(flate(Deflated(group))), "every ink",
         "a compressed stream's data stop before their end"},
        {"premature end of data in flate filter, behind ASCIIHexDecode", masked(hexFlate(cut)),
         masked(hexFlate(Deflated(group))), "every ink", "a compressed stream's data stop before their end"},
        {"premature end of data in flate filter, only the check missing", masked(flate(withoutCheck)),
         masked(flate(Deflated(group))), "", ""},
        {"the same behind ASCIIHexDecode", masked(hexFlate(withoutCheck)), masked(hexFlate(Deflated(group))), "",
         ""},
        {"zlib error", TrueTypeText(damagedFont), TrueTypeText(""), "every ink",
         "a compressed stream in it is damaged"},
        {"ignoring zlib error: incorrect data check, in an image", ImagePage(damagedImage, false),
         ImagePage(Deflated(pixels), false), "ink Black", "a compressed stream's data do not match their check"},
        {"premature end of data in run length decode", masked(filtered("RunLengthDecode", runs.substr(0, 200))),
         masked(filtered("RunLengthDecode", runs + "\x80")), "every ink",
         "a run-length stream stops before its end mark"},
        {"premature end in lzw decode", masked(filtered("LZWDecode", lzw.substr(0, lzw.size() / 2))),
         masked(filtered("LZWDecode", lzw)), "every ink", "an LZW stream stops before its end code"},
        {"premature end of file in jpeg", maskedJpeg(jpeg.substr(0, jpeg.size() / 2)), maskedJpeg(jpeg), "every ink",
         "an image in it is short of its data"},
        {"padding truncated image", rawImage(pixels.substr(0, pixels.size() / 2)), rawImage(pixels), "ink Black",
         "an image in it is short of its data"},
        {"expected string or endcid", unicodeMap("2 begincidrange <41> <41> 65"),
         unicodeMap("1 begincidrange <41> <41> 65 endcidrange endcmap CMapName currentdict /CMap defineresource "
                    "pop end end"),
         "", ""},
        {"cannot encode character", composite("0024004503a50024"), composite("002400450024"), "every ink",
         "a code its text shows could not be mapped to a glyph"},
        {"FT_Load_Glyph", Type1CText(Deflated(garbled)), Type1CText(Deflated(program)), "every ink",
         "a font it uses cannot be read"},
        {"too many syntax errors; ignoring rest of page", arrays(bad), arrays(none), "every ink",
         "too many tokens it could not read left the rest of the content unread"},
    };
    for (const LossRow& row : rows)
        Check(row);
}

// A line names every ink whose drawing heard the loss: at least those whose
// plates differ from the page's without the fault, those the lost mark
// tints and those it knocks out; an ink whose page does not read what was
// lost is not named, and nothing is said where nothing was heard.
TEST_F(TS_DrawingLossTest, ALineNamesEveryInkWhoseDrawingHeardTheLoss) {
    const std::string program = HelveticaProgram();
    ASSERT_FALSE(program.empty());
    const std::string padded = program + std::string(60000, '\0');
    std::string paddingCut = Deflated(padded), glyphsCut = Deflated(program), withoutCheck = Deflated(program);
    paddingCut.resize(paddingCut.size() - 8);
    glyphsCut.resize(glyphsCut.size() / 3);
    withoutCheck.resize(withoutCheck.size() - 4);
    // Text at height y, over a yellow ground below 30 and beside a cyan square.
    const auto text = [](const std::string& colour, const std::string& array, const std::string& state, int y = 10) {
        return TS_OnePage("/Font << /F1 5 0 R >> /ExtGState << /OP 6 0 R >>",
                          "0 0 1 0 k 0 0 100 30 re f 1 0 0 0 k 70 70 20 20 re f " + state + colour +
                              " BT /F1 20 Tf 5 " + std::to_string(y) + " Td " + array + " TJ ET",
                          {Helvetica(""), "<< /OP true /op true /OPM 1 >>"});
    };
    const std::string name = "[(Hello) -250 /X (World)]", whole = "[(Hello) -250 (World)]";
    const auto inForm = [](const std::string& array) {
        return TS_OnePage("/XObject << /X0 6 0 R >>", "0 0 0 1 k 10 70 20 20 re f /X0 Do",
                          {Helvetica(""), VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] "
                                                         "/Resources << /Font << /F1 5 0 R >> >>",
                                                         "1 0 0 0 k BT /F1 20 Tf 5 40 Td " + array + " TJ ET")});
    };
    // A Teal square through a half-grey mask, beside black text.
    const auto spotBeside = [](const std::string& array) {
        return TS_OnePage("/ExtGState << /M0 5 0 R >> /ColorSpace << /T 7 0 R >> /Font << /F1 8 0 R >>",
                          "q /M0 gs /T cs 1 scn 60 10 30 30 re f Q 0 0 0 1 k BT /F1 16 Tf 5 60 Td " + array +
                              " TJ ET",
                          {"<< /SMask << /S /Luminosity /G 6 0 R >> >>",
                           VIEW_PdfStream(kGroupDict, "0.5 g 0 0 100 100 re f"),
                           "[/Separation /Teal /DeviceCMYK 9 0 R]", Helvetica(""),
                           "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0.8 0 0.3 0.2] /N 1 >>"});
    };
    // A grey image beside a magenta square: only Black's page draws it.
    std::string pixels;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            pixels += static_cast<char>((x * 5 + y * 11) % 256);
    std::string cutImage = Deflated(pixels);
    cutImage.resize(cutImage.size() * 2 / 3);
    const LossRow rows[] = {
        {"a TJ array holding a name", TjPage(name), TjPage(whole), "every ink", "an operator"},
        {"black text knocking out a yellow ground", text("0 0 0 1 k", name, ""), text("0 0 0 1 k", whole, ""),
         "every ink", "an operator"},
        {"black text overprinting a yellow ground", text("0 0 0 1 k", name, "/OP gs "),
         text("0 0 0 1 k", whole, "/OP gs "), "every ink", "an operator"},
        {"a TJ array holding a name in a form", inForm(name), inForm(whole), "every ink", "an operator"},
        {"a masked spot square beside a dropped TJ", spotBeside(name), spotBeside(whole), "every ink",
         "an operator"},
        {"an image cut short", ImagePage(cutImage, false), ImagePage(Deflated(pixels), false), "ink Black",
         "stop before their end"},
        {"an image in a form cut short", ImagePage(cutImage, true), ImagePage(Deflated(pixels), true), "ink Black",
         "stop before their end"},
        {"a Type1C font lacking only its check", Type1CText(withoutCheck), Type1CText(Deflated(program)), "", ""},
        {"a Type1C font cut inside its trailing padding", Type1CText(paddingCut), Type1CText(Deflated(padded)),
         "every ink", "stop before their end"},
        {"a Type1C font cut among its glyphs", Type1CText(glyphsCut), Type1CText(Deflated(program)), "every ink",
         "stop before their end"},
    };
    for (const LossRow& row : rows)
        Check(row);
}

// A code the drawing could not map to a glyph is said as the drawing met it,
// whatever the file's map holds for it: left out of the map, or mapped to
// the notdef glyph by a notdefrange, which the drawing does not apply.
TEST_F(TS_DrawingLossTest, ACodeTheDrawingCouldNotMapIsSaidAsTheDrawingMetIt) {
    const auto map = [](const std::string& ranges) {
        return "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /X def "
               "1 begincodespacerange <0000> <FFFF> endcodespacerange\n" +
               ranges + "\nendcmap CMapName currentdict /CMap defineresource pop end end";
    };
    const std::string cids = "1 begincidrange <0000> <01ff> 1 endcidrange";
    const std::string shown = "0024004503a50024", control = "002400450024";
    const LossRow rows[] = {
        {"a code the map leaves out", CompositeText(map(cids), "<" + shown + ">"), CompositeText(map(cids), "<" + control + ">"), "every ink",
         "a code its text shows could not be mapped to a glyph"},
        {"a code a notdefrange maps",
         CompositeText(map(cids + "\n1 beginnotdefrange <0300> <03ff> 0 endnotdefrange"), "<" + shown + ">"),
         CompositeText(map(cids), "<" + control + ">"), "every ink", "a code its text shows could not be mapped to a glyph"},
    };
    for (const LossRow& row : rows)
        Check(row);
}

// A wrong check is said only where the drawing reads the stream for marks:
// a ToUnicode map's is none of the drawing's, whatever MuPDF says of it; a
// drawn stream's beside it still is.
TEST_F(TS_DrawingLossTest, AWrongCheckIsSaidOnlyOfWhatTheDrawingReadsForMarks) {
    const std::string text = "0 0 0 1 k BT /F1 30 Tf 10 20 Td (AAA) Tj ET 0 1 0 0 k 70 70 20 20 re f";
    const auto mapped = [&](const std::string& map, const std::string& group) {
        const std::string font = Helvetica(" /ToUnicode 6 0 R");
        if (group.empty())
            return TS_OnePage("/Font << /F1 5 0 R >>", text, {font, Flate("", map)});
        return TS_OnePage("/Font << /F1 5 0 R >> /ExtGState << /M0 7 0 R >>",
                          text + " /M0 gs 0 0 1 0 k 0 0 50 50 re f",
                          {font, Flate("", map), "<< /SMask << /S /Luminosity /G 8 0 R >> >>",
                           Flate(kGroupDict, group)});
    };
    const std::string group = "1 g 0 0 100 50 re f 0.5 g 0 50 100 50 re f";
    const LossRow rows[] = {
        {"a ToUnicode map whose check is wrong", mapped(BadCheck(kCMap), ""), mapped(Deflated(kCMap), ""), "", ""},
        {"the same beside a mask group whose check is wrong", mapped(BadCheck(kCMap), BadCheck(group)),
         mapped(Deflated(kCMap), Deflated(group)), "every ink", "a compressed stream's data do not match their check"},
        {"a mask group whose check is wrong beside a whole ToUnicode map", mapped(Deflated(kCMap), BadCheck(group)),
         mapped(Deflated(kCMap), Deflated(group)), "every ink", "a compressed stream's data do not match their check"},
    };
    for (const LossRow& row : rows)
        Check(row);
}

// An inline image's Flate data that lack only their check end where their
// last block ends and are drawn whole in silence, behind ASCIIHexDecode too,
// with the marks after them; a wrong check there stays said.
TEST_F(TS_DrawingLossTest, InlineFlateDataLackingOnlyTheirCheckAreDrawnWhole) {
    std::string pixels;
    for (int i = 0; i < 64; ++i)
        pixels += static_cast<char>(i * 4);
    const std::string whole = Deflated(pixels);
    const std::string withoutCheck = whole.substr(0, whole.size() - 4);
    const auto hex = [](const std::string& data) {
        static const char kHex[] = "0123456789abcdef";
        std::string out;
        for (const char c : data)
            out += {kHex[static_cast<uint8_t>(c) >> 4], kHex[static_cast<uint8_t>(c) & 15]};
        return out + ">";
    };
    const auto page = [](const std::string& filters, const std::string& data) {
        return TS_OnePage("", "q 60 0 0 60 10 10 cm BI /W 8 /H 8 /CS /G /BPC 8 /F " + filters + " ID " + data +
                                  "\nEI Q 0 1 0 0 k 75 75 20 20 re f 0 0 0 1 k 75 5 20 20 re f");
    };
    const LossRow rows[] = {
        {"Flate alone", page("/Fl", withoutCheck), page("/Fl", whole), "", ""},
        {"behind ASCIIHexDecode", page("[/AHx /Fl]", hex(withoutCheck)), page("[/AHx /Fl]", hex(whole)), "", ""},
        {"behind ASCIIHexDecode, a wrong check", page("[/AHx /Fl]", hex(BadCheck(pixels))),
         page("[/AHx /Fl]", hex(whole)), "ink Black", "a compressed stream's data do not match their check"},
    };
    for (const LossRow& row : rows)
        Check(row);
}

namespace {

// A code map's start, then entries.
std::string CodeMap(const std::string& entries) {
    return "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /Own def "
           "1 begincodespacerange <00> <FF> endcodespacerange\n" +
           entries;
}

const char kMapEnd[] = "\nendcmap CMapName currentdict /CMap defineresource pop end end";
const char kAbc[] = "(abcabc)";

}  // namespace

// A font the drawing cannot load is drawn in a substitute font, and a
// composite font whose own code map stops inside an entry maps a code to a
// wrong glyph: both are said of the inks their text paints. A ToUnicode
// map cut so draws nothing and is not said.
TEST_F(TS_DrawingLossTest, AFontDrawnInASubstituteOrThroughACutMapIsSaid) {
    const std::string program = HelveticaProgram();
    ASSERT_FALSE(program.empty());
    const std::string whole = CodeMap("3 begincidchar <61> 66 <62> 67 <63> 68 endcidchar") + kMapEnd;
    const std::string unicodeMap = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap "
                                   "1 begincodespacerange <00> <FF> endcodespacerange\n";
    const LossRow rows[] = {
        {"a Type1C font whose data are not a font", Type1CText(Deflated("these bytes are not a font program")),
         Type1CText(Deflated(program)), "every ink", "its text is drawn in a substitute font"},
        {"a Type1C font cut inside its header", Type1CText(Deflated(program.substr(0, 3))),
         Type1CText(Deflated(program)), "every ink", "its text is drawn in a substitute font"},
        {"a composite font's map cut inside its last entry",
         CompositeText(CodeMap("3 begincidchar <61> 66 <62> 67 <63> 6"), kAbc), CompositeText(whole, kAbc), "every ink",
         "a code map of a font it uses stops inside an entry"},
        {"a composite font's map cut inside a range",
         CompositeText(CodeMap("1 begincidrange <61> <63> 6"), kAbc),
         CompositeText(CodeMap("1 begincidrange <61> <63> 66 endcidrange") + kMapEnd, kAbc), "every ink",
         "a code map of a font it uses stops inside an entry"},
        {"the same map whole", CompositeText(whole, kAbc), "", "", ""},
        {"its ToUnicode map cut inside its last entry",
         CompositeText(whole, kAbc, unicodeMap + "2 begincidrange <61> <61> 97 <62> <62> 9"),
         CompositeText(whole, kAbc, unicodeMap + "2 begincidrange <61> <61> 97 <62> <62> 98 endcidrange" + kMapEnd), "",
         ""},
    };
    for (const LossRow& row : rows)
        Check(row);
}

namespace {

// Black text shown with array in a form, beside a cyan square on the page.
std::string FormTj(const std::string& array) {
    return TS_OnePage("/XObject << /X0 6 0 R >>", "1 0 0 0 k 70 70 20 20 re f /X0 Do",
                      {Helvetica(""), VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] "
                                                     "/Resources << /Font << /F1 5 0 R >> >>",
                                                     "0 0 0 1 k BT /F1 20 Tf 5 40 Td " + array + " TJ ET")});
}

// Magenta "a" in a Type 3 font whose glyph's procedure is glyph, beside a
// cyan square.
std::string Type3Text(const std::string& glyph) {
    return TS_OnePage("/Font << /T3 5 0 R >>", "1 0 0 0 k 70 70 20 20 re f 0 1 0 0 k BT /T3 40 Tf 10 10 Td (a) Tj ET",
                      {"<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0] "
                       "/CharProcs << /a 6 0 R >> /Encoding << /Differences [97 /a] >> /FirstChar 97 /LastChar 97 "
                       "/Widths [1000] >>",
                       VIEW_PdfStream("", "1000 0 0 0 800 800 d1 " + glyph)});
}

}  // namespace

// What the separator's own content reader reads past, though the content
// does not say so, is heard by no drawing (the drawing reads what the
// separator wrote): it is said of every ink, once. Content that reads whole
// says nothing.
TEST_F(TS_DrawingLossTest, WhatTheSeparatorsReaderReadsPastIsSaid) {
    const char* const open = "an operator read inside an array or dictionary left open may not be drawn";
    const char* const ended = "the word endstream inside it ended it before its end";
    const char* const number = "a number of no digits was read as 0";
    const std::string squares = "0 0 0 1 k 10 10 20 20 re f ";
    const std::string after = "1 0 0 0 k 60 60 20 20 re f 0 1 0 0 k 10 60 20 20 re f";
    const auto page = [](const std::string& content) { return TS_OnePage("", content); };
    const LossRow rows[] = {
        {"a nested [ in a TJ array on the page", TjPage("[(aa) [ -100 (aa)]"), TjPage("[(aa) -100 (aa)]"),
         "every ink", open},
        {"a nested [ in a TJ array in a form", FormTj("[(aa) [ -100 (aa)]"), FormTj("[(aa) -100 (aa)]"),
         "every ink", open},
        {"endstream inside BX/EX", page(squares + "BX endstream EX " + after), page(squares + "BX EX " + after),
         "every ink", ended},
        {"endstream among the operators", page(squares + "endstream " + after), page(squares), "every ink", ended},
        {"a number of no digits in a glyph", Type3Text("+. 0 0 800 800 re f"), Type3Text("0 0 800 800 re f"),
         "every ink", number},
        {"a sign alone among a path's operands", page(squares + "1 0 0 0 k - 40 40 50 50 re f"),
         page(squares + "1 0 0 0 k 40 40 50 50 re f"), "every ink", number},
        // Read whole.
        {"endstream as the last word", page(squares + after + " endstream % done"), page(squares + after), "",
         ""},
        {"signed and pointed numbers", page("0 0 0 1 k +10 10.0 +20. 20 re f"),
         page("0 0 0 1 k 10 10 20 20 re f"), "", ""},
        {"arrays nested and closed before their operator",
         page("/Tag << /A [1 [2 [3]]] >> BDC " + squares + "EMC"), page(squares), "", ""},
        {"a TJ array closed", TjPage("[(aa) -100 (aa)]"), "", "", ""},
    };
    for (const LossRow& row : rows)
        Check(row);
}
