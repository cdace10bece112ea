#include "separation/CSEP_InlineImageWriter.h"

#include "CPDF/content/CPDF_InlineImage.h"
#include "CPDF/content/CPDF_InlineImageStream.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "CPDF/image/CPDF_Image.h"
#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_ObjectWriter.h"
#include "GLOB/GLOB_StringStream.h"
#include "separation/CSEP_DocProgressMeter.h"
#include "separation/CSEP_SliceConverter.h"
#include "separation/CSEP_StreamBytes.h"

#include <string>

namespace {

// Whether a reader of the content finds the end of these data where they
// end: their filters come to their own end on their last byte (a JPEG at
// its end-of-image marker, not at the "EI" after it), an unfiltered image's
// bytes are all there. Data cut short, or ended only by "EI" or the end of
// the content, would take what follows them in the ink's content.
bool EndsItself(const std::string& raw, const CPDF_Image& image) {
    const CPDF_ImageParams params = image.ImageParams();
    const GLOB_Object filter = image.Filter();
    if (filter.IsNull() || (filter.IsArray() && filter.Length() == 0))
        return raw.size() == CPDF_InlineImageStream::DataLength(params);
    // Bytes that end no filter and hold no "EI".
    const std::string more(64, '\x80');
    try {
        const GLOB_Stream content(GLIB_NEW GLOB_StringStream(raw + more));
        const GLOB_Stream data(
            GLIB_NEW CPDF_InlineImageStream(params, content, filter, image.DecodeParms(), 0, 1024));
        return CSEP_StreamBytes::Read(data, raw.size() + 1).size() == raw.size();
    } catch (const GLIB_Exception& e) {
        if (e.Code() == GLIB_OutOfMemoryCode || CSEP_DocProgressMeter::IsCancel(e))
            throw;
        return false;
    }
}

// The samples as the job reads them: missing ones read as 0 (as many as an
// image may lack), any past the image's size left out. The inline image's
// own data (raw) are decoded as the content's reader decodes them, which
// ends data lacking their end mark once they give the image's bytes.
GLOB_Stream Samples(const CPDF_Image& image, const std::string* raw) {
    const uint64_t needed = CPDF_InlineImageStream::DataLength(image.ImageParams());
    const GLOB_Stream data =
        raw ? GLOB_Stream(GLIB_NEW CPDF_InlineImageStream(image.ImageParams(),
                                                          GLOB_Stream(GLIB_NEW GLOB_StringStream(*raw)),
                                                          image.Filter(), image.DecodeParms(), 2, 1024))
            : image.OpenStream(2);
    std::string samples = CSEP_StreamBytes::Read(data, needed);
    if (needed - samples.size() <= CSEP_SliceConverter::MaxPaddedSamples)
        samples.resize(needed, '\0');
    return GLOB_Stream(GLIB_NEW GLOB_StringStream(samples));
}

bool IsNumbers(const GLOB_Object& array, const double* values, uint32_t n) {
    if (!array.IsArray() || array.Length() != n)
        return false;
    for (uint32_t i = 0; i < n; ++i) {
        const GLOB_Object value = array.Get(i);
        if (!value.IsNumber() || value.AsNumber() != values[i])
            return false;
    }
    return true;
}

bool IsBlankForm(const GLOB_Object& form) {
    static const double box[] = {0, 0, 1, 1};
    static const double identity[] = {1, 0, 0, 1, 0, 0};
    const GLOB_Object matrix = form.DictGet(GLOB_Name("Matrix"));
    return form.HasSubtype("Form") && form.DictGet(GLOB_Name("Resources")).IsNull() &&
           IsNumbers(form.DictGet(GLOB_Name("BBox")), box, 4) && (matrix.IsNull() || IsNumbers(matrix, identity, 6));
}

bool HasInlineFilters(const GLOB_Object& filter) {
    if (filter.IsNull())
        return true;
    if (filter.IsName())
        return CPDF_InlineImage::HasAbbreviation(filter.AsName());
    if (!filter.IsArray())
        return false;
    for (uint32_t i = 0; i < filter.Length(); ++i)
        if (!filter.Get(i).IsName() || !CPDF_InlineImage::HasAbbreviation(filter.Get(i).AsName()))
            return false;
    return true;
}

}  // namespace

bool CSEP_InlineImageWriter::CanWrite(const GLOB_Object& piece) {
    if (!piece.IsStream())
        return false;
    if (!piece.HasSubtype("Image"))
        return IsBlankForm(piece);
    for (const char* key : {"Mask", "SMask", "F"})
        if (!piece.DictGet(GLOB_Name(key)).IsNull())
            return false;
    const CPDF_Image image(piece);
    const CPDF_ImageParams params = image.ImageParams();
    return HasInlineFilters(image.Filter()) &&
           (params.IsImageMask() || CPDF_InlineImage::HasInlineColorSpace(params.ColorSpace()));
}

void CSEP_InlineImageWriter::Write(const GLOB_Object& piece, const GLOB_Object& source, const GLOB_Stream& output) {
    if (!piece.HasSubtype("Image")) {
        GLOB_ObjectWriter writer(output, GLOB_ObjectWriter::DefaultBufferSize);
        writer.WriteText("q 0 0 1 1 re W n\n");
        writer.Flush();
        CPDF_InlineImage::CopyData(writer, piece.OpenStream(2));
        writer.WriteText("\nQ\n");
        writer.Flush();
        return;
    }
    const CPDF_Image image(piece);
    // CanWrite leaves AbbreviateColorSpace no space to add as a resource.
    CPDF_ResourcesDict none;
    std::string raw;
    if (piece == source) {
        raw = CSEP_StreamBytes::Read(image.OpenStream(0), UINT64_MAX);
        if (EndsItself(raw, image)) {
            CPDF_InlineImage::WriteImage(GLOB_Stream(GLIB_NEW GLOB_StringStream(raw)), image.Filter(),
                                         image.DecodeParms(), image.ImageParams(), output, none);
            return;
        }
    }
    // What the job made is written as samples: how it stores them is no
    // part of the content.
    CPDF_InlineImage::WriteImage(Samples(image, piece == source ? &raw : nullptr), GLOB_Object(), GLOB_Object(),
                                 image.ImageParams(), output, none);
}
