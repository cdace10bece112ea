// Byte classes of PDF syntax, one table shared by the lexer, the name writer
// and the object writer. NUL, tab, LF, FF, CR and space are white space
// (ISO 32000-1, 7.2.2); white space and % ( ) / < > [ ] { } are delimiters;
// regular bytes are 33 to 126 other than delimiters and '#'.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

enum GLOB_ByteClassBits : uint8_t {
    GLOB_ByteWhite = 1,
    GLOB_ByteDelimiter = 2,
    GLOB_ByteRegular = 4,
    GLOB_ByteDigit = 8,
    GLOB_ByteHex = 16,
};

constexpr std::array<uint8_t, 256> GLOB_MakeByteClassTable() {
    std::array<uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const bool white = c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32;
        const bool delimiter = white || c == '%' || c == '(' || c == ')' || c == '/' || c == '<' ||
                               c == '>' || c == '[' || c == ']' || c == '{' || c == '}';
        const bool digit = c >= '0' && c <= '9';
        const bool hex = digit || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        uint8_t bits = 0;
        if (white) bits |= GLOB_ByteWhite;
        if (delimiter) bits |= GLOB_ByteDelimiter;
        if (c >= 33 && c <= 126 && !delimiter && c != '#') bits |= GLOB_ByteRegular;
        if (digit) bits |= GLOB_ByteDigit;
        if (hex) bits |= GLOB_ByteHex;
        t[static_cast<std::size_t>(c)] = bits;
    }
    return t;
}

// The class bits of every byte value.
inline constexpr std::array<uint8_t, 256> GLOB_ByteClassTable = GLOB_MakeByteClassTable();

inline bool GLOB_IsWhite(uint8_t c) { return GLOB_ByteClassTable[c] & GLOB_ByteWhite; }
inline bool GLOB_IsDelimiter(uint8_t c) { return GLOB_ByteClassTable[c] & GLOB_ByteDelimiter; }
inline bool GLOB_IsRegular(uint8_t c) { return GLOB_ByteClassTable[c] & GLOB_ByteRegular; }
inline bool GLOB_IsDigit(uint8_t c) { return GLOB_ByteClassTable[c] & GLOB_ByteDigit; }
inline bool GLOB_IsHexDigit(uint8_t c) { return GLOB_ByteClassTable[c] & GLOB_ByteHex; }
// The value of a hexadecimal digit; -1 for any other byte.
inline int GLOB_HexValue(uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
