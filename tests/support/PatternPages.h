// 200 × 200 pt pages filled with a coloured tiling pattern whose cell is
// costly to draw again at every place it falls: for the tests that such a
// pattern is left to MuPDF's tiling and for the benchmark beside mutool.
#pragma once

#include <string>

enum class CostlyCell {
    Path1000,        // a 1-pt cell: one fill of a 1,000-segment path
    Path20000,       // a 2.5-pt cell: one fill of a 20,000-segment path
    Glyphs400,       // a 2-pt cell: one Tj of 400 glyphs of 2-pt Helvetica
    NestedPattern,   // a 10-pt cell filled with a pattern of 0.2-pt step
    StrokedPattern,  // a 10-pt cell stroking a line with a pattern of 1-pt step
    NoMarks,         // a 0.1-pt cell that sets a colour and marks nothing
};

// The page whose content fills 0 0 side side with the cell's pattern
// (side 200: the whole page).
std::string CostlyPatternPage(CostlyCell cell, double side = 200);

// The cell's step in points.
double CostlyCellStep(CostlyCell cell);

const char* CostlyCellName(CostlyCell cell);

// 200 × 200 pt pages whose patterns a page-wide budget must weigh by what
// drawing them cell by cell does: the cells the drawing loop draws, the
// pixels a cell's mask, clip or shading covers, a mesh's triangles, and
// every use over the page.
enum class BudgetShape {
    BetweenColumns,       // the page between two columns of 1-pt cells 1,000 pt apart, YStep 1e-9
    BetweenColumnsRows,   // the same, YStep 0.01
    SoftMaskHugeBox,      // a 2-pt cell under a luminosity soft mask whose form is ±10,000 pt
    RoundClipHuge,        // a 4-pt cell clipped by a round path 10,000 pt across
    TextClipHuge,         // a 4-pt cell clipped by a 2,000-pt glyph (Tr 7)
    Mesh3000Triangles,    // a 10-pt cell painting a 3,042-triangle mesh, filling 100 pt
    ImageInCell,          // a 2-pt cell drawing a 200 × 200-pixel image, filling the page
    OverBudgetByOneRow,   // 101 × 101 cells of work 25, one column and row more than the budget holds
    AtTheBudget,          // 100 × 100 of those cells: the budget exactly
    ThreePatterns,        // three patterns filling the page, each within the budget alone
    ThreeUnderSoftMasks,  // the same, each filling the page through a luminosity soft mask
    OnePatternThreeFills, // one of those patterns filling the page three times
    PatternInForm200,     // a form filled with a pattern, drawn at 200 places
    BoxAwayFromOrigin,    // BBox [-15 -15 5 5], steps 10, filling 20 20 60 60 re: 3,600 pixels at 72 dpi
    Type3GlyphAt200,      // a 4-pt cell showing a coloured Type 3 glyph at 200 pt that fills a 3,000-segment path
    Type3GlyphAt20,       // the same glyph at 20 pt, small enough for MuPDF's glyph cache at 150 dpi
    TwoMeshesUsed500,     // a 10-pt cell painting a one-triangle mesh and the 3,042-triangle one, 500 fills of 20 pt
    ThirtyMeshesTwice,    // a 20-pt cell painting 30 one-triangle meshes, filling the page twice
    Type3GlyphTallBox,    // a 2-pt cell showing a Type 3 glyph at 100 pt whose box is 2 × 300 pt, 3,000 segments
    FiftyTwoUnderBudget,  // 52 patterns (2-pt cell, a 20-segment path) each within the budget alone, own rectangles
};

std::string BudgetPatternPage(BudgetShape shape);
const char* BudgetShapeName(BudgetShape shape);
