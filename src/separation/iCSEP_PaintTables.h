// What an ink's stream writes for a painting operator or a text rendering
// mode, by the ink's paint flags (CSEP_InkState: their sum is the row).
#pragma once

#include <cstdint>

namespace iCSEP_PaintTables {

// Rows: paint flags 0 to 3; columns b B b* B* f F f* n s S.
inline constexpr const char* PathKeywords[4][10] = {
    {"n", "n", "n", "n", "n", "n", "n", "n", "n", "n"},
    {"s", "S", "s", "S", "n", "n", "n", "n", "s", "S"},
    {"f", "f", "f*", "f*", "f", "F", "f*", "n", "n", "n"},
    {"b", "B", "b*", "B*", "f", "F", "f*", "n", "s", "S"},
};

// Rows: paint flags 0 to 3; columns the modes 0 to 7.
inline constexpr int32_t TextModes[4][8] = {
    {3, 3, 3, 3, 7, 7, 7, 7},
    {3, 1, 1, 3, 7, 5, 5, 7},
    {0, 3, 0, 3, 4, 7, 4, 7},
    {0, 1, 2, 3, 4, 5, 6, 7},
};

}  // namespace iCSEP_PaintTables
