// Type 3 glyphs advance along the line by their widths, the font's matrix
// and the text state, as on the page itself: forty square glyphs each start
// on the column where the page puts them, however long the line.
#include "TS_ProgramFixture.h"
#include "support/PdfText.h"

#include <gtest/gtest.h>

#include <cmath>
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

}  // namespace
