// The base of the two object states in which the same operators are legal:
// the page description and the text object. It handles the general
// graphics-state, colour, text-state and marked-content operators; the
// operand rules and reports are iCPDF_CPStateBase's (count first, then
// kind: a number is an Integer or a Real; j, J and Tr take Integers only).
//
// General graphics state:
//   d    array and phase: " operator requires an array and number operand.
//        Found: "; lengths that are not numbers of at least 0: " operator
//        requires an array of non-negative numbers. Found: "
//   gs   applies the named ExtGState resource (none: nothing changes)
//   i    flatness; outside [0, 100] clamped with the warning "i operator
//        requires a number operand in range [0,100]. Found: <v> , set to
//        closest support value <c>"
//   M w  miter limit at least 1, width at least 0, else raised with the
//        warning "<op> operator requires a number operand >= <m>. Found:
//        <v>, set to minimum value <m>."
//   j J  integer 0 to 2, else "<op> operator requires an integer operand in
//        range [0,2]. Found: <v>"
//   ri   any name
// Colour (fill for lower case, stroke for upper case):
//   cs CS  a family name, else a "ColorSpace" resource; the colour becomes
//          the space's initial colour (ISO 32000-1, 8.6.8), the pattern name
//          empty. A name that is neither leaves the space as it was and
//          the step succeeds with "Found missing fill colorspace: " or
//          "Found missing stroke colorspace: " and "ColorSpace: Null".
//   sc SC  as many numbers as the space has components
//   scn SCN  the same; in a Pattern space the pattern name on top of them,
//          else " operator requires a pattern name for Pattern spaces.
//          Found: ". A coloured pattern (a "Pattern" resource with
//          /PaintType 1) brings its own colours: its name alone will do
//          in a space with a base too, and the colour then stays.
//   g G k K rg RG  the device space, then 1, 4 or 3 numbers
// A component that is not a number: " operator requires numeric operands.
// Found: ". Components are not range-checked.
// Text state: Tc Tw TL Ts store a number; Tz a percentage, any number
// (MuPDF and Ghostscript draw 150 or -100 as given); Tr an integer 0 to 7 (as j); Tf a name and a
// size: "Tf operator requires a name and number operand. Found: ", and
// "Tf operator, font '<name>' does not exist in the resources dictionary.
// Stack: " or "... is not a font dictionary. Stack: " with the listing.
// Marked content: BDC (2 operands) and BMC (1) open a section at the
// current level (the page, or the innermost text object), EMC closes one:
// "EMC operator has no matching BDC or BMC operator within the current
// nesting level" without; DP (2) and MP (1) are only counted.
//
// Warnings leave their text in the message stream and succeed; a handler
// that fails may already have changed the state (rg stores DeviceRGB before
// reading its numbers), but the parse ends there.
#pragma once

#include "CPDF/content/iCPDF_CPStateBase.h"

#include <cstddef>
#include <cstdint>

class CPDF_ColorSpace;
class CPDF_GraphicsState;

class iCPDF_CPTextStateBase : public iCPDF_CPStateBase {
public:
    bool Op_d(CPDF_ContentParser& parser) const override;
    bool Op_gs(CPDF_ContentParser& parser) const override;
    bool Op_i(CPDF_ContentParser& parser) const override;
    bool Op_j(CPDF_ContentParser& parser) const override;
    bool Op_J(CPDF_ContentParser& parser) const override;
    bool Op_M(CPDF_ContentParser& parser) const override;
    bool Op_ri(CPDF_ContentParser& parser) const override;
    bool Op_w(CPDF_ContentParser& parser) const override;

    bool Op_cs(CPDF_ContentParser& parser) const override;
    bool Op_CS(CPDF_ContentParser& parser) const override;
    bool Op_g(CPDF_ContentParser& parser) const override;
    bool Op_G(CPDF_ContentParser& parser) const override;
    bool Op_k(CPDF_ContentParser& parser) const override;
    bool Op_K(CPDF_ContentParser& parser) const override;
    bool Op_rg(CPDF_ContentParser& parser) const override;
    bool Op_RG(CPDF_ContentParser& parser) const override;
    bool Op_sc(CPDF_ContentParser& parser) const override;
    bool Op_SC(CPDF_ContentParser& parser) const override;
    bool Op_scn(CPDF_ContentParser& parser) const override;
    bool Op_SCN(CPDF_ContentParser& parser) const override;

    bool Op_Tc(CPDF_ContentParser& parser) const override;
    bool Op_Tf(CPDF_ContentParser& parser) const override;
    bool Op_TL(CPDF_ContentParser& parser) const override;
    bool Op_Tr(CPDF_ContentParser& parser) const override;
    bool Op_Ts(CPDF_ContentParser& parser) const override;
    bool Op_Tw(CPDF_ContentParser& parser) const override;
    bool Op_Tz(CPDF_ContentParser& parser) const override;

    bool Op_BDC(CPDF_ContentParser& parser) const override;
    bool Op_BMC(CPDF_ContentParser& parser) const override;
    bool Op_DP(CPDF_ContentParser& parser) const override;
    bool Op_EMC(CPDF_ContentParser& parser) const override;
    bool Op_MP(CPDF_ContentParser& parser) const override;

    // The space of cs or CS: false, with the missing-space message, when the
    // name is neither a family name nor a "ColorSpace" resource. A
    // resource that is not a colour space throws its CPDF_Exception 1128003.
    static bool SetFillColorSpaceByName(CPDF_ContentParser& parser, const GLOB_Name& name);
    static bool SetStrokeColorSpaceByName(CPDF_ContentParser& parser, const GLOB_Name& name);
    // The colour of the top n operands, the deepest first, built in the
    // parser's scratch colour.
    static bool SetFillColorFromOperands(CPDF_ContentParser& parser, size_t n);
    static bool SetStrokeColorFromOperands(CPDF_ContentParser& parser, size_t n);

protected:
    iCPDF_CPTextStateBase() = default;

private:
    // The fill or the stroke side of the graphics state.
    struct Side;
    static const Side Fill;
    static const Side Stroke;

    static bool SelectColorSpace(CPDF_ContentParser& parser, const Side& side);
    static bool SetColorSpaceByName(CPDF_ContentParser& parser, const Side& side, const GLOB_Name& name);
    static void UseColorSpace(CPDF_ContentParser& parser, const Side& side, const CPDF_ColorSpace& space);
    static bool SetDeviceColor(CPDF_ContentParser& parser, const Side& side, const CPDF_ColorSpace& space);
    static bool SetColor(CPDF_ContentParser& parser, const Side& side);
    static bool SetColorOrPattern(CPDF_ContentParser& parser, const Side& side);
    // Whether the top operand names a "Pattern" resource that brings its own
    // colours: /PaintType 1, or a shading pattern (/PatternType 2).
    static bool IsColouredPattern(const CPDF_ContentParser& parser);
    // Operands first to first + n - 1 as the colour's n components.
    static bool SetColorFromOperands(CPDF_ContentParser& parser, const Side& side, size_t n, size_t first = 0);

    // Operand 0 as a number, clamped into [lowest, highest] or raised to
    // lowest with the warnings above.
    static bool ClampedNumber(CPDF_ContentParser& parser, double& value, double lowest, double highest);
    static bool RaisedNumber(CPDF_ContentParser& parser, double& value, double lowest);
    // Operand 0 as an Integer from 0 to highest.
    static bool IntegerUpTo(CPDF_ContentParser& parser, int32_t& value, int32_t highest);
    static bool SetNumber(CPDF_ContentParser& parser, void (CPDF_GraphicsState::*set)(double));
    static bool OpenMarkedContent(CPDF_ContentParser& parser, size_t operands);
};
