// What CalGray, CalRGB and Lab share. The object is [/Family dict]; the
// dictionary (element 1) holds every parameter and is read afresh on each
// call, so a setter called through one handle is seen by every handle of the
// object. The default object, in the memory document, is [/Family
// << /WhitePoint [1.0 1.0 1.0] >>]: valid, every other key at its default.
//
// Shared keys: "WhitePoint" (required; X, Y, Z at least 0 and Y exactly 1)
// and "BlackPoint" (default (0, 0, 0); X, Y, Z at least 0). Numbers are read
// as Integers converted or Reals; colours with CPDF_Color's constructor from
// an object. Setters assert their precondition and store a new value made
// in the dictionary's document (an array of Reals, or a Real).
//
// CheckDictionary, the first steps of each family's validator, with F the
// family name:
//   F " colorspace must be type Array, found <type>" (stops)
//   F " colorspace array length must be 2, found <n>" (stops)
//   F " colorspace array 0 entry must be '" F "', found <syntax>" (stops)
//   F " colorspace array 1 entry must be a dictionary, found <type>" (stops)
//   F " colorspace missing whitepoint.", then the check runs on the Null
//   F " colorspace has invalid whitepoint: " and IsValidWhitePoint's text, or
//     the colour's 1128002 text
//   F " colorspace has invalid blackpoint: " likewise with IsValidXYZColor.
#pragma once

#include "CPDF/color/CPDF_ColorSpaceCore.h"

#include <utility>

class iCPDF_ValidationMessage;

class CPDF_CIEColorSpaceCore : public CPDF_ColorSpaceCore {
public:
    // Throws CPDF_Exception 1128002 when absent or not a colour array.
    CPDF_Color WhitePoint() const;
    // Whether "BlackPoint" is present; when it is and out is not null, *out
    // receives it (1128002 when it is not a colour array).
    bool HasBlackPoint(CPDF_Color* out) const;
    // (0, 0, 0) when absent.
    CPDF_Color BlackPoint() const;
    // Assert IsValidWhitePoint, respectively IsValidXYZColor.
    void SetWhitePoint(const CPDF_Color& whitePoint);
    void SetBlackPoint(const CPDF_Color& blackPoint);

protected:
    // A Null object.
    CPDF_CIEColorSpaceCore() = default;
    CPDF_CIEColorSpaceCore(const CPDF_CIEColorSpaceCore& other) = default;

    static GLOB_Object DefaultObject(const char* family);
    // The steps above into collector. False when the shape stops the check
    // (the family adds nothing then); else *dict is the dictionary.
    static bool CheckDictionary(const GLOB_Object& object, const char* family, iCPDF_ValidationMessage& collector,
                                GLOB_Object* dict);

    // Element 1.
    GLOB_Object Dict() const { return Object().Get(1); }
    // "ColorSpace: <family> [ WhitePoint <color> BlackPoint <color>" for the
    // family to go on; the points are read before anything is written.
    std::ostream& PrintPoints(std::ostream& os) const;
    // Stores value made in the dictionary's document under key.
    void PutReal(const char* key, double value) const;
    void PutColor(const char* key, const CPDF_Color& value) const;
};
