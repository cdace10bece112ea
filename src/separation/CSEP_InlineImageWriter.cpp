#include "separation/CSEP_InlineImageWriter.h"

#include "CPDF/content/CPDF_InlineImage.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "CPDF/image/CPDF_Image.h"
#include "GLOB/GLOB_ObjectWriter.h"

namespace {

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
    if (piece == source) {
        CPDF_InlineImage::WriteImage(image.OpenStream(0), image.Filter(), image.DecodeParms(), image.ImageParams(),
                                     output, none);
        return;
    }
    // What the job made is written as samples: how it stores them is no
    // part of the content.
    CPDF_InlineImage::WriteImage(image.OpenStream(2), GLOB_Object(), GLOB_Object(), image.ImageParams(), output,
                                 none);
}
