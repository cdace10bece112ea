// A colour space held by value: its kind and, constructed in place (never on
// the heap), one core of that kind's class. A space is either Null (no core)
// or holds exactly one core; copying copies the core by its kind (an Indexed
// core hands its colour table to the copy), and every change of core
// destroys the held one first, as its own class.
//
// Kinds and their classes (include a family's header to use its As…):
//   0 DeviceCMYK  CPDF_DeviceCMYKColorSpace   6 Indexed  CPDF_IndexedColorSpace
//   1 DeviceGray  CPDF_DeviceGrayColorSpace   7 CalGray  CPDF_CalGrayColorSpace
//   2 DeviceRGB   CPDF_DeviceRGBColorSpace    8 CalRGB   CPDF_CalRGBColorSpace
//   3 Separation  CPDF_SeparationColorSpace   9 Lab      CPDF_LabColorSpace
//   4 DeviceN     CPDF_DeviceNColorSpace     10 Pattern  CPDF_PatternColorSpace
//   5 ICCBased    CPDF_ICCBasedColorSpace
//
// Nesting: the constructor from an object is the one road into a space held
// inside another (an Indexed base, a Pattern's underlying space, the
// alternate of Separation, DeviceN and ICCBased), so it counts how deep such
// constructions run. Beyond MaxNesting, which an object reaching itself
// through an indirect reference always passes, it throws CPDF_Exception
// 1128003 "ColorSpaces nested more than 16 deep"; the validators that turn
// 1128003 into a message do so for this one too.
//
// Queries that need the core assert that the space is not Null (m_type !=
// Null); an As… of the wrong kind asserts the kind.
#pragma once

#include "CPDF/color/CPDF_ColorSpaceCore.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

class CPDF_DeviceCMYKColorSpace;
class CPDF_DeviceGrayColorSpace;
class CPDF_DeviceRGBColorSpace;
class CPDF_SeparationColorSpace;
class CPDF_DeviceNColorSpace;
class CPDF_ICCBasedColorSpace;
class CPDF_IndexedColorSpace;
class CPDF_CalGrayColorSpace;
class CPDF_CalRGBColorSpace;
class CPDF_LabColorSpace;
class CPDF_PatternColorSpace;

class CPDF_ColorSpace {
public:
    // The order of the family-name table.
    enum SpaceType : int32_t {
        Null = -1,
        DeviceCMYK = 0,
        DeviceGray = 1,
        DeviceRGB = 2,
        Separation = 3,
        DeviceN = 4,
        ICCBased = 5,
        Indexed = 6,
        CalGray = 7,
        CalRGB = 8,
        Lab = 9,
        Pattern = 10,
    };
    static constexpr int32_t NumTypes = 11;
    // How deep spaces may be built inside spaces (see above).
    static constexpr int32_t MaxNesting = 16;
    // Room for the largest core; the source checks that every core fits.
    static constexpr size_t CoreRoom = 8 * sizeof(void*);

    // A Null space.
    CPDF_ColorSpace();
    // The space of a Name or Array: the kind from TypeFromObject, then the
    // family's constructor, which validates. Either throws CPDF_Exception
    // 1128003 (TypeFromObject's texts, or the family validator's lines).
    explicit CPDF_ColorSpace(const GLOB_Object& object);
    // A copy of core, of the kind its family name gives.
    explicit CPDF_ColorSpace(const CPDF_ColorSpaceCore& core);
    CPDF_ColorSpace(const CPDF_ColorSpace& other);
    CPDF_ColorSpace& operator=(const CPDF_ColorSpace& other);
    ~CPDF_ColorSpace();
    // Destroys the core; the space is Null.
    void Reset();

    SpaceType Type() const { return m_type; }
    bool IsNull() const { return m_type == Null; }
    bool IsDeviceGray() const { return m_type == DeviceGray; }
    bool IsSeparation() const { return m_type == Separation; }
    bool IsDeviceN() const { return m_type == DeviceN; }
    bool IsLab() const { return m_type == Lab; }
    CPDF_ColorSpaceCore& Core();
    const CPDF_ColorSpaceCore& Core() const;

    // Copies of the core as its family's class (sharing the object).
    CPDF_DeviceCMYKColorSpace AsDeviceCMYK() const;
    CPDF_DeviceGrayColorSpace AsDeviceGray() const;
    CPDF_DeviceRGBColorSpace AsDeviceRGB() const;
    CPDF_SeparationColorSpace AsSeparation() const;
    CPDF_DeviceNColorSpace AsDeviceN() const;
    CPDF_ICCBasedColorSpace AsICCBased() const;
    // Takes over the colour table of the held core.
    CPDF_IndexedColorSpace AsIndexed() const;
    CPDF_CalGrayColorSpace AsCalGray() const;
    CPDF_CalRGBColorSpace AsCalRGB() const;
    CPDF_LabColorSpace AsLab() const;
    CPDF_PatternColorSpace AsPattern() const;

    // The core's answers.
    unsigned NumComponents() const;
    CPDF_Color InitialColor() const;
    // The base space of an Indexed or Pattern space; Null when none.
    CPDF_ColorSpace BaseColorSpace() const;
    // The names the space names itself; empty when it names none.
    std::vector<CPDF_Colorant> NamedColorants() const;
    std::vector<CPDF_Colorant> Colorants() const;
    // Position of the first equal name in NamedColorants, or -1.
    int ColorantIndex(const CPDF_Colorant& colorant) const;

    // The name "null" for a Null space (no assertion).
    GLOB_Name FamilyName() const;
    // "ColorSpace: Null" for a Null space.
    std::ostream& Print(std::ostream& os) const;
    // CPDF_ColorSpaceCore::MakeObject; a Null object for a Null space.
    GLOB_Object MakeObject(const GLOB_Doc* doc = nullptr) const;

    // The same kind, and both Null or objects deeply equal (the same object
    // first). GLOB_Object::IsDeepEqual's 1151004 passes through.
    bool operator==(const CPDF_ColorSpace& other) const;
    bool operator!=(const CPDF_ColorSpace& other) const { return !(*this == other); }

    // The device spaces over their family names in the memory document.
    static CPDF_ColorSpace MakeDeviceGray();
    static CPDF_ColorSpace MakeDeviceRGB();
    static CPDF_ColorSpace MakeDeviceCMYK();

    // The kind of a family name: exact bytes, no abbreviations. Any other
    // name throws CPDF_Exception 1128003 "Unknown ColorSpace name: <name>".
    static SpaceType TypeFromName(const GLOB_Name& name);
    // Whether TypeFromName knows name, without throwing.
    static bool IsFamilyName(const GLOB_Name& name);
    // The kind of a Name, or of an Array by its element 0. Throws
    // CPDF_Exception 1128003: "A colorspace must be an Array or Name, found
    // <type>", "ColorSpaces in array form must have length of at least 1,
    // found length 0", "ColorSpaces in array form must have a Name at index
    // 0, found <type>", or TypeFromName's text.
    static SpaceType TypeFromObject(const GLOB_Object& object);
    // The family name; "null" for Null. Asserts type < NumTypes.
    static GLOB_Name TypeName(SpaceType type);
    // Validator of any colour-space object: TypeFromObject's text as the one
    // line when it throws, else the family's IsValidColorSpace.
    static bool IsValid(const GLOB_Object& object, std::string* messages);

private:
    // Destroy the held core, then make the new one in place; the kind is set
    // once the core stands.
    void ConstructCore(SpaceType type, const GLOB_Object& object);
    void CopyCore(SpaceType type, const CPDF_ColorSpaceCore& core);
    void* Storage() { return m_storage; }

    alignas(std::max_align_t) unsigned char m_storage[CoreRoom];
    SpaceType m_type = Null;
};

std::ostream& operator<<(std::ostream& os, const CPDF_ColorSpace& space);
