// What two pages of the end-to-end corpus must show at chosen points, on
// tiffsep's plates of the source and on Ghostscript's drawing of each ink's
// separated page alike: a gray under overprint is all four process inks,
// and a form's text knocks out whatever text mode the page left behind.
#include "E2ETestUtil.h"
#include "separation/CSEP_PDFSeparator.h"
#include "support/SeparationCorpus.h"

#include <cstdlib>

namespace {

using OverprintPlatesTest = CSEP_TempDirTest;

CPDF_Doc CorpusDoc(const std::string& name) {
    for (const CorpusPage& page : SeparationCorpus())
        if (name == page.name)
            return page.build();
    ADD_FAILURE() << "no corpus page " << name;
    return CPDF_Doc();
}

// Each ink's separated page drawn by Ghostscript, by ink name.
std::map<std::string, GrayPlate> SeparatedDrawings(const CPDF_Page& page) {
    std::vector<CPDF_Colorant> spots;
    page.ResourcesDict().CollectSpotColorants(&spots, false, false);
    CPDF_Doc out = CPDF_MemoryImpl::Make();
    out.Create();
    CSEP_SepJobContext job;
    job.SetDocAndColorants(out, spots);
    CSEP_PDFSeparator separator;
    separator.SetJobContext(job);
    std::vector<GLOB_Object> pages;
    separator.SeparatePage(page, 0, pages);
    const ScratchDir dir;
    PdfFileWriter::Write(out, dir.File("inks.pdf"), PdfFileWriter::ExternalStreams::Inline);
    const std::vector<GrayPlate> drawn = GhostscriptRenderer::GrayPages(dir.File("inks.pdf"));
    std::map<std::string, GrayPlate> byInk;
    for (uint32_t i = 0; i < job.NumColorants() && i < drawn.size(); ++i)
        byInk[job.Colorant(i).Name().CStr()] = drawn[i];
    return byInk;
}

struct Expected {
    const char* where;
    double x, y;
    const char* ink;
    int level;
};

// Levels within 3 of the expected one, on the source's plates and on the
// drawings of the separated pages.
void CheckLevels(const std::string& name, double pageHeight, const std::vector<Expected>& expected) {
    const CPDF_Doc source = CorpusDoc(name);
    std::map<std::string, GrayPlate> plates = Separations(source);
    std::map<std::string, GrayPlate> drawn = SeparatedDrawings(source.Page(0));
    for (const Expected& e : expected) {
        SCOPED_TRACE(std::string(e.where) + ", " + e.ink);
        ASSERT_EQ(plates.count(e.ink), 1u);
        ASSERT_EQ(drawn.count(e.ink), 1u);
        EXPECT_LE(std::abs(LevelAt(plates[e.ink], e.x, e.y, pageHeight) - e.level), 3) << "tiffsep";
        EXPECT_LE(std::abs(LevelAt(drawn[e.ink], e.x, e.y, pageHeight) - e.level), 3) << "separated";
    }
}

}  // namespace

// 0.5 g under overprint leaves no cyan under it, puts 50% in Black and
// keeps the Gold it covers, in either overprint mode and as an image.
TEST_F(OverprintPlatesTest, GrayUnderOverprintIsAllFourProcessInks) {
    CheckLevels("gray-overprint", 200,
                {
                    {"cyan alone", 20, 150, "Cyan", 0},
                    {"cyan alone", 20, 150, "Black", 255},
                    {"gray fill, OPM 0", 47, 150, "Cyan", 255},
                    {"gray fill, OPM 0", 47, 150, "Black", 128},
                    {"gray fill, OPM 1", 147, 150, "Cyan", 255},
                    {"gray fill, OPM 1", 147, 150, "Black", 128},
                    {"gray image", 47, 50, "Cyan", 255},
                    {"gray image", 47, 50, "Black", 128},
                    {"Gold and cyan", 127, 50, "Gold", 0},
                    {"Gold and cyan", 127, 50, "Cyan", 0},
                    {"gray over Gold", 142, 50, "Gold", 0},
                    {"gray over Gold", 142, 50, "Cyan", 255},
                    {"gray over Gold", 142, 50, "Black", 128},
                    {"gray stroke over magenta", 250, 180, "Magenta", 255},
                    {"gray stroke over magenta", 250, 180, "Black", 128},
                    {"magenta alone", 215, 150, "Magenta", 0},
                    {"Indexed gray over yellow", 250, 25, "Yellow", 255},
                    {"Indexed gray over yellow", 250, 25, "Black", 128},
                    {"gray shading over yellow", 255, 70, "Yellow", 255},
                });
}

// Text under overprint in Black leaves C, M and Y at an invisible mode; the
// white H of a form drawn next must still knock the cyan out.
TEST_F(OverprintPlatesTest, AFormsTextKnocksOutAfterOverprintedText) {
    CheckLevels("form-text-after-overprint", 200,
                {
                    {"cyan square", 20, 100, "Cyan", 51},
                    {"left stem of the white H", 60, 80, "Cyan", 255},
                    {"left stem of the white H", 60, 80, "Black", 255},
                });
}
