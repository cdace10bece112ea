// Points, rectangles and matrices with their tolerances.
#include "GLIB/GLIB_Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

std::string Text(const GLIB_Matrix& m) {
    std::ostringstream os;
    os << m;
    return os.str();
}

void ExpectRect(const GLIB_Rect& r, double llx, double lly, double urx, double ury) {
    EXPECT_DOUBLE_EQ(r.Llx(), llx);
    EXPECT_DOUBLE_EQ(r.Lly(), lly);
    EXPECT_DOUBLE_EQ(r.Urx(), urx);
    EXPECT_DOUBLE_EQ(r.Ury(), ury);
}

}  // namespace

TEST(GLIB_Geometry, ToleranceFunctionsDifferAtTheBound) {
    EXPECT_FALSE(GLIB_ApproxEqual(1.0, 1.5, 0.5));  // strict
    EXPECT_TRUE(GLIB_IsClose(1.0, 1.5, 0.5));       // bounds included
    EXPECT_TRUE(GLIB_ApproxEqual(1.0, 1.4, 0.5));
    EXPECT_FALSE(GLIB_IsClose(1.0, 1.6, 0.5));
    EXPECT_TRUE(GLIB_Point(1, 2) == GLIB_Point(1 + 5e-7, 2 - 5e-7));
    EXPECT_FALSE(GLIB_Point(1, 2) == GLIB_Point(1, 2 + 2e-6));
    std::ostringstream os;
    os << GLIB_Point(1.5, -2);
    EXPECT_EQ(os.str(), "( 1.5, -2 )");
}

TEST(GLIB_Geometry, RectangleEmptinessAndIntersection) {
    EXPECT_TRUE(GLIB_Rect(0, 0, 0.0001, 1).IsEmpty());
    EXPECT_FALSE(GLIB_Rect(0, 0, 0.0002, 1).IsEmpty());
    EXPECT_TRUE(GLIB_Rect(0, 0, 1, 0.0001).IsEmpty());
    EXPECT_TRUE(GLIB_Rect(5, 5, 1, 1).IsEmpty());  // not normalised

    struct Case {
        GLIB_Rect a, b;
        bool meets;
        double llx, lly, urx, ury;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, {5, 5, 20, 20}, true, 5, 5, 10, 10},
        {{0, 0, 10, 10}, {20, 20, 30, 30}, false, 20, 20, 20, 20},
        {{0, 0, 10, 10}, {2, 3, 4, 5}, true, 2, 3, 4, 5},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, false, 10, 0, 10, 10},  // touching edges
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        GLIB_Rect r = cases[i].a;
        EXPECT_EQ(r.Intersect(cases[i].b), cases[i].meets);
        ExpectRect(r, cases[i].llx, cases[i].lly, cases[i].urx, cases[i].ury);
    }
}

TEST(GLIB_Geometry, RectangleIncludeNormalizeTransform) {
    GLIB_Rect r(3, 4, 1, 2);
    r.Normalize();
    ExpectRect(r, 1, 2, 3, 4);
    r.Include(GLIB_Point(-1, 10));
    ExpectRect(r, -1, 2, 3, 10);
    r.Include(2, 3);  // inside: no change
    ExpectRect(r, -1, 2, 3, 10);

    struct Case {
        GLIB_Matrix m;
        double llx, lly, urx, ury;
    };
    const Case cases[] = {
        {GLIB_Matrix(0, 1, -1, 0, 0, 0), -1, 0, 0, 1},  // 90 degrees
        {GLIB_Matrix(2, 0, 0, 3, 10, 20), 10, 20, 12, 23},
        {GLIB_Matrix(-1, 0, 0, -1, 0, 0), -1, -1, 0, 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        GLIB_Rect unit(0, 0, 1, 1);
        unit.Transform(cases[i].m);
        ExpectRect(unit, cases[i].llx, cases[i].lly, cases[i].urx, cases[i].ury);
    }
}

TEST(GLIB_Geometry, MatrixProductOrderAndInverse) {
    const GLIB_Matrix scale(2, 0, 0, 2, 0, 0);
    const GLIB_Matrix shift(1, 0, 0, 1, 10, 0);
    // scale first, then shift: (1,1) -> (2,2) -> (12,2)
    double x = 1, y = 1;
    (scale * shift).Transform(x, y);
    EXPECT_DOUBLE_EQ(x, 12);
    EXPECT_DOUBLE_EQ(y, 2);
    // Concat puts its argument first: shift, then scale: (1,1) -> (11,1) -> (22,2)
    GLIB_Matrix ctm = scale;
    ctm.Concat(shift);
    x = 1, y = 1;
    ctm.Transform(x, y);
    EXPECT_DOUBLE_EQ(x, 22);
    EXPECT_DOUBLE_EQ(y, 2);

    const GLIB_Matrix m(2, 1, -1, 3, 5, -7);
    EXPECT_TRUE(m * m.Inverse() == GLIB_Matrix());
    EXPECT_TRUE(m.Inverse() * m == GLIB_Matrix());
    const GLIB_Matrix nearlySingular(1e-7, 0, 0, 1, 0, 0);  // determinant 1e-7
    const GLIB_Matrix inverse = nearlySingular.Inverse();
    EXPECT_EQ(Text(inverse), "[ 0 0 0 0 0 0 ]");
    EXPECT_DOUBLE_EQ(inverse.A(), 0);
    GLIB_Matrix zeroed = m;
    zeroed.Zero();
    EXPECT_EQ(Text(zeroed), "[ 0 0 0 0 0 0 ]");
}

TEST(GLIB_Geometry, MatrixComparisonScaleAndConformity) {
    const GLIB_Matrix base(1, 0, 0, 1, 100, 200);
    EXPECT_TRUE(base == GLIB_Matrix(1, 0, 0, 1, 100.0005, 200));
    EXPECT_FALSE(base == GLIB_Matrix(1.0005, 0, 0, 1, 100, 200));
    EXPECT_FALSE(base == GLIB_Matrix(1, 0, 0, 1, 100.002, 200));

    const double s = std::sqrt(0.5);
    EXPECT_DOUBLE_EQ(GLIB_Matrix(3, 4, 0, 1, 0, 0).XScale(), 5);
    struct Case {
        GLIB_Matrix m;
        bool conformal;
    };
    const Case cases[] = {
        {GLIB_Matrix(s, s, -s, s, 0, 0), true},    // rotation
        {GLIB_Matrix(2, 0, 0, -2, 0, 0), true},    // reflection, uniform scale
        {GLIB_Matrix(2, 0, 0, 3, 0, 0), false},    // stretched
        {GLIB_Matrix(1, 0.5, 0, 1, 0, 0), false},  // sheared
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].m.IsConformal(), cases[i].conformal);
    }
}

TEST(GLIB_Geometry, MatrixPrintingSnapsNearIntegers) {
    EXPECT_EQ(Text(GLIB_Matrix()), "[ 1 0 0 1 0 0 ]");
    EXPECT_EQ(Text(GLIB_Matrix(0.9999999, 0.5, -0.0000001, 2, 12.0004, -3.5)), "[ 1 0.5 0 2 12 -3.5 ]");
    // 0.99999 is outside the linear tolerance; 12.002 outside the translation one.
    EXPECT_EQ(Text(GLIB_Matrix(0.99999, 0, 0, 1, 12.002, 0)), "[ 0.99999 0 0 1 12.002 0 ]");
}
