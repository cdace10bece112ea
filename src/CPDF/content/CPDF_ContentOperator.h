// The content-stream operators and their fixed codes 0 to 75, one row each,
// looked up by name or code through CPDF_ContentOperatorTable (the parser and
// the separation engine both use it). A name that is not in the table has
// code -1.
//
// Each row also names the object states in which the operator is legal
// (ISO 32000-1, 8.2, figure 9): an object state that does not handle an
// operator reports it illegal with that set. BX, EX and the system's own
// debugging operators DumpGS (logs the graphics state) and Print (logs its
// operand) are handled alike in every state.
#pragma once

#include "CPDF/iCPDF_OperatorLookupTable.h"

#include <cstdint>

// One row per operator, in code order: X(code, text, id, legal states). The
// code is CPDF_ContentOperator::Op_<id>, the handler of every object state
// iCPDF_CPStateBase::Op_<id>.
#define CPDF_CONTENT_OPERATORS(X)                                                               \
    X(0, "b", b, InPath) X(1, "B", B, InPath) X(2, "b*", bStar, InPath) X(3, "B*", BStar, InPath) \
    X(4, "BDC", BDC, InPageOrText) X(5, "BI", BI, InPage) X(6, "BMC", BMC, InPageOrText)        \
    X(7, "BT", BT, InPage) X(8, "BX", BX, InAny) X(9, "c", c, InPath) X(10, "cm", cm, InPage)   \
    X(11, "cs", cs, InPageOrText) X(12, "CS", CS, InPageOrText) X(13, "d", d, InPageOrText)     \
    X(14, "d0", d0, InPage) X(15, "d1", d1, InPage) X(16, "Do", Do, InPage)                     \
    X(17, "DP", DP, InPageOrText) X(18, "EI", EI, InImage) X(19, "EMC", EMC, InPageOrText)      \
    X(20, "ET", ET, InText) X(21, "EX", EX, InAny) X(22, "f", f, InPath) X(23, "F", F, InPath)  \
    X(24, "f*", fStar, InPath) X(25, "g", g, InPageOrText) X(26, "G", G, InPageOrText)          \
    X(27, "gs", gs, InPageOrText) X(28, "h", h, InPageOrPath) X(29, "i", i, InPageOrText)       \
    X(30, "ID", ID, InImage) X(31, "j", j, InPageOrText) X(32, "J", J, InPageOrText)            \
    X(33, "k", k, InPageOrText) X(34, "K", K, InPageOrText) X(35, "l", l, InPath)               \
    X(36, "m", m, InPageOrPath) X(37, "M", M, InPageOrText) X(38, "MP", MP, InPageOrText)       \
    X(39, "n", n, InPageOrPath) X(40, "PS", PS, InPage) X(41, "q", q, InPage)                   \
    X(42, "Q", Q, InPage) X(43, "re", re, InPageOrPath) X(44, "rg", rg, InPageOrText)          \
    X(45, "RG", RG, InPageOrText) X(46, "ri", ri, InPageOrText) X(47, "s", s, InPath)          \
    X(48, "S", S, InPath) X(49, "sc", sc, InPageOrText) X(50, "SC", SC, InPageOrText)          \
    X(51, "scn", scn, InPageOrText) X(52, "SCN", SCN, InPageOrText) X(53, "sh", sh, InPage)    \
    X(54, "Tc", Tc, InPageOrText) X(55, "Td", Td, InText) X(56, "TD", TD, InText)              \
    X(57, "Tf", Tf, InPageOrText) X(58, "Tj", Tj, InText) X(59, "TJ", TJ, InText)              \
    X(60, "TL", TL, InPageOrText) X(61, "Tm", Tm, InText) X(62, "Tr", Tr, InPageOrText)        \
    X(63, "Ts", Ts, InPageOrText) X(64, "Tw", Tw, InPageOrText) X(65, "Tz", Tz, InPageOrText)  \
    X(66, "T*", TStar, InText) X(67, "v", v, InPath) X(68, "w", w, InPageOrText)               \
    X(69, "W", W, InPath) X(70, "W*", WStar, InPath) X(71, "y", y, InPath)                     \
    X(72, "'", Quote, InText) X(73, "\"", DoubleQuote, InText) X(74, "DumpGS", DumpGS, InAny)  \
    X(75, "Print", Print, InAny)

struct CPDF_ContentOperator {
    // The object states, one bit each (the order of the state names in
    // messages), and the sets of them the rows use.
    enum StateBits : uint32_t {
        InPage = 1,   // "Page Description"
        InText = 2,   // "Text Object"
        InPath = 4,   // "Path Object"
        InImage = 8,  // "Inline Image Object"
        InPageOrText = InPage | InText,
        InPageOrPath = InPage | InPath,
        InAny = 15,
    };

#define CPDF_CONTENT_OPERATOR_CODE(code, text, id, legal) Op_##id = code,
    enum Code : int32_t { CPDF_CONTENT_OPERATORS(CPDF_CONTENT_OPERATOR_CODE) };
#undef CPDF_CONTENT_OPERATOR_CODE
    static constexpr int32_t NumCodes = 76;

    int32_t m_op;
    const char* m_name;
    uint32_t m_legalStates;

    // One row per code, in code order.
    static const CPDF_ContentOperator Declared[NumCodes];
};

using CPDF_ContentOperatorTable = iCPDF_OperatorLookupTable<CPDF_ContentOperator>;
