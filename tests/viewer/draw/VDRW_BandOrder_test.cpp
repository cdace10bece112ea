// Engines that share MuPDF's caches draw a band to the same bytes whichever
// band came first: an image cut by a band boundary, drawn band by band in
// both orders on two engines, the busy corpus page and a page showing a
// corner of a huge image drawn again and again on one thread and on eight.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "VDRW_BandSoak.h"
#include "support/Corpus.h"
#include "support/Deflated.h"
#include "viewer/VIEW_Host.h"
#include "viewer/cos/VCOS_TestPdf.h"
#include "viewer/draw/VDRW_MuPDF.h"
#include "viewer/draw/VDRW_PageDrawer.h"

namespace {

constexpr int kRows = VDRW_PageDrawer::BandRows;

// A 100-point-wide page with a 97 × 89 grey image (uneven values, so that
// any change of its scaling shows) scaled down to 80 × height points, its
// top top points below the page's.
std::string ImagePage(int top, int height) {
    std::string image;
    for (int y = 0; y < 89; ++y)
        for (int x = 0; x < 97; ++x)
            image += static_cast<char>((x * 37 + y * 91 + (x * y) % 23) & 255);
    const std::string content = "q 80 0 0 " + std::to_string(height) + " 10 " + std::to_string(200 - top - height) +
                                " cm /Im0 Do Q";
    return VCOS_MakePdf(
        "%PDF-1.4",
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 200] /Resources << /XObject << /Im0 5 0 R >> >> "
         "/Contents 4 0 R >>",
         "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
         "<< /Type /XObject /Subtype /Image /Width 97 /Height 89 /ColorSpace /DeviceGray /BitsPerComponent 8 "
         "/Length " + std::to_string(image.size()) + " >>\nstream\n" + image + "\nendstream"});
}

// Bands 0 to count - 1 of the page at one pixel a point, drawn on a fresh
// engine (and so a fresh store) in the given order; the pixels of all.
std::vector<uint8_t> DrawInOrder(const std::string& file, const std::vector<int>& order, int count) {
    const VDRW_EngineHolder engine(VDRW_Checked("engine", [](VDRW_Status* status) { return VDRW_NewEngine(status); }));
    const VDRW_DocumentHolder document(engine.get(), VDRW_Checked("open", [&](VDRW_Status* status) {
        return VDRW_OpenDocument(engine.get(), reinterpret_cast<const unsigned char*>(file.data()), file.size(),
                                 status);
    }));
    const VDRW_PageListHolder list(engine.get(), VDRW_Checked("list", [&](VDRW_Status* status) {
        return VDRW_NewPageList(engine.get(), document.Get(), 0, status);
    }));
    const VDRW_Transform toDevice{1, 0, 0, -1, 0, 200};
    std::vector<uint8_t> pixels(size_t(100) * kRows * count * 4, 255);
    for (const int band : order) {
        const VDRW_Band area{pixels.data() + size_t(band) * kRows * 100 * 4, 0, band * kRows, 100, kRows};
        VDRW_Checked("draw", [&](VDRW_Status* status) {
            return VDRW_DrawBand(engine.get(), list.Get(), &toDevice, &area, status);
        });
    }
    return pixels;
}

TEST(VDRW_BandOrder, AnImageCutByABandBoundaryDrawsTheSameBytesWhicheverBandIsDrawnFirst) {
    // Mostly in band 0, then mostly in band 1, then across three bands.
    for (const auto& [top, height] : std::vector<std::pair<int, int>>{{8, 60}, {2, 65}, {60, 40}, {30, 110}}) {
        SCOPED_TRACE("image from row " + std::to_string(top) + ", " + std::to_string(height) + " rows");
        const std::string file = ImagePage(top, height);
        const std::vector<uint8_t> downward = DrawInOrder(file, {0, 1, 2}, 3);
        const std::vector<uint8_t> upward = DrawInOrder(file, {2, 1, 0}, 3);
        const std::vector<uint8_t> middleFirst = DrawInOrder(file, {1, 0, 2}, 3);
        // The image drew: a middle pixel is neither white nor the fill.
        const uint8_t* middle = downward.data() + (size_t(top + height / 2) * 100 + 50) * 4;
        EXPECT_NE(middle[0], 255);
        size_t differ = 0;
        for (size_t i = 0; i < downward.size(); ++i)
            differ += downward[i] != upward[i] || downward[i] != middleFirst[i];
        EXPECT_EQ(differ, 0u);
    }
}

std::string ReadCorpus(const std::string& name) {
    std::ifstream file(CorpusFile(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// Once seen to differ in a few pixels around its row 448 at 150 dpi from
// run to run on all cores: images that row cuts through. Soak: rows 320 to
// 575 (four bands) redrawn by fresh drawers on one thread and on eight.
TEST(VDRW_BandOrder, TheSpotPageRedrawnOnOneThreadAndOnEightGivesTheSameBytesEveryTime) {
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
    VIEW_Host::Reset();
    const std::string file = ReadCorpus("gwg_Ghent_Output_Suite_5_SPOT_X4.pdf");
    ASSERT_FALSE(file.empty());
    VDRW_SoakRows(file, 0, 150, 320, 576, 13);
    VIEW_Host::Reset();
}

// A 12000 × 12000 image of which the top-left 833 × 833 pixels show at 300
// dpi: each drawing decodes about what shows, not the image's 144 MB, with
// the same bytes on one thread and on eight. At 288 dpi, where the matrix
// is exact, the drawing is that of the 800 × 800 corner alone.
TEST(VDRW_BandOrder, AHugeImageOfWhichACornerShowsIsDecodedAsFarAsItShowsTheSameOnEveryThread) {
    VIEW_Host::Reset();
    constexpr int kSide = 12000;
    const std::string huge = VDRW_HugeImagePage(kSide, 834, 300);
    ASSERT_EQ(VDRW_PageRows(huge, 0, 300), 833);
    VDRW_ResetLargestBlock();
    EXPECT_FALSE(VDRW_SoakRows(huge, 0, 300, 0, 833, 4).empty());
    EXPECT_LT(VDRW_LargestBlock(), size_t(kSide) * kSide / 16);

    const std::vector<uint8_t> drawn = VDRW_SoakRows(VDRW_HugeImagePage(kSide, 800, 288), 0, 288, 0, 800, 1);
    const std::vector<uint8_t> corner = VDRW_SoakRows(VDRW_HugeImagePage(800, 800, 288), 0, 288, 0, 800, 1);
    ASSERT_FALSE(drawn.empty());
    ASSERT_EQ(drawn.size(), corner.size());
    size_t differ = 0, inked = 0;
    for (size_t i = 0; i < drawn.size(); ++i) {
        differ += drawn[i] != corner[i];
        inked += i % 4 != 3 && drawn[i] != 255;
    }
    EXPECT_EQ(differ, 0u);
    EXPECT_GT(inked, drawn.size() / 2);  // three colour bytes a pixel, most inked
    VIEW_Host::Reset();
}

}  // namespace
