// Clip lists: comparing and splitting them, appending, bounds and sharing.
#include "CPDF/content/CPDF_PathList.h"

#include "ContentTestUtil.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <vector>

namespace {

CPDF_PathList ListOf(const std::vector<CPDF_Path>& paths) {
    CPDF_PathList list;
    for (const CPDF_Path& path : paths)
        list.Append(path);
    return list;
}

// The walks of the list's paths, through its iterator.
std::vector<std::string> Walks(const CPDF_PathList& list) {
    std::vector<std::string> walks;
    for (CPDF_PathList::Iterator it(list); it.HasMore();)
        walks.push_back(Walk(it.Next()));
    return walks;
}

}  // namespace

TEST(CPDF_PathList, PrefixesAndWhatFollowsThem) {
    const CPDF_Path a = PathOf("0 0 m 1 1 l"), b = PathOf("0 0 5 5 re"), c = PathOf("2 2 m"), d = PathOf("3 3 m");
    // b stored by hand with its height corner moved by dy, a fill rule, a closing h.
    const auto bAs = [](double dy, uint32_t rule, bool close) {
        CPDF_Path p;
        p.AddSegment(GLOB_Path::Rect, GLIB_Point(0, 0), GLIB_Point(5, 0), GLIB_Point(0, 5 + dy));
        p.SetFillRule(rule);
        if (close)
            p.PushOperator(GLOB_Path::ClosePath);
        return p;
    };
    const CPDF_PathList abc = ListOf({a, b, c});
    const struct {
        CPDF_PathList other;
        bool equal, startsWith;
        std::vector<CPDF_Path> prefix, after;
    } cases[] = {
        {abc, true, true, {a, b, c}, {}},
        {ListOf({a, bAs(5e-7, 0, false), c}), true, true, {a, b, c}, {}},  // paths compare by value
        {ListOf({a, bAs(5e-7, 0, false), d}), false, false, {a, b}, {c}},
        {ListOf({a, bAs(2e-6, 0, false), c}), false, false, {a}, {b, c}},
        {ListOf({a, bAs(0, GLOB_Path::EvenOddFill, false), c}), false, false, {a}, {b, c}},
        {ListOf({a, bAs(0, 0, true), c}), false, false, {a}, {b, c}},
        {ListOf({a, b, PathOf("2 2 l")}), false, false, {a, b}, {c}},
        {ListOf({a, b}), false, true, {a, b}, {c}},
        {ListOf({a, c}), false, false, {a}, {b, c}},
        {ListOf({d}), false, false, {}, {a, b, c}},
        {CPDF_PathList(), false, true, {}, {a, b, c}},
        {ListOf({a, b, c, d}), false, false, {a, b, c}, {}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(abc == cases[i].other, cases[i].equal);
        EXPECT_EQ(abc != cases[i].other, !cases[i].equal);
        EXPECT_EQ(abc.StartsWith(cases[i].other), cases[i].startsWith);
        EXPECT_EQ(Walks(abc.CommonPrefix(cases[i].other)), Walks(ListOf(cases[i].prefix)));
        EXPECT_EQ(Walks(abc.After(cases[i].other)), Walks(ListOf(cases[i].after)));
    }
    const CPDF_PathList empty;
    EXPECT_TRUE(empty == CPDF_PathList());
    EXPECT_TRUE(empty.StartsWith(CPDF_PathList()));
    EXPECT_EQ(Corners(empty.IntersectionBounds()), Corners(GLIB_Rect()));
    EXPECT_EQ(Corners(empty.UnionBounds()), Corners(GLIB_Rect()));
}

TEST(CPDF_PathList, AppendingAListToItselfAddsEachPathOnce) {
    const CPDF_Path a = PathOf("1 1 m"), b = PathOf("2 2 m");
    CPDF_PathList list = ListOf({a, b});
    list.Append(list);
    EXPECT_EQ(Walks(list), std::vector<std::string>({"m 1 1", "m 2 2", "m 1 1", "m 2 2"}));
    CPDF_PathList twin(list);
    list.Append(twin);
    EXPECT_EQ(list.NumPaths(), 8u);
    EXPECT_EQ(twin.NumPaths(), 4u);
    list.Clear();
    EXPECT_EQ(list.NumPaths() + twin.NumPaths(), 4u);
}

TEST(CPDF_PathList, BoundsClampAndUnite) {
    const CPDF_Path square = PathOf("0 0 10 10 re");
    const struct {
        std::vector<CPDF_Path> paths;
        std::vector<double> intersection, unionBox;
    } cases[] = {
        {{square}, {0, 0, 10, 10}, {0, 0, 10, 10}},
        {{square, PathOf("5 5 15 15 re")}, {5, 5, 10, 10}, {0, 0, 20, 20}},
        // Disjoint: clamped onto the corner of the second box, not inverted.
        {{square, PathOf("20 20 10 10 re")}, {20, 20, 20, 20}, {0, 0, 30, 30}},
        {{square, PathOf("0 0 10 10 re", GLIB_Matrix(0, 1, -1, 0, 0, 0))}, {0, 0, 0, 10}, {-10, 0, 10, 10}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const CPDF_PathList list = ListOf(cases[i].paths);
        EXPECT_EQ(Corners(list.IntersectionBounds()), cases[i].intersection);
        EXPECT_EQ(Corners(list.UnionBounds()), cases[i].unionBox);
    }
}

TEST(CPDF_PathList, ChangesReachNoOtherHolder) {
    const CPDF_Path a = PathOf("1 2 m");
    const CPDF_PathList start = ListOf({a, PathOf("3 4 m")});
    ExpectCopyOnWrite(start, [](CPDF_PathList& l) { l.Transform(GLIB_Matrix(1, 0, 0, 1, 10, 0)); },
                      [](const CPDF_PathList& l) { return Walks(l); });
    // Clearing lets go of the nodes and appending adds one: neither copies
    // what another list holds, nor changes it.
    const std::function<void(CPDF_PathList&)> changes[] = {[](CPDF_PathList& l) { l.Clear(); },
                                                           [&](CPDF_PathList& l) { l.Append(a); }};
    for (const auto& change : changes) {
        CPDF_PathList value(start);
        const CPDF_PathList copy(value);
        change(value);
        change(value);
        EXPECT_EQ(Walks(copy), Walks(start));
        EXPECT_NE(Walks(value), Walks(start));
    }
    EXPECT_EQ(Walk(a), "m 1 2");  // the path held outside was not transformed
}

TEST(CPDF_PathList, ListsThatShareNodesCompareByTheirPaths) {
    const CPDF_Path a = PathOf("0 0 m"), b = PathOf("1 1 m"), c = PathOf("2 2 m"), d = PathOf("3 3 m");
    const CPDF_PathList ab = ListOf({a, b});
    // Three lists over ab's nodes, and ab's paths again in nodes of their own.
    CPDF_PathList abc(ab), abd(ab), abcd;
    abc.Append(c);
    abd.Append(d);
    abcd = abc;
    abcd.Append(d);
    const CPDF_PathList abcAlone = ListOf({a, b, PathOf("2 2 m")});
    const struct {
        const CPDF_PathList& one;
        const CPDF_PathList& other;
        bool equal, startsWith;
        std::vector<CPDF_Path> prefix, after;
    } cases[] = {
        {abc, abd, false, false, {a, b}, {c}},
        {abc, ab, false, true, {a, b}, {c}},
        {ab, abc, false, false, {a, b}, {}},
        {abcd, abc, false, true, {a, b, c}, {d}},
        {abc, abcd, false, false, {a, b, c}, {}},
        {abcd, abd, false, false, {a, b}, {c, d}},
        {abc, abcAlone, true, true, {a, b, c}, {}},
        {abcd, abcAlone, false, true, {a, b, c}, {d}},
        {abcAlone, abd, false, false, {a, b}, {c}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].one == cases[i].other, cases[i].equal);
        EXPECT_EQ(cases[i].one.StartsWith(cases[i].other), cases[i].startsWith);
        EXPECT_EQ(Walks(cases[i].one.CommonPrefix(cases[i].other)), Walks(ListOf(cases[i].prefix)));
        EXPECT_EQ(Walks(cases[i].one.After(cases[i].other)), Walks(ListOf(cases[i].after)));
    }
    // A shared list mapped gets nodes of its own; the lists it shared with
    // keep their paths.
    CPDF_PathList moved(abcd);
    moved.Transform(GLIB_Matrix(1, 0, 0, 1, 0, 5));
    EXPECT_EQ(Walks(moved), std::vector<std::string>({"m 0 5", "m 1 6", "m 2 7", "m 3 8"}));
    EXPECT_EQ(Walks(abc), std::vector<std::string>({"m 0 0", "m 1 1", "m 2 2"}));
    EXPECT_EQ(Walks(abcd), std::vector<std::string>({"m 0 0", "m 1 1", "m 2 2", "m 3 3"}));
    CPDF_PathList empty;
    empty.Append(abcd);
    EXPECT_TRUE(empty == abcd);
    EXPECT_EQ(Walk(empty.Path(3)), "m 3 3");
}

TEST(CPDF_PathList, AVeryLongListGoesWithoutDeepRecursion) {
    // Each list shares the one before: the last holds every node.
    const CPDF_Path square = PathOf("0 0 200 200 re");
    CPDF_PathList list;
    for (int i = 0; i < 300000; ++i)
        list.Append(square);
    CPDF_PathList copy(list);
    EXPECT_EQ(copy.NumPaths(), 300000u);
    EXPECT_TRUE(copy == list);
    list.Clear();
    copy = CPDF_PathList();
    EXPECT_EQ(copy.NumPaths() + list.NumPaths(), 0u);
}

TEST(CPDF_PathList, PrintNumbersThePaths) {
    EXPECT_EQ(Streamed(ListOf({PathOf("1 2 m"), PathOf("0 0 1 1 re")})), "\nPath[1 of 2]:\nMoveTo ( 1, 2 )\nPath[2 of 2]:\nRect ( 0, 0 ) 1 1\n");
}
