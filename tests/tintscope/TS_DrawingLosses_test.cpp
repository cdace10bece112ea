// A "lacks" line is said where a plate lacks what the file holds, once, of
// the inks whose drawings use it, in the program's words; what costs no
// plate anything (a bad check value of whole Flate data, a ToUnicode map, a
// CID font drawn in a fallback) is not said, and a mask no gs sets is no
// transparency.
#include "TS_ProgramFixture.h"
#include "support/Deflated.h"
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

// A mask's group of two squares; the second under the page's black square.
const std::string kGroup = std::string(300, ' ') + "1 g 0 0 100 100 re f 0 g 0 0 30 30 re f" + std::string(300, ' ');

std::string Masked(const std::string& groupStream) {
    return TS_OnePage("/ExtGState << /M0 5 0 R >>", "1 0 0 0 k 60 60 30 30 re f /M0 gs 0 1 0 0 k 0 0 50 50 re f",
                      {"<< /SMask << /S /Luminosity /G 6 0 R >> >>", groupStream});
}

const std::string kGroupDict = "/Type /XObject /Subtype /Form /BBox [0 0 100 100] /Resources << >> "
                               "/Group << /S /Transparency /CS /DeviceGray >>";

std::string Helvetica(const std::string& entries) {
    return "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica" + entries + " >>";
}

// Yellow and black text in a TrueType whose program is fontData.
std::string TrueTypeText(const std::string& fontData) {
    return TS_OnePage(
        "/Font << /F1 5 0 R >>",
        "0 0 1 0 k BT /F1 30 Tf 10 60 Td (AbA) Tj ET 0 0 0 1 k BT /F1 30 Tf 10 20 Td (AbA) Tj ET 0 1 0 0 k 70 70 20 20 re f",
        {"<< /Type /Font /Subtype /TrueType /BaseFont /Arial /FirstChar 65 /LastChar 98 /FontDescriptor 6 0 R >>",
         "<< /Type /FontDescriptor /FontName /Arial /Flags 32 /FontBBox [0 0 1000 1000] /ItalicAngle 0 /Ascent 900 "
         "/Descent -100 /CapHeight 700 /StemV 80 /FontFile2 7 0 R >>",
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

}  // namespace

// A loss is said of exactly the inks whose plates differ from the whole
// file's for it: those the lost mark tints, and those it knocks out where
// their plates hold ink; not of an ink it knocks out of a blank plate, nor
// of one it overprints; and not at all where no plate differs.
TEST_F(TS_ProgramTest, ALossNamesTheInksWhosePlatesLackIt) {
    const std::string program = HelveticaProgram();
    ASSERT_FALSE(program.empty());
    // Damage zlib finds, and damage only the check finds, whose glyphs are
    // garbled.
    std::string damaged = Deflated(program), garbled = Deflated(program);
    damaged.replace(damaged.size() / 10, 6, "\xff\xff\xff\xff\xff\xff");
    garbled.replace(garbled.size() / 2, 6, "\xff\xff\xff\xff\xff\xff");
    std::string bad, mended;
    for (int i = 0; i < 10000; ++i) {
        bad += "[(a) <</x 1>> (b)] TJ\n";
        mended += "[(a) (b)] TJ\n";
    }
    const auto arrays = [](const std::string& text) {
        return TS_OnePage("/Font << /F1 5 0 R >>", "0 0 0 1 k BT /F1 10 Tf 5 5 Td " + text + "ET 0 1 0 0 k 20 20 40 40 re f",
                          {Helvetica("")});
    };
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
    const auto masked = [](const std::string& group) {
        return TS_OnePage("/ExtGState << /M0 5 0 R >>", "1 0 0 0 k 60 60 30 30 re f /M0 gs 0 0 0 1 k 0 0 50 50 re f",
                          {"<< /SMask << /S /Luminosity /G 6 0 R >> >>", VIEW_PdfStream(kGroupDict, group)});
    };
    std::string withoutCheck = Deflated(program);
    withoutCheck.resize(withoutCheck.size() - 4);
    const struct {
        const char* name;
        std::string pdf, whole;
        const char* who;    // the line's start; "" for no line
        const char* words;  // in the line
    } rows[] = {
        {"a TJ array holding a name", TjPage(name), TjPage(whole), "ink Black lacks", "an operator"},
        {"black text knocking out a yellow ground", text("0 0 0 1 k", name, ""), text("0 0 0 1 k", whole, ""),
         "inks Yellow and Black lack", "an operator"},
        {"black text overprinting a yellow ground", text("0 0 0 1 k", name, "/OP gs "),
         text("0 0 0 1 k", whole, "/OP gs "), "ink Black lacks", "an operator"},
        {"black text knocking out nothing", text("0 0 0 1 k", name, "", 40), text("0 0 0 1 k", whole, "", 40),
         "ink Black lacks", "an operator"},
        {"white text knocking out nothing", text("0 0 0 0 k", name, "", 40), text("0 0 0 0 k", whole, "", 40), "", ""},
        {"a TJ array holding a name in a form", inForm(name), inForm(whole), "ink Cyan lacks", "an operator"},
        {"a stray token between a mask group's operators", masked("1 g 0 0 100 50 re f ) 0.5 g 0 50 100 50 re f"),
         masked("1 g 0 0 100 50 re f 0.5 g 0 50 100 50 re f"), "", ""},
        {"a Type1C font lacking only its check", Type1CText(withoutCheck), Type1CText(Deflated(program)), "", ""},
        {"a stray token inside a mask group's operands", masked("1 g 0 0 100 ) 50 re f 0.5 g 0 50 100 50 re f"),
         masked("1 g 0 0 100 50 re f 0.5 g 0 50 100 50 re f"), "ink Black lacks", "dropped the operands"},
        {"a damaged Type1C font over a yellow ground", Type1CText(damaged), Type1CText(Deflated(program)),
         "inks Yellow and Black lack", "damaged"},
        {"a Type1C font of garbled glyphs over a yellow ground", Type1CText(garbled), Type1CText(Deflated(program)),
         "inks Yellow and Black lack", "a font it uses cannot be read"},
        {"too many bad arrays, then a square", arrays(bad), arrays(mended), "inks Magenta and Black lack",
         "the rest of the content"},
    };
    const char* inks[] = {"Cyan", "Magenta", "Yellow", "Black"};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<GrayPlate> plates[2];
        std::vector<std::string> lost;
        for (const std::string* pdf : {&row.pdf, &row.whole}) {
            const TS_Run run = Run(WithOut({WriteFile("page.pdf", *pdf)}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            for (const std::string& line : run.Lines())
                if (line.find(" lack") != std::string::npos)
                    lost.push_back(line);
            if (pdf == &row.whole) {
                EXPECT_EQ(lost.size(), *row.who ? 1u : 0u) << run.m_err;
            }
            for (int i = 0; i < 4; ++i)
                plates[pdf == &row.whole].push_back(TS_ReadPlatePng(
                    m_out.File("plate-" + std::to_string(i) + "-" + inks[i] + ".png")));
        }
        std::vector<std::string> differ;
        for (int i = 0; i < 4; ++i)
            if (plates[0][i].pixels != plates[1][i].pixels)
                differ.push_back(inks[i]);
        if (!*row.who) {
            EXPECT_TRUE(differ.empty());
            continue;
        }
        ASSERT_EQ(lost.size(), 1u);
        const size_t at = lost[0].find("page 1: ");
        EXPECT_EQ(lost[0].substr(at + 8, std::string(row.who).size()), row.who) << lost[0];
        EXPECT_NE(lost[0].find(row.words), std::string::npos) << lost[0];
        // The line tells the plates that differ, each by name.
        for (const char* ink : inks) {
            const bool named = lost[0].find("every ink") != std::string::npos ||
                               lost[0].find(std::string(" ") + ink + " ") != std::string::npos;
            EXPECT_EQ(named, std::find(differ.begin(), differ.end(), ink) != differ.end()) << ink << ": " << lost[0];
        }
    }
}

TEST_F(TS_ProgramTest, ALossIsSaidWhereAPlateLacksItOfTheInksThatUseIt) {
    const std::string text = "0 0 0 1 k BT /F1 30 Tf 10 20 Td (AAA) Tj ET 1 0 0 0 k 70 70 20 20 re f";
    std::string cutGroup = Deflated(kGroup);
    cutGroup.resize(cutGroup.size() * 2 / 3);
    std::string damagedFont = Deflated(std::string(2000, 'x') + std::string(2000, 'y'));
    damagedFont.replace(damagedFont.size() / 2, 6, "\xff\xff\xff\xff\xff\xff");
    const std::string cidFont = TS_OnePage(
        "/Font << /F1 5 0 R >>", "0 0 0 1 k BT /F1 30 Tf 10 20 Td <004100420043> Tj ET",
        {"<< /Type /Font /Subtype /Type0 /BaseFont /Arial /Encoding /Identity-H /DescendantFonts [6 0 R] >>",
         "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /Arial "
         "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> >>"});
    std::string pixels;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            pixels += static_cast<char>((x * 7 + y * 3) % 256);
    std::string cutImage = Deflated(pixels);
    cutImage.resize(cutImage.size() * 2 / 3);
    // Still a whole stream to zlib, but of fewer pixels than the image has.
    std::string damagedImage = Deflated(pixels);
    damagedImage.replace(damagedImage.size() / 2, 4, "\xff\xff\xff\xff");
    const struct {
        const char* name;
        std::string pdf;
        // Said of nothing; drawn to the same plates when the page is said of
        // nothing, to other plates when it is said to lack something ("": none).
        std::string control;
        bool said;
    } rows[] = {
        {"check wrong in a ToUnicode map",
         TS_OnePage("/Font << /F1 5 0 R >>", text, {Helvetica(" /ToUnicode 6 0 R"), Flate("", BadCheck(kCMap))}),
         TS_OnePage("/Font << /F1 5 0 R >>", text, {Helvetica(" /ToUnicode 6 0 R"), Flate("", Deflated(kCMap))}),
         false},
        {"check wrong in a mask's group", Masked(Flate(kGroupDict, BadCheck(kGroup))),
         Masked(Flate(kGroupDict, Deflated(kGroup))), false},
        {"ToUnicode naming a missing map", TS_OnePage("/Font << /F1 5 0 R >>", text, {Helvetica(" /ToUnicode /Bogus")}),
         TS_OnePage("/Font << /F1 5 0 R >>", text, {Helvetica("")}), false},
        {"CID font without a descriptor", cidFont, "", false},
        {"damaged font", TrueTypeText(damagedFont), "", true},
        {"mask's group cut short", Masked(Flate(kGroupDict, cutGroup)), Masked(Flate(kGroupDict, Deflated(kGroup))),
         true},
        {"TJ array holding a name", TjPage("[(Hello) -250 /X (World)]"), TjPage("[(Hello) -250 (World)]"), true},
        {"TJ array holding a boolean", TjPage("[(Hello) -250 true (World)]"), TjPage("[(Hello) -250 (World)]"), true},
        {"image cut short", ImagePage(cutImage, false), ImagePage(Deflated(pixels), false), true},
        {"image in a form cut short", ImagePage(cutImage, true), ImagePage(Deflated(pixels), true), true},
        {"image damaged", ImagePage(damagedImage, false), ImagePage(Deflated(pixels), false), true},
        {"mask no gs sets",
         TS_OnePage("/ExtGState << /GS1 5 0 R >>", "0 0 0 1 k 10 10 50 50 re f",
                    {"<< /SMask << /S /Luminosity /G 6 0 R >> >>", VIEW_PdfStream(kGroupDict, kGroup)}),
         "", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<GrayPlate> plates[2];
        for (const std::string* pdf : {&row.pdf, &row.control}) {
            if (pdf->empty())
                continue;
            const TS_Run run = Run(WithOut({WriteFile("page.pdf", *pdf)}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            // A page that sets no graphics state holds no mask in force.
            if (pdf->find(" gs ") == std::string::npos) {
                EXPECT_EQ(run.m_err.find("SMask"), std::string::npos) << run.m_err;
            }
            std::vector<std::string> lost;
            for (const std::string& line : run.Lines())
                if (line.find(" lack") != std::string::npos)
                    lost.push_back(line);
            if (pdf == &row.control || !row.said) {
                EXPECT_TRUE(lost.empty()) << run.m_err;
            } else {
                EXPECT_EQ(lost.size(), 1u) << run.m_err;
                lost.resize(1);
                // Every page here draws in Black, but a masked one in
                // Magenta; Cyan alone never lacks it.
                const std::string who = lost[0].substr(0, lost[0].find(" lack"));
                EXPECT_TRUE(who.find("every ink") != std::string::npos || who.find("Black") != std::string::npos ||
                            who.find("Magenta") != std::string::npos)
                    << lost[0];
                EXPECT_EQ(who.find("Cyan"), std::string::npos) << lost[0];
                for (const char* foreign : {"zlib", "error", "syntax", "MuPDF", "flate"})
                    EXPECT_EQ(lost[0].find(foreign), std::string::npos) << lost[0];
            }
            for (const char* ink : {"0-Cyan", "1-Magenta", "2-Yellow", "3-Black"})
                plates[pdf == &row.control].push_back(TS_ReadPlatePng(m_out.File(std::string("plate-") + ink + ".png")));
        }
        if (row.control.empty())
            continue;
        bool same = true;
        for (size_t i = 0; i < 4; ++i)
            same = same && plates[0][i].pixels == plates[1][i].pixels;
        EXPECT_EQ(same, !row.said);
    }
}

// Words MuPDF says whether or not anything was lost give a line only where
// the file's own bytes show the loss: a bad token with no operand before it
// and Flate data that lack only their check draw as their twins do.
TEST_F(TS_ProgramTest, ALossIsSaidOnlyWhereTheFileShowsIt) {
    const std::string group = "1 g 0 0 100 50 re f 0.5 g 0 50 100 50 re f";
    const std::string square = "0 0 0 1 k 10 10 80 80 re f";
    std::string arrays;
    for (int i = 0; i < 10000; ++i)
        arrays += "[(a) <</x 1>> (b)] TJ\n";
    const auto groupPage = [&](const std::string& content) {
        return TS_OnePage("/ExtGState << /M0 5 0 R >>", "1 0 0 0 k 60 0 30 30 re f /M0 gs " + square,
                          {"<< /SMask << /S /Luminosity /G 6 0 R >> >>", VIEW_PdfStream(kGroupDict, content)});
    };
    // The separator decodes content itself; a ToUnicode map reaches MuPDF
    // as the file holds it.
    const std::string text = "0 0 0 1 k BT /F1 30 Tf 10 20 Td (AAA) Tj ET";
    std::string withoutCheck = Deflated(kCMap);
    withoutCheck.resize(withoutCheck.size() - 4);
    // The separator's own Flate reading takes the group's content too.
    std::string groupWithoutCheck = Deflated(kGroup);
    groupWithoutCheck.resize(groupWithoutCheck.size() - 4);
    std::string cutMap = Deflated(kCMap);
    cutMap.resize(cutMap.size() / 2);
    const auto mapPage = [&](const std::string& data) {
        return TS_OnePage("/Font << /F1 5 0 R >>", text, {Helvetica(" /ToUnicode 6 0 R"), Flate("", data)});
    };
    const struct {
        const char* name;
        std::string pdf;
        std::string twin;  // drawn alike when no line is said, otherwise differently
        const char* said;  // words of the line; "" for none
    } rows[] = {
        {"a stray token between a mask group's operators", groupPage("1 g 0 0 100 50 re f ) 0.5 g 0 50 100 50 re f"),
         groupPage(group), ""},
        {"a stray token inside a rectangle's operands", groupPage("1 g 0 0 100 ) 50 re f 0.5 g 0 50 100 50 re f"),
         groupPage(group), "dropped the operands before it"},
        {"Flate data lacking only their check", mapPage(withoutCheck), mapPage(Deflated(kCMap)), ""},
        {"a ToUnicode map cut short", mapPage(cutMap), mapPage(Deflated(kCMap)), ""},
        {"a mask group's Flate data lacking only their check", Masked(Flate(kGroupDict, groupWithoutCheck)),
         Masked(Flate(kGroupDict, Deflated(kGroup))), ""},
        {"too many bad arrays, then a square",
         TS_OnePage("/Font << /F1 5 0 R >>", "0 0 0 1 k BT /F1 10 Tf 5 5 Td " + arrays + "ET 0 1 0 0 k 20 20 40 40 re f",
                    {Helvetica("")}),
         TS_OnePage("/Font << /F1 5 0 R >>", "0 0 0 1 k BT /F1 10 Tf 5 5 Td ET 0 1 0 0 k 20 20 40 40 re f",
                    {Helvetica("")}),
         "the rest of the content"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<GrayPlate> plates[2];
        for (const std::string* pdf : {&row.pdf, &row.twin}) {
            const TS_Run run = Run(WithOut({WriteFile("page.pdf", *pdf)}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            std::vector<std::string> lost;
            for (const std::string& line : run.Lines())
                if (line.find(" lack") != std::string::npos)
                    lost.push_back(line);
            if (pdf == &row.twin || !*row.said) {
                EXPECT_TRUE(lost.empty()) << run.m_err;
            } else {
                ASSERT_EQ(lost.size(), 1u) << run.m_err;
                EXPECT_NE(lost[0].find(row.said), std::string::npos) << lost[0];
            }
            for (const char* ink : {"0-Cyan", "1-Magenta", "2-Yellow", "3-Black"})
                plates[pdf == &row.twin].push_back(TS_ReadPlatePng(m_out.File(std::string("plate-") + ink + ".png")));
        }
        bool same = true;
        for (size_t i = 0; i < 4; ++i)
            same = same && plates[0][i].pixels == plates[1][i].pixels;
        EXPECT_EQ(same, !*row.said);
    }
}

namespace {

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

}  // namespace

// The twin the page is told against is recorded and drawn as the page is,
// soft-masked marks included, and mends a cut font only where a glyph the
// page shows drew nothing: a line names exactly the inks whose plates
// differ from the whole file's, and none is said where none differs.
TEST_F(TS_ProgramTest, ATwinTellsTheInksALossCostLikeWithLike) {
    const std::string program = HelveticaProgram();
    ASSERT_FALSE(program.empty());
    const std::string padded = program + std::string(60000, '\0');
    std::string paddingCut = Deflated(padded), glyphsCut = Deflated(program);
    paddingCut.resize(paddingCut.size() - 8);
    glyphsCut.resize(glyphsCut.size() / 3);
    // A cyan square and a black bar through a luminosity mask of group,
    // the square within the group's lower half.
    const auto masked = [](const std::string& group) {
        return TS_OnePage("/ExtGState << /M0 5 0 R >>",
                          "/M0 gs 1 0 0 0 k 60 10 30 30 re f 0 0 0 1 k 0 0 50 100 re f",
                          {"<< /SMask << /S /Luminosity /G 6 0 R >> >>", VIEW_PdfStream(kGroupDict, group)});
    };
    // The same mask used by a black mark in a tiling pattern's cell.
    const auto inCell = [](const std::string& group) {
        return TS_OnePage("/Pattern << /P0 7 0 R >>",
                          "1 0 0 0 k 60 60 30 30 re f /Pattern cs /P0 scn 0 0 50 50 re f",
                          {"<< /SMask << /S /Luminosity /G 6 0 R >> >>", VIEW_PdfStream(kGroupDict, group),
                           VIEW_PdfStream("/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 20 20] "
                                          "/XStep 20 /YStep 20 /Resources << /ExtGState << /M0 5 0 R >> >>",
                                          "/M0 gs 0 0 0 1 k 0 0 10 10 re f")});
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
    const std::string group = "1 g 0 0 100 50 re f 0.5 g 0 50 100 50 re f";
    // A CMap for text, written with cid entries and cut after the first.
    const auto unicodeMap = [](const std::string& entries) {
        return TS_OnePage("/Font << /F1 5 0 R >>", "0 0 0 1 k BT /F1 30 Tf 10 20 Td (AAA) Tj ET",
                          {Helvetica(" /ToUnicode 6 0 R"),
                           VIEW_PdfStream("", "/CIDInit /ProcSet findresource begin 12 dict begin begincmap "
                                              "1 begincodespacerange <00> <FF> endcodespacerange " +
                                                  entries)});
    };
    // Codes 0 to 0x1ff, each its own range, of glyphs 1 to 200.
    std::string codeMap = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /X def "
                          "1 begincodespacerange <0000> <FFFF> endcodespacerange\n";
    for (int code = 0; code < 0x200; ++code) {
        char entry[64];
        std::snprintf(entry, sizeof entry, "1 begincidrange <%04x> <%04x> %d endcidrange\n", code, code,
                      code % 200 + 1);
        codeMap += entry;
    }
    codeMap += "endcmap CMapName currentdict /CMap defineresource pop end end";
    std::string mapCut = Deflated(codeMap), mapWithoutCheck = Deflated(codeMap);
    mapCut.resize(mapCut.size() / 3);
    mapWithoutCheck.resize(mapWithoutCheck.size() - 4);
    const auto flateMap = [](const std::string& data) {
        return Flate("/Type /CMap /CMapName /X /CIDSystemInfo << /Registry (Adobe) /Ordering (X) /Supplement 0 >>",
                     data);
    };
    const std::string wholeFile = Flate("/Subtype /Type1C", Deflated(program));
    // Magenta text over ground in a composite font of map and file, codes
    // from both ends of the map, beside a cyan square.
    const auto composite = [&](const std::string& map, const std::string& ground,
                               const std::string& file = std::string()) {
        return TS_OnePage(
            "/Font << /F1 5 0 R >>",
            ground + " 0 1 0 0 k BT /F1 16 Tf 5 40 Td <0024004501a501b00024> Tj ET 1 0 0 0 k 70 70 20 20 re f",
            {"<< /Type /Font /Subtype /Type0 /BaseFont /AAAAAA+Helvetica /Encoding 6 0 R /DescendantFonts [7 0 R] >>",
             map,
             "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /AAAAAA+Helvetica /DW 600 /FontDescriptor 8 0 R "
             "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> >>",
             "<< /Type /FontDescriptor /FontName /AAAAAA+Helvetica /Flags 32 /FontBBox [-166 -225 1000 931] "
             "/ItalicAngle 0 /Ascent 718 /Descent -207 /CapHeight 718 /StemV 88 /FontFile3 9 0 R >>",
             file.empty() ? wholeFile : file});
    };
    const std::string wholeMap = flateMap(Deflated(codeMap));
    const struct {
        const char* name;
        std::string pdf, whole;
        const char* who;  // the line's start; "" for no line
    } rows[] = {
        {"a composite font's map cut short", composite(flateMap(mapCut), ""), composite(wholeMap, ""),
         "ink Magenta lacks"},
        {"that font knocking out a yellow ground", composite(flateMap(mapCut), "0 0 1 0 k 0 30 100 30 re f"),
         composite(wholeMap, "0 0 1 0 k 0 30 100 30 re f"), "inks Magenta and Yellow lack"},
        {"that font's map lacking only its check", composite(flateMap(mapWithoutCheck), ""), composite(wholeMap, ""),
         ""},
        {"that font's map stored plain and cut short",
         composite(VIEW_PdfStream("/Type /CMap /CMapName /X", codeMap.substr(0, codeMap.size() / 3)), ""),
         composite(VIEW_PdfStream("/Type /CMap /CMapName /X", codeMap), ""), "ink Magenta lacks"},
        {"that map cut between two entries, of which MuPDF says nothing",
         composite(VIEW_PdfStream("/Type /CMap /CMapName /X",
                                  codeMap.substr(0, codeMap.find('\n', codeMap.size() / 3))),
                   ""),
         composite(VIEW_PdfStream("/Type /CMap /CMapName /X", codeMap), ""), "ink Magenta lacks"},
        {"that map cut between two entries past every code shown",
         composite(VIEW_PdfStream("/Type /CMap /CMapName /X",
                                  codeMap.substr(0, codeMap.rfind('\n', codeMap.find("<01b1>")) + 1)),
                   ""),
         composite(VIEW_PdfStream("/Type /CMap /CMapName /X", codeMap), ""), ""},
        {"that font's file cut among its glyphs", composite(wholeMap, "", Flate("/Subtype /Type1C", glyphsCut)),
         composite(wholeMap, ""), "ink Magenta lacks"},
        {"that font's file cut inside its trailing padding",
         composite(wholeMap, "", Flate("/Subtype /Type1C", paddingCut)),
         composite(wholeMap, "", Flate("/Subtype /Type1C", Deflated(padded))), ""},
        {"a mask group's bad token costing nothing", masked(group + " 0.3 ) 0.2 g"), masked(group + " 0.3 0.2 g"),
         ""},
        {"that mask in a pattern's cell", inCell(group + " 0.3 ) 0.2 g"), inCell(group + " 0.3 0.2 g"), ""},
        {"a masked spot square beside a dropped TJ", spotBeside("[(Hello) -250 /X (World)]"),
         spotBeside("[(Hello) -250 (World)]"), "ink Black lacks"},
        {"a mask group's operands before a stray paren",
         masked("1 g 0 0 100 50 re f 0.5 g 0 50 100 ) 50 re f"), masked(group), "ink Black lacks"},
        {"a Type1C font cut inside its trailing padding", Type1CText(paddingCut), Type1CText(Deflated(padded)), ""},
        {"a Type1C font cut among its glyphs", Type1CText(glyphsCut), Type1CText(Deflated(program)),
         "inks Yellow and Black lack"},
        {"a ToUnicode map of cid entries cut after one",
         unicodeMap("2 begincidrange <41> <41> 65"),
         unicodeMap("1 begincidrange <41> <41> 65 endcidrange endcmap CMapName currentdict /CMap defineresource "
                    "pop end end"),
         ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::map<std::string, GrayPlate> plates[2];
        std::vector<std::string> lost;
        for (const std::string* pdf : {&row.pdf, &row.whole}) {
            const TS_Run run = Run(WithOut({WriteFile("page.pdf", *pdf)}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            for (const std::string& line : run.Lines())
                if (line.find(" lack") != std::string::npos)
                    lost.push_back(line);
            if (pdf == &row.whole) {
                EXPECT_EQ(lost.size(), *row.who ? 1u : 0u) << run.m_err;
            }
            plates[pdf == &row.whole] = PlatesIn(m_out.Path());
        }
        ASSERT_EQ(plates[0].size(), plates[1].size());
        std::vector<std::string> differ;
        for (const auto& [ink, plate] : plates[0])
            if (plate.pixels != plates[1][ink].pixels)
                differ.push_back(ink);
        if (!*row.who) {
            EXPECT_TRUE(differ.empty());
            continue;
        }
        ASSERT_EQ(lost.size(), 1u);
        EXPECT_EQ(lost[0].substr(lost[0].find("page 1: ") + 8, std::string(row.who).size()), row.who) << lost[0];
        for (const auto& [ink, plate] : plates[0]) {
            const bool named = lost[0].find(" " + ink + " ") != std::string::npos;
            EXPECT_EQ(named, std::find(differ.begin(), differ.end(), ink) != differ.end()) << ink << ": " << lost[0];
        }
    }
}
