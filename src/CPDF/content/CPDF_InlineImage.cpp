#include "CPDF/content/CPDF_InlineImage.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/content/CPDF_InlineImageStream.h"
#include "CPDF/iCPDF_MessageText.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_ByteClass.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "GLOB/GLOB_ObjectWriter.h"
#include "GLOB/GLOB_StreamCore.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

const char* const FilterNames[][2] = {
    {"AHx", "ASCIIHexDecode"}, {"A85", "ASCII85Decode"}, {"CCF", "CCITTFaxDecode"}, {"DCT", "DCTDecode"},
    {"Fl", "FlateDecode"},     {"LZW", "LZWDecode"},     {"RL", "RunLengthDecode"},
};

// The full device family of an abbreviated or full device name; null for
// any other.
const char* DeviceFamily(const GLOB_Name& name) {
    static const char* const devices[][2] = {{"G", "DeviceGray"}, {"RGB", "DeviceRGB"}, {"CMYK", "DeviceCMYK"}};
    for (const auto& device : devices)
        if (name == device[0] || name == device[1])
            return device[1];
    return nullptr;
}

[[noreturn]] void Refuse(const std::string& text) { GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode, text); }

// A refusal in the parameters' own words (their one message line).
[[noreturn]] void RefuseAs(std::string messages) {
    while (!messages.empty() && messages.back() == '\n')
        messages.pop_back();
    Refuse("CPDF_InlineImage: " + messages);
}

// W or H: an Integer, not negative.
int ReadSize(const GLOB_Dict& dict, const char* abbreviation, const char* key, const char* missing, const char* what) {
    GLOB_Object value;
    if (!CPDF_InlineImage::LookupKey(dict, abbreviation, key, value) || !value.IsInteger())
        Refuse(missing);
    if (value.AsInteger() < 0)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode,
                   "CPDF_InlineImage: " << what << " must not be negative, found " << value.AsInteger());
    return value.AsInteger();
}

bool IsEnd(const FILT_FilterBuffer* buffer) { return buffer->DataAvailable() == 0 && buffer->IsEOD(); }

// "EI" and the byte after it, which ends the image when white space or a
// delimiter, or when none follows.
constexpr size_t EndLength = 3;
enum EndJudgement { EndNot, EndHere, EndUnknown };

// seen: up to EndLength bytes from an "E"; ended: no byte follows them.
EndJudgement JudgeEnd(const std::string& seen, bool ended) {
    if (seen.size() > 1 && seen[1] != 'I')
        return EndNot;
    if (seen.size() < EndLength)
        return !ended ? EndUnknown : seen.size() == 2 ? EndHere : EndNot;
    return GLOB_IsDelimiter(static_cast<uint8_t>(seen[2])) ? EndHere : EndNot;
}

// "/key value" on a line of its own.
void WriteEntry(GLOB_ObjectWriter& writer, const char* key, const GLOB_Object& value) {
    writer.WriteName(GLOB_Name(key));
    writer.WriteObject(value);
    writer.WriteNewline();
}

}  // namespace

CPDF_InlineImage::CPDF_InlineImage() = default;

CPDF_InlineImage::CPDF_InlineImage(const GLOB_Dict& dict, const GLOB_Stream& source,
                                   const CPDF_ResourcesDict& resources) {
    Parse(dict, source, resources);
}

void CPDF_InlineImage::Detach() {
    if (RefCount() != 1)
        static_cast<Base&>(*this) = CPDF_InlineImage(std::in_place, Core());
}

void CPDF_InlineImage::Parse(const GLOB_Dict& dict, const GLOB_Stream& source, const CPDF_ResourcesDict& resources) {
    Detach();
    iCPDF_InlineImageCore& core = Core();
    core.m_streamObtained = false;
    core.m_stream = source;
    core.m_data = nullptr;
    const CPDF_ImageParams params = ParseParams(dict, resources);
    const GLOB_Object filter = ParseFilter(dict);
    GLOB_Object decodeParms;
    LookupKey(dict, "DP", "DecodeParms", decodeParms);
    core.m_imageParams = params;
    core.m_filter = filter;
    core.m_decodeParms = decodeParms;
}

CPDF_ImageParams CPDF_InlineImage::ParseParams(const GLOB_Dict& dict, const CPDF_ResourcesDict& resources) {
    CPDF_ImageParams params;
    params.SetWidth(ReadSize(dict, "W", "Width", "Image missing width", "width"));
    params.SetHeight(ReadSize(dict, "H", "Height", "Image missing height", "height"));

    GLOB_Object value;
    const bool mask = LookupKey(dict, "IM", "ImageMask", value) && value.IsBoolean() && value.AsBoolean();
    if (mask) {
        params.SetImageMask(true);
    } else {
        if (!LookupKey(dict, "CS", "ColorSpace", value))
            Refuse("Image missing color space");
        const CPDF_ColorSpace space = ExpandColorSpace(value, resources);
        // An unknown name leaves no space to count the data by.
        if (space.IsNull())
            Refuse("Image missing color space");
        params.SetColorSpace(space);
    }

    const bool hasBits = LookupKey(dict, "BPC", "BitsPerComponent", value);
    if (!mask && !(hasBits && value.IsInteger()))
        Refuse("Image missing bits per component");
    if (hasBits) {
        std::string messages;
        if (!value.IsInteger())
            messages = std::string("Image mask BitsPerComponent must be an Integer, found ") + iCPDF_TypeOf(value);
        else if (mask && value.AsInteger() != 1)
            messages = "Image mask BitsPerComponent must be 1, found " + std::to_string(value.AsInteger());
        else
            CPDF_ImageParams::IsValidBitsPerComponent(value.AsInteger(), &messages);
        if (!messages.empty())
            RefuseAs(messages);
        params.SetBitsPerComponent(value.AsInteger());
    }

    if (LookupKey(dict, "D", "Decode", value) && value.IsArray()) {
        const CPDF_DecodeArray decode(value);
        if (!mask && !CPDF_ImageParams::IsValidDecodeArray(decode, params.ColorSpace(), nullptr)) {
            const unsigned pairs = decode.Dimension(), components = params.ColorSpace().NumComponents();
            GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode,
                       "CPDF_InlineImage: the inline image's Decode array holds "
                           << pairs << (pairs == 1 ? " pair" : " pairs") << " of numbers, but its colour space has "
                           << components << (components == 1 ? " component" : " components"));
        }
        params.SetDecodeArray(decode);
    }
    if (LookupKey(dict, "I", "Interpolate", value) && value.IsBoolean())
        params.SetInterpolate(value.AsBoolean());
    if (dict.Lookup("Intent", value) && value.IsName())
        params.SetIntent(CPDF_ImageParams::RenderIntentFromName(value.AsName()));
    return params;
}

GLOB_Object CPDF_InlineImage::ParseFilter(const GLOB_Dict& dict) {
    GLOB_Object value;
    if (!LookupKey(dict, "F", "Filter", value))
        return GLOB_ObjectFactory::NewNull();
    if (value.IsName())
        return GLOB_ObjectFactory::NewName(ExpandFilterName(value.AsName()));
    if (!value.IsArray())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode, "Invalid inline image filter" << iCPDF_SyntaxOf{value});
    const uint32_t n = value.Length();
    // No filter at all: the data are delimited by their computed length.
    if (n == 0)
        return GLOB_ObjectFactory::NewNull();
    const GLOB_Object names = GLOB_ObjectFactory::NewEmptyArray(n);
    for (uint32_t i = 0; i < n; ++i) {
        const GLOB_Object name = value.Get(i);
        if (!name.IsName())
            GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode, "Invalid inline image filters" << iCPDF_SyntaxOf{value});
        names.ArrayPut(i, GLOB_ObjectFactory::NewName(ExpandFilterName(name.AsName())));
    }
    return names;
}

bool CPDF_InlineImage::LookupKey(const GLOB_Dict& dict, const char* abbreviation, const char* key,
                                 GLOB_Object& out) {
    return dict.Lookup(abbreviation, out) || dict.Lookup(key, out);
}

GLOB_Name CPDF_InlineImage::ExpandFilterName(const GLOB_Name& name) {
    for (const auto& row : FilterNames)
        if (name == row[0])
            return GLOB_Name(row[1]);
    return name;
}

bool CPDF_InlineImage::HasAbbreviation(const GLOB_Name& name) {
    for (const auto& row : FilterNames)
        if (name == row[1])
            return true;
    return false;
}

GLOB_Name CPDF_InlineImage::AbbreviateFilterName(const GLOB_Name& name) {
    for (const auto& row : FilterNames)
        if (name == row[1])
            return GLOB_Name(row[0]);
    GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode, "Unknown filter encountered: " << iCPDF_NameText{name});
}

CPDF_ColorSpace CPDF_InlineImage::ExpandColorSpace(const GLOB_Object& value, const CPDF_ResourcesDict& resources) {
    if (value.IsName()) {
        const GLOB_Name name = value.AsName();
        if (const char* family = DeviceFamily(name))
            return CPDF_ColorSpace(GLOB_ObjectFactory::NewName(GLOB_Name(family)));
        return resources.Dict().IsDict() ? resources.ColorSpace(name) : CPDF_ColorSpace();
    }
    if (!value.IsArray())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode, "Invalid inline indexed colorspace: " << iCPDF_SyntaxOf{value});
    const GLOB_Object first = value.Length() == 4 ? value.Get(0) : GLOB_Object();
    if (!first.IsName() || !(first.AsName() == "I" || first.AsName() == "Indexed"))
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode,
                   "Inline image invald indexed colorspace: " << iCPDF_SyntaxOf{value});
    const GLOB_Object base = value.Get(1);
    if (!base.IsName())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode,
                   "Inline image invald indexed colorspace: " << iCPDF_SyntaxOf{base});
    const char* family = DeviceFamily(base.AsName());
    if (family == nullptr)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode, "Invalid inline indexed colorspace: " << iCPDF_SyntaxOf{base});
    const GLOB_Object hival = value.Get(2);
    const GLOB_Object lookup = value.Get(3);
    if (!hival.IsInteger())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode, "Invalid inline indexed colorspace: " << iCPDF_SyntaxOf{hival});
    if (!lookup.IsString())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode,
                   "Invalid inline indexed colorspace: " << iCPDF_SyntaxOf{lookup});
    const GLOB_Doc memory = GLOB_ObjectFactory::MemoryDoc();
    const GLOB_Object indexed = GLOB_ObjectFactory::NewEmptyArray(4);
    indexed.ArrayPut(0, GLOB_ObjectFactory::NewName(GLOB_Name("Indexed")));
    indexed.ArrayPut(1, GLOB_ObjectFactory::NewName(GLOB_Name(family)));
    indexed.ArrayPut(2, memory.Copy(hival, false));
    indexed.ArrayPut(3, memory.Copy(lookup, false));
    return CPDF_ColorSpace(indexed);
}

const char* CPDF_InlineImage::DeviceAbbreviation(const CPDF_ColorSpace& space) {
    switch (space.Type()) {
    case CPDF_ColorSpace::DeviceCMYK: return "CMYK";
    case CPDF_ColorSpace::DeviceGray: return "G";
    case CPDF_ColorSpace::DeviceRGB: return "RGB";
    default: return nullptr;
    }
}

bool CPDF_InlineImage::HasInlineColorSpace(const CPDF_ColorSpace& space) {
    if (DeviceAbbreviation(space) != nullptr)
        return true;
    return space.Type() == CPDF_ColorSpace::Indexed && DeviceAbbreviation(space.BaseColorSpace()) != nullptr &&
           space.AsIndexed().Lookup().IsString();
}

GLOB_Object CPDF_InlineImage::AbbreviateColorSpace(const CPDF_ColorSpace& space, CPDF_ResourcesDict& resources) {
    if (const char* device = DeviceAbbreviation(space))
        return GLOB_ObjectFactory::NewName(GLOB_Name(device));
    if (HasInlineColorSpace(space)) {
        const CPDF_IndexedColorSpace indexed = space.AsIndexed();
        const GLOB_Object array = GLOB_ObjectFactory::NewEmptyArray(4);
        array.ArrayPut(0, GLOB_ObjectFactory::NewName(GLOB_Name("I")));
        array.ArrayPut(1, GLOB_ObjectFactory::NewName(GLOB_Name(DeviceAbbreviation(space.BaseColorSpace()))));
        array.ArrayPut(2, GLOB_ObjectFactory::NewInteger(static_cast<int32_t>(indexed.NumSamples()) - 1));
        array.ArrayPut(3, GLOB_ObjectFactory::MemoryDoc().Copy(indexed.Lookup(), true));
        return array;
    }
    const GLOB_Doc doc = resources.Dict().Doc();
    return GLOB_ObjectFactory::NewName(resources.AddResource("ColorSpace", "CS", space.MakeObject(&doc)));
}

GLOB_Stream CPDF_InlineImage::Stream(uint32_t openFlags) {
    iCPDF_InlineImageCore& core = Core();
    if (core.m_streamObtained)
        GLIB_THROW(CPDF_Exception, CPDF_InlineImageStreamCode, "Inline image stream has already been obtained.");
    CPDF_InlineImageStream* stream = GLIB_NEW CPDF_InlineImageStream(core.m_imageParams, core.m_stream, core.m_filter,
                                                                     core.m_decodeParms, openFlags, 1024);
    const GLOB_Stream data(stream);
    core.m_stream = data;
    core.m_data = stream;
    core.m_streamObtained = true;
    return data;
}

void CPDF_InlineImage::SkipData() {
    GLOB_Stream data;
    FILT_FilterBuffer* buffer;
    if (Core().m_streamObtained) {
        data = Core().m_stream;
        if (!data.IsOpen())
            return;
        buffer = data.Read();
        if (!IsEnd(buffer))
            GLIB_LOG(GLIB_LogWarning, "Skipping over a partially read inline image");
    } else {
        data = Stream(2);
        buffer = data.Read();
    }
    while (!IsEnd(buffer)) {
        buffer->AdvanceGetPtr(buffer->DataAvailable());
        buffer = data.Read();
    }
    data.Close();
}

bool CPDF_InlineImage::SkipToEnd(const GLOB_Stream& source) {
    GLOB_Stream stream = source;
    bool afterWhite = true;  // the data's end counts as white space
    // "E" or "EI" after white space that a buffer's end cut off from the
    // bytes judging it: judged with the next buffer's, so that where the
    // buffers fall decides nothing.
    std::string open;
    for (FILT_FilterBuffer* buffer = stream.Read();; buffer = stream.Read()) {
        const uint8_t* bytes = buffer->GetPtr();
        const FILT_Size count = buffer->DataAvailable();
        const bool ended = buffer->IsEOD() || count == 0;
        if (!open.empty()) {
            const FILT_Size more = std::min<FILT_Size>(count, static_cast<FILT_Size>(EndLength - open.size()));
            const std::string seen = open + std::string(reinterpret_cast<const char*>(bytes), more);
            const EndJudgement judged = JudgeEnd(seen, ended && more == count);
            if (judged == EndHere) {
                stream.GiveBack(reinterpret_cast<const uint8_t*>(open.data()), static_cast<FILT_Size>(open.size()));
                return true;
            }
            open = judged == EndUnknown ? seen : std::string();
            afterWhite = false;
            buffer->AdvanceGetPtr(judged == EndUnknown ? more : 0);
            if (judged == EndUnknown)
                continue;
        }
        for (FILT_Size i = 0; i < count && open.empty(); ++i) {
            const bool white = i == 0 ? afterWhite : GLOB_IsWhite(bytes[i - 1]);
            if (!white || bytes[i] != 'E')
                continue;
            const FILT_Size length = std::min<FILT_Size>(count - i, EndLength);
            const std::string seen(reinterpret_cast<const char*>(bytes + i), length);
            const EndJudgement judged = JudgeEnd(seen, ended && i + length == count);
            if (judged == EndHere) {
                buffer->AdvanceGetPtr(i);
                return true;
            }
            if (judged == EndUnknown)
                open = seen;
        }
        // No "EI" to the end: the lexer is left to say what stands there.
        if (ended && open.empty())
            return false;
        afterWhite = GLOB_IsWhite(bytes[count - 1]);
        buffer->AdvanceGetPtr(count);
    }
}

bool CPDF_InlineImage::SkipToEndAfterData(const GLOB_Stream& source) {
    const CPDF_InlineImageStream* data = Core().m_data;
    if (data && !data->ContentTaken().empty()) {
        GLOB_Stream content = source;
        content.GiveBack(data->ContentTaken().data(), static_cast<FILT_Size>(data->ContentTaken().size()));
    }
    return SkipToEnd(source);
}

void CPDF_InlineImage::Write(GLOB_ObjectWriter& writer, CPDF_ResourcesDict& resources) {
    writer.Flush();
    WriteImage(Stream(0), Filter(), DecodeParms(), ImageParams(), writer.Stream(), resources);
}

void CPDF_InlineImage::WriteImage(GLOB_Stream data, const GLOB_Object& filter, const GLOB_Object& decodeParms,
                                  const CPDF_ImageParams& params, const GLOB_Stream& output,
                                  CPDF_ResourcesDict& resources) {
    GLOB_ObjectWriter writer(output, GLOB_ObjectWriter::DefaultBufferSize);
    writer.WriteText("BI");
    writer.WriteNewline();
    WriteFilters(writer, filter, decodeParms);
    WriteImageParams(writer, params, resources);
    GLOB_Object first = filter;
    if (filter.IsArray())
        first = filter.Length() > 0 ? filter.Get(0) : GLOB_Object();
    const bool ascii = first.IsName() && (first.AsName() == "ASCII85Decode" || first.AsName() == "ASCIIHexDecode");
    writer.WriteText(ascii ? "ID\n" : "ID ");
    writer.Flush();
    CopyData(writer, data);
    writer.WriteText("\nEI\n");
    writer.Flush();
}

void CPDF_InlineImage::WriteFilters(GLOB_ObjectWriter& writer, const GLOB_Object& filter,
                                    const GLOB_Object& decodeParms) {
    if (filter.IsName()) {
        WriteEntry(writer, "F", GLOB_ObjectFactory::NewName(AbbreviateFilterName(filter.AsName())));
    } else if (filter.IsArray()) {
        const uint32_t n = filter.Length();
        const GLOB_Object names = GLOB_ObjectFactory::NewEmptyArray(n);
        for (uint32_t i = 0; i < n; ++i) {
            const GLOB_Object name = filter.Get(i);
            if (name.IsName())
                names.ArrayPut(i, GLOB_ObjectFactory::NewName(AbbreviateFilterName(name.AsName())));
            else
                GLIB_LOG(GLIB_LogWarning, "Skipping invalid filter name: " << iCPDF_SyntaxOf{name});
        }
        WriteEntry(writer, "F", names);
    } else {
        return;
    }
    if (!decodeParms.IsNull())
        WriteEntry(writer, "DP", decodeParms);
}

void CPDF_InlineImage::WriteImageParams(GLOB_ObjectWriter& writer, const CPDF_ImageParams& params,
                                        CPDF_ResourcesDict& resources) {
    WriteEntry(writer, "W", GLOB_ObjectFactory::NewInteger(params.Width()));
    WriteEntry(writer, "H", GLOB_ObjectFactory::NewInteger(params.Height()));
    WriteEntry(writer, "BPC", GLOB_ObjectFactory::NewInteger(params.BitsPerComponent()));
    if (params.IsImageMask())
        WriteEntry(writer, "IM", GLOB_ObjectFactory::NewBoolean(true));
    else
        WriteEntry(writer, "CS", AbbreviateColorSpace(params.ColorSpace(), resources));
    if (params.Lookup("Decode"))
        WriteEntry(writer, "D", params.DecodeArray().MakeObject());
    GLOB_Object value;
    if (params.Lookup("Intent", &value))
        WriteEntry(writer, "Intent", value);
    if (params.Lookup("Interpolate", &value))
        WriteEntry(writer, "I", value);
}

void CPDF_InlineImage::CopyData(GLOB_ObjectWriter& writer, GLOB_Stream data) {
    GLOB_Stream output = writer.Stream();
    for (FILT_FilterBuffer* buffer = data.Read(); !IsEnd(buffer); buffer = data.Read()) {
        while (buffer->DataAvailable() > 0) {
            const FILT_Size before = buffer->DataAvailable();
            output.Write(*buffer);
            if (buffer->DataAvailable() == before)
                GLIB_THROW(GLIB_Exception, GLOB_StreamCore::IOErrorCode,
                           "CPDF_InlineImage: the output stream stored none of the last " << before << " bytes");
        }
    }
}
