#include "separation/CSEP_ResourceSeparator.h"

#include "CSEP_SeparationCheck.h"

namespace {

using CSEP_ResourceSeparatorTest = CSEP_TempDirTest;

// The value at keys below object; Null where a step finds no dictionary.
GLOB_Object Get(GLOB_Object object, const std::vector<const char*>& keys) {
    for (const char* key : keys)
        object = object.IsDict() || object.IsStream() ? object.DictGet(GLOB_Name(key)) : GLOB_Object();
    return object;
}

std::string At(const GLOB_Object& object, const std::vector<const char*>& keys) { return Text(Get(object, keys)); }

// A transfer function told apart by its exponent.
std::string Transfer(int n) {
    return "<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N " + std::to_string(n) + " >>";
}

}  // namespace

TEST_F(CSEP_ResourceSeparatorTest, SpacesRewrittenInTheContentWriteNothing) {
    const CSEP_SepJobContext job = NewJob({"Spot"});
    CSEP_ResourceCache cache;
    cache.Put(CSEP_ResourceCache::ColorSpaceCategory, GLOB_Name("CS0"),
              CSEP_Resource(NewDoc().ParseObject("/DeviceCMYK")));
    std::vector<CPDF_ResourcesDict> out;
    CSEP_ResourceSeparator separator;
    separator.Init(job, &out, CPDF_ResourcesDict());
    const LogCapture capture;
    separator.MapResources(cache);
    EXPECT_TRUE(capture.Contains(4, "Nothing to process for colorspace ColorSpace: DeviceCMYK"));
    ASSERT_EQ(out.size(), 5u);
    for (const CPDF_ResourcesDict& ink : out)
        EXPECT_TRUE(ink.Category("ColorSpace").IsNull());
}

// Overprint and black generation are the content's business; transfer and
// halftone are the ink's own; fonts are copied, an indirect one once.
TEST_F(CSEP_ResourceSeparatorTest, GraphicsStatesAndFonts) {
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const GLOB_Doc doc = NewDoc();
    const std::string four = "[" + Transfer(1) + Transfer(2) + Transfer(3) + Transfer(4) + "]";
    const CPDF_Page page = SourcePage(
        doc,
        "<< /ExtGState << /GS0 << /TR2 " + four + " /TR /Identity /OP true /op true /OPM 1 /BG " + Transfer(5) +
            " /BG2 /Default /UCR " + Transfer(5) +
            " /UCR2 /Default /LW 2"
            "   /HT << /HalftoneType 5 /Cyan << /HalftoneType 1 /Frequency 60 /Angle 15 /SpotFunction /Round >>"
            "          /Default << /HalftoneType 1 /Frequency 50 /Angle 45 /SpotFunction /Round >> >> >>"
            "   /GS1 << /TR " +
            four +
            " >> >>"
            " /Font << /F2 << /Type /Font /Subtype /Type1 /BaseFont /Courier >> >> >>",
        "/GS0 gs /GS1 gs BT /F1 1 Tf (a) Tj /F2 1 Tf (b) Tj ET");
    page.Object().PutPath("/Resources/Font/F1",
                          doc.MakeCosObj(doc.ParseObject("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"), 1));
    const LogCapture quiet;
    const Inks inks = Separate(job, page);
    const auto font = [&](size_t i, const char* name) { return Get(inks.pages[i], {"Resources", "Font", name}); };
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const GLOB_Object gs0 = inks.pages[i].GetPath("/Resources/ExtGState/GS0");
        EXPECT_EQ(Keys(gs0, {"OP", "op", "OPM", "BG", "BG2", "UCR", "UCR2", "TR", "LW"}),
                  "nullnullnullnullnullnullnullnull2");
        EXPECT_EQ(At(gs0, {"TR2", "N"}) + " " + At(gs0, {"HT", "Frequency"}) + " " +
                      At(inks.pages[i], {"Resources", "ExtGState", "GS1", "TR", "N"}),
                  ForInk("{1 60 1|2 50 2|3 50 3|4 50 4|null 50 null}", i));
        EXPECT_TRUE(font(i, "F1") == font(0, "F1"));
        EXPECT_EQ(font(i, "F2") == font(0, "F2"), i == 0);
        EXPECT_EQ(At(font(i, "F2"), {"BaseFont"}), "/Courier");
    }
}

TEST_F(CSEP_ResourceSeparatorTest, PatternsAndType3Fonts) {
    const std::string tiling =
        "<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 1 1] /XStep 1 /YStep 1 /Resources << >> ";
    const std::string axial =
        "<< /ShadingType 2 /ColorSpace /DeviceCMYK /Coords [0 0 9 0]"
        "   /Function << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [1 0 0 0] /N 1 >> >>";
    const std::string type3 =
        "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1 1] /FontMatrix [0.001 0 0 0.001 0 0]"
        "   /CharProcs << >> /Encoding << /Differences [97 /a] >> /FirstChar 97 /LastChar 97"
        "   /Widths [1000] >>";
    const struct {
        std::string resources;
        std::vector<StreamAt> streams;
        const char* content;
        const char* inks;  // or the failure
    } cases[] = {
        {"/Pattern << /P3 << /PatternType 3 >> >>",
         {},
         "/Pattern cs /P3 scn 0 0 9 9 re f",
         "1128010 Invalid pattern type encountered: 3"},
        {"/Pattern << >>",
         {{"/Pattern/P1", tiling + "/Type /Foo >>", "0 0 1 1 re f"}},
         "/Pattern cs /P1 scn 0 0 9 9 re f",
         "1128010 Invalid pattern encountered: P1"},
        // Neither /Type nor an underlying space is needed.
        {"/Pattern << >> /ColorSpace << /PS [/Pattern] >>",
         {{"/Pattern/P1", tiling + ">>", "0 0 0 1 k 0 0 1 1 re f"}},
         "/PS cs /P1 scn 0 0 9 9 re f",
         "/CS1 cs\n/P1 scn\n0 0 9 9 re\nf\n"},
        {"/Pattern << /Sh1 << /PatternType 2 /Matrix [2 0 0 2 0 0] /Shading " + axial + " >> >>",
         {},
         "/Pattern CS /Sh1 SCN 0 0 9 9 re S",
         "/Pattern CS\n/Sh1 SCN\n0 0 9 9 re\nS\n"},
        {"/ExtGState << /GF << /Font [" + type3 + " 12] >> >>",
         {{"/ExtGState/GF/Font[0]/CharProcs/a", "<< >>", "1000 0 d0 1 0 0 0 k 0 0 1 1 re f"}},
         "/GF gs BT (a) Tj ET",
         "/GF gs\nBT\n(a) Tj\nET\n"},
    };
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const LogCapture quiet;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const GLOB_Doc doc = NewDoc();
        const CPDF_Page page = SourcePage(doc, "<< " + c.resources + " >>", c.content, c.streams);
        if (std::string(c.inks).rfind("11280", 0) == 0) {
            EXPECT_EQ(Failure([&] { Separate(job, page); }), c.inks);
            continue;
        }
        const Inks inks = Separate(job, page);
        for (size_t i = 0; i < 5; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(Body(inks.contents[i]), c.inks);
            const GLOB_Object resources = inks.pages[i].DictGet(GLOB_Name("Resources"));
            EXPECT_EQ(At(resources, {"ColorSpace", "CS1"}),
                      c.resources.find("PS") == std::string::npos ? "null" : "[ /Pattern ]");
            const GLOB_Object p1 = Get(resources, {"Pattern", "P1"});
            if (!p1.IsNull()) {
                EXPECT_EQ(Keys(p1, {"Type", "PaintType"}), "/Pattern1");
                EXPECT_EQ(Body(StreamData(p1, 2)), ForInk("{1|1|1|0|1} g\n0 0 1 1 re\nf\n", i));
            }
            if (c.resources.find("Sh1") != std::string::npos) {
                EXPECT_EQ(At(resources, {"Pattern", "Sh1", "Type"}) + At(resources, {"Pattern", "Sh1", "Matrix"}),
                          "/Pattern[ 2 0 0 2 0 0 ]");
            }
            const GLOB_Object pair = Get(resources, {"ExtGState", "GF", "Font"});
            if (!pair.IsNull()) {
                const GLOB_Object font = pair.Get(0);
                EXPECT_EQ(Text(pair.Get(1)), "12");
                EXPECT_EQ(Keys(font, {"Widths", "FontMatrix", "Encoding"}), "[ 1000 ][ 0.001 0 0 0.001 0 0 ]-dict-");
                EXPECT_EQ(StreamData(font.GetPath("/CharProcs/a"), 2),
                          ForInk("1000 0 d0\n{0|1|1|1|1} g\n0 0 1 1 re\nf\n", i));
            }
        }
    }
}

// A Type 3 font chosen with Tf: its glyphs are content, d0 and d1 alike,
// read with the font's own resources or else the page's.
TEST_F(CSEP_ResourceSeparatorTest, Type3FontsChosenWithTfAreSeparated) {
    const std::string type3 =
        "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1 1] /FontMatrix [0.001 0 0 0.001 0 0]"
        "   /CharProcs << >> /Encoding << /Differences [97 /a] >> /FirstChar 97 /LastChar 97 /Widths [1000]";
    const std::string spot = "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0.5 1 0] /N 1 >>";
    const struct {
        const char* fontResources;  // "" for none
        const char* glyph;
        const char* inks;  // the glyph per ink, or the failure
    } cases[] = {
        {"/Resources << >>", "1000 0 d0 0 1 0 0 k 0 0 1000 1000 re f",
         "1000 0 d0\n{1|0|1|1|1} g\n0 0 1000 1000 re\nf\n"},
        // Painted in the caller's colour: the same glyph on every ink.
        {"/Resources << >>", "1000 0 0 0 1000 1000 d1 0 0 1000 1000 re f",
         "1000 0 0 0 1000 1000 d1\n0 0 1000 1000 re\nf\n"},
        // No resources of its own: the page's Spot space.
        {"", "1000 0 d0 /CS0 cs 0.25 scn 0 0 9 9 re f", "1000 0 d0\n{1|1|1|1|0} g\n{1|1|1|1|0.75} g\n0 0 9 9 re\nf\n"},
        {"/Resources << >>", "1000 0 d0 1 0 0 rg 0 0 9 9 re f", "1128001"},
    };
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const LogCapture quiet;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.glyph);
        const GLOB_Doc doc = NewDoc();
        const CPDF_Page page = SourcePage(
            doc,
            "<< /ColorSpace << /CS0 [/Separation /Spot /DeviceCMYK " + spot + "] >> /Font << /T3 " + type3 +
                " " +
                c.fontResources + " >> >> >>",
            "BT /T3 12 Tf (a) Tj ET", {{"/Font/T3/CharProcs/a", "<< >>", c.glyph}});
        if (std::string(c.inks) == "1128001") {
            EXPECT_EQ(Failure([&] { Separate(job, page); }).substr(0, 8), "1128001 ");
            continue;
        }
        const Inks inks = Separate(job, page);
        for (size_t i = 0; i < 5; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(Body(inks.contents[i]), "BT\n/T3 12 Tf\n(a) Tj\nET\n");
            const GLOB_Object font = Get(inks.pages[i], {"Resources", "Font", "T3"});
            EXPECT_FALSE(font == Get(inks.pages[(i + 1) % 5], {"Resources", "Font", "T3"}));
            EXPECT_EQ(Keys(font, {"Subtype", "Widths", "FontMatrix"}), "/Type3[ 1000 ][ 0.001 0 0 0.001 0 0 ]");
            EXPECT_EQ(StreamData(font.GetPath("/CharProcs/a"), 2), ForInk(c.inks, i));
        }
    }
}

// [/Pattern [/Indexed …]] with an uncoloured tiling pattern: each ink's
// space is the Pattern space over that ink's palette.
TEST_F(CSEP_ResourceSeparatorTest, APatternSpaceOverAnIndexedSpaceTakesEachInksPalette) {
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const GLOB_Doc doc = NewDoc();
    const CPDF_Page page = SourcePage(
        doc, "<< /ColorSpace << /UP [/Pattern [/Indexed /DeviceCMYK 1 <00000000 20406080>]] >> /Pattern << >> >>",
        "/UP cs 1 /P1 scn 0 0 9 9 re f",
        {{"/Pattern/P1", "<< /PatternType 1 /PaintType 2 /TilingType 1 /BBox [0 0 1 1] /XStep 1 /YStep 1"
                         "   /Resources << >> >>",
          "0 0 1 1 re f"}});
    const LogCapture quiet;
    const Inks inks = Separate(job, page);
    const char* const palettes[] = {"\xff\xdf", "\xff\xbf", "\xff\x9f", "\xff\x7f", "\xff\xff"};
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Body(inks.contents[i]), "/CS1 cs\n1 /P1 scn\n0 0 9 9 re\nf\n");
        const GLOB_Object space = Get(inks.pages[i], {"Resources", "ColorSpace", "CS1"});
        ASSERT_TRUE(space.IsArray());
        EXPECT_EQ(Text(space.Get(0)) + " " + Text(space.Get(1).Get(0)) + " " + Text(space.Get(1).Get(1)) + " " +
                      Text(space.Get(1).Get(2)),
                  "/Pattern /Indexed /DeviceGray 1");
        const GLOB_Object lookup = space.Get(1).Get(3);
        EXPECT_EQ(lookup.IsStream() ? StreamData(lookup, 2) : Text(lookup), palettes[i]);
        EXPECT_EQ(Keys(Get(inks.pages[i], {"Resources", "Pattern", "P1"}), {"PaintType"}), "2");
    }
}

// An image's soft mask is one object that every ink's image holds; an ink
// the image does not reach gets a white image under it, so that the
// backdrop shows where the mask hides the image. Every sample size the
// viewer unpacks goes through, 1 bit as 8.
TEST_F(CSEP_ResourceSeparatorTest, ImagesKeepTheirSoftMask) {
    const std::string toCMYK = "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0 1 0] /N 1 >>";
    const struct {
        std::string space;
        size_t components;
        const char* reached;  // per ink: 1 the image's own, 0 the white stand-in
        int maskBits = 8;
    } cases[] = {
        {"/DeviceCMYK", 4, "11110"},
        {"/DeviceGray", 1, "00010"},
        {"[/Separation /Spot /DeviceCMYK " + toCMYK + "]", 1, "00001"},
        {"[/DeviceN [/Magenta /Spot] /DeviceCMYK 0]", 2, "01001"},
        {"/DeviceCMYK", 4, "11110", 1},
    };
    for (uint32_t external : {0u, 1u}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.space + (external ? " external" : " embedded") + ", mask of " +
                         std::to_string(c.maskBits) + " bits");
            const CSEP_SepJobContext job = NewJob({"Spot"}, 1, external);
            const GLOB_Doc doc = NewDoc();
            const CPDF_Page page = SourcePage(doc, "<< /XObject << >> >>", "/Im0 Do");
            const GLOB_Object image = NewStreamObject(
                doc,
                "<< /Subtype /Image /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace " + c.space + " /Name /Im0 >>",
                std::string(2 * c.components, '\x40'));
            if (c.space.find("DeviceN") != std::string::npos)
                image.PutPath("/ColorSpace[3]", NewStreamObject(doc, "<< /FunctionType 4 /Domain [0 1 0 1] "
                                                                     "/Range [0 1 0 1 0 1 0 1] >>",
                                                                "{ 0 3 1 roll 0 }"));
            // The samples 1 and 0.
            const std::string maskData = c.maskBits == 8 ? "\xff\x00" : "\x80";
            const GLOB_Object mask = NewStreamObject(doc,
                                                     "<< /Subtype /Image /Width 2 /Height 1 /BitsPerComponent " +
                                                         std::to_string(c.maskBits) + " /ColorSpace /DeviceGray >>",
                                                     maskData);
            image.DictPut(GLOB_Name("SMask"), mask);
            page.Object().PutPath("/Resources/XObject/Im0", image);
            const LogCapture quiet;
            const Inks inks = Separate(job, page);
            // The one XObject of each ink's page, under the content's new name.
            const auto inkImage = [&](size_t i) {
                GLOB_Object xobject;
                inks.pages[i].GetPath("/Resources/XObject").AsDict().Entry(0, nullptr, &xobject);
                return xobject;
            };
            const GLOB_Object first = inkImage(0).DictGet(GLOB_Name("SMask"));
            ASSERT_TRUE(first.IsStream());
            EXPECT_EQ(StreamData(first, 2), maskData);
            EXPECT_EQ(Keys(first, {"Width", "ColorSpace"}), "2/DeviceGray");
            for (size_t i = 0; i < 5; ++i) {
                SCOPED_TRACE(i);
                const GLOB_Object image = inkImage(i);
                EXPECT_TRUE(image.HasSubtype("Image"));
                EXPECT_TRUE(image.DictGet(GLOB_Name("SMask")) == first);
                const bool own = c.reached[i] == '1';
                EXPECT_EQ(Keys(image, {"Width", "ColorSpace", "Name"}), own ? "2/DeviceGray/Im0" : "1/DeviceGraynull");
                if (!own) {
                    EXPECT_EQ(StreamData(image, 2), "\xff");
                }
            }
        }
    }
}
