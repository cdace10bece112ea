#include "CPDF/document/CPDF_Doc.h"

#include "CPDF/document/DocumentTestUtil.h"

#include <gtest/gtest.h>

namespace {

// A document of count pages, page i with the media box [0 0 width + i 1] and
// inheriting empty resources.
CPDF_Doc DocOfPages(int count, double width) {
    CPDF_Doc doc = NewPageDoc();
    doc.Pages().PutPath("Resources", doc.ParseObject("<< >>"));
    for (int i = 0; i < count; ++i)
        doc.CreatePage(i, GLIB_Rect(0, 0, width + i, 1));
    return doc;
}

// The media-box widths of the pages, in order.
std::string Widths(const CPDF_Doc& doc) {
    std::string widths;
    for (int i = 0; i < doc.NumPages(); ++i)
        widths += (i ? " " : "") + std::to_string(static_cast<int>(doc.Page(i).MediaBox().Urx()));
    return widths;
}

// The page's own entries that copying writes, and those of its
// "SeparationInfo".
std::string Entries(const GLOB_Object& page) {
    std::string text;
    const auto add = [&text](const GLOB_Object& dict, std::initializer_list<const char*> keys) {
        for (const char* key : keys)
            if (dict.IsDict() && !dict.GetPath(key).IsNull())
                text += std::string(text.empty() ? "" : "; ") + key + " " + Printed(dict.GetPath(key));
    };
    add(page, {"CropBox", "ArtBox", "BleedBox", "TrimBox", "Rotate", "Contents", "Annots"});
    add(page.GetPath("SeparationInfo"), {"DeviceColorant", "ColorSpace", "VELM_Recipe"});
    return text;
}

}  // namespace

TEST(CPDF_DocCopy, CopyPages) {
    const CPDF_Doc source = DocOfPages(5, 100);
    source.Pages().PutPath("CropBox", source.ParseObject("[1 2 3 4]"));
    source.Pages().PutPath("ArtBox", source.ParseObject("[0 0 5 5]"));
    source.Pages().PutPath("Rotate", source.ParseObject("90"));
    const GLOB_Object p0 = source.Page(0).Object(), p1 = source.Page(1).Object(), p2 = source.Page(2).Object();
    for (const auto& entry : {std::make_pair("Rotate", "-90"), std::make_pair("BleedBox", "[0 0 6 6]"),
                              std::make_pair("Contents", "(c)"), std::make_pair("Annots", "[1 2]")})
        p1.PutPath(entry.first, source.ParseObject(entry.second));
    // Pages 0 and 2 are one group; page 3, without "Pages", is not copied.
    p0.PutPath("SeparationInfo", source.ParseObject("<< /DeviceColorant /Cyan /ColorSpace /DeviceCMYK "
                                                    "/VELM_Recipe [1 0 0 0] /Pages [0 0] >>"));
    p0.GetPath("/SeparationInfo/Pages").ArrayPut(0, p0);
    p0.GetPath("/SeparationInfo/Pages").ArrayPut(1, p2);
    p2.PutPath("SeparationInfo", source.ParseObject("<< /DeviceColorant /Black >>"));
    p2.PutPath("/SeparationInfo/Pages", p0.GetPath("/SeparationInfo/Pages"));
    source.Page(3).Object().PutPath("SeparationInfo", source.ParseObject("<< /DeviceColorant /Cyan >>"));
    source.Page(4).Object().PutPath(
        "Thumb", StoreStream(source, "\x80", "<< /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray >>"));

    const CPDF_Doc doc = DocOfPages(6, 0);
    doc.CopyPages(source, 0, 5, 5);
    EXPECT_EQ(Widths(doc), "0 1 2 3 4 100 102 101 104 5");
    // What is inherited becomes the copy's own, except the rotation.
    const std::string inherited = "CropBox [ 1 2 3 4 ]; ArtBox [ 0 0 5 5 ]";
    const std::string entries[] = {
        inherited + "; DeviceColorant /Cyan; ColorSpace /DeviceCMYK; VELM_Recipe [ 1 0 0 0 ]",
        inherited + "; DeviceColorant /Black",
        inherited + "; BleedBox [ 0 0 6 6 ]; Rotate 270; Contents (c); Annots [ 1 2 ]",
        inherited,
    };
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Entries(doc.Page(5 + i).Object()), entries[i]) << "page " << 5 + i;
    const GLOB_Object copyGroup = doc.Page(5).Object().GetPath("/SeparationInfo/Pages");
    EXPECT_FALSE(copyGroup.IsDirect());
    EXPECT_TRUE(copyGroup == doc.Page(6).Object().GetPath("/SeparationInfo/Pages"));
    ASSERT_EQ(copyGroup.Length(), 2u);
    EXPECT_TRUE(copyGroup.Get(0) == doc.Page(5).Object() && copyGroup.Get(1) == doc.Page(6).Object());
    const GLOB_Object thumb = doc.Page(8).Object().GetPath("Thumb");
    EXPECT_TRUE(thumb.IsStream() && thumb.GetPath("Width").AsInteger() == 1);
    EXPECT_FALSE(thumb == source.Page(4).Object().GetPath("Thumb"));

    // A thumbnail that is no image fails the copy with the image's message.
    source.Page(4).Object().PutPath("Thumb", source.ParseObject("<< /Width 1 >>"));
    EXPECT_EQ(Thrown([&] { doc.CopyPages(source, 4, 1, 0); }),
              "1128008 Invalid Image object Images should be type Stream, found type Dict\n");

    // No pages, or a negative count, copy nothing.
    doc.CopyPages(source, 2, 0, 1);
    doc.CopyPages(source, 2, -3, 1);
    EXPECT_EQ(Widths(doc), "0 1 2 3 4 100 102 101 104 5");

    // Into itself, even through another handle and for no pages.
    const CPDF_Doc same = doc;
    EXPECT_EQ(Thrown([&] { same.CopyPages(doc, 0, 0, 0); }),
              "1128023 Copying pages from a document to itself not supported.");
    EXPECT_EQ(doc.NumPages(), 10);
}

TEST(CPDF_DocCopy, ToolsEntriesKeepSavedResourcesOneWithThePage) {
    const CPDF_Doc source = DocOfPages(2, 10);
    const auto indirect = [&](const char* ink) {
        return source.MakeCosObj(source.ParseObject(std::string("[/Separation /") + ink + " /DeviceGray 0]"), 0x10);
    };
    const GLOB_Object cs0 = indirect("Spot");
    const GLOB_Object resources = source.ParseObject("<< /ColorSpace << >> >>");
    resources.PutPath("/ColorSpace/CS0", cs0);
    resources.PutPath("/ColorSpace/CS1", indirect("Ink"));
    source.Page(0).SetResources(resources);
    source.Pages().GetPath("Resources").PutPath("ColorSpace", resources.GetPath("ColorSpace"));

    const struct {
        int page;  // 1 inherits its resources
        const char* key;
        const char* otherKey;  // holds 3
        bool indirect, savedIndirect;
        bool cs0Shared;  // the saved CS0 is the very object of the new page's CS0
    } cases[] = {
        {0, "VELM_Tools", "NORP_Tools", true, false, true},  {0, "NORP_Tools", "VELM_Tools", false, false, true},
        {0, "VELM_Tools", "NORP_Tools", false, true, true},  {1, "VELM_Tools", "NORP_Tools", true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        // The saved CS1 is another object than the page's CS1.
        const GLOB_Object saved = source.NewDict(0, c.savedIndirect);
        saved.PutPath("XObject", source.ParseObject("<< /Im0 5 >>"));
        saved.PutPath("ColorSpace", source.ParseObject("<< >>"));
        saved.PutPath("/ColorSpace/CS0", cs0);
        saved.PutPath("/ColorSpace/CS1", indirect("Ink"));
        const GLOB_Object tools = source.NewDict(0, c.indirect);
        tools.PutPath("A", source.NewInteger(1));
        tools.PutPath("SaveResource", saved);
        source.Page(c.page).Object().PutPath(c.key, tools);
        source.Page(c.page).Object().PutPath(c.otherKey, source.NewInteger(3));

        const CPDF_Doc doc = NewPageDoc();
        const GLOB_Object copy = doc.CopyPage(source.Page(c.page), 0).Object();
        EXPECT_EQ(Printed(copy.GetPath(c.otherKey)), "3");
        const GLOB_Object copyTools = copy.GetPath(c.key);
        EXPECT_EQ(copyTools.IsDirect(), !c.indirect);
        EXPECT_EQ(Printed(copyTools.GetPath("A")), "1");
        const GLOB_Object copySaved = copyTools.GetPath("SaveResource");
        ASSERT_TRUE(copySaved.IsDict());
        EXPECT_EQ(copySaved.IsDirect(), !c.savedIndirect);
        EXPECT_EQ(Printed(copySaved.GetPath("/XObject/Im0")), "5");
        EXPECT_EQ(copySaved.GetPath("/ColorSpace/CS0") == copy.GetPath("/Resources/ColorSpace/CS0"), c.cs0Shared);
        EXPECT_FALSE(copySaved.GetPath("/ColorSpace/CS1") == copy.GetPath("/Resources/ColorSpace/CS1"));
    }
}
