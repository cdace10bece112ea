#include "CPDF/content/CPDF_GraphicsState.h"

#include "CPDF/content/iCPDF_ExtGStateKeyTable.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"

#include <ostream>

CPDF_GraphicsState::CPDF_GraphicsState()
    : m_core(new (__LINE__, "CPDF_GraphicsState") iCPDF_GraphicsStateCore) {
    iCPDF_ExtGStateKeyTable::Initialize();
}

void CPDF_GraphicsState::SetDefaults() { Detach().SetDefaults(); }

void CPDF_GraphicsState::SetCTM(const GLIB_Matrix& m) { Detach().m_ctm = m; }
void CPDF_GraphicsState::ConcatCTM(const GLIB_Matrix& m) { Detach().m_ctm.Concat(m); }

void CPDF_GraphicsState::ClearClipPath() { Detach().m_clipPath.Clear(); }
void CPDF_GraphicsState::AppendClipPath(const CPDF_Path& path) { Detach().m_clipPath.Append(path); }
void CPDF_GraphicsState::IntersectClipPath(const CPDF_PathList& list) { Detach().m_clipPath.Append(list); }
void CPDF_GraphicsState::AssignClipPath(const CPDF_PathList& list) { Detach().m_clipPath = list; }

void CPDF_GraphicsState::SetFillColor(const CPDF_Color& color) { Detach().m_fillColor = color; }
void CPDF_GraphicsState::SetStrokeColor(const CPDF_Color& color) { Detach().m_strokeColor = color; }

void CPDF_GraphicsState::SetFillColorSpace(const CPDF_ColorSpace& space) {
    iCPDF_GraphicsStateCore& core = Detach();
    core.m_fillColorSpace = space;
    if (!core.m_fillPattern.IsEmpty())  // an empty name is a heap core of its own
        core.m_fillPattern = GLOB_Name();
}

void CPDF_GraphicsState::SetStrokeColorSpace(const CPDF_ColorSpace& space) {
    iCPDF_GraphicsStateCore& core = Detach();
    core.m_strokeColorSpace = space;
    if (!core.m_strokePattern.IsEmpty())  // an empty name is a heap core of its own
        core.m_strokePattern = GLOB_Name();
}

void CPDF_GraphicsState::SetFillPattern(const GLOB_Name& name) { Detach().m_fillPattern = name; }
void CPDF_GraphicsState::SetStrokePattern(const GLOB_Name& name) { Detach().m_strokePattern = name; }
void CPDF_GraphicsState::SetFillOverprint(bool on) { Detach().m_fillOverprint = on; }
void CPDF_GraphicsState::SetStrokeOverprint(bool on) { Detach().m_strokeOverprint = on; }
void CPDF_GraphicsState::SetOverprintMode(int32_t mode) { Detach().m_overprintMode = mode; }

void CPDF_GraphicsState::SetBlackGeneration(const GLOB_Object& function) { Detach().SetBlackGeneration(function); }
void CPDF_GraphicsState::SetUndercolorRemoval(const GLOB_Object& function) { Detach().SetUndercolorRemoval(function); }
void CPDF_GraphicsState::SetTransfer(const GLOB_Object& function) { Detach().SetTransfer(function); }
void CPDF_GraphicsState::SetHalftone(const GLOB_Object& dict) { Detach().SetHalftone(dict); }
void CPDF_GraphicsState::SetLineCap(int32_t style) { Detach().SetLineCap(style); }
void CPDF_GraphicsState::SetLineJoin(int32_t style) { Detach().SetLineJoin(style); }
void CPDF_GraphicsState::SetLineWidth(double width) { Detach().SetLineWidth(width); }
void CPDF_GraphicsState::SetMiterLimit(double ratio) { Detach().SetMiterLimit(ratio); }
void CPDF_GraphicsState::SetSmoothness(double percent) { Detach().SetSmoothness(percent); }

void CPDF_GraphicsState::SetHalftonePhase(int32_t x, int32_t y) {
    iCPDF_GraphicsStateCore& core = Detach();
    core.m_halftonePhaseX = x;
    core.m_halftonePhaseY = y;
}

void CPDF_GraphicsState::SetDashPattern(const CPDF_DashPattern& pattern) { Detach().m_dashPattern = pattern; }
void CPDF_GraphicsState::SetFlatness(double flatness) { Detach().m_flatness = flatness; }
void CPDF_GraphicsState::SetStrokeAdjustment(bool on) { Detach().m_strokeAdjustment = on; }
void CPDF_GraphicsState::SetRenderingIntent(const GLOB_Name& intent) { Detach().m_renderingIntent = intent; }

void CPDF_GraphicsState::SetTextState(const CPDF_TextState& textState) { Detach().m_textState = textState; }
void CPDF_GraphicsState::SetFont(const GLOB_Object& font) { Detach().m_textState.SetFont(font); }
void CPDF_GraphicsState::SetFontSize(double size) { Detach().m_textState.SetFontSize(size); }
void CPDF_GraphicsState::SetCharSpacing(double spacing) { Detach().m_textState.SetCharSpacing(spacing); }
void CPDF_GraphicsState::SetWordSpacing(double spacing) { Detach().m_textState.SetWordSpacing(spacing); }
void CPDF_GraphicsState::SetHorizontalScaling(double factor) { Detach().m_textState.SetHorizontalScaling(factor); }
void CPDF_GraphicsState::SetTextLeading(double leading) { Detach().m_textState.SetLeading(leading); }
void CPDF_GraphicsState::SetTextRise(double rise) { Detach().m_textState.SetRise(rise); }
void CPDF_GraphicsState::SetTextRenderingMode(int32_t mode) { Detach().m_textState.SetRenderingMode(mode); }
void CPDF_GraphicsState::SetTextMatrix(const GLIB_Matrix& m) { Detach().m_textState.SetTextMatrix(m); }
void CPDF_GraphicsState::SetTextLineMatrix(const GLIB_Matrix& m) { Detach().m_textState.SetLineMatrix(m); }
void CPDF_GraphicsState::ConcatTextMatrix(const GLIB_Matrix& m) { Detach().m_textState.ConcatTextMatrix(m); }
void CPDF_GraphicsState::ConcatTextLineMatrix(const GLIB_Matrix& m) { Detach().m_textState.ConcatLineMatrix(m); }

bool CPDF_GraphicsState::operator==(const CPDF_GraphicsState& other) const {
    return m_core.get() == other.m_core.get() || *m_core == *other.m_core;
}

const char* CPDF_GraphicsState::OverprintModeName(int32_t mode) {
    static const char* const names[] = {"Off", "On"};
    return mode >= 0 && mode <= 1 ? names[mode] : "?";
}

const char* CPDF_GraphicsState::LineCapName(int32_t cap) {
    static const char* const names[] = {"Butt End Caps", "Round End Caps", "ProjectingSquareCaps"};
    return cap >= iCPDF_GraphicsStateCore::ButtEndCaps && cap <= iCPDF_GraphicsStateCore::ProjectingSquareCaps
               ? names[cap]
               : "?";
}

const char* CPDF_GraphicsState::LineJoinName(int32_t join) {
    static const char* const names[] = {"MiterJoins", "Round Joins", "Bevel Joins"};
    return join >= iCPDF_GraphicsStateCore::MiterJoins && join <= iCPDF_GraphicsStateCore::BevelJoins ? names[join]
                                                                                                      : "?";
}

const char* CPDF_GraphicsState::TextRenderModeName(int32_t mode) { return CPDF_TextState::RenderingModeName(mode); }

const char* CPDF_GraphicsState::BoolName(bool value) { return value ? "True" : "False"; }

void CPDF_GraphicsState::Print(std::ostream& os) const {
    const iCPDF_GraphicsStateCore& c = *m_core;
    os << "\n***** Graphics State *****\n";
    os << "CTM                : " << c.m_ctm << "\n";
    os << "Clip Path          : " << c.m_clipPath << "\n";
    os << "Overprint mode     : " << OverprintModeName(c.m_overprintMode) << "\n";
    const auto side = [&os](const char* const labels[4], const CPDF_Color& color, const CPDF_ColorSpace& space,
                            const GLOB_Name& pattern, bool overprint) {
        color.Print(os << labels[0]) << "\n";
        space.Print(os << labels[1]) << "\n";
        pattern.Print(os << labels[2]) << "\n";
        os << labels[3] << BoolName(overprint) << "\n";
    };
    static const char* const fill[4] = {"Fill color         : ", "Fill colorspace    : ", "Fill pattern       : ",
                                        "Fill Overprint     : "};
    static const char* const stroke[4] = {"Stroke color       : ", "Stroke colorspace  : ",
                                          "Stroke pattern     : ", "Stroke Overprint   : "};
    side(fill, c.m_fillColor, c.m_fillColorSpace, c.m_fillPattern, c.m_fillOverprint);
    side(stroke, c.m_strokeColor, c.m_strokeColorSpace, c.m_strokePattern, c.m_strokeOverprint);
    os << "Line Width         : " << c.m_lineWidth << "\n";
    os << "Line Cap Style     : " << LineCapName(c.m_lineCap) << "\n";
    os << "Line Join Style    : " << LineJoinName(c.m_lineJoin) << "\n";
    os << "Miter Limit        : " << c.m_miterLimit << "\n";
    os << "Dash Pattern       : " << c.m_dashPattern << "\n";
    os << "Stroke Adjustment  : " << BoolName(c.m_strokeAdjustment) << "\n";
    os << "Flatness           : " << c.m_flatness << "\n";
    os << "Smoothness         : " << c.m_smoothness << "\n";
    const struct {
        const char* label;
        const GLOB_Object& object;
    } functions[] = {{"Black Generation   : ", c.m_blackGeneration},
                     {"Undercolor Removal : ", c.m_undercolorRemoval},
                     {"Gray Transfer      : ", c.m_transfer},
                     {"Halftone           : ", c.m_halftone}};
    for (const auto& f : functions)
        f.object.Print(os << f.label) << "\n";
    c.m_renderingIntent.Print(os << "Rendering Intent   : ") << "\n";
    os << "Halftone Phase     : [" << c.m_halftonePhaseX << "," << c.m_halftonePhaseY << "]\n";
    c.m_textState.Print(os);
}

void CPDF_GraphicsState::Dump() const {
    GLIB_MessageStream ms;
    Print(ms);
    ms.Log(GLIB_LogInfo, __FILE__, __LINE__);
}

std::ostream& operator<<(std::ostream& os, const CPDF_GraphicsState& state) {
    state.Print(os);
    return os;
}
