#include "viewer/program/VIEW_Program.h"

#include "viewer/VIEW_AVDocs.h"
#include "viewer/VIEW_App.h"
#include "viewer/VIEW_Atoms.h"
#include "viewer/VIEW_Cos.h"
#include "viewer/VIEW_DrawListener.h"
#include "viewer/VIEW_ErrorRegistry.h"
#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/VIEW_Input.h"
#include "viewer/VIEW_Loader.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PageViewProcs.h"
#include "viewer/VIEW_PageViews.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/VIEW_Progress.h"
#include "viewer/VIEW_Recorder.h"
#include "viewer/VIEW_Threads.h"
#include "viewer/VIEW_Toolbar.h"
#include "viewer/VIEW_Tools.h"
#include "viewer/program/VIEW_ProgramArgs.h"
#include "viewer/program/VIEW_ProgramFiles.h"
#include "viewer/program/VIEW_PageFrame.h"
#include "viewer/program/VIEW_ProgramInks.h"
#include "viewer/program/VIEW_ProgramLog.h"
#include "viewer/program/VIEW_ProgramLosses.h"
#include "viewer/program/VIEW_ProgramOutput.h"
#include "viewer/program/VIEW_ProgramPlates.h"
#include "viewer/program/VIEW_ProgramProgress.h"
#include "viewer/program/VIEW_ProgramScratch.h"
#include "viewer/program/VIEW_ProgramSignals.h"
#include "viewer/program/VIEW_ProgramStopWatch.h"
#include "viewer/program/VIEW_ProgramText.h"
#include "viewer/program/VIEW_ProgramViewSize.h"
#include "viewer/program/VIEW_ProgramWindows.h"
#include "viewer/program/VIEW_SamplePage.h"
#include "win32/win32_driver.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
// A warning's own words at most, so that its line fits about 200
// characters.
constexpr size_t kWarningBytes = 160;
// A reason's words at most: an operator of binary junk is no reason.
constexpr size_t kReasonBytes = 240;
// Page boxes as the host holds them: 16.16 fixed point.
constexpr double kFixedLimit = 32767;

int Say(std::FILE* err, int code, const std::string& line) {
    std::fprintf(err, "tintscope: %s\n", line.c_str());
    return code;
}

// A file that could not be written, and why: a full disk or the limit on
// file size in words, other causes in the system's.
std::string CannotWrite(const std::string& path, const std::string& why) {
    std::string cause = why;
    if (why == std::strerror(ENOSPC) || why == std::strerror(EDQUOT))
        cause = "no space left on the disk of the output folder";
    else if (why == std::strerror(EFBIG))
        cause = "the file grew past the limit on file size";
    return "cannot write " + path + (cause.empty() ? "" : ": " + VIEW_EscapedText(cause));
}

// Every code the stand-in raises has its text, a file error the system's.
std::string HostErrorText(const VIEW_HostRaise& raise) {
    const std::string text = VIEW_ErrorRegistry::Text(raise.Code());
    if (!text.empty())
        return VIEW_EscapedText(VIEW_CauseInWords(text));
    return "the viewer gave an error it has no words for";
}

// text as the whole of the file name in the folder open at folder; false
// with the system's words for why when it is not.
bool WriteText(int folder, const std::string& name, const std::string& text, std::string* why) {
    return VIEW_WriteFileAt(
        folder, name,
        [&](std::FILE* file, std::string* reason) {
            errno = 0;
            if (std::fwrite(text.data(), 1, text.size(), file) == text.size())
                return true;
            *reason = errno ? std::strerror(errno) : std::string();
            return false;
        },
        why);
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// "[x0 y0 x1 y1]".
std::string BoxText(const double box[4]) {
    char text[128];
    std::snprintf(text, sizeof text, "[%.10g %.10g %.10g %.10g]", box[0], box[1], box[2], box[3]);
    return text;
}

// The sample page as a file of the run's folder, deleted with this object.
class SampleFile {
public:
    bool Write(const std::string& folder) {
        std::string name = folder + "/tintscope-sample-XXXXXX";
        std::vector<char> buffer(name.begin(), name.end());
        buffer.push_back('\0');
        const int fd = mkstemp(buffer.data());
        if (fd < 0)
            return false;
        m_path = buffer.data();
        const std::string pdf = VIEW_SamplePagePdf();
        const bool written = write(fd, pdf.data(), pdf.size()) == static_cast<ssize_t>(pdf.size());
        close(fd);
        return written;
    }
    ~SampleFile() {
        if (!m_path.empty())
            unlink(m_path.c_str());
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

int32_t PageCountOf(VCOS_DocId doc) {
    const VCOS_Store& store = VIEW_Cos::Store();
    const VCOS_Obj count = store.DictGet(store.DictGet(store.Root(doc), "Pages"), "Count");
    const VCOS_Type type = store.Type(count);
    return type == VCOS_Type::Integer || type == VCOS_Type::Real ? static_cast<int32_t>(store.NumberValue(count)) : 0;
}

// One run: the host, the module and the document, let go in Finish
// whatever way the run ends.
class ProgramRun {
public:
    ProgramRun(const VIEW_ProgramArgs& args, const std::string& programDir, std::FILE* err,
               const VIEW_ProgramSettings& settings, VIEW_ProgramStopWatch& watch)
        : m_args(args), m_programDir(programDir), m_err(err), m_settings(settings), m_watch(watch),
          m_progress(err, args.m_page, settings.m_progressThresholdMs),
          m_log([this](const std::string& warning) { Warn(warning); },
                [this](const std::string& loss) { HearDecodedLoss(loss); }) {}

    // Run, with host errors and faults as failures.
    int Execute();
    // Quits the host, then says the run's last line: the plug-in's alerts
    // as it quits come before a failure's reason.
    void Finish();

private:
    int Run();
    // The work is over: the watcher no longer ends the process.
    void Settle();
    // The last line of a failed run, after the repaired line.
    int Fail(const std::string& reason) { return FailWith(kExitFailed, reason); }
    int FailWith(int code, const std::string& reason);
    // The last line, said once the host has quit.
    int End(int code, const std::string& line);
    // A signal came: the run stops as a failed one does.
    bool Interrupted() const { return VIEW_ProgramSignals::Caught() != 0; }
    int FailInterrupted();
    void Warn(const std::string& message);
    // A loss the engine's decoders met while separating, before any ink is
    // drawn: it may cost every ink's plate.
    void HearDecodedLoss(const std::string& words);
    // Those heard so far, said of every ink of doc's page.
    void SayDecodedLosses(VCOS_DocId doc);
    void SayWarning(const std::string& message);
    // Warnings held while the page separates are said before the next
    // drawing's line, or at the end; those whose cause is reason are not.
    void ReleaseWarnings(const std::string& reason = std::string());
    int CheckFile();
    int EnterScratch();
    int OpenDocument();
    int ShowAndPress();
    int Separate();
    int Untick();
    int WriteOutputs();
    int UsedDpi() const;
    VIEW_ViewSize SizeAt(int dpi) const;
    void PlaceFrame();
    void Listen();
    void SayRepaired();

    VIEW_ProgramArgs m_args;
    std::string m_programDir;
    std::FILE* m_err;
    VIEW_ProgramSettings m_settings;
    VIEW_ProgramStopWatch& m_watch;
    VIEW_ProgramProgress m_progress;

    VIEW_ProgramLog m_log;
    VIEW_ProgramOutput m_output;
    VIEW_ProgramScratch m_scratch;
    SampleFile m_sample;
    std::string m_path;
    std::string m_fileName;  // as messages name it
    std::set<std::string> m_warned;  // each said once
    VIEW_ProgramLosses m_losses;
    std::vector<std::string> m_lossInks;  // every ink of the page whose drawings lost something
    std::vector<std::string> m_decodedLosses;  // each once, in the order heard
    bool m_holding = false;
    std::vector<std::string> m_held;
    bool m_saidRepaired = false;
    std::string m_lastLine;
    VIEW_Loader m_loader;
    PDFL_PDDoc m_doc = nullptr;
    PDFL_AVDoc m_avDoc = nullptr;
    double m_boxLeft = 0, m_boxBottom = 0, m_boxWidth = 0, m_boxHeight = 0;
    int m_rotate = 0;
    VIEW_ViewSize m_size;
    VIEW_ProgramWindows m_windows;
    VIEW_ProgramPlates m_plates;
    std::vector<VIEW_InkLine> m_inks;
};

int ProgramRun::Execute() {
    int code = kExitFailed;
    try {
        code = Run();
    } catch (const VIEW_HostRaise& raise) {
        code = Fail(HostErrorText(raise));
    } catch (const std::bad_alloc&) {
        code = Fail("not enough memory for the viewer to go on");
    } catch (const std::exception& fault) {
        code = Fail("the viewer failed: " + VIEW_EscapedText(fault.what()));
    }
    Settle();
    return code;
}

void ProgramRun::Settle() { m_watch.Settle(); }

int ProgramRun::FailWith(int code, const std::string& reason) {
    Settle();
    m_progress.Finish();
    m_log.Flush();
    m_holding = false;
    ReleaseWarnings(reason);
    SayRepaired();
    return End(code, m_fileName + ": " + reason);
}

int ProgramRun::End(int code, const std::string& line) {
    m_lastLine = line;
    // A second signal before it is said must not lose it.
    VIEW_ProgramSignals::SayLine(line);
    return code;
}

int ProgramRun::FailInterrupted() {
    const int signal = VIEW_ProgramSignals::Caught();
    return FailWith(128 + signal, std::string("stopped by ") + VIEW_ProgramSignals::Name(signal));
}

// Warnings of the plug-in name the page they are about: "page 1 uses
// transparency (...)" reads on from the page; any other after a colon.
void ProgramRun::Warn(const std::string& message) {
    if (message.empty() || !m_warned.insert(message).second)
        return;
    if (m_holding)
        m_held.push_back(message);
    else
        SayWarning(message);
}

void ProgramRun::HearDecodedLoss(const std::string& words) {
    if (std::find(m_decodedLosses.begin(), m_decodedLosses.end(), words) == m_decodedLosses.end())
        m_decodedLosses.push_back(words);
}

void ProgramRun::SayDecodedLosses(VCOS_DocId doc) {
    if (m_decodedLosses.empty())
        return;
    const std::vector<VIEW_InkLine> inks = VIEW_ReadInks(doc, PageCountOf(doc));
    for (const std::string& words : m_decodedLosses)
        for (const VIEW_InkLine& ink : inks)
            m_losses.Hear(ink.m_name, words);
    m_decodedLosses.clear();
    m_lossInks.clear();
    for (const VIEW_InkLine& ink : inks)
        m_lossInks.push_back(ink.m_name);
}

void ProgramRun::ReleaseWarnings(const std::string& reason) {
    std::vector<std::string> held;
    held.swap(m_held);
    for (const std::string& message : held) {
        // "the page keeps the inks it can give: CAUSE" before "ink X: CAUSE".
        const size_t colon = message.find(": ");
        const std::string cause = colon == std::string::npos ? message : message.substr(colon + 2);
        if (reason.empty() || !(EndsWith(message, reason) || EndsWith(reason, cause)))
            SayWarning(message);
    }
}

void ProgramRun::SayWarning(const std::string& message) {
    m_progress.Finish();
    const std::string word = message.substr(0, message.find(' '));
    const bool clause = word == "uses" || word == "has" || word == "is" || word == "paints";
    Say(m_err, 0, m_fileName + ": page " + std::to_string(m_args.m_page) + (clause ? " " : ": ") +
                      VIEW_ShortText(message, kWarningBytes));
}

int ProgramRun::Run() {
    // The run moves to a folder of its own: the user's paths are made
    // absolute first.
    const std::string module = VIEW_AbsolutePath(m_programDir) + "/ZOVA.api";
    m_fileName = m_args.m_file.empty() ? "the sample page" : VIEW_EscapedText(m_args.m_file);
    VIEW_ProgramSignals::SayStopped(m_fileName);
    if (access(module.c_str(), R_OK) != 0)
        return End(kExitFailed, "cannot load " + VIEW_EscapedText(module) + ": " + std::strerror(errno));
    if (const int code = CheckFile())
        return code;
    std::string reason;
    if (!m_output.Prepare(VIEW_AbsolutePath(m_args.m_outDir), &reason))
        return Fail(VIEW_EscapedText(reason));
    if (const int code = EnterScratch())
        return code;

    VIEW_Host::Reset();
    // The plug-in's log is where the engine's reasons and warnings go.
    VIEW_Host::OfferTable(PDFL_DebuggerWindowTable, 1);
    // So that a reference an update replaced is said as such.
    VIEW_Host::OfferTable(PDFL_CosUpdatesTable, 1);
    VIEW_App::SetDebugWindowListener([this](const char* text) { m_log.Hear(text); });
    VIEW_App::SetAlertListener([this](const VIEW_Alert& alert) {
        m_log.Flush();
        m_progress.Finish();
        m_log.HearAlert(alert.m_text);
        // An exception the plug-in caught while the page separates: its
        // cause in words, once, as a warning or on the last line.
        const std::string cause = VIEW_AlertCause(alert.m_text);
        if (m_holding && !cause.empty()) {
            Warn(VIEW_EscapedText(cause));
            return;
        }
        // Its lines as the alert shows them, each escaped.
        std::string text, line;
        bool first = true;
        for (const char c : alert.m_text + "\r") {
            if (c == '\r' || c == '\n') {
                text += (first ? "" : "\n") + VIEW_EscapedText(line);
                first = false;
                line.clear();
            } else {
                line += c;
            }
        }
        std::fprintf(m_err, "%s\n", text.c_str());
        std::fflush(m_err);
    });
    // The engine's temporary files are written through the host's files.
    VIEW_FileSys::SetWriteFailedListener(
        [this](int error) { m_log.HearCause(VIEW_CauseInWords(std::strerror(error))); });
    if (m_settings.m_hostReady)
        m_settings.m_hostReady();
    if (const int code = OpenDocument())
        return code;
    if (!m_loader.Load(module).Loaded())
        return End(kExitFailed, VIEW_EscapedText(module) + " did not load into the viewer");
    if (!VIEW_Toolbar::Find(VIEW_SeparationsButton))
        return End(kExitFailed,
                   VIEW_EscapedText(module) + " has no tool button \"" + std::string(VIEW_SeparationsButton) + "\"");
    if (Interrupted())
        return FailInterrupted();
    if (const int code = ShowAndPress())
        return code;
    if (Interrupted())
        return FailInterrupted();
    if (const int code = Separate())
        return code;
    if (const int code = Untick())
        return code;
    if (const int code = WriteOutputs())
        return code;
    SayRepaired();
    return kExitDone;
}

// Only a regular file: a FIFO would block the open for ever, and a device
// or a folder is no document.
int ProgramRun::CheckFile() {
    if (m_args.m_file.empty())
        return 0;
    m_path = VIEW_AbsolutePath(m_args.m_file);
    struct stat info {};
    if (stat(m_path.c_str(), &info) != 0)
        return Fail(std::string("cannot be opened: ") + std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        return Fail("cannot be opened: it is a folder");
    if (!S_ISREG(info.st_mode))
        return Fail(std::string("cannot be opened: it is not a regular file (") +
                    (S_ISFIFO(info.st_mode) ? "a FIFO" : S_ISSOCK(info.st_mode) ? "a socket" : "a device") + ")");
    if (info.st_size == 0)
        return Fail("cannot be opened: it is empty");
    return 0;
}

int ProgramRun::EnterScratch() {
    std::string reason;
    if (!m_scratch.Enter(&reason))
        return Fail(VIEW_EscapedText(reason));
    if (m_args.m_file.empty()) {
        if (!m_sample.Write(m_scratch.Path()))
            return Fail(std::string("cannot be written to a temporary file: ") + std::strerror(errno));
        m_path = m_sample.Path();
    }
    return 0;
}

int ProgramRun::OpenDocument() {
    const PDFL_ASPathName name = VIEW_Paths::Make(m_path);
    try {
        m_doc = VIEW_PD::DocOpen(name, nullptr);
    } catch (const VIEW_HostRaise& raise) {
        VIEW_Paths::Release(name);
        return Fail("cannot be opened: " + HostErrorText(raise));
    }
    VIEW_Paths::Release(name);
    const int32_t pages = VIEW_PD::DocGetNumPages(m_doc);
    if (pages < 1)
        return Fail("has no pages: its page tree holds none");
    if (m_args.m_page > pages)
        return Fail("has no page " + std::to_string(m_args.m_page) + " (pages 1 to " + std::to_string(pages) + ")");
    const PDFL_PDPage page = VIEW_PD::DocAcquirePage(m_doc, m_args.m_page - 1);
    double box[4] = {0, 0, 0, 0};
    VIEW_PD::PageSpaceBox(page, box);
    m_boxLeft = box[0];
    m_boxBottom = box[1];
    m_boxWidth = box[2] - box[0];
    m_boxHeight = box[3] - box[1];
    m_rotate = VIEW_PD::PageGetRotate(page);
    VIEW_PD::PageRelease(page);
    // The engine copies the box into the host, which holds it in fixed
    // point: a box past that range would be drawn clamped, or not at all.
    for (const double value : box)
        if (!(std::fabs(value) <= kFixedLimit))
            return Fail("page " + std::to_string(m_args.m_page) + " cannot be separated: its page box " +
                        BoxText(box) + " lies beyond the " + std::to_string(static_cast<int>(kFixedLimit)) +
                        " points from the origin that the viewer can hold");
    // The tool takes its images at the screen's size when it is picked: the
    // screen is made for the view's own choice (300 dpi unless the page is
    // too large), or the resolution asked for.
    const VIEW_ViewSize size = SizeAt(m_args.m_dpi == VIEW_ProgramArgs::ViewsChoice ? 300 : m_args.m_dpi);
    Win32Driver::SetScreenSize(size.m_screenWidth, size.m_screenHeight);
    return 0;
}

int ProgramRun::ShowAndPress() {
    m_avDoc = VIEW_AVDocs::OpenFromPDDoc(m_doc, m_args.m_file.empty() ? "the sample page" : m_args.m_file.c_str());
    VIEW_PageViews::GoToPage(VIEW_AVDocs::PageView(m_avDoc), m_args.m_page - 1);
    VIEW_ProgramPump();
    if (!VIEW_Toolbar::Press(VIEW_SeparationsButton))
        return Fail("the Separations tool is disabled: the document does not allow changes");
    VIEW_ProgramPump();
    if (!m_windows.Find())
        return Fail("the Separations tool showed no windows");
    // A signal is a click on Stop where the work polls for it.
    Win32Driver::WatchInterrupt(VIEW_ProgramSignals::Flag(), [this] { m_windows.PressStop(); });
    if (m_args.m_dpi != VIEW_ProgramArgs::ViewsChoice) {
        const int wanted = VIEW_ResolutionIndex(m_args.m_dpi);
        const int highest = m_windows.HighestResolution();
        if (wanted > highest)
            return End(kExitUsage,
                       "--dpi " + std::to_string(m_args.m_dpi) + ": page " + std::to_string(m_args.m_page) +
                           " of " + m_fileName + " offers at most " + std::to_string(VIEW_ResolutionDpi(highest)) + " dpi");
        m_windows.ChooseResolution(wanted);
    }
    if (m_args.m_mag != 0)
        m_windows.ChooseMagnification(VIEW_MagnificationIndex(m_args.m_mag));
    m_size = SizeAt(VIEW_ResolutionDpi(m_windows.ResolutionChoice()));
    if (m_size.m_cut)
        Say(m_err, 0, m_fileName + ": page " + std::to_string(m_args.m_page) + " is larger than " +
                          std::to_string(std::min(VIEW_ViewSize::MaxSide, std::max(m_settings.m_screenCap, 1))) +
                          " pixels a side at this resolution: the view shows the middle of the page");
    m_windows.Arrange(m_size.m_width, m_size.m_height);
    PlaceFrame();
    return 0;
}

// The tool's frame as last drawn on view, in the view's pixels.
bool LastFrame(PDFL_AVPageView view, PDFL_AVRect* frame) {
    const PDFL_AVRect* last = nullptr;
    for (const VIEW_OverlayOp& op : VIEW_PageViews::Overlay(view))
        if (op.m_kind == VIEW_OverlayKind::DrawOutline)
            last = &op.m_rect;
    if (last)
        *frame = *last;
    return last != nullptr;
}

// The frame dragged by (dx, dy) pixels of the page view from its middle.
void DragFrame(PDFL_AVPageView view, int dx, int dy) {
    PDFL_AVRect frame{};
    if (!LastFrame(view, &frame))
        return;
    const int fromX = (frame.m_left + frame.m_right) / 2, fromY = (frame.m_top + frame.m_bottom) / 2;
    const auto to = [](int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); };
    VIEW_PageViews::ClearOverlay(view);
    VIEW_Input::ScriptMouse({{to(fromX + dx), to(fromY + dy), true}, {to(fromX + dx), to(fromY + dy), false}});
    VIEW_Tools::ClickPageView(view, to(fromX), to(fromY));
    VIEW_ProgramPump();
}

// The view window is placed on the page by dragging the tool's frame on
// the page view, zoomed so that one of its pixels is a quarter of a plate
// pixel: the page's top-left corner at the window's, or, for a page larger
// than the window, the page's middle at the window's. The tool moves the
// page's corner to the nearest pixel corner; this makes it the window's.
// The frame lands up to a page view pixel from where it is aimed: at half
// a plate pixel, a page whose side is a whole number of pixels and a half
// went half a pixel right, to the next corner, and lost its last column.
void ProgramRun::PlaceFrame() {
    const int dpi = VIEW_ResolutionDpi(m_windows.ResolutionChoice());
    if (dpi == VIEW_ProgramArgs::Fit)
        return;  // the tool keeps the page's middle at the window's
    double across = m_boxWidth, down = m_boxHeight;
    if (m_rotate == 90 || m_rotate == 270)
        std::swap(across, down);
    const double s = dpi / 72.0;
    // Page view pixels a plate pixel; fewer where the page would pass the
    // 16-bit range of the page view's pixels.
    double zoom = 4;
    while (zoom * dpi >= 2 && s * zoom * std::max(across, down) > 30000)
        zoom /= 2;
    const int viewDpi = static_cast<int>(std::lround(zoom * dpi));
    zoom = viewDpi / double(dpi);
    const PDFL_AVPageView view = VIEW_AVDocs::PageView(m_avDoc);
    VIEW_PageViews::SetResolution(view, viewDpi);
    VIEW_PageViews::ClearOverlay(view);
    VIEW_PageViewProcs::Draw(view);
    PDFL_AVRect frame{};
    if (!LastFrame(view, &frame))
        return;
    // The window's middle in page view pixels, whose origin is the turned
    // page's top-left corner.
    const double rows = std::floor(s * down + 0.5), columns = std::floor(s * across + 0.5);
    const double x = columns <= m_size.m_width ? m_size.m_width / 2.0 : s * across / 2;
    const double y = rows <= m_size.m_height ? m_size.m_height / 2.0 : s * down / 2;
    const int dx = static_cast<int>(std::lround(x * zoom - (frame.m_left + frame.m_right) / 2.0));
    const int dy = static_cast<int>(std::lround(y * zoom - (frame.m_top + frame.m_bottom) / 2.0));
    // The tool ignores a move of a tenth of a point or less: the frame goes
    // a point further first and comes back.
    const int further = (dx < 0 ? -1 : 1) * (viewDpi / 72 + 1);
    DragFrame(view, dx + further, dy);
    DragFrame(view, -further, 0);
}

VIEW_ViewSize ProgramRun::SizeAt(int dpi) const {
    VIEW_ViewSize size = VIEW_ViewSize::For(m_boxWidth, m_boxHeight, m_rotate, dpi);
    const int cap = std::max(m_settings.m_screenCap, 1);
    size.m_cut = size.m_cut || size.m_width > cap || size.m_height > cap;
    size.m_width = std::min(size.m_width, cap);
    size.m_height = std::min(size.m_height, cap);
    size.m_screenWidth = std::min(size.m_screenWidth, cap);
    size.m_screenHeight = std::min(size.m_screenHeight, cap);
    return size;
}

void ProgramRun::Listen() {
    const VCOS_DocId source = VIEW_PD::CosDocId(m_doc);
    m_plates.Start(
        &m_output,
        [this](const double matrix[6]) {
            return VIEW_PageFrame(matrix, m_boxWidth, m_boxHeight, UsedDpi(), m_size.m_width, m_size.m_height,
                                  m_args.m_mag > 0 ? m_args.m_mag : 1);
        },
        [this] { return Interrupted(); });
    VIEW_DrawListener::Set([this, source](VIEW_PageDrawing&& heard) {
        if (heard.m_doc == source)
            return;
        if (m_settings.m_drawingHeard)
            m_settings.m_drawingHeard(heard);
        // A warning logged before this drawing is said before its line.
        m_log.Flush();
        ReleaseWarnings();
        SayDecodedLosses(heard.m_doc);
        const int32_t page = heard.m_page, count = PageCountOf(heard.m_doc);
        const std::vector<VIEW_InkLine> inks = VIEW_ReadInks(heard.m_doc, std::min(page + 1, count));
        const std::string name = inks.empty() ? std::string() : VIEW_EscapedText(inks.back().m_name);
        // What the drawing could not read is lost from the plate; said
        // once every ink is drawn, of every ink it cost.
        if (!heard.m_unread.empty()) {
            m_losses.Hear(inks.empty() || inks.back().m_index != page ? std::string() : inks.back().m_name,
                          heard.m_unread);
            m_lossInks.clear();
            for (const VIEW_InkLine& ink : VIEW_ReadInks(heard.m_doc, count))
                m_lossInks.push_back(ink.m_name);
        }
        if (!inks.empty() && inks.back().m_index == page) {
            m_plates.Hear(std::move(heard), inks.back().m_plateFile);
            if (m_settings.m_plateBytesHeld)
                m_settings.m_plateBytesHeld(m_plates.BytesHeld());
        }
        m_progress.Rendering(page + 1, count, name);
    });
    VIEW_Progress::SetListener([this](const VIEW_ProgressEvent& event, int32_t duration) {
        if (event.m_kind == VIEW_ProgressKind::Value)
            m_progress.Separating(event.m_value, duration);
    });
}

int ProgramRun::Separate() {
    Listen();
    m_progress.Start();
    // A page that fails often warned of its cause first: the cause is
    // said once, on the last line.
    m_holding = true;
    m_windows.PressUpdate();
    m_progress.Finish();
    m_log.Flush();
    if (m_plates.Heard())
        SayDecodedLosses(m_plates.Doc());
    for (const std::string& line : m_losses.TakeLines(m_lossInks))
        Warn(line);
    m_holding = false;
    const std::string status = m_windows.Status();
    if (Interrupted() || status == "Ready")
        ReleaseWarnings();
    if (Interrupted())
        return FailInterrupted();
    if (status != "Ready") {
        ReleaseWarnings(m_log.LastError());
        const std::string page = "page " + std::to_string(m_args.m_page) + " was not separated";
        if (!m_log.LastError().empty())
            return Fail(page + ": " + VIEW_ShortText(m_log.LastError(), kReasonBytes));
        return Fail(page + ": the engine stopped without giving a reason");
    }
    if (!m_plates.Heard())
        return Fail("page " + std::to_string(m_args.m_page) + " was separated but no ink was drawn");
    m_inks = VIEW_ReadInks(m_plates.Doc(), PageCountOf(m_plates.Doc()));
    return 0;
}

int ProgramRun::Untick() {
    for (const std::string& wanted : m_args.m_untick) {
        int index = -1;
        for (const VIEW_InkLine& ink : m_inks)
            if (ink.m_name == wanted)
                index = ink.m_index;
        const bool digits = !wanted.empty() && wanted.find_first_not_of("0123456789") == std::string::npos;
        if (index < 0 && digits && wanted.size() < 9 && std::atoi(wanted.c_str()) < static_cast<int>(m_inks.size()))
            index = std::atoi(wanted.c_str());
        if (index < 0) {
            std::string names;
            for (const VIEW_InkLine& ink : m_inks)
                names += (names.empty() ? "" : ", ") + VIEW_EscapedText(ink.m_name);
            return End(kExitUsage,
                       "--untick " + VIEW_EscapedText(wanted) + ": page " + std::to_string(m_args.m_page) + " of " + m_fileName +
                           " has no such ink (its inks: " + names + ")");
        }
        if (!m_inks[index].m_shown)
            continue;
        m_windows.ClickTick(index);
        m_inks[index].m_shown = false;
    }
    return Interrupted() ? FailInterrupted() : 0;
}

int ProgramRun::UsedDpi() const {
    const int dpi = VIEW_ResolutionDpi(m_windows.ResolutionChoice());
    if (dpi != VIEW_ProgramArgs::Fit)
        return dpi;
    // Fit: the largest whole dpi at which the turned page box fits the view.
    double width = m_boxWidth, height = m_boxHeight;
    if (m_rotate == 90 || m_rotate == 270)
        std::swap(width, height);
    if (!(width > 0 && height > 0))
        return 1;
    const double fit = std::min(m_size.m_width * 72.0 / width, m_size.m_height * 72.0 / height);
    return fit >= 1.0 ? static_cast<int>(fit) : 1;
}

// The preview and the plates hold the page only: its raster's pixels that
// the view holds.
int ProgramRun::WriteOutputs() {
    // Writing and moving the files is short and checks for a signal; the
    // watcher must not remove the folders under it.
    m_watch.Settle();
    // The view window's interior as painted: Update and every untick asked
    // for its paint, and the pump has done any still owed.
    VIEW_ProgramPump();
    if (Interrupted())
        return FailInterrupted();
    const int mag = m_args.m_mag > 0 ? m_args.m_mag : 1;
    const VIEW_PageFrame frame(m_plates.Matrix(), m_boxWidth, m_boxHeight, UsedDpi(), m_size.m_width,
                               m_size.m_height, mag);
    const std::string dir = VIEW_EscapedText(m_args.m_outDir);
    if (!m_plates.Flush())
        return FailInterrupted();

    Win32Driver::Image preview = Win32Driver::Snapshot(m_windows.ViewPlatformWindow());
    const VIEW_PixelRect shown =
        frame.PreviewPixels().Within(VIEW_PixelRect{0, 0, preview.m_width, preview.m_height});
    // A failure is told in this order: the preview, then the plates in the
    // inks' order.
    std::string why;
    if (!VIEW_WritePngAt(m_output.Staged("preview.png"), "preview.png", shown.Width(), shown.Height(),
                         preview.m_channels,
                         VIEW_FirstPixel(preview.m_pixels, preview.m_width, preview.m_channels, shown),
                         static_cast<size_t>(preview.m_width) * preview.m_channels, &why))
        return Fail(CannotWrite(dir + "/preview.png", why));
    for (const VIEW_InkLine& ink : m_inks)
        if (const std::string* failure = m_plates.Failure(ink.m_plateFile))
            return Fail(CannotWrite(dir + "/" + ink.m_plateFile, *failure));
    if (Interrupted())
        return FailInterrupted();
    VIEW_InksHeader header;
    header.m_dpi = UsedDpi();
    header.m_mag = mag;
    const VIEW_PageRect area = frame.PlateArea(), previewArea = frame.PreviewArea();
    header.m_hasArea = !frame.PlatesHoldThePage();
    header.m_hasPreview = header.m_hasArea || mag > 1;
    const double areaRect[4] = {area.m_x0 + m_boxLeft, area.m_y0 + m_boxBottom, area.m_x1 + m_boxLeft,
                                area.m_y1 + m_boxBottom};
    const double previewRect[4] = {previewArea.m_x0 + m_boxLeft, previewArea.m_y0 + m_boxBottom,
                                   previewArea.m_x1 + m_boxLeft, previewArea.m_y1 + m_boxBottom};
    std::copy(areaRect, areaRect + 4, header.m_area);
    std::copy(previewRect, previewRect + 4, header.m_preview);
    if (!WriteText(m_output.Staged("inks.txt"), "inks.txt", VIEW_InksText(header, m_inks), &why))
        return Fail(CannotWrite(dir + "/inks.txt", why));
    // Another run may be moving its files into the folder: this one waits,
    // and a signal may end the wait.
    std::string reason;
    if (!m_output.Hold(&reason))
        return Interrupted() ? FailInterrupted() : Fail(VIEW_EscapedText(reason));
    // The renames are one step that a signal cannot cut: every file is
    // new, or (stopped before) every one as it was.
    bool stopped = false, committed = false;
    {
        const VIEW_SignalsBlocked blocked;
        stopped = Interrupted();
        committed = !stopped && m_output.Commit(&reason);
        // Nothing is left to stop: a later signal must not say so.
        if (committed)
            VIEW_ProgramSignals::SayStopped(std::string());
    }
    if (stopped)
        return FailInterrupted();
    return committed ? 0 : Fail(VIEW_EscapedText(reason));
}

void ProgramRun::SayRepaired() {
    if (!m_doc || m_saidRepaired)
        return;
    m_saidRepaired = true;
    const size_t warnings = VIEW_Cos::DocWarnings(VIEW_PD::DocGetCosDoc(m_doc)).size();
    if (warnings > 0)
        Say(m_err, 0, m_fileName + ": repaired, " + std::to_string(warnings) + " warning" +
                          (warnings == 1 ? "" : "s"));
}

// Quits the host: the document closed, notification 1 and Unload, the
// module closed; every listener let go.
void ProgramRun::Finish() {
    struct LastLine {
        ProgramRun& m_run;
        ~LastLine() {
            // Said once: by the run, or by a signal that ends it first.
            const VIEW_SignalsBlocked blocked;
            if (!m_run.m_lastLine.empty()) {
                Say(m_run.m_err, 0, m_run.m_lastLine);
                std::fflush(m_run.m_err);
            }
            VIEW_ProgramSignals::SayLine(std::string());
        }
    } last{*this};
    m_progress.Finish();
    if (m_avDoc)
        VIEW_AVDocs::Close(m_avDoc);
    else if (m_doc)
        VIEW_PD::DocClose(m_doc);
    m_avDoc = nullptr;
    m_doc = nullptr;
    VIEW_ProgramPump();
    // The plug-in saves its preferences as it quits: a signal waits until
    // the new file is in place, so none is left beside it.
    if (m_loader.IsOpen()) {
        const VIEW_SignalsBlocked blocked;
        m_loader.Unload();
    }
    Win32Driver::WatchInterrupt(nullptr, nullptr);
    VIEW_DrawListener::Set(nullptr);
    VIEW_Progress::SetListener(nullptr);
    VIEW_App::SetAlertListener(nullptr);
    VIEW_App::SetDebugWindowListener(nullptr);
    VIEW_FileSys::SetWriteFailedListener(nullptr);
    m_plates = VIEW_ProgramPlates();
    VIEW_Host::Reset();
    m_scratch.Leave();
    m_output.Abandon();
}

}  // namespace

int VIEW_RunProgram(const std::vector<std::string>& args, const std::string& programDir, std::FILE* err) {
    return VIEW_RunProgram(args, programDir, stdout, err, VIEW_ProgramSettings());
}

int VIEW_RunProgram(const std::vector<std::string>& args, const std::string& programDir, std::FILE* err,
                    const VIEW_ProgramSettings& settings) {
    return VIEW_RunProgram(args, programDir, stdout, err, settings);
}

int VIEW_RunProgram(const std::vector<std::string>& args, const std::string& programDir, std::FILE* out,
                    std::FILE* err, const VIEW_ProgramSettings& settings) {
    VIEW_ProgramArgs parsed;
    std::string error;
    if (!VIEW_ParseProgramArgs(args, &parsed, &error))
        return Say(err, kExitUsage, VIEW_EscapedText(error));
    if (parsed.m_help) {
        std::fputs(VIEW_ProgramUsage().c_str(), out);
        std::fflush(out);
        return kExitDone;
    }
    const VIEW_ProgramSignals signals;
    // The run reads no slot calls; a page of many inks makes millions.
    const VIEW_RecordingPause pause;
    VIEW_ProgramStopWatch watch{std::chrono::milliseconds(settings.m_stopBoundMs)};
    ProgramRun run(parsed, programDir, err, settings, watch);
    int code = run.Execute();
    try {
        run.Finish();
    } catch (const std::exception& fault) {
        code = Say(err, kExitFailed, std::string("the viewer failed while quitting: ") + VIEW_EscapedText(fault.what()));
    } catch (const VIEW_HostRaise& raise) {
        code = Say(err, kExitFailed, "the viewer failed while quitting: " + HostErrorText(raise));
    }
    return code;
}
