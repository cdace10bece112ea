// Text in a luminosity soft mask's group paints with the colours at gs that
// its glyphs use, whatever the render mode says of a Type 3 glyph's
// procedure. The page marks Cyan and Black alike through the mask, so the
// two plates must be equal; mutool's CMYK drawing is the reference.
#include "TS_ProgramFixture.h"

#include <string>
#include <vector>

namespace {

constexpr int kDpi = 150;

// A 200-point page of content whose /GS0 masks by a DeviceGray group
// showing "a" in the Type 3 font whose one glyph procedure is glyph.
std::string Type3MaskedPage(const std::string& content, const std::string& group, const std::string& glyph) {
    return TS_SquarePage(
        200, "/ExtGState << /GS0 << /SMask << /S /Luminosity /G 5 0 R >> >> >>", content,
        {"<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] /Group << /S /Transparency /CS /DeviceGray >> "
         "/Resources << /Font << /F1 6 0 R >> >> /Length " + std::to_string(group.size()) + " >>\nstream\n" + group +
             "\nendstream",
         "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0] "
         "/CharProcs << /a 7 0 R >> /Encoding << /Type /Encoding /Differences [97 /a] >> /FirstChar 97 "
         "/LastChar 97 /Widths [1000] >>",
         "<< /Length " + std::to_string(glyph.size()) + " >>\nstream\n" + glyph + "\nendstream"});
}

// The ink of a plate in full-ink pixels.
double InkOf(const GrayPlate& plate) {
    double sum = 0;
    for (const uint8_t level : plate.pixels)
        sum += (255 - level) / 255.0;
    return sum;
}

TEST_F(TS_ProgramTest, AType3GlyphInAMaskGroupTakesTheColoursItPaintsWith) {
    const char* text = "BT /F1 150 Tf 25 25 Td (a) Tj ET";
    const char* cross = "1000 0 d0 60 w 0 0 m 1000 1000 l S 0 1000 m 1000 0 l S";
    const char* triangle = "1000 0 d0 0 0 m 1000 0 l 500 1000 l f";
    const struct {
        const char* what;
        std::string page;
    } pages[] = {
        {"a glyph strokes where the mode says fill",
         Type3MaskedPage("q 1 0 0 1 k 0.5 0 0 0 K /GS0 gs 10 10 180 180 re f Q", std::string("1 g 0 Tr ") + text,
                         cross)},
        {"a glyph fills where the mode says stroke",
         Type3MaskedPage("q 0.5 0 0 0 k 1 0 0 1 K /GS0 gs 100 w 50 50 100 100 re S Q",
                         std::string("1 G 1 Tr ") + text, triangle)},
        {"a glyph strokes where the mode paints nothing",
         Type3MaskedPage("q 1 0 0 1 k 0.5 0 0 0 K /GS0 gs 10 10 180 180 re f Q", std::string("3 Tr ") + text,
                         cross)},
    };
    for (const auto& page : pages) {
        SCOPED_TRACE(page.what);
        const std::string file = WriteFile("type3.pdf", page.page);
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(run.m_err.find("may lack"), std::string::npos) << run.m_err;
        const std::vector<GrayPlate> theirs = TS_MutoolPlates(file, m_docs.File("type3.pam"), kDpi);
        const GrayPlate cyan = TS_ReadPlatePng(m_out.File("plate-0-Cyan.png"));
        const GrayPlate black = TS_ReadPlatePng(m_out.File("plate-3-Black.png"));
        EXPECT_GT(InkOf(cyan), 1000.0);
        EXPECT_NEAR(InkOf(cyan), InkOf(black), InkOf(black) * 0.01);
        {
            SCOPED_TRACE("Cyan");
            TS_ExpectNearMutool(cyan, theirs[0], 0.97);
        }
        {
            SCOPED_TRACE("Black");
            TS_ExpectNearMutool(black, theirs[3], 0.97);
        }
    }
}

}  // namespace
