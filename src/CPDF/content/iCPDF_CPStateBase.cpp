#include "CPDF/content/iCPDF_CPStateBase.h"

#include "CPDF/content/CPDF_ContentParser.h"
#include "CPDF/content/iCPDF_CPImageState.h"
#include "CPDF/content/iCPDF_CPPageState.h"
#include "CPDF/content/iCPDF_CPPathState.h"
#include "CPDF/content/iCPDF_CPTextState.h"
#include "GLIB/GLIB_Log.h"

#include <ostream>
#include <sstream>

namespace {

struct States {
    iCPDF_CPPageState m_page;
    iCPDF_CPImageState m_image;
    iCPDF_CPTextState m_text;
    iCPDF_CPNullTextState m_nullText;
    iCPDF_CPPathState m_path;
    iCPDF_CPNullPathState m_nullPath;
};

const States& TheStates() {
    static const States states;
    return states;
}

uint32_t s_selection = iCPDF_CPStateBase::SelectPathState | iCPDF_CPStateBase::SelectTextState;

using Handler = bool (iCPDF_CPStateBase::*)(CPDF_ContentParser&) const;

#define iCPDF_CP_SLOT(code, text, id, legal) &iCPDF_CPStateBase::Op_##id,
const Handler Handlers[CPDF_ContentOperator::NumCodes] = {CPDF_CONTENT_OPERATORS(iCPDF_CP_SLOT)};
#undef iCPDF_CP_SLOT

}  // namespace

iCPDF_CPStateBase::~iCPDF_CPStateBase() = default;

#define iCPDF_CP_DEFAULT(code, text, id, legal)                                       \
    bool iCPDF_CPStateBase::Op_##id(CPDF_ContentParser& parser) const {               \
        return Default(parser, CPDF_ContentOperator::Op_##id);                        \
    }
CPDF_CONTENT_OPERATORS(iCPDF_CP_DEFAULT)
#undef iCPDF_CP_DEFAULT

bool iCPDF_CPStateBase::Default(CPDF_ContentParser& parser, int32_t code) const {
    switch (code) {
    case CPDF_ContentOperator::Op_BX:
        parser.BeginCompatibility();
        return true;
    case CPDF_ContentOperator::Op_EX:
        return parser.EndCompatibility() || parser.Fail("EX encountered with no corrsponding BX");
    case CPDF_ContentOperator::Op_DumpGS:
        parser.GraphicsState().Dump();
        return true;
    case CPDF_ContentOperator::Op_Print:
        if (!HasOperands(parser, 1))
            return false;
        {
            GLIB_MessageStream ms;
            parser.Operands().Top().Print(ms.Stream());
            ms.Log(GLIB_LogInfo, __FILE__, __LINE__);
        }
        return true;
    default:
        return ReportIllegal(parser, CPDF_ContentOperator::Declared[code].m_legalStates);
    }
}

bool iCPDF_CPStateBase::UnknownOperator(CPDF_ContentParser& parser) const {
    if (parser.BXDepth() > 0)
        return true;
    parser.MessageStream().str("");
    parser.MessageStream() << "Unknown operator encountered: " << parser.OperatorText();
    return false;
}

bool iCPDF_CPStateBase::Dispatch(const iCPDF_CPStateBase& state, int32_t code, CPDF_ContentParser& parser) {
    if (static_cast<uint32_t>(code) >= static_cast<uint32_t>(CPDF_ContentOperator::NumCodes))
        return state.UnknownOperator(parser);
    return (state.*Handlers[code])(parser);
}

bool iCPDF_CPStateBase::ReportIllegal(CPDF_ContentParser& parser, uint32_t legalStates) const {
    std::ostream& os = parser.MessageStream();
    parser.MessageStream().str("");
    os << parser.OperatorText() << " is illegal within a " << StateName();
    const char* separator = ", operator must occur within: ";
    for (uint32_t bit = 1; bit <= CPDF_ContentOperator::InImage; bit <<= 1) {
        if (legalStates & bit) {
            os << separator << StateNameOf(bit);
            separator = ", ";
        }
    }
    os << ".";
    return false;
}

bool iCPDF_CPStateBase::ReportOperandCount(CPDF_ContentParser& parser, size_t expected) {
    parser.MessageStream().str("");
    parser.MessageStream() << parser.OperatorText() << " is expecting " << expected << " operands. Found "
                           << parser.Operands().Size() << ": ";
    parser.Operands().Print(parser.MessageStream());
    return false;
}

bool iCPDF_CPStateBase::ReportOperandKinds(CPDF_ContentParser& parser, const char* phrase) {
    parser.MessageStream().str("");
    parser.MessageStream() << parser.OperatorText() << phrase;
    parser.Operands().Print(parser.MessageStream());
    return false;
}

const char* iCPDF_CPStateBase::StateNameOf(uint32_t bit) {
    switch (bit) {
    case CPDF_ContentOperator::InPage: return "Page Description";
    case CPDF_ContentOperator::InText: return "Text Object";
    case CPDF_ContentOperator::InPath: return "Path Object";
    case CPDF_ContentOperator::InImage: return "Inline Image Object";
    default: return "?";
    }
}

const iCPDF_CPStateBase& iCPDF_CPStateBase::PageState() { return TheStates().m_page; }

const iCPDF_CPStateBase& iCPDF_CPStateBase::ImageState() { return TheStates().m_image; }

const iCPDF_CPStateBase& iCPDF_CPStateBase::TextObjectState() {
    if (s_selection & SelectTextState)
        return TheStates().m_text;
    return TheStates().m_nullText;
}

const iCPDF_CPStateBase& iCPDF_CPStateBase::PathObjectState() {
    if (s_selection & SelectPathState)
        return TheStates().m_path;
    return TheStates().m_nullPath;
}

void iCPDF_CPStateBase::SelectStates(uint32_t flags) { s_selection = flags; }

bool iCPDF_CPStateBase::HasOperands(CPDF_ContentParser& parser, size_t n) {
    return parser.Operands().Size() >= n || ReportOperandCount(parser, n);
}

bool iCPDF_CPStateBase::AreNumbers(const CPDF_ContentParser& parser, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (!parser.Operands().Operand(i).IsNumber())
            return false;
    return true;
}

double iCPDF_CPStateBase::Number(const CPDF_ContentParser& parser, size_t i) {
    return parser.Operands().Operand(i).AsNumber();
}

bool iCPDF_CPStateBase::HasNumbers(CPDF_ContentParser& parser, size_t n) {
    if (!HasOperands(parser, n))
        return false;
    if (AreNumbers(parser, n))
        return true;
    std::ostringstream phrase;
    phrase << " operator requires " << n << " numeric operands. Found: ";
    return ReportOperandKinds(parser, phrase.str().c_str());
}

GLIB_Matrix iCPDF_CPStateBase::MatrixOperand(const CPDF_ContentParser& parser) {
    return GLIB_Matrix(Number(parser, 5), Number(parser, 4), Number(parser, 3), Number(parser, 2), Number(parser, 1),
                       Number(parser, 0));
}

bool iCPDF_CPStateBase::NumberOperand(CPDF_ContentParser& parser, double& value) {
    if (!HasOperands(parser, 1))
        return false;
    if (!AreNumbers(parser, 1))
        return ReportOperandKinds(parser, " operator requires a number operand. Found: ");
    value = Number(parser, 0);
    return true;
}

bool iCPDF_CPStateBase::IntegerOperand(CPDF_ContentParser& parser, int32_t& value) {
    if (!HasOperands(parser, 1))
        return false;
    const GLOB_Object operand = parser.Operands().Operand(0);
    if (!operand.IsInteger())
        return ReportOperandKinds(parser, " operator requires an integer operand. Found: ");
    value = operand.AsInteger();
    return true;
}

bool iCPDF_CPStateBase::NameOperand(CPDF_ContentParser& parser, GLOB_Name& name) {
    if (!HasOperands(parser, 1))
        return false;
    const GLOB_Object operand = parser.Operands().Operand(0);
    if (!operand.IsName())
        return ReportOperandKinds(parser, " operator requires a name operand. Found: ");
    name = operand.AsName();
    return true;
}
