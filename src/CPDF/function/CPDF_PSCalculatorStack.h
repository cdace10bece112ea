// The value stack of the PostScript calculator: 100 fixed entries of
// booleans, integers and reals, so an evaluation allocates nothing. Its
// source also holds the interpreter, CPDF_PSCalculator::Execute.
//
// Every fault throws the CPDF exception at once; the stack keeps what it
// held then. Codes and messages (spelled as they are):
//   1128016 "Stack Underflow"  an operator finds fewer operands than it takes
//           "Stack underflow"  pop or Get past the bottom; copy, index or a
//                              jump lacking entries; a negative index or roll
//                              count
//           "Stack undeflow"   roll lacking the entries its count asks for
//   1128017 "Stack overflow"   a push onto a full stack, which stays full
//   1128018 "Abnormal halt"    stop
//   1128019 "Expected numeric", "Expected two numerics", "Expected integer",
//           "Expected two integers", "Expected integer or boolean value",
//           "Expected int or boolean.", "Expected boolean" (a condition)
//   1128021 "Division by 0", "Fractional power of negative number" (exp),
//           "Fractional power of negative exponent" (sqrt), "Negative
//           logarithm"
//
// Operators, written a b op with b on top. Integers meeting reals become
// reals. Integer add, sub, mul, neg and abs wrap in 32 bits; idiv and mod
// truncate toward zero, and -2147483648 -1 gives -2147483648 and 0;
// bitshift by 32 or more gives 0 (-1 when a negative value shifts right).
// div and exp always give reals; atan gives degrees in [0 360), 0 for 0 0;
// sin and cos take degrees. round takes halves up; truncate keeps reals
// beyond 32 bits; cvi truncates, and gives -2147483648 beyond 32 bits.
// eq and ne accept any two entries (a boolean never equals a number);
// ge gt le lt want numbers. n copy with n <= 0 only removes n; n j roll
// turns the top n entries j places toward the top.
#pragma once

#include "CPDF/CPDF_Exception.h"
#include "CPDF/function/CPDF_PSCalculator.h"

#include <cstdint>

class CPDF_PSCalculatorStack {
public:
    using Code = CPDF_PSCalculator::Code;
    static constexpr int32_t Capacity = 100;

    // Empty.
    CPDF_PSCalculatorStack() = default;

    // Throws "Stack overflow" when full, before anything moves.
    void Push(const Code& code) {
        if (m_size == Capacity)
            Throw(CPDF_PSStackOverflowCode, "Stack overflow");
        m_entries[m_size++] = code;
    }
    // The entry depth places below the top (0: the top); "Stack underflow"
    // past the bottom.
    Code& Get(int32_t depth) {
        if (depth < 0 || depth >= m_size)
            Throw(CPDF_PSStackUnderflowCode, "Stack underflow");
        return m_entries[m_size - 1 - depth];
    }
    // "Stack Underflow" on an empty stack.
    Code& Top() {
        if (m_size < 1)
            Throw(CPDF_PSStackUnderflowCode, "Stack Underflow");
        return m_entries[m_size - 1];
    }
    // The entry below the top, the top following it; "Stack Underflow" with
    // fewer than two entries.
    Code* TopTwo() {
        if (m_size < 2)
            Throw(CPDF_PSStackUnderflowCode, "Stack Underflow");
        return &m_entries[m_size - 2];
    }
    // Removes the top; "Stack underflow" on an empty stack.
    void Pop() {
        if (m_size < 1)
            Throw(CPDF_PSStackUnderflowCode, "Stack underflow");
        --m_size;
    }
    int32_t Size() const { return m_size; }
    void Clear() { m_size = 0; }

    [[noreturn]] static void Throw(uint32_t code, const char* message);

private:
    Code m_entries[Capacity];
    int32_t m_size = 0;
};
