// Turns the resource cache of one separated content into one resource
// dictionary per ink: each recorded resource, under each name the content
// wrote for it, becomes the ink's version in the ink's dictionary.
//
//   category   written to     per ink
//   0 CS       "ColorSpace"   Indexed: the base's converter slices the
//                             palette. Pattern: [/Pattern] (or the name) is
//                             copied as it stands; over a space one shared
//                             indirect [/Pattern /DeviceGray]; over an
//                             Indexed space [/Pattern <ink's palette>].
//                             Others: nothing, and the warning "Nothing to
//                             process for colorspace <space>"
//   1 gs       "ExtGState"    a copy without OP op OPM BG BG2 UCR UCR2; TR2
//                             (else TR) of 4 functions gives a process ink
//                             its own, a spot ink neither key; a type 5 HT
//                             gives the ink's entry, else "Default"; a
//                             "Font" [<Type 3 font> size] its separated font;
//                             a soft mask that draws a group, one mask for
//                             every ink, drawn in the colours of the
//                             variant's state (CSEP_SoftMaskGroup)
//   2 Fn       "Font"         a Type 3 font separated as the ExtGState's
//                             (its glyph procedures, d0 and d1 alike, with
//                             the font's "Resources", else the source's),
//                             a variant holding only the glyphs shown in
//                             it, its d0 ones in its state's colours;
//                             others copied unchanged (an indirect font
//                             once, for every ink)
//   3 Fm       "XObject"      the form separated under the variant's state
//                             (CSEP_PDFSeparator::SeparateForm)
//
// A form, coloured tiling pattern or Type 3 font is separated once per page
// for each resources and colour state it is met in; a place that meets it
// again takes the same objects (CSEP_NestedSeparations).
//   4 Im, 5 Ii "XObject"      stencil masks copied once; Indexed images copied
//                             with the ink's palette; others sliced by the
//                             space's converter; a position or colour-key
//                             mask becomes every ink's stencil "Mask", and
//                             an ink the image does not reach gets a 1 x 1
//                             white image under that mask, or under the
//                             image's "SMask" (the slices' own object); an
//                             unmasked image the converter's blank form;
//                             an inline image's own XObject is taken
//                             wherever a copy of it would be; an array
//                             under 5 holds the inks' images already made
//   6 Pt       "Pattern"      coloured tiling patterns separated, uncoloured
//                             ones copied once; shading patterns rebuilt
//                             over the separated shading and ExtGState
//   7 Sh       "Shading"      sliced by the space's converter (an Indexed
//                             space: the shading copied with the ink's
//                             palette)
//
// Failures: GLIB_Exception 1128010 "Invalid pattern encountered: <name>"
// (not a Dict or Stream, a /Type other than /Pattern, no Integer
// PatternType, a tiling pattern that is no Stream), "Invalid pattern type
// encountered: <n>", "Invalid pattern paint type encountered. Expected an
// integer, found : <kind>", "Invalid pattern paint type encountered: <n>";
// the job's nesting guard (1128002) for a form, tiling pattern or Type 3
// font separated inside itself or too deep, and the page's bound on their
// separations (1128002, CSEP_NestedSeparations); 1128001 "its soft mask has
// <n> bits per component, which is not 1, 2, 4, 8 or 16" for an image whose
// /SMask the drawing could not unpack. An invalid colour-key mask logs
// the warning "Skipping invalid color mask" and is dropped. Converters,
// the object model and the temporary files throw through.
#pragma once

#include "CPDF/document/CPDF_ResourcesDict.h"
#include "separation/CSEP_ColorSeparator.h"
#include "separation/CSEP_ResourceColorMapper.h"
#include "separation/CSEP_SepJobContext.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CPDF_Image;

class CSEP_ResourceSeparator : public CSEP_ResourceColorMapper {
public:
    CSEP_ResourceSeparator() = default;

    // Takes the job, the caller's per-ink list (asserted not null; emptied,
    // then one new empty direct dictionary of the output document per ink)
    // and the resources the content was separated with.
    void Init(const CSEP_SepJobContext& job, std::vector<CPDF_ResourcesDict>* pResources,
              const CPDF_ResourcesDict& source);
    CPDF_ResourcesDict& OutputResources(uint32_t ink);
    // The images (or blank forms) an inline image's own XObject is for each
    // ink, as category 5 above makes them; the image may become one of them.
    void SeparateInlineImage(const GLOB_Object& image, std::vector<GLOB_Object>& out);

protected:
    void MapColorSpace(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) override;
    void MapExtGState(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) override;
    void MapFont(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) override;
    void MapForm(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) override;
    void MapImage(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) override;
    void MapInlineImage(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) override;
    void MapPattern(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) override;
    void MapShading(const GLOB_Name& name, const GLOB_Object& resource, const CPDF_GraphicsState& state) override;

private:
    // perInk[i] under name in ink i's category.
    void Put(const char* category, const GLOB_Name& name, const std::vector<GLOB_Object>& perInk);
    // The palette of an Indexed space (base's converter), one per ink.
    void SeparateIndexed(const CPDF_ColorSpace& space, std::vector<GLOB_Object>& out);
    // atGs: the state the content's gs met it in, whose colours a soft
    // mask's group is drawn in; null leaves the mask as it is.
    void SeparateExtGState(const GLOB_Name& name, const GLOB_Object& dict, const CPDF_GraphicsState* atGs,
                           std::vector<GLOB_Object>& out);
    // One separated Type 3 font per ink, under the job's nesting guard;
    // its d0 glyphs begin with the colours of colours; glyphs: the only
    // ones it holds (empty: every one), a separation no other place takes.
    void SeparateType3Font(const GLOB_Name& name, const GLOB_Object& font, std::vector<GLOB_Object>& out,
                           const CPDF_GraphicsState& colours = CPDF_GraphicsState(),
                           const std::vector<GLOB_Name>& glyphs = {});
    // TR or TR2 of ink's copy.
    void SeparateTransfer(const GLOB_Object& copy, const char* key, uint32_t ink);
    void MapTilingPattern(const GLOB_Name& name, const GLOB_Object& pattern);
    void MapShadingPattern(const GLOB_Name& name, const GLOB_Object& pattern);
    void SeparateShading(const GLOB_Object& shading, std::vector<GLOB_Object>& out);
    // The separation of source (kind and name for the nesting guard) with
    // resources under state: the one kept for the page when there is one,
    // else what separate makes, under the guard, then kept.
    void SeparateOnce(const char* kind, const GLOB_Name& name, const GLOB_Object& source,
                      const CPDF_ResourcesDict& resources, const CPDF_GraphicsState& state,
                      const std::function<void(std::vector<GLOB_Object>&)>& separate, std::vector<GLOB_Object>& out,
                      const CSEP_InkStreamState& inkState = CSEP_InkStreamState());

    // One image (or form) per ink into out, as category 4 above says.
    void SeparateImage(const GLOB_Object& image, std::vector<GLOB_Object>& out);
    // The image as given, or a copy without a colour-key mask that does not
    // fit it (with the warning).
    GLOB_Object WithValidMask(const GLOB_Object& image);
    // The one object a stencil mask is for every ink.
    GLOB_Object CopyStencilMask(const CPDF_Image& image);
    // Gives every ink's image the stencil of the source's mask (kind 2 or 3).
    void MaskImages(const CPDF_Image& source, std::vector<GLOB_Object>& images);
    // Gives the inks whose image is a blank form a white image under the
    // source's soft mask, when it has one.
    void SoftMaskBlanks(const GLOB_Object& source, std::vector<GLOB_Object>& images);
    // Gives the images that carry the source's soft mask one of the rows
    // its data hold when they are JPEG data cut short, said as an image's
    // are (CSEP_SliceConverter::CutShortSoftMask).
    void KeepSoftMaskWhole(const GLOB_Object& source, std::vector<GLOB_Object>& images);
    // "An inline image" or "Image /<name>", for the lines said of it.
    std::string Subject() const;
    // The truncation line and libjpeg's words after it, when there are any.
    static void SayShortfall(const std::string& subject, const CSEP_ToPressSpaceConverter::ImageShortfall& shortfall);
    // The stencil of a colour-key mask, from the image's decoded samples.
    GLOB_Object MakeColorKeyStencil(const CPDF_Image& source);
    // A 1 x 1 DeviceGray image of one white sample.
    GLOB_Object MakeWhiteImage();

    GLOB_Doc Doc() const { return m_job.Doc(); }
    uint32_t NumInks() const { return m_job.NumColorants(); }

    CSEP_SepJobContext m_job;
    std::vector<CPDF_ResourcesDict>* m_pResources = nullptr;
    CPDF_ResourcesDict m_source;
    CSEP_ColorSeparator m_colorSeparator;
    // While an inline image is mapped: it has no name of its own.
    bool m_inlineImage = false;
};
