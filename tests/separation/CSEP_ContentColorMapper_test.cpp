#include "separation/CSEP_ContentColorMapper.h"

#include "CSEP_TestUtil.h"
#include "GLIB/GLIB_CancelMgr.h"
#include "separation/CSEP_ProgressMessage.h"
#include "separation/CSEP_SepJobContext.h"
#include "support/GLOB_ChunkedCore.h"

#include <functional>
#include <sstream>

namespace {

std::string Str(const GLOB_Name& name) { return name.IsEmpty() ? "(empty)" : name.CStr(); }

// The /N tag of a resource, "null" for a Null one.
std::string Tag(const GLOB_Object& object) {
    return object.IsNull() ? "null" : "N" + std::to_string(object.DictGet(GLOB_Name("N")).AsInteger());
}

// One line per operation: its name, the code and keyword of the operator at
// hand, or its arguments.
class Recorder : public CSEP_ContentColorMapper {
public:
    std::vector<std::string> m_calls;
    // Runs before each call is recorded, with the line.
    std::function<void(const std::string&)> m_hook;

    // Walks content; a failure becomes the last line "threw <code> <message>".
    std::vector<std::string> Walk(const GLOB_Stream& content, const GLOB_Object& resources,
                                  const CPDF_GraphicsState& state = CPDF_GraphicsState()) {
        m_calls.clear();
        const std::string failure = Failure([&] { EXPECT_TRUE(ProcessStream(content, CPDF_ResourcesDict(resources), state)); });
        if (failure != "no exception")
            m_calls.push_back("threw " + failure);
        return m_calls;
    }

protected:
    void PaintPath(int32_t op) override { Record("PaintPath", op); }
    void ShowText(int32_t op) override { Record("ShowText", op); }
    void PassThrough(int32_t op) override { Record("PassThrough", op); }
    void DoForm(const GLOB_Name& name, const GLOB_Object& form) override {
        Record("DoForm " + Str(name) + " " + Tag(form));
    }
    void DoImage(const GLOB_Name& name, const GLOB_Object& image) override {
        Record("DoImage " + Str(name) + " " + Tag(image));
    }
    void DoShading(const GLOB_Name& name, const GLOB_Object& shading) override {
        Record("DoShading " + Str(name) + " " + Tag(shading));
    }
    void DoInlineImage(CPDF_InlineImage image) override {
        Record("DoInlineImage");
        m_calls.back() += " " + ReadAll(image.Stream(0));
    }
    void BeginStream() override { Record("BeginStream"); }
    void SetColorSpace(const CPDF_ColorSpace& space, bool stroke) override {
        Record(std::string("SetColorSpace ") + Side(stroke) + " " + Str(space.FamilyName()));
    }
    void SetColor(const CPDF_Color& color, bool stroke) override {
        std::ostringstream os;
        os << "SetColor " << Side(stroke);
        for (unsigned i = 0; i < color.NumComponents(); ++i)
            os << " " << color.Component(i);
        Record(os.str());
    }
    void SetPatternColor(const GLOB_Name& name, const GLOB_Object& pattern, bool stroke) override {
        Record(std::string("SetPatternColor ") + Side(stroke) + " " + Str(name) + " " + Tag(pattern));
    }

private:
    static const char* Side(bool stroke) { return stroke ? "stroke" : "fill"; }
    void Record(const std::string& line) {
        if (m_hook)
            m_hook(line);
        m_calls.push_back(line);
    }
    void Record(const char* operation, int32_t op) {
        Record(std::string(operation) + " " + std::to_string(op) + " " + Parser().OperatorText());
    }
};

// Resources whose every entry carries a distinct /N.
GLOB_Object SampleResources(const GLOB_Doc& doc) {
    const GLOB_Object resources = doc.ParseObject(
        "<< /XObject << /Bad 5 >> /Shading << /Sh0 << /ShadingType 2 /N 3 >> >>"
        "   /Pattern << /Sh1 << /PatternType 2 /N 5 >> /Bad 6 >> >>");
    const GLOB_Object xobjects = resources.DictGet(GLOB_Name("XObject"));
    xobjects.DictPut(GLOB_Name("Fm0"), NewStreamObject(doc, "<< /Subtype /Form /N 1 >>", ""));
    xobjects.DictPut(GLOB_Name("Im0"), NewStreamObject(doc, "<< /Subtype /Image /N 2 >>", ""));
    xobjects.DictPut(GLOB_Name("PS0"), NewStreamObject(doc, "<< /Subtype /PS /N 7 >>", ""));
    xobjects.DictPut(GLOB_Name("Plain"), NewStreamObject(doc, "<< /N 8 >>", ""));
    resources.DictGet(GLOB_Name("Pattern")).DictPut(GLOB_Name("P0"), NewStreamObject(doc, "<< /PatternType 1 /N 4 >>", ""));
    return resources;
}

GLOB_Stream Content(const std::string& text, size_t chunk) {
    return GLOB_Stream(new GLOB_ChunkedCore(text, {chunk}, GLOB_StreamCore::Input));
}

using Calls = std::vector<std::string>;

std::string Repeated(const std::string& text, size_t n) {
    std::string all;
    while (n-- > 0)
        all += text;
    return all;
}

// The four initial calls of a default state.
const Calls DefaultStart = {"BeginStream", "SetColorSpace fill DeviceGray", "SetColor fill 0",
                            "SetColorSpace stroke DeviceGray", "SetColor stroke 0"};

Calls Started(const Calls& calls) {
    Calls all = DefaultStart;
    all.insert(all.end(), calls.begin(), calls.end());
    return all;
}

}  // namespace

TEST(CSEP_ContentColorMapper, EachOperatorReachesItsOperation) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object resources = SampleResources(doc);
    // The initial calls announce the given state, after BeginStream.
    CPDF_GraphicsState state;
    state.SetFillColorSpace(CPDF_ColorSpace::MakeDeviceCMYK());
    state.SetFillColor(CPDF_Color(std::vector<double>{0, 0, 0, 1}));
    state.SetStrokeColorSpace(CPDF_ColorSpace::MakeDeviceRGB());
    state.SetStrokeColor(CPDF_Color(std::vector<double>{1, 0.5, 0}));
    const std::string content =
        "q 0 0 m 1 1 l b 0 0 1 1 re B 0 0 m b* 0 0 m B* 0 0 m f 0 0 m F 0 0 m f* 0 0 m n 0 0 m s 0 0 m S Q\n"
        "BT (a) Tj [(b) 2 (c)] TJ (d) ' 1 2 (e) \" ET\n"
        "/Fm0 Do /Im0 Do /Sh0 sh 1 0 0 1 0 0 cm\n"
        "BI /W 2 /H 1 /BPC 8 /CS /G ID xy EI BI /W 3 /H 1 /BPC 8 /CS /G /F /AHx ID 61 6 2 63> EI\n"
        "BX foo 1 2 bar EX 0 0 d0 (x) Print";
    const Calls expected = {
        "BeginStream",
        "SetColorSpace fill DeviceCMYK",
        "SetColor fill 0 0 0 1",
        "SetColorSpace stroke DeviceRGB",
        "SetColor stroke 1 0.5 0",
        "PassThrough 41 q",
        "PassThrough 36 m", "PassThrough 35 l", "PaintPath 0 b",
        "PassThrough 43 re", "PaintPath 1 B",
        "PassThrough 36 m", "PaintPath 2 b*", "PassThrough 36 m", "PaintPath 3 B*",
        "PassThrough 36 m", "PaintPath 22 f", "PassThrough 36 m", "PaintPath 23 F",
        "PassThrough 36 m", "PaintPath 24 f*", "PassThrough 36 m", "PaintPath 39 n",
        "PassThrough 36 m", "PaintPath 47 s", "PassThrough 36 m", "PaintPath 48 S",
        "PassThrough 42 Q",
        "PassThrough 7 BT", "ShowText 58 Tj", "ShowText 59 TJ", "ShowText 72 '", "ShowText 73 \"",
        "PassThrough 20 ET",
        "DoForm Fm0 N1", "DoImage Im0 N2", "DoShading Sh0 N3", "PassThrough 10 cm",
        // The raw data, read whole; nothing for BI and EI.
        "DoInlineImage xy", "DoInlineImage 61 6 2 63>",
        "PassThrough 8 BX", "PassThrough -1 foo", "PassThrough -1 bar", "PassThrough 21 EX",
        "PassThrough 14 d0", "PassThrough 75 Print",
    };
    const LogCapture quiet;
    Recorder recorder;
    for (size_t chunk : {0, 1, 7}) {
        SCOPED_TRACE(chunk);
        EXPECT_EQ(recorder.Walk(Content(content, chunk), resources, state), expected);
    }
}

TEST(CSEP_ContentColorMapper, UnusableResourcesAndRefusedContent) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object resources = SampleResources(doc);
    const struct {
        const char* content;
        Calls calls;      // after the initial ones
        const char* log;  // a warning, at level 4
    } cases[] = {
        {"/Missing Do q", {"PassThrough 41 q"}, "Skipping missing XObject Missing"},
        {"/Bad Do", {}, "Skipping missing XObject Bad"},
        {"/PS0 Do", {}, "Unknown XObject skipped: PS0"},
        {"/Plain Do", {}, "Unknown XObject skipped: Plain"},
        {"/None sh", {"DoShading None null"}, nullptr},
        // The parser's refusal, with its message.
        {"BT 0 0 m", {"PassThrough 7 BT", "threw 1128002 m is illegal within a Text Object, operator must occur "
                                          "within: Page Description, Path Object."}, nullptr},
        {"q 5 Do", {"PassThrough 41 q", "threw 1128002 Do expects a name operand, found Integer"}, nullptr},
        {"(s) sh", {"threw 1128002 sh expects a name operand, found String"}, nullptr},
        // Data that do not decode end the walk with the filter's error.
        {"BI /W 2 /H 1 /BPC 8 /CS /G /F /AHx ID 0z> EI", {"DoInlineImage", "threw 1130002"}, nullptr},
    };
    Recorder recorder;  // one mapper for every stream, failed ones included
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const LogCapture capture;
        Calls calls = recorder.Walk(Content(c.content, 0), resources);
        if (calls.back().substr(0, 13) == "threw 1130002")
            calls.back().resize(13);  // the filter's own message
        EXPECT_EQ(calls, Started(c.calls));
        if (c.log) {
            EXPECT_TRUE(capture.Contains(4, c.log));
        }
        if (calls.back().substr(0, 5) == "threw") {
            EXPECT_TRUE(capture.Contains(7, "Exception processing stream: code = " + calls.back().substr(6, 7)));
        }
    }
    // Long descriptions are logged cut to 512 characters.
    const std::string unknown(600, 'u');
    const LogCapture capture;
    EXPECT_EQ(recorder.Walk(Content(unknown, 0), resources).back(),
              "threw 1128002 Unknown operator encountered: " + unknown);
    const std::string logged = "Exception processing stream: code = 1128002; developer-speak message = 'Unknown";
    ASSERT_EQ(capture.Entries().size(), 1u);
    EXPECT_EQ(capture.Entries()[0].text.substr(0, logged.size()), logged);
    EXPECT_EQ(capture.Entries()[0].text.size(), 29u + 512u);

    // Resources that are not a dictionary hold nothing.
    const LogCapture warnings;
    EXPECT_EQ(recorder.Walk(Content("/Fm0 Do /Sh0 sh", 0), doc.NewInteger(1)), Started({"DoShading Sh0 null"}));
    EXPECT_TRUE(warnings.Contains(4, "Skipping missing XObject Fm0"));
}

// The meter's cancel passes out of the walk unchanged, whether the content
// or an inline image's data are being read when it is polled, and the job's
// meter goes on afterwards.
TEST(CSEP_ContentColorMapper, CancelPassesThroughTheWalk) {
    const std::string data(20000, 'd');
    const struct {
        std::string content;
        const char* trigger;  // the call before which the cancel is set
        Calls tail;           // the calls after the initial ones, cancelled
    } cases[] = {
        {Repeated("q ", 3000) + std::string(20000, ' ') + "Q", "PassThrough 41 q", {"PassThrough 41 q"}},
        {"BI /W 20000 /H 1 /BPC 8 /CS /G ID " + data + " EI q", "DoInlineImage", {"DoInlineImage"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.trigger);
        GLOB_Doc doc = NewDoc();
        // Flate-encoded, so that the decoded content comes in many reads.
        const GLOB_Object object = doc.NewStream(GLOB_Stream(new GLOB_StringStream(c.content)), 0,
                                                 doc.ParseObject("<< /Filter /FlateDecode >>"), GLOB_Object(), -1);
        CSEP_SepJobContext job;
        GLIB_CancelMgr cancel;
        job.SetCancelMgr(cancel);
        CSEP_DocProgressMeter& meter = job.ProgressMeter();
        meter.Start(doc);
        meter.AddStream(object);
        Recorder recorder;
        recorder.m_hook = [&](const std::string& line) {
            if (line.rfind(c.trigger, 0) == 0)
                cancel.SetCancelled(true);
        };
        const LogCapture capture;
        Calls calls = recorder.Walk(object.OpenStream(2), GLOB_Object());
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls.back(), "threw 1128003 Cancel requested");
        calls.pop_back();
        // The recorded inline image has no data: the read was cut short.
        EXPECT_EQ(Calls(calls.end() - 1, calls.end()), c.tail);
        EXPECT_TRUE(capture.Contains(7, "Exception processing stream: code = 1128003"));

        // Cleared, the same job and meter walk the stream anew to its end.
        cancel.SetCancelled(false);
        recorder.m_hook = nullptr;
        meter.Start(doc);
        meter.AddStream(object);
        calls = recorder.Walk(object.OpenStream(2), GLOB_Object());
        EXPECT_EQ(calls.size(), c.trigger[0] == 'D' ? 7u : 3006u);
        if (c.trigger[0] == 'D') {
            EXPECT_EQ(calls[5], "DoInlineImage " + data);
        }
        EXPECT_EQ(meter.PercentDone(), 100.0);
    }
}
