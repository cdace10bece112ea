#include "CPDF/shading/CPDF_GouraudShading.h"

#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "CPDF/shading/CPDF_MeshReader.h"
#include "GLIB/GLIB_Assert.h"

const GLOB_Name CPDF_GouraudShading::ShadingName("Gouraud");
const GLOB_Name CPDF_GouraudLatticeShading::ShadingName("GouraudLattice");

CPDF_GouraudShading::CPDF_GouraudShading(const GLOB_Object& shading) { AttachObject(shading); }

CPDF_GouraudShading::CPDF_GouraudShading(const GLOB_Doc& doc, const GLOB_Stream& source, int32_t encoded,
                                         const GLOB_Object& attrDict, const GLOB_Object& encodeParams,
                                         const CPDF_ColorSpace& colorSpace, const CPDF_MeshEncodingParams& params)
    : CPDF_MeshShading(4, doc, source, encoded, attrDict, encodeParams, colorSpace, params) {}

CPDF_GouraudShading::CPDF_GouraudShading(const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace,
                                         const CPDF_MeshEncodingParams& params)
    : CPDF_MeshShading(4, stream, colorSpace, params) {}

bool CPDF_GouraudShading::IsValidShading(const GLOB_Object& shading, std::string* messages) {
    return IsValidKind(shading, 4, messages);
}

CPDF_GouraudLatticeShading::CPDF_GouraudLatticeShading(const GLOB_Object& shading) { AttachObject(shading); }

CPDF_GouraudLatticeShading::CPDF_GouraudLatticeShading(const GLOB_Doc& doc, const GLOB_Stream& source,
                                                       int32_t encoded, const GLOB_Object& attrDict,
                                                       const GLOB_Object& encodeParams,
                                                       const CPDF_ColorSpace& colorSpace,
                                                       const CPDF_MeshEncodingParams& params, uint32_t vertsPerRow)
    : CPDF_MeshShading(5, doc, source, encoded, attrDict, encodeParams, colorSpace) {
    Build(vertsPerRow, params);
}

CPDF_GouraudLatticeShading::CPDF_GouraudLatticeShading(const GLOB_Object& stream, const CPDF_ColorSpace& colorSpace,
                                                       const CPDF_MeshEncodingParams& params, uint32_t vertsPerRow)
    : CPDF_MeshShading(5, stream, colorSpace) {
    Build(vertsPerRow, params);
}

void CPDF_GouraudLatticeShading::Build(uint32_t vertsPerRow, const CPDF_MeshEncodingParams& params) {
    SetVerticesPerRow(vertsPerRow);
    WriteEncodingParams(params);
}

uint32_t CPDF_GouraudLatticeShading::VerticesPerRow() const {
    return static_cast<uint32_t>(Object().DictGet(GLOB_Name("VerticesPerRow")).AsInteger());
}

void CPDF_GouraudLatticeShading::SetVerticesPerRow(uint32_t vertsPerRow) {
    GLIB_ASSERT(IsValidVerticesPerRow( vertsPerRow ));
    Put("VerticesPerRow", Object().Doc().NewInteger(static_cast<int32_t>(vertsPerRow)));
}

bool CPDF_GouraudLatticeShading::IsValidShading(const GLOB_Object& shading, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!CheckMesh(shading, 5, collector))
        return false;
    GLOB_Object value;
    std::string nested;
    if (!shading.Known(GLOB_Name("VerticesPerRow"), &value))
        collector.Stream() << "GouraudLattice shading missing VerticesPerRow";
    else if (!value.IsInteger())
        collector.Stream() << "GouraudLattice shading VerticesPerRow should be an Integer, found: "
                           << iCPDF_TypeOf(value);
    else if (!IsValidVerticesPerRow(value.AsInteger(), &nested))
        collector.Stream() << nested;
    else
        CheckRows(shading, static_cast<uint64_t>(value.AsInteger()), collector);
    return collector.IsValid();
}

void CPDF_GouraudLatticeShading::CheckRows(const GLOB_Object& shading, uint64_t vertsPerRow,
                                           iCPDF_ValidationMessage& collector) {
    // A reader of the lattice holds two rows at once: rows the data cannot
    // fill would only ask for that memory.
    const uint64_t twoRows = 2 * vertsPerRow;
    const uint64_t held =
        CPDF_MeshReader::CountLatticeVertices(shading.OpenStream(2), CPDF_MeshEncodingParams(shading), twoRows);
    if (held < twoRows)
        collector.Stream() << "GouraudLattice shading has VerticesPerRow " << vertsPerRow << " but its data hold "
                           << held << " vertices, fewer than two rows";
}

bool CPDF_GouraudLatticeShading::IsValidVerticesPerRow(int64_t vertsPerRow, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (vertsPerRow < 2)
        collector.Stream() << "GouraudLattice shading must have at least 2 vertices per row, found " << vertsPerRow;
    return collector.IsValid();
}
