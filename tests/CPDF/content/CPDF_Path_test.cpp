// Walking, bounding, printing and writing paths, with rectangles that stay
// axis-aligned or turn into corners when transformed.
#include "CPDF/content/CPDF_Path.h"

#include "ContentTestUtil.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const GLIB_Matrix identity;
const GLIB_Matrix quarterTurn(0, 1, -1, 0, 0, 0);  // 90 degrees anticlockwise
const GLIB_Matrix halfTurn(-1, 0, 0, -1, 0, 0);

}  // namespace

TEST(CPDF_Path, WalkAndBoundingBox) {
    const struct {
        const char* content;
        GLIB_Matrix m;
        const char* walk;
        std::vector<double> box;
    } cases[] = {
        {"", identity, "", {0, 0, 0, 0}},
        {"h", identity, "h", {0, 0, 0, 0}},
        {"0 0 10 5 re", identity, "re 0 0 10 5", {0, 0, 10, 5}},
        {"0 0 10 5 re", GLIB_Matrix(2, 0, 0, 3, 1, 1), "re 1 1 20 15", {1, 1, 21, 16}},
        // Turned half-way the rectangle is still axis-aligned, its size negative.
        {"0 0 10 5 re", halfTurn, "re 0 0 -10 -5", {-10, -5, 0, 0}},
        // A quarter turn gives corners; the segment after them keeps its own point.
        {"0 0 10 5 re 7 7 l", quarterTurn, "m 0 0|l 0 10|l -5 10|l -5 0|h|l -7 7", {-7, 0, 0, 10}},
        {"1 1 2 2 re 0 0 1 1 re", GLIB_Matrix(1, 1, 0, 1, 0, 0),  // sheared: the fourth corner is new
         "m 1 2|l 3 4|l 3 6|l 1 4|h|m 0 0|l 1 1|l 1 2|l 0 1|h", {0, 0, 3, 6}},
        {"1 2 m 3 4 5 6 7 8 c 1 1 2 2 v 3 3 4 -4 y h", identity, "m 1 2|c 3 4 5 6 7 8|v 1 1 2 2|y 3 3 4 -4|h",
         {1, -4, 7, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const CPDF_Path path = PathOf(c.content, c.m);
        EXPECT_EQ(Walk(path), c.walk);
        EXPECT_EQ(Corners(path.BoundingBox()), c.box);
    }
}

TEST(CPDF_Path, WriteLeavesOutOnlyTheClosePathThatEndsTheWalk) {
    const struct {
        const char* content;
        GLIB_Matrix m;
        bool finalClose;
        const char* text;
    } cases[] = {
        {"", identity, true, ""},
        {"0 0 10 5 re", identity, false, "0 0 10 5 re\n"},
        {"0.5 -0.25 m 1 2 3 4 5 6 c 1 2 3 4 v 1 2 3 4 y", identity, true,
         "0.5 -0.25 m\n1 2 3 4 5 6 c\n1 2 3 4 v\n1 2 3 4 y\n"},
        {"1 2 m 3 4 l 5 6 l h", identity, true, "1 2 m\n3 4 l\n5 6 l\nh\n"},
        {"1 2 m 3 4 l 5 6 l h", identity, false, "1 2 m\n3 4 l\n5 6 l\n"},
        {"1 2 m 3 4 l h 5 6 m 7 8 l h", identity, false, "1 2 m\n3 4 l\nh\n5 6 m\n7 8 l\n"},
        {"0 0 10 5 re", quarterTurn, false, "0 0 m\n0 10 l\n-5 10 l\n-5 0 l\n"},
        {"0 0 10 5 re", quarterTurn, true, "0 0 m\n0 10 l\n-5 10 l\n-5 0 l\nh\n"},
        {"0 0 10 5 re 1 1 m", quarterTurn, false, "0 0 m\n0 10 l\n-5 10 l\n-5 0 l\nh\n-1 1 m\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        EXPECT_EQ(Written(PathOf(c.content, c.m), c.finalClose), c.text);
    }
}

TEST(CPDF_Path, PrintNamesEverySegment) {
    EXPECT_EQ(Printed(PathOf("1 2 m 3 4 l 1 2 3 4 5 6 c 1 2 3 4 v 5 6 7 8 y 0.5 1 10 5 re h")),
              "MoveTo ( 1, 2 )\nLineTo ( 3, 4 )\nCurveTo ( 1, 2 ) ( 3, 4 ) ( 5, 6 )\n"
              "CurveToV ( 1, 2 ) ( 3, 4 )\nCurveToY ( 5, 6 ) ( 7, 8 )\nRect ( 0.5, 1 ) 10 5\nClosePath\n");
}
