#include "CPDF/color/CPDF_DeviceNColorSpace.h"

#include "CPDF/function/CPDF_SampleTable.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"

#include <set>
#include <string>
#include <utility>

namespace {

const char* const Family = "DeviceN";

}  // namespace

CPDF_DeviceNColorSpace::CPDF_DeviceNColorSpace(const GLOB_Object& object) { SetObject(object); }

CPDF_DeviceNColorSpace::CPDF_DeviceNColorSpace(const std::vector<CPDF_Colorant>& colorants,
                                               const CPDF_ColorSpace& alternate, const GLOB_Object& tintTransform) {
    GLIB_ASSERT(IsValidAlternateColorSpace(alternate, nullptr));
    const GLOB_Doc doc = tintTransform.Doc();
    AdoptObject(MakeArray(doc, Family, MakeColorantArray(doc, colorants), alternate, tintTransform));
}

CPDF_DeviceNColorSpace::CPDF_DeviceNColorSpace(const GLOB_Doc& doc, const std::vector<CPDF_Colorant>& colorants,
                                               const CPDF_ColorSpace& alternate,
                                               const std::vector<CPDF_Color>& colors) {
    GLIB_ASSERT(IsValidAlternateColorSpace(alternate, nullptr));
    GLIB_ASSERT_CMP(colorants.size(), ==, colors.size());
    if (colors.size() > CPDF_SampleTable::MaxEvaluatedDimension)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidFunctionCode,
                   "CPDF_DeviceNColorSpace: " << colors.size() << " colorants, more than "
                                              << CPDF_SampleTable::MaxEvaluatedDimension
                                              << " for a sampled tint transform");
    const CPDF_SampleTable table(colors, 16);
    AdoptObject(MakeArray(doc, Family, MakeColorantArray(doc, colorants), alternate, table.MakeObject(doc)));
}

unsigned CPDF_DeviceNColorSpace::NumComponents() const { return Object().Get(1).Length(); }

CPDF_Color CPDF_DeviceNColorSpace::InitialColor() const {
    CPDF_Color fullTints(NumComponents());
    for (unsigned i = 0; i < fullTints.NumComponents(); ++i)
        fullTints.SetComponent(i, 1.0);
    return fullTints;
}

bool CPDF_DeviceNColorSpace::NamedColorants(std::vector<CPDF_Colorant>* out) const {
    if (!out)
        return true;
    const GLOB_Object names = Object().Get(1);
    const uint32_t n = names.Length();
    out->clear();
    for (uint32_t i = 0; i < n; ++i)
        out->push_back(CPDF_Colorant(names.Get(i).AsName()));
    return true;
}

GLOB_Name CPDF_DeviceNColorSpace::FamilyName() const { return GLOB_Name(Family); }

std::ostream& CPDF_DeviceNColorSpace::Print(std::ostream& os) const {
    os << "ColorSpace: " << Family << " [ Colorants ( ";
    for (const CPDF_Colorant& name : NamedColorantList())
        os << "'" << name << "' ";
    os << ") ";
    return PrintAlternate(os) << " ]";
}

bool CPDF_DeviceNColorSpace::IsValid(const GLOB_Object& object, std::string* messages) const {
    return IsValidColorSpace(object, messages);
}

void CPDF_DeviceNColorSpace::SetColorants(const std::vector<CPDF_Colorant>& colorants) {
    GLIB_ASSERT(IsValidColorantArray(colorants, nullptr));
    Object().ArrayPut(1, MakeColorantArray(Object().Doc(), colorants));
}

bool CPDF_DeviceNColorSpace::IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!CheckArrayHead(object, Family, 4, 5, collector))
        return false;
    const GLOB_Object names = object.Get(1);
    if (!names.IsArray()) {
        collector.Stream() << "DeviceN colorspace array entry 1 must be an array, found " << iCPDF_SyntaxOf{names};
    } else if (names.Length() >= ColorantLimit) {
        collector.Stream() << "DeviceN colorspace has " << names.Length() << " colorants, at most "
                           << ColorantLimit - 1 << " are supported";
    } else {
        std::vector<CPDF_Colorant> gathered;
        for (uint32_t i = 0; i < names.Length(); ++i) {
            const GLOB_Object name = names.Get(i);
            if (name.IsName())
                gathered.push_back(CPDF_Colorant(name.AsName()));
            else
                collector.Stream() << "DeviceN colorspace colorant vector must contain names, "
                                   << "at index " << i << " found " << iCPDF_TypeOf(name);
        }
        std::string repeats;
        if (!IsValidColorantArray(gathered, &repeats))
            collector.Stream() << repeats;
    }
    CheckAlternate(object.Get(2), "DeviceN colorspace has invalid alternate colorspace: ",
                   "Invalid DeviceN alternate colorspace: ", collector);
    return collector.IsValid();
}

bool CPDF_DeviceNColorSpace::IsValidAlternateColorSpace(const CPDF_ColorSpace& alternate, std::string* messages) {
    return IsValidAlternate(alternate, "Invalid DeviceN alternate colorspace: ", messages);
}

bool CPDF_DeviceNColorSpace::IsValidColorantArray(const std::vector<CPDF_Colorant>& colorants,
                                                  std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    // Keyed by whether the name has text, then the text: a document may
    // hold any number of names.
    std::set<std::pair<bool, std::string>> seen;
    for (const CPDF_Colorant& name : colorants) {
        if (name.Name() == "None")
            continue;
        if (!seen.emplace(name.CStr() != nullptr, name.CStr() ? name.CStr() : "").second)
            collector.Stream() << "Colorant array contains repeated entry " << name;
    }
    return collector.IsValid();
}

GLOB_Object CPDF_DeviceNColorSpace::MakeColorantArray(const GLOB_Doc& doc,
                                                      const std::vector<CPDF_Colorant>& colorants) {
    const GLOB_Object array = doc.NewArray(static_cast<uint32_t>(colorants.size()), false);
    for (uint32_t i = 0; i < colorants.size(); ++i)
        array.ArrayPut(i, doc.NewName(colorants[i].Name()));
    return array;
}
