#include "separation/CSEP_ColorSeparator.h"

#include "CPDF/color/CPDF_IndexedColorSpace.h"
#include "CSEP_TestUtil.h"

namespace {

// Inks: Cyan Magenta Yellow Black Spot Gold.
const std::vector<std::string> Spots = {"Spot", "Gold"};

CPDF_ColorSpace Space(const GLOB_Doc& doc, const std::string& text) { return CPDF_ColorSpace(doc.ParseObject(text)); }

}  // namespace

TEST(CSEP_ColorSeparator, SelectsAConverterPerKindAndConvertsColours) {
    const CSEP_SepJobContext job = NewJob(Spots);
    const GLOB_Doc doc = job.Doc();
    const std::string nul = "1128001 Illegal method called on a CSEP_NullConverter.";
    const struct {
        std::string space;
        std::vector<double> color;
        std::string converter;    // the class selected
        std::vector<double> press;  // from all zeros; empty when the conversion throws
        std::string thrown;
    } cases[] = {
        {"/DeviceGray", {0.25}, "CSEP_DeviceGrayConverter", {0, 0, 0, 0.75, 0, 0}, ""},
        {"/DeviceCMYK", {0.1, 0.2, 0.3, 0.4}, "CSEP_DeviceCMYKConverter", {0.1, 0.2, 0.3, 0.4, 0, 0}, ""},
        {"/DeviceCMYK", {0.1, 0.2, 0.3}, "CSEP_DeviceCMYKConverter", {},
         "1128001 CSEP_DeviceCMYKConverter: a colour of 3 components, 4 expected"},
        {"[/Separation /All /DeviceGray 0]", {0.4}, "CSEP_SeparationAllConverter", {0.4, 0.4, 0.4, 0.4, 0.4, 0.4}, ""},
        {"[/Separation /None /DeviceGray 0]", {0.7}, "CSEP_SepNoneConverter", {0, 0, 0, 0, 0, 0}, ""},
        {"[/Separation /Gold /DeviceCMYK 0]", {0.6}, "CSEP_SeparationConverter", {0, 0, 0, 0, 0, 0.6}, ""},
        {"[/DeviceN [/Cyan /None /Spot] /DeviceCMYK 0]", {0.1, 0.9, 0.3}, "CSEP_DeviceNConverter",
         {0.1, 0, 0, 0, 0.3, 0}, ""},
        {"[/DeviceN [/Gold /Black] /DeviceCMYK 0]", {0.2, 0.5}, "CSEP_DeviceNConverter", {0, 0, 0, 0.5, 0, 0.2}, ""},
        // A Pattern space works through its underlying space's converter.
        {"[/Pattern /DeviceCMYK]", {0, 0, 0, 1}, "CSEP_DeviceCMYKConverter", {0, 0, 0, 1, 0, 0}, ""},
        {"[/Pattern [/Separation /Spot /DeviceGray 0]]", {0.5}, "CSEP_SeparationConverter", {0, 0, 0, 0, 0.5, 0}, ""},
        {"/Pattern", {}, "CSEP_NullConverter", {}, nul},
        {"[/Indexed /DeviceCMYK 0 <00000000>]", {0}, "CSEP_NullConverter", {}, nul},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.space);
        CSEP_ColorSeparator separator;
        separator.SetJobContext(job);
        const CPDF_ColorSpace space = Space(doc, c.space);
        separator.SetColorSpace(space);
        EXPECT_EQ(separator.ColorSpace(), space);
        EXPECT_STREQ(separator.Converter().ClassName(), c.converter.c_str());
        CPDF_Color press(6u);
        const std::string thrown = Failure([&] { separator.ConvertColor(CPDF_Color(c.color), press); });
        if (c.press.empty())
            EXPECT_EQ(thrown, c.thrown);
        else
            EXPECT_EQ(press, CPDF_Color(c.press));
    }
}

TEST(CSEP_ColorSeparator, RefusedSpacesLeaveTheConverterAsItWas) {
    const CSEP_SepJobContext job = NewJob(Spots);
    const GLOB_Doc doc = job.Doc();
    const std::string notListed = " is not in the list of separations to generate. Use a ";
    const struct {
        std::string space;
        std::string thrown;
    } cases[] = {
        {"/DeviceRGB", "1128001 Unsupported colorspace: ColorSpace: DeviceRGB"},
        {"[/Lab << /WhitePoint [0.9505 1 1.089] >>]", "1128001 Unsupported colorspace: ColorSpace: Lab"},
        {"[/CalGray << /WhitePoint [1 1 1] >>]", "1128001 Unsupported colorspace: ColorSpace: CalGray"},
        {"[/Pattern /DeviceRGB]", "1128001 Unsupported colorspace: ColorSpace: DeviceRGB"},
        {"[/Separation /Orange /DeviceGray 0]",
         "1128004 Separation Orange" + notListed + "separation to process color converter."},
        {"[/DeviceN [/Cyan /Orange] /DeviceCMYK 0]",
         "1128004 Separation Orange" + notListed + "DeviceN to process color converter."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.space);
        CSEP_ColorSeparator separator;
        separator.SetJobContext(job);
        // The DeviceN converter keeps the pairs of the space before.
        const CPDF_ColorSpace before = Space(doc, "[/DeviceN [/Spot /Cyan] /DeviceCMYK 0]");
        separator.SetColorSpace(before);
        EXPECT_EQ(Failure([&] { separator.SetColorSpace(Space(doc, c.space)); }).substr(0, c.thrown.size()),
                  c.thrown);
        EXPECT_EQ(separator.ColorSpace(), before);
        CPDF_Color press(6u);
        separator.ConvertColor(CPDF_Color(std::vector<double>{0.3, 0.8}), press);
        EXPECT_EQ(press, CPDF_Color(std::vector<double>{0.8, 0, 0, 0, 0.3, 0}));
    }
    CSEP_ColorSeparator separator;
    EXPECT_EQ(Failure([&] { separator.SetColorSpace(CPDF_ColorSpace()); }),
              "1128001 Encountered illegal colorspace: ColorSpace: Null");
    EXPECT_STREQ(separator.Converter().ClassName(), "CSEP_DeviceGrayConverter");
}

TEST(CSEP_ColorSeparator, TheNullConverterRefusesObjectConversions) {
    const CSEP_SepJobContext job = NewJob({});
    const CPDF_IndexedColorSpace indexed(job.Doc().ParseObject("[/Indexed /DeviceGray 0 <00>]"));
    std::vector<GLOB_Object> out;
    CSEP_ColorSeparator separator;
    separator.SetJobContext(job);
    separator.SetColorSpace(CPDF_ColorSpace(job.Doc().ParseObject("/Pattern")));
    for (const std::function<void()>& call : std::vector<std::function<void()>>{
             [&] { separator.ConvertImage(GLOB_Object(), out); }, [&] { separator.ConvertIndexed(indexed, out); },
             [&] { separator.ConvertShading(GLOB_Object(), out); }})
        EXPECT_EQ(Failure(call), "1128001 Illegal method called on a CSEP_NullConverter.");
}
