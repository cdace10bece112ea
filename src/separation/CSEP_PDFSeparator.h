// Makes the separation pages of one source page in the job's output
// document, one per ink, and separates the forms, tiling patterns and Type 3
// fonts that the resource separator hands back to it. The content and
// resource separators do the colour work; this class drives them, counts
// the page's stream bytes for the progress meter, and owns the format of a
// separation page:
//
//   page i (at index + i)  "MediaBox" of the source; "CropBox" only when it
//                          differs from it (GLIB_Rect::operator!=);
//                          "Rotate"; "ArtBox", "BleedBox", "TrimBox" as the
//                          source page holds them; "Contents" and
//                          "Resources" of ink i (with the source's "ProcSet"
//                          and "Properties"); "SeparationInfo"
//   SeparationInfo         << /DeviceColorant /<ink>
//                             /VELM_Recipe [c m y k]
//                             /ColorSpace [/Separation /<ink> /DeviceCMYK
//                                          <tint transform>]
//                             /Pages <one indirect array of the pages of
//                                     every ink, page i at i> >>
//   tint transform         an unfiltered FunctionType 4 stream, Domain
//                          [0 1], Range [0 1 0 1 0 1 0 1]: "{ " then
//                          " dup <c> mul exch\n" per recipe component, then
//                          " pop }", each component in plain decimal with
//                          six significant digits, so t gives c·t, m·t,
//                          y·t, k·t
//
// A spot ink whose recipe the colour separator refuses (1128001) gets
// [0 0 0 0] and a warning naming it; the page is still made. A page that
// uses transparency is separated with one warning naming its first
// transparency construct and what the plates make of it
// (CSEP_TransparencyFinder); one with printable annotations, with one
// warning that they are not separated (CSEP_AnnotationFinder).
//
// Failures: on any exception the meter is stopped (and stops listening) and
// the content stream closed; a GLIB_Exception of code 1 while the job's cancel manager reports
// a cancel becomes GLIB_Exception 1128003 "Cancel Requested", every other
// exception passes unchanged (the meter's own cancel, 1128003 "Cancel
// requested", among them; a colour space's CPDF_Exception 1128003 too).
// Content, resources and every ink's SeparationInfo are made before any
// page, and pages made before a later fault are removed, so a failed page
// adds no page and leaves newPages empty. Errors of the page (no media box, contents or
// resources) are the document model's.
#pragma once

#include "CPDF/content/CPDF_GraphicsState.h"
#include "CPDF/document/CPDF_Page.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"
#include "separation/CSEP_ResourceCache.h"
#include "separation/CSEP_SepJobContext.h"

#include <cstdint>
#include <vector>

class CSEP_PDFSeparator {
public:
    // A fresh job of its own until SetJobContext.
    CSEP_PDFSeparator();
    ~CSEP_PDFSeparator();
    CSEP_PDFSeparator(const CSEP_PDFSeparator&) = delete;
    CSEP_PDFSeparator& operator=(const CSEP_PDFSeparator&) = delete;

    void SetJobContext(const CSEP_SepJobContext& job);

    // Starts the job's meter on the page's document, counts the bytes of
    // every stream the page may read, makes the separation pages from index
    // on (newPages receives their dictionaries in ink order) and stops the
    // meter, which then no longer hears the document, failed or not.
    void SeparatePage(const CPDF_Page& page, int index, std::vector<GLOB_Object>& newPages);
    // One separated form per ink, separated from state (the state it is
    // drawn under, and inkState, what the inks' streams have in force
    // there), keeping "Type", "Subtype", "BBox", "FormType" and
    // "Matrix"; a transparency group keeps its "Group" ("S", "I" and "K",
    // with "CS" /DeviceGray, the space an ink's page blends in).
    void SeparateForm(const GLOB_Object& form, const CPDF_ResourcesDict& resources, const CPDF_GraphicsState& state,
                      std::vector<GLOB_Object>& forms, const CSEP_InkStreamState& inkState = CSEP_InkStreamState());
    // One coloured tiling pattern per ink, with its own "Resources".
    void SeparateTilingPattern(const GLOB_Object& pattern, std::vector<GLOB_Object>& patterns);
    // One Type 3 font per ink whose glyph procedures are separated (nothing
    // written before their d0 or d1, a d0 glyph's colours from colours
    // right after it); resources are those the glyphs use. glyphs: the only
    // procedures the fonts hold; empty: every one.
    void SeparateType3Font(const GLOB_Object& font, const CPDF_ResourcesDict& resources,
                           std::vector<GLOB_Object>& fonts, const CPDF_GraphicsState& colours = CPDF_GraphicsState(),
                           const std::vector<GLOB_Name>& glyphs = {});

private:
    // Watches the streams of object (a stream, an array or dictionary of
    // them) and those resources reaches: images, forms and tiling patterns
    // (entered once, each with its own resources, no deeper than the job's
    // nesting limit), shadings and Type 3 glyph procedures.
    void CountStreamBytes(const GLOB_Object& object, const CPDF_ResourcesDict& resources, uint32_t depth = 0);
    void CountResourceStreams(const GLOB_Object& category, bool xObjects, uint32_t depth);
    void WatchStream(const GLOB_Object& stream);
    // Every ink's SeparationInfo is made before the first page, and pages
    // made before a failure are removed, so a failed page adds none.
    // resources: the page's (CSEP_Utils::PageResources); newPages starts
    // empty.
    void MakeSeparationPages(const CPDF_Page& page, const CPDF_ResourcesDict& resources, int index,
                             std::vector<GLOB_Object>& newPages);
    // Cleanup after a failure: a fault deleting them is only logged.
    void RemovePagesQuietly(int index, size_t count);
    GLOB_Object MakeSeparationInfo(const CPDF_Colorant& ink, const CPDF_ResourcesDict& resources,
                                   const GLOB_Object& pages);
    // One content stream and resource dictionary per ink; closes stream.
    void SeparateContent(GLOB_Stream stream, const CPDF_ResourcesDict& resources, const CPDF_GraphicsState& state,
                         std::vector<GLOB_Object>& contents, std::vector<CPDF_ResourcesDict>& inkResources,
                         const CSEP_InkStreamState& inkState = CSEP_InkStreamState());
    void SeparateResources(const CSEP_ResourceCache& cache, const CPDF_ResourcesDict& resources,
                           std::vector<CPDF_ResourcesDict>& inkResources);
    CPDF_Doc Doc() const { return m_job.Doc(); }
    uint32_t NumColorants() const { return m_job.NumColorants(); }

    CSEP_SepJobContext m_job;
    std::vector<GLOB_Object> m_countedFonts;  // Type 3 fonts entered by the count
};
