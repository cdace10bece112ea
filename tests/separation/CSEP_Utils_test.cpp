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
        {"Ruby", {0, 0, 0, 0}, 0, "1128001 Unsupported colorspaceColorSpace: DeviceRGB"},
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
