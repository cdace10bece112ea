#include "CPDF/function/CPDF_PSCalculator.h"

#include "CPDF/function/PSCalculatorTestUtil.h"

#include <gtest/gtest.h>

namespace {

// depth procedures, each holding the next inside "true { … } if".
std::string Nested(int depth) {
    std::string text = "{ ";
    for (int i = 1; i < depth; ++i)
        text += "true { ";
    text += "1 ";
    for (int i = 1; i < depth; ++i)
        text += "} if ";
    return text + "}";
}

// Gives its first bytes, then throws what a cancel throws.
struct CancelledCore : GLOB_ChunkedCore {
    CancelledCore() : GLOB_ChunkedCore("{ 1 2 add 3 mul }", {5}, Input) {}
    FILT_FilterBuffer* FillBuffer() override {
        if (fills == 1)
            throw GLIB_Exception(1128003, "Cancel requested", __FILE__, __LINE__);
        return GLOB_ChunkedCore::FillBuffer();
    }
};

}  // namespace

TEST(CPDF_PSCalculator, Compiles) {
    const struct {
        const char* text;
        const char* codes;
    } cases[] = {
        // A false comparison continues at 4 + 1 + 4 = 9, after 1 the jump at
        // 8 continues at 8 + 1 + 2 = 11.
        {"{ dup 0.5 gt { pop 1 } { 2 mul } ifelse }", "dup 0.5 gt 4 velm_jump_false pop 1 2 velm_jump 2 mul"},
        // The outer length 4 counts the inner jump pair.
        {"{ true { false { 1 } if } if }", "true 4 velm_jump_false false 1 velm_jump_false 1"},
        {"{ true { 1 } if false { 2 } { 3 } ifelse }",
         "true 1 velm_jump_false 1 false 3 velm_jump_false 2 1 velm_jump 3"},
        {"{true{1}{2}ifelse}", "true 3 velm_jump_false 1 1 velm_jump 2"},
        // Empty bodies.
        {"{ }", ""},
        {"{ dup 0.5 gt { pop 1 } { } ifelse }", "dup 0.5 gt 4 velm_jump_false pop 1 0 velm_jump"},
        // Numbers: beyond 32 bits an integer literal is a real.
        {"{ 1 1.0 -0 +2 .5 }", "1 1.0 0 2 0.5"},
        {"{ 3000000000 -3000000000 2147483647 -2147483648 2147483648 }",
         "3e+09 -3e+09 2147483647 -2147483648 2.14748e+09"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Listing(*Compiled(c.text)), c.codes);
    }
}

TEST(CPDF_PSCalculator, RefusesMalformedPrograms) {
    const char* braces = "load: Procedure is missing surrounding braces, or has mismatched braces";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"1 2 add", braces},
        {"", braces},
        {"{ 1 } 2", braces},
        {"{ } { }", braces},
        {"{ { 1 }", braces},
        {"} 1 {", "load: Procedure missing opening {"},
        {"{ 1 } }", "load: Procedure missing opening {"},
        // Tokens the calculator has no use for.
        {"{ /x }", "load: Unknown token type encountered"},
        {"{ 1 % note\n }", "load: Unknown token type encountered"},
        {"{ (abc) }", "load: Unexpected token: (abc)"},
        {"{ [ 1 ] }", "load: Unexpected token: ["},
        {"{ << >> }", "load: Unexpected token: <<"},
        {"{ null }", "load: Unexpected token: null"},
        {"{ 1 ) }", "load: Error parsing token: Unexpected closing )"},
        // Operators.
        {"{ 1 2 foo }", "load: Unknown token encountered: foo"},
        {"{ true if }", "load: Internal error parsing (illegal token encountered): if"},
        {"{ true { 1 } if ifelse }", "load: Internal error parsing (illegal token encountered): ifelse"},
        {"{ 1 velm_jump }", "load: Internal error parsing (illegal token encountered): velm_jump"},
        {"{ 1 print }", "load: Operator allowed only in debug mode: print"},
        // Procedures without their if or ifelse.
        {"{ true { 1 } }", "load: Procedure found without if/ifelse"},
        {"{ { } }", "load: Procedure found without if/ifelse"},
        {"{ { foo } }", "load: Unknown token encountered: foo"},
        {"{ true { 1 } ifelse }", "load: Expected 'if', found:ifelse"},
        {"{ true { 1 } { 2 } if }", "load: Expected 'ifelse', found : if"},
        {"{ { 1 } { 2 } { 3 } ifelse }", "load: Expected 'ifelse', found : [ 3 ]"},
        {"{ { 1 } { 2 } }", "load: Procedure pair found without ifelse"},
        {"{ true { 1 } 3 }", "load: Expected 'if' or procedure, found : 3"},
        // Deep nesting fails to load instead of running out of stack.
        {Nested(CPDF_PSCalculator::MaxProcedureNesting + 1), "load: Procedures nested more than 100 deep"},
    };
    LogCapture log;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto calculator = Compiled(c.text);
        EXPECT_TRUE(calculator->HasError());
        EXPECT_EQ(Listing(*calculator), c.error);
        EXPECT_TRUE(log.Contains(GLIB_LogError, c.error.substr(6)));
    }
    // The compile stack is logged with the error.
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "[ true [ 1 ] 1 3 ]"));
    const auto deepest = Compiled(Nested(CPDF_PSCalculator::MaxProcedureNesting));
    EXPECT_FALSE(deepest->HasError()) << deepest->ErrorMessage();
    EXPECT_EQ(deepest->Program().size(), 3u * (CPDF_PSCalculator::MaxProcedureNesting - 1) + 1);
}

TEST(CPDF_PSCalculator, DebugModeSkipsCommentsAndCompilesPrintAndStop) {
    // A comment inside a body must not count in its jump's length.
    const auto calculator = Compiled("{ true { % one\n 1 } if 2 print % two\n stop }", true);
    EXPECT_EQ(Listing(*calculator), "true 1 velm_jump_false 1 2 print stop");
    EXPECT_EQ(Listing(*Compiled("{ false { % one\n 1 } if 2 }", true)), "false 1 velm_jump_false 1 2");
}

TEST(CPDF_PSCalculator, ExceptionsOfTheStreamPassThrough) {
    CPDF_PSCalculator calculator;
    EXPECT_EQ(Thrown([&] { calculator.Load(GLOB_Stream(new CancelledCore)); }), "plain 1128003 Cancel requested");
    // The next load starts afresh.
    EXPECT_TRUE(calculator.Load(GLOB_Stream(new GLOB_ChunkedCore("{ 1 }", {}, GLOB_StreamCore::Input))));
}
