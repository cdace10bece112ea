#include "CPDF/function/CPDF_StitchingFunction.h"

#include "CPDF/function/CPDF_ExpInterpFunction.h"
#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>

namespace {

// y = x and y = 10 + x, so an output tells which sub-function ran on what.
const char* const Low = "<< /FunctionType 2 /Domain [0 1] /N 1 >>";
const char* const High = "<< /FunctionType 2 /Domain [0 1] /N 1 /C0 [10] /C1 [11] >>";

std::string Stitching(const std::string& entries) { return "<< /FunctionType 3 " + entries + " >>"; }

std::string Two(const std::string& entries) {
    return Stitching("/Domain [0 1] /Functions [" + std::string(Low) + " " + High + "] " + entries);
}

}  // namespace

TEST(CPDF_StitchingFunction, HandsEachInputToItsSubinterval) {
    const struct {
        std::string dict;
        std::vector<double> in, out;
    } cases[] = {
        // A value on an inner bound belongs to the subinterval above it.
        {Two("/Bounds [0.5] /Encode [0 1 0 1]"), {0.5, 1, 0.25, 0}, {10, 11, 0.5, 0}},
        {Two("/Bounds [0.5] /Encode [1 0 0 0.5]"), {0.25, 0.75}, {0.5, 10.25}},
        {Stitching("/Domain [0 2] /Bounds [] /Encode [0 1] /Functions [" + std::string(High) + "]"), {0.5, 3},
         {10.25, 11}},
        // A bound on the Domain start: 0 lies in the second subinterval.
        {Stitching("/Domain [0 1] /Bounds [0 0.5] /Encode [0 1 0 1 0 1] /Functions [" + std::string(Low) + " " +
                   High + " " + Low + "]"),
         {0, 0.25, 0.75}, {10, 10.5, 0.5}},
        // A last subinterval of no width hands its sub-function e0.
        {Two("/Bounds [1] /Encode [0 1 0.5 1]"), {1, 0.5}, {10.5, 0.5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dict);
        EXPECT_EQ(Outputs(CPDF_Function(Obj(c.dict)), c.in), c.out);
    }
    // The caller's input holds what the sub-function was given.
    const CPDF_Function f(Obj(Two("/Bounds [0.5] /Encode [0 1 0 1]")));
    double x = 0.25;
    double y = 0;
    f.Evaluate(&x, &y, 1);
    EXPECT_EQ(x, 0.5);
}

TEST(CPDF_StitchingFunction, ReaderMessages) {
    const std::string low = Low;
    const struct {
        std::string dict;
        const char* text;
    } cases[] = {
        {Two("/Bounds [0.7 0.3] /Encode [0 1 0 1]"),
         "Stitching function has invalid Bounds array: The bounds array must be an increasing set of numbers, "
         "found entries: 0.7 0.3\n"},
        {Two("/Bounds [1.5] /Encode [0 1 0 1]"),
         "Stitching function has invalid Bounds array: The bounds array must be an increasing set of numbers, "
         "found entries: 1.5 1\n"},
        {Two("/Bounds [0.5] /Encode [0 1]"), "Stitching function 'Functions' and 'Encode' lengths must agree, found: 2, 1\n"},
        {Two("/Bounds [] /Encode [0 1]"),
         "Stitching function 'Functions' and 'Encode' lengths must agree, found: 2, 1\n"
         "Stitching function with 2 sub-functions must have a 'Bounds' entry of length 1, found: 0\n"},
        {Two("/Bounds [/x] /Encode [0 1 2]"),
         "Stitching function has invalid Bounds entry: Expected array entry 0 to be a number, found Name\n\n"
         "Stitching function has invalid Encode entry: A decode array must be of even length, found 3\n\n"},
        {Stitching("/Domain [0 1] /Bounds [] /Encode [0 1] /Functions << >>"),
         "Stitching function Functions entry should be an array, found: Dict\n"},
        {Stitching("/Domain [0 1] /Bounds [] /Encode [0 1] /Functions []"),
         "Stitching function 'Functions' entry has length 0.\n"},
        {Stitching("/Domain [0 1]"),
         "Stitching function is missing Bounds entry\nStitching function is missing Encode entry.\n"
         "Stitching function is missing Functions entry.\n"},
        {Stitching("/Domain [0 1] /Bounds [0.5] /Encode [0 1 0 1] /Functions [" + low +
                   " << /FunctionType 2 /Domain [0 1] /N 1 /C0 [0 0 0] /C1 [1 1 1] >>]"),
         "Stitching function has subfuctions with disagreeing Range dimensions: 1 3\n"},
        {Stitching("/Domain [0 1] /Bounds [0.5] /Encode [0 1 0 1] /Functions [" + low + " << /FunctionType 9 >>]"),
         "Stitching function subfunction 1 is invalid: Unknown Function type: 9\n"},
        {Stitching("/Domain [0 1] /Bounds [] /Encode [0 1] /Functions [<< /FunctionType 2 /N 1 >>]"),
         "Stitching function subfunction 0 is invalid: Function missing domain entry\n\n"},
        {Stitching("/Domain [1 0] /Bounds [0.5] /Encode [0 1 0 1] /Functions [" + low + " " + low + "]"),
         "The domain paramters must be increasing, found 1 0\n"},
        {Stitching("/Domain [0 1 0 1] /Bounds [] /Encode [0 1] /Functions [" + low + "]"),
         "Stitching function must have a Domain of dimension 1, found :2\n"},
        {Stitching("/Domain [0 1] /Range [0 1 0 1] /Bounds [] /Encode [0 1] /Functions [" + low + "]"),
         "Stitching function 'Range' dimension 2 doesn't agree with subfuction Range1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dict);
        EXPECT_EQ(Thrown([&] { CPDF_StitchingFunction f(Obj(c.dict)); }), std::string("1128007 ") + c.text);
    }
    // Each point hands its sub-function one input: a sampled function of two
    // inputs would read past it.
    const GLOB_Doc doc = GLOB_ObjectFactory::MemoryDoc();
    const GLOB_Object dict = Obj(Stitching("/Domain [0 1] /Bounds [] /Encode [0 1]"));
    GLOB_Object functions = doc.NewArray(1, false);
    functions.ArrayPut(0, StoreStream(doc, "abcd",
                                      "<< /FunctionType 0 /Domain [0 1 0 1] /Range [0 1] /Size [2 2] /BitsPerSample 8 >>"));
    dict.DictPut(GLOB_Name("Functions"), functions);
    EXPECT_EQ(Thrown([&] { CPDF_StitchingFunction f(dict); }),
              "1128007 Stitching function subfunction 0 must have a Domain of dimension 1, found: 2\n");
}

TEST(CPDF_StitchingFunction, RangeIsTheHullOfTheSubFunctionsWithoutAnEntry) {
    const CPDF_StitchingFunction f(Obj(Two("/Bounds [0.5] /Encode [0 1 0 1]")));
    EXPECT_FALSE(f.HasRange());
    EXPECT_EQ(f.Range(), CPDF_IntervalSet(Obj("[0 11]")));
    EXPECT_EQ(Outputs(f, {0.75}), std::vector<double>{10.5});
    const CPDF_StitchingFunction ranged(Obj(Two("/Bounds [0.5] /Encode [0 1 0 1] /Range [0 5]")));
    EXPECT_EQ(Outputs(ranged, {0.75}), std::vector<double>{5});
    EXPECT_EQ(Printed(f), "Stitching Function\nDomain:       Interval Set: [ ( 0 1 ) ]\nSubintervals: 2\n"
                          "Subfunction 0 on subinterval [ 0 0.5 ] with encoding [ 0 1]\n" +
                              Printed(f.Function(0)) +
                              "Subfunction 1 on subinterval [ 0.5 1 ] with encoding [ 0 1]\n" +
                              Printed(f.Function(1)));
}

TEST(CPDF_StitchingFunction, SettersKeepTheDictionaryInStep) {
    CPDF_StitchingFunction f(Obj(Two("/Bounds [0.5] /Encode [0 1 0 1]")));
    f.SetBounds({0, 0.25, 2});
    EXPECT_EQ(f.Domain(), CPDF_IntervalSet(Obj("[0 2]")));
    f.SetEncode(CPDF_DecodeArray(Obj("[1 0 0 1]")));
    f.SetFunction(CPDF_Function(Obj(Low)), 1);
    f.SetRange(CPDF_IntervalSet(Obj("[0 0.5]")));
    f.SetDomain(CPDF_IntervalSet(Obj("[-1 3]")));
    const CPDF_StitchingFunction reread(f.Object());
    EXPECT_TRUE(reread == f);
    std::vector<double> bounds;
    reread.Bounds(bounds);
    EXPECT_EQ(bounds, (std::vector<double>{-1, 0.25, 3}));
    EXPECT_EQ(Outputs(reread, {0.25, 3}), (std::vector<double>{0, 0.5}));
    f.RemoveRange();
    EXPECT_FALSE(f.Object().Known(GLOB_Name("Range")));
    EXPECT_EQ(Thrown([&] { f.SetBounds({0, 1}); }).substr(0, 7), "assert ");
    EXPECT_EQ(Thrown([&] { f.SetBounds({0, 2, 1}); }), "assert iStart<=iEnd :: 2<=1");
    EXPECT_EQ(Thrown([&] { f.SetDomain(CPDF_IntervalSet(Obj("[0.5 3]"))); }).substr(0, 7), "assert ");
    EXPECT_EQ(Thrown([&] {
                  f.SetFunction(CPDF_Function(Obj("<< /FunctionType 2 /Domain [0 1] /N 1 /C0 [0 0] /C1 [1 1] >>")), 0);
              }).substr(0, 7),
              "assert ");
}

TEST(CPDF_StitchingFunction, TheDefaultHoldsOneIdentity) {
    CPDF_StitchingFunction f;
    EXPECT_EQ(f.NumIntervals(), 1);
    EXPECT_EQ(f.Encode().Dimension(), 0u);
    const GLOB_Object made = f.Object();
    EXPECT_EQ(Printed(made.DictGet(GLOB_Name("Bounds"))), "[ ]");
    EXPECT_EQ(made.DictGet(GLOB_Name("Functions")).Length(), 1u);
    EXPECT_NE(Printed(f).find("with encoding [ ]"), std::string::npos);
    f.SetEncode(CPDF_DecodeArray(1));
    EXPECT_EQ(Outputs(f, {0.5}), std::vector<double>{0.5});
    EXPECT_EQ(CPDF_Function(f.Object()), CPDF_Function(f));
}
