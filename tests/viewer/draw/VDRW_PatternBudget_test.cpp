// A tiling pattern is drawn cell by cell only while its cells times each
// cell's work (segments, glyphs, nested cells) stay within one bound,
// decided for the whole pattern, whatever part of the page a drawing shows:
// a costly cell over the page is left to MuPDF's tiling, the same cell over
// a few places is drawn one by one.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "VDRW_TestDib.h"
#include "support/PatternPages.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_Store.h"
#include "viewer/draw/VDRW_PageDrawer.h"
#include "viewer/draw/VDRW_SnapDevice.h"

namespace {

struct Counts {
    long m_byCell, m_tiled;
};

// The 200-point page drawn at dpi, only the square of `shown` points at its
// top-left corner.
Counts Draw(const std::string& file, double dpi, double shown) {
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(store, file, "pattern.pdf");
    const double s = dpi / 72;
    const int side = static_cast<int>(std::ceil(200 * s));
    VDRW_TestDib dib(side, side);
    VDRW_ResetTileCounts();
    VDRW_PageDrawer(store).Draw(doc, 0, VDRW_Matrix(s, 0, 0, -s, 0, 200 * s), dib.DC(),
                                VDRW_Rect(0, 200 - shown, shown, 200), nullptr, nullptr);
    return {VDRW_PatternsDrawnByCell(), VDRW_PatternsLeftToTiling()};
}

TEST(VDRW_PatternBudget, ACostlyCellOverThePageIsLeftToMuPDFsTilingOnEveryBand) {
    struct Row {
        CostlyCell m_cell;
        double m_dpi;
    };
    const Row rows[] = {
        {CostlyCell::Path1000, 150},
        {CostlyCell::Path20000, 300},
        {CostlyCell::Glyphs400, 150},
        {CostlyCell::NestedPattern, 150},
        // Each cell's drawing costs, marks or none.
        {CostlyCell::NoMarks, 150},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(CostlyCellName(row.m_cell));
        // The whole page, and a corner that only a few cells meet: a band
        // there must not decide otherwise.
        for (const double shown : {6.0, 200.0}) {
            SCOPED_TRACE("shown " + std::to_string(shown) + " pt");
            const Counts page = Draw(CostlyPatternPage(row.m_cell), row.m_dpi, shown);
            ASSERT_EQ(page.m_byCell, 0);
            EXPECT_GT(page.m_tiled, 0);
        }
        // Two steps a side: cheap enough to draw cell by cell.
        const Counts few = Draw(CostlyPatternPage(row.m_cell, 2 * CostlyCellStep(row.m_cell)), row.m_dpi, 200);
        EXPECT_GT(few.m_byCell, 0);
        EXPECT_EQ(few.m_tiled, 0);
    }
}

}  // namespace
