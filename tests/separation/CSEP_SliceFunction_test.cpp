#include "separation/CSEP_SliceConverter.h"

#include "CPDF/function/CPDF_Function.h"
#include "CSEP_TestUtil.h"

#include <cmath>
#include <functional>
#include <sstream>

namespace {

using CSEP_SliceFunctionTest = CSEP_TempDirTest;

// Samples of bits each packed from the most significant bit, the last byte
// padded.
std::string Packed(const std::vector<int>& samples, int bits) {
    std::string packed;
    uint32_t pending = 0;
    int count = 0;
    for (int sample : samples) {
        pending = (pending << bits) | static_cast<uint32_t>(sample);
        for (count += bits; count >= 8; count -= 8)
            packed += static_cast<char>(pending >> (count - 8));
    }
    return count > 0 ? packed + static_cast<char>(pending << (8 - count)) : packed;
}

std::string Text(const GLOB_Object& object) {
    std::ostringstream os;
    object.Print(os);
    return os.str();
}

// The outputs of a function object, or output 0 of each of an array's.
std::vector<double> Outputs(const GLOB_Object& object, const std::vector<double>& point) {
    std::vector<double> outputs;
    for (uint32_t k = 0; k < (object.IsArray() ? object.Length() : 1); ++k) {
        const CPDF_Function function(object.IsArray() ? object.Get(k) : object);
        std::vector<double> in = point, out(function.RangeDimension());
        function.Evaluate(in.data(), out.data(), 1);
        outputs.insert(outputs.end(), out.begin(), object.IsArray() ? out.begin() + 1 : out.end());
    }
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
        const std::vector<double> expected = Outputs(source, point);
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
    const auto stream = [&](const std::string& dict, const std::string& data, int32_t encode = 1) {
        return source.NewStream(GLOB_Stream(new GLOB_StringStream(data)), encode, source.ParseObject(dict.c_str()),
                                GLOB_Object(), -1);
    };
    const std::string exp2 = "<< /FunctionType 2 /Domain [0 1] /C0 [0.1 0.8] /C1 [0.9 0.3] /N 2 >>";
    const std::string ps4 = "<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] >>";
    const double exact = 1e-9, byte = 1 / 255.0 + 1e-9;
    const struct {
        const char* name;
        GLOB_Object function;
        double tolerance;
        std::function<void(const std::vector<GLOB_Object>&)> check;
    } cases[] = {
        {"exponential without C0 and C1", source.ParseObject("<< /FunctionType 2 /Domain [0 1] /N 2 >>"), exact,
         [](const std::vector<GLOB_Object>& s) {
             EXPECT_EQ(Text(s[0].DictGet(GLOB_Name("C0"))) + Text(s[0].DictGet(GLOB_Name("C1"))), "[ 1 ][ 0 ]");
         }},
        {"exponential with a Range",
         source.ParseObject("<< /FunctionType 2 /Domain [0 1] /C0 [0 0.2 1] /C1 [1 0.9 0] /N 1.5 "
                            "/Range [0 0.5 0 1 0 1] >>"),
         exact,
         [](const std::vector<GLOB_Object>& s) { EXPECT_EQ(Text(s[0].DictGet(GLOB_Name("Range"))), "[ 0.5 1 ]"); }},
        {"stitching", source.ParseObject(("<< /FunctionType 3 /Domain [0 2] /Bounds [0.5] /Encode [0 1 1 0] "
                                          "/Functions [" + exp2 + exp2 + "] >>").c_str()),
         exact,
         [](const std::vector<GLOB_Object>& s) {
             EXPECT_EQ(Text(s[1].DictGet(GLOB_Name("Bounds"))) + Text(s[1].DictGet(GLOB_Name("Encode"))),
                       "[ 0.5 ][ 0 1 1 0 ]");
             EXPECT_EQ(s[1].DictGet(GLOB_Name("Functions")).Get(1).IntegerValue("FunctionType"), 2);
         }},
        {"array of functions", source.ParseObject(("[" + exp2 + " << /FunctionType 2 /Domain [0 1] /N 1 >>]").c_str()),
         exact, nullptr},
        {"8-bit samples, a negative range",
         stream("<< /FunctionType 0 /Domain [0 1] /Range [0 1 -1 1] /Size [5] /BitsPerSample 8 >>",
                "\x00\xff\x40\x80\x80\x00\xc0\x10\xff\xf0"),
         byte, nullptr},
        {"4-bit samples of two inputs",
         stream("<< /FunctionType 0 /Domain [0 1 0 2] /Range [0 1 0 1] /Size [3 2] /BitsPerSample 4 >>",
                Packed({0, 15, 7, 3, 15, 0, 1, 2, 9, 12, 4, 8}, 4)),
         byte, nullptr},
        {"1-bit samples", stream("<< /FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1] /Size [4] /BitsPerSample 1 >>",
                                 Packed({0, 1, 1, 1, 0, 1, 0, 0, 0, 1, 1, 0}, 1)),
         byte, nullptr},
        {"16-bit samples with Decode",
         stream("<< /FunctionType 0 /Domain [0 1] /Range [0 1] /Decode [0.2 0.7] /Size [3] /BitsPerSample 16 >>",
                "\x00\x00\x80\x00\xff\xff"),
         byte, nullptr},
        {"12-bit samples with Decode, Flate encoded",
         stream("<< /FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1] /Decode [0 1 1 0 0.5 1] /Size [4] "
                "/BitsPerSample 12 /Filter /FlateDecode >>",
                Packed({0, 4095, 2048, 100, 3000, 17, 4000, 800, 1234, 4095, 0, 2500}, 12), 0),
         2 / 255.0 + 1e-9,
         [](const std::vector<GLOB_Object>& s) {
             EXPECT_EQ(s[0].IntegerValue("BitsPerSample"), 8);
             EXPECT_FALSE(s[0].Known(GLOB_Name("Filter")));
             EXPECT_EQ(Text(s[0].DictGet(GLOB_Name("Decode"))) + Text(s[1].DictGet(GLOB_Name("Decode"))) +
                           Text(s[2].DictGet(GLOB_Name("Decode"))),
                       "[ 1 0 ][ 0 1 ][ 0.5 0 ]");
         }},
        // The table's size bounds the read both ways.
        {"short samples", stream("<< /FunctionType 0 /Domain [0 1] /Range [0 1] /Size [4] /BitsPerSample 8 >>", "\xff"),
         byte, nullptr},
        {"long samples", stream("<< /FunctionType 0 /Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 8 >>",
                                std::string(20000, '\x33')),
         byte, nullptr},
        {"four-output program",
         stream(ps4, "{ dup dup mul exch dup 0.5 mul exch 1 exch sub 0.3 }"), byte,
         [](const std::vector<GLOB_Object>& s) {
             const std::string text = StreamData(s[0]);
             const std::string tail = " 3 index 4 1 add 1 roll pop pop pop pop 1 exch sub }";
             EXPECT_EQ(text.substr(text.size() - std::min(text.size(), tail.size())), tail);
             EXPECT_NE(StreamData(s[3]).find("0.3 0 index 4 1 add 1 roll"), std::string::npos) << StreamData(s[3]);
         }},
        {"program with booleans and procedures",
         stream("<< /FunctionType 4 /Domain [0 1] /Range [0 2] >>",
                "{ dup 0.5 gt { 2 mul } { 0.5 mul } ifelse true { } if }"),
         byte, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CSEP_SepJobContext job = NewJob({});
        Slicer slicer(job);
        std::vector<GLOB_Object> slices{GLOB_Object()};
        slicer.SliceFunction(c.function, slices);
        for (const GLOB_Object& slice : slices)
            EXPECT_EQ(slice.GetImpl(), job.Doc().Impl());
        ExpectMirrored(c.function, slices, c.tolerance);
        if (c.check)
            c.check(slices);
    }
}

TEST_F(CSEP_SliceFunctionTest, FaultsAndConstantFunctions) {
    const CSEP_SepJobContext job = NewJob({});
    const GLOB_Doc doc = job.Doc();
    Slicer slicer(job);
    const LogCapture quiet;  // the program reader logs what it refuses
    const std::string invalid = "1128007 Function has invalid parameters.";
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
    EXPECT_EQ(Failure([&] { slicer.MakeConstantFunction(GLOB_Object(), 1); }),
              "1128007 Function domain should be type Array, encountered Null");

    for (double value : {1.0, 0.25}) {
        const CPDF_Function constant(slicer.MakeConstantFunction(doc.ParseObject("[0 1 -1 1]"), value));
        EXPECT_EQ(Text(constant.Object().DictGet(GLOB_Name("Size"))), "[ 1 1 ]");
        for (std::vector<double> point : {std::vector<double>{0, -1}, {0.3, 0.9}, {1, 1}}) {
            double out = -1;
            constant.Evaluate(point.data(), &out, 1);
            EXPECT_NEAR(out, value, 1e-9);
        }
    }
}
