// Shading type 1 (ISO 32000 8.7.4.5.2): the colour of each point (x, y) of a
// rectangular domain is a function of two inputs; "Matrix" places the domain
// in the shading's space.
//
//   "Domain"    [x0 x1 y0 y1], any order in each pair   optional, [0 1 0 1]
//   "Matrix"    [a b c d e f]                           optional, identity
//   "Function"  presence only                           required
//
// The domain is handed out as the rectangle (x0, y0)-(x1, y1): the array
// order differs from the rectangle's, so reads and writes exchange the
// middle two values. The bounding box is the domain mapped by the matrix.
#pragma once

#include "CPDF/shading/CPDF_ShadingCore.h"

class CPDF_FunctionBasedShading : public CPDF_ShadingCore {
public:
    static const GLOB_Name ShadingName;  // "FunctionBased"

    // Validated by IsValidShading; an invalid object throws CPDF_Exception
    // 1128011 with all its lines.
    explicit CPDF_FunctionBasedShading(const GLOB_Object& shading);
    // A new indirect dictionary in doc holding only "ShadingType" 1,
    // "ColorSpace", "Function" (copied into doc when it belongs elsewhere) and
    // "Domain"; not validated. Asserts IsValidColorSpace(cSpace).
    CPDF_FunctionBasedShading(const GLOB_Doc& doc, const CPDF_ColorSpace& cSpace, const GLOB_Object& function,
                              const GLIB_Rect& domain);
    CPDF_FunctionBasedShading(const CPDF_FunctionBasedShading& other) = default;

    GLIB_Rect BoundingBox() const override;
    GLOB_Name TypeName() const override { return ShadingName; }
    bool IsValid(const GLOB_Object& object, std::string* messages) const override {
        return IsValidShading(object, messages);
    }

    // Whether the entry is present, stored into *out when out is not null.
    bool Domain(GLIB_Rect* out) const;
    bool Matrix(GLIB_Matrix* out) const;
    // The entry, or its default when absent.
    GLIB_Rect Domain() const;
    GLIB_Matrix Matrix() const;

    void SetDomain(const GLIB_Rect& domain);
    void SetMatrix(const GLIB_Matrix& matrix);

    // Validator (iCPDF_ValidationMessage convention): the common checks of
    // type 1 as one message (then stops); "Shading has invalid Domain: " and
    // the number-array lines for 4; "Shading has invalid Matrix: " and those
    // for 6; "FunctionBasedShading missing Function entry.".
    static bool IsValidShading(const GLOB_Object& shading, std::string* messages);
};
