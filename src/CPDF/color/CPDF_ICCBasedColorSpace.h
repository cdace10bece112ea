// The ICCBased family: colours given meaning by an embedded ICC profile,
// with an alternate space for readers that do not use it. The object is
// [/ICCBased stream]; the stream's dictionary holds "N" (1, 3 or 4
// components, required), "Alternate" (a space of N components that is not a
// Pattern space; by default DeviceGray, DeviceRGB or DeviceCMYK by N) and
// "Range" (2·N numbers, (min, max) per component; default (0, 1) each, the
// order not checked). The profile itself is never read here. For the plates
// it paints the process inks, whatever N. There is no default space.
//
// Answers: N components, initial colour all 0, Colorants the process inks,
// no names, no base (the alternate is not one). Print: "ColorSpace: ICCBased
// [ Dimension <N> Alternate: <alternate's print> Range [ ( 0, 1 ) … ] ]",
// each pair followed by a blank.
//
// IsValidColorSpace, in order (the first six stop):
//   "ICCBased colorspace must be type Array, found <type>"
//   "ICCBased colorspace array length must be 2, found <n>"
//   "ICCBased colorspace array 0 entry must be 'ICCBased', found <syntax>"
//   "ICCBased colorspace array 1 entry must be a stream, found <type>"
//   "ICCBased colorspace missing dimension."
//   "ICCBaseed colorspace dimension should be an integer, found <type>", or
//   "ICCBased colorspace invalid dimension: " and IsValidDimension's line
//   "ICCBased colorspace has invalid alternate space: " and the
//   construction's 1128003 text or IsValidAlternate's lines
//   "ICCBased Range parameter should be type Array, found <type>", "ICCBased
//   Range parameter should have length 2*Dimension = <2N>, found <n>", or
//   "ICCBased Range array entries should be numeric, at index <i> found
//   <type>" per element.
#pragma once

#include "CPDF/color/CPDF_ColorSpace.h"
#include "CPDF/color/CPDF_ColorSpaceCore.h"
#include "GLOB/GLOB_Stream.h"

#include <utility>

class CPDF_ICCBasedColorSpace : public CPDF_ColorSpaceCore {
public:
    explicit CPDF_ICCBasedColorSpace(const GLOB_Object& object);
    CPDF_ICCBasedColorSpace(const CPDF_ICCBasedColorSpace& other) = default;

    unsigned NumComponents() const override;
    CPDF_Color InitialColor() const override;
    GLOB_Name FamilyName() const override;
    std::ostream& Print(std::ostream& os) const override;
    bool IsValid(const GLOB_Object& object, std::string* messages) const override;

    // N.
    unsigned Dimension() const;
    // Whether "Alternate" is present; when it is and out is not null, *out
    // receives the space (CPDF_Exception 1128003 when it is not one).
    bool HasAlternate(CPDF_ColorSpace* out) const;
    // "Alternate", else the device space of N components. An N other than
    // 1, 3 or 4, which only a dictionary changed after validation holds,
    // throws CPDF_Exception 1128003 "Invalid ICCBased colorspace dimension:
    // <N>".
    CPDF_ColorSpace AlternateColorSpace() const;
    // Whether "Range" is present; when it is, out[i] receives pair i for
    // each i below N that the array holds (out has room for N pairs, or may
    // be null).
    bool HasRange(std::pair<double, double>* out) const;
    // Pair idx (asserted below N), read into a table of four pairs; (0, 1)
    // without "Range".
    std::pair<double, double> Range(unsigned idx) const;
    // The profile's data, decoded through the stream's filters.
    GLOB_Stream ProfileStream() const;

    static bool IsValidColorSpace(const GLOB_Object& object, std::string* messages);
    // "ICCBased colorspace dimension must be 1, 3, or 4; found <n>".
    static bool IsValidDimension(int n, std::string* messages);
    // For a space that is not Null (asserted): "ICCBased alternate
    // colorspace dimension must match space dimension. Expected <n>, found
    // <count>" and "ICCBased alternate colorspace cannot be a pattern space.
    // ", either or both.
    static bool IsValidAlternate(const CPDF_ColorSpace& alternate, int n, std::string* messages);

private:
    GLOB_Object StreamDict() const { return Object().Get(1); }
};
