// The separations tool in the stand-in host: the plug-in's resources and
// reporting in place, the tool registered, documents opened as front
// documents, every log line kept, and TMPDIR a fresh folder that must end
// empty.
#pragma once

#include "../XCHG/XCHG_ReportFixture.h"

#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"
#include "win32/TmpDirScope.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

struct ZOVA_LogLine {
    int32_t m_level;
    std::string m_text;
};

class ZOVA_ToolTest : public ReportTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A one-page document whose page has the given resources and content,
    // 612 × 792, objects 5 on from more, opened as the front document.
    PDFL_AVDoc OpenPage(const std::string& resources, const std::string& content,
                        const std::vector<std::string>& more = {});
    PDFL_AVDoc OpenPdf(const std::string& pdf);
    // count empty pages of 612 × 792, rotated by rotate.
    PDFL_AVDoc OpenPages(int count, int rotate = 0);
    // The front document's page view.
    static PDFL_AVPageView FrontPageView();
    // Picks the tool: its windows are made and shown.
    void Activate();
    // Eleven pages open, the tool picked, and pages 1 to 9 gone to in turn,
    // so that the tool holds its ten views; the front page view.
    PDFL_AVPageView TenViewsOfElevenPages();

    std::string StatusText();
    std::string ButtonText();
    bool ButtonEnabled();
    // Log lines of level at most level.
    static std::vector<ZOVA_LogLine> Logs(int32_t level = 2);
    static void ClearLogs();
    std::vector<std::string> TempFiles() const { return m_tmp.Dir().List(); }
    // Documents the stand-in created (PDModel 69): one per separation.
    static size_t DocCreations();

    std::unique_ptr<ZOVA_ColorSepTool> m_tool;
    ScratchDir m_docs;

private:
    TmpDirScope m_tmp;
    int m_count = 0;
};
