// 200 × 200 pt pages filled with a coloured tiling pattern whose cell is
// costly to draw again at every place it falls: for the tests that such a
// pattern is left to MuPDF's tiling and for the benchmark beside mutool.
#pragma once

#include <string>

enum class CostlyCell {
    Path1000,        // a 1-pt cell: one fill of a 1,000-segment path
    Path20000,       // a 2.5-pt cell: one fill of a 20,000-segment path
    Glyphs400,       // a 2-pt cell: one Tj of 400 glyphs of 2-pt Helvetica
    NestedPattern,   // a 10-pt cell filled with a pattern of 0.1-pt step
    NoMarks,         // a 0.1-pt cell that sets a colour and marks nothing
};

// The page whose content fills 0 0 side side with the cell's pattern
// (side 200: the whole page).
std::string CostlyPatternPage(CostlyCell cell, double side = 200);

// The cell's step in points.
double CostlyCellStep(CostlyCell cell);

const char* CostlyCellName(CostlyCell cell);
