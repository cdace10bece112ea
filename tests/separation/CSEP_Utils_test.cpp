#include "separation/CSEP_Utils.h"

#include "CSEP_TestUtil.h"
#include "GLOB/GLOB_Dict.h"

#include <algorithm>

namespace {

// Resources whose colour spaces name the spot inks of the recipe cases.
CPDF_ResourcesDict Resources(const GLOB_Doc& doc) {
    // A tint transform from 0 (every digit of c1 as 0) to c1.
    const auto exponential = [](const std::string& c1) {
        std::string c0 = c1;
        std::replace_if(c0.begin(), c0.end(), [](char c) { return c != ' '; }, '0');
        return "<< /FunctionType 2 /Domain [0 1] /N 1 /C0 [" + c0 + "] /C1 [" + c1 + "] >>";
    };
    std::string wide = "1";  // 32 outputs
    for (int i = 1; i < 32; ++i)
        wide += " 0";
    const std::string lab = "[/Lab << /WhitePoint [0.9642 1 0.8249] /Range [-128 127 -128 127] >>]";
    const GLOB_Object resources = doc.ParseObject(
        ("<< /ColorSpace << "
         "/Gold [/Separation /Gold /DeviceCMYK " + exponential("0.1 0.9 0 0.2") + "] "
         "/Silver [/Indexed [/Separation /Silver /DeviceGray " + exponential("0.3") + "] 1 <00FF>] "
         "/Paper [/Pattern [/Separation /Paper /DeviceGray " + exponential("0.6") + "]] "
         "/White [/Separation /White " + lab + " " + exponential("100 0 0") + "] "
         "/Night [/Separation /Night " + lab + " " + exponential("0 0 0") + "] "
         "/Ruby [/Separation /Ruby /DeviceRGB " + exponential("1 0 0") + "] "
         "/Wide [/Separation /Wide /DeviceGray " + exponential(wide) + "] "
         ">> >>").c_str());
    // A DeviceN space whose tint transform shows which input was set.
    const GLOB_Object program = NewStreamObject(
        doc, "<< /FunctionType 4 /Domain [0 1 0 1 0 1] /Range [0 1 0 1 0 1 0 1] >>", "{ dup 0.5 mul }");
    const GLOB_Object deviceN = doc.ParseObject("[/DeviceN [/Tin /Lead /Copper] /DeviceCMYK 0]");
    deviceN.ArrayPut(3, program);
    resources.DictGet(GLOB_Name("ColorSpace")).DictPut(GLOB_Name("Metals"), deviceN);
    return CPDF_ResourcesDict(resources);
}

}  // namespace

TEST(CSEP_Utils, CMYKRecipes) {
    const GLOB_Doc doc = NewDoc();
    const CPDF_ResourcesDict resources = Resources(doc);
    const struct {
        const char* ink;
        std::vector<double> recipe;
        double tolerance;
        std::string thrown;
    } cases[] = {
        {"Gold", {0.1, 0.9, 0, 0.2}, 1e-12, ""},
        {"Silver", {0, 0, 0, 0.7}, 1e-12, ""},   // inside an Indexed space
        {"Paper", {0, 0, 0, 0.4}, 1e-12, ""},    // inside a Pattern space
        {"Copper", {0, 0, 1, 0.5}, 1e-12, ""},   // the third colorant: inputs (0, 0, 1)
        {"Tin", {1, 0, 0, 0}, 1e-12, ""},
        {"White", {0, 0, 0, 0}, 1e-3, ""},       // Lab L 100
        {"Night", {0, 0, 0, 1}, 1e-3, ""},       // Lab L 0
        {"Absent", {0, 0, 0, 0}, 0, ""},
        {"Ruby", {0, 1, 1, 0}, 1e-12, ""},      // DeviceRGB red
        {"Wide", {0, 0, 0, 0}, 0, "1128001 Tint transform of Wide (colorant 0) has 1 inputs and 32 outputs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ink);
        CPDF_Color recipe(std::vector<double>{9, 9, 9, 9, 9, 9});
        const LogCapture log;
        EXPECT_EQ(Failure([&] { CSEP_Utils::CMYKRecipe(CPDF_Colorant(c.ink), resources, recipe); })
                      .substr(0, c.thrown.empty() ? std::string::npos : c.thrown.size()),
                  c.thrown.empty() ? "no exception" : c.thrown);
        ASSERT_EQ(recipe.NumComponents(), 4u);
        for (unsigned i = 0; i < 4; ++i)
            EXPECT_NEAR(recipe.Component(i), c.recipe[i], c.tolerance) << i;
        EXPECT_EQ(log.Contains(GLIB_LogWarning, std::string("Spot color ") + c.ink +
                                                    "not in dictionary. Can't create recipie."),
                  std::string(c.ink) == "Absent");
    }
    // Process inks never look at the resources, which here are no dictionary.
    CPDF_Color recipe;
    CSEP_Utils::CMYKRecipe(CPDF_Colorant("Magenta"), CPDF_ResourcesDict(doc.NewInteger(3)), recipe);
    EXPECT_EQ(recipe, CPDF_Color(std::vector<double>{0, 1, 0, 0}));
}

TEST(CSEP_Utils, CopyKeyCopiesIntoTheDestinationsDocumentAndDropsAbsentKeys) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object source = NewDoc().ParseObject("<< /BBox [0 0 5 5] /XStep null >>");
    const GLOB_Object target = doc.ParseObject("<< /XStep 5 /YStep 6 >>");
    for (const char* key : {"BBox", "XStep", "YStep"})  // what the source lacks goes
        CSEP_Utils::CopyKey(key, source, target);
    EXPECT_EQ(Keys(target, {"BBox"}) + std::to_string(target.AsDict().Size()), "[ 0 0 5 5 ]1");
    EXPECT_EQ(target.DictGet(GLOB_Name("BBox")).GetImpl(), doc.Impl());
}

// Every alternate the colour separator refuses still gives the ink a CMYK
// equivalent: the tint transform at full tint, then the alternate's rule.
TEST(CSEP_Utils, SpotsOverRGBAndGrayAlternatesGetRecipes) {
    const GLOB_Doc doc = NewDoc();
    const auto icc = [&](int n) {
        const GLOB_Object space = doc.ParseObject("[/ICCBased 0]");
        space.ArrayPut(1, NewStreamObject(doc, "<< /N " + std::to_string(n) + " >>", "profile"));
        return space;
    };
    const auto spot = [](const std::string& full) {
        std::string zero = full;
        std::replace_if(zero.begin(), zero.end(), [](char c) { return c != ' '; }, '0');
        return "<< /FunctionType 2 /Domain [0 1] /N 1 /C0 [" + zero + "] /C1 [" + full + "] >>";
    };
    const struct {
        GLOB_Object alternate;
        std::string full;
        std::vector<double> recipe;
    } cases[] = {
        {doc.ParseObject("/DeviceRGB"), "0.9 0.2 0.3", {0, 0.7, 0.6, 0.1}},
        {doc.ParseObject("[/CalRGB << /WhitePoint [0.9505 1 1.089] >>]"), "0.2 0.8 0.5", {0.6, 0, 0.3, 0.2}},
        {icc(3), "0 0 1", {1, 1, 0, 0}},
        {doc.ParseObject("[/CalGray << /WhitePoint [0.9505 1 1.089] >>]"), "0.25", {0, 0, 0, 0.75}},
        {icc(1), "0.6", {0, 0, 0, 0.4}},
        {icc(4), "0.1 0.2 0.3 0.4", {0.1, 0.2, 0.3, 0.4}},
        // Outputs beyond the range of the space are clamped first.
        {doc.ParseObject("/DeviceRGB"), "1.5 -0.5 0.5", {0, 1, 0.5, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Text(c.alternate) + " " + c.full);
        const GLOB_Object space = doc.ParseObject("[/Separation /PANTONE#20485#20M 0 0]");
        space.ArrayPut(2, c.alternate);
        space.ArrayPut(3, doc.ParseObject(spot(c.full).c_str()));
        const GLOB_Object resources = doc.ParseObject("<< /ColorSpace << /CS0 0 >> >>");
        resources.DictGet(GLOB_Name("ColorSpace")).DictPut(GLOB_Name("CS0"), space);
        CPDF_Color recipe;
        const LogCapture log;
        CSEP_Utils::CMYKRecipe(CPDF_Colorant("PANTONE 485 M"), CPDF_ResourcesDict(resources), recipe);
        ASSERT_EQ(recipe.NumComponents(), 4u);
        for (unsigned i = 0; i < 4; ++i)
            EXPECT_NEAR(recipe.Component(i), c.recipe[i], 1e-12) << i;
        EXPECT_TRUE(log.Entries().empty());
    }
}

// Spaces no alternate may be have no rule: the caller keeps its colour.
TEST(CSEP_Utils, AlternateToCMYKRefusesSpacesWithoutARule) {
    const GLOB_Doc doc = NewDoc();
    CPDF_Color cmyk(std::vector<double>{0.5, 0.5, 0.5, 0.5});
    for (const char* text : {"/Pattern", "[/Indexed /DeviceRGB 0 <FF0000>]", "[/Separation /Gold /DeviceGray "
                                                                               "<< /FunctionType 2 /Domain [0 1] /N 1 >>]",
                             "/DeviceCMYK"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(CSEP_Utils::AlternateToCMYK(CPDF_ColorSpace(doc.ParseObject(text)),
                                                 CPDF_Color(std::vector<double>{1, 0, 0}), cmyk));
        EXPECT_EQ(cmyk, CPDF_Color(std::vector<double>{0.5, 0.5, 0.5, 0.5}));
    }
    EXPECT_FALSE(CSEP_Utils::AlternateToCMYK(CPDF_ColorSpace(), CPDF_Color(1u), cmyk));
    // Lab keeps its own conversion.
    ASSERT_TRUE(CSEP_Utils::AlternateToCMYK(CPDF_ColorSpace(doc.ParseObject("[/Lab << /WhitePoint [0.9642 1 0.8249] >>]")),
                                            CPDF_Color(std::vector<double>{0, 0, 0}), cmyk));
    EXPECT_NEAR(cmyk.Component(3), 1, 1e-3);
}
