#include "separation/CSEP_ContentColorMapper.h"

#include "CSEP_TestUtil.h"
#include "support/GLOB_ChunkedCore.h"

namespace {

// Records each operation as "Name arguments; ": operator code and keyword,
// fill or stroke, family names, components, resource names with the /N tag
// of the object ("null" for none), an inline image's raw data.
class Recorder : public CSEP_ContentColorMapper {
public:
    std::string m_calls;
    std::function<void(const std::string&)> m_hook;  // runs before a call is recorded

    // The calls; a failure ends them with "threw <code> <message>".
    std::string Walk(const GLOB_Stream& content, const GLOB_Object& resources,
                     const CPDF_GraphicsState& state = CPDF_GraphicsState()) {
        m_calls.clear();
        const std::string failure = Failure([&] { ProcessStream(content, CPDF_ResourcesDict(resources), state); });
        return failure == "no exception" ? m_calls : m_calls + "threw " + failure;
    }

protected:
    void PaintPath(int32_t op) override { Record("PaintPath", op); }
    void ShowText(int32_t op) override { Record("ShowText", op); }
    void PassThrough(int32_t op) override { Record("PassThrough", op); }
    void DoForm(const GLOB_Name& name, const GLOB_Object& form) override { Record("DoForm", name, form); }
    void DoImage(const GLOB_Name& name, const GLOB_Object& image) override { Record("DoImage", name, image); }
    void DoShading(const GLOB_Name& name, const GLOB_Object& shading) override { Record("DoShading", name, shading); }
    void DoInlineImage(CPDF_InlineImage image) override {
        Record("DoInlineImage");
        const std::string data = ReadAll(image.Stream(0));
        m_calls.insert(m_calls.size() - 2, " " + data);
    }
    void BeginStream() override { Record("BeginStream"); }
    void SetColorSpace(const CPDF_ColorSpace& space, bool stroke) override {
        Record(std::string("SetColorSpace ") + Side(stroke) + " " + space.FamilyName().CStr());
    }
    void SetColor(const CPDF_Color& color, bool stroke) override {
        std::ostringstream os;
        os << "SetColor " << Side(stroke);
        for (unsigned i = 0; i < color.NumComponents(); ++i)
            os << " " << color.Component(i);
        Record(os.str());
    }
    void SetPatternColor(const GLOB_Name& name, const GLOB_Object& pattern, bool stroke) override {
        Record(std::string("SetPatternColor ") + Side(stroke), name, pattern);
    }

private:
    static const char* Side(bool stroke) { return stroke ? "stroke" : "fill"; }
    void Record(const std::string& call) {
        if (m_hook)
            m_hook(call);
        m_calls += call + "; ";
    }
    void Record(const char* operation, int32_t op) {
        Record(std::string(operation) + " " + std::to_string(op) + " " + Parser().OperatorText());
    }
    void Record(const std::string& operation, const GLOB_Name& name, const GLOB_Object& object) {
        Record(operation + " " + name.CStr() + " " +
               (object.IsNull() ? "null" : "N" + std::to_string(object.DictGet(GLOB_Name("N")).AsInteger())));
    }
};

// Resources whose every entry carries a distinct /N.
GLOB_Object SampleResources(const GLOB_Doc& doc) {
    const GLOB_Object resources = doc.ParseObject(
        "<< /XObject << /Bad 5 >> /Shading << /Sh0 << /ShadingType 2 /N 3 >> >>"
        "   /Pattern << /Sh1 << /PatternType 2 /N 5 >> /Bad 6 >> /ExtGState << /GS0 << /OP true >> >>"
        "   /ColorSpace << /PCS [/Pattern /DeviceGray] /CS0 [/Separation /Orange /DeviceCMYK"
        "       << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0.5 1 0] /N 1 >>] >> >>");
    const GLOB_Object xobjects = resources.DictGet(GLOB_Name("XObject"));
    for (const char* entry : {"Fm0 /Subtype /Form /N 1", "Im0 /Subtype /Image /N 2", "PS0 /Subtype /PS /N 7",
                              "Plain /N 8", "P0 /PatternType 1 /N 4"}) {
        const std::string text(entry), name = text.substr(0, text.find(' '));
        (name == "P0" ? resources.DictGet(GLOB_Name("Pattern")) : xobjects)
            .DictPut(GLOB_Name(name.c_str()), NewStreamObject(doc, "<<" + text.substr(name.size()) + " >>", ""));
    }
    return resources;
}

GLOB_Stream Content(const std::string& text, size_t chunk = 0) {
    return GLOB_Stream(new GLOB_ChunkedCore(text, {chunk}, GLOB_StreamCore::Input));
}

// The four initial calls of a default state, after BeginStream.
const std::string Start = "BeginStream; SetColorSpace fill DeviceGray; SetColor fill 0; "
                          "SetColorSpace stroke DeviceGray; SetColor stroke 0; ";

}  // namespace

// Every dispatch row in one content sample and the colour operators in
// another: device colours as space then colour; cs and CS then the new
// space's initial colour, except for a Pattern space; pattern colours in
// Pattern spaces, a shading pattern for the stroke too.
TEST(CSEP_ContentColorMapper, EachOperatorReachesItsOperation) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object resources = SampleResources(doc);
    // The initial calls, after BeginStream, announce the given state.
    CPDF_GraphicsState state;
    state.SetFillColorSpace(CPDF_ColorSpace::MakeDeviceCMYK());
    state.SetFillColor(CPDF_Color(std::vector<double>{0, 0, 0, 1}));
    state.SetStrokeColorSpace(CPDF_ColorSpace::MakeDeviceRGB());
    state.SetStrokeColor(CPDF_Color(std::vector<double>{1, 0.5, 0}));
    const std::string start = "BeginStream; SetColorSpace fill DeviceCMYK; SetColor fill 0 0 0 1; "
                              "SetColorSpace stroke DeviceRGB; SetColor stroke 1 0.5 0; ";
    const std::pair<std::string, std::string> cases[] = {
        {"q 0 0 m 1 1 l b 0 0 1 1 re B 0 0 m b* 0 0 m B* 0 0 m f 0 0 m F 0 0 m f* 0 0 m n 0 0 m s 0 0 m S Q\n"
         "BT (a) Tj [(b) 2 (c)] TJ (d) ' 1 2 (e) \" ET /Fm0 Do /Im0 Do /Sh0 sh 1 0 0 1 0 0 cm\n"
         "BI /W 2 /H 1 /BPC 8 /CS /G ID xy EI BI /W 3 /H 1 /BPC 8 /CS /G /F /AHx ID 61 6 2 63> EI\n"
         "BX foo 1 2 bar EX 0 0 d0 (x) Print",
         "PassThrough 41 q; PassThrough 36 m; PassThrough 35 l; PaintPath 0 b; PassThrough 43 re; PaintPath 1 B; "
         "PassThrough 36 m; PaintPath 2 b*; PassThrough 36 m; PaintPath 3 B*; PassThrough 36 m; PaintPath 22 f; "
         "PassThrough 36 m; PaintPath 23 F; PassThrough 36 m; PaintPath 24 f*; PassThrough 36 m; PaintPath 39 n; "
         "PassThrough 36 m; PaintPath 47 s; PassThrough 36 m; PaintPath 48 S; PassThrough 42 Q; "
         "PassThrough 7 BT; ShowText 58 Tj; ShowText 59 TJ; ShowText 72 '; ShowText 73 \"; PassThrough 20 ET; "
         "DoForm Fm0 N1; DoImage Im0 N2; DoShading Sh0 N3; PassThrough 10 cm; "
         // Nothing for BI and EI; the raw data are read whole.
         "DoInlineImage xy; DoInlineImage 61 6 2 63>; PassThrough 8 BX; PassThrough -1 foo; PassThrough -1 bar; "
         "PassThrough 21 EX; PassThrough 14 d0; PassThrough 75 Print; "},
        {"0.5 g 0.25 G 1 0 0 rg 0 1 0 RG 0 0 0 1 k 1 1 0 0 K /CS0 cs 0.3 sc /DeviceCMYK CS 0.1 0.2 0.3 0.4 SC\n"
         "/Pattern cs /P0 scn /Pattern CS /Sh1 SCN /PCS CS 0.5 /P0 SCN /CS0 cs 0.2 scn\n"
         "q /GS0 gs 3 Tr Q /Tag BMC 2 Tc EMC BX foo EX",
         "SetColorSpace fill DeviceGray; SetColor fill 0.5; SetColorSpace stroke DeviceGray; SetColor stroke 0.25; "
         "SetColorSpace fill DeviceRGB; SetColor fill 1 0 0; SetColorSpace stroke DeviceRGB; SetColor stroke 0 1 0; "
         "SetColorSpace fill DeviceCMYK; SetColor fill 0 0 0 1; "
         "SetColorSpace stroke DeviceCMYK; SetColor stroke 1 1 0 0; "
         "SetColorSpace fill Separation; SetColor fill 1; SetColor fill 0.3; "
         "SetColorSpace stroke DeviceCMYK; SetColor stroke 0 0 0 1; SetColor stroke 0.1 0.2 0.3 0.4; "
         "SetColorSpace fill Pattern; SetPatternColor fill P0 N4; "
         "SetColorSpace stroke Pattern; SetPatternColor stroke Sh1 N5; "
         "SetColorSpace stroke Pattern; SetPatternColor stroke P0 N4; "
         "SetColorSpace fill Separation; SetColor fill 1; SetColor fill 0.2; "
         "PassThrough 41 q; PassThrough 27 gs; PassThrough 62 Tr; PassThrough 42 Q; PassThrough 6 BMC; "
         "PassThrough 54 Tc; PassThrough 19 EMC; PassThrough 8 BX; PassThrough -1 foo; PassThrough 21 EX; "},
    };
    const LogCapture quiet;
    Recorder recorder;
    for (const auto& [content, expected] : cases) {
        for (size_t chunk : {0, 1, 7}) {
            SCOPED_TRACE(content.substr(0, 20) + " in chunks of " + std::to_string(chunk));
            EXPECT_EQ(recorder.Walk(Content(content, chunk), resources, state), start + expected);
        }
    }
}

TEST(CSEP_ContentColorMapper, UnusableResourcesAndRefusedContent) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object resources = SampleResources(doc);
    const std::string longName(600, 'u');
    const struct {
        std::string content;
        std::string calls;  // after the initial ones
        const char* log;    // a warning at level 4, or the start of the debug log of a failure
    } cases[] = {
        {"/Missing Do q", "PassThrough 41 q; ", "Skipping missing XObject Missing"},
        {"/Bad Do", "", "Skipping missing XObject Bad"},
        {"/PS0 Do", "", "Unknown XObject skipped: PS0"},
        {"/Plain Do", "", "Unknown XObject skipped: Plain"},
        {"/None sh", "DoShading None null; ", nullptr},
        {"/Pattern cs /Bad scn", "SetColorSpace fill Pattern; ", "Skipping invalid pattern Bad"},
        {"/Pattern CS /Missing SCN", "SetColorSpace stroke Pattern; ", "Skipping invalid pattern Missing"},
        // The parser's refusal, with its message.
        {"BT 0 0 m", "PassThrough 7 BT; threw 1128002 m is illegal within a Text Object, operator must occur "
                     "within: Page Description, Path Object.", "Exception processing stream: code = 1128002"},
        {"q 5 Do", "PassThrough 41 q; threw 1128002 Do expects a name operand, found Integer", nullptr},
        {"(s) sh", "threw 1128002 sh expects a name operand, found String", nullptr},
        // Data that do not decode end where their decoder fails.
        {"BI /W 2 /H 1 /BPC 8 /CS /G /F /AHx ID 0z> EI", "DoInlineImage 0z; ", nullptr},
        // A word past the lexer's bound is refused in its words, not held whole.
        {longName, "threw 1128002 Error parsing token: A bare word is longer than 127 bytes: no operator or keyword is",
         nullptr},
    };
    Recorder recorder;  // one mapper for every stream, failed ones included
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content.substr(0, 40));
        const LogCapture capture;
        const std::string calls = recorder.Walk(Content(c.content), resources);
        EXPECT_EQ(calls.substr(0, Start.size() + c.calls.size()), Start + c.calls);
        if (c.log) {
            EXPECT_TRUE(capture.Contains(c.log[0] == 'E' ? 7 : 4, c.log));
        }
        // Every failure is logged once, "Exception processing stream: " and
        // the description cut to 512 characters.
        if (calls.find("threw") != std::string::npos) {
            ASSERT_EQ(capture.Entries().size(), 1u);
            const size_t size = capture.Entries()[0].text.size();
            EXPECT_TRUE(size <= 29 + 512) << size;
        }
    }
    // Resources that are not a dictionary hold nothing.
    const LogCapture capture;
    EXPECT_EQ(recorder.Walk(Content("/Fm0 Do /Sh0 sh"), doc.NewInteger(1)), Start + "DoShading Sh0 null; ");
    EXPECT_TRUE(capture.Contains(4, "Skipping missing XObject Fm0"));
}

// The meter's cancel passes out of the walk unchanged, whether the content
// or an inline image's data are being read when it is polled, and the job's
// meter goes on afterwards.
TEST(CSEP_ContentColorMapper, CancelPassesThroughTheWalk) {
    const std::string data(20000, 'd');
    std::string manyQ;
    for (int i = 0; i < 3000; ++i)
        manyQ += "q ";
    const struct {
        std::string content;
        std::string trigger;  // the call before which the cancel is set, and the last one made
        std::string whole;    // the calls after the initial ones, not cancelled
    } cases[] = {
        {manyQ + std::string(20000, ' ') + "Q", "PassThrough 41 q", "PassThrough 42 Q"},
        {"BI /W 20000 /H 1 /BPC 8 /CS /G ID " + data + " EI q", "DoInlineImage",
         "DoInlineImage " + data + "; PassThrough 41 q"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trigger);
        GLOB_Doc doc = NewDoc();
        // Flate-encoded, so that the decoded content comes in many reads.
        const GLOB_Object object = doc.NewStream(Content(c.content), 0, doc.ParseObject("<< /Filter /FlateDecode >>"),
                                                 GLOB_Object(), -1);
        CSEP_SepJobContext job;
        GLIB_CancelMgr cancel;
        job.SetCancelMgr(cancel);
        CSEP_DocProgressMeter& meter = job.ProgressMeter();
        meter.Start(doc);
        meter.AddStream(object);
        Recorder recorder;
        recorder.m_hook = [&](const std::string& call) {
            if (call == c.trigger)
                cancel.SetCancelled(true);
        };
        const LogCapture capture;
        const std::string calls = recorder.Walk(object.OpenStream(2), GLOB_Object());
        // The inline image's line has no data: its read was cut short.
        const std::string end = c.trigger + "; threw 1128003 Cancel requested";
        ASSERT_GE(calls.size(), end.size());
        EXPECT_EQ(calls.substr(calls.size() - end.size()), end);
        EXPECT_TRUE(capture.Contains(7, "Exception processing stream: code = 1128003"));

        // Cleared, the same job and meter walk the stream anew to its end.
        cancel.SetCancelled(false);
        recorder.m_hook = nullptr;
        meter.Start(doc);
        meter.AddStream(object);
        const std::string again = recorder.Walk(object.OpenStream(2), GLOB_Object());
        EXPECT_EQ(again.substr(again.size() - c.whole.size() - 2), c.whole + "; ");
        EXPECT_EQ(meter.PercentDone(), 100.0);
    }
}

namespace {

// Counts the walk's polls; the given poll throws a cancel.
class Poller : public Recorder {
public:
    int m_polls = 0;
    int m_throwAt = 0;

protected:
    void Poll() override {
        if (++m_polls == m_throwAt)
            throw GLIB_Exception(1128003, "Cancel requested", __FILE__, __LINE__);
    }
};

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

}  // namespace

// A stream read in one piece is polled between its operators all the same:
// after every 1024 operators, an inline image counting as 64; a cancel
// thrown there ends the walk at once.
TEST(CSEP_ContentColorMapper, TheWalkPollsBetweenOperatorsAndACancelThereEndsIt) {
    const GLOB_Doc doc = NewDoc();
    std::string paths;
    for (int i = 0; i < 3000; ++i)
        paths += "0 0 m\n";
    std::string images;
    for (int i = 0; i < 40; ++i)
        images += "BI /W 1 /H 1 /BPC 8 /CS /G ID x EI\n";
    {
        Poller walker;
        walker.Walk(Content(paths), doc.NewDict(0, false));
        EXPECT_EQ(walker.m_polls, 2);
    }
    {
        Poller walker;
        walker.Walk(Content(images), doc.NewDict(0, false));
        EXPECT_EQ(walker.m_polls, 40 * 64 / 1024);
    }
    Poller walker;
    walker.m_throwAt = 1;
    const std::string calls = walker.Walk(Content(paths), doc.NewDict(0, false));
    EXPECT_EQ(Count(calls, "PassThrough 36 m; "), 1024u);
    EXPECT_NE(calls.find("threw 1128003 Cancel requested"), std::string::npos) << calls.substr(calls.size() - 200);
}
