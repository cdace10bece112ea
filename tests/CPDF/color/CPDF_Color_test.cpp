#include "CPDF/color/CPDF_Color.h"

#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>

TEST(CPDF_Color, Construction) {
    const double raw[] = {0.25, -1, 3};
    const struct {
        CPDF_Color color;
        const char* printed;
    } cases[] = {
        {CPDF_Color(), "Color: 0 0 0 0 0 0 0 0 "},
        {CPDF_Color(0u), "Color: "},
        {CPDF_Color(2u), "Color: 0 0 "},
        {CPDF_Color(std::vector<double>{1, 0.5}), "Color: 1 0.5 "},
        {CPDF_Color(raw, 3), "Color: 0.25 -1 3 "},
        {CPDF_Color(Obj("[1 0.5 0]")), "Color: 1 0.5 0 "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Printed(c.color), c.printed);
        if (c.color.NumComponents() > 0) {  // an empty array is no colour
            EXPECT_EQ(CPDF_Color(c.color.MakeObject()), c.color);
        }
    }
    // Equal components in different cores are equal; counts must agree.
    EXPECT_EQ(CPDF_Color(Obj("[0.5 1]")), CPDF_Color(std::vector<double>{0.5, 1}));
    EXPECT_NE(CPDF_Color(2u), CPDF_Color(3u));
    EXPECT_NE(CPDF_Color(std::vector<double>{0.5}), CPDF_Color(std::vector<double>{0.5000001}));
}

TEST(CPDF_Color, RefusesWhatIsNotANumericArray) {
    const struct {
        const char* object;
        const char* text;
    } cases[] = {
        {"[1 /Red]", "Color array entries should be numeric. At index 1 found Name\n"},
        {"[]", "Color array has zero length.\n"},
        {"<< /A 1 >>", "Color should be an array, found Dict\n"},
        {"[(a) 2 [3]]",
         "Color array entries should be numeric. At index 0 found String\n"
         "Color array entries should be numeric. At index 2 found Array\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.object);
        EXPECT_EQ(Validated(CPDF_Color::IsValidColor, Obj(c.object)), c.text);
        EXPECT_EQ(Thrown([&] { CPDF_Color color(Obj(c.object)); }), std::string("1128002 ") + c.text);
    }
}

TEST(CPDF_Color, CopiesShareUntilAChange) {
    CPDF_Color a(std::vector<double>{1, 2, 3});
    const double* storage = a.Components();
    a.SetComponent(0, 5);  // unshared: no new storage
    EXPECT_EQ(a.Components(), storage);
    CPDF_Color b = a;
    EXPECT_EQ(b.Components(), storage);
    b.SetComponent(1, 7);
    EXPECT_EQ(Printed(a), "Color: 5 2 3 ");
    EXPECT_EQ(Printed(b), "Color: 5 7 3 ");
    CPDF_Color c = a;
    c.Zero();
    EXPECT_EQ(Printed(c), "Color: 0 0 0 ");
    // Shrinking an unshared colour reuses its storage and zeroes it.
    c.SetComponent(0, 1);
    c.SetNumComponents(2);
    EXPECT_EQ(Printed(c), "Color: 0 0 ");
    const double more[] = {4, 5, 6, 7};
    b = a;
    b.Assign(more, 4);
    b.SetComponents(more);
    c = b;
    c.Assign(std::vector<double>{9});
    EXPECT_EQ(Printed(a), "Color: 5 2 3 ");
    EXPECT_EQ(Printed(b), "Color: 4 5 6 7 ");
    EXPECT_EQ(Printed(c), "Color: 9 ");
}
