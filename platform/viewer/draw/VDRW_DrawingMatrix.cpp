#include "viewer/draw/VDRW_DrawingMatrix.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kUnit = 1.0 / 65536;
// A term rounded as trunc(v × 65536 + 0.5) is up to 1.5 units off.
constexpr double kTolerance = 2 * kUnit;

double Snapped(double value, double step, double tolerance) {
    const double nearest = std::round(value / step) * step;
    return std::fabs(value - nearest) <= tolerance ? nearest : value;
}

// The page box's turned top-left corner under m: its least x and least y.
void Corner(const VDRW_Transform& m, double width, double height, double* x, double* y) {
    *x = HUGE_VAL, *y = HUGE_VAL;
    for (const double px : {0.0, width})
        for (const double py : {0.0, height}) {
            *x = std::min(*x, m.m_a * px + m.m_c * py + m.m_e);
            *y = std::min(*y, m.m_b * px + m.m_d * py + m.m_f);
        }
}

}  // namespace

VDRW_Transform VDRW_DrawingMatrix(const PDFL_FixedMatrix& host, double boxWidth, double boxHeight) {
    const VDRW_Transform given{host.m_a * kUnit, host.m_b * kUnit, host.m_c * kUnit,
                               host.m_d * kUnit, host.m_h * kUnit, host.m_v * kUnit};
    VDRW_Transform exact = given;
    for (double* term : {&exact.m_a, &exact.m_b, &exact.m_c, &exact.m_d})
        *term = Snapped(*term, 1.0 / 72, kTolerance);
    double hostX, hostY, x, y;
    Corner(given, boxWidth, boxHeight, &hostX, &hostY);
    Corner(exact, boxWidth, boxHeight, &x, &y);
    if (!std::isfinite(hostX) || !std::isfinite(hostY) || !std::isfinite(x) || !std::isfinite(y))
        return given;
    // The scale's rounding moves the far corners up to this far.
    const double reach = kTolerance * (1 + std::fabs(boxWidth) + std::fabs(boxHeight));
    exact.m_e += Snapped(hostX, 1, reach) - x;
    exact.m_f += Snapped(hostY, 1, reach) - y;
    return exact;
}
