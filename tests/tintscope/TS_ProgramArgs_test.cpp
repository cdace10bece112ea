// The program's command line: what parses into what, what is refused with
// one line and exit 2, and a run that cannot find its module failing with
// one line and exit 1, in-process and as the built program.
#include "TS_ProgramFixture.h"
#include "support/TestSupport.h"
#include "viewer/program/VIEW_Program.h"
#include "viewer/program/VIEW_ProgramArgs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t start = 0;
    while (start < line.size()) {
        const size_t space = line.find(' ', start);
        const size_t end = space == std::string::npos ? line.size() : space;
        if (end > start)
            words.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return words;
}

TEST(TS_ProgramArgs, CommandLinesParseIntoTheirSettings) {
    const struct {
        const char* line;
        const char* file;
        int page, dpi, mag;
        std::vector<std::string> untick;
        const char* out;
    } cases[] = {
        {"", "", 1, VIEW_ProgramArgs::ViewsChoice, 0, {}, "."},
        {"a.pdf", "a.pdf", 1, VIEW_ProgramArgs::ViewsChoice, 0, {}, "."},
        {"a.pdf --page 3 --dpi fit", "a.pdf", 3, VIEW_ProgramArgs::Fit, 0, {}, "."},
        {"--dpi=2400 --mag 16 b.pdf", "b.pdf", 1, 2400, 16, {}, "."},
        {"--untick Magenta,4,PANTONE#20485 --out /tmp/x a.pdf", "a.pdf", 1, -1, 0,
         {"Magenta", "4", "PANTONE#20485"}, "/tmp/x"},
        {"--untick Cyan --untick=Black --page=2", "", 2, -1, 0, {"Cyan", "Black"}, "."},
        {"--dpi 150 --mag 1", "", 1, 150, 1, {}, "."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        VIEW_ProgramArgs parsed;
        std::string error;
        ASSERT_TRUE(VIEW_ParseProgramArgs(Words(c.line), &parsed, &error)) << error;
        EXPECT_EQ(parsed.m_file, c.file);
        EXPECT_EQ(parsed.m_page, c.page);
        EXPECT_EQ(parsed.m_dpi, c.dpi);
        EXPECT_EQ(parsed.m_mag, c.mag);
        EXPECT_EQ(parsed.m_untick, c.untick);
        EXPECT_EQ(parsed.m_outDir, c.out);
    }
}

TEST(TS_ProgramArgs, BadCommandLinesAreRefusedWithOneLineNamingTheFault) {
    const struct {
        const char* line;
        const char* says;
    } cases[] = {
        {"--bogus a.pdf", "unknown option --bogus"},
        {"-p 2 a.pdf", "unknown option -p"},
        {"a.pdf b.pdf", "one file only"},
        {"a.pdf --page", "--page needs a value"},
        {"--page -1", "--page takes"},
        {"--page 0", "--page takes a page number from 1"},
        {"--page=0 a.pdf", "--page takes"},
        {"--page two", "--page takes"},
        {"--dpi 72", "--dpi takes fit, 150, 300, 600, 1200 or 2400"},
        {"--dpi Fit", "--dpi takes"},
        {"--mag 3", "--mag takes 1, 2, 4, 8 or 16"},
        {"--mag 0", "--mag takes"},
        {"--dpi fit --mag 2", "magnification"},
        {"--mag=2 --dpi=fit", "needs a fixed resolution"},
        {"--untick Cyan,,Black", "--untick takes"},
        {"--untick= ", "--untick takes"},
        {"--out=", "--out needs a folder"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        VIEW_ProgramArgs parsed;
        parsed.m_page = 77;
        std::string error;
        std::vector<std::string> words = Words(c.line);
        if (std::string(c.line) == "--untick= ")
            words = {"--untick="};
        EXPECT_FALSE(VIEW_ParseProgramArgs(words, &parsed, &error));
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
        EXPECT_EQ(parsed.m_page, 77) << "a refused line changes nothing";
    }
}

TEST(TS_ProgramArgs, ResolutionAndMagnificationIndexesFollowTheDialogsLists) {
    const int dpis[] = {VIEW_ProgramArgs::Fit, 150, 300, 600, 1200, 2400};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(VIEW_ResolutionIndex(dpis[i]), i);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(VIEW_MagnificationIndex(1 << i), i);
    EXPECT_EQ(VIEW_ResolutionIndex(100), -1);
    EXPECT_EQ(VIEW_MagnificationIndex(32), -1);
}

TEST(TS_ProgramArgs, ResolutionDpiUndoesTheIndexAndFitsOutsideTheList) {
    for (const int dpi : {VIEW_ProgramArgs::Fit, 150, 300, 600, 1200, 2400})
        EXPECT_EQ(VIEW_ResolutionDpi(VIEW_ResolutionIndex(dpi)), dpi);
    // An empty or failing dialog list gives -1 or -2 as its index.
    for (const int index : {-2, -1, 6})
        EXPECT_EQ(VIEW_ResolutionDpi(index), VIEW_ProgramArgs::Fit) << index;
}

// What a run printed to its error stream.
std::string RunInProcess(const std::vector<std::string>& args, const std::string& programDir, int* code) {
    const TS_Run run = TS_RunInProcess(args, programDir);
    *code = run.m_code;
    return run.m_err;
}

TEST(TS_Program, BadArgumentsExit2AndAMissingModuleExits1EachWithOneLine) {
    const ScratchDir dir;
    int code = 0;
    EXPECT_EQ(RunInProcess({"--frobnicate"}, dir.Path(), &code), "tintscope: unknown option --frobnicate\n");
    EXPECT_EQ(code, 2);
    // Arguments are judged before the module is looked for.
    RunInProcess({"--dpi", "fit", "--mag", "4"}, "/nonexistent", &code);
    EXPECT_EQ(code, 2);
    const std::string said = RunInProcess({"a.pdf"}, dir.Path(), &code);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(said, "tintscope: cannot load " + dir.File("ZOVA.api") + ": No such file or directory\n");
    EXPECT_EQ(dir.List(), std::vector<std::string>()) << "a failed run writes nothing";
}

int RunBinary(const std::string& args) {
    const int status = std::system((std::string(TINTSCOPE_PROGRAM) + " " + args + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(TS_Program, HelpPrintsTheUsageOnStandardOutputAndExits0) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"-h"}, {"a.pdf", "--dpi", "300", "-h"}}) {
        SCOPED_TRACE(args.back());
        char* outText = nullptr;
        char* errText = nullptr;
        size_t outSize = 0, errSize = 0;
        std::FILE* out = open_memstream(&outText, &outSize);
        std::FILE* err = open_memstream(&errText, &errSize);
        const int code = VIEW_RunProgram(args, "/nonexistent", out, err, VIEW_ProgramSettings());
        std::fclose(out);
        std::fclose(err);
        const std::string said(outText, outSize), complained(errText, errSize);
        std::free(outText);
        std::free(errText);
        EXPECT_EQ(code, 0);
        EXPECT_EQ(complained, "");
        EXPECT_EQ(said.rfind("usage: tintscope [FILE.pdf] [--page N] [--dpi fit|150|300|600|1200|2400] "
                             "[--mag 1|2|4|8|16] [--untick INK,...] [--out DIR]\n",
                             0),
                  0u)
            << said;
        for (const char* option : {"\n  --page N ", "\n  --dpi D ", "\n  --mag M ", "\n  --untick INK,... ",
                                   "\n  --out DIR ", "\n  --help, -h "})
            EXPECT_NE(said.find(option), std::string::npos) << option;
    }
    // Still refused: a bad line before or after it.
    VIEW_ProgramArgs parsed;
    std::string error;
    EXPECT_FALSE(VIEW_ParseProgramArgs(Words("--help --mag 3"), &parsed, &error));
}

TEST(TS_Program, TheBuiltProgramRefusesAnUnknownOptionWithExit2) {
    EXPECT_EQ(std::system((std::string(TINTSCOPE_PROGRAM) + " --help | grep -q '^usage: tintscope '").c_str()), 0);
    EXPECT_EQ(RunBinary("--no-such-option some.pdf"), 2);
    EXPECT_EQ(RunBinary("--mag 8 --dpi fit"), 2);
}

}  // namespace
