#include "Exchange/ZOVA/ZOVA_HeldPage.h"

#include "CPDF/document/DocumentTestUtil.h"

TEST(ZOVA_HeldPage, RotationReadsAsTheHostGivesIt) {
    const struct {
        const char* page;  // the page's own entries
        const char* root;  // entries of its Pages node, inherited
        int rotation;
    } cases[] = {
        {"", "", 0},
        {"/Rotate 90", "", 90},
        {"/Rotate 180", "", 180},
        {"/Rotate 270", "", 270},
        {"/Rotate 360", "", 0},
        {"/Rotate 450", "", 90},
        {"/Rotate -90", "", 270},
        {"/Rotate -720", "", 0},
        {"", "/Rotate 270", 270},
        {"/Rotate 0", "/Rotate 270", 0},
        // Values the page class refuses read 0, as the host's do.
        {"/Rotate 45", "", 0},
        {"/Rotate -45", "", 0},
        {"/Rotate 91", "", 0},
        {"/Rotate 90.0", "", 0},
        {"/Rotate (90)", "", 0},
        {"", "/Rotate 135", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.page) + " | " + c.root);
        const CPDF_Doc doc = DocWithTree((std::string("<< /Type /Pages /Count 1 ") + c.root +
                                          " /Kids [ << /Type /Page /MediaBox [0 0 10 10] " + c.page + " >> ] >>")
                                             .c_str());
        const ZOVA_HeldPage held(doc, 0);
        EXPECT_EQ(held.Rotation(), c.rotation);
        // Where the page class accepts the entry the two agree.
        const std::string classReads = Outcome([&] { return std::to_string(held.Page().Rotation()); });
        if (classReads.find("1128004") == std::string::npos) {
            EXPECT_EQ(classReads, std::to_string(c.rotation));
        }
    }
}

TEST(ZOVA_HeldPage, HoldsTheDocumentAndItsPage) {
    const ZOVA_HeldPage none;
    EXPECT_TRUE(none.IsNull());
    EXPECT_EQ(none.Rotation(), 0);

    ZOVA_HeldPage held;
    {
        const CPDF_Doc doc = DocWithTree(
            "<< /Type /Pages /Count 2 /Kids [ << /Type /Page /MediaBox [0 0 1 1] >> "
            "<< /Type /Page /MediaBox [0 0 2 3] /Rotate 90 >> ] >>");
        held = ZOVA_HeldPage(doc, 1);
    }
    // The document outlives the caller's handle.
    EXPECT_FALSE(held.IsNull());
    EXPECT_EQ(held.Number(), 1u);
    EXPECT_TRUE(held.Doc().IsOpen());
    EXPECT_EQ(held.Page().MediaBox(), GLIB_Rect(0, 0, 2, 3));
    EXPECT_EQ(held.Rotation(), 90);

    const CPDF_Doc one = DocWithTree("<< /Type /Pages /Count 1 /Kids [ << /Type /Page /MediaBox [0 0 1 1] >> ] >>");
    EXPECT_EQ(Thrown([&] { ZOVA_HeldPage(one, 1); }).substr(0, 7), "1128023");
}
