#include "TS_ProgramFixture.h"

#include "support/PdfText.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string ModuleDir() {
    const std::string module = TINTSCOPE_ZOVA_MODULE;
    return module.substr(0, module.rfind('/'));
}

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Every run of the built program in these tests, however it is started,
// inherits this: no progress lines, however long a page takes on a busy
// machine, so that no comparison of its standard error depends on the
// machine's load. The stop tests give their runs 0 of their own.
class QuietProgress : public ::testing::Environment {
public:
    void SetUp() override { setenv("TINTSCOPE_PROGRESS_MS", "86400000", 1); }
};

::testing::Environment* const g_quietProgress = ::testing::AddGlobalTestEnvironment(new QuietProgress);

}  // namespace

TS_ConfigScope::TS_ConfigScope() {
    if (const char* saved = std::getenv("XDG_CONFIG_HOME")) {
        m_had = true;
        m_saved = saved;
    }
    setenv("XDG_CONFIG_HOME", m_folder.Path().c_str(), 1);
}

TS_ConfigScope::~TS_ConfigScope() {
    if (m_had)
        setenv("XDG_CONFIG_HOME", m_saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

std::string TS_OnePage(const std::string& resources, const std::string& content,
                       const std::vector<std::string>& more, const std::string& pageEntries) {
    return TS_SquarePage(100, resources, content, more, pageEntries);
}

std::string TS_OnePixelImages(int count, int perRow) {
    std::string content;
    for (int i = 0; i < count; ++i)
        content += "q 1 0 0 1 " + std::to_string(i % perRow) + " " + std::to_string(i / perRow % perRow) +
                   " cm BI /W 1 /H 1 /CS /G /BPC 8 ID \x80 EI Q\n";
    return content;
}

std::string TS_SquarePage(int side, const std::string& resources, const std::string& content,
                          const std::vector<std::string>& more, const std::string& pageEntries) {
    const std::string box = std::to_string(side);
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + box + " " + box + "] /Contents 4 0 R /Resources << " +
            resources + " >> " + pageEntries + " >>",
        "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream"};
    objects.insert(objects.end(), more.begin(), more.end());
    return PdfText("%PDF-1.4", objects);
}

std::vector<GrayPlate> TS_MutoolPlates(const std::string& pdf, const std::string& pam, int dpi) {
    const std::string command =
        "mutool draw -q -r " + std::to_string(dpi) + " -c cmyk -o '" + pam + "' '" + pdf + "' 1 2>&1";
    const TS_Run mutool = TS_FinishPiped(popen(command.c_str(), "r"));
    if (mutool.m_code != 0)
        throw std::runtime_error("mutool failed (mupdf-tools is needed):\n" + mutool.m_err);
    const std::string bytes = ReadWholeFile(pam);
    const size_t end = bytes.find("ENDHDR\n") + 7;
    int width = 0, height = 0, depth = 0;
    std::sscanf(bytes.c_str(), "P7 WIDTH %d HEIGHT %d DEPTH %d", &width, &height, &depth);
    const size_t size = static_cast<size_t>(width) * height;
    if (end < 7 || depth != 4 || width < 0 || bytes.size() - end != size * 4)
        throw std::runtime_error("mutool wrote no CMYK PAM file");
    std::vector<GrayPlate> plates(4, GrayPlate{width, height, std::vector<uint8_t>(size)});
    for (size_t i = 0; i < size; ++i)
        for (size_t ink = 0; ink < 4; ++ink)
            plates[ink].pixels[i] = static_cast<uint8_t>(255 - static_cast<uint8_t>(bytes[end + i * 4 + ink]));
    return plates;
}

std::vector<std::string> TS_Run::Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(m_err);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void TS_ProgramTest::TearDown() {
    EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>()) << "temporary files left";
}

TS_Run TS_RunInProcess(const std::vector<std::string>& args, const std::string& programDir,
                       const VIEW_ProgramSettings& settings) {
    const TS_ConfigScope config;
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* err = open_memstream(&buffer, &size);
    TS_Run run;
    run.m_code = VIEW_RunProgram(args, programDir, err, settings);
    std::fclose(err);
    run.m_err.assign(buffer, size);
    std::free(buffer);
    return run;
}

TS_Run TS_ProgramTest::Run(const std::vector<std::string>& args) {
    return Run(args, VIEW_ProgramSettings());
}

TS_Run TS_ProgramTest::Run(const std::vector<std::string>& args, VIEW_ProgramSettings settings) {
    settings.m_screenCap = 2048;
    return TS_RunInProcess(args, ModuleDir(), settings);
}

TS_Run TS_ProgramTest::RunFullScreen(const std::vector<std::string>& args) {
    return TS_RunInProcess(args, ModuleDir());
}

TS_Run TS_ProgramTest::RunBinary(const std::vector<std::string>& args) {
    const TS_ConfigScope config;
    std::string command = "TMPDIR=" + Quoted(m_tmp.Path()) + " " + Quoted(TINTSCOPE_PROGRAM);
    for (const std::string& arg : args)
        command += " " + Quoted(arg);
    command += " 2>&1 >/dev/null";
    return TS_FinishPiped(popen(command.c_str(), "r"));
}

TS_Run TS_FinishPiped(std::FILE* pipe) {
    TS_Run run;
    if (!pipe)
        return run;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        run.m_err.append(chunk, n);
    const int status = pclose(pipe);
    run.m_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::vector<char*> TS_CArgs(std::vector<std::string>& words) {
    std::vector<char*> pointers;
    for (std::string& word : words)
        pointers.push_back(&word[0]);
    pointers.push_back(nullptr);
    return pointers;
}

std::vector<std::string> TS_EnvironmentWith(const std::vector<std::string>& set) {
    std::vector<std::string> env = set;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string& own : set)
            replaced = replaced || own.rfind(name, 0) == 0;
        if (!replaced)
            env.push_back(entry);
    }
    return env;
}

std::vector<std::string> TS_ProgramTest::WithOut(std::vector<std::string> args) const {
    args.push_back("--out");
    args.push_back(m_out.Path());
    return args;
}

std::string TS_ProgramTest::WritePage(const std::string& name, double width, double height,
                                      const std::string& content, const std::string& colorSpaces) {
    std::ostringstream page;
    page << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " << width << " " << height
         << "] /Contents 4 0 R /Resources << /ColorSpace << " << colorSpaces << " >> >> >>";
    return WriteFile(name, PdfText("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>",
                                                "<< /Type /Pages /Kids [3 0 R] /Count 1 >>", page.str(),
                                                "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" +
                                                    content + "\nendstream"}));
}

std::string TS_ProgramTest::WriteFile(const std::string& name, const std::string& data) {
    const std::string path = m_docs.File(name);
    WriteWholeFile(path, data);
    return path;
}

std::vector<std::vector<uint8_t>> TS_ProgramTest::ProcessPlates(const std::string& pdf, TS_Run* run) {
    *run = Run(WithOut({WriteFile("page.pdf", pdf), "--dpi", "150"}));
    std::vector<std::vector<uint8_t>> all;
    for (const std::string ink : {"-Cyan.png", "-Magenta.png", "-Yellow.png", "-Black.png"}) {
        all.emplace_back();
        for (const std::string& name : m_out.List())
            if (run->m_code == 0 && name.size() > ink.size() && name.compare(0, 6, "plate-") == 0 &&
                name.compare(name.size() - ink.size(), ink.size(), ink) == 0)
                all.back() = Output(name).m_pixels;
    }
    return all;
}

uint32_t TS_Rgb(const PngPixels& image, int x, int y) {
    const uint8_t* p = &image.m_pixels[(static_cast<size_t>(y) * image.m_width + x) * 4];
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

GrayPlate TS_ReadPlatePng(const std::string& path) {
    const PngPixels png = ReadPng(path);
    EXPECT_EQ(png.m_channels, 1) << path << ": " << png.m_error;
    GrayPlate plate;
    if (png.m_channels != 1)
        return plate;
    plate.width = png.m_width;
    plate.height = png.m_height;
    plate.pixels = png.m_pixels;
    return plate;
}

void TS_ExpectNearMutool(const GrayPlate& ours, const GrayPlate& mutool, double share) {
    ASSERT_EQ(ours.width, mutool.width);
    ASSERT_EQ(ours.height, mutool.height);
    long inked = 0, close = 0;
    for (size_t i = 0; i < ours.pixels.size(); ++i)
        if (ours.pixels[i] < 255 || mutool.pixels[i] < 255) {
            ++inked;
            close += std::abs(ours.pixels[i] - mutool.pixels[i]) <= 8;
        }
    EXPECT_GE(close, inked * share) << close << " of " << inked << " inked pixels within 8 levels";
}

void TS_ExpectProcessPlatesAsMutool(const ScratchDir& folder, const std::vector<GrayPlate>& mutool) {
    const char* const names[] = {"Cyan", "Magenta", "Yellow", "Black"};
    ASSERT_EQ(mutool.size(), 4u);
    for (int ink = 0; ink < 4; ++ink) {
        SCOPED_TRACE(names[ink]);
        const GrayPlate ours =
            TS_ReadPlatePng(folder.File("plate-" + std::to_string(ink) + "-" + names[ink] + ".png"));
        ASSERT_EQ(ours.pixels.size(), mutool[ink].pixels.size());
        long peerInked = 0, inked = 0, strayInk = 0;
        for (size_t i = 0; i < ours.pixels.size(); ++i) {
            peerInked += mutool[ink].pixels[i] != 255;
            inked += ours.pixels[i] != 255;
            strayInk += mutool[ink].pixels[i] == 255 && ours.pixels[i] < 255 - 10;
        }
        if (peerInked == 0) {
            EXPECT_EQ(inked, 0) << "pixels inked on a plate no mark uses";
        } else {
            TS_ExpectNearMutool(ours, mutool[ink], 0.99);
            EXPECT_EQ(strayInk, 0) << "pixels inked above 10 levels where mutool has no ink";
        }
    }
}
