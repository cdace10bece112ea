// Finds the first construct of PDF 1.4 transparency that a page's resources
// hold, and says what the plates make of it, once per page. The separated
// pages keep every graphics state's CA, ca, BM and SMask, and the drawing
// composes them on each ink's grey page: alpha and the separable blend modes
// come out as a CMYK renderer gives them ink by ink, a soft mask masks every
// ink alike, while Hue, Saturation and Color paint only where nothing lies
// beneath and Luminosity paints as Normal (its pages carry /Normal). A spot
// ink's page carries /Normal for Difference, Exclusion, Hue, Saturation and
// Color. A form's group is kept, composed once on each ink's grey page with
// its isolation and knockout.
//
// Only what the content uses counts (FirstUsedConstruct): an ExtGState a gs
// sets, a form a Do draws, a pattern a scn or SCN names, a Type 3 font a Tf
// selects, each with what its own content uses, read with the resources in
// force there; the walk below then takes only those. The page's content is
// read only when its resources hold a construct at all.
//
// Transparency here: an ExtGState whose "BM" is not /Normal or /Compatible
// (an array: its first name), whose "SMask" is not /None and that a gs of
// the content sets (a mask the resources hold but no gs sets is never in
// force), or whose "CA" or
// "ca" is below 1; a form XObject whose "Group" has /S /Transparency. The
// walk takes the page's ExtGState, XObject, Pattern and Font categories in
// that order, each in dictionary order, and enters forms, tiling patterns
// and Type 3 fonts (their own "Resources") once each, no deeper than the
// job's nesting limit; a shading pattern's "ExtGState" counts as well.
// Malformed entries are not transparency and fail nothing.
#pragma once

#include "CPDF/document/CPDF_Page.h"
#include "CPDF/document/CPDF_ResourcesDict.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"
#include "separation/CSEP_ObjectSet.h"

#include <cstdint>
#include <string>

class CSEP_TransparencyFinder {
public:
    // "ExtGState GS0 with BM /Multiply", "ExtGState GS0 with SMask",
    // "ExtGState GS0 with ca 0.5", "Form Fm0 with a transparency group";
    // empty when the resources hold none.
    // masksSet: the graphics states holding a mask that a gs set.
    std::string FirstConstruct(const GLOB_Object& resources, const CSEP_ObjectSet& masksSet);
    // The first construct that content, read with resources, uses; empty
    // when it uses none. Content that fails to parse is read up to the
    // failure; a cancel and running out of memory pass.
    std::string FirstUsedConstruct(const GLOB_Stream& content, const GLOB_Object& resources,
                                   const CSEP_ObjectSet& masksSet);
    // What the plates make of the construct FirstConstruct named: "its
    // plates apply the alpha ink by ink", "its plates blend ink by ink",
    // "its plates blend each ink alone, so this mode paints only where
    // nothing lies beneath (spot: /Normal)" (or "paints as /Normal"), "its
    // plates blend ink by ink (spot: /Normal)" (spot plates take the mode
    // as /Normal), "its plates apply the
    // same mask to every ink", "its plates compose the group ink by ink".
    const std::string& Effect() const { return m_effect; }

    // Logs the warning "uses transparency (<first construct>); <effect>"
    // when the page's resources hold one (the program prints it after the
    // page's name).
    static void WarnFor(const CPDF_Page& page, const CPDF_ResourcesDict& pageResources,
                        const CSEP_ObjectSet& masksSet);
    // An ExtGState whose "SMask" is not /None.
    static bool HoldsMask(const GLOB_Object& extGState);

private:
    std::string InResources(const GLOB_Object& resources, uint32_t depth);
    // The entries of one category, each given to visit until one answers.
    std::string InCategory(const GLOB_Object& resources, const char* category,
                           std::string (CSEP_TransparencyFinder::*visit)(const GLOB_Name&, const GLOB_Object&,
                                                                         uint32_t),
                           uint32_t depth);
    std::string InExtGState(const GLOB_Name& name, const GLOB_Object& dict, uint32_t depth);
    std::string InXObject(const GLOB_Name& name, const GLOB_Object& xobject, uint32_t depth);
    std::string InPattern(const GLOB_Name& name, const GLOB_Object& pattern, uint32_t depth);
    std::string InFont(const GLOB_Name& name, const GLOB_Object& font, uint32_t depth);
    // The object's own "Resources", once per object.
    std::string Enter(const GLOB_Object& object, uint32_t depth);
    // The form's "Group" when it is a transparency group.
    std::string GroupOf(const GLOB_Name& name, const GLOB_Object& form);

    // The content walk: what content, read with resources, uses, into
    // used, then what each form, cell and Type 3 glyph it uses draws in
    // turn, each stream once.
    void UsesIn(const GLOB_Stream& content, const GLOB_Object& resources, uint32_t depth, CSEP_ObjectSet& used);
    void UsesInGlyphs(const GLOB_Object& font, const GLOB_Object& resources, uint32_t depth, CSEP_ObjectSet& used);
    // The stream's content with its own "Resources", else with resources
    // (what a form or glyph without its own takes).
    void UsesInStream(const GLOB_Object& stream, const GLOB_Object& resources, uint32_t depth, CSEP_ObjectSet& used);

    CSEP_ObjectSet m_entered;
    const CSEP_ObjectSet* m_masksSet = nullptr;
    // While set, a resource counts only when the content uses it.
    const CSEP_ObjectSet* m_used = nullptr;
    std::string m_effect;
};
