// The three device families, which differ only in their counts and names:
//
//                 DeviceGray   DeviceRGB      DeviceCMYK
//   components    1            3              4
//   initial       (0)          (0, 0, 0)      (0, 0, 0, 1)
//   Colorants     Black        process inks   process inks
//
// Gray lands on the black plate only, RGB and CMYK on all four. None names a
// colorant or has a base. The object is the family name, or a one-element
// array holding it; the default object is the name, made in the memory
// document. Print writes "ColorSpace: " and the family name.
//
// The validator of family F: F " colorspace must be type Name or Array,
// found <type>" (then stops); F " colorspace array must be of length 1,
// found array of length <n>" (then stops); F " colorspace name must be " F
// ", found <name>" (for an element 0 that is not a Name, the element as
// GLOB_Object::Print writes it).
#pragma once

#include "CPDF/color/CPDF_ColorSpaceCore.h"

class CPDF_DeviceColorSpace : public CPDF_ColorSpaceCore {
public:
    unsigned NumComponents() const override;
    CPDF_Color InitialColor() const override;
    GLOB_Name FamilyName() const override;
    std::ostream& Print(std::ostream& os) const override;
    std::vector<CPDF_Colorant> Colorants() const override;
    // The family's IsValidColorSpace.
    bool IsValid(const GLOB_Object& object, std::string* messages) const override;

protected:
    // What sets one device family apart; one static row per family.
    struct Family {
        const char* m_name;
        unsigned m_numComponents;
        bool m_blackOnly;
    };

    // The default object: the family name, made in the memory document.
    explicit CPDF_DeviceColorSpace(const Family& family);
    // Validates object against the family.
    CPDF_DeviceColorSpace(const Family& family, const GLOB_Object& object);
    CPDF_DeviceColorSpace(const CPDF_DeviceColorSpace& other) = default;

    static bool IsValidDeviceSpace(const Family& family, const GLOB_Object& object, std::string* messages);

private:
    const Family* m_family;
};

class CPDF_DeviceGrayColorSpace : public CPDF_DeviceColorSpace {
public:
    CPDF_DeviceGrayColorSpace() : CPDF_DeviceColorSpace(s_family) {}
    explicit CPDF_DeviceGrayColorSpace(const GLOB_Object& object) : CPDF_DeviceColorSpace(s_family, object) {}
    CPDF_DeviceGrayColorSpace(const CPDF_DeviceGrayColorSpace& other) = default;

    static bool IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
        return IsValidDeviceSpace(s_family, object, messages);
    }

private:
    static const Family s_family;
};

class CPDF_DeviceRGBColorSpace : public CPDF_DeviceColorSpace {
public:
    CPDF_DeviceRGBColorSpace() : CPDF_DeviceColorSpace(s_family) {}
    explicit CPDF_DeviceRGBColorSpace(const GLOB_Object& object) : CPDF_DeviceColorSpace(s_family, object) {}
    CPDF_DeviceRGBColorSpace(const CPDF_DeviceRGBColorSpace& other) = default;

    static bool IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
        return IsValidDeviceSpace(s_family, object, messages);
    }

private:
    static const Family s_family;
};

class CPDF_DeviceCMYKColorSpace : public CPDF_DeviceColorSpace {
public:
    CPDF_DeviceCMYKColorSpace() : CPDF_DeviceColorSpace(s_family) {}
    explicit CPDF_DeviceCMYKColorSpace(const GLOB_Object& object) : CPDF_DeviceColorSpace(s_family, object) {}
    CPDF_DeviceCMYKColorSpace(const CPDF_DeviceCMYKColorSpace& other) = default;

    static bool IsValidColorSpace(const GLOB_Object& object, std::string* messages) {
        return IsValidDeviceSpace(s_family, object, messages);
    }

private:
    static const Family s_family;
};
