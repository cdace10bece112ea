// Dash patterns: building them from d and D operands, changing, printing,
// and walking them from their phase.
#include "CPDF/content/CPDF_DashPattern.h"

#include "ContentTestUtil.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_TestUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <sstream>
#include <utility>
#include <vector>

namespace {

// The first n pieces, each its length and whether it is a dash.
std::vector<std::pair<double, bool>> Pieces(const CPDF_DashPattern& pattern, int n) {
    std::vector<std::pair<double, bool>> pieces;
    CPDF_DashPattern::Iterator walk(pattern);
    for (int i = 0; i < n; ++i) {
        bool dash = false;
        const double length = walk.Next(dash);
        pieces.emplace_back(length, dash);
    }
    return pieces;
}

const bool dash = true, gap = false;

}  // namespace

TEST(CPDF_DashPattern, WalkStartsAtThePhase) {
    const struct {
        std::vector<double> lengths;
        double phase;
        std::vector<std::pair<double, bool>> pieces;
    } cases[] = {
        {{3, 2}, 0, {{3, dash}, {2, gap}, {3, dash}, {2, gap}}},
        {{3, 2}, 4, {{1, gap}, {3, dash}, {2, gap}, {3, dash}}},
        {{3, 2}, -1, {{1, gap}, {3, dash}, {2, gap}, {3, dash}}},
        {{3, 2}, 2.5, {{0.5, dash}, {2, gap}, {3, dash}}},
        {{3, 2}, 5, {{3, dash}, {2, gap}}},   // a whole round
        {{3, 2}, -5, {{3, dash}, {2, gap}}},
        {{3, 2}, -12, {{2, gap}, {3, dash}}},  // two rounds and 2 back: at 3
        {{3, 2}, 23, {{2, gap}, {3, dash}}},
        // One length: dashes and gaps alike, so a round is twice the length.
        {{3}, 4, {{2, gap}, {3, dash}, {3, gap}}},
        {{3}, 7, {{2, dash}, {3, gap}}},
        {{}, 0, {{DBL_MAX, dash}, {DBL_MAX, dash}}},
        {{}, 17, {{DBL_MAX, dash}}},
        {{0, 0}, 0, {{DBL_MAX, dash}, {DBL_MAX, dash}}},  // nothing to draw a dash with: solid
        {{0}, 3, {{DBL_MAX, dash}}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const CPDF_DashPattern pattern(cases[i].phase, cases[i].lengths);
        EXPECT_EQ(Pieces(pattern, static_cast<int>(cases[i].pieces.size())), cases[i].pieces);
    }
}

TEST(CPDF_DashPattern, HugePhasesStartWithinOneRound) {
    for (double phase : {1e300, -1e300}) {
        SCOPED_TRACE(phase);
        // Part of one length first, whole ones in turn after it.
        const auto pieces = Pieces(CPDF_DashPattern(phase, {3, 2}), 3);
        const double first = pieces[0].second ? 3 : 2, second = 5 - first;
        EXPECT_TRUE(pieces[0].first >= 0 && pieces[0].first <= first) << pieces[0].first;
        EXPECT_EQ(pieces[1], std::make_pair(second, !pieces[0].second));
        EXPECT_EQ(pieces[2], std::make_pair(first, pieces[0].second));
    }
    // A whole number of rounds past phase 4.
    EXPECT_EQ(Pieces(CPDF_DashPattern(4e15 + 4, {3, 2}), 2), Pieces(CPDF_DashPattern(4, {3, 2}), 2));
}

TEST(CPDF_DashPattern, OperandFormsAgree) {
    const CPDF_DashPattern made(0, {3, 2});
    EXPECT_TRUE(made == CPDF_DashPattern(Obj("[3 2]"), Obj("0")));
    EXPECT_TRUE(made == CPDF_DashPattern(Obj("[3.0 2]"), Obj("0.0")));
    EXPECT_TRUE(made == CPDF_DashPattern(Obj("[[3 2] 0]")));
    EXPECT_TRUE(made != CPDF_DashPattern(1, {3, 2}));
    EXPECT_TRUE(made != CPDF_DashPattern(0, {3, 2.0000001}));  // lengths compare exactly
    EXPECT_TRUE(made != CPDF_DashPattern(0, {3}));
    for (const char* valid : {"[]", "[0]", "[1.5 2]"})
        EXPECT_TRUE(CPDF_DashPattern::IsValidArray(Obj(valid).AsArray())) << valid;
    for (const char* invalid : {"[1 /N]", "[-1]", "[(3)]"})
        EXPECT_FALSE(CPDF_DashPattern::IsValidArray(Obj(invalid).AsArray())) << invalid;
}

TEST(CPDF_DashPattern, ChangesPrintoutAndObject) {
    CPDF_DashPattern pattern;
    EXPECT_TRUE(pattern.IsSolid() && pattern == CPDF_DashPattern());
    EXPECT_EQ(Streamed(pattern), "[] 0");
    const GLOB_Object solid = pattern.AsObject();
    EXPECT_TRUE(solid.IsDeepEqual(Obj("[[] 0]")));
    EXPECT_EQ(solid.Get(1).Type(), GLOB_Object::KindReal);

    pattern.SetArray(Obj("[3 2]").AsArray());
    pattern.Set(4, 1.5);
    pattern.SetPhase(-2);
    EXPECT_EQ(Streamed(pattern), "[3 2 0 0 1.5] -2");
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object made = pattern.AsObject(doc);
    EXPECT_TRUE(made.IsDeepEqual(Obj("[[3 2 0 0 1.5] -2]")));
    EXPECT_EQ(made.GetImpl(), doc.Impl());
    pattern.Append(0.25);
    EXPECT_EQ(pattern.Get(5), 0.25);
    EXPECT_THROW(pattern.Get(6), TestAssertionFailure);
    EXPECT_THROW(pattern.Append(-1), TestAssertionFailure);
    pattern.SetSolid();
    EXPECT_TRUE(pattern == CPDF_DashPattern());

    const auto read = [](const CPDF_DashPattern& p) { return Streamed(p); };
    ExpectCopyOnWrite(CPDF_DashPattern(1, {3, 2}), [](CPDF_DashPattern& p) { p.Set(0, p.Get(0) + 1); }, read);
    ExpectCopyOnWrite(CPDF_DashPattern(1, {3, 2}), [](CPDF_DashPattern& p) { p.SetPhase(p.Phase() + 1); }, read);
}
