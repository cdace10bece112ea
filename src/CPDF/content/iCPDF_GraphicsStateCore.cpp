#include "CPDF/content/iCPDF_GraphicsStateCore.h"

#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_Doc.h"

#include <initializer_list>

namespace {

struct DefaultObjects {
    GLOB_Object identity;
    GLOB_Object blackGenerationAndTransfer;
    GLOB_Object undercolorRemoval;
    GLOB_Object halftone;

    DefaultObjects() {
        iCPDF_GraphicsStateCore::MakeLinearFunction(identity, 0, 1, 0, 1);
        iCPDF_GraphicsStateCore::MakeLinearFunction(blackGenerationAndTransfer, 0, 1, 0, 1);
        iCPDF_GraphicsStateCore::MakeLinearFunction(undercolorRemoval, 0, 1, -1, 1);
    }
};

const DefaultObjects& Defaults() {
    static const DefaultObjects defaults;
    return defaults;
}

}  // namespace

iCPDF_GraphicsStateCore::iCPDF_GraphicsStateCore()
    : m_strokeOverprint(false), m_fillOverprint(false), m_overprintMode(0),
      m_blackGeneration(DefaultBlackGeneration()), m_flatness(0.0), m_halftone(DefaultHalftone()),
      m_halftonePhaseX(0), m_halftonePhaseY(0), m_lineCap(ButtEndCaps), m_lineJoin(MiterJoins), m_lineWidth(1.0),
      m_miterLimit(10.0), m_strokeAdjustment(true), m_smoothness(0.02), m_transfer(DefaultTransfer()),
      m_undercolorRemoval(DefaultUndercolorRemoval()), m_fillColorSpace(CPDF_ColorSpace::MakeDeviceGray()),
      m_strokeColorSpace(CPDF_ColorSpace::MakeDeviceGray()), m_renderingIntent("RelativeColorimetric") {
    m_fillColor = m_fillColorSpace.InitialColor();
    m_strokeColor = m_strokeColorSpace.InitialColor();
}

void iCPDF_GraphicsStateCore::SetDefaults() { *this = iCPDF_GraphicsStateCore(); }

GLOB_Object iCPDF_GraphicsStateCore::IdentityFunction() { return Defaults().identity; }
GLOB_Object iCPDF_GraphicsStateCore::DefaultBlackGeneration() { return Defaults().blackGenerationAndTransfer; }
GLOB_Object iCPDF_GraphicsStateCore::DefaultTransfer() { return Defaults().blackGenerationAndTransfer; }
GLOB_Object iCPDF_GraphicsStateCore::DefaultUndercolorRemoval() { return Defaults().undercolorRemoval; }
GLOB_Object iCPDF_GraphicsStateCore::DefaultHalftone() { return Defaults().halftone; }

void iCPDF_GraphicsStateCore::MakeLinearFunction(GLOB_Object& target, int32_t d0, int32_t d1, int32_t c0,
                                                 int32_t c1) {
    const GLOB_Doc doc = target.Doc();
    const GLOB_Object function = doc.NewDict(5, false);
    const auto array = [&](std::initializer_list<int32_t> values) {
        const GLOB_Object a = doc.NewArray(static_cast<uint32_t>(values.size()), false);
        uint32_t i = 0;
        for (int32_t v : values)
            a.ArrayPut(i++, doc.NewInteger(v, false));
        return a;
    };
    function.DictPut(GLOB_Name("FunctionType"), doc.NewInteger(2, false));
    function.DictPut(GLOB_Name("Domain"), array({d0, d1}));
    function.DictPut(GLOB_Name("C0"), array({c0}));
    function.DictPut(GLOB_Name("C1"), array({c1}));
    function.DictPut(GLOB_Name("N"), doc.NewInteger(1, false));
    target = function;
}

void iCPDF_GraphicsStateCore::SetLineCap(int32_t style) {
    GLIB_ASSERT_CMP(style, >=, ButtEndCaps);
    GLIB_ASSERT_CMP(style, <=, ProjectingSquareCaps);
    m_lineCap = style;
}

void iCPDF_GraphicsStateCore::SetLineJoin(int32_t style) {
    GLIB_ASSERT_CMP(style, >=, MiterJoins);
    GLIB_ASSERT_CMP(style, <=, BevelJoins);
    m_lineJoin = style;
}

void iCPDF_GraphicsStateCore::SetSmoothness(double percent) {
    GLIB_ASSERT_CMP(percent, >=, 0.0);
    GLIB_ASSERT_CMP(percent, <=, 1.0);
    m_smoothness = percent;
}

void iCPDF_GraphicsStateCore::SetLineWidth(double width) {
    GLIB_ASSERT_CMP(width, >=, 0.0);
    m_lineWidth = width;
}

void iCPDF_GraphicsStateCore::SetMiterLimit(double ratio) {
    GLIB_ASSERT_CMP(ratio, >=, 1.0);
    m_miterLimit = ratio;
}

void iCPDF_GraphicsStateCore::SetBlackGeneration(const GLOB_Object& function) {
    GLIB_ASSERT(function.IsDict() || function.IsStream());
    m_blackGeneration = function;
}

void iCPDF_GraphicsStateCore::SetUndercolorRemoval(const GLOB_Object& function) {
    GLIB_ASSERT(function.IsDict() || function.IsStream());
    m_undercolorRemoval = function;
}

void iCPDF_GraphicsStateCore::SetTransfer(const GLOB_Object& function) {
    GLIB_ASSERT(function.IsDict() || function.IsStream() || function.IsArray());
    m_transfer = function;
}

void iCPDF_GraphicsStateCore::SetHalftone(const GLOB_Object& dict) {
    GLIB_ASSERT(dict.IsNull() || dict.IsDict() || dict.IsStream());
    m_halftone = dict;
}

bool iCPDF_GraphicsStateCore::operator==(const iCPDF_GraphicsStateCore& o) const {
    return m_ctm == o.m_ctm && m_clipPath == o.m_clipPath && m_strokeOverprint == o.m_strokeOverprint &&
           m_fillOverprint == o.m_fillOverprint && m_overprintMode == o.m_overprintMode &&
           m_fillColorSpace == o.m_fillColorSpace && m_strokeColorSpace == o.m_strokeColorSpace &&
           m_fillColor == o.m_fillColor && m_strokeColor == o.m_strokeColor && m_fillPattern == o.m_fillPattern &&
           m_strokePattern == o.m_strokePattern && m_blackGeneration.IsDeepEqual(o.m_blackGeneration) &&
           m_transfer.IsDeepEqual(o.m_transfer) && m_undercolorRemoval.IsDeepEqual(o.m_undercolorRemoval) &&
           m_halftone.IsDeepEqual(o.m_halftone) && m_halftonePhaseX == o.m_halftonePhaseX &&
           m_halftonePhaseY == o.m_halftonePhaseY && m_lineCap == o.m_lineCap && m_lineJoin == o.m_lineJoin &&
           m_dashPattern == o.m_dashPattern && m_lineWidth == o.m_lineWidth && m_miterLimit == o.m_miterLimit &&
           m_smoothness == o.m_smoothness && m_flatness == o.m_flatness &&
           m_strokeAdjustment == o.m_strokeAdjustment && m_renderingIntent == o.m_renderingIntent &&
           m_textState == o.m_textState;
}
