// The stand-in's drawing against Ghostscript: flat fills and text drawn at
// 100 dpi into a top-down DIB give, as blue bytes, gs's pgmraw of the page.
#include <gtest/gtest.h>

#include "VDRW_TestDib.h"
#include "support/GhostscriptRenderer.h"
#include "support/TestSupport.h"
#include "viewer/cos/VCOS_Store.h"
#include "viewer/draw/VDRW_PageDrawer.h"
#include "../cos/VCOS_TestPdf.h"

namespace {

constexpr double kScale = 100.0 / 72;

// Measured before it was written (MuPDF 1.19, Ghostscript 10.0, non-edge
// pixels within 2 levels): the fills page 1.000000 of 921,088 pixels, the
// text page 0.999996 of 922,895 (4 pixels inside glyphs, where gs draws
// without anti-aliasing), the cropped page 1.000000 of 669,067.
constexpr double kRequiredShare = 0.9999;

// Page i at 100 dpi: the page box's top-left corner at pixel (0, 0), so the
// DIB holds the page as gs renders its crop box.
GrayPlate Drawn(const VCOS_Store& store, VCOS_DocId doc, double pageWidth, double pageHeight, int width,
                int height) {
    VDRW_TestDib dib(width, height);
    VDRW_PageDrawer drawer(store);
    drawer.Draw(doc, 0, VDRW_Matrix(kScale, 0, 0, -kScale, 0, kScale * pageHeight), dib.DC(),
                VDRW_Rect(0, 0, pageWidth, pageHeight), nullptr, nullptr);
    return dib.Blue();
}

TEST(VDRW_Ghostscript, FlatFillsAndTextMatchPgmraw) {
    const struct {
        const char* what;
        const char* pageEntries;
        double width, height;  // of the page box
        const char* content;
    } rows[] = {
        {"gray fills", "", 612, 792,
         "0.8 g 36 36 540 720 re f 0 g 72 600 200 100 re f 0.5 g 300 600 200 100 re f "
         "0.25 g 72 400 468 50 re f 0.9 g 100 100 50.5 70.25 re f"},
        {"text", "", 612, 792,
         "BT /F1 24 Tf 72 650 Td (Tintscope separations 0123) Tj ET "
         "BT /F1 12 Tf 0.3 g 72 600 Td (Small text at twelve points, gray 0.3) Tj ET "
         "BT /F1 72 Tf 0 g 72 400 Td (Big Mg) Tj ET"},
        {"fills and text in a crop box", "/CropBox [36 72 576 720]", 540, 648,
         "0.6 g 0 0 612 792 re f 1 g 100 100 300 300 re f "
         "BT /F1 36 Tf 0 g 120 200 Td (Cropped) Tj ET"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        VCOS_Store store;
        const VCOS_DocId doc = VDRW_OnePageDoc(store, row.pageEntries, row.content);
        const ScratchDir dir;
        WriteWholeFile(dir.File("page.pdf"), VCOS_WriteToString(store, doc));
        GhostscriptPages pages;
        pages.m_useCropBox = true;
        const GrayPlate gs = GhostscriptRenderer::Gray(dir.File("page.pdf"), 100, pages);
        const GrayPlate drawn = Drawn(store, doc, row.width, row.height, gs.width, gs.height);
        const PlateMatch match = ComparePlate(gs, drawn);
        EXPECT_GE(match.Share(), kRequiredShare);
        EXPECT_GT(match.nonEdge, gs.pixels.size() * 3 / 4);
    }
}

TEST(VDRW_Ghostscript, PageRangeAndCropBoxOptionsChooseWhatIsRendered) {
    // Page 1 white on Letter, page 2 black with a crop box of 72 × 144 points.
    const std::string file = VCOS_MakePdf(
        "%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>",
                     "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>",
                     "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /CropBox [72 72 144 216] "
                     "/Contents 5 0 R >>",
                     "<< /Length 20 >>\nstream\n0 g 0 0 612 792 re f\nendstream"});
    const ScratchDir dir;
    WriteWholeFile(dir.File("two.pdf"), file);
    GhostscriptPages second;
    second.m_first = 2;
    const GrayPlate page2 = GhostscriptRenderer::Gray(dir.File("two.pdf"), 72, second);
    EXPECT_EQ(page2.width, 612);
    EXPECT_EQ(page2.At(100, 650), 0);  // inside the crop box, which gs clips to
    second.m_useCropBox = true;
    const GrayPlate cropped = GhostscriptRenderer::Gray(dir.File("two.pdf"), 72, second);
    EXPECT_EQ(cropped.width, 72);
    EXPECT_EQ(cropped.height, 144);
    GhostscriptPages first;
    first.m_last = 1;
    const std::vector<GrayPlate> pages = GhostscriptRenderer::GrayPages(dir.File("two.pdf"), 72, first);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].At(300, 300), 255);
}

}  // namespace
