// The drawing matrix, update rectangle, page area and resized centre, with
// numbers worked out by hand, and the plates the program keeps of them.
// 16.16 terms are v × 65536 rounded half up.
#include "Exchange/ZOVA/ZOVA_PlateGeometry.h"
#include "viewer/program/VIEW_PageFrame.h"
#include "viewer/program/VIEW_ProgramViewSize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

namespace {

struct Row {
    const char* name;
    int32_t width, height, dpi;
    double cx, cy;
    int rotation;
    double pageWidth, pageHeight;
    PDFL_FixedMatrix matrix;
    PDFL_FixedRect update;
    int32_t left, top, right, bottom;
};

const Row kRows[] = {
    // Letter at Fit in 400 × 400: 36 dpi, the page 306 × 396 pixels from (47, 2).
    {"letter at 36 dpi", 400, 400, 36, 306, 396, 0, 612, 792,
     {32768, 0, 0, -32768, -10027008 + 13107200, 12976128 + 13107200},
     {20054016 - 26214400, 25952256 - 26214400, 20054016 - 26214400 + 52428800,
      25952256 - 26214400 + 52428800},
     47, 2, 354, 399},
    // Edges between pixels: the page moves a quarter pixel left and up, to
    // 40 and 61, and the window shows the page from the moved centre
    // (10.5, 10.5).
    {"fractional edges", 101, 101, 72, 10.25, 10.75, 0, 50, 50,
     {65536, 0, 0, -65536, 40 * 65536, 61 * 65536},
     {-40 * 65536, -40 * 65536, 61 * 65536, 61 * 65536},
     40, 11, 91, 62},
    // A quarter turn: the page's y runs across, its x down; the update
    // rectangle is H wide and W high.
    {"rotated 90", 120, 80, 72, 10, 20, 90, 400, 600,
     {0, 65536, 65536, 0, -1310720 + 3932160, -655360 + 2621440},
     {655360 - 2621440, 1310720 - 3932160, 655360 - 2621440 + 5242880,
      1310720 - 3932160 + 7864320},
     40, 30, 121, 81},
    {"rotated 180", 100, 100, 72, 30, 40, 180, 200, 100,
     {-65536, 0, 0, 65536, 1966080 + 3276800, -2621440 + 3276800},
     {1966080 - 3276800, 2621440 - 3276800, 1966080 - 3276800 + 6553600,
      2621440 - 3276800 + 6553600},
     0, 10, 81, 101},
    {"rotated 270 at 144 dpi", 100, 100, 144, 80, 25, 270, 100, 50,
     {0, -131072, -131072, 0, 3276800 + 3276800, 10485760 + 3276800},
     {5242880 - 1638400, 1638400 - 1638400, 5242880 - 1638400 + 3276800,
      1638400 - 1638400 + 3276800},
     0, 10, 101, 101},
};

}  // namespace

TEST(ZOVA_PlateGeometry, MatrixUpdateRectangleAndPageArea) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        ZOVA_PlateGeometry g{};
        ASSERT_TRUE(ZOVA_MakePlateGeometry(row.width, row.height, row.dpi, GLIB_Point(row.cx, row.cy),
                                           row.rotation, row.pageWidth, row.pageHeight, g));
        EXPECT_EQ(g.m_matrix.m_a, row.matrix.m_a);
        EXPECT_EQ(g.m_matrix.m_b, row.matrix.m_b);
        EXPECT_EQ(g.m_matrix.m_c, row.matrix.m_c);
        EXPECT_EQ(g.m_matrix.m_d, row.matrix.m_d);
        EXPECT_EQ(g.m_matrix.m_h, row.matrix.m_h);
        EXPECT_EQ(g.m_matrix.m_v, row.matrix.m_v);
        EXPECT_EQ(g.m_update.m_left, row.update.m_left);
        EXPECT_EQ(g.m_update.m_bottom, row.update.m_bottom);
        EXPECT_EQ(g.m_update.m_right, row.update.m_right);
        EXPECT_EQ(g.m_update.m_top, row.update.m_top);
        EXPECT_EQ(g.m_areaLeft, row.left);
        EXPECT_EQ(g.m_areaTop, row.top);
        EXPECT_EQ(g.m_areaRight, row.right);
        EXPECT_EQ(g.m_areaBottom, row.bottom);
    }
}

TEST(ZOVA_PlateGeometry, AQuarterTurnSwapsTheUpdateExtents) {
    for (const int rotation : {0, 90, 180, 270}) {
        SCOPED_TRACE(rotation);
        ZOVA_PlateGeometry g{};
        ASSERT_TRUE(ZOVA_MakePlateGeometry(300, 200, 72, GLIB_Point(306, 396), rotation, 612, 792, g));
        const bool quarter = rotation % 180 != 0;
        EXPECT_EQ(g.m_update.m_right - g.m_update.m_left, (quarter ? 200 : 300) * 65536);
        EXPECT_EQ(g.m_update.m_top - g.m_update.m_bottom, (quarter ? 300 : 200) * 65536);
    }
}

TEST(ZOVA_PlateGeometry, FarCentresSaturateEveryTerm) {
    // s = 2400 / 72: s · cx is far beyond 16.16; each term and each sum
    // stops at the 32-bit range instead of wrapping.
    ZOVA_PlateGeometry g{};
    ASSERT_TRUE(ZOVA_MakePlateGeometry(2048, 2048, 2400, GLIB_Point(1e7, -1e7), 0, 100, 100, g));
    EXPECT_EQ(g.m_matrix.m_h, INT32_MIN + 1024 * 65536);
    EXPECT_EQ(g.m_matrix.m_v, INT32_MIN + 1024 * 65536);
    // W / 2s = 30.72, rounded to -2013266; W / s = 61.44, to 4026532.
    EXPECT_EQ(g.m_update.m_left, INT32_MAX - 2013266);
    EXPECT_EQ(g.m_update.m_right, INT32_MAX);
    EXPECT_EQ(g.m_update.m_bottom, INT32_MIN);
    EXPECT_EQ(g.m_update.m_top, INT32_MIN + 4026532);
    // The page lies far off to the left and above: it covers nothing.
    EXPECT_EQ(g.m_areaLeft, 0);
    EXPECT_EQ(g.m_areaRight, 0);
    EXPECT_EQ(g.m_areaTop, 0);
    EXPECT_EQ(g.m_areaBottom, 0);
}

TEST(ZOVA_PlateGeometry, OnlyQuarterTurnsAreRotations) {
    ZOVA_PlateGeometry g{};
    g.m_areaLeft = 7;
    EXPECT_FALSE(ZOVA_MakePlateGeometry(100, 100, 72, GLIB_Point(0, 0), 45, 100, 100, g));
    EXPECT_EQ(g.m_areaLeft, 7);
    GLIB_Point center(1, 2);
    EXPECT_FALSE(ZOVA_ResizedCenter(100, 100, 200, 200, 72, 1, 360, 100, 100, center));
    EXPECT_EQ(center.X(), 1);
    EXPECT_EQ(center.Y(), 2);
}

TEST(ZOVA_PlateGeometry, ResizedCentreByHand) {
    // 100 × 100 to 140 × 120 at 144 dpi and 2x: ex = 40 · 72 / 144 / 2 / 2 = 5,
    // ey = 2.5.
    const struct {
        int rotation;
        double x, y;
    } rows[] = {{0, 105, 97.5}, {90, 102.5, 105}, {180, 95, 102.5}, {270, 97.5, 95}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.rotation);
        GLIB_Point center(100, 100);
        ASSERT_TRUE(ZOVA_ResizedCenter(100, 100, 140, 120, 144, 2, row.rotation, 612, 792, center));
        EXPECT_DOUBLE_EQ(center.X(), row.x);
        EXPECT_DOUBLE_EQ(center.Y(), row.y);
    }
}

TEST(ZOVA_PlateGeometry, AResizedCentreStaysInsideThePageBox) {
    GLIB_Point center(600, 10);
    ASSERT_TRUE(ZOVA_ResizedCenter(100, 100, 200, 300, 72, 1, 0, 612, 792, center));
    EXPECT_EQ(center.X(), 612);
    EXPECT_EQ(center.Y(), 0);
}

// The page point the matrix puts at window pixel (0, 0), found by solving
// the matrix: resizing must leave it where it was.
TEST(ZOVA_PlateGeometry, ResizingKeepsThePagePointAtTheTopLeftCorner) {
    const auto cornerPoint = [](const ZOVA_PlateGeometry& g) {
        const double a = g.m_matrix.m_a / 65536.0, b = g.m_matrix.m_b / 65536.0;
        const double c = g.m_matrix.m_c / 65536.0, d = g.m_matrix.m_d / 65536.0;
        const double e = g.m_matrix.m_h / 65536.0, f = g.m_matrix.m_v / 65536.0;
        const double det = a * d - b * c;
        return GLIB_Point((-e * d + f * c) / det, (-f * a + e * b) / det);
    };
    for (const int rotation : {0, 90, 180, 270}) {
        SCOPED_TRACE(rotation);
        GLIB_Point center(300, 400);
        ZOVA_PlateGeometry before{}, after{};
        ASSERT_TRUE(ZOVA_MakePlateGeometry(200, 100, 144, center, rotation, 612, 792, before));
        ASSERT_TRUE(ZOVA_ResizedCenter(200, 100, 260, 180, 144, 1, rotation, 612, 792, center));
        ASSERT_TRUE(ZOVA_MakePlateGeometry(260, 180, 144, center, rotation, 612, 792, after));
        EXPECT_NEAR(cornerPoint(after).X(), cornerPoint(before).X(), 1e-3);
        EXPECT_NEAR(cornerPoint(after).Y(), cornerPoint(before).Y(), 1e-3);
    }
}

// Wherever the centre is, the host's matrix puts the turned page's top-left
// corner on a pixel corner, moving the page at most half a pixel, and the
// update rectangle is what that matrix puts in the window.
TEST(ZOVA_PlateGeometry, ThePagesTopLeftCornerLiesOnAPixelCorner) {
    const double unit = 1.0 / 65536;
    for (const int rotation : {0, 90, 180, 270})
        for (const int dpi : {150, 300, 600, 1200, 2400})
            for (const GLIB_Point& center : {GLIB_Point(127.559, 70.866), GLIB_Point(100.3, 40.07),
                                             GLIB_Point(306, 396), GLIB_Point(0.01, 141.7)}) {
                SCOPED_TRACE(std::to_string(rotation) + " " + std::to_string(dpi) + " " +
                             std::to_string(center.X()) + "," + std::to_string(center.Y()));
                const double pw = 255.118, ph = 141.732;
                const int32_t width = 1063, height = 591;
                ZOVA_PlateGeometry g{};
                ASSERT_TRUE(ZOVA_MakePlateGeometry(width, height, dpi, center, rotation, pw, ph, g));
                const PDFL_FixedMatrix& m = g.m_matrix;
                const auto x = [&](double px, double py) { return (m.m_a * px + m.m_c * py + m.m_h) * unit; };
                const auto y = [&](double px, double py) { return (m.m_b * px + m.m_d * py + m.m_v) * unit; };
                double left = 1e300, top = 1e300;
                for (const double px : {0.0, pw})
                    for (const double py : {0.0, ph}) {
                        left = std::min(left, x(px, py));
                        top = std::min(top, y(px, py));
                    }
                EXPECT_NEAR(left, std::round(left), 2 * unit);
                EXPECT_NEAR(top, std::round(top), 2 * unit);

                // Against the matrix made straight from the centre.
                const double s = dpi / 72.0;
                const double cx = center.X(), cy = center.Y();
                const double w2 = width / 2.0, h2 = height / 2.0;
                const double e = rotation == 0 ? -s * cx + w2 : rotation == 90 ? -s * cy + w2
                                 : rotation == 180 ? s * cx + w2 : s * cy + w2;
                const double f = rotation == 0 ? s * cy + h2 : rotation == 90 ? -s * cx + h2
                                 : rotation == 180 ? -s * cy + h2 : s * cx + h2;
                EXPECT_LE(std::fabs(m.m_h * unit - e), 0.5 + 1e-3);
                EXPECT_LE(std::fabs(m.m_v * unit - f), 0.5 + 1e-3);

                // The update rectangle's corners land on the window's.
                const PDFL_FixedRect& u = g.m_update;
                double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
                for (const double px : {u.m_left * unit, u.m_right * unit})
                    for (const double py : {u.m_bottom * unit, u.m_top * unit}) {
                        x0 = std::min(x0, x(px, py));
                        x1 = std::max(x1, x(px, py));
                        y0 = std::min(y0, y(px, py));
                        y1 = std::max(y1, y(px, py));
                    }
                const double slack = 2e-4 * s + 0.01;
                EXPECT_NEAR(x0, 0, slack);
                EXPECT_NEAR(y0, 0, slack);
                EXPECT_NEAR(x1, width, slack);
                EXPECT_NEAR(y1, height, slack);
            }
}

// Each side of S points at D dpi is round(S × D / 72) pixels, in the
// plug-in's page area and in the plates the program keeps, for sides a
// whole number of pixels and a half at 150 dpi (their last column half
// covered) as for the same sides at 300 and 600: as widths and as heights,
// upright and turned, with the page's corner aimed at the window's and a
// quarter pixel either side of it.
TEST(ZOVA_PlateGeometry, EverySideIsItsPointsAtTheResolutionRounded) {
    for (const double side : {90, 186, 402, 570, 594, 618, 858})
        for (const bool asWidth : {true, false})
            for (const int rotation : {0, 90})
                for (const int dpi : {150, 300, 600})
                    for (const double off : {-0.25, 0.0, 0.25}) {
                        SCOPED_TRACE(std::to_string(side) + (asWidth ? " wide" : " high") + ", rotated " +
                                     std::to_string(rotation) + ", " + std::to_string(dpi) + " dpi, " +
                                     std::to_string(off) + " px off");
                        const double pw = asWidth ? side : 300, ph = asWidth ? 300 : side;
                        const double s = dpi / 72.0;
                        const bool turned = rotation == 90;
                        const double across = turned ? ph : pw, down = turned ? pw : ph;
                        const VIEW_ViewSize view = VIEW_ViewSize::For(pw, ph, rotation, dpi);
                        // The centre that puts the turned page's top-left
                        // corner off pixels right of and below the window's.
                        const double u = (view.m_width / 2.0 - off) / s, v = (view.m_height / 2.0 - off) / s;
                        const GLIB_Point center = turned ? GLIB_Point(v, u) : GLIB_Point(u, ph - v);
                        ZOVA_PlateGeometry g{};
                        ASSERT_TRUE(ZOVA_MakePlateGeometry(view.m_width, view.m_height, dpi, center, rotation, pw,
                                                           ph, g));
                        const int columns = static_cast<int>(std::floor(across * s + 0.5));
                        const int rows = static_cast<int>(std::floor(down * s + 0.5));
                        EXPECT_EQ(g.m_areaLeft, 0);
                        EXPECT_EQ(g.m_areaTop, 0);
                        EXPECT_EQ(g.m_areaRight - 1, columns);
                        EXPECT_EQ(g.m_areaBottom - 1, rows);

                        const PDFL_FixedMatrix& m = g.m_matrix;
                        const double matrix[6] = {m.m_a / 65536.0, m.m_b / 65536.0, m.m_c / 65536.0,
                                                  m.m_d / 65536.0, m.m_h / 65536.0, m.m_v / 65536.0};
                        const VIEW_PageFrame frame(matrix, pw, ph, dpi, view.m_width, view.m_height, 1);
                        EXPECT_TRUE(frame.PlatesHoldThePage());
                        EXPECT_EQ(frame.PlatePixels().m_left, 0);
                        EXPECT_EQ(frame.PlatePixels().m_top, 0);
                        EXPECT_EQ(frame.PlatePixels().Width(), columns);
                        EXPECT_EQ(frame.PlatePixels().Height(), rows);
                    }
}
