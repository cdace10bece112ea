#include "separation/CSEP_ContentColorMapper.h"

#include "COMN_LossRecord.h"
#include "CPDF/content/CPDF_ContentOperator.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "separation/CSEP_LeadMessage.h"

#include <cctype>
#include <string>

namespace {

using Op = CPDF_ContentOperator;

// The second operator of each fill/stroke pair is the upper-case one.
bool IsStroke(int32_t op) { return std::isupper(static_cast<unsigned char>(CPDF_ContentOperatorTable::Name(op)[0])); }

std::string Text(const GLOB_Name& name) { return name.IsEmpty() ? std::string() : std::string(name.CStr()); }

// Runs step; a failure's message is led by the construct it failed on, so
// that the reason names what on the page cannot be separated. A cancel
// passes unchanged.
template <class Step>
void Within(const std::string& construct, Step step) {
    try {
        step();
    } catch (GLIB_Exception& e) {
        CSEP_LeadMessage(e, construct);
        throw;
    }
}

// The parser's message without the operand listing it may end with: the
// listing is for the log, not for the reason a user reads.
std::string WithoutOperandListing(const std::string& message) {
    const size_t listing = message.find(". Stack: ");
    return listing == std::string::npos ? message : message.substr(0, listing);
}

}  // namespace

CSEP_ContentColorMapper::~CSEP_ContentColorMapper() = default;

CSEP_ContentColorMapper::Handler CSEP_ContentColorMapper::HandlerOf(int32_t op) {
    using M = CSEP_ContentColorMapper;
    static const struct Table {
        Handler m_handlers[Op::NumCodes];
        Table() {
            for (Handler& handler : m_handlers)
                handler = &M::PassThrough;
            for (int32_t code : {Op::Op_g, Op::Op_G, Op::Op_rg, Op::Op_RG, Op::Op_k, Op::Op_K})
                m_handlers[code] = &M::OnDeviceColor;
            for (int32_t code : {Op::Op_b, Op::Op_B, Op::Op_bStar, Op::Op_BStar, Op::Op_f, Op::Op_F, Op::Op_fStar,
                                 Op::Op_n, Op::Op_s, Op::Op_S})
                m_handlers[code] = &M::PaintPath;
            for (int32_t code : {Op::Op_Tj, Op::Op_TJ, Op::Op_Quote, Op::Op_DoubleQuote})
                m_handlers[code] = &M::ShowText;
            m_handlers[Op::Op_cs] = m_handlers[Op::Op_CS] = &M::OnColorSpace;
            m_handlers[Op::Op_sc] = m_handlers[Op::Op_SC] = &M::OnColor;
            m_handlers[Op::Op_scn] = m_handlers[Op::Op_SCN] = &M::OnColorN;
            m_handlers[Op::Op_sh] = &M::OnShading;
            m_handlers[Op::Op_Do] = &M::OnXObject;
            m_handlers[Op::Op_ID] = &M::OnInlineImage;
            m_handlers[Op::Op_BI] = m_handlers[Op::Op_EI] = &M::OnNothing;
        }
    } table;
    return op >= 0 && op < Op::NumCodes ? table.m_handlers[op] : &M::PassThrough;
}

bool CSEP_ContentColorMapper::ProcessStream(GLOB_Stream stream, const CPDF_ResourcesDict& resources,
                                            const CPDF_GraphicsState& initialState) {
    try {
        Walk(stream, resources, initialState);
        if (m_parser.IsStopped())
            throw GLIB_Exception(ParseErrorCode, m_parser.ErrorMessage(), __FILE__, __LINE__);
    } catch (GLIB_Exception& e) {
        GLIB_LOG(GLIB_LogDebug, "Exception processing stream: " << e.Description().substr(0, 512));
        e.SetMessage(WithoutOperandListing(e.What()));
        throw;
    }
    return true;
}

void CSEP_ContentColorMapper::Walk(const GLOB_Stream& stream, const CPDF_ResourcesDict& resources,
                                   const CPDF_GraphicsState& initialState) {
    m_accumStack.Reset();
    m_parser.Start(stream, resources.Dict(), initialState);
    m_atStreamStart = true;
    BeginStream();
    SetColorSpace(initialState.FillColorSpace(), false);
    SetColor(initialState.FillColor(), false);
    SetColorSpace(initialState.StrokeColorSpace(), true);
    SetColor(initialState.StrokeColor(), true);
    m_atStreamStart = false;
    uint32_t work = 0;
    while (m_parser.Step()) {
        const int32_t op = CPDF_ContentOperatorTable::Find(m_parser.OperatorText());
        (this->*HandlerOf(op))(op);
        // An inline image makes an object and reads its data: many
        // operators' worth.
        work += op == Op::Op_ID ? InlineImageWork : 1;
        if (work >= WorkBetweenPolls) {
            work = 0;
            Poll();
        }
    }
    // The content written is what the parser read: what it read past is
    // heard by no drawing.
    if (const char* dropped = m_parser.Dropped())
        GLIB_LOG(GLIB_LogWarning, COMN_LOSS_LEAD << dropped);
}

void CSEP_ContentColorMapper::OnDeviceColor(int32_t op) {
    const bool stroke = IsStroke(op);
    Within(std::string("operator ") + CPDF_ContentOperatorTable::Name(op), [&] {
        switch (op) {
        case Op::Op_g:
        case Op::Op_G:
            SetColorSpace(CPDF_ColorSpace::MakeDeviceGray(), stroke);
            break;
        case Op::Op_rg:
        case Op::Op_RG:
            SetColorSpace(CPDF_ColorSpace::MakeDeviceRGB(), stroke);
            break;
        default:
            SetColorSpace(CPDF_ColorSpace::MakeDeviceCMYK(), stroke);
            break;
        }
        OnColor(op);
    });
}

void CSEP_ContentColorMapper::OnColorSpace(int32_t op) {
    const bool stroke = IsStroke(op);
    const CPDF_GraphicsState state = m_parser.GraphicsState();
    const CPDF_ColorSpace space = stroke ? state.StrokeColorSpace() : state.FillColorSpace();
    Within(OperatorConstruct(), [&] {
        SetColorSpace(space, stroke);
        if (space.Type() != CPDF_ColorSpace::Pattern)
            SetColor(stroke ? state.StrokeColor() : state.FillColor(), stroke);
    });
}

void CSEP_ContentColorMapper::OnColor(int32_t op) {
    const bool stroke = IsStroke(op);
    const CPDF_GraphicsState state = m_parser.GraphicsState();
    SetColor(stroke ? state.StrokeColor() : state.FillColor(), stroke);
}

void CSEP_ContentColorMapper::OnColorN(int32_t op) {
    const bool stroke = IsStroke(op);
    const CPDF_GraphicsState state = m_parser.GraphicsState();
    if ((stroke ? state.StrokeColorSpace() : state.FillColorSpace()).Type() != CPDF_ColorSpace::Pattern) {
        OnColor(op);
        return;
    }
    const GLOB_Name name = NameOperand(op);
    const GLOB_Object pattern = Resource("Pattern", name);
    if (!pattern.IsStream() && !pattern.IsDict()) {
        GLIB_LOG(GLIB_LogWarning, "Skipping invalid pattern " << Text(name));
        return;
    }
    SetPatternColor(name, pattern, stroke);
}

void CSEP_ContentColorMapper::OnShading(int32_t op) {
    const GLOB_Name name = NameOperand(op);
    DoShading(name, Resource("Shading", name));
}

void CSEP_ContentColorMapper::OnXObject(int32_t op) {
    const GLOB_Name name = NameOperand(op);
    const GLOB_Object xobject = Resource("XObject", name);
    if (!xobject.IsStream())
        GLIB_LOG(GLIB_LogWarning, "Skipping missing XObject " << Text(name));
    else if (xobject.HasSubtype("Image"))
        Within("image /" + Text(name), [&] { DoImage(name, xobject); });
    else if (xobject.HasSubtype("Form"))
        DoForm(name, xobject);
    else
        GLIB_LOG(GLIB_LogWarning, "Unknown XObject skipped: " << Text(name));
}

void CSEP_ContentColorMapper::OnInlineImage(int32_t) { DoInlineImage(m_parser.InlineImage()); }

std::string CSEP_ContentColorMapper::OperatorConstruct() {
    const char* const text = m_parser.OperatorText();
    const std::string op = text ? text : "";
    const GLOB_OperandStack& operands = m_parser.Operands();
    if ((op == "cs" || op == "CS") && operands.Size() > 0 && operands.Top().IsName())
        return "colour space /" + Text(operands.Top().AsName());
    return "operator " + op;
}

GLOB_Name CSEP_ContentColorMapper::NameOperand(int32_t op) {
    const GLOB_OperandStack& operands = m_parser.Operands();
    const GLOB_Object top = operands.Size() > 0 ? operands.Top() : GLOB_Object();
    if (!top.IsName())
        GLIB_THROW(GLIB_Exception, ParseErrorCode,
                   CPDF_ContentOperatorTable::Name(op) << " expects a name operand, found "
                                                       << (operands.Size() > 0 ? GLOB_Object::TypeString(top.Type())
                                                                               : "none"));
    return top.AsName();
}

GLOB_Object CSEP_ContentColorMapper::Resource(const char* category, const GLOB_Name& name) const {
    const CPDF_ResourcesDict& resources = m_parser.Resources();
    return resources.Dict().IsDict() ? resources.Resource(category, name) : GLOB_Object();
}
