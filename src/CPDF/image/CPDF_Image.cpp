#include "CPDF/image/CPDF_Image.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/iCPDF_MessageText.h"
#include "CPDF/iCPDF_ValidationMessage.h"
#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_DepthGuard.h"

namespace {

// The innermost image validation under way, masks of masks inside it.
GLOB_DepthGuard* s_innermost = nullptr;

bool IsName(const GLOB_Object& value, const char* name) { return value.IsName() && value.AsName() == name; }

}  // namespace

CPDF_Image::CPDF_Image(const GLOB_Object& image) {
    std::string lines;
    if (!IsValidImage(image, &lines))
        CPDF_THROW_INVALID(CPDF_InvalidImageCode, "Invalid Image object " + lines);
    m_image = image;
}

CPDF_Image::CPDF_Image(const CPDF_ImageParams& params, const GLOB_Object& stream, bool noTypeKeys)
    : m_image(stream) {
    MakeImageDict(params, noTypeKeys);
}

CPDF_Image::CPDF_Image(GLOB_Doc* doc, const GLOB_Stream& source, const CPDF_ImageParams& params,
                       const GLOB_Object& attrDict, bool noTypeKeys, const GLOB_Object& encodeParams, int streamFlag)
    : m_image(doc->NewStream(source, streamFlag, attrDict, encodeParams, -1)) {
    MakeImageDict(params, noTypeKeys);
}

CPDF_ImageParams CPDF_Image::ImageParams() const { return CPDF_ImageParams(m_image.StreamDict()); }

CPDF_Image::MaskKind CPDF_Image::MaskType() const {
    const GLOB_Object stencil = Entry("ImageMask");
    if (stencil.IsBoolean() && stencil.AsBoolean())
        return StencilMask;
    const GLOB_Object mask = Entry("Mask");
    if (mask.IsNull())
        return NoMask;
    if (mask.IsStream())
        return MaskByPosition;
    if (mask.IsArray())
        return MaskByColor;
    GLIB_THROW(CPDF_Exception, CPDF_InvalidImageCode, "Encountered invalid image mask : " << iCPDF_SyntaxOf{mask});
}

GLOB_Object CPDF_Image::ColorMask() const {
    GLIB_ASSERT_CMP(MaskType(), ==, MaskByColor);
    return Entry("Mask");
}

CPDF_Image CPDF_Image::PositionMask() const {
    GLIB_ASSERT_CMP(MaskType(), ==, MaskByPosition);
    return CPDF_Image(Entry("Mask"));
}

GLOB_Object CPDF_Image::Entry(const char* key) const { return m_image.DictGet(GLOB_Name(key)); }

GLOB_Stream CPDF_Image::OpenStream(int32_t openFlags) const { return m_image.OpenStream(openFlags); }

void CPDF_Image::SetImageParams(const CPDF_ImageParams& params, bool noTypeKeys) {
    const MaskKind kind = MaskType();
    if (kind == MaskByPosition)
        GLIB_ASSERT(CPDF_Image::IsValidPositionMask(PositionMask(), params, nullptr));
    else if (kind == MaskByColor)
        GLIB_ASSERT(CPDF_Image::IsValidColorMask(ColorMask(), params, nullptr));
    MakeImageDict(params, noTypeKeys);
}

void CPDF_Image::SetColorMask(const GLOB_Object& colorMask) {
    GLIB_ASSERT(CPDF_Image::IsValidColorMask(colorMask, ImageParams(), nullptr));
    m_image.DictPut(GLOB_Name("Mask"), m_image.Doc().Copy(colorMask, true));
}

void CPDF_Image::SetPositionMask(const CPDF_Image& image) {
    GLIB_ASSERT(CPDF_Image::IsValidPositionMask(image, ImageParams(), nullptr));
    m_image.DictPut(GLOB_Name("Mask"), image.m_image);
}

void CPDF_Image::SetAlternates(const GLOB_Object& alternates) {
    m_image.DictPut(GLOB_Name("Alternates"), m_image.Doc().Copy(alternates, true));
}

void CPDF_Image::SetViewAlternate(const GLOB_Object& viewAlternate) {
    m_image.DictPut(GLOB_Name("VELM_ViewAlternate"), m_image.Doc().Copy(viewAlternate, true));
}

void CPDF_Image::RemoveEntry(const char* key) { m_image.RemovePath(key); }

void CPDF_Image::MakeImageDict(const CPDF_ImageParams& params, bool noTypeKeys) {
    params.WriteDict(m_image.StreamDict());
    if (noTypeKeys) {
        RemoveEntry("Type");
        RemoveEntry("Subtype");
        return;
    }
    const GLOB_Doc doc = m_image.Doc();
    m_image.DictPut(GLOB_Name("Type"), doc.NewName(GLOB_Name("XObject")));
    m_image.DictPut(GLOB_Name("Subtype"), doc.NewName(GLOB_Name("Image")));
}

bool CPDF_Image::IsValidImage(const GLOB_Object& image, std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    const GLOB_DepthGuard level(s_innermost, MaxMaskNesting, &image);
    if (!level.IsAdmitted()) {
        collector.Stream() << "Image masks nested more than " << MaxMaskNesting << " deep";
        return false;
    }
    if (!image.IsStream()) {
        collector.Stream() << "Images should be type Stream, found type " << iCPDF_TypeOf(image);
        return false;
    }
    const GLOB_Object type = image.DictGet(GLOB_Name("Type"));
    const GLOB_Object subtype = image.DictGet(GLOB_Name("Subtype"));
    if ((!type.IsNull() || !subtype.IsNull()) &&
        !((type.IsNull() || IsName(type, "XObject")) && IsName(subtype, "Image")))
        collector.Stream() << "Image Type/Subtype entries should be XObject/Image, not " << iCPDF_SyntaxOf{type}
                           << "/" << iCPDF_SyntaxOf{subtype};

    CPDF_ImageParams params;
    bool paramsValid = true;
    try {
        params = CPDF_ImageParams(image.StreamDict());
    } catch (const CPDF_Exception& e) {
        collector.Stream() << "Invalid Image Parameters: \n" << e.What();
        paramsValid = false;
    }

    const GLOB_Object mask = image.DictGet(GLOB_Name("Mask"));
    std::string text;
    if (mask.IsStream()) {
        try {
            if (!IsValidPositionMask(CPDF_Image(mask), params, &text))
                collector.Stream() << "Image has invalid position mask: \n" << text;
        } catch (const CPDF_Exception& e) {
            collector.Stream() << "Image has invalid position mask: \n" << e.What();
        }
    } else if (mask.IsArray()) {
        // Invalid parameters, whose lines are written, give nothing to
        // measure the mask by: the defaults would speak of a gray image.
        if (paramsValid && !IsValidColorMask(mask, params, &text))
            collector.Stream() << "Image has invalid color mask \n" << text;
    } else if (!mask.IsNull()) {
        collector.Stream() << "Image has invalid Mask entry type. "
                           << "Expected Array or Stream, found: " << iCPDF_TypeOf(mask);
    }
    return collector.IsValid();
}

bool CPDF_Image::IsValidColorMask(const GLOB_Object& colorMask, const CPDF_ImageParams& params,
                                  std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (!colorMask.IsArray()) {
        collector.Stream() << "Image color masks must be of type Array.  Found: " << iCPDF_TypeOf(colorMask);
        return false;
    }
    if (params.IsImageMask()) {
        collector.Stream() << "Imagemasks are not allowed to have a color mask.";
        return false;
    }
    const uint32_t length = colorMask.Length();
    const uint32_t twice = 2 * params.NumComponents();
    if (length != twice)
        collector.Stream() << "Color mask length (" << length << ") is not twice the image colorspace dimension ("
                           << twice << ")";
    for (uint32_t i = 0; i < length; ++i) {
        const GLOB_Object element = colorMask.Get(i);
        if (!element.IsInteger())
            collector.Stream() << "Color mask array entries must be integers.  (found " << iCPDF_TypeOf(element)
                               << " at " << i << ")";
    }
    return collector.IsValid();
}

bool CPDF_Image::IsValidPositionMask(const CPDF_Image& mask, const CPDF_ImageParams& params,
                                     std::string* messages) {
    iCPDF_ValidationMessage collector(messages);
    if (params.IsImageMask())
        collector.Stream() << "Incompatible image masking types. "
                           << "Position masks are not allowed for imagemasks.";
    if (mask.MaskType() != StencilMask)
        collector.Stream() << "A position mask must be an imagemask. "
                           << "Encountered coloured position mask.";
    return collector.IsValid();
}
