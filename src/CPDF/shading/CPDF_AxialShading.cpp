#include "CPDF/shading/CPDF_AxialShading.h"

#include "CPDF/CPDF_Utils.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"

const GLOB_Name CPDF_AxialShading::ShadingName("Axial");

CPDF_AxialShading::CPDF_AxialShading(const GLOB_Object& shading) { AttachObject(shading); }

CPDF_AxialShading::CPDF_AxialShading(const GLOB_Doc& doc, const CPDF_ColorSpace& cSpace, const GLOB_Object& function,
                                     const GLIB_Point& start, const GLIB_Point& end) {
    GLIB_ASSERT(IsValidColorSpace( cSpace ));
    const GLOB_Object dict = doc.NewDict(4, true);
    dict.DictPut(GLOB_Name("ShadingType"), doc.NewInteger(2));
    dict.DictPut(GLOB_Name("ColorSpace"), cSpace.MakeObject(&doc));
    dict.DictPut(GLOB_Name("Function"), doc.Copy(function, false));
    dict.DictPut(GLOB_Name("Coords"), MakeReals(doc, {start.X(), start.Y(), end.X(), end.Y()}));
    SetObject(dict);
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

std::pair<double, double> CPDF_AxialShading::Domain() const {
    std::pair<double, double> domain = DefaultDomain;
    Domain(&domain);
    return domain;
}

CPDF_ShadingCore::ExtendMode CPDF_AxialShading::Extend() const {
    ExtendMode extend = DefaultExtend;
    Extend(&extend);
    return extend;
}

GLOB_Object CPDF_AxialShading::Function() const { return Object().DictGet(GLOB_Name("Function")); }

void CPDF_AxialShading::SetStartPoint(const GLIB_Point& p) {
    PutNumberAt("Coords", 0, p.X());
    PutNumberAt("Coords", 1, p.Y());
}

void CPDF_AxialShading::SetEndPoint(const GLIB_Point& p) {
    PutNumberAt("Coords", 2, p.X());
    PutNumberAt("Coords", 3, p.Y());
}

void CPDF_AxialShading::SetDomain(const std::pair<double, double>& domain) { PutInterval("Domain", domain); }

void CPDF_AxialShading::SetExtend(const ExtendMode& extend) { Put("Extend", extend.MakeObject(Object().Doc())); }

bool CPDF_AxialShading::IsValidShading(const GLOB_Object& shading, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!CheckCommon(shading, 2, collector))
        return false;
    if (!shading.Known(GLOB_Name("Coords")))
        collector.Stream() << "AxialShadding missing Coords entry";
    CheckNumberArray(shading, "Coords", 4, "AxialShading has invalid Coords: ", collector);
    CheckNumberArray(shading, "Domain", 2, "AxialShading has invalid Domain: ", collector);
    if (!shading.Known(GLOB_Name("Function")))
        collector.Stream() << "AxialShading missing Function entry.";
    CheckExtend(shading, "AxialShading has invalid Extend parameter: ", collector);
    return collector.IsValid();
}
