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

class CPDF_ResourcesDict;
class GLOB_Dict;
class GLOB_ObjectWriter;
template <class T>
class GLIB_Stack;

class CPDF_GraphicsState {
public:
    using LineCapStyle = iCPDF_GraphicsStateCore::LineCapStyle;
    using LineJoinStyle = iCPDF_GraphicsStateCore::LineJoinStyle;

    // A record of the defaults (iCPDF_GraphicsStateCore()); the ExtGState key
    // table is built on the way.
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

    // ExtGState (ISO 32000-1, 8.4.5): applies the entries of a dictionary in
    // its own order; anything else (Null for a missing resource) changes
    // nothing. Bad entries never stop it: each is logged as a warning
    // (level 4) and skipped, except that FL, LW, ML and SM are clamped
    // ("Illegal value '<v>' for '<K>' entry, set to closest supported value
    // '<c>'", "... set to minimum value '<c>'") and TR, TR2 fall back on
    // DefaultTransfer ("... Using /Default instead."). Warnings for a kind:
    // "Non <name|boolean|numeric|integer|array> value found for '<K>'
    // entry", "Non dictionary/stream found ...", "Non dictionary or stream
    // found ..." (HT), "Non dictionary/array/stream found ..." (TR); for a
    // value: "Invalid name value '<N>' found for '<K>' entry", "Illegal
    // value '<n>' found for '<K>' entry" (LC, LJ, OPM), "Unexpected value
    // '<N>' found for 'Type' entry"; for the pairs D, Font, HTP: "Invalid
    // array length '<n>' ...", "Non array array value ...", "Non numeric
    // phase value ...", "Non numeric or negative dash length ...", "Non Dict
    // font object ...", "Non numeric font size ...", "Non integer array
    // values ...". /Identity of BG and UCR is their default; of TR the
    // IdentityFunction. OP without op sets both overprints (PDF 1.2). Unknown
    // keys are skipped in silence. Functions and halftones are stored as
    // objects, not read.
    void ApplyExtGState(const GLOB_Object& extGState);

    // Write-out of a content writer whose output has the states of gsStack
    // in effect (q pushes, Q pops; the top is in force; asserted not empty).
    // Writes the operators that bring the top to this state: first the clip
    // (one Q per saved state whose clip this one does not extend, then q and
    // the paths this state adds, mapped back by the top's CTM, each with W
    // or W* and n; GLIB_Exception 1128031 "Graphics state underflow, cannot
    // restore previous clipping path: <clip>" when the stack runs out), cm,
    // the stroke and the fill colour (WriteColor), w J j M d i ri Tc Tw Tz
    // TL Ts Tr, Tf with a new "F" font resource, and gs with a new "GS"
    // ExtGState resource for SA OP op OPM BG2 UCR2 TR2 HT HTP SM. Only what
    // differs is written; equal states write nothing. The top then shares
    // this state. With a pending clip: q, and a copy of the top whose clip
    // holds the pending paths mapped by the CTM is pushed; the caller writes
    // the paths and W itself.
    void WriteChanges(const CPDF_PathList* pendingClip, GLOB_ObjectWriter& writer, CPDF_ResourcesDict& resources,
                      GLIB_Stack<CPDF_GraphicsState>& gsStack) const;
    // The fill or stroke colour and its operator. When spaceChanged, the
    // device spaces write g, rg or k (upper case for stroke) and the others
    // first select their space as a new "CS" resource with cs or CS; else sc
    // or scn. Separation, DeviceN and ICCBased use scn; a Pattern space
    // writes nothing and logs "Not yet able to pattern in content stream,
    // ignored".
    void WriteColor(bool fill, bool spaceChanged, GLOB_ObjectWriter& writer, CPDF_ResourcesDict& resources) const;
    // A new ExtGState dictionary of the memory document: /Type /ExtGState,
    // then SA OP op OPM BG2 UCR2 TR2 HT HTP SM Font LW LC LJ ML D FL RI,
    // every one when all, else those that differ from other (the device
    // functions, halftone and font only when this state's is not Null).
    // The default functions are written as /Default, the IdentityFunction as
    // /Identity; other objects as copies.
    GLOB_Dict MakeExtGState(bool all, const CPDF_GraphicsState& other) const;

    // Device values (ISO 32000-1, 10.5): the colour in this state's fill or
    // stroke space through the transfer functions. An Indexed colour is
    // first looked up in its table, a Pattern colour read in its underlying
    // space (a coloured pattern's colour, which has none, comes back as it
    // is). Only DeviceGray and DeviceCMYK colours are transferred, a Gray
    // one by the fourth function of an array of four. A transfer name other
    // than /Default and /Identity is logged and taken as /Default. A
    // function that does not read throws its CPDF_Exception 1128007, as does
    // a transfer array of other than four entries.
    void TransferFillColor(CPDF_Color color, CPDF_Color& result) const;
    void TransferStrokeColor(CPDF_Color color, CPDF_Color& result) const;
    void TransferColor(const CPDF_ColorSpace& space, CPDF_Color color, CPDF_Color& result) const;
    // The least and the greatest extent of the line width in device space:
    // the width times the singular values of the CTM's linear part.
    void DeviceLineWidth(double* minimum, double* maximum) const;

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
