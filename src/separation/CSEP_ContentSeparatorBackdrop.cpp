// Overprint inside isolated and knockout groups: the inks a mark leaves get
// it as a white mark under Multiply (CSEP_ContentSeparator.h).
#include "separation/CSEP_ContentSeparator.h"

#include "CPDF/content/CPDF_ContentOperator.h"
#include "separation/iCSEP_PaintTables.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Op = CPDF_ContentOperator;

bool IsPathConstruction(int32_t op) {
    static const int32_t ops[] = {Op::Op_m, Op::Op_l,  Op::Op_c, Op::Op_v,
                                  Op::Op_y, Op::Op_h, Op::Op_re, Op::Op_W, Op::Op_WStar};
    return std::find(std::begin(ops), std::end(ops), op) != std::end(ops);
}

bool Paints(const char* keyword) { return std::strcmp(keyword, "n") != 0; }

// A text shown twice from one place: written horizontally, not Type 3.
bool CanShowTextAgain(const GLOB_Object& font) {
    // Vertical writing moves by a distance the scaling does not touch, and
    // the drawing paints some Type 3 glyphs whatever the mode.
    if (!font.IsDict())
        return false;
    const GLOB_Object subtype = font.DictGet(GLOB_Name("Subtype"));
    if (!subtype.IsName() || subtype.AsName() == "Type3")
        return false;
    if (!(subtype.AsName() == "Type0"))
        return true;
    const GLOB_Object encoding = font.DictGet(GLOB_Name("Encoding"));
    if (encoding.IsName()) {
        const std::string name = encoding.AsName().CStr() ? encoding.AsName().CStr() : "";
        return name.size() < 2 || name.compare(name.size() - 2, 2, "-V") != 0;
    }
    const GLOB_Object wmode = encoding.IsStream() ? encoding.DictGet(GLOB_Name("WMode")) : GLOB_Object();
    return encoding.IsStream() && !(wmode.IsInteger() && wmode.AsInteger() == 1);
}

// Operators after which the drawing applies the clip of the text shown
// before: those that change what it would paint that text with.
bool FlushesText(int32_t op, const GLOB_Object& extGState) {
    static const int32_t changing[] = {Op::Op_w, Op::Op_J, Op::Op_j, Op::Op_M, Op::Op_d, Op::Op_ri};
    if (std::find(std::begin(changing), std::end(changing), op) != std::end(changing))
        return true;
    if (op != Op::Op_gs || !extGState.IsDict())
        return false;
    static const char* const keys[] = {"LW", "LC", "LJ", "ML", "D", "RI", "SMask", "CA", "ca", "OP", "op", "OPM", "BM"};
    return std::any_of(std::begin(keys), std::end(keys),
                       [&](const char* key) { return extGState.Known(GLOB_Name(key)); });
}

}  // namespace

uint32_t CSEP_ContentSeparator::BackdropSides(uint32_t ink) const {
    return m_insideGroup ? m_inkStacks[ink].LeftFlags() : 0;
}

bool CSEP_ContentSeparator::AnyBackdropSides() const {
    for (uint32_t i = 0; i < NumInks(); ++i)
        if (BackdropSides(i) != 0)
            return true;
    return false;
}

void CSEP_ContentSeparator::OpenBackdropMark() {
    if (m_multiplyState.IsEmpty()) {
        // A name neither the content's resources nor the cache hold.
        const GLOB_Object names = m_resources.Dict().IsDict() ? m_resources.Category("ExtGState") : GLOB_Object();
        GLOB_Name name;
        do
            name = m_pResourceCache->NewName(CSEP_ResourceCache::ExtGStateCategory);
        while (m_pResourceCache->Find(CSEP_ResourceCache::ExtGStateCategory, name, nullptr) ||
               (names.IsDict() && names.Known(name)));
        const GLOB_Doc doc = m_job.Doc();
        const GLOB_Object multiply = doc.NewDict(1, false);
        multiply.DictPut(GLOB_Name("BM"), doc.NewName(GLOB_Name("Multiply")));
        m_pResourceCache->Put(CSEP_ResourceCache::ExtGStateCategory, name, CSEP_Resource(multiply));
        m_multiplyState = name;
    }
    m_writer.WriteOperator("q");
    m_writer.WriteName(m_multiplyState);
    m_writer.WriteOperator("gs");
}

bool CSEP_ContentSeparator::HoldPathOperation(int32_t op) {
    if (!IsPathConstruction(op)) {
        ReleasePath();
        return false;
    }
    // Colours cannot change inside a path: the sides left at its start hold.
    if (!m_holdingPath && !AnyBackdropSides())
        return false;
    m_holdingPath = true;
    m_heldPathClips = m_heldPathClips || op == Op::Op_W || op == Op::Op_WStar;
    const GLOB_OperandStack& operands = Parser().Operands();
    HeldOperation held{Parser().OperatorText(), {}};
    for (size_t i = operands.Size(); i-- > 0;)
        held.m_operands.push_back(operands.Operand(i));
    m_heldPath.push_back(std::move(held));
    return true;
}

void CSEP_ContentSeparator::WriteHeldPath() {
    for (const HeldOperation& held : m_heldPath) {
        for (const GLOB_Object& operand : held.m_operands)
            m_writer.WriteObject(operand);
        m_writer.WriteOperator(held.m_op.c_str());
    }
}

void CSEP_ContentSeparator::ReleasePath() {
    if (!m_holdingPath)
        return;
    WriteHeldPath();
    m_heldPath.clear();
    m_holdingPath = m_heldPathClips = false;
}

void CSEP_ContentSeparator::PaintHeldPath(int column) {
    using iCSEP_PaintTables::PathKeywords;
    // A fill and stroke under a blend mode is drawn through a knockout group
    // whose stroke edge lets what lies below through, so each side is a mark
    // of its own, in the operator's order (in a knockout group the stroke
    // replaces the fill). Only the last, outside q .. Q, applies the clip.
    WriteToInks([](uint32_t) { return true; }, false, [&](uint32_t i) {
        const std::vector<SideMark> marks = SideMarks(i, [&](uint32_t flags) {
            return Paints(PathKeywords[flags][column]);
        });
        if (std::none_of(marks.begin(), marks.end(), [](const SideMark& m) { return m.m_white; })) {
            WriteHeldPath();
            m_writer.WriteOperator(PathKeywords[m_inkStacks[i].Flags()][column]);
            return;
        }
        for (size_t k = 0; k < marks.size(); ++k) {
            const bool outside = k + 1 == marks.size() && !marks[k].m_white;
            if (marks[k].m_white)
                OpenBackdropMark();
            else if (!outside)
                m_writer.WriteOperator("q");
            WriteHeldPath();
            m_writer.WriteOperator(PathKeywords[marks[k].m_side][column]);
            if (outside)
                return;
            m_writer.WriteOperator("Q");
        }
        if (m_heldPathClips) {
            WriteHeldPath();
            m_writer.WriteOperator("n");
        }
    });
    m_heldPath.clear();
    m_holdingPath = m_heldPathClips = false;
}

std::vector<CSEP_ContentSeparator::SideMark> CSEP_ContentSeparator::SideMarks(
    uint32_t ink, const std::function<bool(uint32_t)>& paints) const {
    std::vector<SideMark> marks;
    for (uint32_t side : {CSEP_InkState::FillFlag, CSEP_InkState::StrokeFlag}) {
        if (paints(m_inkStacks[ink].Flags() & side))
            marks.push_back(SideMark{side, false});
        else if (paints(BackdropSides(ink) & side))
            marks.push_back(SideMark{side, true});
    }
    // Drawn as one knockout group, the mark covers the backdrop once.
    if (marks.size() == 2 && marks[0].m_white && marks[1].m_white && m_inkStates.back().KnocksOut())
        return {SideMark{CSEP_InkState::FillFlag | CSEP_InkState::StrokeFlag, true}};
    return marks;
}

void CSEP_ContentSeparator::PaintBackdropMarks(bool uniform, const std::function<void(uint32_t)>& mark) {
    if (!m_insideGroup)
        return;
    WriteToInks([&](uint32_t i) { return (BackdropSides(i) & CSEP_InkState::FillFlag) != 0; }, uniform,
                [&](uint32_t i) {
                    OpenBackdropMark();
                    mark(i);
                    m_writer.WriteOperator("Q");
                });
}

void CSEP_ContentSeparator::PaintBackdropImage(const GLOB_Name& name, bool drawnByName) {
    PaintBackdropMarks(true, [&](uint32_t) {
        if (drawnByName) {
            m_writer.WriteName(name);
            m_writer.WriteOperator("Do");
        } else {
            WriteWhiteUnitSquare();
        }
    });
}

void CSEP_ContentSeparator::WriteWhiteUnitSquare() {
    // The ink's own image is a blank form: the unit square is the shape.
    m_writer.WriteInteger(1);
    m_writer.WriteOperator("g");
    for (int32_t value : {0, 0, 1, 1})
        m_writer.WriteInteger(value);
    m_writer.WriteOperator("re");
    m_writer.WriteOperator("f");
}

std::vector<std::vector<CSEP_ContentSeparator::SideMark>> CSEP_ContentSeparator::BackdropTextMarks(int32_t mode) {
    using iCSEP_PaintTables::TextModes;
    if (!m_insideGroup || mode < 0 || mode > 7)
        return {};
    const GLOB_Object font = Parser().GraphicsState().Font();
    std::vector<std::vector<SideMark>> marks(NumInks());
    bool any = false;
    for (uint32_t i = 0; i < NumInks(); ++i) {
        marks[i] = SideMarks(i, [&](uint32_t flags) { return TextModes[flags][mode] != TextModes[0][mode]; });
        const auto white = [](const SideMark& m) { return m.m_white; };
        if (std::none_of(marks[i].begin(), marks[i].end(), white))
            marks[i].clear();
        else if (marks[i].size() > 1 && !CanShowTextAgain(font))
            // Shown once: white on both sides, or else as the ink paints.
            marks[i] = std::all_of(marks[i].begin(), marks[i].end(), white)
                           ? std::vector<SideMark>{SideMark{BackdropSides(i), true}}
                           : std::vector<SideMark>();
        any = any || !marks[i].empty();
    }
    if (!any)
        marks.clear();
    return marks;
}

void CSEP_ContentSeparator::ShowBackdropText(int32_t op, const std::vector<std::vector<SideMark>>& marks) {
    using iCSEP_PaintTables::TextModes;
    const int32_t mode = Parser().GraphicsState().TextState().RenderMode();
    // Per ink: one show per side, as for a path; between two shows an
    // invisible one at the opposite horizontal scaling takes the text
    // position back. The clip waits for ET (ReplayTextClip).
    const GLOB_OperandStack& operands = Parser().Operands();
    const bool spaced = op == Op::Op_DoubleQuote && operands.Size() >= 3;
    const bool nextLine = spaced || (op == Op::Op_Quote && operands.Size() >= 1);
    const auto show = [&] {
        if (!nextLine) {
            m_writer.WriteOperation(Parser().OperatorText(), operands);
            return;
        }
        m_writer.WriteObject(operands.Operand(0));
        m_writer.WriteOperator("Tj");
    };
    WriteToInks([](uint32_t) { return true; }, false, [&](uint32_t i) {
        if (marks[i].empty()) {
            m_writer.WriteOperation(Parser().OperatorText(), operands);
            return;
        }
        // The line moves and the spacing set by " outlive every show.
        if (spaced) {
            m_writer.WriteObject(operands.Operand(2));
            m_writer.WriteOperator("Tw");
            m_writer.WriteObject(operands.Operand(1));
            m_writer.WriteOperator("Tc");
        }
        if (nextLine)
            m_writer.WriteOperator("T*");
        for (size_t k = 0; k < marks[i].size(); ++k) {
            const SideMark& mark = marks[i][k];
            if (k + 1 == marks[i].size() && !mark.m_white) {
                show();  // with the ink's mode in force
                return;
            }
            if (mark.m_white)
                OpenBackdropMark();
            else
                m_writer.WriteOperator("q");
            m_writer.WriteInteger(TextModes[mark.m_side][mode] & 3);
            m_writer.WriteOperator("Tr");
            show();
            m_writer.WriteOperator("Q");
            if (k + 1 == marks[i].size())
                return;
            m_writer.WriteOperator("q");
            m_writer.WriteReal(-100 * Parser().GraphicsState().TextState().HorizontalScaling());
            m_writer.WriteOperator("Tz");
            m_writer.WriteInteger(3);
            m_writer.WriteOperator("Tr");
            show();
            m_writer.WriteOperator("Q");
        }
    });
}

void CSEP_ContentSeparator::BeginTextObject() {
    m_inTextObject = m_insideGroup;
    m_textClipAtEnd = m_textClipShown = false;
    m_textObject.clear();
    if (m_inTextObject)
        m_textStateAtBT = Parser().GraphicsState().TextState();
}

bool CSEP_ContentSeparator::RecordTextOperation(int32_t op, int32_t mode) {
    static const int32_t placing[] = {Op::Op_Td, Op::Op_TD, Op::Op_Tm, Op::Op_TStar, Op::Op_Tc,
                                      Op::Op_Tw, Op::Op_Tz, Op::Op_TL, Op::Op_Ts};
    if (!m_inTextObject)
        return false;
    if (FlushesText(op, op == Op::Op_gs ? ExtGStateSet() : GLOB_Object()))
        return RecordTextFlush();
    if (mode < 0 && std::find(std::begin(placing), std::end(placing), op) == std::end(placing))
        return false;
    const GLOB_OperandStack& operands = Parser().Operands();
    std::vector<GLOB_Object> held;
    for (size_t i = operands.Size(); i-- > 0;)
        held.push_back(operands.Operand(i));
    RecordText(Parser().OperatorText(), std::move(held), mode);
    // MuPDF draws a d0 glyph that takes a colour whatever the mode.
    const GLOB_Object font = Parser().GraphicsState().Font();
    if (mode >= 0 && font.IsDict() && font.HasSubtype("Type3")) {
        const CSEP_GroupInheritance::GlyphCodes& codes = m_groupInheritance.Codes(font, m_resources.Dict());
        m_textObject.back().m_paintsInAnyMode = codes.m_any != 0 || codes.m_inPlace;
    }
    return false;
}

void CSEP_ContentSeparator::RecordText(const char* op, std::vector<GLOB_Object> operands, int32_t mode) {
    if (m_inTextObject)
        m_textObject.push_back(HeldOperation{op, std::move(operands), mode, mode >= 0 && m_textClipAtEnd});
}

bool CSEP_ContentSeparator::RecordTextFlush() {
    if (!m_inTextObject || m_textObject.empty() || m_textObject.back().m_op.empty())
        return false;
    ApplyTextClip();
    m_textObject.push_back(HeldOperation());
    return true;
}

size_t CSEP_ContentSeparator::PendingTextRun() const {
    // The shows since the last flush, all in the mode of the last.
    size_t start = m_textObject.size();
    int32_t mode = -1;
    for (size_t i = m_textObject.size(); i-- > 0;) {
        const HeldOperation& held = m_textObject[i];
        if (held.m_op.empty() || (held.m_mode >= 0 && mode >= 0 && held.m_mode != mode))
            break;
        if (held.m_mode >= 0) {
            mode = held.m_mode;
            start = i;
        }
    }
    return start;
}

void CSEP_ContentSeparator::BeginTextShow(int32_t mode, bool white) {
    if (!m_inTextObject)
        return;
    const size_t run = PendingTextRun();
    const int32_t held = run < m_textObject.size() ? m_textObject[run].m_mode : -1;
    // The drawing applies what it holds where the mode changes.
    if (held >= 0 && held != mode)
        RecordTextFlush();
    if (!white || m_textClipAtEnd)
        return;
    m_textClipAtEnd = true;
    if (held < 4)
        return;
    // The inks hold that clip still, which the white show's q .. Q would
    // end: they apply it first, as the drawing does, or at ET with the rest
    // of its run.
    if (held != mode) {
        WriteTextFlush();
        return;
    }
    for (size_t i = run; i < m_textObject.size(); ++i)
        m_textObject[i].m_clipsAtEnd = m_textObject[i].m_mode >= 4;
    m_textClipShown = true;
}

void CSEP_ContentSeparator::WriteTextFlush() {
    m_writer.WriteReal(Parser().GraphicsState().LineWidth());
    m_writer.WriteOperator("w");
}

GLOB_Name CSEP_ContentSeparator::FontName(const GLOB_Object& font) {
    GLOB_Name name;
    // A coloured font goes by the name the inks were given for it.
    const CSEP_InkStreamState& glyphs = m_inkStates.back();
    if (!glyphs.m_glyphWritten.IsEmpty() && glyphs.m_glyphFont == font)
        name = glyphs.m_glyphWritten;
    const GLOB_Object fonts = m_resources.Dict().IsDict() ? m_resources.FontDict() : GLOB_Object();
    const uint32_t category = CSEP_ResourceCache::FontCategory;
    if (name.IsEmpty() && fonts.IsDict() && !TakesColours(font)) {
        const GLOB_Dict dict = fonts.AsDict();
        GLOB_Name key;
        for (uint32_t k = 0; name.IsEmpty() && dict.Entry(k, &key, nullptr); ++k)
            if (m_resources.Resource("Font", key) == font)
                name = key;
        if (!name.IsEmpty() && !m_pResourceCache->Find(category, name, nullptr))
            m_pResourceCache->Put(category, name, CSEP_Resource(font));
    }
    // Set by an ExtGState, or inherited: a name of its own.
    while (name.IsEmpty()) {
        name = m_pResourceCache->NewName(category);
        if (m_pResourceCache->Find(category, name, nullptr) || (fonts.IsDict() && fonts.Known(name)))
            name = GLOB_Name();
    }
    if (!m_pResourceCache->Find(category, name, nullptr))
        m_pResourceCache->Put(category, name, CSEP_Resource(font));
    return name;
}

void CSEP_ContentSeparator::WriteTextStateAtBT() {
    const CPDF_TextState now = Parser().GraphicsState().TextState();
    const CPDF_TextState& was = m_textStateAtBT;
    if (!(was.Font() == now.Font()) || was.FontSize() != now.FontSize()) {
        if (was.Font().IsDict()) {
            m_writer.WriteName(FontName(was.Font()));
            m_writer.WriteReal(was.FontSize());
            m_writer.WriteOperator("Tf");
        }
    }
    const struct {
        double was, now;
        const char* op;
    } values[] = {{was.CharSpacing(), now.CharSpacing(), "Tc"},
                  {was.WordSpacing(), now.WordSpacing(), "Tw"},
                  {100 * was.HorizontalScaling(), 100 * now.HorizontalScaling(), "Tz"},
                  {was.Leading(), now.Leading(), "TL"},
                  {was.Rise(), now.Rise(), "Ts"}};
    for (const auto& value : values) {
        if (value.was == value.now)
            continue;
        m_writer.WriteReal(value.was);
        m_writer.WriteOperator(value.op);
    }
}

void CSEP_ContentSeparator::ReplayTextClip() {
    ApplyTextClip();
    m_inTextObject = m_textClipAtEnd = false;
    m_textObject.clear();
}

void CSEP_ContentSeparator::ApplyTextClip() {
    if (!m_inTextObject || !m_textClipShown)
        return;
    m_textClipShown = false;
    // Its Tf operators name the font as the content set it, no copy.
    m_inkStates.back().ForgetGlyphFont();
    m_writer.WriteOperator("ET");
    m_writer.WriteOperator("BT");
    WriteTextStateAtBT();
    int32_t written = -1;
    for (HeldOperation& held : m_textObject) {
        if (held.m_op.empty())
            continue;
        // Shows before the first white one clipped as they stood, and those
        // whose clip was applied before.
        const int32_t mode = held.m_mode < 0 ? -1 : held.m_clipsAtEnd && held.m_mode >= 4 ? 7 : 3;
        held.m_clipsAtEnd = false;
        if (mode >= 0 && held.m_paintsInAnyMode) {
            // Its q would hold the clip shown before, which Q would end.
            if (written == 7)
                WriteTextFlush();
            WriteHiddenShow(held);
            continue;
        }
        if (mode >= 0 && mode != written) {
            m_writer.WriteInteger(mode);
            m_writer.WriteOperator("Tr");
            written = mode;
        }
        for (const GLOB_Object& operand : held.m_operands)
            m_writer.WriteObject(operand);
        m_writer.WriteOperator(held.m_op.c_str());
    }
    WriteTextFlush();
    WriteToInks([](uint32_t) { return true; }, false, [&](uint32_t i) {
        m_writer.WriteInteger(m_inkStacks[i].TextMode());
        m_writer.WriteOperator("Tr");
    });
}

void CSEP_ContentSeparator::WriteHiddenShow(const HeldOperation& held) {
    // The line moves and the spacing set by " outlive the q .. Q.
    const bool spaced = held.m_op == "\"" && held.m_operands.size() >= 3;
    const bool nextLine = spaced || (held.m_op == "'" && !held.m_operands.empty());
    if (spaced) {
        m_writer.WriteObject(held.m_operands[0]);
        m_writer.WriteOperator("Tw");
        m_writer.WriteObject(held.m_operands[1]);
        m_writer.WriteOperator("Tc");
    }
    if (nextLine)
        m_writer.WriteOperator("T*");
    m_writer.WriteOperator("q");
    for (int32_t value : {0, 0, 0, 0})
        m_writer.WriteInteger(value);
    m_writer.WriteOperator("re");
    m_writer.WriteOperator("W");
    m_writer.WriteOperator("n");
    if (nextLine) {
        m_writer.WriteObject(held.m_operands.back());
        m_writer.WriteOperator("Tj");
    } else {
        for (const GLOB_Object& operand : held.m_operands)
            m_writer.WriteObject(operand);
        m_writer.WriteOperator(held.m_op.c_str());
    }
    m_writer.WriteOperator("Q");
}
