// The abstract core of the eleven colour-space families. A core keeps the
// colour-space object it was read from or built as (a Name, or an Array
// whose element 0 is the family name) and reads its parameters from that
// object on every call. CPDF_ColorSpace holds one core in place and destroys
// it as its own class.
//
// Each family class has a constructor from an object (which validates with
// the family's IsValidColorSpace and throws CPDF_Exception 1128003 with its
// lines), a copy constructor (sharing the object), a default constructor
// where the family has a meaningful default, and the virtual operations
// below. Cores are copied, never assigned.
//
// Ink answers: NamedColorants is what a space names itself (Separation and
// DeviceN; Indexed and Pattern through their base); Colorants is what
// painting in the space puts on the plates.
#pragma once

#include "CPDF/color/CPDF_Color.h"
#include "CPDF/color/CPDF_Colorant.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class CPDF_ColorSpace;
class iCPDF_ValidationMessage;

class CPDF_ColorSpaceCore {
public:
    virtual ~CPDF_ColorSpaceCore();
    CPDF_ColorSpaceCore& operator=(const CPDF_ColorSpaceCore&) = delete;

    virtual unsigned NumComponents() const = 0;
    // The colour a colour-setting operator for this space starts from.
    virtual CPDF_Color InitialColor() const = 0;
    // Whether the space has a base (Indexed) or underlying (Pattern) space;
    // when it has and out is not null, *out receives it. Default: false,
    // out untouched.
    virtual bool HasBaseColorSpace(CPDF_ColorSpace* out) const;
    // Whether the space names colorants itself; when it does and out is not
    // null, *out is replaced by the names. Default: the base space's answer,
    // else false.
    virtual bool NamedColorants(std::vector<CPDF_Colorant>* out) const;
    virtual GLOB_Name FamilyName() const = 0;
    // One line, starting "ColorSpace: " and the family name.
    virtual std::ostream& Print(std::ostream& os) const = 0;
    // The inks painting in this space lands on. Default: the process inks.
    virtual std::vector<CPDF_Colorant> Colorants() const;
    // The family's IsValidColorSpace.
    virtual bool IsValid(const GLOB_Object& object, std::string* messages) const = 0;

    // The colour-space object (shared with every copy of the core).
    const GLOB_Object& Object() const { return m_object; }
    // A forced copy of the object made in doc (even when it belongs there),
    // or the object's handle when doc is null.
    GLOB_Object MakeObject(const GLOB_Doc* doc) const;
    // HasBaseColorSpace into a Null space.
    CPDF_ColorSpace BaseColorSpace() const;
    // NamedColorants into an empty list.
    std::vector<CPDF_Colorant> NamedColorantList() const;

    // "Cyan", "Magenta", "Yellow", "Black", made on first use.
    static const std::vector<CPDF_Colorant>& ProcessColorants();

    // Validators (iCPDF_ValidationMessage convention) of colours of the CIE
    // families. XYZ: "Color in XYZ space should have 3 components, found
    // <n>", then "Color in XYZ space should have nonnegative values, in
    // component <i> found <value>" for each negative one. White point: the
    // XYZ check (its lines stand alone), then "White point color in XYZ space
    // should have Y = 1, found <Y>".
    static bool IsValidXYZColor(const CPDF_Color& color, std::string* messages);
    static bool IsValidWhitePoint(const CPDF_Color& color, std::string* messages);

protected:
    // A Null object of the memory document.
    CPDF_ColorSpaceCore();
    CPDF_ColorSpaceCore(const CPDF_ColorSpaceCore& other) = default;

    // Validates object with the virtual IsValid and stores it; an invalid
    // object throws CPDF_Exception 1128003 with the validator's lines. A
    // family's constructor from an object calls it (the base's constructor
    // cannot reach the family's validator).
    void SetObject(const GLOB_Object& object);
    // Stores object without validation, for objects the family built itself.
    void AdoptObject(const GLOB_Object& object) { m_object = object; }

    // The first steps of the validator of an array family F, each of which
    // stops it: F " colorspace must be type Array, found <type>" ("type Name
    // or Array" when orName); F " colorspace array length must be <n>, found
    // <length>" ("<n> or <n + 1>" when maxLength is one more); F "
    // colorspace array entry 0 must be '" F "', found <syntax>".
    static bool CheckArrayHead(const GLOB_Object& object, const char* family, uint32_t minLength,
                               uint32_t maxLength, iCPDF_ValidationMessage& collector, bool orName = false);

private:
    GLOB_Object m_object;
};
