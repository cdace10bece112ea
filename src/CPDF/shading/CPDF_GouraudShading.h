// The triangle meshes: type 4, free-form (each vertex opens with an edge
// flag), and type 5, lattice-form (rows of "VerticesPerRow" vertices, at
// least 2, and no flags). Both bound all their control points.
//
// The builders make a new stream in doc from source, whose bytes the
// back-end encodes through attrDict's /Filter (encoded 0) or stores as given
// (1), attrDict and encodeParams as GLOB_Doc::NewStream takes them; or they
// take an existing stream; then "ColorSpace", "ShadingType" and the
// encoding entries of params. They assert a colour space that is not a
// Pattern space and a Decode that fits it, and for a lattice a row of at
// least 2; the result is not validated.
#pragma once

#include "CPDF/shading/CPDF_MeshShading.h"

class CPDF_GouraudShading : public CPDF_MeshShading {
public:
    static const GLOB_Name ShadingName;  // "Gouraud"

    // Validated by IsValidShading; an invalid object throws CPDF_Exception
    // 1128011 with all its lines.
    explicit CPDF_GouraudShading(const GLOB_Object& shading);
    CPDF_GouraudShading(const GLOB_Doc& doc, const GLOB_Stream& source, int32_t encoded, const GLOB_Object& attrDict,
                        const GLOB_Object& encodeParams, const CPDF_ColorSpace& colorSpace,
                        const CPDF_MeshEncodingParams& params);
    CPDF_GouraudShading(const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace,
                        const CPDF_MeshEncodingParams& params);
    CPDF_GouraudShading(const CPDF_GouraudShading& other) = default;

    GLOB_Name TypeName() const override { return ShadingName; }
    bool IsValid(const GLOB_Object& object, std::string* messages) const override {
        return IsValidShading(object, messages);
    }

    static bool IsValidShading(const GLOB_Object& shading, std::string* messages);
};

class CPDF_GouraudLatticeShading : public CPDF_MeshShading {
public:
    static const GLOB_Name ShadingName;  // "GouraudLattice"

    // Validated by IsValidShading, which adds "GouraudLattice shading
    // missing VerticesPerRow", "GouraudLattice shading VerticesPerRow
    // should be an Integer, found: <type>", and, reading the decoded data no
    // further than two rows, "GouraudLattice shading has VerticesPerRow <n>
    // but its data hold <m> vertices, fewer than two rows".
    explicit CPDF_GouraudLatticeShading(const GLOB_Object& shading);
    CPDF_GouraudLatticeShading(const GLOB_Doc& doc, const GLOB_Stream& source, int32_t encoded,
                               const GLOB_Object& attrDict, const GLOB_Object& encodeParams,
                               const CPDF_ColorSpace& colorSpace, const CPDF_MeshEncodingParams& params,
                               uint32_t vertsPerRow);
    CPDF_GouraudLatticeShading(const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace,
                               const CPDF_MeshEncodingParams& params, uint32_t vertsPerRow);
    CPDF_GouraudLatticeShading(const CPDF_GouraudLatticeShading& other) = default;

    GLOB_Name TypeName() const override { return ShadingName; }
    bool IsValid(const GLOB_Object& object, std::string* messages) const override {
        return IsValidShading(object, messages);
    }
    // A lattice has no flags: nothing is written.
    void SetBitsPerFlag(uint32_t) override {}

    uint32_t VerticesPerRow() const;
    // Asserts IsValidVerticesPerRow.
    void SetVerticesPerRow(uint32_t vertsPerRow);

    static bool IsValidShading(const GLOB_Object& shading, std::string* messages);
    // "GouraudLattice shading must have at least 2 vertices per row, found
    // <n>".
    static bool IsValidVerticesPerRow(int64_t vertsPerRow, std::string* messages = nullptr);

private:
    void Build(uint32_t vertsPerRow, const CPDF_MeshEncodingParams& params);
    static void CheckRows(const GLOB_Object& shading, uint64_t vertsPerRow, iCPDF_ValidationMessage& collector);
};
