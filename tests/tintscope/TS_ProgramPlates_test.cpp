// The plates held until they are written: a page drawn again before its
// plate is written holds its latest drawing alone, counted once, and that
// drawing is the one written.
#include "viewer/program/VIEW_ProgramPlates.h"

#include "support/PngReader.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

VIEW_PageDrawing Drawing(int32_t page, int height, uint8_t grey) {
    VIEW_PageDrawing drawing;
    drawing.m_doc = 1;
    drawing.m_page = page;
    drawing.m_width = 10;
    drawing.m_height = height;
    drawing.m_blue.assign(static_cast<size_t>(10 * height), grey);
    return drawing;
}

TEST(TS_ProgramPlates, APageDrawnAgainHoldsAndWritesItsLatestDrawingOnly) {
    ScratchDir folder;
    VIEW_ProgramOutput output;
    std::string reason;
    ASSERT_TRUE(output.Prepare(folder.Path(), &reason)) << reason;
    VIEW_ProgramPlates plates;
    plates.Start(
        &output, [](const double matrix[6]) { return VIEW_PageFrame(matrix, 10, 10, 72, 10, 10, 1); },
        [] { return false; });
    // Drawings of 10 pixels a row; the fourth page held writes them all.
    const struct {
        int32_t page;
        int height;
        uint8_t grey;
        size_t held;
    } rows[] = {
        {0, 10, 0, 100}, {1, 10, 0, 200}, {0, 4, 200, 140}, {0, 2, 100, 120}, {2, 10, 0, 220}, {3, 10, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "page " << row.page << ", " << row.height << " rows");
        plates.Hear(Drawing(row.page, row.height, row.grey), "plate-" + std::to_string(row.page) + "-A.png");
        EXPECT_EQ(plates.BytesHeld(), row.held);
    }
    ASSERT_TRUE(output.Commit(&reason)) << reason;
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"plate-0-A.png", "plate-1-A.png", "plate-2-A.png",
                                                       "plate-3-A.png"}));
    const PngPixels redrawn = ReadPng(folder.File("plate-0-A.png"));
    EXPECT_EQ(redrawn.m_height, 2) << redrawn.m_error;
    EXPECT_EQ(redrawn.m_pixels, std::vector<uint8_t>(20, 100));
}

}  // namespace
