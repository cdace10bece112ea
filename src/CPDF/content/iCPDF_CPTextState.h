// The text-object states, between BT and ET.
//
// iCPDF_CPTextState checks the text-showing operators and tracks the text
// matrix and line matrix through the positioning operators:
//   ET        drops the text object's marked-content level (a warning,
//             "Incorrectly nested BDC/BMC - EMC mark operators detected",
//             when sections are still open in it), arms a pending clip, and
//             returns to the page description
//   Tj TJ '   at least 1 operand; " at least 3 (kinds not checked)
//   ' "       next line as T*; " first sets the word and character
//             spacings from its two numbers (a non-number leaves its one)
//   Td tx ty  next line: line matrix = [1 0 0 1 tx ty] × line matrix, text
//             matrix = line matrix; TD also sets the leading to -ty
//   Tm        6 numbers: text and line matrix
//   T*        next line by (0, -leading)
// Td, TD and Tm report non-numbers with " operator requires <n> numeric
// operands. Found: " and the listing; TD fails before changing the leading.
// Showing the glyphs moves nothing.
//
// iCPDF_CPNullTextState accepts the same operators without a check or an
// effect; its ET drops the level and returns to the page description.
//
// Both are named "Text Object".
#pragma once

#include "CPDF/content/iCPDF_CPTextStateBase.h"

class iCPDF_CPTextState : public iCPDF_CPTextStateBase {
public:
    const char* StateName() const override { return "Text Object"; }

    bool Op_ET(CPDF_ContentParser& parser) const override;
    bool Op_Tj(CPDF_ContentParser& parser) const override;
    bool Op_TJ(CPDF_ContentParser& parser) const override;
    bool Op_Quote(CPDF_ContentParser& parser) const override;
    bool Op_DoubleQuote(CPDF_ContentParser& parser) const override;
    bool Op_Td(CPDF_ContentParser& parser) const override;
    bool Op_TD(CPDF_ContentParser& parser) const override;
    bool Op_Tm(CPDF_ContentParser& parser) const override;
    bool Op_TStar(CPDF_ContentParser& parser) const override;

    // The marked-content check of ET, then the level dropped.
    static void EndTextObjectLevel(CPDF_ContentParser& parser);

private:
    static void MoveToNextLine(CPDF_ContentParser& parser, double tx, double ty);
};

class iCPDF_CPNullTextState : public iCPDF_CPTextStateBase {
public:
    const char* StateName() const override { return "Text Object"; }

    bool Op_ET(CPDF_ContentParser& parser) const override;
    bool Op_Tj(CPDF_ContentParser& parser) const override { return Accept(parser); }
    bool Op_TJ(CPDF_ContentParser& parser) const override { return Accept(parser); }
    bool Op_Quote(CPDF_ContentParser& parser) const override { return Accept(parser); }
    bool Op_DoubleQuote(CPDF_ContentParser& parser) const override { return Accept(parser); }
    bool Op_Td(CPDF_ContentParser& parser) const override { return Accept(parser); }
    bool Op_TD(CPDF_ContentParser& parser) const override { return Accept(parser); }
    bool Op_Tm(CPDF_ContentParser& parser) const override { return Accept(parser); }
    bool Op_TStar(CPDF_ContentParser& parser) const override { return Accept(parser); }

private:
    static bool Accept(const CPDF_ContentParser& parser);
};
