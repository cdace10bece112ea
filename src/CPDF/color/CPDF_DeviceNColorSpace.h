// The DeviceN family: one tint per named colorant. The object is [/DeviceN
// [names] alternate tintTransform] with an optional fifth element
// (attributes), which nothing reads. Names are kept as written, in order;
// "None" may repeat, every other name appears once; "All" is an ordinary
// name here.
//
// Answers: as many components as names (nothing compares the count with the
// alternate or the tint transform), initial colour all 1.0, NamedColorants
// and Colorants the names in order, no base. Print: "ColorSpace: DeviceN [
// Colorants ( 'A' 'B' )  AlternateColorSpace <alternate's print> ]".
//
// IsValidColorSpace, in order (the first three stop):
//   "DeviceN colorspace must be type Array, found <type>"
//   "DeviceN colorspace array length must be 4 or 5, found <n>"
//   "DeviceN colorspace array entry 0 must be 'DeviceN', found <syntax>"
//   "DeviceN colorspace array entry 1 must be an array, found <syntax>", or
//   "DeviceN colorspace has <n> colorants, at most <ColorantLimit - 1> are
//   supported" (the names are not read), or
//   "DeviceN colorspace colorant vector must contain names, at index <i>
//   found <type>" per element, then IsValidColorantArray's lines as one
//   message over the names gathered;
//   "DeviceN colorspace has invalid alternate colorspace: " and either the
//   construction's 1128003 text or IsValidAlternateColorSpace's line.
#pragma once

#include "CPDF/color/CPDF_TintColorSpace.h"

class CPDF_DeviceNColorSpace : public CPDF_TintColorSpace {
public:
    // Spaces of this many colorants or more are refused: ink recipes
    // evaluate tint transforms of fewer inputs, and every colorant costs
    // each image, shading and plate of the page a slice.
    static constexpr unsigned ColorantLimit = 32;

    explicit CPDF_DeviceNColorSpace(const GLOB_Object& object);
    // A new direct array in tintTransform's document. Asserts an allowed
    // alternate.
    CPDF_DeviceNColorSpace(const std::vector<CPDF_Colorant>& colorants, const CPDF_ColorSpace& alternate,
                           const GLOB_Object& tintTransform);
    // A new direct array in doc whose tint transform is a sample table (16
    // bits, a FunctionType 0 stream with /FlateDecode) holding at each of the
    // 2^k corners the sum of the colours of the colorants at full tint there,
    // so that tints t_i give Σ t_i × colors[i], clipped to [0 1] when
    // evaluated. Asserts one colour per name and an allowed alternate. More
    // than CPDF_SampleTable::MaxEvaluatedDimension colorants throw
    // CPDF_Exception 1128007: the table would be refused when evaluated, and
    // its 2^k corners would not fit in memory long before the table's own
    // limit.
    CPDF_DeviceNColorSpace(const GLOB_Doc& doc, const std::vector<CPDF_Colorant>& colorants,
                           const CPDF_ColorSpace& alternate, const std::vector<CPDF_Color>& colors);
    CPDF_DeviceNColorSpace(const CPDF_DeviceNColorSpace& other) = default;

    unsigned NumComponents() const override;
    CPDF_Color InitialColor() const override;
    bool NamedColorants(std::vector<CPDF_Colorant>* out) const override;
    GLOB_Name FamilyName() const override;
    std::ostream& Print(std::ostream& os) const override;
    bool IsValid(const GLOB_Object& object, std::string* messages) const override;

    // Asserts IsValidColorantArray; element 1 := a new colorant array.
    void SetColorants(const std::vector<CPDF_Colorant>& colorants);

    static bool IsValidColorSpace(const GLOB_Object& object, std::string* messages);
    // "Invalid DeviceN alternate colorspace: <family name>" for a kind that
    // is not allowed.
    static bool IsValidAlternateColorSpace(const CPDF_ColorSpace& alternate, std::string* messages);
    // "Colorant array contains repeated entry <name>" for each repetition of
    // a name other than "None" (an empty name counts as a name).
    static bool IsValidColorantArray(const std::vector<CPDF_Colorant>& colorants, std::string* messages);
    // A new direct array of doc of one new Name per colorant, in order.
    static GLOB_Object MakeColorantArray(const GLOB_Doc& doc, const std::vector<CPDF_Colorant>& colorants);
};
