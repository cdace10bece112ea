#include "CPDF/content/CPDF_TextState.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"

#include <ostream>

CPDF_TextState::CPDF_TextState() : m_core(new (__LINE__, "CPDF_TextState") iCPDF_TextStateCore) {}

void CPDF_TextState::SetDefaults() { Detach().SetDefaults(); }
void CPDF_TextState::SetFont(const GLOB_Object& font) { Detach().SetFont(font); }
void CPDF_TextState::SetFontSize(double size) { Detach().SetFontSize(size); }
void CPDF_TextState::SetCharSpacing(double spacing) { Detach().SetCharSpacing(spacing); }
void CPDF_TextState::SetWordSpacing(double spacing) { Detach().SetWordSpacing(spacing); }
void CPDF_TextState::SetHorizontalScaling(double factor) { Detach().SetHorizontalScaling(factor); }
void CPDF_TextState::SetLeading(double leading) { Detach().SetLeading(leading); }
void CPDF_TextState::SetRise(double rise) { Detach().SetRise(rise); }
void CPDF_TextState::SetTextMatrix(const GLIB_Matrix& m) { Detach().SetTextMatrix(m); }
void CPDF_TextState::SetLineMatrix(const GLIB_Matrix& m) { Detach().SetLineMatrix(m); }
void CPDF_TextState::ConcatTextMatrix(const GLIB_Matrix& m) { Detach().ConcatTextMatrix(m); }
void CPDF_TextState::ConcatLineMatrix(const GLIB_Matrix& m) { Detach().ConcatLineMatrix(m); }

void CPDF_TextState::SetRenderingMode(int32_t Tr) {
    GLIB_ASSERT_CMP(Tr, >=, CPDF_TextState::Fill);
    GLIB_ASSERT_CMP(Tr, <=, CPDF_TextState::Clip);
    Detach().SetRenderingMode(Tr);
}

bool CPDF_TextState::operator==(const CPDF_TextState& other) const {
    return m_core.get() == other.m_core.get() || *m_core == *other.m_core;
}

const char* CPDF_TextState::RenderingModeName(int32_t mode) {
    static const char* const names[] = {"Fill",        "Stroke",        "FillAndStroke",     "Nothing",
                                        "FillAndClip", "StrokeAndClip", "FillStrokeAndClip", "Clip"};
    return mode >= Fill && mode <= Clip ? names[mode] : "?";
}

void CPDF_TextState::Print(std::ostream& os) const {
    const iCPDF_TextStateCore& core = *m_core;
    os << "\n***** Text State *****\n";
    os << "Font               : ";
    core.Font().Print(os) << "\n";
    os << "Font Size          : " << core.FontSize() << "\n";
    os << "Character Spacing  : " << core.CharSpacing() << "\n";
    os << "Word Spacing       : " << core.WordSpacing() << "\n";
    os << "Horizontal Scaling : " << core.HorizontalScaling() << "\n";
    os << "Text Leading       : " << core.Leading() << "\n";
    os << "Rendering Mode     : " << RenderingModeName(core.RenderMode()) << "\n";
    os << "Text Rise          : " << core.Rise() << "\n";
    os << "Text Matrix        : " << core.TextMatrix() << "\n";
    os << "Line Matrix        : " << core.LineMatrix() << "\n";
}

void CPDF_TextState::Dump() const {
    GLIB_MessageStream ms;
    Print(ms);
    ms.Log(GLIB_LogInfo, __FILE__, __LINE__);
}
