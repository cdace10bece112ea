// Where the page lies in the view from the host's matrix: the page's own
// raster (its top-left corner on a pixel corner, sides rounded as a page
// rendered alone has them), under rotation and the host's 16.16
// scale, the part the view holds and the page part a magnified preview
// shows.
#include "viewer/program/VIEW_PageFrame.h"

#include <gtest/gtest.h>

namespace {

void ExpectPixels(const VIEW_PixelRect& r, int left, int top, int right, int bottom) {
    EXPECT_EQ(r.m_left, left);
    EXPECT_EQ(r.m_top, top);
    EXPECT_EQ(r.m_right, right);
    EXPECT_EQ(r.m_bottom, bottom);
}

TEST(TS_PageFrame, TheRasterStartsAtTheNearestBoundaryAndShowsThePartAsked) {
    // 200 x 100 points at 300 dpi, centred in 834 x 417 pixels: 833.33 x
    // 416.67 from (0.33, 0.17); the corner goes to (0, 0) and the raster is
    // 833 x 417, its last row a third below the page.
    const double s = 300.0 / 72;
    const double upright[6] = {s, 0, 0, -s, 417 - s * 100, 208.5 + s * 50};
    const VIEW_PageFrame frame(upright, 200, 100, 300, 834, 417, 1);
    ExpectPixels(frame.PlatePixels(), 0, 0, 833, 417);
    EXPECT_TRUE(frame.PlatesHoldThePage());
    const VIEW_PageRect area = frame.PlateArea();
    EXPECT_NEAR(area.m_x0, 0, 1e-9);
    EXPECT_NEAR(area.m_x1, 833 / s, 1e-9);
    EXPECT_NEAR(area.m_y0, 100 - 417 / s, 1e-9);
    EXPECT_NEAR(area.m_y1, 100, 1e-9);

    // Turned by 90: the page's height runs across the view, its x down.
    const double turned[6] = {0, s, s, 0, 208.5 - s * 50, 417 - s * 100};
    ExpectPixels(VIEW_PageFrame(turned, 200, 100, 300, 417, 834, 1).PlatePixels(), 0, 0, 417, 833);

    // Magnified 4 times, the preview shows the middle quarter of each side.
    const VIEW_PageFrame magnified(upright, 200, 100, 300, 834, 417, 4);
    EXPECT_EQ(magnified.PreviewPixels().Width(), 833);
    const VIEW_PageRect shown = magnified.PreviewArea();
    EXPECT_NEAR(shown.m_x0, (417 - 417 / 4.0) / s, 1e-9);
    EXPECT_NEAR(shown.m_x1, (417 + 416 / 4.0) / s, 1e-9);
    EXPECT_NEAR(shown.m_y0, 100 - (208.5 + 208.5 / 4) / s, 1e-9);
    EXPECT_NEAR(shown.m_y1, 100 - (208.5 - 208.5 / 4) / s, 1e-9);
}

TEST(TS_PageFrame, TheHostsFixedPointScaleLosesNoRowOrColumn) {
    // Letter at 150 dpi: 136533/65536 pixels a point puts the far edges
    // 0.002 pixels out, and a centre a little off the near edges 0.004 in.
    const double a = 136533 / 65536.0;
    const double m[6] = {a, 0, 0, -a, 0.004, 1649.996};
    const VIEW_PageFrame frame(m, 612, 792, 150, 1275, 1650, 1);
    ExpectPixels(frame.PlatePixels(), 0, 0, 1275, 1650);
    EXPECT_TRUE(frame.PlatesHoldThePage());

    // 255.118 x 141.732 points: 531.50 x 295.28 pixels at 150 dpi, 1062.99 x
    // 590.55 at 300; a raster rounds them half up.
    const struct {
        int dpi, viewWidth, viewHeight, width, height;
    } rows[] = {{150, 532, 296, 531, 295}, {300, 1063, 591, 1063, 591}, {1200, 4252, 2363, 4252, 2362}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dpi);
        const double s = row.dpi / 72.0;
        const double small[6] = {s, 0, 0, -s, 0, s * 141.732};
        const VIEW_PageFrame page(small, 255.118, 141.732, row.dpi, row.viewWidth, row.viewHeight, 1);
        ExpectPixels(page.PlatePixels(), 0, 0, row.width, row.height);
        // Drawn 1.42 pixels in from the left, as a centre off the middle
        // puts it: the raster starts at the nearest boundary, 1.
        const double off[6] = {s, 0, 0, -s, 1.42, s * 141.732 + 0.3};
        const VIEW_PageFrame shifted(off, 255.118, 141.732, row.dpi, row.viewWidth + 1, row.viewHeight, 1);
        ExpectPixels(shifted.PlatePixels(), 1, 0, row.width + 1, row.height);
    }
}

TEST(TS_PageFrame, APageLargerThanTheViewNamesItsPartInWholePixels) {
    // Letter at 1200 dpi is 10200 x 13200 pixels; the 8192-pixel view holds
    // columns 1004 to 9196 and rows 2504 to 10696 of it.
    const double a = 1092267 / 65536.0, s = 1200 / 72.0;
    const double m[6] = {a, 0, 0, -a, -1004, a * 792 - 2504};
    const VIEW_PageFrame frame(m, 612, 792, 1200, 8192, 8192, 1);
    EXPECT_FALSE(frame.PlatesHoldThePage());
    ExpectPixels(frame.PagePixels(), -1004, -2504, 9196, 10696);
    ExpectPixels(frame.PlatePixels(), 0, 0, 8192, 8192);
    const VIEW_PageRect area = frame.PlateArea();
    EXPECT_NEAR(area.m_x0, 1004 / s, 1e-9);
    EXPECT_NEAR(area.m_x1, 9196 / s, 1e-9);
    EXPECT_NEAR(area.m_y0, (13200 - 10696) / s, 1e-9);
    EXPECT_NEAR(area.m_y1, (13200 - 2504) / s, 1e-9);
}

TEST(TS_PageFrame, APageSmallerThanAPixelKeepsThePixelItTouches) {
    const double m[6] = {1, 0, 0, -1, 10.2, 20.6};
    ExpectPixels(VIEW_PageFrame(m, 0.3, 0.3, 72, 40, 40, 1).PlatePixels(), 10, 20, 11, 21);
}

}  // namespace
