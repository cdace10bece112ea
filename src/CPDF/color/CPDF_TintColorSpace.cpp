#include "CPDF/color/CPDF_TintColorSpace.h"

#include "CPDF/color/iCPDF_TryColorSpace.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"

CPDF_ColorSpace CPDF_TintColorSpace::AlternateColorSpace() const { return CPDF_ColorSpace(Object().Get(2)); }

CPDF_Function CPDF_TintColorSpace::TintTransform() const { return CPDF_Function(Object().Get(3)); }

void CPDF_TintColorSpace::SetTintTransform(const GLOB_Object& tintTransform) { Object().ArrayPut(3, tintTransform); }

std::vector<CPDF_Colorant> CPDF_TintColorSpace::Colorants() const { return NamedColorantList(); }

bool CPDF_TintColorSpace::IsValidAlternate(const CPDF_ColorSpace& alternate, const char* complaint,
                                           std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    switch (alternate.Type()) {
    case CPDF_ColorSpace::DeviceCMYK:
    case CPDF_ColorSpace::DeviceGray:
    case CPDF_ColorSpace::DeviceRGB:
    case CPDF_ColorSpace::ICCBased:
    case CPDF_ColorSpace::CalGray:
    case CPDF_ColorSpace::CalRGB:
    case CPDF_ColorSpace::Lab:
        break;
    default:
        collector.Stream() << complaint << iCPDF_NameText{alternate.FamilyName()};
    }
    return collector.IsValid();
}

namespace {

// The family of a space that holds other spaces ([/Indexed base ...],
// [/Pattern base], a tint space's alternate); null for any other. Such a
// space is never an alternate, and building one to find that out could
// build the space being checked again, without end.
const char* NestingFamily(const GLOB_Object& element) {
    static const char* const families[] = {"Separation", "DeviceN", "Indexed", "Pattern"};
    if (!element.IsArray() || element.Length() < 2)
        return nullptr;
    const GLOB_Object name = element.Get(0);
    if (!name.IsName())
        return nullptr;
    for (const char* family : families)
        if (name.AsName() == family)
            return family;
    return nullptr;
}

}  // namespace

void CPDF_TintColorSpace::CheckAlternate(const GLOB_Object& element, const char* prefix, const char* complaint,
                                         iCPDF_ValidationMessage& collector) {
    if (const char* family = NestingFamily(element)) {
        collector.Stream() << prefix << complaint << family << "\n";
        return;
    }
    CPDF_ColorSpace alternate;
    std::string text;
    if (!iCPDF_TryColorSpace(element, &alternate, &text) || !IsValidAlternate(alternate, complaint, &text))
        collector.Stream() << prefix << text;
}

GLOB_Object CPDF_TintColorSpace::MakeArray(const GLOB_Doc& doc, const char* family, const GLOB_Object& colorants,
                                           const CPDF_ColorSpace& alternate, const GLOB_Object& tintTransform) {
    const GLOB_Object array = doc.NewArray(4, false);
    array.ArrayPut(0, doc.NewName(GLOB_Name(family)));
    array.ArrayPut(1, colorants);
    array.ArrayPut(2, alternate.MakeObject(&doc));
    array.ArrayPut(3, tintTransform);
    return array;
}

void CPDF_TintColorSpace::PutAlternate(const CPDF_ColorSpace& alternate) {
    const GLOB_Doc doc = Object().Doc();
    Object().ArrayPut(2, alternate.MakeObject(&doc));
}

std::ostream& CPDF_TintColorSpace::PrintAlternate(std::ostream& os) const {
    return AlternateColorSpace().Print(os << " AlternateColorSpace ");
}
