// The keys of an ExtGState dictionary (ISO 32000-1, 8.4.5, table 58, as far
// as PDF 1.3 knows them), one {code, name} row each, looked up by name when
// CPDF_GraphicsState::ApplyExtGState reads a dictionary. A key outside the
// table has code -1; names compare byte by byte, so "OP" and "op" differ.
#pragma once

#include "CPDF/iCPDF_OperatorLookupTable.h"

#include <cstdint>

struct iCPDF_ExtGStateKey {
    enum Code : int32_t {
        Type = 0,
        BG = 1,
        BG2 = 2,
        D = 3,
        Font = 4,
        FL = 5,
        HT = 6,
        HT2 = 7,
        HTP = 8,
        LC = 9,
        LJ = 10,
        LW = 11,
        ML = 12,
        RI = 13,
        SA = 14,
        SM = 15,
        TR = 16,
        TR2 = 17,
        UCR = 18,
        UCR2 = 19,
        OP = 20,
        OPM = 21,
        op = 22,
    };
    static constexpr int32_t NumCodes = 23;

    int32_t m_op;
    const char* m_name;

    static const iCPDF_ExtGStateKey Declared[NumCodes];
};

class iCPDF_ExtGStateKeyTable : public iCPDF_OperatorLookupTable<iCPDF_ExtGStateKey> {
public:
    // The key's name; "?" for a code outside the table.
    static const char* KeyName(int32_t code) {
        const char* name = Name(code);
        return name ? name : "?";
    }
};
