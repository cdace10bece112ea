#include "support/GrayPlate.h"

#include "E2ETestUtil.h"

namespace {

using GrayPlateTest = CSEP_TempDirTest;

GrayPlate Filled(int width, int height, uint8_t level) {
    return GrayPlate{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height, level)};
}

// Levels changed by delta over the rectangle [x0, x1) × [y0, y1), clamped.
GrayPlate Planted(GrayPlate image, int x0, int y0, int x1, int y1, int delta) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            image.At(x, y) = static_cast<uint8_t>(std::min(255, std::max(0, image.At(x, y) + delta)));
    return image;
}

// A TIFF of two strips written by hand, big-endian: 3 × 2 pixels.
std::string BigEndianTiff(uint16_t compression) {
    std::string t = std::string("MM\0*", 4) + std::string("\0\0\0\x08", 4);
    auto u16 = [&](uint32_t v) { t += static_cast<char>(v >> 8), t += static_cast<char>(v); };
    auto u32 = [&](uint32_t v) { u16(v >> 16), u16(v & 0xFFFF); };
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        u16(tag), u16(type), u32(count);
        type == 3 && count == 1 ? (u16(value), u16(0)) : u32(value);
    };
    u16(7);
    entry(256, 3, 1, 3);
    entry(257, 4, 1, 2);
    entry(258, 3, 1, 8);
    entry(259, 3, 1, compression);
    const uint32_t offsets = 8 + 2 + 7 * 12 + 4;  // after the directory
    entry(273, 4, 2, offsets);
    entry(278, 3, 1, 1);
    entry(279, 3, 2, 0x00030003);  // two sizes in place
    u32(0);
    u32(offsets + 8 + 3), u32(offsets + 8);  // the second row first
    return t + "\x04\x05\x06\x01\x02\x03";
}

}  // namespace

TEST_F(GrayPlateTest, ReadersTakeWhatGhostscriptWritesAndRefuseTheRest) {
    const ScratchDir dir;
    WriteWholeFile(dir.File("a.tif"), BigEndianTiff(1));
    const GrayPlate tiff = ReadTiffPlate(dir.File("a.tif"));
    EXPECT_EQ(tiff.width, 3);
    EXPECT_EQ(tiff.pixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    WriteWholeFile(dir.File("b.tif"), BigEndianTiff(5));
    WriteWholeFile(dir.File("c.tif"), BigEndianTiff(1).substr(0, 100));
    WriteWholeFile(dir.File("a.pgm"), "P5\n# comment\n3 1\n255\n\x01\x02\xFF");
    EXPECT_EQ(ReadPgm(dir.File("a.pgm")).pixels, (std::vector<uint8_t>{1, 2, 255}));
    WriteWholeFile(dir.File("b.pgm"), "P5\n3 1\n255\n\x01\x02");
    WriteWholeFile(dir.File("c.pgm"), "P5\n3 1\n65535\n\x01\x02\x03\x04\x05\x06");
    for (const char* name : {"b.tif", "c.tif", "a.pgm", "missing.tif"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(ReadTiffPlate(dir.File(name)), std::runtime_error);
    }
    for (const char* name : {"b.pgm", "c.pgm", "a.tif"}) {
        SCOPED_TRACE(name);
        EXPECT_THROW(ReadPgm(dir.File(name)), std::runtime_error);
    }
}

TEST_F(GrayPlateTest, EdgesOfThePlateAreLeftOutAndErrorsBeyondTwoLevelsCount) {
    // A plate white on the left, 100 from column 20 on.
    const GrayPlate plate = Planted(Filled(40, 30, 255), 20, 0, 40, 30, -155);
    const struct {
        const char* what;
        GrayPlate rendering;
        uint64_t nonEdge;
        uint64_t matching;
    } rows[] = {
        {"the same", plate, 38 * 30, 38 * 30},
        {"edge one pixel right", Planted(plate, 20, 0, 21, 30, 155), 38 * 30, 38 * 30},
        {"edge two pixels right", Planted(plate, 20, 0, 22, 30, 155), 38 * 30, 37 * 30},
        {"two levels off", Planted(plate, 0, 0, 40, 30, 2), 38 * 30, 38 * 30},
        {"three levels off over a tenth", Planted(plate, 0, 0, 4, 30, -3), 38 * 30, 34 * 30},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const PlateMatch match = ComparePlate(plate, row.rendering);
        EXPECT_EQ(match.nonEdge, row.nonEdge);
        EXPECT_EQ(match.matching, row.matching);
    }
    EXPECT_THROW(ComparePlate(plate, Filled(40, 32, 255)), std::runtime_error);
    EXPECT_THROW(ComparePlate(plate, Filled(38, 30, 255)), std::runtime_error);
    EXPECT_TRUE(ComparePlate(Filled(3, 3, 0), Filled(3, 3, 0)).Passes());
}

TEST_F(GrayPlateTest, SizesAPixelApartCompareTheirCommonTopLeftArea) {
    // White left, 100 from column 20 on; the extra row and column of a
    // larger rendering are black, so counting them would show.
    const GrayPlate plate = Planted(Filled(40, 30, 255), 20, 0, 40, 30, -155);
    GrayPlate larger = Planted(Filled(41, 31, 0), 0, 0, 40, 30, 255);
    larger = Planted(larger, 20, 0, 40, 30, -155);
    const struct {
        const char* what;
        GrayPlate plate;
        GrayPlate rendering;
        uint64_t nonEdge;
        uint64_t matching;
    } rows[] = {
        {"rendering a row and a column larger", plate, larger, 38 * 30, 38 * 30},
        {"rendering a column narrower", plate, Planted(Filled(39, 30, 255), 20, 0, 39, 30, -155), 37 * 30,
         37 * 30},
        {"plate a row taller, its last row black", Planted(Filled(40, 31, 0), 0, 0, 40, 30, 255),
         Filled(40, 30, 255), 40 * 30, 40 * 30},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const PlateMatch match = ComparePlate(row.plate, row.rendering);
        EXPECT_EQ(match.nonEdge, row.nonEdge);
        EXPECT_EQ(match.matching, row.matching);
    }
}

TEST_F(GrayPlateTest, GhostscriptPlatesOfAKnownPageCatchPlantedErrorsAndSwappedInks) {
    // A cyan tint of 0.3 and a Gold tint of 0.5 side by side; the gray page
    // that is the cyan plate's separation (gray = 1 - tint).
    const CPDF_Doc source = TextPage("<< /ColorSpace << /CS0 [/Separation /Gold /DeviceCMYK << /FunctionType 2 "
                                     "/Domain [0 1] /C0 [0 0 0 0] /C1 [0 0.2 0.9 0.1] /N 1 >>] >> >>",
                                     "0.3 0 0 0 k 10 10 50 50 re f /CS0 cs 0.5 scn 80 80 50 50 re f");
    std::map<std::string, GrayPlate> plates = Separations(source);
    std::vector<std::string> inks;
    for (const auto& plate : plates)
        inks.push_back(plate.first);
    EXPECT_EQ(inks, (std::vector<std::string>{"Black", "Cyan", "Gold", "Magenta", "Yellow"}));
    // 255 × (1 - 0.3) = 178.5 and 255 × 0.5 = 127.5, rounded up by tiffsep
    // and down by pgmraw: the one level that rounding alone accounts for.
    EXPECT_EQ(LevelAt(plates["Cyan"], 35, 35), 179);
    EXPECT_EQ(LevelAt(plates["Cyan"], 105, 105), 255);
    EXPECT_EQ(LevelAt(plates["Gold"], 105, 105), 128);
    EXPECT_EQ(LevelAt(plates["Gold"], 35, 35), 255);
    EXPECT_EQ(LevelAt(plates["Magenta"], 105, 105), 255);  // a spot's alternate is not a plate

    const GrayPlate gray = GrayRendering(TextPage("<< >>", "0.7 g 10 10 50 50 re f"));
    EXPECT_EQ(LevelAt(gray, 35, 35), 178);
    const PlateMatch cyan = ComparePlate(plates["Cyan"], gray);
    EXPECT_EQ(cyan.Share(), 1.0);
    EXPECT_GT(cyan.nonEdge, gray.pixels.size() * 9 / 10);

    // Three levels over a region of 2% of the page, and another ink's plate.
    const GrayPlate& plate = plates["Cyan"];
    EXPECT_TRUE(ComparePlate(plate, Planted(plate, 100, 100, 130, 130, 2)).Passes());
    EXPECT_FALSE(ComparePlate(plate, Planted(plate, 100, 100, 130, 130, -3)).Passes());
    EXPECT_FALSE(ComparePlate(plate, Planted(plate, 20, 130, 50, 160, 3)).Passes());
    EXPECT_FALSE(ComparePlate(plates["Gold"], gray).Passes());
    EXPECT_FALSE(ComparePlate(plates["Magenta"], gray).Passes());
}
