#include "ZOVA_ToolFixture.h"

#include "../../viewer/cos/VCOS_TestPdf.h"
#include "GLIB/GLIB_Log.h"
#include "hostpdf/COSF_PDFL_Library.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_PDCalls.h"
#include "viewer/VIEW_AVDocs.h"
#include "viewer/VIEW_PageViews.h"
#include "viewer/VIEW_Tools.h"
#include "win32/win32_driver.h"

namespace {

std::vector<ZOVA_LogLine>& Lines() {
    static std::vector<ZOVA_LogLine> lines;
    return lines;
}

int KeepLine(int32_t level, const char* text, const char*, int32_t) {
    Lines().push_back({level, text ? text : ""});
    return 0;
}

}  // namespace

void ZOVA_ToolTest::SetUp() {
    ReportTest::SetUp();
    Win32Driver::SetScreenSize(640, 480);
    COSF_PDFL_Library::Initialize();
    GLIB_SetLogger(&KeepLine);
    Lines().clear();
    m_tool = std::make_unique<ZOVA_ColorSepTool>();
    m_tool->Register();
}

void ZOVA_ToolTest::TearDown() {
    if (m_tool) {
        m_tool->Unregister();
        m_tool->ColorDialog().Destroy();
        m_tool.reset();
    }
    EXPECT_EQ(TempFiles(), std::vector<std::string>());
    ReportTest::TearDown();
}

PDFL_AVDoc ZOVA_ToolTest::OpenPdf(const std::string& pdf) {
    const std::string path = m_docs.File("page" + std::to_string(++m_count) + ".pdf");
    WriteWholeFile(path, pdf);
    const PDFL_ASPathName name = PDFL_ASPathFromPlatformPath(path.c_str());
    const PDFL_PDDoc doc = PDFL_PDDocOpen(name, nullptr, nullptr, 0);
    PDFL_ASFileSysReleasePath(PDFL_ASGetDefaultFileSys(), name);
    return VIEW_AVDocs::OpenFromPDDoc(doc, "page");
}

PDFL_AVDoc ZOVA_ToolTest::OpenPage(const std::string& resources, const std::string& content,
                                   const std::vector<std::string>& more) {
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources " + resources +
            " /Contents 4 0 R >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream"};
    objects.insert(objects.end(), more.begin(), more.end());
    return OpenPdf(VCOS_MakePdf("%PDF-1.4", objects));
}

PDFL_AVDoc ZOVA_ToolTest::OpenPages(int count, int rotate) {
    std::string kids;
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", ""};
    for (int i = 0; i < count; ++i) {
        kids += std::to_string(i + 3) + " 0 R ";
        objects.push_back("<< /Type /Page /Parent 2 0 R /Rotate " + std::to_string(rotate) + " >>");
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(count) +
                 " /MediaBox [0 0 612 792] /Resources << >> >>";
    return OpenPdf(VCOS_MakePdf("%PDF-1.4", objects));
}

PDFL_AVPageView ZOVA_ToolTest::FrontPageView() {
    return VIEW_AVDocs::PageView(VIEW_AVDocs::Front());
}

void ZOVA_ToolTest::Activate() {
    VIEW_CallPlugin([&] { VIEW_Tools::SetActiveTool(m_tool->HostTool(), 0); });
}

PDFL_AVPageView ZOVA_ToolTest::TenViewsOfElevenPages() {
    OpenPages(11);
    Activate();
    const PDFL_AVPageView pageView = FrontPageView();
    for (int32_t i = 1; i < 10; ++i)
        VIEW_PageViews::GoToPage(pageView, i);
    return pageView;
}

namespace {

std::string ItemText(ZOVA_ColorDialog& dialog, uint16_t id) {
    char text[256];
    GetWindowTextA(dialog.ItemHandle(id), text, sizeof text);
    return text;
}

}  // namespace

std::string ZOVA_ToolTest::StatusText() { return ItemText(m_tool->ColorDialog(), 1021); }

std::string ZOVA_ToolTest::ButtonText() { return ItemText(m_tool->ColorDialog(), 1022); }

bool ZOVA_ToolTest::ButtonEnabled() {
    return IsWindowEnabled(m_tool->ColorDialog().ItemHandle(1022)) != 0;
}

std::vector<ZOVA_LogLine> ZOVA_ToolTest::Logs(int32_t level) {
    std::vector<ZOVA_LogLine> kept;
    for (const ZOVA_LogLine& line : Lines())
        if (line.m_level <= level)
            kept.push_back(line);
    return kept;
}

void ZOVA_ToolTest::ClearLogs() { Lines().clear(); }

size_t ZOVA_ToolTest::DocCreations() {
    size_t count = 0;
    for (const VIEW_Call& call : VIEW_Recorder::Calls())
        count += call.m_table == PDFL_PDModelTable && call.m_slot == 69;
    return count;
}
