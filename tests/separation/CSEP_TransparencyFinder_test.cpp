#include "separation/CSEP_TransparencyFinder.h"

#include "CSEP_TestUtil.h"

#include <tuple>

// Each row: resources as text, then streams put in by path; the first
// construct the finder names.
TEST(CSEP_TransparencyFinder, NamesTheFirstConstruct) {
    const std::string form = "<< /Subtype /Form /BBox [0 0 1 1] ";
    const struct {
        std::string resources;
        std::vector<std::pair<const char*, std::string>> streams;  // path, dictionary
        const char* construct;
    } cases[] = {
        {"<< >>", {}, ""},
        {"<< /ExtGState << /A << /BM /Normal /CA 1 /ca 1 /SMask /None >> /B << /BM /Compatible >> >> >>", {}, ""},
        {"<< /ExtGState << /A << /BM [/Screen /Normal] >> >> >>", {}, "ExtGState A with BM /Screen"},
        {"<< /ExtGState << /A << /BM [/Normal /Screen] >> >> >>", {}, ""},
        {"<< /ExtGState << /A << /CA 0 >> >> >>", {}, "ExtGState A with CA 0"},
        {"<< /ExtGState << /A << /ca 0.25 >> >> >>", {}, "ExtGState A with ca 0.25"},
        // 0.9 as 16.16 fixed point reads as 0.9.
        {"<< /ExtGState << /A << /CA 0.899994 >> >> >>", {}, "ExtGState A with CA 0.9"},
        {"<< /ExtGState << /A << /SMask << /S /Luminosity >> >> >> >>", {}, "ExtGState A with SMask"},
        // A mask no gs sets is never in force.
        {"<< /ExtGState << /Unset << /SMask << /S /Luminosity >> >> >> >>", {}, ""},
        // Not numbers, not a group of transparency: nothing to say.
        {"<< /ExtGState << /A << /ca (half) /BM 3 >> >> >>", {}, ""},
        {"<< /XObject << >> >>", {{"/XObject/F", form + "/Group << /S /Other >> >>"}}, ""},
        // Inside a form, a tiling pattern, a shading pattern and a Type 3 font.
        {"<< /XObject << >> >>",
         {{"/XObject/F", form + "/Resources << /ExtGState << /In << /ca 0.5 >> >> >> >>"}},
         "ExtGState In with ca 0.5"},
        {"<< /Pattern << >> >>",
         {{"/Pattern/P", "<< /PatternType 1 /PaintType 1 /Resources << /XObject << >> >> >>"},
          {"/Pattern/P/Resources/XObject/G", form + "/Group << /S /Transparency >> >>"}},
         "Form G with a transparency group"},
        {"<< /Pattern << /S << /PatternType 2 /ExtGState << /BM /Multiply >> >> >> >>",
         {},
         "ExtGState S with BM /Multiply"},
        {"<< /Font << /T << /Type /Font /Subtype /Type3 /Resources << /ExtGState << /G << /CA 0.1 >> >> >> >> >> >>",
         {},
         "ExtGState G with CA 0.1"},
        // The ExtGState category comes before the forms.
        {"<< /XObject << >> /ExtGState << /Z << /ca 0.5 >> >> >>",
         {{"/XObject/A", form + "/Group << /S /Transparency >> >>"}},
         "ExtGState Z with ca 0.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resources);
        const GLOB_Doc doc = NewDoc();
        const GLOB_Object resources = doc.ParseObject(c.resources.c_str());
        for (const auto& stream : c.streams)
            resources.PutPath(stream.first, NewStreamObject(doc, stream.second, ""));
        // A gs sets whatever graphics state is named A.
        const GLOB_Object states = resources.DictGet(GLOB_Name("ExtGState"));
        const CSEP_ObjectSet set = {states.IsDict() ? states.DictGet(GLOB_Name("A")) : GLOB_Object()};
        EXPECT_EQ(CSEP_TransparencyFinder().FirstConstruct(resources, set), c.construct);
    }
}

// A form inside itself, and forms nested past the job's limit, end the walk
// without an answer and without a failure.
TEST(CSEP_TransparencyFinder, CyclesAndDepthEndTheWalk) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object self =
        NewStreamObject(doc, "<< /Subtype /Form /BBox [0 0 1 1] /Resources << /XObject << >> >> >>", "");
    self.PutPath("/Resources/XObject/Me", self);
    const GLOB_Object resources = doc.ParseObject("<< /XObject << >> >>");
    resources.PutPath("/XObject/Me", self);
    EXPECT_EQ(CSEP_TransparencyFinder().FirstConstruct(resources, {}), "");

    GLOB_Object inner = NewStreamObject(doc, "<< /Subtype /Form /BBox [0 0 1 1] /Group << /S /Transparency >> >>", "");
    for (uint32_t i = 0; i <= CSEP_SepJobContext::MaxNesting; ++i) {
        const GLOB_Object outer =
            NewStreamObject(doc, "<< /Subtype /Form /BBox [0 0 1 1] /Resources << /XObject << >> >> >>", "");
        outer.PutPath("/Resources/XObject/F", inner);
        inner = outer;
    }
    resources.PutPath("/XObject/Me", inner);
    EXPECT_EQ(CSEP_TransparencyFinder().FirstConstruct(resources, {}), "");
    resources.PutPath("/XObject/Me", inner.GetPath("/Resources/XObject/F"));
    EXPECT_EQ(CSEP_TransparencyFinder().FirstConstruct(resources, {}), "Form F with a transparency group");
}

// An empty blend-mode array names no mode: the walk goes on to the alpha.
TEST(CSEP_TransparencyFinder, AnEmptyBlendModeArrayIsNoMode) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object resources = doc.ParseObject("<< /ExtGState << /A << /BM [] /ca 0.5 >> >> >>");
    EXPECT_EQ(CSEP_TransparencyFinder().FirstConstruct(resources, {}), "ExtGState A with ca 0.5");
}

// Each row: resources as text, streams put in by path (a form's, cell's or
// glyph's dictionary and content), the page's content; the construct named,
// which only what the content uses may be.
TEST(CSEP_TransparencyFinder, NamesOnlyWhatTheContentUses) {
    const std::string form = "<< /Subtype /Form /BBox [0 0 1 1] ";
    const std::string group = form + "/Group << /S /Transparency >> >>";
    const std::string half = "<< /ExtGState << /A << /ca 0.5 >> >> >>";
    const std::string type3 = "<< /Font << /T << /Type /Font /Subtype /Type3 /FontMatrix [0.001 0 0 0.001 0 0] "
                              "/FontBBox [0 0 1 1] /Encoding << /Differences [97 /a] >> /FirstChar 97 /LastChar 97 "
                              "/Widths [1000] /CharProcs << >> /Resources " + half + " >> >> >>";
    const std::string tiling = "<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 1 1] /XStep 1 /YStep 1 "
                               "/Resources " + half + " >>";
    const std::string shading = "<< /Pattern << /S << /PatternType 2 /ExtGState << /BM /Multiply >> /Shading << "
                                "/ShadingType 2 /ColorSpace /DeviceGray /Coords [0 0 1 0] /Function << "
                                "/FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >> >> >> >> >>";
    const struct {
        std::string resources;
        std::vector<std::tuple<const char*, std::string, std::string>> streams;  // path, dictionary, content
        std::string content;
        const char* construct;
    } rows[] = {
        {half, {}, "0 0 1 1 re f", ""},
        {half, {}, "/A gs 0 0 1 1 re f", "ExtGState A with ca 0.5"},
        {"<< /XObject << >> >>", {{"/XObject/G", group, ""}}, "0 0 1 1 re f", ""},
        {"<< /XObject << >> >>", {{"/XObject/G", group, ""}}, "/G Do", "Form G with a transparency group"},
        // Inside a form: its own state unset, set, and the page's taken.
        {"<< /XObject << >> >>", {{"/XObject/F", form + "/Resources " + half + " >>", "0 0 1 1 re f"}}, "/F Do", ""},
        {"<< /XObject << >> >>", {{"/XObject/F", form + "/Resources " + half + " >>", "/A gs"}}, "/F Do",
         "ExtGState A with ca 0.5"},
        {"<< /XObject << >> /ExtGState << /A << /CA 0.25 >> >> >>", {{"/XObject/F", form + ">>", "/A gs"}}, "/F Do",
         "ExtGState A with CA 0.25"},
        // Of those used, the first the walk of the resources meets.
        {"<< /XObject << >> /ExtGState << /Z << /ca 0.5 >> >> >>", {{"/XObject/A", group, ""}}, "/A Do",
         "Form A with a transparency group"},
        {"<< /XObject << >> /ExtGState << /Z << /ca 0.5 >> >> >>", {{"/XObject/A", group, ""}}, "/A Do /Z gs",
         "ExtGState Z with ca 0.5"},
        // A tiling pattern's cell, a shading pattern's state, a Type 3 glyph.
        {"<< /Pattern << >> >>", {{"/Pattern/P", tiling, "/A gs"}}, "0 0 1 1 re f", ""},
        {"<< /Pattern << >> >>", {{"/Pattern/P", tiling, "/A gs"}}, "/Pattern cs /P scn 0 0 1 1 re f",
         "ExtGState A with ca 0.5"},
        {shading, {}, "0 0 1 1 re f", ""},
        {shading, {}, "/Pattern CS /S SCN 0 0 m 1 1 l S", "ExtGState S with BM /Multiply"},
        {type3, {{"/Font/T/CharProcs/a", "<< >>", "1000 0 d0 /A gs"}}, "0 0 1 1 re f", ""},
        {type3, {{"/Font/T/CharProcs/a", "<< >>", "1000 0 d0 /A gs"}}, "BT /T 12 Tf (a) Tj ET",
         "ExtGState A with ca 0.5"},
        // Content read as far as it parses.
        {half, {}, "/A gs 1 2 )", "ExtGState A with ca 0.5"},
        {half, {}, "(open /A gs", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.resources + " | " + row.content);
        const GLOB_Doc doc = NewDoc();
        const GLOB_Object resources = doc.ParseObject(row.resources.c_str());
        for (const auto& [path, dict, content] : row.streams)
            resources.PutPath(path, NewStreamObject(doc, dict, content));
        const GLOB_Stream content(new GLOB_StringStream(row.content.c_str()));
        EXPECT_EQ(CSEP_TransparencyFinder().FirstUsedConstruct(content, resources, {}), row.construct);
    }
}
