#include "viewer/cos/VCOS_Fixed.h"

#include <cmath>

int32_t VCOS_FixedFromDouble(double value) {
    if (std::isnan(value))
        return 0;
    const double scaled = value > 0 ? std::trunc(value * 65536.0 + 0.5) : std::trunc(value * 65536.0 - 0.5);
    if (scaled >= VCOS_FixedMax)
        return VCOS_FixedMax;
    if (scaled <= -VCOS_FixedMax)
        return -VCOS_FixedMax;
    return static_cast<int32_t>(scaled);
}
