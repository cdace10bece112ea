// The page-structure back-end over the host's PD layer: what reaches the
// host (after-page arguments, fixed-point boxes) and what the stand-in's
// page tree then holds.
#include "BackEndFixture.h"

#include "CPDF/CPDF_Exception.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "hostpdf/CPDF_PDFL_Impl.h"
#include "hostpdf/PDFL_PDCalls.h"
#include "viewer/VIEW_PD.h"

namespace {

class PageBackEndTest : public HostBackEndTest {
protected:
    // A host document of five Letter pages, each marked with its first index.
    static CPDF_Doc FivePages() {
        CPDF_Doc doc = CPDF_PDFL_NewDoc();
        doc.Create();
        for (int i = 0; i < 5; ++i)
            doc.CreatePage(i, GLIB_Rect(0, 0, 612, 792)).Object().DictPut(GLOB_Name("Mark"), doc.NewInteger(i, false));
        return doc;
    }
    static std::vector<int> Marks(const CPDF_Doc& doc) {
        std::vector<int> marks;
        for (int i = 0; i < doc.NumPages(); ++i) {
            const GLOB_Object mark = doc.Page(static_cast<uint32_t>(i)).Object().DictGet(GLOB_Name("Mark"));
            marks.push_back(mark.IsInteger() ? mark.AsInteger() : -1);
        }
        return marks;
    }
    // The arguments of the last call of a PDModel slot.
    static std::vector<uint64_t> LastArgs(int slot) {
        for (auto call = VIEW_Recorder::Calls().rbegin(); call != VIEW_Recorder::Calls().rend(); ++call)
            if (call->m_table == PDFL_PDModelTable && call->m_slot == slot)
                return call->m_args;
        ADD_FAILURE() << "no call of PDModel slot " << slot;
        return {};
    }
    static int32_t Word(uint64_t arg) { return static_cast<int32_t>(static_cast<uint32_t>(arg)); }
};

TEST_F(PageBackEndTest, CreatePageAsksForThePageBeforeTheIndexClampedToTheLast) {
    const struct {
        int index;
        int32_t after;
        std::vector<int> marks;
    } cases[] = {
        {0, -1, {-1, 0, 1, 2, 3, 4}},
        {3, 2, {0, 1, 2, -1, 3, 4}},
        {5, 4, {0, 1, 2, 3, 4, -1}},
        {9, 4, {0, 1, 2, 3, 4, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        CPDF_Doc doc = FivePages();
        const CPDF_Page page = doc.CreatePage(c.index, GLIB_Rect(0, 0, 100, 200));
        EXPECT_EQ(Word(LastArgs(85).at(1)), c.after);
        EXPECT_EQ(Marks(doc), c.marks);
        EXPECT_TRUE(page.Object().DictGet(GLOB_Name("Resources")).IsDict());
        EXPECT_TRUE(page.Object().DictGet(GLOB_Name("Resources")).IsDirect());
        EXPECT_EQ(page.MediaBox(), GLIB_Rect(0, 0, 100, 200));
        EXPECT_EQ(VIEW_PD::AcquiredPageCount(), 0u) << "the new page was released";
    }
}

TEST_F(PageBackEndTest, MovePageAsksForThePageAfterWhichItGoes) {
    const struct {
        int index;
        int target;
        int32_t after;
        std::vector<int> marks;
    } cases[] = {
        {1, 3, 3, {0, 2, 3, 1, 4}},
        {1, 9, 4, {0, 2, 3, 4, 1}},
        {4, 0, -1, {4, 0, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        CPDF_Doc doc = FivePages();
        doc.MovePage(c.index, c.target);
        EXPECT_EQ(Word(LastArgs(87).at(1)), c.after);
        EXPECT_EQ(Marks(doc), c.marks);
        EXPECT_EQ(VIEW_PD::AcquiredPageCount(), 0u);
    }
}

TEST_F(PageBackEndTest, DeletePagesRemovesTheRangeInTheHost) {
    CPDF_Doc doc = FivePages();
    doc.DeletePages(1, 3);
    const std::vector<uint64_t> args = LastArgs(86);
    EXPECT_EQ(Word(args.at(1)), 1);
    EXPECT_EQ(Word(args.at(2)), 3);
    EXPECT_EQ(Marks(doc), (std::vector<int>{0, 4}));
    EXPECT_EQ(PDFL_PDDocGetNumPages(static_cast<COSF_PDFL_Impl*>(doc.Impl())->PDDoc()), 2);
}

TEST_F(PageBackEndTest, TheMediaBoxReachesTheHostAsLeftTopRightBottomInFixedPoint) {
    const struct {
        GLIB_Rect box;
        int32_t words[4];
    } cases[] = {
        {GLIB_Rect(0, 0, 612, 792), {0, 792 * 65536, 612 * 65536, 0}},
        {GLIB_Rect(-0.6, 10.5, 20, 30), {-39321, 30 * 65536, 20 * 65536, 10 * 65536 + 32768}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box.Llx());
        CPDF_Doc doc = FivePages();
        const CPDF_Page page = doc.CreatePage(0, c.box);
        const std::vector<uint64_t> args = LastArgs(85);
        ASSERT_EQ(args.size(), 6u);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(Word(args[2 + i]), c.words[i]) << "word " << i;
        // The stand-in stores the box normalised, so it reads back as given.
        EXPECT_NEAR(page.MediaBox().Llx(), c.box.Llx(), 1.0 / 65536);
        EXPECT_NEAR(page.MediaBox().Ury(), c.box.Ury(), 1.0 / 65536);
    }
    EXPECT_EQ(CPDF_PDFL_Impl::BoxFixed(-0.6), -39321);
}

TEST_F(PageBackEndTest, OnlyAHostPdfDocumentCanBeAttached) {
    GLOB_Doc cosOnly = COSF_PDFL_NewDoc();
    cosOnly.Create("%VELM-1.0", 0);
    GLOB_Doc memory = GLOB_Memory_Impl::Make();
    memory.Create("%PDF-1.3", 1);
    for (GLOB_Impl* impl : {cosOnly.Impl(), memory.Impl()}) {
        SCOPED_TRACE(impl->ImplementationType());
        CPDF_PDFL_Impl pages;
        EXPECT_EQ(CodeOf([&] { pages.AttachCosDoc(impl); }), CPDF_NoPageDocumentCode);
        EXPECT_EQ(pages.PDDoc(), nullptr);
    }
    CPDF_Doc doc = CPDF_PDFL_NewDoc();
    EXPECT_EQ(CodeOf([&] { doc.Create(); }), 0u);
    CPDF_Doc notPdf = CPDF_PDFL_NewDoc();
    try {
        static_cast<GLOB_Doc&>(notPdf).Create("%VELM-1.0", 0);
        ADD_FAILURE() << "a Cos-only document was attached";
    } catch (const CPDF_Exception& e) {
        EXPECT_EQ(e.Code(), CPDF_NoPageDocumentCode);
    }
}

TEST_F(PageBackEndTest, AWrappedHostDocumentStaysOpenWhenItsWrapperGoes) {
    const PDFL_PDDoc host = PDFL_PDDocCreate();
    {
        CPDF_Doc doc = CPDF_PDFL_DocFromPDDoc(host);
        EXPECT_TRUE(doc.Impl()->DocFlag1()) << "read-only";
        EXPECT_FALSE(doc.Impl()->DocFlag2()) << "a new host document needs saving";
        doc.EnsurePageTree();
        doc.CreatePage(0, GLIB_Rect(0, 0, 10, 10));
        EXPECT_EQ(doc.NumPages(), 1);
    }
    EXPECT_EQ(VIEW_PD::OpenDocCount(), 1u);
    EXPECT_EQ(PDFL_PDDocGetNumPages(host), 1);
    PDFL_PDDocClose(host);
}

}  // namespace
