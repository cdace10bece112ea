// Coloured Type 3 glyphs: a font named per colour state of its shows, and
// its d0 procedures set those colours (CSEP_ContentSeparator.h).
#include "separation/CSEP_ContentSeparator.h"

namespace {

CPDF_ColorSpace GlyphSpace(const CPDF_GraphicsState& state, bool stroke) {
    return stroke ? state.StrokeColorSpace() : state.FillColorSpace();
}

}  // namespace

bool CSEP_ContentSeparator::TakesColours(const GLOB_Object& font) {
    if (!font.IsDict() || !font.HasSubtype("Type3"))
        return false;
    return m_groupInheritance.GlyphsTaken(font, m_resources.Dict()) != 0;
}

void CSEP_ContentSeparator::SelectGlyphColours() {
    GlyphFont& in = m_glyphFonts.back();
    const CPDF_GraphicsState state = Parser().GraphicsState();
    if (in.m_source.IsEmpty() || !m_resources.Dict().IsDict() ||
        !(m_resources.Resource("Font", in.m_source) == state.Font()))
        return;
    CPDF_GraphicsState colours;
    if (m_groupInheritance.GlyphsTaken(state.Font(), m_resources.Dict()) & CSEP_GroupInheritance::TextModeTaken) {
        CPDF_TextState text = colours.TextState();
        text.SetRenderingMode(state.TextState().RenderMode());
        colours.SetTextState(text);
    }
    for (const bool stroke : {false, true}) {
        const CPDF_ColorSpace space = GlyphSpace(state, stroke);
        if (space.Type() == CPDF_ColorSpace::Pattern || space.Type() == CPDF_ColorSpace::Indexed)
            continue;
        if (stroke) {
            colours.SetStrokeColorSpace(space);
            colours.SetStrokeColor(state.StrokeColor());
        } else {
            colours.SetFillColorSpace(space);
            colours.SetFillColor(state.FillColor());
        }
    }
    const uint32_t category = CSEP_ResourceCache::FontCategory;
    CSEP_Resource record;
    GLOB_Name name;
    if (m_pResourceCache->Find(category, in.m_source, &record)) {
        for (uint32_t i = 0; i < record.NumStates() && name.IsEmpty(); ++i)
            if (IsSameColorState(category, record.State(i), colours))
                name = record.Name(i);
    } else {
        record = CSEP_Resource(state.Font());
    }
    if (name.IsEmpty()) {
        // The content's own fonts keep their names beside these.
        do
            name = m_pResourceCache->NewName(category);
        while (!m_resources.Resource("Font", name).IsNull());
        record.AddState(colours, name);
        m_pResourceCache->Put(category, in.m_source, record);
    }
    if (name == in.m_written)
        return;
    in.m_written = name;
    m_writer.WriteName(name);
    m_writer.WriteReal(state.TextState().FontSize());
    m_writer.WriteOperator("Tf");
}

void CSEP_ContentSeparator::WriteGlyphColours() {
    const CPDF_GraphicsState state = Parser().GraphicsState();
    bool inPlace = m_glyphInPlace;
    for (const bool stroke : {false, true}) {
        const CPDF_ColorSpace space = GlyphSpace(state, stroke);
        const CPDF_Color color = stroke ? state.StrokeColor() : state.FillColor();
        // Black is what MuPDF's own state holds.
        if (space.Type() == CPDF_ColorSpace::DeviceGray && color.NumComponents() == 1 && color.Component(0) == 0)
            continue;
        if (inPlace) {
            // Nothing painted; the fill colour is not yet set.
            m_writer.WriteInteger(0);
            m_writer.WriteInteger(0);
            m_writer.WriteOperator("m");
            m_writer.WriteOperator("f");
            inPlace = false;
        }
        m_pressColor.Zero();
        m_colorSeparators[stroke ? 1 : 0].ConvertColor(color, m_pressColor);
        WriteGrays(nullptr, stroke ? "G" : "g");
    }
    UpdateTextRenderMode(state.TextState().RenderMode());
}
