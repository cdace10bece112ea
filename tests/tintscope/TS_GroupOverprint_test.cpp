// Overprint inside a transparency group composes with the group's backdrop:
// the inks an overprinting mark leaves keep what the group painted there
// (in a knockout group its initial backdrop), and where that is empty an
// isolated group still covers the page below, as both peers draw it.
#include "TS_BothPeers.h"
#include "TS_ProgramFixture.h"
#include "support/GhostscriptRenderer.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>

namespace {

constexpr int kDpi = 150;

// A 192-point page (400 pixels) that paints page, then draws /Fx, a group
// form of entries running inside with /GO (overprint on, mode 1), /NO
// (overprint off), /Spot
// (PANTONE Red), /Cy (Separation Cyan), /PC (a pattern space over
// DeviceCMYK), /F1 and the objects from number 6 as its resources. Edges lie
// on pixel edges.
std::string OverprintPage(const std::string& page, const std::string& entries, const std::string& inside,
                          const std::string& resources = "", const std::vector<std::string>& more = {}) {
    const std::string tint = "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 ";
    std::vector<std::string> objects = {
        "<< /Type /XObject /Subtype /Form /BBox [0 0 192 192] /Group << /S /Transparency " + entries +
        " >> /Resources << /ExtGState << /GO << /OP true /op true /OPM 1 >> /NO << /OP false /op false >> >> "
        "/ColorSpace << /Spot [/Separation /PANTONE#20Red /DeviceCMYK " + tint + "[0 1 1 0] /N 1 >>] /Cy "
        "[/Separation /Cyan /DeviceCMYK " + tint + "[1 0 0 0] /N 1 >>] /PC [/Pattern /DeviceCMYK] >> /Font << /F1 << "
        "/Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> " + resources + " >> /Length " +
        std::to_string(inside.size()) + " >>\nstream\n" + inside + "\nendstream"};
    objects.insert(objects.end(), more.begin(), more.end());
    return TS_SquarePage(192, "/XObject << /Fx 5 0 R >>", page + " /Fx Do", objects);
}

// Pixels where peer has no ink and ours has more than 10 levels: 1 to 10
// are where two rasterisers' antialiased edges part.
long InkWherePeerIsBlank(const GrayPlate& ours, const GrayPlate& peer) {
    long count = 0;
    for (size_t i = 0; i < ours.pixels.size() && i < peer.pixels.size(); ++i)
        count += peer.pixels[i] == 255 && ours.pixels[i] < 255 - 10;
    return count;
}

// A 192-point page of page that draws /Fx, a group form (entries) of
// inside with /GO, /NO, /GA (overprint at alpha 0.5), /GM (overprint under
// Multiply), /GC (stroke alpha 1) and /GF (a font of Helvetica-Bold at 60)
// as graphics states; fonts /F1
// Helvetica-Bold, /F2 Times-Bold and /T3, a Type 3 font of two glyphs
// begun by glyph (d1 by default): H a ring, I a bar, both 700 units wide,
// filled in the colour in force.
std::string GroupTextPage(const std::string& entries, const std::string& inside,
                          const std::string& page = "/Fx Do", const std::string& glyph = "700 0 0 0 700 700 d1") {
    const std::string ring = glyph + " 60 0 580 700 re 200 200 300 300 re f*";
    const std::string bar = glyph + " 250 0 200 700 re f";
    const auto stream = [](const std::string& dict, const std::string& data) {
        return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
    };
    return TS_SquarePage(
        192, "/XObject << /Fx 5 0 R >>", page,
        {stream("/Type /XObject /Subtype /Form /BBox [0 0 192 192] /Group << /S /Transparency " + entries +
                    " >> /Resources << /ExtGState << /GO << /OP true /op true /OPM 1 >> /NO << /OP false "
                    "/op false >> /GA << /OP true /op true /OPM 1 /ca 0.5 /CA 0.5 >> /GM << /OP true /op true "
                    "/OPM 1 /BM /Multiply >> /GC << /CA 1 >> /GF << /Font [9 0 R 60] >> >> /Font << /F1 9 0 R /F2 << /Type /Font "
                    "/Subtype /Type1 /BaseFont /Times-Bold >> /T3 6 0 R >> >>",
                inside),
         "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 700 700] /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs "
         "<< /h 7 0 R /i 8 0 R >> /Encoding << /Type /Encoding /Differences [72 /h /i] >> /FirstChar 72 "
         "/LastChar 73 /Widths [700 700] >>",
         stream("", ring), stream("", bar), "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold >>"});
}

// Each process plate the program drew of file into out within 20 pixels
// off both peers.
void ExpectProcessPlatesAsBothPeers(const std::string& file, const ScratchDir& out, const std::string& pam) {
    const std::vector<OffBothPeers> plates = ProcessPlatesAgainstBothPeers(file, out, pam, kDpi);
    for (size_t i = 0; i < plates.size(); ++i)
        EXPECT_LE(plates[i].off, 20) << "pixels off both peers on plate " << i;
}

TEST_F(TS_ProgramTest, TextClipInAGroupClipsInTheTextStateOfEachShowAsBothPeersDrawIt) {
    // Under the clip: Black below y = 96, Magenta above.
    const std::string under = " /NO gs 0 0 0 1 k 0 0 192 96 re f 0 1 0 0 k 0 96 192 96 re f";
    const std::string ringsAndBars = "10 110 Td (HI) Tj 0 -80 Td (HI) Tj";
    const struct {
        const char* what;
        const char* entries;
        std::string inside;
    } rows[] = {
        // No overprint: each text object as it stands.
        {"after its font undone by Q", "/I true", "q /F1 50 Tf q /F2 14 Tf Q BT 7 Tr 20 80 Td (HIH) Tj ET"},
        {"mixing Helvetica and Type 3", "/I true", "BT 7 Tr /F1 50 Tf 10 110 Td (HI) Tj /T3 50 Tf 0 -80 Td (HI) Tj ET"},
        {"at 150 percent scaling", "/I true", "150 Tz BT /F1 40 Tf 7 Tr 10 80 Td (HIH) Tj ET"},
        {"at -100 percent scaling", "/K true", "-100 Tz BT /F1 40 Tf 7 Tr 180 80 Td (HIH) Tj ET"},
        {"in the font of an ExtGState", "/I true", "/F2 14 Tf /GF gs BT 7 Tr 20 80 Td (HIH) Tj ET"},
        // Overprint: white shows, the clip written at ET.
        {"of Type 3 glyphs in mode 4", "/I true", "/GO gs 0 1 0 0 k 3 w BT 4 Tr /T3 50 Tf " + ringsAndBars + " ET"},
        {"of Type 3 and Helvetica in mode 6 in a knockout group", "/K true",
         "/GO gs 1 0 0 0 k 0 0 1 0 K 3 w BT 6 Tr /F1 50 Tf 10 110 Td (HI) Tj /T3 50 Tf 0 -80 Td (HI) Tj ET"},
        {"in mode 5 after its font undone by Q", "/I true",
         "q /F1 50 Tf q /F2 14 Tf Q /GO gs 1 0 0 0 K 3 w BT 5 Tr 20 80 Td (HIH) Tj ET"},
        {"in mode 6 at 150 percent with fonts set inside and ' and \"", "/I true",
         "/GO gs 0 1 0 0 k 0 0 1 0 K 2 w 150 Tz 60 TL BT 6 Tr /F2 30 Tf 10 150 Td (HI) Tj /F1 40 Tf (I) ' "
         "4 2 (HI) \" ET"},
        {"in mode 7 after a white show, at -100 percent in the font of an ExtGState", "/K true",
         "/F2 14 Tf -100 Tz /GO gs 1 0 0 0 k /GF gs BT 180 110 Td 2 Tr (H) Tj 7 Tr 0 -80 Td (IH) Tj ET"},
        {"in mode 4 at 200 percent with spacing, rise and leading changed inside", "/I true",
         "/GO gs 0 0 1 0 k 200 Tz 3 Tc 5 Tw BT /F1 30 Tf 4 Tr 4 150 Td (H I) Tj 0 Tc 40 TL -5 Ts (IH) ' 100 Tz "
         "(H I) ' ET"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string file = WriteFile("clip.pdf", GroupTextPage(row.entries, row.inside + under));
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        ExpectProcessPlatesAsBothPeers(file, m_out, m_docs.File("clip.pam"));
    }
}

TEST_F(TS_ProgramTest, TextClipInAGroupOutlivesTheWhiteShowsAndPaintsNoGlyphTwiceAsBothPeersDrawIt) {
    // Over yellow and black halves, an overprinting yellow show leaves the
    // other inks their backdrop; under the clip, Black below y = 96 and
    // Magenta above.
    const std::string page = "0 0 1 0 k 0 0 192 96 re f 0 0 0 0.6 k 96 0 96 192 re f /Fx Do";
    const std::string under = " /NO gs 0 0 0 1 k 0 0 192 96 re f 0 1 0 0 k 0 96 192 96 re f";
    const std::string d0 = "700 0 d0";
    const struct {
        const char* what;
        std::string inside;
        std::string glyph;
    } rows[] = {
        {"a clip show before the first overprinting show",
         "0 0.5 0 0 k 30 30 80 80 re f /GO gs 0 0 1 0 k BT /F1 50 Tf 7 Tr 10 120 Td (HI) Tj 0 Tr 0 -70 Td (IH) Tj ET",
         ""},
        {"a mode 4 show before overprint set inside the text object",
         "0 0 1 0 k BT /F1 50 Tf 4 Tr 10 120 Td (HI) Tj /GO gs 0 Tr 0 -70 Td (IH) Tj ET", ""},
        {"two clip runs apart around a white show in mode 5",
         "/GO gs 0 0 1 0 k 0 0 1 0 K BT /F1 40 Tf 7 Tr 10 150 Td (HI) Tj 5 Tr 0 -40 Td (HI) Tj 7 Tr 0 -40 Td (IH) Tj "
         "ET",
         ""},
        {"a colour change between two clip shows after a white show",
         "/GO gs 0 0 1 0 k BT /F1 40 Tf 4 Tr 10 150 Td (HI) Tj 1 0 0 0 k 0 -40 Td (HI) Tj ET", ""},
        {"d0 glyphs in the colour in force, then a colour change and a clip",
         "/GO gs 0 0 1 0 k BT /T3 50 Tf 0 Tr 30 120 Td (HI) Tj 0 0 0 1 k /F1 50 Tf 7 Tr -20 -80 Td (HIH) Tj ET", d0},
        {"d1 glyphs, then a colour change and a clip",
         "/GO gs 0 0 1 0 k BT /T3 50 Tf 0 Tr 30 120 Td (HI) Tj 0 0 0 1 k /F1 50 Tf 7 Tr -20 -80 Td (HIH) Tj ET", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string file = WriteFile(
            "clip.pdf", row.glyph.empty() ? GroupTextPage("/I true", row.inside + under, page)
                                          : GroupTextPage("/I true", row.inside + under, page, row.glyph));
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const std::vector<OffBothPeers> plates =
            ProcessPlatesAgainstBothPeers(file, m_out, m_docs.File("clip.pam"), kDpi);
        for (size_t i = 0; i < plates.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_LE(plates[i].off, 20) << "pixels off both peers";
            EXPECT_EQ(plates[i].strayInk, 0) << "pixels inked where both peers leave the plate blank";
        }
    }
}

TEST_F(TS_ProgramTest, OverprintingFillAndStrokeBelowFullAlphaKeepsTheBackdropOnceAsBothPeersDrawIt) {
    // Over the page's black, marks in Cyan (or Magenta and Yellow) that
    // leave the Black: the isolated group keeps its empty backdrop there.
    const std::string cyan = "1 0 0 0 k 1 0 0 0 K ";
    const struct {
        const char* what;
        const char* entries;
        std::string inside;
    } rows[] = {
        {"B at alpha 0.5", "/I true", "/GA gs " + cyan + "16 w 48 48 96 96 re B"},
        {"B filling in Magenta, stroking in Yellow", "/I true", "/GA gs 0 1 0 0 k 0 0 1 0 K 16 w 48 48 96 96 re B"},
        {"b* at alpha 0.5 in a knockout group", "/K true", "/GA gs " + cyan + "16 w 48 48 m 144 48 l 96 144 l b*"},
        {"B at fill alpha 0.5, stroke alpha 1", "/I true", "/GA gs /GC gs " + cyan + "16 w 48 48 96 96 re B"},
        {"B under Multiply", "/I true", "/GM gs " + cyan + "16 w 48 48 96 96 re B"},
        {"text in mode 2 at alpha 0.5", "/I true", "/GA gs " + cyan + "12 w BT /F1 80 Tf 2 Tr 12 60 Td (HI) Tj ET"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string file =
            WriteFile("alpha.pdf", GroupTextPage(row.entries, row.inside, "0 0 0 1 k 0 0 192 192 re f /Fx Do"));
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        ExpectProcessPlatesAsBothPeers(file, m_out, m_docs.File("alpha.pam"));
    }
}

TEST_F(TS_ProgramTest, OverprintInsideAGroupKeepsTheGroupsBackdropAsBothPeersDrawIt) {
    const std::string magenta = "0 1 0 0 k 24 24 144 144 re f";
    const std::string cyan = "/GO gs 1 0 0 0 k 72 72 96 96 re f";
    const std::string yellowThenCyan = "0 0 1 0 k 48 48 48 120 re f " + cyan;
    const std::string stencil =
        "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /ImageMask true /BitsPerComponent 1 /Decode [1 0] /Length 1 >>\n"
        "stream\n\x80\nendstream";
    const std::string cyanSpace = "[/Separation /Cyan /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] "
                                  "/C1 [1 0 0 0] /N 1 >>]";
    const std::string cyanImage = "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace " + cyanSpace +
                                  " /BitsPerComponent 8 /Length 1 >>\nstream\n\x80\nendstream";

    const std::string shading = "<< /ShadingType 2 /ColorSpace " + cyanSpace + " /Coords [72 0 168 0] /Function "
                                "<< /FunctionType 2 /Domain [0 1] /C0 [0.2] /C1 [1] /N 1 >> >>";
    const std::string nested = "<< /Type /XObject /Subtype /Form /BBox [0 0 192 192] /Group << /S /Transparency "
                               ">> /Resources << /ExtGState << /GO << /OP true /op true /OPM 1 >> >> >> "
                               "/Length " + std::to_string(cyan.size()) + " >>\nstream\n" + cyan + "\nendstream";
    // Cyan 0.6 below a magenta fill and a yellow stroke, each leaving the
    // other's inks and the cyan; a clip then filled black, knocking out.
    const std::string cyanPage = "0.6 0 0 0 k 0 0 192 192 re f";
    const std::string marks = "/GO gs 0 1 0 0 k 0 0 1 0 K ";
    const auto text = [&](int mode, const std::string& shows, bool fillClip = false) {
        return marks + "3 w BT /F1 80 Tf 90 TL " + std::to_string(mode) + " Tr 12 104 Td " + shows + " ET" +
               (fillClip ? " /NO gs 0 0 0 1 k 0 0 192 192 re f" : "");
    };
    // Uncoloured cells 24 points wide every 48, cyan over the group's black.
    const std::string cells = "<< /Type /Pattern /PatternType 1 /PaintType 2 /TilingType 1 /BBox [0 0 48 48] "
                              "/XStep 48 /YStep 48 /Resources << >> /Length 12 >>\nstream\n0 0 24 24 re f\nendstream";
    const std::string black = "0 0 0 0.6 k 0 0 192 192 re f";
    const std::string cellStroke = "/GO gs /PC CS 1 0 0 0 /P SCN 24 w 48 48 96 96 re S";
    const struct {
        const char* what;
        std::string page;
        bool spot;  // drawn beside tiffsep, whose plates hold the spot ink
        // Judged where mutool and tiffsep agree (they part on uncoloured
        // cells and on overprint through a text clip).
        bool bothPeers = false;
    } rows[] = {
        {"an isolated group", OverprintPage(magenta, "/I true", cyan), false},
        {"an isolated group over its own yellow", OverprintPage(magenta, "/I true", yellowThenCyan), false},
        {"a knockout group over its own yellow", OverprintPage(magenta, "/K true", yellowThenCyan), false},
        {"an isolated knockout group over its own yellow",
         OverprintPage(magenta, "/I true /K true", yellowThenCyan), false},
        {"a group neither isolated nor knockout", OverprintPage(magenta, "", yellowThenCyan), false},
        {"a spot ink in an isolated group",
         OverprintPage("1 0 0 0 k 24 24 144 144 re f", "/I true", "/GO gs /Spot cs 1 scn 72 72 96 96 re f"), true},
        {"a stroke in an isolated group",
         OverprintPage(magenta, "/I true", "/GO gs 1 0 0 0 K 12 w 72 72 96 96 re S"), false},
        {"text in an isolated group",
         OverprintPage(magenta, "/I true", "/GO gs 1 0 0 0 k BT /F1 120 Tf 60 60 Td (H) Tj ET"), false},
        {"a stencil mask in an isolated group",
         OverprintPage(magenta, "/I true", "/GO gs 1 0 0 0 k 96 0 0 96 72 72 cm /Im Do", "/XObject << /Im 6 0 R >>",
                       {stencil}), false},
        {"a cyan image in an isolated group",
         OverprintPage(magenta, "/I true", "/GO gs 96 0 0 96 72 72 cm /Im Do", "/XObject << /Im 6 0 R >>",
                       {cyanImage}), false},
        {"an inline cyan image in a knockout group",
         OverprintPage(magenta, "/K true", "0 0 1 0 k 48 48 48 120 re f /GO gs 96 0 0 96 72 72 cm "
                                           "BI /W 1 /H 1 /CS /Cy /BPC 8 ID \x80 EI"), false},
        {"a cyan shading in an isolated group",
         OverprintPage(magenta, "/I true", "/GO gs 72 72 96 96 re W n /Sh sh", "/Shading << /Sh 6 0 R >>",
                       {shading}), false},
        {"a plain group inside an isolated group",
         OverprintPage(magenta, "/I true", "/Fy Do", "/XObject << /Fy 6 0 R >>", {nested}), false},
        {"a fill and stroke in an isolated group",
         OverprintPage(cyanPage, "/I true", marks + "16 w 48 48 96 96 re B"), false, true},
        {"a closed even-odd fill and stroke in a knockout group",
         OverprintPage(cyanPage, "/K true", marks + "16 w 48 48 m 144 48 l 96 144 l b*"), false, true},
        {"text in mode 2 in an isolated group", OverprintPage(cyanPage, "/I true", text(2, "(HI) Tj")), false, true},
        {"text in mode 2 shown by pieces along a line",
         OverprintPage(cyanPage, "/I true", text(2, "(H) Tj [(I) 300 (H)] TJ 6 2 (IH) \"")), false, true},
        {"a text clip in mode 4", OverprintPage(cyanPage, "/I true", text(4, "(HI) Tj")), false, true},
        {"a text clip in mode 5", OverprintPage(cyanPage, "/I true", text(5, "(HI) Tj", true)), false, true},
        {"a text clip in mode 6 shown by pieces",
         OverprintPage(cyanPage, "/I true", text(6, "(H) Tj (I) Tj (HI) '", true)), false, true},
        {"an uncoloured pattern stroke in a knockout group",
         OverprintPage(black, "/K true", cellStroke, "/Pattern << /P 6 0 R >>", {cells}), false, true},
        {"an uncoloured pattern fill in an isolated group",
         OverprintPage("", "/I true", black + " /GO gs /PC cs 1 0 0 0 /P scn 48 48 96 96 re f",
                       "/Pattern << /P 6 0 R >>", {cells}), false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string file = WriteFile("overprint.pdf", row.page);
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        if (row.bothPeers) {
            const std::vector<OffBothPeers> plates =
                ProcessPlatesAgainstBothPeers(file, m_out, m_docs.File("overprint.pam"), kDpi);
            for (size_t i = 0; i < plates.size(); ++i) {
                SCOPED_TRACE(i);
                EXPECT_LE(plates[i].off, 20) << "pixels off both peers";
                EXPECT_EQ(plates[i].strayInk, 0) << "pixels inked where both peers leave the plate blank";
            }
            continue;
        }
        if (row.spot) {
            const std::map<std::string, GrayPlate> tiffsep = GhostscriptRenderer::Separations(file, kDpi);
            const std::map<std::string, std::string> plates = {{"Cyan", "plate-0-Cyan.png"},
                                                               {"Magenta", "plate-1-Magenta.png"},
                                                               {"Yellow", "plate-2-Yellow.png"},
                                                               {"Black", "plate-3-Black.png"},
                                                               {"PANTONE Red", "plate-4-PANTONE#20Red.png"}};
            for (const auto& plate : plates) {
                SCOPED_TRACE(plate.first);
                const auto peer = tiffsep.find(plate.first);
                ASSERT_NE(peer, tiffsep.end());
                const GrayPlate ours = TS_ReadPlatePng(m_out.File(plate.second));
                TS_ExpectNearMutool(ours, peer->second, 0.99);
                EXPECT_EQ(InkWherePeerIsBlank(ours, peer->second), 0);
            }
            continue;
        }
        TS_ExpectProcessPlatesAsMutool(m_out, TS_MutoolPlates(file, m_docs.File("overprint.pam"), kDpi));
    }
}

}  // namespace
