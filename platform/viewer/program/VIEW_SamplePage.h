// The page the program runs on when it is given no file: 200 x 100 points
// of full Cyan, full Magenta, the two over each other, and the spot ink
// "Spot" at full tint, whose CMYK equivalent is (0.5, 0, 0, 0). Every plate
// of it is 0 (ink) or 255 (no ink).
#pragma once

#include <string>

// The PDF file, with its cross-reference table.
std::string VIEW_SamplePagePdf();

// Where each area lies, in points from the page's lower-left corner: x
// from AreaLeft[i] for AreaSide, y from AreaBottom for AreaSide; i: 0
// Cyan, 1 Magenta, 2 both, 3 Spot.
struct VIEW_SamplePageLayout {
    static constexpr double Width = 200, Height = 100;
    static constexpr double AreaLeft[4] = {10, 57.5, 105, 152.5};
    static constexpr double AreaBottom = 30, AreaSide = 40;
};
