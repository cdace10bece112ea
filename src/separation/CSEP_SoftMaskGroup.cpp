#include "separation/CSEP_SoftMaskGroup.h"

#include "CPDF/CPDF_Utils.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Geometry.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_ObjectWriter.h"
#include "GLOB/GLOB_StringStream.h"

namespace {

GLOB_Object GroupOf(const GLOB_Object& extGState) {
    const GLOB_Object mask = extGState.IsDict() ? extGState.DictGet(GLOB_Name("SMask")) : GLOB_Object();
    return mask.IsDict() ? mask.DictGet(GLOB_Name("G")) : GLOB_Object();
}

// A pattern colour: its space, the components of an uncoloured one, and the
// pattern under a name of form's resources.
void WritePattern(bool fill, const CPDF_GraphicsState& state, const CPDF_ResourcesDict& resources,
                  CPDF_ResourcesDict& form, GLOB_ObjectWriter& writer) {
    const GLOB_Name name = fill ? state.FillPattern() : state.StrokePattern();
    const GLOB_Object pattern =
        name.IsEmpty() || !resources.Dict().IsDict() ? GLOB_Object() : resources.Pattern(name);
    if (!pattern.IsDict() && !pattern.IsStream())
        return;
    const CPDF_ColorSpace space = fill ? state.FillColorSpace() : state.StrokeColorSpace();
    const bool underlying = !space.BaseColorSpace().IsNull();
    const GLOB_Doc doc = form.Dict().Doc();
    writer.WriteName(underlying ? form.AddResource("ColorSpace", "CS", space.MakeObject(&doc)) : GLOB_Name("Pattern"));
    writer.WriteOperator(fill ? "cs" : "CS");
    const CPDF_Color color = fill ? state.FillColor() : state.StrokeColor();
    for (unsigned i = 0; underlying && i < color.NumComponents(); ++i)
        writer.WriteReal(color.Component(i));
    writer.WriteName(form.AddResource("Pattern", "P", pattern));
    writer.WriteOperator(fill ? "scn" : "SCN");
}

// The form's resources. A group without its own takes the form's, so the form
// then lends it those in force at gs, as a viewer would; the categories the
// form adds to are copied, so that the source's are left as they were.
CPDF_ResourcesDict FormResources(const GLOB_Doc& doc, const GLOB_Object& group, const CPDF_ResourcesDict& inForce) {
    if (group.DictGet(GLOB_Name("Resources")).IsDict() || !inForce.Dict().IsDict())
        return CPDF_ResourcesDict(doc.NewDict(2, false));
    const GLOB_Object lent = doc.NewDict(inForce.Dict().AsDict(), false);
    for (const char* category : {"ColorSpace", "Pattern", "XObject"}) {
        const GLOB_Object values = lent.DictGet(GLOB_Name(category));
        if (values.IsDict())
            lent.DictPut(GLOB_Name(category), doc.NewDict(values.AsDict(), false));
    }
    return CPDF_ResourcesDict(lent);
}

}  // namespace

bool CSEP_SoftMaskGroup::DrawsGroup(const GLOB_Object& extGState) {
    const GLOB_Object group = GroupOf(extGState);
    return group.IsStream() && CPDF_Utils::IsRect(group.DictGet(GLOB_Name("BBox")));
}

GLOB_Object CSEP_SoftMaskGroup::InSourceColors(const GLOB_Doc& doc, const GLOB_Object& extGState,
                                               const CPDF_GraphicsState& state, const CPDF_ResourcesDict& resources) {
    GLIB_ASSERT(DrawsGroup(extGState));
    const GLOB_Object group = GroupOf(extGState);
    CPDF_ResourcesDict formResources = FormResources(doc, group, resources);
    GLOB_Stream data(GLIB_NEW GLOB_StringStream());
    GLOB_ObjectWriter writer(data);
    for (const bool fill : {true, false}) {
        if ((fill ? state.FillColorSpace() : state.StrokeColorSpace()).Type() == CPDF_ColorSpace::Pattern)
            WritePattern(fill, state, resources, formResources, writer);
        else
            state.WriteColor(fill, /*spaceChanged=*/true, writer, formResources);
    }
    writer.WriteInteger(state.TextState().RenderMode());
    writer.WriteOperator("Tr");
    writer.WriteName(formResources.AddResource("XObject", "Fm", group));
    writer.WriteOperator("Do");
    writer.Flush();

    // The group keeps its own matrix, so the form's box is where it lands.
    GLIB_Rect box = CPDF_Utils::RectFromObject(group.DictGet(GLOB_Name("BBox")));
    const GLOB_Object matrix = group.DictGet(GLOB_Name("Matrix"));
    if (CPDF_Utils::IsValidNumberArray(matrix, 6, nullptr))
        box.Transform(CPDF_Utils::MatrixFromObject(matrix));
    const GLOB_Object attributes = doc.NewDict(5, false);
    attributes.DictPut(GLOB_Name("Type"), doc.NewName(GLOB_Name("XObject")));
    attributes.DictPut(GLOB_Name("Subtype"), doc.NewName(GLOB_Name("Form")));
    attributes.DictPut(GLOB_Name("BBox"), CPDF_Utils::MakeRectObject(doc, box));
    attributes.DictPut(GLOB_Name("Resources"), formResources.Dict());
    const GLOB_Object groupAttributes = group.DictGet(GLOB_Name("Group"));
    if (!groupAttributes.IsNull())
        attributes.DictPut(GLOB_Name("Group"), groupAttributes);
    const GLOB_Object form = doc.NewStream(data, 1, attributes, GLOB_Object(), -1);

    const GLOB_Object source = extGState.DictGet(GLOB_Name("SMask"));
    const GLOB_Dict entries = source.AsDict();
    const GLOB_Object mask = doc.NewDict(entries.Size(), true);
    GLOB_Name key;
    GLOB_Object value;
    for (uint32_t k = 0; entries.Entry(k, &key, &value); ++k)
        mask.DictPut(key, key == "G" ? form : value);
    return mask;
}
