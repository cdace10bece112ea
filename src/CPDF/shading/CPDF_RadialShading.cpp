#include "CPDF/shading/CPDF_RadialShading.h"

#include "CPDF/CPDF_Utils.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"

#include <cmath>

namespace {

struct Circle {
    GLIB_Point center;
    double radius;
    bool extended;
};

void IncludeSquare(GLIB_Rect& box, const Circle& c) {
    box.Include(c.center.X() - c.radius, c.center.Y() - c.radius);
    box.Include(c.center.X() + c.radius, c.center.Y() + c.radius);
}

}  // namespace

const GLOB_Name CPDF_RadialShading::ShadingName("Radial");

CPDF_RadialShading::CPDF_RadialShading(const GLOB_Object& shading) { AttachObject(shading); }

CPDF_RadialShading::CPDF_RadialShading(const GLOB_Doc& doc, const CPDF_ColorSpace& cSpace,
                                       const GLOB_Object& function, const GLIB_Point& startCenter,
                                       double startRadius, const GLIB_Point& endCenter, double endRadius) {
    GLIB_ASSERT(IsValidRadius( startRadius ));
    GLIB_ASSERT(IsValidRadius( endRadius ));
    Build(doc, 3, cSpace, function, {startCenter.X(), startCenter.Y(), startRadius, endCenter.X(), endCenter.Y(),
                                     endRadius});
}

GLIB_Rect CPDF_RadialShading::BoundingBox() const {
    const ExtendMode extend = Extend();
    Circle a{StartPoint(), StartRadius(), extend.ExtendStart()};
    Circle b{EndPoint(), EndRadius(), extend.ExtendEnd()};
    if (a.radius < b.radius)
        std::swap(a, b);
    const GLIB_Point v = b.center - a.center;
    const double d2 = v.X() * v.X() + v.Y() * v.Y();
    const double dr = b.radius - a.radius;
    const double discriminant = d2 - dr * dr;

    GLIB_Rect box(a.center, a.center);
    if (discriminant <= 0) {
        if (a.extended)
            return GLIB_Rect(CPDF_Utils::MinCoordinate, CPDF_Utils::MinCoordinate, CPDF_Utils::MaxCoordinate,
                             CPDF_Utils::MaxCoordinate);
        IncludeSquare(box, a);
        return box;
    }
    IncludeSquare(box, a);
    IncludeSquare(box, b);
    if (a.extended) {
        // The outer tangents touch both circles at the same unit normal u.
        const double c = -dr / d2;
        const double s = std::sqrt(discriminant) / d2;
        const GLIB_Point normals[] = {GLIB_Point(c * v.X() - s * v.Y(), c * v.Y() + s * v.X()),
                                      GLIB_Point(c * v.X() + s * v.Y(), c * v.Y() - s * v.X())};
        for (const GLIB_Point& u : normals) {
            const GLIB_Point ta(a.center.X() + a.radius * u.X(), a.center.Y() + a.radius * u.Y());
            const GLIB_Point tb(b.center.X() + b.radius * u.X(), b.center.Y() + b.radius * u.Y());
            box.Include(CPDF_Utils::ExtendToLimits(ta, ta - tb));
        }
    }
    if (b.extended) {
        if (a.radius == b.radius) {
            box.Include(CPDF_Utils::ExtendToLimits(b.center, v));
        } else {
            const double t = a.radius / (a.radius - b.radius);
            box.Include(a.center.X() + v.X() * t, a.center.Y() + v.Y() * t);
        }
    }
    box.Normalize();
    return box;
}

GLIB_Point CPDF_RadialShading::StartPoint() const { return GLIB_Point(NumberAt("Coords", 0), NumberAt("Coords", 1)); }

double CPDF_RadialShading::StartRadius() const { return NumberAt("Coords", 2); }

GLIB_Point CPDF_RadialShading::EndPoint() const { return GLIB_Point(NumberAt("Coords", 3), NumberAt("Coords", 4)); }

double CPDF_RadialShading::EndRadius() const { return NumberAt("Coords", 5); }

void CPDF_RadialShading::SetStartPoint(const GLIB_Point& p) {
    PutNumberAt("Coords", 0, p.X());
    PutNumberAt("Coords", 1, p.Y());
}

void CPDF_RadialShading::SetStartRadius(double radius) {
    GLIB_ASSERT(IsValidRadius( radius ));
    PutNumberAt("Coords", 2, radius);
}

void CPDF_RadialShading::SetEndPoint(const GLIB_Point& p) {
    PutNumberAt("Coords", 3, p.X());
    PutNumberAt("Coords", 4, p.Y());
}

void CPDF_RadialShading::SetEndRadius(double radius) {
    GLIB_ASSERT(IsValidRadius( radius ));
    PutNumberAt("Coords", 5, radius);
}

bool CPDF_RadialShading::IsValidShading(const GLOB_Object& shading, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!CheckCommon(shading, 3, collector))
        return false;
    GLOB_Object coords;
    std::string nested;
    if (!shading.Known(GLOB_Name("Coords"), &coords)) {
        collector.Stream() << "RadialShadding missing Coords entry";
    } else if (!CPDF_Utils::IsValidNumberArray(coords, 6, &nested)) {
        collector.Stream() << "RadialShading has invalid Coords: " << nested;
    } else {
        if (!IsValidRadius(coords.Get(2).AsNumber(), &nested))
            collector.Stream() << "RadialShading has invalid start radius: " << nested;
        if (!IsValidRadius(coords.Get(5).AsNumber(), &nested))
            collector.Stream() << "RadialShading has invalid end radius: " << nested;
    }
    CheckBlend(shading, "RadialShading", collector);
    return collector.IsValid();
}

bool CPDF_RadialShading::IsValidRadius(double radius, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (radius < 0.0)
        collector.Stream() << "Radial shading radius must be non negative, not " << radius;
    return collector.IsValid();
}
