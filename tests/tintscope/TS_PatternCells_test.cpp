// A coloured tiling pattern's cells on the plates: an ink the cells do not
// use stays at 255 everywhere (the cells' marks knock it out in white, and
// white over white is white), and the ink they use is where their marks are.
#include "TS_ProgramFixture.h"
#include "support/Corpus.h"
#include "support/GhostscriptRenderer.h"
#include "support/PdfText.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>

namespace {

// 200 x 200 points; 10 10 180 180 filled with 12-point cells, each holding
// an 8-point black square at its corner: squares from 12 to 188 points.
std::string PatternPage() {
    const std::string content = "/Pattern cs /P0 scn 10 10 180 180 re f";
    const std::string cell = "0 0 0 1 k 0 0 8 8 re f";
    return TS_SquarePage(200, "/Pattern << /P0 5 0 R >>", content,
                         {"<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 12 12] /XStep 12 /YStep 12 "
                          "/Resources << >> /Length " +
                          std::to_string(cell.size()) + " >>\nstream\n" + cell + "\nendstream"});
}

double Overlap(double a0, double a1, double b0, double b1) { return std::max(0.0, std::min(a1, b1) - std::max(a0, b0)); }

// The share of pixel (x, y) that the squares cover, the page's top at row 0.
double Covered(int x, int y, double scale) {
    const double left = x / scale, right = (x + 1) / scale;
    const double top = 200 - y / scale, bottom = 200 - (y + 1) / scale;
    double area = 0;
    for (int i = 1; i <= 15; ++i)
        for (int j = 1; j <= 15; ++j)
            area += Overlap(left, right, 12.0 * i, 12.0 * i + 8) * Overlap(bottom, top, 12.0 * j, 12.0 * j + 8);
    return area * scale * scale;
}

// A 254 with no ink around it on its own plate is no mark's edge.
bool LoneFaintInk(const GrayPlate& plate, int x, int y) {
    if (plate.At(x, y) != 254)
        return false;
    for (int yy = std::max(y - 1, 0); yy <= std::min(y + 1, plate.height - 1); ++yy)
        for (int xx = std::max(x - 1, 0); xx <= std::min(x + 1, plate.width - 1); ++xx)
            if (plate.At(xx, yy) < 254)
                return false;
    return true;
}

// Each ink's name and plate file, from inks.txt.
std::map<std::string, std::string> PlateFiles(const std::string& inks) {
    std::map<std::string, std::string> files;
    std::istringstream in(inks);
    std::string line;
    std::getline(in, line);  // dpi and mag
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string index, name, rest;
        std::getline(fields, index, '\t');
        std::getline(fields, name, '\t');
        while (std::getline(fields, rest, '\t')) {
        }
        files[name] = rest;
    }
    return files;
}

TEST_F(TS_ProgramTest, ATilingPatternInksOnlyWhereItsCellsMarksAre) {
    const std::string file = WriteFile("cells.pdf", PatternPage());
    for (const int dpi : {150, 300}) {
        SCOPED_TRACE(std::to_string(dpi) + " dpi");
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(dpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        for (const char* blank : {"plate-0-Cyan.png", "plate-1-Magenta.png", "plate-2-Yellow.png"}) {
            const GrayPlate plate = TS_ReadPlatePng(m_out.File(blank));
            ASSERT_GT(plate.width, 0) << blank;
            EXPECT_EQ(std::count(plate.pixels.begin(), plate.pixels.end(), 255),
                      static_cast<long>(plate.pixels.size()))
                << blank;
        }
        const GrayPlate black = TS_ReadPlatePng(m_out.File("plate-3-Black.png"));
        ASSERT_EQ(black.width, std::lround(200.0 * dpi / 72));
        int wrong = 0;
        for (int y = 0; y < black.height; ++y)
            for (int x = 0; x < black.width; ++x) {
                const double covered = Covered(x, y, dpi / 72.0);
                const int value = black.At(x, y);
                const bool right = covered == 0 ? value == 255 : covered == 1 ? value == 0 : true;
                if (!right && wrong++ < 4)
                    ADD_FAILURE() << "pixel " << x << "," << y << " holds " << value << ", covered " << covered;
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(TS_ProgramTest, APageOfTilingPatternsLeavesNoFaintInkWhereTiffsepLeavesNone) {
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
    // 21 tiling-pattern fills whose cells knock out the process inks.
    const std::string source = CorpusFile("skia_gs-bugzilla694385.pdf");
    const TS_Run run = RunFullScreen(WithOut({source, "--dpi", "150"}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    const std::map<std::string, GrayPlate> tiffsep =
        GhostscriptRenderer::Separations(source, 150, GhostscriptPages{/*useCropBox=*/true, 1, 1});
    const std::map<std::string, std::string> files = PlateFiles(ReadWholeFile(m_out.File("inks.txt")));
    ASSERT_GE(files.size(), 4u);
    for (const auto& ink : files) {
        SCOPED_TRACE(ink.first);
        const auto peer = tiffsep.find(ink.first);
        ASSERT_NE(peer, tiffsep.end());
        const GrayPlate plate = TS_ReadPlatePng(m_out.File(ink.second));
        ASSERT_EQ(plate.width, peer->second.width);
        ASSERT_EQ(plate.height, peer->second.height);
        int faint = 0;
        for (int y = 0; y < plate.height; ++y)
            for (int x = 0; x < plate.width; ++x)
                if (peer->second.At(x, y) == 255 && LoneFaintInk(plate, x, y) && faint++ < 4)
                    ADD_FAILURE() << "pixel " << x << "," << y << " holds 254";
        EXPECT_EQ(faint, 0);
    }
}

// A tiling pattern of the cell content, its dictionary's entries given.
std::string Tiling(const std::string& entries, const std::string& cell) {
    return "<< /PatternType 1 /TilingType 1 /Resources << >> " + entries + " /Length " + std::to_string(cell.size()) +
           " >>\nstream\n" + cell + "\nendstream";
}

// A pattern filling under a blend mode blends with the page once, as a
// whole, as mutool's CMYK drawing does: a cell's white leaves no ink where
// no mark puts any, and a stencil's cell over a grey page darkens no ink it
// does not hold.
TEST_F(TS_ProgramTest, ATilingPatternUnderABlendModeInksOnlyWhereItsMarksInk) {
    std::string stencil = "q 16 0 0 12 2 4 cm BI /W 16 /H 6 /IM true ID ";
    for (int row = 0; row < 6; ++row)
        stencil += "\xf0\x0f";
    const struct {
        const char* mode;
        bool stencil;  // an uncoloured cell of a stencil over cyan and magenta, else a 0.8-pt white cell with a
                       // magenta and a black quarter over yellow
        bool noCyan;
    } rows[] = {{"Multiply", false, true}, {"Difference", false, false}, {"Multiply", true, false}};
    const char* plates[] = {"plate-0-Cyan.png", "plate-1-Magenta.png", "plate-2-Yellow.png", "plate-3-Black.png"};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.mode) + (row.stencil ? ", stencil" : ", white cell"));
        const std::string file = WriteFile(
            "blended.pdf",
            TS_SquarePage(
                288,
                "/ColorSpace << /PC [/Pattern /DeviceGray] >> /Pattern << /P0 5 0 R >> /ExtGState << /GS0 << /BM /" +
                    std::string(row.mode) + " >> >>",
                row.stencil ? "0.05 0 0 0 k 0 0 288 288 re f 0 0.6 0 0 k 0 0 120 288 re f "
                              "q /GS0 gs /PC cs 0.3 /P0 scn 20 20 240 240 re f Q"
                            : "0 0 1 0 k 0 0 288 288 re f /GS0 gs /Pattern cs /P0 scn 20 20 240 240 re f",
                {row.stencil ? Tiling("/PaintType 2 /BBox [0 0 20 20] /XStep 20 /YStep 20", stencil + "\nEI Q")
                             : Tiling("/PaintType 1 /BBox [0 0 0.8 0.8] /XStep 0.8 /YStep 0.8",
                                      "0 0 0 0 k 0 0 0.8 0.8 re f 0 1 0 0 k 0 0 0.4 0.4 re f "
                                      "0 0 0 1 k 0.4 0.4 0.4 0.4 re f")}));
        const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const std::vector<GrayPlate> theirs = TS_MutoolPlates(file, m_docs.File("blended.pam"), 150);
        for (int ink = 0; ink < 4; ++ink) {
            SCOPED_TRACE(plates[ink]);
            const GrayPlate ours = TS_ReadPlatePng(m_out.File(plates[ink]));
            TS_ExpectNearMutool(ours, theirs[ink], 0.97);
            if (ink == 0 && row.noCyan) {
                EXPECT_EQ(std::count(ours.pixels.begin(), ours.pixels.end(), 255), static_cast<long>(ours.pixels.size()));
            }
        }
    }
}

}  // namespace
