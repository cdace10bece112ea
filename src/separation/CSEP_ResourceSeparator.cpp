#include "separation/CSEP_ResourceSeparator.h"

#include "COMN_LossRecord.h"

#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CPDF/image/CPDF_Image.h"
#include "CPDF/shading/CPDF_Shading.h"
#include "FILT/FILT_ColorMask.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_StringStream.h"
#include "separation/CSEP_ContentSeparator.h"
#include "separation/CSEP_DeviceGrayConverter.h"
#include "separation/CSEP_PDFSeparator.h"
#include "separation/CSEP_SliceConverter.h"
#include "separation/CSEP_SoftMaskGroup.h"
#include "separation/CSEP_ToPressSpaceConverter.h"
#include "separation/CSEP_Utils.h"

#include <algorithm>
#include <memory>
#include <string>

namespace {

const char* NameText(const GLOB_Name& name) { return name.IsEmpty() ? "" : name.CStr(); }

// Every byte of input to output; input is closed.
void CopyBytes(GLOB_Stream input, GLOB_Stream output) {
    for (FILT_FilterBuffer* buffer = input.Read(); buffer->DataAvailable() > 0; buffer = input.Read()) {
        const FILT_Size n = buffer->DataAvailable();
        FILT_FilterBuffer chunk(buffer->GetPtr(), n, false);
        chunk.AdvancePutPtr(n);
        output.Write(chunk);
        buffer->AdvanceGetPtr(n);
    }
    input.Close();
}

[[noreturn]] void ThrowInvalidPattern(const GLOB_Name& name) {
    GLIB_THROW(GLIB_Exception, CSEP_PatternCode, "Invalid pattern encountered: " << NameText(name));
}

// The soft mask goes to every ink as it is, and a sample size the viewer
// cannot unpack would fail the drawing with words that name no image.
void CheckSoftMaskDepth(const GLOB_Object& image) {
    const GLOB_Object mask = image.DictGet(GLOB_Name("SMask"));
    const GLOB_Object bits = mask.IsStream() ? mask.DictGet(GLOB_Name("BitsPerComponent")) : GLOB_Object();
    if (!bits.IsInteger())
        return;
    const int32_t depth = bits.AsInteger();
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16)
        GLIB_THROW(GLIB_Exception, CSEP_UnsupportedCode,
                   "CSEP_ResourceSeparator: its soft mask has " << depth
                                                               << " bits per component, which is not 1, 2, 4, 8 or 16");
}

// Whether an ink's page paints under blend mode as /Normal (mode: a name,
// or an array whose first name counts). Each ink's page is grey, blended
// ink alone: Luminosity of a grey is the source, on every plate. A spot
// colorant takes only the separable modes that keep white; under
// Difference, Exclusion and the non-separable modes its plate is composed
// as /Normal (ISO 32000-1, 11.7.4.2).
bool PaintsAsNormal(const GLOB_Object& mode, bool processInk) {
    const GLOB_Object first = mode.IsArray() && mode.Length() > 0 ? mode.Get(0) : mode;
    if (!first.IsName())
        return false;
    const GLOB_Name name = first.AsName();
    return name == "Luminosity" ||
           (!processInk && (name == "Difference" || name == "Exclusion" || name == "Hue" || name == "Saturation" ||
                            name == "Color"));
}

}  // namespace

void CSEP_ResourceSeparator::Init(const CSEP_SepJobContext& job, std::vector<CPDF_ResourcesDict>* pResources,
                                  const CPDF_ResourcesDict& source) {
    GLIB_ASSERT(pResources != NULL);
    m_job = job;
    m_pResources = pResources;
    m_source = source;
    pResources->clear();
    for (uint32_t i = 0; i < NumInks(); ++i)
        pResources->emplace_back(Doc().NewDict(8, false));
    m_colorSeparator.SetJobContext(job);
}

CPDF_ResourcesDict& CSEP_ResourceSeparator::OutputResources(uint32_t ink) {
    GLIB_ASSERT(m_pResources != NULL);
    return (*m_pResources)[ink];
}

void CSEP_ResourceSeparator::Put(const char* category, const GLOB_Name& name, const std::vector<GLOB_Object>& perInk) {
    GLIB_ASSERT(perInk.size() == NumInks());
    for (uint32_t i = 0; i < NumInks(); ++i)
        OutputResources(i).PutResource(category, name, perInk[i]);
}

void CSEP_ResourceSeparator::SeparateIndexed(const CPDF_ColorSpace& space, std::vector<GLOB_Object>& out) {
    m_colorSeparator.SetColorSpace(space.BaseColorSpace());
    m_colorSeparator.ConvertIndexed(space.AsIndexed(), out);
}

void CSEP_ResourceSeparator::MapColorSpace(const GLOB_Name& name, const GLOB_Object& resource,
                                           const CPDF_GraphicsState&) {
    const CPDF_ColorSpace space(resource);
    std::vector<GLOB_Object> out;
    if (space.Type() == CPDF_ColorSpace::Indexed) {
        SeparateIndexed(space, out);
    } else if (space.Type() == CPDF_ColorSpace::Pattern) {
        const CPDF_ColorSpace base = space.BaseColorSpace();
        if (base.IsNull()) {
            // The content names it, so every ink must hold it.
            out.assign(NumInks(), Doc().Copy(resource, true));
        } else if (base.Type() != CPDF_ColorSpace::Indexed) {
            const GLOB_Object gray = Doc().NewArray(2, true);
            gray.ArrayPut(0, Doc().NewName(GLOB_Name("Pattern")));
            gray.ArrayPut(1, Doc().NewName(GLOB_Name("DeviceGray")));
            out.assign(NumInks(), gray);
        } else {
            std::vector<GLOB_Object> palettes;
            SeparateIndexed(base, palettes);
            for (const GLOB_Object& palette : palettes) {
                out.push_back(Doc().NewArray(2, false));
                out.back().ArrayPut(0, Doc().NewName(GLOB_Name("Pattern")));
                out.back().ArrayPut(1, palette);
            }
        }
    } else {
        GLIB_LOG(GLIB_LogWarning, "Nothing to process for colorspace " << space);
        return;
    }
    Put("ColorSpace", name, out);
}

void CSEP_ResourceSeparator::MapExtGState(const GLOB_Name& name, const GLOB_Object& resource,
                                          const CPDF_GraphicsState& state) {
    std::vector<GLOB_Object> out;
    // Only a variant, under a name of its own, is drawn in its state's
    // colours; a mask whose group sets its own keeps its name.
    SeparateExtGState(name, resource, name == SourceName() ? nullptr : &state, out);
    Put("ExtGState", name, out);
}

void CSEP_ResourceSeparator::SeparateExtGState(const GLOB_Name& name, const GLOB_Object& dict,
                                               const CPDF_GraphicsState* atGs, std::vector<GLOB_Object>& out) {
    out.clear();
    if (!dict.IsDict()) {
        for (uint32_t i = 0; i < NumInks(); ++i)
            out.push_back(Doc().Copy(dict, true));
        return;
    }
    // Font is [font size] (ISO 32000-1, 8.4.5); only a Type 3 font paints
    // colours of its own.
    const GLOB_Object font = dict.DictGet(GLOB_Name("Font"));
    std::vector<GLOB_Object> fonts;
    if (font.IsArray() && font.Length() == 2 && font.Get(0).HasType("Font", "Type3"))
        SeparateType3Font(name, font.Get(0), fonts);
    // One mask for every ink: it is not ink. Its group is drawn with the
    // resources of the content that sets it, not with the ink's own.
    GLOB_Object mask;
    if (CSEP_SoftMaskGroup::DrawsGroup(dict))
        mask = atGs ? m_job.SoftMaskGroups().InSourceColors(Doc(), dict, *atGs, m_source)
                    : m_job.SoftMaskGroups().WhereItStands(Doc(), dict, m_source);

    static const char* const removed[] = {"OP", "op", "OPM", "BG", "BG2", "UCR", "UCR2"};
    const GLOB_Dict entries = dict.AsDict();
    for (uint32_t i = 0; i < NumInks(); ++i) {
        const GLOB_Object copy = Doc().NewDict(entries.Size(), false);
        GLOB_Name key;
        GLOB_Object value;
        for (uint32_t k = 0; entries.Entry(k, &key, &value); ++k) {
            const bool drop =
                std::any_of(std::begin(removed), std::end(removed), [&](const char* r) { return key == r; }) ||
                (key == "Font" && !fonts.empty());
            if (!drop)
                copy.DictPut(key, key == "SMask" && !mask.IsNull() ? mask : value);
        }
        if (PaintsAsNormal(copy.DictGet(GLOB_Name("BM")), m_job.Colorant(i).IsCMYKColorant()))
            copy.DictPut(GLOB_Name("BM"), Doc().NewName(GLOB_Name("Normal")));
        if (copy.Known(GLOB_Name("TR2"))) {
            copy.RemovePath("TR");
            SeparateTransfer(copy, "TR2", i);
        } else if (copy.Known(GLOB_Name("TR"))) {
            SeparateTransfer(copy, "TR", i);
        }
        const GLOB_Object halftone = copy.DictGet(GLOB_Name("HT"));
        const GLOB_Object type = halftone.IsDict() ? halftone.DictGet(GLOB_Name("HalftoneType")) : GLOB_Object();
        if (type.IsInteger() && type.AsInteger() == 5) {
            GLOB_Object own = halftone.DictGet(m_job.Colorant(i).Name());
            if (own.IsNull())
                own = halftone.DictGet(GLOB_Name("Default"));
            if (own.IsNull())
                copy.RemovePath("HT");
            else
                copy.DictPut(GLOB_Name("HT"), own);
        }
        if (!fonts.empty()) {
            const GLOB_Object pair = Doc().NewArray(2, false);
            pair.ArrayPut(0, fonts[i]);
            pair.ArrayPut(1, Doc().Copy(font.Get(1), true));
            copy.DictPut(GLOB_Name("Font"), pair);
        }
        out.push_back(copy);
    }
}

void CSEP_ResourceSeparator::SeparateTransfer(const GLOB_Object& copy, const char* key, uint32_t ink) {
    if (!m_job.Colorant(ink).IsCMYKColorant()) {
        copy.RemovePath(key);
        return;
    }
    const GLOB_Object value = copy.DictGet(GLOB_Name(key));
    if (value.IsArray() && value.Length() == 4)
        copy.DictPut(GLOB_Name(key), value.Get(ink));
}

void CSEP_ResourceSeparator::SeparateType3Font(const GLOB_Name& name, const GLOB_Object& font,
                                               std::vector<GLOB_Object>& out, const CPDF_GraphicsState& colours,
                                               const std::vector<GLOB_Name>& glyphs) {
    const GLOB_Object own = font.DictGet(GLOB_Name("Resources"));
    const CPDF_ResourcesDict resources = own.IsDict() ? CPDF_ResourcesDict(own) : m_source;
    const auto separate = [&](std::vector<GLOB_Object>& fonts) {
        CSEP_PDFSeparator separator;
        separator.SetJobContext(m_job);
        separator.SeparateType3Font(font, resources, fonts, colours, glyphs);
    };
    if (glyphs.empty()) {
        SeparateOnce("Type 3 font", name, font, resources, colours, separate, out);
        return;
    }
    // The glyphs one content shows in these colours, which another place
    // showing others could not take.
    const CSEP_SepJobContext::NestingGuard guard(m_job, font, "Type 3 font", name);
    m_job.NestedSeparations().CountSeparation("Type 3 font", name);
    separate(out);
}

void CSEP_ResourceSeparator::SeparateOnce(const char* kind, const GLOB_Name& name, const GLOB_Object& source,
                                          const CPDF_ResourcesDict& resources, const CPDF_GraphicsState& state,
                                          const std::function<void(std::vector<GLOB_Object>&)>& separate,
                                          std::vector<GLOB_Object>& out, const CSEP_InkStreamState& inkState) {
    CSEP_NestedSeparations& kept = m_job.NestedSeparations();
    const auto same = [](const CPDF_GraphicsState& a, const CPDF_GraphicsState& b) {
        return CSEP_ContentSeparator::IsSameColorState(CSEP_ResourceCache::FormCategory, a, b);
    };
    const bool insideGroup = m_job.InsideIsolatedOrKnockoutGroup();
    const CSEP_NestedSeparations::Separated* done =
        kept.Find(source, resources.Dict(), state, same, insideGroup, inkState);
    if (done != nullptr && m_job.MayReuseSeparation(source, done->m_height)) {
        out = done->m_perInk;
        return;
    }
    const CSEP_SepJobContext::NestingGuard guard(m_job, source, kind, name);
    kept.CountSeparation(kind, name);
    separate(out);
    kept.Add(source, {resources.Dict(), state, guard.Height(), out, insideGroup, inkState});
}

void CSEP_ResourceSeparator::MapFont(const GLOB_Name& name, const GLOB_Object& resource,
                                     const CPDF_GraphicsState& state) {
    std::vector<GLOB_Object> out;
    if (resource.IsDict() && resource.HasSubtype("Type3")) {
        // Its glyphs are content: d0 ones paint colours of their own, and a
        // variant's those of its state where they set none. Messages name
        // the font as the content does.
        SeparateType3Font(SourceName(), resource, out, name == SourceName() ? CPDF_GraphicsState() : state,
                          SourceParts());
    } else if (resource.IsIndirect()) {
        out.assign(NumInks(), Doc().Copy(resource, false));
    } else {
        for (uint32_t i = 0; i < NumInks(); ++i)
            out.push_back(Doc().Copy(resource, true));
    }
    Put("Font", name, out);
}

void CSEP_ResourceSeparator::MapForm(const GLOB_Name& name, const GLOB_Object& resource,
                                     const CPDF_GraphicsState& state) {
    // Messages name the form as the content does, not by its new name.
    const GLOB_Name& shown = SourceName();
    const GLOB_Object own = resource.DictGet(GLOB_Name("Resources"));
    const CPDF_ResourcesDict resources = own.IsDict() ? CPDF_ResourcesDict(own) : m_source;
    std::vector<GLOB_Object> forms;
    const CSEP_InkStreamState& inkState = SourceInkState();
    SeparateOnce("Form", shown, resource, resources, state, [&](std::vector<GLOB_Object>& out) {
        CSEP_PDFSeparator separator;
        separator.SetJobContext(m_job);
        separator.SeparateForm(resource, resources, state, out, inkState);
    }, forms, inkState);
    Put("XObject", name, forms);
}

void CSEP_ResourceSeparator::MapInlineImage(const GLOB_Name& name, const GLOB_Object& resource,
                                            const CPDF_GraphicsState&) {
    std::vector<GLOB_Object> out;
    // The content separator separated it where it stood.
    if (resource.IsArray())
        for (uint32_t i = 0; i < resource.Length(); ++i)
            out.push_back(resource.Get(i));
    else
        SeparateInlineImage(resource, out);
    Put("XObject", name, out);
}

void CSEP_ResourceSeparator::MapImage(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState&) {
    std::vector<GLOB_Object> out;
    SeparateImage(resource, out);
    Put("XObject", name, out);
}

void CSEP_ResourceSeparator::SeparateInlineImage(const GLOB_Object& image, std::vector<GLOB_Object>& out) {
    m_inlineImage = true;
    try {
        SeparateImage(image, out);
    } catch (...) {
        m_inlineImage = false;
        throw;
    }
    m_inlineImage = false;
}

void CSEP_ResourceSeparator::SeparateImage(const GLOB_Object& resource, std::vector<GLOB_Object>& out) {
    const GLOB_Object image = WithValidMask(resource);
    CheckSoftMaskDepth(image);
    const CPDF_Image source(image);
    const CPDF_Image::MaskKind kind = source.MaskType();
    out.clear();
    if (kind == CPDF_Image::StencilMask) {
        // It paints with the fill colour, which the content carries.
        out.assign(NumInks(), CopyStencilMask(source));
        return;
    }
    const CPDF_ImageParams params = source.ImageParams();
    const CPDF_ColorSpace space = params.ColorSpace();
    if (space.Type() == CPDF_ColorSpace::Indexed) {
        std::vector<GLOB_Object> palettes;
        SeparateIndexed(space, palettes);
        for (const GLOB_Object& palette : palettes) {
            CPDF_Image copy(Doc().Copy(image, true));
            CPDF_ImageParams inkParams = params;
            inkParams.SetColorSpace(CPDF_ColorSpace(palette));
            copy.SetImageParams(inkParams, false);
            out.push_back(copy.Object());
        }
    } else {
        m_colorSeparator.SetColorSpace(space);
        // An inline image's XObject was made for this one mapping.
        struct OwnedWhileConverting {
            CSEP_ToPressSpaceConverter& converter;
            ~OwnedWhileConverting() { converter.SetOwnsImage(false); }
        } owned{m_colorSeparator.Converter()};
        owned.converter.SetOwnsImage(m_inlineImage);
        m_colorSeparator.ConvertImage(image, out);
        SayShortfall(Subject(), m_colorSeparator.Converter().TakeImageShortfall());
    }
    SoftMaskBlanks(image, out);
    KeepSoftMaskWhole(image, out);
    if (kind == CPDF_Image::MaskByPosition || kind == CPDF_Image::MaskByColor)
        MaskImages(source, out);
}

GLOB_Object CSEP_ResourceSeparator::WithValidMask(const GLOB_Object& image) {
    const GLOB_Object mask = image.DictGet(GLOB_Name("Mask"));
    if (!mask.IsArray() || CPDF_Image::IsValidColorMask(mask, CPDF_ImageParams(image.StreamDict()), nullptr))
        return image;
    GLIB_LOG(GLIB_LogWarning, "Skipping invalid color mask");
    const GLOB_Object copy = Doc().Copy(image, true);
    copy.RemovePath("Mask");
    return copy;
}

GLOB_Object CSEP_ResourceSeparator::CopyStencilMask(const CPDF_Image& image) {
    if (m_job.UseExternalStreams() == 0 ||
        CSEP_SliceConverter::SliceBytes(image.ImageParams()) <= CSEP_SliceConverter::SmallSliceBytes)
        return m_inlineImage ? image.Object() : Doc().Copy(image.Object(), true);
    CSEP_TempFile file;
    file.Create();
    CopyBytes(image.OpenStream(0), file.OpenStream());
    const GLOB_Object stream = file.MakeExternalStream(Doc(), image.Filter(), image.DecodeParms());
    m_job.AddTempFile(file);
    return CPDF_Image(image.ImageParams(), stream, false).Object();
}

void CSEP_ResourceSeparator::MaskImages(const CPDF_Image& source, std::vector<GLOB_Object>& images) {
    const GLOB_Object mask = source.MaskType() == CPDF_Image::MaskByPosition
                                 ? Doc().Copy(source.PositionMask().Object(), true)
                                 : MakeColorKeyStencil(source);
    // A blank form would paint white where the image is transparent.
    GLOB_Object white;
    for (GLOB_Object& image : images) {
        if (!image.HasSubtype("Image")) {
            if (white.IsNull())
                white = MakeWhiteImage();
            image = white;
        }
        image.DictPut(GLOB_Name("Mask"), mask);
    }
}

std::string CSEP_ResourceSeparator::Subject() const {
    return m_inlineImage ? std::string("An inline image") : std::string("Image /") + NameText(SourceName());
}

void CSEP_ResourceSeparator::SayShortfall(const std::string& subject,
                                          const CSEP_ToPressSpaceConverter::ImageShortfall& shortfall) {
    // A loss of the page's plates, in one line: the samples the data lack
    // where they are fewer, else what the decoders said.
    if (shortfall.needed > 0)
        GLIB_LOG(GLIB_LogWarning, COMN_LOSS_LEAD << subject << " is truncated: its data hold " << shortfall.held
                                                 << " of " << shortfall.needed
                                                 << (shortfall.coarse ? " samples, not all at full detail" : " samples"));
    else if (!shortfall.loss.empty())
        GLIB_LOG(GLIB_LogWarning, COMN_LOSS_LEAD << subject << ": " << shortfall.loss);
    // libjpeg's own words, after the program's.
    if (!shortfall.jpegWords.empty())
        GLIB_LOG(GLIB_LogWarning, subject << ": " << shortfall.jpegWords);
}

void CSEP_ResourceSeparator::KeepSoftMaskWhole(const GLOB_Object& source, std::vector<GLOB_Object>& images) {
    const GLOB_Object sourceMask = source.DictGet(GLOB_Name("SMask"));
    if (!sourceMask.IsStream())
        return;
    CSEP_DeviceGrayConverter converter;
    converter.SetJobContext(m_job);
    const GLOB_Object mask = converter.CutShortSoftMask(sourceMask);
    SayShortfall(Subject() + "'s soft mask", converter.TakeImageShortfall());
    if (mask.IsNull())
        return;
    for (const GLOB_Object& image : images)
        if (image.HasSubtype("Image") && image.DictGet(GLOB_Name("SMask")).IsStream())
            image.DictPut(GLOB_Name("SMask"), mask);
}

void CSEP_ResourceSeparator::SoftMaskBlanks(const GLOB_Object& source, std::vector<GLOB_Object>& images) {
    const GLOB_Object sourceMask = source.DictGet(GLOB_Name("SMask"));
    if (!sourceMask.IsStream())
        return;
    GLOB_Object mask;
    for (const GLOB_Object& image : images)
        if (image.HasSubtype("Image") && image.DictGet(GLOB_Name("SMask")).IsStream()) {
            mask = image.DictGet(GLOB_Name("SMask"));
            break;
        }
    if (mask.IsNull())
        mask = Doc().Copy(sourceMask, true);
    // A blank form would paint white where the mask lets the backdrop show.
    GLOB_Object white;
    for (GLOB_Object& image : images) {
        if (image.HasSubtype("Image"))
            continue;
        if (white.IsNull()) {
            white = MakeWhiteImage();
            white.DictPut(GLOB_Name("SMask"), mask);
        }
        image = white;
    }
}

GLOB_Object CSEP_ResourceSeparator::MakeColorKeyStencil(const CPDF_Image& source) {
    const CPDF_ImageParams params = source.ImageParams();
    const GLOB_Object key = source.ColorMask();
    std::vector<uint32_t> ranges;
    for (uint32_t i = 0; i < key.Length(); ++i)
        ranges.push_back(static_cast<uint32_t>(std::max(0, key.Get(i).AsInteger())));
    std::unique_ptr<FILT_ColorMask> filter(GLIB_NEW FILT_ColorMask);
    filter->Init(static_cast<FILT_Size>(params.Height()), static_cast<FILT_Size>(params.Width()),
                 static_cast<FILT_Size>(params.BitsPerComponent()), ranges);
    CSEP_TempFile file;
    file.Create();
    GLOB_Stream output = file.OpenStream();
    output.SetFilter(filter.release());
    CopyBytes(source.OpenStream(2), output);
    const GLOB_Object data = file.MakeEmbeddedStream(Doc(), GLOB_Object(), GLOB_Object());
    CPDF_ImageParams stencil = params;
    stencil.Remove("Decode");
    stencil.SetImageMask(true);
    return CPDF_Image(stencil, data, false).Object();
}

GLOB_Object CSEP_ResourceSeparator::MakeWhiteImage() {
    const GLOB_Object data = Doc().NewStream(GLOB_Stream(GLIB_NEW GLOB_StringStream(std::string(1, '\xFF'))), 1,
                                             GLOB_Object(), GLOB_Object(), -1);
    return CPDF_Image(CPDF_ImageParams(1, 1, 8, CPDF_ColorSpace::MakeDeviceGray()), data, false).Object();
}

void CSEP_ResourceSeparator::MapPattern(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState&) {
    if (!resource.IsDict() && !resource.IsStream())
        ThrowInvalidPattern(name);
    // /Type is optional (ISO 32000-1, 8.7.3.1).
    const GLOB_Object type = resource.DictGet(GLOB_Name("Type"));
    if (!type.IsNull() && !(type.IsName() && type.AsName() == "Pattern"))
        ThrowInvalidPattern(name);
    const GLOB_Object patternType = resource.DictGet(GLOB_Name("PatternType"));
    if (!patternType.IsInteger())
        ThrowInvalidPattern(name);
    switch (patternType.AsInteger()) {
    case 1:
        MapTilingPattern(name, resource);
        return;
    case 2:
        MapShadingPattern(name, resource);
        return;
    default:
        GLIB_THROW(GLIB_Exception, CSEP_PatternCode, "Invalid pattern type encountered: " << patternType.AsInteger());
    }
}

void CSEP_ResourceSeparator::MapTilingPattern(const GLOB_Name& name, const GLOB_Object& pattern) {
    if (!pattern.IsStream())
        ThrowInvalidPattern(name);
    const GLOB_Object paintType = pattern.DictGet(GLOB_Name("PaintType"));
    if (!paintType.IsInteger())
        GLIB_THROW(GLIB_Exception, CSEP_PatternCode,
                   "Invalid pattern paint type encountered. Expected an integer, found : "
                       << GLOB_Object::TypeString(paintType.Type()));
    std::vector<GLOB_Object> out;
    if (paintType.AsInteger() == 1) {
        // Its own resources alone, and no state of the content that uses it.
        SeparateOnce("Tiling pattern", name, pattern, CPDF_ResourcesDict(pattern.DictGet(GLOB_Name("Resources"))),
                     CPDF_GraphicsState(), [&](std::vector<GLOB_Object>& patterns) {
                         CSEP_PDFSeparator separator;
                         separator.SetJobContext(m_job);
                         separator.SeparateTilingPattern(pattern, patterns);
                     }, out);
    } else if (paintType.AsInteger() == 2) {
        // Uncoloured: the content's scn gives each ink its gray.
        out.assign(NumInks(), Doc().Copy(pattern, false));
    } else {
        GLIB_THROW(GLIB_Exception, CSEP_PatternCode,
                   "Invalid pattern paint type encountered: " << paintType.AsInteger());
    }
    Put("Pattern", name, out);
}

void CSEP_ResourceSeparator::MapShadingPattern(const GLOB_Name& name, const GLOB_Object& pattern) {
    std::vector<GLOB_Object> extGStates;
    const GLOB_Object extGState = pattern.DictGet(GLOB_Name("ExtGState"));
    if (extGState.IsDict())
        SeparateExtGState(name, extGState, nullptr, extGStates);
    std::vector<GLOB_Object> shadings;
    SeparateShading(pattern.DictGet(GLOB_Name("Shading")), shadings);
    std::vector<GLOB_Object> out;
    for (uint32_t i = 0; i < NumInks(); ++i) {
        const GLOB_Object dict = Doc().NewDict(5, true);
        dict.DictPut(GLOB_Name("Type"), Doc().NewName(GLOB_Name("Pattern")));
        dict.DictPut(GLOB_Name("PatternType"), Doc().NewInteger(2));
        if (!extGStates.empty())
            dict.DictPut(GLOB_Name("ExtGState"), extGStates[i]);
        CSEP_Utils::CopyKey("Matrix", pattern, dict);
        dict.DictPut(GLOB_Name("Shading"), shadings[i]);
        out.push_back(dict);
    }
    Put("Pattern", name, out);
}

void CSEP_ResourceSeparator::MapShading(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState&) {
    std::vector<GLOB_Object> out;
    SeparateShading(resource, out);
    Put("Shading", name, out);
}

void CSEP_ResourceSeparator::SeparateShading(const GLOB_Object& shadingObject, std::vector<GLOB_Object>& out) {
    const CPDF_Shading shading(shadingObject);
    const CPDF_ColorSpace space = shading.ColorSpace();
    if (space.Type() != CPDF_ColorSpace::Indexed) {
        m_colorSeparator.SetColorSpace(space);
        m_colorSeparator.ConvertShading(shadingObject, out);
        return;
    }
    std::vector<GLOB_Object> palettes;
    SeparateIndexed(space, palettes);
    out.clear();
    for (const GLOB_Object& palette : palettes) {
        out.push_back(Doc().Copy(shadingObject, true));
        out.back().DictPut(GLOB_Name("ColorSpace"), palette);
    }
}
