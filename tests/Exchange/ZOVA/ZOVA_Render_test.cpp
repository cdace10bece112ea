// Rendering plates through the stand-in host: the plate cache and its
// spill files, resizing, Stop, rotation, Fit, ink colours and counts, and
// the failures' alerts.
#include "ZOVA_RenderFixture.h"

#include "../../viewer/cos/VCOS_TestPdf.h"
#include "viewer/VIEW_App.h"
#include "viewer/VIEW_Recorder.h"
#include "win32/win32_driver.h"

#include <cstdlib>

namespace {

using ZOVA_Render = ZOVA_RenderTest;

const char* const kAlert2001 = "An error occured reading a disk file. The system disk may be full.";
const char* const kAlert2003 =
    "The Tintscope is not able to \nseparate some objects on this page.  \n\nThe page must be run "
    "through the \nQuillark TintAdjuster before it can \nbe viewed with the Tintscope.";

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kFullCyan = 0x00A1C7;  // (0, 161, 199)
constexpr uint32_t kBlack = 0;

// Cyan on the lower left quarter, black on the upper right.
const char* const kCyanAndBlack = "1 0 0 0 k 0 0 306 396 re f 0 0 0 1 k 306 396 306 396 re f";

std::string SquarePage(int rotate, const std::string& content) {
    return VCOS_MakePdf("%PDF-1.4",
                        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 400 400] /Rotate " +
                             std::to_string(rotate) + " /Resources << >> /Contents 4 0 R >>",
                         "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                             "\nendstream"});
}

}  // namespace

TEST_F(ZOVA_Render, EightInksInFourPlatesSpillAndReadBack) {
    // A pool of four window-size plates.
    Win32Driver::SetScreenSize(120, 100);
    Show(kEightInkResources, EightInkContent());
    Resize(120, 100);
    Fit();
    ASSERT_EQ(m_tool->CurrentView().NumColorants(), 8);
    Update();
    ASSERT_EQ(State(), 5);
    const GLIB_GenCache& cache = *m_tool->PlateCache();
    EXPECT_EQ(cache.SlotCount(), 4);
    EXPECT_EQ(cache.ItemCount(), 8u);
    EXPECT_EQ(TempFilesNamed("GLGC").size(), 4u) << "the first four plates went to their files";
    const std::vector<uint32_t> rendered = Image();

    VIEW_CallPlugin([&] { m_tool->SetInkShown(0, false); });
    EXPECT_NE(Image(), rendered) << "the cyan band is gone";
    VIEW_CallPlugin([&] { m_tool->SetInkShown(0, true); });
    EXPECT_EQ(Image(), rendered);
    EXPECT_TRUE(AlertTexts().empty());
    EXPECT_EQ(State(), 5);
}

TEST_F(ZOVA_Render, AResizeEmptiesTheCacheAndTheNextRenderDrawsEveryInk) {
    Show("<< >>", kCyanAndBlack);
    Resize(100, 100);
    Fit();
    Update();
    ASSERT_EQ(State(), 5);
    EXPECT_EQ(m_tool->PlateCache()->BlockSize(), 100u * 100u);
    const size_t before = Draws();
    Resize(90, 80);
    EXPECT_EQ(m_tool->WindowWidth(), 90);
    EXPECT_EQ(m_tool->WindowHeight(), 80);
    EXPECT_EQ(State(), 5) << "a ready view is rendered again at once";
    EXPECT_EQ(Draws() - before, 4u);
    EXPECT_EQ(m_tool->PlateCache()->BlockSize(), 90u * 80u);
    EXPECT_EQ(m_tool->PlateCache()->ItemCount(), 4u);
    // Recomposing reads the new plates: the picture stays.
    const std::vector<uint32_t> rendered = Image();
    VIEW_CallPlugin([&] { m_tool->SetInkShown(2, false); });
    EXPECT_EQ(Image(), rendered) << "yellow lays nothing";
}

TEST_F(ZOVA_Render, AResolutionChosenForAReadyPageRedrawsTheFrameAndRendersAgain) {
    Show("<< >>", kCyanAndBlack);
    Resize(100, 100);
    Fit();
    Update();
    ASSERT_EQ(State(), 5);
    VIEW_Recorder::ClearCalls();
    VIEW_CallPlugin([&] { m_tool->SetResolution(1); });
    size_t outlines = 0;
    for (const VIEW_Call& call : VIEW_Recorder::Calls())
        outlines += call.m_table == PDFL_AcroViewTable && call.m_slot == 130;
    EXPECT_EQ(outlines, 1u) << "the frame at 150 dpi";
    EXPECT_EQ(State(), 5);
    EXPECT_EQ(Draws(), 4u) << "every ink at the new resolution";
    EXPECT_EQ(DocCreations(), 0u) << "the page is not separated again";
}

TEST_F(ZOVA_Render, StopWhileRenderingKeepsWhatWasComposedAndUpdateDoesNotSeparateAgain) {
    Show("<< >>", kCyanAndBlack);
    Resize(100, 100);
    Fit();
    const size_t separations = DocCreations();
    const size_t draws = Draws();
    // Stop while magenta, the second ink, is drawn: cyan is composed,
    // black is not.
    ClickStopWhen([draws] { return Draws() - draws >= 2; });
    Update();
    EXPECT_EQ(State(), 3);
    EXPECT_EQ(StatusText(), "Needs Update");
    EXPECT_TRUE(AlertTexts().empty());
    // Fit at 100 × 100: 9 dpi, the page's 76 × 99 pixels from x = 12.
    EXPECT_EQ(Pixel(20, 90), kFullCyan);
    EXPECT_EQ(Pixel(80, 10), kWhite);

    Update();
    EXPECT_EQ(State(), 5);
    EXPECT_EQ(Pixel(20, 90), kFullCyan);
    EXPECT_EQ(Pixel(80, 10), kBlack);
    EXPECT_EQ(DocCreations() - separations, 1u);
}

TEST_F(ZOVA_Render, AQuarterTurnGivesTheUprightImageTurned) {
    // At Fit, 18 dpi: every edge falls between pixels.
    const std::string content = "1 0 0 0 k 0 0 200 100 re f 0 0 0 1 k 300 200 48 148 re f";
    std::vector<std::vector<uint32_t>> images;
    for (const int rotate : {0, 90}) {
        SCOPED_TRACE(rotate);
        OpenPdf(SquarePage(rotate, content));
        if (rotate == 0)
            Activate();
        Resize(100, 100);
        Fit();
        Update();
        ASSERT_EQ(State(), 5);
        images.push_back(Image());
    }
    // Pixel (x, y) of the turned page is pixel (y, 99 - x) of the upright
    // one.
    int differences = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            differences += images[1][y * 100 + x] != images[0][(99 - x) * 100 + y];
    EXPECT_EQ(differences, 0);
    EXPECT_EQ(images[1][0], kFullCyan) << "the page's lower left corner is at the top left";
}

TEST_F(ZOVA_Render, LetterAtFitInFourHundredSquareIs36Dpi) {
    Show("<< >>", "0 0 0 1 k 0 0 72 72 re f");
    Resize(400, 400);
    Fit();
    EXPECT_EQ(m_tool->CurrentView().EffectiveDpi(400, 400), 36);
    Update();
    ASSERT_EQ(State(), 5);
    // An inch is 36 pixels; the page's 306 × 396 pixels start at (47, 2).
    int32_t left, top, right, bottom;
    m_tool->ViewWindow().ImageRect(left, top, right, bottom);
    EXPECT_EQ(std::vector<int32_t>({left, top, right, bottom}), std::vector<int32_t>({47, 2, 354, 399}));
    const struct {
        int x, y;
        uint32_t pixel;
    } probes[] = {{47, 397, kBlack}, {82, 363, kBlack}, {46, 397, kWhite},
                  {83, 380, kWhite}, {60, 361, kWhite}, {60, 398, kWhite}};
    for (const auto& probe : probes) {
        SCOPED_TRACE(std::to_string(probe.x) + "," + std::to_string(probe.y));
        EXPECT_EQ(Pixel(probe.x, probe.y), probe.pixel);
    }
}

TEST_F(ZOVA_Render, AResizeInStateZeroOnlyClearsTheImage) {
    Show("<< >>", kCyanAndBlack);
    ASSERT_EQ(State(), 0);
    m_tool->ViewImage().Fill(640, 480, 7);
    const size_t draws = Draws();
    Resize(90, 80);
    EXPECT_EQ(m_tool->WindowWidth(), 90);
    EXPECT_EQ(State(), 0);
    EXPECT_EQ(Pixel(45, 40), 0x333333u);
    EXPECT_EQ(Draws(), draws);
    EXPECT_EQ(DocCreations(), 0u);
}

TEST_F(ZOVA_Render, AnInkColourOutsideStateFiveComposesNothing) {
    Show("<< >>", kCyanAndBlack);
    Resize(100, 100);
    Fit();
    Update();
    ASSERT_EQ(State(), 5);
    m_tool->SetPageState(3);
    const std::vector<uint32_t> cleared = Image();
    ASSERT_EQ(cleared[0], 0x333333u);
    const CPDF_Color red(std::vector<double>{0, 1, 1, 0});
    VIEW_CallPlugin([&] { m_tool->SetInkColor(0, red); });
    EXPECT_EQ(Image(), cleared);
    EXPECT_TRUE(m_tool->CurrentView().ColorantColor(0) == red);

    // Ready again, the colour applies at once.
    Update();
    ASSERT_EQ(State(), 5);
    VIEW_CallPlugin([&] { m_tool->SetInkColor(0, CPDF_Color(std::vector<double>{0, 1, 0, 0})); });
    EXPECT_EQ(Pixel(20, 90), 0xF1037Fu) << "full magenta";
}

TEST_F(ZOVA_Render, FourInksAfterSixMakeNewItemsAndNoStaleBlock) {
    Show("<< /ColorSpace << "
         "/CS0 [/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] /N 1 /C0 [0 0 0 0] /C1 [0 0.2 0.9 0.1] >>] "
         "/CS1 [/Separation /Silver /DeviceCMYK << /FunctionType 2 /Domain [0 1] /N 1 /C0 [0 0 0 0] /C1 [0 0 0 0.3] >>] "
         ">> >>",
         "/CS0 cs 1 scn 0 0 612 792 re f /CS1 cs 1 scn 0 0 612 792 re f");
    Resize(100, 100);
    Fit();
    Update();
    ASSERT_EQ(State(), 5);
    ASSERT_EQ(m_tool->PlateCache()->ItemCount(), 6u);

    OpenPage("<< >>", kCyanAndBlack);
    ASSERT_EQ(m_tool->CurrentView().NumColorants(), 4);
    Fit();
    Update();
    ASSERT_EQ(State(), 5);
    EXPECT_EQ(m_tool->PlateCache()->ItemCount(), 4u);
    EXPECT_EQ(Pixel(20, 90), kFullCyan);
    EXPECT_EQ(Pixel(80, 10), kBlack);
    EXPECT_EQ(Pixel(80, 90), kWhite) << "nothing of the six-ink page";
}

TEST_F(ZOVA_Render, ADeviceRgbPageNeedsRenderWithAGreyImage) {
    Show("<< >>", "1 0 0 rg 0 0 10 10 re f");
    Update();
    EXPECT_EQ(State(), 3);
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{kAlert2003});
    for (const uint32_t pixel : Image())
        ASSERT_EQ(pixel, 0x333333u);
}

TEST_F(ZOVA_Render, APlateSpillThatFailsShows2001) {
    Win32Driver::SetScreenSize(120, 100);
    Show(kEightInkResources, EightInkContent());
    Resize(120, 100);
    Fit();
    ASSERT_TRUE(VIEW_CallPlugin([&] { return m_tool->SeparatePage(); }));
    // Block files now go below a regular file: the fifth plate cannot spill
    // the first.
    const std::string file = m_docs.File("regular");
    WriteWholeFile(file, "x");
    const std::string tmpdir = std::getenv("TMPDIR");
    setenv("TMPDIR", (file + "/below").c_str(), 1);
    Update();
    setenv("TMPDIR", tmpdir.c_str(), 1);
    EXPECT_EQ(State(), 3);
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{kAlert2001});
    bool logged = false;
    for (const ZOVA_LogLine& line : Logs())
        logged |= line.m_level == 2 && line.m_text.rfind("GLIB Exception encoutered acquiring cache: ", 0) == 0;
    EXPECT_TRUE(logged);
    EXPECT_TRUE(TempFilesNamed("GLGC").empty());
}
