// Overprint inside isolated and knockout groups: the inks a mark leaves get
// it as a white mark under Multiply (CSEP_ContentSeparator.h).
#include "separation/CSEP_ContentSeparator.h"

#include "CPDF/content/CPDF_ContentOperator.h"
#include "separation/iCSEP_PaintTables.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using Op = CPDF_ContentOperator;

bool IsPathConstruction(int32_t op) {
    static const int32_t ops[] = {Op::Op_m, Op::Op_l,  Op::Op_c, Op::Op_v,
                                  Op::Op_y, Op::Op_h, Op::Op_re, Op::Op_W, Op::Op_WStar};
    return std::find(std::begin(ops), std::end(ops), op) != std::end(ops);
}

bool Paints(const char* keyword) { return std::strcmp(keyword, "n") != 0; }

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
    WriteToInks([](uint32_t) { return true; }, false, [&](uint32_t i) {
        const char* const white = iCSEP_PaintTables::PathKeywords[BackdropSides(i)][column];
        const char* const own = iCSEP_PaintTables::PathKeywords[m_inkStacks[i].Flags()][column];
        if (Paints(white)) {
            OpenBackdropMark();
            WriteHeldPath();
            m_writer.WriteOperator(white);
            m_writer.WriteOperator("Q");
            if (!Paints(own) && !m_heldPathClips)
                return;
        }
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
    const int32_t mode = Parser().GraphicsState().TextState().RenderMode();
    // A text clip shown inside q .. Q would end at Q.
    if (!m_insideGroup || mode < 0 || mode > 3)
        return false;
    std::vector<int32_t> white(NumInks(), 3);
    for (uint32_t i = 0; i < NumInks(); ++i)
        if (iCSEP_PaintTables::TextModes[m_inkStacks[i].Flags()][mode] == 3)
            white[i] = iCSEP_PaintTables::TextModes[BackdropSides(i)][mode];
    if (std::all_of(white.begin(), white.end(), [](int32_t m) { return m == 3; }))
        return false;
    const GLOB_OperandStack& operands = Parser().Operands();
    // Each ink shows the text once: the text position moves on.
    WriteToInks([](uint32_t) { return true; }, false, [&](uint32_t i) {
        if (white[i] == 3) {
            m_writer.WriteOperation(Parser().OperatorText(), operands);
            return;
        }
        // Spacing set by " outlives the Q, as in the other inks.
        const bool spaced = op == Op::Op_DoubleQuote && operands.Size() >= 3;
        if (spaced) {
            m_writer.WriteObject(operands.Operand(2));
            m_writer.WriteOperator("Tw");
            m_writer.WriteObject(operands.Operand(1));
            m_writer.WriteOperator("Tc");
        }
        OpenBackdropMark();
        m_writer.WriteInteger(white[i]);
        m_writer.WriteOperator("Tr");
        if (spaced) {
            m_writer.WriteObject(operands.Operand(0));
            m_writer.WriteOperator("'");
        } else {
            m_writer.WriteOperation(Parser().OperatorText(), operands);
        }
        m_writer.WriteOperator("Q");
    });
    return true;
}
