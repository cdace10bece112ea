#include "separation/CSEP_InkStreamState.h"

#include <algorithm>

void CSEP_InkStreamState::ApplyExtGState(const GLOB_Object& extGState) {
    if (!extGState.IsDict())
        return;
    const GLOB_Object alpha = extGState.DictGet(GLOB_Name("CA"));
    if (alpha.IsNumber())
        m_strokeAlpha = std::min(std::max(alpha.AsNumber(), 0.0), 1.0);
    GLOB_Object mode = extGState.DictGet(GLOB_Name("BM"));
    // An array names the first mode the reader knows: ours know them all.
    if (mode.IsArray() && mode.Length() > 0)
        mode = mode.Get(0);
    if (mode.IsName())
        m_normalBlend = mode.AsName() == "Normal" || mode.AsName() == "Compatible";
}

CSEP_InkStreamState CSEP_InkStreamState::WithoutGlyphFont() const {
    CSEP_InkStreamState state;
    state.m_strokeAlpha = m_strokeAlpha;
    state.m_normalBlend = m_normalBlend;
    return state;
}
