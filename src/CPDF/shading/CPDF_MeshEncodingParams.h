// How the vertex data of a mesh shading (types 4 to 7) is packed: the widths
// of the edge flag, of each coordinate and of each colour component, the
// vertices per row of a lattice, and the Decode pairs: x, y, then one per
// colour component (one in all when the shading has a Function). A handle of
// one shared record that nothing changes after it is built.
//
// Widths the reader and writer take: 0, 1, 2, 4, 8, 12, 16, 24, 32. The
// validator accepts fewer: flags 0, 2, 4, 8; components 1, 2, 4, 8, 12, 16;
// coordinates 1, 2, 4, 8, 12, 16, 24, 32.
//
// Raw values map through CPDF_DecodeArray: Dmin + raw × (Dmax − Dmin) /
// (2^bits − 1) and back to the nearest raw value, clamped; a value decoded
// and encoded again keeps its raw value.
#pragma once

#include "CPDF/function/CPDF_DecodeArray.h"
#include "GLIB/GLIB_Geometry.h"
#include "GLIB_RefCountPrivateBase.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>
#include <string>

// The shared record.
struct iCPDF_MeshEncodingParamsCore {
    uint32_t m_bitsPerFlag = 8;
    uint32_t m_bitsPerCoordinate = 8;
    uint32_t m_bitsPerComponent = 8;
    uint32_t m_verticesPerRow = 0;
    CPDF_DecodeArray m_decode{3};
};

class CPDF_MeshEncodingParams : private GLIB_RefCountPrivateBase<iCPDF_MeshEncodingParamsCore> {
public:
    // Widths 8, no rows, three pairs [0 1].
    CPDF_MeshEncodingParams() = default;
    // Exactly these values; nothing is tested.
    CPDF_MeshEncodingParams(uint32_t bitsPerFlag, uint32_t bitsPerCoordinate, uint32_t bitsPerComponent,
                            const CPDF_DecodeArray& decode, uint32_t verticesPerRow = 0);
    // The encoding entries of a Dict, or of a Stream's dictionary, which must
    // pass IsValid (asserted). An absent "BitsPerFlag" or "VerticesPerRow"
    // reads as 0; so does "BitsPerFlag" when "ShadingType" is 5, as a lattice
    // has no flags (ISO 32000 8.7.4.5.6).
    explicit CPDF_MeshEncodingParams(const GLOB_Object& meshEncodingDict);

    uint32_t BitsPerFlag() const { return Core().m_bitsPerFlag; }
    uint32_t BitsPerCoordinate() const { return Core().m_bitsPerCoordinate; }
    uint32_t BitsPerComponent() const { return Core().m_bitsPerComponent; }
    uint32_t VerticesPerRow() const { return Core().m_verticesPerRow; }
    CPDF_DecodeArray DecodeArray() const { return Core().m_decode; }
    // Decode pairs − 2.
    int NumColorComponents() const { return static_cast<int>(Core().m_decode.Dimension()) - 2; }

    // x through pair 0, y through pair 1, component k through pair k + 2.
    GLIB_Point DecodePoint(uint32_t rawX, uint32_t rawY) const;
    double DecodeComponent(uint32_t k, uint32_t raw) const;
    void EncodePoint(const GLIB_Point& point, uint32_t& rawX, uint32_t& rawY) const;
    uint32_t EncodeComponent(uint32_t k, double value) const;

    // A width the reader and writer take.
    static bool IsPackableWidth(uint32_t bits);

    // Validator (iCPDF_ValidationMessage convention) of the encoding entries:
    //   not a Dict or Stream: "Mesh encoding dictionary must be a Stream or
    //     Dictionary, found <type>" (then stops);
    //   "Mesh encoding BitsPerFlag should be an Integer, found: <type>" or
    //     "... should be 2, 4, or 8. Found <n>";
    //   "Mesh encoding VerticesPerRow should be an Integer, found: <type>" or
    //     "... should be at least 2, found: <n>";
    //   "Mesh encoding missing BitsPerComponent.", "... BitsPerComponent
    //     should be an Integer, found: <type>", "... should be 1, 2, 4, 8,
    //     12, or 16. Found <n>"; likewise BitsPerCoordinate with "1, 2, 4, 8,
    //     12, 16, 24, or 32";
    //   "Mesh encoding missing Decode array.", "Mesh encoding has invalid
    //     Decode array: " and the decode-array lines, or "Mesh encoding
    //     Decode array should have at least 3 pairs, found <n>" (x, y and a
    //     colour: fewer leaves no component to read).
    static bool IsValid(const GLOB_Object& meshEncodingDict, std::string* messages = nullptr);
};
