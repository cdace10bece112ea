#include "CPDF/color/CPDF_DeviceColorSpace.h"

#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLOB/GLOB_ObjectFactory.h"

namespace {

const CPDF_Color& InitialColorOf(unsigned numComponents) {
    static const CPDF_Color gray(1u);
    static const CPDF_Color rgb(3u);
    static const CPDF_Color cmyk(std::vector<double>{0.0, 0.0, 0.0, 1.0});
    return numComponents == 1 ? gray : numComponents == 3 ? rgb : cmyk;
}

}  // namespace

unsigned CPDF_DeviceColorSpace::NumComponents() const { return m_family->m_numComponents; }

CPDF_Color CPDF_DeviceColorSpace::InitialColor() const { return InitialColorOf(m_family->m_numComponents); }

GLOB_Name CPDF_DeviceColorSpace::FamilyName() const { return GLOB_Name(m_family->m_name); }

std::ostream& CPDF_DeviceColorSpace::Print(std::ostream& os) const { return os << "ColorSpace: " << m_family->m_name; }

std::vector<CPDF_Colorant> CPDF_DeviceColorSpace::Colorants() const {
    static const std::vector<CPDF_Colorant> black = {CPDF_Colorant("Black")};
    return m_family->m_blackOnly ? black : ProcessColorants();
}

GLOB_Object CPDF_DeviceColorSpace::DefaultObject() const {
    return GLOB_ObjectFactory::NewName(GLOB_Name(m_family->m_name));
}

bool CPDF_DeviceColorSpace::IsValidDeviceSpace(const Family& family, const GLOB_Object& object,
                                               std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    const char* f = family.m_name;
    GLOB_Object name = object;
    if (object.IsArray()) {
        if (object.Length() != 1) {
            collector.Stream() << f << " colorspace array must be of length 1, found array of length "
                               << object.Length();
            return false;
        }
        name = object.Get(0);
    } else if (!object.IsName()) {
        collector.Stream() << f << " colorspace must be type Name or Array, found " << iCPDF_TypeOf(object);
        return false;
    }
    if (!name.IsName())
        collector.Stream() << f << " colorspace name must be " << f << ", found " << iCPDF_SyntaxOf{name};
    else if (name.AsName() != f)
        collector.Stream() << f << " colorspace name must be " << f << ", found " << iCPDF_NameText{name.AsName()};
    return collector.IsValid();
}

// ---------------------------------------------------------------- families

const CPDF_DeviceColorSpace::Family CPDF_DeviceGrayColorSpace::s_family = {"DeviceGray", 1, true};
const CPDF_DeviceColorSpace::Family CPDF_DeviceRGBColorSpace::s_family = {"DeviceRGB", 3, false};
const CPDF_DeviceColorSpace::Family CPDF_DeviceCMYKColorSpace::s_family = {"DeviceCMYK", 4, false};

CPDF_DeviceGrayColorSpace::CPDF_DeviceGrayColorSpace() : CPDF_DeviceColorSpace(s_family) {
    AdoptObject(DefaultObject());
}

CPDF_DeviceGrayColorSpace::CPDF_DeviceGrayColorSpace(const GLOB_Object& object) : CPDF_DeviceColorSpace(s_family) {
    SetObject(object);
}

bool CPDF_DeviceGrayColorSpace::IsValid(const GLOB_Object& object, std::string* messages) const {
    return IsValidColorSpace(object, messages);
}

bool CPDF_DeviceGrayColorSpace::IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
    return IsValidDeviceSpace(s_family, object, messages);
}

CPDF_DeviceRGBColorSpace::CPDF_DeviceRGBColorSpace() : CPDF_DeviceColorSpace(s_family) {
    AdoptObject(DefaultObject());
}

CPDF_DeviceRGBColorSpace::CPDF_DeviceRGBColorSpace(const GLOB_Object& object) : CPDF_DeviceColorSpace(s_family) {
    SetObject(object);
}

bool CPDF_DeviceRGBColorSpace::IsValid(const GLOB_Object& object, std::string* messages) const {
    return IsValidColorSpace(object, messages);
}

bool CPDF_DeviceRGBColorSpace::IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
    return IsValidDeviceSpace(s_family, object, messages);
}

CPDF_DeviceCMYKColorSpace::CPDF_DeviceCMYKColorSpace() : CPDF_DeviceColorSpace(s_family) {
    AdoptObject(DefaultObject());
}

CPDF_DeviceCMYKColorSpace::CPDF_DeviceCMYKColorSpace(const GLOB_Object& object) : CPDF_DeviceColorSpace(s_family) {
    SetObject(object);
}

bool CPDF_DeviceCMYKColorSpace::IsValid(const GLOB_Object& object, std::string* messages) const {
    return IsValidColorSpace(object, messages);
}

bool CPDF_DeviceCMYKColorSpace::IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
    return IsValidDeviceSpace(s_family, object, messages);
}
