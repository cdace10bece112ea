#include "CPDF/content/iCPDF_CPPathState.h"

#include "CPDF/content/CPDF_ContentParser.h"
#include "GLIB/GLIB_Exception.h"

#include <string>

bool iCPDF_CPPathState::Segment(CPDF_ContentParser& parser, uint32_t kind) {
    try {
        parser.MutablePath().AddOperator(kind, parser.Operands());
    } catch (GLIB_Exception& error) {
        // The path's words name no operator; "re" and "l" fail alike.
        error.SetMessage(std::string("operator ") + parser.OperatorText() + ": " + error.What());
        throw;
    }
    return true;
}

bool iCPDF_CPPathState::Paint(CPDF_ContentParser& parser, bool close, uint32_t fillRule) {
    CPDF_Path& path = parser.MutablePath();
    if (close)
        path.PushOperator(GLOB_Path::ClosePath);
    if (fillRule != Unchanged)
        path.SetFillRule(fillRule);
    parser.EndPainting(PageState());
    return true;
}

bool iCPDF_CPPathState::Clip(CPDF_ContentParser& parser, uint32_t fillRule) {
    CPDF_Path clip = parser.Path();
    clip.SetFillRule(fillRule);
    parser.AddPendingClip(clip);
    return true;
}

bool iCPDF_CPPathState::Op_c(CPDF_ContentParser& parser) const { return Segment(parser, GLOB_Path::CurveTo); }
bool iCPDF_CPPathState::Op_h(CPDF_ContentParser& parser) const { return Segment(parser, GLOB_Path::ClosePath); }
bool iCPDF_CPPathState::Op_l(CPDF_ContentParser& parser) const { return Segment(parser, GLOB_Path::LineTo); }
bool iCPDF_CPPathState::Op_m(CPDF_ContentParser& parser) const { return Segment(parser, GLOB_Path::MoveTo); }
bool iCPDF_CPPathState::Op_re(CPDF_ContentParser& parser) const { return Segment(parser, GLOB_Path::Rect); }
bool iCPDF_CPPathState::Op_v(CPDF_ContentParser& parser) const { return Segment(parser, GLOB_Path::CurveToV); }
bool iCPDF_CPPathState::Op_y(CPDF_ContentParser& parser) const { return Segment(parser, GLOB_Path::CurveToY); }

bool iCPDF_CPPathState::Op_b(CPDF_ContentParser& parser) const {
    return Paint(parser, true, GLOB_Path::NonZeroWindingFill);
}
bool iCPDF_CPPathState::Op_B(CPDF_ContentParser& parser) const {
    return Paint(parser, false, GLOB_Path::NonZeroWindingFill);
}
bool iCPDF_CPPathState::Op_bStar(CPDF_ContentParser& parser) const {
    return Paint(parser, true, GLOB_Path::EvenOddFill);
}
bool iCPDF_CPPathState::Op_BStar(CPDF_ContentParser& parser) const {
    return Paint(parser, false, GLOB_Path::EvenOddFill);
}
bool iCPDF_CPPathState::Op_f(CPDF_ContentParser& parser) const {
    return Paint(parser, false, GLOB_Path::NonZeroWindingFill);
}
bool iCPDF_CPPathState::Op_F(CPDF_ContentParser& parser) const {
    return Paint(parser, false, GLOB_Path::NonZeroWindingFill);
}
bool iCPDF_CPPathState::Op_fStar(CPDF_ContentParser& parser) const {
    return Paint(parser, false, GLOB_Path::EvenOddFill);
}
bool iCPDF_CPPathState::Op_n(CPDF_ContentParser& parser) const { return Paint(parser, false, Unchanged); }
bool iCPDF_CPPathState::Op_s(CPDF_ContentParser& parser) const { return Paint(parser, true, Unchanged); }
bool iCPDF_CPPathState::Op_S(CPDF_ContentParser& parser) const { return Paint(parser, false, Unchanged); }

bool iCPDF_CPPathState::Op_W(CPDF_ContentParser& parser) const {
    return Clip(parser, GLOB_Path::NonZeroWindingFill);
}
bool iCPDF_CPPathState::Op_WStar(CPDF_ContentParser& parser) const { return Clip(parser, GLOB_Path::EvenOddFill); }

bool iCPDF_CPNullPathState::EndPath(CPDF_ContentParser& parser) {
    parser.ChangeState(PageState());
    return true;
}
