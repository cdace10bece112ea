// The program on corpus files, as the built binary, and its progress lines
// on a busy page with the test clock moved past the threshold while the
// job polls.
#include "TS_ProgramFixture.h"

#include "support/Corpus.h"
#include "viewer/VIEW_Windows.h"
#include "win32/win32_driver.h"

#include <functional>

namespace {

TEST_F(TS_ProgramTest, APasswordFileGivesOneLineAndNoOutput) {
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
    const std::string file = CorpusFile("pdfjs_bug1782186.pdf");
    const TS_Run run = Run(WithOut({file}));
    EXPECT_EQ(run.m_code, 1);
    ASSERT_EQ(run.Lines().size(), 1u) << run.m_err;
    EXPECT_EQ(run.m_err.rfind("tintscope: " + file + ": cannot be opened: A password is needed", 0), 0u) << run.m_err;
    EXPECT_EQ(m_out.List(), std::vector<std::string>());
}

TEST_F(TS_ProgramTest, ACutFileIsRepairedAndSaysItsWarnings) {
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
    const std::string whole = ReadWholeFile(CorpusFile("pdfjs_devicen.pdf"));
    ASSERT_GT(whole.size(), 15372u);
    const std::string file = WriteFile("cut.pdf", whole.substr(0, 15372));
    const TS_Run run = Run(WithOut({file}));
    EXPECT_EQ(run.m_code, 0) << run.m_err;
    // Spot inks the engine gives no recipe say so before it.
    ASSERT_FALSE(run.Lines().empty());
    EXPECT_EQ(run.Lines().back(), "tintscope: " + file + ": repaired, 3 warnings") << run.m_err;
    EXPECT_EQ(ReadWholeFile(m_out.File("inks.txt")).substr(0, 14), "dpi 300 mag 1\n");
}

TEST_F(TS_ProgramTest, TheBinaryWritesTheSamplePageAndRefusesBadArguments) {
    TS_Run run = RunBinary(WithOut({"--untick", "Spot"}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_EQ(run.m_err, "");
    const std::vector<std::string> written = m_out.List();
    EXPECT_EQ(written, (std::vector<std::string>{"inks.txt", "plate-0-Cyan.png", "plate-1-Magenta.png",
                                                 "plate-2-Yellow.png", "plate-3-Black.png", "plate-4-Spot.png",
                                                 "preview.png"}));
    const PngPixels preview = Output("preview.png");
    ASSERT_EQ(preview.m_channels, 4) << preview.m_error;
    // The spot square unticked shows paper; the cyan one stays.
    EXPECT_EQ(TS_Rgb(preview, 718, 208), 0xFFFFFFu);
    EXPECT_EQ(TS_Rgb(preview, 125, 208), 0x00A1C7u);

    run = RunBinary({"--frobnicate"});
    EXPECT_EQ(run.m_code, 2);
    EXPECT_EQ(run.m_err, "tintscope: unknown option --frobnicate\n");
}

// A page of 400 x 400 points full of small squares in two inks: a job that
// polls for messages many times.
std::string BusyContent() {
    std::string content;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            content += std::string((x + y) % 2 ? "1 0 0 0 k " : "0 0 0 1 k ") + std::to_string(x * 10) + " " +
                       std::to_string(y * 10) + " 8 8 re f\n";
    return content;
}

// Moves the test clock two seconds on at the first poll while the status
// line says the page is being separated.
void AdvanceWhileSeparating() {
    Win32Driver::AtPeek(1, [] {
        for (const HWND dialog : VIEW_Windows::ServedDialogs()) {
            char status[64] = {};
            GetDlgItemTextA(dialog, 1021, status, sizeof status);
            if (std::string(status) == "Separating Page...") {
                Sleep(2000);
                return;
            }
        }
        AdvanceWhileSeparating();
    });
}

TEST_F(TS_ProgramTest, ProgressLinesOnlyOnceThePageTakesLong) {
    const std::string file = WritePage("busy.pdf", 400, 400, BusyContent());
    TS_Run run = Run(WithOut({file, "--dpi", "300"}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_EQ(run.m_err, "") << "without the clock moving no line";

    AdvanceWhileSeparating();
    run = Run(WithOut({file, "--dpi", "300"}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_NE(run.m_err.find("tintscope: separating page 1: "), std::string::npos) << run.m_err;
    EXPECT_NE(run.m_err.find("tintscope: rendering ink 1/4 Cyan\n"), std::string::npos) << run.m_err;
    EXPECT_NE(run.m_err.find("tintscope: rendering ink 4/4 Black\n"), std::string::npos) << run.m_err;
}

}  // namespace
