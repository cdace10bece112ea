// The tests' Ghostscript oracle draws every plate of the pages it is asked
// for, whatever range it is given: a spot plate of a page with
// transparency, which tiffsep draws in bands at 150 dpi, too.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "support/GhostscriptRenderer.h"
#include "support/PdfText.h"
#include "support/TestSupport.h"

namespace {

// A 200-point page of an Orange square at /ca 0.5, 100 points a side, and
// an opaque magenta one of 50.
const char* const kSpotPage =
    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << /ColorSpace << /CSo [/Separation "
    "/Orange /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0.5 1 0] /N 1 >>] >> "
    "/ExtGState << /A << /ca 0.5 >> >> >> /Contents 4 0 R >>";
const char* const kSpotContent = "/A gs /CSo cs 1 scn 20 20 100 100 re f 0 1 0 0 k 120 120 50 50 re f";
// A 200-point page of a cyan square, 100 points a side.
const char* const kCyanPage = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 6 0 R >>";
const char* const kCyanContent = "1 0 0 0 k 20 20 100 100 re f";

std::string Stream(const std::string& content) {
    return "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
}

std::string SpotFile() {
    return PdfText("%PDF-1.7", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                kSpotPage, Stream(kSpotContent)});
}

// The cyan page first, the spot page second.
std::string TwoPageFile() {
    return PdfText("%PDF-1.7", {"<< /Type /Catalog /Pages 2 0 R >>",
                                "<< /Type /Pages /Kids [5 0 R 3 0 R] /Count 2 >>", kSpotPage,
                                Stream(kSpotContent), kCyanPage, Stream(kCyanContent)});
}

size_t Inked(const std::map<std::string, GrayPlate>& plates, const std::string& ink) {
    const auto plate = plates.find(ink);
    if (plate == plates.end())
        return 0;
    return static_cast<size_t>(
        std::count_if(plate->second.pixels.begin(), plate->second.pixels.end(), [](uint8_t v) { return v < 255; }));
}

TEST(GhostscriptRendererTest, EveryPlateOfThePageAskedForIsDrawnWhateverTheRange) {
    // The squares' pixels at 150 dpi: 209 and 105 a side.
    constexpr size_t kSquare = 209 * 209;
    constexpr size_t kSmall = 105 * 105;
    const struct {
        const char* what;
        std::string file;
        const char* name;
        GhostscriptPages pages;
        size_t orange, magenta, cyan;
    } rows[] = {
        {"no range", SpotFile(), "spot.pdf", {}, kSquare, kSmall, 0},
        {"pages 1 to 1", SpotFile(), "spot.pdf", {false, 1, 1}, kSquare, kSmall, 0},
        {"from page 1", SpotFile(), "spot.pdf", {false, 1, 0}, kSquare, kSmall, 0},
        {"to page 1", SpotFile(), "spot.pdf", {false, 0, 1}, kSquare, kSmall, 0},
        {"pages 1 to 5 of 1", SpotFile(), "spot.pdf", {false, 1, 5}, kSquare, kSmall, 0},
        {"the crop box, pages 1 to 1", SpotFile(), "spot.pdf", {true, 1, 1}, kSquare, kSmall, 0},
        {"a file name of parentheses and a backslash", SpotFile(), "spot (1)\\).pdf", {false, 1, 1}, kSquare,
         kSmall, 0},
        {"page 2 to 2 of 2", TwoPageFile(), "two.pdf", {false, 2, 2}, kSquare, kSmall, 0},
        {"from page 2 of 2", TwoPageFile(), "two.pdf", {false, 2, 0}, kSquare, kSmall, 0},
        {"page 1 to 1 of 2", TwoPageFile(), "two.pdf", {false, 1, 1}, 0, 0, kSquare},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const ScratchDir dir;
        WriteWholeFile(dir.File(row.name), row.file);
        const std::map<std::string, GrayPlate> plates =
            GhostscriptRenderer::Separations(dir.File(row.name), 150, row.pages);
        EXPECT_EQ(Inked(plates, "Orange"), row.orange);
        EXPECT_EQ(Inked(plates, "Magenta"), row.magenta);
        EXPECT_EQ(Inked(plates, "Cyan"), row.cyan);
    }
}

}  // namespace
