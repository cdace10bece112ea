// The CalGray family: one calibrated gray component. Besides the shared CIE
// keys its dictionary may hold "Gamma", a number greater than 0 (default
// 1.0). For the plates it paints black.
//
// Answers: 1 component, initial colour (0), Colorants "Black", no names, no
// base. Print: "ColorSpace: CalGray [ WhitePoint <color> BlackPoint <color>
// Gamma <g> ]", each colour as CPDF_Color::Print writes it.
//
// IsValidColorSpace: the shared CIE check, then for a present "Gamma":
// "CalGray gamma must be a number, found <type>", or "CalGray colorspace has
// invalid gamma: " and IsValidGamma's line.
#pragma once

#include "CPDF/color/CPDF_CIEColorSpaceCore.h"

class CPDF_CalGrayColorSpace : public CPDF_CIEColorSpaceCore {
public:
    // The default CIE object.
    CPDF_CalGrayColorSpace();
    explicit CPDF_CalGrayColorSpace(const GLOB_Object& object);
    CPDF_CalGrayColorSpace(const CPDF_CalGrayColorSpace& other) = default;

    unsigned NumComponents() const override;
    CPDF_Color InitialColor() const override;
    GLOB_Name FamilyName() const override;
    std::ostream& Print(std::ostream& os) const override;
    std::vector<CPDF_Colorant> Colorants() const override;
    bool IsValid(const GLOB_Object& object, std::string* messages) const override;

    // Whether "Gamma" is present; when it is and out is not null, *out
    // receives its value.
    bool HasGamma(double* out) const;
    // 1.0 when absent.
    double Gamma() const;
    // Asserts IsValidGamma.
    void SetGamma(double gamma);

    static bool IsValidColorSpace(const GLOB_Object& object, std::string* messages);
    // "CalGray gamma value must be non-negative, found <g>" unless g > 0 (0
    // and NaN fail).
    static bool IsValidGamma(double gamma, std::string* messages);
};
