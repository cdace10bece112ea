// Shading type 3 (ISO 32000 8.7.4.5.4): a blend between a start circle and an
// end circle, t running over "Domain" and mapped to colours by "Function",
// optionally extended beyond either circle.
//
//   "Coords"    [x0 y0 r0 x1 y1 r1], radii not below 0   required
// and the entries of CPDF_BlendShading.h.
//
// The bounding box holds every circle painted. With A the larger circle and
// B the other: B inside A gives A's square, or the whole coordinate range
// when A is extended; otherwise the squares of both, plus, for an extended A,
// the far points along the two outer tangents, and for an extended B the
// apex where the circles shrink to a point (the far point beyond B when the
// radii are equal). Unbounded sides end at the coordinate limits.
#pragma once

#include "CPDF/shading/CPDF_BlendShading.h"

class CPDF_RadialShading : public CPDF_BlendShading {
public:
    static const GLOB_Name ShadingName;  // "Radial"

    // Validated by IsValidShading; an invalid object throws CPDF_Exception
    // 1128011 with all its lines.
    explicit CPDF_RadialShading(const GLOB_Object& shading);
    // A new indirect dictionary in doc holding only "ShadingType" 3,
    // "ColorSpace", "Function" (copied into doc when it belongs elsewhere) and
    // "Coords"; not validated. Asserts IsValidColorSpace(cSpace) and
    // IsValidRadius of both radii.
    CPDF_RadialShading(const GLOB_Doc& doc, const CPDF_ColorSpace& cSpace, const GLOB_Object& function,
                       const GLIB_Point& startCenter, double startRadius, const GLIB_Point& endCenter,
                       double endRadius);
    CPDF_RadialShading(const CPDF_RadialShading& other) = default;

    GLIB_Rect BoundingBox() const override;
    GLOB_Name TypeName() const override { return ShadingName; }
    bool IsValid(const GLOB_Object& object, std::string* messages) const override {
        return IsValidShading(object, messages);
    }

    GLIB_Point StartPoint() const;
    double StartRadius() const;
    GLIB_Point EndPoint() const;
    double EndRadius() const;
    // Replace elements of the "Coords" array there is; the radius setters
    // assert IsValidRadius.
    void SetStartPoint(const GLIB_Point& p);
    void SetStartRadius(double radius);
    void SetEndPoint(const GLIB_Point& p);
    void SetEndRadius(double radius);

    // Validator (iCPDF_ValidationMessage convention): the common checks of
    // type 3 as one message (then stops); "RadialShadding missing Coords
    // entry" or "RadialShading has invalid Coords: " and the number-array
    // lines, else "RadialShading has invalid start radius: " and "...
    // invalid end radius: " with the radius lines; then CheckBlend's lines
    // with the prefix "RadialShading".
    static bool IsValidShading(const GLOB_Object& shading, std::string* messages);
    // "Radial shading radius must be non negative, not <radius>".
    static bool IsValidRadius(double radius, std::string* messages = nullptr);
};
