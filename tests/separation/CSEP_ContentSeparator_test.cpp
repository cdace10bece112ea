#include "separation/CSEP_ContentSeparator.h"

#include "CSEP_SeparationCheck.h"

namespace {

using CSEP_ContentSeparatorTest = CSEP_TempDirTest;

// Half the spot ink at full tint.
const std::string SpotFunction = "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0.5 1 0] /N 1 >>";

// Overprint states, Separation spaces of the spot, "None" and "All", a font,
// a DeviceCMYK shading and a form that paints without a colour of its own.
std::string Resources(const std::string& more = "/Pattern << >>") {
    return "<< /ExtGState << /Op << /op true >> /OpOPM << /op true /OPM 1 >> /OP << /OP true >> >>"
           "   /ColorSpace << /CS0 [/Separation /Spot /DeviceCMYK " +
           SpotFunction +
           "]"
           "       /None [/Separation /None /DeviceCMYK " +
           SpotFunction +
           "]"
           "       /All [/Separation /All /DeviceCMYK " +
           SpotFunction +
           "]"
           "       /CSI [/Indexed [/Separation /Spot /DeviceCMYK " +
           SpotFunction +
           "] 1 <40C0>] >>"
           "   /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >>"
           "   /Shading << /Sh0 << /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 9 0]"
           "       /Function << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [1 0 0 0] /N 1 >> >> >>"
           "   /XObject << >> " +
           more + ">>";
}

const StreamAt Form{"/XObject/Fm0", "<< /Subtype /Form /BBox [0 0 9 9] >>", "0 0 9 9 re f"};

}  // namespace

// Each ink's content after its initial colours, "{C|M|Y|K|Spot}" where they
// differ; overprint off unless an ExtGState sets it.
TEST_F(CSEP_ContentSeparatorTest, EachInkPaintsWhatItCarries) {
    const struct {
        const char* content;
        const char* inks;
    } cases[] = {
        // Knockout: every ink fills; overprint: only the inks of the space.
        {"0.3 g 0 0 9 9 re f", "{1|1|1|0.3|1} g\n0 0 9 9 re\nf\n"},
        {"/Op gs 0.3 g 0 0 9 9 re f", "/Op gs\n{1|1|1|0.3|1} g\n0 0 9 9 re\n{f|f|f|f|n}\n"},
        {"/OpOPM gs 0 0 0 1 k 0 0 9 9 re f", "/OpOPM gs\n{1|1|1|0|1} g\n0 0 9 9 re\n{n|n|n|f|n}\n"},
        {"/Op gs 0 0 0 1 k 0 0 9 9 re f", "/Op gs\n{1|1|1|0|1} g\n0 0 9 9 re\n{f|f|f|f|n}\n"},
        {"/None cs 0 0 9 9 re f", "1 g\n0 0 9 9 re\nn\n"},
        {"/All cs 0.4 sc 0 0 9 9 re f", "0 g\n0.6 g\n0 0 9 9 re\nf\n"},
        {"/CS0 cs 0 0 9 9 re f", "{1|1|1|1|0} g\n0 0 9 9 re\nf\n"},
        // Stroke and fill apart; Tr follows the fill, written once.
        {"/OP gs /CS0 cs 0.5 G 0 0 9 9 re B 0 0 9 9 re b 0 0 9 9 re B*",
         "/OP gs\n{1|1|1|1|0} g\n{1|1|1|0.5|1} G\n0 0 9 9 re\n{S|S|S|S|f}\n0 0 9 9 re\n{s|s|s|s|f}\n"
         "0 0 9 9 re\n{S|S|S|S|f*}\n"},
        {"q /Op gs 0.5 g BT /F1 1 Tf 0 Tr (a) Tj (b) Tj ET Q BT /F1 1 Tf (c) Tj ET 0 0 9 9 re f",
         "q\n/Op gs\n{1|1|1|0.5|1} g\nBT\n/F1 1 Tf\n{||||3 Tr\n}(a) Tj\n(b) Tj\nET\nQ\n"
         "BT\n/F1 1 Tf\n(c) Tj\nET\n0 0 9 9 re\nf\n"},
        {"Q Q 0 0 9 9 re f", "Q\nQ\n0 0 9 9 re\nf\n"},
        // A colour restored by Q reaches its own inks only.
        {"/CS0 cs q 0 0 0 1 k Q 0.5 sc 0 0 9 9 re f",
         "{1|1|1|1|0} g\nq\n{1|1|1|0|1} g\nQ\n{1|1|1|1|0.5} g\n0 0 9 9 re\nf\n"},
        // Shadings and images paint the inks of their space.
        {"/Sh0 sh /Op gs /Sh0 sh", "/Sh0 sh\n/Op gs\n{/Sh0 sh\n|/Sh0 sh\n|/Sh0 sh\n|/Sh0 sh\n|}"},
        {"/CSI cs 1 sc /Op gs BI /W 2 /H 1 /BPC 8 /CS /CSI /F /AHx ID 0001> EI",
         "/CS1 cs\n0 sc\n1 sc\n/Op gs\n{||||/Im1 Do\n}"},
    };
    const LogCapture quiet;
    for (uint32_t external : {0u, 1u}) {
        const CSEP_SepJobContext job = NewJob({"Spot"}, 1, external);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.content) + (external ? " external" : ""));
            const GLOB_Doc doc = NewDoc();
            const Inks inks = Separate(job, SourcePage(doc, Resources(), c.content));
            ASSERT_EQ(inks.contents.size(), 5u);
            for (size_t i = 0; i < 5; ++i)
                EXPECT_EQ(Body(inks.contents[i]), ForInk(c.inks, i)) << "ink " << i;
        }
    }
}

TEST_F(CSEP_ContentSeparatorTest, UnusableContentFails) {
    const struct {
        const char* content;
        const char* thrown;
    } cases[] = {
        // The construct that failed leads the cause.
        {"1 0 0 rg 0 0 9 9 re f", "1128001 operator rg: Unsupported colorspace: ColorSpace: DeviceRGB"},
        {"0 0 1 RG 0 0 9 9 re S", "1128001 operator RG: Unsupported colorspace: ColorSpace: DeviceRGB"},
        {"/DeviceRGB CS 0 0 9 9 re S", "1128001 colour space /DeviceRGB: Unsupported colorspace: ColorSpace: DeviceRGB"},
        {"/Nope sh", "1128011 Missing shading Nope"},
        {"/Op gs /Pattern cs /Sh1 scn 0 0 9 9 re f", "1128010 Shading pattern missing colorspace"},
        {"/Op gs /Pattern cs /Sh2 scn 0 0 9 9 re f", "1128010 Shading pattern missing shading object"},
        // The parser's operand listing stays in the log.
        {"BT /F9 12 Tf (a) Tj ET", "1128002 Tf operator, font 'F9' does not exist in the resources dictionary"},
    };
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const std::string patterns =
        "/Pattern << /Sh1 << /PatternType 2 /Shading << /ShadingType 2 >> >>"
        "   /Sh2 << /PatternType 2 /Shading 3 >> >>";
    const LogCapture quiet;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const GLOB_Doc doc = NewDoc();
        const CPDF_Page page = SourcePage(doc, Resources(patterns), c.content);
        const std::string failure = Failure([&] { Separate(job, page); });
        EXPECT_EQ(failure.substr(0, std::string(c.thrown).size()), c.thrown);
        EXPECT_EQ(failure.find("Stack"), std::string::npos) << failure;
        EXPECT_EQ(job.Doc().NumPages(), 0);
    }
}

// A form keeps the colour it is drawn in: one name per colour and overprint
// state; a pattern it inherits is left to the content that draws it.
TEST_F(CSEP_ContentSeparatorTest, FormsTakeOneNamePerColourState) {
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const GLOB_Doc doc = NewDoc();
    const LogCapture quiet;
    const Inks inks =
        Separate(job, SourcePage(doc, Resources(), "0.3 g /Fm0 Do /Fm0 Do 0.5 g /Fm0 Do /Op gs /Fm0 Do", {Form}));
    // A form's stream starts with the colours it is drawn in, twice.
    const auto drawnIn = [](const std::string& gray) {
        return gray + " g\n{1|1|1|0|1} G\n" + gray + " g\n{1|1|1|0|1} G\n";
    };
    const std::vector<std::pair<const char*, std::string>> forms = {
        {"Fm1", drawnIn("{1|1|1|0.3|1}") + "0 0 9 9 re\nf\n"},
        {"Fm2", drawnIn("{1|1|1|0.5|1}") + "0 0 9 9 re\nf\n"},
        {"Fm3", drawnIn("{1|1|1|0.5|1}") + "0 0 9 9 re\n{f|f|f|f|n}\n"},
    };
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Body(inks.contents[i]),
                  ForInk("{1|1|1|0.3|1} g\n/Fm1 Do\n/Fm1 Do\n{1|1|1|0.5|1} g\n/Fm2 Do\n/Op gs\n/Fm3 Do\n", i));
        for (const auto& [name, content] : forms) {
            const GLOB_Object form = inks.pages[i].GetPath((std::string("/Resources/XObject/") + name).c_str());
            EXPECT_EQ(StreamData(form, 2), ForInk(content, i)) << name;
            EXPECT_EQ(Keys(form, {"Subtype", "BBox"}), "/Form[ 0 0 9 9 ]");
        }
    }

    // Drawn with a pattern fill: nothing sets the fill before the form paints.
    const StreamAt pattern{"/Pattern/P1",
                           "<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 1 1]"
                           "   /XStep 1 /YStep 1 /Resources << >> >>",
                           "0 0 1 1 re f"};
    const GLOB_Doc doc2 = NewDoc();
    const Inks patterned = Separate(job, SourcePage(doc2, Resources(), "/Pattern cs /P1 scn /Fm0 Do", {Form, pattern}));
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(StreamData(patterned.pages[i].GetPath("/Resources/XObject/Fm1"), 2),
                  ForInk("{1|1|1|0|1} G\n{1|1|1|0|1} G\n0 0 9 9 re\nf\n", i));

    // Drawn in an Indexed space, which no cs names inside the form.
    const GLOB_Doc doc3 = NewDoc();
    const Inks indexed = Separate(job, SourcePage(doc3, Resources(), "/CSI cs 1 sc /Fm0 Do", {Form}));
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(StreamData(indexed.pages[i].GetPath("/Resources/XObject/Fm1"), 2),
                  ForInk("/CS2 cs\n1 sc\n{1|1|1|0|1} G\n/CS2 cs\n1 sc\n{1|1|1|0|1} G\n0 0 9 9 re\nf\n", i));
}

TEST_F(CSEP_ContentSeparatorTest, ImagesSeparateByTheirSpaceAndMask) {
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const GLOB_Doc doc = NewDoc();
    const std::string cmyk = "<< /Subtype /Image /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceCMYK ";
    const std::vector<StreamAt> images = {
        {"/XObject/Ix",
         "<< /Subtype /Image /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace [/Indexed "
         "[/Separation /Spot /DeviceCMYK " +
             SpotFunction + "] 1 <40C0>] >>",
         std::string("\0\1", 2)},
        // The first pixel is the key colour.
        {"/XObject/Key", cmyk + "/Mask [0 0 0 0 0 0 0 0] >>", std::string("\0\0\0\0\xFF\0\0\0", 8)},
        {"/XObject/Odd", cmyk + "/Mask [0 0 0] >>", std::string(8, '\0')},
        {"/XObject/Stencil", "<< /Subtype /Image /Width 8 /Height 1 /BitsPerComponent 1 /ImageMask true >>", "\xF0"},
    };
    const LogCapture capture;
    const Inks inks = Separate(job, SourcePage(doc, Resources(), "/Ix Do /Key Do /Odd Do /Stencil Do", images));
    EXPECT_TRUE(capture.Contains(4, "Skipping invalid color mask"));
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Body(inks.contents[i]), "/Im1 Do\n/Im2 Do\n/Im3 Do\n/Im4 Do\n");
        // A stencil mask paints the fill colour: one copy for every ink.
        const GLOB_Object stencil = inks.pages[i].GetPath("/Resources/XObject/Im4");
        EXPECT_TRUE(stencil == inks.pages[0].GetPath("/Resources/XObject/Im4"));
        EXPECT_EQ(StreamData(stencil), "\xF0");
        const GLOB_Object indexed = inks.pages[i].GetPath("/Resources/XObject/Im1");
        EXPECT_EQ(StreamData(indexed), std::string("\0\1", 2));
        EXPECT_EQ(StreamData(indexed.GetPath("/ColorSpace[3]"), 2), i == 4 ? "\xBF\x3F" : "\xFF\xFF");
        // C to K their slice under the key's stencil, the spot white under it.
        const GLOB_Object keyed = inks.pages[i].GetPath("/Resources/XObject/Im2");
        EXPECT_EQ(Keys(keyed, {"Width", "ColorSpace"}), i == 4 ? "1/DeviceGray" : "2/DeviceGray");
        EXPECT_EQ(StreamData(keyed, 2), i == 4 ? "\xFF" : i == 0 ? std::string("\xFF\0", 2) : "\xFF\xFF");
        EXPECT_EQ(Keys(keyed.DictGet(GLOB_Name("Mask")), {"ImageMask", "Width"}), "true2");
        EXPECT_EQ(StreamData(keyed.DictGet(GLOB_Name("Mask")), 2), "\x80");
        const GLOB_Object odd = inks.pages[i].GetPath("/Resources/XObject/Im3");
        EXPECT_TRUE(odd.DictGet(GLOB_Name("Mask")).IsNull());
        EXPECT_EQ(odd.HasSubtype("Form"), i == 4);
    }
    // An inline image keeps its data and filter as they stood.
    const GLOB_Object inlined =
        Separate(job, SourcePage(NewDoc(), Resources(), "BI /W 2 /H 1 /BPC 8 /CS /CSI /F /AHx ID 0001> EI"))
            .pages[4]
            .GetPath("/Resources/XObject/Im1");
    EXPECT_EQ(StreamData(inlined), "0001>");
    EXPECT_EQ(Keys(inlined, {"Filter", "Width"}), "/ASCIIHexDecode2");
    EXPECT_EQ(StreamData(inlined.GetPath("/ColorSpace[3]"), 2), "\xBF\x3F");
}

// With a job of external files, a small image (inline here), a stencil mask
// among them, is embedded without a file, so that thousands of them need no
// temporary file each; a stencil mask too large for that stays external.
TEST_F(CSEP_ContentSeparatorTest, SmallImagesOfAnExternalJobAreEmbedded) {
    const CSEP_SepJobContext job = NewJob({}, 1, 1);
    const std::string wide(128 * 520, '\xAA');  // 1024 x 520 samples of one bit: 66,560 bytes
    const Inks inks = Separate(
        job, SourcePage(NewDoc(), Resources(),
                        "BI /W 1 /H 1 /BPC 8 /CS /DeviceCMYK ID " + std::string("\xFF\x00\x80\x00", 4) +
                            " EI BI /W 8 /H 1 /IM true ID \xF0 EI /Big Do",
                        {{"/XObject/Big", "<< /Subtype /Image /Width 1024 /Height 520 /BitsPerComponent 1 /ImageMask true >>", wide}}));
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        // The inline images are written inline, the slice as its sample.
        EXPECT_NE(inks.contents[i].find("/CS /G\nID " + std::string(1, "\x00\xFF\x7F\xFF"[i]) + "\nEI\n"),
                  std::string::npos)
            << inks.contents[i];
        EXPECT_NE(inks.contents[i].find("/IM true\nID \xF0\nEI\n"), std::string::npos) << inks.contents[i];
        const GLOB_Object big = inks.pages[i].GetPath("/Resources/XObject/Im1");
        EXPECT_FALSE(big.DictGet(GLOB_Name("F")).IsNull());
        EXPECT_EQ(StreamData(big, 2), wide);
    }
    // The page's four streams and the large mask's one file; no image's.
    EXPECT_EQ(JobTempFileCount(), 5);
}

// A gray is the process colour 0 0 0 1-g: under overprint, in either mode,
// every object painted in DeviceGray reaches the four process inks and no
// spot ink.
TEST_F(CSEP_ContentSeparatorTest, GrayUnderOverprintPaintsTheFourProcessInks) {
    const std::string resources =
        "<< /ExtGState << /Op << /op true >> /OpOPM << /op true /OPM 1 >> /OP << /OP true /op false >> >>"
        "   /ColorSpace << /IG [/Indexed /DeviceGray 1 <FF80>] >>"
        "   /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >>"
        "   /Shading << /ShG << /ShadingType 2 /ColorSpace /DeviceGray /Coords [0 0 9 0]"
        "       /Function << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >> >> >>"
        "   /XObject << >> >>";
    const StreamAt image{"/XObject/ImG", "<< /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceGray "
                         "/BitsPerComponent 8 >>", "\x80"};
    const std::string everyProcessInk = "{/Im1 Do\n|/Im1 Do\n|/Im1 Do\n|/Im1 Do\n|}";
    const struct {
        const char* content;
        std::string inks;
    } cases[] = {
        {"/Op gs 0.3 g 0 0 9 9 re f", "/Op gs\n{1|1|1|0.3|1} g\n0 0 9 9 re\n{f|f|f|f|n}\n"},
        // The overprint mode concerns DeviceCMYK only.
        {"/OpOPM gs 1 g 0 0 9 9 re f", "/OpOPM gs\n1 g\n0 0 9 9 re\n{f|f|f|f|n}\n"},
        // Stroke under OP, the fill knocking out.
        {"/OP gs 0.5 G 0 0 9 9 re B", "/OP gs\n{1|1|1|0.5|1} G\n0 0 9 9 re\n{B|B|B|B|f}\n"},
        {"/OpOPM gs 0.5 g BT /F1 1 Tf (a) Tj ET", "/OpOPM gs\n{1|1|1|0.5|1} g\nBT\n/F1 1 Tf\n{||||3 Tr\n}(a) Tj\nET\n"},
        {"/Op gs /ImG Do", "/Op gs\n" + everyProcessInk},
        {"/OpOPM gs /ShG sh", "/OpOPM gs\n{/ShG sh\n|/ShG sh\n|/ShG sh\n|/ShG sh\n|}"},
        {"/Op gs BI /W 1 /H 1 /BPC 8 /CS [/I /G 1 <FF80>] /F /AHx ID 01> EI",
         "/Op gs\n" + everyProcessInk},
        {"/Op gs /IG cs 1 sc 0 0 9 9 re f", "/Op gs\n/CS1 cs\n0 sc\n1 sc\n0 0 9 9 re\n{f|f|f|f|n}\n"},
    };
    const LogCapture quiet;
    const CSEP_SepJobContext job = NewJob({"Spot"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const GLOB_Doc doc = NewDoc();
        const Inks inks = Separate(job, SourcePage(doc, resources, c.content, {image}));
        ASSERT_EQ(inks.contents.size(), 5u);
        for (size_t i = 0; i < 5; ++i)
            EXPECT_EQ(Body(inks.contents[i]), ForInk(c.inks, i)) << "ink " << i;
    }
}

// A form's streams take every ink's text mode to be 0 when it starts: an
// ink whose page text was made invisible under overprint is set back to 0
// before the form, and the page writes its mode again after it.
TEST_F(CSEP_ContentSeparatorTest, AFormStartsEveryInkAtTextMode0) {
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const GLOB_Doc doc = NewDoc();
    const StreamAt form{"/XObject/FmT", "<< /Subtype /Form /BBox [0 0 9 9] >>", "/CS0 cs 1 scn BT /F1 1 Tf (b) Tj ET"};
    const LogCapture quiet;
    const Inks inks = Separate(
        job, SourcePage(doc, Resources(),
                        "/OpOPM gs 0 0 0 1 k BT /F1 1 Tf (a) Tj ET /FmT Do BT (c) Tj ET q /FmT Do Q /FmT Do", {form}));
    const std::string again = "BT\n{3 Tr\n|3 Tr\n|3 Tr\n||3 Tr\n}(c) Tj\nET\n";
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Body(inks.contents[i]),
                  ForInk("/OpOPM gs\n{1|1|1|0|1} g\nBT\n/F1 1 Tf\n{3 Tr\n|3 Tr\n|3 Tr\n||3 Tr\n}(a) Tj\nET\n"
                         "{0 Tr\n|0 Tr\n|0 Tr\n||0 Tr\n}/Fm1 Do\n" + again +
                             "q\n{0 Tr\n|0 Tr\n|0 Tr\n||0 Tr\n}/Fm1 Do\nQ\n{0 Tr\n|0 Tr\n|0 Tr\n||0 Tr\n}/Fm1 Do\n",
                         i));
        // The spot's text in the form writes no mode of its own.
        EXPECT_EQ(Body(StreamData(inks.pages[i].GetPath("/Resources/XObject/Fm1"), 2)),
                  ForInk("{1|1|1|1|0} g\n{1|1|1|1|0} g\nBT\n/F1 1 Tf\n{3 Tr\n|3 Tr\n|3 Tr\n|3 Tr\n|}(b) Tj\nET\n", i));
    }
}

namespace {

// Answers true from its cancelAt-th poll on.
class CancelAtPoll : public GLIB_CancelMgrCore {
public:
    explicit CancelAtPoll(int cancelAt) : m_cancelAt(cancelAt) {}
    int m_polls = 0;

protected:
    void Poll() override {
        if (++m_polls >= m_cancelAt)
            SetCancelled(true);
    }

private:
    int m_cancelAt;
};

}  // namespace

// Content read in one piece still asks the job's cancel as its operators
// run, so Stop ends a long stream midway: the cancel passes out, no page is
// made and no temporary file stays.
TEST_F(CSEP_ContentSeparatorTest, ALongStreamAsksForTheCancelAsItRuns) {
    std::string content;
    for (int i = 0; i < 5000; ++i)
        content += "0 0 0 1 k 0 0 9 9 re f\n";
    const GLOB_Doc doc = NewDoc();
    const CPDF_Page page = SourcePage(doc, Resources(), content);
    {
        CSEP_SepJobContext job = NewJob({});
        CancelAtPoll* counting = new CancelAtPoll(1000000);
        GLIB_CancelMgr cancel;
        cancel = counting;
        job.SetCancelMgr(cancel);
        Separate(job, page);
        EXPECT_GE(counting->m_polls, 5000 * 4 / 1024);
    }
    CSEP_SepJobContext job = NewJob({});
    GLIB_CancelMgr cancel;
    cancel = new CancelAtPoll(3);
    job.SetCancelMgr(cancel);
    const LogCapture quiet;
    EXPECT_EQ(Failure([&] { Separate(job, page); }), "1128003 Cancel requested");
    EXPECT_EQ(job.Doc().NumPages(), 0);
}
