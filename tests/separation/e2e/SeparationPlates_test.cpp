// The separation engine end to end: each corpus page is separated in the
// plug-in's mode (external streams, unfiltered samples) and in the embedded
// mode (Flate samples), and every ink's page, drawn by Ghostscript, must
// follow the plate that Ghostscript's own separation device makes of the
// source page.
#include "E2ETestUtil.h"
#include "separation/CSEP_PDFSeparator.h"
#include "support/SeparationCorpus.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

using External = PdfFileWriter::ExternalStreams;

struct Mode {
    const char* name;
    uint32_t externalStreams;
    uint32_t compressionMode;
    External written;
};

const Mode PlugInMode = {"external", 1, 1, External::Keep};
const Mode EmbeddedMode = {"embedded", 0, 0, External::Inline};

// A job over a new output document whose inks are those the plug-in finds
// on the page, with the page separated into it from page 0 on.
CSEP_SepJobContext SeparatedJob(const CPDF_Page& page, const Mode& mode) {
    std::vector<CPDF_Colorant> spots;
    page.ResourcesDict().CollectSpotColorants(&spots, false, false);
    CPDF_Doc out = CPDF_MemoryImpl::Make();
    out.Create();
    CSEP_SepJobContext job;
    job.SetUseExternalStreams(mode.externalStreams);
    job.SetCompressionMode(mode.compressionMode);
    job.SetDocAndColorants(out, spots);
    CSEP_PDFSeparator separator;
    separator.SetJobContext(job);
    std::vector<GLOB_Object> pages;
    separator.SeparatePage(page, 0, pages);
    EXPECT_EQ(out.NumPages(), static_cast<int>(job.NumColorants()));
    return job;
}

std::vector<std::string> InkNames(const CSEP_SepJobContext& job) {
    std::vector<std::string> names;
    for (uint32_t i = 0; i < job.NumColorants(); ++i)
        names.push_back(job.Colorant(i).Name().CStr());
    return names;
}

class SeparationPlatesTest : public CSEP_TempDirTest, public ::testing::WithParamInterface<CorpusPage> {};

std::string PageName(const ::testing::TestParamInfo<CorpusPage>& info) {
    std::string name = info.param.name;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

// Walks two output documents side by side and checks that they hold the
// same objects but for how stream data are stored, and that every stream
// of the first decodes, through the memory back-end, to the data of its
// twin in the second.
class TwinWalk {
public:
    void Walk(const GLOB_Object& a, const GLOB_Object& b, int depth = 0) {
        ASSERT_LT(depth, GLOB_Object::MaxNesting);
        ASSERT_EQ(a.Type(), b.Type()) << Text(a) << " / " << Text(b);
        if (a.IsIndirect()) {
            for (const auto& twins : m_seen)
                if (twins.first == a) {
                    EXPECT_TRUE(twins.second == b) << "two twins of " << Text(a);
                    return;
                }
            m_seen.emplace_back(a, b);
        }
        if (a.IsStream()) {
            EXPECT_EQ(StreamData(a, 2), StreamData(b, 2)) << Text(a.StreamDict());
            externalStreams += a.StreamDict().Known(GLOB_Name("F"));
            ++streams;
            return WalkDict(a.StreamDict(), b.StreamDict(), depth, true);
        }
        if (a.IsDict())
            return WalkDict(a, b, depth, false);
        if (a.IsArray()) {
            ASSERT_EQ(a.Length(), b.Length()) << Text(a);
            for (uint32_t i = 0; i < a.Length(); ++i)
                Walk(a.Get(i), b.Get(i), depth + 1);
            return;
        }
        EXPECT_EQ(Text(a), Text(b));
    }

    int streams = 0;
    int externalStreams = 0;

private:
    // Where and how a stream's data are stored; and the optional /Type, which
    // a single-ink image made anew over its external file has and a copy of
    // the source's dictionary may not.
    static bool IsStorageKey(const GLOB_Name& key) {
        for (const char* storage : {"Length", "Filter", "DecodeParms", "F", "FFilter", "FDecodeParms", "Type"})
            if (key == storage)
                return true;
        return false;
    }

    static std::vector<GLOB_Name> Keys(const GLOB_Object& dict, bool stream) {
        std::vector<GLOB_Name> keys;
        dict.GetImpl()->DictKeys(dict, keys, false);
        keys.erase(std::remove_if(keys.begin(), keys.end(),
                                  [&](const GLOB_Name& key) { return stream && IsStorageKey(key); }),
                   keys.end());
        return keys;
    }

    static std::string Names(const std::vector<GLOB_Name>& keys) {
        std::string names;
        for (const GLOB_Name& key : keys)
            names += std::string("/") + key.CStr();
        return names;
    }

    void WalkDict(const GLOB_Object& a, const GLOB_Object& b, int depth, bool stream) {
        const std::vector<GLOB_Name> keys = Keys(a, stream);
        ASSERT_EQ(Names(keys), Names(Keys(b, stream)));
        for (const GLOB_Name& key : keys) {
            SCOPED_TRACE(key.CStr());
            Walk(a.DictGet(key), b.DictGet(key), depth + 1);
        }
    }

    std::vector<std::pair<GLOB_Object, GLOB_Object>> m_seen;
};

}  // namespace

void PrintTo(const CorpusPage& page, std::ostream* os) { *os << page.name; }

TEST(SeparationCorpusNames, AreUnique) {
    std::set<std::string> names;
    for (const CorpusPage& page : SeparationCorpus())
        EXPECT_TRUE(names.insert(page.name).second) << page.name;
    EXPECT_GE(names.size(), 15u);
}

// tiffsep finds the job's inks and what the page paints; each ink's
// separation page, in both modes, draws that ink's plate outside its edges.
TEST_P(SeparationPlatesTest, EveryInksPageDrawsItsGhostscriptPlate) {
    const CorpusPage& corpusPage = GetParam();
    const CPDF_Doc source = corpusPage.build();
    ASSERT_EQ(source.NumPages(), 1);
    const CPDF_Page page = source.Page(0);
    std::map<std::string, GrayPlate> plates = Separations(source);

    for (const Mode* mode : {&PlugInMode, &EmbeddedMode}) {
        SCOPED_TRACE(mode->name);
        const CSEP_SepJobContext job = SeparatedJob(page, *mode);
        const std::vector<std::string> inks = InkNames(job);
        EXPECT_EQ(std::vector<std::string>(inks.begin() + 4, inks.end()), corpusPage.spots);
        std::set<std::string> plateNames;
        for (const auto& plate : plates)
            plateNames.insert(plate.first);
        ASSERT_EQ(std::set<std::string>(inks.begin(), inks.end()), plateNames);

        const ScratchDir dir;
        PdfFileWriter::Write(job.Doc(), dir.File("inks.pdf"), mode->written);
        const std::vector<GrayPlate> renderings = GhostscriptRenderer::GrayPages(dir.File("inks.pdf"));
        ASSERT_EQ(renderings.size(), inks.size());
        for (size_t i = 0; i < inks.size(); ++i) {
            SCOPED_TRACE(inks[i]);
            const GrayPlate& plate = plates[inks[i]];
            const PlateMatch match = ComparePlate(plate, renderings[i]);
            std::printf("%-17s %-9s %-8s %7.3f%% of %llu non-edge pixels within 2 levels\n", corpusPage.name,
                        mode->name, inks[i].c_str(), 100 * match.Share(),
                        static_cast<unsigned long long>(match.nonEdge));
            EXPECT_GE(match.Share(), PlateMatch::RequiredShare);
            const auto& painted = corpusPage.painted;
            if (std::find(painted.begin(), painted.end(), inks[i]) != painted.end()) {
                EXPECT_GE(plate.InkedShare(), 0.01);
            } else {
                EXPECT_EQ(plate.InkedShare(), 0.0);
                EXPECT_EQ(renderings[i].InkedShare(), 0.0);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, SeparationPlatesTest, ::testing::ValuesIn(SeparationCorpus()), PageName);

// The plug-in's output read in memory, its external-file streams through
// their "DOS" path, gives the embedded mode's data stream by stream.
TEST_F(SeparationPlatesTest, ExternalStreamsDecodeInMemoryAsTheEmbeddedOnes) {
    for (const CorpusPage& corpusPage : SeparationCorpus()) {
        SCOPED_TRACE(corpusPage.name);
        const CPDF_Doc source = corpusPage.build();
        const CSEP_SepJobContext external = SeparatedJob(source.Page(0), PlugInMode);
        const CSEP_SepJobContext embedded = SeparatedJob(source.Page(0), EmbeddedMode);
        TwinWalk walk;
        walk.Walk(external.Doc().Root(), embedded.Doc().Root());
        // At least each ink's content and tint transform.
        EXPECT_GE(walk.streams, 2 * static_cast<int>(external.NumColorants()));
        EXPECT_GE(walk.externalStreams, static_cast<int>(external.NumColorants()));
    }
}
