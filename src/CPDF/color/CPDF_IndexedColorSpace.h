// The Indexed family: a colour is one index into a table of colours of a
// base space. The object is [/Indexed base hival lookup]: hival 0 to 255
// (MaxNumSamples entries at most) and lookup a String or Stream of hival + 1
// entries of one byte per base component. For inks the space is transparent:
// it names and paints what its base does.
//
// Answers: 1 component, initial colour (0) (index 0), the base as base
// space, NamedColorants and Colorants the base's. Print: "ColorSpace:
// Indexed [ BaseColorSpace <base's print> NumSamples <n> ]".
//
// The colour table is the class's random-access view of the palette (the
// separation engine reads LookupStream instead). It is built on first use
// and lives until FreeColorTable, a rebuild, a new base or the core's end.
// Copying the core hands the table to the copy (CPDF_ColorTablePtr); the
// source builds a new one when it needs one.
//
// IsValidColorSpace, in order:
//   "Indexed colorspace must be type Array, found <type>" (stops);
//   "Indexed colorspace array length must be 4, found <n>" (stops);
//   "Indexed colorspace array entry 0 must be 'Indexed', found <syntax>"
//   (stops);
//   "Indexed colorspace has invalid base colorspace: " and the
//   construction's 1128003 text, or IsValidBaseColorSpace's line (so two
//   newlines end that message);
//   "Indexed colorspace maximum index should be an integer, found <type>",
//   or "… should be non-negative, found <hival>", or IsValidNumSamples'
//   line for hival + 1 with no prefix;
//   "Indexed colorspace lookup table must either be a stream or a string,
//   found <type>".
// The lookup's length is not compared with the table's.
#pragma once

#include "CPDF/color/CPDF_ColorSpace.h"
#include "CPDF/color/CPDF_ColorSpaceCore.h"
#include "CPDF/color/CPDF_ColorTablePtr.h"
#include "GLOB/GLOB_Stream.h"

class CPDF_IndexedColorSpace : public CPDF_ColorSpaceCore {
public:
    static constexpr unsigned MaxNumSamples = 256;

    // A Null object.
    CPDF_IndexedColorSpace();
    explicit CPDF_IndexedColorSpace(const GLOB_Object& object);
    // A new indirect array of doc whose lookup is a new stream of doc holding
    // the bytes of lookup. Asserts IsValidNumSamples and
    // IsValidBaseColorSpace. The separation engine's constructor.
    CPDF_IndexedColorSpace(const CPDF_ColorSpace& baseColorSpace, unsigned numSamples, GLOB_Stream lookup,
                           const GLOB_Doc& doc);
    // A new direct array of the memory document holding lookup (a String or
    // Stream, copied in when it belongs to another document). Asserts as
    // above.
    CPDF_IndexedColorSpace(const CPDF_ColorSpace& baseColorSpace, unsigned numSamples, const GLOB_Object& lookup);
    // Takes other's table.
    CPDF_IndexedColorSpace(const CPDF_IndexedColorSpace& other);

    unsigned NumComponents() const override;
    CPDF_Color InitialColor() const override;
    // Always true.
    bool HasBaseColorSpace(CPDF_ColorSpace* out) const override;
    GLOB_Name FamilyName() const override;
    std::ostream& Print(std::ostream& os) const override;
    std::vector<CPDF_Colorant> Colorants() const override;
    bool IsValid(const GLOB_Object& object, std::string* messages) const override;

    // hival + 1.
    unsigned NumSamples() const;
    // Element 3.
    GLOB_Object Lookup() const;
    // The lookup's bytes: over a copy of a String, or a Stream decoded
    // through its filters.
    GLOB_Stream LookupStream() const;
    // Asserts IsValidBaseColorSpace; element 1 := the base's object (copied
    // into the array's document when it belongs to another). Frees the
    // table, which was made for the old base.
    void SetBaseColorSpace(const CPDF_ColorSpace& baseSpace);

    // The entry of the smaller of index and hival, building the table first
    // when there is none.
    CPDF_Color Color(unsigned index) const;
    // One entry per sample, read from LookupStream in tuples of one byte per
    // base component, byte b giving b / 255 whatever the base's ranges.
    // Entries the data does not reach (a short lookup, a last partial tuple)
    // stay zero, with the base's component count. Decoding errors of the
    // lookup stream pass to the caller and leave no table.
    void BuildColorTable() const;
    void FreeColorTable() const;

    static bool IsValidColorSpace(const GLOB_Object& object, std::string* messages);
    // "Index colorspaces cannot have a base colorspace of type <family>"
    // for an Indexed or Pattern base.
    static bool IsValidBaseColorSpace(const CPDF_ColorSpace& baseSpace, std::string* messages);
    // "Indexed colorspaces must have at least one sample, not 0." and
    // "Indexed colorspaces must have at most 256 samples, not <n>".
    static bool IsValidNumSamples(unsigned numSamples, std::string* messages);

private:
    mutable CPDF_ColorTablePtr m_table;
};
