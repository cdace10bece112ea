#include "CPDF/function/CPDF_SampledFunction.h"

#include "CPDF/function/CPDF_Function.h"
#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const char* const Pair = "<< /FunctionType 0 /Domain [0 1] /Range [0 1 0 1] /Size [2] /BitsPerSample 8 >>";

// A sampled function stream of doc with the dictionary entries and data.
GLOB_Object Sampled(const GLOB_Doc& doc, const std::string& entries, const std::string& data = std::string(4, '\0')) {
    return StoreStream(doc, data, ("<< /FunctionType 0 " + entries + " >>").c_str());
}

// Domain, Range and Size of n inputs of one sample each, 8 bits.
std::string Inputs(int n) {
    std::string domain, size;
    for (int i = 0; i < n; ++i)
        domain += "0 1 ", size += "1 ";
    return "/Domain [" + domain + "] /Range [0 1] /Size [" + size + "] /BitsPerSample 8";
}

}  // namespace

TEST(CPDF_SampledFunction, EvaluatesTheStreamsSamples) {
    const GLOB_Doc doc = NewMemoryDoc();
    // Grid point 0 holds 0 and 255, grid point 1 holds 128 and 64; the same
    // bytes once stored raw, once behind an ASCIIHex filter.
    const GLOB_Object raw = StoreStream(doc, std::string("\x00\xFF\x80\x40", 4), Pair);
    const GLOB_Object hex = StoreStream(
        doc, "00 FF 8040>",
        "<< /FunctionType 0 /Domain [0 1] /Range [0 1 0 1] /Size [2] /BitsPerSample 8 /Filter /ASCIIHexDecode >>", 1);
    for (const GLOB_Object& object : {raw, hex}) {
        const CPDF_Function f(object);
        ExpectNear(Outputs(f, {0.5, 2}), {64 / 255.0, 159.5 / 255, 128 / 255.0, 64 / 255.0});
    }
    // A short stream leaves the missing samples 0.
    ExpectNear(Outputs(CPDF_Function(StoreStream(doc, "\xFF", Pair)), {0, 1}), {1, 0, 0, 0});
}

TEST(CPDF_SampledFunction, ReaderMessages) {
    const GLOB_Doc doc = NewMemoryDoc();
    const struct {
        std::string entries;
        const char* text;
    } cases[] = {
        {"/Domain [0 1] /Range [0 1] /Size [2 3] /BitsPerSample 8",
         "Sampled function Size entry does not match Domain.  SizeSize should be length 1, found: 2\n"},
        {"/Domain [0 1 0 1 0 1] /Range [0 1] /Size [2 0 /a] /BitsPerSample 8",
         "Sampled function Size entries should be positive, found: 0\n"
         "Sampled function Size array entries should be integers, found: Name\n"},
        {"/Domain [0 1] /Range [0 1] /BitsPerSample 8", "Sampled function is missing Size entry.\n"},
        {"/Domain [0 1] /Range [0 1] /Size 2 /BitsPerSample 8",
         "Sampled function Size entry should be type Array, found Integer\n"},
        {"/Domain [0 1] /Range [0 1] /Size [2]", "Sampled function missing BitsPerSample entry.\n"},
        {"/Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 8.0",
         "Sampled function BitsPerSample must be an Integer, found: Real\n"},
        {"/Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 8 /Order 2",
         "Sampled function Order must be 1 or 3.  Found: 2\n"},
        {"/Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 8 /Order /Linear",
         "Sampled function Order entry must be an Integer, found: Name\n"},
        {"/Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 8 /Decode [0 1 0 1]",
         "Sampled function Decode dimension 2 does not match Range dimension 1\n"},
        {"/Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 8 /Decode [0 1 2]",
         "Sampled function has invalid Decode entry: A decode array must be of even length, found 3\n\n"},
        {"/Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 8 /Encode [0 1 0 1]",
         "Sampled function Encode dimension 2 does not match Domain dimension 1\n"},
        {"/Domain [0 1] /Range [0 1] /BitsPerSample 3 /Order 2 /Encode 5",
         "Sampled function is missing Size entry.\n"
         "Sampled function BitsPerSample must be one of 1, 2, 4, 8, 12, 16, 24 or 32, found: 3\n"
         "Sampled function Order must be 1 or 3.  Found: 2\n"
         "Sampled function has invalid Encode entry: A decode array must be an Array, found Integer\n\n"},
        {Inputs(32), "Sampled function has 32 inputs, at most 31 are supported\n"},
        {"/Domain [0 1 0 1] /Range [0 1] /Size [65536 65536] /BitsPerSample 32",
         "Sampled function samples take more than 268435456 bytes\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries);
        EXPECT_EQ(Thrown([&] { CPDF_SampledFunction f(Sampled(doc, c.entries)); }), std::string("1128007 ") + c.text);
    }
    const std::set<int> widths = {1, 2, 4, 8, 12, 16, 24, 32};
    for (const int bits : {-8, 0, 1, 2, 3, 4, 8, 12, 16, 20, 24, 32, 64}) {
        const std::string b = std::to_string(bits);
        EXPECT_EQ(Outcome([&] {
                      const CPDF_SampledFunction f(Sampled(doc, "/Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample " + b));
                      return std::to_string(f.BitsPerSample()) + " order " + std::to_string(f.Order());
                  }),
                  widths.count(bits) ? b + " order 1"
                                     : "1128007 Sampled function BitsPerSample must be one of 1, 2, 4, 8, 12, 16, 24 "
                                       "or 32, found: " + b + "\n");
    }
    // Seventeen inputs read, but are not evaluated.
    const CPDF_Function wide(Sampled(doc, Inputs(17)));
    EXPECT_EQ(Thrown([&] { Outputs(wide, std::vector<double>(17, 0.5)); }),
              "1128007 CPDF_SampleTable: cannot evaluate 17 inputs, at most 16");
}

TEST(CPDF_SampledFunction, ComparesOnlyTheBitsThatHoldSamples) {
    const GLOB_Doc doc = NewMemoryDoc();
    const std::string entries = "/Domain [0 1] /Range [0 1] /Size [3] /BitsPerSample 4";  // 12 bits in 2 bytes
    const CPDF_Function a(Sampled(doc, entries, "\x12\x30"));
    EXPECT_EQ(a, CPDF_Function(Sampled(doc, entries, "\x12\x3F")));
    EXPECT_NE(a, CPDF_Function(Sampled(doc, entries, "\x12\x40")));
    EXPECT_NE(a, CPDF_Function(Sampled(doc, entries + " /Order 3", "\x12\x30")));
    EXPECT_NE(a, CPDF_Function(Sampled(doc, entries + " /Decode [0 2]", "\x12\x30")));
    EXPECT_NE(a, CPDF_Function(Sampled(doc, "/Domain [0 1] /Range [0 1] /Size [4] /BitsPerSample 4", "\x12\x30")));
    EXPECT_EQ(CPDF_Function(Sampled(doc, "/Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 8", "\x12\x30")),
              CPDF_Function(Sampled(doc, "/Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 8", "\x12\x30\x99")));
}

TEST(CPDF_SampledFunction, Prints) {
    const GLOB_Doc doc = NewMemoryDoc();
    EXPECT_EQ(Printed(CPDF_Function(StoreStream(doc, "", Pair))),
              "Sampled Function\n"
              "Domain:        Interval Set: [ ( 0 1 ) ]\n"
              "Range:         Interval Set: [ ( 0 1 )( 0 1 ) ]\n"
              "Size:           [ 2 ]\n"
              "BitsPerSample: 8\n"
              "Order:         1\n"
              "Encode:        Decode: [ ( 0 1 ) ]\n"
              "Decode:        Decode: [ ( 0 1 )( 0 1 ) ]\n");
}

TEST(CPDF_SampledFunction, SettersKeepTheDictionaryInStep) {
    const GLOB_Doc doc = NewMemoryDoc();
    CPDF_SampledFunction f(StoreStream(doc, std::string("\x00\xFF\x80\x40", 4), Pair));
    EXPECT_FALSE(f.HasEncode() || f.HasDecode());
    f.SetOrder(3);
    f.SetEncode(CPDF_DecodeArray(Obj("[1 0]")));
    f.SetDecode(CPDF_DecodeArray(Obj("[0 2 1 0]")));
    f.SetDomain(CPDF_IntervalSet(Obj("[0 4]")));
    f.SetRange(CPDF_IntervalSet(Obj("[0 2 0 1]")));
    const CPDF_SampledFunction reread(f.Object());
    EXPECT_TRUE(reread == f);
    EXPECT_EQ(reread.Order(), 3);
    EXPECT_TRUE(reread.HasEncode() && reread.HasDecode());
    // x = 1 of [0 4] with Encode [1 0]: grid coordinate 0.75.
    const std::vector<double> out = Outputs(reread, {1});
    EXPECT_NEAR(out[0], 2 * (0.25 * 0 + 0.75 * 128) / 255, 1e-12);
    EXPECT_NEAR(out[1], 1 - (0.25 * 255 + 0.75 * 64) / 255, 1e-12);
    f.RemoveEncode();
    f.RemoveDecode();
    EXPECT_FALSE(f.Object().Known(GLOB_Name("Encode")) || f.Object().Known(GLOB_Name("Decode")));
    EXPECT_EQ(f.Decode(), CPDF_DecodeArray(Obj("[0 2 0 1]")));  // the Range again
    EXPECT_EQ(f.Encode(), CPDF_DecodeArray(Obj("[0 1]")));
    EXPECT_EQ(f.SampleTable()->DataSize(), 4u);
    EXPECT_EQ(Thrown([&] { f.SetOrder(2); }).substr(0, 7), "assert ");
}

TEST(CPDF_SampledFunction, BuiltFromATableOrFromParts) {
    const CPDF_SampleTable table({CPDF_Color(std::vector<double>{1, 0}), CPDF_Color(std::vector<double>{0, 1})}, 8);
    const CPDF_SampledFunction fromTable(table);
    EXPECT_EQ(fromTable.Object().GetImpl(), GLOB_ObjectFactory::MemoryDoc().Impl());
    ExpectNear(Outputs(fromTable, {1, 0.5}), {1, 0.5});
    const GLOB_Doc doc = NewMemoryDoc();
    const CPDF_SampledFunction fromParts(doc, GLOB_Stream(new GLOB_ChunkedCore(std::string("\x00\xFF\x80\x40", 4))),
                                         {2}, 8, CPDF_IntervalSet(), CPDF_IntervalSet(2));
    EXPECT_EQ(fromParts.Object().GetImpl(), doc.Impl());
    EXPECT_EQ(CPDF_Function(fromParts.Object()), CPDF_Function(StoreStream(doc, std::string("\x00\xFF\x80\x40", 4), Pair)));
    EXPECT_EQ(CPDF_Function(CPDF_SampledFunction()), CPDF_Function(CPDF_SampleTable().MakeObject(doc)));
}
