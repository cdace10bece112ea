// Coloured Type 3 glyphs: a font named per colour state of the shows whose
// glyphs take it, holding only those glyphs, and its d0 procedures set those
// colours (CSEP_ContentSeparator.h).
#include "separation/CSEP_ContentSeparator.h"

#include "CPDF/content/CPDF_ContentOperator.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_String.h"

namespace {

using Op = CPDF_ContentOperator;

CPDF_ColorSpace GlyphSpace(const CPDF_GraphicsState& state, bool stroke) {
    return stroke ? state.StrokeColorSpace() : state.FillColorSpace();
}

// The strings a show operator's operands hold: the last operand, or each
// string of TJ's array.
template <typename Visit>
void ForEachShownByte(const GLOB_Object& shown, const Visit& visit) {
    if (shown.IsString()) {
        const GLOB_String text = shown.AsString();
        for (size_t i = 0; i < text.Length(); ++i)
            visit(text.Data()[i]);
    } else if (shown.IsArray()) {
        for (uint32_t i = 0; i < shown.Length(); ++i)
            if (shown.Get(i).IsString())
                ForEachShownByte(shown.Get(i), visit);
    }
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
    // What the shown glyphs take; at Tf, nothing is shown yet.
    const CSEP_GroupInheritance::GlyphCodes& codes = m_groupInheritance.Codes(state.Font(), m_resources.Dict());
    const int32_t op = CPDF_ContentOperatorTable::Find(Parser().OperatorText());
    const bool shows = op == Op::Op_Tj || op == Op::Op_TJ || op == Op::Op_Quote || op == Op::Op_DoubleQuote;
    uint32_t taken = 0;
    if (shows && Parser().Operands().Size() > 0)
        ForEachShownByte(Parser().Operands().Top(), [&](uint8_t code) { taken |= codes.m_taken[code]; });

    const uint32_t category = CSEP_ResourceCache::FontCategory;
    CSEP_Resource record;
    bool changed = false;
    if (!m_pResourceCache->Find(category, in.m_source, &record) || record.NumStates() == 0) {
        // The font as it stands, for every glyph that takes nothing here.
        record = CSEP_Resource(state.Font(), CPDF_GraphicsState(), in.m_source);
        changed = true;
    }
    uint32_t variant = 0;
    if (taken != 0) {
        CPDF_GraphicsState colours;
        for (const bool stroke : {false, true}) {
            const CPDF_ColorSpace space = GlyphSpace(state, stroke);
            if ((taken & (stroke ? CSEP_GroupInheritance::StrokeTaken : CSEP_GroupInheritance::FillTaken)) == 0 ||
                space.Type() == CPDF_ColorSpace::Pattern || space.Type() == CPDF_ColorSpace::Indexed)
                continue;
            if (stroke) {
                colours.SetStrokeColorSpace(space);
                colours.SetStrokeColor(state.StrokeColor());
            } else {
                colours.SetFillColorSpace(space);
                colours.SetFillColor(state.FillColor());
            }
        }
        while (variant < record.NumStates() && !IsSameColorState(category, record.State(variant), colours))
            ++variant;
        if (variant == record.NumStates()) {
            GLOB_Name name;
            // The content's own fonts keep their names beside these.
            do
                name = m_pResourceCache->NewName(category);
            while (!m_resources.Resource("Font", name).IsNull());
            record.AddState(colours, name);
            changed = true;
        }
        // The font as it stands holds every glyph; a variant those shown in
        // it, and every one where a code may name any.
        if (variant > 0) {
            bool any = false;
            ForEachShownByte(Parser().Operands().Top(), [&](uint8_t code) {
                if (codes.m_glyphs[code].IsEmpty())
                    any = true;
                else
                    changed = record.AddPart(variant, codes.m_glyphs[code]) || changed;
            });
            const GLOB_Object procedures = state.Font().DictGet(GLOB_Name("CharProcs"));
            GLOB_Name glyph;
            for (uint32_t i = 0; any && procedures.IsDict() && procedures.AsDict().Entry(i, &glyph, nullptr); ++i)
                changed = record.AddPart(variant, glyph) || changed;
        }
    }
    if (changed)
        m_pResourceCache->Put(category, in.m_source, record);
    const GLOB_Name& name = record.Name(variant);
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
}
