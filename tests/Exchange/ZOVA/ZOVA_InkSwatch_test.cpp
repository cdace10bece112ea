// Swatch colours of CMYK inks and ink colours of chosen screen colours.
#include "Exchange/ZOVA/ZOVA_InkSwatch.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ZOVA_InkSwatch, SwatchOfAnInksCmykEquivalent) {
    struct Row {
        std::vector<double> cmyk;
        COLORREF swatch;
    };
    const Row rows[] = {
        {{1, 0, 0, 0}, RGB(0, 255, 255)},
        {{0, 0, 0, 1}, RGB(0, 0, 0)},
        {{0.5, 0, 0, 0.75}, RGB(0, 63, 63)},  // red clipped at 0, the rest truncated
        {{0, 0, 0, 0}, RGB(255, 255, 255)},
        {{0.2, 0.4, 0.6, 0}, RGB(204, 153, 102)},
        {{0.5}, RGB(127, 255, 255)},  // missing components count as 0
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.cmyk));
        EXPECT_EQ(ZOVA_SwatchColor(CPDF_Color(row.cmyk)), row.swatch);
    }
}

TEST(ZOVA_InkSwatch, InkColourOfAChosenScreenColour) {
    struct Row {
        COLORREF chosen;
        std::vector<double> cmyk;
    };
    const Row rows[] = {
        {RGB(255, 0, 0), {0, 1, 1, 0}},
        {RGB(0, 0, 0), {0, 0, 0, 1}},
        {RGB(255, 255, 255), {0, 0, 0, 0}},
        {RGB(0, 255, 255), {1, 0, 0, 0}},
        {RGB(51, 102, 153), {0.4, 0.2, 0, 0.4}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.chosen);
        const CPDF_Color color = ZOVA_InkColorOf(row.chosen);
        ASSERT_EQ(color.NumComponents(), 4u);
        for (unsigned i = 0; i < 4; ++i)
            EXPECT_NEAR(color.Component(i), row.cmyk[i], 1e-9) << i;
        // Back to the screen: the chosen colour within rounding.
        const COLORREF back = ZOVA_SwatchColor(color);
        EXPECT_NEAR(GetRValue(back), GetRValue(row.chosen), 1);
        EXPECT_NEAR(GetGValue(back), GetGValue(row.chosen), 1);
        EXPECT_NEAR(GetBValue(back), GetBValue(row.chosen), 1);
    }
}
