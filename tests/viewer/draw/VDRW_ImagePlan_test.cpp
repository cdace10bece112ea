// The plan of which part of each image the bands decode, found by the
// image's size: on a page of many images of distinct sizes, planning and
// the bands' look-ups cost steps in proportion to the number of images.
#include <gtest/gtest.h>

#include <string>

#include "VDRW_TestDib.h"
#include "viewer/VIEW_Host.h"
#include "viewer/draw/VDRW_MuPDF.h"
#include "viewer/draw/VDRW_PageDrawer.h"

namespace {

// A 200-point page of count inline image masks, each one point square and
// of its own size in samples (every sample row 0x55, "U").
std::string ManyMasks(int count) {
    std::string content;
    for (int i = 0; i < count; ++i) {
        const int w = 1 + i % 97, h = 1 + i / 97;
        content += "q 1 0 0 1 " + std::to_string(i % 190 + 5) + " " + std::to_string(i / 190 % 190 + 5) +
                   " cm BI /W " + std::to_string(w) + " /H " + std::to_string(h) + " /IM true /BPC 1 ID " +
                   std::string(size_t((w + 7) / 8) * h, 'U') + " EI Q\n";
    }
    return content;
}

// The look-up steps of one drawing of the page at 72 dpi on one thread.
size_t StepsToDraw(int count) {
    VCOS_Store store;
    const VCOS_DocId doc = VDRW_OnePageDoc(store, "/MediaBox [0 0 200 200]", "0 g\n" + ManyMasks(count));
    VDRW_TestDib dib(200, 200);
    VDRW_PageDrawer drawer(store);
    drawer.SetThreads(1);
    VDRW_ResetPlanCounts();
    const VDRW_Drawn drawn =
        drawer.Draw(doc, 0, VDRW_Matrix(1, 0, 0, -1, 0, 200), dib.DC(), VDRW_Rect(0, 0, 200, 200), nullptr, nullptr);
    EXPECT_TRUE(drawn.m_complete);
    int inked = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            inked += dib.Pixel(x, y)[0] < 255;
    EXPECT_GT(inked, count / 4);  // the masks were drawn, not skipped
    return VDRW_ReadPlanCounts().m_steps;
}

TEST(VDRW_ImagePlan, DoublingTheImagesOfDistinctSizesAtMostAboutDoublesTheLookUpSteps) {
    VIEW_Host::Reset();
    size_t previous = 0;
    for (const int count : {1000, 2000, 4000}) {
        SCOPED_TRACE(std::to_string(count) + " images");
        const size_t steps = StepsToDraw(count);
        // Each image is looked up when planned, when decoded ahead and in
        // its band's decode.
        EXPECT_GE(steps, size_t(count) * 3);
        if (previous > 0) {
            EXPECT_LE(steps, previous * 5 / 2);
        }
        previous = steps;
    }
    VIEW_Host::Reset();
}

}  // namespace
