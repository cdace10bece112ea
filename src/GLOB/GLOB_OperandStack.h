// The operand stack of the PDF parser (and of the PostScript calculator): a
// stack of objects and the document in which it makes arrays and
// dictionaries. Operands are numbered from the top: operand 0 is the top.
#pragma once

#include "GLIB_Stack.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>

class GLOB_OperandStack {
public:
    // Makes its objects in the process-wide memory document, or in doc.
    GLOB_OperandStack();
    explicit GLOB_OperandStack(const GLOB_Doc& doc);
    GLOB_OperandStack(const GLOB_OperandStack&) = delete;
    // Pops all, then pushes copies of other's objects bottom to top; the
    // document is not copied.
    GLOB_OperandStack& operator=(const GLOB_OperandStack& other);
    ~GLOB_OperandStack();

    void Push(const GLOB_Object& obj);
    // Destroys the top n objects (n at most Size, asserted).
    void Pop(size_t n);
    void PopAll() { Pop(Size()); }
    size_t Size() const { return m_stack.Size(); }
    // A copy of operand i counted from the top; i at or past Size throws
    // GLIB_Exception 1125003.
    GLOB_Object Operand(size_t i) const;
    GLOB_Object Top() const { return Operand(0); }
    // The objects above the topmost Mark; all of them when there is none.
    uint32_t CountToMark() const;
    // Marks on the stack: arrays and dictionaries still open.
    uint32_t MarkCount() const { return m_marks; }
    const GLOB_Doc& Doc() const { return m_doc; }

    // Replace the objects above the topmost Mark, and the Mark, by a new
    // array of them (bottom to top) made in the stack's document; objects of
    // another back-end are copied in. Throws GLIB_Exception 1151001 "Array is
    // missing opening [" without a Mark.
    void MakeArray(bool indirect);
    // The same with a dictionary of (key, value) pairs from the bottom up; a
    // repeated key keeps the last value. Throws GLIB_Exception 1151001
    // "Dictionary is missing opening <<" without a Mark, 1151002 "Dictionary
    // must have an even number of objects between << and >>, found <n>" and
    // "Dictionary keys must be names, found <kind>: ".
    void MakeDict(bool indirect);

    // "  [i]: object" and a line feed for each operand from the top.
    std::ostream& Print(std::ostream& os) const;
    // The same, one log entry at level 8 per operand.
    void Log() const;

private:
    // The position from the top of the topmost Mark, or -1.
    int64_t TopmostMark() const;
    // obj, or its copy in the stack document's back-end.
    GLOB_Object Local(GLOB_Impl* impl, const GLOB_Object& obj) const;

    GLIB_Stack<GLOB_Object> m_stack;
    GLOB_Doc m_doc;
    uint32_t m_marks = 0;
};
