// The program's main road beside MuPDF's own separations, and a recompose
// beside the road. For page 1 of three corpus files, each iteration
//   - opens the page in a fresh host with ZOVA.api loaded, the Separations
//     tool picked at 300 dpi and the view window sized to the page, as
//     tintscope does (not timed);
//   - times Update: separating the page, drawing every ink's plate through
//     the host and composing the view (the main road);
//   - times a click on the first ink's tick box: the view recomposed from
//     the plates it keeps, without that ink;
//   - times `mutool draw -r 300 -O 2 -o OUT.psd FILE 1` as a subprocess
//     (MuPDF's per-ink plates written as one PSD file).
// The three share each iteration, so they share the machine's load. After
// the run it prints, per page, the times and the ratios road / mutool and
// recompose / road.
#include "viewer/VIEW_AVDocs.h"
#include "viewer/VIEW_DrawListener.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_Loader.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PageViews.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/VIEW_Toolbar.h"
#include "viewer/program/VIEW_Program.h"
#include "viewer/program/VIEW_ProgramArgs.h"
#include "viewer/program/VIEW_ProgramViewSize.h"
#include "viewer/program/VIEW_ProgramWindows.h"
#include "win32/win32_driver.h"

#include "BENCH_Support.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

const char* const kPages[] = {
    "skia_GWG060_Shading_x1a.pdf",
    "pdfjs_devicen.pdf",
    "skia_gs-bugzilla694385.pdf",
};
constexpr int kPageCount = 3;
constexpr int kDpi = 300;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string CorpusFile(const char* name) { return std::string(TINTSCOPE_CORPUS_DIR) + "/" + name; }

// One page open in the host with the tool ready to separate it.
class Road {
public:
    explicit Road(const std::string& path) {
        VIEW_Host::Reset();
        const PDFL_ASPathName name = VIEW_Paths::Make(path);
        m_doc = VIEW_PD::DocOpen(name, nullptr);
        VIEW_Paths::Release(name);
        const PDFL_PDPage page = VIEW_PD::DocAcquirePage(m_doc, 0);
        double box[4] = {0, 0, 0, 0};
        VIEW_PD::PageSpaceBox(page, box);
        const VIEW_ViewSize size = VIEW_ViewSize::For(box[2] - box[0], box[3] - box[1],
                                                      VIEW_PD::PageGetRotate(page), kDpi);
        VIEW_PD::PageRelease(page);
        Win32Driver::SetScreenSize(size.m_screenWidth, size.m_screenHeight);

        m_avDoc = VIEW_AVDocs::OpenFromPDDoc(m_doc, path.c_str());
        VIEW_PageViews::GoToPage(VIEW_AVDocs::PageView(m_avDoc), 0);
        VIEW_ProgramPump();
        if (!m_loader.Load(std::string(TINTSCOPE_MODULE_DIR) + "/ZOVA.api").Loaded())
            throw std::runtime_error("ZOVA.api did not load");
        if (!VIEW_Toolbar::Press(VIEW_SeparationsButton) || (VIEW_ProgramPump(), !m_windows.Find()))
            throw std::runtime_error("the Separations tool did not open for " + path);
        m_windows.ChooseResolution(VIEW_ResolutionIndex(kDpi));
        m_windows.Arrange(size.m_width, size.m_height);
        const VCOS_DocId source = VIEW_PD::CosDocId(m_doc);
        VIEW_DrawListener::Set([this, source](const VIEW_PageDrawing& drawing) {
            if (drawing.m_doc != source)
                ++m_plates;
        });
    }
    ~Road() {
        VIEW_DrawListener::Set(nullptr);
        VIEW_AVDocs::Close(m_avDoc);
        VIEW_ProgramPump();
        m_loader.Unload();
        VIEW_Host::Reset();
    }
    Road(const Road&) = delete;
    Road& operator=(const Road&) = delete;

    // Separate, draw every plate, compose; seconds.
    double Update() {
        const auto start = Clock::now();
        m_windows.PressUpdate();
        const double seconds = SecondsSince(start);
        if (m_windows.Status() != "Ready")
            throw std::runtime_error("the status line reads \"" + m_windows.Status() + "\" after Update");
        return seconds;
    }
    // The first ink unticked and the view recomposed; seconds.
    double UntickFirstInk() {
        const auto start = Clock::now();
        m_windows.ClickTick(0);
        return SecondsSince(start);
    }
    int Plates() const { return m_plates; }

private:
    PDFL_PDDoc m_doc = nullptr;
    PDFL_AVDoc m_avDoc = nullptr;
    VIEW_Loader m_loader;
    VIEW_ProgramWindows m_windows;
    int m_plates = 0;
};

// mutool draw as a subprocess, its PSD written under TMPDIR and removed;
// seconds.
double MutoolPsd(const std::string& pdf) {
    const char* dir = std::getenv("TMPDIR");
    const std::string out = std::string(dir && *dir ? dir : "/tmp") + "/tintscope-bench-" +
                            std::to_string(getpid()) + ".psd";
    const std::string dpi = std::to_string(kDpi);
    std::vector<std::string> args = {"mutool", "draw", "-q", "-r", dpi, "-O", "2", "-o", out, pdf, "1"};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, "mutool", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) != child)
        throw std::runtime_error("mutool could not be run (tools/deps.sh installs mupdf-tools)");
    const double seconds = SecondsSince(start);
    std::remove(out.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("mutool draw failed on " + pdf);
    return seconds;
}

struct PageTimes {
    int runs = 0;
    int plates = 0;
    double road = 0, recompose = 0, mutool = 0;
};
PageTimes g_times[kPageCount];

void BM_MainRoadBesideMutool(benchmark::State& state) {
    const int index = static_cast<int>(state.range(0));
    const std::string pdf = CorpusFile(kPages[index]);
    if (access(pdf.c_str(), R_OK) != 0) {
        state.SkipWithError(("the shared corpus is absent: " + pdf).c_str());
        return;
    }
    PageTimes& times = g_times[index];
    try {
        for (auto _ : state) {
            double road = 0;
            {
                Road open(pdf);
                road = open.Update();
                times.recompose += open.UntickFirstInk();
                times.plates = open.Plates();
            }
            times.road += road;
            times.mutool += MutoolPsd(pdf);
            ++times.runs;
            state.SetIterationTime(road);
        }
    } catch (const std::exception& fault) {
        state.SkipWithError(fault.what());
        return;
    }
    state.SetLabel(kPages[index]);
    state.counters["road_s"] = times.road / times.runs;
    state.counters["mutool_s"] = times.mutool / times.runs;
    state.counters["recompose_s"] = times.recompose / times.runs;
}
BENCHMARK(BM_MainRoadBesideMutool)->DenseRange(0, kPageCount - 1)->UseManualTime()->Unit(benchmark::kMillisecond);

void Report() {
    std::printf("\n%-32s %5s %6s %11s %11s %12s %13s %16s\n", "page 1 at 300 dpi", "inks", "runs", "road ms",
                "mutool ms", "road/mutool", "recompose ms", "recompose/road");
    for (int i = 0; i < kPageCount; ++i) {
        const PageTimes& t = g_times[i];
        if (t.runs == 0)
            continue;
        const double road = t.road / t.runs, mutool = t.mutool / t.runs, recompose = t.recompose / t.runs;
        std::printf("%-32s %5d %6d %11.1f %11.1f %12.2f %13.1f %16.4f\n", kPages[i], t.plates, t.runs,
                    road * 1000, mutool * 1000, road / mutool, recompose * 1000, recompose / road);
    }
}

}  // namespace

int main(int argc, char** argv) {
    return BENCH_RunThenReport(argc, argv, Report);
}
