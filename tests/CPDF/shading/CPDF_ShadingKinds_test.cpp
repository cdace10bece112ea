// The kinds of types 1 to 3: their bounding boxes, builders and setters.
#include "CPDF/shading/CPDF_AxialShading.h"
#include "CPDF/shading/CPDF_FunctionBasedShading.h"
#include "CPDF/shading/CPDF_RadialShading.h"
#include "CPDF/CPDF_Utils.h"
#include "GLOB/GLOB_Dict.h"
#include "ShadingTestUtil.h"

namespace {

const char* const Fn = " /Function << /FunctionType 2 /Domain [0 1] /N 1 >>";

GLIB_Rect BoundingBox(const CPDF_Shading& shading) {
    switch (shading.ShadingType()) {
    case CPDF_Shading::FunctionBased:
        return shading.AsFunctionBased().BoundingBox();
    case CPDF_Shading::Axial:
        return shading.AsAxial().BoundingBox();
    default:
        return shading.AsRadial().BoundingBox();
    }
}

std::vector<std::string> Keys(const GLOB_Object& dict) {
    std::vector<std::string> keys;
    GLOB_Name key;
    const GLOB_Dict entries = dict.AsDict();
    for (uint32_t i = 0; entries.Entry(i, &key, nullptr); ++i)
        keys.push_back(key.CStr());
    std::sort(keys.begin(), keys.end());
    return keys;
}

}  // namespace

TEST(CPDF_ShadingKinds, BoundingBoxes) {
    const struct {
        const char* entries;
        const char* box;
    } cases[] = {
        // Axial: the strip across the axis, and the half-planes Extend adds.
        {"/ShadingType 2 /Coords [0 0 100 0]", "0 -32768 100 32767"},
        {"/ShadingType 2 /Coords [0 0 100 0] /Extend [true true]", "-32768 -32768 32767 32767"},
        {"/ShadingType 2 /Coords [0 0 100 0] /Extend [true false]", "-32768 -32768 100 32767"},
        {"/ShadingType 2 /Coords [50 200 50 100]", "-32768 100 32767 200"},
        {"/ShadingType 2 /Coords [0 0 10 1]", "-32768 -32768 32767 32767"},
        {"/ShadingType 2 /Coords [5 6 5 6]", "5 6 5 6"},
        // Radial: circles apart, concentric, and of equal radii.
        {"/ShadingType 3 /Coords [0 0 10 100 0 20]", "-10 -20 120 20"},
        {"/ShadingType 3 /Coords [0 0 10 100 0 20] /Extend [false true]", "-10 -32768 32767 32767"},
        {"/ShadingType 3 /Coords [0 0 10 100 0 20] /Extend [true false]", "-100 -20 120 20"},
        {"/ShadingType 3 /Coords [0 0 5 0 0 10]", "-10 -10 10 10"},
        {"/ShadingType 3 /Coords [0 0 5 0 0 10] /Extend [false true]", "-32768 -32768 32767 32767"},
        {"/ShadingType 3 /Coords [0 0 5 0 0 10] /Extend [true false]", "-10 -10 10 10"},
        {"/ShadingType 3 /Coords [0 0 10 100 50 10] /Extend [false true]", "-10 -10 32767 32767"},
        {"/ShadingType 3 /Coords [0 0 10 100 50 10] /Extend [true false]", "-32768 -32768 110 60"},
        // Function-based: the domain through the matrix.
        {"/ShadingType 1", "0 0 1 1"},
        {"/ShadingType 1 /Domain [0 2 0 3] /Matrix [2 0 0 2 10 10]", "10 10 14 16"},
        {"/ShadingType 1 /Domain [2 0 3 0]", "0 0 2 3"},
        {"/ShadingType 1 /Matrix [0 1 -1 0 0 0]", "-1 0 0 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries);
        const CPDF_Shading shading(Obj(std::string("<< /ColorSpace /DeviceGray ") + c.entries + Fn + " >>"));
        EXPECT_EQ(RectText(BoundingBox(shading)), c.box);
    }
    const CPDF_Shading clipped(Obj(std::string("<< /ShadingType 2 /ColorSpace /DeviceGray /Coords [0 0 100 0] ") +
                                   "/BBox [-10 -20 50 30]" + Fn + " >>"));
    EXPECT_EQ(RectText(clipped.AsAxial().ClippedBoundingBox()), "0 -20 50 30");
}

TEST(CPDF_ShadingKinds, BuiltFromValues) {
    const GLOB_Doc doc = NewMemoryDoc();
    const CPDF_ColorSpace rgb = CPDF_ColorSpace::MakeDeviceRGB();
    // The function lives in the memory document and is copied in.
    const GLOB_Object function = Obj("<< /FunctionType 2 /Domain [0 1] /N 1 /C1 [1 0 0] >>");

    CPDF_AxialShading axial(doc, rgb, function, GLIB_Point(1, 2), GLIB_Point(3, 4));
    EXPECT_EQ(Keys(axial.Object()), (std::vector<std::string>{"ColorSpace", "Coords", "Function", "ShadingType"}));
    EXPECT_FALSE(axial.Object().IsDirect());
    EXPECT_TRUE(axial.Function().Doc().Impl() == doc.Impl());
    EXPECT_EQ(axial.Domain(), std::make_pair(0.0, 1.0));
    EXPECT_FALSE(axial.Domain(nullptr) || axial.Extend(nullptr));
    EXPECT_TRUE(axial.Extend() == CPDF_ShadingCore::ExtendMode(false, false));
    EXPECT_TRUE(CPDF_Shading::IsValid(axial.Object(), nullptr));
    axial.SetStartPoint(GLIB_Point(0, 0));
    axial.SetEndPoint(GLIB_Point(0, 5));
    axial.SetDomain({1, 0});
    axial.SetExtend(CPDF_ShadingCore::ExtendMode(false, true));
    EXPECT_EQ(axial.Domain(), std::make_pair(1.0, 0.0));
    EXPECT_TRUE(axial.Extend().ExtendEnd() && !axial.Extend().ExtendStart());
    EXPECT_EQ(RectText(axial.BoundingBox()), "-32768 0 32767 32767");

    CPDF_RadialShading radial(doc, rgb, function, GLIB_Point(0, 0), 10, GLIB_Point(100, 0), 20);
    EXPECT_EQ(Keys(radial.Object()), (std::vector<std::string>{"ColorSpace", "Coords", "Function", "ShadingType"}));
    EXPECT_EQ(RectText(radial.BoundingBox()), "-10 -20 120 20");
    EXPECT_TRUE(radial.Extend() == CPDF_RadialShading::DefaultExtend);
    radial.SetStartRadius(0);
    radial.SetEndPoint(GLIB_Point(0, 0));
    radial.SetEndRadius(1);
    radial.SetStartPoint(GLIB_Point(5, 5));
    EXPECT_EQ(radial.StartRadius(), 0);
    EXPECT_EQ(RectText(radial.BoundingBox()), "-1 -1 5 5");
    EXPECT_EQ(Thrown([&] { radial.SetEndRadius(-1); }), "assert IsValidRadius( radius )");
    EXPECT_EQ(Thrown([&] { CPDF_RadialShading r(doc, rgb, function, GLIB_Point(), -2, GLIB_Point(), 1); }),
              "assert IsValidRadius( startRadius )");

    CPDF_FunctionBasedShading based(doc, rgb, function, GLIB_Rect(0, 0, 1, 2));
    EXPECT_EQ(CPDF_Utils::ObjectText(based.Object().DictGet(GLOB_Name("Domain"))), "[ 0 1 0 2 ]");
    EXPECT_FALSE(based.Matrix(nullptr));
    EXPECT_TRUE(based.Matrix() == GLIB_Matrix());
    based.SetMatrix(GLIB_Matrix(1, 0, 0, 1, 5, 0));
    based.SetDomain(GLIB_Rect(0, 0, 2, 1));
    EXPECT_EQ(RectText(based.BoundingBox()), "5 0 7 1");
    EXPECT_EQ(Thrown([&] { CPDF_AxialShading a(doc, CPDF_ColorSpace(Obj("/Pattern")), function, {}, {}); }),
              "assert IsValidColorSpace( cSpace )");
}

TEST(CPDF_ShadingKinds, CommonEntries) {
    const GLOB_Doc doc = NewMemoryDoc();
    CPDF_AxialShading shading(doc.ParseObject(std::string("<< /ShadingType 2 /ColorSpace /DeviceGray /Coords [0 0 1 0]"
                                                          " /AntiAlias true /BBox [4 3 2 1] /Background [0.5]") +
                                              Fn + " >>"));
    GLIB_Rect bbox;
    ASSERT_TRUE(shading.BBox(&bbox));
    EXPECT_EQ(RectText(bbox), "4 3 2 1");
    EXPECT_TRUE(shading.AntiAlias());
    shading.RemoveBBox();
    shading.RemoveBackground();
    EXPECT_FALSE(shading.BBox() || shading.Background());
    shading.SetBBox(GLIB_Rect(0, 0, 2, 2));
    EXPECT_EQ(RectText(shading.ClippedBoundingBox()), "0 0 1 2");
    shading.SetColorSpace(CPDF_ColorSpace::MakeDeviceCMYK());
    EXPECT_EQ(shading.ColorSpace().Type(), CPDF_ColorSpace::DeviceCMYK);
    shading.SetBackground(CPDF_Color(std::vector<double>{0, 0, 0, 1}));
    EXPECT_EQ(Thrown([&] { shading.SetColorSpace(CPDF_ColorSpace::MakeDeviceGray()); }),
              "assert CPDF_ShadingCore::IsValidColor( bgColor, colorSpace )");
    // Changed entries are still valid ones.
    EXPECT_EQ(Validated(CPDF_AxialShading::IsValidShading, shading.Object()), "valid");
    EXPECT_TRUE(shading == CPDF_AxialShading(shading.Object()));
    EXPECT_EQ(Thrown([&] { CPDF_ShadingCore::ExtendMode(Obj("7")); }),
              "1128011 Extend mode should be an Array, found Integer\n");
}
