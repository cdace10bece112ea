// The operators of the PostScript calculator (type 4 functions) and their
// fixed codes, one row each, looked up through CPDF_PSOperatorTable.
// velm_jump and velm_jump_false are emitted by the compiler only; print and
// stop are debugging operators; if, ifelse, { and } are consumed by the
// compiler and never stand in a compiled program.
#pragma once

#include "CPDF/iCPDF_OperatorLookupTable.h"

#include <cstdint>

struct CPDF_PSOperator {
    enum Code : int32_t {
        Abs = 0,
        Add = 1,
        Atan = 2,
        Bitshift = 3,
        Ceiling = 4,
        Cos = 5,
        Cvi = 6,
        Cvr = 7,
        Div = 8,
        Exp = 9,
        Floor = 10,
        Idiv = 11,
        Ln = 12,
        Log = 13,
        Mod = 14,
        Mul = 15,
        Neg = 16,
        Round = 17,
        Sin = 18,
        Sqrt = 19,
        Sub = 20,
        Truncate = 21,
        Xor = 22,
        And = 23,
        Not = 24,
        Or = 25,
        Eq = 26,
        Ge = 27,
        Gt = 28,
        If = 29,
        IfElse = 30,
        Le = 31,
        Lt = 32,
        Ne = 33,
        Copy = 34,
        Dup = 35,
        Exch = 36,
        Index = 37,
        Pop = 38,
        Roll = 39,
        OpenBrace = 40,
        CloseBrace = 41,
        VelmJump = 42,
        VelmJumpFalse = 43,
        Print = 44,
        Stop = 45,
    };
    static constexpr int32_t NumCodes = 46;

    int32_t m_op;
    const char* m_name;

    // One row per code, in code order.
    static const CPDF_PSOperator Declared[NumCodes];
};

using CPDF_PSOperatorTable = iCPDF_OperatorLookupTable<CPDF_PSOperator>;
