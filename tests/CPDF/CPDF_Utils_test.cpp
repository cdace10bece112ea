#include "CPDF/CPDF_Utils.h"

#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(CPDF_Utils, IsValidNumberArray) {
    const struct {
        const char* object;
        int length;
        const char* text;
    } cases[] = {
        {"[1 /x 2.5 (s)]", -1,
         "Expected array entry 1 to be a number, found Name\nExpected array entry 3 to be a number, found String\n"},
        {"[1 /x 2.5 (s)]", 3, "Expected Array of length 3, found 4\n"},
        {"[1 2.5 -3]", 3, "valid"},
        {"[]", -1, "valid"},
        {"[]", 0, "valid"},
        {"<< /A 1 >>", -1, "Expected type Array, found Dict\n"},
        {"7", 1, "Expected type Array, found Integer\n"},
        {"[null [1]]", -1,
         "Expected array entry 0 to be a number, found Null\nExpected array entry 1 to be a number, found Array\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.object);
        const auto validate = [&](const GLOB_Object& o, std::string* m) {
            return CPDF_Utils::IsValidNumberArray(o, c.length, m);
        };
        EXPECT_EQ(Validated(validate, Obj(c.object)), c.text);
    }
}

TEST(CPDF_Utils, RectanglesAndMatricesRoundTrip) {
    const GLOB_Doc doc = NewMemoryDoc();
    // Integers read as numbers; the corners stay as written.
    const GLOB_Object rect = doc.ParseObject("[612 -3 0 792.5]");
    ASSERT_TRUE(CPDF_Utils::IsRect(rect));
    const GLIB_Rect r = CPDF_Utils::RectFromObject(rect);
    EXPECT_EQ(std::vector<double>({r.Llx(), r.Lly(), r.Urx(), r.Ury()}), std::vector<double>({612, -3, 0, 792.5}));
    const GLOB_Object made = CPDF_Utils::MakeRectObject(doc, r);
    EXPECT_EQ(Printed(made), Printed(rect));
    EXPECT_EQ(made.Get(0).Type(), GLOB_Object::KindReal);
    for (const char* text : {"[0 0 612]", "[0 0 612 /x]", "<< >>", "[0 0 1 1 1]"})
        EXPECT_FALSE(CPDF_Utils::IsRect(doc.ParseObject(text))) << text;
    const GLIB_Matrix m(1, 2, 3, 4, 5.5, -6);
    EXPECT_EQ(Printed(CPDF_Utils::MakeMatrixObject(doc, m)), "[ 1 2 3 4 5.5 -6 ]");
    EXPECT_TRUE(CPDF_Utils::MatrixFromObject(doc.ParseObject("[1 2 3 4 5.5 -6]")) == m);
    EXPECT_EQ(Thrown([&] { CPDF_Utils::RectFromObject(doc.ParseObject("[1 2 3]")); }),
              "assert rectObj.Length() == 4");
    EXPECT_EQ(Thrown([&] { CPDF_Utils::MatrixFromObject(doc.ParseObject("7")); }), "assert matrixObj.IsArray()");
}

TEST(CPDF_Utils, ExtendToLimits) {
    const double nan = std::nan("");
    const struct {
        double dx, dy, x, y;
    } cases[] = {{1, 0, 32767, 4}, {-1, -2, -32768, -32768}, {0, 0.001, 3, 32767}, {nan, -0.5, -32768, -32768}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << " " << c.dy);
        const GLIB_Point p = CPDF_Utils::ExtendToLimits(GLIB_Point(3, 4), GLIB_Point(c.dx, c.dy));
        EXPECT_EQ(p.X(), c.x);
        EXPECT_EQ(p.Y(), c.y);
    }
}

TEST(CPDF_Utils, LinearRemapMapsEveryStrideThValue) {
    double values[] = {0.25, 100, 2, 100, -1, 100};
    CPDF_Utils::LinearRemap(values, 0, 1, 10, 20, 3, 2);
    EXPECT_EQ(std::vector<double>(values, values + 6), (std::vector<double>{12.5, 100, 30, 100, 0, 100}));
    // Nothing for an empty or backward walk.
    for (const auto& cs : {std::make_pair(0, 1), std::make_pair(2, 0), std::make_pair(-2, -1), std::make_pair(2, -1)}) {
        CPDF_Utils::LinearRemap(values + 1, 0, 1, 10, 20, cs.first, cs.second);
        EXPECT_EQ(values[1], 100);
    }
}

TEST(CPDF_Utils, PaintingOperators) {
    // b B b* B* f F f* s S by their codes, and two codes of other operators.
    const struct {
        int op;
        bool fill, stroke;
    } cases[] = {{0, 1, 1},  {1, 1, 1},  {2, 1, 1},  {3, 1, 1},  {22, 1, 0}, {23, 1, 0},
                 {24, 1, 0}, {47, 0, 1}, {48, 0, 1}, {4, 0, 0},  {46, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(std::make_pair(CPDF_Utils::IsFillOperator(c.op), CPDF_Utils::IsStrokeOperator(c.op)),
                  std::make_pair(c.fill, c.stroke)) << c.op;
}
