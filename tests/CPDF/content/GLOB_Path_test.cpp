// Paths built from content operators: stored codes and points, operand
// errors, sharing and growth.
#include "CPDF/content/GLOB_Path.h"

#include "ContentTestUtil.h"
#include "GLIB/GLIB_Exception.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<uint32_t> Codes(const GLOB_Path& path) {
    std::vector<uint32_t> codes;
    for (size_t i = 0; i < path.NumOperators(); ++i)
        codes.push_back(path.Operator(i));
    return codes;
}

std::vector<double> Coordinates(const GLOB_Path& path) {
    std::vector<double> xy;
    for (size_t i = 0; i < path.TotalPoints(); ++i) {
        xy.push_back(path.Point(i).X());
        xy.push_back(path.Point(i).Y());
    }
    return xy;
}

}  // namespace

TEST(GLOB_Path, OperatorsStoreTheirOperandsAsPoints) {
    const struct {
        const char* content;
        std::vector<uint32_t> codes;
        std::vector<double> xy;
    } cases[] = {
        {"", {}, {}},
        {"1 2 m 3.5 -4 l", {5, 4}, {1, 2, 3.5, -4}},
        {"1 2 3 4 re", {6}, {1, 2, 4, 2, 1, 6}},  // origin, width corner, height corner
        {"1 2 3 4 5 6 c", {1}, {1, 2, 3, 4, 5, 6}},
        {"1 2 3 4 v 5 6 7 8 y h", {2, 3, 0}, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"9 9 1 2 m 8 0 0 1 1 re", {5, 6}, {1, 2, 0, 0, 1, 0, 0, 1}},  // deeper operands ignored
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const CPDF_Path path = PathOf(c.content);
        EXPECT_EQ(Codes(path), c.codes);
        EXPECT_EQ(Coordinates(path), c.xy);
        EXPECT_EQ(path.FillRule(), GLOB_Path::NoFill);
    }
}

TEST(GLOB_Path, OperandErrorsThrowAndLeaveThePathAsItWas) {
    const struct {
        const char* content;
        uint32_t code;
        const char* message;
    } cases[] = {
        {"1 m", 1151001, "Expected 2 arguments, found 1"},
        {"1 2 3 4 5 c", 1151001, "Expected 6 arguments, found 5"},
        {"1 2 3 re", 1151001, "Expected 4 arguments, found 3"},
        {"0 /N m", 1151006, "Expected numeric control point, found: (0, /N)"},
        {"1 2 /A 4 5 6 c", 1151006, "Expected numeric control point, found: (/A, 4)"},
        {"1 2 3 4 5 [6] c", 1151006, "Expected numeric control point, found: (5, [ 6 ])"},
        {"1 2 3 (x) re", 1151006, "Expected numeric control point, found: (x)"},
        {"null 2 3 4 re", 1151006, "Expected numeric control point, found: null"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        PathBuilder builder(std::string("0 0 m ") + c.content);
        try {
            builder.Run();
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), c.code);
            EXPECT_STREQ(e.What(), c.message);
        }
        EXPECT_EQ(Codes(builder.m_path), std::vector<uint32_t>({5}));
        EXPECT_EQ(Coordinates(builder.m_path), std::vector<double>({0, 0}));
    }
}

TEST(GLOB_Path, CopiesShareUntilOneChanges) {
    const CPDF_Path start = PathOf("1 2 m 3 4 l");
    ExpectCopyOnWrite(start, [](CPDF_Path& p) { p.Transform(GLIB_Matrix(1, 0, 0, 1, 10, 0)); },
                      [](const CPDF_Path& p) { return Coordinates(p); });
    ExpectCopyOnWrite(start, [](CPDF_Path& p) { p.SetFillRule(p.FillRule() + 1); },
                      [](const CPDF_Path& p) { return p.FillRule(); });
    CPDF_Path cleared(start);
    cleared.SetFillRule(GLOB_Path::EvenOddFill);
    cleared.Clear();
    EXPECT_EQ(cleared.NumOperators() + cleared.TotalPoints() + cleared.FillRule(), 0u);
    EXPECT_EQ(Coordinates(start), std::vector<double>({1, 2, 3, 4}));
}

TEST(GLOB_Path, EqualityAllowsAMillionthAndNeedsTheSameCodesAndRule) {
    GLOB_Path base;
    base.AddSegment(GLOB_Path::MoveTo, GLIB_Point(1, 1));
    base.AddSegment(GLOB_Path::LineTo, GLIB_Point(2, 3));
    const auto with = [](GLIB_Point p, uint32_t code, uint32_t rule) {
        GLOB_Path path;
        path.AddSegment(GLOB_Path::MoveTo, GLIB_Point(1, 1));
        path.AddSegment(code, p);
        path.SetFillRule(rule);
        return path;
    };
    EXPECT_TRUE(base == with(GLIB_Point(2 + 5e-7, 3 - 5e-7), GLOB_Path::LineTo, 0));
    EXPECT_FALSE(base == with(GLIB_Point(2, 3 + 2e-6), GLOB_Path::LineTo, 0));
    EXPECT_FALSE(base == with(GLIB_Point(2, 3), GLOB_Path::MoveTo, 0));
    EXPECT_FALSE(base == with(GLIB_Point(2, 3), GLOB_Path::LineTo, GLOB_Path::NonZeroWindingFill));
    GLOB_Path longer(base);
    longer.PushOperator(GLOB_Path::ClosePath);
    EXPECT_TRUE(base != longer);
}

TEST(GLOB_Path, ArraysDoubleThenGrowByFiveThousand) {
    GLOB_Path path;
    std::vector<size_t> operatorRoom = {path.OperatorCapacity()}, pointRoom = {path.PointCapacity()};
    for (int i = 0; i < 18193; ++i) {
        path.PushOperator(GLOB_Path::ClosePath);
        path.PushPoint(GLIB_Point(i, 0));
        if (path.OperatorCapacity() != operatorRoom.back())
            operatorRoom.push_back(path.OperatorCapacity());
        if (path.PointCapacity() != pointRoom.back())
            pointRoom.push_back(path.PointCapacity());
    }
    EXPECT_EQ(operatorRoom, std::vector<size_t>({32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 13192, 18192, 23192}));
    EXPECT_EQ(pointRoom, std::vector<size_t>({64, 128, 256, 512, 1024, 2048, 4096, 8192, 13192, 18192, 23192}));
    EXPECT_EQ(path.Point(18192).X(), 18192);

    // Room asked for only grows, and only beyond the points held.
    CPDF_Path reserved(100);
    EXPECT_EQ(std::vector<size_t>({reserved.OperatorCapacity(), reserved.PointCapacity()}),
              std::vector<size_t>({100, 100}));
    reserved.Reserve(50);
    path.Reserve(18000);
    EXPECT_EQ(std::vector<size_t>({reserved.OperatorCapacity(), path.OperatorCapacity()}),
              std::vector<size_t>({100, 23192}));
}
