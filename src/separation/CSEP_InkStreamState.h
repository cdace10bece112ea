// What the content separator has written into an ink's stream beyond what
// the content model's graphics state holds: saved by q, restored by Q, and
// handed to a form, cell or glyph drawn there as the state it starts in
// (Inherited), which is part of the key that picks the nested stream's
// separation.
#pragma once

#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"

class CSEP_InkStreamState {
public:
    // The coloured Type 3 font in force, the name its record in this
    // stream's resource cache goes by, and the name of the copy the inks
    // were last given: empty, no copy known, so the next show names one.
    GLOB_Object m_glyphFont;
    GLOB_Name m_glyphSource;
    GLOB_Name m_glyphWritten;
    // What of the transparency in force decides how a fill and stroke is
    // drawn (MuPDF's knockout group); the content model keeps neither.
    double m_strokeAlpha = 1.0;
    bool m_normalBlend = true;

    bool KnocksOut() const { return m_strokeAlpha != 0.0 && !(m_strokeAlpha == 1.0 && m_normalBlend); }
    // The CA and BM an ExtGState sets; anything else changes nothing.
    void ApplyExtGState(const GLOB_Object& extGState);
    // A font set otherwise than through the copies: none known.
    void ForgetGlyphFont() { *this = WithoutGlyphFont(); }
    // The state a nested stream starts in: its names are its own, so it
    // knows no copy and names one at its first show.
    CSEP_InkStreamState Inherited() const { return WithoutGlyphFont(); }
    // Equal in what a nested stream's writing depends on: whether its marks
    // knock out, whatever blend mode or alpha it sets of its own, takes
    // only whether the alpha is 0, 1 or between.
    bool SameInherited(const CSEP_InkStreamState& other) const {
        return AlphaKind() == other.AlphaKind() && m_normalBlend == other.m_normalBlend;
    }

private:
    int AlphaKind() const { return m_strokeAlpha == 0.0 ? 0 : m_strokeAlpha == 1.0 ? 1 : 2; }
    CSEP_InkStreamState WithoutGlyphFont() const;
};
