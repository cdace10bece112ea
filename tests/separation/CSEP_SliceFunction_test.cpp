#include "separation/CSEP_SliceConverter.h"

#include "CSEP_TestUtil.h"

#include <algorithm>

namespace {

using CSEP_SliceFunctionTest = CSEP_TempDirTest;

// Samples of bits each in one packed row.
std::string PackedRow(const std::vector<int>& samples, int bits) {
    return Packed(static_cast<int>(samples.size()), 1, 1, bits, [&](int x, int, int) { return samples[x]; });
}

// The outputs of a function object, or output 0 of each of an array's.
std::vector<double> SourceOutputs(const GLOB_Object& object, const std::vector<double>& point) {
    if (!object.IsArray())
        return Outputs(object, point);
    std::vector<double> outputs;
    for (uint32_t k = 0; k < object.Length(); ++k)
        outputs.push_back(Outputs(object.Get(k), point)[0]);
    return outputs;
}

// Slice j evaluated by the function code at 11 points per input (at most
// two) gives 1 - output j of the source.
void ExpectMirrored(const GLOB_Object& source, const std::vector<GLOB_Object>& slices, double tolerance) {
    const CPDF_Function first(source.IsArray() ? source.Get(0) : source);
    const CPDF_IntervalSet domain = first.Domain();
    const unsigned m = domain.NumIntervals();
    ASSERT_LE(m, 2u);
    for (int step = 0; step < (m == 2 ? 121 : 11); ++step) {
        std::vector<double> point(m);
        for (unsigned i = 0; i < m; ++i) {
            double min, max;
            domain.Get(i, min, max);
            point[i] = min + (max - min) * ((i == 0 ? step : step / 11) % 11) / 10.0;
        }
        const std::vector<double> expected = SourceOutputs(source, point);
        ASSERT_EQ(slices.size(), expected.size());
        for (size_t j = 0; j < slices.size(); ++j) {
            EXPECT_EQ(CPDF_Function(slices[j]).RangeDimension(), 1u);
            EXPECT_NEAR(Outputs(slices[j], point)[0], 1 - expected[j], tolerance)
                << "output " << j << " at " << point[0] << " " << point.back();
        }
    }
}

}  // namespace

TEST_F(CSEP_SliceFunctionTest, SlicedFunctionsYieldOneMinusEachOutput) {
    const GLOB_Doc source = NewDoc();
    const auto p = [&](const std::string& text) { return source.ParseObject(text.c_str()); };
    const auto sampled = [&](const std::string& entries, const std::string& data, const char* encode = nullptr) {
        return NewStreamObject(source, "<< /FunctionType 0 /Domain [0 1] " + entries + " >>", data, encode);
    };
    const auto program = [&](const std::string& range, const std::string& text) {
        return NewStreamObject(source, "<< /FunctionType 4 /Domain [0 1] /Range [" + range + "] >>", text);
    };
    const std::string exp2 = "<< /FunctionType 2 /Domain [0 1] /C0 [0.1 0.8] /C1 [0.9 0.3] /N 2 >>";
    const std::string ps4 = "{ dup dup mul exch dup 0.5 mul exch 1 exch sub 0.3 }";
    const double exact = 1e-9, byte = 1 / 255.0 + 1e-9;
    const struct {
        GLOB_Object function;
        double tolerance;
        size_t slice;  // whose keys (or data, for "data") end in text
        std::vector<const char*> keys;
        std::string text;
    } cases[] = {
        {p("<< /FunctionType 2 /Domain [0 1] /N 2 >>"), exact, 0, {"C0", "C1"}, "[ 1 ][ 0 ]"},
        {p("<< /FunctionType 2 /Domain [0 1] /C0 [0 0.2 1] /C1 [1 0.9 0] /N 1.5 /Range [0 0.5 0 1 0 1] >>"), exact, 0,
         {"Range", "Domain", "FunctionType"}, "[ 0.5 1 ][ 0 1 ]2"},
        {p("<< /FunctionType 3 /Domain [0 2] /Bounds [0.5] /Encode [0 1 1 0] /Functions [" + exp2 + exp2 + "] >>"),
         exact, 1, {"Bounds", "Encode", "Functions"}, "[ 0.5 ][ 0 1 1 0 ][ -dict- -dict- ]"},
        {p("[" + exp2 + " << /FunctionType 2 /Domain [0 1] /N 1 >>]"), exact, 1, {"C1"}, "[ 0 ]"},
        {sampled("/Range [0 1 -1 1] /Size [5] /BitsPerSample 8", "\x00\xff\x40\x80\x80\x00\xc0\x10\xff\xf0"), byte, 1,
         {"Decode", "Range"}, "[ 2 0 ][ 0 2 ]"},
        {NewStreamObject(source,
                         "<< /FunctionType 0 /Domain [0 1 0 2] /Range [0 1 0 1] /Size [3 2] /BitsPerSample 4 >>",
                         PackedRow({0, 15, 7, 3, 15, 0, 1, 2, 9, 12, 4, 8}, 4)),
         byte, 0, {"BitsPerSample", "Size"}, "4[ 3 2 ]"},
        {sampled("/Range [0 1 0 1 0 1] /Size [4] /BitsPerSample 1", PackedRow({0, 1, 1, 1, 0, 1, 0, 0, 0, 1, 1, 0}, 1)),
         byte, 2, {"BitsPerSample"}, "1"},
        {sampled("/Range [0 1] /Decode [0.2 0.7] /Size [3] /BitsPerSample 16", "\x00\x00\x80\x00\xff\xff"), byte, 0,
         {"Decode"}, "[ 0.8 0.3 ]"},
        {sampled("/Range [0 1 0 1 0 1] /Decode [0 1 1 0 0.5 1] /Size [4] /BitsPerSample 12 /Filter /FlateDecode",
                 PackedRow({0, 4095, 2048, 100, 3000, 17, 4000, 800, 1234, 4095, 0, 2500}, 12), "<< >>"),
         2 / 255.0 + 1e-9, 2, {"BitsPerSample", "Filter", "Decode"}, "8null[ 0.5 0 ]"},
        // The table's size bounds the read both ways.
        {sampled("/Range [0 1] /Size [4] /BitsPerSample 8", "\xff"), byte, 0, {}, ""},
        {sampled("/Range [0 1] /Size [2] /BitsPerSample 8", std::string(20000, '\x33')), byte, 0, {}, ""},
        {program("0 1 0 1 0 1 0 1", ps4), byte, 0, {"data"}, " 3 index 4 1 add 1 roll pop pop pop pop 1 exch sub }"},
        {program("0 1 0 1 0 1 0 1", ps4), byte, 3, {"data"},
         "{ dup dup mul exch dup 0.5 mul exch 1 exch sub 0.3 0 index 4 1 add 1 roll pop pop pop pop 1 exch sub }"},
        {program("0 2", "{ dup 0.5 gt { 2 mul } { 0.5 mul } ifelse true { } if }"), byte, 0, {"Range"}, "[ -1 1 ]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Text(c.function).substr(0, 60) + " " + c.text);
        const CSEP_SepJobContext job = NewJob({});
        std::vector<GLOB_Object> slices{GLOB_Object()};
        Slicer(job).SliceFunction(c.function, slices);
        for (const GLOB_Object& slice : slices)
            EXPECT_EQ(slice.GetImpl(), job.Doc().Impl());
        ExpectMirrored(c.function, slices, c.tolerance);
        const std::string text = c.keys.empty() || std::string(c.keys[0]) != "data" ? Keys(slices[c.slice], c.keys)
                                                                                      : StreamData(slices[c.slice]);
        EXPECT_EQ(text.substr(text.size() - std::min(text.size(), c.text.size())), c.text);
    }
}

TEST_F(CSEP_SliceFunctionTest, FaultsAndConstantFunctions) {
    const CSEP_SepJobContext job = NewJob({});
    const GLOB_Doc doc = job.Doc();
    Slicer slicer(job);
    const LogCapture quiet;  // the program reader logs what it refuses
    const std::string invalid = "1128007 Function has invalid parameters.";
    // An array whose second element gives no outputs: nothing to take.
    const GLOB_Object noOutputs = doc.ParseObject("[<< /FunctionType 2 /Domain [0 1] /N 1 >> 0]");
    noOutputs.ArrayPut(1, NewStreamObject(doc, "<< /FunctionType 4 /Domain [0 1] /Range [] >>", "{ pop }"));
    const struct {
        GLOB_Object function;
        std::string thrown;  // its start
    } cases[] = {
        {doc.ParseObject("<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0] /C1 [1 1] /N 1 >>"), invalid},
        {doc.ParseObject("[[<< /FunctionType 2 /Domain [0 1] /N 1 >>]]"), invalid},
        {doc.ParseObject("<< /FunctionType 5 /Domain [0 1] >>"), invalid + " Unknown Function type: 5"},
        {NewStreamObject(doc, "<< /FunctionType 4 /Domain [0 1] /Range [0 1] >>", "{ % halve\n 0.5 mul }"),
         "1128007 Error parsing function."},
    };
    std::vector<GLOB_Object> slices;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.thrown);
        EXPECT_EQ(Failure([&] { slicer.SliceFunction(c.function, slices); }).substr(0, c.thrown.size()), c.thrown);
    }
    // The reader takes the element; the slicer finds no output to take.
    EXPECT_EQ(CPDF_Function(noOutputs.Get(1)).RangeDimension(), 0u);
    EXPECT_EQ(Failure([&] { slicer.SliceFunction(noOutputs, slices); }), invalid);
    EXPECT_EQ(Failure([&] { slicer.MakeConstantFunction(GLOB_Object(), 1); }),
              "1128007 Function domain should be type Array, encountered Null");

    for (double value : {1.0, 0.25}) {
        const GLOB_Object constant = slicer.MakeConstantFunction(doc.ParseObject("[0 1 -1 1]"), value);
        EXPECT_EQ(Keys(constant, {"Size"}), "[ 1 1 ]");
        for (const std::vector<double>& point : {std::vector<double>{0, -1}, {0.3, 0.9}, {1, 1}})
            EXPECT_NEAR(Outputs(constant, point)[0], value, 1e-9);
    }
}

namespace {

// A stitching tree depth levels deep whose every level names the next one
// twice, each level mapping its halves onto themselves, over a sampled
// function of four outputs: 2^depth paths to one leaf, y = the leaf's.
GLOB_Object SharedTree(const GLOB_Doc& doc, int depth) {
    GLOB_Object next = NewStreamObject(doc,
                                       "<< /FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] /Size [3] "
                                       "/BitsPerSample 8 /Filter /FlateDecode >>",
                                       std::string("\x00\xff\x10\x80\x80\x40\x20\x90\xff\x00\x30\xa0", 12), "<< >>");
    for (int level = 0; level < depth; ++level) {
        const GLOB_Object stitching = doc.MakeCosObj(
            doc.ParseObject("<< /FunctionType 3 /Domain [0 1] /Bounds [0.5] /Encode [0 0.5 0.5 1] /Functions [0 0] >>"),
            0x01);
        stitching.GetPath("Functions").ArrayPut(0, next);
        stitching.GetPath("Functions").ArrayPut(1, next);
        next = stitching;
    }
    return next;
}

// The distinct objects a slice reaches through "Functions", itself
// included, each checked to be one indirect object at both places.
size_t DistinctSlices(const GLOB_Object& slice, std::vector<GLOB_Object>& seen) {
    if (std::find(seen.begin(), seen.end(), slice) != seen.end())
        return 0;
    seen.push_back(slice);
    EXPECT_TRUE(slice.IsIndirect());
    const GLOB_Object functions = slice.DictGet(GLOB_Name("Functions"));
    if (!functions.IsArray())
        return 1;
    EXPECT_TRUE(functions.Get(0) == functions.Get(1));
    return 1 + DistinctSlices(functions.Get(0), seen) + DistinctSlices(functions.Get(1), seen);
}

}  // namespace

// Each source function is sliced once however many paths reach it: every
// place takes the same indirect slices, so one level more adds one slice
// per output, not twice the tree.
TEST_F(CSEP_SliceFunctionTest, SharedFunctionsAreSlicedOnce) {
    const double byte = 1 / 255.0 + 1e-9;
    for (int depth : {0, 1, 4, 11}) {
        SCOPED_TRACE(depth);
        const GLOB_Doc source = NewDoc();
        const GLOB_Object tree = SharedTree(source, depth);
        const CSEP_SepJobContext job = NewJob({});
        std::vector<GLOB_Object> slices;
        Slicer(job).SliceFunction(tree, slices);
        ASSERT_EQ(slices.size(), 4u);
        std::vector<GLOB_Object> seen;
        size_t distinct = 0;
        for (const GLOB_Object& slice : slices)
            distinct += DistinctSlices(slice, seen);
        EXPECT_EQ(distinct, 4u * (depth + 1));
        ExpectMirrored(tree, slices, byte);
    }

    // Within one scope (the page's) a second reference takes the same
    // slices; calls in scopes of their own share nothing.
    const GLOB_Doc source = NewDoc();
    const GLOB_Object tree = SharedTree(source, 2);
    const CSEP_SepJobContext job = NewJob({});
    Slicer slicer(job);
    std::vector<GLOB_Object> first, again, alone;
    {
        const CSEP_SlicedFunctions::Scope page(job.SlicedFunctions());
        slicer.SliceFunction(tree, first);
        slicer.SliceFunction(tree, again);
    }
    slicer.SliceFunction(tree, alone);
    ASSERT_EQ(again.size(), 4u);
    ASSERT_EQ(alone.size(), 4u);
    for (size_t j = 0; j < 4; ++j) {
        SCOPED_TRACE(j);
        EXPECT_TRUE(again[j] == first[j]);
        EXPECT_FALSE(alone[j] == first[j]);
    }
    EXPECT_EQ(job.SlicedFunctions().Size(), 0u);
}
