// SIGINT, SIGTERM and SIGHUP stop a run as Stop does, wherever it is (while
// separating, while rendering), with the clean-up of a failed run and the
// exit code 128 + the signal; a second signal ends the built program at
// once and still takes its temporary files along.
#include "TS_ProgramFixture.h"

#include "viewer/VIEW_Windows.h"
#include "win32/win32_driver.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
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
    // Its own folder in TMPDIR shows that the handlers are in place.
    for (int i = 0; i < 3000 && m_tmp.Dir().List().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    kill(pid, SIGINT);
    // Apart, since two pending signals of one kind are delivered as one.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal, not by the program";
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>());
    EXPECT_EQ(m_out.List(), std::vector<std::string>()) << "the folder it made is gone";
}

}  // namespace
