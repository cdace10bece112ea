// A coloured tiling pattern painted through a stroke or through text inks
// what the same pattern inks filling the mark's outline: the plates of inks
// its cell does not use stay empty, and the others follow mutool's apart
// from the anti-aliased edges of the cell's squares and of the outline. So
// does a pattern whose cell strokes with a second pattern, of black alone.
// A cell that strokes one path of many subpaths is drawn as mutool draws it.
#include "TS_ProgramFixture.h"
#include "support/Corpus.h"
#include "support/PdfText.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kDpi = 150;

// A coloured tiling pattern of a square cell, resources and content given.
std::string Pattern(int step, const std::string& resources, const std::string& cell) {
    const std::string s = std::to_string(step);
    return "<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 " + s + " " + s + "] /XStep " + s + " /YStep " +
           s + " /Resources << " + resources + " >> /Length " + std::to_string(cell.size()) + " >>\nstream\n" +
           cell + "\nendstream";
}

// 200 x 200 points: P0, a 10-point cell holding a black and a cyan square;
// P1, a 50-point cell stroking a line 10 points wide with P2, a 4-point
// cell of black; P3, the same with P4, whose black is a stencil's.
std::string Page(const std::string& content) {
    const std::string stroke = "/Pattern CS /P2 SCN 10 w 0 25 m 50 25 l S";
    return TS_SquarePage(200, "/Pattern << /P0 5 0 R /P1 7 0 R /P3 9 0 R >> /Font << /F1 6 0 R >>", content,
                         {Pattern(10, "", "0 0 0 1 k 0 0 4 4 re f 1 0 0 0 k 5 5 3 3 re f"),
                          "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
                          Pattern(50, "/Pattern << /P2 8 0 R >>", stroke), Pattern(4, "", "0 0 0 1 k 0 0 4 4 re f"),
                          Pattern(50, "/Pattern << /P2 10 0 R >>", stroke),
                          Pattern(4, "/XObject << /M0 11 0 R >>", "0 0 0 1 k q 4 0 0 4 0 0 cm /M0 Do Q"),
                          "<< /Type /XObject /Subtype /Image /Width 4 /Height 4 /ImageMask true /BitsPerComponent 1 "
                          "/Length 4 >>\nstream\n" +
                              std::string(4, '\0') + "\nendstream"});
}

// Whether every level within a pixel of (x, y) is the level there.
bool Flat(const GrayPlate& plate, int x, int y) {
    for (int ny = std::max(0, y - 1); ny <= std::min(plate.height - 1, y + 1); ++ny)
        for (int nx = std::max(0, x - 1); nx <= std::min(plate.width - 1, x + 1); ++nx)
            if (plate.At(nx, ny) != plate.At(x, y))
                return false;
    return true;
}

TEST_F(TS_ProgramTest, APatternThroughAStrokeOrTextInksOnlyItsCellsInks) {
    // Each mark, and its outline in plain black for the outline's edge.
    const struct {
        const char* what;
        std::string painted, outline;
        bool noCyan = false;  // its cells hold none: that plate stays blank
    } marks[] = {
        {"stroke", "/Pattern CS /P0 SCN 12 w 20 20 m 180 180 l 180 20 l S",
         "0 0 0 1 K 12 w 20 20 m 180 180 l 180 20 l S"},
        {"filled text", "/Pattern cs /P0 scn BT /F1 60 Tf 10 80 Td (TINT) Tj ET",
         "0 0 0 1 k BT /F1 60 Tf 10 80 Td (TINT) Tj ET"},
        {"stroked text", "/Pattern CS /P0 SCN 3 w BT 1 Tr /F1 60 Tf 10 80 Td (TINT) Tj ET",
         "0 0 0 1 K 3 w BT 1 Tr /F1 60 Tf 10 80 Td (TINT) Tj ET"},
        // Too costly to draw cell by cell: the patterns go to MuPDF's tiling.
        {"cells stroking a black pattern over the page", "/Pattern cs /P1 scn 0 0 200 200 re f",
         "0 0 0 1 K 10 w 0 25 m 200 25 l 0 75 m 200 75 l 0 125 m 200 125 l 0 175 m 200 175 l S", true},
        {"cells stroking a black stencil's pattern over the page", "/Pattern cs /P3 scn 0 0 200 200 re f",
         "0 0 0 1 K 10 w 0 25 m 200 25 l 0 75 m 200 75 l 0 125 m 200 125 l 0 175 m 200 175 l S", true},
    };
    for (const auto& mark : marks) {
        SCOPED_TRACE(mark.what);
        const std::string file = WriteFile("painted.pdf", Page(mark.painted));
        const TS_Run run = Run(WithOut({file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        std::vector<const char*> blanks = {"plate-1-Magenta.png", "plate-2-Yellow.png"};
        if (mark.noCyan)
            blanks.push_back("plate-0-Cyan.png");
        for (const char* blank : blanks) {
            const GrayPlate plate = TS_ReadPlatePng(m_out.File(blank));
            ASSERT_GT(plate.width, 0) << blank;
            EXPECT_EQ(std::count(plate.pixels.begin(), plate.pixels.end(), 255),
                      static_cast<long>(plate.pixels.size()))
                << blank;
        }
        const std::vector<GrayPlate> theirs = TS_MutoolPlates(file, m_docs.File("painted.pam"), kDpi);
        const GrayPlate outline =
            TS_MutoolPlates(WriteFile("outline.pdf", Page(mark.outline)), m_docs.File("outline.pam"), kDpi)[3];
        const struct {
            const char* file;
            int ink;
        } inked[] = {{"plate-0-Cyan.png", 0}, {"plate-3-Black.png", 3}};
        for (const auto& plate : inked) {
            SCOPED_TRACE(plate.file);
            const GrayPlate ours = TS_ReadPlatePng(m_out.File(plate.file));
            const GrayPlate& peer = theirs[plate.ink];
            ASSERT_EQ(ours.width, peer.width);
            ASSERT_EQ(ours.height, peer.height);
            int apart = 0;
            for (int y = 0; y < ours.height; ++y)
                for (int x = 0; x < ours.width; ++x)
                    if (std::abs(ours.At(x, y) - peer.At(x, y)) > PlateMatch::Tolerance && Flat(peer, x, y) &&
                        Flat(outline, x, y) && apart++ < 4)
                        ADD_FAILURE() << "pixel " << x << "," << y << " holds " << int(ours.At(x, y))
                                      << ", mutool's " << int(peer.At(x, y));
            EXPECT_EQ(apart, 0);
        }
    }
}

// 300 x 300 points, filled or stroked with an 8-point cell that strokes one
// path of `subpaths` horizontal lines, a point apart.
std::string StripedPage(int subpaths, const std::string& content) {
    std::string cell = "1 w 0.7 0.6 0.6 0.9 K";
    for (int i = 0; i < subpaths; ++i)
        cell += " 0 " + std::to_string(i) + ".5 m 8 " + std::to_string(i) + ".5 l";
    cell += " S";
    return TS_SquarePage(300, "/Pattern << /P0 5 0 R >>", content,
                         {"<< /PatternType 1 /PaintType 1 /TilingType 3 /BBox [0 0 8 8] /XStep 8 /YStep 8 "
                          "/Resources << >> /Length " +
                          std::to_string(cell.size()) + " >>\nstream\n" + cell + "\nendstream"});
}

TEST_F(TS_ProgramTest, ACellStrokingOnePathOfManySubpathsIsDrawnAsMutoolDrawsIt) {
    struct Page {
        const char* what;
        std::string file;
    };
    std::vector<Page> pages = {
        {"8 subpaths, a rectangle filled",
         WriteFile("fill-8.pdf", StripedPage(8, "q /Pattern cs /P0 scn 50 100 200 100 re f Q"))},
        {"8 subpaths, a line stroked",
         WriteFile("stroke-8.pdf", StripedPage(8, "q 0.96 w /Pattern CS /P0 SCN 50 150 m 106 150 l S Q"))},
        {"7 subpaths, a rectangle filled",
         WriteFile("fill-7.pdf", StripedPage(7, "q /Pattern cs /P0 scn 50 100 200 100 re f Q"))},
    };
    if (CorpusPresent())
        pages.push_back({"a real page", CorpusFile("pdfjs_scorecard_reduced_cmyk.pdf")});
    const char* plates[] = {"plate-0-Cyan.png", "plate-1-Magenta.png", "plate-2-Yellow.png", "plate-3-Black.png"};
    for (const Page& page : pages) {
        SCOPED_TRACE(page.what);
        const TS_Run run = Run(WithOut({page.file, "--dpi", std::to_string(kDpi)}));
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        const std::vector<GrayPlate> theirs = TS_MutoolPlates(page.file, m_docs.File("page.pam"), kDpi);
        for (int ink = 0; ink < 4; ++ink) {
            SCOPED_TRACE(plates[ink]);
            TS_ExpectNearMutool(TS_ReadPlatePng(m_out.File(plates[ink])), theirs[ink]);
        }
    }
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
}

}  // namespace
