// The Separation family: one tint that paints one named colorant. The object
// is [/Separation /Name alternate tintTransform]. The name is kept as
// written; "All" and "None" are ordinary names here (the ink collection and
// the separation engine set them apart with CPDF_Colorant::IsMetaColorant).
//
// Answers: 1 component, initial colour (1.0) (full tint), NamedColorants and
// Colorants the one name, no base. Print: "ColorSpace: Separation [ Colorant
// '<name>' AlternateColorSpace <alternate's print> ]".
//
// IsValidColorSpace, in order (the first three stop):
//   "Separation colorspace must be type Array, found <type>"
//   "Separation colorspace array length must be 4, found <n>"
//   "Separation colorspace array entry 0 must be 'Separation', found <syntax>"
//   "Separation colorspace array entry 1 must be a colornat name, found <syntax>"
//   "Separation colorspace has invalid alternate colorspace: " and either the
//   construction's 1128003 text or IsValidAlternateColorSpace's line.
// The tint transform is not examined: it is checked when it is built.
#pragma once

#include "CPDF/color/CPDF_TintColorSpace.h"

class CPDF_SeparationColorSpace : public CPDF_TintColorSpace {
public:
    explicit CPDF_SeparationColorSpace(const GLOB_Object& object);
    // A new direct array in tintTransform's document. Asserts an allowed
    // alternate.
    CPDF_SeparationColorSpace(const CPDF_Colorant& colorant, const CPDF_ColorSpace& alternate,
                              const GLOB_Object& tintTransform);
    // A new direct array in doc whose tint transform is a sample table (16
    // bits, written as a FunctionType 0 stream with /FlateDecode) mapping
    // tint t to t × color, clipped to [0 1] when evaluated. Asserts an
    // allowed alternate.
    CPDF_SeparationColorSpace(const GLOB_Doc& doc, const CPDF_Colorant& colorant, const CPDF_ColorSpace& alternate,
                              const CPDF_Color& color);
    CPDF_SeparationColorSpace(const CPDF_SeparationColorSpace& other) = default;

    unsigned NumComponents() const override;
    CPDF_Color InitialColor() const override;
    bool NamedColorants(std::vector<CPDF_Colorant>* out) const override;
    GLOB_Name FamilyName() const override;
    std::ostream& Print(std::ostream& os) const override;
    bool IsValid(const GLOB_Object& object, std::string* messages) const override;

    // Element 1.
    CPDF_Colorant Colorant() const;
    void SetColorant(const CPDF_Colorant& colorant);
    // Asserts an allowed alternate.
    void SetAlternateColorSpace(const CPDF_ColorSpace& alternate);

    static bool IsValidColorSpace(const GLOB_Object& object, std::string* messages);
    // "Invalid separation alternate colorspace: <family name>" for a kind
    // that is not allowed.
    static bool IsValidAlternateColorSpace(const CPDF_ColorSpace& alternate, std::string* messages);
};
