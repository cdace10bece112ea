// Shading type 2 (ISO 32000 8.7.4.5.3): a blend along the axis from a start
// point to an end point, t running over "Domain" and mapped to colours by
// "Function", optionally extended beyond either end.
//
//   "Coords"    [x0 y0 x1 y1]               required
// and the entries of CPDF_BlendShading.h.
//
// The bounding box is the strip between the lines through the two points
// perpendicular to the axis, with the half-planes that "Extend" adds;
// unbounded sides end at the coordinate limits (CPDF_Utils::ExtendToLimits),
// so any slanted axis covers the whole range.
#pragma once

#include "CPDF/shading/CPDF_BlendShading.h"

class CPDF_AxialShading : public CPDF_BlendShading {
public:
    static const GLOB_Name ShadingName;  // "Axial"

    // Validated by IsValidShading; an invalid object throws CPDF_Exception
    // 1128011 with all its lines.
    explicit CPDF_AxialShading(const GLOB_Object& shading);
    // A new indirect dictionary in doc holding only "ShadingType" 2,
    // "ColorSpace", "Function" (copied into doc when it belongs elsewhere) and
    // "Coords"; not validated. Asserts IsValidColorSpace(cSpace).
    CPDF_AxialShading(const GLOB_Doc& doc, const CPDF_ColorSpace& cSpace, const GLOB_Object& function,
                      const GLIB_Point& start, const GLIB_Point& end);
    CPDF_AxialShading(const CPDF_AxialShading& other) = default;

    GLIB_Rect BoundingBox() const override;
    GLOB_Name TypeName() const override { return ShadingName; }
    bool IsValid(const GLOB_Object& object, std::string* messages) const override {
        return IsValidShading(object, messages);
    }

    GLIB_Point StartPoint() const;
    GLIB_Point EndPoint() const;
    // Replace elements of the "Coords" array there is.
    void SetStartPoint(const GLIB_Point& p);
    void SetEndPoint(const GLIB_Point& p);

    // Validator (iCPDF_ValidationMessage convention): the common checks of
    // type 2 as one message (then stops); "AxialShadding missing Coords
    // entry" or "AxialShading has invalid Coords: " and the number-array
    // lines; then CheckBlend's lines with the prefix "AxialShading".
    static bool IsValidShading(const GLOB_Object& shading, std::string* messages);
};
