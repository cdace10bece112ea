#include "CPDF/content/iCPDF_CPTextStateBase.h"

#include "CPDF/color/iCPDF_TryColorSpace.h"
#include "CPDF/content/CPDF_ContentParser.h"

struct iCPDF_CPTextStateBase::Side {
    CPDF_ColorSpace (CPDF_GraphicsState::*space)() const;
    void (CPDF_GraphicsState::*setSpace)(const CPDF_ColorSpace&);
    void (CPDF_GraphicsState::*setColor)(const CPDF_Color&);
    void (CPDF_GraphicsState::*setPattern)(const GLOB_Name&);
    const char* missing;
};

const iCPDF_CPTextStateBase::Side iCPDF_CPTextStateBase::Fill{&CPDF_GraphicsState::FillColorSpace, &CPDF_GraphicsState::SetFillColorSpace,
                &CPDF_GraphicsState::SetFillColor, &CPDF_GraphicsState::SetFillPattern,
                "Found missing fill colorspace: "};
const iCPDF_CPTextStateBase::Side iCPDF_CPTextStateBase::Stroke{&CPDF_GraphicsState::StrokeColorSpace, &CPDF_GraphicsState::SetStrokeColorSpace,
                  &CPDF_GraphicsState::SetStrokeColor, &CPDF_GraphicsState::SetStrokePattern,
                  "Found missing stroke colorspace: "};

void iCPDF_CPTextStateBase::UseColorSpace(CPDF_ContentParser& parser, const Side& side,
                                          const CPDF_ColorSpace& space) {
    CPDF_GraphicsState& state = parser.MutableGraphicsState();
    (state.*side.setSpace)(space);
    // A colour always has as many components as its space.
    (state.*side.setColor)(space.InitialColor());
}

bool iCPDF_CPTextStateBase::SetColorSpaceByName(CPDF_ContentParser& parser, const Side& side,
                                                const GLOB_Name& name) {
    CPDF_ColorSpace space;
    // Most names are resources: only a family name is tried as a space, as a
    // failed try costs an exception.
    if (!CPDF_ColorSpace::IsFamilyName(name) || !iCPDF_TryColorSpace(GLOB_ObjectFactory::NewName(name), &space)) {
        const GLOB_Object resource = parser.Resource("ColorSpace", name);
        if (!resource.IsNull())
            space = CPDF_ColorSpace(resource);
    }
    if (space.IsNull()) {
        parser.MessageStream().str("");
        space.Print(parser.MessageStream() << side.missing);
        return false;
    }
    UseColorSpace(parser, side, space);
    return true;
}

bool iCPDF_CPTextStateBase::SetFillColorSpaceByName(CPDF_ContentParser& parser, const GLOB_Name& name) {
    return SetColorSpaceByName(parser, Fill, name);
}

bool iCPDF_CPTextStateBase::SetStrokeColorSpaceByName(CPDF_ContentParser& parser, const GLOB_Name& name) {
    return SetColorSpaceByName(parser, Stroke, name);
}

bool iCPDF_CPTextStateBase::SelectColorSpace(CPDF_ContentParser& parser, const Side& side) {
    GLOB_Name name;
    if (!NameOperand(parser, name))
        return false;
    // A missing space leaves its message but does not end the parse.
    SetColorSpaceByName(parser, side, name);
    return true;
}

bool iCPDF_CPTextStateBase::SetColorFromOperands(CPDF_ContentParser& parser, const Side& side, size_t n,
                                                 size_t first) {
    CPDF_Color& color = parser.ScratchColor();
    color.SetNumComponents(static_cast<unsigned>(n));
    for (size_t i = 0; i < n; ++i) {
        const GLOB_Object operand = parser.Operands().Operand(first + i);
        if (!operand.IsNumber())
            return ReportOperandKinds(parser, " operator requires numeric operands. Found: ");
        color.SetComponent(static_cast<unsigned>(n - 1 - i), operand.AsNumber());
    }
    (parser.MutableGraphicsState().*side.setColor)(color);
    return true;
}

bool iCPDF_CPTextStateBase::SetFillColorFromOperands(CPDF_ContentParser& parser, size_t n) {
    return SetColorFromOperands(parser, Fill, n);
}

bool iCPDF_CPTextStateBase::SetStrokeColorFromOperands(CPDF_ContentParser& parser, size_t n) {
    return SetColorFromOperands(parser, Stroke, n);
}

bool iCPDF_CPTextStateBase::SetDeviceColor(CPDF_ContentParser& parser, const Side& side,
                                           const CPDF_ColorSpace& space) {
    const size_t n = space.NumComponents();
    if (!HasOperands(parser, n))
        return false;
    UseColorSpace(parser, side, space);
    return SetColorFromOperands(parser, side, n);
}

bool iCPDF_CPTextStateBase::SetColor(CPDF_ContentParser& parser, const Side& side) {
    const size_t n = (parser.GraphicsState().*side.space)().NumComponents();
    return HasOperands(parser, n) && SetColorFromOperands(parser, side, n);
}

bool iCPDF_CPTextStateBase::IsColouredPattern(const CPDF_ContentParser& parser) {
    if (parser.Operands().Size() == 0 || !parser.Operands().Operand(0).IsName())
        return false;
    const GLOB_Object pattern = parser.Resource("Pattern", parser.Operands().Operand(0).AsName());
    if (!pattern.IsDict() && !pattern.IsStream())
        return false;
    // A shading pattern has no PaintType: its shading holds its colours.
    const GLOB_Object patternType = pattern.DictGet(GLOB_Name("PatternType"));
    if (patternType.IsInteger() && patternType.AsInteger() == 2)
        return true;
    const GLOB_Object paintType = pattern.DictGet(GLOB_Name("PaintType"));
    return paintType.IsInteger() && paintType.AsInteger() == 1;
}

bool iCPDF_CPTextStateBase::SetColorOrPattern(CPDF_ContentParser& parser, const Side& side) {
    if ((parser.GraphicsState().*side.space)().Type() != CPDF_ColorSpace::Pattern)
        return SetColor(parser, side);
    const size_t n = (parser.GraphicsState().*side.space)().NumComponents();
    // Readers draw a coloured pattern named alone in a space with a base,
    // and the separated pages write it so.
    if (!HasOperands(parser, IsColouredPattern(parser) ? 1 : n + 1))
        return false;
    const GLOB_Object pattern = parser.Operands().Operand(0);
    if (!pattern.IsName())
        return ReportOperandKinds(parser, " operator requires a pattern name for Pattern spaces. Found: ");
    (parser.MutableGraphicsState().*side.setPattern)(pattern.AsName());
    if (parser.Operands().Size() < n + 1)
        return true;
    return SetColorFromOperands(parser, side, n, 1);
}

bool iCPDF_CPTextStateBase::Op_cs(CPDF_ContentParser& parser) const { return SelectColorSpace(parser, Fill); }
bool iCPDF_CPTextStateBase::Op_CS(CPDF_ContentParser& parser) const { return SelectColorSpace(parser, Stroke); }

bool iCPDF_CPTextStateBase::Op_sc(CPDF_ContentParser& parser) const { return SetColor(parser, Fill); }
bool iCPDF_CPTextStateBase::Op_SC(CPDF_ContentParser& parser) const { return SetColor(parser, Stroke); }

bool iCPDF_CPTextStateBase::Op_scn(CPDF_ContentParser& parser) const { return SetColorOrPattern(parser, Fill); }
bool iCPDF_CPTextStateBase::Op_SCN(CPDF_ContentParser& parser) const { return SetColorOrPattern(parser, Stroke); }

bool iCPDF_CPTextStateBase::Op_g(CPDF_ContentParser& parser) const {
    return SetDeviceColor(parser, Fill, CPDF_ColorSpace::MakeDeviceGray());
}
bool iCPDF_CPTextStateBase::Op_G(CPDF_ContentParser& parser) const {
    return SetDeviceColor(parser, Stroke, CPDF_ColorSpace::MakeDeviceGray());
}
bool iCPDF_CPTextStateBase::Op_k(CPDF_ContentParser& parser) const {
    return SetDeviceColor(parser, Fill, CPDF_ColorSpace::MakeDeviceCMYK());
}
bool iCPDF_CPTextStateBase::Op_K(CPDF_ContentParser& parser) const {
    return SetDeviceColor(parser, Stroke, CPDF_ColorSpace::MakeDeviceCMYK());
}
bool iCPDF_CPTextStateBase::Op_rg(CPDF_ContentParser& parser) const {
    return SetDeviceColor(parser, Fill, CPDF_ColorSpace::MakeDeviceRGB());
}
bool iCPDF_CPTextStateBase::Op_RG(CPDF_ContentParser& parser) const {
    return SetDeviceColor(parser, Stroke, CPDF_ColorSpace::MakeDeviceRGB());
}
