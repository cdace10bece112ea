// A stroke whose side lies on its clipping path, clipped to a sliver of a
// pixel, keeps its ink on the Black plate.
#include "TS_ProgramFixture.h"

#include <algorithm>

namespace {

int Ink(const PngPixels& plate, int x, int y) {
    return 255 - plate.m_pixels[static_cast<size_t>(y) * plate.m_width + x];
}

TEST_F(TS_ProgramTest, AStrokeClippedToASliverOfAPixelKeepsItsInkOnTheBlackPlate) {
    // The clip's right side runs down the middle of the 0.8-point stroke, at
    // x = 48.44 points: 100.92 px at 150 dpi, 201.83 px at 300. Rows from
    // 12 to 62 points down the page.
    const std::string file =
        WritePage("sliver.pdf", 72, 72,
                  "10 10 m 48.44 10 l 48.44 60 l 10 60 l h W n 0 0 0 1 K .8 w 48.44 10 m 48.44 60 l S");
    const struct {
        const char* dpi;
        int firstInked, lastInked;  // columns
        int top, bottom;            // rows wholly covered
    } rows[] = {
        {"150", 100, 100, 25, 128},
        {"300", 200, 201, 50, 257},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dpi);
        const TS_Run run = Run(WithOut({file, "--dpi", row.dpi}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const PngPixels black = Output("plate-3-Black.png");
        ASSERT_EQ(black.m_channels, 1) << black.m_error;
        for (int y = row.top; y <= row.bottom; ++y) {
            for (int x = row.firstInked; x <= row.lastInked; ++x)
                ASSERT_GT(Ink(black, x, y), 127) << "column " << x << " row " << y;
            EXPECT_EQ(Ink(black, row.firstInked - 1, y), 0) << "row " << y;
            EXPECT_EQ(Ink(black, row.lastInked + 1, y), 0) << "row " << y;
        }
        for (const char* other : {"plate-0-Cyan.png", "plate-1-Magenta.png", "plate-2-Yellow.png"}) {
            const PngPixels blank = Output(other);
            EXPECT_EQ(std::count(blank.m_pixels.begin(), blank.m_pixels.end(), 255),
                      static_cast<long>(blank.m_pixels.size()))
                << other;
        }
    }
}

}  // namespace
