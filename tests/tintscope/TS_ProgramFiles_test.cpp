// Plate file names keep every ink apart and inside the output folder, and
// grey plates survive the trip through a PNG file.
#include "support/PngReader.h"
#include "support/TestSupport.h"
#include "viewer/program/VIEW_ProgramFiles.h"
#include "viewer/program/VIEW_ProgramText.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

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

TEST(TS_ProgramFiles, LongInkNamesAreShortenedToAFileNameTheSystemTakes) {
    const std::string plain(300, 'P');
    const std::string spaced = std::string(120, 'S') + std::string(60, ' ');  // 120 + 180 bytes of text
    for (const std::string& ink : {plain, spaced, plain + "x", std::string(244, 'Q')}) {
        SCOPED_TRACE(ink.size());
        const std::string name = VIEW_PlateFileName(10, ink);
        EXPECT_LE(name.size(), VIEW_MaxFileNameBytes);
        EXPECT_EQ(name.rfind("plate-10-" + ink.substr(0, 100), 0), 0u) << "a readable start: " << name;
        EXPECT_EQ(name.substr(name.size() - 13, 1), "~") << name;
        // Escapes are kept whole: the text before the hash ends on a byte's text.
        const size_t hash = name.rfind('~');
        const size_t lastEscape = name.rfind('#', hash);
        if (lastEscape != std::string::npos && lastEscape > 9) {
            EXPECT_LE(lastEscape + 3, hash) << name;
        }
    }
    // The cut names of two inks alike in their first 300 bytes still differ.
    EXPECT_NE(VIEW_PlateFileName(10, plain), VIEW_PlateFileName(10, plain + "x"));
    // Up to the limit a name stays whole: 243 bytes from index 10.
    const std::string fits(255 - 13, 'F');
    EXPECT_EQ(VIEW_PlateFileName(10, fits), "plate-10-" + fits + ".png");
    EXPECT_EQ(VIEW_PlateFileName(10, fits).size(), 255u);
    EXPECT_NE(VIEW_PlateFileName(10, fits + "F").find('~'), std::string::npos);

    // Each of them is a file this system makes.
    const ScratchDir dir;
    for (const std::string& ink : {plain, spaced, fits + "F"}) {
        const std::vector<uint8_t> plate(4, 255);
        EXPECT_TRUE(VIEW_WriteGreyPng(dir.File(VIEW_PlateFileName(10, ink)), 2, 2, plate));
    }
    EXPECT_EQ(dir.List().size(), 3u);
}

TEST(TS_ProgramFiles, InkFieldsEscapeWhatWouldBreakTheirLine) {
    EXPECT_EQ(VIEW_EscapedText("PANTONE 485 M"), "PANTONE 485 M");
    EXPECT_EQ(VIEW_EscapedText("a\tb\nc\rd"), "a#09b#0ac#0dd");
    EXPECT_EQ(VIEW_EscapedText(std::string("x\0y\x7f#", 5)), "x#00y#7f#23");
    EXPECT_EQ(VIEW_EscapedText("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9") << "UTF-8 stays readable";
    // "#" escaped too, so a name that looks escaped reads back as itself.
    EXPECT_NE(VIEW_EscapedText("a#09b"), VIEW_EscapedText("a\tb"));
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

TEST(TS_ProgramFiles, AWindowOfAPlateIsWrittenAsItsOwnRows) {
    const ScratchDir dir;
    // 6 x 4; the window is 3 x 2 from (2, 1).
    std::vector<uint8_t> plate(6 * 4);
    for (size_t i = 0; i < plate.size(); ++i)
        plate[i] = static_cast<uint8_t>(255 - i * 11);
    const std::vector<uint8_t> window{plate[8], plate[9], plate[10], plate[14], plate[15], plate[16]};
    const std::string path = dir.File("window.png");
    ASSERT_TRUE(VIEW_WriteGreyPng(path, 3, 2, plate.data() + 6 + 2, 6));
    const PngPixels read = ReadPng(path);
    EXPECT_EQ(read.m_channels, 1) << read.m_error;
    EXPECT_EQ(read.m_width, 3);
    EXPECT_EQ(read.m_height, 2);
    EXPECT_EQ(read.m_pixels, window);
    // No rows, or an empty window: no file.
    EXPECT_FALSE(VIEW_WriteGreyPng(dir.File("none.png"), 3, 2, nullptr, 6));
    EXPECT_FALSE(VIEW_WriteGreyPng(dir.File("empty.png"), 0, 2, plate.data(), 6));
    EXPECT_EQ(dir.List(), std::vector<std::string>({"window.png"}));
}

// Through a folder held open: the window round-trips in grey and in RGBA,
// and a write that fails says why and leaves no file, whatever the cause.
TEST(TS_ProgramFiles, APngWrittenInAFolderHeldOpenRoundTripsOrLeavesNothing) {
    const ScratchDir dir;
    const int folder = open(dir.Path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    std::vector<uint8_t> pixels(6 * 4 * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 29 % 256);
    for (const int channels : {1, 4}) {
        SCOPED_TRACE(channels);
        const std::string name = "window-" + std::to_string(channels) + ".png";
        const size_t rowBytes = 6 * static_cast<size_t>(channels);
        ASSERT_TRUE(VIEW_WritePngAt(folder, name, 3, 2, channels, pixels.data() + rowBytes + 2 * channels, rowBytes));
        const PngPixels read = ReadPng(dir.File(name));
        EXPECT_EQ(read.m_channels, channels) << read.m_error;
        ASSERT_EQ(read.m_pixels.size(), 3u * 2 * channels);
        for (size_t row = 0; row < 2; ++row)
            for (size_t byte = 0; byte < 3u * channels; ++byte)
                EXPECT_EQ(read.m_pixels[row * 3 * channels + byte],
                          pixels[(row + 1) * rowBytes + 2 * channels + byte]);
    }
    ASSERT_EQ(symlink("/dev/full", dir.File("full.png").c_str()), 0);
    const struct { const char* what; int folder; const char* name; int width; const char* why; } rows[] = {
        {"a full disk", folder, "full.png", 3, "No space left on device"},
        {"no folder", -1, "lost.png", 3, "Bad file descriptor"},
        {"an empty window", folder, "empty.png", 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::string why;
        EXPECT_FALSE(VIEW_WritePngAt(row.folder, row.name, row.width, 2, 1, pixels.data(), 6, &why));
        EXPECT_EQ(why, row.why);
    }
    EXPECT_EQ(dir.List(), std::vector<std::string>({"window-1.png", "window-4.png"}));
    close(folder);
}

}  // namespace
