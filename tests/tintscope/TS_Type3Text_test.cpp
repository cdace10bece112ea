// Type 3 glyphs advance along the line by their widths, the font's matrix
// and the text state, as on the page itself: forty square glyphs each start
// on the column where the page puts them, however long the line. A coloured
// glyph (d0) that sets no colour paints what it holds in the colours of the
// show, on the plates of those colours' inks and no other.
#include "TS_BothPeers.h"
#include "TS_ProgramFixture.h"
#include "support/GhostscriptRenderer.h"
#include "support/PdfText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

std::string Stream(const std::string& data) {
    return "<< /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

// Letter; forty glyphs from (36, 400) at 12 points after textState, each an
// 800-unit square in a 1000-unit advance under a 0.001 font matrix (a value
// 16.16 fixed point does not hold).
std::string SquaresPdf(const std::string& textState) {
    return PdfText(
        "%PDF-1.4",
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R"
         " /Resources << /Font << /T3 5 0 R >> >> >>",
         Stream("BT /T3 12 Tf " + textState + " 36 400 Td (" + std::string(40, 'a') + ") Tj ET"),
         "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 800 800] /FontMatrix [0.001 0 0 0.001 0 0]"
         " /CharProcs << /a 6 0 R >> /Encoding << /Type /Encoding /Differences [97 /a] >>"
         " /FirstChar 97 /LastChar 97 /Widths [1000] /Resources << >> >>",
         Stream("1000 0 0 0 800 800 d1 0 0 800 800 re f")});
}

// The columns where a run of ink starts on row y.
std::vector<int> RunStarts(const GrayPlate& plate, int y) {
    std::vector<int> starts;
    for (int x = 0; x < plate.width; ++x)
        if (plate.At(x, y) < 128 && (x == 0 || plate.At(x - 1, y) >= 128))
            starts.push_back(x);
    return starts;
}

TEST_F(TS_ProgramTest, Type3GlyphsAdvanceByWidthFontMatrixAndTextState) {
    const struct {
        const char* textState;
        double step;  // points from one glyph's left edge to the next
    } lines[] = {
        {"", 12},
        {"1.5 Tc 80 Tz", (12 + 1.5) * 0.8},
    };
    const std::string file = m_docs.File("squares.pdf");
    for (const auto& line : lines) {
        WriteWholeFile(file, SquaresPdf(line.textState));
        for (const double dpi : {150.0, 600.0}) {
            SCOPED_TRACE(std::string("text state '") + line.textState + "' at " + std::to_string(dpi) + " dpi");
            const TS_Run run = RunFullScreen(WithOut({file, "--dpi", std::to_string(static_cast<int>(dpi))}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            const GrayPlate black = TS_ReadPlatePng(m_out.File("plate-3-Black.png"));
            ASSERT_EQ(black.width, std::lround(612 * dpi / 72));
            // Half way up the glyphs, which stand 9.6 points tall on y = 400.
            const std::vector<int> starts = RunStarts(black, static_cast<int>((792 - 404.8) * dpi / 72));
            ASSERT_EQ(starts.size(), 40u);
            for (size_t i = 0; i < starts.size(); ++i)
                EXPECT_NEAR(starts[i], std::lround((36 + line.step * i) * dpi / 72), 1) << "glyph " << i;
        }
    }
}

// A 200 x 320 point page showing one coloured glyph of procedure body at 100
// points in mode (a clip it makes undone), the fill colour Yellow and the
// stroke colour Magenta, and with again, above it, the glyph again in a fill
// colour of Cyan; the
// glyph's resources hold Helvetica /H, a 2 x 2 stencil mask /Mk, a Cyan
// image /Im, a Cyan shading /Sh and a form /Fm that fills without colour.
std::string ColouredGlyphPdf(const std::string& body, int mode, bool again) {
    const std::string mask = "\xA0\x50";
    const std::string image(16, '\0');
    std::string cyan = image;
    for (size_t i = 0; i < cyan.size(); i += 4)
        cyan[i] = '\xFF';
    return PdfText(
        "%PDF-1.4",
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 320] /Contents 4 0 R"
         " /Resources << /Font << /T3 5 0 R >> >> >>",
         Stream("0 0 1 0 k 0 1 0 0 K " + std::to_string(mode) + " Tr /T3 100 Tf q BT 40 40 Td (A) Tj ET Q" +
                (again ? " q 1 0 0 0 k BT 40 180 Td (A) Tj ET Q" : "")),
         "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0]"
         " /CharProcs << /A 6 0 R >> /Encoding << /Type /Encoding /Differences [65 /A] >>"
         " /FirstChar 65 /LastChar 65 /Widths [1000] /Resources << /Font << /H 7 0 R >>"
         " /XObject << /Mk 8 0 R /Im 9 0 R /Fm 10 0 R >> /Shading << /Sh 11 0 R >> >> >>",
         Stream("1000 0 d0 " + body), "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
         "<< /Type /XObject /Subtype /Image /Width 2 /Height 2 /ImageMask true /BitsPerComponent 1 /Length 2 >>"
         "\nstream\n" + mask + "\nendstream",
         "<< /Type /XObject /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceCMYK /BitsPerComponent 8"
         " /Length 16 >>\nstream\n" + cyan + "\nendstream",
         "<< /Type /XObject /Subtype /Form /BBox [0 0 1000 1000] /Resources << >> /Length 20 >>\nstream\n"
         "100 100 800 800 re f\nendstream",
         "<< /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [100 0 900 0] /Function << /FunctionType 2"
         " /Domain [0 1] /C0 [1 0 0 0] /C1 [0.4 0 0 0] /N 1 >> >>"});
}

TEST_F(TS_ProgramTest, ColouredGlyphsPaintWhatTheyHoldInTheColoursOfTheShow) {
    const char* const inks[] = {"Cyan", "Magenta", "Yellow", "Black"};
    // What the glyph holds, and the inks it paints: anything in the colours
    // of the show as a fill of the glyph paints it, nothing in modes 3 and
    // 7, but for a path in a colour the glyph does not set, which MuPDF
    // draws where the glyph is shown whatever the mode; its own text takes
    // the show's mode, so is not filled where the show only strokes.
    enum Paints { FillColour, FillColourAlways, Cyan, FilledInFillModes };
    const struct {
        const char* what;
        std::string body;
        Paints paints;
        bool again = false;
    } rows[] = {
        {"text", "BT /H 900 Tf 0 0 Td (A) Tj ET", FilledInFillModes},
        {"text, shown again in Cyan", "BT /H 900 Tf 0 0 Td (A) Tj ET", FilledInFillModes, true},
        {"a stencil mask", "q 800 0 0 800 100 100 cm /Mk Do Q", FillColour},
        {"an inline stencil mask", "q 800 0 0 800 100 100 cm BI /W 2 /H 2 /IM true ID \xA0\x50 EI Q", FillColour},
        {"a form", "/Fm Do", FillColour},
        {"a path", "100 100 800 800 re f", FillColourAlways},
        {"an image", "q 800 0 0 800 100 100 cm /Im Do Q", Cyan},
        {"a shading", "q 100 100 800 800 re W n /Sh sh Q", Cyan},
    };
    const std::string file = m_docs.File("glyph.pdf");
    for (const auto& row : rows) {
        for (int mode = 0; mode < 8; ++mode) {
            SCOPED_TRACE(std::string(row.what) + " in mode " + std::to_string(mode));
            std::set<std::string> expected;
            const bool strokes = mode == 1 || mode == 5;
            if (row.paints == FillColourAlways ||
                (mode != 3 && mode != 7 && !(row.paints == FilledInFillModes && strokes))) {
                expected.insert(row.paints == Cyan ? "Cyan" : "Yellow");
                if (row.again)
                    expected.insert("Cyan");
            }
            WriteWholeFile(file, ColouredGlyphPdf(row.body, mode, row.again));
            const TS_Run run = RunFullScreen(WithOut({file, "--dpi", "150"}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            for (int i = 0; i < 4; ++i) {
                const GrayPlate plate =
                    TS_ReadPlatePng(m_out.File("plate-" + std::to_string(i) + "-" + inks[i] + ".png"));
                ASSERT_GT(plate.width, 0) << inks[i];
                if (expected.count(inks[i]))
                    EXPECT_GT(plate.InkedShare(), 0) << inks[i] << " has no ink";
                else
                    EXPECT_EQ(plate.InkedShare(), 0) << inks[i] << " has ink no mark puts there";
            }
        }
    }
}

// A 200-point page of content over a Type 3 font /T of the glyph procedures
// a, b, c and d (codes 97 to 100, 1000 units wide), whose resources hold
// Helvetica-Bold /H.
std::string GlyphFontPage(const std::string& content, const std::vector<std::string>& procedures) {
    std::string charProcs, objects;
    std::vector<std::string> more = {
        "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << ",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold >>"};
    for (size_t i = 0; i < procedures.size(); ++i) {
        more[0] += std::string("/") + char('a' + i) + " " + std::to_string(7 + i) + " 0 R ";
        more.push_back(Stream(procedures[i]));
    }
    more[0] += ">> /Encoding << /Type /Encoding /Differences [97 /a /b /c /d] >> /FirstChar 97 /LastChar 100"
               " /Widths [1000 1000 1000 1000] /Resources << /Font << /H 6 0 R >> >> >>";
    return TS_SquarePage(200, "/Font << /T 5 0 R >>", content, more);
}

TEST_F(TS_ProgramTest, ColouredGlyphsShownInManyColoursAndModesPaintAsBothPeers) {
    const std::string ownText = "1000 0 d0 0 1 0 0 k BT /H 900 Tf 50 100 Td (H) Tj ET";
    // Each show in a colour of its own, fill and stroke.
    std::string grid;
    for (int i = 0; i < 12; ++i) {
        const double a = (i % 4) / 3.0, b = (i % 3) / 2.0;
        grid += "q " + std::to_string(a) + " " + std::to_string(b) + " 0 " + std::to_string(1 - a) + " k " +
                std::to_string(b) + " 0 " + std::to_string(a) + " 0 K BT /T 24 Tf " + std::to_string(8 + 48 * (i % 4)) +
                " " + std::to_string(8 + 60 * (i / 4)) + " Td (abcd) Tj ET Q ";
    }
    const struct {
        const char* what;
        std::string page;
    } rows[] = {
        // Its own text in mode 0, as MuPDF draws it, never stroked in the
        // show's stroke colour: both peers leave Black blank there.
        {"a glyph's own text shown in mode 2",
         GlyphFontPage("0 0 0 0.3 k 150 0 50 200 re f q 1 0 0 0 k 0 0 0 0.8 K 2 w BT /T 40 Tf 2 Tr 10 20 Td (aaa) Tj"
                       " 0 44 Td (aa) Tj ET Q",
                       {ownText})},
        {"glyphs filling and stroking in the show's colours or their own, d0 and d1, in twelve colours",
         GlyphFontPage(grid, {"1000 0 d0 100 100 300 600 re f", "1000 0 d0 0 0 1 0 k 100 100 300 600 re f",
                              "1000 0 0 0 1000 1000 d1 100 100 300 600 re f", "1000 0 d0 60 w 150 150 600 600 re S"})},
    };
    constexpr int kDpi = 150;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string file = WriteFile("glyphs.pdf", row.page);
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const std::vector<OffBothPeers> plates =
            ProcessPlatesAgainstBothPeers(file, m_out, m_docs.File("glyphs.pam"), kDpi);
        for (size_t i = 0; i < plates.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_LE(plates[i].off, 20) << "pixels off both peers";
            EXPECT_EQ(plates[i].strayInk, 0) << "pixels inked where both peers leave the plate blank";
        }
    }
}

// A 200-point page of content over resources and the Type 3 font /T (5 0
// R) of one d0 glyph, code 65, whose own text, Helvetica-Bold /H, takes
// the colour and the mode of the show, or with own its own colour first;
// more objects from 7 0 R.
std::string TakingFontPage(const std::string& resources, const std::string& content,
                           const std::vector<std::string>& more = {}, const std::string& own = "") {
    std::vector<std::string> objects = {
        "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0]"
        " /CharProcs << /g 6 0 R >> /Encoding << /Type /Encoding /Differences [65 /g] >> /FirstChar 65"
        " /LastChar 65 /Widths [1000] /Resources << /Font << /H << /Type /Font /Subtype /Type1"
        " /BaseFont /Helvetica-Bold >> >> >> >>",
        Stream("1000 0 d0 " + own + " BT /H 900 Tf 50 50 Td (A) Tj ET")};
    objects.insert(objects.end(), more.begin(), more.end());
    return TS_SquarePage(200, "/Font << /T 5 0 R >> " + resources, content, objects);
}

// A form of content, its resources holding /T.
std::string FontForm(const std::string& content) {
    return "<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] /Resources << /Font << /T 5 0 R >> >> /Length " +
           std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
}

// Plates of page within limit pixels off both peers and inked on at most
// limit where both are blank: the glyphs' edges, which tiffsep draws
// without anti-aliasing.
#define EXPECT_AS_BOTH_PEERS(page, limit)                                                                       \
    do {                                                                                                        \
        const std::string file = WriteFile("taking.pdf", page);                                                 \
        const TS_Run run = Run(WithOut({file, "--dpi", "150"}));                                                \
        ASSERT_EQ(run.m_code, 0) << run.m_err;                                                                  \
        const std::vector<OffBothPeers> plates =                                                                \
            ProcessPlatesAgainstBothPeers(file, m_out, m_docs.File("taking.pam"), 150);                         \
        ASSERT_EQ(plates.size(), 4u);                                                                           \
        for (size_t i = 0; i < plates.size(); ++i) {                                                            \
            SCOPED_TRACE(i);                                                                                    \
            EXPECT_LE(plates[i].off, limit) << "pixels off both peers";                                         \
            EXPECT_LE(plates[i].strayInk, limit) << "pixels inked where both peers leave the plate blank";      \
        }                                                                                                       \
    } while (false)

// Wherever a coloured font is set (Tf, an ExtGState, the content drawing a
// form) and shown (the page, a form, the next text object after a text
// clip in a group), in whatever space, its glyph's text takes the show's
// colour on that colour's plates only.
TEST_F(TS_ProgramTest, AColouredFontInForceNamesTheCopyOfEachShowWhereverItIsShown) {
    const std::string clipThenShows = "0 0.8 0 0 k /O gs BT /F1 260 Tf 4 Tr -10 10 Td (W) Tj 0 Tr /T 30 Tf"
                                      " 1 0 0 1 20 150 Tm (A) Tj ET BT 1 0 0 1 30 60 Tm (A) Tj ET";
    const std::string group =
        "<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] /Group << /S /Transparency /I true >>"
        " /Resources << /Font << /T 5 0 R /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold >> >>"
        " /ExtGState << /O << /OP true /op true /OPM 1 >> >> >> /Length " +
        std::to_string(clipThenShows.size()) + " >>\nstream\n" + clipThenShows + "\nendstream";
    const struct {
        const char* what;
        std::string page;
    } rows[] = {
        {"shown on the page, then in a form", TakingFontPage("/XObject << /Fm 7 0 R >>",
                                                            "0 1 0 0 k BT /T 40 Tf 10 130 Td (A) Tj ET /Fm Do",
                                                            {FontForm("1 0 0 0 k BT 10 30 Td (A) Tj ET")})},
        {"set by the caller of a form", TakingFontPage("/XObject << /Fm 7 0 R >>", "0 0 1 0 k /T 40 Tf /Fm Do",
                                                       {FontForm("BT 10 30 Td (A) Tj ET")})},
        {"set by an ExtGState", TakingFontPage("/ExtGState << /GF << /Font [5 0 R 40] >> >>",
                                               "0 1 0 0 k /GF gs BT 10 30 Td (A) Tj ET")},
        {"set by an ExtGState after a show", TakingFontPage("/ExtGState << /GF << /Font [5 0 R 40] >> >>",
                                                            "0 1 0 0 k BT /T 40 Tf 10 130 Td (A) Tj ET"
                                                            " /GF gs 1 0 0 0 k BT 10 30 Td (A) Tj ET")},
        {"restored by Q", TakingFontPage("", "0 1 0 0 k BT /T 40 Tf 10 130 Td (A) Tj ET q 1 0 0 0 k BT 60 130 Td"
                                             " (A) Tj ET Q 0 0 1 0 k BT 10 30 Td (A) Tj ET")},
        {"shown in gray 0", TakingFontPage("", "0 g BT /T 40 Tf 20 40 Td (A) Tj ET")},
        {"shown in an Indexed colour",
         TakingFontPage("/ColorSpace << /CSi [/Indexed /DeviceCMYK 1 <FF000000 00C80000>] >>",
                        "/CSi cs 1 sc BT /T 40 Tf 20 40 Td (A) Tj ET")},
        {"in force in the next text object after a text clip in an isolated group",
         TakingFontPage("/XObject << /G 7 0 R >>", "/G Do", {group})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_AS_BOTH_PEERS(row.page, 400);
    }
}

// A coloured glyph's own text takes the show's mode: filled where the show
// fills, nothing where it only strokes, no clip area in mode 7, whether it
// takes the show's colour or paints in its own.
TEST_F(TS_ProgramTest, AColouredGlyphsOwnTextTakesTheModeOfTheShow) {
    const std::string under = "0 0 0 0.3 k 150 0 50 200 re f q 1 0 0 0 k 0 1 0 0 K 2 w BT /T 55 Tf ";
    const std::string shows = " 10 20 Td (A) Tj 60 60.5 Td (A) Tj ET";
    for (const char* own : {"", "0 0 1 0 k"}) {
        for (const int mode : {0, 1, 2, 4, 5, 7}) {
            SCOPED_TRACE(std::string(*own ? "in its own Yellow" : "in the show's colours") + ", mode " +
                         std::to_string(mode));
            // Black over what the clip of mode 7 lets through: nothing.
            const std::string after = mode == 7 ? " 0 0 0 1 k 0 0 200 200 re f Q" : " Q";
            EXPECT_AS_BOTH_PEERS(TakingFontPage("", under + std::to_string(mode) + " Tr" + shows + after, {}, own),
                                 400);
        }
    }
}

}  // namespace
