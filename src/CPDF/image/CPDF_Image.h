// A view of an image XObject: a stream whose dictionary holds the image
// parameters (CPDF_ImageParams), its filters, its mask and its alternates.
// A value handle: copies share the stream, and a change through any copy
// changes the one stream dictionary of the document.
//
// An image is masked in one of four ways (MaskType): not at all, by being a
// stencil mask itself ("ImageMask" true), by position through a stencil-mask
// image under "Mask", or by colour through a colour-key array under "Mask"
// (ranges of sample values that are not painted). A "Mask" holding null is
// absent.
//
// Validation messages (iCPDF_ValidationMessage convention), in this order:
//   "Images should be type Stream, found type <type>" (then stops)
//   "Image Type/Subtype entries should be XObject/Image, not <Type>/<Subtype>"
//     (each printed, null when absent) when either key is there and they are
//     not XObject/Image, or Image without "Type"
//   "Invalid Image Parameters: \n<their lines>"; later checks then use the
//     default parameters
//   for a Stream "Mask": "Image has invalid position mask: \n" and the
//     lines of the mask image or of IsValidPositionMask
//   for an Array "Mask": "Image has invalid color mask \n" and the lines of
//     IsValidColorMask, when the parameters are valid
//   for any other "Mask": "Image has invalid Mask entry type. Expected Array
//     or Stream, found: <type>"
//   "Image masks nested more than 16 deep", for masks of masks that go on
//     (an image that is its own mask)
#pragma once

#include "CPDF/image/CPDF_ImageParams.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"

#include <cstdint>
#include <string>

class CPDF_Image {
public:
    enum MaskKind : int32_t {
        NoMask = 0,
        StencilMask = 1,
        MaskByPosition = 2,
        MaskByColor = 3,
    };
    // How deep IsValidImage follows masks of masks.
    static constexpr int32_t MaxMaskNesting = 16;

    // A Null image.
    CPDF_Image() = default;
    // Throws CPDF_Exception 1128008 "Invalid Image object " and the lines of
    // IsValidImage.
    explicit CPDF_Image(const GLOB_Object& image);
    // Makes stream an image of params (MakeImageDict).
    CPDF_Image(const CPDF_ImageParams& params, const GLOB_Object& stream, bool noTypeKeys);
    // A new stream of doc read from source to its end (GLOB_Doc::NewStream
    // with streamFlag: 0 raw bytes the back-end encodes by attrDict's
    // "Filter", 1 bytes stored as given), made an image of params.
    CPDF_Image(GLOB_Doc* doc, const GLOB_Stream& source, const CPDF_ImageParams& params, const GLOB_Object& attrDict,
               bool noTypeKeys, const GLOB_Object& encodeParams, int streamFlag);

    const GLOB_Object& Object() const { return m_image; }
    // A view of the stream's dictionary; CPDF_Exception 1128008 when the
    // parameters are invalid.
    CPDF_ImageParams ImageParams() const;
    // A "Mask" of another kind, which only a dictionary changed after
    // validation holds, throws CPDF_Exception 1128008 "Encountered invalid
    // image mask : <value printed>".
    MaskKind MaskType() const;
    // The "Mask" array; MaskType must be MaskByColor (asserted).
    GLOB_Object ColorMask() const;
    // The "Mask" image, validated; MaskType must be MaskByPosition
    // (asserted).
    CPDF_Image PositionMask() const;
    // The value under key of the stream's dictionary; Null when absent.
    GLOB_Object Entry(const char* key) const;
    GLOB_Object Filter() const { return Entry("Filter"); }
    GLOB_Object DecodeParms() const { return Entry("DecodeParms"); }
    GLOB_Object Alternates() const { return Entry("Alternates"); }
    GLOB_Object OPI() const { return Entry("OPI"); }
    GLOB_Object ViewAlternate() const { return Entry("VELM_ViewAlternate"); }
    // The stream's data (GLOB_Object::OpenStream: 0 raw, 1 not decoded, 2
    // decoded), announced to the document's observers.
    GLOB_Stream OpenStream(int32_t openFlags) const;

    // A present mask must stay valid for params (asserted); then
    // MakeImageDict.
    void SetImageParams(const CPDF_ImageParams& params, bool noTypeKeys);
    // colorMask must be valid for the parameters (asserted); a copy made in
    // the image's document goes under "Mask".
    void SetColorMask(const GLOB_Object& colorMask);
    // image must be valid for the parameters (asserted); its stream goes
    // under "Mask", copied in when of another document.
    void SetPositionMask(const CPDF_Image& image);
    // Copies made in the image's document under "Alternates" and
    // "VELM_ViewAlternate".
    void SetAlternates(const GLOB_Object& alternates);
    void SetViewAlternate(const GLOB_Object& viewAlternate);
    void RemoveEntry(const char* key);
    // Writes params into the stream's dictionary (CPDF_ImageParams::
    // WriteDict); then "Type" /XObject and "Subtype" /Image, or with
    // noTypeKeys neither key.
    void MakeImageDict(const CPDF_ImageParams& params, bool noTypeKeys);

    static bool IsValidImage(const GLOB_Object& image, std::string* messages);
    // "Image color masks must be of type Array.  Found: <type>" (then
    // stops); "Imagemasks are not allowed to have a color mask." (then
    // stops); "Color mask length (<n>) is not twice the image colorspace
    // dimension (<2 × components>)"; "Color mask array entries must be
    // integers.  (found <type> at <index>)" for each other element. The
    // values are not compared with the sample range.
    static bool IsValidColorMask(const GLOB_Object& colorMask, const CPDF_ImageParams& params, std::string* messages);
    // "Incompatible image masking types. Position masks are not allowed for
    // imagemasks." for a stencil-mask image; "A position mask must be an
    // imagemask. Encountered coloured position mask." for a mask image that
    // is not a stencil mask.
    static bool IsValidPositionMask(const CPDF_Image& mask, const CPDF_ImageParams& params, std::string* messages);

private:
    GLOB_Object m_image;
};
