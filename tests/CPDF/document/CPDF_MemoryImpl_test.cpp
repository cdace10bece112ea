#include "CPDF/document/CPDF_MemoryImpl.h"

#include "CPDF/document/DocumentTestUtil.h"

#include <gtest/gtest.h>

namespace {

// The leaves below node, counted through "Kids" alone; every Pages node's
// "Count" must agree and every kid's "Parent" must be its node.
int CheckedLeaves(const GLOB_Object& node) {
    int leaves = 0;
    const GLOB_Object kids = node.GetPath("Kids");
    for (uint32_t i = 0; i < kids.Length(); ++i) {
        const GLOB_Object kid = kids.Get(i);
        EXPECT_TRUE(kid.GetPath("Parent") == node);
        leaves += kid.HasType("Page") ? 1 : CheckedLeaves(kid);
    }
    EXPECT_EQ(Printed(node.GetPath("Count")), std::to_string(leaves));
    return leaves;
}

// The "Id"s of the pages in order, after checking the counts.
std::string Order(const CPDF_Doc& doc) {
    EXPECT_EQ(CheckedLeaves(doc.Pages()), doc.NumPages());
    std::string order;
    for (int i = 0; i < doc.NumPages(); ++i)
        order += (i ? " " : "") + Printed(doc.Page(static_cast<uint32_t>(i)).Object().GetPath("Id"));
    return order;
}

// A document of pages named by the letters of ids, made by CreatePage.
CPDF_Doc DocOfPages(const std::string& ids) {
    CPDF_Doc doc = NewPageDoc();
    for (size_t i = 0; i < ids.size(); ++i)
        doc.CreatePage(static_cast<int>(i), GLIB_Rect(0, 0, 100, 100))
            .Object()
            .PutPath("Id", doc.NewName(GLOB_Name(ids.substr(i, 1).c_str())));
    return doc;
}

}  // namespace

TEST(CPDF_MemoryImpl, CreatePageInsertsBeforeTheIndexOrAppends) {
    const struct {
        const char* ids;  // made at 0, 1, 2, …
        int index;
        std::string order;
    } cases[] = {
        {"ABC", 0, "/X /A /B /C"},
        {"ABC", 1, "/A /X /B /C"},
        {"ABC", 3, "/A /B /C /X"},
        {"ABC", 10, "/A /B /C /X"},
        {"", 5, "/X"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.ids) + " at " + std::to_string(c.index));
        const CPDF_Doc doc = DocOfPages(c.ids);
        const CPDF_Page page = doc.CreatePage(c.index, GLIB_Rect(10, 20, 30, 40.5));
        page.Object().PutPath("Id", Obj("/X"));
        EXPECT_EQ(Order(doc), c.order);
        // A new indirect page of the document with its own media box.
        EXPECT_EQ(page.Object().GetImpl(), doc.Impl());
        EXPECT_FALSE(page.Object().IsDirect());
        EXPECT_EQ(RectText(doc.Page(c.order.find("/X") / 3).MediaBox()), "10 20 30 40.5");
    }

    // Into a nested tree, and into a catalog without "Pages".
    const CPDF_Doc doc = DocWithTree(
        "<< /Type /Pages /Count 3 /Kids [<< /Type /Page /Id /A >>"
        " << /Type /Pages /Count 2 /Kids [<< /Type /Page /Id /B >> << /Type /Page /Id /C >>] >>] >>");
    doc.CreatePage(2, GLIB_Rect()).Object().PutPath("Id", Obj("/X"));
    EXPECT_EQ(Order(doc), "/A /B /X /C");
    EXPECT_EQ(Printed(doc.Pages().GetPath("Kids").Get(1).GetPath("Count")), "3");

    doc.Root().RemovePath("Pages");
    doc.CreatePage(0, GLIB_Rect(1, 2, 3, 4));
    EXPECT_EQ(doc.NumPages(), 1);
    EXPECT_EQ(RectText(doc.Page(0).MediaBox()), "1 2 3 4");
}

TEST(CPDF_MemoryImpl, MoveAndDeletePagesKeepTheCounts) {
    const struct {
        bool move;
        int a, b;  // index and target, or first and last
        std::string order;
    } cases[] = {
        {true, 0, 2, "/B /C /A /D"},
        {true, 3, 0, "/D /A /B /C"},
        {true, 1, 10, "/A /C /D /B"},
        {true, 2, -1, "/C /A /B /D"},
        {true, 1, 1, "/A /B /C /D"},
        {true, 3, 3, "/A /B /C /D"},
        {false, 1, 2, "/A /D"},
        {false, 0, 3, ""},
        {false, 3, 3, "/A /B /C"},
        {true, 4, 0, "1128023 Page range 4 to 4 outside a document of 4 pages"},
        {true, -1, 0, "1128023 Page range -1 to -1 outside a document of 4 pages"},
        {false, 2, 1, "1128023 Page range 2 to 1 outside a document of 4 pages"},
        {false, 0, 4, "1128023 Page range 0 to 4 outside a document of 4 pages"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.move ? "move " : "delete ") + std::to_string(c.a) + " " + std::to_string(c.b));
        const CPDF_Doc doc = DocOfPages("ABCD");
        EXPECT_EQ(Outcome([&] {
                      c.move ? doc.MovePage(c.a, c.b) : doc.DeletePages(c.a, c.b);
                      return Order(doc);
                  }),
                  c.order);
    }

    // In a nested tree the counts of every level follow.
    const CPDF_Doc doc = DocWithTree(
        "<< /Type /Pages /Count 5 /Kids [<< /Type /Page /Id /A >> << /Type /Pages /Count 3 /Kids"
        " [<< /Type /Page /Id /B >> << /Type /Page /Id /C >> << /Type /Page /Id /D >>] >>"
        " << /Type /Page /Id /E >>] >>");
    const GLOB_Object n = doc.Pages().GetPath("Kids").Get(1);
    ASSERT_EQ(Order(doc), "/A /B /C /D /E");
    doc.MovePage(0, 2);
    EXPECT_EQ(Order(doc), "/B /C /A /D /E");
    doc.DeletePages(1, 3);
    EXPECT_EQ(Order(doc), "/B /E");
    EXPECT_EQ(Printed(n.GetPath("Count")), "1");
}

TEST(CPDF_MemoryImpl, CloseDetachesTheBackEnd) {
    CPDF_Doc doc = DocOfPages("AB");
    const GLOB_Impl* cos = doc.Impl();
    doc.Close();
    EXPECT_FALSE(doc.IsOpen());
    EXPECT_EQ(doc.Impl(), cos);
    EXPECT_EQ(Thrown([&] { doc.DeletePages(0, 0); }), "assert m_cosDoc.Impl() != NULL");
}
