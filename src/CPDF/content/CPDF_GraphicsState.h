// The graphics state of the content model: CTM, clip, colour spaces,
// colours and pattern names, overprint, the device functions and halftone,
// line and dash parameters, rendering intent and the text state (the record
// is iCPDF_GraphicsStateCore). The parser keeps one current state and saves
// it on q by pushing a copy, so copies must be cheap and must not move:
// copies share one counted record, and every setter first gives its handle
// a record of its own when the record is shared. A record held by one handle
// changes in place. A handle is never null.
//
// Getters hand out copies: a matrix, objects and colour spaces by value,
// colours, names, the clip list, the dash pattern and the text state as
// handles sharing what the state holds (each is copy-on-write itself).
#pragma once

#include "COMN_COWReferenceCountPointer.h"
#include "CPDF/content/iCPDF_GraphicsStateCore.h"

#include <cstdint>
#include <iosfwd>

class CPDF_GraphicsState {
public:
    using LineCapStyle = iCPDF_GraphicsStateCore::LineCapStyle;
    using LineJoinStyle = iCPDF_GraphicsStateCore::LineJoinStyle;

    // A record of the defaults (iCPDF_GraphicsStateCore()).
    CPDF_GraphicsState();

    GLIB_Matrix CTM() const { return m_core->m_ctm; }
    CPDF_PathList ClipPath() const { return m_core->m_clipPath; }
    CPDF_ColorSpace FillColorSpace() const { return m_core->m_fillColorSpace; }
    CPDF_ColorSpace StrokeColorSpace() const { return m_core->m_strokeColorSpace; }
    CPDF_Color FillColor() const { return m_core->m_fillColor; }
    CPDF_Color StrokeColor() const { return m_core->m_strokeColor; }
    // The empty name (no text) unless the colour is a pattern's.
    GLOB_Name FillPattern() const { return m_core->m_fillPattern; }
    GLOB_Name StrokePattern() const { return m_core->m_strokePattern; }
    bool FillOverprint() const { return m_core->m_fillOverprint; }
    bool StrokeOverprint() const { return m_core->m_strokeOverprint; }
    int32_t OverprintMode() const { return m_core->m_overprintMode; }
    GLOB_Object BlackGeneration() const { return m_core->m_blackGeneration; }
    GLOB_Object UndercolorRemoval() const { return m_core->m_undercolorRemoval; }
    GLOB_Object Transfer() const { return m_core->m_transfer; }
    GLOB_Object Halftone() const { return m_core->m_halftone; }
    int32_t HalftonePhaseX() const { return m_core->m_halftonePhaseX; }
    int32_t HalftonePhaseY() const { return m_core->m_halftonePhaseY; }
    int32_t LineCap() const { return m_core->m_lineCap; }
    int32_t LineJoin() const { return m_core->m_lineJoin; }
    double LineWidth() const { return m_core->m_lineWidth; }
    double MiterLimit() const { return m_core->m_miterLimit; }
    CPDF_DashPattern DashPattern() const { return m_core->m_dashPattern; }
    double Flatness() const { return m_core->m_flatness; }
    double Smoothness() const { return m_core->m_smoothness; }
    bool StrokeAdjustment() const { return m_core->m_strokeAdjustment; }
    GLOB_Name RenderingIntent() const { return m_core->m_renderingIntent; }
    CPDF_TextState TextState() const { return m_core->m_textState; }
    // The text state's font.
    GLOB_Object Font() const { return m_core->m_textState.Font(); }

    // Every parameter back to its default.
    void SetDefaults();

    void SetCTM(const GLIB_Matrix& m);
    // cm: the CTM becomes m × CTM, m applied first.
    void ConcatCTM(const GLIB_Matrix& m);

    void ClearClipPath();
    void AppendClipPath(const CPDF_Path& path);
    // Adds every path of list, in order, at the end of the clip (the pending
    // clip of W and W* once the painting operator has run).
    void IntersectClipPath(const CPDF_PathList& list);
    // The clip becomes list, shared.
    void AssignClipPath(const CPDF_PathList& list);

    // Shares the colour; the space is not checked against it.
    void SetFillColor(const CPDF_Color& color);
    void SetStrokeColor(const CPDF_Color& color);
    // Copies the space and clears the pattern name of that side; the colour
    // stays until the caller sets one.
    void SetFillColorSpace(const CPDF_ColorSpace& space);
    void SetStrokeColorSpace(const CPDF_ColorSpace& space);
    void SetFillPattern(const GLOB_Name& name);
    void SetStrokePattern(const GLOB_Name& name);
    void SetFillOverprint(bool on);
    void SetStrokeOverprint(bool on);
    void SetOverprintMode(int32_t mode);

    // Through the core's asserting setters (see iCPDF_GraphicsStateCore):
    // callers check first, an out-of-range value reaches the assertion
    // handler and is stored all the same.
    void SetBlackGeneration(const GLOB_Object& function);
    void SetUndercolorRemoval(const GLOB_Object& function);
    void SetTransfer(const GLOB_Object& function);
    void SetHalftone(const GLOB_Object& dict);
    void SetLineCap(int32_t style);
    void SetLineJoin(int32_t style);
    void SetLineWidth(double width);
    void SetMiterLimit(double ratio);
    void SetSmoothness(double percent);

    void SetHalftonePhase(int32_t x, int32_t y);
    void SetDashPattern(const CPDF_DashPattern& pattern);
    // Not range-checked here: i clamps before.
    void SetFlatness(double flatness);
    void SetStrokeAdjustment(bool on);
    // Any name; ri does not restrict it to the four intents.
    void SetRenderingIntent(const GLOB_Name& intent);

    // The text state, shared, or one of its parameters (CPDF_TextState's
    // setters, which copy the text state's own record on write).
    void SetTextState(const CPDF_TextState& textState);
    void SetFont(const GLOB_Object& font);
    void SetFontSize(double size);
    void SetCharSpacing(double spacing);
    void SetWordSpacing(double spacing);
    void SetHorizontalScaling(double factor);
    void SetTextLeading(double leading);
    void SetTextRise(double rise);
    void SetTextRenderingMode(int32_t mode);
    void SetTextMatrix(const GLIB_Matrix& m);
    void SetTextLineMatrix(const GLIB_Matrix& m);
    // The matrix becomes m × matrix, m applied first.
    void ConcatTextMatrix(const GLIB_Matrix& m);
    void ConcatTextLineMatrix(const GLIB_Matrix& m);

    // One shared record, or equal records (iCPDF_GraphicsStateCore::
    // operator==). Spaces and device functions compare deeply, so what
    // GLOB_Object::IsDeepEqual throws (nesting, a stream that does not
    // decode) passes through.
    bool operator==(const CPDF_GraphicsState& other) const;
    bool operator!=(const CPDF_GraphicsState& other) const { return !(*this == other); }

    // "Off", "On"; "?" for any other mode.
    static const char* OverprintModeName(int32_t mode);
    // "Butt End Caps", "Round End Caps", "ProjectingSquareCaps"; "?".
    static const char* LineCapName(int32_t cap);
    // "MiterJoins", "Round Joins", "Bevel Joins"; "?".
    static const char* LineJoinName(int32_t join);
    // CPDF_TextState::RenderingModeName.
    static const char* TextRenderModeName(int32_t mode);
    static const char* BoolName(bool value);

    // "***** Graphics State *****", then one "Label<padding>: value" line per
    // parameter, objects in PDF syntax (functions as -dict-), the text
    // state's listing last.
    void Print(std::ostream& os) const;
    // The listing, logged at level 8 (the DumpGS operator).
    void Dump() const;

private:
    // The record, first copied when it is shared. Out of memory leaves the
    // handle as it was.
    iCPDF_GraphicsStateCore& Detach() { return *m_core.Mutable(); }

    COMN_COWReferenceCountPointer<iCPDF_GraphicsStateCore> m_core;
};

std::ostream& operator<<(std::ostream& os, const CPDF_GraphicsState& state);
