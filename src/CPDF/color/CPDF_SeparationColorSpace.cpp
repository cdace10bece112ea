#include "CPDF/color/CPDF_SeparationColorSpace.h"

#include "CPDF/function/CPDF_SampleTable.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"

namespace {

const char* const Family = "Separation";

GLOB_Object NameObject(const GLOB_Doc& doc, const CPDF_Colorant& colorant) { return doc.NewName(colorant.Name()); }

}  // namespace

CPDF_SeparationColorSpace::CPDF_SeparationColorSpace(const GLOB_Object& object) { SetObject(object); }

CPDF_SeparationColorSpace::CPDF_SeparationColorSpace(const CPDF_Colorant& colorant, const CPDF_ColorSpace& alternate,
                                                     const GLOB_Object& tintTransform) {
    GLIB_ASSERT(IsValidAlternateColorSpace(alternate, nullptr));
    const GLOB_Doc doc = tintTransform.Doc();
    AdoptObject(MakeArray(doc, Family, NameObject(doc, colorant), alternate, tintTransform));
}

CPDF_SeparationColorSpace::CPDF_SeparationColorSpace(const GLOB_Doc& doc, const CPDF_Colorant& colorant,
                                                     const CPDF_ColorSpace& alternate, const CPDF_Color& color) {
    GLIB_ASSERT(IsValidAlternateColorSpace(alternate, nullptr));
    const CPDF_SampleTable table(std::vector<CPDF_Color>{color}, 16);
    AdoptObject(MakeArray(doc, Family, NameObject(doc, colorant), alternate, table.MakeObject(doc)));
}

unsigned CPDF_SeparationColorSpace::NumComponents() const { return 1; }

CPDF_Color CPDF_SeparationColorSpace::InitialColor() const {
    static const CPDF_Color fullTint(std::vector<double>{1.0});
    return fullTint;
}

bool CPDF_SeparationColorSpace::NamedColorants(std::vector<CPDF_Colorant>* out) const {
    if (out)
        out->assign(1, Colorant());
    return true;
}

GLOB_Name CPDF_SeparationColorSpace::FamilyName() const { return GLOB_Name(Family); }

std::ostream& CPDF_SeparationColorSpace::Print(std::ostream& os) const {
    os << "ColorSpace: " << Family << " [ Colorant '" << Colorant() << "'";
    return PrintAlternate(os) << " ]";
}

bool CPDF_SeparationColorSpace::IsValid(const GLOB_Object& object, std::string* messages) const {
    return IsValidColorSpace(object, messages);
}

CPDF_Colorant CPDF_SeparationColorSpace::Colorant() const { return CPDF_Colorant(Object().Get(1).AsName()); }

void CPDF_SeparationColorSpace::SetColorant(const CPDF_Colorant& colorant) {
    Object().ArrayPut(1, NameObject(Object().Doc(), colorant));
}

void CPDF_SeparationColorSpace::SetAlternateColorSpace(const CPDF_ColorSpace& alternate) {
    GLIB_ASSERT(IsValidAlternateColorSpace(alternate, nullptr));
    PutAlternate(alternate);
}

bool CPDF_SeparationColorSpace::IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!CheckArrayHead(object, Family, 4, 4, collector))
        return false;
    const GLOB_Object colorant = object.Get(1);
    if (!colorant.IsName())
        collector.Stream() << "Separation colorspace array entry 1 must be a colornat name, found "
                           << iCPDF_SyntaxOf{colorant};
    CheckAlternate(object.Get(2), "Separation colorspace has invalid alternate colorspace: ",
                   "Invalid separation alternate colorspace: ", collector);
    return collector.IsValid();
}

bool CPDF_SeparationColorSpace::IsValidAlternateColorSpace(const CPDF_ColorSpace& alternate, std::string* messages) {
    return IsValidAlternate(alternate, "Invalid separation alternate colorspace: ", messages);
}
