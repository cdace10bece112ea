#include "CPDF/function/CPDF_ExpInterpFunction.h"

#include "CPDF/function/CPDF_Function.h"
#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::string Dict(const std::string& entries) { return "<< /FunctionType 2 /Domain [0 1] " + entries + " >>"; }

}  // namespace

TEST(CPDF_ExpInterpFunction, ReaderMessages) {
    const struct {
        const char* entries;
        const char* thrown;
    } cases[] = {
        {"/C0 /x", "1128007 ExpInterp Function is missing 'N' (gamma) entry\n"
                   "ExpInterp Function 'C0' entry must be a numeric array: Expected type Array, found Name\n\n"},
        {"/N /x /C1 [1 (a)]", "1128007 ExpInterp Function 'N' entry must be numeric, found Name\n"
                              "ExpInterp Function 'C1' entry must be a numeric array: "
                              "Expected array entry 1 to be a number, found String\n\n"},
        {"/N 1 /C0 [0 0 0] /C1 [1 1]", "1128007 ExpInterp Function 'C0' and 'C1' dimensions must agree.  Found: 3 and 2\n"},
        {"/N 1 /C0 [0 0 0] /C1 [1 1] /Range [0 1 0 1]",
         "1128007 ExpInterp Function 'C0' and 'C1' dimensions must agree.  Found: 3 and 2\n"
         "ExpInterp Function 'C0' size must agree with range dimension (2), found: 3\n"},
        {"/N 1 /C0 [0 0] /C1 [1] /Range [0 1 0 1]",
         "1128007 ExpInterp Function 'C0' and 'C1' dimensions must agree.  Found: 2 and 1\n"
         "ExpInterp Function 'C1' size must agree with range dimension (2), found: 1\n"},
        {"/N 1 /C0 /x /C1 [1 1 1] /Range [0 1]",
         "1128007 ExpInterp Function 'C0' entry must be a numeric array: Expected type Array, found Name\n\n"
         "ExpInterp Function 'C1' size must agree with range dimension (1), found: 3\n"},
        // The colour's own refusal leaves at once.
        {"/N /x /C0 []", "1128002 Color array has zero length.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries);
        EXPECT_EQ(Thrown([&] { CPDF_ExpInterpFunction f(Obj(Dict(c.entries))); }), c.thrown);
    }
    // One input per point: another Domain would read past the caller's inputs.
    EXPECT_EQ(Thrown([] { CPDF_Function f(Obj("<< /FunctionType 2 /Domain [0 1 0 1] /N 1 >>")); }),
              "1128007 ExpInterp Function must have a Domain of dimension 1, found: 2\n");
    EXPECT_EQ(Thrown([] { CPDF_Function f(Obj("<< /FunctionType 2 /Domain [] /N 1 >>")); }),
              "1128007 ExpInterp Function must have a Domain of dimension 1, found: 0\n");
}

TEST(CPDF_ExpInterpFunction, Evaluates) {
    const double nan = std::nan("");
    const struct {
        const char* dict;
        std::vector<double> in, out;
    } cases[] = {
        {"<< /FunctionType 2 /Domain [0 1] /N 1 >>", {0, 0.3, 1}, {0, 0.3, 1}},
        {"<< /FunctionType 2 /Domain [0 1] /N 2 /C0 [0] /C1 [1] >>", {0.5}, {0.25}},
        {"<< /FunctionType 2 /Domain [0 1] /N 2 /C0 [1 0 0.5] /C1 [0 1 0.5] >>", {0.5, 1},
         {0.75, 0.25, 0.5, 0, 1, 0.5}},
        {"<< /FunctionType 2 /Domain [0 4] /N 0.5 /C0 [10] /C1 [20] /Range [0 25] >>", {1, 9}, {20, 25}},
        // N 1 multiplies; any other N takes a power, which a negative input
        // with a fractional exponent has not.
        {"<< /FunctionType 2 /Domain [-1 1] /N 1 >>", {-1}, {-1}},
        {"<< /FunctionType 2 /Domain [-1 1] /N 1.000001 >>", {-1}, {nan}},
        {"<< /FunctionType 2 /Domain [-1 1] /N 3 >>", {-0.5}, {-0.125}},
        {"<< /FunctionType 2 /Domain [0 1] /N -1 >>", {0}, {INFINITY}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dict);
        const std::vector<double> out = Outputs(CPDF_Function(Obj(c.dict)), c.in);
        ASSERT_EQ(out.size(), c.out.size());
        for (size_t i = 0; i < out.size(); ++i) {
            if (std::isnan(c.out[i]))
                EXPECT_TRUE(std::isnan(out[i]));
            else
                EXPECT_DOUBLE_EQ(out[i], c.out[i]) << i;
        }
    }
}

TEST(CPDF_ExpInterpFunction, RangeWithoutARangeEntryIsTheHullOfC0AndC1) {
    const CPDF_ExpInterpFunction f(Obj(Dict("/N 1 /C0 [1 0] /C1 [0 1]")));
    EXPECT_FALSE(f.HasRange());
    EXPECT_EQ(f.RangeDimension(), 2u);
    EXPECT_EQ(f.Range(), CPDF_IntervalSet(Obj("[0 1 0 1]")));
    const CPDF_ExpInterpFunction ranged(Obj(Dict("/N 1 /C0 [1 0] /C1 [0 1] /Range [0 0.5 0 2]")));
    EXPECT_TRUE(ranged.HasRange());
    EXPECT_EQ(ranged.Range(), CPDF_IntervalSet(Obj("[0 0.5 0 2]")));
}

TEST(CPDF_ExpInterpFunction, AC0OfManyNumbersReadsWhole) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object dict = doc.ParseObject("<< /FunctionType 2 /Domain [0 1] /N 1 >>");
    GLOB_Object c0 = doc.NewArray(70000, false);
    GLOB_Object c1 = doc.NewArray(70000, false);
    for (uint32_t i = 0; i < 70000; ++i) {
        c0.ArrayPut(i, doc.NewInteger(0, false));
        c1.ArrayPut(i, doc.NewInteger(static_cast<int32_t>(i), false));
    }
    dict.DictPut(GLOB_Name("C0"), c0);
    dict.DictPut(GLOB_Name("C1"), c1);
    const CPDF_ExpInterpFunction f(dict);
    ASSERT_EQ(f.RangeDimension(), 70000u);
    EXPECT_EQ(f.C1().Component(69999), 69999.0);
    const std::vector<double> out = Outputs(f, {0.5});
    EXPECT_EQ(out[69999], 69999 * 0.5);
}

TEST(CPDF_ExpInterpFunction, WritesAndChangesItsDictionary) {
    const CPDF_ExpInterpFunction y;
    EXPECT_FALSE(y.Object().IsDirect());
    EXPECT_EQ(y.Object().DictGet(GLOB_Name("N")).Type(), GLOB_Object::KindReal);
    for (const char* absent : {"C0", "C1", "Range"})
        EXPECT_FALSE(y.Object().Known(GLOB_Name(absent))) << absent;
    EXPECT_EQ(CPDF_Function(y.Object()), CPDF_Function(Obj("<< /FunctionType 2 /Domain [0 1] /N 1 >>")));

    const GLOB_Doc doc = NewMemoryDoc();
    CPDF_ExpInterpFunction f(doc, CPDF_Color(std::vector<double>{0, 1}), CPDF_Color(std::vector<double>{1, 0}), 2,
                             CPDF_IntervalSet());
    EXPECT_EQ(f.Object().GetImpl(), doc.Impl());
    f.SetC0(CPDF_Color(std::vector<double>{0.5, 0.5}));
    f.SetN(3);
    f.SetRange(CPDF_IntervalSet(Obj("[0 0.5 0 1]")));
    // Read back from what the setters wrote, it is the same function.
    const CPDF_ExpInterpFunction reread(f.Object());
    EXPECT_TRUE(reread == f);
    EXPECT_EQ(Printed(reread), "ExpInterp Function\nC0:     Color: 0.5 0.5 \nC1:     Color: 1 0 \nN:      3\n"
                               "Domain: Interval Set: [ ( 0 1 ) ]\nRange:  Interval Set: [ ( 0 0.5 )( 0 1 ) ]\n");
    f.RemoveRange();
    EXPECT_FALSE(f.HasRange() || f.Object().Known(GLOB_Name("Range")));
    CPDF_ExpInterpFunction one;
    one.SetC1(CPDF_Color(std::vector<double>{2}));
    EXPECT_TRUE(one.Object().Known(GLOB_Name("C1")));
    one.SetC1(CPDF_Color(std::vector<double>{1}));  // the default again: no key
    EXPECT_FALSE(one.Object().Known(GLOB_Name("C1")));
    one.SetC0C1(CPDF_Color(std::vector<double>{0}), CPDF_Color(std::vector<double>{1}));  // always both keys
    EXPECT_TRUE(one.Object().Known(GLOB_Name("C0")) && one.Object().Known(GLOB_Name("C1")));
    EXPECT_EQ(Thrown([&] { one.SetC0(CPDF_Color(2u)); }).substr(0, 7), "assert ");
}
