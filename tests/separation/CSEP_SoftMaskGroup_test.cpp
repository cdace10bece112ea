#include "separation/CSEP_SoftMaskGroup.h"
#include "separation/CSEP_ValueKey.h"

#include "CSEP_TestUtil.h"

// The form of a mask variant sets the state's colours, then draws one copy
// of the group's content under the group's own "Group": no second group, no
// second copy of the resources or of the content.
TEST(CSEP_SoftMaskGroup, AVariantSetsTheStatesColoursBeforeTheGroupsContent) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object attributes = doc.ParseObject(
        "<< /Type /XObject /Subtype /Form /BBox [0 0 10 10] /Group << /S /Transparency /K true >> /Resources << >> >>");
    const GLOB_Object group = doc.NewStream(GLOB_Stream(new GLOB_StringStream("0 0 5 5 re f")), 1, attributes,
                                            GLOB_Object(), -1);
    const GLOB_Object extGState = doc.ParseObject("<< /SMask << /S /Luminosity >> >>");
    extGState.DictGet(GLOB_Name("SMask")).DictPut(GLOB_Name("G"), group);
    const CPDF_ResourcesDict inForce(doc.ParseObject(
        "<< /Pattern << /Up << /PatternType 1 /PaintType 2 >> >> /ColorSpace << /Or [/Separation /Orange "
        "/DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0.5 1 0] /N 1 >>] >> >>"));
    const struct {
        const char* space;
        std::vector<double> color;  // sized to the space: one more is read past
        const char* pattern;
        const char* prefix;
    } rows[] = {
        {"/DeviceCMYK", {0, 1, 0, 0}, "", "0 1 0 0 k\n0 G\n0 Tr\n/Fm1 Do\n"},
        {"[/Pattern /DeviceGray]", {0.6}, "Up", "/CS1 cs\n0.6 /P1 scn\n0 G\n0 Tr\n/Fm1 Do\n"},
        {"/Or", {0.25}, "", "/CS2 cs\n0.25 scn\n0 G\n0 Tr\n/Fm1 Do\n"},
    };
    CSEP_SoftMaskGroup masks;
    GLOB_Object resources;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.space);
        CPDF_GraphicsState state;
        const GLOB_Object space = doc.ParseObject(row.space);
        state.SetFillColorSpace(CPDF_ColorSpace(space.IsName() && space.AsName() == "Or"
                                                    ? inForce.Resource("ColorSpace", GLOB_Name("Or"))
                                                    : space));
        state.SetFillColor(CPDF_Color(row.color));
        state.SetFillPattern(GLOB_Name(row.pattern));
        const GLOB_Object form = masks.InSourceColors(doc, extGState, state, inForce).DictGet(GLOB_Name("G"));
        EXPECT_EQ(ReadAll(form.OpenStream(2)), row.prefix);
        EXPECT_EQ(form.DictGet(GLOB_Name("Group")), attributes.DictGet(GLOB_Name("Group")));
        if (resources.IsNull())
            resources = form.DictGet(GLOB_Name("Resources"));
        EXPECT_EQ(form.DictGet(GLOB_Name("Resources")), resources);
    }
    const GLOB_Object copy = CPDF_ResourcesDict(resources).Resource("XObject", GLOB_Name("Fm1"));
    ASSERT_TRUE(copy.IsStream());
    EXPECT_EQ(ReadAll(copy.OpenStream(2)), "0 0 5 5 re f");
    EXPECT_TRUE(copy.DictGet(GLOB_Name("Group")).IsNull());
}

// A group with no resources of its own that takes nothing is drawn with
// those in force where its mask is set: one mask per resources dictionary,
// whose copy of the group keeps its data as stored, filters and matrix.
TEST(CSEP_SoftMaskGroup, AGroupWithoutResourcesBorrowsThoseInForceOncePerDictionary) {
    const GLOB_Doc doc = NewDoc();
    const std::string packed = "78 9c 33 50 30 50 30 05 c2 a2 54 85 34 00 0e af 02 a8>";
    const GLOB_Object group = doc.NewStream(
        GLOB_Stream(new GLOB_StringStream(packed)), 1,
        doc.ParseObject("<< /Type /XObject /Subtype /Form /BBox [0 0 20 20] /Matrix [0.5 0 0 0.5 0 0] "
                        "/Group << /S /Transparency >> /Filter [/ASCIIHexDecode /FlateDecode] >>"),
        GLOB_Object(), -1);
    const GLOB_Object extGState = doc.ParseObject("<< /SMask << /S /Alpha /BC [0] >> >>");
    extGState.DictGet(GLOB_Name("SMask")).DictPut(GLOB_Name("G"), group);
    const CPDF_ResourcesDict one(doc.ParseObject("<< /Shading << /Sh0 << /ShadingType 2 >> >> >>"));
    const CPDF_ResourcesDict other(doc.ParseObject("<< /Shading << /Sh0 << /ShadingType 3 >> >> >>"));
    CSEP_SoftMaskGroup masks;
    const GLOB_Object mask = masks.WhereItStands(doc, extGState, one);
    ASSERT_TRUE(mask.IsDict());
    EXPECT_EQ(mask.DictGet(GLOB_Name("BC")), extGState.DictGet(GLOB_Name("SMask")).DictGet(GLOB_Name("BC")));
    const GLOB_Object form = mask.DictGet(GLOB_Name("G"));
    EXPECT_EQ(masks.WhereItStands(doc, extGState, one).DictGet(GLOB_Name("G")), form);
    // Another mask of the group keeps its own type over the same form.
    const GLOB_Object luminosity = doc.ParseObject("<< /SMask << /S /Luminosity >> >>");
    luminosity.DictGet(GLOB_Name("SMask")).DictPut(GLOB_Name("G"), group);
    const GLOB_Object second = masks.WhereItStands(doc, luminosity, one);
    EXPECT_EQ(second.DictGet(GLOB_Name("S")).AsName(), GLOB_Name("Luminosity"));
    EXPECT_EQ(second.DictGet(GLOB_Name("G")), form);
    EXPECT_EQ(ReadAll(form.OpenStream(2)), "/Fm1 Do\n");
    EXPECT_EQ(form.DictGet(GLOB_Name("Group")), group.DictGet(GLOB_Name("Group")));
    EXPECT_TRUE(form.DictGet(GLOB_Name("Matrix")).IsNull());
    const GLOB_Object copy =
        CPDF_ResourcesDict(form.DictGet(GLOB_Name("Resources"))).Resource("XObject", GLOB_Name("Fm1"));
    ASSERT_TRUE(copy.IsStream());
    EXPECT_EQ(copy.DictGet(GLOB_Name("Resources")), one.Dict());
    EXPECT_EQ(ReadAll(copy.OpenStream(0)), packed);
    EXPECT_EQ(ReadAll(copy.OpenStream(2)), "0 0 5 5 re f");
    EXPECT_EQ(copy.DictGet(GLOB_Name("Matrix")), group.DictGet(GLOB_Name("Matrix")));
    EXPECT_TRUE(copy.DictGet(GLOB_Name("Group")).IsNull());
    // The variants of one state and another share that copy.
    CPDF_GraphicsState state;
    const GLOB_Object variant = masks.InSourceColors(doc, extGState, state, one).DictGet(GLOB_Name("G"));
    EXPECT_EQ(CPDF_ResourcesDict(variant.DictGet(GLOB_Name("Resources"))).Resource("XObject", GLOB_Name("Fm1")),
              copy);

    const GLOB_Object apart = masks.WhereItStands(doc, extGState, other);
    ASSERT_TRUE(apart.IsDict());
    const GLOB_Object otherForm = apart.DictGet(GLOB_Name("G"));
    EXPECT_NE(otherForm, form);
    EXPECT_EQ(CPDF_ResourcesDict(otherForm.DictGet(GLOB_Name("Resources")))
                  .Resource("XObject", GLOB_Name("Fm1"))
                  .DictGet(GLOB_Name("Resources")),
              other.Dict());

    // Resources of its own: the mask serves as it is.
    group.StreamDict().DictPut(GLOB_Name("Resources"), doc.ParseObject("<< >>"));
    EXPECT_TRUE(masks.WhereItStands(doc, extGState, one).IsNull());
}

namespace {

GLOB_Object GroupStream(const GLOB_Doc& doc, const char* attributes, const char* content) {
    return doc.NewStream(GLOB_Stream(new GLOB_StringStream(content)), 1, doc.ParseObject(attributes), GLOB_Object(),
                         -1);
}

GLOB_Object MaskSetting(const GLOB_Doc& doc, const GLOB_Object& group) {
    const GLOB_Object extGState = doc.ParseObject("<< /SMask << /S /Luminosity >> >>");
    extGState.DictGet(GLOB_Name("SMask")).DictPut(GLOB_Name("G"), group);
    return extGState;
}

// The copy of the group that a mask's form draws.
GLOB_Object DrawnCopy(const GLOB_Object& mask) {
    return CPDF_ResourcesDict(mask.DictGet(GLOB_Name("G")).DictGet(GLOB_Name("Resources")))
        .Resource("XObject", GLOB_Name("Fm1"));
}

}  // namespace

// Masks drawn into another document than the source's, as a job draws them:
// whatever the borrowed resources refer to is copied there once, however
// many dictionaries, contents and states reach it, and so is the group for
// dictionaries that name the same things; another document starts over.
TEST(CSEP_SoftMaskGroup, WhatTheBorrowedResourcesReferToIsCopiedOncePerDocument) {
    const GLOB_Doc source = NewDoc();
    const GLOB_Object group = GroupStream(source, "<< /BBox [0 0 10 10] >>", "/Im0 Do");
    const GLOB_Object extGState = MaskSetting(source, group);
    const GLOB_Object image = NewStreamObject(source, std::string(4096, 'i'));
    const GLOB_Object other = NewStreamObject(source, std::string(4096, 'o'));
    const auto naming = [&](const GLOB_Object& im) {
        const GLOB_Object dict = source.ParseObject("<< /XObject << >> >>");
        dict.DictGet(GLOB_Name("XObject")).DictPut(GLOB_Name("Im0"), im);
        return CPDF_ResourcesDict(dict);
    };
    const CPDF_ResourcesDict first = naming(image);
    const struct {
        const char* what;
        CPDF_ResourcesDict resources;
        bool inColours;  // by InSourceColors, else WhereItStands
        bool sameImage;
        bool sameCopy;
    } rows[] = {
        {"the same dictionary again", first, false, true, true},
        {"the same dictionary in a state's colours", first, true, true, true},
        {"another dictionary naming the same image", naming(image), false, true, true},
        {"another dictionary in a state's colours", naming(image), true, true, true},
        {"another image", naming(other), false, false, false},
    };
    const GLOB_Doc output = NewDoc();
    CSEP_SoftMaskGroup masks;
    const GLOB_Object copy = DrawnCopy(masks.WhereItStands(output, extGState, first));
    ASSERT_TRUE(copy.IsStream());
    const GLOB_Object copied = CPDF_ResourcesDict(copy.DictGet(GLOB_Name("Resources"))).Resource("XObject", GLOB_Name("Im0"));
    ASSERT_EQ(copied.GetImpl(), output.Impl());
    EXPECT_EQ(ReadAll(copied.OpenStream(0)), std::string(4096, 'i'));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const GLOB_Object mask = row.inColours ? masks.InSourceColors(output, extGState, CPDF_GraphicsState(), row.resources)
                                               : masks.WhereItStands(output, extGState, row.resources);
        const GLOB_Object again = DrawnCopy(mask);
        EXPECT_EQ(again.GetImpl(), output.Impl());
        EXPECT_EQ(again == copy, row.sameCopy);
        const GLOB_Object im = CPDF_ResourcesDict(again.DictGet(GLOB_Name("Resources"))).Resource("XObject", GLOB_Name("Im0"));
        EXPECT_EQ(im.GetImpl(), output.Impl());
        EXPECT_EQ(im == copied, row.sameImage);
    }
    const GLOB_Doc next = NewDoc();
    const GLOB_Object elsewhere = DrawnCopy(masks.WhereItStands(next, extGState, first));
    EXPECT_EQ(elsewhere.GetImpl(), next.Impl());
    EXPECT_EQ(CPDF_ResourcesDict(elsewhere.DictGet(GLOB_Name("Resources"))).Resource("XObject", GLOB_Name("Im0")).GetImpl(),
              next.Impl());
}

// Do draws a form XObject alone: the copy is one whatever the group's own
// dictionary lacks or says, in a state's colours or where it stands.
TEST(CSEP_SoftMaskGroup, TheDrawnCopyIsAFormXObjectWhateverTheGroupSays) {
    const GLOB_Doc doc = NewDoc();
    const CPDF_ResourcesDict inForce(doc.ParseObject("<< >>"));
    const struct {
        const char* attributes;
        bool inColours;
    } rows[] = {
        {"<< /BBox [0 0 10 10] >>", false},
        {"<< /BBox [0 0 10 10] >>", true},
        {"<< /BBox [0 0 10 10] /Resources << >> >>", true},
        {"<< /Type /Pattern /Subtype /Image /BBox [0 0 10 10] >>", false},
        {"<< /Type /XObject /Subtype /PS /BBox [0 0 10 10] /Resources << >> >>", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.attributes) + (row.inColours ? " in colours" : ""));
        const GLOB_Object group = GroupStream(doc, row.attributes, "0 0 5 5 re f");
        const GLOB_Object extGState = MaskSetting(doc, group);
        CSEP_SoftMaskGroup masks;
        const GLOB_Object mask = row.inColours ? masks.InSourceColors(doc, extGState, CPDF_GraphicsState(), inForce)
                                               : masks.WhereItStands(doc, extGState, inForce);
        const GLOB_Object copy = DrawnCopy(mask);
        ASSERT_TRUE(copy.IsStream());
        EXPECT_TRUE(copy.HasType("XObject", "Form"));
        EXPECT_EQ(ReadAll(copy.OpenStream(2)), "0 0 5 5 re f");
    }
}

// Forms that each lend the group a dictionary of their own, as one program
// writes every form of a page: the group's data are copied once for all
// that lend one value, whatever their number, and each copy draws with what
// its lenders name.
TEST(CSEP_SoftMaskGroup, TheGroupsDataAreCopiedOncePerValueLentWhateverTheLenders) {
    const GLOB_Doc source = NewDoc();
    const GLOB_Object group = GroupStream(source, "<< /BBox [0 0 10 10] >>", "/CS0 cs 1 scn 0 0 10 10 re f");
    const GLOB_Object extGState = MaskSetting(source, group);
    const std::string spot = "<< /ColorSpace << /CS0 [/Separation /Spot /DeviceCMYK << /FunctionType 2 /Domain [0 1] "
                             "/C0 [0 0 0 0] /C1 [0 0.6 1 0] /N 1 >>] >> /ExtGState << /GS0 << /CA 1 >> >> >>";
    const std::string spotReordered = "<< /ExtGState << /GS0 << /CA 1 >> >> /ColorSpace << /CS0 [/Separation /Spot "
                                      "/DeviceCMYK << /N 1 /C1 [0 0.6 1 0] /C0 [0 0 0 0] /Domain [0 1] "
                                      "/FunctionType 2 >>] >> >>";
    const std::string gray = "<< /ColorSpace << /CS0 /DeviceGray >> /ExtGState << /GS0 << /CA 1 >> >> >>";
    const struct {
        const char* what;
        std::vector<std::string> lenders;  // each parsed apart
        bool inColours;                    // by InSourceColors, else WhereItStands
        size_t copies;
    } rows[] = {
        {"one lender", {spot}, false, 1},
        {"fifty equal dictionaries", std::vector<std::string>(50, spot), false, 1},
        {"fifty in a state's colours", std::vector<std::string>(50, spot), true, 1},
        {"equal entries in another order", {spot, spotReordered, spot}, false, 1},
        {"a Separation and a DeviceGray CS0 in turn", {spot, gray, spot, gray}, false, 2},
        {"the two in a state's colours", {gray, spot, gray}, true, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const GLOB_Doc output = NewDoc();
        CSEP_SoftMaskGroup masks;
        std::vector<GLOB_Object> copies;
        for (const std::string& text : row.lenders) {
            const CPDF_ResourcesDict lent(source.ParseObject(text));
            const GLOB_Object mask = row.inColours ? masks.InSourceColors(output, extGState, CPDF_GraphicsState(), lent)
                                                   : masks.WhereItStands(output, extGState, lent);
            const GLOB_Object copy = DrawnCopy(mask);
            ASSERT_TRUE(copy.IsStream());
            EXPECT_EQ(ReadAll(copy.OpenStream(0)), "/CS0 cs 1 scn 0 0 10 10 re f");
            const GLOB_Object drawnWith = copy.DictGet(GLOB_Name("Resources"));
            EXPECT_EQ(CSEP_ValueKey::Of(CPDF_ResourcesDict(drawnWith).Resource("ColorSpace", GLOB_Name("CS0"))),
                      CSEP_ValueKey::Of(lent.Resource("ColorSpace", GLOB_Name("CS0"))));
            if (std::find(copies.begin(), copies.end(), copy) == copies.end())
                copies.push_back(copy);
        }
        EXPECT_EQ(copies.size(), row.copies);
    }
}
