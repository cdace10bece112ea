// What the axial and radial shadings (types 2 and 3) share: a blend whose
// parameter t runs over "Domain" and is mapped to colours by "Function",
// optionally extended before its start and beyond its end. The kinds differ
// only in "Coords", their checks of it and their bounding boxes.
//
//   "Domain"    [t0 t1], any order          optional, DefaultDomain
//   "Function"  presence only               required
//   "Extend"    [Boolean Boolean]           optional, DefaultExtend
#pragma once

#include "CPDF/shading/CPDF_ShadingCore.h"

class CPDF_BlendShading : public CPDF_ShadingCore {
public:
    static constexpr std::pair<double, double> DefaultDomain{0.0, 1.0};
    static constexpr ExtendMode DefaultExtend{false, false};

    // Whether the entry is present, stored into *out when out is not null.
    // Extend throws CPDF_Exception 1128011 for a malformed array.
    bool Domain(std::pair<double, double>* out) const { return Interval("Domain", out); }
    bool Extend(ExtendMode* out) const { return ReadExtend(out); }
    // The entry, or its default when absent.
    std::pair<double, double> Domain() const;
    ExtendMode Extend() const;
    // "Function", a Null object when absent.
    using CPDF_ShadingCore::Function;
    GLOB_Object Function() const;

    void SetDomain(const std::pair<double, double>& domain);
    void SetExtend(const ExtendMode& extend);

protected:
    CPDF_BlendShading() = default;
    CPDF_BlendShading(const CPDF_BlendShading& other) = default;

    // A new indirect dictionary in doc holding "ShadingType", "ColorSpace",
    // "Function" (copied into doc when it belongs elsewhere) and "Coords"
    // (Reals), for the kinds' builders. Asserts IsValidColorSpace(cSpace).
    void Build(const GLOB_Doc& doc, int shadingType, const CPDF_ColorSpace& cSpace, const GLOB_Object& function,
               std::initializer_list<double> coords);
    // The checks after "Coords", prefix being the kind's name: "<prefix>
    // has invalid Domain: " and its lines; "<prefix> missing Function
    // entry."; "<prefix> has invalid Extend parameter: " and its lines.
    static void CheckBlend(const GLOB_Object& shading, const std::string& prefix,
                           iCPDF_ValidationMessage& collector);
};
