#include "CPDF/function/CPDF_PSCalculator.h"

#include "CPDF/function/CPDF_PSOperator.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_MessageStream.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

namespace {

std::string NameText(const GLOB_Object& name) {
    std::ostringstream os;
    name.AsName().Print(os);
    return os.str();
}

std::string Printed(const GLOB_Object& object) {
    std::ostringstream os;
    object.Print(os);
    return os.str();
}

bool IsNameOf(const GLOB_Object& object, const char* text) { return object.IsName() && object.AsName() == text; }

// A procedure's length as Parse left it behind the procedure's array.
int32_t LengthAt(const GLOB_Object& body, uint32_t index) {
    const GLOB_Object length = body.Get(index);
    GLIB_ASSERT(length.IsInteger() && length.AsInteger() >= 0);
    return length.AsInteger();
}

}  // namespace

CPDF_PSCalculator::Code CPDF_PSCalculator::Code::Boolean(bool value) {
    Code code = Blank(KindBoolean);
    code.m_boolean = value ? 1 : 0;
    return code;
}

CPDF_PSCalculator::Code CPDF_PSCalculator::Code::Integer(int32_t value) {
    Code code = Blank(KindInteger);
    code.m_integer = value;
    return code;
}

CPDF_PSCalculator::Code CPDF_PSCalculator::Code::Real(double value) {
    Code code = Blank(KindReal);
    code.m_real = value;
    return code;
}

CPDF_PSCalculator::Code CPDF_PSCalculator::Code::Operator(int32_t op) {
    Code code = Blank(KindOperator);
    code.m_op = op;
    return code;
}

CPDF_PSCalculator::Code CPDF_PSCalculator::Code::Blank(Kind kind) {
    Code code;
    code.m_kind = kind;
    // No byte of the union is left unset.
    code.m_real = 0.0;
    return code;
}

CPDF_PSCalculator::CPDF_PSCalculator() { CPDF_PSOperatorTable::Initialize(); }

CPDF_PSCalculator::CPDF_PSCalculator(const GLOB_Stream& program) : CPDF_PSCalculator() { Load(program); }

CPDF_PSCalculator::~CPDF_PSCalculator() = default;

bool CPDF_PSCalculator::Load(const GLOB_Stream& program) {
    m_error = false;
    m_errorMessage.clear();
    m_lexer.SetStream(program);
    const GLOB_Object procedure = Parse();
    if (!m_error)
        Compile(procedure);
    m_compileStack.PopAll();
    m_lexer.Reset();
    return !m_error;
}

GLOB_Object CPDF_PSCalculator::Parse() {
    m_compileStack.PopAll();
    const GLOB_Doc& doc = m_compileStack.Doc();
    // Counts the codes Compile will emit, so that each procedure's length
    // is known when its closing brace is read.
    int64_t counter = 0;
    int32_t depth = 0;
    for (GLOB_StreamLexer::Token token = m_lexer.NextToken(); token != GLOB_StreamLexer::TokenEndOfData;
         token = m_lexer.NextToken()) {
        ++counter;
        switch (token) {
        case GLOB_StreamLexer::TokenError:
            SetError("Error parsing token: " + m_lexer.ErrorMessage());
            return GLOB_Object();
        case GLOB_StreamLexer::TokenNull:
        case GLOB_StreamLexer::TokenString:
        case GLOB_StreamLexer::TokenArrayBegin:
        case GLOB_StreamLexer::TokenArrayEnd:
        case GLOB_StreamLexer::TokenDictBegin:
        case GLOB_StreamLexer::TokenDictEnd:
            SetError("Unexpected token: " + m_lexer.TokenText().AsStdString());
            return GLOB_Object();
        case GLOB_StreamLexer::TokenBoolean:
            m_compileStack.Push(doc.NewBoolean(m_lexer.BooleanValue()));
            break;
        case GLOB_StreamLexer::TokenInteger: {
            // PostScript reads an integer beyond 32 bits as a real; the
            // lexer clamps it for content streams.
            const double value = GLOB_StreamLexer::ParseFixed(m_lexer.TokenText().AsStdString().c_str());
            if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
                m_compileStack.Push(doc.NewReal(value));
            else
                m_compileStack.Push(doc.NewInteger(m_lexer.IntegerValue()));
            break;
        }
        case GLOB_StreamLexer::TokenFixed:
            m_compileStack.Push(doc.NewReal(m_lexer.FixedValue()));
            break;
        case GLOB_StreamLexer::TokenSymbol: {
            const char* symbol = m_lexer.SymbolValue();
            if (std::strcmp(symbol, "{") == 0) {
                if (!OpenProcedure(counter, depth))
                    return GLOB_Object();
                break;
            }
            if (std::strcmp(symbol, "}") == 0) {
                if (!CloseProcedure(counter, depth))
                    return GLOB_Object();
                break;
            }
            if (std::strcmp(symbol, "if") == 0 || std::strcmp(symbol, "ifelse") == 0)
                --counter;
            m_compileStack.Push(doc.NewName(GLOB_Name(symbol)));
            break;
        }
        case GLOB_StreamLexer::TokenComment:
            // A skipped comment emits no code: counting it would shift every
            // jump behind it.
            if (m_debug) {
                --counter;
                break;
            }
            SetError("Unknown token type encountered");
            return GLOB_Object();
        default:
            SetError("Unknown token type encountered");
            return GLOB_Object();
        }
    }
    if (m_compileStack.Size() != 2 || !m_compileStack.Operand(1).IsArray() || !m_compileStack.Operand(0).IsInteger()) {
        SetError("Procedure is missing surrounding braces, or has mismatched braces");
        return GLOB_Object();
    }
    return m_compileStack.Operand(1);
}

bool CPDF_PSCalculator::OpenProcedure(int64_t& counter, int32_t& depth) {
    if (++depth > MaxProcedureNesting) {
        SetError("Procedures nested more than " + std::to_string(MaxProcedureNesting) + " deep");
        return false;
    }
    const GLOB_Doc& doc = m_compileStack.Doc();
    // The second body of an ifelse: the first one's jump must also pass the
    // integer and velm_jump placed between the two.
    if (m_compileStack.Size() > 1 && m_compileStack.Operand(1).IsArray()) {
        const GLOB_Object oldCount = m_compileStack.Top();
        GLIB_ASSERT(oldCount.IsInteger());
        m_compileStack.Pop(1);
        m_compileStack.Push(doc.NewInteger(oldCount.AsInteger() + 2));
    }
    ++counter;
    m_compileStack.Push(doc.NewInteger(static_cast<int32_t>(counter)));
    m_compileStack.Push(doc.NewMark());
    return true;
}

bool CPDF_PSCalculator::CloseProcedure(int64_t& counter, int32_t& depth) {
    --counter;
    try {
        m_compileStack.MakeArray(false);
    } catch (const GLIB_Exception& e) {
        if (e.Code() != GLOB_MissingOpenCode)
            throw;
        SetError("Procedure missing opening {");
        return false;
    }
    const GLOB_Object procedure = m_compileStack.Top();
    m_compileStack.Pop(1);
    const GLOB_Object start = m_compileStack.Size() > 0 ? m_compileStack.Top() : GLOB_Object();
    if (!start.IsInteger() || start.AsInteger() < 0) {
        SetError("Internal stack corrupted: expected procedure length.");
        return false;
    }
    m_compileStack.Pop(1);
    m_compileStack.Push(procedure);
    m_compileStack.Push(m_compileStack.Doc().NewInteger(static_cast<int32_t>(counter - start.AsInteger())));
    --depth;
    return true;
}

bool CPDF_PSCalculator::Compile(const GLOB_Object& procedure) {
    const uint32_t n = procedure.Length();
    for (uint32_t i = 0; i < n && !m_error; ++i) {
        const GLOB_Object element = procedure.Get(i);
        switch (element.Type()) {
        case GLOB_Object::KindBoolean:
            m_program.push_back(Code::Boolean(element.AsBoolean()));
            break;
        case GLOB_Object::KindInteger:
            m_program.push_back(Code::Integer(element.AsInteger()));
            break;
        case GLOB_Object::KindReal:
            m_program.push_back(Code::Real(element.AsReal()));
            break;
        case GLOB_Object::KindName: {
            const std::string name = NameText(element);
            const int32_t op = CPDF_PSOperatorTable::Find(name.c_str());
            switch (op) {
            case -1:
                SetError("Unknown token encountered: " + name);
                break;
            case CPDF_PSOperator::If:
            case CPDF_PSOperator::IfElse:
            case CPDF_PSOperator::OpenBrace:
            case CPDF_PSOperator::CloseBrace:
            case CPDF_PSOperator::VelmJump:
            case CPDF_PSOperator::VelmJumpFalse:
                SetError(std::string("Internal error parsing (illegal token encountered): ") +
                         CPDF_PSOperatorTable::Name(op));
                break;
            case CPDF_PSOperator::Print:
            case CPDF_PSOperator::Stop:
                if (!m_debug) {
                    SetError(std::string("Operator allowed only in debug mode: ") + CPDF_PSOperatorTable::Name(op));
                    break;
                }
                m_program.push_back(Code::Operator(op));
                break;
            default:
                m_program.push_back(Code::Operator(op));
                break;
            }
            break;
        }
        case GLOB_Object::KindArray:
            CompileConditional(procedure, i);
            break;
        default:
            GLIB_AssertFailed("Invalid token type on compile stack", __FILE__, __LINE__);
            return false;
        }
    }
    return !m_error;
}

bool CPDF_PSCalculator::CompileConditional(const GLOB_Object& body, uint32_t& i) {
    const uint32_t n = body.Length();
    if (i + 1 >= n) {
        SetError("Procedure found without if/ifelse");
        return false;
    }
    m_program.push_back(Code::Integer(LengthAt(body, i + 1)));
    m_program.push_back(Code::Operator(CPDF_PSOperator::VelmJumpFalse));
    if (!Compile(body.Get(i)))
        return false;
    if (i + 2 >= n) {
        SetError("Procedure found without if/ifelse");
        return false;
    }
    const GLOB_Object next = body.Get(i + 2);
    if (next.IsName()) {
        if (!IsNameOf(next, "if")) {
            SetError("Expected 'if', found:" + NameText(next));
            return false;
        }
        i += 2;
        return true;
    }
    if (!next.IsArray()) {
        SetError("Expected 'if' or procedure, found : " + Printed(next));
        return false;
    }
    if (i + 4 >= n) {
        SetError("Procedure pair found without ifelse");
        return false;
    }
    // An empty else-branch is legal PostScript: its length is 0.
    m_program.push_back(Code::Integer(LengthAt(body, i + 3)));
    m_program.push_back(Code::Operator(CPDF_PSOperator::VelmJump));
    const GLOB_Object after = body.Get(i + 4);
    if (!IsNameOf(after, "ifelse")) {
        SetError("Expected 'ifelse', found : " + (after.IsName() ? NameText(after) : Printed(after)));
        return false;
    }
    if (!Compile(next))
        return false;
    i += 4;
    return true;
}

void CPDF_PSCalculator::SetError(const std::string& message) {
    GLIB_LOG(GLIB_LogError, message);
    m_compileStack.Log();
    m_error = true;
    m_errorMessage = message;
}

void CPDF_PSCalculator::DumpCode(const Code& code) {
    GLIB_MessageStream ms;
    switch (code.m_kind) {
    case Code::KindBoolean:
        ms << "Code: boolean  " << (code.m_boolean ? "true" : "false");
        break;
    case Code::KindInteger:
        ms << "Code: integer  " << code.m_integer;
        break;
    case Code::KindReal:
        ms << "Code: fixed    " << code.m_real;
        break;
    case Code::KindOperator: {
        const char* name = CPDF_PSOperatorTable::Name(code.m_op);
        ms << "Code: operator ";
        if (name)
            ms << name;
        else
            ms << code.m_op;
        break;
    }
    default:
        ms << "Code: unknown byte code ";
        break;
    }
    ms.Log(GLIB_LogInfo, __FILE__, __LINE__);
}

bool CPDF_PSCalculator::IsEqual(const CPDF_PSCalculator& other) const {
    if (m_program.size() != other.m_program.size())
        return false;
    for (size_t i = 0; i < m_program.size(); ++i) {
        const Code& a = m_program[i];
        const Code& b = other.m_program[i];
        if (a.m_kind != b.m_kind)
            return false;
        bool same = false;
        switch (a.m_kind) {
        case Code::KindBoolean:
            same = a.m_boolean == b.m_boolean;
            break;
        case Code::KindInteger:
            same = a.m_integer == b.m_integer;
            break;
        case Code::KindReal:
            same = std::fabs(a.m_real - b.m_real) <= 1e-6;
            break;
        default:
            same = a.m_op == b.m_op;
            break;
        }
        if (!same)
            return false;
    }
    return true;
}
