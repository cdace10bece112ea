// The CalRGB family: three calibrated components. Besides the shared CIE
// keys its dictionary may hold "Gamma", three numbers at least 0 (default
// three Integers 1), and "Matrix", nine numbers (default the identity), read
// in rows of three: red's X Y Z, then green's, then blue's. The values of
// the matrix are not checked. For the plates it paints the process inks.
//
// Answers: 3 components, initial colour (0, 0, 0), Colorants the process
// inks, no names, no base. Print: "ColorSpace: CalRGB [ WhitePoint <color>
// BlackPoint <color> Gamma [ 1 1 1 ] Matrix [ <red> <green> <blue>] ]", the
// rows as CPDF_Color::Print writes them, a blank between them.
//
// IsValidColorSpace: the shared CIE check, then for a present "Gamma":
// "CalRGB Gamma must be an array, found <type>", or IsValidGamma's lines as
// one message with no prefix; for a present "Matrix": "CalRGB Matrix must be
// an array, found <type>", "CalRGB Matrix must be an array of length 9,
// found <n>", or "CalRGB Matrix entries must be numeric, at index <i> found
// <type>" per element.
#pragma once

#include "CPDF/color/CPDF_CIEColorSpaceCore.h"
#include "GLOB/GLOB_Array.h"

class CPDF_CalRGBColorSpace : public CPDF_CIEColorSpaceCore {
public:
    // The default CIE object.
    CPDF_CalRGBColorSpace();
    explicit CPDF_CalRGBColorSpace(const GLOB_Object& object);
    CPDF_CalRGBColorSpace(const CPDF_CalRGBColorSpace& other) = default;

    unsigned NumComponents() const override;
    CPDF_Color InitialColor() const override;
    GLOB_Name FamilyName() const override;
    std::ostream& Print(std::ostream& os) const override;
    bool IsValid(const GLOB_Object& object, std::string* messages) const override;

    // Whether "Gamma" is present; when it is and out is not null, *out
    // receives its elements.
    bool HasGamma(GLOB_Array* out) const;
    // The stored elements, else three Integers 1 made in the object's
    // document.
    GLOB_Array Gamma() const;
    // Whether "Matrix" is present; when it is, each row pointer that is not
    // null receives its row as a colour of three components.
    bool HasMatrix(CPDF_Color* red, CPDF_Color* green, CPDF_Color* blue) const;
    // The rows, or those of the identity; asserts that no pointer is null.
    void Matrix(CPDF_Color* red, CPDF_Color* green, CPDF_Color* blue) const;
    // Asserts IsValidGamma; stores a new direct array of the elements.
    void SetGamma(const GLOB_Array& gamma);
    // Asserts IsValidXYZColor of each row; stores nine Reals, row by row.
    void SetMatrix(const CPDF_Color& red, const CPDF_Color& green, const CPDF_Color& blue);

    static bool IsValidColorSpace(const GLOB_Object& object, std::string* messages);
    // "CalRGB gamma must be an array of length 3, found length <n>", then
    // for every element "CalRGB gamma array entries must be numeric, at
    // index <i> found type <type>" or "CalRGB gamma array entries must be
    // nonnegative. At index <i> found <value>".
    static bool IsValidGamma(const GLOB_Array& gamma, std::string* messages);
};
