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
    // whose stroke edge lets what lies below through: each white side is a
    // mark of its own, the fill's first, then what the ink paints.
    const uint32_t sides[] = {CSEP_InkState::FillFlag, CSEP_InkState::StrokeFlag};
    WriteToInks([](uint32_t) { return true; }, false, [&](uint32_t i) {
        const char* const own = PathKeywords[m_inkStacks[i].Flags()][column];
        bool whitened = false;
        for (uint32_t side : sides) {
            const char* const white = PathKeywords[BackdropSides(i) & side][column];
            if (!Paints(white))
                continue;
            OpenBackdropMark();
            WriteHeldPath();
            m_writer.WriteOperator(white);
            m_writer.WriteOperator("Q");
            whitened = true;
        }
        if (whitened && !Paints(own) && !m_heldPathClips)
            return;
        WriteHeldPath();
        m_writer.WriteOperator(own);
    });
    m_heldPath.clear();
    m_holdingPath = m_heldPathClips = false;
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

bool CSEP_ContentSeparator::ShowBackdropText(int32_t op) {
    using iCSEP_PaintTables::TextModes;
    const int32_t mode = Parser().GraphicsState().TextState().RenderMode();
    if (!m_insideGroup || mode < 0 || mode > 7)
        return false;
    // Per ink: the sides shown white, one show each, then the show of what
    // the ink paints or clips, with the mode in force.
    const uint32_t sides[] = {CSEP_InkState::FillFlag, CSEP_InkState::StrokeFlag};
    std::vector<std::vector<int32_t>> whites(NumInks());
    std::vector<bool> ownShow(NumInks());
    const GLOB_Object font = Parser().GraphicsState().Font();
    bool any = false;
    for (uint32_t i = 0; i < NumInks(); ++i) {
        for (uint32_t side : sides)
            if (TextModes[BackdropSides(i) & side][mode] != TextModes[0][mode])
                whites[i].push_back(TextModes[side][mode & 3]);
        ownShow[i] = TextModes[m_inkStacks[i].Flags()][mode] != 3;
        if (whites[i].size() + ownShow[i] > 1 && !CanShowTextAgain(font)) {
            // Shown once: white on both sides, or else as the ink paints.
            if (!ownShow[i])
                whites[i].assign(1, TextModes[BackdropSides(i)][mode]);
            else
                whites[i].clear();
        }
        any = any || !whites[i].empty();
    }
    if (!any)
        return false;
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
        if (whites[i].empty()) {
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
        // A text clip is applied where the drawing flushes its text: never
        // inside the q .. Q that follows, which would end it.
        if (m_textClipShown) {
            for (int32_t value : {1, 0, 0, 1, 0, 0})
                m_writer.WriteInteger(value);
            m_writer.WriteOperator("cm");
        }
        for (size_t k = 0; k < whites[i].size(); ++k) {
            OpenBackdropMark();
            m_writer.WriteInteger(whites[i][k]);
            m_writer.WriteOperator("Tr");
            show();
            m_writer.WriteOperator("Q");
            if (k + 1 == whites[i].size() && !ownShow[i])
                return;
            // The text position back where the show began: an invisible
            // show at the opposite horizontal scaling moves it as far back.
            m_writer.WriteOperator("q");
            m_writer.WriteReal(-100 * Parser().GraphicsState().TextState().HorizontalScaling());
            m_writer.WriteOperator("Tz");
            m_writer.WriteInteger(3);
            m_writer.WriteOperator("Tr");
            show();
            m_writer.WriteOperator("Q");
        }
        show();
    });
    return true;
}
