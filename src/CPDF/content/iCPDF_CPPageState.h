// The page-description state, in which every content stream starts and to
// which text, path and inline-image objects return. Operands are checked for
// their number (too few: the count report) and, for cm, their kind:
//   cm      6 numbers: the CTM becomes their matrix × CTM; else " operator
//           requires 6 numeric operands. Found: " and the listing
//   q, Q    save and restore the graphics state (an unmatched Q does nothing)
//   BT      identity text and line matrices, a new marked-content level, the
//           text-object state
//   m re h  a new path with this first segment, the path-object state (the
//           segment's operand errors are the path's exceptions)
//   n       clears the path
//   BI      pushes the dictionary marker at the next step, the inline-image
//           state
//   sh 1, d0 2, Do 1, d1 6, PS 1: only counted (the client reads them)
#pragma once

#include "CPDF/content/iCPDF_CPTextStateBase.h"

class iCPDF_CPPageState : public iCPDF_CPTextStateBase {
public:
    const char* StateName() const override { return "Page Description"; }

    bool Op_cm(CPDF_ContentParser& parser) const override;
    bool Op_q(CPDF_ContentParser& parser) const override;
    bool Op_Q(CPDF_ContentParser& parser) const override;
    bool Op_BT(CPDF_ContentParser& parser) const override;
    bool Op_m(CPDF_ContentParser& parser) const override;
    bool Op_re(CPDF_ContentParser& parser) const override;
    bool Op_h(CPDF_ContentParser& parser) const override;
    bool Op_n(CPDF_ContentParser& parser) const override;
    bool Op_sh(CPDF_ContentParser& parser) const override;
    bool Op_BI(CPDF_ContentParser& parser) const override;
    bool Op_d0(CPDF_ContentParser& parser) const override;
    bool Op_Do(CPDF_ContentParser& parser) const override;
    bool Op_d1(CPDF_ContentParser& parser) const override;
    bool Op_PS(CPDF_ContentParser& parser) const override;

private:
    // Clears the path, hands the operator to the path-object state's
    // handler, then enters that state.
    static bool BeginPath(CPDF_ContentParser& parser, bool (iCPDF_CPStateBase::*handler)(CPDF_ContentParser&) const);
};
