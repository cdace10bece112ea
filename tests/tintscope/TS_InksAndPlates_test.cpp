// The program's sample page separated on the host's road: inks.txt read
// from the output pages' SeparationInfo, and each page's drawing heard by
// the drawing listener as a plate of ink where the page says. Then
// hand-made separated documents whose SeparationInfo is partial or wrong.
#include "BackEndFixture.h"

#include "hostpdf/CPDF_PDFL_Impl.h"
#include "hostpdf/PDFL_PDCalls.h"
#include "separation/CSEP_SepJobContext.h"
#include "support/PdfText.h"
#include "support/PlugInSeparation.h"
#include "viewer/VIEW_DrawListener.h"
#include "viewer/VIEW_PD.h"
#include "viewer/program/VIEW_ProgramInks.h"
#include "viewer/program/VIEW_SamplePage.h"
#include "win32/win32.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

class TS_InksTest : public HostBackEndTest {
protected:
    void TearDown() override {
        VIEW_DrawListener::Set(nullptr);
        HostBackEndTest::TearDown();
    }
};

constexpr int kDpi = 72;

// Page i drawn by the host at 72 dpi into a white 32-bit DIB, as the
// plug-in draws an ink's page.
void DrawPage(PDFL_PDDoc doc, int32_t i, int width, int height) {
    const PDFL_PDPage page = PDFL_PDDocAcquirePage(doc, i);
    const auto fixed = [](double v) { return static_cast<PDFL_Fixed>(std::lround(v * 65536)); };
    PDFL_FixedMatrix matrix{fixed(1), 0, 0, fixed(-1), 0, fixed(height)};
    PDFL_FixedRect update{0, 0, fixed(width), fixed(height)};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::memset(bits, 0xFF, static_cast<size_t>(width) * height * 4);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    PDFL_PDPageDrawContentsToWindow(page, nullptr, dc, 0, &matrix, &update, nullptr, nullptr);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
    PDFL_PDPageRelease(page);
}

TEST_F(TS_InksTest, TheSamplePageGivesFiveInksWithTheirRecipesAndPlatesOfInkOrNone) {
    const std::string sourcePath = m_dir.File("sample.pdf");
    WriteWholeFile(sourcePath, VIEW_SamplePagePdf());
    const std::string outPath = m_dir.File("inks.pdf");
    const PDFL_PDDoc sourceDoc = OpenHostDoc(sourcePath);
    std::vector<VIEW_InkLine> inks;
    std::vector<VIEW_PageDrawing> heard;
    {
        const CPDF_Doc source = CPDF_PDFL_DocFromPDDoc(sourceDoc);
        const CPDF_Page page = source.Page(0);
        CSEP_SepJobContext job;
        std::vector<GLOB_Object> pages;
        CPDF_Doc out = SeparateAsThePlugIn(page, outPath, job, pages);
        out.Save();
        out.Close();
        const PDFL_PDDoc reopened = OpenHostDoc(outPath);
        inks = VIEW_ReadInks(reopened);
        VIEW_DrawListener::Set([&](const VIEW_PageDrawing& drawing) { heard.push_back(drawing); });
        for (int32_t i = 0; i < PDFL_PDDocGetNumPages(reopened); ++i)
            DrawPage(reopened, i, 200, 100);
        PDFL_PDDocClose(reopened);
    }
    PDFL_PDDocClose(sourceDoc);

    inks[1].m_shown = false;
    EXPECT_EQ(VIEW_InksText(kDpi, inks),
              "dpi 72 mag 1\n"
              "0\tCyan\t1 0 0 0\tshown\tplate-0-Cyan.png\n"
              "1\tMagenta\t0 1 0 0\thidden\tplate-1-Magenta.png\n"
              "2\tYellow\t0 0 1 0\tshown\tplate-2-Yellow.png\n"
              "3\tBlack\t0 0 0 1\tshown\tplate-3-Black.png\n"
              "4\tSpot\t0.5 0 0 0\tshown\tplate-4-Spot.png\n");

    // Which areas each ink's plate inks: cyan, magenta, both, spot.
    const bool inked[5][4] = {
        {true, false, true, false}, {false, true, true, false}, {}, {}, {false, false, false, true},
    };
    ASSERT_EQ(heard.size(), 5u);
    for (size_t i = 0; i < heard.size(); ++i) {
        SCOPED_TRACE(inks[i].m_name);
        const VIEW_PageDrawing& plate = heard[i];
        ASSERT_EQ(plate.m_width, 200);
        ASSERT_EQ(plate.m_height, 100);
        for (int area = 0; area < 4; ++area) {
            const int x = static_cast<int>(VIEW_SamplePageLayout::AreaLeft[area] + VIEW_SamplePageLayout::AreaSide / 2);
            const int y = static_cast<int>(100 - VIEW_SamplePageLayout::AreaBottom - VIEW_SamplePageLayout::AreaSide / 2);
            EXPECT_EQ(plate.m_blue[y * 200 + x], inked[i][area] ? 0 : 255) << "area " << area;
        }
        // An area's side at x.5 inks half of its column (to one of the 17
        // samples across a pixel); nothing else is partly inked.
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x) {
                const uint8_t level = plate.m_blue[y * 200 + x];
                if (level == 0 || level == 255)
                    continue;
                const bool halfColumn = std::any_of(std::begin(VIEW_SamplePageLayout::AreaLeft),
                                                    std::end(VIEW_SamplePageLayout::AreaLeft), [&](double left) {
                                                        return left - x == 0.5 ||
                                                               left + VIEW_SamplePageLayout::AreaSide - x == 0.5;
                                                    });
                ASSERT_TRUE(halfColumn) << int(level) << " at " << x << ", " << y;
                ASSERT_NEAR(level, 128, 255 / 17) << "at " << x << ", " << y;
            }
        EXPECT_EQ(plate.m_blue[0], 255) << "the margin carries no ink";
    }
}

TEST_F(TS_InksTest, APageWithoutANameOrAFourNumberRecipeSaysSo) {
    const std::string path = m_dir.File("hand.pdf");
    WriteWholeFile(path, PdfText("%PDF-1.4",
                                 {
                                     "<< /Type /Catalog /Pages 2 0 R >>",
                                     "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 6 0 R] /Count 4 >>",
                                     "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 9 9] /SeparationInfo "
                                     "<< /DeviceColorant /PANTONE#20485#20M /VELM_Recipe [0 0.915 0.95 0.0001] >> >>",
                                     "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 9 9] /SeparationInfo "
                                     "<< /DeviceColorant (Gold) /VELM_Recipe [0 0.2 1] >> >>",
                                     "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 9 9] /SeparationInfo "
                                     "<< /DeviceColorant /Gold /VELM_Recipe [0 /a 1 0] >> >>",
                                     "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 9 9] >>",
                                 }));
    const PDFL_PDDoc doc = OpenHostDoc(path);
    const std::vector<VIEW_InkLine> inks = VIEW_ReadInks(doc);
    PDFL_PDDocClose(doc);
    EXPECT_EQ(VIEW_InksText(150, inks),
              "dpi 150 mag 1\n"
              "0\tPANTONE 485 M\t0 0.915 0.95 0.0001\tshown\tplate-0-PANTONE#20485#20M.png\n"
              "1\t\t-\tshown\tplate-1-.png\n"
              "2\tGold\t-\tshown\tplate-2-Gold.png\n"
              "3\t\t-\tshown\tplate-3-.png\n");
}

// The host keeps a recipe as 16.16 fixed point: 0.7 comes back as
// 0.699997. inks.txt gives four decimals at most, trailing zeros dropped.
TEST(TS_InksText, RecipesReadAsTheirDecimals) {
    const auto fixed = [](double v) { return std::trunc(v * 65536) / 65536; };
    std::vector<VIEW_InkLine> inks(2);
    inks[0].m_name = "PANTONE 485 M";
    inks[0].m_hasRecipe = true;
    const double pantone[4] = {fixed(0), fixed(0.7), fixed(0.6), fixed(0.1)};
    std::copy(pantone, pantone + 4, inks[0].m_cmyk);
    inks[0].m_plateFile = "p0.png";
    inks[1].m_index = 1;
    inks[1].m_name = "Gold";
    inks[1].m_hasRecipe = true;
    // Whole numbers, a value that rounds up to 1, a tiny negative one and
    // a value with four decimals of its own.
    const double gold[4] = {1, 0.99999, -0.00001, 0.12346};
    std::copy(gold, gold + 4, inks[1].m_cmyk);
    inks[1].m_plateFile = "p1.png";
    ASSERT_NE(inks[0].m_cmyk[1], 0.7);
    EXPECT_EQ(VIEW_InksText(150, inks),
              "dpi 150 mag 1\n"
              "0\tPANTONE 485 M\t0 0.7 0.6 0.1\tshown\tp0.png\n"
              "1\tGold\t1 1 0 0.1235\tshown\tp1.png\n");
}

}  // namespace
