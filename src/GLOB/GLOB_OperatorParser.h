// Reads PDF syntax from a GLOB_Stream one step at a time: lexer tokens become
// objects on the operand stack, arrays and dictionaries are built as their
// closing brackets arrive, and each operator is handed to HandleOperator. The
// content-stream parser derives from it; GLOB_Doc::ParseObject uses it for
// objects given as text.
//
// Token errors and bracket errors end a parse quietly: Parse returns false,
// the stopped flag stays set and ErrorMessage holds the text of that one
// failure. A closing bracket must match the innermost opening one: "]" after
// "<<" stops with "Array end ] does not match opening <<", ">>" after "["
// with "Dictionary end >> does not match opening ["; the operand stack's
// refusals (1151001, 1151002) stop with their message.
//
// What a parse reads past without stopping, though the data do not say
// it, is noted (Dropped): a number of no digits, read as 0 as other readers
// do; an operator met while an array or dictionary is open, read with the
// objects inside as its operands and without the brackets, which another
// reader refuses with the operator.
//
// Every other exception passes to the caller: of the back-end and of
// HandleOperator with the stopped flag left as it was; of the stream under
// the lexer (a cancel among them) and of PostProcess with the flag set, as
// the lexer may have taken a drained buffer for the end of the data and a
// retried step would report a clean end.
#pragma once

#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_OperandStack.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StreamLexer.h"

#include <sstream>
#include <string>

class GLOB_OperatorParser {
public:
    // Idle (end-of-data and stopped flags set) until SetStream; objects are
    // made in the memory document, or in doc.
    GLOB_OperatorParser();
    explicit GLOB_OperatorParser(const GLOB_Doc& doc);
    // As above, then SetStream(stream).
    GLOB_OperatorParser(const GLOB_Stream& stream, const GLOB_Doc& doc);
    GLOB_OperatorParser(const GLOB_OperatorParser&) = delete;
    GLOB_OperatorParser& operator=(const GLOB_OperatorParser&) = delete;
    // The lexer lets go of its stream without closing it.
    virtual ~GLOB_OperatorParser();

    // Reset (asserting that an override called the base Reset), then the
    // lexer takes stream and closes the one it held.
    void SetStream(const GLOB_Stream& stream);
    void SetPostProcess(bool postProcess) { m_postProcess = postProcess; }

    // One step: false at once at end of data or when stopped. Otherwise
    // drops the previous operator's operands, runs PostProcess while the
    // post-process flag is set, and reads tokens, pushing direct objects,
    // until an operator (true when HandleOperator returns true), the end of
    // the data or an error (false). Arrays and dictionaries nested deeper
    // than GLOB_Object::MaxNesting stop the parse.
    virtual bool Parse();
    // Before reading, while the post-process flag is set; false stops.
    virtual bool PostProcess() { return true; }
    // At each operator, its operands on the stack and its text in
    // OperatorText; false stops.
    virtual bool HandleOperator() { return true; }
    // Clears the three flags and pops all operands; an override must call it.
    virtual void Reset();

    bool IsEndOfData() const { return m_endOfData; }
    bool IsStopped() const { return m_stopped; }
    GLOB_OperandStack& Operands() { return m_operands; }
    const GLOB_OperandStack& Operands() const { return m_operands; }
    GLOB_StreamLexer& Lexer() { return m_lexer; }
    // The current operator keyword.
    const char* OperatorText() { return m_lexer.SymbolValue(); }
    // The first thing a parse of this stream read past in the words a
    // loss is said in (COMN_LossRecord.h); null for none.
    const char* Dropped() const { return m_dropped; }
    // The text of the last error; neither Reset nor SetStream clears it.
    std::string ErrorMessage() const { return m_message.str(); }
    std::ostringstream& MessageStream() { return m_message; }

protected:
    // Notes what was read past, unless something was before.
    void NoteDropped(const char* words) {
        if (!m_dropped)
            m_dropped = words;
    }
    // Ends the data at the current token: Parse returns false, not stopped.
    void EndData() { m_endOfData = true; }

private:
    // Pushes a Mark for "[" or "<<" (bracket '[' or '<'), unless that would
    // nest too deep.
    bool OpenBracket(char bracket);
    // Makes the array or dictionary that bracket closes; false with the
    // message when it does not match or does not build.
    bool CloseBracket(char bracket);
    // The lexer's next token, and PostProcess; an exception sets the
    // stopped flag on its way out.
    GLOB_StreamLexer::Token NextToken();
    void NoteNumber();
    bool RunPostProcess();
    bool Stop() {
        m_stopped = true;
        return false;
    }

    bool m_endOfData = true;
    bool m_stopped = true;
    bool m_postProcess = false;
    const char* m_dropped = nullptr;
    GLOB_OperandStack m_operands;
    GLOB_StreamLexer m_lexer;
    std::string m_open;  // '[' or '<' per bracket still open, innermost last
    std::ostringstream m_message;
    bool m_ourResetCalled = false;
};
