// The comparison of another rasteriser's drawing with Ghostscript's
// rendering: wider edges than between Ghostscript's own devices, a
// tolerance of its own, boxes left out.
#include "support/GrayPlate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace {

GrayPlate Filled(int width, int height, uint8_t level) {
    return GrayPlate{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height, level)};
}

// Levels changed by delta over columns x0 to x1 - 1, clamped.
GrayPlate Columns(GrayPlate image, int x0, int x1, int delta) {
    for (int y = 0; y < image.height; ++y)
        for (int x = x0; x < x1; ++x)
            image.At(x, y) = static_cast<uint8_t>(std::min(255, std::max(0, image.At(x, y) + delta)));
    return image;
}

TEST(CompareDrawingTest, EdgesOfEitherImageAreLeftOutAndWiderDeparturesCount) {
    // White on the left, 100 from column 20 on: columns 18 to 21 lie within
    // two pixels of its edge.
    const GrayPlate rendering = Columns(Filled(40, 30, 255), 20, 40, -155);
    const struct {
        const char* what;
        GrayPlate drawing;
        int tolerance;
        std::vector<PixelBox> leftOut;
        uint64_t nonEdge;
        uint64_t matching;
    } rows[] = {
        {"the same", rendering, 2, {}, 36 * 30, 36 * 30},
        {"edge two pixels right", Columns(rendering, 20, 22, 155), 2, {}, 35 * 30, 35 * 30},
        {"edge four pixels right", Columns(rendering, 20, 24, 155), 2, {}, 34 * 30, 33 * 30},
        {"a one-pixel sliver on white", Columns(rendering, 5, 6, -255), 2, {}, 33 * 30, 33 * 30},
        {"a band three pixels wide on white", Columns(rendering, 5, 8, -255), 2, {}, 32 * 30, 31 * 30},
        {"three levels light, two allowed", Columns(rendering, 0, 40, -3), 2, {}, 36 * 30, 0},
        {"three levels light, three allowed", Columns(rendering, 0, 40, -3), 3, {}, 36 * 30, 36 * 30},
        {"a band left out", Columns(rendering, 5, 8, -255), 2, {PixelBox{0, 0, 10, 30}}, 26 * 30, 26 * 30},
        {"part of the band left out", Columns(rendering, 5, 8, -255), 2, {PixelBox{0, 0, 10, 10}}, 32 * 30 - 6 * 10,
         32 * 30 - 6 * 10 - 20},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const PlateMatch match = CompareDrawing(rendering, row.drawing, row.tolerance, row.leftOut);
        EXPECT_EQ(match.nonEdge, row.nonEdge);
        EXPECT_EQ(match.matching, row.matching);
    }
    // Ghostscript's own devices are judged as before: the edge moved by two
    // pixels counts there.
    EXPECT_EQ(ComparePlate(rendering, Columns(rendering, 20, 22, 155)).matching, 37u * 30);
    EXPECT_THROW(CompareDrawing(rendering, Filled(42, 30, 255)), std::runtime_error);
}

}  // namespace
