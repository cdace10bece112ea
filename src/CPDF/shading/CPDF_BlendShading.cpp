#include "CPDF/shading/CPDF_BlendShading.h"

#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"

std::pair<double, double> CPDF_BlendShading::Domain() const {
    std::pair<double, double> domain = DefaultDomain;
    Domain(&domain);
    return domain;
}

CPDF_ShadingCore::ExtendMode CPDF_BlendShading::Extend() const {
    ExtendMode extend = DefaultExtend;
    Extend(&extend);
    return extend;
}

GLOB_Object CPDF_BlendShading::Function() const { return Object().DictGet(GLOB_Name("Function")); }

void CPDF_BlendShading::SetDomain(const std::pair<double, double>& domain) { PutInterval("Domain", domain); }

void CPDF_BlendShading::SetExtend(const ExtendMode& extend) { Put("Extend", extend.MakeObject(Object().Doc())); }

void CPDF_BlendShading::Build(const GLOB_Doc& doc, int shadingType, const CPDF_ColorSpace& cSpace,
                              const GLOB_Object& function, std::initializer_list<double> coords) {
    GLIB_ASSERT(IsValidColorSpace( cSpace ));
    const GLOB_Object dict = doc.NewDict(4, true);
    dict.DictPut(GLOB_Name("ShadingType"), doc.NewInteger(shadingType));
    dict.DictPut(GLOB_Name("ColorSpace"), cSpace.MakeObject(&doc));
    dict.DictPut(GLOB_Name("Function"), doc.Copy(function, false));
    dict.DictPut(GLOB_Name("Coords"), MakeReals(doc, coords));
    SetObject(dict);
}

void CPDF_BlendShading::CheckBlend(const GLOB_Object& shading, const std::string& prefix,
                                   iCPDF_ValidationMessage& collector) {
    CheckNumberArray(shading, "Domain", 2, (prefix + " has invalid Domain: ").c_str(), collector);
    if (!shading.Known(GLOB_Name("Function")))
        collector.Stream() << prefix << " missing Function entry.";
    CheckExtend(shading, (prefix + " has invalid Extend parameter: ").c_str(), collector);
}
