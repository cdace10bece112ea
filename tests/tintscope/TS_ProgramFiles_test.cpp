// Plate file names keep every ink apart and inside the output folder, and
// grey plates survive the trip through a PNG file.
#include "support/PngReader.h"
#include "support/TestSupport.h"
#include "viewer/program/VIEW_ProgramFiles.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(TS_ProgramFiles, InkNamesBecomeFileNamesWithEveryOtherByteEscaped) {
    const struct {
        int index;
        std::string ink;
        const char* file;
    } cases[] = {
        {0, "Cyan", "plate-0-Cyan.png"},
        {4, "PANTONE 485 M", "plate-4-PANTONE#20485#20M.png"},
        {5, "a/b", "plate-5-a#2fb.png"},
        {6, "../up", "plate-6-..#2fup.png"},
        {7, "x#20y", "plate-7-x#2320y.png"},
        {8, "Or_ange-1.5", "plate-8-Or_ange-1.5.png"},
        {9, "\xC3\xA9t\xC3\xA9", "plate-9-#c3#a9t#c3#a9.png"},
        {10, std::string("a\0b", 3), "plate-10-a#00b.png"},
        {11, "", "plate-11-.png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(VIEW_PlateFileName(c.index, c.ink), c.file);
    }
    // A name that looks escaped and the name it looks like stay apart.
    EXPECT_NE(VIEW_PlateFileName(1, "a b"), VIEW_PlateFileName(1, "a#20b"));
}

TEST(TS_ProgramFiles, GreyPlatesRoundTripThroughPngFiles) {
    const ScratchDir dir;
    std::vector<uint8_t> plate(7 * 3);
    for (size_t i = 0; i < plate.size(); ++i)
        plate[i] = static_cast<uint8_t>(i * 37 % 256);
    const std::string path = dir.File(VIEW_PlateFileName(4, "PANTONE 485 M"));
    ASSERT_TRUE(VIEW_WriteGreyPng(path, 7, 3, plate));
    const PngPixels read = ReadPng(path);
    EXPECT_EQ(read.m_channels, 1) << read.m_error;
    EXPECT_EQ(read.m_width, 7);
    EXPECT_EQ(read.m_height, 3);
    EXPECT_EQ(read.m_pixels, plate);
    // A plate of the wrong size, or a folder that is not there: no file.
    EXPECT_FALSE(VIEW_WriteGreyPng(dir.File("short.png"), 7, 4, plate));
    EXPECT_FALSE(VIEW_WriteGreyPng(dir.File("none/x.png"), 7, 3, plate));
    EXPECT_EQ(dir.List(), std::vector<std::string>({"plate-4-PANTONE#20485#20M.png"}));
}

}  // namespace
