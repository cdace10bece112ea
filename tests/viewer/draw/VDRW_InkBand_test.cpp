// A page of neutral greys is drawn in CMYK, where a knockout group's
// transparent start is no ink: a group of white marks leaves the page
// white. A page that paints any colour is drawn in colour as before.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "VDRW_TestDib.h"
#include "support/PdfText.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_Store.h"
#include "viewer/draw/VDRW_PageDrawer.h"

namespace {

constexpr double kScale = 150.0 / 72;

std::string Stream(const std::string& dict, const std::string& data) {
    return "<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

// A 200-point page whose isolated knockout grey group (object 5) paints
// two white squares with fractional edges within 10..100, then mark within
// 120..190, in the group or after it (a group of DeviceGray would turn a
// colour grey), with resources, which may name objects 6 and on (more).
std::string Page(const std::string& resources, const std::string& mark, const std::vector<std::string>& more,
                 bool inGroup) {
    std::string pageResources = resources;
    const std::string xobjects = "/XObject << ";
    const size_t at = pageResources.find(xobjects);
    if (at == std::string::npos)
        pageResources += " " + xobjects + ">>";
    pageResources.insert(pageResources.find(xobjects) + xobjects.size(), "/Ko 5 0 R ");
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << " + pageResources +
            " >> /Contents 4 0 R >>",
        Stream("", "/Ko Do " + (inGroup ? "" : mark)),
        Stream("/Type /XObject /Subtype /Form /BBox [0 0 200 200] "
               "/Group << /S /Transparency /CS /DeviceGray /I true /K true >> /Resources << " + resources + " >>",
               "1 g 10.3 10.3 60.2 60.2 re f 40.4 40.4 59.3 59.3 re f " + (inGroup ? mark : ""))};
    objects.insert(objects.end(), more.begin(), more.end());
    return PdfText("%PDF-1.7", objects);
}

std::string GreyPage(const std::string& resources, const std::string& mark, const std::vector<std::string>& more) {
    return Page(resources, mark, more, true);
}

std::string ColourPage(const std::string& resources, const std::string& mark,
                       const std::vector<std::string>& more) {
    return Page(resources, mark, more, false);
}

const std::string kRed = Stream("/Type /XObject /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceRGB "
                                "/BitsPerComponent 8",
                                std::string("\xff\0\0\xff\0\0\xff\0\0\xff\0\0", 12));
const std::string kRedGlyphFont =
    "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0] "
    "/CharProcs << /r 7 0 R >> /Encoding << /Type /Encoding /Differences [82 /r] >> /FirstChar 82 /LastChar 82 "
    "/Widths [1000] >>";

TEST(VDRW_InkBand, AGreyPageKeepsAKnockoutGroupOfWhiteWhiteAndAColourPageItsColour) {
    const struct {
        const char* what;
        std::string page;
        int bgr[3];  // at the mark; -1: grey, the knockout group left white
    } rows[] = {
        // Neutral greys, however given.
        {"DeviceGray", GreyPage("", "0.4 g 120 120 70 70 re f", {}), {-1}},
        {"RGB grey", GreyPage("", "0.5 0.5 0.5 rg 120 120 70 70 re f", {}), {-1}},
        {"CMYK black alone", GreyPage("", "0 0 0 0.7 k 120 120 70 70 re f", {}), {-1}},
        {"a grey image",
         GreyPage("/XObject << /Im 6 0 R >>", "q 70 0 0 70 120 120 cm /Im Do Q",
              {Stream("/Type /XObject /Subtype /Image /Width 2 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8",
                      "\x20\xa0")}),
         {-1}},
        {"an image indexed over grey",
         GreyPage("/XObject << /Im 6 0 R >>", "q 70 0 0 70 120 120 cm /Im Do Q",
              {Stream("/Type /XObject /Subtype /Image /Width 2 /Height 1 /BitsPerComponent 8 "
                      "/ColorSpace [/Indexed /DeviceGray 1 <2080>]",
                      std::string("\0\1", 2))}),
         {-1}},
        {"a grey shading",
         GreyPage("/Shading << /Sh 6 0 R >>", "q 120 120 70 70 re W n /Sh sh Q",
              {"<< /ShadingType 2 /ColorSpace /DeviceGray /Coords [120 0 190 0] /Function << /FunctionType 2 "
               "/Domain [0 1] /C0 [0] /C1 [1] /N 1 >> >>"}),
         {-1}},
        {"colour only inside a soft mask's group",
         GreyPage("/ExtGState << /M << /SMask << /S /Luminosity /G 6 0 R >> >> >>", "/M gs 0 g 120 120 70 70 re f",
              {Stream("/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Group << /S /Transparency >>",
                      "0 1 1 rg 0 0 200 200 re f")}),
         {-1}},
        // Any colour keeps the page in colour.
        {"an RGB fill", ColourPage("", "1 0 0 rg 120 120 70 70 re f", {}), {0, 0, 255}},
        {"a CMYK cyan fill", ColourPage("", "1 0 0 0 k 120 120 70 70 re f", {}), {255, 255, 0}},
        {"an RGB stroke", ColourPage("", "0 0 1 RG 30 w 120 155 m 190 155 l S", {}), {255, 0, 0}},
        {"an RGB image",
         ColourPage("/XObject << /Im 6 0 R >>", "q 70 0 0 70 120 120 cm /Im Do Q", {kRed}),
         {0, 0, 255}},
        {"an RGB shading",
         ColourPage("/Shading << /Sh 6 0 R >>", "q 120 120 70 70 re W n /Sh sh Q",
              {"<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [120 0 190 0] /Function << /FunctionType 2 "
               "/Domain [0 1] /C0 [1 0 0] /C1 [1 0 0] /N 1 >> >>"}),
         {0, 0, 255}},
        {"a pattern cell in colour",
         ColourPage("/Pattern << /P 6 0 R >>", "/Pattern cs /P scn 120 120 70 70 re f",
              {Stream("/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 10 "
                      "/YStep 10 /Resources << >>",
                      "1 0 0 rg 0 0 10 10 re f")}),
         {0, 0, 255}},
        {"a colour through a soft mask",
         ColourPage("/ExtGState << /M << /SMask << /S /Luminosity /G 6 0 R >> >> >>",
                    "/M gs 1 0 0 rg 120 120 70 70 re f",
              {Stream("/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Group << /S /Transparency >>",
                      "1 g 0 0 200 200 re f")}),
         {0, 0, 255}},
        {"a grey text whose Type 3 glyph sets its own colour",
         ColourPage("/Font << /F1 6 0 R >>", "0.5 g BT /F1 70 Tf 120 120 Td (R) Tj ET",
              {kRedGlyphFont, Stream("", "1000 0 d0 1 0 0 rg 0 0 1000 1000 re f")}),
         {0, 0, 255}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        VCOS_Store store;
        const VCOS_DocId doc = VCOS_Reader::Read(store, row.page, "ink.pdf");
        const int side = static_cast<int>(std::ceil(200 * kScale));
        VDRW_TestDib dib(side, side);
        VDRW_PageDrawer(store).Draw(doc, 0, VDRW_Matrix(kScale, 0, 0, -kScale, 0, 200 * kScale), dib.DC(),
                                    VDRW_Rect(0, 0, 200, 200), nullptr, nullptr);
        const uint8_t* mark = dib.Pixel(static_cast<int>(155 * kScale), static_cast<int>(45 * kScale));
        if (row.bgr[0] >= 0) {
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(mark[c], row.bgr[c], 8) << "channel " << c;
            continue;
        }
        EXPECT_TRUE(mark[0] == mark[1] && mark[1] == mark[2] && mark[0] < 250) << "the grey mark is drawn";
        long inked = 0;
        for (int y = static_cast<int>(90 * kScale); y < side; ++y)
            for (int x = 0; x < static_cast<int>(110 * kScale); ++x)
                inked += dib.Pixel(x, y)[0] != 255 || dib.Pixel(x, y)[1] != 255 || dib.Pixel(x, y)[2] != 255;
        EXPECT_EQ(inked, 0) << "pixels of the group of white marks not white";
    }
}

}  // namespace
