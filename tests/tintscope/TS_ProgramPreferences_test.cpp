// The built program and the plug-in's preference file in a config folder
// that runs share: runs in parallel, a damaged file, a file of too many
// names, a link to nothing, and a folder or a file where another should be.
#include "TS_ProgramFixture.h"

#include "support/PdfText.h"

#include <chrono>
#include <cstdio>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class TS_SharedConfigTest : public TS_ProgramTest {
protected:
    void SetUp() override {
        ASSERT_EQ(mkdir(Config().c_str(), 0777), 0);
        ASSERT_EQ(mkdir(Folder().c_str(), 0777), 0);
    }

    // Beside the documents, out of TMPDIR.
    std::string Config() const { return m_docs.File("config"); }
    std::string Folder() const { return Config() + "/tintscope"; }
    std::string PrefFile() const { return Folder() + "/ZOVA.pref"; }

    // The binary on the sample page at --dpi fit, started with the shared
    // config folder; Finish waits for it.
    std::FILE* Start(const std::string& out) const {
        const std::string command = "XDG_CONFIG_HOME=" + Quoted(Config()) + " TMPDIR=" +
                                    Quoted(m_tmp.Path()) + " " + Quoted(TINTSCOPE_PROGRAM) +
                                    " --dpi fit --out " + Quoted(out) + " 2>&1 >/dev/null";
        return popen(command.c_str(), "r");
    }
    TS_Run RunOnce(const std::string& out) const { return TS_FinishPiped(Start(out)); }
    // The binary on args in the folder here, with env before TMPDIR.
    TS_Run RunIn(const std::string& here, const std::string& env, const std::vector<std::string>& args) const {
        std::string command = "cd " + Quoted(here) + " && " + env + " TMPDIR=" + Quoted(m_tmp.Path()) + " " +
                              Quoted(TINTSCOPE_PROGRAM);
        for (const std::string& arg : args)
            command += " " + Quoted(arg);
        return TS_FinishPiped(popen((command + " 2>&1 >/dev/null").c_str(), "r"));
    }
};

TEST_F(TS_SharedConfigTest, ParallelRunsKeepTheFileWholeAndAnotherPluginsEntry) {
    // A large entry makes each save long, so that the runs' saves overlap.
    std::string history;
    for (int i = 0; i < 3000; ++i)
        history += std::to_string(i) + " ";
    WriteWholeFile(PrefFile(), PdfText("%VelmDornapPrefs-1.0",
                                       {"<< /VELM_Preferences 2 0 R >>",
                                        "<< /VELM_Other << /Zoom 4 /History [" + history + "] >> >>"}));
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        std::vector<std::FILE*> pipes;
        for (int program = 1; program <= 4; ++program)
            pipes.push_back(Start(m_out.File("r" + std::to_string(round) + "p" + std::to_string(program))));
        for (std::FILE* pipe : pipes) {
            const TS_Run run = TS_FinishPiped(pipe);
            EXPECT_EQ(run.m_code, 0) << run.m_err;
            EXPECT_EQ(run.m_err, "") << "no alert about the preference file";
        }
        const std::string text = ReadWholeFile(PrefFile());
        EXPECT_EQ(text.rfind("%VelmDornapPrefs-1.0", 0), 0u);
        EXPECT_NE(text.find("/VELM_Other"), std::string::npos) << text;
        EXPECT_NE(text.find("/Zoom 4"), std::string::npos) << text;
        EXPECT_NE(text.find("/VELM_ZOVA_Separations"), std::string::npos) << text;
        EXPECT_EQ(ListFolder(Folder()), std::vector<std::string>{"ZOVA.pref"}) << "no new file left";
    }
}

TEST_F(TS_SharedConfigTest, ADamagedFileIsReportedAtEachRunAndKept) {
    const std::string whole = PdfText("%VelmDornapPrefs-1.0", {"<< /VELM_Preferences 2 0 R >>",
                                                               "<< /VELM_ZOVA_Separations << /Dpi 600 >> >>"});
    const std::string cut = whole.substr(0, whole.find("endobj") + 7);
    WriteWholeFile(PrefFile(), cut);
    for (const char* name : {"first", "second"}) {
        SCOPED_TRACE(name);
        const TS_Run run = RunOnce(m_out.File(name));
        EXPECT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(run.m_err, "The plug-in ZOVA.api discovered a corrupt preference file " + Folder() +
                                 "/ZOVA.pref.\n");
        EXPECT_EQ(ReadWholeFile(PrefFile()), cut) << "what it may hold stays";
    }
}

// A file of more names than the host can give atoms to, a link to a file
// not yet made and a config home that is a file: each fault said once a
// run, the run goes on, and the file is left as it was or made.
TEST_F(TS_SharedConfigTest, AFileThatCannotBeReadOrAFolderThatCannotBeUsedIsSaidOnceARun) {
    // Another plug-in's entry of 70,000 keys, more than the host has atoms.
    std::string keys;
    for (int i = 0; i < 70000; ++i)
        keys += "/Key" + std::to_string(i) + " 1 ";
    const std::string many = PdfText("%VelmDornapPrefs-1.0", {"<< /VELM_Preferences 2 0 R >>",
                                                              "<< /VELM_Other << " + keys + ">> >>"});
    WriteWholeFile(PrefFile(), many);
    TS_Run run = RunOnce(m_out.File("many"));
    EXPECT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_EQ(run.m_err, "The plug-in ZOVA.api discovered a corrupt preference file " + PrefFile() + ".\n");
    EXPECT_EQ(ReadWholeFile(PrefFile()), many);
    EXPECT_GT(TS_ReadPlatePng(m_out.File("many/plate-0-Cyan.png")).width, 0);

    // A relative link to a file not yet made, in a folder that is.
    const std::string store = m_docs.File("store");
    ASSERT_EQ(mkdir(store.c_str(), 0777), 0);
    ASSERT_EQ(unlink(PrefFile().c_str()), 0);
    ASSERT_EQ(symlink("../../store/ZOVA.pref", PrefFile().c_str()), 0);
    for (const char* name : {"link1", "link2"}) {
        SCOPED_TRACE(name);
        run = RunOnce(m_out.File(name));
        EXPECT_EQ(run.m_code, 0) << run.m_err;
        EXPECT_EQ(run.m_err, "");
        struct stat info {};
        ASSERT_EQ(lstat(PrefFile().c_str(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays";
        EXPECT_NE(ReadWholeFile(store + "/ZOVA.pref").find("/VELM_ZOVA_Separations"), std::string::npos);
        EXPECT_EQ(ListFolder(store), std::vector<std::string>{"ZOVA.pref"});
        EXPECT_EQ(ListFolder(Folder()), std::vector<std::string>{"ZOVA.pref"});
    }

    // A config home that is a file: the folder said at open, the save at save.
    const std::string home = m_docs.File("home-file");
    WriteWholeFile(home, "mine");
    run = RunIn(m_docs.Path(), "XDG_CONFIG_HOME=" + Quoted(home), {"--dpi", "fit", "--out", m_out.File("file-home")});
    EXPECT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_EQ(run.m_err, "The plug-in ZOVA.api failed when using the directory " + home +
                             "/tintscope for its preference file.\n"
                             "The plug-in ZOVA.api could not save its preferences file.\n");
    EXPECT_EQ(ReadWholeFile(home), "mine");
    EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>());
}

TEST_F(TS_SharedConfigTest, AFolderInPlaceOfTheFileFailsTheSaveWithoutWaiting) {
    ASSERT_EQ(mkdir(PrefFile().c_str(), 0777), 0);
    const auto start = std::chrono::steady_clock::now();
    const TS_Run run = RunOnce(m_out.Path());
    // Ten opens two seconds apart took 20 s; a run takes well under one.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_EQ(run.m_err, "The plug-in ZOVA.api could not save its preference file " + Folder() + "/ZOVA.pref.\n");
    struct stat info{};
    ASSERT_EQ(stat(PrefFile().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

// Where the file is, how it is replaced, how the alerts name it and where
// they come in a failed run.
TEST_F(TS_SharedConfigTest, TheFileLiesUnderAnAbsoluteFolderAndASaveKeepsItsModeAndLink) {
    const std::string here = m_docs.File("here");
    const std::string home = m_docs.File("home");
    ASSERT_EQ(mkdir(here.c_str(), 0777), 0);
    ASSERT_EQ(mkdir(home.c_str(), 0777), 0);
    // A relative XDG_CONFIG_HOME is ignored for $HOME/.config.
    TS_Run run = RunIn(here, "XDG_CONFIG_HOME=config HOME=" + Quoted(home), {"--dpi", "fit", "--out", m_out.File("a")});
    EXPECT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_EQ(run.m_err, "");
    EXPECT_NE(ReadWholeFile(home + "/.config/tintscope/ZOVA.pref").find("/VELM_ZOVA_Separations"), std::string::npos);
    // No absolute home: said once, nothing kept anywhere.
    run = RunIn(here, "XDG_CONFIG_HOME=config HOME=home", {"--dpi", "fit", "--out", m_out.File("b")});
    EXPECT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_EQ(run.m_err, "The plug-in ZOVA.api could not save its preferences file.\n");
    EXPECT_EQ(ListFolder(here), std::vector<std::string>());
    EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>());

    // The old file's mode stays.
    const std::string env = "XDG_CONFIG_HOME=" + Quoted(Config());
    WriteWholeFile(PrefFile(), PdfText("%VelmDornapPrefs-1.0", {"<< /VELM_Preferences << >> >>"}));
    ASSERT_EQ(chmod(PrefFile().c_str(), 0644), 0);
    run = RunIn(here, env, {"--dpi", "fit", "--out", m_out.File("c")});
    EXPECT_EQ(run.m_code, 0) << run.m_err;
    struct stat info {};
    ASSERT_EQ(stat(PrefFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    // A link is followed: the file it names is replaced, beside it.
    const std::string real = m_docs.File("real");
    ASSERT_EQ(mkdir(real.c_str(), 0777), 0);
    ASSERT_EQ(rename(PrefFile().c_str(), (real + "/mine.pref").c_str()), 0);
    ASSERT_EQ(symlink((real + "/mine.pref").c_str(), PrefFile().c_str()), 0);
    run = RunIn(here, env, {"--dpi", "fit", "--out", m_out.File("d")});
    EXPECT_EQ(run.m_code, 0) << run.m_err;
    ASSERT_EQ(lstat(PrefFile().c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays";
    EXPECT_EQ(ListFolder(real), std::vector<std::string>{"mine.pref"});
    EXPECT_NE(ReadWholeFile(real + "/mine.pref").find("/VELM_ZOVA_Separations"), std::string::npos);

    // A save that fails in a failed run: its alert, with the path as this
    // system writes it, then the reason last.
    ASSERT_EQ(unlink(PrefFile().c_str()), 0);
    ASSERT_EQ(mkdir(PrefFile().c_str(), 0777), 0);
    const std::string rgb = WriteFile("rgb.pdf", TS_OnePage("", "1 0 0 rg 0 0 50 50 re f"));
    run = RunIn(here, env, {rgb, "--out", m_out.File("e")});
    EXPECT_EQ(run.m_code, 1) << run.m_err;
    const std::vector<std::string> lines = run.Lines();
    ASSERT_GE(lines.size(), 2u) << run.m_err;
    EXPECT_EQ(lines[lines.size() - 2], "The plug-in ZOVA.api could not save its preference file " + PrefFile() + ".");
    EXPECT_EQ(lines.back().rfind("tintscope: " + rgb + ": ", 0), 0u) << run.m_err;
    EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>());
}

}  // namespace
