#include "viewer/program/VIEW_ProgramViewSize.h"

#include <algorithm>
#include <cmath>

namespace {

// Pixels for points at dpi, rounded up; a side a rounding error past a
// whole pixel stays that pixel.
int Pixels(double points, int dpi) {
    const double exact = points * dpi / 72.0;
    const double whole = std::ceil(exact - 1e-6);
    return static_cast<int>(std::clamp(whole, 1.0, 1e9));
}

}  // namespace

VIEW_ViewSize VIEW_ViewSize::For(double boxWidth, double boxHeight, int rotate, int dpi) {
    const int at = dpi > 0 ? dpi : FitDpi;
    const bool turned = rotate == 90 || rotate == 270;
    const int width = Pixels(turned ? boxHeight : boxWidth, at);
    const int height = Pixels(turned ? boxWidth : boxHeight, at);
    VIEW_ViewSize size;
    size.m_width = std::min(width, MaxSide);
    size.m_height = std::min(height, MaxSide);
    size.m_cut = width > MaxSide || height > MaxSide;
    size.m_screenWidth = std::max(size.m_width, MinScreenWidth);
    size.m_screenHeight = std::max(size.m_height, MinScreenHeight);
    return size;
}
