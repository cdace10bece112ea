#include "CPDF/color/CPDF_PatternColorSpace.h"

#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_ObjectFactory.h"

namespace {

const char* const Family = "Pattern";

bool HasUnderlying(const GLOB_Object& object) { return object.IsArray() && object.Length() == 2; }

}  // namespace

CPDF_PatternColorSpace::CPDF_PatternColorSpace() { AdoptObject(GLOB_ObjectFactory::NewName(GLOB_Name(Family))); }

CPDF_PatternColorSpace::CPDF_PatternColorSpace(const GLOB_Object& object) { SetObject(object); }

unsigned CPDF_PatternColorSpace::NumComponents() const {
    return HasUnderlying(Object()) ? Underlying().NumComponents() : 0;
}

CPDF_Color CPDF_PatternColorSpace::InitialColor() const {
    return HasUnderlying(Object()) ? Underlying().InitialColor() : CPDF_Color(0u);
}

bool CPDF_PatternColorSpace::HasBaseColorSpace(CPDF_ColorSpace* out) const {
    if (!HasUnderlying(Object()))
        return false;
    if (out)
        *out = Underlying();
    return true;
}

GLOB_Name CPDF_PatternColorSpace::FamilyName() const { return GLOB_Name(Family); }

std::ostream& CPDF_PatternColorSpace::Print(std::ostream& os) const {
    os << "ColorSpace: " << Family;
    if (HasUnderlying(Object()))
        Underlying().Print(os << "[ ") << " ]";
    return os;
}

std::vector<CPDF_Colorant> CPDF_PatternColorSpace::Colorants() const {
    return HasUnderlying(Object()) ? Underlying().Colorants() : ProcessColorants();
}

bool CPDF_PatternColorSpace::IsValid(const GLOB_Object& object, std::string* messages) const {
    return IsValidColorSpace(object, messages);
}

void CPDF_PatternColorSpace::SetBaseColorSpace(const CPDF_ColorSpace& baseSpace) {
    GLIB_ASSERT(IsValidBaseColorSpace(baseSpace, nullptr));
    if (HasUnderlying(Object())) {
        const GLOB_Doc doc = Object().Doc();
        Object().ArrayPut(1, baseSpace.MakeObject(&doc));
        return;
    }
    const GLOB_Doc memory = GLOB_ObjectFactory::MemoryDoc();
    const GLOB_Object array = memory.NewArray(2, false);
    array.ArrayPut(0, memory.NewName(GLOB_Name(Family)));
    array.ArrayPut(1, baseSpace.MakeObject());
    AdoptObject(array);
}

bool CPDF_PatternColorSpace::IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (object.IsName()) {
        if (object.AsName() != Family)
            collector.Stream() << "Pattern colorspace name must be Pattern, found " << iCPDF_NameText{object.AsName()};
        return collector.IsValid();
    }
    if (!CheckArrayHead(object, Family, 1, 2, collector, /*orName=*/true))
        return false;
    if (object.Length() == 2) {
        std::string text;
        if (!IsValidBaseColorSpace(CPDF_ColorSpace(object.Get(1)), &text))
            collector.Stream() << "Pattern colorspace has invalid base colorspace: " << text;
    }
    return collector.IsValid();
}

bool CPDF_PatternColorSpace::IsValidBaseColorSpace(const CPDF_ColorSpace& baseSpace, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (baseSpace.FamilyName() == Family)
        collector.Stream() << "Pattern colorspace cannot have a base colorspace of type Pattern";
    return collector.IsValid();
}

CPDF_ColorSpace CPDF_PatternColorSpace::Underlying() const {
    CPDF_ColorSpace space(Object().Get(1));
    GLIB_ASSERT_CMP(space.Type(), !=, CPDF_ColorSpace::Null);
    return space;
}
