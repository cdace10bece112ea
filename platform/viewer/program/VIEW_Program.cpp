#include "viewer/program/VIEW_Program.h"

#include "viewer/VIEW_AVDocs.h"
#include "viewer/VIEW_App.h"
#include "viewer/VIEW_Atoms.h"
#include "viewer/VIEW_Cos.h"
#include "viewer/VIEW_DrawListener.h"
#include "viewer/VIEW_ErrorRegistry.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/VIEW_Input.h"
#include "viewer/VIEW_Loader.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PageViews.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/VIEW_Progress.h"
#include "viewer/VIEW_Toolbar.h"
#include "viewer/VIEW_Tools.h"
#include "viewer/program/VIEW_ProgramArgs.h"
#include "viewer/program/VIEW_ProgramFiles.h"
#include "viewer/program/VIEW_ProgramInks.h"
#include "viewer/program/VIEW_ProgramProgress.h"
#include "viewer/program/VIEW_ProgramViewSize.h"
#include "viewer/program/VIEW_ProgramWindows.h"
#include "viewer/program/VIEW_SamplePage.h"
#include "win32/win32_driver.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int Say(std::FILE* err, int code, const std::string& line) {
    std::fprintf(err, "tintscope: %s\n", line.c_str());
    return code;
}

std::string HostErrorText(const VIEW_HostRaise& raise) {
    const std::string text = VIEW_ErrorRegistry::Text(raise.Code());
    return text.empty() ? "error " + std::to_string(raise.Code()) : text;
}

// The sample page as a temporary file, deleted with this object.
class SampleFile {
public:
    bool Write() {
        const char* dir = std::getenv("TMPDIR");
        std::string name = std::string(dir && *dir ? dir : "/tmp") + "/tintscope-sample-XXXXXX";
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

// The pages of the output document as the host drew them, the latest
// drawing of each.
struct HeardPlates {
    VCOS_DocId m_doc = 0;
    std::map<int32_t, VIEW_PageDrawing> m_pages;
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
               const VIEW_ProgramSettings& settings)
        : m_args(args), m_programDir(programDir), m_err(err), m_settings(settings),
          m_progress(err, args.m_page, settings.m_progressThresholdMs) {}

    int Run();
    void Finish();

private:
    int Fail(const std::string& reason) { return Say(m_err, kExitFailed, m_fileName + ": " + reason); }
    int OpenDocument();
    int ShowAndPress();
    int Separate();
    int Untick();
    int WriteOutputs();
    int UsedDpi() const;
    VIEW_ViewSize SizeAt(int dpi) const;
    void CentreFrame();
    void Listen();
    void SayRepaired();

    VIEW_ProgramArgs m_args;
    std::string m_programDir;
    std::FILE* m_err;
    VIEW_ProgramSettings m_settings;
    VIEW_ProgramProgress m_progress;

    SampleFile m_sample;
    std::string m_path;
    std::string m_fileName;  // as messages name it
    VIEW_Loader m_loader;
    PDFL_PDDoc m_doc = nullptr;
    PDFL_AVDoc m_avDoc = nullptr;
    double m_boxWidth = 0, m_boxHeight = 0;
    int m_rotate = 0;
    VIEW_ViewSize m_size;
    VIEW_ProgramWindows m_windows;
    HeardPlates m_plates;
    std::vector<VIEW_InkLine> m_inks;
};

int ProgramRun::Run() {
    const std::string module = m_programDir + "/ZOVA.api";
    if (access(module.c_str(), R_OK) != 0)
        return Say(m_err, kExitFailed, "cannot load " + module + ": " + std::strerror(errno));
    m_path = m_args.m_file;
    m_fileName = m_path;
    if (m_path.empty()) {
        m_fileName = "the sample page";
        if (!m_sample.Write())
            return Fail(std::string("cannot be written to a temporary file: ") + std::strerror(errno));
        m_path = m_sample.Path();
    }

    VIEW_Host::Reset();
    VIEW_App::SetAlertListener([err = m_err](const VIEW_Alert& alert) {
        std::string text = alert.m_text;
        std::replace(text.begin(), text.end(), '\r', '\n');
        std::fprintf(err, "%s\n", text.c_str());
        std::fflush(err);
    });
    if (const int code = OpenDocument())
        return code;
    if (!m_loader.Load(module).Loaded())
        return Say(m_err, kExitFailed, module + " did not load into the viewer");
    if (!VIEW_Toolbar::Find(VIEW_SeparationsButton))
        return Say(m_err, kExitFailed,
                   module + " has no tool button \"" + std::string(VIEW_SeparationsButton) + "\"");
    if (const int code = ShowAndPress())
        return code;
    if (const int code = Separate())
        return code;
    if (const int code = Untick())
        return code;
    if (const int code = WriteOutputs())
        return code;
    SayRepaired();
    return kExitDone;
}

int ProgramRun::OpenDocument() {
    struct stat info {};
    if (stat(m_path.c_str(), &info) != 0)
        return Fail(std::string("cannot be opened: ") + std::strerror(errno));
    const PDFL_ASPathName name = VIEW_Paths::Make(m_path);
    try {
        m_doc = VIEW_PD::DocOpen(name, nullptr);
    } catch (const VIEW_HostRaise& raise) {
        VIEW_Paths::Release(name);
        return Fail("cannot be opened: " + HostErrorText(raise));
    }
    VIEW_Paths::Release(name);
    const int32_t pages = VIEW_PD::DocGetNumPages(m_doc);
    if (m_args.m_page < 1 || m_args.m_page > pages)
        return Fail("has no page " + std::to_string(m_args.m_page) + " (pages 1 to " + std::to_string(pages) + ")");
    const PDFL_PDPage page = VIEW_PD::DocAcquirePage(m_doc, m_args.m_page - 1);
    double box[4] = {0, 0, 0, 0};
    VIEW_PD::PageSpaceBox(page, box);
    m_boxWidth = box[2] - box[0];
    m_boxHeight = box[3] - box[1];
    m_rotate = VIEW_PD::PageGetRotate(page);
    VIEW_PD::PageRelease(page);
    // The tool takes its images at the screen's size when it is picked: the
    // screen is made for the view's own choice (300 dpi unless the page is
    // too large), or the resolution asked for.
    const VIEW_ViewSize size = SizeAt(m_args.m_dpi == VIEW_ProgramArgs::ViewsChoice ? 300 : m_args.m_dpi);
    Win32Driver::SetScreenSize(size.m_screenWidth, size.m_screenHeight);
    return 0;
}

int ProgramRun::ShowAndPress() {
    m_avDoc = VIEW_AVDocs::OpenFromPDDoc(m_doc, m_fileName.c_str());
    VIEW_PageViews::GoToPage(VIEW_AVDocs::PageView(m_avDoc), m_args.m_page - 1);
    VIEW_ProgramPump();
    if (!VIEW_Toolbar::Press(VIEW_SeparationsButton))
        return Fail("the Separations tool is disabled: the document does not allow changes");
    VIEW_ProgramPump();
    if (!m_windows.Find())
        return Fail("the Separations tool showed no windows");
    if (m_args.m_dpi != VIEW_ProgramArgs::ViewsChoice) {
        const int wanted = VIEW_ResolutionIndex(m_args.m_dpi);
        const int highest = m_windows.HighestResolution();
        if (wanted > highest)
            return Say(m_err, kExitUsage,
                       "--dpi " + std::to_string(m_args.m_dpi) + ": page " + std::to_string(m_args.m_page) +
                           " of " + m_fileName + " offers at most " + std::to_string(VIEW_ResolutionDpi(highest)) + " dpi");
        m_windows.ChooseResolution(wanted);
    }
    if (m_args.m_mag != 0)
        m_windows.ChooseMagnification(VIEW_MagnificationIndex(m_args.m_mag));
    m_size = SizeAt(VIEW_ResolutionDpi(m_windows.ResolutionChoice()));
    if (m_size.m_cut)
        Say(m_err, 0, m_fileName + ": page " + std::to_string(m_args.m_page) + " is larger than " +
                          std::to_string(VIEW_ViewSize::MaxSide) +
                          " pixels a side at this resolution: the view shows the middle of the page");
    m_windows.Arrange(m_size.m_width, m_size.m_height);
    CentreFrame();
    return 0;
}

// A grown view window keeps its top-left corner on the page: the frame
// the tool draws on the page view is dragged back to the page's middle.
void ProgramRun::CentreFrame() {
    const PDFL_AVPageView view = VIEW_AVDocs::PageView(m_avDoc);
    const PDFL_AVRect* frame = nullptr;
    for (const VIEW_OverlayOp& op : VIEW_PageViews::Overlay(view))
        if (op.m_kind == VIEW_OverlayKind::DrawOutline)
            frame = &op.m_rect;
    if (!frame)
        return;
    const PDFL_AVRect aperture = VIEW_PageViews::Aperture(view);
    const int16_t fromX = static_cast<int16_t>((frame->m_left + frame->m_right) / 2);
    const int16_t fromY = static_cast<int16_t>((frame->m_top + frame->m_bottom) / 2);
    const int16_t toX = static_cast<int16_t>((aperture.m_left + aperture.m_right) / 2);
    const int16_t toY = static_cast<int16_t>((aperture.m_top + aperture.m_bottom) / 2);
    VIEW_PageViews::ClearOverlay(view);
    if (fromX == toX && fromY == toY)
        return;
    VIEW_Input::ScriptMouse({{toX, toY, true}, {toX, toY, false}});
    VIEW_Tools::ClickPageView(view, fromX, fromY);
    VIEW_ProgramPump();
}

VIEW_ViewSize ProgramRun::SizeAt(int dpi) const {
    VIEW_ViewSize size = VIEW_ViewSize::For(m_boxWidth, m_boxHeight, m_rotate, dpi);
    const int cap = std::max(m_settings.m_screenCap, 1);
    size.m_width = std::min(size.m_width, cap);
    size.m_height = std::min(size.m_height, cap);
    size.m_screenWidth = std::min(size.m_screenWidth, cap);
    size.m_screenHeight = std::min(size.m_screenHeight, cap);
    return size;
}

void ProgramRun::Listen() {
    const VCOS_DocId source = VIEW_PD::CosDocId(m_doc);
    VIEW_DrawListener::Set([this, source](const VIEW_PageDrawing& drawing) {
        if (drawing.m_doc == source)
            return;
        m_plates.m_doc = drawing.m_doc;
        m_plates.m_pages[drawing.m_page] = drawing;
        if (m_settings.m_drawingHeard)
            m_settings.m_drawingHeard(drawing);
        const int32_t count = PageCountOf(drawing.m_doc);
        const std::vector<VIEW_InkLine> inks = VIEW_ReadInks(drawing.m_doc, std::min(drawing.m_page + 1, count));
        m_progress.Rendering(drawing.m_page + 1, count, inks.empty() ? std::string() : inks.back().m_name);
    });
    VIEW_Progress::SetListener([this](const VIEW_ProgressEvent& event, int32_t duration) {
        if (event.m_kind == VIEW_ProgressKind::Value)
            m_progress.Separating(event.m_value, duration);
    });
}

int ProgramRun::Separate() {
    Listen();
    m_progress.Start();
    m_windows.PressUpdate();
    m_progress.Finish();
    const std::string status = m_windows.Status();
    if (status != "Ready")
        return Fail("page " + std::to_string(m_args.m_page) + " was not separated (the status line reads \"" +
                    status + "\")");
    if (m_plates.m_pages.empty())
        return Fail("page " + std::to_string(m_args.m_page) + " was separated but no ink was drawn");
    m_inks = VIEW_ReadInks(m_plates.m_doc, PageCountOf(m_plates.m_doc));
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
                names += (names.empty() ? "" : ", ") + ink.m_name;
            return Say(m_err, kExitUsage,
                       "--untick " + wanted + ": page " + std::to_string(m_args.m_page) + " of " + m_fileName +
                           " has no such ink (its inks: " + names + ")");
        }
        if (!m_inks[index].m_shown)
            continue;
        m_windows.ClickTick(index);
        m_inks[index].m_shown = false;
    }
    return 0;
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

int ProgramRun::WriteOutputs() {
    const std::string& dir = m_args.m_outDir;
    if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
        return Say(m_err, kExitFailed, "cannot make the folder " + dir + ": " + std::strerror(errno));
    // The view window's interior as painted: Update and every untick asked
    // for its paint, and the pump has done any still owed.
    VIEW_ProgramPump();
    if (!Win32Driver::WritePng(dir + "/preview.png", Win32Driver::Snapshot(m_windows.ViewPlatformWindow())))
        return Say(m_err, kExitFailed, "cannot write " + dir + "/preview.png");
    for (const VIEW_InkLine& ink : m_inks) {
        const auto heard = m_plates.m_pages.find(ink.m_index);
        if (heard == m_plates.m_pages.end())
            continue;
        const VIEW_PageDrawing& plate = heard->second;
        const std::string path = dir + "/" + ink.m_plateFile;
        if (!VIEW_WriteGreyPng(path, plate.m_width, plate.m_height, plate.m_blue))
            return Say(m_err, kExitFailed, "cannot write " + path);
    }
    const std::string path = dir + "/inks.txt";
    std::ofstream out(path, std::ios::binary);
    out << VIEW_InksText(UsedDpi(), m_inks);
    out.close();
    if (!out)
        return Say(m_err, kExitFailed, "cannot write " + path);
    return 0;
}

void ProgramRun::SayRepaired() {
    if (!m_doc)
        return;
    const size_t warnings = VIEW_Cos::DocWarnings(VIEW_PD::DocGetCosDoc(m_doc)).size();
    if (warnings > 0)
        Say(m_err, 0, m_fileName + ": repaired, " + std::to_string(warnings) + " warning" +
                          (warnings == 1 ? "" : "s"));
}

// Quits the host: the document closed, notification 1 and Unload, the
// module closed; every listener let go.
void ProgramRun::Finish() {
    m_progress.Finish();
    if (m_avDoc)
        VIEW_AVDocs::Close(m_avDoc);
    else if (m_doc)
        VIEW_PD::DocClose(m_doc);
    m_avDoc = nullptr;
    m_doc = nullptr;
    VIEW_ProgramPump();
    if (m_loader.IsOpen())
        m_loader.Unload();
    VIEW_DrawListener::Set(nullptr);
    VIEW_Progress::SetListener(nullptr);
    VIEW_App::SetAlertListener(nullptr);
    m_plates = HeardPlates();
    VIEW_Host::Reset();
}

}  // namespace

int VIEW_RunProgram(const std::vector<std::string>& args, const std::string& programDir, std::FILE* err) {
    return VIEW_RunProgram(args, programDir, err, VIEW_ProgramSettings());
}

int VIEW_RunProgram(const std::vector<std::string>& args, const std::string& programDir, std::FILE* err,
                    const VIEW_ProgramSettings& settings) {
    VIEW_ProgramArgs parsed;
    std::string error;
    if (!VIEW_ParseProgramArgs(args, &parsed, &error))
        return Say(err, kExitUsage, error);
    ProgramRun run(parsed, programDir, err, settings);
    int code = kExitFailed;
    try {
        code = run.Run();
    } catch (const VIEW_HostRaise& raise) {
        code = Say(err, kExitFailed, (parsed.m_file.empty() ? "the sample page" : parsed.m_file) + ": " +
                                         HostErrorText(raise));
    } catch (const std::exception& fault) {
        code = Say(err, kExitFailed, std::string("the viewer failed: ") + fault.what());
    }
    try {
        run.Finish();
    } catch (const std::exception& fault) {
        code = Say(err, kExitFailed, std::string("the viewer failed while quitting: ") + fault.what());
    } catch (const VIEW_HostRaise& raise) {
        code = Say(err, kExitFailed, "the viewer failed while quitting: " + HostErrorText(raise));
    }
    return code;
}
