// Separating the current view's page through the stand-in host: output
// pages per ink, progress, Stop, refusals and failures, and no temporary
// file left behind.
#include "ZOVA_ToolFixture.h"

#include "hostpdf/PDFL_PDCalls.h"
#include "viewer/VIEW_App.h"
#include "viewer/VIEW_AVDocs.h"
#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_Progress.h"
#include "win32/win32_driver.h"

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
