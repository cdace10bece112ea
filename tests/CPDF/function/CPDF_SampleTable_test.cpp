#include "CPDF/function/CPDF_SampleTable.h"

#include "CPDF/function/CPDF_Function.h"
#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>

#include <random>

namespace {

const uint8_t Square[] = {0, 100, 200, 255};  // g(0,0) g(1,0) g(0,1) g(1,1)

std::vector<double> Evaluated(CPDF_SampleTable& table, std::vector<double> in) {
    const unsigned count = static_cast<unsigned>(in.size() / table.DomainDimension());
    std::vector<double> out(count * table.RangeDimension());
    table.Evaluate(in.data(), out.data(), count);
    return out;
}

// The width bits at bit offset of data, most significant bit first.
uint32_t BitsAt(const uint8_t* data, uint64_t offset, unsigned width) {
    uint64_t value = 0;
    for (unsigned b = 0; b < width; ++b) {
        const uint64_t bit = offset + b;
        value = (value << 1) | ((data[bit / 8] >> (7 - bit % 8)) & 1);
    }
    return static_cast<uint32_t>(value);
}

}  // namespace

TEST(CPDF_SampleTable, EvaluatesMultilinearly) {
    CPDF_SampleTable identity;
    ExpectNear(Evaluated(identity, {0, 1, 0.5, -3, 7}), {0, 1, 0.5, 0, 1});
    // Size [2 2]: the four corners above.
    CPDF_SampleTable square(Square, {2, 2}, 8, CPDF_IntervalSet(2), CPDF_IntervalSet());
    const struct {
        double x, y, raw;
    } points[] = {
        {0.5, 0.5, (0 + 100 + 200 + 255) / 4.0}, {1, 0, 100}, {0.25, 1, 200 + 0.25 * 55}, {0, 0.5, 100},
        {1, 1, 255},                              {-1, 2, 200},
    };
    for (const auto& p : points) {
        SCOPED_TRACE(testing::Message() << p.x << " " << p.y);
        EXPECT_NEAR(Evaluated(square, {p.x, p.y})[0], p.raw / 255, 1e-12);
    }
    // Three grid points on a Domain of [10 20]: the maximum lands on the last
    // cell with fraction 1; the input array returns the grid coordinates.
    const uint8_t three[] = {0, 100, 255};
    const double domain[] = {10, 20};
    CPDF_SampleTable line(three, {3}, 8, CPDF_IntervalSet(domain, 1), CPDF_IntervalSet());
    std::vector<double> in = {20, 12.5, 10, 15, 25};
    std::vector<double> out(5);
    line.Evaluate(in.data(), out.data(), 5);
    EXPECT_EQ(in, (std::vector<double>{2, 0.5, 0, 1, 2}));
    const std::vector<double> expected = {1, 50.0 / 255, 0, 100.0 / 255, 1};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_NEAR(out[i], expected[i], 1e-12) << i;
    // A Size of 1 always gives its one sample.
    const uint8_t one[] = {0, 255, 77, 77};
    CPDF_SampleTable flat(one, {2, 1}, 8, CPDF_IntervalSet(2), CPDF_IntervalSet());
    EXPECT_NEAR(Evaluated(flat, {0.5, 0.9})[0], 127.5 / 255, 1e-12);
}

TEST(CPDF_SampleTable, SamplesSitAtTheirBitOffsetAtEveryWidth) {
    std::mt19937 random(3);
    for (const unsigned bits : {1u, 2u, 4u, 8u, 12u, 16u, 24u, 32u}) {
        SCOPED_TRACE(bits);
        const uint8_t zeros[18 * 4] = {};
        CPDF_SampleTable table(zeros, {3, 2}, bits, CPDF_IntervalSet(2), CPDF_IntervalSet(3));
        const double max = static_cast<double>(CPDF_DecodeArray::MaxIntValue(bits));
        const double pairs[] = {0, max, 0, max, 0, max};
        table.SetDecode(CPDF_DecodeArray(pairs, 3));  // samples decode to themselves
        std::vector<uint32_t> raw(table.NumSamples());
        for (uint32_t& v : raw)
            v = std::uniform_int_distribution<uint32_t>(0, static_cast<uint32_t>(max))(random);
        for (uint32_t point = 0; point < table.NumGridPoints(); ++point) {
            const double values[] = {double(raw[point * 3]), double(raw[point * 3 + 1]), double(raw[point * 3 + 2])};
            table.SetSample(table.MultiIndex(point), values);  // the first input runs fastest
            EXPECT_EQ(table.LinearIndex(table.MultiIndex(point)), point);
        }
        EXPECT_EQ(table.MultiIndex(4), (std::vector<uint32_t>{1, 1}));
        EXPECT_EQ(table.DataSize(), (18 * bits + 7) / 8);
        for (uint32_t k = 0; k < raw.size(); ++k) {
            EXPECT_EQ(BitsAt(table.Data(), uint64_t(k) * bits, bits), raw[k]) << k;
            EXPECT_EQ(table.RawSample(k), raw[k]) << k;
        }
        double got[3];
        table.GetSample(2, 1, got);  // linear index 3 * 1 + 2
        EXPECT_NEAR(got[1], raw[5 * 3 + 1], 1e-3);
    }
}

TEST(CPDF_SampleTable, BuildsFromColours) {
    const CPDF_SampleTable single({CPDF_Color(std::vector<double>{0.2, 0.4, 0.6, 0.8})}, 16);
    EXPECT_EQ(single.Size(0), 2u);
    EXPECT_EQ(single.Decode(), CPDF_DecodeArray(Obj("[0 0.2 0 0.4 0 0.6 0 0.8]")));
    for (uint32_t j = 0; j < 4; ++j) {
        EXPECT_EQ(single.RawSample(j), 0u);
        EXPECT_EQ(single.RawSample(4 + j), 65535u);
    }
    const std::unique_ptr<CPDF_SampleTable> half = single.Clone();
    const std::vector<double> halves = Evaluated(*half, {0.5});
    for (size_t j = 0; j < 4; ++j)
        EXPECT_NEAR(halves[j], 0.1 * (j + 1), 1e-12);

    CPDF_SampleTable two({CPDF_Color(std::vector<double>{1, 0}), CPDF_Color(std::vector<double>{0.5, 0.5})}, 8);
    EXPECT_TRUE(two.HasDecode());
    EXPECT_EQ(two.Decode(), CPDF_DecodeArray(Obj("[0 1.5 0 0.5]")));
    double corner[2];
    two.GetSample(3, corner);
    EXPECT_EQ(corner[0], 1.5);
    EXPECT_EQ(corner[1], 0.5);
    // Written as a Flate stream and read back through the factory, the
    // function gives what the table gives: tint 0.3 and 0.6 mix to (0.6, 0.3).
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object stream = two.MakeObject(doc);
    EXPECT_EQ(Printed(stream.DictGet(GLOB_Name("Filter"))), "/FlateDecode");
    EXPECT_FALSE(stream.Known(GLOB_Name("Encode")));
    EXPECT_EQ(ReadAll(stream.OpenStream(2)), std::string(reinterpret_cast<const char*>(two.Data()), two.DataSize()));
    const CPDF_Function function(stream);
    const std::vector<double> fromTable = Evaluated(two, {0.3, 0.6});
    const std::vector<double> fromFunction = Outputs(function, {0.3, 0.6});
    EXPECT_EQ(fromFunction, fromTable);
    EXPECT_NEAR(fromTable[0], 0.6, 1e-12);
    EXPECT_NEAR(fromTable[1], 0.3, 1e-12);

    const CPDF_SampleTable negative({CPDF_Color(std::vector<double>{1, -0.5}), CPDF_Color(std::vector<double>{1, 0})},
                                    8);
    EXPECT_EQ(negative.Decode(), CPDF_DecodeArray(Obj("[-2 2 -0.5 0.5]")));
    EXPECT_EQ(Thrown([] { CPDF_SampleTable t(std::vector<CPDF_Color>(), 8); }), "assert domainDim != 0");
    EXPECT_EQ(Thrown([] { CPDF_SampleTable t(std::vector<CPDF_Color>(32, CPDF_Color(0u)), 8); }),
              "1128007 CPDF_SampleTable: 32 inputs, more than 31");
}

TEST(CPDF_SampleTable, SamplesAFunction) {
    // y = x^2 at 0, 0.25, 0.5, 0.75, 1, each to the nearest of 255 steps.
    const CPDF_SampleTable table(CPDF_Function(Obj("<< /FunctionType 2 /Domain [0 1] /N 2 >>")), {5}, 8);
    std::vector<uint32_t> raw;
    for (uint32_t k = 0; k < 5; ++k)
        raw.push_back(table.RawSample(k));
    EXPECT_EQ(raw, (std::vector<uint32_t>{0, 16, 64, 143, 255}));
    EXPECT_FALSE(table.HasDecode());
    // On [-1 1] with a Range of [0 2]: y = 1 + x at -1, 0, 1.
    const CPDF_SampleTable shifted(
        CPDF_Function(Obj("<< /FunctionType 2 /Domain [-1 1] /N 1 /C0 [1] /C1 [2] /Range [0 2] >>")), {3}, 8);
    EXPECT_EQ(shifted.RawSample(0), 0u);
    EXPECT_EQ(shifted.RawSample(1), 128u);  // 1 of [0 2]: 127.5 rounded up
    EXPECT_EQ(shifted.RawSample(2), 255u);
}

TEST(CPDF_SampleTable, ReadsAStreamUntilFullOrEnded) {
    const CPDF_SampleTable shortOne({3}, 8, CPDF_IntervalSet(), CPDF_IntervalSet(2),
                                    GLOB_Stream(new GLOB_ChunkedCore("\x01\x02\x03", {1, 2})));
    EXPECT_EQ(std::vector<uint8_t>(shortOne.Data(), shortOne.Data() + 6), (std::vector<uint8_t>{1, 2, 3, 0, 0, 0}));
    auto* core = new GLOB_ChunkedCore("\x01\x02\x03\x04\x05", {2});
    const CPDF_SampleTable longOne({3}, 1, CPDF_IntervalSet(), CPDF_IntervalSet(), GLOB_Stream(core));
    EXPECT_EQ(longOne.DataSize(), 1u);
    EXPECT_EQ(longOne.Data()[0], 1);
}

TEST(CPDF_SampleTable, DefaultsFollowDomainAndRangeUntilSetExplicitly) {
    CPDF_SampleTable table(Square, {2, 2}, 8, CPDF_IntervalSet(2), CPDF_IntervalSet());
    EXPECT_EQ(table.Encode(), CPDF_DecodeArray(Obj("[0 1 0 1]")));
    table.SetRange(CPDF_IntervalSet(Obj("[0 10]")));
    EXPECT_EQ(table.Decode(), CPDF_DecodeArray(Obj("[0 10]")));
    table.SetDecode(CPDF_DecodeArray(Obj("[5 6]")));
    table.SetRange(CPDF_IntervalSet(Obj("[0 1]")));
    EXPECT_EQ(table.Decode(), CPDF_DecodeArray(Obj("[5 6]")));
    table.SetEncode(CPDF_DecodeArray(Obj("[1 0 0 1]")));
    table.SetOrder(CPDF_InterpolationOrderCubic);
    // The copy keeps both; (0, 0) through Encode [1 0] reads g(1,0) = 100.
    const std::unique_ptr<CPDF_SampleTable> copy = table.Clone();
    EXPECT_EQ(copy->Order(), 3);
    EXPECT_NEAR(Evaluated(*copy, {0, 0})[0], 5 + 100.0 / 255, 1e-12);
    table.ResetDecode();
    table.ResetEncode();
    EXPECT_EQ(table.Decode(), CPDF_DecodeArray(Obj("[0 1]")));
    const GLOB_Object written = table.MakeObject(NewMemoryDoc());
    EXPECT_EQ(written.DictGet(GLOB_Name("Order")).AsInteger(), 3);
    EXPECT_FALSE(written.Known(GLOB_Name("Encode")) || written.Known(GLOB_Name("Decode")));
    EXPECT_EQ(Thrown([&] { table.SetDecode(CPDF_DecodeArray(2)); }).substr(0, 7), "assert ");
}

TEST(CPDF_SampleTable, Limits) {
    const struct {
        std::vector<uint32_t> size;
        unsigned outputs, bits;
        uint64_t bytes;  // 0: beyond the limit
    } shapes[] = {
        {{2}, 1, 8, 2},
        {{3}, 1, 12, 5},  // 36 bits
        {{5}, 3, 1, 2},
        {{65536, 65536}, 1, 32, 0},
        {{65536, 65536}, 0, 8, 0},  // a grid too large even without outputs
        {{4096, 4096, 4096}, 0, 8, 0},
        {{1u << 30, 1u << 30, 1u << 30, 1u << 30}, 4, 32, 0},
        {{16384, 16384}, 1, 8, CPDF_SampleTable::MaxDataSize},
        {{16384, 16384}, 2, 8, 0},
    };
    for (const auto& s : shapes) {
        const uint64_t bytes = CPDF_SampleTable::DataSizeFor(s.size, s.outputs, s.bits);
        if (s.bytes)
            EXPECT_EQ(bytes, s.bytes);
        else
            EXPECT_GT(bytes, CPDF_SampleTable::MaxDataSize);
    }
    EXPECT_EQ(Thrown([] { CPDF_SampleTable t(nullptr, {65536, 65536}, 32, CPDF_IntervalSet(2), CPDF_IntervalSet()); }),
              "1128007 CPDF_SampleTable: the samples take more than 268435456 bytes");
    // Seventeen inputs can be built but not evaluated.
    const uint8_t none[1] = {};
    CPDF_SampleTable wide(none, std::vector<uint32_t>(17, 1), 8, CPDF_IntervalSet(17), CPDF_IntervalSet());
    std::vector<double> in(17, 0.5);
    double out = 0;
    EXPECT_EQ(Thrown([&] { wide.Evaluate(in.data(), &out, 1); }),
              "1128007 CPDF_SampleTable: cannot evaluate 17 inputs, at most 16");
    CPDF_SampleTable sixteen(none, std::vector<uint32_t>(16, 1), 8, CPDF_IntervalSet(16), CPDF_IntervalSet());
    ExpectNear(Evaluated(sixteen, std::vector<double>(16, 0.5)), {0});
}
