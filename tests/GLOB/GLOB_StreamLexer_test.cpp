#include "GLOB/GLOB_StreamLexer.h"

#include "GLOB/GLOB_StringStream.h"
#include "GLOB_TestUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using L = GLOB_StreamLexer;

std::string Escape(const std::string& bytes) {
    std::string s;
    for (unsigned char c : bytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, c >= 33 && c <= 126 && c != '\\' ? "%c" : "\\x%02X", c);
        s += hex;
    }
    return s;
}

// One token as text: the kind and its value.
std::string Describe(L& lexer, L::Token token) {
    char fixed[64];
    switch (token) {
    case L::TokenEndOfData: return "EOD";
    case L::TokenError: return "Error " + lexer.ErrorMessage();
    case L::TokenNull: return "Null";
    case L::TokenBoolean: return lexer.BooleanValue() ? "Bool true" : "Bool false";
    case L::TokenInteger: return "Int " + std::to_string(lexer.IntegerValue());
    case L::TokenFixed:
        std::snprintf(fixed, sizeof fixed, "Fixed %.6f", lexer.FixedValue());
        return fixed;
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

// Every token up to EndOfData or the first error, with offsets if asked;
// the last kind must repeat, with the same error text.
std::string Lex(const std::string& text, const std::vector<size_t>& sizes, bool offsets = false) {
    L lexer(GLOB_Stream(new GLOB_ChunkedCore(text, sizes, GLOB_StreamCore::Input)));
    std::ostringstream out;
    for (size_t guard = 0; guard <= text.size() + 2; ++guard) {
        const L::Token token = lexer.NextToken();
        const std::string described = Describe(lexer, token);
        if (offsets)
            out << lexer.TokenOffset() << " ";
        out << described << "\n";
        if (token == L::TokenEndOfData || token == L::TokenError) {
            if (Describe(lexer, lexer.NextToken()) != described)
                out << "did not repeat\n";
            return out.str();
        }
    }
    return out.str() + "no end\n";
}

using LexCase = std::pair<std::string, std::vector<std::string>>;  // input, tokens

const std::string NameChar = "Error Unexpected character encountered in name: '";
const std::string NoParen = "Error String is missing trailing ')'";
const std::string NoAngle = "Error Hexadecimal string is missing trailing '>'";

std::vector<LexCase> EdgeCases() {
    std::string body;  // long tokens are read across many buffers
    for (int i = 0; i < 100000; ++i)
        body += static_cast<char>('a' + i % 26);
    const std::string n100(100, 'n'), s127 = body.substr(0, 127);
    return {
        {"(" + body + ") /" + n100 + " " + s127, {"String " + body, "Name " + n100, "Symbol " + s127, "EOD"}},
        // A dictionary with a name key and an integer value.
        {"<</A 1>>", {"<<", "Name A", "Int 1", ">>", "EOD"}},
        // Hexadecimal strings: white space between bytes and between digits.
        {"<41 4>", {"String A@", "EOD"}}, {"<4 1>", {"String A", "EOD"}}, {"<>", {"String ", "EOD"}},
        {std::string("<4\0\f1>", 6), {"String A", "EOD"}}, {"<", {NoAngle}}, {"<41", {NoAngle}},
        {"<4G>", {"Error Unexpected character encountered in hexadecimal string: 'G'"}},
        // Literal strings: balanced parentheses, escapes, line continuations.
        {"(a(b)c)", {"String a(b)c", "EOD"}}, {"(\\101\\60x)", {"String A0x", "EOD"}}, {"(\\8)", {"String 8", "EOD"}},
        {"(a\\\r\nb)", {"String ab", "EOD"}}, {"(a\\\nb)", {"String ab", "EOD"}}, {"(a\\\rb)", {"String ab", "EOD"}},
        {"(\\777\\0a\\12)", {"String \\xFF\\x00a\\x0A", "EOD"}},
        {"(\\b\\f\\n\\r\\t\\(\\\\)", {"String \\x08\\x0C\\x0A\\x0D\\x09(\\x5C", "EOD"}},
        // Unescaped CR, LF and CR LF are one LF each; after a backslash they join.
        {"(a\rb\r\nc\n\rd\r\re)", {"String a\\x0Ab\\x0Ac\\x0A\\x0Ad\\x0A\\x0Ae", "EOD"}},
        {"(a\\\r\r\nb\r", {NoParen}}, {"(a\\\r\r\nb\r)", {"String a\\x0Ab\\x0A", "EOD"}},
        {")", {"Error Unexpected closing )"}},
        {"(a\\)", {NoParen}}, {"(\\", {NoParen}}, {"(\\1", {NoParen}}, {"(\\12", {NoParen}}, {"(\\\r", {NoParen}},
        {"(x", {NoParen}},
        // Names: escapes, the length limit, bytes above 127, delimiters.
        // A "#" that two hex digits do not follow is its own byte, as qpdf reads it.
        {"/A#42", {"Name AB", "EOD"}}, {"/A#4G", {"Name A#4G", "EOD"}}, {"/A#4", {"Name A#4", "EOD"}},
        {"/A#GZ", {"Name A#GZ", "EOD"}}, {"/A#", {"Name A#", "EOD"}}, {"/A#/B", {"Name A#", "Name B", "EOD"}},
        {"/A#\f", {"Name A#", "EOD"}}, {"/" + std::string(127, 'a') + "#", {NameChar + "EndOfData'"}},
        {"/" + std::string(128, 'a'), {NameChar + "a'"}},
        {"/" + std::string(127, 'a'), {"Name " + std::string(127, 'a'), "EOD"}},
        {"/A#00B", {NameChar + "\\000'"}}, {"/A\x80" "B", {"Name A\\x80B", "EOD"}}, {"/", {"Name ", "EOD"}},
        {"/A/B", {"Name A", "Name B", "EOD"}}, {"/A\fB", {"Name A", "Symbol B", "EOD"}},
        // Numbers: signs, a lone sign, a lone point, malformed numbers.
        {"-", {"Int 0", "EOD"}}, {"+", {"Int 0", "EOD"}}, {"+5", {"Int 5", "EOD"}},
        {"+1 -2 +.25 -.5 . 3. 007", {"Int 1", "Int -2", "Fixed 0.250000", "Fixed -0.500000", "Fixed 0.000000",
                                     "Fixed 3.000000", "Int 7", "EOD"}},
        {"1.2.3", {"Error Unexpected character encountered in fixed number: '.'"}},
        {"12a", {"Error Unexpected character encountered in integer number: 'a'"}},
        {"1-", {"Error Unexpected character encountered in integer number: '-'"}},
        {"1\f", {"Int 1", "EOD"}}, {"1\f2", {"Int 1", "Int 2", "EOD"}}, {"1/A", {"Int 1", "Name A", "EOD"}},
        // Integers beyond 32 bits are clamped, never wrapped.
        {"2147483647 -2147483648 2147483648 4294967297 -99999999999999999999",
         {"Int 2147483647", "Int -2147483648", "Int 2147483647", "Int 2147483647", "Int -2147483648", "EOD"}},
        // Comments end at CR or LF, which belong to no token.
        {"% note", {"Comment %\\x20note", "EOD"}}, {"%a\r\n1", {"Comment %a", "Int 1", "EOD"}},
        {"%\n%b", {"Comment %", "Comment %b", "EOD"}},
        // A comment keeps its head only, however long, and still ends at its line's end.
        {"%" + std::string(3 * GLOB_StreamLexer::MaxCommentBytes, 'x') + "\r1",
         {"Comment %" + std::string(GLOB_StreamLexer::MaxCommentBytes - 1, 'x'), "Int 1", "EOD"}},
        {"%" + std::string(GLOB_StreamLexer::MaxCommentBytes - 1, 'y') + "\n",
         {"Comment %" + std::string(GLOB_StreamLexer::MaxCommentBytes - 1, 'y'), "EOD"}},
        // Braces are symbols at once; keywords.
        {"{dup}", {"Symbol {", "Symbol dup", "Symbol }", "EOD"}},
        {"null true false nulls", {"Null", "Bool true", "Bool false", "Symbol nulls", "EOD"}},
        {"abc\f", {"Symbol abc", "EOD"}}, {"[1 2.5]", {"[", "Int 1", "Fixed 2.500000", "]", "EOD"}},
        {"<<>>", {"<<", ">>", "EOD"}}, {">", {"Error Unexpected '>'"}}, {">a", {"Error Unexpected '>'"}},
        // NUL and form feed are white space; other control bytes, DEL and
        // bytes above 127 are characters of a word.
        {std::string("1\0 2\0\0", 7), {"Int 1", "Int 2", "EOD"}}, {std::string("\0q\0\0\0", 5), {"Symbol q", "EOD"}},
        {"\x01 \xFF", {"Symbol \\x01", "Symbol \\xFF", "EOD"}},
        {"abc\x80\x7F\x1B/x", {"Symbol abc\\x80\\x7F\\x1B", "Name x", "EOD"}},
        {"12\x80", {"Error Unexpected character encountered in integer number: '\\200'"}},
        {"", {"EOD"}}, {" \t\r\n\f", {"EOD"}},
    };
}

TEST(GLOB_StreamLexer, EdgeCasesGiveTheSameTokensInEveryChunking) {
    const std::vector<LexCase> cases = EdgeCases();
    for (size_t i = 0; i < cases.size(); ++i) {
        std::string expected;
        for (const std::string& token : cases[i].second)
            expected += token + "\n";
        for (const std::vector<size_t>& sizes : GLOB_TestChunkings()) {
            SCOPED_TRACE("case " + std::to_string(i) + " [" + Escape(cases[i].first.substr(0, 40)) + "] chunks of " +
                         std::to_string(sizes[0]));
            EXPECT_EQ(Lex(cases[i].first, sizes), expected);
        }
    }
}

// The golden dump: one token per line with its offset, for a hand-written
// content stream.
TEST(GLOB_StreamLexer, ContentStreamMatchesTheGoldenDump) {
    const std::string dir = TINTSCOPE_TEST_DATA_DIR;
    const std::string input = ReadWholeFile(dir + "/GLOB_StreamLexer_content.txt");
    const std::string expected = ReadWholeFile(dir + "/GLOB_StreamLexer_content.dump");
    ASSERT_FALSE(input.empty() || expected.empty());
    for (const std::vector<size_t>& sizes : GLOB_TestChunkings()) {
        SCOPED_TRACE(sizes[0]);
        EXPECT_EQ(Lex(input, sizes, true), expected);
    }
}

TEST(GLOB_StreamLexer, ResumesAfterAnotherReaderTookBytes) {
    // An inline image's reader takes "ID"'s white space and the data "xy",
    // draining the first buffer; the lexer must not take that for the end.
    for (bool resume : {false, true}) {
        const GLOB_Stream stream(new GLOB_ChunkedCore("ID xy 2", {5}, GLOB_StreamCore::Input));
        L lexer(stream);
        ASSERT_EQ(lexer.NextToken(), L::TokenSymbol);
        GLOB_Stream reader(stream);
        EXPECT_EQ(Take(reader.Read()), " xy");
        if (resume)
            lexer.Resume();
        EXPECT_EQ(lexer.NextToken(), resume ? L::TokenInteger : L::TokenEndOfData);
        EXPECT_EQ(lexer.TokenOffset(), resume ? 6u : 5u);
    }
}

// A bare word is bounded as a name is, and the lexer stops pulling the
// stream once the word has passed its bound, however long the data go on.
TEST(GLOB_StreamLexer, ABareWordEndsAtItsBound) {
    const std::string tooLong = "Error A bare word is longer than 127 bytes: no operator or keyword is";
    const size_t chunk = 4096;
    const struct {
        size_t length;  // of the word of 'x', then " q" unless it runs to the end
        bool endless;
        std::string first;
    } rows[] = {
        {L::MaxWordBytes, false, "Symbol " + std::string(L::MaxWordBytes, 'x')},
        {L::MaxWordBytes + 1, false, tooLong},
        {L::MaxWordBytes + 1, true, tooLong},
        {16 * 1024 * 1024, true, tooLong},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.length) + (row.endless ? " to the end" : " then q"));
        const std::string text = std::string(row.length, 'x') + (row.endless ? "" : " q");
        auto* core = new GLOB_ChunkedCore(text, {chunk}, GLOB_StreamCore::Input);
        L lexer{GLOB_Stream(core)};
        EXPECT_EQ(Describe(lexer, lexer.NextToken()), row.first);
        // The word's bound and one chunk beyond it, never the whole data.
        EXPECT_LE(static_cast<size_t>(core->fills), (L::MaxWordBytes + 1) / chunk + 2);
        if (row.first == tooLong)
            EXPECT_EQ(Describe(lexer, lexer.NextToken()), tooLong);
        else
            EXPECT_EQ(Describe(lexer, lexer.NextToken()), "Symbol q");
    }
}

// Where long words pass (inside BX ... EX), a word of any length is read to
// its end in bounded memory: one symbol of its first bytes, said cut, and
// the next token after it.
TEST(GLOB_StreamLexer, ALongWordPassesWhereLongWordsDo) {
    for (const size_t length : {L::MaxWordBytes, L::MaxWordBytes + 1, size_t{16} * 1024 * 1024}) {
        SCOPED_TRACE(length);
        const std::string text = std::string(length, 'x') + " q";
        L lexer{GLOB_Stream(new GLOB_ChunkedCore(text, {4096}, GLOB_StreamCore::Input))};
        lexer.SetLongWordsPass(true);
        EXPECT_EQ(Describe(lexer, lexer.NextToken()), "Symbol " + std::string(L::MaxWordBytes, 'x'));
        EXPECT_EQ(lexer.WordCut(), length > L::MaxWordBytes);
        EXPECT_EQ(Describe(lexer, lexer.NextToken()), "Symbol q");
        EXPECT_FALSE(lexer.WordCut());
    }
}

TEST(GLOB_StreamLexer, SetStreamClosesThePreviousStreamAndResetDoesNot) {
    auto* first = new GLOB_ChunkedCore("7 8", {0}, GLOB_StreamCore::Input);
    const GLOB_Stream firstStream(first);
    L lexer(firstStream);
    ASSERT_EQ(lexer.NextToken(), L::TokenInteger);
    lexer.SetStream(firstStream);  // the stream it holds: reading goes on
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
    lexer.SetStream(GLOB_Stream(new GLOB_StringStream("/N")));  // clears the error
    ASSERT_EQ(lexer.NextToken(), L::TokenName);
    EXPECT_STREQ(lexer.NameValue(), "N");
    EXPECT_EQ(L().NextToken(), L::TokenEndOfData);  // no stream, no data
}

}  // namespace
