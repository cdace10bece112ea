// What a soft mask's group takes from the graphics state in force where the
// mask is set: the fill colour when it fills, shows text in a filling mode or
// draws a stencil image before it sets a fill colour of its own (g, rg, k,
// cs), the stroke colour likewise (G, RG, K, CS), and the text mode when it
// shows text before Tr. q and Q save and restore what is set; sc and scn
// alone set nothing, their space being the one in force.
//
// Doubt counts as taking: a form (or an XObject the group's resources do not
// hold) takes every side not yet set, text shown before Tr or in a font
// whose glyphs are not outlines (Type 3, or a font of no outline Subtype or
// none at all) takes both colours whatever its mode, and content the parser
// stops in or cannot read (a Tf naming no font among them) takes everything.
// A cancel or an out-of-memory passes through.
//
// A Type 3 font's coloured glyphs (procedures that begin with d0) are read
// the same way, with the font's resources: MuPDF draws such a glyph once
// and keeps it, in a state of its own, so that whatever the glyph takes is
// black there whatever is in force where it is shown. Text such a glyph
// shows before its own Tr is in mode 0 there, and takes by that mode. A
// glyph that fills or strokes a path in a colour it does not set MuPDF
// draws in place instead, in the state of the show, and takes nothing.
#pragma once

#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

class CSEP_GroupInheritance {
public:
    enum : uint32_t { FillTaken = 1, StrokeTaken = 2, TextModeTaken = 4, AllTaken = 7 };

    // The sides group (a form's stream) takes, read once per group.
    uint32_t Taken(const GLOB_Object& group);
    // A Type 3 font's codes: the glyph each names in the font's
    // Differences (empty where it names none) and the sides its coloured
    // glyph takes; a code left to a base encoding counts as any glyph.
    struct GlyphCodes {
        GLOB_Name m_glyphs[256];
        uint8_t m_taken[256] = {};
        uint32_t m_any = 0;  // the sides some glyph takes
        bool m_inPlace = false;  // some glyph is drawn in place
    };
    // Read once per font; resources: those its glyphs use when it has none
    // of its own.
    const GlyphCodes& Codes(const GLOB_Object& font, const GLOB_Object& resources);
    uint32_t GlyphsTaken(const GLOB_Object& font, const GLOB_Object& resources) {
        return Codes(font, resources).m_any;
    }
    // Forgets every group and font read.
    void Clear() {
        m_taken.clear();
        m_codes.clear();
    }

    // The sides the content of group takes, read now.
    static uint32_t Scan(const GLOB_Object& group);
    static std::unique_ptr<GlyphCodes> ScanGlyphs(const GLOB_Object& font, const GLOB_Object& resources);
    // One glyph's procedure; pathTakes: it fills or strokes a path in a
    // colour it does not set, which MuPDF draws in place, not kept, in the
    // state where the glyph is shown.
    static uint32_t ScanGlyph(const GLOB_Object& procedure, const GLOB_Object& resources, bool* pathTakes);
    // The bytes of object's handle and back-end, by which the caches of
    // groups and their resources know an object again.
    static std::string ObjectKey(const GLOB_Object& object);

private:
    std::unordered_map<std::string, uint32_t> m_taken;
    std::unordered_map<std::string, std::unique_ptr<GlyphCodes>> m_codes;
};
