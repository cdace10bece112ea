// The patch meshes: type 6, Coons patches of 12 boundary points, and type 7,
// tensor-product patches that add 4 interior points. A patch whose flag is
// not 0 shares an edge of the previous one.
//
// A tensor patch bounds all its control points. A Coons patch bounds its
// complete patches: the 12 boundary points and the 4 interior points of the
// equivalent tensor-product patch, the one next to corner k (boundary points
// numbered 0 to 11 around the patch, modulo 12) being
//   (−4 P[k] + 6 (P[k+1] + P[k−1]) − 2 (P[k+3] + P[k−3])
//      + 3 (P[k+4] + P[k−4]) − P[k+6]) / 9.
//
// The builders are those of CPDF_GouraudShading.h.
#pragma once

#include "CPDF/shading/CPDF_MeshShading.h"

class CPDF_CoonsPatchShading : public CPDF_MeshShading {
public:
    static const GLOB_Name ShadingName;  // "CoonsPatch"

    // Validated by IsValidShading; an invalid object throws CPDF_Exception
    // 1128011 with all its lines.
    explicit CPDF_CoonsPatchShading(const GLOB_Object& shading);
    CPDF_CoonsPatchShading(const GLOB_Doc& doc, const GLOB_Stream& source, int32_t encoded,
                           const GLOB_Object& attrDict, const GLOB_Object& encodeParams,
                           const CPDF_ColorSpace& colorSpace, const CPDF_MeshEncodingParams& params);
    CPDF_CoonsPatchShading(const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace,
                           const CPDF_MeshEncodingParams& params);
    CPDF_CoonsPatchShading(const CPDF_CoonsPatchShading& other) = default;

    GLIB_Rect BoundingBox() const override;
    GLOB_Name TypeName() const override { return ShadingName; }
    bool IsValid(const GLOB_Object& object, std::string* messages) const override {
        return IsValidShading(object, messages);
    }

    static bool IsValidShading(const GLOB_Object& shading, std::string* messages);
};

class CPDF_TensorPatchShading : public CPDF_MeshShading {
public:
    static const GLOB_Name ShadingName;  // "TensorPatch"

    explicit CPDF_TensorPatchShading(const GLOB_Object& shading);
    CPDF_TensorPatchShading(const GLOB_Doc& doc, const GLOB_Stream& source, int32_t encoded,
                            const GLOB_Object& attrDict, const GLOB_Object& encodeParams,
                            const CPDF_ColorSpace& colorSpace, const CPDF_MeshEncodingParams& params);
    CPDF_TensorPatchShading(const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace,
                            const CPDF_MeshEncodingParams& params);
    CPDF_TensorPatchShading(const CPDF_TensorPatchShading& other) = default;

    GLOB_Name TypeName() const override { return ShadingName; }
    bool IsValid(const GLOB_Object& object, std::string* messages) const override {
        return IsValidShading(object, messages);
    }

    static bool IsValidShading(const GLOB_Object& shading, std::string* messages);
};
