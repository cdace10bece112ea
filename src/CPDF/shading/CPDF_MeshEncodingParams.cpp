#include "CPDF/shading/CPDF_MeshEncodingParams.h"

#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"

#include <algorithm>
#include <initializer_list>

namespace {

// An Integer entry whose value must be one of widths; no message when absent
// unless required.
void CheckWidth(const GLOB_Object& dict, const char* key, bool required, std::initializer_list<int32_t> widths,
                const char* widthList, iCPDF_ValidationMessage& collector) {
    GLOB_Object value;
    if (!dict.Known(GLOB_Name(key), &value)) {
        if (required)
            collector.Stream() << "Mesh encoding missing " << key << ".";
    } else if (!value.IsInteger()) {
        collector.Stream() << "Mesh encoding " << key << " should be an Integer, found: " << iCPDF_TypeOf(value);
    } else if (std::find(widths.begin(), widths.end(), value.AsInteger()) == widths.end()) {
        collector.Stream() << "Mesh encoding " << key << " should be " << widthList << ". Found " << value.AsInteger();
    }
}

}  // namespace

CPDF_MeshEncodingParams::CPDF_MeshEncodingParams(uint32_t bitsPerFlag, uint32_t bitsPerCoordinate,
                                                 uint32_t bitsPerComponent, const CPDF_DecodeArray& decode,
                                                 uint32_t verticesPerRow)
    : GLIB_RefCountPrivateBase(std::in_place, iCPDF_MeshEncodingParamsCore{bitsPerFlag, bitsPerCoordinate,
                                                                          bitsPerComponent, verticesPerRow, decode}) {}

CPDF_MeshEncodingParams::CPDF_MeshEncodingParams(const GLOB_Object& meshEncodingDict) {
    GLIB_ASSERT(IsValid( meshEncodingDict ));
    iCPDF_MeshEncodingParamsCore& core = Core();
    const GLOB_Object type = meshEncodingDict.DictGet(GLOB_Name("ShadingType"));
    const bool lattice = type.IsInteger() && type.AsInteger() == 5;
    core.m_bitsPerFlag = lattice ? 0 : static_cast<uint32_t>(meshEncodingDict.IntegerValue("BitsPerFlag", 0));
    core.m_verticesPerRow = static_cast<uint32_t>(meshEncodingDict.IntegerValue("VerticesPerRow", 0));
    core.m_decode = CPDF_DecodeArray(meshEncodingDict.DictGet(GLOB_Name("Decode")));
    core.m_bitsPerComponent = static_cast<uint32_t>(meshEncodingDict.IntegerValue("BitsPerComponent"));
    core.m_bitsPerCoordinate = static_cast<uint32_t>(meshEncodingDict.IntegerValue("BitsPerCoordinate"));
}

GLIB_Point CPDF_MeshEncodingParams::DecodePoint(uint32_t rawX, uint32_t rawY) const {
    const iCPDF_MeshEncodingParamsCore& core = Core();
    return GLIB_Point(core.m_decode.Decode(rawX, 0, core.m_bitsPerCoordinate),
                      core.m_decode.Decode(rawY, 1, core.m_bitsPerCoordinate));
}

double CPDF_MeshEncodingParams::DecodeComponent(uint32_t k, uint32_t raw) const {
    return Core().m_decode.Decode(raw, k + 2, Core().m_bitsPerComponent);
}

void CPDF_MeshEncodingParams::EncodePoint(const GLIB_Point& point, uint32_t& rawX, uint32_t& rawY) const {
    const iCPDF_MeshEncodingParamsCore& core = Core();
    rawX = core.m_decode.Encode(point.X(), 0, core.m_bitsPerCoordinate);
    rawY = core.m_decode.Encode(point.Y(), 1, core.m_bitsPerCoordinate);
}

uint32_t CPDF_MeshEncodingParams::EncodeComponent(uint32_t k, double value) const {
    return Core().m_decode.Encode(value, k + 2, Core().m_bitsPerComponent);
}

bool CPDF_MeshEncodingParams::IsPackableWidth(uint32_t bits) {
    return bits <= 2 || bits == 4 || bits == 8 || bits == 12 || bits == 16 || bits == 24 || bits == 32;
}

bool CPDF_MeshEncodingParams::IsValid(const GLOB_Object& meshEncodingDict, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    const GLOB_Object& dict = meshEncodingDict;
    if (!dict.IsDict() && !dict.IsStream()) {
        collector.Stream() << "Mesh encoding dictionary must be a Stream or Dictionary, found " << iCPDF_TypeOf(dict);
        return false;
    }
    CheckWidth(dict, "BitsPerFlag", false, {0, 2, 4, 8}, "2, 4, or 8", collector);
    GLOB_Object value;
    if (dict.Known(GLOB_Name("VerticesPerRow"), &value)) {
        if (!value.IsInteger())
            collector.Stream() << "Mesh encoding VerticesPerRow should be an Integer, found: " << iCPDF_TypeOf(value);
        else if (value.AsInteger() < 2)
            collector.Stream() << "Mesh encoding VerticesPerRow should be at least 2, found: " << value.AsInteger();
    }
    CheckWidth(dict, "BitsPerComponent", true, {1, 2, 4, 8, 12, 16}, "1, 2, 4, 8, 12, or 16", collector);
    CheckWidth(dict, "BitsPerCoordinate", true, {1, 2, 4, 8, 12, 16, 24, 32}, "1, 2, 4, 8, 12, 16, 24, or 32",
               collector);

    std::string nested;
    if (!dict.Known(GLOB_Name("Decode"), &value))
        collector.Stream() << "Mesh encoding missing Decode array.";
    else if (!CPDF_DecodeArray::IsValid(value, &nested))
        collector.Stream() << "Mesh encoding has invalid Decode array: " << nested;
    else if (value.Length() < 6)
        collector.Stream() << "Mesh encoding Decode array should have at least 3 pairs, found " << value.Length() / 2;
    return collector.IsValid();
}
