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
#include "viewer/draw/VDRW_CellWork.h"
#include "viewer/draw/VDRW_PageDrawer.h"
#include "viewer/draw/VDRW_SnapDevice.h"

namespace {

struct Counts {
    long m_byCell, m_tiled;
    size_t m_meshes;  // decoded to weigh them
};

// The 200-point page drawn at dpi, only the square of `shown` points at its
// top-left corner, on threads (0: as many as the drawer likes); its blue
// channel into *plate when asked.
Counts Draw(const std::string& file, double dpi, double shown, int threads = 0, GrayPlate* plate = nullptr) {
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(store, file, "pattern.pdf");
    const double s = dpi / 72;
    const int side = static_cast<int>(std::ceil(200 * s));
    VDRW_TestDib dib(side, side);
    VDRW_ResetTileCounts();
    VDRW_ResetMeshCount();
    VDRW_PageDrawer drawer(store);
    drawer.SetThreads(threads);
    drawer.Draw(doc, 0, VDRW_Matrix(s, 0, 0, -s, 0, 200 * s), dib.DC(), VDRW_Rect(0, 200 - shown, shown, 200),
                nullptr, nullptr);
    if (plate)
        *plate = dib.Blue();
    return {VDRW_PatternsDrawnByCell(), VDRW_PatternsLeftToTiling(), VDRW_MeshesDecoded()};
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
        // The cell records a clip by its stroke for the pattern inside.
        {CostlyCell::StrokedPattern, 150},
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
        // A step and a half a side (3 or 4 cells drawn a side, those that
        // touch the area included): cheap enough to draw cell by cell.
        const Counts few = Draw(CostlyPatternPage(row.m_cell, 1.5 * CostlyCellStep(row.m_cell)), row.m_dpi, 200);
        EXPECT_GT(few.m_byCell, 0);
        EXPECT_EQ(few.m_tiled, 0);
    }
}

// One budget covers the page: every use of every pattern spends it in
// content order, on the cells the drawing draws (none for a pattern with
// no cell near its area) and on what each cell's masks, clips, shadings,
// meshes and images cost; the rest is left to MuPDF's tiling, alike for
// any number of threads.
TEST(VDRW_PatternBudget, OneBudgetForThePageSpentOnWhatTheCellsDraw) {
    enum class Drawn { NoCell, Tiled, ByCell, Both };
    struct Row {
        BudgetShape m_shape;
        double m_dpi;
        Drawn m_drawn;
        long m_meshes = -1;  // decoded to weigh the page, when asked
        bool m_collide = false;  // every mesh's probe starts at one slot
    };
    const Row rows[] = {
        // No cell near the page: nothing drawn, not a row walked.
        {BudgetShape::BetweenColumns, 72, Drawn::NoCell},
        {BudgetShape::BetweenColumnsRows, 72, Drawn::NoCell},
        // What a cell covers, not what it holds.
        {BudgetShape::SoftMaskHugeBox, 150, Drawn::Tiled},
        {BudgetShape::RoundClipHuge, 150, Drawn::Tiled},
        {BudgetShape::TextClipHuge, 150, Drawn::Tiled},
        {BudgetShape::Mesh3000Triangles, 150, Drawn::Tiled},
        {BudgetShape::ImageInCell, 72, Drawn::Tiled},
        // The budget's edge, counted in the cells the loop draws.
        {BudgetShape::OverBudgetByOneRow, 600, Drawn::Tiled},
        {BudgetShape::AtTheBudget, 600, Drawn::ByCell},
        // The page as a whole: one placing drawn alike at every use.
        {BudgetShape::ThreePatterns, 72, Drawn::Both},
        {BudgetShape::ThreeUnderSoftMasks, 72, Drawn::Both},
        {BudgetShape::OnePatternThreeFills, 72, Drawn::Tiled},
        {BudgetShape::PatternInForm200, 72, Drawn::Both},
        {BudgetShape::BoxAwayFromOrigin, 72, Drawn::ByCell},
        // A glyph too large for MuPDF's glyph cache costs its charproc.
        {BudgetShape::Type3GlyphAt200, 150, Drawn::Tiled},
        {BudgetShape::Type3GlyphAt20, 150, Drawn::ByCell},
        // Narrow, but 625 pixels tall at 150 dpi: too tall for the cache.
        {BudgetShape::Type3GlyphTallBox, 150, Drawn::Tiled},
        // Each mesh decoded once however often the cell is used, however
        // its probes collide.
        {BudgetShape::TwoMeshesUsed500, 72, Drawn::Tiled, 2},
        {BudgetShape::ThirtyMeshesTwice, 72, Drawn::ByCell, 30, true},
        // Only the first pattern drawn cell by cell, on every band.
        {BudgetShape::FiftyTwoUnderBudget, 72, Drawn::Both},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(BudgetShapeName(row.m_shape));
        const std::string file = BudgetPatternPage(row.m_shape);
        GrayPlate plate;
        VDRW_CollideMeshSlots(row.m_collide);
        const Counts one = Draw(file, row.m_dpi, 200, 1, &plate);
        VDRW_CollideMeshSlots(0);
        EXPECT_EQ(one.m_byCell > 0, row.m_drawn == Drawn::ByCell || row.m_drawn == Drawn::Both);
        EXPECT_EQ(one.m_tiled > 0, row.m_drawn == Drawn::Tiled || row.m_drawn == Drawn::Both);
        if (row.m_meshes >= 0) {
            EXPECT_EQ(one.m_meshes, static_cast<size_t>(row.m_meshes));
        }
        if (row.m_shape == BudgetShape::FiftyTwoUnderBudget) {
            EXPECT_EQ(one.m_byCell * 51, one.m_tiled);
        }
        if (row.m_drawn == Drawn::Both) {
            GrayPlate threaded;
            const Counts four = Draw(file, row.m_dpi, 200, 4, &threaded);
            EXPECT_EQ(four.m_byCell, one.m_byCell);
            EXPECT_EQ(four.m_tiled, one.m_tiled);
            EXPECT_TRUE(threaded.pixels == plate.pixels);
        }
        // Every cell that inks the area is drawn: 60 × 60 points at 72 dpi.
        if (row.m_shape == BudgetShape::BoxAwayFromOrigin) {
            EXPECT_EQ(std::lround(plate.InkedShare() * plate.width * plate.height), 3600);
        }
    }
    // MuPDF hands no zero step over from a page: such a placing cannot be
    // weighed, whether a row or a column of its cells comes near or not.
    struct Placing {
        const char* m_what;
        fz_rect m_area, m_view;
        float m_xstep, m_ystep;
        double m_cells;
    };
    const Placing placings[] = {
        {"zero XStep, between rows", {0, 0, 200, 200}, {0, 500, 1, 501}, 0, 1000, HUGE_VAL},
        {"zero YStep, between columns", {0, 0, 200, 200}, {500, 0, 501, 1}, 1000, 0, HUGE_VAL},
        {"between columns, YStep 1e-9", {0, 0, 200, 200}, {500, 0, 501, 1}, 1000, 1e-9f, 0},
        {"2 x 2 cells, 1 pt off the area", {1, 1, 3, 3}, {0, 0, 1, 1}, 1, 1, 4 * 4},
    };
    for (const Placing& p : placings) {
        SCOPED_TRACE(p.m_what);
        EXPECT_EQ(VDRW_TileCells(p.m_area, p.m_view, p.m_xstep, p.m_ystep, fz_identity, fz_make_rect(0, 0, 200, 200),
                                 nullptr),
                  p.m_cells);
    }
}

}  // namespace
