#include "GLOB/GLOB_StreamLexer.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_ByteClass.h"
#include "GLOB/GLOB_StreamCore.h"

#include <cstdio>
#include <cstring>

namespace {

struct StateRow {
    int32_t m_state;
    const char* m_name;
};

struct TokenRow {
    int32_t m_token;
    const char* m_name;
};

const StateRow stateStr[] = {
    {GLOB_StreamLexer::StateAngleLeft, "StateAngleLeft"},
    {GLOB_StreamLexer::StateAngleRight, "StateAngleRight"},
    {GLOB_StreamLexer::StateComment, "StateComment"},
    {GLOB_StreamLexer::StateError, "StateError"},
    {GLOB_StreamLexer::StateHexString1, "StateHexString1"},
    {GLOB_StreamLexer::StateHexString2, "StateHexString2"},
    {GLOB_StreamLexer::StateName, "StateName"},
    {GLOB_StreamLexer::StateNameEscape1, "StateNameEscape1"},
    {GLOB_StreamLexer::StateNameEscape2, "StateNameEscape2"},
    {GLOB_StreamLexer::StateNumberFixed, "StateNumberFixed"},
    {GLOB_StreamLexer::StateNumberInteger, "StateNumberInteger"},
    {GLOB_StreamLexer::StateStart, "StateStart"},
    {GLOB_StreamLexer::StateString, "StateString"},
    {GLOB_StreamLexer::StateStringEscape1, "StateStringEscape1"},
    {GLOB_StreamLexer::StateStringEscape2, "StateStringEscape2"},
    {GLOB_StreamLexer::StateStringEscape3, "StateStringEscape3"},
    {GLOB_StreamLexer::StateStringEscapeCRLF, "StateStringEscapeCRLF"},
    {GLOB_StreamLexer::StateSymbol, "StateSymbol"},
};

const TokenRow tokenStr[] = {
    {GLOB_StreamLexer::TokenMoreData, "TokenMoreData"},
    {GLOB_StreamLexer::TokenEndOfData, "TokenEndOfData"},
    {GLOB_StreamLexer::TokenError, "TokenError"},
    {GLOB_StreamLexer::TokenNull, "TokenNull"},
    {GLOB_StreamLexer::TokenBoolean, "TokenBoolean"},
    {GLOB_StreamLexer::TokenInteger, "TokenInteger"},
    {GLOB_StreamLexer::TokenFixed, "TokenFixed"},
    {GLOB_StreamLexer::TokenName, "TokenName"},
    {GLOB_StreamLexer::TokenString, "TokenString"},
    {GLOB_StreamLexer::TokenArrayBegin, "TokenArrayBegin"},
    {GLOB_StreamLexer::TokenArrayEnd, "TokenArrayEnd"},
    {GLOB_StreamLexer::TokenDictBegin, "TokenDictBegin"},
    {GLOB_StreamLexer::TokenDictEnd, "TokenDictEnd"},
    {GLOB_StreamLexer::TokenSymbol, "TokenSymbol"},
    {GLOB_StreamLexer::TokenComment, "TokenComment"},
};

// Room of a new token buffer.
constexpr size_t InitialBytes = 32;

bool IsOctal(int c) { return c >= '0' && c <= '7'; }

// End of data ends numbers, names and bare words as a delimiter does.
bool EndsWord(int c) { return c < 0 || GLOB_IsDelimiter(static_cast<uint8_t>(c)); }

// A sign or a point alone: a number's text holds a digit by its third byte.
bool WithoutDigits(const char* text) {
    for (; *text; ++text)
        if (GLOB_IsDigit(static_cast<uint8_t>(*text)))
            return false;
    return true;
}

}  // namespace

GLOB_StreamLexer::Bytes::Bytes() : m_data(GLIB_NEW uint8_t[InitialBytes]), m_capacity(InitialBytes) {}

GLOB_StreamLexer::Bytes::~Bytes() { delete[] m_data; }

void GLOB_StreamLexer::Bytes::Grow() {
    // Doubling, not a fixed step: a long string token must not cost a copy
    // of everything read so far every few bytes.
    const size_t capacity = m_capacity * 2;
    uint8_t* data = GLIB_NEW uint8_t[capacity];
    std::memcpy(data, m_data, m_size);
    delete[] m_data;
    m_data = data;
    m_capacity = capacity;
}

GLOB_StreamLexer::GLOB_StreamLexer() = default;

GLOB_StreamLexer::GLOB_StreamLexer(const GLOB_Stream& stream) { SetStream(stream); }

GLOB_StreamLexer::~GLOB_StreamLexer() = default;

void GLOB_StreamLexer::ResetState() {
    m_stateTrace = false;
    m_tokenTrace = false;
    m_state = StateStart;
    m_tokenText.Clear();
    m_symbolValue.Clear();
    m_nameValue.Clear();
    m_stringBytes.Clear();
    m_booleanValue = 0;
    m_fixedValue = 0.0;
    m_integerValue = 0;
    m_stringValue = GLOB_String();
    m_depth = 0;
    m_tokenOffset = 0;
}

void GLOB_StreamLexer::SetStream(const GLOB_Stream& stream) {
    // Closing the stream that comes back in would leave nothing to read.
    GLOB_StreamCore* held = m_stream.Core();
    GLOB_StreamCore* next = stream.Core();
    const bool same = held == next;
    if (held)
        held->Release();
    if (next)
        next->Release();
    if (!same)
        m_stream.Close();
    ResetState();
    m_inBuf = nullptr;
    m_stream = stream;
    if (!m_stream.IsNull())
        m_inBuf = m_stream.Read();
}

void GLOB_StreamLexer::Reset() {
    ResetState();
    m_inBuf = nullptr;
    m_stream = GLOB_Stream();
}

void GLOB_StreamLexer::Resume() {
    if (!m_stream.IsNull())
        m_inBuf = m_stream.Read();
}

GLOB_String GLOB_StreamLexer::TokenText() const { return GLOB_String(m_tokenText.Data(), m_tokenText.Size()); }

GLOB_StreamLexer::Token GLOB_StreamLexer::NextToken() {
    Token result = TokenMoreData;
    while (m_inBuf != nullptr) {
        const FILT_Size available = m_inBuf->DataAvailable();
        if (available == 0 && m_inBuf->IsEOD())
            break;
        result = ProcessChar(available ? *m_inBuf->GetPtr() : -1);
        if (result != TokenMoreData)
            break;
    }
    if (result == TokenMoreData) {
        result = ProcessChar(-1);
        if (m_state != StateStart) {
            if (result != TokenError) {
                // The data ended right after "<".
                m_errorMessage = "Hexadecimal string is missing trailing '>'";
            }
            if (m_state != StateError)
                SetState(StateError);
            result = TokenError;
        } else if (result == TokenMoreData) {
            result = TokenEndOfData;
        }
    }
    m_lastToken = result;
    if (m_tokenTrace) {
        if (result == TokenEndOfData)
            GLIB_LOG(GLIB_LogInfo, "Returning token " << NameOfToken(result));
        else
            GLIB_LOG(GLIB_LogInfo, "Returning token " << NameOfToken(result) << ": "
                                                      << TokenText().AsStdString());
    }
    return result;
}

void GLOB_StreamLexer::NextChar() {
    if (m_inBuf == nullptr || m_inBuf->DataAvailable() == 0)
        return;
    m_inBuf->AdvanceGetPtr(1);
    if (m_inBuf->DataAvailable() == 0 && !m_inBuf->IsEOD())
        m_inBuf = m_stream.Read();
}

void GLOB_StreamLexer::SetState(int32_t state) {
    if (m_stateTrace)
        GLIB_LOG(GLIB_LogInfo, "Changing state from " << NameOfState(m_state) << " to " << NameOfState(state));
    m_state = state;
}

GLOB_StreamLexer::Token GLOB_StreamLexer::Error(const char* text) {
    m_errorMessage = text;
    SetState(StateError);
    return TokenError;
}

GLOB_StreamLexer::Token GLOB_StreamLexer::CharError(const char* text, int c) {
    std::string message = text;
    message += CharText(c);
    message += "'";
    m_errorMessage = message;
    SetState(StateError);
    return TokenError;
}

GLOB_StreamLexer::Token GLOB_StreamLexer::EndSymbol() {
    SetState(StateStart);
    const char* word = m_tokenText.CStr();
    if (std::strcmp(word, "null") == 0)
        return TokenNull;
    if (std::strcmp(word, "true") == 0) {
        m_booleanValue = 1;
        return TokenBoolean;
    }
    if (std::strcmp(word, "false") == 0) {
        m_booleanValue = 0;
        return TokenBoolean;
    }
    return TokenSymbol;
}

GLOB_StreamLexer::Token GLOB_StreamLexer::StrayNameHash(size_t digits, int c) {
    if (m_nameValue.Size() + 1 + digits > MaxNameBytes)
        return CharError("Unexpected character encountered in name: '", c);
    // qpdf and the drawing read it so too.
    GLIB_LOG(GLIB_LogWarning, "The name " << m_tokenText.CStr()
                                          << "... holds a number sign that two hex digits do not follow: it is read as "
                                             "that sign");
    m_nameValue.Append('#');
    for (size_t i = 0; i < digits; ++i)
        m_nameValue.Append(m_escape[i]);
    SetState(StateName);
    return ProcessChar(c);
}

GLOB_StreamLexer::Token GLOB_StreamLexer::ProcessChar(int c) {
    static const char* const HexStringChar = "Unexpected character encountered in hexadecimal string: '";
    static const char* const NameChar = "Unexpected character encountered in name: '";
    static const char* const MissingParen = "String is missing trailing ')'";
    static const char* const MissingAngle = "Hexadecimal string is missing trailing '>'";
    const uint8_t b = static_cast<uint8_t>(c);

    switch (m_state) {
    case StateStart:
        if (c < 0) {
            m_tokenOffset = m_inBuf ? m_inBuf->TellB() + static_cast<uint32_t>(m_inBuf->GetPtr() - m_inBuf->BasePtr()) : 0;
            return TokenEndOfData;
        }
        if (GLOB_IsWhite(b)) {
            NextChar();
            return TokenMoreData;
        }
        m_tokenOffset = m_inBuf ? m_inBuf->TellB() + static_cast<uint32_t>(m_inBuf->GetPtr() - m_inBuf->BasePtr()) : 0;
        m_tokenText.Clear();
        m_tokenText.Append(b);
        switch (b) {
        case '%':
            NextChar();
            m_stringBytes.Clear();
            m_stringBytes.Append(b);
            SetState(StateComment);
            return TokenMoreData;
        case '(':
            NextChar();
            SetState(StateString);
            m_stringBytes.Clear();
            m_depth = 1;
            return TokenMoreData;
        case ')':
            return Error("Unexpected closing )");
        case '-':
        case '+':  // ISO 32000-1, 7.3.3: a number may carry a leading sign
        case '0': case '1': case '2': case '3': case '4':
        case '5': case '6': case '7': case '8': case '9':
            NextChar();
            m_integerValue = 0;
            SetState(StateNumberInteger);
            return TokenMoreData;
        case '.':
            NextChar();
            SetState(StateNumberFixed);
            return TokenMoreData;
        case '/':
            NextChar();
            SetState(StateName);
            m_nameValue.Clear();
            return TokenMoreData;
        case '<':
            NextChar();
            SetState(StateAngleLeft);
            return TokenMoreData;
        case '>':
            NextChar();
            SetState(StateAngleRight);
            return TokenMoreData;
        case '[':
            NextChar();
            return TokenArrayBegin;
        case ']':
            NextChar();
            return TokenArrayEnd;
        case '{':
        case '}':
            m_symbolValue.Clear();
            m_symbolValue.Append(b);
            NextChar();
            return TokenSymbol;
        default:
            // Control bytes, DEL and bytes above 127 are regular characters
            // (ISO 32000-1, 7.2.2): whether the word is an operator is the
            // content parser's business.
            m_symbolValue.Clear();
            m_symbolValue.Append(b);
            m_wordCut = false;
            NextChar();
            SetState(StateSymbol);
            return TokenMoreData;
        }

    case StateAngleLeft:
        if (c == '<') {
            m_tokenText.Append(b);
            NextChar();
            SetState(StateStart);
            return TokenDictBegin;
        }
        m_stringBytes.Clear();
        SetState(StateHexString1);
        return TokenMoreData;

    case StateAngleRight:
        if (c == '>') {
            m_tokenText.Append(b);
            NextChar();
            SetState(StateStart);
            return TokenDictEnd;
        }
        return Error("Unexpected '>'");

    case StateComment: {
        if (c < 0 || c == '\r' || c == '\n') {
            NextChar();
            SetState(StateStart);
            m_stringValue = GLOB_String(m_stringBytes.Data(), m_stringBytes.Size());
            return TokenComment;
        }
        // A comment never paints: only its head is kept, and the rest of
        // the buffer's line is skipped at once, so a comment of any length
        // costs no memory.
        size_t run = 1;
        if (m_inBuf != nullptr && m_inBuf->DataAvailable() > 0 && *m_inBuf->GetPtr() == b) {
            const uint8_t* at = m_inBuf->GetPtr();
            const size_t available = m_inBuf->DataAvailable();
            while (run < available && at[run] != '\r' && at[run] != '\n')
                ++run;
        }
        const uint8_t* from = m_inBuf != nullptr && m_inBuf->DataAvailable() > 0 ? m_inBuf->GetPtr() : &b;
        for (size_t i = 0; i < run && m_stringBytes.Size() < MaxCommentBytes; ++i) {
            m_tokenText.Append(from[i]);
            m_stringBytes.Append(from[i]);
        }
        if (run > 1) {
            m_inBuf->AdvanceGetPtr(static_cast<FILT_Size>(run - 1));
        }
        NextChar();
        return TokenMoreData;
    }

    case StateError:
        return TokenError;

    case StateHexString1:
    case StateHexString2:
        if (c < 0)
            return Error(MissingAngle);
        if (GLOB_IsHexDigit(b)) {
            m_tokenText.Append(b);
            NextChar();
            if (m_state == StateHexString1) {
                m_escape[0] = b;
                SetState(StateHexString2);
            } else {
                m_stringBytes.Append(static_cast<uint8_t>(GLOB_HexValue(m_escape[0]) * 16 + GLOB_HexValue(b)));
                SetState(StateHexString1);
            }
            return TokenMoreData;
        }
        if (GLOB_IsWhite(b)) {
            // White space may also stand between the two digits of a byte.
            m_tokenText.Append(b);
            NextChar();
            return TokenMoreData;
        }
        if (c == '>') {
            m_tokenText.Append(b);
            NextChar();
            if (m_state == StateHexString2)  // an odd digit count: a final 0 is implied
                m_stringBytes.Append(static_cast<uint8_t>(GLOB_HexValue(m_escape[0]) * 16));
            SetState(StateStart);
            m_stringValue = GLOB_String(m_stringBytes.Data(), m_stringBytes.Size());
            return TokenString;
        }
        return CharError(HexStringChar, c);

    case StateName:
        if (c == '#') {
            m_tokenText.Append(b);
            NextChar();
            SetState(StateNameEscape1);
            return TokenMoreData;
        }
        if (EndsWord(c)) {
            SetState(StateStart);
            return TokenName;
        }
        if (m_nameValue.Size() >= MaxNameBytes)
            return CharError(NameChar, c);
        m_tokenText.Append(b);
        m_nameValue.Append(b);
        NextChar();
        return TokenMoreData;

    case StateNameEscape1:
        if (c < 0 || !GLOB_IsHexDigit(b))
            return StrayNameHash(0, c);
        m_tokenText.Append(b);
        NextChar();
        m_escape[0] = b;
        SetState(StateNameEscape2);
        return TokenMoreData;

    case StateNameEscape2: {
        if (c < 0 || !GLOB_IsHexDigit(b))
            return StrayNameHash(1, c);
        const uint8_t value = static_cast<uint8_t>(GLOB_HexValue(m_escape[0]) * 16 + GLOB_HexValue(b));
        // A name may not hold NUL (ISO 32000-1, 7.3.5), not even escaped.
        if (value == 0)
            return CharError(NameChar, 0);
        m_tokenText.Append(b);
        m_nameValue.Append(value);
        NextChar();
        SetState(StateName);
        return TokenMoreData;
    }

    case StateNumberInteger:
        if (EndsWord(c)) {
            m_integerValue = ParseInteger(m_tokenText.CStr());
            m_numberWithoutDigits = WithoutDigits(m_tokenText.CStr());
            SetState(StateStart);
            return TokenInteger;
        }
        if (GLOB_IsDigit(b)) {
            m_tokenText.Append(b);
            NextChar();
            return TokenMoreData;
        }
        if (c == '.') {
            m_tokenText.Append(b);
            NextChar();
            SetState(StateNumberFixed);
            return TokenMoreData;
        }
        return CharError("Unexpected character encountered in integer number: '", c);

    case StateNumberFixed:
        if (EndsWord(c)) {
            m_fixedValue = ParseFixed(m_tokenText.CStr());
            m_numberWithoutDigits = WithoutDigits(m_tokenText.CStr());
            SetState(StateStart);
            return TokenFixed;
        }
        if (GLOB_IsDigit(b)) {
            m_tokenText.Append(b);
            NextChar();
            return TokenMoreData;
        }
        return CharError("Unexpected character encountered in fixed number: '", c);

    case StateSymbol:
        if (EndsWord(c))
            return EndSymbol();
        // No operator or keyword is this long: a word without end must not
        // hold the whole stream.
        if (m_symbolValue.Size() >= MaxWordBytes && !m_longWordsPass)
            return Error("A bare word is longer than 127 bytes: no operator or keyword is");
        NextChar();
        if (m_symbolValue.Size() >= MaxWordBytes) {
            m_wordCut = true;
            return TokenMoreData;
        }
        m_tokenText.Append(b);
        m_symbolValue.Append(b);
        return TokenMoreData;

    case StateString:
        if (c < 0)
            return Error(MissingParen);
        NextChar();
        m_tokenText.Append(b);
        switch (b) {
        case '(':
            ++m_depth;
            m_stringBytes.Append(b);
            break;
        case ')':
            if (--m_depth == 0) {
                SetState(StateStart);
                m_stringValue = GLOB_String(m_stringBytes.Data(), m_stringBytes.Size());
                return TokenString;
            }
            m_stringBytes.Append(b);
            break;
        case '\\':
            SetState(StateStringEscape1);
            break;
        case '\r':
            // An unescaped CR, LF or CR LF is one LF (ISO 32000-1, 7.3.4.2);
            // the LF of a CR LF is skipped as after a backslash and a CR.
            m_stringBytes.Append('\n');
            SetState(StateStringEscapeCRLF);
            break;
        default:
            m_stringBytes.Append(b);
            break;
        }
        return TokenMoreData;

    case StateStringEscape1:
        if (c < 0)
            return Error(MissingParen);
        m_tokenText.Append(b);
        NextChar();
        switch (b) {
        case '0': case '1': case '2': case '3':
        case '4': case '5': case '6': case '7':
            m_escape[0] = b;
            SetState(StateStringEscape2);
            return TokenMoreData;
        case '\n':  // a line continuation adds nothing
            break;
        case '\r':
            SetState(StateStringEscapeCRLF);
            return TokenMoreData;
        case 'b': m_stringBytes.Append(8); break;
        case 'f': m_stringBytes.Append(12); break;
        case 'n': m_stringBytes.Append(10); break;
        case 'r': m_stringBytes.Append(13); break;
        case 't': m_stringBytes.Append(9); break;
        default: m_stringBytes.Append(b); break;
        }
        SetState(StateString);
        return TokenMoreData;

    case StateStringEscape2:
        if (c < 0)
            return Error(MissingParen);
        if (IsOctal(c)) {
            m_tokenText.Append(b);
            NextChar();
            m_escape[1] = b;
            SetState(StateStringEscape3);
            return TokenMoreData;
        }
        m_stringBytes.Append(static_cast<uint8_t>(m_escape[0] - '0'));
        SetState(StateString);
        return TokenMoreData;

    case StateStringEscape3: {
        if (c < 0)
            return Error(MissingParen);
        int value = (m_escape[0] - '0') * 8 + (m_escape[1] - '0');
        if (IsOctal(c)) {
            m_tokenText.Append(b);
            NextChar();
            value = value * 8 + (c - '0');
        }
        // \777 gives 255: the high bit of a three-digit escape is dropped.
        m_stringBytes.Append(static_cast<uint8_t>(value & 0xFF));
        SetState(StateString);
        return TokenMoreData;
    }

    case StateStringEscapeCRLF:
        if (c < 0)
            return Error(MissingParen);
        if (c == '\n') {
            m_tokenText.Append(b);
            NextChar();
        }
        SetState(StateString);
        return TokenMoreData;

    default:
        m_errorMessage = "Internal Error: Invalid state";
        return TokenError;
    }
}

const char* GLOB_StreamLexer::NameOfState(int32_t state) {
    const int32_t numStateStr = static_cast<int32_t>(sizeof(stateStr) / sizeof(stateStr[0]));
    GLIB_ASSERT_CMP(numStateStr, ==, NumStates);
    GLIB_ASSERT_CMP(state, >=, 0);
    GLIB_ASSERT_CMP(state, <, numStateStr);
    GLIB_ASSERT_CMP(stateStr[ state ].m_state, ==, state);
    return stateStr[state].m_name;
}

const char* GLOB_StreamLexer::NameOfToken(int32_t token) {
    const int32_t numTokenStr = static_cast<int32_t>(sizeof(tokenStr) / sizeof(tokenStr[0]));
    GLIB_ASSERT_CMP(numTokenStr, ==, NumTokens);
    GLIB_ASSERT_CMP(token, >=, 0);
    GLIB_ASSERT_CMP(token, <, numTokenStr);
    GLIB_ASSERT_CMP(tokenStr[ token ].m_token, ==, token);
    return tokenStr[token].m_name;
}

const char* GLOB_StreamLexer::CharText(int c) {
    if (c < 0)
        return "EndOfData";
    switch (c) {
    case 9: return "\\t";
    case 10: return "\\n";
    case 12: return "\\f";
    case 13: return "\\r";
    default: break;
    }
    if (c >= 32 && c <= 126) {
        m_charText[0] = static_cast<char>(c);
        m_charText[1] = 0;
    } else {
        std::snprintf(m_charText, sizeof m_charText, "\\%03o", static_cast<unsigned>(c & 0xFF));
    }
    return m_charText;
}
