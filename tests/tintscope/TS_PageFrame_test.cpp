// Where the page lies in the view from the host's matrix: the pixels it
// covers whole, under rotation, and the page part a magnified preview shows.
#include "viewer/program/VIEW_PageFrame.h"

#include <gtest/gtest.h>

namespace {

TEST(TS_PageFrame, ThePixelsThePageCoversWholeAndWhatTheyShow) {
    // 200 x 100 points at 300 dpi, centred in 834 x 417 pixels: 833.33 x
    // 416.67, starting at 0.33 and 0.17.
    const double s = 300.0 / 72;
    const double upright[6] = {s, 0, 0, -s, 417 - s * 100, 208.5 + s * 50};
    const VIEW_PageFrame frame(upright, 200, 100, 834, 417, 1);
    const VIEW_PixelRect whole = frame.PlatePixels();
    EXPECT_EQ(whole.m_left, 1);
    EXPECT_EQ(whole.m_right, 833);
    EXPECT_EQ(whole.m_top, 1);
    EXPECT_EQ(whole.m_bottom, 416);
    const VIEW_PageRect area = frame.PlateArea();
    EXPECT_NEAR(area.m_x0, (1 - 0.333333) / s, 1e-4);
    EXPECT_NEAR(area.m_y1, 100 - (1 - 0.166667) / s, 1e-4);

    // Turned by 90: the page's height runs across the view.
    const double turned[6] = {0, s, s, 0, 208.5 - s * 50, 417 - s * 100};
    const VIEW_PixelRect across = VIEW_PageFrame(turned, 200, 100, 417, 834, 1).PlatePixels();
    EXPECT_EQ(across.Width(), 415);
    EXPECT_EQ(across.Height(), 832);

    // Magnified 4 times, the preview shows the middle quarter of each side.
    const VIEW_PageFrame magnified(upright, 200, 100, 834, 417, 4);
    EXPECT_EQ(magnified.PreviewPixels().Width(), whole.Width());
    const VIEW_PageRect shown = magnified.PreviewArea();
    EXPECT_NEAR(shown.m_x0, 75, 0.3);
    EXPECT_NEAR(shown.m_x1, 125, 0.3);
    EXPECT_NEAR(shown.m_y0, 37.5, 0.3);
    EXPECT_NEAR(shown.m_y1, 62.5, 0.3);
}

TEST(TS_PageFrame, APageSmallerThanAPixelKeepsThePixelItTouches) {
    const double m[6] = {1, 0, 0, -1, 10.2, 20.6};
    const VIEW_PixelRect pixel = VIEW_PageFrame(m, 0.3, 0.3, 40, 40, 1).PlatePixels();
    EXPECT_EQ(pixel.m_left, 10);
    EXPECT_EQ(pixel.m_right, 11);
    EXPECT_EQ(pixel.m_top, 20);
    EXPECT_EQ(pixel.m_bottom, 21);
}

}  // namespace
