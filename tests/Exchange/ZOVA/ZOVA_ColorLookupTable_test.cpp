// Ink absorption tables and compositing plates onto the view image.
#include "Exchange/ZOVA/ZOVA_ColorLookupTable.h"
#include "Exchange/ZOVA/ZOVA_WinOffscreenImage.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

namespace {

CPDF_Color Cmyk(double c, double m, double y, double k) { return CPDF_Color(std::vector<double>{c, m, y, k}); }

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};
std::ostream& operator<<(std::ostream& os, const Rgb& c) { return os << "(" << c.r << ", " << c.g << ", " << c.b << ")"; }

Rgb Split(uint32_t v) { return {static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>(v & 0xFF)}; }

// A white w x h image with the given inks composited over it.
Rgb Composed(ZOVA_ColorLookupTable& table, const std::vector<std::pair<CPDF_Color, unsigned char>>& inks) {
    ZOVA_WinOffscreenImage image;
    image.Allocate(1, 1, 32);
    for (const auto& [color, plateByte] : inks)
        table.Composite(image, &plateByte, color, 1, 1);
    const uint32_t pixel = image.LockData()[0];
    image.UnlockData();
    return Split(pixel);
}

}  // namespace

TEST(ZOVA_ColorLookupTable, FullProcessInksOnWhite) {
    ZOVA_ColorLookupTable table;
    const struct {
        const char* what;
        std::vector<std::pair<CPDF_Color, unsigned char>> inks;
        Rgb expected;
    } cases[] = {
        {"cyan", {{Cmyk(1, 0, 0, 0), 0}}, {0, 161, 199}},
        {"magenta", {{Cmyk(0, 1, 0, 0), 0}}, {241, 3, 127}},
        {"yellow", {{Cmyk(0, 0, 1, 0), 0}}, {255, 255, 0}},
        {"black", {{Cmyk(0, 0, 0, 1), 0}}, {0, 0, 0}},
        {"cyan and magenta saturate", {{Cmyk(1, 0, 0, 0), 0}, {Cmyk(0, 1, 0, 0), 0}}, {0, 0, 71}},
        {"a plate byte of 255 is no ink", {{Cmyk(1, 0, 0, 0), 255}, {Cmyk(0, 0, 0, 1), 255}}, {255, 255, 255}},
        {"an all-zero colour changes nothing", {{Cmyk(0, 0, 0, 0), 0}}, {255, 255, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Composed(table, c.inks), c.expected);
    }
}

TEST(ZOVA_ColorLookupTable, TableEntries) {
    ZOVA_ColorLookupTable table;
    const struct {
        const char* what;
        CPDF_Color color;
        int index;
        Rgb expected;
    } cases[] = {
        {"cyan 255", Cmyk(1, 0, 0, 0), 255, {255, 94, 56}},
        {"cyan 128", Cmyk(1, 0, 0, 0), 128, {128, 47, 28}},
        {"cyan 1", Cmyk(1, 0, 0, 0), 1, {1, 0, 0}},
        {"every ink's entry 0", Cmyk(0, 0, 0, 1), 0, {0, 0, 0}},
        {"half cyan spot", Cmyk(0.5, 0, 0, 0), 255, {127, 47, 28}},
        {"cyan and magenta spot clamps", Cmyk(1, 1, 0, 0), 255, {255, 255, 185}},
        {"all-zero spot", Cmyk(0, 0, 0, 0), 255, {0, 0, 0}},
        {"above full clamps to full", Cmyk(0, 0, 2, 1), 200, {200, 200, 200}},
        {"below zero clamps to none", Cmyk(-1, 0, 0, 0), 255, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Split(table.TableFor(c.color)[c.index]), c.expected);
    }
}

TEST(ZOVA_ColorLookupTable, AUnitSpotColourUsesTheProcessTable) {
    ZOVA_ColorLookupTable table;
    const uint32_t* cyan = table.TableFor(Cmyk(1, 0, 0, 0));
    const uint32_t* spot = table.TableFor(Cmyk(0.3, 0.2, 0, 0));
    EXPECT_EQ(table.TableFor(Cmyk(1, 0, 0, 0)), cyan);
    // No spot record was added for cyan: fifteen more spots fill the list
    // without evicting the first, which a cyan record would have made the
    // least recently used.
    for (int i = 1; i <= 15; ++i)
        table.TableFor(Cmyk(0, 0, i / 100.0, 0));
    EXPECT_EQ(table.TableFor(Cmyk(0.3, 0.2, 0, 0)), spot);
    // A colour of another component count is not the process colour.
    const CPDF_Color five(std::vector<double>{1, 0, 0, 0, 0});
    EXPECT_NE(table.TableFor(five), cyan);
}

TEST(ZOVA_ColorLookupTable, TheLeastRecentlyUsedSpotRecordIsRecycled) {
    ZOVA_ColorLookupTable table;
    std::vector<const uint32_t*> records;
    for (int i = 0; i < 16; ++i)
        records.push_back(table.TableFor(Cmyk(i / 100.0, 0.5, 0, 0)));
    // The seventeenth colour takes the first colour's record.
    EXPECT_EQ(table.TableFor(Cmyk(0, 0, 0.5, 0.5)), records[0]);
    EXPECT_EQ(Split(records[0][255]), Split(table.TableFor(Cmyk(0, 0, 0.5, 0.5))[255]));

    // Looking up the second colour moves it to the front: it outlives the
    // fifteen other records through fifteen misses, and the sixteenth takes it.
    const uint32_t* second = table.TableFor(Cmyk(0.01, 0.5, 0, 0));
    EXPECT_EQ(second, records[1]);
    for (int i = 0; i < 15; ++i)
        table.TableFor(Cmyk(0.5, 0, i / 100.0, 0));
    EXPECT_EQ(table.TableFor(Cmyk(0.01, 0.5, 0, 0)), second);  // a hit, moved to the front again
    for (int i = 0; i < 15; ++i)
        table.TableFor(Cmyk(0.25, 0, i / 100.0, 0));
    const Rgb before = Split(second[255]);
    table.TableFor(Cmyk(0.9, 0.9, 0.9, 0));  // the sixteenth miss
    EXPECT_NE(Split(second[255]), before);  // the record now holds the new colour
}

TEST(ZOVA_ColorLookupTable, TheOrderOfInksDoesNotChangeTheImage) {
    ZOVA_ColorLookupTable table;
    const int w = 7, h = 5;
    const std::array<CPDF_Color, 4> inks = {Cmyk(1, 0, 0, 0), Cmyk(0, 1, 0, 0), Cmyk(0.3, 0, 0.6, 0), Cmyk(0, 0, 0, 1)};
    std::array<std::vector<unsigned char>, 4> plates;
    unsigned seed = 12345;
    for (auto& plate : plates)
        for (int i = 0; i < w * h; ++i) {
            seed = seed * 1103515245u + 12345u;
            plate.push_back(static_cast<unsigned char>(seed >> 16));
        }
    const auto compose = [&](const std::array<int, 4>& order) {
        ZOVA_WinOffscreenImage image;
        image.Allocate(w, h, 32);
        for (int i : order)
            table.Composite(image, plates[i].data(), inks[i], w, h);
        const uint32_t* data = image.LockData();
        std::vector<uint32_t> pixels(data, data + w * h);
        image.UnlockData();
        for (uint32_t& p : pixels)
            p &= 0xFFFFFF;  // the fourth byte is not significant
        return pixels;
    };
    const std::vector<uint32_t> forward = compose({0, 1, 2, 3});
    EXPECT_EQ(compose({3, 2, 1, 0}), forward);
    EXPECT_EQ(compose({2, 0, 3, 1}), forward);
}

TEST(ZOVA_ColorLookupTable, APlateLargerThanTheImageChangesOnlyTheImage) {
    ZOVA_ColorLookupTable table;
    ZOVA_WinOffscreenImage image;
    image.Allocate(3, 2, 32);
    // A 5 x 4 plate of full ink; its rows are 5 bytes apart.
    std::vector<unsigned char> plate(5 * 4, 0);
    plate[5] = 255;  // row 1, column 0: no ink
    table.Composite(image, plate.data(), Cmyk(0, 0, 0, 1), 5, 4);
    const uint32_t* p = image.LockData();
    EXPECT_EQ(p[0] & 0xFFFFFF, 0u);
    EXPECT_EQ(p[3] & 0xFFFFFF, 0xFFFFFFu);  // the plate's row stride was kept
    EXPECT_EQ(p[4] & 0xFFFFFF, 0u);
    image.UnlockData();
}

namespace {

// The composite stated plainly: each of red, green and blue loses the ink's
// absorption at the plate's coverage, stopping at 0; the top byte stays.
uint32_t Reference(uint32_t pixel, uint32_t absorbed) {
    uint32_t out = pixel & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int have = static_cast<int>((pixel >> shift) & 0xFF), take = static_cast<int>((absorbed >> shift) & 0xFF);
        out |= static_cast<uint32_t>(have > take ? have - take : 0) << shift;
    }
    return out;
}

}  // namespace

TEST(ZOVA_ColorLookupTable, CompositeMatchesTheChannelByChannelRuleOnRandomAndEdgeImages) {
    ZOVA_ColorLookupTable table;
    std::mt19937 random(2026);
    const CPDF_Color inks[] = {Cmyk(1, 0, 0, 0), Cmyk(0, 0, 0, 1), Cmyk(0.3, 0.7, 0.1, 0.2), Cmyk(1, 1, 1, 1),
                               Cmyk(0, 0, 0, 0)};
    // Widths around the 16-byte steps and past 64-pixel blocks, a plate
    // wider and taller than the image, and images and plates of only 0 or
    // 255 bytes.
    for (int round = 0; round < 160; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int w = 1 + round % 37 + (round % 3 == 0 ? 64 : 0), h = 1 + round % 5;
        const int plateWidth = w + (round % 4 == 3 ? 3 : 0), plateHeight = h + (round % 4 == 3 ? 2 : 0);
        // 0-2 random, 3 black image, 4 white image, 5 extreme mixture, 6 a
        // plate without ink but for a few bytes, 7 an even plate of one
        // coverage but for a few bytes.
        const int kind = round % 8;
        ZOVA_WinOffscreenImage image;
        image.Allocate(w, h, 32);
        uint32_t* data = image.LockData();
        for (int i = 0; i < w * h; ++i) {
            uint32_t pixel = random();
            if (kind == 3)
                pixel &= 0xFF000000u;
            else if (kind == 4)
                pixel |= 0x00FFFFFFu;
            else if (kind == 5)
                pixel = (random() % 2 ? 0xFF00FF00u : 0x0000FF00u) | (random() % 2 ? 0xFF : 0);
            data[i] = pixel;
        }
        const std::vector<uint32_t> before(data, data + w * h);
        image.UnlockData();

        std::vector<unsigned char> plate(static_cast<size_t>(plateWidth * plateHeight));
        const auto even = static_cast<unsigned char>(random() % 255);
        for (unsigned char& b : plate)
            b = kind == 7 ? even : kind == 6 ? 255 : kind == 5 ? (random() % 2 ? 0 : 255) : static_cast<unsigned char>(random());
        if (kind >= 6)
            for (int i = 0; i < 3; ++i)
                plate[random() % plate.size()] = static_cast<unsigned char>(random() % 255);
        const CPDF_Color& ink = inks[round % 5];
        table.Composite(image, plate.data(), ink, plateWidth, plateHeight);
        const uint32_t* entries = table.TableFor(ink);
        const uint32_t* after = image.LockData();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(after[y * w + x],
                          Reference(before[static_cast<size_t>(y * w + x)], entries[255 - plate[static_cast<size_t>(y * plateWidth + x)]]))
                    << x << "," << y;
        image.UnlockData();
    }
}
