#include "CPDF/content/iCPDF_CPTextStateBase.h"

#include "CPDF/content/CPDF_ContentParser.h"
#include "CPDF/iCPDF_MessageText.h"
#include "GLOB/GLOB_Array.h"

#include <algorithm>
#include <ostream>

bool iCPDF_CPTextStateBase::ClampedNumber(CPDF_ContentParser& parser, double& value, double lowest,
                                          double highest) {
    if (!NumberOperand(parser, value))
        return false;
    const double clamped = std::min(std::max(value, lowest), highest);
    if (clamped != value) {
        parser.MessageStream().str("");
        parser.MessageStream() << parser.OperatorText() << " operator requires a number operand in range ["
                               << lowest << "," << highest << "]. Found: " << value
                               << " , set to closest support value " << clamped;
        value = clamped;
    }
    return true;
}

bool iCPDF_CPTextStateBase::RaisedNumber(CPDF_ContentParser& parser, double& value, double lowest) {
    if (!NumberOperand(parser, value))
        return false;
    if (value < lowest) {
        parser.MessageStream().str("");
        parser.MessageStream() << parser.OperatorText() << " operator requires a number operand >= " << lowest
                               << ". Found: " << value << ", set to minimum value " << lowest << ".";
        value = lowest;
    }
    return true;
}

bool iCPDF_CPTextStateBase::IntegerUpTo(CPDF_ContentParser& parser, int32_t& value, int32_t highest) {
    if (!IntegerOperand(parser, value))
        return false;
    if (value >= 0 && value <= highest)
        return true;
    parser.MessageStream().str("");
    parser.MessageStream() << parser.OperatorText() << " operator requires an integer operand in range [" << 0 << ","
                           << highest << "]. Found: " << value;
    return false;
}

bool iCPDF_CPTextStateBase::Op_d(CPDF_ContentParser& parser) const {
    if (!HasOperands(parser, 2))
        return false;
    const GLOB_Object lengths = parser.Operands().Operand(1);
    const GLOB_Object phase = parser.Operands().Operand(0);
    if (!lengths.IsArray() || !phase.IsNumber())
        return ReportOperandKinds(parser, " operator requires an array and number operand. Found: ");
    // The pattern can only be walked with such lengths.
    if (!CPDF_DashPattern::IsValidArray(lengths.AsArray()))
        return ReportOperandKinds(parser, " operator requires an array of non-negative numbers. Found: ");
    parser.MutableGraphicsState().SetDashPattern(CPDF_DashPattern(lengths, phase));
    return true;
}

bool iCPDF_CPTextStateBase::Op_gs(CPDF_ContentParser& parser) const {
    GLOB_Name name;
    if (!NameOperand(parser, name))
        return false;
    parser.MutableGraphicsState().ApplyExtGState(parser.Resource("ExtGState", name));
    return true;
}

bool iCPDF_CPTextStateBase::Op_i(CPDF_ContentParser& parser) const {
    double flatness = 0.0;
    if (!ClampedNumber(parser, flatness, 0.0, 100.0))
        return false;
    parser.MutableGraphicsState().SetFlatness(flatness);
    return true;
}

bool iCPDF_CPTextStateBase::Op_j(CPDF_ContentParser& parser) const {
    int32_t join = 0;
    if (!IntegerUpTo(parser, join, iCPDF_GraphicsStateCore::BevelJoins))
        return false;
    parser.MutableGraphicsState().SetLineJoin(join);
    return true;
}

bool iCPDF_CPTextStateBase::Op_J(CPDF_ContentParser& parser) const {
    int32_t cap = 0;
    if (!IntegerUpTo(parser, cap, iCPDF_GraphicsStateCore::ProjectingSquareCaps))
        return false;
    parser.MutableGraphicsState().SetLineCap(cap);
    return true;
}

bool iCPDF_CPTextStateBase::Op_M(CPDF_ContentParser& parser) const {
    double limit = 0.0;
    if (!RaisedNumber(parser, limit, 1.0))
        return false;
    parser.MutableGraphicsState().SetMiterLimit(limit);
    return true;
}

bool iCPDF_CPTextStateBase::Op_ri(CPDF_ContentParser& parser) const {
    GLOB_Name intent;
    if (!NameOperand(parser, intent))
        return false;
    parser.MutableGraphicsState().SetRenderingIntent(intent);
    return true;
}

bool iCPDF_CPTextStateBase::Op_w(CPDF_ContentParser& parser) const {
    double width = 0.0;
    if (!RaisedNumber(parser, width, 0.0))
        return false;
    parser.MutableGraphicsState().SetLineWidth(width);
    return true;
}

bool iCPDF_CPTextStateBase::SetNumber(CPDF_ContentParser& parser, void (CPDF_GraphicsState::*set)(double)) {
    double value = 0.0;
    if (!NumberOperand(parser, value))
        return false;
    (parser.MutableGraphicsState().*set)(value);
    return true;
}

bool iCPDF_CPTextStateBase::Op_Tc(CPDF_ContentParser& parser) const {
    return SetNumber(parser, &CPDF_GraphicsState::SetCharSpacing);
}

bool iCPDF_CPTextStateBase::Op_TL(CPDF_ContentParser& parser) const {
    return SetNumber(parser, &CPDF_GraphicsState::SetTextLeading);
}

bool iCPDF_CPTextStateBase::Op_Ts(CPDF_ContentParser& parser) const {
    return SetNumber(parser, &CPDF_GraphicsState::SetTextRise);
}

bool iCPDF_CPTextStateBase::Op_Tw(CPDF_ContentParser& parser) const {
    return SetNumber(parser, &CPDF_GraphicsState::SetWordSpacing);
}

bool iCPDF_CPTextStateBase::Op_Tz(CPDF_ContentParser& parser) const {
    double percent = 0.0;
    if (!NumberOperand(parser, percent))
        return false;
    // Kept as the file gives it, beyond 100 % or below 0 as well: MuPDF
    // and Ghostscript draw it so. The text state keeps a factor.
    parser.MutableGraphicsState().SetHorizontalScaling(percent / 100.0);
    return true;
}

bool iCPDF_CPTextStateBase::Op_Tr(CPDF_ContentParser& parser) const {
    int32_t mode = 0;
    if (!IntegerUpTo(parser, mode, CPDF_TextState::Clip))
        return false;
    parser.MutableGraphicsState().SetTextRenderingMode(mode);
    return true;
}

bool iCPDF_CPTextStateBase::Op_Tf(CPDF_ContentParser& parser) const {
    if (!HasOperands(parser, 2))
        return false;
    const GLOB_Object name = parser.Operands().Operand(1);
    if (!name.IsName() || !parser.Operands().Operand(0).IsNumber())
        return ReportOperandKinds(parser, " operator requires a name and number operand. Found: ");
    const GLOB_Object font = parser.Resource("Font", name.AsName());
    if (!font.IsDict()) {
        std::ostream& os = parser.MessageStream();
        parser.MessageStream().str("");
        os << parser.OperatorText() << " operator, font '" << iCPDF_NameText{name.AsName()}
           << (font.IsNull() ? "' does not exist in the resources dictionary. Stack: "
                             : "' is not a font dictionary. Stack: ");
        parser.Operands().Print(os);
        return false;
    }
    parser.MutableGraphicsState().SetFont(font);
    parser.MutableGraphicsState().SetFontSize(Number(parser, 0));
    return true;
}

bool iCPDF_CPTextStateBase::OpenMarkedContent(CPDF_ContentParser& parser, size_t operands) {
    if (!HasOperands(parser, operands))
        return false;
    ++parser.MarkedContentCount();
    return true;
}

bool iCPDF_CPTextStateBase::Op_BDC(CPDF_ContentParser& parser) const { return OpenMarkedContent(parser, 2); }

bool iCPDF_CPTextStateBase::Op_BMC(CPDF_ContentParser& parser) const { return OpenMarkedContent(parser, 1); }

bool iCPDF_CPTextStateBase::Op_DP(CPDF_ContentParser& parser) const { return HasOperands(parser, 2); }

bool iCPDF_CPTextStateBase::Op_MP(CPDF_ContentParser& parser) const { return HasOperands(parser, 1); }

bool iCPDF_CPTextStateBase::Op_EMC(CPDF_ContentParser& parser) const {
    int32_t& open = parser.MarkedContentCount();
    if (open > 0) {
        --open;
        return true;
    }
    parser.MessageStream().str("");
    parser.MessageStream() << parser.OperatorText() << " operator has no matching BDC or BMC operator "
                           << "within the current nesting level";
    return false;
}
