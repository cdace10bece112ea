#include "support/SeparationCorpus.h"

#include "E2ETestUtil.h"

#include <set>

namespace {

class SeparationCorpusTest : public CSEP_TempDirTest, public ::testing::WithParamInterface<CorpusPage> {};

}  // namespace

void PrintTo(const CorpusPage& page, std::ostream* os) { *os << page.name; }

namespace {

std::string PageName(const ::testing::TestParamInfo<CorpusPage>& info) {
    std::string name = info.param.name;
    for (char& c : name)
        c = c == '-' ? '_' : c;
    return name;
}

}  // namespace

TEST(SeparationCorpusNames, AreUnique) {
    std::set<std::string> names;
    for (const CorpusPage& page : SeparationCorpus())
        EXPECT_TRUE(names.insert(page.name).second) << page.name;
    EXPECT_GE(names.size(), 15u);
}

// Each page has exactly the plates of its inks in Ghostscript, and the
// inks its construct paints show on them.
TEST_P(SeparationCorpusTest, GhostscriptFindsThePagesInksAndWhatItPaints) {
    const CorpusPage& corpusPage = GetParam();
    const CPDF_Doc doc = corpusPage.build();
    ASSERT_EQ(doc.NumPages(), 1);
    std::vector<CPDF_Colorant> spots;
    doc.Page(0).ResourcesDict().CollectSpotColorants(&spots, false, true);
    std::vector<std::string> inks = {"Cyan", "Magenta", "Yellow", "Black"};
    for (const CPDF_Colorant& spot : spots)
        inks.push_back(spot.Name().CStr());
    EXPECT_EQ(std::vector<std::string>(inks.begin() + 4, inks.end()), corpusPage.spots);

    const std::map<std::string, GrayPlate> plates = Separations(doc);
    std::vector<std::string> plateNames;
    for (const auto& plate : plates)
        plateNames.push_back(plate.first);
    // tiffsep's files give no order: compare the names sorted.
    const std::set<std::string> sorted(inks.begin(), inks.end());
    EXPECT_EQ(plateNames, std::vector<std::string>(sorted.begin(), sorted.end()));
    for (const auto& plate : plates) {
        SCOPED_TRACE(plate.first);
        const bool painted = std::count(corpusPage.painted.begin(), corpusPage.painted.end(), plate.first) > 0;
        const double share = plate.second.InkedShare();
        if (painted)
            EXPECT_GE(share, 0.01);
        else
            EXPECT_EQ(share, 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, SeparationCorpusTest, ::testing::ValuesIn(SeparationCorpus()), PageName);
