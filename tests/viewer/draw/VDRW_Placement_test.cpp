// Where marks land and what an image costs to decode, in the cases the
// simpler pages miss: a page turned 270° (its corner's x is the one that
// moves), an image sheared so that its matrix has a zero d, and a huge
// image of which a corner shows, used twice or through a soft mask.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "VDRW_BandSoak.h"
#include "VDRW_TestDib.h"
#include "support/Deflated.h"
#include "viewer/VIEW_Host.h"
#include "viewer/cos/VCOS_TestPdf.h"
#include "viewer/draw/VDRW_MuPDF.h"
#include "viewer/draw/VDRW_PageDrawer.h"
// Last: libjpeg defines TRUE and FALSE, which the Win32 stand-in declares.
#include "FILT/FILT_DCTTestJpeg.h"

namespace {

// v × 65536 rounded half up, as the plug-in makes its terms.
PDFL_Fixed PlugInFixed(double v) { return static_cast<PDFL_Fixed>(std::floor(v * 65536 + 0.5)); }

// Pixels of the two drawings where one is dark and the other light.
int Opposed(const GrayPlate& one, const GrayPlate& other) {
    int opposed = 0;
    for (size_t i = 0; i < one.pixels.size(); ++i)
        opposed += std::abs(one.pixels[i] - other.pixels[i]) > 160;
    return opposed;
}

// Letter turned 270° at dpi, its turned top-left corner (user 612, 792) at
// pixel (0, 0) as the plug-in places it: a 48-point square of black at
// user (564, 744) is pixels 0 to 48·dpi/72 - 1 both ways, with nothing
// beside it.
void ExpectTurnedSquareOnItsPixels(int dpi) {
    const double s = dpi / 72.0;
    const int side = 48 * dpi / 72, margin = 16;
    VCOS_Store store;
    const VCOS_DocId doc = VDRW_OnePageDoc(store, "/Rotate 270", "0 0 0 1 k 564 744 48 48 re f");
    VDRW_TestDib dib(side + margin, side + margin);
    VDRW_PageDrawer(store).Draw(
        doc, 0, PDFL_FixedMatrix{0, PlugInFixed(-s), PlugInFixed(-s), 0, PlugInFixed(792 * s), PlugInFixed(612 * s)},
        dib.DC(), VDRW_Rect(540, 720, 612, 792), nullptr, nullptr);
    const GrayPlate plate = dib.Blue();
    int wrong = 0;
    for (int y = 0; y < plate.height; ++y)
        for (int x = 0; x < plate.width; ++x)
            wrong += plate.At(x, y) != (x < side && y < side ? 0 : 255);
    EXPECT_EQ(wrong, 0);
}

// 150 dpi, Letter upright: an image through 48 48 48 0 x y cm covers the
// parallelogram a fill of its unit square's corners covers.
void ExpectShearedImageAsItsParallelogram() {
    std::string samples;
    for (int i = 0; i < 16; ++i)
        samples += "000000FF";
    const PDFL_FixedMatrix matrix = VDRW_Matrix(150.0 / 72, 0, 0, -150.0 / 72, 0, 792 * 150.0 / 72);
    const auto draw = [&](const std::string& content) {
        VCOS_Store store;
        const VCOS_DocId doc = VDRW_OnePageDoc(store, "", content);
        VDRW_TestDib dib(300, 150);
        VDRW_PageDrawer(store).Draw(doc, 0, matrix, dib.DC(), VDRW_Rect(0, 720, 144, 792), nullptr, nullptr);
        return dib.Blue();
    };
    const GrayPlate image = draw("q 48 48 48 0 12 732 cm BI /W 4 /H 4 /CS /DeviceCMYK /BPC 8 /F /AHx ID " +
                                 samples + "> EI Q");
    const GrayPlate fill = draw("0 0 0 1 k 12 732 m 60 780 l 108 780 l 60 732 l h f");
    EXPECT_GT(1 - fill.InkedShare(), 0.0);
    EXPECT_GT(fill.InkedShare(), 0.05);
    EXPECT_EQ(Opposed(image, fill), 0);
}

// A 12000 × 12000 image of which the top-left 833 × 833 pixels show at 300
// dpi costs memory by what shows, and its part is decoded once for the
// drawing however often the page uses it.
void ExpectHugeImageDecodedAsFarAsItShows(int uses, bool masked) {
    constexpr int kSide = 12000;
    const std::string page = VDRW_HugeImagePage(kSide, 834, 300, uses, masked);
    VDRW_ResetLargestBlock();
    VDRW_ResetPlanCounts();
    const std::vector<uint8_t> drawn = VDRW_SoakRows(page, 0, 300, 0, 833, 1);
    ASSERT_FALSE(drawn.empty());
    size_t inked = 0;
    for (size_t i = 0; i < drawn.size(); ++i)
        inked += i % 4 != 3 && drawn[i] != 255;
    EXPECT_GT(inked, drawn.size() / 2);  // three colour bytes a pixel, most inked
    EXPECT_LT(VDRW_LargestBlock(), size_t(kSide) * kSide / 16);
    // One size of image, and with a mask of that size still one part.
    EXPECT_EQ(VDRW_ReadPlanCounts().m_decodedAhead, 1u);
}

// A 3000 × 3000 grey JPEG painted twice over 400 × 400 points of a 200-point
// page, its top-left quarter showing, through a page-wide luminosity soft
// mask when masked. MuPDF decodes it at half size at 150 dpi, fewer pixels
// than a part is cut from: it is decoded ahead whole, once for its size.
void ExpectLargeJpegDecodedAheadOnce(bool masked) {
    const std::string jpeg = dcttest::MakeJpeg({3000, 3000}, dcttest::SourceImage(3000, 3000, 1, 7));
    ASSERT_FALSE(jpeg.empty());
    const auto stream = [](const std::string& dict, const std::string& data) {
        return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
    };
    const std::string paint = "q 400 0 0 400 0 -200 cm /Im0 Do Q\n";
    const std::vector<std::string> objects{
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << /XObject << /Im0 5 0 R >> "
        "/ExtGState << /GS0 << /SMask << /S /Luminosity /G 6 0 R >> >> >> >> /Contents 4 0 R >>",
        stream("", (masked ? "/GS0 gs\n" : "") + paint + paint),
        stream("/Type /XObject /Subtype /Image /Width 3000 /Height 3000 /ColorSpace /DeviceGray /BitsPerComponent 8 "
               "/Filter /DCTDecode",
               jpeg),
        stream("/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Group << /S /Transparency /CS /DeviceGray >>",
               "0.8 g 0 0 200 200 re f")};
    VDRW_ResetPlanCounts();
    ASSERT_FALSE(VDRW_SoakRows(VCOS_MakePdf("%PDF-1.4", objects), 0, 150, 0, 416, 1).empty());
    EXPECT_EQ(VDRW_ReadPlanCounts().m_decodedAhead, 1u);
}

TEST(VDRW_Placement, TurnedPagesShearedImagesAndReusedOrMaskedHugeImagesDrawWhereAndAsFarAsTheyShow) {
    VIEW_Host::Reset();
    // Every third dpi from 51 to 600, where the square's edges are pixel
    // boundaries.
    for (int dpi = 51; dpi <= 600; dpi += 3) {
        SCOPED_TRACE("turned 270 degrees at " + std::to_string(dpi) + " dpi");
        ExpectTurnedSquareOnItsPixels(dpi);
    }
    {
        SCOPED_TRACE("image sheared by 48 48 48 0");
        ExpectShearedImageAsItsParallelogram();
    }
    const struct {
        const char* name;
        int uses;
        bool masked;
    } huge[] = {{"huge image used twice", 2, false},
                {"huge image with a soft mask", 1, true}};
    for (const auto& row : huge) {
        SCOPED_TRACE(row.name);
        ExpectHugeImageDecodedAsFarAsItShows(row.uses, row.masked);
    }
    for (const bool masked : {true, false}) {
        SCOPED_TRACE(masked ? "large JPEG painted twice through a soft mask" : "large JPEG painted twice");
        ExpectLargeJpegDecodedAheadOnce(masked);
    }
    VIEW_Host::Reset();
}

}  // namespace
