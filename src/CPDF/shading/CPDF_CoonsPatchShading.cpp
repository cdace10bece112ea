#include "CPDF/shading/CPDF_CoonsPatchShading.h"

#include "GLIB/GLIB_Assert.h"

namespace {

// The tensor-product control point inside corner k of a Coons boundary.
GLIB_Point InteriorPoint(const CPDF_MeshPiece& patch, uint32_t k) {
    static const struct {
        uint32_t offset;
        double weight;
    } terms[] = {{0, -4.0}, {1, 6.0}, {11, 6.0}, {3, -2.0}, {9, -2.0}, {4, 3.0}, {8, 3.0}, {6, -1.0}};
    double x = 0;
    double y = 0;
    for (const auto& term : terms) {
        const GLIB_Point p = patch.ControlPoint((k + term.offset) % 12);
        x += term.weight * p.X();
        y += term.weight * p.Y();
    }
    return GLIB_Point(x / 9.0, y / 9.0);
}

}  // namespace

const GLOB_Name CPDF_CoonsPatchShading::ShadingName("CoonsPatch");
const GLOB_Name CPDF_TensorPatchShading::ShadingName("TensorPatch");

CPDF_CoonsPatchShading::CPDF_CoonsPatchShading(const GLOB_Object& shading) { AttachObject(shading); }

CPDF_CoonsPatchShading::CPDF_CoonsPatchShading(const GLOB_Doc& doc, const GLOB_Stream& source, int32_t encoded,
                                               const GLOB_Object& attrDict, const GLOB_Object& encodeParams,
                                               const CPDF_ColorSpace& colorSpace,
                                               const CPDF_MeshEncodingParams& params)
    : CPDF_MeshShading(6, doc, source, encoded, attrDict, encodeParams, colorSpace, params) {}

CPDF_CoonsPatchShading::CPDF_CoonsPatchShading(const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace,
                                               const CPDF_MeshEncodingParams& params)
    : CPDF_MeshShading(6, stream, colorSpace, params) {}

GLIB_Rect CPDF_CoonsPatchShading::BoundingBox() const {
    CPDF_MeshReader reader(OpenReader());
    CPDF_MeshPiece patch(0, 12, 4, 1);
    PointBox box;
    while (reader.HasMoreData()) {
        reader.ReadCompletePiece(patch);
        GLIB_ASSERT_CMP(patch.NumControlPoints(), ==, 12u);
        for (uint32_t i = 0; i < 12; ++i)
            box.Include(patch.ControlPoint(i));
        for (uint32_t k = 0; k < 12; k += 3)
            box.Include(InteriorPoint(patch, k));
    }
    return box.Rect();
}

bool CPDF_CoonsPatchShading::IsValidShading(const GLOB_Object& shading, std::string* messages) {
    return IsValidKind(shading, 6, messages);
}

CPDF_TensorPatchShading::CPDF_TensorPatchShading(const GLOB_Object& shading) { AttachObject(shading); }

CPDF_TensorPatchShading::CPDF_TensorPatchShading(const GLOB_Doc& doc, const GLOB_Stream& source, int32_t encoded,
                                                 const GLOB_Object& attrDict, const GLOB_Object& encodeParams,
                                                 const CPDF_ColorSpace& colorSpace,
                                                 const CPDF_MeshEncodingParams& params)
    : CPDF_MeshShading(7, doc, source, encoded, attrDict, encodeParams, colorSpace, params) {}

CPDF_TensorPatchShading::CPDF_TensorPatchShading(const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace,
                                                 const CPDF_MeshEncodingParams& params)
    : CPDF_MeshShading(7, stream, colorSpace, params) {}

bool CPDF_TensorPatchShading::IsValidShading(const GLOB_Object& shading, std::string* messages) {
    return IsValidKind(shading, 7, messages);
}
