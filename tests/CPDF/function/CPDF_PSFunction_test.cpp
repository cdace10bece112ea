#include "CPDF/function/CPDF_PSFunction.h"

#include "CPDF/function/CPDF_Function.h"
#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>

namespace {

// A type 4 function stream of doc: the program with Domain and Range.
CPDF_Function PS(const GLOB_Doc& doc, const std::string& program, const char* domain = "[0 1]",
                 const char* range = "[0 1]") {
    const std::string dict = std::string("<< /FunctionType 4 /Domain ") + domain + " /Range " + range + " >>";
    return CPDF_Function(StoreStream(doc, program, dict.c_str()));
}

}  // namespace

TEST(CPDF_PSFunction, Evaluates) {
    const GLOB_Doc doc = NewMemoryDoc();
    const char* const four = "[0 1 0 1 0 1 0 1]";
    const struct {
        const char* program;
        const char* domain;
        const char* range;
        std::vector<double> in, out;
    } cases[] = {
        {"{ dup 0.5 gt { pop 1 } { 2 mul } ifelse }", "[0 1]", "[0 1]", {0.3, 0.5, 0.7}, {0.6, 1.0, 1}},
        // An empty else-branch.
        {"{ dup 0.5 gt { pop 1 } { } ifelse }", "[0 1]", "[0 1]", {0.3, 0.7}, {0.3, 1}},
        {"{ dup 0.1 mul exch dup 0.2 mul exch dup 0.3 mul exch 0.4 mul }", "[0 1]", four, {0.5},
         {0.05, 0.1, 0.15, 0.2}},
        // The top four of five, the deepest first.
        {"{ 0.9 0.1 0.2 0.3 0.4 }", "[0 1]", four, {0.5}, {0.1, 0.2, 0.3, 0.4}},
        // Inputs arrive as reals.
        {"{ cvi 2 mod }", "[0 10]", "[0 1]", {3.7, 4.2}, {1, 0}},
        // Integer literals beyond 32 bits are reals.
        {"{ 3000000000 add }", "[0 1]", "[0 4000000000.0]", {0.5}, {3000000000.5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        ExpectNear(Outputs(PS(doc, c.program, c.domain, c.range), c.in), c.out);
    }
}

TEST(CPDF_PSFunction, AgreesWithEquivalentSampledAndExponentialFunctions) {
    const GLOB_Doc doc = NewMemoryDoc();
    const struct {
        const char* program;
        const char* domain;
        const char* range;
        GLOB_Object other;
    } cases[] = {
        {"{ dup 0.5 gt { pop 1 } { 2 mul } ifelse }", "[0 1]", "[0 1]",
         Obj("<< /FunctionType 2 /Domain [0 1] /C1 [2] /N 1 /Range [0 1] >>")},
        {"{ dup mul }", "[0 1]", "[0 1]", Obj("<< /FunctionType 2 /Domain [0 1] /N 2 >>")},
        {"{ dup 0.2 mul exch dup 0.5 mul 0.1 add exch 1 exch sub }", "[0 1]", "[0 1 0 1 0 1]",
         Obj("<< /FunctionType 2 /Domain [0 1] /C0 [0 0.1 1] /C1 [0.2 0.6 0] /N 1 >>")},
        // Corners 0, 1, 1, 2 interpolated bilinearly: x + y.
        {"{ add }", "[0 1 0 1]", "[0 2]",
         StoreStream(doc, std::string("\x00\x64\x64\xc8", 4),
                     "<< /FunctionType 0 /Domain [0 1 0 1] /Range [0 2] /Size [2 2] /BitsPerSample 8 "
                     "/Decode [0 2.55] >>")},
    };
    // Every multiple of 1/40 in scattered order, one repeated.
    std::vector<double> in;
    for (int i = 0; i < 42; ++i)
        in.push_back(i * 17 % 41 / 40.0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        ExpectNear(Outputs(PS(doc, c.program, c.domain, c.range), in), Outputs(CPDF_Function(c.other), in));
    }
}

TEST(CPDF_PSFunction, Refusals) {
    const GLOB_Doc doc = NewMemoryDoc();
    const char* const one = "<< /FunctionType 4 /Domain [0 1] /Range [0 1] >>";
    const struct {
        const char* program;
        const char* dict;
        const char* thrown;
    } cases[] = {
        {"{ 1 2 foo }", one, "1128007 Error parsing PS function: Unknown token encountered: foo"},
        {"{ }", "<< /FunctionType 4 /Range [0] >>",
         "1128007 Function missing domain entry\nRange is invalid: Must be of even length, found 1\n\n"},
        // Evaluating 0.5.
        {"{ 0.5 gt }", one, "1128019 Expected numeric value on stack"},
        {"{ 2 mod }", one, "1128019 Expected two integers"},
        {"{ { 1 } { 0 } ifelse }", one, "1128019 Expected boolean"},
        {"{ }", "<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] >>",
         "1128016 Insufficient number of return values from PSCalcualator function.  Expected 4, found 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        EXPECT_EQ(Thrown([&] { Outputs(CPDF_Function(StoreStream(doc, c.program, c.dict)), {0.5}); }), c.thrown);
    }
    // Output 0 is written before the missing ones are reported.
    double in = 0.25;
    std::vector<double> out(4, -99);
    EXPECT_ANY_THROW(PS(doc, "{ }", "[0 1]", "[0 1 0 1 0 1 0 1]").Evaluate(&in, out.data(), 1));
    EXPECT_EQ(out, (std::vector<double>{0.25, -99, -99, -99}));
    // What an evaluation leaves behind does not reach the next one.
    const CPDF_Function f = PS(doc, "{ dup 0.5 gt { 1 2 3 0 div } if }");
    EXPECT_EQ(Thrown([&] { Outputs(f, {0.7}); }), "1128021 Division by 0");
    EXPECT_EQ(Outputs(f, {0.3}), std::vector<double>{0.3});
    LogCapture log;
    EXPECT_EQ(Thrown([] { CPDF_Function f(Obj("<< /FunctionType 4 /Domain [0 1] /Range [0 1] >>")); }),
              "1128007 Expected type Stream, found Dict\n");
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "Setting from non stream"));
}

TEST(CPDF_PSFunction, BuildsComparesAndPrints) {
    const GLOB_Doc doc = NewMemoryDoc();
    // The program { } with Domain and Range [0 1].
    EXPECT_EQ(Outputs(CPDF_PSFunction(), {-1, 0.3, 2}), (std::vector<double>{0, 0.3, 1}));

    const CPDF_PSFunction built(doc, "{ 2 mul }", CPDF_IntervalSet(Obj("[0 1]")), CPDF_IntervalSet(Obj("[0 3]")));
    const GLOB_Object object = built.Object();
    EXPECT_TRUE(object.IsStream());
    EXPECT_EQ(object.IntegerValue("FunctionType"), 4);
    const CPDF_Function read(object);
    EXPECT_TRUE(read.IsPSFunction());
    EXPECT_EQ(read, CPDF_Function(built));
    EXPECT_EQ(Outputs(read, {0.75}), std::vector<double>{1.5});
    EXPECT_EQ(Printed(read), "PostScript Function\nDomain: Interval Set: [ ( 0 1 ) ]\n"
                             "Range: Interval Set: [ ( 0 3 ) ]\n");

    const struct {
        const char* a;
        const char* b;
        const char* range;
        bool equal;
    } cases[] = {
        {"{ 0.5 mul }", "{ 0.5000001 mul }", "[0 1]", true},
        {"{ 0.5 mul }", "{ 0.6 mul }", "[0 1]", false},
        {"{ 0.5 mul }", "{ 0.5 mul }", "[0 2]", false},
        {"{ 1 }", "{ 1.0 }", "[0 1]", false},
        {"{ 1 }", "{ 1 1 }", "[0 1]", false},
        {"{ true { 1 } if }", "{true{1}if}", "[0 1]", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.b);
        EXPECT_EQ(PS(doc, c.a) == PS(doc, c.b, "[0 1]", c.range), c.equal);
    }
}
