#include "separation/CSEP_SoftMaskGroup.h"

#include "CSEP_TestUtil.h"

// The form of a mask variant sets the state's colours, then holds the group's
// own content under the group's own entries: no second group, no second copy
// of the resources.
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
        {"/DeviceCMYK", {0, 1, 0, 0}, "", "0 1 0 0 k\n0 G\n0 Tr\n0 0 5 5 re f"},
        {"[/Pattern /DeviceGray]", {0.6}, "Up", "/CS1 cs\n0.6 /P1 scn\n0 G\n0 Tr\n0 0 5 5 re f"},
        {"/Or", {0.25}, "", "/CS2 cs\n0.25 scn\n0 G\n0 Tr\n0 0 5 5 re f"},
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
}
