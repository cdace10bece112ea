#include "CPDF/content/iCPDF_CPPageState.h"

#include "CPDF/content/CPDF_ContentParser.h"

bool iCPDF_CPPageState::Op_cm(CPDF_ContentParser& parser) const {
    if (!HasNumbers(parser, 6))
        return false;
    parser.MutableGraphicsState().ConcatCTM(MatrixOperand(parser));
    return true;
}

bool iCPDF_CPPageState::Op_q(CPDF_ContentParser& parser) const {
    parser.PushGraphicsState();
    return true;
}

bool iCPDF_CPPageState::Op_Q(CPDF_ContentParser& parser) const {
    parser.PopGraphicsState();
    return true;
}

bool iCPDF_CPPageState::Op_BT(CPDF_ContentParser& parser) const {
    CPDF_GraphicsState& state = parser.MutableGraphicsState();
    state.SetTextMatrix(GLIB_Matrix());
    state.SetTextLineMatrix(GLIB_Matrix());
    parser.PushMarkedContentLevel();
    parser.ChangeState(TextObjectState());
    return true;
}

bool iCPDF_CPPageState::BeginPath(CPDF_ContentParser& parser,
                                  bool (iCPDF_CPStateBase::*handler)(CPDF_ContentParser&) const) {
    parser.MutablePath().Clear();
    const iCPDF_CPStateBase& path = PathObjectState();
    if (!(path.*handler)(parser))
        return false;
    parser.ChangeState(path);
    return true;
}

bool iCPDF_CPPageState::Op_m(CPDF_ContentParser& parser) const { return BeginPath(parser, &iCPDF_CPStateBase::Op_m); }

bool iCPDF_CPPageState::Op_re(CPDF_ContentParser& parser) const { return BeginPath(parser, &iCPDF_CPStateBase::Op_re); }

bool iCPDF_CPPageState::Op_h(CPDF_ContentParser& parser) const { return BeginPath(parser, &iCPDF_CPStateBase::Op_h); }

bool iCPDF_CPPageState::Op_n(CPDF_ContentParser& parser) const {
    parser.MutablePath().Clear();
    return true;
}

bool iCPDF_CPPageState::Op_BI(CPDF_ContentParser& parser) const {
    parser.SetPostProcess(&CPDF_ContentParser::PushDictionaryMarker);
    parser.ChangeState(ImageState());
    return true;
}

bool iCPDF_CPPageState::Op_sh(CPDF_ContentParser& parser) const { return HasOperands(parser, 1); }

bool iCPDF_CPPageState::Op_d0(CPDF_ContentParser& parser) const { return HasOperands(parser, 2); }

bool iCPDF_CPPageState::Op_Do(CPDF_ContentParser& parser) const { return HasOperands(parser, 1); }

bool iCPDF_CPPageState::Op_d1(CPDF_ContentParser& parser) const { return HasOperands(parser, 6); }

bool iCPDF_CPPageState::Op_PS(CPDF_ContentParser& parser) const { return HasOperands(parser, 1); }
