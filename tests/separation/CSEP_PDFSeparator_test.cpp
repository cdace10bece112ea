#include "separation/CSEP_PDFSeparator.h"

#include "CPDF/CPDF_Exception.h"
#include "CSEP_SeparationCheck.h"
#include "separation/CSEP_InkOutputs.h"
#include "GLOB/GLOB_DocMessage.h"
#include "GLOB/GLOB_StreamMessage.h"
#include "GLOB/GLOB_String.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <set>
#include <sstream>

namespace {

using CSEP_PDFSeparatorTest = CSEP_TempDirTest;

// A Separation space of ink over alternate, full tint giving full.
std::string Spot(const std::string& ink, const std::string& alternate, const std::string& full) {
    std::string zero;
    for (char c : full)
        zero += c == ' ' ? " " : (zero.empty() || zero.back() == ' ' ? "0" : "");
    return "[/Separation /" + ink + " /" + alternate + " << /FunctionType 2 /Domain [0 1] /C0 [" + zero + "] /C1 [" +
           full + "] /N 1 >>]";
}

class PollCore : public GLIB_CancelMgrCore {
public:
    explicit PollCore(std::function<void(PollCore&)> poll) : m_poll(std::move(poll)) {}

protected:
    void Poll() override { m_poll(*this); }

private:
    std::function<void(PollCore&)> m_poll;
};

// Hears every stream of a document opened and, when one closes, notes how
// far the meter has got.
class CloseWatch : public GLIB_MessageTarget {
public:
    CloseWatch(const GLOB_Doc& doc, const CSEP_DocProgressMeter& meter) : m_meter(meter) {
        doc.Attach(new GLIB_Callback<CloseWatch, GLOB_DocStreamDidOpenMessage>(this, &CloseWatch::OnOpen));
    }

    std::vector<double> percentAtClose;

private:
    void OnOpen(const GLOB_DocStreamDidOpenMessage& message) {
        GLOB_Stream stream = message.Stream();
        stream.Attach(new GLIB_Callback<CloseWatch, GLOB_StreamCloseMessage>(this, &CloseWatch::OnClose));
    }
    void OnClose(const GLOB_StreamCloseMessage&) { percentAtClose.push_back(m_meter.PercentDone()); }

    const CSEP_DocProgressMeter& m_meter;
};

}  // namespace

TEST_F(CSEP_PDFSeparatorTest, OnePagePerInkWithItsSeparationInfo) {
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const CPDF_Doc out = job.Doc();
    out.CreatePage(0, GLIB_Rect(0, 0, 1, 1));
    out.CreatePage(1, GLIB_Rect(0, 0, 1, 1));
    const GLOB_Doc doc = NewDoc();
    const CPDF_Page page = SourcePage(doc,
                                      "<< /ColorSpace << /CS0 " + Spot("Spot", "DeviceCMYK", "0 0.5 1 0") +
                                          " >> /ProcSet [/PDF] /Properties << /MC0 << /Tag 1 >> >> >>",
                                      "/MC0 /MC0 BDC /CS0 cs 0 0 9 9 re f EMC");
    for (const char* box : {"/Rotate 90", "/ArtBox [1 1 2 2]", "/BleedBox [0 0 3 3]", "/TrimBox [1 0 2 3]",
                            "/CropBox [0 0 9 9.0000005]"}) {
        const std::string entry(box);
        page.Object().PutPath(entry.substr(1, entry.find(' ') - 1).c_str(),
                              doc.ParseObject(entry.substr(entry.find(' ') + 1)));
    }
    const Inks inks = Separate(job, page, 2);
    ASSERT_EQ(out.NumPages(), 7);
    const GLOB_Object pages = inks.pages[0].GetPath("/SeparationInfo/Pages");
    EXPECT_TRUE(pages.IsIndirect());
    for (uint32_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const GLOB_Object inkPage = inks.pages[i];
        EXPECT_TRUE(out.Page(2 + i).Object() == inkPage);
        EXPECT_TRUE(pages.Get(i) == inkPage);
        EXPECT_TRUE(inkPage.GetPath("/SeparationInfo/Pages") == pages);
        EXPECT_EQ(Keys(inkPage, {"CropBox", "Rotate", "ArtBox", "BleedBox", "TrimBox", "MediaBox"}),
                  "null90[ 1 1 2 2 ][ 0 0 3 3 ][ 1 0 2 3 ][ 0 0 9 9 ]");
        EXPECT_EQ(Text(inkPage.GetPath("/Resources/ProcSet")) + Text(inkPage.GetPath("/Resources/Properties/MC0/Tag")),
                  "[ /PDF ]1");
        const GLOB_Object info = inkPage.DictGet(GLOB_Name("SeparationInfo"));
        EXPECT_EQ(Keys(info, {"DeviceColorant", "VELM_Recipe", "ColorSpace"}),
                  ForInk("{/Cyan[ 1 0 0 0 ][ /Separation /Cyan|/Magenta[ 0 1 0 0 ][ /Separation /Magenta|"
                         "/Yellow[ 0 0 1 0 ][ /Separation /Yellow|/Black[ 0 0 0 1 ][ /Separation /Black|"
                         "/Spot[ 0 0.5 1 0 ][ /Separation /Spot} /DeviceCMYK -stream- ]",
                         i));
        const GLOB_Object tintTransform = info.GetPath("/ColorSpace[3]");
        EXPECT_EQ(Keys(tintTransform, {"Filter", "FunctionType"}), "null4");
        const std::vector<double> recipe = Outputs(tintTransform, {1});
        EXPECT_EQ(Outputs(tintTransform, {0.5}),
                  std::vector<double>({recipe[0] / 2, recipe[1] / 2, recipe[2] / 2, recipe[3] / 2}));
    }
    EXPECT_EQ(StreamData(inks.pages[1].GetPath("/SeparationInfo/ColorSpace[3]")),
              "{  dup 0 mul exch\n dup 1 mul exch\n dup 0 mul exch\n dup 0 mul exch\n pop }");
    EXPECT_EQ(Outputs(inks.pages[1].GetPath("/SeparationInfo/ColorSpace[3]"), {0.7}),
              std::vector<double>({0, 0.7, 0, 0}));

    // A crop box that differs is kept.
    page.Object().PutPath("CropBox", doc.ParseObject("[1 1 8 8]"));
    EXPECT_EQ(Text(Separate(job, page).pages[4].DictGet(GLOB_Name("CropBox"))), "[ 1 1 8 8 ]");
}

// Recipes feed the SeparationInfo alone: tiny components in plain decimal,
// RGB alternates through their CMYK equivalent, and an ink without one as
// [0 0 0 0] with a warning naming it; the page is made in every case.
TEST_F(CSEP_PDFSeparatorTest, SpotRecipes) {
    std::string wide = "1";  // 32 outputs: more than a recipe takes
    for (int i = 1; i < 32; ++i)
        wide += " 0";
    const struct {
        const char* alternate;
        std::string full;
        const char* recipe;
        const char* line;  // the tint transform's line of the first component
        double black;
        const char* warning;
    } cases[] = {
        {"DeviceCMYK", "0.00001 0 0 0.123456789", "[ 0.00001 0 0 0.12346 ]", "{  dup 0.00001 mul exch\n", 0.123457,
         nullptr},
        {"DeviceRGB", "0.9 0.2 0.3", "[ 0 0.7 0.6 0.1 ]", "{  dup 0 mul exch\n", 0.1, nullptr},
        {"DeviceGray", wide, "[ 0 0 0 0 ]", "{  dup 0 mul exch\n", 0,
         "Ink PANTONE 485 M has no CMYK equivalent (Tint transform of PANTONE 485 M (colorant 0) has 1 inputs and "
         "32 outputs, fewer than 32 expected); it shows white in the preview"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.alternate);
        const CSEP_SepJobContext job = NewJob({"PANTONE 485 M"});
        const GLOB_Doc doc = NewDoc();
        const LogCapture capture;
        const Inks inks = Separate(
            job, SourcePage(doc, "<< /ColorSpace << /CS0 " + Spot("PANTONE#20485#20M", c.alternate, c.full) +
                                     " >> >>",
                            "/CS0 cs 0 0 9 9 re f"));
        ASSERT_EQ(inks.pages.size(), 5u);
        const GLOB_Object info = inks.pages[4].DictGet(GLOB_Name("SeparationInfo"));
        EXPECT_EQ(Text(info.DictGet(GLOB_Name("VELM_Recipe"))), c.recipe);
        const std::string program = StreamData(info.GetPath("/ColorSpace[3]"));
        EXPECT_EQ(program.substr(0, std::string(c.line).size()), c.line);
        EXPECT_EQ(program.find("e-"), std::string::npos);
        EXPECT_NEAR(Outputs(info.GetPath("/ColorSpace[3]"), {1})[3], c.black, 1e-6);
        std::vector<std::string> warnings;
        for (const LogCapture::Entry& e : capture.Entries())
            if (e.level == GLIB_LogWarning && e.text.find("PANTONE") != std::string::npos)
                warnings.push_back(e.text);
        EXPECT_EQ(warnings, c.warning ? std::vector<std::string>{c.warning} : std::vector<std::string>{});
    }
}

// Contents is optional: a page without it separates into blank ink pages;
// a Contents of another kind is still the page's fault.
TEST_F(CSEP_PDFSeparatorTest, APageWithoutContentsGivesBlankInkPages) {
    const struct {
        const char* contents;  // nullptr: absent
        const char* thrown;    // empty: blank pages
    } cases[] = {
        {nullptr, ""},
        {"null", ""},
        {"(0 0 9 9 re f)", "1128009 Page missing Contents"},
        {"<< /Length 3 >>", "1128009 Page missing Contents"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.contents ? c.contents : "absent");
        const CSEP_SepJobContext job = NewJob({});
        const GLOB_Doc doc = NewDoc();
        const CPDF_Page page = SourcePage(doc, "<< >>", "");
        if (c.contents)
            page.Object().PutPath("Contents", doc.ParseObject(c.contents));
        else
            page.Object().RemovePath("Contents");
        const LogCapture capture;
        if (*c.thrown) {
            EXPECT_EQ(Failure([&] { Separate(job, page); }), c.thrown);
            EXPECT_EQ(job.Doc().NumPages(), 0);
            continue;
        }
        const Inks inks = Separate(job, page);
        ASSERT_EQ(job.Doc().NumPages(), 4);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(Body(inks.contents[i]), "") << i;
        EXPECT_TRUE(capture.Entries().empty()) << capture.Entries()[0].text;
    }
}

// A page using transparency says so once, naming the first construct it
// meets and what the plates make of it.
TEST_F(CSEP_PDFSeparatorTest, TransparencyIsNamedOncePerPage) {
    const struct {
        const char* resources;
        const char* content;
        const char* warning;  // empty: none
    } cases[] = {
        {"<< /ExtGState << /G0 << /LW 2 >> /G1 << /BM /Multiply >> /G2 << /ca 0.5 >> >> >>",
         "/G0 gs /G2 gs /G1 gs 0 0 1 0 k 0 0 9 9 re f", "ExtGState G1 with BM /Multiply); its plates blend ink by ink"},
        {"<< /ExtGState << /G0 << /BM [/Normal /Multiply] /SMask /None /CA 1 /ca 1.0 >> >> >>",
         "/G0 gs 0 0 1 0 k 0 0 9 9 re f", ""},
        {"<< /XObject << /Fm0 << >> >> >>", "/Fm0 Do",
         "Form Fm0 with a transparency group); its plates compose the group ink by ink"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resources);
        const CSEP_SepJobContext job = NewJob({});
        const GLOB_Doc doc = NewDoc();
        const CPDF_Page page = SourcePage(doc, c.resources, c.content);
        if (std::string(c.content) == "/Fm0 Do")
            page.Object().PutPath("/Resources/XObject/Fm0",
                                  NewStreamObject(doc,
                                                  "<< /Subtype /Form /BBox [0 0 9 9] /Group << /S /Transparency >>"
                                                  "   /Resources << /ExtGState << /G << /ca 0.2 >> >> >> >>",
                                                  "/G gs 0 0 0 1 k 0 0 9 9 re f"));
        const LogCapture capture;
        const Inks inks = Separate(job, page);
        std::vector<std::string> warnings;
        for (const LogCapture::Entry& e : capture.Entries())
            if (e.text.find("transparency (") != std::string::npos)
                warnings.push_back(e.text);
        if (*c.warning) {
            ASSERT_EQ(warnings.size(), 1u);
            EXPECT_EQ(warnings[0], std::string("uses transparency (") + c.warning);
        } else {
            EXPECT_TRUE(warnings.empty());
        }
        EXPECT_EQ(inks.pages.size(), 4u);
    }
}

// Contents stream by stream, a form drawn twice once, and the glyph
// procedures of a Type 3 font: the meter's total, as its polls show it.
TEST_F(CSEP_PDFSeparatorTest, CountsEveryStreamOnce) {
    CSEP_SepJobContext job = NewJob({"Spot"});
    CSEP_DocProgressMeter& meter = job.ProgressMeter();
    std::vector<double> totals;
    job.SetCancelMgr(GLIB_CancelMgr() = new PollCore([&](PollCore&) {
                         if (meter.BytesRead() > 0)
                             totals.push_back(std::round(meter.BytesRead() * 100.0 / meter.PercentDone()));
                     }));
    const GLOB_Doc doc = NewDoc();
    const std::string first = "/Fm0 Do ", second = "/Fm0 Do", form = "0 0 9 9 re f", glyph = "1000 0 d0 0 0 1 1 re f";
    const CPDF_Page page = SourcePage(
        doc,
        "<< /XObject << >> /Font << /T3 << /Type /Font /Subtype /Type3 /FontBBox [0 0 1 1]"
        "   /FontMatrix [1 0 0 1 0 0] /CharProcs << >> /Encoding << >> >> >> >>",
        "", {{"/XObject/Fm0", "<< /Subtype /Form /BBox [0 0 9 9] >>", form}, {"/Font/T3/CharProcs/a", "<< >>", glyph}});
    const GLOB_Object contents = doc.NewArray(2, false);
    contents.ArrayPut(0, NewStreamObject(doc, first));
    contents.ArrayPut(1, NewStreamObject(doc, second));
    page.Object().PutPath("Contents", contents);
    const LogCapture quiet;
    EXPECT_EQ(Body(Separate(job, page).contents[0]), "/Fm1 Do\n/Fm1 Do\n");
    ASSERT_FALSE(totals.empty());
    for (double total : totals)
        EXPECT_EQ(total, static_cast<double>(first.size() + second.size() + form.size() + glyph.size()));
}

// Once the page is done, separated or failed, the job's meter no longer
// hears the source document: a later read of it polls nothing.
TEST_F(CSEP_PDFSeparatorTest, AFinishedPageLeavesItsDocumentUnheard) {
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "failed" : "separated");
        CSEP_SepJobContext job = NewJob({"Spot"});
        int polls = 0;
        job.SetCancelMgr(GLIB_CancelMgr() = new PollCore([&](PollCore&) { ++polls; }));
        const GLOB_Doc doc = NewDoc();
        const std::vector<StreamAt> image = {
            {"/XObject/Im0", "<< /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /Foo >>", "x"}};
        const CPDF_Page page =
            SourcePage(doc, "<< /XObject << >> >>", "", fails ? image : std::vector<StreamAt>());
        // Encoded, so that it is read buffer by buffer.
        page.Object().PutPath("Contents", NewStreamObject(doc, "<< /Filter /ASCIIHexDecode >>",
                                                          std::string(50000, ' ') + (fails ? "/Im0 Do" : "0 0 9 9 re f"),
                                                          "<< >>"));
        const LogCapture quiet;
        try {
            Separate(job, page);
            EXPECT_FALSE(fails);
        } catch (const GLIB_Exception&) {
            EXPECT_TRUE(fails);
        }
        EXPECT_GT(polls, 0);  // heard while separating
        polls = 0;
        GLOB_Stream again = page.Contents().OpenStream(0);
        for (int i = 0; i < 4; ++i)
            again.Read();
        again.Close();
        EXPECT_EQ(polls, 0);
    }
}

// A cancel, a host call interrupted (code 1) with or without a cancel, and
// out of memory end the page: the meter stops, no page is added, and the
// job's files go with the job. A colour space's own 1128003 is no cancel.
TEST_F(CSEP_PDFSeparatorTest, CancelAndFailureEndThePage) {
    const struct {
        int trigger;  // 0 cancel, 1 code 1 with the flag set, 2 code 1 alone, 3 out of memory
        const char* thrown;
    } cases[] = {
        {0, "1128003 Cancel requested"},
        {1, "1128003 Cancel Requested"},
        {2, "1 Host call interrupted"},
        {3, "bad allocation"},
    };
    const std::string form = std::string(50000, ' ') + "0 0 9 9 re f";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.thrown);
        CSEP_SepJobContext job = NewJob({"Spot"}, 1, 1);
        CSEP_DocProgressMeter& meter = job.ProgressMeter();
        bool fired = false;
        job.SetCancelMgr(GLIB_CancelMgr() = new PollCore([&](PollCore& core) {
                             if (fired || meter.BytesRead() < 1000)
                                 return;
                             fired = true;
                             core.SetCancelled(c.trigger <= 1);
                             if (c.trigger == 1 || c.trigger == 2)
                                 throw GLIB_Exception(1, "Host call interrupted", __FILE__, __LINE__);
                             if (c.trigger == 3)
                                 throw GLIB_BadAllocException(64, __FILE__, __LINE__);
                         }));
        const GLOB_Doc doc = NewDoc();
        const LogCapture quiet;
        const CPDF_Page page = SourcePage(doc, "<< /XObject << >> >>", "/Fm0 Do");
        // Encoded, so that it is read buffer by buffer.
        page.Object().PutPath(
            "/Resources/XObject/Fm0",
            NewStreamObject(doc, "<< /Subtype /Form /BBox [0 0 9 9] /Filter /ASCIIHexDecode >>", form, "<< >>"));
        std::string thrown;
        try {
            Separate(job, page);
        } catch (const GLIB_Exception& e) {
            thrown = std::to_string(e.Code()) + " " + e.What();
        } catch (const std::bad_alloc& e) {
            thrown = e.what();
        }
        EXPECT_EQ(thrown, c.thrown);
        EXPECT_EQ(meter.PercentDone(), 100.0);
        EXPECT_EQ(job.Doc().NumPages(), 0);
        // The page's own streams, kept by the job until it goes.
        EXPECT_EQ(JobTempFileCount(), 5);
    }

    GLIB_CancelMgr cancel;
    const CSEP_SepJobContext job = NewJob({"Spot"});
    CSEP_SepJobContext(job).SetCancelMgr(cancel);
    const GLOB_Doc doc = NewDoc();
    const CPDF_Page page = SourcePage(doc, "<< /XObject << >> >>", "/Im0 Do",
                                      {{"/XObject/Im0",
                                        "<< /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8"
                                        "   /ColorSpace /Foo >>",
                                        "x"}});
    const LogCapture quiet;
    try {
        Separate(job, page);
        ADD_FAILURE() << "separated";
    } catch (const CPDF_Exception& e) {
        EXPECT_EQ(e.Code(), 1128003u);
    }
    EXPECT_FALSE(cancel.ShouldCancel());
}

// Out of memory while the page's own content is read: the content is closed
// while the meter still runs, not when its last handle goes.
TEST_F(CSEP_PDFSeparatorTest, OutOfMemoryInThePageContentClosesItBeforeTheMeterStops) {
    CSEP_SepJobContext job = NewJob({"Spot"});
    CSEP_DocProgressMeter& meter = job.ProgressMeter();
    bool fired = false;
    job.SetCancelMgr(GLIB_CancelMgr() = new PollCore([&](PollCore&) {
                         if (fired || meter.BytesRead() < 1000)
                             return;
                         fired = true;
                         throw std::bad_alloc();
                     }));
    const GLOB_Doc doc = NewDoc();
    const CPDF_Page page = SourcePage(doc, "<< >>", "");
    // Encoded, so that it is read buffer by buffer.
    page.Object().PutPath("Contents", NewStreamObject(doc, "<< /Filter /ASCIIHexDecode >>",
                                                      std::string(50000, ' ') + "0 0 9 9 re f", "<< >>"));
    const CloseWatch watch(doc, meter);
    EXPECT_THROW(Separate(job, page), std::bad_alloc);
    EXPECT_TRUE(fired);
    ASSERT_EQ(watch.percentAtClose.size(), 1u);
    EXPECT_LT(watch.percentAtClose[0], 100.0) << "closed after the meter stopped";
    EXPECT_EQ(meter.PercentDone(), 100.0);
    EXPECT_EQ(job.Doc().NumPages(), 0);
}

// Forms, tiling patterns and Type 3 fonts separated inside themselves end
// with 1128002, as does nesting past the job's limit.
TEST_F(CSEP_PDFSeparatorTest, SelfReferenceAndDepthEndThePage) {
    const CSEP_SepJobContext job = NewJob({"Spot"});
    const LogCapture quiet;
    const struct {
        const char* content;
        const char* path;  // where the object refers to itself
        const char* thrown;
    } cases[] = {
        {"/Fm0 Do", "/Resources/XObject/Fm0/Resources/XObject/Fm0", "1128002 Form Fm0 is separated inside itself"},
        {"/Pattern cs /P0 scn 0 0 9 9 re f", "/Resources/Pattern/P0/Resources/Pattern/P0",
         "1128002 Tiling pattern P0 is separated inside itself"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        const GLOB_Doc doc = NewDoc();
        const CPDF_Page page = SourcePage(
            doc, "<< /XObject << >> /Pattern << >> >>", c.content,
            {{"/XObject/Fm0", "<< /Subtype /Form /BBox [0 0 9 9] /Resources << /XObject << >> >> >>", c.content},
             {"/Pattern/P0",
              "<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 1 1] /XStep 1 /YStep 1"
              "   /Resources << /Pattern << >> >> >>",
              c.content}});
        const std::string path(c.path);
        page.Object().PutPath(c.path, page.Object().GetPath(path.substr(0, path.find("/Resources", 1)).c_str()));
        EXPECT_EQ(Failure([&] { Separate(job, page); }), c.thrown);
    }

    const GLOB_Doc doc = NewDoc();
    GLOB_Object inner = NewStreamObject(doc, "<< /Subtype /Form /BBox [0 0 9 9] >>", "0 0 9 9 re f");
    for (int i = 0; i < 100; ++i) {
        const GLOB_Object outer =
            NewStreamObject(doc, "<< /Subtype /Form /BBox [0 0 9 9] /Resources << /XObject << >> >> >>", "/F Do");
        outer.PutPath("/Resources/XObject/F", inner);
        inner = outer;
    }
    const CPDF_Page page = SourcePage(doc, "<< /XObject << >> >>", "/F Do");
    page.Object().PutPath("/Resources/XObject/F", inner);
    EXPECT_EQ(Failure([&] { Separate(job, page); }), "1128002 Form F is nested deeper than 64 levels");
}

// A spot ink whose tint transform fails at full tint fails the page with
// the calculator's code and adds no page; the job goes on with the next.
TEST_F(CSEP_PDFSeparatorTest, FailedRecipeAddsNoPage) {
    const struct {
        const char* program;
        uint32_t code;
    } cases[] = {
        {"{ pop 1 }", 1128016},  // too few outputs for the Range
        {"{ pop 1e3 0 0 0 }", 1128007},  // a token the calculator refuses
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        const CSEP_SepJobContext job = NewJob({"Spot"});
        const CPDF_Doc out = job.Doc();
        const GLOB_Object first = out.CreatePage(0, GLIB_Rect(0, 0, 1, 1)).Object();
        const GLOB_Object last = out.CreatePage(1, GLIB_Rect(0, 0, 1, 1)).Object();
        const GLOB_Doc doc = NewDoc();
        const CPDF_Page bad =
            SourcePage(doc, "<< /ColorSpace << /CS0 [/Separation /Spot /DeviceCMYK 0] >> >>", "/CS0 cs 0 0 9 9 re f");
        bad.Object().GetPath("/Resources/ColorSpace/CS0").ArrayPut(
            3, NewStreamObject(doc, "<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] >>", c.program));

        CSEP_PDFSeparator separator;
        separator.SetJobContext(job);
        std::vector<GLOB_Object> newPages = {first};
        const LogCapture quiet;
        try {
            separator.SeparatePage(bad, 1, newPages);
            ADD_FAILURE() << "separated";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), c.code) << e.What();
        }
        EXPECT_EQ(out.NumPages(), 2);
        EXPECT_TRUE(newPages.empty());
        EXPECT_EQ(TempFiles(), std::vector<std::string>());

        const Inks inks = Separate(job, SourcePage(doc, "<< >>", "0 0 0 1 k 0 0 9 9 re f"), 1);
        ASSERT_EQ(inks.pages.size(), 5u);
        ASSERT_EQ(out.NumPages(), 7);
        EXPECT_TRUE(out.Page(0).Object() == first);
        EXPECT_TRUE(out.Page(6).Object() == last);
        for (uint32_t i = 0; i < 5; ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(out.Page(1 + i).Object() == inks.pages[i]);
            EXPECT_TRUE(inks.pages[i].GetPath("/SeparationInfo/Pages").Get(i) == inks.pages[i]);
        }
    }
}

// A tint transform that is no function at all fails the page as a content
// model error, before any page is made, whether the content uses the ink or
// only the resources name it.
TEST_F(CSEP_PDFSeparatorTest, TintTransformThatIsNoFunctionAddsNoPage) {
    for (const char* content : {"/CS0 cs 1 sc 0 0 9 9 re f", "0 0 0 1 k 0 0 9 9 re f"}) {
        SCOPED_TRACE(content);
        const CSEP_SepJobContext job = NewJob({"Spot"});
        const CPDF_Doc out = job.Doc();
        const GLOB_Doc doc = NewDoc();
        const CPDF_Page bad = SourcePage(doc, "<< /ColorSpace << /CS0 [/Separation /Spot /DeviceCMYK 0] >> >>", content);
        CSEP_PDFSeparator separator;
        separator.SetJobContext(job);
        std::vector<GLOB_Object> newPages;
        const LogCapture quiet;
        try {
            separator.SeparatePage(bad, 0, newPages);
            ADD_FAILURE() << "separated";
        } catch (const GLIB_DerivedException<Tag_CPDF_Exception>& e) {
            EXPECT_NE(e.Code(), 0u) << e.What();
        }
        EXPECT_EQ(out.NumPages(), 0);
        EXPECT_TRUE(newPages.empty());
        EXPECT_EQ(TempFiles(), std::vector<std::string>());
    }
}

namespace {

// The distinct indirect objects reachable from root (through arrays,
// dictionaries and stream dictionaries) that keep accepts.
size_t CountReachable(const GLOB_Object& root, const std::function<bool(const GLOB_Object&)>& keep) {
    std::vector<GLOB_Object> seen;
    std::vector<GLOB_Object> todo = {root};
    size_t count = 0;
    while (!todo.empty()) {
        const GLOB_Object object = todo.back();
        todo.pop_back();
        if (object.IsIndirect()) {
            if (std::find(seen.begin(), seen.end(), object) != seen.end())
                continue;
            seen.push_back(object);
            count += keep(object) ? 1 : 0;
        }
        if (object.IsArray()) {
            for (uint32_t i = 0; i < object.Length(); ++i)
                todo.push_back(object.Get(i));
        } else if (object.IsDict() || object.IsStream()) {
            const GLOB_Dict entries = (object.IsStream() ? object.StreamDict() : object).AsDict();
            GLOB_Object value;
            for (uint32_t i = 0; entries.Entry(i, nullptr, &value); ++i)
                todo.push_back(value);
        }
    }
    return count;
}

// depth + 1 levels of one kind; each level above the first names the one
// below under two names and uses it three times, so 2^depth paths reach
// the first level, which paints in a colour of its own. Returns the top.
struct SharedLevels {
    const char* kind;
    std::function<GLOB_Object(const GLOB_Doc&, const GLOB_Object& below)> level;  // below Null: the first
    const char* resources;  // of the page
    const char* path;  // where the page's resources hold the top
    const char* content;  // of the page
    std::function<bool(const GLOB_Object&)> isSeparated;  // what the output makes of a level
};

std::vector<SharedLevels> SharedLevelKinds() {
    const auto form = [](const GLOB_Doc& doc, const GLOB_Object& below) {
        if (below.IsNull())
            return NewStreamObject(doc, "<< /Subtype /Form /BBox [0 0 9 9] >>", "0 1 0 0 k 0 0 9 9 re f");
        const GLOB_Object level = NewStreamObject(
            doc, "<< /Subtype /Form /BBox [0 0 9 9] /Resources << /XObject << >> >> >>", "/A Do /B Do /A Do");
        level.PutPath("/Resources/XObject/A", below);
        level.PutPath("/Resources/XObject/B", below);
        return level;
    };
    const auto tiling = [](const GLOB_Doc& doc, const GLOB_Object& below) {
        const std::string dict =
            "<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 1 1] /XStep 1 /YStep 1 "
            "/Resources << /Pattern << >> >> >>";
        if (below.IsNull())
            return NewStreamObject(doc, dict, "0 0 1 0 k 0 0 1 1 re f");
        const GLOB_Object level =
            NewStreamObject(doc, dict, "/Pattern cs /A scn 0 0 1 1 re f /B scn 0 0 1 1 re f /A scn 0 0 1 1 re f");
        level.PutPath("/Resources/Pattern/A", below);
        level.PutPath("/Resources/Pattern/B", below);
        return level;
    };
    const auto type3 = [](const GLOB_Doc& doc, const GLOB_Object& below) {
        const GLOB_Object font = doc.NewDict(
            doc.ParseObject("<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1 1] /FontMatrix [0.001 0 0 0.001 0 0]"
                            "   /CharProcs << >> /Encoding << /Differences [97 /a] >> /FirstChar 97 /LastChar 97"
                            "   /Widths [1000] /Resources << /ExtGState << /A << >> /B << >> >> >> >>")
                .AsDict(),
            true);
        font.PutPath("/CharProcs/a",
                     NewStreamObject(doc, below.IsNull() ? "1000 0 d0 0 0 0 1 k 0 0 1 1 re f"
                                                         : "1000 0 d0 /A gs /B gs /A gs 0 0 1 1 re f"));
        for (const char* gs : {"/Resources/ExtGState/A/Font", "/Resources/ExtGState/B/Font"}) {
            const GLOB_Object pair = doc.ParseObject("[null 1]");
            pair.ArrayPut(0, below);
            font.PutPath(gs, pair);
        }
        return font;
    };
    return {
        {"forms", form, "<< /XObject << >> >>", "/Resources/XObject/F", "/F Do",
         [](const GLOB_Object& o) { return o.HasSubtype("Form"); }},
        {"tiling patterns", tiling, "<< /Pattern << >> >>", "/Resources/Pattern/P", "/Pattern cs /P scn 0 0 9 9 re f",
         [](const GLOB_Object& o) { return o.IsStream() && o.IntegerValue("PatternType", 0) == 1; }},
        {"Type 3 fonts", type3, "<< /ExtGState << /G << /Font [null 12] >> >> >>", "/Resources/ExtGState/G/Font[0]",
         "/G gs BT (a) Tj ET", [](const GLOB_Object& o) { return o.HasSubtype("Type3"); }},
    };
}

}  // namespace

// A form, tiling pattern or Type 3 font that every level names twice and
// uses three times is separated once per level, not once per path: the
// output holds one separated object per level and ink, however deep.
TEST_F(CSEP_PDFSeparatorTest, SharedLevelsSeparatedOncePerLevel) {
    const CSEP_SepJobContext job = NewJob({});
    for (const SharedLevels& kind : SharedLevelKinds()) {
        for (int depth : {2, 20}) {
            SCOPED_TRACE(std::string(kind.kind) + " " + std::to_string(depth));
            const GLOB_Doc doc = NewDoc();
            GLOB_Object top = kind.level(doc, GLOB_Object());
            for (int level = 1; level <= depth; ++level)
                top = kind.level(doc, top);
            const CPDF_Page page = SourcePage(doc, kind.resources, kind.content);
            page.Object().PutPath(kind.path, top);
            const Inks inks = Separate(job, page);
            ASSERT_EQ(inks.pages.size(), 4u);
            for (size_t i = 0; i < 4; ++i) {
                SCOPED_TRACE(i);
                EXPECT_EQ(CountReachable(inks.pages[i].DictGet(GLOB_Name("Resources")), kind.isSeparated),
                          static_cast<size_t>(depth + 1));
            }
        }
    }
}

// A form drawn at several stroke alphas is separated once for each kind of
// alpha that decides its marks' backdrop (0, 1, between) inside an
// isolated group, and once whatever the alpha outside any.
TEST_F(CSEP_PDFSeparatorTest, AFormIsSeparatedPerKindOfAlphaOnlyInsideAGroup) {
    const CSEP_SepJobContext job = NewJob({});
    const struct {
        const char* shows;  // each a CA the form is drawn at
        bool inGroup;
        size_t separations;
    } rows[] = {
        {"/a /b /c /z", false, 1}, {"/a /b", true, 1}, {"/a /c", true, 2}, {"/a /b /c /z", true, 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.shows) + (row.inGroup ? " in a group" : ""));
        const GLOB_Doc doc = NewDoc();
        const GLOB_Object mark =
            NewStreamObject(doc, "<< /Subtype /Form /BBox [0 0 9 9] >>", "0 0 0 1 k 1 0 0 0 K 0 0 9 9 re B");
        std::string content;
        for (std::istringstream names(row.shows); names;) {
            std::string name;
            if (names >> name)
                content += "q " + name + " gs /M Do Q ";
        }
        const char* const resources =
            "<< /XObject << >> /ExtGState << /a << /CA 0.3 >> /b << /CA 0.7 >> /c << /CA 1 >> /z << /CA 0 >> "
            "/o << /OP true /op true >> >> >>";
        GLOB_Object holder;
        CPDF_Page page;
        if (row.inGroup) {
            holder = NewStreamObject(doc, std::string("<< /Subtype /Form /BBox [0 0 9 9] /Group << /S /Transparency "
                                                      "/I true >> /Resources ") + resources + " >>",
                                     "/o gs " + content);
            page = SourcePage(doc, "<< /XObject << >> >>", "/G Do");
            page.Object().PutPath("/Resources/XObject/G", holder);
        } else {
            page = SourcePage(doc, resources, content);
            holder = page.Object();
        }
        holder.PutPath("/Resources/XObject/M", mark);
        const Inks inks = Separate(job, page);
        ASSERT_EQ(inks.pages.size(), 4u);
        const auto isMark = [](const GLOB_Object& o) {
            return o.HasSubtype("Form") && o.DictGet(GLOB_Name("Group")).IsNull();
        };
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(CountReachable(inks.pages[i].DictGet(GLOB_Name("Resources")), isMark), row.separations) << i;
    }
}

// Sharing goes by colour state: a form drawn in two colours under two
// names each, whose inner form inherits the colour, gives two separations
// of each, and the inner ones differ in the colour they begin with.
TEST_F(CSEP_PDFSeparatorTest, SharedFormInTwoColoursSeparatedTwice) {
    const CSEP_SepJobContext job = NewJob({});
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object inner = NewStreamObject(doc, "<< /Subtype /Form /BBox [0 0 9 9] >>", "0 0 9 9 re f");
    const GLOB_Object outer =
        NewStreamObject(doc, "<< /Subtype /Form /BBox [0 0 9 9] /Resources << /XObject << >> >> >>", "/X Do /Y Do");
    outer.PutPath("/Resources/XObject/X", inner);
    outer.PutPath("/Resources/XObject/Y", inner);
    const CPDF_Page page =
        SourcePage(doc, "<< /XObject << >> >>", "1 0 0 0 k /A Do /B Do 0 1 0 0 k /A Do /B Do 1 0 0 0 k /B Do");
    page.Object().PutPath("/Resources/XObject/A", outer);
    page.Object().PutPath("/Resources/XObject/B", outer);
    const Inks inks = Separate(job, page);
    ASSERT_EQ(inks.pages.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const GLOB_Object resources = inks.pages[i].DictGet(GLOB_Name("Resources"));
        const auto isOuter = [](const GLOB_Object& o) {
            return o.HasSubtype("Form") && !o.GetPath("/Resources/XObject").IsNull();
        };
        const auto isInner = [&](const GLOB_Object& o) { return o.HasSubtype("Form") && !isOuter(o); };
        EXPECT_EQ(CountReachable(resources, isOuter), 2u);
        EXPECT_EQ(CountReachable(resources, isInner), 2u);
        std::vector<GLOB_Object> inners;
        const GLOB_Dict forms = resources.GetPath("/XObject").AsDict();
        GLOB_Object form;
        for (uint32_t k = 0; forms.Entry(k, nullptr, &form); ++k)
            for (const char* name : {"/Resources/XObject/Fm1", "/Resources/XObject/Fm2"})
                if (std::find(inners.begin(), inners.end(), form.GetPath(name)) == inners.end())
                    inners.push_back(form.GetPath(name));
        std::vector<std::string> texts;
        for (const GLOB_Object& separated : inners)
            texts.push_back(StreamData(separated, 2));
        std::sort(texts.begin(), texts.end());
        const std::string gray = ForInk("{1|1|1|0} G\n", i);
        const std::string cyan = ForInk("{0|1|1|1} g\n", i) + gray;
        const std::string magenta = ForInk("{1|0|1|1} g\n", i) + gray;
        std::vector<std::string> expected = {cyan + cyan + "0 0 9 9 re\nf\n", magenta + magenta + "0 0 9 9 re\nf\n"};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(texts, expected);
    }
}

// A kept separation stands in only where a new one would pass the nesting
// limit: a chain reached again deeper than it fits ends the page as it
// always did, one that fits is shared.
TEST_F(CSEP_PDFSeparatorTest, SharedFormKeepsTheNestingLimit) {
    const auto chain = [](const GLOB_Doc& doc, int length, const GLOB_Object& end) {
        GLOB_Object next = end;
        for (int i = 0; i < length; ++i) {
            const GLOB_Object form = NewStreamObject(
                doc, "<< /Subtype /Form /BBox [0 0 9 9] /Resources << /XObject << >> >> >>", "/F Do");
            form.PutPath("/Resources/XObject/F", next);
            next = form;
        }
        return next;
    };
    const CSEP_SepJobContext job = NewJob({});
    const LogCapture quiet;
    const struct {
        int detour;  // forms before the chain is reached the second time
        const char* thrown;  // or empty
    } cases[] = {
        {20, ""},
        {30, "1128002 Form F is nested deeper than 64 levels"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.detour);
        const GLOB_Doc doc = NewDoc();
        // 40 levels: fits at the page's level, not 30 levels down.
        const GLOB_Object shared =
            chain(doc, 39, NewStreamObject(doc, "<< /Subtype /Form /BBox [0 0 9 9] >>", "0 0 1 0 k 0 0 9 9 re f"));
        // Resources are separated in name order: A at the page's level first.
        const CPDF_Page page = SourcePage(doc, "<< /XObject << >> >>", "/A Do /D Do");
        page.Object().PutPath("/Resources/XObject/A", shared);
        page.Object().PutPath("/Resources/XObject/D", chain(doc, c.detour, shared));
        if (*c.thrown) {
            EXPECT_EQ(Failure([&] { Separate(job, page); }), c.thrown);
            continue;
        }
        const Inks inks = Separate(job, page);
        EXPECT_EQ(CountReachable(inks.pages[0].DictGet(GLOB_Name("Resources")),
                                 [](const GLOB_Object& o) { return o.HasSubtype("Form"); }),
                  static_cast<size_t>(40 + c.detour));
    }
}

// Each inline image becomes an image of the output document that is sliced
// and written back inline: what stays in memory for it must follow its
// few bytes of data, not a fixed buffer per stream, and must go with the
// output.
TEST_F(CSEP_PDFSeparatorTest, InlineImagesHoldMemoryInProportionToTheirData) {
    const uint64_t baseline = GLOB_Memory_Impl::MemoryBytesHeld();
    {
        const GLOB_Doc doc = NewDoc();
        const int images = 300;
        std::string content;
        for (int i = 0; i < images; ++i) {
            std::string hex;
            for (int k = 0; k < 4 * 4 * 4; ++k)
                hex += "0123456789ABCDEF"[(k * 7 + i) % 16], hex += "0123456789ABCDEF"[(k + i) % 16];
            content += "q 9 0 0 9 0 0 cm BI /W 4 /H 4 /CS /CMYK /BPC 8 /F /AHx ID " + hex + "> EI Q\n";
        }
        const CPDF_Page page = SourcePage(doc, "<< >>", content);
        for (const uint32_t compression : {0, 1}) {
            SCOPED_TRACE(compression);
            const uint64_t before = GLOB_Memory_Impl::MemoryBytesHeld();
            const CSEP_SepJobContext job = NewJob({"Spot"}, compression);
            const Inks inks = Separate(job, page);
            ASSERT_EQ(inks.pages.size(), 5u);
            size_t drawn = 0;
            for (size_t at = inks.contents[0].find("\nEI\n"); at != std::string::npos;
                 at = inks.contents[0].find("\nEI\n", at + 1))
                ++drawn;
            EXPECT_EQ(drawn, static_cast<size_t>(images));
            // Per image: four slices of 16 samples, a blank form, the slice
            // inline in each ink's content, and the image as the content
            // gave it.
            const uint64_t held = GLOB_Memory_Impl::MemoryBytesHeld() - before;
            EXPECT_LT(held / images, 1024u) << held;
        }
    }
    EXPECT_EQ(GLOB_Memory_Impl::MemoryBytesHeld(), baseline);
}

// What the output document keeps for each inline image, which each ink's
// content then holds inline: each further image adds the objects its inks
// need and no more. A one-component image is its
// ink's image itself, and the inks it does not reach share one blank form,
// so a page of many tiny images does not hold three objects for each.
TEST_F(CSEP_PDFSeparatorTest, EachInlineImageKeepsOnlyTheObjectsItsInksNeed) {
    struct Row {
        const char* what;
        const char* image;  // BI ... EI, one pixel
        int32_t objects;    // per further image
        size_t ink;         // an ink the image reaches, and its data there
        const char* data;
    };
    const Row rows[] = {
        {"gray", "BI /W 1 /H 1 /CS /G /BPC 8 ID \x80 EI", 1, 3, "\x80"},
        {"gray, hex-encoded", "BI /W 1 /H 1 /CS /G /BPC 8 /F [/AHx] ID 80> EI", 1, 3, "80>"},
        {"spot", "BI /W 1 /H 1 /CS /CS0 /BPC 8 ID \x80 EI", 1, 4, "\x80"},
        {"gray mask", "BI /W 1 /H 1 /IM true ID \x80 EI", 1, 0, "\x80"},
        // Four slices, and the content's own image the slices are made from.
        {"CMYK", "BI /W 1 /H 1 /CS /CMYK /BPC 8 ID \x10\x20\x30\x40 EI", 5, 3, "\xbf"},
    };
    // Objects of one document are numbered in turn and never again.
    const auto nextNumber = [](const GLOB_Doc& doc) { return doc.Impl()->ObjectNumber(doc.NewDict(0, true)); };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        int32_t made[2] = {0, 0};
        for (const int images : {100, 200}) {
            const GLOB_Doc doc = NewDoc();
            std::string content;
            for (int i = 0; i < images; ++i)
                content += "q 1 0 0 1 " + std::to_string(i % 9) + " 0 cm " + row.image + " Q\n";
            const CPDF_Page page = SourcePage(
                doc, "<< /ColorSpace << /CS0 " + Spot("Spot", "DeviceCMYK", "0 0.5 1 0") + " >> >>", content);
            const CSEP_SepJobContext job = NewJob({"Spot"});
            const int32_t before = nextNumber(job.Doc());
            const Inks inks = Separate(job, page);
            made[images / 200] = nextNumber(job.Doc()) - before - 1;
            ASSERT_EQ(inks.pages.size(), 5u);
            // The last image drawn inline on the ink still holds its data.
            const std::string& text = inks.contents[row.ink];
            const size_t at = text.rfind("\nID") + 4;
            ASSERT_NE(text.rfind("\nEI\n"), std::string::npos) << text;
            EXPECT_EQ(text.substr(at, text.rfind("\nEI\n") - at), std::string(row.data));
        }
        EXPECT_EQ((made[1] - made[0]) / 100, row.objects) << made[0] << " then " << made[1];
    }
}

// A DeviceN space wider than any recipe can take fails the page at once,
// naming its colorant count, whether content or the ink lookup meets it.
TEST_F(CSEP_PDFSeparatorTest, ADeviceNOfTooManyColorantsIsRefused) {
    std::string names;
    for (int i = 0; i < 1000; ++i)
        names += "/Ink" + std::to_string(i) + " ";
    const std::string space = "[/DeviceN [" + names + "] /DeviceGray << /FunctionType 2 /Domain [0 1] /N 1 >>]";
    for (const char* ink : {"Ink0", "Cyan"}) {
        SCOPED_TRACE(ink);
        const CSEP_SepJobContext job = NewJob({ink});
        const GLOB_Doc doc = NewDoc();
        const CPDF_Page page = SourcePage(doc, "<< /ColorSpace << /CS0 " + space + " >> >>", "/CS0 cs 0 0 9 9 re f");
        EXPECT_EQ(Failure([&] { Separate(job, page); }).substr(0, 57),
                  "1128003 DeviceN colorspace has 1000 colorants, at most 31");
    }
}

// A truncated image still separates; the loss record names it and both counts.
TEST_F(CSEP_PDFSeparatorTest, ATruncatedImageIsNamedInAWarning) {
    for (size_t bytes : {59u, 60u}) {
        SCOPED_TRACE(bytes);
        const CSEP_SepJobContext job = NewJob({});
        const GLOB_Doc doc = NewDoc();
        const CPDF_Page page =
            SourcePage(doc, "<< /XObject << >> >>", "q 9 0 0 9 0 0 cm /Im0 Do Q",
                       {{"/XObject/Im0",
                         "<< /Subtype /Image /Width 5 /Height 3 /ColorSpace /DeviceCMYK /BitsPerComponent 8 >>",
                         std::string(bytes, '\x10')}});
        const LogCapture capture;
        EXPECT_EQ(Separate(job, page).pages.size(), 4u);
        std::vector<std::string> warnings;
        for (const LogCapture::Entry& e : capture.Entries())
            if (e.level == GLIB_LogWarning)
                warnings.push_back(e.text);
        EXPECT_EQ(warnings, bytes == 60 ? std::vector<std::string>{}
                                        : std::vector<std::string>{"Decoded data came short: Image /Im0 is truncated: "
                                                                   "its data hold 59 of 60 samples"});
    }
    // An inline image has no name to give.
    const CSEP_SepJobContext job = NewJob({});
    const GLOB_Doc doc = NewDoc();
    const LogCapture capture;
    const CPDF_Page page = SourcePage(doc, "<< >>",
                                      "q 9 0 0 9 0 0 cm BI /W 5 /H 3 /CS /CMYK /BPC 8 /F /AHx ID " +
                                          std::string(118, 'A') + "> EI Q");
    EXPECT_EQ(Separate(job, page).pages.size(), 4u);
    EXPECT_TRUE(capture.Contains(GLIB_LogWarning, "An inline image is truncated: its data hold 59 of 60 samples"));
}

namespace {

// Glyph procedures of the Type 3 fonts an ink's page names, each font once;
// and, walking its content, whether every code each show draws finds its
// glyph in the font the show names.
struct GlyphCount {
    size_t procedures = 0;
    bool everyShownGlyphHeld = true;
};
GlyphCount CountGlyphs(const GLOB_Object& inkPage) {
    GlyphCount count;
    const GLOB_Object fonts = inkPage.GetPath("/Resources/Font");
    GLOB_Object font;
    for (uint32_t i = 0; fonts.IsDict() && fonts.AsDict().Entry(i, nullptr, &font); ++i)
        count.procedures += font.GetPath("/CharProcs").AsDict().Size();
    CPDF_ContentParser parser;
    parser.Start(inkPage.DictGet(GLOB_Name("Contents")).OpenStream(2), inkPage.DictGet(GLOB_Name("Resources")));
    while (parser.Step()) {
        if (parser.OperatorText() != std::string("Tj"))
            continue;
        const GLOB_Object shown = parser.GraphicsState().Font();
        const GLOB_String codes = parser.Operands().Top().AsString();
        for (size_t k = 0; k < codes.Length(); ++k) {
            const GLOB_Object glyph = shown.GetPath("/Encoding/Differences").Get(codes.Data()[k] + 1u);
            count.everyShownGlyphHeld =
                count.everyShownGlyphHeld && !shown.GetPath("/CharProcs").DictGet(glyph.AsName()).IsNull();
        }
    }
    return count;
}

// A page of a Type 3 font of glyphs glyphs, each procedure "1000 0 d0 "
// procedure, showing codes in turn: a show of perShow glyphs per colour
// (Cyan tints, or all 0.5 when sameColour), colours shows.
CPDF_Page GlyphsInColoursPage(const GLOB_Doc& doc, int glyphs, const char* procedure, int colours, int perShow,
                              bool sameColour) {
    std::string differences;
    for (int g = 0; g < glyphs; ++g)
        differences += " /g" + std::to_string(g);
    std::string content = "BT /T3 1 Tf";
    for (int c = 0; c < colours; ++c) {
        const double tint = sameColour ? 0.5 : (c + 1.0) / colours;
        content += " " + std::to_string(tint) + " 0 0 0 k <";
        for (int k = 0; k < perShow; ++k) {
            char code[3];
            std::snprintf(code, sizeof code, "%02x", (c * perShow + k) % glyphs);
            content += code;
        }
        content += "> Tj";
    }
    const CPDF_Page page = SourcePage(
        doc,
        "<< /Font << /T3 << /Type /Font /Subtype /Type3 /FontBBox [0 0 1 1] /FontMatrix [0.001 0 0 0.001 0 0]"
        " /CharProcs << >> /Encoding << /Differences [0" + differences + "] >> /FirstChar 0 /LastChar " +
            std::to_string(glyphs - 1) + " /Resources << /Font << /H << /Type /Font /Subtype /Type1"
            " /BaseFont /Helvetica >> >> >> >> >> >>",
        content + " ET");
    for (int g = 0; g < glyphs; ++g)
        page.Object().PutPath(("/Resources/Font/T3/CharProcs/g" + std::to_string(g)).c_str(),
                              NewStreamObject(doc, std::string("1000 0 d0 ") + procedure));
    return page;
}

// The glyph procedures of an ink page's fonts: every entry, the distinct
// stream objects, and the distinct texts they hold.
struct Procedures {
    size_t entries = 0;
    std::vector<GLOB_Object> objects;
    std::set<std::string> texts;
};
Procedures InkProcedures(const GLOB_Object& inkPage) {
    Procedures found;
    const GLOB_Object fonts = inkPage.GetPath("/Resources/Font");
    GLOB_Object font, procedure;
    for (uint32_t i = 0; fonts.IsDict() && fonts.AsDict().Entry(i, nullptr, &font); ++i) {
        const GLOB_Object procedures = font.GetPath("/CharProcs");
        for (uint32_t k = 0; procedures.IsDict() && procedures.AsDict().Entry(k, nullptr, &procedure); ++k) {
            ++found.entries;
            if (std::find(found.objects.begin(), found.objects.end(), procedure) == found.objects.end())
                found.objects.push_back(procedure);
            found.texts.insert(StreamData(procedure, 2));
        }
    }
    return found;
}

}  // namespace

// A font of coloured glyphs shown in many colours is separated at the cost
// of the glyphs shown: the font once as it stands, and per colour that its
// shown glyphs take a font of only those glyphs; glyphs drawn where they are
// shown (a path in a colour they do not set) or setting their own colours
// need none.
TEST_F(CSEP_PDFSeparatorTest, ColouredGlyphsSeparatedPerGlyphShownNotPerColourAndGlyph) {
    constexpr int kGlyphs = 40;
    const struct {
        const char* what;
        const char* procedure;  // after "1000 0 d0 "
        int colours;
        int perShow;     // glyphs a show draws
        bool sameColour;  // every show in one colour
        size_t variantGlyphs;
    } rows[] = {
        {"text in the fill colour, a glyph a colour", "BT /H 1 Tf (a) Tj ET", 12, 1, false, 12},
        {"text in the fill colour, two glyphs a colour", "BT /H 1 Tf (a) Tj ET", 12, 2, false, 24},
        {"a stencil mask, every show in one colour", "BI /W 1 /H 1 /IM true ID \x80 EI", 12, 1, true, 12},
        // Black, the stroke colour of every show, is a colour it takes.
        {"text stroked in mode 1, the fill colour changing", "1 Tr BT /H 1 Tf (a) Tj ET", 12, 1, false, 12},
        {"a path in the fill colour", "0 0 1 1 re f", 12, 1, false, 0},
        {"a path in a colour of its own", "0 1 0 0 k 0 0 1 1 re f", 12, 1, false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const GLOB_Doc doc = NewDoc();
        const CPDF_Page page =
            GlyphsInColoursPage(doc, kGlyphs, row.procedure, row.colours, row.perShow, row.sameColour);
        const Inks inks = Separate(NewJob({}), page);
        ASSERT_EQ(inks.pages.size(), 4u);
        for (const GLOB_Object& inkPage : inks.pages) {
            const GlyphCount count = CountGlyphs(inkPage);
            EXPECT_EQ(count.procedures, kGlyphs + row.variantGlyphs);
            EXPECT_TRUE(count.everyShownGlyphHeld);
        }
    }
}

// Copies of coloured glyphs cost what they write: each is written in
// memory, without a temporary file of its own, and an ink's procedures
// written alike in many colours are one stream. Only the page's own
// content keeps a file per ink, as an external stream, and a procedure
// longer than is held in memory moves into a file of its own whole.
TEST_F(CSEP_PDFSeparatorTest, GlyphCopiesTakeNoFileOfTheirOwnAndShareWhatTheyWriteAlike) {
    constexpr int kGlyphs = 30;
    std::string longPath = "0 0 m";
    while (longPath.size() <= CSEP_InkOutputs::HeldBytes)
        longPath += " 1 1 l 2 0 l";
    longPath += " S";
    const struct {
        const char* what;
        std::string procedure;  // after "1000 0 d0 "
        int colours;
        uint32_t externalStreams;
        bool copies;  // the shows make copies of the glyphs in their colours
    } rows[] = {
        {"text taking the colour, external streams", "BT /H 1 Tf (a) Tj ET", 12, 1, true},
        {"text taking the colour, embedded streams", "BT /H 1 Tf (a) Tj ET", 12, 0, true},
        {"a stencil mask in the colour", "BI /W 1 /H 1 /IM true ID \x80 EI", 8, 1, true},
        {"a path in a colour of its own", "0 1 0 0 k 0 0 1 1 re f", 12, 1, false},
        {"a path longer than is held, stroked in the colour", longPath, 4, 1, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const bool held = row.procedure.size() < CSEP_InkOutputs::HeldBytes;
        const GLOB_Doc doc = NewDoc();
        const CPDF_Page page = GlyphsInColoursPage(doc, kGlyphs, row.procedure.c_str(), row.colours, 3, false);
        const CSEP_SepJobContext job = NewJob({}, 1, row.externalStreams);
        const Inks inks = Separate(job, page);
        ASSERT_EQ(inks.pages.size(), 4u);
        size_t entries = 0, objects = 0;
        for (const GLOB_Object& inkPage : inks.pages) {
            const Procedures procedures = InkProcedures(inkPage);
            EXPECT_EQ(procedures.objects.size(), held ? procedures.texts.size() : procedures.entries);
            // Whole: each ends as the procedure does, and holds all of it.
            for (const std::string& text : procedures.texts) {
                EXPECT_EQ(text.substr(text.size() - 2), row.procedure.substr(row.procedure.size() - 1) + "\n");
                EXPECT_GT(text.size(), row.procedure.size());
            }
            entries += procedures.entries;
            objects += procedures.objects.size();
        }
        EXPECT_EQ(JobTempFileCount(), row.externalStreams == 0 ? 0 : held ? 4 : static_cast<std::ptrdiff_t>(4 + entries));
        // Only Cyan's copies differ from colour to colour.
        if (row.copies) {
            EXPECT_LT(objects * 2, entries);
        }
    }
}
