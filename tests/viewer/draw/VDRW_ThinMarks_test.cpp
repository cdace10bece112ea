// Marks narrower than a pixel: a stroke anywhere across a pixel, a clipped
// sliver, a hairline leave ink in the columns they cover, in proportion to
// what they cover (a stroke at least a pixel wide), and the same ink
// whichever band draws them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "VDRW_TestDib.h"
#include "viewer/cos/VCOS_Store.h"
#include "viewer/draw/VDRW_PageDrawer.h"

namespace {

constexpr double kPage = 72;  // points a side
// The marks run from 10 to 60 points up the page.
constexpr double kMarkBottom = 10, kMarkTop = 60;

// The scale the host's 16.16 matrix holds at dpi.
double HostScale(double dpi) { return std::trunc(dpi / 72 * 65536 + 0.5) / 65536; }

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", v);
    return text;
}

// The 72-point page drawn at dpi from update row `top` down, its top-left
// corner at pixel (0, 0); rows above `top` stay white.
GrayPlate DrawPage(const std::string& content, double dpi, int top = 0) {
    VCOS_Store store;
    const VCOS_DocId doc = VDRW_OnePageDoc(store, "/MediaBox [0 0 72 72]", content);
    const double s = HostScale(dpi);
    const int side = static_cast<int>(std::ceil(kPage * s)) + 2;
    VDRW_TestDib dib(side, side);
    VDRW_PageDrawer(store).Draw(doc, 0, VDRW_Matrix(s, 0, 0, -s, 0, s * kPage), dib.DC(),
                                VDRW_Rect(0, 0, kPage, kPage - top / s), nullptr, nullptr);
    return dib.Blue();
}

// A vertical mark of the page as the pixels see it: left and right edges
// (pixels from the page's left edge) and the ink it leaves per column.
struct Mark {
    double m_left, m_right;
    // False where MuPDF clips to whole pixels (a rectangle), which inks
    // the pixel the clip's side crosses as far as the mark covers it.
    bool m_proportional = true;

    double Covers(int column) const {
        return std::max(0.0, std::min(m_right, column + 1.0) - std::max(m_left, static_cast<double>(column)));
    }
};

int Ink(const GrayPlate& plate, int x, int y) { return 255 - plate.At(x, y); }

// Every column the mark covers by two sub-samples' worth (MuPDF samples 17
// times across a pixel) is inked on every row the mark covers whole;
// columns and rows a tenth of a pixel clear of it are not; across a row the
// ink adds up to the mark's width within two sub-samples at each edge (MuPDF
// widens a path's edges to whole sub-samples).
void ExpectInkOf(const GrayPlate& plate, const Mark& mark, double s) {
    const int firstRow = static_cast<int>(std::ceil((kPage - kMarkTop) * s));
    const int lastRow = static_cast<int>(std::floor((kPage - kMarkBottom) * s)) - 1;
    const int middle = (firstRow + lastRow) / 2;
    int sum = 0;
    for (int x = 0; x < plate.width; ++x) {
        const double covers = mark.Covers(x);
        sum += Ink(plate, x, middle);
        if (covers >= 2.0 / 17) {
            for (int y = firstRow; y <= lastRow; ++y)
                if (Ink(plate, x, y) == 0) {
                    ADD_FAILURE() << "no ink at column " << x << " row " << y << ", which the mark covers by "
                                  << covers << " px";
                    break;
                }
        }
        if (x + 1 <= mark.m_left - 0.1 || x >= mark.m_right + 0.1) {
            EXPECT_EQ(Ink(plate, x, middle), 0) << "column " << x << " is clear of the mark";
        }
    }
    if (mark.m_proportional) {
        EXPECT_NEAR(sum, 255 * (mark.m_right - mark.m_left), 255 * 4.0 / 17) << "ink across row " << middle;
    } else {
        EXPECT_LE(sum, 255 * (std::ceil(mark.m_right) - std::floor(mark.m_left))) << "ink across row " << middle;
    }
    const int column = static_cast<int>(std::floor((mark.m_left + mark.m_right) / 2));
    EXPECT_EQ(Ink(plate, column, firstRow - 2), 0) << "above the mark";
    EXPECT_EQ(Ink(plate, column, lastRow + 3), 0) << "below the mark";
}

const double kDpis[] = {150, 300};

TEST(VDRW_ThinMarks, AStrokeClippedToASliverOfAPixelInksThatPixel) {
    // The clip's right side runs down the stroke's middle, at 100.92 px
    // from the left at 150 dpi: 0.83 px of the stroke stay, all in column
    // 100, which one sample a pixel missed.
    const std::string page = "10 10 m 48.44 10 l 48.44 60 l 10 60 l h W n 0 G .8 w 48.44 10 m 48.44 60 l S";
    for (const double dpi : kDpis) {
        SCOPED_TRACE(dpi);
        const double s = HostScale(dpi);
        const GrayPlate plate = DrawPage(page, dpi);
        ExpectInkOf(plate, Mark{(48.44 - 0.4) * s, 48.44 * s, false}, s);
        if (dpi == 150) {
            for (int y = 25; y <= 128; ++y)
                ASSERT_GT(Ink(plate, 100, y), 0) << "row " << y;
        }
    }
}

TEST(VDRW_ThinMarks, StrokesOfATenthToAWholePixelInkAPixelsWidthWhereverTheyFall) {
    for (const double dpi : kDpis) {
        const double s = HostScale(dpi);
        for (const double width : {0.1, 0.25, 0.5, 0.8, 1.0})
            for (int step = 0; step <= 10; ++step) {
                const double centre = 100 + step / 10.0;
                SCOPED_TRACE(Number(dpi) + " dpi, " + Number(width) + " px wide at " + Number(centre));
                const double x = centre / s;
                const GrayPlate plate = DrawPage("0 G " + Number(width / s) + " w " + Number(x) + " 10 m " +
                                                     Number(x) + " 60 l S",
                                                 dpi);
                ExpectInkOf(plate, Mark{centre - 0.5, centre + 0.5}, s);
            }
    }
}

TEST(VDRW_ThinMarks, AFillClippedToASliverInksTheColumnOfTheSliver) {
    // A fill from the middle of column 99 across the clip's right side,
    // which falls a tenth to nine tenths into column 100; the clip is a
    // rectangle, or not one (a second part beside it, as tall).
    for (const double dpi : kDpis) {
        const double s = HostScale(dpi);
        for (const bool rectangle : {true, false})
            for (int tenths = 1; tenths <= 9; ++tenths) {
                const double edge = 100 + tenths / 10.0;
                SCOPED_TRACE(Number(dpi) + " dpi, clip at " + Number(edge) + (rectangle ? "" : ", in two parts"));
                const std::string side = Number(edge / s);
                const std::string clip = "10 10 m " + side + " 10 l " + side + " 60 l 10 60 l h " +
                                         (rectangle ? "" : "2 10 m 4 10 l 4 60 l 2 60 l h ") + "W n ";
                const GrayPlate plate =
                    DrawPage(clip + "0 g " + Number(99.5 / s) + " 0 " + Number(3 / s) + " 72 re f", dpi);
                ExpectInkOf(plate, Mark{99.5, edge, !rectangle}, s);
            }
    }
}

TEST(VDRW_ThinMarks, AHairlineInksAPixelsWidthWhereverItFalls) {
    for (const double dpi : kDpis) {
        const double s = HostScale(dpi);
        for (int step = 0; step <= 10; ++step) {
            const double centre = 100 + step / 10.0;
            SCOPED_TRACE(Number(dpi) + " dpi, hairline at " + Number(centre));
            const std::string x = Number(centre / s);
            const GrayPlate plate = DrawPage("0 G 0 w " + x + " 10 m " + x + " 60 l S", dpi);
            ExpectInkOf(plate, Mark{centre - 0.5, centre + 0.5}, s);
        }
    }
}

TEST(VDRW_ThinMarks, ABandDrawsThinMarksAsTheWholePageDoes) {
    // Thin marks across and along the rows where bands meet, drawn whole and
    // from rows that move the band edges through them.
    const std::string page =
        "0 G .1 w 20 10 m 20 60 l S .3 w 10 40.13 m 60 40.13 l S 0 w 10 41.7 m 60 41.7 l S "
        "q 30 10 m 30.2 10 l 30.2 60 l 30 60 l h W n 0 g 29 0 3 72 re f Q";
    for (const double dpi : kDpis) {
        SCOPED_TRACE(dpi);
        const GrayPlate whole = DrawPage(page, dpi);
        for (const int top : {1, 2, 3, 4, 5, 30, 63}) {
            SCOPED_TRACE(top);
            const GrayPlate part = DrawPage(page, dpi, top);
            int differing = 0;
            for (int y = top; y < whole.height; ++y)
                for (int x = 0; x < whole.width; ++x)
                    differing += whole.At(x, y) != part.At(x, y);
            EXPECT_EQ(differing, 0);
        }
    }
}

}  // namespace
