#include "CPDF/function/CPDF_IntervalSet.h"

#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(CPDF_IntervalSet, ReadsEvenArraysOfNumbers) {
    const struct {
        const char* object;
        const char* result;  // the dump, or the messages
    } cases[] = {
        {"[0 1 -1 1]", "Interval Set: [ ( 0 1 )( -1 1 ) ]"},
        {"[1 0]", "Interval Set: [ ( 1 0 ) ]"},
        {"[]", "Interval Set: [  ]"},
        {"[0 1 2]", "Must be of even length, found 3\n"},
        {"[0 /a]", "Expected array entry 1 to be a number, found Name\n\n"},
        {"/a", "Expected type Array, found Name\n\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadBack<CPDF_IntervalSet>(Obj(c.object), 1128005), c.result) << c.object;
    EXPECT_EQ(Streamed(CPDF_IntervalSet()), "Interval Set: [ ( 0 1 ) ]");
    EXPECT_EQ(Streamed(CPDF_IntervalSet(2)), "Interval Set: [ ( 0 1 )( 0 1 ) ]");
    EXPECT_EQ(CPDF_IntervalSet(0u).MakeObject().Length(), 0u);
}

TEST(CPDF_IntervalSet, ClipsInterleavedPoints) {
    const double bounds[] = {0, 1, 0, 1};
    const CPDF_IntervalSet set(bounds, 2);
    double points[] = {-0.5, 2, 0.3, 0.7, std::nan(""), 1};
    set.Clip(points, 3);
    EXPECT_EQ(points[0], 0);
    EXPECT_EQ(points[1], 1);
    EXPECT_EQ(points[2], 0.3);
    EXPECT_EQ(points[3], 0.7);
    EXPECT_TRUE(std::isnan(points[4]));
    // min above max: below min gives min, the rest above max gives max.
    const double inverted[] = {1, 0};
    double values[] = {-1, 0.5, 2};
    CPDF_IntervalSet(inverted, 1).Clip(values, 3);
    EXPECT_EQ(std::vector<double>(values, values + 3), (std::vector<double>{1, 1, 0}));
    double untouched = 5;
    CPDF_IntervalSet(0u).Clip(&untouched, 1);
    EXPECT_EQ(untouched, 5);
}

TEST(CPDF_IntervalSet, ComparesWithinTolerance) {
    const CPDF_IntervalSet unit(Obj("[0 1]"));
    EXPECT_EQ(unit, CPDF_IntervalSet(Obj("[0.0000005 1]")));
    EXPECT_NE(unit, CPDF_IntervalSet(Obj("[0.000002 1]")));
    EXPECT_NE(unit, CPDF_IntervalSet(2));
    const double nan[] = {std::nan(""), 1};
    EXPECT_NE(CPDF_IntervalSet(nan, 1), CPDF_IntervalSet(nan, 1));
}

TEST(CPDF_IntervalSet, ChangesDetachCopies) {
    CPDF_IntervalSet a(2);
    CPDF_IntervalSet b = a;
    a.Set(1, -2, 2);
    EXPECT_EQ(Streamed(b), "Interval Set: [ ( 0 1 )( 0 1 ) ]");
    b = a;
    b.Union(CPDF_IntervalSet(Obj("[-1 0.5 -3 1]")));
    EXPECT_EQ(Streamed(b), "Interval Set: [ ( -1 1 )( -3 2 ) ]");
    EXPECT_EQ(Streamed(a), "Interval Set: [ ( 0 1 )( -2 2 ) ]");
    b.Reset(1);
    EXPECT_EQ(Streamed(b), "Interval Set: [ ( 0 1 ) ]");
    EXPECT_EQ(Thrown([&] { b.Set(1, 0, 1); }).substr(0, 7), "assert ");
    EXPECT_EQ(Thrown([&] { b.Union(a); }).substr(0, 7), "assert ");
}

// The union is the hull of each pair: either bound widens on its own, from
// whichever side reaches further, and an interval inside changes nothing.
TEST(CPDF_IntervalSet, UnionWidensEachBoundOnItsOwn) {
    const struct {
        const char* mine;
        const char* theirs;
        const char* result;
    } cases[] = {
        {"[0 1]", "[0.5 3]", "Interval Set: [ ( 0 3 ) ]"},              // theirs reaches higher
        {"[0 1]", "[-2 0.5]", "Interval Set: [ ( -2 1 ) ]"},            // lower
        {"[0 1]", "[-2 3]", "Interval Set: [ ( -2 3 ) ]"},              // both
        {"[0 1]", "[0.25 0.75]", "Interval Set: [ ( 0 1 ) ]"},          // inside
        {"[0 1 5 6]", "[0 2 4 5]", "Interval Set: [ ( 0 2 )( 4 6 ) ]"},  // per pair
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.mine) + " " + c.theirs);
        CPDF_IntervalSet set(Obj(c.mine));
        set.Union(CPDF_IntervalSet(Obj(c.theirs)));
        EXPECT_EQ(Streamed(set), c.result);
        // The hull does not depend on the order.
        CPDF_IntervalSet other(Obj(c.theirs));
        other.Union(CPDF_IntervalSet(Obj(c.mine)));
        EXPECT_EQ(Streamed(other), c.result);
    }
}
