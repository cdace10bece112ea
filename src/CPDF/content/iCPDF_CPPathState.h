// The path-object states, from the first path-construction operator to the
// painting operator that ends the path.
//
// iCPDF_CPPathState builds the parser's path: c l m re v y h append their
// segment (GLOB_Path::AddOperator; too few or non-numeric operands throw
// its 1151001 or 1151006 out of the step, the message led by "operator m: ").
// The painting operators record their fill rule on the path (b B f F 1,
// b* B* f* 2, n s S none), b b* s first append a ClosePath, and all return
// to the page description, arming the pending clip when W or W* collected
// one. The path stays for the client to read until the next path starts.
// W and W* add a copy of the path with fill rule 1 or 2, mapped by the CTM,
// to the pending clip.
//
// iCPDF_CPNullPathState keeps no path: it accepts the same operators and
// only returns to the page description at the painting operator.
//
// Both are named "Path Object"; every other operator is illegal in them.
#pragma once

#include "CPDF/content/iCPDF_CPStateBase.h"

#include <cstdint>

class iCPDF_CPPathState : public iCPDF_CPStateBase {
public:
    const char* StateName() const override { return "Path Object"; }

    bool Op_c(CPDF_ContentParser& parser) const override;
    bool Op_h(CPDF_ContentParser& parser) const override;
    bool Op_l(CPDF_ContentParser& parser) const override;
    bool Op_m(CPDF_ContentParser& parser) const override;
    bool Op_re(CPDF_ContentParser& parser) const override;
    bool Op_v(CPDF_ContentParser& parser) const override;
    bool Op_y(CPDF_ContentParser& parser) const override;
    bool Op_b(CPDF_ContentParser& parser) const override;
    bool Op_B(CPDF_ContentParser& parser) const override;
    bool Op_bStar(CPDF_ContentParser& parser) const override;
    bool Op_BStar(CPDF_ContentParser& parser) const override;
    bool Op_f(CPDF_ContentParser& parser) const override;
    bool Op_F(CPDF_ContentParser& parser) const override;
    bool Op_fStar(CPDF_ContentParser& parser) const override;
    bool Op_n(CPDF_ContentParser& parser) const override;
    bool Op_s(CPDF_ContentParser& parser) const override;
    bool Op_S(CPDF_ContentParser& parser) const override;
    bool Op_W(CPDF_ContentParser& parser) const override;
    bool Op_WStar(CPDF_ContentParser& parser) const override;

private:
    static bool Segment(CPDF_ContentParser& parser, uint32_t kind);
    // close: append a ClosePath first; fillRule: GLOB_Path's, or Unchanged.
    static bool Paint(CPDF_ContentParser& parser, bool close, uint32_t fillRule);
    static bool Clip(CPDF_ContentParser& parser, uint32_t fillRule);
    static constexpr uint32_t Unchanged = 0xFFFFFFFFu;
};

class iCPDF_CPNullPathState : public iCPDF_CPStateBase {
public:
    const char* StateName() const override { return "Path Object"; }

    bool Op_c(CPDF_ContentParser&) const override { return true; }
    bool Op_h(CPDF_ContentParser&) const override { return true; }
    bool Op_l(CPDF_ContentParser&) const override { return true; }
    bool Op_m(CPDF_ContentParser&) const override { return true; }
    bool Op_re(CPDF_ContentParser&) const override { return true; }
    bool Op_v(CPDF_ContentParser&) const override { return true; }
    bool Op_y(CPDF_ContentParser&) const override { return true; }
    bool Op_W(CPDF_ContentParser&) const override { return true; }
    bool Op_WStar(CPDF_ContentParser&) const override { return true; }
    bool Op_b(CPDF_ContentParser& parser) const override { return EndPath(parser); }
    bool Op_B(CPDF_ContentParser& parser) const override { return EndPath(parser); }
    bool Op_bStar(CPDF_ContentParser& parser) const override { return EndPath(parser); }
    bool Op_BStar(CPDF_ContentParser& parser) const override { return EndPath(parser); }
    bool Op_f(CPDF_ContentParser& parser) const override { return EndPath(parser); }
    bool Op_F(CPDF_ContentParser& parser) const override { return EndPath(parser); }
    bool Op_fStar(CPDF_ContentParser& parser) const override { return EndPath(parser); }
    bool Op_n(CPDF_ContentParser& parser) const override { return EndPath(parser); }
    bool Op_s(CPDF_ContentParser& parser) const override { return EndPath(parser); }
    bool Op_S(CPDF_ContentParser& parser) const override { return EndPath(parser); }

private:
    static bool EndPath(CPDF_ContentParser& parser);
};
