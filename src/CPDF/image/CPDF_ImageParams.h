// The parameters that describe an image's samples: "Width", "Height",
// "BitsPerComponent", "ImageMask", "ColorSpace", "Decode", "Intent",
// "Interpolate" and "Mask", read from an image XObject's dictionary or an
// inline image's.
//
// Parameters start either as a view (the constructor from an object: every
// read goes to that dictionary) or private (every other constructor: a
// GLOB_Dict of their own). The first change makes a view private for good,
// carrying over the nine keys above and nothing else, so the dictionary a
// view was read from is never changed. Copies of private parameters share
// their dictionary until one of them changes. Setters write direct objects
// of the memory document; a colour space is copied there.
//
// A key holding null is absent (ISO 32000 7.3.9), for every read and check.
//
// The getters of required keys assume valid parameters: ones that passed
// IsValid or were built by the setters. Setters assert their preconditions;
// callers validate first.
//
// Validation messages (iCPDF_ValidationMessage convention), in this order:
//   "Image parameters must be a Dictionary, found <type>" (then stops)
//   "Image parameters missing width." / "Image width must be an Integer,
//     found <type>" / "Image width must be non-negative, found <n>"
//   the same three for height
//   "Image parameters missing BitsPerComponent." (not for a JPX image, whose
//     data give it, nor for a stencil mask,
//     whose samples are 1 bit) / "Image BitsPerComponent must be an
//     Integer, found <type>" / IsValidBitsPerComponent's line
//   "Imagemask flag must be Boolean, found <type>"
//   without "ColorSpace": nothing for a stencil mask; "Image parameters
//     missing ColorSpace key and specifies ImageMask is 'false'.  Either
//     ColorSpace must be present or ImageMask must be 'true'." when
//     "ImageMask" is false; "Image parameters missing both ColorSpace and
//     ImageMask keys.One of these keys must be present." otherwise
//   with "ColorSpace": "Image has invalid colorspace: <its lines>"; for a
//     stencil mask "Image parameters specify a ColorSpace and set ImageMask
//     flag to 'true'.  These settings are mutually exclusive"
//   "Image has bad decode array: <its lines>", or with IsValidDecodeArray's
//     line when its pairs do not fit a valid colour space (not for masks)
//   "Image render intent must be a Name, found <type>"
//   "Image interpolate flag must be a Boolean, found <type>"
// "Mask" is checked by CPDF_Image.
#pragma once

#include "CPDF/color/CPDF_ColorSpace.h"
#include "CPDF/function/CPDF_DecodeArray.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>
#include <string>

class CPDF_ImageParams {
public:
    enum RenderIntent : int32_t {
        AbsoluteColorimetric = 0,
        RelativeColorimetric = 1,
        Perceptual = 2,
        Saturation = 3,
        Other = 4,  // any other name; it has no name of its own
    };

    // Private: 1 × 1, 1 bit, DeviceGray.
    CPDF_ImageParams();
    // Private, through SetBitsPerComponent and SetColorSpace.
    CPDF_ImageParams(int width, int height, int bitsPerComponent, const CPDF_ColorSpace& colorSpace);
    // A view of dict. Both this and the next throw CPDF_Exception 1128008
    // with the lines of IsValid.
    explicit CPDF_ImageParams(const GLOB_Object& dict);
    // Private, sharing dict.
    explicit CPDF_ImageParams(const GLOB_Dict& dict);

    int Width() const;
    int Height() const;
    // 1 for a stencil mask that does not say.
    int BitsPerComponent() const;
    // "ImageMask" is the Boolean true.
    bool IsImageMask() const;
    // Not for a stencil mask (asserted).
    CPDF_ColorSpace ColorSpace() const;
    // 1 for a stencil mask, else the colour space's.
    unsigned NumComponents() const;
    // "Decode", else the default: [0 1] for a stencil mask; else [0 1] per
    // component, except the ICC space's Range, [0 N-1] for an Indexed table
    // of N entries, and [0 1 a* b*] for Lab with its ranges. A Pattern space
    // has none: CPDF_Exception 1128008 "Encountered Invalid image
    // colorspace: <the space printed>".
    CPDF_DecodeArray DecodeArray() const;
    // "Intent", else RelativeColorimetric.
    GLOB_Name IntentName() const;
    RenderIntent Intent() const;
    // "Interpolate" is the Boolean true.
    bool Interpolate() const;
    // The value under key; Null when absent.
    GLOB_Object Value(const char* key) const;
    // Whether key is present; its value goes to out when out is not null.
    bool Lookup(const char* key, GLOB_Object* out = nullptr) const;

    // Each makes the parameters private first.
    void SetWidth(int width);
    void SetHeight(int height);
    // 1 for a stencil mask, else 1, 2, 4 or 8 (asserted).
    void SetBitsPerComponent(int bitsPerComponent);
    // Not for a stencil mask; a present "Decode" must fit the new space
    // (asserted).
    void SetColorSpace(const CPDF_ColorSpace& colorSpace);
    // Must fit the colour space unless a stencil mask (asserted).
    void SetDecodeArray(const CPDF_DecodeArray& decodeArray);
    // decode must fit colorSpace (asserted); writes both.
    void SetColorSpaceAndDecodeArray(const CPDF_ColorSpace& colorSpace, const CPDF_DecodeArray& decode);
    // Other, having no name, removes "Intent": readers use
    // RelativeColorimetric for a name they do not know (ISO 32000 8.6.5.8).
    void SetIntent(RenderIntent intent);
    void SetIntent(const GLOB_Name& intent);
    void SetInterpolate(bool interpolate);
    // true: removes "ColorSpace" and "Mask", BitsPerComponent 1, "ImageMask"
    // true (nothing when already a stencil mask). false: removes "ImageMask",
    // then supplies ColorSpace DeviceGray and BitsPerComponent 1 where
    // absent.
    void SetImageMask(bool imageMask);
    // Raw write and removal of any key.
    void Put(const char* key, const GLOB_Object& value);
    void Remove(const char* key);

    // Writes the parameters into dict (asserted a Dict), as objects of its
    // document: "Width", "Height", "BitsPerComponent", then for a stencil
    // mask "ImageMask" true without "ColorSpace" and "Mask", else
    // "ColorSpace" and "Mask" (removed when absent) without "ImageMask";
    // "Decode", "Intent", "Interpolate" when present, else removed. Other
    // keys are left alone.
    void WriteDict(const GLOB_Object& dict) const;

    static bool IsValid(const GLOB_Object& dict, std::string* messages);
    // 1, 2, 4 or 8; else "Image bits per component must be 1, 2, 4, or 8.
    // Found <n>".
    static bool IsValidBitsPerComponent(int bitsPerComponent, std::string* messages);
    // As many pairs as colorSpace (not Null: asserted) has components; else
    // "Image decode arrray dimension (<pairs>) must match colorspace
    // dimension (<components>)".
    static bool IsValidDecodeArray(const CPDF_DecodeArray& decodeArray, const CPDF_ColorSpace& colorSpace,
                                   std::string* messages);
    // Exact bytes of the four names; Other for any other.
    static RenderIntent RenderIntentFromName(const GLOB_Name& name);
    // The name of AbsoluteColorimetric to Saturation. Other throws
    // CPDF_Exception 1128008 "Attempted to convert render intent type
    // 'Other' to a name", any other value "Illegal enumeration value
    // (CPDF_ImageParams::RenderIntent): <value>".
    static GLOB_Name RenderIntentName(RenderIntent intent);

private:
    // Turns a view into private parameters; nothing when already private.
    void MakePrivate();
    // MakePrivate, then stores value under key.
    void PutPrivate(const char* key, const GLOB_Object& value);

    // The dictionary of a view; Null when private.
    GLOB_Object m_dictObject;
    // The parameters when private; empty for a view.
    GLOB_Dict m_privateDict;
};
