#include "separation/CSEP_SoftMaskGroup.h"

#include "CPDF/CPDF_Utils.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Geometry.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_StringStream.h"
#include "separation/CSEP_GroupInheritance.h"
#include "separation/CSEP_ValueKey.h"

namespace {

GLOB_Object GroupOf(const GLOB_Object& extGState) {
    const GLOB_Object mask = extGState.IsDict() ? extGState.DictGet(GLOB_Name("SMask")) : GLOB_Object();
    return mask.IsDict() ? mask.DictGet(GLOB_Name("G")) : GLOB_Object();
}

bool IsDevice(const CPDF_ColorSpace& space) {
    return space.Type() == CPDF_ColorSpace::DeviceGray || space.Type() == CPDF_ColorSpace::DeviceRGB ||
           space.Type() == CPDF_ColorSpace::DeviceCMYK;
}

void WriteComponents(const CPDF_Color& color, GLOB_ObjectWriter& writer) {
    for (unsigned i = 0; i < color.NumComponents(); ++i)
        writer.WriteReal(color.Component(i));
}

// The group as a plain form: its data and entries but "Group", with lent
// resources when it has none. It is drawn by Do, which takes nothing but a
// form XObject, whatever the group's own dictionary says it is.
GLOB_Object PlainCopy(const GLOB_CopyMemo& copies, const GLOB_Object& group, const GLOB_Object& lent) {
    const GLOB_Doc& doc = copies.Doc();
    const GLOB_Dict entries = group.StreamDict().AsDict();
    const GLOB_Object attributes = doc.NewDict(entries.Size() + 2, false);
    GLOB_Name key;
    GLOB_Object value;
    for (uint32_t k = 0; entries.Entry(k, &key, &value); ++k)
        if (!(key == "Group") && !(key == "Length"))
            attributes.DictPut(key, copies.Copy(value));
    attributes.DictPut(GLOB_Name("Type"), doc.NewName(GLOB_Name("XObject")));
    attributes.DictPut(GLOB_Name("Subtype"), doc.NewName(GLOB_Name("Form")));
    if (!attributes.DictGet(GLOB_Name("Resources")).IsDict() && lent.IsDict())
        attributes.DictPut(GLOB_Name("Resources"), copies.Copy(lent));
    GLOB_Stream data = group.OpenStream(0);
    // Flag 1: the bytes keep the group's own filters.
    const GLOB_Object copy = doc.NewStream(data, 1, attributes, GLOB_Object(), -1);
    data.Close();
    return copy;
}

}  // namespace

bool CSEP_SoftMaskGroup::DrawsGroup(const GLOB_Object& extGState) {
    const GLOB_Object group = GroupOf(extGState);
    return group.IsStream() && CPDF_Utils::IsRect(group.DictGet(GLOB_Name("BBox")));
}

void CSEP_SoftMaskGroup::Clear() {
    m_drawn.clear();
    m_lentValues.clear();
    m_copies = GLOB_CopyMemo();
}

CSEP_SoftMaskGroup::Drawn& CSEP_SoftMaskGroup::DrawnFor(const GLOB_Doc& doc, const GLOB_Object& group,
                                                        const CPDF_ResourcesDict& inForce) {
    // What was made for another document cannot serve this one.
    if (m_copies.Doc().Impl() != doc.Impl()) {
        Clear();
        m_copies = GLOB_CopyMemo(doc);
    }
    const GLOB_Object own = group.DictGet(GLOB_Name("Resources"));
    const GLOB_Object lent = own.IsDict() ? own : inForce.Dict();
    const auto at = m_drawn.emplace(CSEP_GroupInheritance::ObjectKey(group) + LentValue(lent), Drawn());
    Drawn& drawn = at.first->second;
    if (at.second) {
        drawn.sources = {group, lent};
        drawn.resources = CPDF_ResourcesDict(doc.NewDict(2, true));
        drawn.group = drawn.resources.AddResource("XObject", "Fm", PlainCopy(m_copies, group, lent));
    }
    return drawn;
}

const std::string& CSEP_SoftMaskGroup::LentValue(const GLOB_Object& lent) {
    const auto at = m_lentValues.emplace(CSEP_GroupInheritance::ObjectKey(lent), std::make_pair(lent, std::string()));
    if (at.second)
        at.first->second.second = CSEP_ValueKey::Of(lent);
    return at.first->second.second;
}

GLOB_Name CSEP_SoftMaskGroup::SpaceName(const CPDF_ColorSpace& space, Drawn& drawn) {
    for (const auto& named : drawn.spaces)
        if (named.first == space)
            return named.second;
    const GLOB_Doc doc = drawn.resources.Dict().Doc();
    drawn.spaces.emplace_back(space, drawn.resources.AddResource("ColorSpace", "CS", space.MakeObject(&doc)));
    return drawn.spaces.back().second;
}

void CSEP_SoftMaskGroup::WriteColor(bool fill, const CPDF_GraphicsState& state, const CPDF_ResourcesDict& inForce,
                                    Drawn& drawn, GLOB_ObjectWriter& writer) const {
    const CPDF_ColorSpace space = fill ? state.FillColorSpace() : state.StrokeColorSpace();
    const CPDF_Color color = fill ? state.FillColor() : state.StrokeColor();
    if (IsDevice(space)) {
        state.WriteColor(fill, /*spaceChanged=*/true, writer, drawn.resources);
        return;
    }
    if (space.Type() != CPDF_ColorSpace::Pattern) {
        writer.WriteName(SpaceName(space, drawn));
        writer.WriteOperator(fill ? "cs" : "CS");
        WriteComponents(color, writer);
        const bool named = space.Type() == CPDF_ColorSpace::Separation || space.Type() == CPDF_ColorSpace::DeviceN ||
                           space.Type() == CPDF_ColorSpace::ICCBased;
        writer.WriteOperator(named ? (fill ? "scn" : "SCN") : (fill ? "sc" : "SC"));
        return;
    }
    const GLOB_Name name = fill ? state.FillPattern() : state.StrokePattern();
    const GLOB_Object pattern =
        name.IsEmpty() || !inForce.Dict().IsDict() ? GLOB_Object() : inForce.Pattern(name);
    if (!pattern.IsDict() && !pattern.IsStream())
        return;
    const bool underlying = !space.BaseColorSpace().IsNull();
    writer.WriteName(underlying ? SpaceName(space, drawn) : GLOB_Name("Pattern"));
    writer.WriteOperator(fill ? "cs" : "CS");
    if (underlying)
        WriteComponents(color, writer);
    GLOB_Name patternName;
    for (const auto& named : drawn.patterns)
        if (named.first == pattern)
            patternName = named.second;
    if (patternName.IsEmpty()) {
        patternName = drawn.resources.AddResource("Pattern", "P", m_copies.Copy(pattern));
        drawn.patterns.emplace_back(pattern, patternName);
    }
    writer.WriteName(patternName);
    writer.WriteOperator(fill ? "scn" : "SCN");
}

GLOB_Object CSEP_SoftMaskGroup::Form(const GLOB_Doc& doc, const GLOB_Object& group, const Drawn& drawn,
                                     const GLOB_Stream& data, GLOB_ObjectWriter& writer) const {
    // The copy keeps the group's own matrix, so the form's box is where it lands.
    GLIB_Rect box = CPDF_Utils::RectFromObject(group.DictGet(GLOB_Name("BBox")));
    const GLOB_Object matrix = group.DictGet(GLOB_Name("Matrix"));
    if (CPDF_Utils::IsValidNumberArray(matrix, 6, nullptr))
        box.Transform(CPDF_Utils::MatrixFromObject(matrix));
    const GLOB_Object attributes = doc.NewDict(5, false);
    attributes.DictPut(GLOB_Name("Type"), doc.NewName(GLOB_Name("XObject")));
    attributes.DictPut(GLOB_Name("Subtype"), doc.NewName(GLOB_Name("Form")));
    attributes.DictPut(GLOB_Name("BBox"), CPDF_Utils::MakeRectObject(doc, box));
    attributes.DictPut(GLOB_Name("Resources"), drawn.resources.Dict());
    const GLOB_Object groupAttributes = group.DictGet(GLOB_Name("Group"));
    if (!groupAttributes.IsNull())
        attributes.DictPut(GLOB_Name("Group"), m_copies.Copy(groupAttributes));
    writer.WriteName(drawn.group);
    writer.WriteOperator("Do");
    writer.Flush();
    return doc.NewStream(data, 1, attributes, GLOB_Object(), -1);
}

GLOB_Object CSEP_SoftMaskGroup::MaskDrawing(const GLOB_Doc& doc, const GLOB_Object& extGState,
                                            const GLOB_Object& form) const {
    const GLOB_Dict entries = extGState.DictGet(GLOB_Name("SMask")).AsDict();
    const GLOB_Object mask = doc.NewDict(entries.Size(), true);
    GLOB_Name key;
    GLOB_Object value;
    for (uint32_t k = 0; entries.Entry(k, &key, &value); ++k)
        mask.DictPut(key, key == "G" ? form : m_copies.Copy(value));
    return mask;
}

GLOB_Object CSEP_SoftMaskGroup::InSourceColors(const GLOB_Doc& doc, const GLOB_Object& extGState,
                                               const CPDF_GraphicsState& state, const CPDF_ResourcesDict& resources) {
    GLIB_ASSERT(DrawsGroup(extGState));
    const GLOB_Object group = GroupOf(extGState);
    Drawn& drawn = DrawnFor(doc, group, resources);
    GLOB_Stream data(GLIB_NEW GLOB_StringStream());
    GLOB_ObjectWriter writer(data);
    for (const bool fill : {true, false})
        WriteColor(fill, state, resources, drawn, writer);
    writer.WriteInteger(state.TextState().RenderMode());
    writer.WriteOperator("Tr");
    return MaskDrawing(doc, extGState, Form(doc, group, drawn, data, writer));
}

GLOB_Object CSEP_SoftMaskGroup::WhereItStands(const GLOB_Doc& doc, const GLOB_Object& extGState,
                                              const CPDF_ResourcesDict& resources) {
    GLIB_ASSERT(DrawsGroup(extGState));
    const GLOB_Object group = GroupOf(extGState);
    if (group.DictGet(GLOB_Name("Resources")).IsDict())
        return GLOB_Object();
    Drawn& drawn = DrawnFor(doc, group, resources);
    if (drawn.kept.IsNull()) {
        GLOB_Stream data(GLIB_NEW GLOB_StringStream());
        GLOB_ObjectWriter writer(data);
        drawn.kept = Form(doc, group, drawn, data, writer);
    }
    // Masks of one group may differ in type, backdrop or transfer.
    return MaskDrawing(doc, extGState, drawn.kept);
}
