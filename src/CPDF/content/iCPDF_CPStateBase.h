// The object states of the content parser (ISO 32000-1, 8.2): page
// description, text object, path object and inline image object. Each state
// is a stateless, process-wide singleton whose virtual operations are the
// handlers of the content operators: Op_<id> for each row of
// CPDF_CONTENT_OPERATORS, UnknownOperator for a name outside the table.
//
// A handler takes the parser, reads the operator's operands from the top of
// its operand stack (operand 0 is the last one written) and returns true to
// go on, or false to end the parse after writing exactly one message into
// the parser's emptied message stream. A warning is written the same way but
// the handler returns true. Exceptions (the path operators' operand errors,
// object-model and filter errors) pass out of the handler.
//
// Every handler of this base reports its operator illegal in the current
// state, naming the states where it is legal, except:
//   BX      opens a compatibility section;
//   EX      closes one: "EX encountered with no corrsponding BX" without;
//   DumpGS  logs the graphics state at level 8;
//   Print   logs its top operand at level 8 (at least one operand);
//   UnknownOperator: accepted inside BX .. EX, otherwise "Unknown operator
//           encountered: <name>". BX only admits unknown operators: a known
//           one stays illegal where it is illegal.
// The concrete states override the operators they handle:
//   iCPDF_CPTextStateBase  those legal in page descriptions and text objects
//   iCPDF_CPPageState      page description (cm q Q BT m re h n sh BI d0 Do d1 PS)
//   iCPDF_CPTextState      text object, and iCPDF_CPNullTextState
//   iCPDF_CPPathState      path object, and iCPDF_CPNullPathState
//   iCPDF_CPImageState     inline image object (ID EI)
#pragma once

#include "CPDF/content/CPDF_ContentOperator.h"
#include "GLIB/GLIB_Geometry.h"
#include "GLOB/GLOB_Name.h"

#include <cstddef>
#include <cstdint>

class CPDF_ContentParser;

class iCPDF_CPStateBase {
public:
    virtual ~iCPDF_CPStateBase();

    // "Page Description", "Text Object", "Path Object" or "Inline Image
    // Object".
    virtual const char* StateName() const = 0;

#define iCPDF_CP_HANDLER(code, text, id, legal) virtual bool Op_##id(CPDF_ContentParser& parser) const;
    CPDF_CONTENT_OPERATORS(iCPDF_CP_HANDLER)
#undef iCPDF_CP_HANDLER
    virtual bool UnknownOperator(CPDF_ContentParser& parser) const;

    // The handler of code on state; any code outside 0 to 75 (-1 included)
    // goes to UnknownOperator.
    static bool Dispatch(const iCPDF_CPStateBase& state, int32_t code, CPDF_ContentParser& parser);

    // "<op> is illegal within a <this state>, operator must occur within:
    // <the states of legalStates, ", " between>."; false.
    bool ReportIllegal(CPDF_ContentParser& parser, uint32_t legalStates) const;
    // "<op> is expecting <expected> operands. Found <count>: " and the
    // operand listing; false.
    static bool ReportOperandCount(CPDF_ContentParser& parser, size_t expected);
    // "<op>", phrase (beginning with a space) and the operand listing; false.
    static bool ReportOperandKinds(CPDF_ContentParser& parser, const char* phrase);
    // The name of one state bit (CPDF_ContentOperator::StateBits); "?" for
    // any other value.
    static const char* StateNameOf(uint32_t bit);

    // The singletons. BT enters TextObjectState, the first path operator
    // PathObjectState: by default iCPDF_CPTextState and iCPDF_CPPathState.
    static const iCPDF_CPStateBase& PageState();
    static const iCPDF_CPStateBase& ImageState();
    static const iCPDF_CPStateBase& TextObjectState();
    static const iCPDF_CPStateBase& PathObjectState();
    // Bit 0 set: the path state, clear: the null path state; bit 1 set: the
    // text state, clear: the null text state. For every parser.
    enum : uint32_t { SelectPathState = 1, SelectTextState = 2 };
    static void SelectStates(uint32_t flags);

protected:
    iCPDF_CPStateBase() = default;

    // At least n operands, else the count report.
    static bool HasOperands(CPDF_ContentParser& parser, size_t n);
    // Whether operands 0 to n - 1 are all Integers or Reals (n present).
    static bool AreNumbers(const CPDF_ContentParser& parser, size_t n);
    // Operand i as a double; it is a number.
    static double Number(const CPDF_ContentParser& parser, size_t i);
    // At least n operands, each of the top n a number; otherwise the count
    // report, or the kind report with " operator requires <n> numeric
    // operands. Found: ".
    static bool HasNumbers(CPDF_ContentParser& parser, size_t n);
    // The matrix of the top six operands, a the deepest; they are numbers.
    static GLIB_Matrix MatrixOperand(const CPDF_ContentParser& parser);
    // Operand 0 of one kind: at least one operand, else the count report; of
    // the kind, else the kind report " operator requires a number operand.
    // Found: ", "... an integer operand ..." (a Real is refused) or "... a
    // name operand ...".
    static bool NumberOperand(CPDF_ContentParser& parser, double& value);
    static bool IntegerOperand(CPDF_ContentParser& parser, int32_t& value);
    static bool NameOperand(CPDF_ContentParser& parser, GLOB_Name& name);

private:
    iCPDF_CPStateBase(const iCPDF_CPStateBase&) = delete;
    iCPDF_CPStateBase& operator=(const iCPDF_CPStateBase&) = delete;

    // What a handler of this base does for code.
    bool Default(CPDF_ContentParser& parser, int32_t code) const;
};
