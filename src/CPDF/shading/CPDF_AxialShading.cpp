#include "CPDF/shading/CPDF_AxialShading.h"

#include "CPDF/CPDF_Utils.h"
#include "CPDF/iCPDF_ValidationMessage.h"

const GLOB_Name CPDF_AxialShading::ShadingName("Axial");

CPDF_AxialShading::CPDF_AxialShading(const GLOB_Object& shading) { AttachObject(shading); }

CPDF_AxialShading::CPDF_AxialShading(const GLOB_Doc& doc, const CPDF_ColorSpace& cSpace, const GLOB_Object& function,
                                     const GLIB_Point& start, const GLIB_Point& end) {
    Build(doc, 2, cSpace, function, {start.X(), start.Y(), end.X(), end.Y()});
}

GLIB_Rect CPDF_AxialShading::BoundingBox() const {
    const GLIB_Point p0 = StartPoint();
    const GLIB_Point p1 = EndPoint();
    const GLIB_Point d = p1 - p0;
    GLIB_Rect box(p0, p0);
    box.Include(p1);
    box.Include(CPDF_Utils::ExtendToLimits(p0, GLIB_Point(-d.Y(), d.X())));
    box.Include(CPDF_Utils::ExtendToLimits(p1, GLIB_Point(d.Y(), -d.X())));
    const ExtendMode extend = Extend();
    if (extend.ExtendStart())
        box.Include(CPDF_Utils::ExtendToLimits(p0, GLIB_Point(-d.X(), -d.Y())));
    if (extend.ExtendEnd())
        box.Include(CPDF_Utils::ExtendToLimits(p1, d));
    box.Normalize();
    return box;
}

GLIB_Point CPDF_AxialShading::StartPoint() const { return GLIB_Point(NumberAt("Coords", 0), NumberAt("Coords", 1)); }

GLIB_Point CPDF_AxialShading::EndPoint() const { return GLIB_Point(NumberAt("Coords", 2), NumberAt("Coords", 3)); }

void CPDF_AxialShading::SetStartPoint(const GLIB_Point& p) {
    PutNumberAt("Coords", 0, p.X());
    PutNumberAt("Coords", 1, p.Y());
}

void CPDF_AxialShading::SetEndPoint(const GLIB_Point& p) {
    PutNumberAt("Coords", 2, p.X());
    PutNumberAt("Coords", 3, p.Y());
}

bool CPDF_AxialShading::IsValidShading(const GLOB_Object& shading, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!CheckCommon(shading, 2, collector))
        return false;
    if (!shading.Known(GLOB_Name("Coords")))
        collector.Stream() << "AxialShadding missing Coords entry";
    CheckNumberArray(shading, "Coords", 4, "AxialShading has invalid Coords: ", collector);
    CheckBlend(shading, "AxialShading", collector);
    return collector.IsValid();
}
