// The PDF tokeniser over a GLOB_Stream, and the system's number text.
//
// NextToken returns one token per call. The lexer pulls the stream's buffers
// itself and keeps all progress in its state, so a token may start in one
// buffer and end in a later one; it reads the stream's buffers in place. Bad
// input never throws: it gives TokenError and an ErrorMessage, and every later
// call gives TokenError again until SetStream or Reset. After TokenEndOfData
// every call gives TokenEndOfData. Only a failed allocation or an exception
// of the stream (a filter's, a file's) leaves NextToken.
//
// Byte classes are those of GLOB_ByteClass.h: NUL, tab, LF, FF, CR and space
// separate tokens; every byte that is neither white space nor a delimiter
// (control bytes, DEL and bytes above 127 too) belongs to the word it stands
// in. Numbers may carry a leading "+" or "-"; integers that do not fit 32
// bits are clamped. In a literal string an unescaped CR, LF or CR LF is one
// LF; a backslash before an end of line joins the lines. A name escape of
// NUL (#00) is a token error; a "#" that two hex digits do not follow is its
// own byte, with a warning. A bare word longer than MaxWordBytes is a token
// error, unless long words pass (SetLongWordsPass): then it is read to its
// end, keeping only its first MaxWordBytes bytes (WordCut).
#pragma once

#include "FILT/FILT_FilterBuffer.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_String.h"

#include <cstddef>
#include <cstdint>
#include <string>

class GLOB_StreamLexer {
public:
    enum Token : int32_t {
        TokenMoreData = 0,  // ProcessChar only: no token complete yet
        TokenEndOfData = 1,
        TokenError = 2,  // ErrorMessage
        TokenNull = 3,
        TokenBoolean = 4,  // BooleanValue
        TokenInteger = 5,  // IntegerValue
        TokenFixed = 6,  // FixedValue
        TokenName = 7,  // NameValue
        TokenString = 8,  // StringValue
        TokenArrayBegin = 9,
        TokenArrayEnd = 10,
        TokenDictBegin = 11,
        TokenDictEnd = 12,
        TokenSymbol = 13,  // SymbolValue: a bare word, "{" or "}"
        TokenComment = 14,  // StringValue: "%" and the comment's first bytes
    };
    static constexpr int32_t NumTokens = 15;

    enum State : int32_t {
        StateAngleLeft = 0,
        StateAngleRight = 1,
        StateComment = 2,
        StateError = 3,
        StateHexString1 = 4,
        StateHexString2 = 5,
        StateName = 6,
        StateNameEscape1 = 7,
        StateNameEscape2 = 8,
        StateNumberFixed = 9,
        StateNumberInteger = 10,
        StateStart = 11,
        StateString = 12,
        StateStringEscape1 = 13,
        StateStringEscape2 = 14,
        StateStringEscape3 = 15,
        StateStringEscapeCRLF = 16,
        StateSymbol = 17,
    };
    static constexpr int32_t NumStates = 18;

    // Plain bytes a name may hold; escaped bytes are not counted.
    static constexpr size_t MaxNameBytes = 127;
    // Bytes a bare word may hold.
    static constexpr size_t MaxWordBytes = 127;
    // Bytes of a comment its value keeps, its "%" included; the rest is
    // read and dropped.
    static constexpr size_t MaxCommentBytes = 1024;
    // FormatFixed never writes more characters than this (no terminating NUL).
    static constexpr int MaxFixedChars = 14;

    // No stream: NextToken gives TokenEndOfData.
    GLOB_StreamLexer();
    explicit GLOB_StreamLexer(const GLOB_Stream& stream);
    // Releases the stream without closing it.
    ~GLOB_StreamLexer();
    GLOB_StreamLexer(const GLOB_StreamLexer&) = delete;
    GLOB_StreamLexer& operator=(const GLOB_StreamLexer&) = delete;

    // Closes the stream held so far, resets the state, values and trace
    // switches, takes stream and reads its first buffer.
    void SetStream(const GLOB_Stream& stream);
    // As SetStream, but lets go of the stream without closing it and takes
    // none.
    void Reset();
    // Between tokens, after another reader consumed bytes of the stream (an
    // inline image's data): continues from the stream's current buffer,
    // reading the next one when that is drained.
    void Resume();

    // The next token; its value is valid until the next call.
    Token NextToken();
    Token LastToken() const { return m_lastToken; }

    bool BooleanValue() const { return m_booleanValue != 0; }
    int32_t IntegerValue() const { return m_integerValue; }
    double FixedValue() const { return m_fixedValue; }
    // NUL-terminated; a name never holds NUL.
    const char* NameValue() { return m_nameValue.CStr(); }
    GLOB_String StringValue() const { return m_stringValue; }
    const char* SymbolValue() { return m_symbolValue.CStr(); }
    // The token's bytes exactly as read ("<<", "/A#42", "(a\)b)").
    GLOB_String TokenText() const;
    std::string ErrorMessage() const { return m_errorMessage; }
    // Stream offset of the last token's first byte (of the end for
    // TokenEndOfData).
    uint32_t TokenOffset() const { return m_tokenOffset; }

    // Whether a bare word past MaxWordBytes is read to its end (true) or is
    // a token error (false, after construction); for content where an
    // unknown operator is passed over, whatever its length.
    void SetLongWordsPass(bool pass) { m_longWordsPass = pass; }
    // The last TokenSymbol was longer than its value: no operator.
    bool WordCut() const { return m_wordCut; }
    // The last number token held no digit ("+.", "-", "."): read as 0.
    bool NumberWithoutDigits() const { return m_numberWithoutDigits; }

    // Trace switches, off after construction, SetStream and Reset: state
    // changes and returned tokens are logged at level 8.
    void SetStateTrace(bool on) { m_stateTrace = on; }
    void SetTokenTrace(bool on) { m_tokenTrace = on; }

    // One step of the state machine on c (the current input byte, or -1 for
    // end of data); returns TokenMoreData while no token is complete.
    Token ProcessChar(int c);
    // Consumes the current input byte and reads the next buffer when this
    // one is drained and not at end of data.
    void NextChar();
    void SetState(int32_t state);

    // "StateStart", "TokenName" and so on. (StateName and TokenName are a
    // state and a token kind, hence these names.)
    static const char* NameOfState(int32_t state);
    static const char* NameOfToken(int32_t token);
    // "EndOfData" for -1; \t \n \f \r; the character for 32 to 126; else a
    // backslash and three octal digits. Valid until the next call.
    const char* CharText(int c);

    // x in plain decimal, rounded to the nearest five decimals (a half up,
    // judged on x's exact value), trailing zeros dropped, no exponent; the
    // integer part is clamped to 9999999 and a value that is not a number
    // is written 0. Writes at most MaxFixedChars characters to out, no NUL;
    // returns their number. What ParseFixed reads back is written as the
    // same text again.
    static int FormatFixed(double x, char* out);
    // An optional sign, digits, an optional "." and digits, read to the
    // nearest double with every digit counted; the text stops at the first
    // other byte. Magnitudes are clamped to 3.402823466e38, the largest PDF
    // real.
    static double ParseFixed(const char* text);
    // An optional sign and digits up to the first other byte; clamped to the
    // signed 32-bit range. A lone sign and the empty text give 0.
    static int32_t ParseInteger(const char* text);

private:
    // A growable byte buffer that always keeps room for a terminating NUL.
    class Bytes {
    public:
        Bytes();
        ~Bytes();
        Bytes(const Bytes&) = delete;
        Bytes& operator=(const Bytes&) = delete;
        void Append(uint8_t c) {
            if (m_size + 1 >= m_capacity)
                Grow();
            m_data[m_size++] = c;
        }
        void Clear() { m_size = 0; }
        size_t Size() const { return m_size; }
        const uint8_t* Data() const { return m_data; }
        const char* CStr() {
            m_data[m_size] = 0;
            return reinterpret_cast<const char*>(m_data);
        }

    private:
        void Grow();
        uint8_t* m_data;
        size_t m_size = 0;
        size_t m_capacity;
    };

    void ResetState();
    // Replaces the error text, enters StateError; returns TokenError.
    Token Error(const char* text);
    // Error with text, the CharText of c and "'".
    Token CharError(const char* text, int c);
    Token EndSymbol();
    // A name's "#" that two hex digits do not follow (digits of them read
    // so far, c the byte that is none) is the byte "#", those digits after
    // it, with a warning; c is read again as part of the name.
    Token StrayNameHash(size_t digits, int c);

    bool m_stateTrace = false;
    bool m_tokenTrace = false;
    bool m_longWordsPass = false;
    bool m_wordCut = false;
    bool m_numberWithoutDigits = false;
    FILT_FilterBuffer* m_inBuf = nullptr;  // the stream's, not owned
    GLOB_Stream m_stream;
    Token m_lastToken = TokenEndOfData;
    int32_t m_state = StateStart;
    Bytes m_tokenText;
    uint8_t m_booleanValue = 0;
    double m_fixedValue = 0.0;
    int32_t m_integerValue = 0;
    GLOB_String m_stringValue;
    Bytes m_stringBytes;  // the string value while its token is read
    Bytes m_nameValue;
    Bytes m_symbolValue;
    uint8_t m_escape[4] = {0, 0, 0, 0};  // digits of a pending escape
    int64_t m_depth = 0;  // open parentheses of a literal string
    std::string m_errorMessage;
    char m_charText[8] = {};
    uint32_t m_tokenOffset = 0;
};
