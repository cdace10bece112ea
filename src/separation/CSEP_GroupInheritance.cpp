#include "separation/CSEP_GroupInheritance.h"

#include "CPDF/content/CPDF_ContentOperator.h"
#include "CPDF/content/CPDF_ContentParser.h"
#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Stream.h"
#include "separation/CSEP_DocProgressMeter.h"

#include <memory>
#include <utility>
#include <vector>

namespace {

using Op = CPDF_ContentOperator;
using Taken = CSEP_GroupInheritance;

// What the content has set so far, saved by q.
struct Set {
    bool fill = false;
    bool stroke = false;
    bool textMode = false;
};

class Scanner {
public:
    explicit Scanner(const GLOB_Object& group) : Scanner(group, group.DictGet(GLOB_Name("Resources"))) {}
    Scanner(const GLOB_Object& content, const GLOB_Object& resources) {
        m_parser.Start(content.OpenStream(2), resources);
    }

    // A procedure that does not begin with d0 paints in the colour of the
    // text, as any glyph does, and takes nothing of its own. Read to its
    // end: a path painted in a colour not set may come late.
    uint32_t RunGlyph(bool* pathTakes) {
        *pathTakes = false;
        if (!m_parser.Step())
            return m_parser.IsStopped() ? uint32_t(Taken::AllTaken) : 0;
        if (CPDF_ContentOperatorTable::Find(m_parser.OperatorText()) != Op::Op_d0)
            return 0;
        while (m_parser.Step())
            Operator(CPDF_ContentOperatorTable::Find(m_parser.OperatorText()));
        *pathTakes = m_pathTakes;
        return m_parser.IsStopped() ? uint32_t(Taken::AllTaken) : m_taken;
    }

    uint32_t Run() {
        while (m_taken != Taken::AllTaken && m_parser.Step())
            Operator(CPDF_ContentOperatorTable::Find(m_parser.OperatorText()));
        return m_parser.IsStopped() ? uint32_t(Taken::AllTaken) : m_taken;
    }

private:
    void Paints(bool fill, bool stroke) {
        if (fill && !m_set.fill)
            m_taken |= Taken::FillTaken;
        if (stroke && !m_set.stroke)
            m_taken |= Taken::StrokeTaken;
    }

    void PaintsPath(bool fill, bool stroke) {
        m_pathTakes = m_pathTakes || (fill && !m_set.fill) || (stroke && !m_set.stroke);
        Paints(fill, stroke);
    }

    void ShowsText() {
        // Text in a mode it does not set takes the one in force: a coloured
        // glyph's own text the show's, as both peers draw it.
        if (!m_set.textMode)
            m_taken |= Taken::TextModeTaken;
        if (!m_set.textMode || !HasOutlineGlyphs(m_parser.GraphicsState().Font())) {
            Paints(true, true);
            return;
        }
        const int32_t mode = m_parser.GraphicsState().TextState().RenderMode();
        Paints(mode == 0 || mode == 2 || mode == 4 || mode == 6, mode == 1 || mode == 2 || mode == 5 || mode == 6);
    }

    // Only outline glyphs paint as the mode says: a Type 3 glyph's
    // procedure may fill, stroke or both in the colours in force, and MuPDF
    // draws a font of any other or no Subtype as Type 3 when it holds
    // CharProcs.
    static bool HasOutlineGlyphs(const GLOB_Object& font) {
        if (!font.IsDict())
            return false;
        for (const char* subtype : {"Type1", "MMType1", "TrueType", "Type0"})
            if (font.HasSubtype(subtype))
                return true;
        return false;
    }

    void Draws(const GLOB_Object& xobject) {
        const GLOB_Object mask = xobject.IsStream() ? xobject.DictGet(GLOB_Name("ImageMask")) : GLOB_Object();
        if (xobject.IsStream() && xobject.HasSubtype("Image")) {
            Paints(mask.IsBoolean() && mask.AsBoolean(), false);
            return;
        }
        // A form's content may take anything still unset.
        Paints(true, true);
        if (!m_set.textMode)
            m_taken |= Taken::TextModeTaken;
    }

    void Operator(int32_t op) {
        switch (op) {
        case Op::Op_g: case Op::Op_rg: case Op::Op_k: case Op::Op_cs: m_set.fill = true; break;
        case Op::Op_G: case Op::Op_RG: case Op::Op_K: case Op::Op_CS: m_set.stroke = true; break;
        case Op::Op_Tr: m_set.textMode = true; break;
        case Op::Op_q: m_saved.push_back(m_set); break;
        case Op::Op_Q:
            if (!m_saved.empty()) {
                m_set = m_saved.back();
                m_saved.pop_back();
            }
            break;
        case Op::Op_f: case Op::Op_F: case Op::Op_fStar: PaintsPath(true, false); break;
        case Op::Op_S: case Op::Op_s: PaintsPath(false, true); break;
        case Op::Op_b: case Op::Op_B: case Op::Op_bStar: case Op::Op_BStar: PaintsPath(true, true); break;
        case Op::Op_Tj: case Op::Op_TJ: case Op::Op_Quote: case Op::Op_DoubleQuote: ShowsText(); break;
        case Op::Op_ID: Paints(m_parser.InlineImage().ImageParams().IsImageMask(), false); break;
        case Op::Op_Do: {
            const GLOB_Object name = m_parser.Operands().Size() > 0 ? m_parser.Operands().Top() : GLOB_Object();
            Draws(name.IsName() ? m_parser.Resource("XObject", name.AsName()) : GLOB_Object());
            break;
        }
        default: break;
        }
    }

    CPDF_ContentParser m_parser;
    Set m_set;
    std::vector<Set> m_saved;
    uint32_t m_taken = 0;
    bool m_pathTakes = false;
};

}  // namespace

uint32_t CSEP_GroupInheritance::Taken(const GLOB_Object& group) {
    const auto at = m_taken.emplace(ObjectKey(group), 0);
    if (at.second)
        at.first->second = Scan(group);
    return at.first->second;
}

uint32_t CSEP_GroupInheritance::Scan(const GLOB_Object& group) {
    try {
        return Scanner(group).Run();
    } catch (GLIB_Exception& e) {
        if (e.Code() == GLIB_OutOfMemoryCode || CSEP_DocProgressMeter::IsCancel(e))
            throw;
        return AllTaken;
    }
}

const CSEP_GroupInheritance::GlyphCodes& CSEP_GroupInheritance::Codes(const GLOB_Object& font,
                                                                     const GLOB_Object& resources) {
    // Apart from groups: a font's dictionary is no stream.
    std::unique_ptr<GlyphCodes>& codes = m_codes["font" + ObjectKey(font)];
    if (!codes)
        codes = ScanGlyphs(font, resources);
    return *codes;
}

std::unique_ptr<CSEP_GroupInheritance::GlyphCodes> CSEP_GroupInheritance::ScanGlyphs(const GLOB_Object& font,
                                                                                   const GLOB_Object& resources) {
    std::unique_ptr<GlyphCodes> codes(new GlyphCodes);
    const GLOB_Object procedures = font.IsDict() ? font.DictGet(GLOB_Name("CharProcs")) : GLOB_Object();
    if (!procedures.IsDict())
        return codes;
    const GLOB_Object own = font.DictGet(GLOB_Name("Resources"));
    const GLOB_Dict entries = procedures.AsDict();
    std::vector<std::pair<GLOB_Name, uint32_t>> takers;
    GLOB_Name glyph;
    GLOB_Object procedure;
    for (uint32_t i = 0; entries.Entry(i, &glyph, &procedure); ++i) {
        bool inPlace = false;
        const uint32_t taken = ScanGlyph(procedure, own.IsDict() ? own : resources, &inPlace);
        codes->m_inPlace = codes->m_inPlace || inPlace;
        // MuPDF draws such a glyph in the state of the show.
        if (taken != 0 && !inPlace) {
            takers.emplace_back(glyph, taken);
            codes->m_any |= taken;
        }
    }
    if (codes->m_any == 0)
        return codes;
    const GLOB_Object encoding = font.DictGet(GLOB_Name("Encoding"));
    const GLOB_Object differences = encoding.IsDict() ? encoding.DictGet(GLOB_Name("Differences")) : GLOB_Object();
    int32_t code = 0;
    for (uint32_t i = 0; differences.IsArray() && i < differences.Length(); ++i) {
        const GLOB_Object item = differences.Get(i);
        if (item.IsInteger())
            code = item.AsInteger();
        else if (item.IsName() && code >= 0 && code < 256)
            codes->m_glyphs[code++] = item.AsName();
        else if (item.IsName())
            ++code;
    }
    for (int32_t c = 0; c < 256; ++c) {
        // A code its encoding leaves to a base one may name any glyph.
        if (codes->m_glyphs[c].IsEmpty()) {
            codes->m_taken[c] = static_cast<uint8_t>(codes->m_any);
            continue;
        }
        for (const auto& taker : takers)
            if (taker.first == codes->m_glyphs[c])
                codes->m_taken[c] = static_cast<uint8_t>(taker.second);
    }
    return codes;
}

uint32_t CSEP_GroupInheritance::ScanGlyph(const GLOB_Object& procedure, const GLOB_Object& resources,
                                          bool* pathTakes) {
    *pathTakes = false;
    if (!procedure.IsStream())
        return 0;
    try {
        return Scanner(procedure, resources).RunGlyph(pathTakes);
    } catch (GLIB_Exception& e) {
        if (e.Code() == GLIB_OutOfMemoryCode || CSEP_DocProgressMeter::IsCancel(e))
            throw;
        return AllTaken;
    }
}

std::string CSEP_GroupInheritance::ObjectKey(const GLOB_Object& object) {
    const GLOB_Impl* const impl = object.GetImpl();
    std::string key(reinterpret_cast<const char*>(&impl), sizeof impl);
    key.append(reinterpret_cast<const char*>(object.GetHandle().m_words), sizeof object.GetHandle().m_words);
    return key;
}
