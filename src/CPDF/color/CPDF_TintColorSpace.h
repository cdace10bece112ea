// What Separation and DeviceN share: spaces whose components are tints of
// named colorants, painted elsewhere through an alternate space (element 2
// of the array) and a tint transform (element 3) from the tints to that
// space. Both answer NamedColorants with their names (always true, a null
// list left alone) and Colorants with the same names; neither has a base.
//
// Allowed alternates, by kind: DeviceCMYK, DeviceGray, DeviceRGB, ICCBased,
// CalGray, CalRGB, Lab. Not Separation, DeviceN, Indexed, Pattern or Null.
//
// Elements are put with GLOB_Object::ArrayPut, which copies an object of
// another back-end into the array's document first.
#pragma once

#include "CPDF/color/CPDF_ColorSpace.h"
#include "CPDF/color/CPDF_ColorSpaceCore.h"
#include "CPDF/function/CPDF_Function.h"

class iCPDF_ValidationMessage;

class CPDF_TintColorSpace : public CPDF_ColorSpaceCore {
public:
    // The space built from element 2 (1128003 when it is not one).
    CPDF_ColorSpace AlternateColorSpace() const;
    // The function built from element 3 by the function factory, of any
    // kind; CPDF_Exception 1128007 when it is not a function.
    CPDF_Function TintTransform() const;
    // Puts object at element 3 as it is; it is checked when it is built.
    void SetTintTransform(const GLOB_Object& tintTransform);

    // The colorant names (NamedColorantList).
    std::vector<CPDF_Colorant> Colorants() const override;

protected:
    CPDF_TintColorSpace() = default;
    CPDF_TintColorSpace(const CPDF_TintColorSpace& other) = default;

    // Whether the alternate's kind is allowed; else writes "<complaint><the
    // family name>".
    static bool IsValidAlternate(const CPDF_ColorSpace& alternate, const char* complaint, std::string* messages);
    // Validation of element 2: builds the space, and writes one message
    // "<prefix><the construction's text>" when that throws 1128003, or
    // "<prefix><IsValidAlternate's line>" when the kind is not allowed.
    // Other exceptions pass.
    static void CheckAlternate(const GLOB_Object& element, const char* prefix, const char* complaint,
                               iCPDF_ValidationMessage& collector);
    // A new direct array of doc: [/family colorants alternate tintTransform],
    // the alternate's object copied into doc.
    static GLOB_Object MakeArray(const GLOB_Doc& doc, const char* family, const GLOB_Object& colorants,
                                 const CPDF_ColorSpace& alternate, const GLOB_Object& tintTransform);
    // Element 2 := the alternate's object made in the array's document.
    void PutAlternate(const CPDF_ColorSpace& alternate);
    // " AlternateColorSpace " and the alternate's own print.
    std::ostream& PrintAlternate(std::ostream& os) const;
};
