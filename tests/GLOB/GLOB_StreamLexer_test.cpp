#include "GLOB/GLOB_StreamLexer.h"

#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"
#include "GLOB_ChunkedCore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using L = GLOB_StreamLexer;

std::string Escape(const std::string& bytes) {
    std::string s;
    for (unsigned char c : bytes) {
        if (c >= 33 && c <= 126 && c != '\\') {
            s += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            s += hex;
        }
    }
    return s;
}

// One token as text: the kind and its value.
std::string Describe(GLOB_StreamLexer& lexer, GLOB_StreamLexer::Token token) {
    switch (token) {
    case L::TokenEndOfData: return "EOD";
    case L::TokenError: return "Error " + lexer.ErrorMessage();
    case L::TokenNull: return "Null";
    case L::TokenBoolean: return lexer.BooleanValue() ? "Bool true" : "Bool false";
    case L::TokenInteger: return "Int " + std::to_string(lexer.IntegerValue());
    case L::TokenFixed: {
        char text[64];
        std::snprintf(text, sizeof text, "Fixed %.6f", lexer.FixedValue());
        return text;
    }
    case L::TokenName: return "Name " + Escape(lexer.NameValue());
    case L::TokenString: return "String " + Escape(lexer.StringValue().AsStdString());
    case L::TokenArrayBegin: return "[";
    case L::TokenArrayEnd: return "]";
    case L::TokenDictBegin: return "<<";
    case L::TokenDictEnd: return ">>";
    case L::TokenSymbol: return "Symbol " + Escape(lexer.SymbolValue());
    case L::TokenComment: return "Comment " + Escape(lexer.StringValue().AsStdString());
    default: return "Unknown " + std::to_string(token);
    }
}

// Every token up to and including EndOfData or the first error; checks that
// the last kind repeats, with the same error text.
std::vector<std::string> Lex(const std::string& text, const std::vector<size_t>& sizes) {
    GLOB_StreamLexer lexer(GLOB_Stream(new GLOB_ChunkedCore(text, sizes, GLOB_StreamCore::Input)));
    std::vector<std::string> tokens;
    for (size_t guard = 0; guard <= text.size() + 2; ++guard) {
        const GLOB_StreamLexer::Token token = lexer.NextToken();
        tokens.push_back(Describe(lexer, token));
        if (token == L::TokenEndOfData || token == L::TokenError) {
            for (int again = 0; again < 2; ++again) {
                const GLOB_StreamLexer::Token next = lexer.NextToken();
                if (next != token || Describe(lexer, next) != tokens.back())
                    tokens.push_back("did not repeat: " + Describe(lexer, next));
            }
            return tokens;
        }
    }
    tokens.push_back("no end");
    return tokens;
}

struct LexCase {
    std::string input;
    std::vector<std::string> tokens;
};

const char* const NameChar = "Error Unexpected character encountered in name: '";

std::vector<LexCase> EdgeCases() {
    return {
        // A dictionary with a name key and an integer value.
        {"<</A 1>>", {"<<", "Name A", "Int 1", ">>", "EOD"}},
        // Hexadecimal strings: white space between bytes and between digits.
        {"<41 4>", {"String A@", "EOD"}},
        {"<4 1>", {"String A", "EOD"}},
        {"<>", {"String ", "EOD"}},
        {std::string("<4\0\f1>", 6), {"String A", "EOD"}},
        {"<", {"Error Hexadecimal string is missing trailing '>'"}},
        {"<41", {"Error Hexadecimal string is missing trailing '>'"}},
        {"<4G>", {"Error Unexpected character encountered in hexadecimal string: 'G'"}},
        // Literal strings: balanced parentheses, escapes, line continuations.
        {"(a(b)c)", {"String a(b)c", "EOD"}},
        {"(a\\)", {"Error String is missing trailing ')'"}},
        {"(\\101\\60x)", {"String A0x", "EOD"}},
        {"(\\8)", {"String 8", "EOD"}},
        {"(a\\\r\nb)", {"String ab", "EOD"}},
        {"(a\\\nb)", {"String ab", "EOD"}},
        {"(a\\\rb)", {"String ab", "EOD"}},
        {"(\\777\\0a\\12)", {"String \\xFF\\x00a\\x0A", "EOD"}},
        {"(\\b\\f\\n\\r\\t\\(\\\\)", {"String \\x08\\x0C\\x0A\\x0D\\x09(\\x5C", "EOD"}},
        {"(a\r\nb)", {"String a\\x0D\\x0Ab", "EOD"}},
        {"(\\", {"Error String is missing trailing ')'"}},
        {"(\\1", {"Error String is missing trailing ')'"}},
        {"(\\12", {"Error String is missing trailing ')'"}},
        {"(\\\r", {"Error String is missing trailing ')'"}},
        {"(x", {"Error String is missing trailing ')'"}},
        {")", {"Error Unexpected closing )"}},
        // Names: escapes, the length limit, bytes above 127, delimiters.
        {"/A#42", {"Name AB", "EOD"}},
        {"/A#4G", {std::string(NameChar) + "G'"}},
        {"/A#4", {std::string(NameChar) + "EndOfData'"}},
        {"/A#\f", {std::string(NameChar) + "\\f'"}},
        {"/" + std::string(127, 'a'), {"Name " + std::string(127, 'a'), "EOD"}},
        {"/" + std::string(128, 'a'), {std::string(NameChar) + "a'"}},
        {"/A#00B", {"Name A", "EOD"}},
        {"/A\x80" "B", {"Name A\\x80B", "EOD"}},
        {"/A/B", {"Name A", "Name B", "EOD"}},
        {"/", {"Name ", "EOD"}},
        {"/A\fB", {"Name A", "Symbol B", "EOD"}},
        // Numbers: signs, a lone sign, a lone point, malformed numbers.
        {"-", {"Int 0", "EOD"}},
        {"+", {"Int 0", "EOD"}},
        {"+5", {"Int 5", "EOD"}},
        {"+1 -2 +.25 -.5 . 3. 007", {"Int 1", "Int -2", "Fixed 0.250000", "Fixed -0.500000", "Fixed 0.000000",
                                     "Fixed 3.000000", "Int 7", "EOD"}},
        {"1.2.3", {"Error Unexpected character encountered in fixed number: '.'"}},
        {"12a", {"Error Unexpected character encountered in integer number: 'a'"}},
        {"1-", {"Error Unexpected character encountered in integer number: '-'"}},
        {"1\f", {"Int 1", "EOD"}},
        {"1\f2", {"Int 1", "Int 2", "EOD"}},
        {"1/A", {"Int 1", "Name A", "EOD"}},
        // Integers beyond 32 bits are clamped, never wrapped.
        {"2147483647 -2147483648 2147483648 4294967297 -99999999999999999999",
         {"Int 2147483647", "Int -2147483648", "Int 2147483647", "Int 2147483647", "Int -2147483648", "EOD"}},
        // Comments end at CR or LF, which belong to no token.
        {"% note", {"Comment %\\x20note", "EOD"}},
        {"%a\r\n1", {"Comment %a", "Int 1", "EOD"}},
        {"%\n%b", {"Comment %", "Comment %b", "EOD"}},
        // Braces are symbols at once; keywords.
        {"{dup}", {"Symbol {", "Symbol dup", "Symbol }", "EOD"}},
        {"null true false nulls", {"Null", "Bool true", "Bool false", "Symbol nulls", "EOD"}},
        {"abc\f", {"Symbol abc", "EOD"}},
        {"[1 2.5]", {"[", "Int 1", "Fixed 2.500000", "]", "EOD"}},
        {"<<>>", {"<<", ">>", "EOD"}},
        {">", {"Error Unexpected '>'"}},
        {">a", {"Error Unexpected '>'"}},
        // NUL and form feed are white space; other control bytes are not.
        {std::string("1\0 2\0\0", 7), {"Int 1", "Int 2", "EOD"}},
        {std::string("\0q\0\0\0", 5), {"Symbol q", "EOD"}},
        {"\x01", {"Error Unexpected character encountered: '\\001'"}},
        {"\xFF", {"Error Unexpected character encountered: '\\377'"}},
        {"abc\x80", {"Error Unexpected character encountered: '\\200'"}},
        {"", {"EOD"}},
        {" \t\r\n\f", {"EOD"}},
    };
}

TEST(GLOB_StreamLexer, EdgeCasesGiveTheSameTokensInEveryChunking) {
    const std::vector<LexCase> cases = EdgeCases();
    for (size_t i = 0; i < cases.size(); ++i) {
        for (const std::vector<size_t>& sizes : GLOB_TestChunkings()) {
            SCOPED_TRACE("case " + std::to_string(i) + " [" + Escape(cases[i].input) + "] chunks from " +
                         std::to_string(sizes[0]));
            EXPECT_EQ(Lex(cases[i].input, sizes), cases[i].tokens);
        }
    }
}

TEST(GLOB_StreamLexer, TokenTextHoldsTheBytesAsRead) {
    const struct {
        const char* input;
        const char* text;
    } cases[] = {
        {"<<", "<<"}, {"/A#42 ", "/A#42"}, {"(a\\)b) ", "(a\\)b)"}, {"<4 1>", "<4 1>"},
        {"-.5 ", "-.5"}, {"%c\n", "%c"}, {"true ", "true"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        GLOB_StreamLexer lexer(GLOB_Stream(new GLOB_StringStream(cases[i].input)));
        lexer.NextToken();
        EXPECT_EQ(lexer.TokenText().AsStdString(), cases[i].text);
    }
}

// A long string token is read across many buffers without losing a byte.
TEST(GLOB_StreamLexer, LongTokensSurviveBufferEdges) {
    std::string body;
    for (int i = 0; i < 100000; ++i)
        body += static_cast<char>('a' + i % 26);
    const std::string input = "(" + body + ") /" + std::string(100, 'n') + " " + body.substr(0, 5000);
    for (const std::vector<size_t>& sizes : {std::vector<size_t>{0}, std::vector<size_t>{4093}, std::vector<size_t>{1}}) {
        SCOPED_TRACE(sizes[0]);
        GLOB_StreamLexer lexer(GLOB_Stream(new GLOB_ChunkedCore(input, sizes, GLOB_StreamCore::Input)));
        ASSERT_EQ(lexer.NextToken(), L::TokenString);
        EXPECT_EQ(lexer.StringValue().AsStdString(), body);
        ASSERT_EQ(lexer.NextToken(), L::TokenName);
        EXPECT_EQ(std::string(lexer.NameValue()), std::string(100, 'n'));
        ASSERT_EQ(lexer.NextToken(), L::TokenSymbol);
        EXPECT_EQ(std::string(lexer.SymbolValue()), body.substr(0, 5000));
        EXPECT_EQ(lexer.NextToken(), L::TokenEndOfData);
    }
}

// The golden dump: one token per line with its offset, for a hand-written
// content stream.
std::string Dump(const std::string& text, const std::vector<size_t>& sizes) {
    GLOB_StreamLexer lexer(GLOB_Stream(new GLOB_ChunkedCore(text, sizes, GLOB_StreamCore::Input)));
    std::ostringstream out;
    for (;;) {
        const GLOB_StreamLexer::Token token = lexer.NextToken();
        out << lexer.TokenOffset() << " " << Describe(lexer, token) << "\n";
        if (token == L::TokenEndOfData || token == L::TokenError)
            return out.str();
    }
}

TEST(GLOB_StreamLexer, ContentStreamMatchesTheGoldenDump) {
    const std::string dir = TINTSCOPE_TEST_DATA_DIR;
    const std::string input = ReadWholeFile(dir + "/GLOB_StreamLexer_content.txt");
    const std::string expected = ReadWholeFile(dir + "/GLOB_StreamLexer_content.dump");
    ASSERT_FALSE(input.empty());
    ASSERT_FALSE(expected.empty());
    for (const std::vector<size_t>& sizes : GLOB_TestChunkings()) {
        SCOPED_TRACE(sizes[0]);
        EXPECT_EQ(Dump(input, sizes), expected);
    }
}

TEST(GLOB_StreamLexer, SetStreamClosesThePreviousStreamAndResetDoesNot) {
    auto* first = new GLOB_ChunkedCore("7 8", {0}, GLOB_StreamCore::Input);
    GLOB_Stream firstStream(first);
    GLOB_StreamLexer lexer(firstStream);
    ASSERT_EQ(lexer.NextToken(), L::TokenInteger);
    // Handing the lexer the stream it holds goes on reading it.
    lexer.SetStream(firstStream);
    ASSERT_EQ(lexer.NextToken(), L::TokenInteger);
    EXPECT_EQ(lexer.IntegerValue(), 8);
    lexer.Reset();
    EXPECT_EQ(first->closes, 0);
    EXPECT_EQ(first->RefCount(), 1u);
    EXPECT_EQ(lexer.NextToken(), L::TokenEndOfData);

    lexer.SetStream(firstStream);
    lexer.SetStream(GLOB_Stream(new GLOB_StringStream("(s")));
    EXPECT_EQ(first->closes, 1);
    EXPECT_EQ(lexer.NextToken(), L::TokenError);
    // A new stream clears the error state.
    lexer.SetStream(GLOB_Stream(new GLOB_StringStream("/N")));
    ASSERT_EQ(lexer.NextToken(), L::TokenName);
    EXPECT_STREQ(lexer.NameValue(), "N");
}

TEST(GLOB_StreamLexer, TracesLogStatesAndTokensAtLevel8) {
    LogCapture log;
    GLOB_StreamLexer lexer(GLOB_Stream(new GLOB_StringStream("/A 1")));
    lexer.SetStateTrace(true);
    lexer.SetTokenTrace(true);
    while (lexer.NextToken() != L::TokenEndOfData) {
    }
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "Changing state from StateStart to StateName"));
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "Returning token TokenName: /A"));
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "Returning token TokenEndOfData"));
}

TEST(GLOB_StreamLexer, AnInvalidStateIsAnInternalErrorAndNoStreamNoData) {
    GLOB_StreamLexer lexer;
    EXPECT_EQ(lexer.NextToken(), L::TokenEndOfData);
    lexer.SetStream(GLOB_Stream(new GLOB_StringStream("1")));
    lexer.SetState(99);
    EXPECT_EQ(lexer.NextToken(), L::TokenError);
    EXPECT_EQ(lexer.ErrorMessage(), "Internal Error: Invalid state");
    EXPECT_THROW(GLOB_StreamLexer::NameOfState(99), TestAssertionFailure);
}

}  // namespace
