// SIGINT, SIGTERM and SIGHUP stop a run as Stop does, wherever it is (while
// separating, while rendering), with the clean-up of a failed run and the
// exit code 128 + the signal; a second signal ends the built program at
// once and still takes its temporary files along.
#include "TS_ProgramFixture.h"

#include "viewer/VIEW_Windows.h"
#include "viewer/program/VIEW_ProgramOutput.h"
#include "viewer/program/VIEW_ProgramStopWatch.h"
#include "win32/win32_driver.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <sys/resource.h>
#include <system_error>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// Many small squares in two inks: work that polls for messages often.
std::string BusyContent(int side) {
    std::string content;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            content += std::string((x + y) % 2 ? "1 0 0 0 k " : "0 0 0 1 k ") + std::to_string(x * 10) + " " +
                       std::to_string(y * 10) + " 8 8 re f\n";
    return content;
}

bool Separating() {
    for (const HWND dialog : VIEW_Windows::ServedDialogs()) {
        char status[64] = {};
        GetDlgItemTextA(dialog, 1021, status, sizeof status);
        if (std::string(status) == "Separating Page...")
            return true;
    }
    return false;
}

// Raises signal at the first poll while the page is being separated.
void RaiseWhileSeparating(int signal) {
    Win32Driver::AtPeek(1, [signal] {
        if (Separating())
            std::raise(signal);
        else
            RaiseWhileSeparating(signal);
    });
}

TEST_F(TS_ProgramTest, ASignalWhileSeparatingStopsTheRunAndCleansUp) {
    const std::string file = WritePage("busy.pdf", 400, 400, BusyContent(40));
    const struct {
        int signal;
        int code;
        const char* name;
    } rows[] = {{SIGINT, 130, "SIGINT"}, {SIGHUP, 129, "SIGHUP"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RaiseWhileSeparating(row.signal);
        const TS_Run run = Run(WithOut({file}));
        EXPECT_EQ(run.m_code, row.code) << run.m_err;
        EXPECT_EQ(run.m_err, "tintscope: " + file + ": stopped by " + row.name + "\n") << "Stop shows no alert";
        EXPECT_EQ(m_out.List(), std::vector<std::string>());
        EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>());
    }
}

TEST_F(TS_ProgramTest, ASignalWhileRenderingStopsTheRunAndWritesNothing) {
    const std::string file = WritePage("busy.pdf", 400, 400, BusyContent(40));
    VIEW_ProgramSettings settings;
    int drawn = 0;
    settings.m_drawingHeard = [&drawn](const VIEW_PageDrawing&) {
        if (++drawn == 1)
            std::raise(SIGTERM);
    };
    const TS_Run run = Run(WithOut({file}), settings);
    EXPECT_EQ(run.m_code, 143) << run.m_err;
    EXPECT_EQ(run.Lines().back(), "tintscope: " + file + ": stopped by SIGTERM");
    EXPECT_LT(drawn, 4) << "the render stopped before the last ink";
    EXPECT_EQ(m_out.List(), std::vector<std::string>());
}

TEST_F(TS_ProgramTest, ASecondSignalEndsTheProgramAtOnceAndLeavesNoTemporaryFile) {
    // Large enough at 600 dpi that the run is still busy when the signals come.
    const std::string file = WritePage("busy.pdf", 600, 600, BusyContent(60));
    const std::string out = m_out.File("made");
    std::vector<std::string> words = {TINTSCOPE_PROGRAM, file, "--dpi", "600", "--out", out};
    const std::vector<char*> argv = TS_CArgs(words);
    std::vector<std::string> env = TS_EnvironmentWith({"TMPDIR=" + m_tmp.Path()});
    const std::vector<char*> envp = TS_CArgs(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Its own folder in TMPDIR shows that the handlers are in place: the
    // signals wait for it, however long the start takes.
    int status = 0;
    bool ended = false;
    while (m_tmp.Dir().List().empty() && !(ended = waitpid(pid, &status, WNOHANG) == pid))
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_FALSE(ended) << "it ended before its handlers were in place";
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(pid, SIGINT);
    // Apart, since two pending signals of one kind are delivered as one.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(pid, SIGINT);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal, not by the program";
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>());
    EXPECT_EQ(m_out.List(), std::vector<std::string>()) << "the folder it made is gone";
}

void NoThread() { throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again)); }

TEST_F(TS_ProgramTest, AStopWatcherThatCannotStartLeavesTheStopToTheNextCheck) {
    const unsigned watchers = VIEW_ProgramStopWatch::ThreadsRun();
    VIEW_ProgramStopWatch::SetStartHook(NoThread);
    const std::string square = WritePage("square.pdf", 100, 100, "0 0 0 1 k 10 10 50 50 re f");
    const TS_Run done = Run(WithOut({square}));
    EXPECT_EQ(done.m_code, 0) << done.m_err;
    const std::string busy = WritePage("busy.pdf", 400, 400, BusyContent(40));
    RaiseWhileSeparating(SIGINT);
    const TS_Run stopped = Run({busy, "--out", m_out.File("stopped")});
    VIEW_ProgramStopWatch::SetStartHook(nullptr);
    EXPECT_EQ(VIEW_ProgramStopWatch::ThreadsRun(), watchers) << "no watcher ran";
    EXPECT_EQ(stopped.m_code, 130) << stopped.m_err;
    EXPECT_EQ(stopped.m_err, "tintscope: " + busy + ": stopped by SIGINT\n");
    EXPECT_EQ(m_out.List(), (std::vector<std::string>{"inks.txt", "plate-0-Cyan.png", "plate-1-Magenta.png",
                                                      "plate-2-Yellow.png", "plate-3-Black.png", "preview.png"}));
    // The count sees a watcher when one starts.
    EXPECT_EQ(Run(WithOut({square})).m_code, 0);
    EXPECT_EQ(VIEW_ProgramStopWatch::ThreadsRun(), watchers + 1);
}

// The program's steps in a child of this process, so that a second signal
// may end it there; setUp runs in the child first. Its standard error is
// the run's, as in the program: a run ended at once writes there.
TS_Run RunForked(const std::vector<std::string>& args, const std::string& configDir, void (*setUp)()) {
    TS_Run run;
    int fds[2];
    if (pipe(fds) != 0)
        return run;
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        dup2(fds[1], STDERR_FILENO);
        close(fds[1]);
        setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
        setUp();
        const std::string module = TINTSCOPE_ZOVA_MODULE;
        _exit(VIEW_RunProgram(args, module.substr(0, module.rfind('/')), stderr));
    }
    close(fds[1]);
    std::FILE* pipe = fdopen(fds[0], "r");
    char chunk[4096];
    for (size_t n; pipe && (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        run.m_err.append(chunk, n);
    if (pipe)
        std::fclose(pipe);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child)
        run.m_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A first and a second signal at once.
void RaiseTwo() {
    std::raise(SIGINT);
    std::raise(SIGTERM);
}

void RaiseAtTheSecondRename() {
    static int renames = 0;
    VIEW_ProgramOutput::SetRenameHook([](const std::string&) {
        if (++renames == 2)
            RaiseTwo();
    });
}

void RaiseAtThePreferencesRename() {
    Win32Driver::AtFileRename([](const std::string& to) {
        if (to.size() > 10 && to.compare(to.size() - 10, 10, "/ZOVA.pref") == 0)
            RaiseTwo();
        else
            RaiseAtThePreferencesRename();
    });
}

// SIGTERM while the page separates, then SIGINT: while the run still
// works, or once it has stopped and saves its preferences as it quits.
void TermThenIntWhileSeparating() {
    Win32Driver::AtPeek(1, [] {
        if (!Separating())
            return TermThenIntWhileSeparating();
        std::raise(SIGTERM);
        std::raise(SIGINT);
    });
}

void IntAtThePreferencesRename() {
    Win32Driver::AtFileRename([](const std::string& to) {
        if (to.size() > 10 && to.compare(to.size() - 10, 10, "/ZOVA.pref") == 0)
            std::raise(SIGINT);
        else
            IntAtThePreferencesRename();
    });
}

void TermWhileSeparatingThenIntAsItQuits() {
    RaiseWhileSeparating(SIGTERM);
    IntAtThePreferencesRename();
}

// The second signal ends the run at once, but the run was stopped by the
// first: its line and its code say so, whenever the second one comes.
TEST_F(TS_ProgramTest, ASecondSignalEndsTheRunWithTheFirstOnesLineAndCode) {
    const std::string config = m_docs.File("config");
    ASSERT_EQ(mkdir(config.c_str(), 0777), 0);
    const std::string busy = WritePage("busy.pdf", 400, 400, BusyContent(40));
    const struct {
        const char* when;
        void (*setUp)();
    } rows[] = {{"while the run works", TermThenIntWhileSeparating},
                {"once it has stopped", TermWhileSeparatingThenIntAsItQuits}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.when);
        const TS_Run run = RunForked(WithOut({busy}), config, row.setUp);
        EXPECT_EQ(run.m_code, 143) << run.m_err;
        ASSERT_FALSE(run.Lines().empty());
        EXPECT_EQ(run.Lines().back(), "tintscope: " + busy + ": stopped by SIGTERM") << run.m_err;
        EXPECT_EQ(m_out.List(), std::vector<std::string>());
        EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>());
    }
}

// One file written at most 8 KB long.
void LimitFileSize() {
    const rlimit limit{8192, 8192};
    setrlimit(RLIMIT_FSIZE, &limit);
}

// Two signals at the renames or at the preferences save leave every file
// whole and nothing beside them; a file too large for the limit fails the
// run, which says so.
TEST_F(TS_ProgramTest, TheLastStepsAreWholeUnderSignalsAndAFileSizeLimit) {
    const std::string config = m_docs.File("config");
    ASSERT_EQ(mkdir(config.c_str(), 0777), 0);
    const std::string square = WritePage("square.pdf", 100, 100, "0 0 0 1 k 10 10 50 50 re f");
    const std::vector<std::string> outputs = {"inks.txt",           "plate-0-Cyan.png",  "plate-1-Magenta.png",
                                              "plate-2-Yellow.png", "plate-3-Black.png", "preview.png"};
    const struct {
        const char* what;
        void (*setUp)();
    } rows[] = {{"at the renames", RaiseAtTheSecondRename}, {"at the preferences save", RaiseAtThePreferencesRename}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        for (const std::string& name : outputs)
            WriteWholeFile(m_out.File(name), "old");
        const TS_Run run = RunForked(WithOut({square}), config, row.setUp);
        EXPECT_EQ(run.m_code, 130) << "the second signal ends it once the step is done, with the first one's code\n"
                                   << run.m_err;
        EXPECT_EQ(m_out.List(), outputs);
        for (const std::string& name : outputs)
            EXPECT_NE(ReadWholeFile(m_out.File(name)), "old") << name;
        for (const std::string& name : ListFolder(config + "/tintscope"))
            EXPECT_EQ(name, "ZOVA.pref") << "left beside the preferences";
        EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>());
    }

    // The engine's temporary files pass the limit first, or (a smooth
    // shading of little data) the preview.
    const std::string out = m_out.File("limited");
    const std::string radial =
        TS_OnePage("/Shading << /Sh0 5 0 R >>", "/Sh0 sh",
                   {"<< /ShadingType 3 /ColorSpace /DeviceCMYK /Coords [30 30 0 50 50 60] /Function << "
                    "/FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [1 0.5 0 1] /N 1 >> >>"});
    const struct {
        std::string file;
        std::string cause;  // the last line's end
    } limits[] = {
        {WritePage("large.pdf", 600, 600, BusyContent(60)),
         ": a temporary file grew past the limit on file size"},
        {WriteFile("radial.pdf", radial),
         ": cannot write " + out + "/preview.png: the file grew past the limit on file size"},
    };
    for (const auto& limit : limits) {
        SCOPED_TRACE(limit.file);
        const TS_Run limited = RunForked({limit.file, "--dpi", "300", "--out", out}, config, LimitFileSize);
        EXPECT_EQ(limited.m_code, 1) << "-1: ended by SIGXFSZ\n" << limited.m_err;
        const std::string last = limited.Lines().empty() ? std::string() : limited.Lines().back();
        EXPECT_EQ(last.rfind("tintscope: " + limit.file + ": ", 0), 0u) << limited.m_err;
        EXPECT_EQ(last.substr(last.size() - std::min(last.size(), limit.cause.size())), limit.cause)
            << limited.m_err;
        EXPECT_NE(access(out.c_str(), F_OK), 0) << "the folder it made is gone";
        EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>());
    }
}

}  // namespace
