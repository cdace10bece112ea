// Coloured Type 3 glyphs: a font named per colour state of the shows whose
// glyphs take it, holding only those glyphs, and its d0 procedures set those
// colours (CSEP_ContentSeparator.h).
#include "separation/CSEP_ContentSeparator.h"

#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/content/CPDF_ContentOperator.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_String.h"

#include <algorithm>

namespace {

using Op = CPDF_ContentOperator;

CPDF_ColorSpace GlyphSpace(const CPDF_GraphicsState& state, bool stroke) {
    return stroke ? state.StrokeColorSpace() : state.FillColorSpace();
}

// What of state the glyphs take: its colours (an Indexed one by its base's,
// a pattern's left to the drawing) and the mode of their own text; the rest
// MuPDF's own, black and mode 0.
CPDF_GraphicsState GlyphColours(const CPDF_GraphicsState& state, uint32_t taken) {
    CPDF_GraphicsState colours;
    for (const bool stroke : {false, true}) {
        CPDF_ColorSpace space = GlyphSpace(state, stroke);
        CPDF_Color color = stroke ? state.StrokeColor() : state.FillColor();
        if ((taken & (stroke ? CSEP_GroupInheritance::StrokeTaken : CSEP_GroupInheritance::FillTaken)) == 0 ||
            space.Type() == CPDF_ColorSpace::Pattern)
            continue;
        if (space.Type() == CPDF_ColorSpace::Indexed) {
            const double index = color.NumComponents() > 0 ? color.Component(0) : 0.0;
            color = space.AsIndexed().Color(static_cast<unsigned>(std::max(index, 0.0)));
            space = space.BaseColorSpace();
        }
        // A gray as the process colour it is: gray 0 is then a colour of
        // the show, not MuPDF's own black, which no copy writes.
        if (space.Type() == CPDF_ColorSpace::DeviceGray && color.NumComponents() == 1) {
            const double gray = color.Component(0);
            space = CPDF_ColorSpace::MakeDeviceCMYK();
            color.SetNumComponents(4);
            for (unsigned k = 0; k < 4; ++k)
                color.SetComponent(k, k == 3 ? 1.0 - gray : 0.0);
        }
        if (stroke) {
            colours.SetStrokeColorSpace(space);
            colours.SetStrokeColor(color);
        } else {
            colours.SetFillColorSpace(space);
            colours.SetFillColor(color);
        }
    }
    // Both peers fill a glyph's own text where the show fills, and give it
    // neither paint nor clip area where the show only strokes or clips.
    static const int32_t innerModes[8] = {0, 3, 0, 3, 0, 3, 0, 3};
    const int32_t mode = state.TextState().RenderMode();
    if ((taken & CSEP_GroupInheritance::TextModeTaken) && mode >= 0 && mode < 8)
        colours.SetTextRenderingMode(innerModes[mode]);
    return colours;
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
    CSEP_InkStreamState& in = m_inkStates.back();
    const CPDF_GraphicsState state = Parser().GraphicsState();
    if (!(state.Font() == in.m_glyphFont)) {
        // Set by an ExtGState or by the content that draws this one.
        in.ForgetGlyphFont();
        in.m_glyphFont = state.Font();
        if (TakesColours(state.Font()))
            in.m_glyphSource = GlyphFontSource(state.Font());
    }
    if (in.m_glyphSource.IsEmpty())
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
    if (!m_pResourceCache->Find(category, in.m_glyphSource, &record) || record.NumStates() == 0) {
        // The font as it stands, for every glyph that takes nothing here.
        record = CSEP_Resource(state.Font(), CPDF_GraphicsState(), in.m_glyphSource);
        changed = true;
    }
    uint32_t variant = 0;
    if (taken != 0) {
        const CPDF_GraphicsState colours = GlyphColours(state, taken);
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
        m_pResourceCache->Put(category, in.m_glyphSource, record);
    const GLOB_Name& name = record.Name(variant);
    if (name == in.m_glyphWritten)
        return;
    in.m_glyphWritten = name;
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

GLOB_Name CSEP_ContentSeparator::GlyphFontSource(const GLOB_Object& font) {
    const GLOB_OperandStack& operands = Parser().Operands();
    if (CPDF_ContentOperatorTable::Find(Parser().OperatorText()) == Op::Op_Tf && operands.Size() >= 2 &&
        operands.Operand(1).IsName())
        return operands.Operand(1).AsName();
    const uint32_t category = CSEP_ResourceCache::FontCategory;
    for (CSEP_ResourceCache::Iterator it = m_pResourceCache->Begin(category); !it.AtEnd();) {
        const CSEP_ResourceCache::Entry entry = it.Next();
        if (entry.second.NumStates() > 0 && entry.second.Object() == font)
            return entry.first;
    }
    const GLOB_Object fonts = m_resources.Dict().IsDict() ? m_resources.FontDict() : GLOB_Object();
    GLOB_Name key;
    for (uint32_t k = 0; fonts.IsDict() && fonts.AsDict().Entry(k, &key, nullptr); ++k)
        if (m_resources.Resource("Font", key) == font)
            return key;
    for (;;) {
        key = m_pResourceCache->NewName(category);
        if (!m_pResourceCache->Find(category, key, nullptr) && !(fonts.IsDict() && fonts.Known(key)))
            return key;
    }
}
