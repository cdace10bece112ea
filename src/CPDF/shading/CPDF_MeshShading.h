// The base of the mesh shadings, types 4 to 7 (ISO 32000 8.7.4.5.5 to
// 8.7.4.5.8): a Stream whose dictionary holds the common entries and the
// encoding entries of CPDF_MeshEncodingParams, and whose data is the packed
// mesh. The kinds (CPDF_GouraudShading.h, CPDF_CoonsPatchShading.h) add no
// data; everything is read from the stream when asked. CPDF_Shading::AsMesh
// hands out this base by value, with the base's virtual operations.
//
// Validation of a kind, in order: the common checks of its type as one
// message (then stops); IsValidMesh's lines as one message (then stops); for
// a lattice, its VerticesPerRow.
//
// The bounding box holds every control point of every raw piece (0 0 0 0
// for a mesh without data); data that ends inside a piece throws
// CPDF_Exception 1128028.
#pragma once

#include "CPDF/shading/CPDF_MeshEncodingParams.h"
#include "CPDF/shading/CPDF_MeshReader.h"
#include "CPDF/shading/CPDF_ShadingCore.h"
#include "GLOB/GLOB_Stream.h"

class CPDF_MeshShading : public CPDF_ShadingCore {
public:
    static const GLOB_Name ShadingName;  // "Mesh"

    // A Null object.
    CPDF_MeshShading() = default;
    // Validated by IsValidMesh alone; the kinds validate with their own.
    explicit CPDF_MeshShading(const GLOB_Object& shading);
    CPDF_MeshShading(const CPDF_MeshShading& other) = default;

    GLIB_Rect BoundingBox() const override;
    GLOB_Name TypeName() const override { return ShadingName; }
    bool IsValid(const GLOB_Object& object, std::string* messages) const override {
        return IsValidMesh(object, messages);
    }
    // Puts "BitsPerFlag"; a lattice has none and writes nothing.
    virtual void SetBitsPerFlag(uint32_t bitsPerFlag);

    // The stream dictionary's encoding entries.
    CPDF_MeshEncodingParams EncodingParams() const;
    // The stream's data; 2 decodes it through its filters.
    GLOB_Stream OpenStream(int32_t openFlags) const;
    // Puts the widths and "Decode" (SetBitsPerFlag for the flag). Asserts one
    // Decode pair per colour component, one in all with a "Function", plus
    // x and y.
    void WriteEncodingParams(const CPDF_MeshEncodingParams& params);

    // Validator (iCPDF_ValidationMessage convention): not a Stream: "Expected
    // Mesh shading to be a Stream, found <type>" (then stops); "Mesh shading
    // has invalid encoding parameters: " and the encoding lines; else, when
    // "ColorSpace" gives a space, "Mesh shading Decode array should have <n>
    // pairs, found <m>" unless it holds x, y and one pair per component (one
    // with a "Function"): a shorter one would hand out colours shorter than
    // their space.
    static bool IsValidMesh(const GLOB_Object& object, std::string* messages);

protected:
    // Builders of the kinds, which then write "ShadingType" and call
    // WriteEncodingParams. A new stream in doc of the data read from source
    // (encoded as GLOB_Doc::NewStream takes it) with "ColorSpace" added; or
    // "ColorSpace" put into an existing stream. Assert IsValidColorSpace.
    CPDF_MeshShading(int shadingType, const GLOB_Doc& doc, const GLOB_Stream& source, int32_t encoded,
                     const GLOB_Object& attrDict, const GLOB_Object& encodeParams, const CPDF_ColorSpace& colorSpace);
    CPDF_MeshShading(int shadingType, const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace);
    // The same, then WriteEncodingParams, for the kinds with a flag (the
    // base's SetBitsPerFlag is theirs).
    CPDF_MeshShading(int shadingType, const GLOB_Doc& doc, const GLOB_Stream& source, int32_t encoded,
                     const GLOB_Object& attrDict, const GLOB_Object& encodeParams, const CPDF_ColorSpace& colorSpace,
                     const CPDF_MeshEncodingParams& params);
    CPDF_MeshShading(int shadingType, const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace,
                     const CPDF_MeshEncodingParams& params);

    // A reader over the decoded data with this shading's type and parameters.
    CPDF_MeshReader OpenReader() const;
    // Grows a rectangle from its first point on.
    class PointBox {
    public:
        void Include(const GLIB_Point& p);
        const GLIB_Rect& Rect() const { return m_rect; }

    private:
        GLIB_Rect m_rect;
        bool m_empty = true;
    };
    // The kinds' validators: the common checks of shadingType and
    // IsValidMesh, each as one message; false when either fails.
    static bool CheckMesh(const GLOB_Object& object, int shadingType, iCPDF_ValidationMessage& collector);
    // CheckMesh alone, for the kinds that check nothing more.
    static bool IsValidKind(const GLOB_Object& object, int shadingType, std::string* messages);

private:
    void Build(int shadingType, const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace);
};
