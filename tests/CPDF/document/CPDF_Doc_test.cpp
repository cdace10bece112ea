#include "CPDF/document/CPDF_Doc.h"

#include "CPDF/document/DocumentTestUtil.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The "Id" of page index, or what is thrown.
std::string PageId(const CPDF_Doc& doc, uint32_t index) {
    return Outcome([&] { return Printed(doc.Page(index).Object().GetPath("Id")); });
}

const char* const kFourPages =
    "<< /Type /Pages /Count 4 /Kids [<< /Type /Page /Id 1 >>"
    " << /Type /Pages /Count 2 /Kids [<< /Type /Page /Id 2 >> << /Type /Page /Id 3 >>] >>"
    " << /Type /Page /Id 4 >>] >>";

// A page-structure back-end that records what it is asked.
class RecordingImpl : public CPDF_Impl {
public:
    explicit RecordingImpl(std::string* log) : m_log(log) {}
    ~RecordingImpl() override { *m_log += "deleted;"; }
    void DeletePages(int first, int last) override { *m_log += "delete " + Pair(first, last); }
    void AttachCosDoc(GLOB_Impl* cosImpl) override { *m_log += cosImpl ? "attach;" : "attach null;"; }
    void MovePage(int index, int target) override { *m_log += "move " + Pair(index, target); }
    CPDF_Page CreatePage(const CPDF_Doc& doc, int index, const GLIB_Rect& mediaBox) override {
        *m_log += "create " + std::to_string(index) + " " + RectText(mediaBox) + ";";
        return CPDF_Page(doc.NewDict(0));
    }
    void DetachCosDoc(GLOB_Impl* cosImpl) override { *m_log += cosImpl ? "detach;" : "detach null;"; }

private:
    static std::string Pair(int a, int b) { return std::to_string(a) + " " + std::to_string(b) + ";"; }
    std::string* m_log;
};

}  // namespace

TEST(CPDF_Doc, CreateMakesAnEmptyPageTree) {
    const CPDF_Doc doc = NewPageDoc();
    const GLOB_Object pages = doc.Pages();
    ASSERT_TRUE(pages.IsDict());
    EXPECT_FALSE(pages.IsDirect());
    EXPECT_TRUE(pages.HasType("Pages"));
    EXPECT_EQ(Printed(pages.GetPath("Count")), "0");
    EXPECT_EQ(Printed(pages.GetPath("Kids")), "[ ]");
    EXPECT_EQ(std::string(doc.Header()), "%PDF-1.3");
    EXPECT_EQ(doc.NumPages(), 0);
    EXPECT_EQ(PageId(doc, 0), "1128023 Document is missing pages.");
    EXPECT_TRUE(doc.EnsurePageTree() == pages);

    // Whatever "Pages" holds is kept.
    doc.CatalogPut("Pages", Obj("5"));
    EXPECT_EQ(Printed(doc.EnsurePageTree()), "5");
    EXPECT_EQ(Printed(doc.Pages()), "5");
    // A value of another document is copied in.
    EXPECT_EQ(doc.Pages().GetImpl(), doc.Impl());
    GLOB_Object found;
    EXPECT_TRUE(doc.CatalogKnown("Pages", &found));
    EXPECT_FALSE(doc.CatalogKnown("Outlines", nullptr));
}

TEST(CPDF_Doc, PagesInTreeOrder) {
    const std::string missing = "1128023 Document is missing pages.";
    const struct {
        const char* root;
        uint32_t index;
        std::string id;
    } cases[] = {
        {kFourPages, 0, "1"},
        {kFourPages, 1, "2"},
        {kFourPages, 2, "3"},
        {kFourPages, 3, "4"},
        {kFourPages, 4, missing},
        // N's Count 3: page 3 is looked for in N, as its page 2.
        {"<< /Count 4 /Kids [<< /Type /Page /Id 1 >>"
         " << /Count 3 /Kids [<< /Type /Page /Id 2 >> << /Type /Page /Id 3 >>] >> << /Type /Page /Id 4 >>] >>",
         3, missing},
        // A kid of any other Type, or none, is a Pages node.
        {"<< /Kids [<< /Type /Catalog /Count 1 /Kids [<< /Type /Page /Id 7 >>] >>] >>", 0, "7"},
        {"<< /Kids [<< /Type /Pages /Count 0 /Kids [] >> << /Type /Page /Id 8 >>] >>", 0, "8"},
        {"<< /Count 1 >>", 0, "1128023 Expecting Kids of Pages object to be an array, found: null"},
        {"<< /Kids 5 >>", 0, "1128023 Expecting Kids of Pages object to be an array, found: 5"},
        {"<< /Kids [<< /Type /Page >> 5] >>", 1, "1128023 Expecting Page/Pages to be a dictionary, found: 5"},
        {"<< /Kids [<< /Type /Pages /Kids [] >>] >>", 0, "1128023 Pages object missing Count -dict-"},
        {"<< /Kids [<< /Kids [] /Count 1.0 >>] >>", 0,
         "1128023 Expecting Pages object Count to be an integer, found: -dict-"},
        {"[1]", 0, "1128023 Expecting Pages object to be a dictionary, found: [ 1 ]"},
        {nullptr, 0, "1128023 Expecting Pages object to be a dictionary, found: null"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.root ? c.root : "no Pages") + " page " + std::to_string(c.index));
        EXPECT_EQ(PageId(DocWithTree(c.root), c.index), c.id);
    }

    // Page 1 sits in N at kid index 0.
    const CPDF_Doc doc = DocWithTree(kFourPages);
    GLOB_Object parent;
    uint32_t kidIndex = 9;
    doc.FindPage(doc.Pages(), 1, &parent, &kidIndex);
    EXPECT_TRUE(parent == doc.Pages().GetPath("Kids").Get(1));
    EXPECT_EQ(kidIndex, 0u);
}

TEST(CPDF_Doc, NumPages) {
    const struct {
        const char* root;
        std::string count;
    } cases[] = {
        {kFourPages, "4"},
        {nullptr, "0"},
        {"<< /Count -1 /Kids [] >>", "1128023 Document has invalid page count: -1"},
        {"<< /Kids [] >>", "1128023 Document has invalid page count: null"},
        {"<< /Count /N >>", "1128023 Document has invalid page count: /N"},
        {"7", "1128023 Expecting Pages object to be a dictionary, found: 7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.root ? c.root : "no Pages");
        const CPDF_Doc doc = DocWithTree(c.root);
        EXPECT_EQ(Outcome([&] { return std::to_string(doc.NumPages()); }), c.count);
    }
}

TEST(CPDF_Doc, InsertKidRaisesTheCountsUpToTheFirstParentOfAnotherType) {
    const struct {
        const char* rootType;
        const char* mCount;  // M's Count entry
        std::string thrown;
        std::string counts;  // N M root afterwards
    } cases[] = {
        {"/Pages", "/Count 3", "no exception", "3 4 6"},
        {"/Catalog", "/Count 3", "no exception", "3 4 5"},
        // The counts below the bad node are already raised.
        {"/Pages", "", "1128023 Pages object missing Count.", "3 null 5"},
        {"/Pages", "/Count 2147483647",
         "1128023 Pages object Count out of range: 2147483647 + 1", "3 2147483647 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.rootType) + " " + c.mCount);
        const CPDF_Doc doc = NewPageDoc();
        const GLOB_Object n =
            Chain(doc, {"<< /Type /Pages /Count 2 /Kids [<< /Type /Page /Id 1 >> << /Type /Page /Id 2 >>] >>",
                        std::string("<< /Type /Pages ") + c.mCount + " >>",
                        std::string("<< /Count 5 /Type ") + c.rootType + " >>"});
        const GLOB_Object kid = doc.ParseObject("<< /Type /Page /Id 3 >>");
        EXPECT_EQ(Thrown([&] { doc.InsertKid(n, kid, 1, 1); }), c.thrown);
        const GLOB_Object m = n.GetPath("Parent");
        EXPECT_EQ(Printed(n.GetPath("Count")) + " " + Printed(m.GetPath("Count")) + " " +
                      Printed(m.GetPath("Parent").GetPath("Count")),
                  c.counts);
        EXPECT_EQ(Printed(n.GetPath("Kids").Get(1).GetPath("Id")), "3");
        EXPECT_TRUE(kid.GetPath("Parent") == n);
    }

    const CPDF_Doc doc = NewPageDoc();
    const GLOB_Object kid = doc.ParseObject("<< /Type /Page >>");
    EXPECT_EQ(Thrown([&] { doc.InsertKid(Obj("5"), kid, 0, 1); }),
              "1128023 Expecting Pages object to be a dictionary, found: 5");
    EXPECT_EQ(Thrown([&] { doc.InsertKid(doc.ParseObject("<< /Count 1 >>"), kid, 0, 1); }),
              "1128023 Pages object missing Kids array.");
}

TEST(CPDF_Doc, LoopsAndDeepTreesEnd) {
    const CPDF_Doc doc = NewPageDoc();
    // Kids loop: N holds itself.
    const GLOB_Object n = doc.ParseObject("<< /Type /Pages /Count 5 /Kids [] >>");
    n.GetPath("Kids").ArrayPut(0, n);
    doc.CatalogPut("Pages", n);
    EXPECT_EQ(PageId(doc, 0), "1128023 Pages object found inside itself");
    // Parent loop: N -> M -> N.
    const GLOB_Object m = doc.ParseObject("<< /Type /Pages /Count 5 /Kids [] >>");
    n.PutPath("Parent", m);
    m.PutPath("Parent", n);
    EXPECT_EQ(Thrown([&] { doc.InsertKid(m, doc.ParseObject("<< /Type /Page >>"), 0, 1); }),
              "1128023 Parent chain of Pages objects loops");

    // Trees of 512 Pages levels are walked, 513 are refused.
    for (const int levels : {512, 513}) {
        SCOPED_TRACE(levels);
        GLOB_Object node = doc.ParseObject("<< /Type /Page /Id 1 >>");
        const GLOB_Object leaf = node;
        for (int i = 0; i < levels; ++i) {
            const GLOB_Object above = doc.ParseObject("<< /Type /Pages /Count 1 /Kids [] >>");
            above.GetPath("Kids").ArrayPut(0, node);
            node.PutPath("Parent", above);
            node = above;
        }
        doc.CatalogPut("Pages", node);
        EXPECT_EQ(PageId(doc, 0), levels == 512 ? "1" : "1128023 Pages objects nested deeper than 512 levels");
        const GLOB_Object parent = leaf.GetPath("Parent");
        EXPECT_EQ(Thrown([&] { doc.InsertKid(parent, doc.ParseObject("<< /Type /Page >>"), 0, 1); }),
                  levels == 512 ? "no exception" : "1128023 Parent chain of Pages objects longer than 512 levels");
    }
}

TEST(CPDF_Doc, SharesItsImplementationAndForwardsToIt) {
    std::string log;
    {
        const GLOB_Doc cos = GLOB_Memory_Impl::Make();
        CPDF_Doc doc(cos.Impl(), new RecordingImpl(&log));
        doc.Create();
        EXPECT_EQ(doc.NumPages(), 0);
        doc.CreatePage(2, GLIB_Rect(0, 0, 10, 20));
        doc.DeletePages(1, 3);
        doc.MovePage(4, 0);
        auto copy = std::make_unique<CPDF_Doc>(doc);
        CPDF_Doc other;
        other = doc;
        other = CPDF_Doc();
        copy.reset();
        EXPECT_EQ(log, "attach;create 2 0 0 10 20;delete 1 3;move 4 0;");
        doc.Close();
    }
    EXPECT_EQ(log, "attach;create 2 0 0 10 20;delete 1 3;move 4 0;detach;deleted;");
}
