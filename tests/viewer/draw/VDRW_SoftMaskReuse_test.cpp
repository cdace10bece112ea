// A soft mask in the graphics state applies to each mark painted outside a
// group, and each mark used to draw the whole mask again in every band: a
// page of many small marks under one page-sized mask whose group is a long
// path draws that mask a few times a band, and its pixels stay what the
// mask makes them whatever the bands and threads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VDRW_TestDib.h"
#include "support/PdfText.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_Store.h"
#include "viewer/draw/VDRW_PageDrawer.h"
#include "viewer/draw/VDRW_SoftMaskDevice.h"

namespace {

constexpr int kSide = 200;  // points, and pixels at 72 dpi
constexpr int kGrid = 20;   // squares a side, 10 points apart

std::string Stream(const std::string& dict, const std::string& data) {
    return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

// The mask's group: a 0.6 grey fill of the page's left half, whose right
// edge is a zigzag of 2,000 segments within 2 points of x = 100. The page:
// black 4-point squares, each painted on its own through the mask.
std::string MaskedSquaresPage() {
    std::string path = "0.6 g 0 0 m";
    for (int i = 0; i <= 2000; ++i)
        path += " " + std::to_string(i % 2 ? 102 : 98) + " " + std::to_string(i * 0.1) + " l";
    path += " 0 200 l h f";
    std::string content = "q /GS0 gs 0 g\n";
    for (int j = 0; j < kGrid; ++j)
        for (int i = 0; i < kGrid; ++i)
            content += std::to_string(3 + 10 * i) + " " + std::to_string(3 + 10 * j) + " 4 4 re f\n";
    content += "Q";
    return PdfText("%PDF-1.4",
                   {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << /ExtGState << /GS0 5 0 R "
                    ">> >> /Contents 4 0 R >>",
                    Stream("", content), "<< /Type /ExtGState /SMask << /S /Luminosity /G 6 0 R >> >>",
                    Stream("/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Group << /S /Transparency /CS "
                           "/DeviceGray >> /Resources << >>",
                           path)});
}

struct Drawing {
    GrayPlate m_blue;
    long m_drawn, m_reused;
};

// The page at 72 dpi on threads, only the rows from top (pixels) down.
Drawing Draw(int threads, int top) {
    VCOS_Store store;
    const VCOS_DocId doc = VCOS_Reader::Read(store, MaskedSquaresPage(), "masked.pdf");
    VDRW_TestDib dib(kSide, kSide);
    VDRW_PageDrawer drawer(store);
    drawer.SetThreads(threads);
    VDRW_ResetSoftMaskCounts();
    drawer.Draw(doc, 0, VDRW_Matrix(1, 0, 0, -1, 0, kSide), dib.DC(), VDRW_Rect(0, 0, kSide, kSide - top), nullptr,
                nullptr);
    return {dib.Blue(), VDRW_SoftMasksDrawn(), VDRW_SoftMasksReused()};
}

TEST(VDRW_SoftMaskReuse, ManyMarksUnderOneMaskDrawItAFewTimesABandWithTheSamePixels) {
    const Drawing one = Draw(1, 0);
    // Four bands of 64 rows: the mask is drawn once by the draw device and
    // once as a coverage in each, and stands for the other squares.
    EXPECT_LE(one.m_drawn, 8);
    EXPECT_GE(one.m_reused, kGrid * kGrid - 8);
    // What the mask makes of black: 60 % where its group is, nothing beyond.
    for (int j = 0; j < kGrid; ++j)
        for (int i = 0; i < kGrid; ++i) {
            const int x = 5 + 10 * i, y = kSide - 5 - 10 * j;
            SCOPED_TRACE("square at " + std::to_string(x) + "," + std::to_string(y));
            if (x < 96)
                EXPECT_NEAR(one.m_blue.At(x, y), 102, 2);
            else
                EXPECT_EQ(one.m_blue.At(x, y), 255);
        }
    // Other threads and other bands give the same pixels.
    const struct {
        int m_threads, m_top;
    } others[] = {{4, 0}, {3, 10}, {1, 37}};
    for (const auto& other : others) {
        SCOPED_TRACE(std::to_string(other.m_threads) + " threads from row " + std::to_string(other.m_top));
        const Drawing drawing = Draw(other.m_threads, other.m_top);
        EXPECT_LE(drawing.m_drawn, 10);
        int apart = 0;
        for (int y = other.m_top; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                apart += drawing.m_blue.At(x, y) != one.m_blue.At(x, y);
        EXPECT_EQ(apart, 0);
    }
}

}  // namespace
