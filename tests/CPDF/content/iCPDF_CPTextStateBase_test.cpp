// The operators legal at page level and in text objects: colour, general
// graphics state, text state and marked content, stepped through a content
// string with one set of resources.
#include "CPDF/content/iCPDF_CPTextStateBase.h"

#include "CPDF/content/ContentParserTestUtil.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using Read = std::string (*)(const CPDF_GraphicsState&);

const GLOB_Object& Resources() {
    static const GLOB_Object resources =
        Obj("<< /ColorSpace << /CS1 [/Pattern /DeviceRGB] /Sep [/Separation /Spot /DeviceGray << /FunctionType 2 "
            "/Domain [0 1] /C0 [0] /C1 [1] /N 1 >>] >> /Font << /F1 << /Type /Font >> /F2 5 >> "
            "/ExtGState << /GS1 << /LW 3 /op true >> >> /Pattern << /PC << /PaintType 1 >> /PU << /PaintType 2 >> "
            "/PS << /PatternType 2 /Shading << /ShadingType 2 /ColorSpace /DeviceCMYK >> >> >> >>");
    return resources;
}

// Each step's warning as "<op>: <text>", then "end" or "stopped: <text>".
std::string Stepped(const std::string& content, CPDF_GraphicsState& state,
                const GLOB_Object& resources = Resources()) {
    CPDF_ContentParser parser;
    parser.Start(Chunked(content), resources);
    std::string outcome;
    for (parser.MessageStream().str(""); parser.Step(); parser.MessageStream().str(""))
        if (!parser.ErrorMessage().empty())
            outcome += std::string(parser.OperatorText()) + ": " + parser.ErrorMessage() + "\n";
    state = parser.GraphicsState();
    return outcome + (parser.IsStopped() ? "stopped: " + parser.ErrorMessage() : std::string("end"));
}

std::string Colour(const CPDF_ColorSpace& space, const CPDF_Color& color, const GLOB_Name& pattern) {
    std::ostringstream os;
    space.FamilyName().Print(os) << " [";
    for (unsigned i = 0; i < color.NumComponents(); ++i)
        os << (i ? " " : "") << color.Component(i);
    pattern.Print(os << "]" << (pattern.IsEmpty() ? "" : " /"));
    return os.str();
}

std::string Fill(const CPDF_GraphicsState& s) { return Colour(s.FillColorSpace(), s.FillColor(), s.FillPattern()); }
std::string Stroke(const CPDF_GraphicsState& s) {
    return Colour(s.StrokeColorSpace(), s.StrokeColor(), s.StrokePattern());
}
// w M i J j, the dash, the intent, op.
std::string Lines(const CPDF_GraphicsState& s) {
    std::ostringstream os;
    os << s.LineWidth() << " " << s.MiterLimit() << " " << s.Flatness() << " " << s.LineCap() << " " << s.LineJoin()
       << " " << s.DashPattern() << " ";
    s.RenderingIntent().Print(os) << (s.FillOverprint() ? " op" : "");
    return os.str();
}
// The font's kind, size, Tc Tw TL Ts, Tz as a factor, Tr.
std::string Text(const CPDF_GraphicsState& s) {
    const CPDF_TextState t = s.TextState();
    std::ostringstream os;
    os << GLOB_Object::TypeString(t.Font().Type()) << " " << t.FontSize() << " " << t.CharSpacing() << " "
       << t.WordSpacing() << " " << t.Leading() << " " << t.Rise() << " " << t.HorizontalScaling() << " "
       << t.RenderMode();
    return os.str();
}

}  // namespace

TEST(iCPDF_CPTextStateBase, EveryOperatorStoresItsValueOrRefusesIt) {
    LogCapture quiet;
    const std::string unmatched = "EMC operator has no matching BDC or BMC operator within the current nesting level";
    const struct {
        const char* content;
        std::string outcome;
        Read read;  // null: nothing to read
        const char* value;
    } cases[] = {
        // Colour: the space, the components in the order written, the pattern.
        {"/DeviceRGB cs 0.1 0.2 0.3 sc", "end", Fill, "DeviceRGB [0.1 0.2 0.3]"},
        {"/DeviceRGB cs", "end", Fill, "DeviceRGB [0 0 0]"},
        // A new space starts from its initial colour, never a stale one.
        {"0.5 g /DeviceCMYK cs", "end", Fill, "DeviceCMYK [0 0 0 1]"},
        {"/DeviceGray cs 1 0 0.25 sc", "end", Fill, "DeviceGray [0.25]"},
        {"0.2 0.4 0.6 0.8 k 1.5 G", "end", Fill, "DeviceCMYK [0.2 0.4 0.6 0.8]"},
        {"BT /Sep CS 0.5 SCN 1.5 G ET /Sep CS", "end", Stroke, "Separation [1]"},
        {"/CS1 cs 0.1 0.2 0.3 /P1 scn", "end", Fill, "Pattern [0.1 0.2 0.3] /P1"},
        {"/Pattern cs /P1 scn", "end", Fill, "Pattern [] /P1"},
        // A coloured pattern needs no components, even in a space with a
        // base; an uncoloured one does.
        {"/CS1 cs /PC scn", "end", Fill, "Pattern [0 0 0] /PC"},
        {"/CS1 cs 0.7 /PC scn", "end", Fill, "Pattern [0 0 0] /PC"},
        {"/CS1 cs 0.1 0.2 0.3 /PC scn", "end", Fill, "Pattern [0.1 0.2 0.3] /PC"},
        // A shading pattern's colours are its shading's.
        {"/CS1 cs /PS scn", "end", Fill, "Pattern [0 0 0] /PS"},
        {"BT /CS1 CS /PS SCN ET", "end", Stroke, "Pattern [0 0 0] /PS"},
        {"/CS1 cs /PU scn", "stopped: scn is expecting 4 operands. Found 1:   [0]: /PU\n", Fill, "Pattern [0 0 0]"},
        {"/CS0 cs", "cs: Found missing fill colorspace: ColorSpace: Null\nend", Fill, "DeviceGray [0]"},
        {"/DeviceRGB CS /CS0 CS", "CS: Found missing stroke colorspace: ColorSpace: Null\nend", Stroke,
         "DeviceRGB [0 0 0]"},
        {"/DeviceCMYK cs 0.5 sc", "stopped: sc is expecting 4 operands. Found 1:   [0]: 0.5\n", Fill,
         "DeviceCMYK [0 0 0 1]"},
        {"/CS1 cs 0.1 0.2 /P1 scn", "stopped: scn is expecting 4 operands. Found 3:   [0]: /P1\n  [1]: 0.2\n"
                                    "  [2]: 0.1\n", Fill, "Pattern [0 0 0]"},
        {"/CS1 cs 0.1 0.2 0.3 0.4 scn", "stopped: scn operator requires a pattern name for Pattern spaces. Found: "
                                        "  [0]: 0.4\n  [1]: 0.3\n  [2]: 0.2\n  [3]: 0.1\n", nullptr, ""},
        // The space is stored before the numbers are read.
        {"(a) 0 0 rg", "stopped: rg operator requires numeric operands. Found:   [0]: 0\n  [1]: 0\n  [2]: (a)\n",
         Fill, "DeviceRGB [0 0 0]"},

        // General graphics state: w M i J j, dash, intent, fill overprint.
        {"150 i", "i: i operator requires a number operand in range [0,100]. Found: 150 , set to closest support "
                  "value 100\nend", Lines, "1 10 100 0 0 [] 0 RelativeColorimetric"},
        {"-5 i 2.5 w 2 J 1 j", "i: i operator requires a number operand in range [0,100]. Found: -5 , set to "
                               "closest support value 0\nend", Lines, "2.5 10 0 2 1 [] 0 RelativeColorimetric"},
        {"0.5 M", "M: M operator requires a number operand >= 1. Found: 0.5, set to minimum value 1.\nend", Lines,
         "1 1 0 0 0 [] 0 RelativeColorimetric"},
        {"-2 w 100 i 1 M 0 w", "w: w operator requires a number operand >= 0. Found: -2, set to minimum value 0.\n"
                               "end", Lines, "0 1 100 0 0 [] 0 RelativeColorimetric"},
        {"3 j", "stopped: j operator requires an integer operand in range [0,2]. Found: 3", nullptr, ""},
        {"[3 2] 0.5 d /Foo ri", "end", Lines, "1 10 0 0 0 [3 2] 0.5 Foo"},
        {"0 [3 2] d", "stopped: d operator requires an array and number operand. Found:   [0]: [ 3 2 ]\n  [1]: 0\n",
         nullptr, ""},
        {"[3 -1] 0 d", "stopped: d operator requires an array of non-negative numbers. Found:   [0]: 0\n"
                       "  [1]: [ 3 -1 ]\n", nullptr, ""},
        {"/GS1 gs /GS9 gs", "end", Lines, "3 10 0 0 0 [] 0 RelativeColorimetric op"},
        {"q /GS1 gs Q", "end", Lines, "1 10 0 0 0 [] 0 RelativeColorimetric"},

        // Text state: font, size, Tc Tw TL Ts, Tz as a factor, Tr.
        {"/F1 12 Tf 1 Tc 2 Tw -12 TL 3 Ts 50 Tz 7 Tr", "end", Text, "Dict 12 1 2 -12 3 0.5 7"},
        {"BT 150 Tz ET", "end", Text, "Null 0 0 0 0 0 1.5 0"},
        {"BT -100 Tz ET", "end", Text, "Null 0 0 0 0 0 -1 0"},
        {"/F9 12 Tf", "stopped: Tf operator, font 'F9' does not exist in the resources dictionary. Stack:   [0]: 12\n"
                      "  [1]: /F9\n", nullptr, ""},
        {"/F2 12 Tf", "stopped: Tf operator, font 'F2' is not a font dictionary. Stack:   [0]: 12\n  [1]: /F2\n",
         Text, "Null 0 0 0 0 0 1 0"},
        {"8 Tr", "stopped: Tr operator requires an integer operand in range [0,7]. Found: 8", nullptr, ""},

        // Marked content: one count per level, the page's and each text object's.
        {"/OC /P1 BDC /Span BMC EMC EMC /P MP /P <<>> DP", "end", nullptr, ""},
        {"/Span BMC EMC EMC", "stopped: " + unmatched, nullptr, ""},
        {"/Span BMC BT EMC", "stopped: " + unmatched, nullptr, ""},
        {"BT /Span BMC ET", "ET: Incorrectly nested BDC/BMC - EMC mark operators detected\nend", nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        CPDF_GraphicsState state;
        EXPECT_EQ(Stepped(c.content, state), c.outcome);
        if (c.read) {
            EXPECT_EQ(c.read(state), c.value);
        }
    }
}

TEST(iCPDF_CPTextStateBase, WithoutResourcesEveryNameIsMissing) {
    CPDF_GraphicsState state;
    EXPECT_EQ(Stepped("/CS1 cs /GS1 gs /F1 1 Tf", state, GLOB_Object()),
              "cs: Found missing fill colorspace: ColorSpace: Null\n"
              "stopped: Tf operator, font 'F1' does not exist in the resources dictionary. Stack:   [0]: 1\n"
              "  [1]: /F1\n");
    EXPECT_TRUE(state == CPDF_GraphicsState());
}
