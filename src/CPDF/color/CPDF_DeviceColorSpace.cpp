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

CPDF_DeviceColorSpace::CPDF_DeviceColorSpace(const Family& family) : m_family(&family) {
    AdoptObject(GLOB_ObjectFactory::NewName(GLOB_Name(family.m_name)));
}

CPDF_DeviceColorSpace::CPDF_DeviceColorSpace(const Family& family, const GLOB_Object& object) : m_family(&family) {
    SetObject(object);
}

unsigned CPDF_DeviceColorSpace::NumComponents() const { return m_family->m_numComponents; }

CPDF_Color CPDF_DeviceColorSpace::InitialColor() const { return InitialColorOf(m_family->m_numComponents); }

GLOB_Name CPDF_DeviceColorSpace::FamilyName() const { return GLOB_Name(m_family->m_name); }

std::ostream& CPDF_DeviceColorSpace::Print(std::ostream& os) const { return os << "ColorSpace: " << m_family->m_name; }

std::vector<CPDF_Colorant> CPDF_DeviceColorSpace::Colorants() const {
    static const std::vector<CPDF_Colorant> black = {CPDF_Colorant("Black")};
    return m_family->m_blackOnly ? black : ProcessColorants();
}

bool CPDF_DeviceColorSpace::IsValid(const GLOB_Object& object, std::string* messages) const {
    return IsValidDeviceSpace(*m_family, object, messages);
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
