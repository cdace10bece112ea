// The stand-in's PD layer over the Cos store: pages from hand-made page
// trees (inheritance, rotation, page space), counted page handles, shared
// opens from host files, saving and the delete-on-close flag.
#include "support/TestSupport.h"
#include "support/PdfText.h"
#include "VIEW_TestDocs.h"
#include "viewer/VIEW_Atoms.h"
#include "viewer/VIEW_Cos.h"
#include "viewer/VIEW_ErrorRegistry.h"
#include "viewer/VIEW_CosHandles.h"
#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_Files.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/VIEW_RaisedText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A PDF file of the given objects (numbered from 1, object 1 the catalog)
// with a correct cross-reference table.
std::string PdfOf(const std::vector<std::string>& objects) {
    return PdfText("%PDF-1.4", objects);
}

// Two pages under a middle node that carries the rotation and media box;
// the second page overrides both and has a crop box.
std::string TwoPageTree(const std::string& rotate, const std::string& secondPage) {
    return PdfOf({
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 2 >>",
        "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 5 0 R] /Count 2 /Rotate " + rotate +
            " /MediaBox [0 0 612 792] >>",
        "<< /Type /Page /Parent 3 0 R >>",
        "<< /Type /Page /Parent 3 0 R " + secondPage + " >>",
    });
}

class PDTest : public ::testing::Test {
protected:
    void SetUp() override { VIEW_Host::Reset(); }
    void TearDown() override {
        VIEW_Host::Reset();
        EXPECT_EQ(VIEW_PD::OpenDocCount(), 0u);
    }

    PDFL_PDDoc Open(const std::string& name, const std::string& bytes) {
        return VIEW_OpenTestDoc(m_dir.File(name), bytes);
    }
    static VCOS_Obj PageDict(PDFL_PDPage page) { return VIEW_ObjFromCos(VIEW_PD::PageGetCosObj(page)); }

    ScratchDir m_dir;
};

TEST_F(PDTest, RotationIsInheritedAndReadModulo360OrZero) {
    const struct {
        const char* rotate;
        PDFL_PDRotate degrees;
    } cases[] = {
        {"90", 90}, {"-90", 270}, {"450", 90}, {"-720", 0}, {"180.0", 180},
        {"45", 0},  {"90.5", 0},  {"/R", 0},   {"2147483647", 0}, {"-2147483648", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rotate);
        const PDFL_PDDoc doc = Open("rotate.pdf", TwoPageTree(c.rotate, "/Rotate 270"));
        const PDFL_PDPage first = VIEW_PD::DocAcquirePage(doc, 0);
        const PDFL_PDPage second = VIEW_PD::DocAcquirePage(doc, 1);
        EXPECT_EQ(VIEW_PD::PageGetRotate(first), c.degrees);
        EXPECT_EQ(VIEW_PD::PageGetRotate(second), 270) << "its own entry wins";
        VIEW_PD::PageRelease(first);
        VIEW_PD::PageRelease(second);
        VIEW_PD::DocClose(doc);
    }
}

TEST_F(PDTest, PageSpaceIsTheCropBoxCutToTheMediaBox) {
    const struct {
        const char* entries;
        double box[4];
    } cases[] = {
        {"", {0, 0, 612, 792}},
        {"/CropBox [100 100 400 500]", {100, 100, 400, 500}},
        {"/CropBox [400 500 100 100]", {100, 100, 400, 500}},
        {"/CropBox [-50 -50 300 900]", {0, 0, 300, 792}},
        {"/CropBox [700 800 900 900]", {0, 0, 612, 792}},
        {"/CropBox [1 2 3]", {0, 0, 612, 792}},
        {"/MediaBox [10 20 110 220]", {10, 20, 110, 220}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries);
        const PDFL_PDDoc doc = Open("space.pdf", TwoPageTree("0", c.entries));
        const PDFL_PDPage page = VIEW_PD::DocAcquirePage(doc, 1);
        double box[4] = {};
        VIEW_PD::PageSpaceBox(page, box);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(box[i], c.box[i]) << "corner value " << i;
        VIEW_PD::PageRelease(page);
        VIEW_PD::DocClose(doc);
    }
}

TEST_F(PDTest, PageHandlesAreCountedAndKnowTheirPlace) {
    const PDFL_PDDoc doc = Open("pages.pdf", TwoPageTree("0", ""));
    EXPECT_EQ(VIEW_PD::DocGetNumPages(doc), 2);
    const PDFL_PDPage once = VIEW_PD::DocAcquirePage(doc, 1);
    const PDFL_PDPage twice = VIEW_PD::DocAcquirePage(doc, 1);
    EXPECT_EQ(once, twice);
    EXPECT_EQ(VIEW_PD::PageGetNumber(once), 1);
    EXPECT_EQ(VIEW_PD::PageGetDoc(once), doc);
    VIEW_PD::PageRelease(once);
    EXPECT_EQ(VIEW_PD::AcquiredPageCount(), 1u);
    VIEW_PD::PageRelease(twice);
    EXPECT_EQ(VIEW_PD::AcquiredPageCount(), 0u);
    EXPECT_THROW(VIEW_PD::PageRelease(twice), VIEW_AssertionFailure);
    for (int32_t number : {-1, 2, 1000}) {
        SCOPED_TRACE(number);
        EXPECT_THROW(VIEW_PD::DocAcquirePage(doc, number), VIEW_HostRaise);
    }
    VIEW_PD::DocClose(doc);
}

TEST_F(PDTest, DamagedPageTreesAreHostErrors) {
    const std::vector<std::vector<std::string>> trees = {
        {"<< /Type /Catalog >>"},
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [2 0 R] /Count 1 >>"},
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R 3 0 R] /Count 2 >>",
         "<< /Type /Page /Parent 2 0 R >>"},
    };
    for (size_t i = 0; i < trees.size(); ++i) {
        SCOPED_TRACE(i);
        const PDFL_PDDoc doc = Open("damaged.pdf", PdfOf(trees[i]));
        EXPECT_THROW(VIEW_PD::DocGetNumPages(doc), VIEW_HostRaise);
        VIEW_PD::DocClose(doc);
    }
}

TEST_F(PDTest, DamagedPageTreesSayWhatIsDamagedWhenPagesAreCountedOrAsked) {
    const std::string catalog = "<< /Type /Catalog /Pages 2 0 R >>";
    const std::string page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] >>";
    const struct {
        const char* what;
        std::vector<std::string> objects;
        const char* says;
    } trees[] = {
        {"Kids a number", {catalog, "<< /Type /Pages /Kids 3 /Count 1 >>", page},
         "The page tree is damaged: /Kids of object 2 is not an array"},
        {"Kids a reference to a page", {catalog, "<< /Type /Pages /Kids 3 0 R /Count 1 >>", page},
         "The page tree is damaged: /Kids of object 2 is not an array"},
        {"Kids missing", {catalog, "<< /Type /Pages /Count 1 >>", page},
         "The page tree is damaged: /Kids of object 2 is missing"},
        {"Kids of an inner node below the root not an array",
         {catalog, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>", "<< /Type /Pages /Parent 2 0 R /Kids 7 >>"},
         "The page tree is damaged: /Kids of object 3 is not an array"},
        {"Kids a reference to a missing object", {catalog, "<< /Type /Pages /Kids 9 0 R /Count 1 >>"},
         "The page tree is damaged: /Kids of object 2 is missing"},
        {"a kid that is a missing object", {catalog, "<< /Type /Pages /Kids [3 0 R 9 0 R] /Count 2 >>", page},
         "The page tree is damaged: object 2 has a missing kid"},
        {"a kid that is a number", {catalog, "<< /Type /Pages /Kids [3 0 R 7] /Count 2 >>", page},
         "The page tree is damaged: object 2 has a kid that is not a dictionary"},
        {"no Pages", {"<< /Type /Catalog /Pages 5 >>"},
         "The page tree is damaged: the catalog has no /Pages dictionary"},
        {"a loop of two nodes",
         {catalog, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
          "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R] /Count 1 >>",
          "<< /Type /Pages /Parent 3 0 R /Kids [3 0 R] /Count 1 >>"},
         "The page tree is damaged: object 3 is in it twice"},
    };
    for (const auto& tree : trees) {
        SCOPED_TRACE(tree.what);
        const PDFL_PDDoc doc = Open("damaged.pdf", PdfOf(tree.objects));
        EXPECT_EQ(RaisedText([&] { VIEW_PD::DocGetNumPages(doc); }), tree.says);
        EXPECT_EQ(RaisedText([&] { VIEW_PD::DocAcquirePage(doc, 0); }), tree.says);
        EXPECT_EQ(VIEW_PD::AcquiredPageCount(), 0u);
        VIEW_PD::DocClose(doc);
    }
}

// Only /Kids makes an inner node: a leaf without /Type, typed /Pages, or
// with /Kids null, and a /Page whose /Kids is not an array, is a page in
// its place, and a /Count that lies changes nothing.
TEST_F(PDTest, EveryNodeWithoutKidsIsAPageInKidsOrder) {
    const std::string catalog = "<< /Type /Catalog /Pages 2 0 R >>";
    const std::string root = "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>";
    const auto page = [](int n, const std::string& type) {
        return "<< " + type + " /Parent 2 0 R /N " + std::to_string(n) + " >>";
    };
    const struct {
        const char* what;
        std::vector<std::string> objects;
    } trees[] = {
        {"no Type", {catalog, root, page(0, "/Type /Page"), page(1, ""), page(2, "/Type /Page")}},
        {"typed Pages", {catalog, root, page(0, "/Type /Page"), page(1, "/Type /Pages"), page(2, "/Type /Page")}},
        {"typed Pages with Kids null",
         {catalog, root, page(0, "/Type /Page"), page(1, "/Type /Pages /Kids null /Count 4"), page(2, "")}},
        {"typed Page with Kids not an array",
         {catalog, root, page(0, "/Type /Page"), page(1, "/Type /Page /Kids 0"), page(2, "")}},
        {"a middle node whose Count lies",
         {catalog, "<< /Type /Pages /Kids [3 0 R 6 0 R] /Count 1 >>",
          "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 5 0 R] /Count 7 >>",
          "<< /Type /Page /Parent 3 0 R /N 0 >>", "<< /Parent 3 0 R /N 1 >>", page(2, "/Type /Page")}},
    };
    for (const auto& tree : trees) {
        SCOPED_TRACE(tree.what);
        const PDFL_PDDoc doc = Open("leaves.pdf", PdfOf(tree.objects));
        ASSERT_EQ(VIEW_PD::DocGetNumPages(doc), 3);
        for (int32_t i = 0; i < 3; ++i) {
            const PDFL_PDPage handle = VIEW_PD::DocAcquirePage(doc, i);
            EXPECT_EQ(VIEW_Cos::Store().IntegerValue(VIEW_Cos::Store().DictGet(PageDict(handle), "N")), i);
            EXPECT_EQ(VIEW_PD::PageGetNumber(handle), i);
            VIEW_PD::PageRelease(handle);
        }
        // A page moved after the untyped leaf lands behind it.
        const PDFL_PDPage first = VIEW_PD::DocAcquirePage(doc, 0);
        VIEW_PD::DocMovePage(doc, 1, first);
        EXPECT_EQ(VIEW_PD::PageGetNumber(first), 1);
        EXPECT_EQ(VIEW_PD::DocGetNumPages(doc), 3);
        VIEW_PD::PageRelease(first);
        VIEW_PD::DocClose(doc);
    }
}

TEST_F(PDTest, APageTreeDeeperThanTheLimitIsRefusedWithoutRecursingOn) {
    // 300 nested nodes, each the only kid of the one above: no loop to
    // catch, only the depth.
    std::vector<std::string> objects{"<< /Type /Catalog /Pages 2 0 R >>"};
    constexpr int kNodes = 300;
    for (int i = 2; i < kNodes + 2; ++i)
        objects.push_back("<< /Type /Pages /Kids [" + std::to_string(i + 1) + " 0 R] /Count 1 >>");
    objects.push_back("<< /Type /Page /MediaBox [0 0 10 10] >>");
    const PDFL_PDDoc doc = Open("deep.pdf", PdfOf(objects));
    EXPECT_EQ(RaisedText([&] { VIEW_PD::DocGetNumPages(doc); }),
              "The page tree is damaged: it nests deeper than 256 levels");
    VIEW_PD::DocClose(doc);
}

TEST_F(PDTest, AFileWithoutItsTrailerOpensRepairedWithItsPages) {
    const std::string whole = TwoPageTree("90", "/MediaBox [0 0 300 200]");
    const std::string cut = whole.substr(0, whole.rfind("xref\n0 "));
    const PDFL_PDDoc doc = Open("cut.pdf", cut);
    ASSERT_EQ(VIEW_PD::DocGetNumPages(doc), 2);
    const PDFL_PDPage second = VIEW_PD::DocAcquirePage(doc, 1);
    double box[4] = {};
    VIEW_PD::PageSpaceBox(second, box);
    EXPECT_EQ(box[2] - box[0], 300);
    EXPECT_EQ(box[3] - box[1], 200);
    EXPECT_EQ(VIEW_PD::PageGetRotate(second), 90) << "inherited through the rebuilt tree";
    VIEW_PD::PageRelease(second);
    // What the program counts to say "repaired, N warnings".
    const std::vector<std::string> warnings = VIEW_Cos::DocWarnings(VIEW_PD::DocGetCosDoc(doc));
    ASSERT_FALSE(warnings.empty());
    EXPECT_NE(warnings[0].find("damaged file rebuilt in memory"), std::string::npos) << warnings[0];
    VIEW_PD::DocClose(doc);
}

TEST_F(PDTest, CreatedPagesTakeEitherReadingOfTheBoxAsOneMediaBox) {
    const PDFL_PDDoc doc = VIEW_PD::DocCreate();
    EXPECT_EQ(VIEW_PD::DocGetFlags(doc), 3);
    const PDFL_FixedRect readings[] = {
        {0, 792 * 65536, 612 * 65536, 0},   // left, top, right, bottom
        {0, 0, 612 * 65536, 792 * 65536},   // left, bottom, right, top
    };
    for (const PDFL_FixedRect& box : readings) {
        const PDFL_PDPage page = VIEW_PD::DocCreatePage(doc, VIEW_PD::DocGetNumPages(doc) - 1, box);
        double space[4] = {};
        VIEW_PD::PageSpaceBox(page, space);
        EXPECT_EQ(std::vector<double>(space, space + 4), (std::vector<double>{0, 0, 612, 792}));
        VIEW_PD::PageRelease(page);
    }
    EXPECT_EQ(VIEW_PD::DocGetNumPages(doc), 2);
    VIEW_PD::DocClose(doc);
}

TEST_F(PDTest, AFileOpenedTwiceGivesOneDocumentClosedByTheLastClose) {
    const std::string path = m_dir.File("twice.pdf");
    WriteWholeFile(path, TwoPageTree("0", ""));
    PDFL_ASFile files[2] = {};
    for (PDFL_ASFile& file : files) {
        const PDFL_ASPathName pathName = VIEW_Paths::Make(path);
        ASSERT_EQ(VIEW_Files::Open(nullptr, pathName, 1, &file), 0);
        VIEW_Paths::Release(pathName);
    }
    const PDFL_PDDoc first = VIEW_PD::DocOpenFromASFile(files[0]);
    const PDFL_PDDoc second = VIEW_PD::DocOpenFromASFile(files[1]);
    EXPECT_EQ(first, second);
    VIEW_PD::DocClose(first);
    EXPECT_EQ(VIEW_PD::OpenDocCount(), 1u);
    EXPECT_EQ(VIEW_PD::DocGetNumPages(second), 2);
    VIEW_PD::DocClose(second);
    EXPECT_EQ(VIEW_PD::OpenDocCount(), 0u);
    EXPECT_EQ(VIEW_Cos::OpenDocCount(), 0u);
    EXPECT_EQ(VIEW_Files::OpenCount(), 2u) << "the files stay the opener's";
    for (PDFL_ASFile file : files)
        EXPECT_EQ(VIEW_Files::Close(file), 0);
}

TEST_F(PDTest, SavedDocumentsReadBackAndFlag8DeletesTheFileAtClose) {
    const PDFL_PDDoc doc = VIEW_PD::DocCreate();
    VIEW_PD::DocCreatePage(doc, -1, PDFL_FixedRect{0, 200 * 65536, 100 * 65536, 0});
    VIEW_PD::PageRelease(VIEW_PD::DocAcquirePage(doc, 0));
    VIEW_PD::DocSetInfo(doc, "Producer", "Tintscope tests", 9);
    const std::string path = m_dir.File("saved.pdf");
    const PDFL_ASPathName pathName = VIEW_Paths::Make(path);
    VIEW_PD::DocSave(doc, 0x21, pathName, nullptr);
    VIEW_Paths::Release(pathName);
    EXPECT_EQ(VIEW_PD::DocGetFlags(doc) & 1, 0) << "saved";
    VIEW_PD::DocClose(doc);

    const PDFL_PDDoc reopened = Open("saved.pdf", ReadWholeFile(path));
    EXPECT_EQ(VIEW_PD::DocGetNumPages(reopened), 1);
    EXPECT_EQ(VIEW_PD::DocGetPermissions(reopened), 0xFFFFFFFFu) << "not encrypted";
    VCOS_Store& store = VIEW_Cos::Store();
    const VCOS_Obj info = store.Info(VIEW_PD::CosDocId(reopened));
    EXPECT_EQ(store.StringValue(store.DictGet(info, "Producer")), "Tintscope");
    VIEW_PD::DocSetFlags(reopened, 8);
    VIEW_PD::DocClose(reopened);
    EXPECT_TRUE(ReadWholeFile(m_dir.File("saved.pdf")).empty()) << "deleted at close";
}

TEST_F(PDTest, SavingInPlaceNeedsAFileAndOtherFlagsAreMisuse) {
    const PDFL_PDDoc created = VIEW_PD::DocCreate();
    EXPECT_THROW(VIEW_PD::DocSave(created, 0, nullptr, nullptr), VIEW_HostRaise);
    EXPECT_THROW(VIEW_PD::DocSave(created, 1, nullptr, nullptr), VIEW_AssertionFailure);
    EXPECT_THROW(VIEW_PD::DocSave(created, 4, nullptr, nullptr), VIEW_AssertionFailure);
    VIEW_PD::DocClose(created);
}

TEST_F(PDTest, DrawingWithoutAMatrixOrUpdateRectangleIsMisuse) {
    const PDFL_PDDoc doc = Open("draw.pdf", TwoPageTree("0", ""));
    const PDFL_PDPage page = VIEW_PD::DocAcquirePage(doc, 0);
    const PDFL_FixedMatrix matrix{65536, 0, 0, -65536, 0, 792 * 65536};
    const PDFL_FixedRect update{0, 0, 612 * 65536, 792 * 65536};
    EXPECT_THROW(VIEW_PD::PageDrawContents(page, nullptr, nullptr, &update, nullptr, nullptr), VIEW_AssertionFailure);
    EXPECT_THROW(VIEW_PD::PageDrawContents(page, nullptr, &matrix, nullptr, nullptr, nullptr), VIEW_AssertionFailure);
    VIEW_PD::PageRelease(page);
    VIEW_PD::DocClose(doc);
}

// Atoms are 16-bit and live as long as the process, so the names run out
// in a child process.
TEST_F(PDTest, MoreDistinctNamesThanAtomsGiveAHostErrorNotAnAssertion) {
    constexpr int32_t kNames = 70000;
    std::string names;
    for (int32_t i = 0; i < kNames; ++i)
        names += " /n" + std::to_string(i);
    const PDFL_PDDoc doc = Open("names.pdf", PdfOf({"<< /Type /Catalog /Pages 2 0 R /Many 3 0 R >>",
                                                    "<< /Type /Pages /Kids [] /Count 0 >>", "[" + names + " ]"}));
    const PDFL_CosObj many =
        VIEW_Cos::DictGet(VIEW_Cos::DocGetRoot(VIEW_PD::DocGetCosDoc(doc)), VIEW_Atoms::FromString("Many"));
    ASSERT_EQ(VIEW_Cos::ArrayLength(many), kNames);
    const PDFL_ASAtom first = VIEW_Cos::NameValue(VIEW_Cos::ArrayGet(many, 0));
    EXPECT_EXIT(
        {
            std::string outcome = "every name got an atom";
            for (int32_t i = 0; i < kNames; ++i) {
                try {
                    VIEW_Cos::NameValue(VIEW_Cos::ArrayGet(many, i));
                } catch (const VIEW_HostRaise& raise) {
                    outcome = VIEW_ErrorRegistry::Text(raise.Code());
                    break;
                }
            }
            std::fprintf(stderr, "%s\nthe first name still reads %s\n", outcome.c_str(), VIEW_Atoms::GetString(first));
            std::exit(0);
        },
        ::testing::ExitedWithCode(0),
        "the file needs more than 65,535 distinct names\n"
        "the first name still reads n0");
    VIEW_PD::DocClose(doc);
}

}  // namespace
