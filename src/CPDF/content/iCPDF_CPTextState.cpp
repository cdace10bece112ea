#include "CPDF/content/iCPDF_CPTextState.h"

#include "CPDF/content/CPDF_ContentParser.h"

void iCPDF_CPTextState::EndTextObjectLevel(CPDF_ContentParser& parser) {
    if (parser.MarkedContentCount() != 0) {
        parser.MessageStream().str("");
        parser.MessageStream() << "Incorrectly nested BDC/BMC - EMC mark operators detected";
    }
    parser.PopMarkedContentLevel();
}

void iCPDF_CPTextState::MoveToNextLine(CPDF_ContentParser& parser, double tx, double ty) {
    CPDF_GraphicsState& state = parser.MutableGraphicsState();
    state.ConcatTextLineMatrix(GLIB_Matrix(1, 0, 0, 1, tx, ty));
    state.SetTextMatrix(state.TextState().LineMatrix());
}

bool iCPDF_CPTextState::Op_ET(CPDF_ContentParser& parser) const {
    EndTextObjectLevel(parser);
    parser.EndPainting(PageState());
    return true;
}

bool iCPDF_CPTextState::Op_Tj(CPDF_ContentParser& parser) const { return HasOperands(parser, 1); }

bool iCPDF_CPTextState::Op_TJ(CPDF_ContentParser& parser) const { return HasOperands(parser, 1); }

bool iCPDF_CPTextState::Op_Quote(CPDF_ContentParser& parser) const {
    if (!HasOperands(parser, 1))
        return false;
    MoveToNextLine(parser, 0, -parser.GraphicsState().TextState().Leading());
    return true;
}

bool iCPDF_CPTextState::Op_DoubleQuote(CPDF_ContentParser& parser) const {
    if (!HasOperands(parser, 3))
        return false;
    // The spacings it sets outlive the show, as Tw and Tc would.
    const GLOB_Object wordSpacing = parser.Operands().Operand(2);
    const GLOB_Object charSpacing = parser.Operands().Operand(1);
    if (wordSpacing.IsNumber())
        parser.MutableGraphicsState().SetWordSpacing(wordSpacing.AsNumber());
    if (charSpacing.IsNumber())
        parser.MutableGraphicsState().SetCharSpacing(charSpacing.AsNumber());
    MoveToNextLine(parser, 0, -parser.GraphicsState().TextState().Leading());
    return true;
}

bool iCPDF_CPTextState::Op_Td(CPDF_ContentParser& parser) const {
    if (!HasNumbers(parser, 2))
        return false;
    MoveToNextLine(parser, Number(parser, 1), Number(parser, 0));
    return true;
}

bool iCPDF_CPTextState::Op_TD(CPDF_ContentParser& parser) const {
    if (!HasNumbers(parser, 2))
        return false;
    parser.MutableGraphicsState().SetTextLeading(-Number(parser, 0));
    MoveToNextLine(parser, Number(parser, 1), Number(parser, 0));
    return true;
}

bool iCPDF_CPTextState::Op_Tm(CPDF_ContentParser& parser) const {
    if (!HasNumbers(parser, 6))
        return false;
    const GLIB_Matrix m = MatrixOperand(parser);
    parser.MutableGraphicsState().SetTextMatrix(m);
    parser.MutableGraphicsState().SetTextLineMatrix(m);
    return true;
}

bool iCPDF_CPTextState::Op_TStar(CPDF_ContentParser& parser) const {
    MoveToNextLine(parser, 0, -parser.GraphicsState().TextState().Leading());
    return true;
}

bool iCPDF_CPNullTextState::Op_ET(CPDF_ContentParser& parser) const {
    iCPDF_CPTextState::EndTextObjectLevel(parser);
    parser.ChangeState(PageState());
    return true;
}

bool iCPDF_CPNullTextState::Accept(const CPDF_ContentParser& parser) { return !parser.IsStopped(); }
