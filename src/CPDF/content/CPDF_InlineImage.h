// One inline image of a content stream, the construct "BI" key-value pairs
// "ID" data "EI": its parameters, its Filter and DecodeParms, and the source
// its data are read from, handed out once per Parse as a stream that ends
// exactly where the data end (CPDF_InlineImageStream).
//
// A value over a counted core: copies share it, and Parse gives its handle a
// core of its own first when the core is shared, so a client that kept the
// previous image keeps it unchanged.
//
// Reading accepts the abbreviated keys and names and keeps the full forms.
// Each key is looked up abbreviated first (W before Width); a null value is
// absent. Keys: W Width, H Height, BPC BitsPerComponent, IM ImageMask, CS
// ColorSpace, D Decode, I Interpolate, Intent (full only), F Filter, DP
// DecodeParms. Filter names: AHx ASCIIHexDecode, A85 ASCII85Decode, CCF
// CCITTFaxDecode, DCT DCTDecode, Fl FlateDecode, LZW LZWDecode, RL
// RunLengthDecode (other names pass unchanged). Colour spaces: G DeviceGray,
// RGB DeviceRGB, CMYK DeviceCMYK, [I base hival lookup] Indexed over one of
// those; any other name is a "ColorSpace" resource (none when the resources
// are not a Dict). Writing uses the abbreviated forms (Intent excepted) and
// adds other colour spaces to the resources as "CS<n>".
//
// Parse throws CPDF_Exception 1128008:
//   "Image missing width" / "Image missing height"   W or H absent or not an
//       Integer; "CPDF_InlineImage: width must not be negative, found <n>"
//       (height likewise)
//   "Image missing color space"   neither a mask nor a CS; a CS naming no
//       resource
//   "Image missing bits per component"   not a mask and no Integer BPC;
//       "CPDF_InlineImage: " and the parameters' text for one they refuse
//       (1, 2, 4, 8; for a mask an Integer 1)
//   "CPDF_InlineImage: the inline image's Decode array holds <n> pairs of
//       numbers, but its colour space has <m> components" (in the singular
//       for 1)
//   "Invalid inline image filters<Filter>"   an array element not a Name
//   "Invalid inline image filter<Filter>"    neither Name nor Array
//   "Inline image invald indexed colorspace: <value>"   a CS array not of 4
//       elements from I or Indexed, or its base not a Name (the base)
//   "Invalid inline indexed colorspace: <value>"   a base that is not a
//       device name, a hival not an Integer or a lookup not a String (that
//       element), a CS neither Name nor Array
// Building a colour space or decode array throws what those throw. An empty
// Filter array is no filter. After a failed Parse the image is not to be
// used before the next successful one.
#pragma once

#include "CPDF/color/CPDF_ColorSpace.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "CPDF/image/CPDF_ImageParams.h"
#include "GLIB_RefCountPrivateBase.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"

#include <cstdint>
#include <utility>

class CPDF_InlineImageStream;
class GLOB_ObjectWriter;

// The shared record of an inline image.
struct iCPDF_InlineImageCore {
    CPDF_ImageParams m_imageParams;
    GLOB_Object m_filter;       // Null, or full names
    GLOB_Object m_decodeParms;  // as it stood; Null when absent
    // The content stream at the first data byte until Stream hands out the
    // data stream, that stream afterwards.
    GLOB_Stream m_stream;
    bool m_streamObtained = false;
    // m_stream's core once obtained.
    CPDF_InlineImageStream* m_data = nullptr;
};

class CPDF_InlineImage : private GLIB_RefCountPrivateBase<iCPDF_InlineImageCore> {
public:
    // Default parameters (1 × 1, 1 bit, DeviceGray), no filter, no source.
    CPDF_InlineImage();
    // Parse(dict, source, resources) on a new core.
    CPDF_InlineImage(const GLOB_Dict& dict, const GLOB_Stream& source, const CPDF_ResourcesDict& resources);

    // Fills the image from the inline dictionary; source is the content
    // stream standing at the first data byte.
    void Parse(const GLOB_Dict& dict, const GLOB_Stream& source, const CPDF_ResourcesDict& resources);

    CPDF_ImageParams ImageParams() const { return Core().m_imageParams; }
    GLOB_Object Filter() const { return Core().m_filter; }
    GLOB_Object DecodeParms() const { return Core().m_decodeParms; }

    // The data, once per Parse: openFlags 0 or 1 the bytes as they stand in
    // the content, 2 decoded. A second call throws CPDF_Exception 1128025
    // "Inline image stream has already been obtained."; the factory's
    // exceptions pass (and a later call may try again).
    GLOB_Stream Stream(uint32_t openFlags);
    // Reads what is left of the data (decoded, when nobody asked for them)
    // and closes the data stream: the content stream then stands just after
    // them. A data stream left part read logs the warning "Skipping over a
    // partially read inline image". A data stream the client has closed is
    // taken as read: there is nothing left to skip through it.
    void SkipData();
    // Leaves source (past the image's data) at the "EI" that ends the image:
    // bytes the data do not need before it are passed over, as readers do;
    // "EI" counts after white space (or right after the data) and before
    // white space, a delimiter or the end, the byte after it judged
    // wherever the buffers cut it. Where none comes, only the last
    // buffer's bytes stay for the lexer to read, and the answer is false.
    static bool SkipToEnd(const GLOB_Stream& source);
    // After SkipData: gives source back the content's bytes that the data's
    // decoder took to see that the data end there, then SkipToEnd.
    bool SkipToEndAfterData(const GLOB_Stream& source);
    // Flushes writer, then writes "BI", the entries, "ID", the raw data and
    // "EI" to its stream (WriteImage over Stream(0)).
    void Write(GLOB_ObjectWriter& writer, CPDF_ResourcesDict& resources);

    // Abbreviated key, then full key: true with out set when one holds a
    // value that is not null.
    static bool LookupKey(const GLOB_Dict& dict, const char* abbreviation, const char* key, GLOB_Object& out);
    static GLOB_Name ExpandFilterName(const GLOB_Name& name);
    // Any name outside the table throws CPDF_Exception 1128008 "Unknown
    // filter encountered: <name>".
    static GLOB_Name AbbreviateFilterName(const GLOB_Name& name);
    // True for a full filter name of the table.
    static bool HasAbbreviation(const GLOB_Name& name);
    static CPDF_ColorSpace ExpandColorSpace(const GLOB_Object& value, const CPDF_ResourcesDict& resources);
    // "CMYK", "G", "RGB"; null for any other kind.
    static const char* DeviceAbbreviation(const CPDF_ColorSpace& space);
    // True for a space AbbreviateColorSpace writes without a resource.
    static bool HasInlineColorSpace(const CPDF_ColorSpace& space);
    // A device name, an Indexed array over a device space with a String
    // lookup, or the name of a new "ColorSpace" resource holding the space.
    static GLOB_Object AbbreviateColorSpace(const CPDF_ColorSpace& space, CPDF_ResourcesDict& resources);
    // The whole construct through a writer of its own on output. "ID" ends
    // its line after ASCII85Decode or ASCIIHexDecode (their data may begin
    // with white space), else takes one space.
    static void WriteImage(GLOB_Stream data, const GLOB_Object& filter, const GLOB_Object& decodeParms,
                           const CPDF_ImageParams& params, const GLOB_Stream& output,
                           CPDF_ResourcesDict& resources);
    // "/F …" when there is a filter (an element not a Name logs "Skipping
    // invalid filter name: <element>" and is written null), then "/DP …"
    // when the parameters are not Null.
    static void WriteFilters(GLOB_ObjectWriter& writer, const GLOB_Object& filter, const GLOB_Object& decodeParms);
    // W, H, BPC, then IM or CS, then D, Intent and I when present.
    static void WriteImageParams(GLOB_ObjectWriter& writer, const CPDF_ImageParams& params,
                                 CPDF_ResourcesDict& resources);
    // Every buffer of data, unchanged, to the writer's stream.
    static void CopyData(GLOB_ObjectWriter& writer, GLOB_Stream data);

private:
    using Base = GLIB_RefCountPrivateBase<iCPDF_InlineImageCore>;
    // A new record holding a copy of core.
    CPDF_InlineImage(std::in_place_t, const iCPDF_InlineImageCore& core) : Base(std::in_place, core) {}
    // Gives this handle a core of its own when the core is shared.
    void Detach();
    static CPDF_ImageParams ParseParams(const GLOB_Dict& dict, const CPDF_ResourcesDict& resources);
    static GLOB_Object ParseFilter(const GLOB_Dict& dict);
};
