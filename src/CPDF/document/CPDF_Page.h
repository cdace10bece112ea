// A view of one PDF page dictionary: its boxes, rotation, contents,
// resources, annotations, separation information and the private keys
// "VELM_Orientation" and "VELM_ScaleFactor". Copies share the dictionary;
// every getter reads it afresh and every setter stores into it (PutPath, so a
// value of another document is copied in) new direct objects of the page's
// own document.
//
// Inherited entries ("MediaBox", "CropBox", "Rotate", "Resources") are taken
// from the page when it holds the key, whatever the value, else from the
// nearest ancestor up the "Parent" chain that holds it. A chain that stops at
// a non-Dict ends the lookup; one that loops, or climbs past
// GLOB_Object::MaxNesting ancestors, ends it as if the key were absent.
//
// Box arrays are [llx lly urx ury]: exactly four Integers or Reals, read and
// written in that order without normalising the corners.
//
// Failures throw CPDF_Exception 1128004:
//   "Page object must be a dictionary, found <type name>"
//   "Page missing media box" (absent or invalid, for every box falling back)
//   "Page missing resource dictionary."
//   "Resource dictionary must be a dictionary, found <object text>"
//   "Page rotation must be an integer, found <object text>"
//   "Invalid page rotation found: <rotation modulo 360>"
//   "Page orientation must be an integer, found <object text>"
//   "Annotations must be in an array, found <object text>"
// Any other absent or malformed entry gives its fallback silently.
#pragma once

#include "CPDF/document/CPDF_ResourcesDict.h"
#include "GLIB/GLIB_Geometry.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>
#include <utility>

class CPDF_Page {
public:
    // A Null page, usable only once assigned.
    CPDF_Page() = default;
    // page must be a Dict.
    explicit CPDF_Page(const GLOB_Object& page);

    const GLOB_Object& Object() const { return m_page; }

    // Boxes. MediaBox: the inherited "MediaBox". CropBox: the inherited
    // "CropBox" when valid, else the media box; a page's own invalid entry
    // hides a valid one of its parent. ArtBox, BleedBox, TrimBox: the page's
    // own entry when valid, else as CropBox (an ancestor's is not used).
    GLIB_Rect MediaBox() const;
    GLIB_Rect CropBox() const;
    GLIB_Rect ArtBox() const;
    GLIB_Rect BleedBox() const;
    GLIB_Rect TrimBox() const;
    // Whether the page itself holds a valid box under key (rect not null,
    // written then).
    bool OwnBox(const char* key, GLIB_Rect* rect) const;
    // Whether the inherited entry under key is a valid box; rect may be null.
    bool InheritedBox(const char* key, GLIB_Rect* rect) const;
    // The inherited lookup; value (may be null) receives what is found.
    bool InheritedAttribute(const char* key, GLOB_Object* value) const;
    // A box array; rect may be null. The first bad element ends the read with
    // false, leaving the corners read so far written.
    static bool RectFromArray(const GLOB_Object& array, GLIB_Rect* rect);
    // An Array of exactly two Reals (an Integer does not do); pair[0] and
    // pair[1] as RectFromArray writes its corners.
    static bool PairFromArray(const GLOB_Object& array, double* pair);
    // Stores a new array of four Reals under key ("ArtBox", "BleedBox",
    // "CropBox", "TrimBox").
    void SetBox(const char* key, const GLIB_Rect& rect);

    // The inherited "Rotate" (0 when absent), an Integer taken modulo 360
    // into 0..359: 0, 90, 180 or 270.
    int Rotation() const;
    // Whether the page itself holds a non-Null "Rotate"; then Rotation() is
    // stored in *rotation when it is not null.
    bool HasRotation(int* rotation) const;
    // rotation must be 0, 90, 180 or 270: anything else is a programming
    // error, logged FATAL.
    void SetRotation(int rotation);

    // The page's own "VELM_Orientation" (0 when absent): the low 16 bits of
    // an Integer, signed.
    int16_t Orientation() const;
    bool HasOrientation(int16_t* orientation) const;
    void SetOrientation(int16_t orientation);
    // The page's own "VELM_ScaleFactor" (horizontal, vertical) when it is a
    // valid pair, else (1.0, 1.0).
    std::pair<double, double> ScaleFactor() const;
    // Whether the page holds a non-Null "VELM_ScaleFactor", valid or not;
    // then ScaleFactor() is stored in scale[0], scale[1] when it is not null.
    bool HasScaleFactor(double* scale) const;
    // Both must be greater than 0: anything else is a programming error,
    // logged FATAL.
    void SetScaleFactor(double sx, double sy);

    // The page's own "Contents" (a stream or an array of them); Null when
    // absent.
    GLOB_Object Contents() const;
    void SetContents(const GLOB_Object& contents);
    // Add stream after (before) the present contents, as an array: a single
    // stream is first wrapped in a new direct array, and a page without
    // contents gets an array of the new stream alone.
    void AppendContents(const GLOB_Object& stream);
    void PrependContents(const GLOB_Object& stream);

    // Sets resources' dictionary to the page's own "Resources" (false) or
    // the inherited one (true).
    bool Resources(CPDF_ResourcesDict* resources) const;
    // A new view of the page's own or inherited resources; its owner is Null.
    CPDF_ResourcesDict ResourcesDict() const;
    void SetResources(const GLOB_Object& resources);

    // False when the page has no "Annots"; otherwise the Array is stored in
    // *annots.
    bool Annots(GLOB_Object* annots) const;
    // Appends annotation to "Annots", made first as a new indirect array.
    void AddAnnotation(const GLOB_Object& annotation);

    // The page's own "SeparationInfo"; Null when absent.
    GLOB_Object SeparationInfo() const;

private:
    GLOB_Object OwnValue(const char* key) const;
    // How the contents' array grows: the array (made when needed) and its
    // length before the stream is added.
    GLOB_Object ContentsArray() const;

    GLOB_Object m_page;
};
