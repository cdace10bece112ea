// The Pattern family: painting with tiling patterns and shadings. The object
// is the name Pattern, [/Pattern], or [/Pattern underlying] for uncoloured
// tiling patterns, whose colour operators also supply components of the
// underlying space. That space is the base of the core interface, read from
// element 1 whenever it is needed, and the space answers through it:
//
//                    with an underlying space        without one
//   NumComponents    the underlying space's          0
//   InitialColor     the underlying space's          a colour of no components
//   NamedColorants   the underlying space's          false
//   Colorants        the underlying space's          the process inks
//   Print            "ColorSpace: Pattern[ <underlying's print> ]"  "ColorSpace: Pattern"
//
// IsValidColorSpace, in order:
//   a Name: "Pattern colorspace name must be Pattern, found <name>";
//   "Pattern colorspace must be type Name or Array, found <type>" (stops);
//   "Pattern colorspace array length must be 1 or 2, found <n>" (stops);
//   "Pattern colorspace array entry 0 must be 'Pattern', found <syntax>"
//   (stops);
//   with two elements, element 1 is built as a space with no handler
//   around it, so a malformed one makes the validator itself throw its
//   CPDF_Exception 1128003; a Pattern one gives "Pattern colorspace has
//   invalid base colorspace: " and IsValidBaseColorSpace's line.
#pragma once

#include "CPDF/color/CPDF_ColorSpace.h"
#include "CPDF/color/CPDF_ColorSpaceCore.h"

class CPDF_PatternColorSpace : public CPDF_ColorSpaceCore {
public:
    // The name Pattern, made in the memory document.
    CPDF_PatternColorSpace();
    explicit CPDF_PatternColorSpace(const GLOB_Object& object);
    CPDF_PatternColorSpace(const CPDF_PatternColorSpace& other) = default;

    unsigned NumComponents() const override;
    CPDF_Color InitialColor() const override;
    // True exactly for a two-element array.
    bool HasBaseColorSpace(CPDF_ColorSpace* out) const override;
    GLOB_Name FamilyName() const override;
    std::ostream& Print(std::ostream& os) const override;
    std::vector<CPDF_Colorant> Colorants() const override;
    bool IsValid(const GLOB_Object& object, std::string* messages) const override;

    // Asserts IsValidBaseColorSpace. Element 1 of a two-element array :=
    // the space's object made in the array's document; any other object is
    // replaced by a new direct array of the memory document.
    void SetBaseColorSpace(const CPDF_ColorSpace& baseSpace);

    static bool IsValidColorSpace(const GLOB_Object& object, std::string* messages);
    // "Pattern colorspace cannot have a base colorspace of type Pattern".
    static bool IsValidBaseColorSpace(const CPDF_ColorSpace& baseSpace, std::string* messages);

private:
    // The underlying space; asserts that there is one.
    CPDF_ColorSpace Underlying() const;
};
