// A Type 3 glyph that sets its own colour (d0) is painted in that colour
// whatever the text mode, on a page, in a form, a pattern cell and a soft
// mask's group; its stroke is never a mask in the text's colour.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "VDRW_TestDib.h"
#include "support/PdfText.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_Store.h"
#include "viewer/draw/VDRW_PageDrawer.h"

namespace {

enum class Container { Page, Form, Cell, MaskGroup };

// then: what is painted after ET, inside the clip of modes 4-7 (a clip
// holding nothing is never made).
std::string Shown(int mode, int y, const std::string& then = "") {
    return "q 0.9 g 0.9 G 5 w BT /F1 90 Tf " + std::to_string(mode) + " Tr 15 " + std::to_string(y) +
           " Td (H) Tj ET " + then + "Q";
}

// The glyph fills 60..640 × 0..700 of its 1000-unit space in 0.4 gray; the
// text shows it at 90 points from (15, 60) in 0.9 gray, 5 points wide. A
// clip first shows it 72 points higher: 150 pixels at 150 dpi, so both
// meet the glyph under one matrix.
std::string GlyphPage(int mode, Container where, int clipFirst) {
    const std::string text = (clipFirst < 0 ? "" : Shown(clipFirst, 132, "0 0 200 200 re f ") + " ") + Shown(mode, 60);
    const std::string glyph = "700 0 d0 0.4 g 0.4 G 60 0 580 700 re f";
    const std::string font = "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 700 700] /FontMatrix [0.001 0 0 0.001 0 0]"
                             " /CharProcs << /h 6 0 R >> /Encoding << /Type /Encoding /Differences [72 /h] >>"
                             " /FirstChar 72 /LastChar 72 /Widths [700] >>";
    auto stream = [](const std::string& dict, const std::string& data) {
        return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
    };
    const std::string fonts = "/Font << /F1 5 0 R >>";
    std::string resources, content, extra;
    switch (where) {
    case Container::Page:
        resources = fonts;
        content = text;
        break;
    case Container::Form:
        resources = "/XObject << /X 7 0 R >>";
        content = "/X Do";
        extra = stream("/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Resources << " + fonts + " >>", text);
        break;
    case Container::Cell:
        resources = "/Pattern << /P 7 0 R >>";
        content = "/Pattern cs /P scn 0 0 200 200 re f";
        extra = stream("/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 200 200]"
                       " /XStep 200 /YStep 200 /Resources << " + fonts + " >>",
                       text);
        break;
    case Container::MaskGroup:
        resources = "/ExtGState << /G << /SMask << /S /Luminosity /G 7 0 R >> >> >>";
        content = "q /G gs 0 g 0 0 200 200 re f Q";
        extra = stream("/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Group << /S /Transparency /CS /DeviceGray >>"
                       " /Resources << " + fonts + " >>",
                       text);
        break;
    }
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << " + resources +
            " >> /Contents 4 0 R >>",
        stream("", content),
        font,
        stream("", glyph),
    };
    if (!extra.empty())
        objects.push_back(extra);
    return PdfText("%PDF-1.7", objects);
}

GrayPlate Draw(const std::string& file, double dpi) {
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(store, file, "glyphs.pdf");
    const double s = dpi / 72;
    const int side = static_cast<int>(std::ceil(200 * s));
    VDRW_TestDib dib(side, side);
    VDRW_PageDrawer(store).Draw(doc, 0, VDRW_Matrix(s, 0, 0, -s, 0, 200 * s), dib.DC(), VDRW_Rect(0, 0, 200, 200),
                                nullptr, nullptr);
    return dib.Blue();
}

TEST(VDRW_ColourGlyphs, AGlyphThatSetsItsColourIsPaintedInItInEveryTextMode) {
    struct Row {
        int m_mode;
        Container m_where;
        int m_clipFirst = -1;
    };
    const Row rows[] = {
        {0, Container::Page},      {1, Container::Page},      {2, Container::Page},      {5, Container::Page},
        {6, Container::Page},      {1, Container::Form},      {2, Container::Form},      {6, Container::Form},
        {1, Container::Cell},      {2, Container::Cell},      {6, Container::Cell},      {0, Container::MaskGroup},
        {1, Container::MaskGroup}, {2, Container::MaskGroup}, {6, Container::MaskGroup},
        // A clip asks MuPDF for the glyph's coverage; the later fill must
        // not be painted with it in the text's colour.
        {0, Container::Page, 7},   {0, Container::Form, 7},   {0, Container::Cell, 7},
        {0, Container::MaskGroup, 7}, {0, Container::MaskGroup, 5}, {0, Container::MaskGroup, 6},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("mode " + std::to_string(row.m_mode) + ", container " +
                     std::to_string(static_cast<int>(row.m_where)) + ", clip first " + std::to_string(row.m_clipFirst));
        const double dpi = 150, s = dpi / 72;
        const GrayPlate plate = Draw(GlyphPage(row.m_mode, row.m_where, row.m_clipFirst), dpi);
        // The glyph's box: 15 + 90 × (0.06..0.64) across, 60..123 up.
        const int x = static_cast<int>((15 + 90 * 0.35) * s), y = static_cast<int>((200 - 91.5) * s);
        // On the page 0.4 gray; as a luminosity mask 0.4 of black.
        const int expected = row.m_where == Container::MaskGroup ? 153 : 102;
        EXPECT_NEAR(plate.At(x, y), expected, 8);
        // The text's 0.9 gray stroke reaches no further than the glyph.
        EXPECT_EQ(plate.At(static_cast<int>(10 * s), y), 255);
    }
}

}  // namespace
