#include "GLOB/GLOB_OperatorParser.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_DepthGuard.h"
#include "GLOB/GLOB_Name.h"

GLOB_OperatorParser::GLOB_OperatorParser() = default;

GLOB_OperatorParser::GLOB_OperatorParser(const GLOB_Doc& doc) : m_operands(doc) {}

GLOB_OperatorParser::GLOB_OperatorParser(const GLOB_Stream& stream, const GLOB_Doc& doc) : m_operands(doc) {
    SetStream(stream);
}

GLOB_OperatorParser::~GLOB_OperatorParser() = default;

void GLOB_OperatorParser::SetStream(const GLOB_Stream& stream) {
    m_ourResetCalled = false;
    Reset();
    GLIB_ASSERT(m_ourResetCalled);
    m_lexer.SetStream(stream);
}

void GLOB_OperatorParser::Reset() {
    m_endOfData = false;
    m_stopped = false;
    m_postProcess = false;
    m_dropped = nullptr;
    m_operands.PopAll();
    m_open.clear();
    m_ourResetCalled = true;
}

bool GLOB_OperatorParser::OpenBracket(char bracket) {
    if (!GLOB_DepthGuard::Admits(m_open.size() + 1)) {
        m_message.str("");
        m_message << "Arrays and dictionaries nested deeper than " << GLOB_Object::MaxNesting << " levels";
        return false;
    }
    m_operands.Push(m_operands.Doc().NewMark());
    m_open.push_back(bracket);
    return true;
}

bool GLOB_OperatorParser::CloseBracket(char bracket) {
    if (!m_open.empty() && m_open.back() != bracket) {
        m_message.str("");
        m_message << (bracket == '[' ? "Array end ] does not match opening <<"
                                     : "Dictionary end >> does not match opening [");
        return false;
    }
    try {
        if (bracket == '[')
            m_operands.MakeArray(false);
        else
            m_operands.MakeDict(false);
    } catch (const GLIB_Exception& error) {
        // Only the stack's own refusals; a cancel or a back-end failure is
        // not a fault of the syntax.
        if (error.Code() != GLOB_MissingOpenCode && error.Code() != GLOB_DictSyntaxCode)
            throw;
        m_message.str("");
        m_message << error.What();
        return false;
    }
    if (!m_open.empty())
        m_open.pop_back();
    return true;
}

GLOB_StreamLexer::Token GLOB_OperatorParser::NextToken() {
    try {
        return m_lexer.NextToken();
    } catch (...) {
        // The lexer has taken the failed read as its buffer's end: a retried
        // step must not report a clean end of data.
        m_stopped = true;
        throw;
    }
}

bool GLOB_OperatorParser::RunPostProcess() {
    try {
        return PostProcess();
    } catch (...) {
        // Deferred work reads the stream past the lexer (an inline image's
        // data): where the lexer stands is no longer known.
        m_stopped = true;
        throw;
    }
}

void GLOB_OperatorParser::NoteNumber() {
    if (m_lexer.NumberWithoutDigits())
        NoteDropped("a number of no digits was read as 0");
}

bool GLOB_OperatorParser::Parse() {
    if (m_endOfData || m_stopped)
        return false;
    // The previous operator's operands stay readable until this step.
    m_operands.PopAll();
    m_open.clear();
    if (m_postProcess && !RunPostProcess())
        return Stop();

    const GLOB_Doc& doc = m_operands.Doc();
    for (;;) {
        switch (NextToken()) {
        case GLOB_StreamLexer::TokenEndOfData:
            m_endOfData = true;
            return false;
        case GLOB_StreamLexer::TokenMoreData:
        case GLOB_StreamLexer::TokenComment:
            break;
        case GLOB_StreamLexer::TokenError:
            m_message.str("");
            m_message << "Error parsing token: " << m_lexer.ErrorMessage();
            return Stop();
        case GLOB_StreamLexer::TokenNull:
            m_operands.Push(doc.NewNull());
            break;
        case GLOB_StreamLexer::TokenBoolean:
            m_operands.Push(doc.NewBoolean(m_lexer.BooleanValue(), false));
            break;
        case GLOB_StreamLexer::TokenInteger:
            NoteNumber();
            m_operands.Push(doc.NewInteger(m_lexer.IntegerValue(), false));
            break;
        case GLOB_StreamLexer::TokenFixed:
            NoteNumber();
            m_operands.Push(doc.NewReal(m_lexer.FixedValue(), false));
            break;
        case GLOB_StreamLexer::TokenName:
            m_operands.Push(doc.NewName(GLOB_Name(m_lexer.NameValue()), false));
            break;
        case GLOB_StreamLexer::TokenString:
            m_operands.Push(doc.NewString(m_lexer.StringValue(), false));
            break;
        case GLOB_StreamLexer::TokenArrayBegin:
            if (!OpenBracket('['))
                return Stop();
            break;
        case GLOB_StreamLexer::TokenDictBegin:
            if (!OpenBracket('<'))
                return Stop();
            break;
        case GLOB_StreamLexer::TokenArrayEnd:
            if (!CloseBracket('['))
                return Stop();
            break;
        case GLOB_StreamLexer::TokenDictEnd:
            if (!CloseBracket('<'))
                return Stop();
            break;
        case GLOB_StreamLexer::TokenSymbol:
            if (!m_open.empty())
                NoteDropped("an operator read inside an array or dictionary left open may not be drawn");
            if (HandleOperator())
                return true;
            return m_endOfData ? false : Stop();
        }
    }
}
