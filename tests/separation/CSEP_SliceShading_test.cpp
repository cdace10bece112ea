#include "separation/CSEP_ColorSeparator.h"

#include "CPDF/function/CPDF_Function.h"
#include "CPDF/shading/CPDF_MeshReader.h"
#include "CPDF/shading/CPDF_MeshShading.h"
#include "CPDF/shading/CPDF_Shading.h"
#include "CSEP_TestUtil.h"

#include <sstream>

namespace {

using CSEP_SliceShadingTest = CSEP_TempDirTest;

std::string Text(const GLOB_Object& object) {
    std::ostringstream os;
    object.Print(os);
    return os.str();
}

std::vector<GLOB_Object> Convert(const CSEP_SepJobContext& job, const GLOB_Object& shading) {
    CSEP_ColorSeparator separator;
    separator.SetJobContext(job);
    separator.SetColorSpace(CPDF_ColorSpace(shading.DictGet(GLOB_Name("ColorSpace"))));
    std::vector<GLOB_Object> out;
    separator.ConvertShading(shading, out);
    EXPECT_EQ(out.size(), job.NumColorants());
    return out;
}

double Evaluate(const GLOB_Object& function, double t, unsigned output = 0) {
    const CPDF_Function f(function);
    std::vector<double> in{t}, out(f.RangeDimension());
    f.Evaluate(in.data(), out.data(), 1);
    return out[output];
}

// Every raw piece of a mesh shading: its points and colours as text.
std::string Pieces(const GLOB_Object& object) {
    const CPDF_Shading shading(object);  // validated
    const CPDF_MeshShading mesh = shading.AsMesh();
    CPDF_MeshReader reader(mesh.OpenStream(2), static_cast<uint32_t>(shading.ShadingType()), mesh.EncodingParams());
    CPDF_MeshPiece piece(0, 0, 0, 0);
    std::ostringstream os;
    while (reader.HasMoreData()) {
        reader.ReadPiece(piece);
        for (uint32_t p = 0; p < piece.NumControlPoints(); ++p)
            os << piece.ControlPoint(p).X() << "," << piece.ControlPoint(p).Y() << " ";
        for (uint32_t c = 0; c < piece.NumColors(); ++c)
            for (uint32_t k = 0; k < piece.NumColorComponents(); ++k)
                os << piece.Color(c).Component(k) << " ";
        os << "| ";
    }
    return os.str();
}

// Bytes from numbers 0 to 255.
std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int v : values)
        bytes += static_cast<char>(v);
    return bytes;
}

}  // namespace

TEST_F(CSEP_SliceShadingTest, AxialShadingsSliceToGrayAxialShadingsAndAConstantOne) {
    const GLOB_Doc source = NewDoc();
    const GLOB_Object axial = source.ParseObject(
        "<< /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 100 50] /Extend [true false] "
        "/Background [0 0 0 1] /Function << /FunctionType 2 /Domain [0 1] /C0 [0 0.2 1 0] /C1 [1 0.4 0 0.5] /N 1 >> "
        ">>");
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const std::vector<GLOB_Object> out = Convert(job, axial);
    const char* const backgrounds[] = {"[ 1 ]", "[ 1 ]", "[ 1 ]", "[ 0 ]"};
    for (unsigned j = 0; j < 4; ++j) {
        SCOPED_TRACE(j);
        const CPDF_Shading slice(out[j]);
        EXPECT_TRUE(slice.IsAxial() && slice.ColorSpace().IsDeviceGray() && out[j].IsIndirect());
        EXPECT_EQ(Text(out[j].DictGet(GLOB_Name("Coords"))) + Text(out[j].DictGet(GLOB_Name("Extend"))),
                  "[ 0 0 100 50 ][ true false ]");
        EXPECT_FALSE(out[j].Known(GLOB_Name("Domain")));
        EXPECT_EQ(Text(out[j].DictGet(GLOB_Name("Background"))), backgrounds[j]);
        for (double t : {0.0, 0.3, 1.0})
            EXPECT_NEAR(Evaluate(out[j].DictGet(GLOB_Name("Function")), t),
                        1 - Evaluate(axial.DictGet(GLOB_Name("Function")), t, j), 1e-9);
    }
    // The spot ink: white wherever the source paints.
    const CPDF_Shading constant(out[4]);
    EXPECT_TRUE(constant.IsAxial() && constant.ColorSpace().IsDeviceGray());
    EXPECT_EQ(Text(out[4].DictGet(GLOB_Name("Coords"))) + Text(out[4].DictGet(GLOB_Name("Background"))),
              "[ 0 0 100 50 ][ 1 ]");
    for (double t : {0.0, 0.5, 1.0})
        EXPECT_NEAR(Evaluate(out[4].DictGet(GLOB_Name("Function")), t), 1, 1e-9);
}

TEST_F(CSEP_SliceShadingTest, EveryInkGetsItsSliceACopyOrTheConstantShading) {
    const GLOB_Doc source = NewDoc();
    const auto radial = [&](const std::string& space, const std::string& c1) {
        const bool two = c1.find(' ') != std::string::npos;
        const std::string background = two ? "[0.5 0.5]" : "[0.5]", c0 = two ? "0 0" : "0";
        return source.ParseObject(("<< /ShadingType 3 /ColorSpace " + space + " /Coords [0 0 0 10 10 20] " +
                                   "/Domain [0 2] /Background " + background + " /Function << /FunctionType 2 " +
                                   "/Domain [0 2] /C0 [" + c0 + "] /C1 [" + c1 + "] /N 1 >> >>").c_str());
    };
    const struct {
        GLOB_Object shading;
        std::string kinds;  // per ink: s slice, c copy of the source, w constant (white)
    } cases[] = {
        {radial("/DeviceGray", "0.5"), "wwwcww"},
        {radial("[/Separation /Gold /DeviceGray 0]", "0.5"), "wwwwws"},
        {radial("[/Separation /All /DeviceGray 0]", "0.5"), "ssssss"},
        {radial("[/Separation /None /DeviceGray 0]", "0.5"), "wwwwww"},
        {radial("[/DeviceN [/Spot /Cyan] /DeviceCMYK 0]", "0.5 0.25"), "swwwsw"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kinds);
        const CSEP_SepJobContext job = NewJob({"Spot", "Gold"});
        const std::vector<GLOB_Object> out = Convert(job, c.shading);
        const GLOB_Object function = c.shading.DictGet(GLOB_Name("Function"));
        for (size_t i = 0; i < out.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(CPDF_Shading(out[i]).IsRadial());
            EXPECT_EQ(out[i].GetImpl(), job.Doc().Impl());
            EXPECT_EQ(Text(out[i].DictGet(GLOB_Name("Domain"))), "[ 0 2 ]");
            const GLOB_Object f = out[i].DictGet(GLOB_Name("Function"));
            const unsigned component = c.kinds == "swwwsw" && i == 0 ? 1 : 0;
            const double expected = c.kinds[i] == 'w'   ? 1
                                    : c.kinds[i] == 'c' ? Evaluate(function, 1.5)
                                                        : 1 - Evaluate(function, 1.5, component);
            EXPECT_NEAR(Evaluate(f, 1.5), expected, 1e-9);
            EXPECT_EQ(Text(out[i].DictGet(GLOB_Name("Background"))), c.kinds[i] == 'w' ? "[ 1 ]" : "[ 0.5 ]");
            if (c.kinds[i] == 'w') {
                EXPECT_EQ(out[i], out[c.kinds.find('w')]);  // one constant serves every white ink
            }
        }
    }
}

TEST_F(CSEP_SliceShadingTest, MeshesRewriteEachComponentToReadAsOneMinusIt) {
    const GLOB_Doc source = NewDoc();
    // Three vertices: flag, x, y, then C M Y K, a byte each.
    const GLOB_Object mesh = NewStreamObject(
        source,
        "<< /ShadingType 4 /ColorSpace /DeviceCMYK /BitsPerCoordinate 8 /BitsPerComponent 8 /BitsPerFlag 8 "
        "/Decode [0 100 0 100 0 1 0.2 0.8 0 1 0 1] /BBox [0 0 100 100] >>",
        Bytes({0, 0, 0, 255, 0, 51, 102, 0, 255, 0, 0, 255, 128, 0, 0, 0, 255, 0, 0, 255, 255}));
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const std::vector<GLOB_Object> out = Convert(job, mesh);
    const char* const decode[] = {"[ 0 100 0 100 1 0 ]", "[ 0 100 0 100 0.8 0.2 ]", "[ 0 100 0 100 1 0 ]",
                                  "[ 0 100 0 100 1 0 ]", "[ 0 100 0 100 1 1 ]"};
    const std::string points[] = {"0,0 ", "100,0 ", "0,100 "};
    const double colours[3][4] = {{1, 0.2, 0.2, 0.4}, {0, 0.8, 128 / 255.0, 0}, {0, 0.2, 1, 1}};
    for (unsigned j = 0; j < 5; ++j) {
        SCOPED_TRACE(j);
        EXPECT_EQ(Text(out[j].DictGet(GLOB_Name("Decode"))), decode[j]);
        EXPECT_EQ(Text(out[j].DictGet(GLOB_Name("BBox"))) + out[j].NameValue("ColorSpace").CStr(),
                  "[ 0 0 100 100 ]DeviceGray");
        std::ostringstream expected;
        for (int v = 0; v < 3; ++v)
            expected << points[v] << (j == 4 ? 1 : 1 - colours[v][j]) << " | ";
        EXPECT_EQ(Pieces(out[j]), expected.str());
    }
}

TEST_F(CSEP_SliceShadingTest, LatticesKeepTheirRowsAndMeshesWithAFunctionTheirData) {
    const GLOB_Doc source = NewDoc();
    const GLOB_Object lattice = NewStreamObject(
        source,
        "<< /ShadingType 5 /ColorSpace [/Separation /Spot /DeviceGray 0] /BitsPerCoordinate 8 "
        "/BitsPerComponent 8 /VerticesPerRow 2 /Decode [0 10 0 10 0 1] >>",
        Bytes({0, 0, 0, 255, 0, 51, 0, 255, 102, 255, 255, 255}));
    const GLOB_Object withFunction = NewStreamObject(
        source,
        "<< /ShadingType 4 /ColorSpace /DeviceCMYK /BitsPerCoordinate 8 /BitsPerComponent 8 /BitsPerFlag 8 "
        "/Decode [0 10 0 10 2 4] /Function << /FunctionType 2 /Domain [2 4] /C0 [0 0 0 0] /C1 [1 0.5 0 0] /N 1 >> >>",
        Bytes({0, 0, 0, 0, 0, 255, 0, 128, 0, 0, 255, 255}));
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const std::vector<GLOB_Object> rows = Convert(job, lattice);
    for (const GLOB_Object& slice : rows)
        EXPECT_EQ(slice.IntegerValue("VerticesPerRow"), 2);
    EXPECT_EQ(Pieces(rows[4]), "0,0 1 | 10,0 0.8 | 0,10 0.6 | 10,10 0 | ");
    EXPECT_EQ(Pieces(rows[0]), "0,0 1 | 10,0 1 | 0,10 1 | 10,10 1 | ");

    const std::vector<GLOB_Object> out = Convert(job, withFunction);
    const std::string data = StreamData(withFunction, 2);
    for (size_t i = 0; i < out.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(out[i].IsStream() && CPDF_Shading(out[i]).IsGouraud());
        EXPECT_EQ(StreamData(out[i]), data);
        EXPECT_EQ(Text(out[i].DictGet(GLOB_Name("Decode"))), "[ 0 10 0 10 2 4 ]");
        const double expected = i == 4 ? 1 : 1 - Evaluate(withFunction.DictGet(GLOB_Name("Function")), 3, i);
        EXPECT_NEAR(Evaluate(out[i].DictGet(GLOB_Name("Function")), 3), expected, 1e-9);
    }
}

TEST_F(CSEP_SliceShadingTest, ShadingObjectsThatAreNoShadingsAreRefused) {
    const CSEP_SepJobContext job = NewJob({});
    const GLOB_Doc doc = job.Doc();
    Slicer slicer(job);
    const struct {
        GLOB_Object shading;
        std::string thrown;
    } cases[] = {
        {doc.ParseObject("<< /ShadingType 8 /ColorSpace /DeviceGray >>"), "Unknown shading type."},
        {doc.ParseObject("<< /ShadingType 0 >>"), "Unknown shading type."},
        {doc.ParseObject("<< /ShadingType /Axial >>"), "Shading dictionary missing type"},
        {doc.ParseObject("[/ShadingType 2]"), "Shading dictionary not a dictionary."},
    };
    std::vector<GLOB_Object> out;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.thrown);
        const GLOB_Object target = doc.NewDict(0);
        EXPECT_EQ(Failure([&] { slicer.CopyShadingKeys(c.shading, target); }), "1128011 " + c.thrown);
        EXPECT_EQ(Failure([&] { slicer.SliceShading(c.shading, out); }), "1128011 " + c.thrown);
        EXPECT_EQ(Failure([&] { slicer.MakeConstantShading(c.shading); }), "1128011 " + c.thrown);
    }
    // A function of fewer outputs than the space has components.
    const GLOB_Object shading = doc.ParseObject(
        "<< /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 1 1] "
        "/Function << /FunctionType 2 /Domain [0 1] /C0 [0 0] /C1 [1 1] /N 1 >> >>");
    EXPECT_EQ(Failure([&] { slicer.SliceShading(shading, out); }),
              "1128011 Shading function gives 2 components, 4 expected");
}
