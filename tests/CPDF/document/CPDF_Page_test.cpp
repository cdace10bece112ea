#include "CPDF/document/CPDF_Page.h"

#include "CPDF/document/DocumentTestUtil.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Box = GLIB_Rect (CPDF_Page::*)() const;

// What a box reads: "llx lly urx ury", or what it throws.
std::string BoxRead(const CPDF_Page& page, Box box) {
    return Outcome([&] { return RectText((page.*box)()); });
}

}  // namespace

TEST(CPDF_Page, Boxes) {
    const std::string missing = "1128004 Page missing media box";
    const struct {
        std::vector<std::string> chain;  // the page, then its ancestors
        Box box;
        std::string read;
    } cases[] = {
        // Inherited media box, from the parent and from further up.
        {{"<< >>", "<< /MediaBox [0 0 612 792] >>"}, &CPDF_Page::MediaBox, "0 0 612 792"},
        {{"<< >>", "<< >>", "<< /MediaBox [0 0.5 10 20.25] >>"}, &CPDF_Page::MediaBox, "0 0.5 10 20.25"},
        // The page's own invalid entry hides the parent's valid one.
        {{"<< /MediaBox [0 0 612] >>", "<< /MediaBox [0 0 612 792] >>"}, &CPDF_Page::MediaBox, missing},
        {{"<< /MediaBox [0 0 612 /x] >>"}, &CPDF_Page::MediaBox, missing},
        {{"<< >>", "<< >>"}, &CPDF_Page::MediaBox, missing},
        {{"<< /Parent 5 >>"}, &CPDF_Page::MediaBox, missing},
        // Corners as written.
        {{"<< /MediaBox [612 792 0 0] >>"}, &CPDF_Page::MediaBox, "612 792 0 0"},
        // Crop box: inherited when valid, else the media box.
        {{"<< /MediaBox [0 0 612 792] >>", "<< /CropBox [10 10 600 780] >>"}, &CPDF_Page::CropBox, "10 10 600 780"},
        {{"<< /MediaBox [0 0 612 792] /CropBox [0 0 612] >>", "<< /CropBox [10 10 600 780] >>"},
         &CPDF_Page::CropBox, "0 0 612 792"},
        {{"<< /CropBox [0 0 612] >>"}, &CPDF_Page::CropBox, missing},
        // Art, bleed and trim boxes: the page's own, else the crop box; an
        // ancestor's is not used.
        {{"<< /MediaBox [0 0 612 792] >>", "<< /TrimBox [1 1 2 2] >>"}, &CPDF_Page::TrimBox, "0 0 612 792"},
        {{"<< /MediaBox [0 0 612 792] /CropBox [5 5 9 9] >>", "<< /TrimBox [1 1 2 2] >>"}, &CPDF_Page::TrimBox,
         "5 5 9 9"},
        {{"<< /MediaBox [0 0 612 792] /ArtBox [1 2 3 4] >>"}, &CPDF_Page::ArtBox, "1 2 3 4"},
        {{"<< /MediaBox [0 0 612 792] /BleedBox [1 2 3 4] >>"}, &CPDF_Page::BleedBox, "1 2 3 4"},
        {{"<< /MediaBox [0 0 612 792] /BleedBox [1 2 3 4 5] >>", "<< /CropBox [7 7 8 8] >>"},
         &CPDF_Page::BleedBox, "7 7 8 8"},
        {{"<< /ArtBox [1 2 3 4] >>"}, &CPDF_Page::ArtBox, "1 2 3 4"},
        {{"<< /ArtBox [1 2 3] >>"}, &CPDF_Page::ArtBox, missing},
    };
    const GLOB_Doc doc = NewMemoryDoc();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chain.front() + (c.chain.size() > 1 ? " under " + c.chain[1] : ""));
        EXPECT_EQ(BoxRead(CPDF_Page(Chain(doc, c.chain)), c.box), c.read);
    }
}

TEST(CPDF_Page, BoxArraysAndPairs) {
    const struct {
        const char* array;
        bool rect;
        std::string corners;  // read over 9 9 9 9
        bool pair;
    } cases[] = {
        {"[1 2.5 3 4]", true, "1 2.5 3 4", false},
        // The first bad element stops the read; the corners before it stay.
        {"[1 2 /x 4]", false, "1 2 9 9", false},
        {"[1 2 3]", false, "9 9 9 9", false},
        {"7", false, "9 9 9 9", false},
        {"[2.0 0.5]", false, "9 9 9 9", true},
        {"[2 0.5]", false, "9 9 9 9", false},
        {"[2.0 0.5 1.0]", false, "9 9 9 9", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.array);
        GLIB_Rect r(9, 9, 9, 9);
        EXPECT_EQ(CPDF_Page::RectFromArray(Obj(c.array), &r), c.rect);
        EXPECT_EQ(RectText(r), c.corners);
        EXPECT_EQ(CPDF_Page::RectFromArray(Obj(c.array), nullptr), c.rect);
        double pair[2] = {9, 9};
        EXPECT_EQ(CPDF_Page::PairFromArray(Obj(c.array), pair), c.pair);
    }
}

TEST(CPDF_Page, Rotation) {
    const struct {
        std::vector<std::string> chain;
        std::string rotation;
        bool own;
    } cases[] = {
        {{"<< >>"}, "0", false},
        {{"<< /Rotate -90 >>"}, "270", true},
        {{"<< /Rotate 450 >>"}, "90", true},
        {{"<< /Rotate 720 >>"}, "0", true},
        {{"<< /Rotate -360 >>"}, "0", true},
        {{"<< /Rotate 45 >>"}, "1128004 Invalid page rotation found: 45", true},
        {{"<< /Rotate 405 >>"}, "1128004 Invalid page rotation found: 45", true},
        // -2147483648 = -5965232 * 360 - 128.
        {{"<< /Rotate -2147483648 >>"}, "1128004 Invalid page rotation found: 232", true},
        {{"<< /Rotate 90.0 >>"}, "1128004 Page rotation must be an integer, found 90", true},
        {{"<< /Rotate /R >>"}, "1128004 Page rotation must be an integer, found /R", true},
        // Inherited: read, but not the page's own.
        {{"<< >>", "<< /Rotate 90 >>"}, "90", false},
        {{"<< /Rotate null >>", "<< /Rotate 90 >>"}, "1128004 Page rotation must be an integer, found null", false},
    };
    const GLOB_Doc doc = NewMemoryDoc();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chain.front());
        const CPDF_Page page(Chain(doc, c.chain));
        EXPECT_EQ(Outcome([&] { return std::to_string(page.Rotation()); }), c.rotation);
        EXPECT_EQ(page.HasRotation(nullptr), c.own);
    }
}

TEST(CPDF_Page, PrivateKeys) {
    const struct {
        const char* page;
        std::string orientation;
        bool hasOrientation;
        double sx, sy;
        bool hasScale;
    } cases[] = {
        {"<< >>", "0", false, 1, 1, false},
        // The low 16 bits, signed.
        {"<< /VELM_Orientation 65537 >>", "1", true, 1, 1, false},
        {"<< /VELM_Orientation -1 >>", "-1", true, 1, 1, false},
        {"<< /VELM_Orientation 32768 >>", "-32768", true, 1, 1, false},
        {"<< /VELM_Orientation 1.5 >>", "1128004 Page orientation must be an integer, found 1.5", true, 1, 1, false},
        {"<< /VELM_ScaleFactor [2.0 0.5] >>", "0", false, 2, 0.5, true},
        // Integers, or one number, read as (1, 1) but are still present.
        {"<< /VELM_ScaleFactor [2 1] >>", "0", false, 1, 1, true},
        {"<< /VELM_ScaleFactor [2.0] >>", "0", false, 1, 1, true},
        {"<< /VELM_ScaleFactor null >>", "0", false, 1, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const CPDF_Page page(Obj(c.page));
        EXPECT_EQ(Outcome([&] { return std::to_string(page.Orientation()); }), c.orientation);
        EXPECT_EQ(page.HasOrientation(nullptr), c.hasOrientation);
        EXPECT_EQ(page.ScaleFactor(), std::make_pair(c.sx, c.sy));
        double scale[2] = {0, 0};
        EXPECT_EQ(page.HasScaleFactor(scale), c.hasScale);
        if (c.hasScale) {
            EXPECT_EQ(std::make_pair(scale[0], scale[1]), std::make_pair(c.sx, c.sy));
        }
    }
}

TEST(CPDF_Page, SettersStoreDirectObjectsOfThePagesDocument) {
    const GLOB_Doc doc = NewMemoryDoc();
    CPDF_Page page(doc.ParseObject("<< /MediaBox [0 0 612 792] /Rotate 90 >>"));
    page.SetBox("CropBox", GLIB_Rect(10, 20.5, 600, 780));
    page.SetBox("TrimBox", GLIB_Rect(600, 780, 10, 20));
    page.SetRotation(270);
    page.SetOrientation(-5);
    page.SetScaleFactor(2, 0.25);

    EXPECT_EQ(RectText(page.CropBox()), "10 20.5 600 780");
    EXPECT_EQ(RectText(page.TrimBox()), "600 780 10 20");
    int rotation = 0;
    EXPECT_TRUE(page.HasRotation(&rotation));
    EXPECT_EQ(rotation, 270);
    EXPECT_EQ(page.Orientation(), -5);
    EXPECT_EQ(page.ScaleFactor(), std::make_pair(2.0, 0.25));
    for (const char* key : {"CropBox", "TrimBox", "Rotate", "VELM_Orientation", "VELM_ScaleFactor"}) {
        SCOPED_TRACE(key);
        const GLOB_Object value = page.Object().GetPath(key);
        EXPECT_EQ(value.GetImpl(), doc.Impl());
        EXPECT_TRUE(value.IsDirect());
    }
    EXPECT_EQ(page.Object().GetPath("TrimBox").Get(0).Type(), GLOB_Object::KindReal);
    EXPECT_EQ(page.Object().GetPath("Rotate").Type(), GLOB_Object::KindInteger);
}

TEST(CPDF_PageDeathTest, SettersRefuseWhatNoPageHolds) {
    const CPDF_Page page(Obj("<< >>"));
    EXPECT_DEATH(CPDF_Page(page).SetRotation(45), "Invalid page rotation 45");
    EXPECT_DEATH(CPDF_Page(page).SetScaleFactor(1, 0), "Invalid page scale factor \\( 1, 0 \\)");
}

TEST(CPDF_Page, AppendAndPrependContents) {
    const struct {
        const char* contents;  // streams by their data; "": no entry
        bool append;
        std::string after;
    } cases[] = {
        {"S", true, "S N"},
        {"A B", true, "A B N"},
        {"A B", false, "N A B"},
        {"S", false, "N S"},
        // A page without contents gets the new stream alone, never a null.
        {"", true, "N"},
        {"", false, "N"},
    };
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Doc other = NewMemoryDoc();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.contents) + (c.append ? " append" : " prepend"));
        CPDF_Page page(doc.ParseObject("<< >>"));
        const std::string contents = c.contents;
        if (contents.size() == 1) {
            page.SetContents(StoreStream(doc, contents));
        } else if (!contents.empty()) {
            page.SetContents(doc.NewArray(0));
            page.Contents().ArrayPut(0, StoreStream(doc, contents.substr(0, 1)));
            page.Contents().ArrayPut(1, StoreStream(doc, contents.substr(2, 1)));
        }
        // A stream of another document is copied in.
        if (c.append)
            page.AppendContents(StoreStream(other, "N"));
        else
            page.PrependContents(StoreStream(other, "N"));
        const GLOB_Object array = page.Contents();
        ASSERT_TRUE(array.IsArray());
        std::string after;
        for (uint32_t i = 0; i < array.Length(); ++i) {
            ASSERT_TRUE(array.Get(i).IsStream());
            EXPECT_EQ(array.Get(i).GetImpl(), doc.Impl());
            after += (i ? " " : "") + ReadAll(array.Get(i).OpenStream(2));
        }
        EXPECT_EQ(after, c.after);
    }
}

TEST(CPDF_Page, ResourcesAnnotationsAndSeparationInfo) {
    const GLOB_Doc doc = NewMemoryDoc();
    const struct {
        std::vector<std::string> chain;
        std::string resources;  // "own", "inherited" or what is thrown
    } cases[] = {
        {{"<< /Resources << /Font << >> >> >>", "<< /Resources << >> >>"}, "own"},
        {{"<< >>", "<< >>", "<< /Resources << /Font << >> >> >>"}, "inherited"},
        {{"<< >>", "<< >>"}, "1128004 Page missing resource dictionary."},
        {{"<< /Resources 5 >>", "<< /Resources << >> >>"}, "1128004 Resource dictionary must be a dictionary, found 5"},
        {{"<< >>", "<< /Resources [1] >>"}, "1128004 Resource dictionary must be a dictionary, found [ 1 ]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chain.front());
        const CPDF_Page page(Chain(doc, c.chain));
        CPDF_ResourcesDict resources;
        bool inherited = false;
        const std::string thrown = Thrown([&] { inherited = page.Resources(&resources); });
        EXPECT_EQ(thrown == "no exception" ? (inherited ? "inherited" : "own") : thrown, c.resources);
        if (thrown != "no exception")
            continue;
        // The dictionary that holds the Font category, whichever level.
        EXPECT_TRUE(resources.Dict().Known(GLOB_Name("Font")));
        const CPDF_ResourcesDict view = page.ResourcesDict();
        EXPECT_TRUE(view.Dict() == resources.Dict());
        EXPECT_TRUE(view.Owner().IsNull());
    }

    CPDF_Page page(doc.ParseObject("<< /SeparationInfo << /Pages [] >> >>"));
    GLOB_Object annots;
    EXPECT_FALSE(page.Annots(&annots));
    const GLOB_Object first = doc.ParseObject("<< /Subtype /Text >>");
    page.AddAnnotation(first);
    page.AddAnnotation(Obj("<< /Subtype /Link >>"));
    ASSERT_TRUE(page.Annots(&annots));
    EXPECT_FALSE(annots.IsDirect());
    ASSERT_EQ(annots.Length(), 2u);
    EXPECT_TRUE(annots.Get(0) == first);
    EXPECT_TRUE(annots.Get(1).HasSubtype("Link"));
    EXPECT_TRUE(page.SeparationInfo().IsDict());
    EXPECT_TRUE(CPDF_Page(Obj("<< >>")).SeparationInfo().IsNull());
    EXPECT_TRUE(CPDF_Page(Obj("<< >>")).Contents().IsNull());

    CPDF_Page bad(Obj("<< /Annots /A >>"));
    EXPECT_EQ(Thrown([&] { bad.Annots(&annots); }), "1128004 Annotations must be in an array, found /A");
    EXPECT_EQ(Thrown([&] { bad.AddAnnotation(first); }), "1128004 Annotations must be in an array, found /A");
    EXPECT_EQ(Thrown([] { CPDF_Page(Obj("[1]")); }), "1128004 Page object must be a dictionary, found Array");
}

TEST(CPDF_Page, ParentLoopsEndAsIfTheKeyWereAbsent) {
    const GLOB_Doc doc = NewMemoryDoc();
    // The page its own parent; and page -> A -> B -> A.
    const GLOB_Object self = doc.ParseObject("<< >>");
    self.PutPath("Parent", self);
    const GLOB_Object looping = Chain(doc, {"<< >>", "<< >>", "<< >>"});
    const GLOB_Object a = looping.GetPath("Parent");
    a.GetPath("Parent").PutPath("Parent", a);
    for (const GLOB_Object& object : {self, looping}) {
        const CPDF_Page page(object);
        EXPECT_EQ(BoxRead(page, &CPDF_Page::MediaBox), "1128004 Page missing media box");
        EXPECT_EQ(page.Rotation(), 0);
        EXPECT_EQ(Thrown([&] { page.ResourcesDict(); }), "1128004 Page missing resource dictionary.");
        object.PutPath("Type", doc.NewName(GLOB_Name("Page")));
        CPDF_ResourcesDict resources(doc.ParseObject("<< >>"));
        resources.SetFromObject(object);
        EXPECT_TRUE(resources.Dict().IsNull());
    }

    // The page is level 1: an entry 511 parents up is found, 512 up is not.
    for (const int up : {511, 512}) {
        SCOPED_TRACE(up);
        std::vector<std::string> chain(static_cast<size_t>(up), "<< >>");
        chain.push_back("<< /MediaBox [0 0 1 1] >>");
        EXPECT_EQ(BoxRead(CPDF_Page(Chain(doc, chain)), &CPDF_Page::MediaBox),
                  up == 511 ? "0 0 1 1" : "1128004 Page missing media box");
    }
}
