#include "CPDF/function/CPDF_Function.h"

#include "CPDF/function/CPDF_ExpInterpFunction.h"
#include "CPDF/function/CPDF_SampledFunction.h"
#include "CPDF/function/CPDF_StitchingFunction.h"
#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>

TEST(CPDF_Function, FactoryRefusals) {
    const GLOB_Doc doc = NewMemoryDoc();
    const struct {
        GLOB_Object object;
        const char* thrown;
    } cases[] = {
        {doc.ParseObject("7"), "1128007 A Function must be a Stream or Dictionary, found: Integer"},
        {doc.ParseObject("[2]"), "1128007 A Function must be a Stream or Dictionary, found: Array"},
        {doc.ParseObject("<< /Domain [0 1] >>"), "1128007 Function missing FunctionType entry"},
        {doc.ParseObject("<< /FunctionType 2.0 >>"), "1128007 FunctionType must be an Integer, found: Real"},
        {doc.ParseObject("<< /FunctionType 1 >>"), "1128007 Unknown Function type: 1"},
        {doc.ParseObject("<< /FunctionType -1 >>"), "1128007 Unknown Function type: -1"},
        {doc.ParseObject("<< /FunctionType 5 >>"), "1128007 Unknown Function type: 5"},
        {doc.ParseObject("<< /FunctionType 4 /Domain [0 1] >>"), "1128007 Expected type Stream, found Dict\n"},
        // Each kind's reader checks the object's kind first, then the rest.
        {StoreStream(doc, "", "<< /FunctionType 2 /Domain [0 1] /N 1 >>"),
         "1128007 Expected type Dictionary, found Stream\n"},
        {doc.ParseObject("<< /FunctionType 0 /Domain [0 1] /Range [0 1] >>"),
         "1128007 Expected type Stream, found Dict\n"},
        {StoreStream(doc, "", "<< /FunctionType 0 /Domain [0 1] /Size [2] /BitsPerSample 8 >>"),
         "1128007 Function is missing Range entry\n"},
        {doc.ParseObject("<< /FunctionType 3 >>"), "1128007 Function missing domain entry\n"},
        {doc.ParseObject("<< /FunctionType 2 /Domain [0 1 2] /N 1 /Range [0] >>"),
         "1128007 Domain is invalid: Must be of even length, found 3\n\n"
         "Range is invalid: Must be of even length, found 1\n\n"},
        {doc.ParseObject("<< /FunctionType 3 /Domain /D /Range [0 1] >>"),
         "1128007 Domain is invalid: Expected type Array, found Name\n\n\n"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Thrown([&] { CPDF_Function f(cases[i].object); }), cases[i].thrown);
    }
}

TEST(CPDF_FunctionCore, ParseCommonChecksTheEntriesEveryKindHas) {
    const auto parse = [](const char* text, int type, int kind, bool rangeOptional) {
        CPDF_IntervalSet domain(0u), range(0u);
        return Validated(
            [&](const GLOB_Object& o, std::string* m) {
                return CPDF_FunctionCore::ParseCommon(o, type, kind, rangeOptional, &domain, &range, m);
            },
            Obj(text));
    };
    EXPECT_EQ(parse("<< /FunctionType 2 /Domain [0 1] >>", 3, GLOB_Object::KindDict, true),
              "Expected FunctionType entry to be 3, found: 2\n");
    EXPECT_EQ(parse("<< /FunctionType 2 /Domain [0 1] >>", 2, GLOB_Object::KindInteger, true),
              "Function has invalid object type (must be Stream or Dict): Dict\n");
    EXPECT_EQ(parse("<< /FunctionType /Two /Range 1 >>", 2, GLOB_Object::KindDict, true),
              "FunctionType must be an Integer, found: Name\nFunction missing domain entry\n"
              "Range is invalid: Expected type Array, found Integer\n\n\n");
    EXPECT_EQ(parse("<< /FunctionType 2 /Domain [0 1] >>", 2, GLOB_Object::KindDict, false),
              "Function is missing Range entry\n");
    CPDF_IntervalSet domain(0u), range(0u);
    EXPECT_TRUE(CPDF_FunctionCore::ParseCommon(Obj("<< /FunctionType 2 /Domain [0 2] /Range [1 3 4 5] >>"), 2,
                                               GLOB_Object::KindDict, false, &domain, &range, nullptr));
    EXPECT_EQ(domain, CPDF_IntervalSet(Obj("[0 2]")));
    EXPECT_EQ(range, CPDF_IntervalSet(Obj("[1 3 4 5]")));
}

TEST(CPDF_Function, EmptyHandles) {
    const CPDF_Function empty;
    EXPECT_EQ(empty.FunctionType(), -1);
    EXPECT_EQ(Printed(empty), "Function: Null");
    EXPECT_EQ(empty, CPDF_Function());
    const CPDF_Function y(Obj("<< /FunctionType 2 /Domain [0 1] /N 1 >>"));
    EXPECT_NE(empty, y);
    EXPECT_NE(y, empty);
    EXPECT_EQ(Thrown([&] { empty.Domain(); }), "assert !m_core.isNull()");
    EXPECT_EQ(Thrown([&] { y.AsSampled(); }), "assert IsSampled()");
}

TEST(CPDF_Function, EvaluationClipsInputsInPlaceAndOutputsToRange) {
    // y = 2x on [0 2], Range [0 3]: the input is clipped to 2 before, the
    // output 4 to 3 after.
    const CPDF_Function f(Obj("<< /FunctionType 2 /Domain [0 2] /C1 [2] /N 1 /Range [0 3] >>"));
    std::vector<double> in = {2.5, -1, 1, 0.5};
    std::vector<double> out(4);
    f.Evaluate(in.data(), out.data(), 4);
    EXPECT_EQ(in, (std::vector<double>{2, 0, 1, 0.5}));
    EXPECT_EQ(out, (std::vector<double>{3, 0, 2, 1}));
    // Without a Range the outputs go unclipped.
    const CPDF_Function unclipped(Obj("<< /FunctionType 2 /Domain [0 2] /C1 [2] /N 1 >>"));
    EXPECT_FALSE(unclipped.HasRange());
    EXPECT_EQ(Outputs(unclipped, {2.5}), std::vector<double>{4});
    double untouched = 7;
    f.Evaluate(&untouched, &untouched, 0);
    EXPECT_EQ(untouched, 7);
}

TEST(CPDF_Function, CopiesAndClonesShareTheKindsData) {
    CPDF_ExpInterpFunction exp;
    const CPDF_Function a(exp);
    const CPDF_Function b = a;
    CPDF_ExpInterpFunction view = a.AsExpInterp();
    view.SetDomain(CPDF_IntervalSet(Obj("[-1 1]")));
    EXPECT_EQ(b.Domain(), CPDF_IntervalSet(Obj("[-1 1]")));
    EXPECT_EQ(exp.Domain(), CPDF_IntervalSet(Obj("[-1 1]")));
    EXPECT_EQ(a, b);
    // Equal kinds compare their data, whatever object they were read from.
    const CPDF_Function read(Obj("<< /FunctionType 2 /Domain [-1 1] /N 1 >>"));
    EXPECT_EQ(read, a);
    EXPECT_NE(read, CPDF_Function(Obj("<< /FunctionType 2 /Domain [-1 1] /N 2 >>")));
    EXPECT_NE(read, CPDF_Function(CPDF_StitchingFunction()));
    // The core's own comparison asks whether the objects are one.
    EXPECT_TRUE(exp == view);
    EXPECT_TRUE(exp != CPDF_ExpInterpFunction());
}

namespace {

// A chain of depth stitching functions, each holding the next, around y = x.
GLOB_Object StitchingChain(const GLOB_Doc& doc, int depth) {
    GLOB_Object inner = doc.ParseObject("<< /FunctionType 2 /Domain [0 1] /N 1 >>");
    for (int i = 0; i < depth; ++i) {
        const GLOB_Object outer = doc.ParseObject("<< /FunctionType 3 /Domain [0 1] /Bounds [] /Encode [0 1] >>");
        GLOB_Object functions = doc.NewArray(1, false);
        functions.ArrayPut(0, inner);
        outer.DictPut(GLOB_Name("Functions"), functions);
        inner = outer;
    }
    return inner;
}

}  // namespace

TEST(CPDF_Function, NestingIsBounded) {
    const GLOB_Doc doc = NewMemoryDoc();
    // MaxNesting functions deep, the leaf included, still read.
    const CPDF_Function deepest(StitchingChain(doc, CPDF_Function::MaxNesting - 1));
    EXPECT_EQ(Outputs(deepest, {0.25}), std::vector<double>{0.25});
    EXPECT_EQ(Thrown([&] { CPDF_Function f(StitchingChain(doc, CPDF_Function::MaxNesting)); }),
              "1128007 Functions nested more than 32 deep");
    // A stitching function that holds itself through an indirect reference.
    const GLOB_Object self =
        doc.MakeCosObj(doc.ParseObject("<< /FunctionType 3 /Domain [0 1] /Bounds [] /Encode [0 1] >>"), 0x01);
    GLOB_Object functions = doc.NewArray(2, false);
    functions.ArrayPut(0, self);
    functions.ArrayPut(1, self);
    self.DictPut(GLOB_Name("Functions"), functions);
    EXPECT_EQ(Thrown([&] { CPDF_Function f(self); }), "1128007 Functions nested more than 32 deep");
    // Indirect functions that each refer many times to the next one.
    GLOB_Object next = doc.ParseObject("<< /FunctionType 2 /Domain [0 1] /N 1 >>");
    for (int level = 0; level < 8; ++level) {
        const GLOB_Object wide = doc.NewDict(5, true);
        wide.DictPut(GLOB_Name("FunctionType"), doc.NewInteger(3));
        wide.DictPut(GLOB_Name("Domain"), doc.ParseObject("[0 1]"));
        wide.DictPut(GLOB_Name("Bounds"), doc.ParseObject("[0.25 0.5 0.75]"));
        wide.DictPut(GLOB_Name("Encode"), doc.ParseObject("[0 1 0 1 0 1 0 1]"));
        GLOB_Object four = doc.NewArray(4, false);
        for (uint32_t i = 0; i < 4; ++i)
            four.ArrayPut(i, next);
        wide.DictPut(GLOB_Name("Functions"), four);
        next = wide;
    }
    EXPECT_EQ(Thrown([&] { CPDF_Function f(next); }), "1128007 More than 4096 functions in one function");
    // The counts start again with the next read.
    EXPECT_EQ(Outputs(CPDF_Function(StitchingChain(doc, 3)), {0.5}), std::vector<double>{0.5});
}

// An indirect function named at several places is read once, yet each place
// passes the limits as a read of its own would: a shared chain that fits
// where it is first met but reaches past the nesting limit where it is met
// again deeper is refused, as is a shared tree of too many paths.
TEST(CPDF_Function, SharedFunctionsKeepTheLimits) {
    const GLOB_Doc doc = NewMemoryDoc();
    const auto single = [&](const GLOB_Object& inner) {
        const GLOB_Object dict = doc.ParseObject("<< /FunctionType 3 /Domain [0 1] /Bounds [] /Encode [0 1] >>");
        GLOB_Object functions = doc.NewArray(1, false);
        functions.ArrayPut(0, inner);
        dict.DictPut(GLOB_Name("Functions"), functions);
        return dict;
    };
    const auto pair = [&](const GLOB_Object& first, const GLOB_Object& second) {
        const GLOB_Object dict = doc.MakeCosObj(
            doc.ParseObject("<< /FunctionType 3 /Domain [0 1] /Bounds [0.5] /Encode [0 1 0 1] >>"), 0x01);
        GLOB_Object functions = doc.NewArray(2, false);
        functions.ArrayPut(0, first);
        functions.ArrayPut(1, second);
        dict.DictPut(GLOB_Name("Functions"), functions);
        return dict;
    };
    // shared: 20 levels, the leaf included.
    const GLOB_Object shared = doc.MakeCosObj(StitchingChain(doc, 19), 0x01);
    const struct {
        int detour;  // stitching levels between the root and the second place
        const char* thrown;
    } cases[] = {
        {11, "no exception"},  // 1 + 11 + 20 = 32 levels
        {12, "1128007 Functions nested more than 32 deep"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.detour);
        GLOB_Object detour = shared;
        for (int i = 0; i < c.detour; ++i)
            detour = single(detour);
        const GLOB_Object root = pair(shared, detour);
        EXPECT_EQ(Thrown([&] { CPDF_Function f(root); }), c.thrown);
        // In the other order the deep place is met first, with the same verdict.
        EXPECT_EQ(Thrown([&] { CPDF_Function f(pair(detour, shared)); }), c.thrown);
    }

    // Eleven levels of two references each: 4,095 functions on the paths
    // fit, twelve levels (8,191) do not.
    GLOB_Object tree = doc.ParseObject("<< /FunctionType 2 /Domain [0 1] /N 1 >>");
    for (int level = 0; level < 11; ++level)
        tree = pair(tree, tree);
    const CPDF_Function eleven(tree);
    // Each level doubles x modulo 1, so 1/3 alternates with 2/3.
    EXPECT_NEAR(Outputs(eleven, {1.0 / 3})[0], 2.0 / 3, 1e-9);
    EXPECT_EQ(Thrown([&] { CPDF_Function f(pair(tree, tree)); }), "1128007 More than 4096 functions in one function");
}

// The count of a stitching function's Functions is weighed before any of
// them is read: a first child nested too deep is never met when the count
// alone is too many, and is met when the count fits.
TEST(CPDF_Function, TooManyFunctionsAreRefusedBeforeTheyAreRead) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object tooDeep = StitchingChain(doc, CPDF_Function::MaxNesting);
    const GLOB_Object plain = doc.ParseObject("<< /FunctionType 2 /Domain [0 1] /N 1 >>");
    const auto stitching = [&](uint32_t k, const GLOB_Object& first) {
        const GLOB_Object dict = doc.ParseObject("<< /FunctionType 3 /Domain [0 1] >>");
        GLOB_Object functions = doc.NewArray(k, false), bounds = doc.NewArray(k - 1, false),
                    encode = doc.NewArray(2 * k, false);
        for (uint32_t i = 0; i < k; ++i) {
            functions.ArrayPut(i, i == 0 ? first : plain);
            encode.ArrayPut(2 * i, doc.NewInteger(0));
            encode.ArrayPut(2 * i + 1, doc.NewInteger(1));
            if (i + 1 < k)
                bounds.ArrayPut(i, doc.NewReal((i + 1.0) / k));
        }
        dict.DictPut(GLOB_Name("Functions"), functions);
        dict.DictPut(GLOB_Name("Bounds"), bounds);
        dict.DictPut(GLOB_Name("Encode"), encode);
        return dict;
    };
    const uint32_t most = CPDF_Function::MaxFunctionsPerRead - 1;  // children beside their parent
    const struct {
        uint32_t k;
        bool deepFirst;
        const char* thrown;
    } cases[] = {
        {most, false, "no exception"},
        {most, true, "1128007 Functions nested more than 32 deep"},
        {most + 1, true, "1128007 More than 4096 functions in one function"},
        {200000, true, "1128007 More than 4096 functions in one function"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.k);
        const GLOB_Object function = stitching(c.k, c.deepFirst ? tooDeep : plain);
        EXPECT_EQ(Thrown([&] { CPDF_Function f(function); }), c.thrown);
    }
    // One level down, the functions read before count too: the parent and
    // the first child leave room for one child fewer.
    GLOB_Object outer = doc.ParseObject("<< /FunctionType 3 /Domain [0 1] /Bounds [0.5] /Encode [0 1 0 1] >>");
    GLOB_Object two = doc.NewArray(2, false);
    two.ArrayPut(0, plain);
    two.ArrayPut(1, stitching(most - 1, tooDeep));
    outer.DictPut(GLOB_Name("Functions"), two);
    EXPECT_EQ(Thrown([&] { CPDF_Function f(outer); }), "1128007 More than 4096 functions in one function");
}
