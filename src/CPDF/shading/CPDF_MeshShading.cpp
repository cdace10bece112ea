#include "CPDF/shading/CPDF_MeshShading.h"

#include "CPDF/color/iCPDF_TryColorSpace.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"

const GLOB_Name CPDF_MeshShading::ShadingName("Mesh");

CPDF_MeshShading::CPDF_MeshShading(const GLOB_Object& shading) { AttachObject(shading); }

CPDF_MeshShading::CPDF_MeshShading(int shadingType, const GLOB_Doc& doc, const GLOB_Stream& source, int32_t encoded,
                                   const GLOB_Object& attrDict, const GLOB_Object& encodeParams,
                                   const CPDF_ColorSpace& colorSpace) {
    GLIB_ASSERT(IsValidColorSpace( colorSpace ));
    Build(shadingType, doc.NewStream(source, encoded, attrDict, encodeParams, -1), colorSpace);
}

CPDF_MeshShading::CPDF_MeshShading(int shadingType, const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace) {
    GLIB_ASSERT(IsValidColorSpace( colorSpace ));
    Build(shadingType, stream, colorSpace);
}

CPDF_MeshShading::CPDF_MeshShading(int shadingType, const GLOB_Doc& doc, const GLOB_Stream& source, int32_t encoded,
                                   const GLOB_Object& attrDict, const GLOB_Object& encodeParams,
                                   const CPDF_ColorSpace& colorSpace, const CPDF_MeshEncodingParams& params)
    : CPDF_MeshShading(shadingType, doc, source, encoded, attrDict, encodeParams, colorSpace) {
    WriteEncodingParams(params);
}

CPDF_MeshShading::CPDF_MeshShading(int shadingType, const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace,
                                   const CPDF_MeshEncodingParams& params)
    : CPDF_MeshShading(shadingType, stream, colorSpace) {
    WriteEncodingParams(params);
}

void CPDF_MeshShading::Build(int shadingType, const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace) {
    SetObject(stream);
    const GLOB_Doc doc = stream.Doc();
    Put("ColorSpace", colorSpace.MakeObject(&doc));
    Put("ShadingType", doc.NewInteger(shadingType));
}

GLIB_Rect CPDF_MeshShading::BoundingBox() const {
    CPDF_MeshReader reader(OpenReader());
    CPDF_MeshPiece piece(0, 1, 1, 1);
    PointBox box;
    while (reader.HasMoreData()) {
        reader.ReadPiece(piece);
        for (uint32_t i = 0; i < piece.NumControlPoints(); ++i)
            box.Include(piece.ControlPoint(i));
    }
    return box.Rect();
}

void CPDF_MeshShading::SetBitsPerFlag(uint32_t bitsPerFlag) {
    Put("BitsPerFlag", Object().Doc().NewInteger(static_cast<int32_t>(bitsPerFlag)));
}

CPDF_MeshEncodingParams CPDF_MeshShading::EncodingParams() const { return CPDF_MeshEncodingParams(Object()); }

GLOB_Stream CPDF_MeshShading::OpenStream(int32_t openFlags) const { return Object().OpenStream(openFlags); }

void CPDF_MeshShading::WriteEncodingParams(const CPDF_MeshEncodingParams& params) {
    // A Function maps one parametric value per vertex to the whole colour.
    const unsigned numColorValues = Function(nullptr) ? 1 : ColorSpace().NumComponents();
    GLIB_ASSERT_CMP(params.DecodeArray().Dimension(), ==, numColorValues + 2);
    SetBitsPerFlag(params.BitsPerFlag());
    const GLOB_Doc doc = Object().Doc();
    Put("BitsPerCoordinate", doc.NewInteger(static_cast<int32_t>(params.BitsPerCoordinate())));
    Put("BitsPerComponent", doc.NewInteger(static_cast<int32_t>(params.BitsPerComponent())));
    Put("Decode", params.DecodeArray().MakeObject(&doc));
}

bool CPDF_MeshShading::IsValidMesh(const GLOB_Object& object, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!object.IsStream()) {
        collector.Stream() << "Expected Mesh shading to be a Stream, found " << iCPDF_TypeOf(object);
        return false;
    }
    std::string nested;
    if (!CPDF_MeshEncodingParams::IsValid(object, &nested)) {
        collector.Stream() << "Mesh shading has invalid encoding parameters: " << nested;
        return false;
    }
    GLOB_Object value;
    if (!object.Known(GLOB_Name("ColorSpace"), &value))
        return true;
    CPDF_ColorSpace colorSpace;
    // The common checks report a bad space.
    if (!iCPDF_TryColorSpace(value, &colorSpace))
        return true;
    const unsigned numColorValues = object.Known(GLOB_Name("Function")) ? 1 : colorSpace.NumComponents();
    const uint32_t numPairs = object.DictGet(GLOB_Name("Decode")).Length() / 2;
    if (numPairs != numColorValues + 2)
        collector.Stream() << "Mesh shading Decode array should have " << numColorValues + 2 << " pairs, found "
                           << numPairs;
    return collector.IsValid();
}

CPDF_MeshReader CPDF_MeshShading::OpenReader() const {
    return CPDF_MeshReader(OpenStream(2), static_cast<uint32_t>(ShadingType()), EncodingParams());
}

void CPDF_MeshShading::PointBox::Include(const GLIB_Point& p) {
    if (m_empty)
        m_rect = GLIB_Rect(p, p);
    else
        m_rect.Include(p);
    m_empty = false;
}

bool CPDF_MeshShading::CheckMesh(const GLOB_Object& object, int shadingType, iCPDF_ValidationMessage& collector) {
    if (!CheckCommon(object, shadingType, collector))
        return false;
    std::string nested;
    if (IsValidMesh(object, &nested))
        return true;
    collector.Stream() << nested;
    return false;
}

bool CPDF_MeshShading::IsValidKind(const GLOB_Object& object, int shadingType, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    CheckMesh(object, shadingType, collector);
    return collector.IsValid();
}
