// The program beside MuPDF's and Ghostscript's own separations, and the
// road and a recompose inside the program.
//
// BM_ProgramBesideMutoolAndGs: for page 1 of five corpus files at 300 dpi
// and of the busiest at 600 dpi, each iteration runs, one after the other
// as separate processes, `tintscope FILE --dpi D --out DIR`,
// `mutool draw -q -r D -O 2 -o OUT.psd FILE 1` (MuPDF's per-ink plates in
// one pass) and `gs -sDEVICE=tiffsep -rD` on page 1 (Ghostscript's per-ink
// TIFFs), all writing under TMPDIR, and times each from spawn to exit.
// TINTSCOPE_BENCH_PROGRAM names another build's tintscope to time instead. The
// three share each iteration, so they share the machine's load; the table
// after the run gives the medians and the ratios.
//
// BM_MainRoadBesideMutool: for page 1 of three corpus files, each iteration
//   - opens the page in a fresh host with ZOVA.api loaded, the Separations
//     tool picked at 300 dpi and the view window sized to the page, as
//     tintscope does (not timed);
//   - times Update: separating the page, drawing every ink's plate through
//     the host and composing the view (the main road);
//   - times a click on the first ink's tick box: the view recomposed from
//     the plates it keeps, without that ink;
//   - times `mutool draw -r 300 -O 2 -o OUT.psd FILE 1` as a subprocess.
// After the run it prints, per page, the times and the ratios road / mutool
// and recompose / road.
//
// BM_HostilePageBesideMutool: a page of 50,000 nested clips, one of 20,000
// one-pixel inline images, one showing the corner of a 12000 × 12000
// one-ink image, one of 60,000 one-pixel gray inline images and one whose
// resources hold an unused /Properties dictionary of 65,000 keys, made
// under TMPDIR, each run once by tintscope at 300 dpi and by
// `mutool draw -O 2`; the counters give each one's seconds and peak memory.
//
// BM_ColourGlyphsThroughAClip: 4,000 Type 3 glyphs of 400 segments that
// set their colour, as a clip a fill goes through, stroked and filled, each
// page run once at 150, 300 and 600 dpi; the counters give each one's CPU
// seconds and peak memory, and the clip's CPU over the stroke's.
//
// BM_WideColourGlyphsBesideMutool: 200 Type 3 glyphs that set their colour
// and paint boxes far wider than their advance, at 30 points about a
// 200-point page, as a clip a fill goes through, stroked and filled, at
// 150, 300 and 600 dpi, each page run once by the program and by
// `mutool draw -c cmyk -O 2`; the counters give each one's CPU seconds,
// their ratio and the program's peak memory.
//
// BM_GrayInlineImagesBesideMutool: the page of 6,000, 60,000 and 66,000
// (more than the host has names) one-pixel gray inline images at 150 dpi
// beside mutool, with each one's peak memory an image.
//
// BM_CostlyPatternBesideMutool: the same for the four pages of a tiling
// pattern whose cell is costly to draw again and again
// (support/PatternPages.h), at 150 dpi (the 20,000-segment cell at 300), three
// runs each.
//
// BM_PatternCaseBesideMutool: the same, once each at 150 dpi, for the
// shared cases of tiling patterns whose drawing cell by cell costs more than
// their cells' marks say (../shared/cases beside the corpus, or the folder
// TINTSCOPE_BENCH_CASES names); a case file not there is skipped.
//
// BM_SoftMaskPageBesideMutool: the same at 150 dpi for page 1 of
// pdfjs_bug1019475_1_cmyk.pdf, whose separated pages paint 84,000 small
// squares each through one of 12 soft masks, and for that page with its
// soft masks taken out of its ExtGStates, three runs each.
//
// BM_SoftMaskStates: a page setting one luminosity mask by gs under N
// distinct fill colours, each followed by a 1 x 1 pt fill, whose group
// paints white in a colour of its own or (inherit) in the one in force;
// with R, the group has no resources and the page's hold R XObject names.
// Run once by tintscope at 150 dpi; the counters give its CPU seconds and
// peak memory (mutool takes minutes on the larger ones).
//
// BM_FormsSettingOneMask: N forms without resources, each setting one
// shared luminosity mask whose group has none either, paints in its own
// colour and is KB long; with an image, a 4 MB image in the same resources.
// The same run and counters: the group and what it borrows are drawn once,
// so both should grow at most linearly in N.
//
// BM_FormsLendingTheirOwnResources: N forms, each with a resources
// dictionary of its own (equal to the others) lending them to one shared
// luminosity mask whose group has none and is KB long; the same run and
// counters. Equal dictionaries share one copy of the group, so the peak
// does not grow with KB times N.
//
// BM_SoftMaskGroupSize: one luminosity mask whose group fills in the colour
// in force and holds KB kilobytes of comment lines, Flate-compressed, set
// under N fill colours, each followed by a short stroke; the same run and
// counters. Each state's mask draws one shared copy of the group, so the
// peak should hardly grow with the group's size.
//
// BM_GroupFormUnderAMask: one form of N small squares drawn under one
// luminosity mask whose group fills a polygon of M segments, the form a
// transparency group or without its Group; three runs each, the same
// counters. The group is masked once, so its time hardly grows with N.
//
// BM_PatternInKnockoutGroup: one group form, knocking out or not, that
// fills a 180-pt square with a pattern of N cells, each a black square at
// alpha 0.5; three runs each, the same counters. The pattern is one mark to
// the group, so its time grows with N, not with N times the square's area.
//
// BM_FormsInOneDictionary: N forms named by one XObject dictionary, each
// with resources of its own, drawn by the page; once, the same counters.
// Each form costs the same whatever the dictionary's size.
//
// BM_FormsLosingText: N forms each losing a TJ array MuPDF cannot read, on
// a 5% yellow ground; once, the same counters. The loss is judged once per
// ink against the document's mended twin, drawn at up to 300 dpi in bands.
//
// BM_DistinctMasksSetOnce: N graphics states, each with a mask of its own
// whose group fills one 2 x 2 point square, each set once by gs; once, the
// same counters. Each gs costs the same however many masks came before.
#include "viewer/VIEW_AVDocs.h"
#include "viewer/VIEW_DrawListener.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_Loader.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PageViews.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/VIEW_Toolbar.h"
#include "viewer/program/VIEW_PdfFile.h"
#include "viewer/program/VIEW_Program.h"
#include "viewer/program/VIEW_ProgramArgs.h"
#include "viewer/program/VIEW_ProgramViewSize.h"
#include "viewer/program/VIEW_ProgramWindows.h"
#include "win32/win32_driver.h"

#include "BENCH_Support.h"
#include "support/Deflated.h"
#include "support/PatternPages.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <dirent.h>
#include <cstdio>
#include <cstdlib>
#include <iterator>
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

// The corpus beside the source tree, or the folder TINTSCOPE_BENCH_CORPUS
// names (a worktree elsewhere).
std::string CorpusFile(const char* name) {
    const char* other = std::getenv("TINTSCOPE_BENCH_CORPUS");
    return std::string(other && *other ? other : TINTSCOPE_CORPUS_DIR) + "/" + name;
}

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

std::string TempDir() {
    const char* dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

// Runs args[0] (searched in PATH) with output to /dev/null and waits;
// seconds from spawn to exit, and its peak memory in *peakKb when given.
double TimedRun(std::vector<std::string> args, long* peakKb = nullptr, double* cpuSeconds = nullptr) {
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
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (spawned != 0 || wait4(child, &status, 0, &usage) != child)
        throw std::runtime_error(args[0] + " could not be run (tools/deps.sh installs mupdf-tools and ghostscript)");
    const double seconds = SecondsSince(start);
    if (peakKb)
        *peakKb = usage.ru_maxrss;
    if (cpuSeconds)
        *cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(args[0] + " failed on " + args[args.size() - 2]);
    return seconds;
}

// mutool draw as a subprocess, its PSD written under TMPDIR and removed;
// seconds.
double MutoolPsd(const std::string& pdf, int dpi = kDpi, long* peakKb = nullptr) {
    const std::string out = TempDir() + "/tintscope-bench-" + std::to_string(getpid()) + ".psd";
    const double seconds =
        TimedRun({"mutool", "draw", "-q", "-r", std::to_string(dpi), "-O", "2", "-o", out, pdf, "1"}, peakKb);
    std::remove(out.c_str());
    return seconds;
}

// Whether an executable of that name is on PATH.
bool OnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    const std::string dirs = path ? path : "";
    for (size_t start = 0; start <= dirs.size();) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        if (end > start && access((dirs.substr(start, end - start) + "/" + name).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// A fresh folder under TMPDIR, emptied and removed with this object.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string name = TempDir() + "/tintscope-bench-XXXXXX";
        if (!mkdtemp(&name[0]))
            throw std::runtime_error("cannot make a folder under " + TempDir());
        m_path = name;
    }
    ~ScratchFolder() { Remove(m_path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return m_path; }

private:
    // The folders here are one level deep at most (the program's --out).
    static void Remove(const std::string& path) {
        if (DIR* dir = opendir(path.c_str())) {
            while (const dirent* entry = readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..")
                    Remove(path + "/" + name);
            }
            closedir(dir);
            rmdir(path.c_str());
        } else {
            std::remove(path.c_str());
        }
    }
    std::string m_path;
};

// The program to time: this build's, or another build's (to time a tree
// before a change in the same session) named by TINTSCOPE_BENCH_PROGRAM.
std::string ProgramPath() {
    const char* other = std::getenv("TINTSCOPE_BENCH_PROGRAM");
    return other && *other ? other : TINTSCOPE_PROGRAM;
}

const char* const kProcessPages[] = {
    "skia_GWG060_Shading_x1a.pdf", "pdfjs_devicen.pdf", "skia_gs-bugzilla694385.pdf",
    "pdfjs_issue925.pdf",          "vera_A2b_6-2-4-4-t02-pass-a.pdf",
};
constexpr int kProcessPageCount = 5;
constexpr int kBusyPage = 2;

struct ProcessTimes {
    std::string label;
    std::vector<double> program, mutool, gs;
};
std::vector<ProcessTimes> g_process;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

void BM_ProgramBesideMutoolAndGs(benchmark::State& state) {
    const char* page = kProcessPages[state.range(0)];
    const int dpi = static_cast<int>(state.range(1));
    const std::string pdf = CorpusFile(page);
    if (access(pdf.c_str(), R_OK) != 0) {
        state.SkipWithError(("the shared corpus is absent: " + pdf).c_str());
        return;
    }
    g_process.push_back({std::string(page) + " " + std::to_string(dpi) + " dpi", {}, {}, {}});
    ProcessTimes& times = g_process.back();
    const std::string r = std::to_string(dpi);
    try {
        for (auto _ : state) {
            {
                ScratchFolder out;
                times.program.push_back(
                    TimedRun({ProgramPath(), pdf, "--dpi", r, "--out", out.Path() + "/out"}));
            }
            times.mutool.push_back(MutoolPsd(pdf, dpi));
            {
                ScratchFolder out;
                times.gs.push_back(TimedRun({"gs", "-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=tiffsep",
                                             "-r" + r, "-dFirstPage=1", "-dLastPage=1",
                                             "-sOutputFile=" + out.Path() + "/gs.tif", pdf}));
            }
            state.SetIterationTime(times.program.back());
        }
    } catch (const std::exception& fault) {
        state.SkipWithError(fault.what());
        return;
    }
    state.SetLabel(times.label);
}
// Whole processes of a second to a minute: a few interleaved runs, medians.
BENCHMARK(BM_ProgramBesideMutoolAndGs)
    ->ArgsProduct({benchmark::CreateDenseRange(0, kProcessPageCount - 1, 1), {300}})
    ->Args({kBusyPage, 600})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Hostile pages made here, at the sizes that once cost gigabytes: clips
// nested 50,000 deep around one square, 20,000 one-pixel CMYK inline images
// (whose temporary files once ran the names out), and a huge image of which
// a corner shows (once decoded whole).
std::string NestedClipsPage(int levels) {
    std::string content = "0 0 0 1 k\n";
    for (int i = 0; i < levels; ++i)
        content += "q 0 0 200 200 re W n\n";
    content += "20 20 60 60 re f\n";
    for (int i = 0; i < levels; ++i)
        content += "Q\n";
    return content;
}

std::string InlineImagesPage(int count) {
    std::string content;
    for (int i = 0; i < count; ++i)
        content += "q 1 0 0 1 " + std::to_string(i % 200) + " " + std::to_string(i / 200 % 200) +
                   " cm BI /W 1 /H 1 /BPC 8 /CS /DeviceCMYK ID " + std::string("\xFF\x00\x80\x00", 4) + " EI Q\n";
    return content;
}

// A 200-point page showing the top-left 833 × 833 pixels of a side × side
// one-ink Flate image drawn at one image pixel a pixel at 300 dpi.
std::string LargeImageFile(int side) {
    // Every row alike: the file stays small however large the image.
    const std::string data = DeflatedRows(side, side, 6, [](int y, std::string& row) {
        if (y == 0)
            for (size_t x = 0; x < row.size(); ++x)
                row[x] = static_cast<char>((x * 7) & 255);
    });
    const double points = side * 72.0 / kDpi;
    const std::string size = std::to_string(side);
    return VIEW_PdfFile(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R "
         "/Resources << /XObject << /Im0 5 0 R >> >> >>",
         VIEW_PdfStream("", "q " + std::to_string(points) + " 0 0 " + std::to_string(points) + " 0 " +
                                std::to_string(200 - points) + " cm /Im0 Do Q"),
         VIEW_PdfStream("/Type /XObject /Subtype /Image /Width " + size + " /Height " + size +
                            " /ColorSpace [/Separation /Gold /DeviceCMYK << /FunctionType 2 /Domain [0 1] "
                            "/C0 [0 0 0 0] /C1 [0 0.2 0.9 0.1] /N 1 >>] /BitsPerComponent 8 /Filter /FlateDecode",
                        data)});
}

std::string ContentFile(const std::string& content) {
    return VIEW_PdfFile({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R /Resources << >> >>",
                         VIEW_PdfStream("", content)});
}

std::string NestedClipsFile(int levels) { return ContentFile(NestedClipsPage(levels)); }
std::string InlineImagesFile(int count) { return ContentFile(InlineImagesPage(count)); }

// Every image a name in each ink's resources: a dictionary of count keys.
std::string GrayInlineImagesFile(int count) {
    std::string content;
    for (int i = 0; i < count; ++i)
        content += "q 1 0 0 1 " + std::to_string(i % 200) + " " + std::to_string(i / 200 % 200) +
                   " cm BI /W 1 /H 1 /CS /G /BPC 8 ID \x80 EI Q\n";
    return ContentFile(content);
}

std::string PropertiesFile(int count) {
    std::string properties;
    for (int i = 0; i < count; ++i)
        properties += "/P" + std::to_string(i) + " << /MCID " + std::to_string(i) + " >>\n";
    return VIEW_PdfFile({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R "
                         "/Resources << /Properties << " + properties + ">> >> >>",
                         VIEW_PdfStream("", "0 0 0 1 k 20 20 60 60 re f")});
}

struct HostilePage {
    const char* label;
    std::string (*file)(int);
    int size;
};
const HostilePage kHostilePages[] = {
    {"50,000 nested clips", NestedClipsFile, 50000},
    {"20,000 inline images", InlineImagesFile, 20000},
    {"12000 x 12000 image, its corner shown", LargeImageFile, 12000},
    {"60,000 gray inline images", GrayInlineImagesFile, 60000},
    {"65,000 unused /Properties keys", PropertiesFile, 65000},
};

// The page's file run by tintscope and by mutool at dpi, once an
// iteration; their seconds and peak memory in the counters.
void ProgramBesideMutool(benchmark::State& state, const std::string& text, int dpi, const std::string& label) {
    ScratchFolder folder;
    const std::string pdf = folder.Path() + "/page.pdf";
    if (FILE* file = std::fopen(pdf.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    double program = 0, mutool = 0;
    long programKb = 0, mutoolKb = 0;
    const bool withMutool = OnPath("mutool");
    try {
        for (auto _ : state) {
            long kb = 0;
            {
                ScratchFolder out;
                const double seconds =
                    TimedRun({ProgramPath(), pdf, "--dpi", std::to_string(dpi), "--out", out.Path() + "/out"}, &kb);
                program += seconds;
                state.SetIterationTime(seconds);
            }
            programKb = std::max(programKb, kb);
            if (!withMutool)
                continue;
            mutool += MutoolPsd(pdf, dpi, &kb);
            mutoolKb = std::max(mutoolKb, kb);
        }
    } catch (const std::exception& fault) {
        state.SkipWithError(fault.what());
        return;
    }
    const double runs = static_cast<double>(state.iterations());
    state.SetLabel(label + (withMutool ? "" : " (mutool not installed)"));
    state.counters["program_s"] = program / runs;
    state.counters["program_MB"] = programKb / 1024.0;
    if (withMutool) {
        state.counters["mutool_s"] = mutool / runs;
        state.counters["mutool_MB"] = mutoolKb / 1024.0;
    }
}

std::string SoftMaskStatesFile(int states, int names, bool inherit) {
    std::string content, xobjects;
    for (int i = 0; i < states; ++i)
        content += "q " + std::to_string((i + 1.0) / (states + 1)) + " 0.5 0 0 k /GS0 gs " +
                   std::to_string(i % 500 * 1.2 + 2) + " " + std::to_string(i / 500 % 600 * 1.2 + 2) +
                   " 1 1 re f Q\n";
    for (int i = 0; i < names; ++i)
        xobjects += "/X" + std::to_string(i) + " 7 0 R ";
    return VIEW_PdfFile(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /ExtGState "
         "<< /GS0 5 0 R >> /XObject << " + xobjects + ">> >> >>",
         VIEW_PdfStream("", content), "<< /Type /ExtGState /SMask << /S /Luminosity /G 6 0 R >> >>",
         VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Group << /S /Transparency /CS "
                        "/DeviceGray >>" + std::string(names ? "" : " /Resources << >>"),
                        inherit ? "0 0 612 792 re f" : "1 g 0 0 612 792 re f"),
         VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 1 1]", "")});
}

// One run of the program on text at 150 dpi, its CPU and peak memory as
// counters.
void RunProgramOnce(benchmark::State& state, const std::string& text, const std::string& label) {
    ScratchFolder folder;
    const std::string pdf = folder.Path() + "/page.pdf";
    if (FILE* file = std::fopen(pdf.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    double cpu = 0;
    long kb = 0;
    try {
        for (auto _ : state) {
            ScratchFolder out;
            state.SetIterationTime(
                TimedRun({ProgramPath(), pdf, "--dpi", "150", "--out", out.Path() + "/out"}, &kb, &cpu));
        }
    } catch (const std::exception& fault) {
        state.SkipWithError(fault.what());
        return;
    }
    state.SetLabel(label);
    state.counters["cpu_s"] = cpu;
    state.counters["peak_MB"] = kb / 1024.0;
}

void BM_SoftMaskStates(benchmark::State& state) {
    const int states = static_cast<int>(state.range(0)), names = static_cast<int>(state.range(1));
    const bool inherit = state.range(2) != 0;
    RunProgramOnce(state, SoftMaskStatesFile(states, names, inherit),
                   std::string(inherit ? "inherit" : "own colour") + (names ? ", group lent the page's names" : ""));
}
BENCHMARK(BM_SoftMaskStates)
    ->Args({2000, 5000, 0})
    ->Args({2000, 5000, 1})
    ->Args({10000, 0, 0})
    ->Args({20000, 0, 0})
    ->Args({5000, 0, 1})
    ->Args({10000, 0, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

std::string SoftMaskGroupSizeFile(int states, int kb) {
    std::string content, group = "0 0 600 800 re f\n";
    while (group.size() < static_cast<size_t>(kb) * 1024)
        group += "% a comment line that pads the group's content out\n";
    for (int i = 0; i < states; ++i) {
        const int x = 10 + i % 100 * 6, y = 10 + i / 100 * 7 % 780;
        content += "q " + std::to_string((i + 1.0) / (states + 1)) + " 0 0 0 k /GS0 gs 0 0 0 1 K 2 w " +
                   std::to_string(x) + " " + std::to_string(y) + " m " + std::to_string(x + 4) + " " +
                   std::to_string(y) + " l S Q\n";
    }
    return VIEW_PdfFile(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /ExtGState "
         "<< /GS0 << /SMask << /S /Luminosity /G 5 0 R >> >> >> >> >>",
         VIEW_PdfStream("/Filter /FlateDecode", Deflated(content)),
         VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Group << /S /Transparency /CS "
                        "/DeviceGray >> /Filter /FlateDecode",
                        Deflated(group))});
}

void BM_SoftMaskGroupSize(benchmark::State& state) {
    const int states = static_cast<int>(state.range(0)), kb = static_cast<int>(state.range(1));
    RunProgramOnce(state, SoftMaskGroupSizeFile(states, kb),
                   std::to_string(states) + " states of a " + std::to_string(kb) + " KB group");
}
BENCHMARK(BM_SoftMaskGroupSize)
    ->Args({10000, 60})
    ->Args({10000, 1})
    ->Args({1000, 60})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One luminosity mask whose group is a white page, a black square and one
// comment line of MB megabytes, its square's operands whole or broken by a
// stray ")" (which the mended twin blanks); under a cyan fill. A comment
// never paints: the peak should stay near the whole page's, with or
// without the stray token.
// Deflated a megabyte at a time: the benchmark's own peak, which the
// spawned program's counts from, stays small.
std::string MaskGroupOfOneLongCommentFile(int mb, bool stray) {
    const std::string head = std::string("1 g 0 0 612 792 re f 0 g 100 100 ") + (stray ? ")" : "") + " 200 200 re f\n%";
    const std::string line(1 << 20, 'x');
    std::string group;
    z_stream z{};
    deflateInit(&z, 6);
    std::vector<unsigned char> room(1 << 16);
    auto feed = [&](const std::string& bytes, int flush) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
        z.avail_in = static_cast<uInt>(bytes.size());
        do {
            z.next_out = room.data();
            z.avail_out = static_cast<uInt>(room.size());
            deflate(&z, flush);
            group.append(reinterpret_cast<const char*>(room.data()), room.size() - z.avail_out);
        } while (z.avail_out == 0);
    };
    feed(head, Z_NO_FLUSH);
    for (int i = 0; i < mb; ++i)
        feed(line, Z_NO_FLUSH);
    feed("\n", Z_FINISH);
    deflateEnd(&z);
    return VIEW_PdfFile(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /ExtGState "
         "<< /GS0 << /SMask << /S /Luminosity /G 5 0 R >> >> >> >> >>",
         VIEW_PdfStream("", "q /GS0 gs 1 0 0 0 k 0 0 612 792 re f Q"),
         VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Group << /S /Transparency /CS "
                        "/DeviceGray >> /Filter /FlateDecode",
                        group)});
}

void BM_MaskGroupOfOneLongComment(benchmark::State& state) {
    const int mb = static_cast<int>(state.range(0));
    const bool stray = state.range(1) != 0;
    RunProgramOnce(state, MaskGroupOfOneLongCommentFile(mb, stray),
                   std::to_string(mb) + " MB of comment" + (stray ? ", a stray token" : ", whole"));
}
BENCHMARK(BM_MaskGroupOfOneLongComment)
    ->Args({50, 0})
    ->Args({50, 1})
    ->Args({200, 0})
    ->Args({200, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// N forms without resources of their own, each setting one shared mask
// whose group has no resources, sets its own colour and is KB long, over a
// small magenta square; with an image, a 2000 x 2000 grey image (4 MB,
// stored raw) in the same resources.
std::string FormsSettingOneMaskFile(int forms, int kb, bool image) {
    std::string group;
    while (group.size() + 52 <= static_cast<size_t>(kb) * 1024)
        group += "% a comment line that pads the group's content out\n";
    group += "1 g 0 0 612 792 re f\n";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>", "", "",
        VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Group << /S /Transparency /CS "
                       "/DeviceGray >>",
                       group),
        "<< /Type /ExtGState /SMask << /S /Luminosity /G 5 0 R >> >>"};
    std::string names, content;
    if (image) {
        std::string samples;
        for (int x = 0; x < 2000; ++x)
            samples += static_cast<char>(x * 7 % 256);
        std::string all;
        for (int y = 0; y < 2000; ++y)
            all += samples;
        objects.push_back(VIEW_PdfStream(
            "/Type /XObject /Subtype /Image /Width 2000 /Height 2000 /ColorSpace /DeviceGray /BitsPerComponent 8",
            all));
        names += "/Im0 7 0 R ";
        content += "q 300 0 0 300 300 450 cm /Im0 Do Q\n";
    }
    for (int i = 0; i < forms; ++i) {
        const std::string number = std::to_string(objects.size() + 1);
        objects.push_back(VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 612 792]",
                                         "/GS1 gs 0 1 0 0 k " + std::to_string(10 + i % 100 * 6) + " " +
                                             std::to_string(10 + i / 100 * 6) + " 4 4 re f"));
        names += "/Fm" + std::to_string(i) + " " + number + " 0 R ";
        content += "/Fm" + std::to_string(i) + " Do\n";
    }
    objects[2] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /ExtGState "
                 "<< /GS1 6 0 R >> /XObject << " +
                 names + ">> >> >>";
    objects[3] = VIEW_PdfStream("", content);
    return VIEW_PdfFile(objects);
}

void BM_FormsSettingOneMask(benchmark::State& state) {
    const int forms = static_cast<int>(state.range(0)), kb = static_cast<int>(state.range(1));
    const bool image = state.range(2) != 0;
    RunProgramOnce(state, FormsSettingOneMaskFile(forms, kb, image),
                   std::to_string(forms) + " forms setting one " + std::to_string(kb) + " KB group" +
                       (image ? ", a 4 MB image beside" : ""));
}
BENCHMARK(BM_FormsSettingOneMask)
    ->Args({100, 1, 0})
    ->Args({400, 1, 0})
    ->Args({2000, 1, 0})
    ->Args({100, 60, 0})
    ->Args({400, 60, 0})
    ->Args({2000, 60, 0})
    ->Args({150, 1, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// N forms, each with resources of its own naming /GS0, a luminosity mask
// of one shared group without resources, KB long, that paints in the
// Separation /CS0 it borrows, and /CS0 itself: equal dictionaries made
// apart, as make-forms-each-lending-their-own-resources-to-one-mask.py
// writes them. Each form strokes one short black line under the mask.
std::string FormsLendingTheirOwnResourcesFile(int forms, int kb) {
    std::string group = "/CS0 cs 1 scn 0 0 600 800 re f\n";
    for (int k = 0; k < kb * 1024 / 52; ++k)
        group += "% a comment line that pads the group's content out\n";
    const std::string resources =
        "/Resources << /ExtGState << /GS0 << /SMask << /S /Luminosity /G 5 0 R >> >> >> /ColorSpace << /CS0 "
        "[/Separation /Spot /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0.6 1 0] /N 1 >>] "
        ">> >>";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>", "", "",
        VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Group << /S /Transparency /CS "
                       "/DeviceGray >>",
                       group)};
    std::string names, content;
    for (int i = 0; i < forms; ++i) {
        const int x = 10 + i % 100 * 6, y = 10 + i / 100 * 7 % 780;
        names += "/F" + std::to_string(i) + " " + std::to_string(objects.size() + 1) + " 0 R ";
        content += "/F" + std::to_string(i) + " Do\n";
        objects.push_back(VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 612 792] " + resources,
                                         "/GS0 gs 0 0 0 1 K 2 w " + std::to_string(x) + " " + std::to_string(y) +
                                             " m " + std::to_string(x + 4) + " " + std::to_string(y) + " l S"));
    }
    objects[2] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /XObject << " + names +
                 ">> >> /Contents 4 0 R >>";
    objects[3] = VIEW_PdfStream("/Filter /FlateDecode", Deflated(content));
    return VIEW_PdfFile(objects);
}

void BM_FormsLendingTheirOwnResources(benchmark::State& state) {
    const int forms = static_cast<int>(state.range(0)), kb = static_cast<int>(state.range(1));
    RunProgramOnce(state, FormsLendingTheirOwnResourcesFile(forms, kb),
                   std::to_string(forms) + " forms lending their own resources to one " + std::to_string(kb) +
                       " KB group");
}
BENCHMARK(BM_FormsLendingTheirOwnResources)
    ->Args({300, 60})
    ->Args({1000, 60})
    ->Args({1000, 1})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// N forms over a 5% yellow ground, each showing black text through a TJ
// array holding a name, which MuPDF drops: the loss is judged on each ink
// by drawing the mended twin beside the page.
std::string FormsLosingTextFile(int forms) {
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                        "", "", "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    std::string names, content = "0 0 0.05 0 k 0 0 612 792 re f\n";
    for (int i = 0; i < forms; ++i) {
        names += "/X" + std::to_string(i) + " " + std::to_string(objects.size() + 1) + " 0 R ";
        content += "q 1 0 0 1 " + std::to_string(i % 30 * 20) + " " + std::to_string(i / 30 * 20 % 780) + " cm /X" +
                   std::to_string(i) + " Do Q\n";
        objects.push_back(VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 20 20] /Resources << /Font << "
                                         "/F1 5 0 R >> >>",
                                         "0 0 0 1 k BT /F1 6 Tf 1 5 Td [(ab) /X (cd)] TJ ET 1 0 0 0 k 0 0 3 3 re f"));
    }
    objects[2] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /XObject << " + names +
                 ">> >> /Contents 4 0 R >>";
    objects[3] = VIEW_PdfStream("", content);
    return VIEW_PdfFile(objects);
}

void BM_FormsLosingText(benchmark::State& state) {
    const int forms = static_cast<int>(state.range(0));
    RunProgramOnce(state, FormsLosingTextFile(forms), std::to_string(forms) + " forms losing a TJ");
}
BENCHMARK(BM_FormsLosingText)->Arg(10)->Arg(100)->Arg(1000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// N composite fonts on one page, each with a map of codes of its own,
// whole or (the first) cut between two entries, which MuPDF reads without a
// word: every document's maps are read once for their end, and a cut one
// is judged on each ink by the mended twin.
std::string FontsWithOwnMapsFile(int fonts, bool cut) {
    std::string map = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /X def "
                      "1 begincodespacerange <0000> <FFFF> endcodespacerange\n";
    for (int code = 0; code < 64; ++code) {
        char entry[64];
        std::snprintf(entry, sizeof entry, "1 begincidrange <%04x> <%04x> %d endcidrange\n", code, code, code + 1);
        map += entry;
    }
    map += "endcmap CMapName currentdict /CMap defineresource pop end end";
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>", "", "",
        "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /Arial /DW 600 /FontDescriptor 6 0 R "
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> >>",
        "<< /Type /FontDescriptor /FontName /Arial /Flags 32 /FontBBox [-166 -225 1000 931] /ItalicAngle 0 "
        "/Ascent 718 /Descent -207 /CapHeight 718 /StemV 88 >>"};
    std::string names, content = "0 0 0 1 k BT\n";
    for (int i = 0; i < fonts; ++i) {
        const std::string font = std::to_string(objects.size() + 1);
        names += "/F" + std::to_string(i) + " " + font + " 0 R ";
        content += "/F" + std::to_string(i) + " 8 Tf " + (i ? (i % 24 ? "24 0" : "-552 -20") : "10 770") +
                   " Td <00240030> Tj\n";
        objects.push_back("<< /Type /Font /Subtype /Type0 /BaseFont /Arial /Encoding " +
                          std::to_string(objects.size() + 2) + " 0 R /DescendantFonts [5 0 R] >>");
        objects.push_back(VIEW_PdfStream("/Type /CMap /CMapName /X",
                                         cut && i == 0 ? map.substr(0, map.find('\n', map.size() / 3)) : map));
    }
    objects[2] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << " + names +
                 ">> >> /Contents 4 0 R >>";
    objects[3] = VIEW_PdfStream("", content + "ET");
    return VIEW_PdfFile(objects);
}

void BM_FontsWithOwnMaps(benchmark::State& state) {
    const int fonts = static_cast<int>(state.range(0));
    const bool cut = state.range(1) != 0;
    RunProgramOnce(state, FontsWithOwnMapsFile(fonts, cut),
                   std::to_string(fonts) + " fonts with maps of their own" + (cut ? ", the first cut" : ""));
}
BENCHMARK(BM_FontsWithOwnMaps)
    ->ArgsProduct({{10, 100, 1000}, {0, 1}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_HostilePageBesideMutool(benchmark::State& state) {
    const HostilePage& page = kHostilePages[state.range(0)];
    ProgramBesideMutool(state, page.file(page.size), kDpi, page.label);
}
BENCHMARK(BM_HostilePageBesideMutool)
    ->DenseRange(0, 4)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One luminosity mask, its group a grey polygon of segments segments, set
// by gs before one form of squares small black squares, as a transparency
// group or (plain) without its Group.
std::string GroupFormUnderAMaskFile(int squares, int segments, bool plain) {
    std::string polygon = "0.7 g\n", marks = "0 0 0 1 k\n";
    for (int k = 0; k < segments; ++k) {
        const double angle = 2 * 3.141592653589793 * k / segments;
        polygon += std::to_string(300 + 250 * std::cos(angle)) + " " + std::to_string(400 + 250 * std::sin(angle)) +
                   (k == 0 ? " m\n" : " l\n");
    }
    for (int k = 0; k < squares; ++k)
        marks += std::to_string(60 + k % 40 * 12) + " " + std::to_string(100 + k / 40 * 12) + " 8 8 re f\n";
    return VIEW_PdfFile(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /ExtGState "
         "<< /GS1 << /SMask << /S /Luminosity /G 5 0 R >> >> >> /XObject << /Fm0 6 0 R >> >> >>",
         VIEW_PdfStream("", "/GS1 gs /Fm0 Do"),
         VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Group << /S /Transparency /CS "
                        "/DeviceGray >>",
                        polygon + "h f"),
         VIEW_PdfStream(std::string("/Type /XObject /Subtype /Form /BBox [0 0 612 792]") +
                            (plain ? "" : " /Group << /S /Transparency >>"),
                        marks)});
}

void BM_GroupFormUnderAMask(benchmark::State& state) {
    const int squares = static_cast<int>(state.range(0)), segments = static_cast<int>(state.range(1));
    const bool plain = state.range(2) != 0;
    RunProgramOnce(state, GroupFormUnderAMaskFile(squares, segments, plain),
                   std::to_string(squares) + " squares, a " + std::to_string(segments) + "-segment mask" +
                       (plain ? ", the form without Group" : ""));
}
BENCHMARK(BM_GroupFormUnderAMask)
    ->Args({100, 2000, 0})
    ->Args({2000, 2000, 0})
    ->Args({2000, 2000, 1})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A group form, knocking out or not, filling 180 x 180 pt with a pattern of
// columns x rows cells, each painting a black square at alpha 0.5 over
// most of the cell.
std::string PatternInKnockoutGroupFile(int columns, int rows, bool knockout) {
    const double xstep = 180.0 / columns, ystep = 180.0 / rows;
    return VIEW_PdfFile(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R /Resources << /XObject << /Fm0 5 "
         "0 R >> >> >>",
         VIEW_PdfStream("", "/Fm0 Do"),
         VIEW_PdfStream(std::string("/Type /XObject /Subtype /Form /BBox [0 0 200 200] /Group << /S /Transparency") +
                            (knockout ? " /K true" : "") + " >> /Resources << /Pattern << /P0 6 0 R >> >>",
                        "/Pattern cs /P0 scn 10 10 180 180 re f"),
         VIEW_PdfStream("/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 " +
                            std::to_string(xstep) + " " + std::to_string(ystep) + "] /XStep " + std::to_string(xstep) +
                            " /YStep " + std::to_string(ystep) +
                            " /Matrix [1 0 0 1 10 10] /Resources << /ExtGState << /A << /ca 0.5 >> >> >>",
                        "/A gs 0 0 0 1 k 0 0 " + std::to_string(xstep * 0.8) + " " + std::to_string(ystep * 0.8) +
                            " re f")});
}

void BM_PatternInKnockoutGroup(benchmark::State& state) {
    const int cells = static_cast<int>(state.range(0));
    const bool knockout = state.range(1) != 0;
    const int columns = static_cast<int>(std::ceil(std::sqrt(cells))), rows = (cells + columns - 1) / columns;
    RunProgramOnce(state, PatternInKnockoutGroupFile(columns, rows, knockout),
                   std::to_string(columns) + " x " + std::to_string(rows) + " cells" +
                       (knockout ? ", knockout" : ", not knocking out"));
}
BENCHMARK(BM_PatternInKnockoutGroup)
    ->Args({10, 1})
    ->Args({100, 1})
    ->Args({1000, 1})
    ->Args({10000, 1})
    ->Args({10000, 0})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// glyphs Type 3 glyphs that set their colour (d0), each a star of segments
// segments, 50 a line at 10 points, in text mode mode: 7 (a clip, then a
// fill through it), 1 (stroked) or 0 (filled).
std::string ColourGlyphsFile(int glyphs, int segments, int mode) {
    std::string star = "1000 0 d0 0 1 0 0 k 900 500 m";
    for (int k = 1; k < segments; ++k) {
        const double angle = 2 * 3.141592653589793 * k / segments, r = 400 * (k % 2 ? 1.0 : 0.6);
        star += " " + std::to_string(500 + r * std::cos(angle)) + " " + std::to_string(500 + r * std::sin(angle)) +
                " l";
    }
    std::string text = "q " + std::to_string(mode) + " Tr BT /F1 10 Tf";
    for (int line = 0, left = glyphs; left > 0; ++line, left -= 50)
        text += " 1 0 0 1 5 " + std::to_string(780 - line * 11 % 770) + " Tm (" +
                std::string(static_cast<size_t>(std::min(left, 50)), 'a') + ") Tj";
    text += mode == 7 ? " ET 0 0 1 0 k 0 0 612 792 re f Q" : " ET Q";
    return VIEW_PdfFile(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> "
         ">> >>",
         VIEW_PdfStream("", text),
         "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs "
         "<< /a 6 0 R >> /Encoding << /Type /Encoding /Differences [97 /a] >> /FirstChar 97 /LastChar 97 /Widths "
         "[1000] >>",
         VIEW_PdfStream("", star + " h f")});
}

// Arguments: the glyphs, their segments and the dpi. The clip's page should
// cost about what filling the glyphs costs: each glyph's coverage made once
// a size, and only for the bands it meets.
void BM_ColourGlyphsThroughAClip(benchmark::State& state) {
    const int glyphs = static_cast<int>(state.range(0)), segments = static_cast<int>(state.range(1));
    const int dpi = static_cast<int>(state.range(2));
    const int modes[] = {7, 1, 0};
    const char* const names[] = {"clip", "stroke", "fill"};
    ScratchFolder folder;
    double cpu[3] = {}, wall[3] = {};
    long kb[3] = {};
    try {
        for (int k = 0; k < 3; ++k) {
            const std::string pdf = folder.Path() + "/" + names[k] + ".pdf";
            const std::string text = ColourGlyphsFile(glyphs, segments, modes[k]);
            if (FILE* file = std::fopen(pdf.c_str(), "wb")) {
                std::fwrite(text.data(), 1, text.size(), file);
                std::fclose(file);
            }
        }
        for (auto _ : state) {
            for (int k = 0; k < 3; ++k) {
                ScratchFolder out;
                wall[k] = TimedRun({ProgramPath(), folder.Path() + "/" + names[k] + ".pdf", "--dpi",
                                    std::to_string(dpi), "--out", out.Path() + "/out"},
                                   &kb[k], &cpu[k]);
            }
            state.SetIterationTime(wall[0]);
        }
    } catch (const std::exception& fault) {
        state.SkipWithError(fault.what());
        return;
    }
    state.SetLabel(std::to_string(glyphs) + " glyphs of " + std::to_string(segments) + " segments at " +
                   std::to_string(dpi) + " dpi");
    for (int k = 0; k < 3; ++k) {
        state.counters[std::string(names[k]) + "_cpu_s"] = cpu[k];
        state.counters[std::string(names[k]) + "_peak_MB"] = kb[k] / 1024.0;
    }
    state.counters["clip_over_stroke"] = cpu[1] > 0 ? cpu[0] / cpu[1] : 0;
}
BENCHMARK(BM_ColourGlyphsThroughAClip)
    ->Args({4000, 400, 150})
    ->Args({4000, 400, 300})
    ->Args({4000, 400, 600})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// glyphs Type 3 glyphs that set their colour (d0) on a 200-point page, in
// turn /h, filling a 6,000-unit square in magenta, and /i, a 3,000 x
// 6,000-unit box in cyan and magenta, at 30 points: far wider than their
// 700-unit advance. Each is placed on its own about the page, in text mode
// mode: 7 (a clip, then a black fill through it), 1 (stroked, 2 points) or
// 0 (filled).
std::string WideColourGlyphsFile(int glyphs, int mode) {
    std::string text = "q BT " + std::to_string(mode) + " Tr 2 w /F1 30 Tf";
    unsigned seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
    };
    for (int i = 0; i < glyphs; ++i)
        text += " 1 0 0 1 " + std::to_string(next(34000) / 100.0 - 150) + " " +
                std::to_string(next(34000) / 100.0 - 150) + " Tm (" + (i % 2 ? "i" : "h") + ") Tj";
    text += mode == 7 ? " ET 0 0 0 1 k 0 0 200 200 re f Q" : " ET Q";
    return VIEW_PdfFile(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> "
         ">> >>",
         VIEW_PdfStream("", text),
         "<< /Type /Font /Subtype /Type3 /FontBBox [0 0 6000 6000] /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs "
         "<< /h 6 0 R /i 7 0 R >> /Encoding << /Type /Encoding /Differences [104 /h /i] >> /FirstChar 104 "
         "/LastChar 105 /Widths [700 700] >>",
         VIEW_PdfStream("", "700 0 d0 0 0.85 0 0 k 0 0 6000 6000 re f"),
         VIEW_PdfStream("", "700 0 d0 0.5 0.6 0 0 k 0 0 3000 6000 re f")});
}

// Arguments: the glyphs and the dpi. Each glyph should cost the part of it
// on the page, as MuPDF's one drawing of the page does, whatever the bands:
// the counters give the program's CPU, mutool's (`draw -c cmyk -O 2`) and
// their ratio, for the clip, the stroke and the fill, and the program's
// peak memory.
void BM_WideColourGlyphsBesideMutool(benchmark::State& state) {
    const int glyphs = static_cast<int>(state.range(0)), dpi = static_cast<int>(state.range(1));
    const int modes[] = {7, 1, 0};
    const char* const names[] = {"clip", "stroke", "fill"};
    ScratchFolder folder;
    double cpu[3] = {}, mutool[3] = {};
    long kb[3] = {};
    try {
        for (int k = 0; k < 3; ++k) {
            const std::string pdf = folder.Path() + "/" + names[k] + ".pdf";
            const std::string text = WideColourGlyphsFile(glyphs, modes[k]);
            if (FILE* file = std::fopen(pdf.c_str(), "wb")) {
                std::fwrite(text.data(), 1, text.size(), file);
                std::fclose(file);
            }
        }
        for (auto _ : state) {
            double wall = 0;
            for (int k = 0; k < 3; ++k) {
                ScratchFolder out;
                const std::string pdf = folder.Path() + "/" + names[k] + ".pdf";
                wall += TimedRun({ProgramPath(), pdf, "--dpi", std::to_string(dpi), "--out", out.Path() + "/out"},
                                 &kb[k], &cpu[k]);
                TimedRun({"mutool", "draw", "-q", "-r", std::to_string(dpi), "-c", "cmyk", "-O", "2", "-o",
                          out.Path() + "/page.pam", pdf},
                         nullptr, &mutool[k]);
            }
            state.SetIterationTime(wall);
        }
    } catch (const std::exception& fault) {
        state.SkipWithError(fault.what());
        return;
    }
    state.SetLabel(std::to_string(glyphs) + " glyphs wider than their em at " + std::to_string(dpi) + " dpi");
    for (int k = 0; k < 3; ++k) {
        state.counters[std::string(names[k]) + "_cpu_s"] = cpu[k];
        state.counters[std::string(names[k]) + "_mutool_cpu_s"] = mutool[k];
        state.counters[std::string(names[k]) + "_over_mutool"] = mutool[k] > 0 ? cpu[k] / mutool[k] : 0;
        state.counters[std::string(names[k]) + "_peak_MB"] = kb[k] / 1024.0;
    }
}
BENCHMARK(BM_WideColourGlyphsBesideMutool)
    ->Args({200, 150})
    ->Args({200, 300})
    ->Args({200, 600})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One XObject dictionary naming forms forms, each with resources of its
// own and filling a small magenta square, all drawn by the page.
std::string FormsInOneDictionaryFile(int forms) {
    std::string names, content;
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                        "", ""};
    for (int i = 0; i < forms; ++i) {
        const std::string number = std::to_string(5 + 2 * i);
        names += "/Fm" + std::to_string(i) + " " + number + " 0 R ";
        content += "/Fm" + std::to_string(i) + " Do\n";
        objects.push_back(VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 612 792] /Resources " +
                                             std::to_string(6 + 2 * i) + " 0 R",
                                         "0 1 0 0 k " + std::to_string(10 + i % 100 * 6) + " " +
                                             std::to_string(10 + i / 100 * 6) + " 4 4 re f"));
        objects.push_back("<< /ProcSet [/PDF] >>");
    }
    objects[2] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << /XObject << " +
                 names + ">> >> >>";
    objects[3] = VIEW_PdfStream("", content);
    return VIEW_PdfFile(objects);
}

void BM_FormsInOneDictionary(benchmark::State& state) {
    const int forms = static_cast<int>(state.range(0));
    RunProgramOnce(state, FormsInOneDictionaryFile(forms), std::to_string(forms) + " forms");
}
BENCHMARK(BM_FormsInOneDictionary)->Arg(1000)->Arg(10000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Masks distinct masks, each in a graphics state of its own set once by gs
// over a 2 x 2 point square; each mask's group fills only that square, so
// MuPDF's drawing of a mask stays small.
std::string DistinctMasksSetOnceFile(int masks) {
    std::string states, content;
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                        "", ""};
    for (int i = 0; i < masks; ++i) {
        const std::string at = std::to_string(i * 7 % 190) + " " + std::to_string(i * 13 % 190);
        const std::string corner = std::to_string(i * 7 % 190 + 2) + " " + std::to_string(i * 13 % 190 + 2);
        objects.push_back(VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [" + at + " " + corner +
                                             "] /Group << /S /Transparency /CS /DeviceGray >> /Resources << >>",
                                         std::to_string(0.2 + 0.6 * i / masks) + " g " + at + " 2 2 re f"));
        objects.push_back("<< /Type /ExtGState /SMask << /S /Luminosity /G " + std::to_string(5 + 2 * i) +
                          " 0 R >> >>");
        states += "/GS" + std::to_string(i) + " " + std::to_string(6 + 2 * i) + " 0 R ";
        content += "q /GS" + std::to_string(i) + " gs 0.2 0.7 0 0 k " + at + " 2 2 re f Q\n";
    }
    objects[2] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R /Resources << /ExtGState << " +
                 states + ">> >> >>";
    objects[3] = VIEW_PdfStream("", content);
    return VIEW_PdfFile(objects);
}

void BM_DistinctMasksSetOnce(benchmark::State& state) {
    const int masks = static_cast<int>(state.range(0));
    RunProgramOnce(state, DistinctMasksSetOnceFile(masks), std::to_string(masks) + " masks set once each");
}
BENCHMARK(BM_DistinctMasksSetOnce)->Arg(1000)->Arg(10000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The page of range(0) one-pixel gray inline images at 150 dpi; beside the
// totals, what each image costs.
void BM_GrayInlineImagesBesideMutool(benchmark::State& state) {
    const int images = static_cast<int>(state.range(0));
    ProgramBesideMutool(state, GrayInlineImagesFile(images), 150,
                        std::to_string(images) + " gray inline images at 150 dpi");
    for (const char* peer : {"program", "mutool"}) {
        const auto found = state.counters.find(std::string(peer) + "_MB");
        if (found != state.counters.end())
            state.counters[std::string(peer) + "_KB_an_image"] = found->second.value * 1024 / images;
    }
}
BENCHMARK(BM_GrayInlineImagesBesideMutool)
    ->Arg(6000)
    ->Arg(60000)
    ->Arg(66000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Arguments: a CostlyCell and the dpi.
void BM_CostlyPatternBesideMutool(benchmark::State& state) {
    const CostlyCell cell = static_cast<CostlyCell>(state.range(0));
    const int dpi = static_cast<int>(state.range(1));
    ProgramBesideMutool(state, CostlyPatternPage(cell), dpi,
                        std::string(CostlyCellName(cell)) + " at " + std::to_string(dpi) + " dpi");
}
BENCHMARK(BM_CostlyPatternBesideMutool)
    ->Args({static_cast<int>(CostlyCell::Path1000), 150})
    ->Args({static_cast<int>(CostlyCell::Path20000), 300})
    ->Args({static_cast<int>(CostlyCell::Glyphs400), 150})
    ->Args({static_cast<int>(CostlyCell::NestedPattern), 150})
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

const char* const kPatternCases[] = {
    "pattern-between-columns-ystep-1e-5.pdf",
    "pattern-between-columns-ystep-1e-9.pdf",
    "pattern-between-columns-300-marks.pdf",
    "pattern-column-crosses-ystep-1e-5.pdf",
    "pattern-cell-soft-mask-huge-box.pdf",
    "pattern-cell-round-clip-huge.pdf",
    "pattern-cell-text-clip-huge.pdf",
    "pattern-cell-mesh-30000-triangles.pdf",
    "patterns-50-each-under-budget.pdf",
    "pattern-used-400-times.pdf",
    "pattern-in-form-drawn-10000-times.pdf",
    "clips-in-form-drawn-3000-times.pdf",
    "pattern-strokes-2000.pdf",
    "patterns-1000-of-one-cell.pdf",
    "pattern-cell-type3-glyph-3000-segments.pdf",
    "pattern-cell-two-meshes-used-500-times.pdf",
};

std::string CaseFile(const char* name) {
    const char* other = std::getenv("TINTSCOPE_BENCH_CASES");
    return std::string(other && *other ? other : TINTSCOPE_CORPUS_DIR "/../cases") + "/" + name;
}

// Argument: the index of the case.
void BM_PatternCaseBesideMutool(benchmark::State& state) {
    const char* name = kPatternCases[state.range(0)];
    std::string text;
    if (FILE* file = std::fopen(CaseFile(name).c_str(), "rb")) {
        char block[65536];
        for (size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;)
            text.append(block, got);
        std::fclose(file);
    }
    if (text.empty()) {
        state.SkipWithError((std::string("no case file ") + CaseFile(name)).c_str());
        return;
    }
    ProgramBesideMutool(state, text, 150, std::string(name) + " at 150 dpi");
}
BENCHMARK(BM_PatternCaseBesideMutool)
    ->DenseRange(0, static_cast<int>(std::size(kPatternCases)) - 1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Argument 0: the page as it is; 1: its /SMask entries renamed, so that
// its gs operators set no mask (the file's offsets unchanged).
void BM_SoftMaskPageBesideMutool(benchmark::State& state) {
    const std::string pdf = CorpusFile("pdfjs_bug1019475_1_cmyk.pdf");
    std::FILE* file = std::fopen(pdf.c_str(), "rb");
    if (!file) {
        state.SkipWithError(("the shared corpus is absent: " + pdf).c_str());
        return;
    }
    std::string text;
    char buffer[65536];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, got);
    std::fclose(file);
    const bool masked = state.range(0) == 0;
    if (!masked)
        for (size_t at = text.find("/SMask "); at != std::string::npos; at = text.find("/SMask ", at))
            text.replace(at, 7, "/NoMsk ");
    ProgramBesideMutool(state, text, 150, masked ? "12 soft masks at 150 dpi" : "soft masks taken out, 150 dpi");
}
BENCHMARK(BM_SoftMaskPageBesideMutool)->DenseRange(0, 1)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// A 200 x 200 pt page of many spot inks, a stripe each: the program's peak
// memory may grow with the inks by their separated pages, not by a plate
// each.
std::string ManyInksFile(const std::string& folder, int inks) {
    std::string spaces, content;
    for (int i = 0; i < inks; ++i) {
        const std::string n = std::to_string(i);
        spaces += "/S" + n + " [/Separation /Ink" + n +
                  " /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0 0 1] /N 1 >>] ";
        content += "/S" + n + " cs 1 sc " + std::to_string(i % 200) + " " + std::to_string(i / 200 * 100) +
                   " 1 100 re f\n";
    }
    const std::string pdf = folder + "/inks.pdf";
    if (FILE* file = std::fopen(pdf.c_str(), "wb")) {
        const std::string text = VIEW_PdfFile(
            {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
             "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R /Resources << /ColorSpace << " +
                 spaces + ">> >> >>",
             VIEW_PdfStream("", content)});
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    return pdf;
}

// Peak memory of the program on the page of range(0) spot inks at range(1)
// dpi, and what a plate of it costs, both in MB.
void BM_ManyInksPeakMemory(benchmark::State& state) {
    const int inks = static_cast<int>(state.range(0)), dpi = static_cast<int>(state.range(1));
    ScratchFolder folder;
    const std::string pdf = ManyInksFile(folder.Path(), inks);
    long peakKb = 0;
    try {
        for (auto _ : state) {
            ScratchFolder out;
            long kb = 0;
            state.SetIterationTime(
                TimedRun({ProgramPath(), pdf, "--dpi", std::to_string(dpi), "--out", out.Path() + "/out"}, &kb));
            peakKb = std::max(peakKb, kb);
        }
    } catch (const std::exception& fault) {
        state.SkipWithError(fault.what());
        return;
    }
    const double side = 200.0 * dpi / 72;
    state.counters["peak_MB"] = peakKb / 1024.0;
    state.counters["plate_MB"] = side * side / (1024.0 * 1024.0);
}
BENCHMARK(BM_ManyInksPeakMemory)
    ->Args({8, 300})
    ->Args({64, 300})
    ->Args({304, 300})
    ->Args({304, 600})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

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

void ReportProcesses() {
    if (g_process.empty())
        return;
    std::printf("\n%-44s %5s %12s %12s %12s %15s %11s\n", "page 1, medians of whole processes", "runs",
                "tintscope s", "mutool s", "gs s", "tintscope/mutool", "tintscope/gs");
    for (const ProcessTimes& t : g_process) {
        const double program = Median(t.program), mutool = Median(t.mutool), gs = Median(t.gs);
        if (t.program.empty())
            continue;
        std::printf("%-44s %5zu %12.3f %12.3f %12.3f %15.2f %11.2f\n", t.label.c_str(), t.program.size(), program,
                    mutool, gs, program / mutool, program / gs);
    }
}

void Report() {
    ReportProcesses();
    bool any = false;
    for (const PageTimes& t : g_times)
        any = any || t.runs > 0;
    if (!any)
        return;
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
