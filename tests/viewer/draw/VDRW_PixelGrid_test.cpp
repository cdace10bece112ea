// Marks whose edges lie on pixel boundaries, drawn through the host's 16.16
// matrix as the plug-in makes it (the page's corner on a pixel corner):
// a fill inks exactly the pixels it covers and none beside them, and an
// image covers the same pixels as a fill of its unit square.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "VDRW_TestDib.h"
#include "viewer/cos/VCOS_Store.h"
#include "viewer/draw/VDRW_PageDrawer.h"

namespace {

constexpr double kSide = 48;  // points: 100, 200 and 400 pixels
constexpr int kMargin = 16;   // pixels looked at around the mark

// v × 65536 rounded half up, as the plug-in makes its terms.
PDFL_Fixed PlugInFixed(double v) { return static_cast<PDFL_Fixed>(std::floor(v * 65536 + 0.5)); }

struct Drawn {
    GrayPlate m_plate;
    int m_left, m_top;  // the square's first pixel
};

// Letter at dpi, its top-left corner at pixel (0, 0) as the plug-in places
// it, drawn around the 48-point square at (x, y).
Drawn DrawAround(const std::string& content, int dpi, double x, double y) {
    VCOS_Store store;
    const VCOS_DocId doc = VDRW_OnePageDoc(store, "", content);
    const double s = dpi / 72.0;
    const int left = static_cast<int>(x * s), top = static_cast<int>((792 - y - kSide) * s);
    VDRW_TestDib dib(left + static_cast<int>(kSide * s) + kMargin, top + static_cast<int>(kSide * s) + kMargin);
    VDRW_PageDrawer(store).Draw(doc, 0, PDFL_FixedMatrix{PlugInFixed(s), 0, 0, PlugInFixed(-s), 0, PlugInFixed(792 * s)}, dib.DC(),
                                VDRW_Rect(x - 8, y - 8, x + kSide + 8, y + kSide + 8), nullptr, nullptr);
    return Drawn{dib.Blue(), left, top};
}

std::string Square(double x, double y) {
    return "0 0 0 1 k " + std::to_string(x) + " " + std::to_string(y) + " 48 48 re f";
}

// Every pixel of the square is `inside`, every other one 255.
void ExpectSquare(const Drawn& drawn, int dpi, int inside) {
    const int side = static_cast<int>(kSide * dpi / 72);
    int wrong = 0;
    for (int py = 0; py < drawn.m_plate.height; ++py)
        for (int px = 0; px < drawn.m_plate.width; ++px) {
            const bool in = px >= drawn.m_left && px < drawn.m_left + side && py >= drawn.m_top &&
                            py < drawn.m_top + side;
            const int value = drawn.m_plate.At(px, py);
            if (value != (in ? inside : 255) && wrong++ < 4)
                ADD_FAILURE() << "pixel " << px << "," << py << " holds " << value
                              << (in ? " inside" : " outside") << " the square";
        }
    EXPECT_EQ(wrong, 0);
}

}  // namespace

TEST(VDRW_PixelGrid, AFillWhoseEdgesLieOnPixelBoundariesInksNoPixelBesideIt) {
    // At 72 points from the left and top, at the page's left edge, and in
    // its far corner.
    const struct {
        double x, y;
    } places[] = {{72, 672}, {0, 672}, {564, 0}};
    for (const int dpi : {150, 300, 600})
        for (const auto& at : places) {
            SCOPED_TRACE(std::to_string(dpi) + " dpi at " + std::to_string(at.x) + "," + std::to_string(at.y));
            ExpectSquare(DrawAround(Square(at.x, at.y), dpi, at.x, at.y), dpi, 0);
        }
}

TEST(VDRW_PixelGrid, AnImageCoversThePixelsAFillOfItsSquareCovers) {
    // 4 x 4 samples of 50% black.
    std::string samples;
    for (int i = 0; i < 16; ++i)
        samples += "00000080";
    for (const double x : {72.0, 0.0})
        for (const int dpi : {150, 300, 600}) {
            SCOPED_TRACE(std::to_string(dpi) + " dpi at x = " + std::to_string(x));
            const std::string image = "q 48 0 0 48 " + std::to_string(x) +
                                      " 672 cm BI /W 4 /H 4 /CS /DeviceCMYK /BPC 8 /F /AHx ID " + samples +
                                      "> EI Q";
            const GrayPlate drawn = DrawAround(image, dpi, x, 672).m_plate;
            const GrayPlate fill = DrawAround(Square(x, 672), dpi, x, 672).m_plate;
            int differ = 0;
            for (int py = 0; py < drawn.height; ++py)
                for (int px = 0; px < drawn.width; ++px)
                    if ((drawn.At(px, py) < 255) != (fill.At(px, py) < 255) && differ++ < 4)
                        ADD_FAILURE() << "pixel " << px << "," << py << ": the image leaves "
                                      << int(drawn.At(px, py)) << ", the fill " << int(fill.At(px, py));
            EXPECT_EQ(differ, 0);
        }
}
