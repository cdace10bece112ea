#include "separation/CSEP_PDFSeparator.h"

#include "CPDF/content/CPDF_ContentStream.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_StringStream.h"
#include "separation/CSEP_AnnotationFinder.h"
#include "separation/CSEP_ContentSeparator.h"
#include "separation/CSEP_GroupInheritance.h"
#include "separation/CSEP_LeadMessage.h"
#include "separation/CSEP_ResourceSeparator.h"
#include "separation/CSEP_TransparencyFinder.h"
#include "separation/CSEP_Utils.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

namespace {

const char* const TintTransformDict = "<< /Domain [ 0 1 ] /Range [ 0 1 0 1 0 1 0 1 ] /FunctionType 4 >> ";
const char* const SeparationSpace = "[ /Separation /Dummy /DeviceCMYK 0 ]";

// Six significant digits without an exponent: PDF numbers have none, and
// the calculator reads the program as PDF syntax.
std::string PlainNumber(double value) {
    if (value == 0 || !std::isfinite(value))
        return "0";
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int decimals = std::max(0, 5 - exponent);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", std::min(decimals, 40), value);
    std::string number(text);
    if (number.find('.') != std::string::npos) {
        number.erase(number.find_last_not_of('0') + 1);
        if (number.back() == '.')
            number.pop_back();
    }
    return number;
}

// The "Group" of form when it is a transparency group, else null.
GLOB_Object TransparencyGroup(const GLOB_Object& form) {
    const GLOB_Object group = form.DictGet(GLOB_Name("Group"));
    const GLOB_Object kind = group.IsDict() ? group.DictGet(GLOB_Name("S")) : GLOB_Object();
    return kind.IsName() && kind.AsName() == "Transparency" ? group : GLOB_Object();
}

// The "Group" of an ink's copy of form: null unless form is a transparency
// group, else its isolation and knockout, with no colour space of its own:
// the group blends in the space its page is drawn in. An ink's page paints
// grey 1 - tint, and a subtractive group blends the complements of its
// tints, so grey, or black alone in CMYK, blends as its ink does in CMYK;
// non-separable modes on one component keep the backdrop (Luminosity the
// source), as CMYK keeps black. A group of its own DeviceGray would be drawn
// in additive grey even on a page drawn in CMYK, as a Type 3 glyph is, where
// its transparent start inks every edge a mark covers in part.
GLOB_Object InkGroup(const CPDF_Doc& doc, const GLOB_Object& form) {
    const GLOB_Object group = TransparencyGroup(form);
    if (group.IsNull())
        return GLOB_Object();
    const GLOB_Object inkGroup = doc.NewDict(4, true);
    inkGroup.DictPut(GLOB_Name("S"), doc.NewName(GLOB_Name("Transparency")));
    for (const char* key : {"I", "K"})
        CSEP_Utils::CopyKey(key, group, inkGroup);
    return inkGroup;
}

// Whether form is a transparency group that is isolated or knocks out.
bool IsolatesOrKnocksOut(const GLOB_Object& form) {
    const GLOB_Object group = TransparencyGroup(form);
    if (group.IsNull())
        return false;
    for (const char* key : {"I", "K"}) {
        const GLOB_Object value = group.DictGet(GLOB_Name(key));
        if (value.IsBoolean() && value.AsBoolean())
            return true;
    }
    return false;
}

// Cleanup after a failure: the failure is what the caller hears of.
void CloseQuietly(GLOB_Stream& stream) {
    try {
        stream.Close();
    } catch (const GLIB_Exception&) {
    }
}

}  // namespace

CSEP_PDFSeparator::CSEP_PDFSeparator() = default;

CSEP_PDFSeparator::~CSEP_PDFSeparator() = default;

void CSEP_PDFSeparator::SetJobContext(const CSEP_SepJobContext& job) { m_job = job; }

void CSEP_PDFSeparator::SeparatePage(const CPDF_Page& page, int index, std::vector<GLOB_Object>& newPages) {
    CSEP_DocProgressMeter& meter = m_job.ProgressMeter();
    GLOB_Doc source = page.Object().Doc();
    newPages.clear();
    const CSEP_SlicedFunctions::Scope slicedOnce(m_job.SlicedFunctions());
    meter.Start(source);
    try {
        const CPDF_ResourcesDict resources = CSEP_Utils::PageResources(page);
        m_countedFonts.clear();
        CountStreamBytes(page.Contents(), resources);
        m_countedFonts.clear();
        // The note names only a mask some gs sets, which the separation
        // hears.
        m_job.ForgetMasksSet();
        const auto warn = [&] {
            CSEP_TransparencyFinder::WarnFor(page, resources, m_job.MasksSet());
            CSEP_AnnotationFinder::WarnFor(page.Object());
        };
        try {
            MakeSeparationPages(page, resources, index, newPages);
        } catch (...) {
            warn();  // of a page that fails too, as far as it was read
            throw;
        }
        warn();
    } catch (...) {
        meter.StopListening();
        throw;
    }
    // A job kept after its page must not hear every later read of the
    // source document.
    meter.StopListening();
}

void CSEP_PDFSeparator::WatchStream(const GLOB_Object& stream) {
    CSEP_DocProgressMeter& meter = m_job.ProgressMeter();
    if (!meter.IsWatched(stream))
        meter.AddStream(stream);
}

void CSEP_PDFSeparator::CountStreamBytes(const GLOB_Object& object, const CPDF_ResourcesDict& resources,
                                         uint32_t depth) {
    // What is no stream is not read: the content stream says so, or fails.
    if (object.IsArray()) {
        for (uint32_t i = 0; i < object.Length(); ++i)
            if (object.Get(i).IsStream())
                WatchStream(object.Get(i));
    } else if (object.IsDict()) {
        const GLOB_Dict entries = object.AsDict();
        GLOB_Object value;
        for (uint32_t i = 0; entries.Entry(i, nullptr, &value); ++i)
            if (value.IsStream())
                WatchStream(value);
    } else if (object.IsStream()) {
        WatchStream(object);
    }
    if (!resources.Dict().IsDict())
        return;
    CountResourceStreams(resources.XObjectDict(), true, depth);
    CountResourceStreams(resources.PatternDict(), false, depth);
    const GLOB_Object shadings = resources.ShadingDict();
    if (shadings.IsDict()) {
        const GLOB_Dict entries = shadings.AsDict();
        GLOB_Object value;
        for (uint32_t i = 0; entries.Entry(i, nullptr, &value); ++i)
            if (value.IsStream())
                WatchStream(value);
    }
    const GLOB_Object fonts = resources.FontDict();
    if (!fonts.IsDict() || depth >= CSEP_SepJobContext::MaxNesting)
        return;
    const GLOB_Dict entries = fonts.AsDict();
    GLOB_Object font;
    for (uint32_t i = 0; entries.Entry(i, nullptr, &font); ++i) {
        if (!font.IsDict() || !font.HasSubtype("Type3") ||
            std::find(m_countedFonts.begin(), m_countedFonts.end(), font) != m_countedFonts.end())
            continue;
        m_countedFonts.push_back(font);
        CountStreamBytes(font.DictGet(GLOB_Name("CharProcs")), CPDF_ResourcesDict(font.DictGet(GLOB_Name("Resources"))),
                         depth + 1);
    }
}

void CSEP_PDFSeparator::CountResourceStreams(const GLOB_Object& category, bool xObjects, uint32_t depth) {
    if (!category.IsDict())
        return;
    const GLOB_Dict entries = category.AsDict();
    GLOB_Object value;
    for (uint32_t i = 0; entries.Entry(i, nullptr, &value); ++i) {
        const bool image = xObjects && value.HasSubtype("Image");
        if (!value.IsStream() || (xObjects && !image && !value.HasSubtype("Form")) ||
            m_job.ProgressMeter().IsWatched(value))
            continue;
        const GLOB_Object resources = value.DictGet(GLOB_Name("Resources"));
        // A form or tiling pattern that reaches itself is watched already
        // and entered no further.
        if (!image && resources.IsDict() && depth < CSEP_SepJobContext::MaxNesting)
            CountStreamBytes(value, CPDF_ResourcesDict(resources), depth + 1);
        else
            WatchStream(value);
    }
}

void CSEP_PDFSeparator::MakeSeparationPages(const CPDF_Page& page, const CPDF_ResourcesDict& resources, int index,
                                            std::vector<GLOB_Object>& newPages) {
    std::vector<GLOB_Object> contents;
    std::vector<CPDF_ResourcesDict> inkResources;
    SeparateContent(GLOB_Stream(GLIB_NEW CPDF_ContentStream(page, resources)), resources, CPDF_GraphicsState(), contents,
                    inkResources);

    const CPDF_Doc doc = Doc();
    const GLOB_Object pages = doc.NewArray(NumColorants(), true);
    // Every recipe before the first page: a tint transform that fails to
    // evaluate must not leave the inks before it as pages.
    std::vector<GLOB_Object> infos;
    for (uint32_t i = 0; i < NumColorants(); ++i)
        infos.push_back(MakeSeparationInfo(m_job.Colorant(i), resources, pages));

    const GLIB_Rect mediaBox = page.MediaBox();
    const GLIB_Rect cropBox = page.CropBox();
    try {
        for (uint32_t i = 0; i < NumColorants(); ++i) {
            CPDF_Page newPage = doc.CreatePage(index + static_cast<int>(i), mediaBox);
            newPages.push_back(newPage.Object());
            if (cropBox != mediaBox)
                newPage.SetBox("CropBox", cropBox);
            newPage.SetRotation(page.Rotation());
            for (const char* key : {"ArtBox", "BleedBox", "TrimBox"})
                CSEP_Utils::CopyKey(key, page.Object(), newPage.Object());
            newPage.SetContents(contents[i]);
            newPage.SetResources(inkResources[i].Dict());
            pages.ArrayPut(i, newPage.Object());
            newPage.Object().DictPut(GLOB_Name("SeparationInfo"), infos[i]);
        }
    } catch (...) {
        RemovePagesQuietly(index, newPages.size());
        newPages.clear();
        throw;
    }
}

void CSEP_PDFSeparator::RemovePagesQuietly(int index, size_t count) {
    if (count == 0)
        return;
    try {
        Doc().DeletePages(index, index + static_cast<int>(count) - 1);
    } catch (const GLIB_Exception& e) {
        GLIB_LOG(GLIB_LogWarning, "Could not remove the pages of a failed page: " << e.What());
    }
}

GLOB_Object CSEP_PDFSeparator::MakeSeparationInfo(const CPDF_Colorant& ink, const CPDF_ResourcesDict& resources,
                                                  const GLOB_Object& pages) {
    CPDF_Color recipe(4u);
    try {
        CSEP_Utils::CMYKRecipe(ink, resources, recipe);
    } catch (GLIB_Exception& e) {
        // The recipe feeds only this dictionary and the ink's display
        // colour, never the plate: a spot over DeviceRGB still separates.
        if (e.Code() != CSEP_UnsupportedCode) {
            std::ostringstream name;
            name << "ink " << ink;
            CSEP_LeadMessage(e, name.str());
            throw;
        }
        recipe.SetNumComponents(4);
        GLIB_LOG(GLIB_LogWarning,
                 "Ink " << ink << " has no CMYK equivalent (" << e.What() << "); it shows white in the preview");
    }
    const CPDF_Doc doc = Doc();
    const GLOB_Object recipeArray = doc.NewArray(4, false);
    std::string program = "{ ";
    for (uint32_t k = 0; k < 4; ++k) {
        recipeArray.ArrayPut(k, doc.NewReal(recipe.Component(k)));
        program += " dup " + PlainNumber(recipe.Component(k)) + " mul exch\n";
    }
    program += " pop }";
    const GLOB_Object tintTransform = doc.NewStream(GLOB_Stream(GLIB_NEW GLOB_StringStream(program)), 1,
                                                    doc.ParseObject(TintTransformDict), GLOB_Object(), -1);
    const GLOB_Object space = doc.ParseObject(SeparationSpace);
    space.ArrayPut(1, doc.NewName(ink.Name()));
    space.ArrayPut(3, tintTransform);

    const GLOB_Object info = doc.NewDict(4, false);
    info.DictPut(GLOB_Name("DeviceColorant"), doc.NewName(ink.Name()));
    info.DictPut(GLOB_Name("VELM_Recipe"), recipeArray);
    info.DictPut(GLOB_Name("ColorSpace"), space);
    info.DictPut(GLOB_Name("Pages"), pages);
    return info;
}

void CSEP_PDFSeparator::SeparateContent(GLOB_Stream stream, const CPDF_ResourcesDict& resources,
                                        const CPDF_GraphicsState& state, std::vector<GLOB_Object>& contents,
                                        std::vector<CPDF_ResourcesDict>& inkResources,
                                        const CSEP_InkStreamState& inkState) {
    contents.clear();
    try {
        CSEP_ContentSeparator separator;
        separator.SetJobContext(m_job);
        CSEP_ResourceCache cache;
        separator.SeparateStream(stream, resources, state, contents, &cache, inkState);
        SeparateResources(cache, resources, inkResources);
    } catch (const GLIB_Exception& e) {
        CloseQuietly(stream);
        m_job.ProgressMeter().Stop();
        // Code 1 is what an interrupted host call raises.
        if (e.Code() == 1 && m_job.ProgressMeter().CancelMgr().ShouldCancel())
            throw GLIB_Exception(CSEP_DocProgressMeter::CancelCode, "Cancel Requested", __FILE__, __LINE__);
        throw;
    } catch (...) {
        CloseQuietly(stream);
        m_job.ProgressMeter().Stop();
        throw;
    }
    stream.Close();
}

void CSEP_PDFSeparator::SeparateResources(const CSEP_ResourceCache& cache, const CPDF_ResourcesDict& resources,
                                          std::vector<CPDF_ResourcesDict>& inkResources) {
    // The outermost walk (a page's, or a lone form's) keeps what is
    // separated inside it for every place that reaches it again.
    const CSEP_NestedSeparations::Scope separatedOnce(m_job.NestedSeparations());
    CSEP_ResourceSeparator separator;
    separator.Init(m_job, &inkResources, resources);
    separator.MapResources(cache);
    if (!resources.Dict().IsDict())
        return;
    const GLOB_Object procSet = resources.Category("ProcSet");
    const GLOB_Object properties = resources.Category("Properties");
    for (CPDF_ResourcesDict& ink : inkResources) {
        if (procSet.IsArray())
            ink.Dict().DictPut(GLOB_Name("ProcSet"), Doc().Copy(procSet, true));
        if (properties.IsDict())
            ink.Dict().DictPut(GLOB_Name("Properties"), Doc().Copy(properties, true));
    }
}

void CSEP_PDFSeparator::SeparateForm(const GLOB_Object& form, const CPDF_ResourcesDict& resources,
                                     const CPDF_GraphicsState& state, std::vector<GLOB_Object>& forms,
                                     const CSEP_InkStreamState& inkState) {
    std::vector<CPDF_ResourcesDict> formResources;
    {
        const CSEP_SepJobContext::GroupScope inside(m_job, IsolatesOrKnocksOut(form));
        SeparateContent(form.OpenStream(2), resources, state, forms, formResources, inkState);
    }
    // Shared by every ink's copy: what is in force at Do applies to the group.
    const GLOB_Object group = InkGroup(Doc(), form);
    for (uint32_t i = 0; i < NumColorants(); ++i) {
        for (const char* key : {"Type", "Subtype", "BBox", "FormType", "Matrix"})
            CSEP_Utils::CopyKey(key, form, forms[i]);
        forms[i].DictPut(GLOB_Name("Resources"), formResources[i].Dict());
        if (!group.IsNull())
            forms[i].DictPut(GLOB_Name("Group"), group);
    }
}

void CSEP_PDFSeparator::SeparateTilingPattern(const GLOB_Object& pattern, std::vector<GLOB_Object>& patterns) {
    std::vector<CPDF_ResourcesDict> patternResources;
    SeparateContent(pattern.OpenStream(2), CPDF_ResourcesDict(pattern.DictGet(GLOB_Name("Resources"))),
                    CPDF_GraphicsState(), patterns, patternResources);
    for (uint32_t i = 0; i < NumColorants(); ++i) {
        // The source's /Type, when it has one, is /Pattern.
        patterns[i].DictPut(GLOB_Name("Type"), Doc().NewName(GLOB_Name("Pattern")));
        for (const char* key : {"PatternType", "PaintType", "TilingType", "Matrix", "BBox", "XStep", "YStep"})
            CSEP_Utils::CopyKey(key, pattern, patterns[i]);
        patterns[i].DictPut(GLOB_Name("Resources"), patternResources[i].Dict());
    }
}

void CSEP_PDFSeparator::SeparateType3Font(const GLOB_Object& font, const CPDF_ResourcesDict& resources,
                                          std::vector<GLOB_Object>& fonts, const CPDF_GraphicsState& colours,
                                          const std::vector<GLOB_Name>& only) {
    const CPDF_Doc doc = Doc();
    const GLOB_Object charProcs = font.DictGet(GLOB_Name("CharProcs"));
    const GLOB_Dict glyphs = charProcs.IsDict() ? charProcs.AsDict() : GLOB_Dict();
    std::vector<GLOB_Object> inkCharProcs;
    for (uint32_t i = 0; i < NumColorants(); ++i)
        inkCharProcs.push_back(doc.NewDict(glyphs.Size(), true));

    CSEP_ContentSeparator separator;
    separator.SetJobContext(m_job);
    separator.SetGlyphProcedures(true);
    CSEP_ResourceCache cache;
    const CPDF_GraphicsState& state = colours;
    // Only a font shown in colours of its own writes them into its glyphs.
    const bool coloured = !CSEP_ContentSeparator::IsSameColorState(CSEP_ResourceCache::FontCategory, colours,
                                                                    CPDF_GraphicsState());
    GLOB_Name glyph;
    GLOB_Object procedure;
    std::vector<GLOB_Object> streams;
    for (uint32_t k = 0; glyphs.Entry(k, &glyph, &procedure); ++k) {
        if (!procedure.IsStream() || (!only.empty() && std::find(only.begin(), only.end(), glyph) == only.end()))
            continue;
        bool inPlace = false;
        if (coloured)
            CSEP_GroupInheritance::ScanGlyph(procedure, resources.Dict(), &inPlace);
        separator.SetGlyphDrawnInPlace(inPlace);
        GLOB_Stream data = procedure.OpenStream(2);
        try {
            separator.SeparateStream(data, resources, state, streams, &cache);
        } catch (...) {
            CloseQuietly(data);
            throw;
        }
        data.Close();
        for (uint32_t i = 0; i < NumColorants(); ++i)
            inkCharProcs[i].DictPut(glyph, streams[i]);
    }
    std::vector<CPDF_ResourcesDict> inkResources;
    SeparateResources(cache, resources, inkResources);

    fonts.clear();
    for (uint32_t i = 0; i < NumColorants(); ++i) {
        const GLOB_Object inkFont = doc.NewDict(16, true);
        inkFont.DictPut(GLOB_Name("CharProcs"), inkCharProcs[i]);
        inkFont.DictPut(GLOB_Name("Resources"), inkResources[i].Dict());
        for (const char* key : {"Type", "Subtype", "BaseFont", "Encoding", "ToUnicode", "FirstChar", "LastChar",
                                "Widths", "FontBBox", "FontMatrix"})
            CSEP_Utils::CopyKey(key, font, inkFont);
        fonts.push_back(inkFont);
    }
}
