#include "separation/CSEP_SliceConverter.h"

#include "CPDF/shading/CPDF_MeshShading.h"
#include "CPDF/shading/CPDF_MeshWriter.h"
#include "CPDF/shading/CPDF_Shading.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_New.h"
#include "separation/CSEP_Utils.h"

#include <memory>

namespace {

[[noreturn]] void Fail(const std::string& message) {
    throw GLIB_Exception(CSEP_ShadingCode, message, __FILE__, __LINE__);
}

int ShadingTypeOf(const GLOB_Object& shading) {
    if (!shading.IsDict() && !shading.IsStream())
        Fail("Shading dictionary not a dictionary.");
    const GLOB_Object type = shading.DictGet(GLOB_Name("ShadingType"));
    if (!type.IsInteger())
        Fail("Shading dictionary missing type");
    if (type.AsInteger() < CPDF_Shading::FunctionBased || type.AsInteger() > CPDF_Shading::TensorPatch)
        Fail("Unknown shading type.");
    return type.AsInteger();
}

GLOB_Object Reals(const GLOB_Doc& doc, std::vector<double> values) { return CPDF_Color(values).MakeObject(&doc); }

// The x and y pairs of a mesh's Decode, then one colour pair.
CPDF_DecodeArray MeshDecode(const CPDF_DecodeArray& source, double c0, double c1) {
    CPDF_DecodeArray decode(3u);
    for (unsigned i = 0; i < 2; ++i) {
        double min, max;
        source.Get(i, min, max);
        decode.Set(i, min, max);
    }
    decode.Set(2, c0, c1);
    return decode;
}

CPDF_MeshEncodingParams WithDecode(const CPDF_MeshEncodingParams& params, const CPDF_DecodeArray& decode) {
    return CPDF_MeshEncodingParams(params.BitsPerFlag(), params.BitsPerCoordinate(), params.BitsPerComponent(), decode,
                                   params.VerticesPerRow());
}

// Every piece of the mesh, one at a time, to write (piece read, reused piece
// of one component to fill).
template <class Write>
void RewriteMesh(const CPDF_Shading& shading, Write write) {
    const CPDF_MeshShading mesh = shading.AsMesh();
    const CPDF_MeshEncodingParams params = mesh.EncodingParams();
    GLOB_Stream data = mesh.OpenStream(2);
    CPDF_MeshReader reader(data, static_cast<uint32_t>(shading.ShadingType()), params);
    CPDF_MeshPiece piece(0, 0, 0, static_cast<uint32_t>(params.NumColorComponents()));
    CPDF_MeshPiece gray(0, 0, 0, 1);
    while (reader.HasMoreData()) {
        reader.ReadPiece(piece);
        gray.Reset(piece.Flag(), piece.NumControlPoints(), piece.NumColors(), 1);
        for (uint32_t p = 0; p < piece.NumControlPoints(); ++p)
            gray.SetControlPoint(p, piece.ControlPoint(p));
        write(piece, gray);
    }
    data.Close();
}

}  // namespace

void CSEP_SliceConverter::CopyShadingKeys(const GLOB_Object& source, const GLOB_Object& target) {
    const int type = ShadingTypeOf(source);
    CSEP_Utils::CopyKey("ShadingType", source, target);
    target.DictPut(GLOB_Name("ColorSpace"), target.Doc().NewName(GLOB_Name("DeviceGray")));
    std::vector<const char*> keys = {"BBox", "AntiAlias"};
    if (type == CPDF_Shading::FunctionBased)
        keys.insert(keys.end(), {"Domain", "Matrix"});
    else if (type <= CPDF_Shading::Radial)
        keys.insert(keys.end(), {"Coords", "Domain", "Extend"});
    else if (type == CPDF_Shading::GouraudLattice)
        keys.insert(keys.end(), {"BitsPerCoordinate", "BitsPerComponent", "VerticesPerRow", "Decode"});
    else
        keys.insert(keys.end(), {"BitsPerCoordinate", "BitsPerComponent", "BitsPerFlag", "Decode"});
    for (const char* key : keys)
        CSEP_Utils::CopyKey(key, source, target);
}

GLOB_Object CSEP_SliceConverter::CopyMeshData(const GLOB_Object& mesh) {
    CSEP_TempFile file = CopyToFile(mesh.OpenStream(2));
    return file.MakeEmbeddedStream(Doc(), GLOB_Object(), GLOB_Object());
}

void CSEP_SliceConverter::SliceShading(const GLOB_Object& object, std::vector<GLOB_Object>& out) {
    out.clear();
    ShadingTypeOf(object);
    const CPDF_Shading shading(object);
    const unsigned n = shading.ColorSpace().NumComponents();
    const GLOB_Doc doc = Doc();
    GLOB_Object function;
    if (shading.Function(&function)) {
        std::vector<GLOB_Object> functions;
        SliceFunction(function, functions);
        if (functions.size() < n)
            Fail("Shading function gives " + std::to_string(functions.size()) + " components, " +
                 std::to_string(n) + " expected");
        for (unsigned j = 0; j < n; ++j) {
            const GLOB_Object slice = shading.IsMesh() ? CopyMeshData(object) : doc.NewDict(4, true);
            CopyShadingKeys(object, slice);
            slice.DictPut(GLOB_Name("Function"), functions[j]);
            out.push_back(slice);
        }
    } else {
        const CPDF_MeshEncodingParams params = shading.AsMesh().EncodingParams();
        const CPDF_DecodeArray decode = params.DecodeArray();
        std::vector<CSEP_TempFile> files(n);
        std::vector<std::unique_ptr<CPDF_MeshWriter>> writers;
        for (unsigned j = 0; j < n; ++j) {
            double c0, c1;
            decode.Get(j + 2, c0, c1);
            files[j].Create();
            const CPDF_MeshEncodingParams sliced = WithDecode(params, MeshDecode(decode, c0, c1));
            writers.emplace_back(GLIB_NEW CPDF_MeshWriter(files[j].OpenStream(), sliced));
        }
        RewriteMesh(shading, [&](const CPDF_MeshPiece& piece, CPDF_MeshPiece& gray) {
            for (unsigned j = 0; j < n; ++j) {
                for (uint32_t c = 0; c < piece.NumColors(); ++c)
                    gray.SetColorComponent(c, 0, piece.Color(c).Component(j));
                writers[j]->WritePiece(gray);
            }
        });
        for (unsigned j = 0; j < n; ++j) {
            writers[j]->Flush();
            const GLOB_Object slice = files[j].MakeEmbeddedStream(doc, GLOB_Object(), GLOB_Object());
            CopyShadingKeys(object, slice);
            // Stored values read as 1 - c whatever the source's pair.
            double c0, c1;
            decode.Get(j + 2, c0, c1);
            slice.DictPut(GLOB_Name("Decode"), MeshDecode(decode, 1 - c0, 1 - c1).MakeObject(&doc));
            out.push_back(slice);
        }
    }
    CPDF_Color background;
    if (shading.Background(&background))
        for (unsigned j = 0; j < n && j < background.NumComponents(); ++j)
            out[j].DictPut(GLOB_Name("Background"), Reals(doc, {1 - background.Component(j)}));
}

GLOB_Object CSEP_SliceConverter::MakeConstantShading(const GLOB_Object& object) {
    const int type = ShadingTypeOf(object);
    const CPDF_Shading shading(object);
    const GLOB_Doc doc = Doc();
    GLOB_Object constant;
    if (shading.Function(nullptr)) {
        GLOB_Object domain;
        if (shading.IsMesh()) {
            constant = CopyMeshData(object);
            double t0, t1;
            shading.AsMesh().EncodingParams().DecodeArray().Get(2, t0, t1);
            domain = Reals(doc, {t0, t1});
        } else {
            constant = doc.NewDict(4, true);
            domain = object.DictGet(GLOB_Name("Domain"));
            if (domain.IsNull())
                domain = doc.ParseObject(type == CPDF_Shading::FunctionBased ? "[0 1 0 1]" : "[0 1]");
        }
        CopyShadingKeys(object, constant);
        constant.DictPut(GLOB_Name("Function"), MakeConstantFunction(domain, 1.0));
    } else {
        const CPDF_MeshEncodingParams params = shading.AsMesh().EncodingParams();
        const CPDF_DecodeArray decode = MeshDecode(params.DecodeArray(), 1, 1);
        CSEP_TempFile file;
        file.Create();
        CPDF_MeshWriter writer(file.OpenStream(), WithDecode(params, decode));
        RewriteMesh(shading, [&](const CPDF_MeshPiece& piece, CPDF_MeshPiece& white) {
            for (uint32_t c = 0; c < piece.NumColors(); ++c)
                white.SetColorComponent(c, 0, 1.0);
            writer.WritePiece(white);
        });
        writer.Flush();
        constant = file.MakeEmbeddedStream(doc, GLOB_Object(), GLOB_Object());
        CopyShadingKeys(object, constant);
        constant.DictPut(GLOB_Name("Decode"), decode.MakeObject(&doc));
    }
    if (shading.Background())
        constant.DictPut(GLOB_Name("Background"), doc.ParseObject("[ 1 ]"));
    return constant;
}
