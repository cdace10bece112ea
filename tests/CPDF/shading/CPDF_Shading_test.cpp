#include "CPDF/shading/CPDF_Shading.h"

#include "CPDF/shading/CPDF_AxialShading.h"
#include "CPDF/shading/CPDF_CoonsPatchShading.h"
#include "CPDF/shading/CPDF_FunctionBasedShading.h"
#include "CPDF/shading/CPDF_GouraudShading.h"
#include "CPDF/shading/CPDF_RadialShading.h"
#include "ShadingTestUtil.h"

#include <type_traits>

static_assert(std::has_virtual_destructor<CPDF_ShadingCore>::value, "the handle deletes kinds through the base");

namespace {

const char* const Fn = "/Function << /FunctionType 2 /Domain [0 1] /N 1 >>";
// Encoding entries of a mesh in DeviceRGB: x, y and three components.
const char* const RGBMesh = "/ColorSpace /DeviceRGB /BitsPerCoordinate 8 /BitsPerComponent 8 /BitsPerFlag 8 "
                            "/Decode [0 1 0 1 0 1 0 1 0 1]";

// A shading from dictionary entries; a stream of doc when stream is set.
GLOB_Object Shading(const GLOB_Doc& doc, const std::string& entries, bool stream = false,
                    const std::string& data = "") {
    const std::string dict = "<< " + entries + " >>";
    return stream ? StoreStream(doc, data, dict.c_str()) : doc.ParseObject(dict);
}

}  // namespace

TEST(CPDF_Shading, RefusalsCarryEveryMessage) {
    const GLOB_Doc doc = NewMemoryDoc();
    const std::string axial = std::string("/ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 0] ") + Fn;
    const std::string radial = std::string("/ShadingType 3 /ColorSpace /DeviceGray ") + Fn;
    const struct {
        std::string entries;
        bool stream;
        bool typeLevel;  // refused before a kind is chosen
        std::string lines;
    } cases[] = {
        // The kind.
        {"/ShadingType 2.0", false, true, "ShadingType must be an Integer, found: Real\n"},
        {"/ShadingType 0", false, true, "Unknown Shading type: 0\n"},
        {"/ShadingType 8", false, true, "Unknown Shading type: 8\n"},
        {"/ColorSpace /DeviceRGB", false, true, "Shading missing ShadingType entry\n"},
        // The common entries, reported by the kind as one message.
        {"/ShadingType 2 /ColorSpace /DeviceRGB", false, false,
         "AxialShadding missing Coords entry\nAxialShading missing Function entry.\n"},
        {axial + " /BBox [0 0 100]", false, false,
         "Shading has invalid BBox: Expected Array of length 4, found 3\n\n\n"},
        {"/ShadingType 2 /ColorSpace /DeviceCMYK /Background [0 0 1] /Coords [0 0 1 0] " + std::string(Fn), false,
         false, "Shading has invalid background color: Expected Array of length 4, found 3\n\n\n"},
        {axial + " /Extend [1 0]", false, false,
         "AxialShading has invalid Extend parameter: Extend mode should be an Array of booleans, at index 0 found "
         "type Integer\nExtend mode should be an Array of booleans, at index 1 found type Integer\n\n"},
        {axial + " /Extend [true]", false, false,
         "AxialShading has invalid Extend parameter: Extend mode should be an Array of length 2, found length 1\n\n"},
        {"/ShadingType 2 /ColorSpace /Pattern /AntiAlias 1 /Domain [0]", false, false,
         "Shading AntiAlias flag must be a Boolean, found Integer\n"
         "Shading has invalid colorspace: Shadings cannot be in a Pattern colorspace.\n\n\n"},
        {"/ShadingType 2 /ColorSpace /Fancy /Background [1]", false, false,
         "Shading has invalid colorspace: Unknown ColorSpace name: Fancy\n\n"},
        {"/ShadingType 2 /Background [1 2 3 4 5]", false, false, "Shading missing ColorSpace.\n\n"},
        {axial + " /Domain [0]", false, false,
         "AxialShading has invalid Domain: Expected Array of length 2, found 1\n\n"},
        // Radial.
        {radial, false, false, "RadialShadding missing Coords entry\n"},
        {"/ShadingType 3 /ColorSpace /DeviceGray /Coords [0 0 1 2 3] /Domain [0 1 2]", false, false,
         "RadialShading has invalid Coords: Expected Array of length 6, found 5\n\n"
         "RadialShading has invalid Domain: Expected Array of length 2, found 3\n\n"
         "RadialShading missing Function entry.\n"},
        {radial + " /Coords [0 0 -1 0 0 -0.5]", false, false,
         "RadialShading has invalid start radius: Radial shading radius must be non negative, not -1\n\n"
         "RadialShading has invalid end radius: Radial shading radius must be non negative, not -0.5\n\n"},
        // Function-based.
        {"/ShadingType 1 /ColorSpace /DeviceGray /Domain [0 1 0] /Matrix [1 0 0 1 /x 0]", false, false,
         "Shading has invalid Domain: Expected Array of length 4, found 3\n\n"
         "Shading has invalid Matrix: Expected array entry 4 to be a number, found Name\n\n"
         "FunctionBasedShading missing Function entry.\n"},
        // Meshes.
        {"/ShadingType 4 " + std::string(RGBMesh), false, false,
         "Expected Mesh shading to be a Stream, found Dict\n\n"},
        {"/ShadingType 5 " + std::string(RGBMesh), true, false, "GouraudLattice shading missing VerticesPerRow\n"},
        {"/ShadingType 5 /VerticesPerRow 1 " + std::string(RGBMesh), true, false,
         "Mesh shading has invalid encoding parameters: Mesh encoding VerticesPerRow should be at least 2, found: "
         "1\n\n\n"},
        {"/ShadingType 5 /VerticesPerRow 2.0 " + std::string(RGBMesh), true, false,
         "Mesh shading has invalid encoding parameters: Mesh encoding VerticesPerRow should be an Integer, found: "
         "Real\n\n\n"},
        // The Decode pairs must fit the colours handed out: three components,
        // or one value for a Function.
        {"/ShadingType 6 /ColorSpace /DeviceRGB /BitsPerCoordinate 8 /BitsPerComponent 8 /Decode [0 1 0 1 0 1]",
         true, false, "Mesh shading Decode array should have 5 pairs, found 3\n\n"},
        {"/ShadingType 7 " + std::string(RGBMesh) + " " + Fn, true, false,
         "Mesh shading Decode array should have 3 pairs, found 5\n\n"},
        {"/ShadingType 4 /ColorSpace /DeviceGray /BitsPerCoordinate 8 /BitsPerComponent 8 /Decode [0 1 0 1]", true,
         false,
         "Mesh shading has invalid encoding parameters: Mesh encoding Decode array should have at least 3 pairs, "
         "found 2\n\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries);
        const GLOB_Object shading = Shading(doc, c.entries, c.stream);
        std::string text = c.lines;
        if (c.typeLevel)
            text.pop_back();
        EXPECT_EQ(Thrown([&] { CPDF_Shading s(shading); }), "1128011 " + text);
        EXPECT_EQ(Validated(CPDF_Shading::IsValid, shading), c.lines);
    }
    EXPECT_EQ(Thrown([&] { CPDF_Shading s(Obj("[1]")); }),
              "1128011 A Shading must be a Stream or Dictionary, found: Array");
    // A kind handed a shading of another type stops at the common checks.
    EXPECT_EQ(Thrown([&] { CPDF_GouraudShading s(Shading(doc, "/ShadingType 6 " + std::string(RGBMesh), true)); }),
              "1128011 Shading ShadingType mismatch, expecting 4, found6\n\n");
}

TEST(CPDF_Shading, CommonChecksOfOneType) {
    const struct {
        const char* dict;
        int type;
        const char* lines;
    } cases[] = {
        {"<< /ShadingType 2 /ColorSpace /DeviceRGB >>", 3, "Shading ShadingType mismatch, expecting 3, found2\n"},
        {"<< /ShadingType /Axial /ColorSpace /DeviceRGB >>", 2,
         "Shading ShadingType entry should be an Itnteger, found Name\n"},
        {"<< /ColorSpace [/Indexed /DeviceRGB 1 <000000FFFFFF>] /Background [0] >>", 2,
         "Shading missing ShadingType entry.\n"},
        {"<< /ShadingType 1 /ColorSpace /DeviceGray /AntiAlias true /BBox [0 0 1 1] /Background [0.5] >>", 1,
         "valid"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dict);
        const auto common = [&](const GLOB_Object& o, std::string* m) {
            return CPDF_ShadingCore::IsValid(o, c.type, m);
        };
        EXPECT_EQ(Validated(common, Obj(c.dict)), c.lines);
    }
    EXPECT_EQ(CPDF_ShadingCore::IsValid(Obj("5"), 1, nullptr), false);
}

TEST(CPDF_Shading, HandlesShareOneCore) {
    const GLOB_Doc doc = NewMemoryDoc();
    const CPDF_Shading null;
    EXPECT_TRUE(null.IsNull());
    EXPECT_FALSE(null.IsAxial() || null.IsMesh() || null.IsFunctionBased() || null.IsTensorPatch());
    EXPECT_EQ(Printed(null), "Shading: Null");

    CPDF_Shading first(Shading(doc, "/ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 0] " + std::string(Fn)));
    const CPDF_Shading second = first;
    EXPECT_TRUE(second.Object() == first.Object());
    EXPECT_FALSE(second.Background());
    first.SetBackground(CPDF_Color(std::vector<double>{0.25, 0.5, 1}));
    CPDF_Color background;
    ASSERT_TRUE(second.Background(&background));
    EXPECT_EQ(background, CPDF_Color(std::vector<double>{0.25, 0.5, 1}));
    EXPECT_TRUE(first.Object().Known(GLOB_Name("Background")));
    EXPECT_EQ(Thrown([&] { first.SetBackground(CPDF_Color(1u)); }),
              "assert CPDF_ShadingCore::IsValidColor( backgroundColor, ColorSpace() )");

    // A handle made from a typed copy shares the object too.
    const CPDF_Shading third(first.AsAxial());
    EXPECT_TRUE(third.Object() == first.Object());
    EXPECT_EQ(Printed(third), "Shading: Axial");
    GLOB_Object function;
    EXPECT_TRUE(third.Function(&function) && function.IsDict());
    EXPECT_EQ(third.ColorSpace().Type(), CPDF_ColorSpace::DeviceRGB);
    EXPECT_FALSE(third.IsMesh());
    EXPECT_EQ(Thrown([&] { third.AsMesh(); }), "assert IsMesh()");
    EXPECT_EQ(Thrown([&] { third.AsRadial(); }), "assert IsRadial()");
}

TEST(CPDF_Shading, EveryKindBuildsAndGoes) {
    const GLOB_Doc doc = NewMemoryDoc();
    const std::string mesh = " /VerticesPerRow 2 " + std::string(RGBMesh);
    const struct {
        std::string entries;
        bool stream;
        const char* printed;
    } cases[] = {
        {"/ShadingType 1 /ColorSpace /DeviceGray " + std::string(Fn), false, "Shading: FunctionBased"},
        {"/ShadingType 2 /ColorSpace /DeviceGray /Coords [0 0 1 1] " + std::string(Fn), false, "Shading: Axial"},
        {"/ShadingType 3 /ColorSpace /DeviceGray /Coords [0 0 1 1 1 2] " + std::string(Fn), false,
         "Shading: Radial"},
        {"/ShadingType 4" + mesh, true, "Shading: Gouraud"},
        {"/ShadingType 5" + mesh, true, "Shading: GouraudLattice"},
        {"/ShadingType 6" + mesh, true, "Shading: CoonsPatch"},
        {"/ShadingType 7" + mesh, true, "Shading: TensorPatch"},
    };
    for (int type = 1; type <= 7; ++type) {
        const auto& c = cases[type - 1];
        SCOPED_TRACE(c.printed);
        // A lattice holds two rows of 5-byte vertices at (0, 0).
        const CPDF_Shading shading(Shading(doc, c.entries, c.stream, std::string(type == 5 ? 20 : 0, '\0')));
        EXPECT_EQ(shading.ShadingType(), type);
        EXPECT_EQ(Printed(shading), c.printed);
        EXPECT_EQ(shading.IsMesh(), type >= 4);
        const bool kinds[] = {shading.IsFunctionBased(), shading.IsAxial(), shading.IsRadial(), shading.IsGouraud(),
                              shading.IsGouraudLattice(), shading.IsCoonsPatch(), shading.IsTensorPatch()};
        for (int k = 1; k <= 7; ++k)
            EXPECT_EQ(kinds[k - 1], k == type);
        if (shading.IsMesh()) {
            EXPECT_EQ(Printed(shading.AsMesh()), "Shading: Mesh");
            EXPECT_EQ(RectText(shading.AsMesh().BoundingBox()), "0 0 0 0");
        }
        // The last handle of each kind deletes it through the base.
        CPDF_Shading copy = shading;
        copy = CPDF_Shading();
        EXPECT_TRUE(copy.IsNull());
    }
}
