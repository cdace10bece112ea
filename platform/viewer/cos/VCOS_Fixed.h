// 16.16 fixed point for the host's real values.
#pragma once

#include <cstdint>

// Largest magnitude a 16.16 value holds: 0x7FFFFFFF, 32767.99998.
inline constexpr int32_t VCOS_FixedMax = 0x7FFFFFFF;

// Rounds halves away from zero and saturates at +-VCOS_FixedMax, so a large
// real never comes back with the wrong sign. NaN gives 0.
int32_t VCOS_FixedFromDouble(double value);

inline double VCOS_DoubleFromFixed(int32_t fixed) { return fixed / 65536.0; }
