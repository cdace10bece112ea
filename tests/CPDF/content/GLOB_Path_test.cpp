// Paths built from content operators: stored codes and points, operand
// errors, sharing and growth.
#include "CPDF/content/GLOB_Path.h"

#include "ContentTestUtil.h"
#include "GLIB/GLIB_Exception.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

// Each stored code with the coordinates of its stored points: "5:1,2 4:3,4".
std::string Stored(const GLOB_Path& path) {
    std::ostringstream os;
    for (size_t i = 0, k = 0; i < path.NumOperators(); ++i) {
        os << (i ? " " : "") << path.Operator(i) << ":";
        for (uint32_t n = 0; n < GLOB_Path::NumPoints(path.Operator(i)); ++n, ++k)
            os << (n ? "," : "") << path.Point(k).X() << "," << path.Point(k).Y();
    }
    return os.str();
}

}  // namespace

TEST(GLOB_Path, OperatorsStoreTheirOperandsAsPoints) {
    const struct {
        const char* content;
        const char* stored;
    } cases[] = {
        {"", ""},
        {"1 2 m 3.5 -4 l", "5:1,2 4:3.5,-4"},
        {"1 2 3 4 re", "6:1,2,4,2,1,6"},  // origin, width corner, height corner
        {"1 2 3 4 5 6 c 1 2 3 4 v 5 6 7 8 y h", "1:1,2,3,4,5,6 2:1,2,3,4 3:5,6,7,8 0:"},
        {"9 9 1 2 m 8 0 0 1 1 re", "5:1,2 6:0,0,1,0,0,1"},  // deeper operands ignored
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const CPDF_Path path = PathOf(c.content);
        EXPECT_EQ(Stored(path), c.stored);
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
        {"1 2 3 re", 1151001, "Expected 4 arguments, found 3"},
        {"0 /N m", 1151006, "Expected numeric control point, found: (0, /N)"},
        {"1 2 /A 4 5 6 c", 1151006, "Expected numeric control point, found: (/A, 4)"},
        {"1 2 3 4 5 [6] c", 1151006, "Expected numeric control point, found: (5, [ 6 ])"},
        {"1 2 3 (x) re", 1151006, "Expected numeric control point, found: (x)"},
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
        EXPECT_EQ(Stored(builder.m_path), "5:0,0");
    }
}

TEST(GLOB_Path, CopiesShareUntilOneChanges) {
    CPDF_Path start = PathOf("1 2 m 3 4 l");
    start.SetFillRule(GLOB_Path::EvenOddFill);
    const auto read = [](const CPDF_Path& p) { return Stored(p) + " rule " + std::to_string(p.FillRule()); };
    ExpectCopyOnWrite(start, [](CPDF_Path& p) { p.Transform(GLIB_Matrix(1, 0, 0, 1, 10, 0)); }, read);
    ExpectCopyOnWrite(start, [](CPDF_Path& p) { p.SetFillRule(p.FillRule() + 1); }, read);
    ExpectCopyOnWrite(start, [](CPDF_Path& p) { p.Clear(); }, read);
    CPDF_Path cleared(start);
    cleared.Clear();
    EXPECT_EQ(read(cleared), " rule 0");
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

    // A point of the path itself, pushed just as its array grows.
    GLOB_Path own;
    for (int i = 0; i < 64; ++i)
        own.PushPoint(GLIB_Point(i, 1));
    own.PushPoint(own.Point(3));
    EXPECT_TRUE(own.Point(64) == GLIB_Point(3, 1));

    // Room asked for grows only beyond the points held.
    CPDF_Path reserved(100);
    reserved.Reserve(50);
    path.Reserve(18000);
    EXPECT_EQ(std::vector<size_t>({reserved.OperatorCapacity(), reserved.PointCapacity(), path.PointCapacity()}),
              std::vector<size_t>({100, 100, 23192}));
}
