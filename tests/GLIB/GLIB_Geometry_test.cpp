// Points, rectangles and matrices with their tolerances.
#include "GLIB/GLIB_Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

namespace {

std::string Text(const GLIB_Matrix& m) {
    std::ostringstream os;
    os << m;
    return os.str();
}

std::vector<double> Corners(const GLIB_Rect& r) { return {r.Llx(), r.Lly(), r.Urx(), r.Ury()}; }

}  // namespace

TEST(GLIB_Geometry, TolerancesAndTheirBounds) {
    EXPECT_FALSE(GLIB_ApproxEqual(1.0, 1.5, 0.5));  // strict
    EXPECT_TRUE(GLIB_IsClose(1.0, 1.5, 0.5));       // bounds included
    EXPECT_TRUE(GLIB_Point(1, 2) == GLIB_Point(1 + 5e-7, 2 - 5e-7));
    EXPECT_FALSE(GLIB_Point(1, 2) == GLIB_Point(1, 2 + 2e-6));
    const GLIB_Matrix base(1, 0, 0, 1, 100, 200);
    EXPECT_TRUE(base == GLIB_Matrix(1, 0, 0, 1, 100.0005, 200));
    EXPECT_FALSE(base == GLIB_Matrix(1.0005, 0, 0, 1, 100, 200));
    EXPECT_FALSE(base == GLIB_Matrix(1, 0, 0, 1, 100.002, 200));
    EXPECT_TRUE(GLIB_Rect(0, 0, 0.0001, 1).IsEmpty());
    EXPECT_FALSE(GLIB_Rect(0, 0, 1, 0.0002).IsEmpty());
    EXPECT_TRUE(GLIB_Rect(5, 5, 1, 1).IsEmpty());  // not normalised
    EXPECT_FALSE(GLIB_Rect(0, 0, 612, 792) != GLIB_Rect(1e-6, -1e-6, 612 + 1e-6, 792));
    EXPECT_TRUE(GLIB_Rect(0, 0, 612, 792) != GLIB_Rect(0, 0, 612, 792 + 2e-6));
    EXPECT_TRUE(GLIB_Rect(0, 0, 612, 792) != GLIB_Rect(2e-6, 0, 612, 792));
}

TEST(GLIB_Geometry, RectangleIntersectAndTransform) {
    const struct { GLIB_Rect other; bool meets; std::vector<double> result; } clamps[] = {
        {{5, 5, 20, 20}, true, {5, 5, 10, 10}},
        {{20, 20, 30, 30}, false, {20, 20, 20, 20}},
        {{10, 0, 20, 10}, false, {10, 0, 10, 10}},  // touching edges
    };
    for (size_t i = 0; i < std::size(clamps); ++i) {
        SCOPED_TRACE(i);
        GLIB_Rect r(0, 0, 10, 10);
        EXPECT_EQ(r.Intersect(clamps[i].other), clamps[i].meets);
        EXPECT_EQ(Corners(r), clamps[i].result);
    }
    const struct { GLIB_Matrix m; std::vector<double> box; } maps[] = {
        {GLIB_Matrix(0, 1, -1, 0, 0, 0), {-1, 0, 0, 1}},  // 90 degrees
        {GLIB_Matrix(2, 0, 0, 3, 10, 20), {10, 20, 12, 23}},
        {GLIB_Matrix(1, 1, -1, 1, 0, 0), {-1, 0, 1, 2}},  // 45 degrees: no two corners span the box
    };
    for (size_t i = 0; i < std::size(maps); ++i) {
        GLIB_Rect unit(0, 0, 1, 1);
        unit.Transform(maps[i].m);
        EXPECT_EQ(Corners(unit), maps[i].box) << i;
    }
}

TEST(GLIB_Geometry, MatrixProductOrderInverseAndConformity) {
    const GLIB_Matrix scale(2, 0, 0, 2, 0, 0), shift(1, 0, 0, 1, 10, 0);
    GLIB_Matrix ctm = scale;
    ctm.Concat(shift);  // its argument first, as cm does
    EXPECT_EQ(Text(scale * shift) + Text(ctm), "[ 2 0 0 2 10 0 ][ 2 0 0 2 20 0 ]");
    double x = 1, y = 1;
    ctm.Transform(x, y);  // shifted to (11,1), then scaled
    EXPECT_EQ(std::vector<double>({x, y}), std::vector<double>({22, 2}));

    const GLIB_Matrix m(2, 1, -1, 3, 5, -7);
    EXPECT_TRUE(m * m.Inverse() == GLIB_Matrix());
    EXPECT_TRUE(m.Inverse() * m == GLIB_Matrix());
    EXPECT_EQ(Text(GLIB_Matrix(1e-7, 0, 0, 1, 0, 0).Inverse()), "[ 0 0 0 0 0 0 ]");  // nearly singular

    EXPECT_DOUBLE_EQ(GLIB_Matrix(3, 4, 0, 1, 0, 0).XScale(), 5);
    const double s = std::sqrt(0.5);
    EXPECT_TRUE(GLIB_Matrix(s, s, -s, s, 0, 0).IsConformal());  // rotation
    EXPECT_TRUE(GLIB_Matrix(2, 0, 0, -2, 0, 0).IsConformal());  // reflection, uniform scale
    EXPECT_FALSE(GLIB_Matrix(2, 0, 0, 3, 0, 0).IsConformal());
    EXPECT_FALSE(GLIB_Matrix(1, 0.5, 0, 1, 0, 0).IsConformal());  // sheared
}

TEST(GLIB_Geometry, MatrixPrintingSnapsNearIntegers) {
    EXPECT_EQ(Text(GLIB_Matrix(0.9999999, 0.5, -0.0000001, 2, 12.0004, -3.5)), "[ 1 0.5 0 2 12 -3.5 ]");
    // 0.99999 is outside the linear tolerance; 12.002 outside the translation one.
    EXPECT_EQ(Text(GLIB_Matrix(0.99999, 0, 0, 1, 12.002, 0)), "[ 0.99999 0 0 1 12.002 0 ]");
}

TEST(GLIB_Geometry, PointDifferenceIsADirectionThatTranslationLeavesAlone) {
    const GLIB_Point a(1, 2), b(4, -1);
    EXPECT_EQ(std::vector<double>({(a - b).X(), (a - b).Y()}), std::vector<double>({-3, 3}));
    // Mapping both ends by an affine matrix maps their difference by its linear
    // part only.
    const GLIB_Matrix m(2, 1, -1, 3, 5, -7), linear(2, 1, -1, 3, 0, 0);
    double ax = a.X(), ay = a.Y(), bx = b.X(), by = b.Y(), dx = (a - b).X(), dy = (a - b).Y();
    m.Transform(ax, ay);
    m.Transform(bx, by);
    linear.Transform(dx, dy);
    EXPECT_TRUE(GLIB_Point(ax, ay) - GLIB_Point(bx, by) == GLIB_Point(dx, dy));
}
