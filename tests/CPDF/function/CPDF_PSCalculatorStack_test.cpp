#include "CPDF/function/CPDF_PSCalculatorStack.h"

#include "CPDF/function/PSCalculatorTestUtil.h"

#include <gtest/gtest.h>

namespace {

// Runs the program on an empty stack: what it leaves from the bottom up, or
// what it throws.
std::string Executed(const std::string& text, bool debug = false) {
    const auto calculator = Compiled(text, debug);
    if (calculator->HasError())
        return "load: " + calculator->ErrorMessage();
    CPDF_PSCalculatorStack stack;
    return Outcome([&] {
        calculator->Execute(stack);
        return Listing(stack);
    });
}

// n ones, then last.
std::string Ones(int n, const char* last = "") {
    std::string text = "{ ";
    for (int i = 0; i < n; ++i)
        text += "1 ";
    return text + last + " }";
}

}  // namespace

TEST(CPDF_PSCalculatorStack, Operators) {
    const struct {
        std::string program;
        std::string result;
    } cases[] = {
        // Two operands: integers stay integers, anything else is real.
        {"{ 2 3 add 2 3.5 add 2 3 sub 2.5 3 mul }", "5 5.5 -1 7.5"},
        {"{ 2147483647 1 add -2147483648 1 sub 65536 65536 mul -2147483648 -1 mul }",
         "-2147483648 2147483647 0 -2147483648"},
        {"{ 4 2 div 1.0 2 div }", "2.0 0.5"},
        {"{ 1 0 div }", "1128021 Division by 0"},
        {"{ 1 0.0 div }", "1128021 Division by 0"},
        {"{ -2 3 exp 2 -1 exp 4 0.5 exp }", "-8.0 0.5 2.0"},
        {"{ -8 0.5 exp }", "1128021 Fractional power of negative number"},
        {"{ 0 1 atan 1 0 atan 0 -1 atan -1 0 atan 0 0 atan }", "0.0 90.0 180.0 270.0 0.0"},
        {"{ 1 1 atan -1 1 atan 0.0 -0.0 atan }", "45.0 315.0 0.0"},
        {"{ true 1 add }", "1128019 Expected two numerics"},
        {"{ 1 true add }", "1128019 Expected two numerics"},
        {"{ 1 add }", "1128016 Stack Underflow"},
        // Integer operators.
        {"{ -7 2 idiv 7 -2 idiv -7 2 mod 7 -2 mod }", "-3 -3 -1 1"},
        {"{ 1 0 idiv }", "1128021 Division by 0"},
        {"{ 1 0 mod }", "1128021 Division by 0"},
        {"{ -2147483648 -1 idiv -2147483648 -1 mod }", "-2147483648 0"},
        {"{ 7.0 2 idiv }", "1128019 Expected two integers"},
        {"{ 7 2 mod 1 3 bitshift 1 -1 bitshift -8 -1 bitshift }", "1 8 0 -4"},
        {"{ 1 31 bitshift 1 32 bitshift -1 -32 bitshift 8 -40 bitshift -2147483648 -2147483648 bitshift }",
         "-2147483648 0 -1 0 -1"},
        // One operand.
        {"{ -3 abs -2.5 abs -2147483648 abs 3 neg 2.5 neg -2147483648 neg }", "3 2.5 -2147483648 -3 -2.5 -2147483648"},
        {"{ 2.5 ceiling -2.5 floor 3 floor 3 ceiling }", "3.0 -3.0 3 3"},
        {"{ 2.5 round -2.5 round 3 round 2.49 round }", "3.0 -2.0 3 2.0"},
        {"{ 2.7 cvi -2.7 cvi -2.7 truncate 3 truncate 2 cvr 2.5 cvr }", "2 -2 -2.0 3 2.0 2.5"},
        {"{ 3000000000.0 truncate 3000000000.0 cvi -3000000000.0 cvi 2147483647.9 cvi }",
         "3e+09 -2147483648 -2147483648 2147483647"},
        {"{ 4 sqrt 100 log 1 ln 90 sin 180 cos }", "2.0 2.0 0.0 1.0 -1.0"},
        {"{ -1 sqrt }", "1128021 Fractional power of negative exponent"},
        {"{ 0 ln }", "1128021 Negative logarithm"},
        {"{ -1 log }", "1128021 Negative logarithm"},
        {"{ true abs }", "1128019 Expected numeric"},
        {"{ cvi }", "1128016 Stack Underflow"},
        // Booleans and bits.
        {"{ true false and true false or true true xor }", "false true false"},
        {"{ 12 10 and 12 10 or 12 10 xor 0 not true not }", "8 14 6 -1 false"},
        {"{ true 1 and }", "1128019 Expected integer or boolean value"},
        {"{ 1.5 not }", "1128019 Expected int or boolean."},
        // Comparisons.
        {"{ 1 1.0 eq true 1 eq true 1 ne true true eq false true ne }", "true false true true true"},
        {"{ 1 2 lt 2 2 le 2.5 2 gt 2 2.5 ge }", "true true true false"},
        {"{ true 1 lt }", "1128019 Expected two numerics"},
        // The stack.
        {"{ 1 dup 2 exch pop }", "1 2"},
        {"{ pop }", "1128016 Stack underflow"},
        {"{ dup }", "1128016 Stack Underflow"},
        {"{ 1 exch }", "1128016 Stack Underflow"},
        {"{ 1 2 3 3 copy }", "1 2 3 1 2 3"},
        {"{ 1 2 0 copy -1 copy }", "1 2"},
        {"{ 1 2 3 copy }", "1128016 Stack underflow"},
        {"{ 1 1.0 copy }", "1128019 Expected integer"},
        {"{ 1 2 3 2 index 0 index }", "1 2 3 1 1"},
        {"{ 1 2 2 index }", "1128016 Stack underflow"},
        {"{ 1 -1 index }", "1128016 Stack underflow"},
        {"{ 1 1.0 index }", "1128019 Expected integer"},
        {"{ 1 2 3 3 1 roll }", "3 1 2"},
        {"{ 1 2 3 3 -1 roll }", "2 3 1"},
        {"{ 1 2 3 4 4 2 roll }", "3 4 1 2"},
        {"{ 1 2 3 3 4 roll }", "3 1 2"},
        {"{ 1 2 3 3 -2147483648 roll }", "3 1 2"},
        {"{ 1 2 3 3 3 roll 7 0 1 roll }", "1 2 3 7"},
        {"{ 1 2 3 roll }", "1128016 Stack undeflow"},
        {"{ 1 2 -1 1 roll }", "1128016 Stack underflow"},
        {"{ 1 2.0 roll }", "1128019 Expected two integers"},
        // Jumps; a jump to the end of the program ends it.
        {"{ false { 1 2 } if }", ""},
        {"{ true { 1 2 } if }", "1 2"},
        {"{ 3 true { false { 1 } { 2 } ifelse } { 4 } ifelse 5 }", "3 2 5"},
        {"{ 1 { 2 } if }", "1128019 Expected boolean"},
        {"{ { 1 } { 0 } ifelse }", "1128016 Stack underflow"},
        {Ones(101), "1128017 Stack overflow"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        EXPECT_EQ(Executed(c.program), c.result);
    }
}

TEST(CPDF_PSCalculatorStack, AFullStackStaysFull) {
    CPDF_PSCalculatorStack stack;
    Compiled(Ones(99, "2"))->Execute(stack);
    EXPECT_EQ(Thrown([&] { Compiled("{ 3 }")->Execute(stack); }), "1128017 Stack overflow");
    EXPECT_EQ(stack.Size(), 100);
    EXPECT_EQ(stack.Get(0).m_integer, 2);
}

TEST(CPDF_PSCalculatorStack, PrintAndStopLogTheStack) {
    LogCapture log;
    EXPECT_EQ(Executed("{ true 2.5 print }", true), "true 2.5");
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "Code: fixed    2.5"));
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "Code: boolean  true"));
    EXPECT_EQ(Executed("{ 1 stop 2 }", true), "1128018 Abnormal halt");
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "Code: integer  1"));
    CPDF_PSCalculator::DumpCode(CPDF_PSCalculator::Code::Operator(CPDF_PSOperator::Roll));
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "Code: operator roll"));
}
