// The plates and the preview on the page's own pixel grid: against
// Ghostscript's tiffsep of the same file at the same resolution, the same
// size, a frame drawn on the page's very edge in their first and last rows
// and columns, and a mark where tiffsep has it; a page larger than the view
// keeps a part that inks.txt names in the page's own pixels.
#include "TS_ProgramFixture.h"
#include "support/GhostscriptRenderer.h"
#include "support/PdfText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

struct MadePage {
    const char* m_name;
    double m_width, m_height;  // of the box the page is shown by
    double m_left = 0, m_bottom = 0;  // that box's corner; a crop box when not 0 0
    int m_rotate = 0;
};

const MadePage kLetter{"letter", 612, 792};
const MadePage kA4{"a4", 595.276, 841.89};
const MadePage kSmall{"small", 255.118, 141.732};
const MadePage kCropped{"cropped", 300.35, 200.65, 37.35, 21.9};
const MadePage kTurned{"turned", 255.118, 141.732, 0, 0, 90};
// 1237.5 x 625 pixels at 150 dpi: the last column is half the page's.
const MadePage kWide{"wide", 594, 300};

std::string Num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", v);
    return text;
}

std::string Rect(double x, double y, double w, double h) {
    return Num(x) + " " + Num(y) + " " + Num(w) + " " + Num(h) + " re f\n";
}

// A black frame one point wide on the box's very edge, a 20-point square
// mark 10 points in from its lower-left corner, and a 10-point square at
// (x, y) from that corner.
std::string FramedPdf(const MadePage& page, double x, double y) {
    const double l = page.m_left, b = page.m_bottom, w = page.m_width, h = page.m_height;
    std::string content = "0 0 0 1 k\n" + Rect(l, b, w, 1) + Rect(l, b + h - 1, w, 1) + Rect(l, b, 1, h) +
                          Rect(l + w - 1, b, 1, h) + Rect(l + 10, b + 10, 20, 20) + Rect(l + x, b + y, 10, 10);
    // Ink outside a crop box that must not show.
    std::string box = "/MediaBox [0 0 " + Num(w) + " " + Num(h) + "]";
    if (l > 0) {
        content += Rect(0, 0, l, b + h) + Rect(0, 0, l + w, b);
        box = "/MediaBox [0 0 " + Num(l + w + 15) + " " + Num(b + h + 12) + "] /CropBox [" + Num(l) + " " +
              Num(b) + " " + Num(l + w) + " " + Num(b + h) + "]";
    }
    if (page.m_rotate)
        box += " /Rotate " + std::to_string(page.m_rotate);
    return PdfText("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                "<< /Type /Page /Parent 2 0 R " + box + " /Contents 4 0 R >>",
                                "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                                    "endstream"});
}

struct Box {
    int m_left = 1 << 30, m_top = 1 << 30, m_right = -1, m_bottom = -1;  // inclusive
};

// The inked pixels of plate inside the given bounds.
Box InkedWithin(const GrayPlate& plate, int x0, int y0, int x1, int y1) {
    Box box;
    for (int y = std::max(y0, 0); y < std::min(y1, plate.height); ++y)
        for (int x = std::max(x0, 0); x < std::min(x1, plate.width); ++x)
            if (plate.At(x, y) < 128) {
                box.m_left = std::min(box.m_left, x);
                box.m_top = std::min(box.m_top, y);
                box.m_right = std::max(box.m_right, x);
                box.m_bottom = std::max(box.m_bottom, y);
            }
    return box;
}

// Every pixel of a row or a column carries ink.
bool RowInked(const GrayPlate& plate, int y) {
    for (int x = 0; x < plate.width; ++x)
        if (plate.At(x, y) >= 128)
            return false;
    return true;
}

bool ColumnInked(const GrayPlate& plate, int x) {
    for (int y = 0; y < plate.height; ++y)
        if (plate.At(x, y) >= 128)
            return false;
    return true;
}

// The four numbers of the inks.txt line that starts with word; empty
// without one.
std::vector<double> RectLine(const std::string& inks, const std::string& word) {
    const size_t at = inks.find("\n" + word + " ");
    if (at == std::string::npos)
        return {};
    std::vector<double> rect(4, 0);
    std::sscanf(inks.c_str() + at + word.size() + 2, "%lf %lf %lf %lf", &rect[0], &rect[1], &rect[2], &rect[3]);
    return rect;
}

class TS_PageRasterTest : public TS_ProgramTest {
protected:
    void CheckAgainstTiffsep(const MadePage& page, const std::string& dpi) {
        SCOPED_TRACE(std::string(page.m_name) + " at " + dpi);
        const std::string file = WriteFile(std::string(page.m_name) + ".pdf", FramedPdf(page, 100, 60));
        const TS_Run run = RunFullScreen(WithOut({file, "--dpi", dpi}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const std::string inks = ReadWholeFile(m_out.File("inks.txt"));
        int used = 0;
        ASSERT_EQ(std::sscanf(inks.c_str(), "dpi %d", &used), 1) << inks;
        EXPECT_EQ(inks.find("\narea "), std::string::npos) << "the plates hold the whole page: " << inks;

        const std::map<std::string, GrayPlate> tiffsep =
            GhostscriptRenderer::Separations(file, used, GhostscriptPages{page.m_left > 0, 1, 1});
        ASSERT_TRUE(tiffsep.count("Black"));
        const GrayPlate& expected = tiffsep.at("Black");
        const GrayPlate black = TS_ReadPlatePng(m_out.File("plate-3-Black.png"));
        const PngPixels preview = Output("preview.png");
        ASSERT_EQ(black.width, expected.width);
        ASSERT_EQ(black.height, expected.height);
        EXPECT_EQ(preview.m_width, expected.width);
        EXPECT_EQ(preview.m_height, expected.height);

        EXPECT_TRUE(RowInked(black, 0));
        EXPECT_TRUE(RowInked(black, black.height - 1));
        EXPECT_TRUE(ColumnInked(black, 0));
        EXPECT_TRUE(ColumnInked(black, black.width - 1));
        // The preview shows the frame in the ink's colour too, as it shows
        // the marks: no grey row or column of the surround, nor paper, at
        // its edges.
        const int in = static_cast<int>(std::ceil(used / 72.0)) + 2;
        const Box ours = InkedWithin(black, in, in, black.width - in, black.height - in);
        ASSERT_GE(ours.m_right, 0) << "the marks are on the Black plate";
        // A pixel the mark covers whole: its edge pixels hold part of the ink.
        int markX = -1, markY = -1;
        for (int y = ours.m_top; y <= ours.m_bottom && markX < 0; ++y)
            for (int x = ours.m_left; x <= ours.m_right && markX < 0; ++x)
                if (black.At(x, y) == 0)
                    markX = x, markY = y;
        ASSERT_GE(markX, 0) << "a mark covers a pixel whole";
        const uint32_t ink = TS_Rgb(preview, markX, markY);
        // The preview's colour is a function of the Black plate's value alone
        // here; an edge the page covers only in part holds part of the ink.
        std::map<int, uint32_t> shade;
        for (int y = in; y < black.height - in; ++y)
            for (int x = in; x < black.width - in; ++x)
                shade.emplace(black.At(x, y), TS_Rgb(preview, x, y));
        for (const auto& at : {std::pair<int, int>{preview.m_width / 2, 0}, {0, preview.m_height / 2},
                               {preview.m_width / 2, preview.m_height - 1}, {preview.m_width - 1, preview.m_height / 2}}) {
            const int value = black.At(at.first, at.second);
            const uint32_t seen = TS_Rgb(preview, at.first, at.second);
            if (value == 0) {
                EXPECT_EQ(seen, ink) << at.first << "," << at.second;
            } else if (shade.count(value)) {
                EXPECT_EQ(seen, shade.at(value)) << at.first << "," << at.second << " holds " << value;
            }
            EXPECT_LT(value, 128) << at.first << "," << at.second << ": the frame covers most of it";
        }

        // Inside the frame, the two marks where tiffsep has them, whatever
        // the turn: Ghostscript inks every pixel a mark touches, the drawing
        // those whose middle it covers, so a side may be a pixel short.
        const Box theirs = InkedWithin(expected, in, in, expected.width - in, expected.height - in);
        EXPECT_LE(std::abs(ours.m_left - theirs.m_left), 1) << ours.m_left << " " << theirs.m_left;
        EXPECT_LE(std::abs(ours.m_top - theirs.m_top), 1) << ours.m_top << " " << theirs.m_top;
        EXPECT_LE(std::abs(ours.m_right - theirs.m_right), 1) << ours.m_right << " " << theirs.m_right;
        EXPECT_LE(std::abs(ours.m_bottom - theirs.m_bottom), 1) << ours.m_bottom << " " << theirs.m_bottom;
    }
};

TEST_F(TS_PageRasterTest, PlatesAreTiffsepsSizeWithTheEdgeFrameInTheirOuterRowsAndColumns) {
    for (const MadePage& page : {kLetter, kA4, kSmall, kCropped, kTurned})
        for (const char* dpi : {"150", "300", "600", "fit"})
            CheckAgainstTiffsep(page, dpi);
    CheckAgainstTiffsep(kSmall, "1200");
}

TEST_F(TS_PageRasterTest, APageWhoseWidthEndsHalfwayThroughAPixelKeepsThatColumn) {
    CheckAgainstTiffsep(kWide, "150");
}

// At 1200 dpi Letter and A4 pass 8192 pixels: the view holds the page's
// middle, and the area line gives it as whole pixels of the page's raster,
// where a mark lands where that part puts it.
TEST_F(TS_PageRasterTest, APageLargerThanTheViewKeepsAPartNamedInItsOwnPixels) {
    for (const MadePage& page : {kLetter, kA4}) {
        SCOPED_TRACE(page.m_name);
        const double s = 1200 / 72.0;
        const std::string file = WriteFile(std::string(page.m_name) + ".pdf", FramedPdf(page, 290, 400));
        const TS_Run run = RunFullScreen(WithOut({file, "--dpi", "1200"}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const std::string inks = ReadWholeFile(m_out.File("inks.txt"));
        const std::vector<double> area = RectLine(inks, "area");
        ASSERT_EQ(area.size(), 4u) << inks;
        EXPECT_EQ(RectLine(inks, "preview"), area);
        const GrayPlate black = TS_ReadPlatePng(m_out.File("plate-3-Black.png"));
        const double columns = std::floor(page.m_width * s + 0.5), rows = std::floor(page.m_height * s + 0.5);
        EXPECT_EQ(black.width, std::min(columns, 8192.0));
        EXPECT_EQ(black.height, 8192);

        // Columns from the page's left edge, rows from its top edge.
        const double left = area[0] * s, right = area[2] * s;
        const double top = (page.m_height - area[3]) * s, bottom = (page.m_height - area[1]) * s;
        for (const double pixel : {left, right, top, bottom})
            EXPECT_NEAR(pixel, std::round(pixel), 1e-3) << inks;
        EXPECT_NEAR(right - left, black.width, 1e-3);
        EXPECT_NEAR(bottom - top, black.height, 1e-3);
        EXPECT_GE(left, 0);
        EXPECT_LE(right, columns);
        EXPECT_GE(top, 0);
        EXPECT_LE(bottom, rows);
        // The middle of the page: as many pixels cut on either side, within one.
        EXPECT_LE(std::fabs(left - (columns - right)), 1.0);
        EXPECT_LE(std::fabs(top - (rows - bottom)), 1.0);

        // The 10-point square at (290, 400): the frame and the other mark
        // are cut away.
        const Box mark = InkedWithin(black, 0, 0, black.width, black.height);
        const double markLeft = 290 * s - left, markTop = (page.m_height - 410) * s - top;
        EXPECT_NEAR(mark.m_left, markLeft, 1.0);
        EXPECT_NEAR(mark.m_right + 1, markLeft + 10 * s, 1.0);
        EXPECT_NEAR(mark.m_top, markTop, 1.0);
        EXPECT_NEAR(mark.m_bottom + 1, markTop + 10 * s, 1.0);
    }
}

}  // namespace
