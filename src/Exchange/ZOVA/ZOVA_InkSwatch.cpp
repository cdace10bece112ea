#include "Exchange/ZOVA/ZOVA_InkSwatch.h"

#include <algorithm>

namespace {

double ComponentOr0(const CPDF_Color& color, unsigned i) {
    return i < color.NumComponents() ? color.Component(i) : 0.0;
}

BYTE Channel(double ink, double black) {
    return static_cast<BYTE>((1.0 - std::min(1.0, ink + black)) * 255.0);
}

}  // namespace

COLORREF ZOVA_SwatchColor(const CPDF_Color& cmyk) {
    const double k = ComponentOr0(cmyk, 3);
    return RGB(Channel(ComponentOr0(cmyk, 0), k), Channel(ComponentOr0(cmyk, 1), k),
               Channel(ComponentOr0(cmyk, 2), k));
}

CPDF_Color ZOVA_InkColorOf(COLORREF chosen) {
    const double c = 1.0 - GetRValue(chosen) / 255.0;
    const double m = 1.0 - GetGValue(chosen) / 255.0;
    const double y = 1.0 - GetBValue(chosen) / 255.0;
    const double k = std::min(std::min(c, m), y);
    const double values[4] = {c - k, m - k, y - k, k};
    return CPDF_Color(values, 4);
}
