#include "separation/CSEP_SoftMaskGroup.h"

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
