#include "CPDF/color/CPDF_CalRGBColorSpace.h"

#include "CPDF/CPDF_Utils.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_ObjectFactory.h"

namespace {

const char* const Family = "CalRGB";

}  // namespace

CPDF_CalRGBColorSpace::CPDF_CalRGBColorSpace() { AdoptObject(DefaultObject(Family)); }

CPDF_CalRGBColorSpace::CPDF_CalRGBColorSpace(const GLOB_Object& object) { SetObject(object); }

unsigned CPDF_CalRGBColorSpace::NumComponents() const { return 3; }

CPDF_Color CPDF_CalRGBColorSpace::InitialColor() const {
    static const CPDF_Color black(3u);
    return black;
}

GLOB_Name CPDF_CalRGBColorSpace::FamilyName() const { return GLOB_Name(Family); }

std::ostream& CPDF_CalRGBColorSpace::Print(std::ostream& os) const {
    CPDF_Color red, green, blue;
    Matrix(&red, &green, &blue);
    const GLOB_Object gamma = GLOB_ObjectFactory::NewArray(Gamma());
    PrintPoints(os) << " Gamma ";
    gamma.Print(os) << " Matrix [ ";
    red.Print(os) << " ";
    green.Print(os) << " ";
    return blue.Print(os) << "]" << " ]";
}

bool CPDF_CalRGBColorSpace::IsValid(const GLOB_Object& object, std::string* messages) const {
    return IsValidColorSpace(object, messages);
}

bool CPDF_CalRGBColorSpace::HasGamma(GLOB_Array* out) const {
    return CPDF_Utils::ReadEntry(Dict(), "Gamma", out, [](const GLOB_Object& value) { return value.AsArray(); });
}

GLOB_Array CPDF_CalRGBColorSpace::Gamma() const {
    GLOB_Array gamma;
    if (!HasGamma(&gamma)) {
        const GLOB_Doc doc = Object().Doc();
        for (uint32_t i = 0; i < 3; ++i)
            gamma.Put(i, doc.NewInteger(1));
    }
    return gamma;
}

bool CPDF_CalRGBColorSpace::HasMatrix(CPDF_Color* red, CPDF_Color* green, CPDF_Color* blue) const {
    GLOB_Object matrix;
    if (!Dict().Known(GLOB_Name("Matrix"), &matrix))
        return false;
    CPDF_Color* const rows[] = {red, green, blue};
    for (uint32_t row = 0; row < 3; ++row) {
        if (!rows[row])
            continue;
        rows[row]->SetNumComponents(3);
        for (uint32_t i = 0; i < 3; ++i)
            rows[row]->SetComponent(i, matrix.Get(3 * row + i).AsNumber());
    }
    return true;
}

void CPDF_CalRGBColorSpace::Matrix(CPDF_Color* red, CPDF_Color* green, CPDF_Color* blue) const {
    GLIB_ASSERT(red != nullptr && green != nullptr && blue != nullptr);
    if (HasMatrix(red, green, blue))
        return;
    CPDF_Color* const rows[] = {red, green, blue};
    for (unsigned row = 0; row < 3; ++row) {
        rows[row]->SetNumComponents(3);
        rows[row]->SetComponent(row, 1.0);
    }
}

void CPDF_CalRGBColorSpace::SetGamma(const GLOB_Array& gamma) {
    GLIB_ASSERT(IsValidGamma(gamma, nullptr));
    Dict().PutArray(GLOB_Name("Gamma"), gamma, false);
}

void CPDF_CalRGBColorSpace::SetMatrix(const CPDF_Color& red, const CPDF_Color& green, const CPDF_Color& blue) {
    GLIB_ASSERT(IsValidXYZColor(red, nullptr) && IsValidXYZColor(green, nullptr) && IsValidXYZColor(blue, nullptr));
    CPDF_Color nine(9u);
    const CPDF_Color* const rows[] = {&red, &green, &blue};
    for (unsigned row = 0; row < 3; ++row) {
        for (unsigned i = 0; i < 3; ++i)
            nine.SetComponent(3 * row + i, rows[row]->Component(i));
    }
    PutColor("Matrix", nine);
}

bool CPDF_CalRGBColorSpace::IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    GLOB_Object dict;
    if (!CheckDictionary(object, Family, collector, &dict))
        return false;
    GLOB_Object value;
    if (dict.Known(GLOB_Name("Gamma"), &value)) {
        std::string text;
        if (!value.IsArray())
            collector.Stream() << "CalRGB Gamma must be an array, found " << iCPDF_TypeOf(value);
        else if (!IsValidGamma(value.AsArray(), &text))
            collector.Stream() << text;
    }
    if (dict.Known(GLOB_Name("Matrix"), &value)) {
        if (!value.IsArray()) {
            collector.Stream() << "CalRGB Matrix must be an array, found " << iCPDF_TypeOf(value);
        } else if (value.Length() != 9) {
            collector.Stream() << "CalRGB Matrix must be an array of length " << 9 << ", found " << value.Length();
        } else {
            for (uint32_t i = 0; i < 9; ++i) {
                const GLOB_Object element = value.Get(i);
                if (!element.IsNumber())
                    collector.Stream() << "CalRGB Matrix entries must be numeric, at index " << i << " found "
                                       << iCPDF_TypeOf(element);
            }
        }
    }
    return collector.IsValid();
}

bool CPDF_CalRGBColorSpace::IsValidGamma(const GLOB_Array& gamma, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    const uint32_t n = gamma.Length();
    if (n != 3)
        collector.Stream() << "CalRGB gamma must be an array of length 3, found length " << n;
    for (uint32_t i = 0; i < n; ++i) {
        const GLOB_Object element = gamma.Get(i);
        if (!element.IsNumber())
            collector.Stream() << "CalRGB gamma array entries must be numeric, at index " << i << " found type "
                               << iCPDF_TypeOf(element);
        else if (element.AsNumber() < 0)
            collector.Stream() << "CalRGB gamma array entries must be nonnegative. At index " << i << " found "
                               << element.AsNumber();
    }
    return collector.IsValid();
}
