#include "CPDF/color/CPDF_CalGrayColorSpace.h"
#include "CPDF/color/CPDF_CalRGBColorSpace.h"
#include "CPDF/color/CPDF_ICCBasedColorSpace.h"
#include "CPDF/color/CPDF_LabColorSpace.h"

#include "ColorSpaceTestUtil.h"

#include <gtest/gtest.h>

using Pair = std::pair<double, double>;

// Default spaces read their defaults; setters write into the one dictionary
// that every handle of the object sees.
TEST(CPDF_CIEColorSpace, DefaultsAndSettersShareTheDictionary) {
    CPDF_CalGrayColorSpace gray;
    const CPDF_CalGrayColorSpace grayCopy = gray;
    EXPECT_EQ(Values(gray.WhitePoint()), (std::vector<double>{1, 1, 1}));
    EXPECT_EQ(Values(gray.BlackPoint()), (std::vector<double>{0, 0, 0}));
    EXPECT_FALSE(gray.HasBlackPoint(nullptr) || gray.HasGamma(nullptr));
    EXPECT_EQ(gray.Gamma(), 1.0);
    gray.SetGamma(1.8);
    gray.SetBlackPoint(CPDF_Color(std::vector<double>{0.1, 0.2, 0.3}));
    EXPECT_EQ(grayCopy.Gamma(), 1.8);
    EXPECT_EQ(Values(grayCopy.BlackPoint()), (std::vector<double>{0.1, 0.2, 0.3}));
    EXPECT_TRUE(gray.Object().Get(1).DictGet(GLOB_Name("Gamma")).Type() == GLOB_Object::KindReal);
    EXPECT_EQ(Thrown([&] { gray.SetGamma(0); }), "assert IsValidGamma(gamma, nullptr)");
    EXPECT_EQ(Thrown([&] { gray.SetWhitePoint(CPDF_Color(std::vector<double>{1, 0.9, 1})); }),
              "assert IsValidWhitePoint(whitePoint, nullptr)");

    CPDF_CalRGBColorSpace rgb;
    const GLOB_Array gamma = rgb.Gamma();
    ASSERT_EQ(gamma.Length(), 3u);
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_TRUE(gamma.Get(i).IsInteger() && gamma.Get(i).AsInteger() == 1);
    CPDF_Color red, green, blue;
    rgb.Matrix(&red, &green, &blue);
    EXPECT_EQ(Values(red), (std::vector<double>{1, 0, 0}));
    EXPECT_EQ(Values(blue), (std::vector<double>{0, 0, 1}));
    rgb.SetMatrix(CPDF_Color(std::vector<double>{1, 2, 3}), CPDF_Color(std::vector<double>{4, 5, 6}),
                  CPDF_Color(std::vector<double>{7, 8, 9}));
    EXPECT_TRUE(rgb.Object().Get(1).DictGet(GLOB_Name("Matrix")).IsDeepEqual(Obj("[1.0 2.0 3.0 4.0 5.0 6.0 7.0 8.0 9.0]")));
    CPDF_Color onlyGreen;
    EXPECT_TRUE(rgb.HasMatrix(nullptr, &onlyGreen, nullptr));
    EXPECT_EQ(Values(onlyGreen), (std::vector<double>{4, 5, 6}));
    rgb.SetGamma(Obj("[1.8 0 2.2]").AsArray());
    EXPECT_TRUE(rgb.Object().Get(1).DictGet(GLOB_Name("Gamma")).IsDeepEqual(Obj("[1.8 0 2.2]")));
    EXPECT_EQ(Thrown([&] { rgb.SetGamma(Obj("[1 1]").AsArray()); }), "assert IsValidGamma(gamma, nullptr)");

    CPDF_LabColorSpace lab;
    EXPECT_EQ(lab.ARange(), Pair(-100, 100));
    EXPECT_EQ(Values(lab.InitialColor()), (std::vector<double>{0, -100, -100}));
    lab.SetARange(Pair(-50, 50));
    EXPECT_TRUE(lab.Object().Get(1).DictGet(GLOB_Name("Range")).IsDeepEqual(Obj("[-50.0 50.0 -100.0 100.0]")));
    lab.SetBRange(Pair(0, 0));
    Pair a, b;
    EXPECT_TRUE(lab.HasRange(&a, &b));
    EXPECT_EQ(a, Pair(-50, 50));
    EXPECT_EQ(b, Pair(0, 0));
    EXPECT_EQ(Thrown([&] { lab.SetBRange(Pair(1, 0)); }),
              "assert IsValidABRange(aRange, nullptr) && IsValidABRange(bRange, nullptr)");

    // Every one of them still validates.
    for (const GLOB_Object& object : {gray.Object(), rgb.Object(), lab.Object()})
        EXPECT_EQ(Validated(CPDF_ColorSpace::IsValid, object), "valid");
}

// A dictionary that lost its white point after construction throws 1128002
// before anything is printed.
TEST(CPDF_CIEColorSpace, AWhitePointThatIsNoColourThrows) {
    const CPDF_LabColorSpace lab;
    lab.Object().Get(1).RemovePath("WhitePoint");
    std::ostringstream os;
    EXPECT_EQ(Thrown([&] { lab.Print(os); }), "1128002 Color should be an array, found Null\n");
    EXPECT_EQ(os.str(), "");
    EXPECT_EQ(Thrown([&] { lab.WhitePoint(); }), "1128002 Color should be an array, found Null\n");
}

TEST(CPDF_ICCBasedColorSpace, AlternatesRangesAndProfile) {
    const GLOB_Doc doc = NewMemoryDoc();
    const struct {
        const char* dict;
        CPDF_ColorSpace::SpaceType alternate;
        std::vector<Pair> ranges;
    } cases[] = {
        {"<< /N 1 >>", CPDF_ColorSpace::DeviceGray, {{0, 1}}},
        {"<< /N 3 >>", CPDF_ColorSpace::DeviceRGB, {{0, 1}, {0, 1}, {0, 1}}},
        {"<< /N 4 /Range [0 1 -1 1 2 3 4.5 5] >>", CPDF_ColorSpace::DeviceCMYK, {{0, 1}, {-1, 1}, {2, 3}, {4.5, 5}}},
        {"<< /N 3 /Range [1 0 0 1 0 1] /Alternate /CalRGB >>", CPDF_ColorSpace::Null, {}},
        {"<< /N 3 /Range [1 0 0 1 0 1] /Alternate [/Lab << /WhitePoint [1 1 1] >>] >>", CPDF_ColorSpace::Lab,
         {{1, 0}, {0, 1}, {0, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dict);
        const GLOB_Object object = IccSpace(doc, c.dict);
        if (c.alternate == CPDF_ColorSpace::Null) {
            // A malformed "Alternate" is refused with the space.
            EXPECT_EQ(Thrown([&] { CPDF_ICCBasedColorSpace s(object); }),
                      "1128003 ICCBased colorspace has invalid alternate space: CalRGB colorspace must be type Array, "
                      "found Name\n\n");
            continue;
        }
        const CPDF_ICCBasedColorSpace space(object);
        EXPECT_EQ(space.Dimension(), c.ranges.size());
        EXPECT_EQ(space.AlternateColorSpace().Type(), c.alternate);
        EXPECT_EQ(space.HasAlternate(nullptr), c.alternate == CPDF_ColorSpace::Lab);
        for (unsigned i = 0; i < c.ranges.size(); ++i)
            EXPECT_EQ(space.Range(i), c.ranges[i]) << i;
        EXPECT_EQ(Thrown([&] { space.Range(space.Dimension()); }).substr(0, 13), "assert idx<n ");
    }
    const std::string profile = Pattern(5000);
    const CPDF_ICCBasedColorSpace flate(IccSpace(doc, "<< /N 1 /Filter /FlateDecode >>", profile));
    EXPECT_EQ(ReadAll(flate.ProfileStream()), profile);
    // Only a dictionary changed after validation has another N.
    flate.Object().Get(1).DictPut(GLOB_Name("N"), doc.NewInteger(2));
    EXPECT_EQ(Thrown([&] { flate.AlternateColorSpace(); }), "1128003 Invalid ICCBased colorspace dimension: 2");
}
