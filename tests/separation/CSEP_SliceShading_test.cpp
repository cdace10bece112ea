#include "separation/CSEP_ColorSeparator.h"

#include "CPDF/shading/CPDF_MeshReader.h"
#include "CPDF/shading/CPDF_MeshShading.h"
#include "CPDF/shading/CPDF_Shading.h"
#include "CSEP_TestUtil.h"

namespace {

using CSEP_SliceShadingTest = CSEP_TempDirTest;

std::vector<GLOB_Object> Shadings(const CSEP_SepJobContext& job, const GLOB_Object& shading) {
    return Separated(job, shading, &CSEP_ColorSeparator::ConvertShading);
}

double Output(const GLOB_Object& shading, double t, unsigned j = 0) {
    return Outputs(shading.DictGet(GLOB_Name("Function")), {t})[j];
}

// Every raw piece of a mesh shading (validated): its points and colours.
std::string Pieces(const GLOB_Object& object) {
    const CPDF_Shading shading(object);
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

std::string Bytes(std::initializer_list<int> values) { return std::string(values.begin(), values.end()); }

}  // namespace

TEST_F(CSEP_SliceShadingTest, AxialShadingsSliceToGrayAxialShadingsAndAConstantOne) {
    const GLOB_Object axial = NewDoc().ParseObject(
        "<< /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 100 50] /Extend [true false] /Background [0 0 0 1] "
        "/Function << /FunctionType 2 /Domain [0 1] /C0 [0 0.2 1 0] /C1 [1 0.4 0 0.5] /N 1 >> >>");
    const std::vector<GLOB_Object> out = Shadings(NewJob({"Spot"}), axial);
    const char* const backgrounds[] = {"[ 1 ]", "[ 1 ]", "[ 1 ]", "[ 0 ]", "[ 1 ]"};
    for (unsigned j = 0; j < 5; ++j) {
        SCOPED_TRACE(j);
        const CPDF_Shading slice(out[j]);  // valid, the spot ink's constant one too
        EXPECT_TRUE(slice.IsAxial() && slice.ColorSpace().IsDeviceGray() && out[j].IsIndirect());
        EXPECT_EQ(Keys(out[j], {"Coords", "Extend", "Domain", "Background"}),
                  "[ 0 0 100 50 ][ true false ]null" + std::string(backgrounds[j]));
        for (double t : {0.0, 0.3, 1.0})
            EXPECT_NEAR(Output(out[j], t), j == 4 ? 1 : 1 - Output(axial, t, j), 1e-9);
    }
}

TEST_F(CSEP_SliceShadingTest, EveryInkGetsItsSliceACopyOrTheConstantShading) {
    const GLOB_Doc source = NewDoc();
    const auto radial = [&](const std::string& space, bool two) {
        return source.ParseObject(("<< /ShadingType 3 /ColorSpace " + space + " /Coords [0 0 0 10 10 20] " +
                                   "/Domain [0 2] /Background " + (two ? "[0.5 0.5]" : "[0.5]") +
                                   " /Function << /FunctionType 2 /Domain [0 2] /C0 [" + (two ? "0 0" : "0") +
                                   "] /C1 [" + (two ? "0.5 0.25" : "0.5") + "] /N 1 >> >>").c_str());
    };
    const struct {
        GLOB_Object shading;
        std::string kinds;  // per ink: a slice of component 0 or 1, c a copy, w the constant shading
    } cases[] = {
        {radial("/DeviceGray", false), "wwwcww"},
        {radial("[/Separation /Gold /DeviceGray 0]", false), "wwwww0"},
        {radial("[/Separation /All /DeviceGray 0]", false), "000000"},
        {radial("[/Separation /None /DeviceGray 0]", false), "wwwwww"},
        {radial("[/DeviceN [/Spot /Cyan] /DeviceCMYK 0]", true), "1www0w"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kinds);
        const CSEP_SepJobContext job = NewJob({"Spot", "Gold"});
        const std::vector<GLOB_Object> out = Shadings(job, c.shading);
        for (size_t i = 0; i < out.size(); ++i) {
            SCOPED_TRACE(i);
            const char kind = c.kinds[i];
            EXPECT_TRUE(CPDF_Shading(out[i]).IsRadial() && out[i].GetImpl() == job.Doc().Impl());
            EXPECT_EQ(Keys(out[i], {"Domain", "Background"}), kind == 'w' ? "[ 0 2 ][ 1 ]" : "[ 0 2 ][ 0.5 ]");
            const double source = kind == 'w' ? 0 : Output(c.shading, 1.5, kind == 'c' ? 0 : kind - '0');
            EXPECT_NEAR(Output(out[i], 1.5), kind == 'c' ? source : 1 - source, 1e-9);
            if (kind == 'w') {
                EXPECT_EQ(out[i], out[c.kinds.find('w')]);  // one constant serves every white ink
            }
        }
    }
}

TEST_F(CSEP_SliceShadingTest, MeshesRewriteEachComponentToReadAsOneMinusIt) {
    const GLOB_Doc source = NewDoc();
    const std::string bits = "/BitsPerCoordinate 8 /BitsPerComponent 8 ";
    const std::string white = "0,10 1 | 10,10 1 | 0,20 1 | 10,20 1 | ";
    const struct {
        GLOB_Object mesh;  // a byte per field
        std::vector<std::string> pieces, decodes;  // per ink
    } cases[] = {
        // Vertices of flag, x, y, C, M, Y, K; M through the pair [0.2 0.8].
        {NewStreamObject(source, "<< /ShadingType 4 /ColorSpace /DeviceCMYK /BitsPerFlag 8 " + bits +
                                     "/Decode [0 100 0 100 0 1 0.2 0.8 0 1 0 1] >>",
                         Bytes({0, 0, 0, 255, 0, 51, 102, 0, 255, 0, 0, 255, 128, 0, 0, 0, 255, 0, 0, 255, 255})),
         {"0,0 0 | 100,0 1 | 0,100 1 | ", "0,0 0.8 | 100,0 0.2 | 0,100 0.8 | ",
          "0,0 0.8 | 100,0 0.498039 | 0,100 0 | ", "0,0 0.6 | 100,0 1 | 0,100 0 | ", "0,0 1 | 100,0 1 | 0,100 1 | "},
         {"1 0", "0.8 0.2", "1 0", "1 0", "1 1"}},
        // A lattice of two rows of two: x, y, tint.
        {NewStreamObject(source, "<< /ShadingType 5 /ColorSpace [/Separation /Spot /DeviceGray 0] " + bits +
                                     "/VerticesPerRow 2 /Decode [0 10 10 20 0 1] >>",
                         Bytes({0, 0, 0, 255, 0, 51, 0, 255, 102, 255, 255, 255})),
         {white, white, white, white, "0,10 1 | 10,10 0.8 | 0,20 0.6 | 10,20 0 | "},
         {"1 1", "1 1", "1 1", "1 1", "1 0"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Keys(c.mesh, {"ShadingType"}));
        const std::vector<GLOB_Object> out = Shadings(NewJob({"Spot"}), c.mesh);
        const std::string decode = Text(c.mesh.DictGet(GLOB_Name("Decode")));
        size_t end = 0;
        for (int i = 0; i < 5; ++i)
            end = decode.find(' ', end) + 1;
        const std::string corners = decode.substr(0, end);  // "[ x0 x1 y0 y1 "
        for (size_t i = 0; i < 5; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(Pieces(out[i]), c.pieces[i]);
            EXPECT_EQ(Keys(out[i], {"ColorSpace", "VerticesPerRow", "Decode"}),
                      "/DeviceGray" + Keys(c.mesh, {"VerticesPerRow"}) + corners + c.decodes[i] + " ]");
        }
    }

    // With a Function the t values serve every ink; the constant version is
    // a mesh too.
    const GLOB_Object withFunction = NewStreamObject(
        source, "<< /ShadingType 4 /ColorSpace /DeviceCMYK /BitsPerFlag 8 " + bits + "/Decode [0 10 0 10 2 4] "
                "/Function << /FunctionType 2 /Domain [2 4] /C0 [0 0 0 0] /C1 [1 0.5 0 0] /N 1 >> >>",
        Bytes({0, 0, 0, 0, 0, 255, 0, 128, 0, 0, 255, 255}));
    const std::vector<GLOB_Object> out = Shadings(NewJob({"Spot"}), withFunction);
    for (size_t i = 0; i < out.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(out[i].IsStream() && CPDF_Shading(out[i]).IsGouraud());
        EXPECT_EQ(StreamData(out[i]) + Keys(out[i], {"Decode"}), StreamData(withFunction, 2) + "[ 0 10 0 10 2 4 ]");
        EXPECT_NEAR(Output(out[i], 3), i == 4 ? 1 : 1 - Output(withFunction, 3, i), 1e-9);
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
        {doc.ParseObject("<< /ShadingType /Axial >>"), "Shading dictionary missing type"},
        {doc.ParseObject("[/ShadingType 2]"), "Shading dictionary not a dictionary."},
        {doc.ParseObject("<< /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 1 1] "
                         "/Function << /FunctionType 2 /Domain [0 1] /C0 [0 0] /C1 [1 1] /N 1 >> >>"),
         "Shading function gives 2 components, 4 expected"},
    };
    std::vector<GLOB_Object> out;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.thrown);
        EXPECT_EQ(Failure([&] { slicer.SliceShading(c.shading, out); }), "1128011 " + c.thrown);
        if (c.thrown.find("function") == std::string::npos) {
            EXPECT_EQ(Failure([&] { slicer.CopyShadingKeys(c.shading, doc.NewDict(0)); }), "1128011 " + c.thrown);
            EXPECT_EQ(Failure([&] { slicer.MakeConstantShading(c.shading); }), "1128011 " + c.thrown);
        }
    }
}
