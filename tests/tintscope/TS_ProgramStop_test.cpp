// The first stop signal ends the built program whatever one piece of work it
// is inside (a page list of deeply nested forms, a band of
// a tiling pattern that never ends, one long stroke, a large lattice, many
// inline images), with its last line and nothing left behind; a standard
// error whose reader went away costs the run its messages, not its files.
#include "TS_ProgramFixture.h"

#include "support/PdfText.h"
#include "viewer/VIEW_Threads.h"

#include <chrono>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// A page of 200 x 200 points with its resources, content and more objects
// from number 5.
std::string Page(const std::string& resources, const std::string& content,
                 const std::vector<std::string>& more = {}) {
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R /Resources << " + resources + " >> >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream"};
    objects.insert(objects.end(), more.begin(), more.end());
    return PdfText("%PDF-1.4", objects);
}

std::string Stream(const std::string& entries, const std::string& data) {
    return "<< " + entries + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

// A tiling pattern whose cells are so small that drawing it never ends.
std::string EndlessTiling() {
    return Page("/Pattern << /P 5 0 R >>", "/Pattern cs /P scn 0 0 200 200 re f",
                {Stream("/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 1 1] /XStep 0.00001 /YStep 0.00001 "
                        "/Resources << >>",
                        "0 0 0 1 k 0 0 1 1 re f")});
}

// Each of eight forms draws the next ten times: 10^8 squares.
std::string NestedForms() {
    std::vector<std::string> forms;
    for (int level = 0; level < 8; ++level) {
        std::string body;
        for (int i = 0; i < 10; ++i)
            body += "q 0.9 0 0 0.9 " + std::to_string(i) + " 0 cm /F Do Q\n";
        forms.push_back(Stream("/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Resources << /XObject << /F " +
                                   std::to_string(6 + level) + " 0 R >> >>",
                               body));
    }
    forms.push_back(Stream("/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Resources << >>",
                           "0 0 0 1 k 0 0 10 10 re f"));
    return Page("/XObject << /F 5 0 R >>", "/F Do", forms);
}

std::string InlineImages(int count) { return Page("", TS_OnePixelImages(count, 200)); }

std::string LongStroke(int segments) {
    std::string content = "0 0 0 1 K 0.1 w 0 0 m\n";
    for (int i = 0; i < segments; ++i)
        content += std::to_string(i * 7 % 200) + " " + std::to_string(i * 13 % 200) + " l\n";
    return Page("", content + "S");
}

// A type 5 lattice of two columns, all cyan.
std::string Lattice(int rows) {
    std::string data;
    const auto put16 = [&data](uint32_t v) {
        data += static_cast<char>(v >> 8);
        data += static_cast<char>(v & 0xFF);
    };
    for (int row = 0; row < rows; ++row)
        for (const uint32_t x : {0u, 65535u}) {
            put16(x);
            put16(static_cast<uint32_t>(uint64_t(row) * 65535 / (rows - 1)));
            data += std::string("\xFF\x00\x00\x00", 4);
        }
    return Page("/Shading << /S 5 0 R >>", "/S sh",
                {Stream("/ShadingType 5 /ColorSpace /DeviceCMYK /VerticesPerRow 2 /BitsPerCoordinate 16 "
                        "/BitsPerComponent 8 /Decode [0 200 0 200 0 1 0 1 0 1 0 1]",
                        data)});
}

// The built program with its own TMPDIR and config folder, its standard
// error on a pipe (or the given descriptor).
class Child {
public:
    Child(const std::vector<std::string>& args, const std::string& tmpDir, const std::string& configDir,
          int errFd = -1) {
        int fds[2] = {-1, -1};
        if (errFd < 0) {
            if (pipe2(fds, O_CLOEXEC) != 0)
                return;
            m_err = fds[0];
            errFd = fds[1];
        }
        std::vector<std::string> words = {TINTSCOPE_PROGRAM};
        words.insert(words.end(), args.begin(), args.end());
        const std::vector<char*> argv = TS_CArgs(words);
        // Progress lines from the start tell what the run is inside.
        std::vector<std::string> env = TS_EnvironmentWith(
            {"TMPDIR=" + tmpDir, "XDG_CONFIG_HOME=" + configDir, "TINTSCOPE_PROGRESS_MS=0"});
        const std::vector<char*> envp = TS_CArgs(env);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, errFd, 2);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (fds[1] >= 0)
            close(fds[1]);
    }
    ~Child() {
        if (m_pid > 0 && !m_done) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_err >= 0)
            close(m_err);
    }
    bool Started() const { return m_pid > 0; }
    // Reads standard error until it holds text, or the child has closed it
    // or time is up; whether the text came.
    bool WaitFor(const std::string& text, std::chrono::seconds limit) {
        const Clock::time_point end = Clock::now() + limit;
        while (m_text.find(text) == std::string::npos) {
            if (!ReadSome(end))
                return false;
        }
        return true;
    }
    void Signal(int signal) { kill(m_pid, signal); }
    // The exit status once standard error is closed; -1 when the child
    // was ended by a signal, -2 when it had not ended within a minute (it
    // is killed then).
    int Wait() {
        const Clock::time_point end = Clock::now() + std::chrono::seconds(60);
        while (ReadSome(end)) {
        }
        if (Clock::now() >= end) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_done = true;
            return -2;
        }
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_done = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string LastLine() const {
        const size_t end = m_text.find_last_not_of('\n');
        if (end == std::string::npos)
            return std::string();
        const size_t start = m_text.rfind('\n', end);
        return m_text.substr(start == std::string::npos ? 0 : start + 1, end + 1 - (start == std::string::npos ? 0 : start + 1));
    }
    const std::string& Text() const { return m_text; }

private:
    bool ReadSome(Clock::time_point end) {
        if (m_err < 0)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        pollfd fd{m_err, POLLIN, 0};
        if (left <= 0 || poll(&fd, 1, static_cast<int>(left)) <= 0)
            return false;
        char chunk[4096];
        const ssize_t n = read(m_err, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        m_text.append(chunk, static_cast<size_t>(n));
        return true;
    }

    pid_t m_pid = -1;
    int m_err = -1;
    bool m_done = false;
    std::string m_text;
};

class TS_ProgramStop : public TS_ProgramTest {
protected:
    // The children's config folder, outside TMPDIR.
    std::string ConfigDir() {
        const std::string path = m_docs.File("config");
        mkdir(path.c_str(), 0777);
        return path;
    }
};

TEST_F(TS_ProgramStop, TheFirstSignalEndsLongWorkAndLeavesNothing) {
    const struct {
        const char* name;
        std::string pdf;
        // The line that shows the work under way, and how long after it the
        // signal comes: the small pages are separated within a second, and
        // their first ink's drawing is under way then.
        const char* underWay;
        int afterMs;
        int signals;
        int signal = SIGINT;
        const char* signalName = "SIGINT";
    } rows[] = {
        {"100,000 inline images while separating", InlineImages(100000), "separating page 1: ", 300, 1},
        {"a stroke of 500,000 segments while separating", LongStroke(500000), "separating page 1: ", 300, 1},
        {"a stroke of 500,000 segments while drawing", LongStroke(500000), "rendering ink 1/", 0, 1},
        {"a lattice of 200,000 rows while separating", Lattice(200000), "separating page 1: ", 0, 1},
        {"a lattice of 200,000 rows while drawing", Lattice(200000), "rendering ink 1/", 0, 1},
        {"forms ten times eight deep while drawing", NestedForms(), "separating page 1: ", 1000, 1},
        {"an endless tiling pattern while drawing", EndlessTiling(), "separating page 1: ", 1000, 1},
        {"an endless tiling pattern, stopped twice", EndlessTiling(), "separating page 1: ", 1000, 2},
        {"an endless tiling pattern by SIGHUP", EndlessTiling(), "separating page 1: ", 1000, 1, SIGHUP, "SIGHUP"},
        {"an endless tiling pattern by SIGTERM", EndlessTiling(), "separating page 1: ", 1000, 1, SIGTERM, "SIGTERM"},
    };
    int made = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string file = WriteFile("shape" + std::to_string(++made) + ".pdf", row.pdf);
        const std::string out = m_out.File("made");
        Child child({file, "--dpi", "150", "--out", out}, m_tmp.Path(), ConfigDir());
        ASSERT_TRUE(child.Started());
        ASSERT_TRUE(child.WaitFor(row.underWay, std::chrono::seconds(300))) << child.Text();
        std::this_thread::sleep_for(std::chrono::milliseconds(row.afterMs));
        child.Signal(row.signal);
        if (row.signals == 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            child.Signal(row.signal);
        }
        // How soon it ends is the benchmarks' to measure; work that never
        // ends by itself shows that the signal ended it.
        const int code = child.Wait();
        EXPECT_EQ(code, 128 + row.signal) << child.Text();
        EXPECT_EQ(child.LastLine(), "tintscope: " + file + ": stopped by " + row.signalName);
        EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>());
        EXPECT_EQ(m_out.List(), std::vector<std::string>()) << "the folder it made is gone";
    }
}

// In-process, where the run may not end the process: the drawing's page
// list stops through MuPDF's cookie alone, and the next run draws again.
TEST_F(TS_ProgramStop, ASignalStopsAPageListInFlightAndTheNextRunDraws) {
    const std::string forms = WriteFile("forms.pdf", NestedForms());
    std::thread signaller;
    {
        const VIEW_SignalsBlocked blocked;  // the signal goes to the run's thread
        signaller = std::thread([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            kill(getpid(), SIGINT);
        });
    }
    const TS_Run stopped = Run(WithOut({forms, "--dpi", "150"}));
    signaller.join();
    EXPECT_EQ(stopped.m_code, 130) << stopped.m_err;
    EXPECT_EQ(stopped.Lines().back(), "tintscope: " + forms + ": stopped by SIGINT");
    EXPECT_EQ(m_out.List(), std::vector<std::string>());

    const std::string square = WritePage("square.pdf", 100, 100, "0 0 0 1 k 10 10 50 50 re f");
    const TS_Run next = Run(WithOut({square}));
    EXPECT_EQ(next.m_code, 0) << next.m_err;
    EXPECT_GT(Output("plate-3-Black.png").m_width, 0);
}

// The reader of standard error is gone before the first message: the run
// still writes its files (or, failing, leaves the folder as it was) and
// leaves no temporary file.
TEST_F(TS_ProgramStop, AClosedStandardErrorCostsTheMessagesOnly) {
    // A soft mask in a graphics state: a warning line, then success.
    const std::string warned = WriteFile(
        "warned.pdf", Page("/ExtGState << /G 5 0 R >>", "/G gs 0 0 0 1 k 10 10 50 50 re f",
                           {"<< /Type /ExtGState /SMask << /S /Luminosity /G 6 0 R >> >>",
                            Stream("/Type /XObject /Subtype /Form /BBox [0 0 1 1] /Group << /S /Transparency >>",
                                   "")}));
    // Painted in RGB: alert lines and a failure.
    const std::string refused = WriteFile("refused.pdf", Page("", "1 0 0 rg 0 0 50 50 re f"));
    const struct {
        std::string file;
        int code;
    } rows[] = {{warned, 0}, {refused, 1}};
    int made = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string out = m_out.File("made" + std::to_string(++made));
        int fds[2];
        ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
        close(fds[0]);
        Child child({row.file, "--out", out}, m_tmp.Path(), ConfigDir(), fds[1]);
        close(fds[1]);
        ASSERT_TRUE(child.Started());
        EXPECT_EQ(child.Wait(), row.code) << "-1: ended by SIGPIPE";
        EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>());
        if (row.code == 0)
            EXPECT_EQ(ListFolder(out), (std::vector<std::string>{"inks.txt", "plate-0-Cyan.png", "plate-1-Magenta.png",
                                                                 "plate-2-Yellow.png", "plate-3-Black.png",
                                                                 "preview.png"}));
        else
            EXPECT_NE(access(out.c_str(), F_OK), 0) << "the folder it made is gone";
    }
}

}  // namespace
