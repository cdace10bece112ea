// The drawing's renderer finds page i where the page walk does: in a tree
// with a leaf typed /Pages and middle nodes whose /Count lies, each page
// number draws its own page's gray.
#include <gtest/gtest.h>

#include "../cos/VCOS_TestPdf.h"
#include "VDRW_TestDib.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/draw/VDRW_PageDrawer.h"

namespace {

std::string Fill(int level) {
    const std::string content = "0." + std::to_string(level) + " g 0 0 10 10 re f";
    return "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
}

TEST(VDRW_PageLeaves, EachPageNumberDrawsThePageTheWalkFinds) {
    // Pages in Kids order: 4 (gray 0.2), 5 (typed /Pages, 0.4), 6 (no
    // /Type, 0.6), 7 (0.8); the Counts say 1 and 9.
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(
        store,
        VCOS_MakePdf("%PDF-1.4",
                     {"<< /Type /Catalog /Pages 2 0 R >>",
                      "<< /Type /Pages /Kids [3 0 R 7 0 R] /Count 1 /MediaBox [0 0 10 10] >>",
                      "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 5 0 R 6 0 R] /Count 9 >>",
                      "<< /Type /Page /Parent 3 0 R /Contents 8 0 R >>",
                      "<< /Type /Pages /Parent 3 0 R /Contents 9 0 R >>",
                      "<< /Parent 3 0 R /Contents 10 0 R >>", "<< /Type /Page /Parent 2 0 R /Contents 11 0 R >>",
                      Fill(2), Fill(4), Fill(6), Fill(8)}),
        "leaves.pdf");
    VDRW_PageDrawer drawer(store);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        VDRW_TestDib dib(10, 10);
        drawer.Draw(doc, i, VDRW_Matrix(1, 0, 0, -1, 0, 10), dib.DC(), VDRW_Rect(0, 0, 10, 10), nullptr, nullptr);
        EXPECT_NEAR(dib.Pixel(5, 5)[0], 255 * 0.2 * (i + 1), 2);
    }
}

}  // namespace
