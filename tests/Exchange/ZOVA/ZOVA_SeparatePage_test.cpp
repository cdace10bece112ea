// Separating the current view's page through the stand-in host: output
// pages per ink, progress, Stop, refusals and failures, and no temporary
// file left behind.
#include "ZOVA_ToolFixture.h"

#include "../../viewer/cos/VCOS_TestPdf.h"

#include "hostpdf/PDFL_PDCalls.h"
#include "viewer/VIEW_App.h"
#include "viewer/VIEW_AVDocs.h"
#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PageViews.h"
#include "viewer/VIEW_Progress.h"
#include "win32/win32_driver.h"

#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const kAlert2002 = "An error occured trying to separate this page.";
const char* const kAlert2003 =
    "The Tintscope is not able to \nseparate some objects on this page.  \n\nThe page must be run "
    "through the \nQuillark TintAdjuster before it can \nbe viewed with the Tintscope.";

const char* const kSpots =
    "<< /ColorSpace << "
    "/CS0 [/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] /N 1 /C0 [0 0 0 0] /C1 [0 0.2 0.9 0.1] >>] "
    "/CS1 [/Separation /Silver /DeviceCMYK << /FunctionType 2 /Domain [0 1] /N 1 /C0 [0 0 0 0] /C1 [0 0 0 0.3] >>] "
    ">> >>";

// 232,000 bytes, read in 29 chunks of 8 KiB: the job polls 14 times.
std::string LongContent() {
    std::string content;
    for (int i = 0; i < 8000; ++i)
        content += "0 1 0 0 k 10 10 100 100 re f\n";
    return content;
}

// A 1 × 1 image; its colour space is damaged later.
std::string ImageObject() {
    return "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray"
           " /Length 1 >>\nstream\nx\nendstream";
}

std::string StreamObject(const std::string& data) {
    return "<< /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

class ZOVA_Separate : public ZOVA_ToolTest {
protected:
    // Opens the page, picks the tool; the page's view is current.
    void Show(const std::string& resources, const std::string& content,
              const std::vector<std::string>& more = {}) {
        OpenPage(resources, content, more);
        Activate();
        ASSERT_TRUE(m_tool->HasCurrentView());
        VIEW_App::ClearAlerts();
        ClearLogs();
    }
    std::vector<std::string> InkNames() {
        std::vector<CPDF_Colorant> names;
        m_tool->CurrentView().ColorantNames(names);
        std::vector<std::string> texts;
        for (const CPDF_Colorant& name : names)
            texts.push_back(name.Name().CStr());
        return texts;
    }
    bool Separate() {
        return VIEW_CallPlugin([&] { return m_tool->SeparatePage(); });
    }
    // The files the host opened (its file system's word 1): the output
    // documents.
    static std::vector<std::string> HostOpenedPaths() {
        std::vector<std::string> paths;
        for (const VIEW_FileSysCall& call : VIEW_FileSys::CallsOf(1))
            if (call.m_path.find("/VDQ") != std::string::npos)
                paths.push_back(call.m_path);
        return paths;
    }
    static bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
    void ExpectOneLog(const std::string& prefix) {
        const std::vector<ZOVA_LogLine> lines = Logs();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].m_level, 2);
        EXPECT_EQ(lines[0].m_text.rfind(prefix, 0), 0u) << lines[0].m_text;
    }
};

}  // namespace

TEST_F(ZOVA_Separate, ProcessInksOnlyGiveFourPages) {
    Show("<< >>", "0 1 0 0 k 10 10 100 100 re f");
    ASSERT_TRUE(Separate());
    ZOVA_View& view = m_tool->CurrentView();
    ASSERT_NE(view.OutputDoc(), nullptr);
    EXPECT_EQ(PDFL_PDDocGetNumPages(view.OutputDoc()), 4);
    EXPECT_EQ(InkNames(), (std::vector<std::string>{"Cyan", "Magenta", "Yellow", "Black"}));
    EXPECT_NE(PDFL_PDDocGetFlags(view.OutputDoc()) & 8, 0);
    EXPECT_EQ(view.PageState(), 2);
    EXPECT_EQ(StatusText(), "Rendering...");
    EXPECT_TRUE(VIEW_App::Alerts().empty());
    // The reopened file is the host's now; the view's job keeps its streams.
    const std::vector<std::string> outputs = HostOpenedPaths();
    ASSERT_FALSE(outputs.empty());
    EXPECT_TRUE(Exists(outputs.back()));
    view.Clear();
    EXPECT_EQ(TempFiles(), std::vector<std::string>());
}

TEST_F(ZOVA_Separate, SpotInksFollowInResourceOrderWithTheProgressRecord) {
    Show(kSpots, "/CS1 cs 1 sc 0 0 50 50 re f /CS0 cs 0.5 sc 50 50 50 50 re f");
    ASSERT_TRUE(Separate());
    EXPECT_EQ(PDFL_PDDocGetNumPages(m_tool->CurrentView().OutputDoc()), 6);
    EXPECT_EQ(InkNames(),
              (std::vector<std::string>{"Cyan", "Magenta", "Yellow", "Black", "Gold", "Silver"}));

    const std::vector<VIEW_ProgressEvent>& events = VIEW_Progress::Events();
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events[0], (VIEW_ProgressEvent{VIEW_ProgressKind::Duration, 100}));
    EXPECT_EQ(events[1], (VIEW_ProgressEvent{VIEW_ProgressKind::Begin, 0}));
    EXPECT_EQ(events[events.size() - 2], (VIEW_ProgressEvent{VIEW_ProgressKind::Value, 100}));
    EXPECT_EQ(events.back(), (VIEW_ProgressEvent{VIEW_ProgressKind::End, 0}));
    int32_t last = -1;
    size_t ends = 0;
    for (const VIEW_ProgressEvent& e : events) {
        ends += e.m_kind == VIEW_ProgressKind::End;
        if (e.m_kind == VIEW_ProgressKind::Value) {
            EXPECT_GE(e.m_value, last);
            last = e.m_value;
        }
    }
    EXPECT_EQ(ends, 1u);
    m_tool->CurrentView().Clear();
}

TEST_F(ZOVA_Separate, ContentThatCannotBeSeparatedShowsString2003) {
    Show("<< >>", "1 0 0 rg 0 0 10 10 re f");
    EXPECT_FALSE(Separate());
    ExpectOneLog("Error separting page: ");
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{kAlert2003});
    EXPECT_EQ(m_tool->CurrentView().PageState(), 0);
    EXPECT_EQ(m_tool->CurrentView().OutputDoc(), nullptr);
    EXPECT_EQ(TempFiles(), std::vector<std::string>());
}

TEST_F(ZOVA_Separate, ASaveThatFailsAfterTheCommitKeepsTheNewJob) {
    Show("<< >>", "0 1 0 0 k 10 10 100 100 re f");
    VIEW_FileSys::LimitWrites(8, 0);
    EXPECT_FALSE(Separate());
    ExpectOneLog("Exception separating page: ");
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{kAlert2002});
    EXPECT_EQ(m_tool->CurrentView().PageState(), 2);
    EXPECT_EQ(m_tool->CurrentView().OutputDoc(), nullptr);
    const std::vector<std::string> outputs = HostOpenedPaths();
    ASSERT_FALSE(outputs.empty());
    for (const std::string& path : outputs)
        EXPECT_FALSE(Exists(path)) << path;
    EXPECT_FALSE(TempFiles().empty()) << "the job's stream files stay with the view";
    m_tool->CurrentView().Clear();
    EXPECT_EQ(TempFiles(), std::vector<std::string>());
}

TEST_F(ZOVA_Separate, SeparatingAgainAfterAContentsChangeReplacesTheOutput) {
    Show("<< >>", "0 1 0 0 k 10 10 100 100 re f");
    const size_t before = DocCreations();
    ASSERT_TRUE(Separate());
    const std::vector<std::string> firstFiles = TempFiles();
    const PDFL_PDPage page = m_tool->CurrentView().Page().HostPage();
    VIEW_CallPlugin([&] { VIEW_AVDocs::PageContentsDidChange(page); });
    EXPECT_EQ(m_tool->CurrentView().PageState(), 0);
    EXPECT_EQ(m_tool->CurrentView().OutputDoc(), nullptr);
    ASSERT_TRUE(Separate());
    EXPECT_EQ(DocCreations() - before, 2u);
    for (const std::string& name : firstFiles)
        for (const std::string& now : TempFiles())
            EXPECT_NE(name, now) << "the first job's files are gone";
    m_tool->CurrentView().Clear();
}

TEST_F(ZOVA_Separate, UpdateSeparatesAndAFailureNeedsRender) {
    Show("<< >>", "1 0 0 rg 0 0 10 10 re f");
    VIEW_CallPlugin([&] { m_tool->ColorDialog().Command(1022, 0); });
    EXPECT_EQ(m_tool->CurrentView().PageState(), 3);
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{kAlert2003});
    EXPECT_EQ(DocCreations() > 0, true);
}

TEST_F(ZOVA_Separate, StopDuringSeparationEndsQuietly) {
    Show("<< >>", LongContent());
    // Each poll of the job peeks once at the Stop button's messages.
    const auto peeks = std::make_shared<int>(0);
    for (unsigned n = 1; n <= 10; ++n)
        Win32Driver::AtPeek(n, [peeks] { ++*peeks; });
    ASSERT_TRUE(Separate());
    ASSERT_EQ(*peeks, 10) << "the page's job polls at least ten times";
    m_tool->CurrentView().Clear();
    // The same page again, in a view without a job.
    Show("<< >>", LongContent());
    ASSERT_EQ(TempFiles(), std::vector<std::string>());

    // What the window said when the user clicked.
    struct Seen {
        bool m_clicked = false;
        std::string m_status, m_button;
    };
    const auto seen = std::make_shared<Seen>();
    const HWND stop = m_tool->ColorDialog().StopButton();
    ASSERT_NE(stop, nullptr);
    Win32Driver::AtPeek(5, [this, seen, stop] {
        seen->m_clicked = true;
        seen->m_status = StatusText();
        seen->m_button = ButtonText();
        Win32Driver::PressButton(stop);
    });
    EXPECT_FALSE(Separate());
    // A click still waiting must not outlive this test.
    MSG unused;
    for (int i = 0; i < 5 && !seen->m_clicked; ++i)
        PeekMessageA(&unused, reinterpret_cast<HWND>(-1), 0, 0, PM_NOREMOVE);
    EXPECT_TRUE(seen->m_clicked);
    EXPECT_EQ(seen->m_status, "Separating Page...");
    EXPECT_EQ(seen->m_button, "Stop");
    EXPECT_TRUE(m_tool->CancelMgr().IsCancelled());
    EXPECT_EQ(m_tool->CurrentView().PageState(), 0);
    EXPECT_EQ(StatusText(), "Needs Update");
    EXPECT_EQ(ButtonText(), "Update");
    EXPECT_EQ(m_tool->CurrentView().OutputDoc(), nullptr);
    EXPECT_TRUE(VIEW_App::Alerts().empty());
    EXPECT_TRUE(Logs().empty());
    EXPECT_EQ(TempFiles(), std::vector<std::string>());
}

// An image whose colour space is no colour space raises the content model's
// 1128003, which is no cancel: once when the tool gathers the page's inks,
// before the page state changes, once only inside the separation (a Type 3
// glyph of a graphics state's font, which the ink gathering never reaches),
// where the state falls back to 0. The view keeps its output and its job.
TEST_F(ZOVA_Separate, AnImageWithAnInvalidColourSpaceShowsString2002AndKeepsThePreviousJob) {
    const std::string glyph = "0 0 0 0 10 10 d1 q 10 0 0 10 0 0 cm /Im0 Do Q";
    const struct {
        const char* name;
        std::string resources, content;
        std::vector<std::string> more;
        const char* image;  // path from the page's resources
        bool separating;    // failed after the state went to 1
    } pages[] = {
        {"drawn by the page", "<< /XObject << /Im0 5 0 R >> >>", "q 100 0 0 100 0 0 cm /Im0 Do Q", {ImageObject()},
         "/XObject/Im0", false},
        {"drawn by a glyph", "<< /ExtGState << /GS0 << /Font [5 0 R 12] >> >> >>", "/GS0 gs BT (a) Tj ET",
         {"<< /Type /Font /Subtype /Type3 /FontBBox [0 0 10 10] /FontMatrix [0.1 0 0 0.1 0 0]"
          " /CharProcs << /a 6 0 R >> /Encoding << /Differences [97 /a] >> /FirstChar 97 /LastChar 97"
          " /Widths [10] /Resources << /XObject << /Im0 7 0 R >> >> >>",
          StreamObject(glyph), ImageObject()},
         "/ExtGState/GS0/Font[0]/Resources/XObject/Im0", true},
    };
    for (const auto& p : pages) {
        SCOPED_TRACE(p.name);
        Show(p.resources, p.content, p.more);
        ASSERT_TRUE(Separate());
        const std::vector<std::string> firstJob = TempFiles();
        ASSERT_FALSE(firstJob.empty());
        const PDFL_PDDoc firstOutput = m_tool->CurrentView().OutputDoc();
        const int32_t firstState = m_tool->CurrentView().PageState();
        // The page's image damaged in the host document.
        const GLOB_Object image = m_tool->CurrentView().Page().Page().ResourcesDict().Dict().GetPath(p.image);
        ASSERT_TRUE(image.IsStream());
        image.PutPath("ColorSpace", image.Doc().NewName(GLOB_Name("Foo")));
        VIEW_App::ClearAlerts();
        ClearLogs();

        EXPECT_FALSE(Separate());
        EXPECT_FALSE(m_tool->CancelMgr().IsCancelled());
        ExpectOneLog("Exception separating page: ");
        for (const ZOVA_LogLine& line : Logs())
            EXPECT_NE(line.m_text.find("Unknown ColorSpace name: Foo"), std::string::npos) << line.m_text;
        EXPECT_EQ(AlertTexts(), std::vector<std::string>{kAlert2002});
        if (p.separating) {
            EXPECT_EQ(m_tool->CurrentView().PageState(), 0);
            EXPECT_EQ(StatusText(), "Needs Update");
        } else {
            EXPECT_EQ(m_tool->CurrentView().PageState(), firstState);
        }
        EXPECT_EQ(m_tool->CurrentView().OutputDoc(), firstOutput);
        EXPECT_EQ(TempFiles(), firstJob) << "the view keeps its job; the failed one left nothing";
        m_tool->CurrentView().Clear();
    }
}

// A contents change that leaves the page unseparable keeps the page in its
// view; Update then says what is wrong, and mending the page renders it.
TEST_F(ZOVA_Separate, AContentsChangeThatBreaksThePageKeepsItsViewAndUpdateSaysWhy) {
    Show("<< /XObject << /Im0 5 0 R >> >>", "q 100 0 0 100 0 0 cm /Im0 Do Q", {ImageObject()});
    VIEW_CallPlugin([&] { m_tool->ColorDialog().Command(1022, 0); });
    ASSERT_EQ(m_tool->CurrentView().PageState(), 5);
    const PDFL_PDPage page = m_tool->CurrentView().Page().HostPage();
    const GLOB_Object image = m_tool->CurrentView().Page().Page().ResourcesDict().Dict().GetPath("/XObject/Im0");
    ASSERT_TRUE(image.IsStream());
    const auto changed = [&](const char* space) {
        image.PutPath("ColorSpace", image.Doc().NewName(GLOB_Name(space)));
        VIEW_App::ClearAlerts();
        ClearLogs();
        VIEW_CallPlugin([&] { VIEW_AVDocs::PageContentsDidChange(page); });
    };

    changed("Foo");
    ASSERT_TRUE(m_tool->HasCurrentView());
    ZOVA_View& view = m_tool->CurrentView();
    EXPECT_FALSE(view.Page().IsNull());
    EXPECT_EQ(view.Page().Number(), 0u);
    EXPECT_EQ(view.PageState(), 0);
    EXPECT_EQ(StatusText(), "Needs Update");
    EXPECT_EQ(view.OutputDoc(), nullptr);
    EXPECT_EQ(InkNames(), (std::vector<std::string>{"Cyan", "Magenta", "Yellow", "Black"}));
    EXPECT_TRUE(VIEW_App::Alerts().empty());
    EXPECT_TRUE(Logs().empty()) << Logs().front().m_text;
    EXPECT_EQ(TempFiles(), std::vector<std::string>()) << "the stale job's files went";

    ClearLogs();
    VIEW_CallPlugin([&] { m_tool->ColorDialog().Command(1022, 0); });
    ExpectOneLog("Exception separating page: ");
    EXPECT_NE(Logs().front().m_text.find("Unknown ColorSpace name: Foo"), std::string::npos);
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{kAlert2002});
    EXPECT_EQ(view.PageState(), 3);

    changed("DeviceGray");
    VIEW_CallPlugin([&] { m_tool->ColorDialog().Command(1022, 0); });
    EXPECT_EQ(&m_tool->CurrentView(), &view);
    EXPECT_EQ(view.PageState(), 5);
    EXPECT_TRUE(VIEW_App::Alerts().empty());
    EXPECT_TRUE(Logs().empty());
    view.Clear();
}

// A page whose inks cannot be gathered, reached by picking the tool over it
// or by going to it with ten views open, is held in state 0 without a fault
// leaving the host's call; Update then says what is wrong with it. The other
// views keep their pages.
TEST_F(ZOVA_Separate, APageThatCannotBeModelledWhenShownWaitsForUpdateToSayWhy) {
    const std::string brokenImage = "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8"
                                    " /ColorSpace /Foo /Length 1 >>\nstream\nx\nendstream";
    const std::string content = "q 100 0 0 100 0 0 cm /Im0 Do Q";
    const auto openPages = [&](int plain) {
        // plain empty pages, then the broken one.
        std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", ""};
        std::string kids;
        const int broken = plain + 3;
        for (int i = 3; i < broken; ++i) {
            kids += std::to_string(i) + " 0 R ";
            objects.push_back("<< /Type /Page /Parent 2 0 R >>");
        }
        kids += std::to_string(broken) + " 0 R";
        objects.push_back("<< /Type /Page /Parent 2 0 R /Resources << /XObject << /Im0 " +
                          std::to_string(broken + 2) + " 0 R >> >> /Contents " + std::to_string(broken + 1) +
                          " 0 R >>");
        objects.push_back(StreamObject(content));
        objects.push_back(brokenImage);
        objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(plain + 1) +
                     " /MediaBox [0 0 612 792] /Resources << >> >>";
        OpenPdf(VCOS_MakePdf("%PDF-1.4", objects));
    };
    const struct {
        const char* name;
        int plain;  // pages before the broken one
    } cases[] = {{"the tool picked over it", 0}, {"gone to with ten views open", 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openPages(c.plain);
        VIEW_App::ClearAlerts();
        ClearLogs();
        if (c.plain == 0) {
            EXPECT_NO_THROW(Activate());
        } else {
            Activate();
            for (int32_t i = 1; i < c.plain; ++i)
                VIEW_PageViews::GoToPage(FrontPageView(), i);
            ASSERT_EQ(m_tool->Views().size(), 10u);
            EXPECT_NO_THROW(VIEW_PageViews::GoToPage(FrontPageView(), c.plain));
        }
        ASSERT_TRUE(m_tool->HasCurrentView());
        ZOVA_View& view = m_tool->CurrentView();
        EXPECT_EQ(view.Page().Number(), static_cast<uint32_t>(c.plain));
        EXPECT_EQ(view.PageState(), 0);
        EXPECT_EQ(StatusText(), "Needs Update");
        EXPECT_EQ(InkNames(), (std::vector<std::string>{"Cyan", "Magenta", "Yellow", "Black"}));
        EXPECT_EQ(AlertTexts(), std::vector<std::string>());
        EXPECT_TRUE(Logs().empty()) << Logs().front().m_text;
        if (c.plain > 0) {
            // The reused front view took the page; the other nine kept theirs.
            ASSERT_EQ(m_tool->Views().size(), 10u);
            EXPECT_EQ(m_tool->Views().front().get(), &view);
            uint32_t number = 1;
            for (auto it = std::next(m_tool->Views().begin()); it != m_tool->Views().end(); ++it)
                EXPECT_EQ((*it)->Page().Number(), number++);
        }

        VIEW_CallPlugin([&] { m_tool->ColorDialog().Command(1022, 0); });
        ExpectOneLog("Exception separating page: ");
        EXPECT_NE(Logs().front().m_text.find("Unknown ColorSpace name: Foo"), std::string::npos);
        EXPECT_EQ(AlertTexts(), std::vector<std::string>{kAlert2002});
        EXPECT_EQ(view.PageState(), 3);
        EXPECT_EQ(StatusText(), "Needs Update");
        EXPECT_EQ(TempFiles(), std::vector<std::string>());
        VIEW_AVDocs::Close(VIEW_AVDocs::Front());
    }
}

// A finished job the view keeps no longer hears the source document: the
// same page polls as often the second time it is separated.
TEST_F(ZOVA_Separate, SeparatingAgainPollsNoMoreThanTheFirstTime) {
    Show("<< >>", LongContent());
    const auto counting = std::make_shared<bool>(true);
    const auto peeks = std::make_shared<int>(0);
    const auto peeksOf = [&] {
        *peeks = 0;
        for (unsigned n = 1; n <= 100; ++n)
            Win32Driver::AtPeek(n, [counting, peeks] { *peeks += *counting ? 1 : 0; });
        EXPECT_TRUE(Separate());
        const int made = *peeks;
        *counting = false;
        MSG unused;
        for (int i = 0; i < 100; ++i)
            PeekMessageA(&unused, reinterpret_cast<HWND>(-1), 0, 0, PM_NOREMOVE);
        *counting = true;
        return made;
    };
    const int first = peeksOf();
    ASSERT_GE(first, 10);
    ASSERT_LT(first, 100);
    // The output document goes, so that the view separates again.
    m_tool->CurrentView().SetOutputDoc(nullptr);
    EXPECT_EQ(peeksOf(), first);
    EXPECT_EQ(peeksOf(), first);
    m_tool->CurrentView().Clear();
}

// A blank page may have no resources at all, with or without contents.
TEST_F(ZOVA_Separate, APageWithoutResourcesIsBlankInFourPlates) {
    const struct {
        const char* name;
        std::string page;
        std::vector<std::string> more;
    } rows[] = {
        {"no contents", "<< /Type /Page /MediaBox [0 0 612 792] /Parent 2 0 R >>", {}},
        {"contents", "<< /Type /Page /MediaBox [0 0 612 792] /Parent 2 0 R /Contents 4 0 R >>",
         {StreamObject("0 0 0 1 k")}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>",
                                            "<< /Type /Pages /Kids [3 0 R] /Count 1 >>", row.page};
        objects.insert(objects.end(), row.more.begin(), row.more.end());
        VIEW_App::ClearAlerts();
        OpenPdf(VCOS_MakePdf("%PDF-1.4", objects));
        Activate();
        EXPECT_TRUE(VIEW_App::Alerts().empty());
        ASSERT_TRUE(m_tool->HasCurrentView());
        EXPECT_EQ(InkNames(), (std::vector<std::string>{"Cyan", "Magenta", "Yellow", "Black"}));
        VIEW_CallPlugin([&] { m_tool->ColorDialog().Command(1022, 0); });
        ZOVA_View& view = m_tool->CurrentView();
        EXPECT_EQ(view.PageState(), 5);
        EXPECT_TRUE(VIEW_App::Alerts().empty());
        EXPECT_TRUE(Logs().empty());
        ASSERT_NE(view.OutputDoc(), nullptr);
        EXPECT_EQ(PDFL_PDDocGetNumPages(view.OutputDoc()), 4);
        // Nothing inked: the window's part of the view image is paper.
        const uint32_t* pixels = m_tool->ViewImage().LockData();
        const int32_t stride = m_tool->ViewImage().RowBytes() / 4;
        int inked = 0;
        for (int32_t y = 0; y < m_tool->WindowHeight(); ++y)
            for (int32_t x = 0; x < m_tool->WindowWidth(); ++x)
                inked += (pixels[y * stride + x] & 0xFFFFFF) != 0xFFFFFF;
        m_tool->ViewImage().UnlockData();
        EXPECT_EQ(inked, 0);
        view.Clear();
    }
}
