// The program's whole road on its sample page and on hand-made pages, in
// process: the preview's colours, the plates, inks.txt, unticked inks, the
// refused page, and the messages and exit codes of bad files and bad
// arguments.
#include "TS_ProgramFixture.h"

#include "support/PdfText.h"
#include "viewer/program/VIEW_SamplePage.h"

#include <algorithm>
#include <climits>

namespace {

constexpr int kDpi = 300;

// The middle of sample area i in the preview and the plates at 300 dpi.
int AreaX(int i) {
    return static_cast<int>((VIEW_SamplePageLayout::AreaLeft[i] + VIEW_SamplePageLayout::AreaSide / 2) * kDpi / 72);
}
int AreaY() {
    return static_cast<int>(
        (VIEW_SamplePageLayout::Height - VIEW_SamplePageLayout::AreaBottom - VIEW_SamplePageLayout::AreaSide / 2) *
        kDpi / 72);
}

const char* const kPlates[] = {"plate-0-Cyan.png", "plate-1-Magenta.png", "plate-2-Yellow.png",
                               "plate-3-Black.png", "plate-4-Spot.png"};

TEST_F(TS_ProgramTest, TheSamplePageGivesItsInksColoursAndPlates) {
    const TS_Run run = Run(WithOut({}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_EQ(run.m_err, "");
    EXPECT_EQ(ReadWholeFile(m_out.File("inks.txt")),
              "dpi 300 mag 1\n"
              "0\tCyan\t1 0 0 0\tshown\tplate-0-Cyan.png\n"
              "1\tMagenta\t0 1 0 0\tshown\tplate-1-Magenta.png\n"
              "2\tYellow\t0 0 1 0\tshown\tplate-2-Yellow.png\n"
              "3\tBlack\t0 0 0 1\tshown\tplate-3-Black.png\n"
              "4\tSpot\t0.5 0 0 0\tshown\tplate-4-Spot.png\n");

    const PngPixels preview = Output("preview.png");
    ASSERT_EQ(preview.m_channels, 4) << preview.m_error;
    // 833.3 x 416.7 pixels in a view of 834 x 417: the page's raster, each
    // side rounded.
    EXPECT_EQ(preview.m_width, 833);
    EXPECT_EQ(preview.m_height, 417);
    const uint32_t colours[4] = {0x00A1C7, 0xF1037F, 0x000047, 0x80D0E3};
    for (int area = 0; area < 4; ++area)
        EXPECT_EQ(TS_Rgb(preview, AreaX(area), AreaY()), colours[area]) << "area " << area;
    EXPECT_EQ(TS_Rgb(preview, 2, 2), 0xFFFFFFu) << "paper";

    // Which areas each plate inks: cyan, magenta, both, spot.
    const bool inked[5][4] = {
        {true, false, true, false}, {false, true, true, false}, {}, {}, {false, false, false, true}};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(kPlates[i]);
        const PngPixels plate = Output(kPlates[i]);
        ASSERT_EQ(plate.m_channels, 1) << plate.m_error;
        ASSERT_EQ(plate.m_width, 833);
        ASSERT_EQ(plate.m_height, 417);
        for (int area = 0; area < 4; ++area)
            EXPECT_EQ(plate.m_pixels[AreaY() * plate.m_width + AreaX(area)], inked[i][area] ? 0 : 255)
                << "area " << area;
        // Partly inked pixels are an area's edge: a whole and an empty pixel
        // lie around each.
        const auto level = [&](int x, int y) { return plate.m_pixels[static_cast<size_t>(y) * plate.m_width + x]; };
        for (int y = 1; y + 1 < plate.m_height; ++y)
            for (int x = 1; x + 1 < plate.m_width; ++x) {
                if (level(x, y) == 0 || level(x, y) == 255)
                    continue;
                bool whole = false, empty = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        whole = whole || level(x + dx, y + dy) == 0;
                        empty = empty || level(x + dx, y + dy) == 255;
                    }
                ASSERT_TRUE(whole && empty) << int(level(x, y)) << " at " << x << ", " << y;
            }
    }
}

TEST_F(TS_ProgramTest, UntickingMagentaByNameOrIndexLeavesCyanInTheOverlap) {
    for (const char* ink : {"Magenta", "1"}) {
        SCOPED_TRACE(ink);
        const TS_Run run = Run(WithOut({"--untick", ink}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const PngPixels preview = Output("preview.png");
        ASSERT_EQ(preview.m_channels, 4) << preview.m_error;
        EXPECT_EQ(TS_Rgb(preview, AreaX(0), AreaY()), 0x00A1C7u);
        EXPECT_EQ(TS_Rgb(preview, AreaX(1), AreaY()), 0xFFFFFFu) << "the magenta square";
        EXPECT_EQ(TS_Rgb(preview, AreaX(2), AreaY()), 0x00A1C7u) << "the overlap";
        EXPECT_NE(ReadWholeFile(m_out.File("inks.txt")).find("1\tMagenta\t0 1 0 0\thidden\t"), std::string::npos);
        // The plate stays the ink's whatever the tick says.
        const PngPixels plate = Output("plate-1-Magenta.png");
        ASSERT_EQ(plate.m_channels, 1);
        EXPECT_EQ(plate.m_pixels[AreaY() * plate.m_width + AreaX(1)], 0);
    }
}

TEST_F(TS_ProgramTest, ARefusedPageShowsTheAlertAndFails) {
    const std::string file = WritePage("rgb.pdf", 100, 100, "1 0 0 rg 10 10 50 50 re f");
    const TS_Run run = Run(WithOut({file}));
    EXPECT_EQ(run.m_code, 1);
    const std::vector<std::string> expected = {"The Tintscope is not able to ",
                                               "separate some objects on this page.  ",
                                               "",
                                               "The page must be run through the ",
                                               "Quillark TintAdjuster before it can ",
                                               "be viewed with the Tintscope."};
    const std::vector<std::string> lines = run.Lines();
    ASSERT_EQ(lines.size(), expected.size() + 1) << run.m_err;
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end() - 1), expected);
    EXPECT_EQ(lines.back().rfind("tintscope: " + file + ": ", 0), 0u) << lines.back();
    EXPECT_EQ(m_out.List(), std::vector<std::string>());
}

// A page whose inks cannot be gathered is shown all the same; Update fails
// on it with the plug-in's alert, and the run ends with one line naming the
// file and the reason (the plug-in's warning of the same cause is not said
// again).
TEST_F(TS_ProgramTest, APageWithAnUnknownColourSpaceShowsTheAlertAndFails) {
    const std::string file = WritePage("unknown.pdf", 100, 100, "/CS0 cs 1 sc 10 10 50 50 re f", "/CS0 /Foo");
    const TS_Run run = Run(WithOut({file}));
    EXPECT_EQ(run.m_code, 1);
    EXPECT_EQ(run.Lines(),
              (std::vector<std::string>{
                  "An error occured trying to separate this page.",
                  "tintscope: " + file + ": page 1 was not separated: colour space /CS0: Unknown ColorSpace name: Foo"}));
    EXPECT_EQ(m_out.List(), std::vector<std::string>());
}

TEST_F(TS_ProgramTest, FilesThatCannotBeOpenedGiveOneLineAndNoOutput) {
    // A name whose "tintscope: FILE: stopped by " is as long as the buffer
    // a signal's handler keeps that line in (4 PATH_MAX + 512 bytes, its
    // end included), which it then cannot hold.
    const std::string stopped = "tintscope: " + m_docs.File("") + ": stopped by ";
    const std::string filling(4 * PATH_MAX + 512 - stopped.size(), 'a');
    const struct {
        std::string name;
        std::string data;  // none: no such file
        const char* reason;
    } rows[] = {
        {"text.pdf", "This is a letter, not a document.\n", "cannot be opened"},
        {"nocatalog.pdf",
         PdfText("%PDF-1.4", {"<< /Type /Pages /Kids [] /Count 0 >>"}, "/Root 7 0 R"),
         "cannot be opened: its trailer names no document catalog (/Root)\n"},
        {"missing.pdf", "", "cannot be opened"},
        {filling, "", "cannot be opened"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name.substr(0, 20));
        const std::string file = row.data.empty() ? m_docs.File(row.name) : WriteFile(row.name, row.data);
        const TS_Run run = Run(WithOut({file}));
        EXPECT_EQ(run.m_code, 1);
        ASSERT_EQ(run.Lines().size(), 1u) << run.m_err;
        EXPECT_EQ(run.m_err.rfind("tintscope: " + file + ": " + row.reason, 0), 0u) << run.m_err;
        EXPECT_EQ(m_out.List(), std::vector<std::string>());
    }
}

TEST_F(TS_ProgramTest, PagesThatDoNotExistFail) {
    const std::string file = WritePage("one.pdf", 100, 100, "0 0 0 1 k 0 0 10 10 re f");
    TS_Run run = Run(WithOut({file, "--page", "2"}));
    EXPECT_EQ(run.m_code, 1);
    EXPECT_EQ(run.m_err, "tintscope: " + file + ": has no page 2 (pages 1 to 1)\n");
    EXPECT_EQ(m_out.List(), std::vector<std::string>());
    // Page 0 is no page number at all: a bad command line.
    run = Run(WithOut({file, "--page", "0"}));
    EXPECT_EQ(run.m_code, 2);
    EXPECT_EQ(run.m_err, "tintscope: --page takes a page number from 1, not \"0\"\n");
    EXPECT_EQ(m_out.List(), std::vector<std::string>());
}

TEST_F(TS_ProgramTest, BadArgumentsExitTwoWithOneLine) {
    // 1000 points a side: 1200 dpi is the most the view offers.
    const std::string large = WritePage("large.pdf", 1000, 1000, "0 0 0 1 k 0 0 10 10 re f");
    const struct {
        std::vector<std::string> args;
        const char* mentions;
    } rows[] = {
        {{"--colour", "red"}, "unknown option --colour"},
        {{large, "--dpi", "2400"}, "offers at most 1200 dpi"},
        {{"--untick", "Gold"}, "no such ink"},
        {{"--dpi", "fit", "--mag", "2"}, "--mag needs a fixed resolution"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mentions);
        const TS_Run run = Run(WithOut(row.args));
        EXPECT_EQ(run.m_code, 2);
        ASSERT_EQ(run.Lines().size(), 1u) << run.m_err;
        EXPECT_NE(run.m_err.find(row.mentions), std::string::npos) << run.m_err;
        EXPECT_EQ(m_out.List(), std::vector<std::string>());
    }
}

TEST_F(TS_ProgramTest, FitChoosesTheLargestWholeDpiThatFits) {
    // 200 x 100 points at 100 dpi is a view of 278 x 139 pixels: 100.08 dpi
    // fits; the page's 277.8 x 138.9 pixels are a raster of 278 x 139.
    const TS_Run run = Run(WithOut({"--dpi", "fit"}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_EQ(ReadWholeFile(m_out.File("inks.txt")).substr(0, 14), "dpi 100 mag 1\n");
    const PngPixels preview = Output("preview.png");
    EXPECT_EQ(preview.m_width, 278);
    EXPECT_EQ(preview.m_height, 139);
}

// Edges of the page that fall inside a pixel: the preview keeps no row or
// column of the grey surround, and the plates keep the same pixels.
TEST_F(TS_ProgramTest, ThePreviewAndThePlatesHoldThePageOnly) {
    for (const char* dpi : {"300", "fit", "150"}) {
        SCOPED_TRACE(dpi);
        const TS_Run run = Run(WithOut({"--dpi", dpi}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const PngPixels preview = Output("preview.png");
        ASSERT_EQ(preview.m_channels, 4) << preview.m_error;
        // The sample page's margins are paper.
        for (int x = 0; x < preview.m_width; ++x) {
            ASSERT_EQ(TS_Rgb(preview, x, 0), 0xFFFFFFu) << "top, x " << x;
            ASSERT_EQ(TS_Rgb(preview, x, preview.m_height - 1), 0xFFFFFFu) << "bottom, x " << x;
        }
        for (int y = 0; y < preview.m_height; ++y) {
            ASSERT_EQ(TS_Rgb(preview, 0, y), 0xFFFFFFu) << "left, y " << y;
            ASSERT_EQ(TS_Rgb(preview, preview.m_width - 1, y), 0xFFFFFFu) << "right, y " << y;
        }
        const PngPixels plate = Output("plate-0-Cyan.png");
        EXPECT_EQ(plate.m_width, preview.m_width);
        EXPECT_EQ(plate.m_height, preview.m_height);
    }
}

// Reads the four numbers of the inks.txt line that starts with word.
std::vector<double> RectLine(const std::string& inks, const std::string& word) {
    const size_t at = inks.find("\n" + word + " ");
    std::vector<double> rect(4, -1);
    if (at != std::string::npos)
        std::sscanf(inks.c_str() + at + word.size() + 2, "%lf %lf %lf %lf", &rect[0], &rect[1], &rect[2], &rect[3]);
    return rect;
}

TEST_F(TS_ProgramTest, InksTxtSaysTheMagnificationAndWhatThePlatesAndThePreviewShow) {
    // The whole page: no area line; magnified, the preview shows the middle.
    TS_Run run = Run(WithOut({"--mag", "2"}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    std::string inks = ReadWholeFile(m_out.File("inks.txt"));
    EXPECT_EQ(inks.substr(0, 14), "dpi 300 mag 2\n");
    EXPECT_EQ(inks.find("\narea "), std::string::npos) << inks;
    std::vector<double> preview = RectLine(inks, "preview");
    const double middle[4] = {50, 25, 150, 75};
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(preview[i], middle[i], 0.5) << inks;

    // 1000 x 500 points at 300 dpi in a view cut at 2048 pixels a side, on a
    // page box that does not start at 0 0.
    const std::string file = WriteFile(
        "wide.pdf", PdfText("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                         "<< /Type /Page /Parent 2 0 R /MediaBox [100 100 1100 600] /Contents 4 0 R >>",
                                         "<< /Length 26 >>\nstream\n0 0 0 1 k 0 0 10 10 re f\nendstream"}));
    run = Run(WithOut({file, "--dpi", "300"}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    inks = ReadWholeFile(m_out.File("inks.txt"));
    const double side = 2048 * 72.0 / 300;  // 491.52 points
    const double shown[4] = {600 - side / 2, 350 - side / 2, 600 + side / 2, 350 + side / 2};
    const std::vector<double> area = RectLine(inks, "area");
    preview = RectLine(inks, "preview");
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(area[i], shown[i], 1.0) << inks;
        EXPECT_NEAR(preview[i], area[i], 1e-6) << inks;
    }
    const PngPixels plate = Output("plate-3-Black.png");
    EXPECT_EQ(plate.m_width, 2048);
    EXPECT_EQ(plate.m_height, 2048);
}

}  // namespace

// A blank page may leave out its resources, and its contents too.
TEST_F(TS_ProgramTest, APageWithoutResourcesGivesFourBlankPlates) {
    const struct {
        const char* name;
        const char* contents;
    } rows[] = {{"blank.pdf", ""}, {"blankcontents.pdf", " /Contents 4 0 R"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file =
            WriteFile(row.name, PdfText("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>",
                                                     "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                                     std::string("<< /Type /Page /MediaBox [0 0 612 792] /Parent 2 0 R") +
                                                         row.contents + " >>",
                                                     "<< /Length 0 >>\nstream\n\nendstream"}));
        const TS_Run run = Run(WithOut({file}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(kPlates[i]);
            const PngPixels plate = Output(kPlates[i]);
            ASSERT_EQ(plate.m_channels, 1) << plate.m_error;
            EXPECT_GT(plate.m_width, 0);
            EXPECT_TRUE(std::all_of(plate.m_pixels.begin(), plate.m_pixels.end(),
                                    [](uint8_t level) { return level == 255; }));
        }
        const std::vector<std::string> written = m_out.List();
        EXPECT_EQ(std::count_if(written.begin(), written.end(),
                                [](const std::string& name) { return name.rfind("plate-", 0) == 0; }),
                  4);
    }
}
