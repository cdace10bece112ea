#include "CPDF/color/CPDF_IndexedColorSpace.h"

#include "CPDF/color/CPDF_PatternColorSpace.h"
#include "ColorSpaceTestUtil.h"
#include "GLOB/GLOB_StringStream.h"

#include <gtest/gtest.h>

namespace {

// 768 bytes, entry j holding (3j, 3j + 1, 3j + 2) mod 256.
std::string Palette() {
    std::string bytes(768, 0);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i & 0xFF);
    return bytes;
}

GLOB_Object IndexedOver(const GLOB_Doc& doc, const char* base, int hival, const GLOB_Object& lookup) {
    const GLOB_Object array = doc.ParseObject((std::string("[/Indexed ") + base + " " + std::to_string(hival) + " 0]").c_str());
    array.ArrayPut(3, lookup);
    return array;
}

}  // namespace

// A lookup string and the same bytes in a Flate stream give one table; byte
// b is b / 255 and every index past hival gives the last entry.
TEST(CPDF_IndexedColorSpace, LookupStringsAndStreamsGiveTheSameTable) {
    const GLOB_Doc doc = NewMemoryDoc();
    const std::string bytes = Palette();
    const GLOB_Object flate = StoreStream(doc, bytes, "<< /Filter /FlateDecode >>");
    ASSERT_NE(ReadAll(flate.OpenStream(0)), bytes);  // stored compressed
    const CPDF_IndexedColorSpace fromString(IndexedOver(doc, "/DeviceRGB", 255, doc.NewString(GLOB_String(bytes.data(), bytes.size()))));
    const CPDF_IndexedColorSpace fromStream(IndexedOver(doc, "/DeviceRGB", 255, flate));
    EXPECT_EQ(fromString.NumSamples(), 256u);
    for (unsigned j = 0; j < 256; ++j) {
        SCOPED_TRACE(j);
        const std::vector<double> want = {(3 * j % 256) / 255.0, ((3 * j + 1) % 256) / 255.0,
                                          ((3 * j + 2) % 256) / 255.0};
        EXPECT_EQ(Values(fromString.Color(j)), want);
        EXPECT_EQ(fromStream.Color(j), fromString.Color(j));
    }
    EXPECT_EQ(fromString.Color(255).Component(2), 1.0);
    EXPECT_EQ(fromString.Color(1000), fromString.Color(255));
    EXPECT_EQ(fromString.Color(~0u), fromString.Color(255));
}

// Entries the data does not reach keep a zero colour of the base's count;
// a trailing partial tuple is not read.
TEST(CPDF_IndexedColorSpace, ShortLookupsLeaveTheLastEntriesAtTheirDefault) {
    const struct {
        const char* object;
        std::vector<std::vector<double>> entries;
    } cases[] = {
        {"[/Indexed /DeviceRGB 3 <FF0000 00FF>]", {{1, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
        {"[/Indexed /DeviceGray 2 <>]", {{0}, {0}, {0}}},
        {"[/Indexed /DeviceCMYK 0 <00000000 FFFFFFFF>]", {{0, 0, 0, 0}}},
        // A base of no components has nothing to read.
        {"[/Indexed [/DeviceN [] /DeviceGray 0] 1 <0102>]", {{}, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.object);
        const CPDF_IndexedColorSpace space(Obj(c.object));
        for (unsigned j = 0; j < c.entries.size(); ++j)
            EXPECT_EQ(Values(space.Color(j)), c.entries[j]) << "entry " << j;
    }
}

// A copy takes the table; the source builds a new one from the lookup as it
// reads then, so the two disagree once the lookup changed in between.
TEST(CPDF_IndexedColorSpace, CopiesTakeTheTableOver) {
    const GLOB_Object object = Obj("[/Indexed /DeviceGray 1 <00FF>]");
    const CPDF_ColorSpace space(object);
    const CPDF_IndexedColorSpace& core = dynamic_cast<const CPDF_IndexedColorSpace&>(space.Core());
    EXPECT_EQ(core.Color(1).Component(0), 1.0);
    const CPDF_IndexedColorSpace taken = space.AsIndexed();
    object.ArrayPut(3, Obj("<0080>"));
    EXPECT_EQ(taken.Color(1).Component(0), 1.0);
    EXPECT_EQ(core.Color(1).Component(0), 128 / 255.0);
    // So does a copy of the handle, and a copy of the core.
    const CPDF_ColorSpace handleCopy = space;
    object.ArrayPut(3, Obj("<0040>"));
    EXPECT_EQ(handleCopy.AsIndexed().Color(1).Component(0), 128 / 255.0);
    EXPECT_EQ(core.Color(1).Component(0), 64 / 255.0);
    CPDF_IndexedColorSpace second(taken);
    EXPECT_EQ(second.Color(1).Component(0), 1.0);
    // A rebuild and a new base read afresh.
    second.BuildColorTable();
    EXPECT_EQ(second.Color(1).Component(0), 64 / 255.0);
    // Two bytes hold no RGB entry.
    second.SetBaseColorSpace(CPDF_ColorSpace::MakeDeviceRGB());
    EXPECT_EQ(Values(second.Color(0)), (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(Thrown([&] { second.SetBaseColorSpace(CPDF_ColorSpace(CPDF_PatternColorSpace())); }),
              "assert IsValidBaseColorSpace(baseSpace, nullptr)");
}

TEST(CPDF_IndexedColorSpace, BuiltFromParts) {
    const GLOB_Doc doc = NewMemoryDoc();
    const CPDF_ColorSpace rgb = CPDF_ColorSpace::MakeDeviceRGB();
    // The separation engine's form: a new indirect array and lookup stream
    // of doc.
    const CPDF_IndexedColorSpace engine(rgb, 2, GLOB_Stream(new GLOB_StringStream(std::string("\xFF\x00\x00\x00\x00\xFF", 6))), doc);
    EXPECT_FALSE(engine.Object().IsDirect());
    EXPECT_EQ(engine.Object().GetImpl(), doc.Impl());
    EXPECT_TRUE(engine.Lookup().IsStream());
    EXPECT_EQ(engine.NumSamples(), 2u);
    EXPECT_EQ(Values(engine.Color(1)), (std::vector<double>{0, 0, 1}));
    EXPECT_EQ(Validated(CPDF_ColorSpace::IsValid, engine.Object()), "valid");
    // The memory-document form keeps the lookup object it is given.
    const CPDF_IndexedColorSpace memory(CPDF_ColorSpace::MakeDeviceGray(), 1, doc.NewString(GLOB_String("\x80")));
    EXPECT_TRUE(memory.Lookup().IsString());
    EXPECT_EQ(Printed(memory), "ColorSpace: Indexed [ BaseColorSpace ColorSpace: DeviceGray NumSamples 1 ]");
    EXPECT_EQ(memory.Color(0).Component(0), 128 / 255.0);
    EXPECT_EQ(Thrown([&] { CPDF_IndexedColorSpace bad(rgb, 257, Obj("()")); }),
              "assert IsValidNumSamples(numSamples, nullptr)");
    std::string text;
    EXPECT_FALSE(CPDF_IndexedColorSpace::IsValidNumSamples(0, &text));
    EXPECT_EQ(text, "Indexed colorspaces must have at least one sample, not 0.\n");
}
