#include "CPDF/color/CPDF_CalGrayColorSpace.h"

#include "CPDF/CPDF_Utils.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"

namespace {

const char* const Family = "CalGray";

}  // namespace

CPDF_CalGrayColorSpace::CPDF_CalGrayColorSpace() { AdoptObject(DefaultObject(Family)); }

CPDF_CalGrayColorSpace::CPDF_CalGrayColorSpace(const GLOB_Object& object) { SetObject(object); }

unsigned CPDF_CalGrayColorSpace::NumComponents() const { return 1; }

CPDF_Color CPDF_CalGrayColorSpace::InitialColor() const {
    static const CPDF_Color gray(1u);
    return gray;
}

GLOB_Name CPDF_CalGrayColorSpace::FamilyName() const { return GLOB_Name(Family); }

std::ostream& CPDF_CalGrayColorSpace::Print(std::ostream& os) const {
    const double gamma = Gamma();
    return PrintPoints(os) << " Gamma " << gamma << " ]";
}

std::vector<CPDF_Colorant> CPDF_CalGrayColorSpace::Colorants() const {
    static const std::vector<CPDF_Colorant> black = {CPDF_Colorant("Black")};
    return black;
}

bool CPDF_CalGrayColorSpace::IsValid(const GLOB_Object& object, std::string* messages) const {
    return IsValidColorSpace(object, messages);
}

bool CPDF_CalGrayColorSpace::HasGamma(double* out) const {
    return CPDF_Utils::ReadEntry(Dict(), "Gamma", out, [](const GLOB_Object& value) { return value.AsNumber(); });
}

double CPDF_CalGrayColorSpace::Gamma() const {
    double gamma = 1.0;
    HasGamma(&gamma);
    return gamma;
}

void CPDF_CalGrayColorSpace::SetGamma(double gamma) {
    GLIB_ASSERT(IsValidGamma(gamma, nullptr));
    PutReal("Gamma", gamma);
}

bool CPDF_CalGrayColorSpace::IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    GLOB_Object dict;
    if (!CheckDictionary(object, Family, collector, &dict))
        return false;
    GLOB_Object gamma;
    if (dict.Known(GLOB_Name("Gamma"), &gamma)) {
        std::string text;
        if (!gamma.IsNumber())
            collector.Stream() << "CalGray gamma must be a number, found " << iCPDF_TypeOf(gamma);
        else if (!IsValidGamma(gamma.AsNumber(), &text))
            collector.Stream() << "CalGray colorspace has invalid gamma: " << text;
    }
    return collector.IsValid();
}

bool CPDF_CalGrayColorSpace::IsValidGamma(double gamma, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!(gamma > 0))
        collector.Stream() << "CalGray gamma value must be non-negative, found " << gamma;
    return collector.IsValid();
}
