// The view window's size, worked out by hand: points x dpi / 72, rounded
// up, sides swapped for quarter turns, Fit at 100 dpi, 8192 at most, and a
// screen of at least 1024 x 768.
#include "viewer/program/VIEW_ProgramViewSize.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TS_ViewSize, PageBoxAtTheResolutionRoundedUpAndTurned) {
    const struct {
        double w, h;
        int rotate, dpi;
        int width, height;
        bool cut;
        int screenW, screenH;
    } cases[] = {
        // US Letter at 150: 1275 x 1650 exactly.
        {612, 792, 0, 150, 1275, 1650, false, 1275, 1650},
        // Fit is 100 dpi: 850 x 1100.
        {612, 792, 0, 0, 850, 1100, false, 1024, 1100},
        {612, 792, 90, 0, 1100, 850, false, 1100, 850},
        {612, 792, 180, 0, 850, 1100, false, 1024, 1100},
        {612, 792, 270, 300, 3300, 2550, false, 3300, 2550},
        // A4 at 300: 595.276 x 841.89 pt is 2480.32 x 3507.88 px, up to 2481 x 3508.
        {595.276, 841.89, 0, 300, 2481, 3508, false, 2481, 3508},
        // 200 x 100 at 150: 416.67 x 208.33, up to 417 x 209; the screen stays 1024 x 768.
        {200, 100, 0, 150, 417, 209, false, 1024, 768},
        // US Letter at 1200: 10200 x 13200, cut to 8192 both ways.
        {612, 792, 0, 1200, 8192, 8192, true, 8192, 8192},
        // At 600: 5100 x 6600, under the limit.
        {612, 792, 0, 600, 5100, 6600, false, 5100, 6600},
        // A long strip at 2400: 30 pt is exactly 1000 px, 300 pt is 10000, cut.
        {300, 30, 90, 2400, 1000, 8192, true, 1024, 8192},
        // A tiny box still gets a pixel.
        {0.01, 0.01, 0, 150, 1, 1, false, 1024, 768},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h) + " /Rotate " + std::to_string(c.rotate) +
                     " at " + std::to_string(c.dpi));
        const VIEW_ViewSize size = VIEW_ViewSize::For(c.w, c.h, c.rotate, c.dpi);
        EXPECT_EQ(size.m_width, c.width);
        EXPECT_EQ(size.m_height, c.height);
        EXPECT_EQ(size.m_cut, c.cut);
        EXPECT_EQ(size.m_screenWidth, c.screenW);
        EXPECT_EQ(size.m_screenHeight, c.screenH);
    }
}

}  // namespace
