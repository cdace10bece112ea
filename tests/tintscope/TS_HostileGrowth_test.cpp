// The built program on pages whose cost grows with what they hold: clips
// nested thousands deep and thousands of one-pixel inline images. Each shape
// runs at a small and at a four times larger size beside a near-empty one;
// the peak memory above the near-empty run may grow about four times, not
// with the square, and the temporary files may not grow at all.
#include "TS_ProgramFixture.h"
#include "support/PdfText.h"
#include "viewer/VIEW_Recorder.h"
#include "viewer/draw/VDRW_MuPDF.h"
#include "viewer/program/VIEW_ProgramPlates.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Use {
    bool ran = false;
    int status = -1;
    long peakKb = 0;      // ru_maxrss of the program alone
    size_t peakFiles = 0;  // most files seen under TMPDIR at once
};

size_t CountFiles(const std::string& folder) {
    size_t count = 0;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return 0;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (entry->d_type == DT_DIR)
            count += CountFiles(folder + "/" + name);
        else
            ++count;
    }
    closedir(dir);
    return count;
}

// The program runs as the only child of peak_run, a small process of its
// own, so that its peak is the program's alone: neither the test process's
// pages (a child forked from it counts them until it execs) nor an earlier
// child of the tests. The files under tmp are counted while it runs.
Use Measure(const std::vector<std::string>& args, const std::string& tmp) {
    const TS_ConfigScope config;
    Use use;
    int report[2];
    if (pipe(report) != 0)
        return use;
    std::vector<std::string> words = {TINTSCOPE_PEAK_RUN, std::to_string(report[1]), TINTSCOPE_PROGRAM};
    words.insert(words.end(), args.begin(), args.end());
    const std::vector<char*> argv = TS_CArgs(words);
    const pid_t runner = fork();
    if (runner == 0) {
        close(report[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        execve(argv[0], argv.data(), environ);
        _exit(127);
    }
    close(report[1]);
    if (runner < 0) {
        close(report[0]);
        return use;
    }
    pollfd done{report[0], POLLIN, 0};
    while (poll(&done, 1, 10) == 0)
        use.peakFiles = std::max(use.peakFiles, CountFiles(tmp));
    long result[2] = {-1, 0};
    use.ran = read(report[0], result, sizeof result) == static_cast<ssize_t>(sizeof result);
    close(report[0]);
    waitpid(runner, nullptr, 0);
    use.status = static_cast<int>(result[0]);
    use.peakKb = result[1];
    return use;
}

std::string NestedClips(int levels) {
    std::string content = "0 0 0 1 k\n";
    for (int i = 0; i < levels; ++i)
        content += "q 0 0 100 100 re W n\n";
    content += "10 10 50 50 re f\n";
    for (int i = 0; i < levels; ++i)
        content += "Q\n";
    return TS_OnePage("", content);
}

std::string InlineImages(int count) {
    std::string content;
    for (int i = 0; i < count; ++i)
        content += "q 1 0 0 1 " + std::to_string(i % 100) + " " + std::to_string(i / 100 % 100) +
                   " cm BI /W 1 /H 1 /BPC 8 /CS /DeviceCMYK ID " + std::string("\xFF\x00\x80\x00", 4) + " EI Q\n";
    return TS_OnePage("", content);
}

class TS_HostileGrowthTest : public TS_ProgramTest {
protected:
    // page(n) at 10, small and 4 * small: each run succeeds, and what each
    // size adds to the near-empty run is compared.
    void ExpectLinear(const char* name, std::string (*page)(int), int small) {
        std::vector<Use> uses;
        for (int n : {10, small, 4 * small}) {
            SCOPED_TRACE(n);
            const std::string file = WriteFile(name + std::to_string(n) + ".pdf", page(n));
            uses.push_back(Measure({file, "--dpi", "150", "--out", m_out.File(name + std::to_string(n))}, m_tmp.Path()));
            ASSERT_TRUE(uses.back().ran);
            ASSERT_TRUE(WIFEXITED(uses.back().status) && WEXITSTATUS(uses.back().status) == 0) << uses.back().status;
            EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>()) << "temporary files left";
        }
        const double base = static_cast<double>(uses[0].peakKb);
        const double grewSmall = uses[1].peakKb - base, grewLarge = uses[2].peakKb - base;
        // Four times as much, with half as much again and 48 MB for what
        // the allocator and the sanitizer's quarantine hold.
        EXPECT_LE(grewLarge, 6 * std::max(grewSmall, 0.0) + 48 * 1024)
            << name << ": peaks of " << uses[0].peakKb << ", " << uses[1].peakKb << " and " << uses[2].peakKb
            << " KB at 10, " << small << " and " << 4 * small;
        EXPECT_LE(uses[2].peakFiles, uses[1].peakFiles + 4)
            << name << ": at most " << uses[1].peakFiles << " then " << uses[2].peakFiles << " temporary files";
    }
};

TEST_F(TS_HostileGrowthTest, NestedClipsCostInProportionToTheirDepth) {
    ExpectLinear("clips", NestedClips, 2000);
}

// One file for each image's ink, kept to the end of the page, ran the
// temporary names out; the files may not grow with the images at all.
TEST_F(TS_HostileGrowthTest, InlineImagesNeedNoTemporaryFileEach) {
    ExpectLinear("images", InlineImages, 500);
}

// The page of a magenta square over two updates, the newest one's entries
// in a cross-reference stream of PNG rows that claims columns; hybrid: the
// page's entry in a table whose /XRefStm names that stream.
std::string PredictedSection(const std::string& columns, bool hybrid) {
    const auto square = [](const std::string& ink) {
        const std::string content = ink + " k 20 20 160 160 re f";
        return "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream";
    };
    const auto page = [](const std::string& contents) {
        return "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << >> /Contents " + contents + " >>";
    };
    std::string file = PdfText("%PDF-1.7", {"<< /Type /Catalog /Pages 2 0 R >>",
                                            "<< /Type /Pages /Kids [3 0 R] /Count 1 >>", page("4 0 R"),
                                            square("0 0 0 1")});
    file = PdfTextWithUpdate(file, {{3, 0, page("4 3 R")}, {4, 3, square("0 0 0 1")}}, "/Size 5 /Root 1 0 R");
    const std::string prev = std::to_string(std::stoul(file.substr(file.rfind("startxref") + 9)));
    // Each row after its tag byte (no prediction): in use, offset, generation.
    std::string rows;
    const auto row = [&rows](size_t offset, int generation) {
        rows += {'\0', '\1'};
        for (int shift = 24; shift >= 0; shift -= 8)
            rows += static_cast<char>(offset >> shift & 0xFF);
        rows += {static_cast<char>(generation >> 8), static_cast<char>(generation)};
    };
    const size_t page3 = file.size();
    if (!hybrid)
        row(page3, 0);
    file += "3 0 obj\n" + page("4 1 R") + "\nendobj\n";
    row(file.size(), 1);
    file += "4 1 obj\n" + square("0 1 0 0") + "\nendobj\n";
    row(file.size(), 0);
    uLongf size = compressBound(rows.size());
    std::string data(size, '\0');
    compress(reinterpret_cast<Bytef*>(&data[0]), &size, reinterpret_cast<const Bytef*>(rows.data()), rows.size());
    data.resize(size);
    const std::string xref = std::to_string(file.size());
    file += "7 0 obj\n<< /Type /XRef /Size 8 /W [1 4 2] /Index " + std::string(hybrid ? "[4 1 7 1]" : "[3 2 7 1]") +
            " /Root 1 0 R /Prev " + prev + " /Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns " + columns +
            " >> /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream\nendobj\n";
    if (!hybrid)
        return file + "startxref\n" + xref + "\n%%EOF\n";
    char entry[24];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n\r\n", page3);
    const std::string table = std::to_string(file.size());
    return file + "xref\n3 1\n" + entry + "trailer\n<< /Size 8 /Root 1 0 R /Prev " + prev + " /XRefStm " + xref +
           " >>\nstartxref\n" + table + "\n%%EOF\n";
}

// A predictor claiming 2^31 - 1 columns for the newest stream's 8-byte rows,
// a section of its own or a hybrid table's, costs what the same file with 7
// columns costs, well under 100 MB where no sanitizer reserves its own: the
// section is passed over before anything is set up for its rows, and the
// page is drawn from the bodies, said to be repaired, as the 7-column file
// draws it.
TEST_F(TS_HostileGrowthTest, APredictorClaimingHugeRowsCostsNothingForThem) {
    for (const bool hybrid : {false, true}) {
        SCOPED_TRACE(hybrid ? "a hybrid table's stream" : "a stream section");
        const std::string huge = WriteFile("huge.pdf", PredictedSection("2147483647", hybrid));
        const std::string sound = WriteFile("sound.pdf", PredictedSection("7", hybrid));
        const Use hugeUse = Measure({huge, "--dpi", "150", "--out", m_out.File("huge")}, m_tmp.Path());
        const Use soundUse = Measure({sound, "--dpi", "150", "--out", m_out.File("sound")}, m_tmp.Path());
        ASSERT_TRUE(hugeUse.ran && soundUse.ran);
        EXPECT_TRUE(WIFEXITED(hugeUse.status) && WEXITSTATUS(hugeUse.status) == 0) << hugeUse.status;
        EXPECT_LE(hugeUse.peakKb, soundUse.peakKb + 16 * 1024) << "a sound section's run peaks at " << soundUse.peakKb;
    #if !defined(__SANITIZE_ADDRESS__)
        EXPECT_LE(hugeUse.peakKb, 100 * 1024);
    #endif

        std::map<std::string, std::vector<uint8_t>> plates[2];
        for (int i = 0; i < 2; ++i) {
            const TS_Run run = Run(WithOut({i == 0 ? huge : sound, "--dpi", "150"}));
            ASSERT_EQ(run.m_code, 0) << run.m_err;
            EXPECT_EQ(run.m_err.find(huge + ": repaired, ") != std::string::npos, i == 0) << run.m_err;
            for (const std::string& name : m_out.List())
                if (name.rfind("plate-", 0) == 0)
                    plates[i][name] = Output(name).m_pixels;
        }
        EXPECT_EQ(plates[0], plates[1]);
        // 160 points at 150 dpi: 333 or 334 pixels a side.
        const std::vector<uint8_t>& magenta = plates[0]["plate-1-Magenta.png"];
        EXPECT_NEAR(std::count(magenta.begin(), magenta.end(), 0), 333 * 334, 700);
    }
}

}  // namespace

// What a page claims sets no cost beyond what it holds: the plates held at
// once do not grow with its inks, and a page that needs more names than the
// host's table holds is refused with that reason last, the preferences
// saved without a word.
TEST_F(TS_ProgramTest, CostsFollowThePageNotItsClaims) {
    // The same page with 8 and with 64 spot inks, each a stripe of its own.
    const int inkCounts[2] = {8, 64};
    size_t peak[2] = {0, 0}, calls[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
        std::string spaces, content;
        for (int i = 0; i < inkCounts[k]; ++i) {
            const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
            spaces += "/S" + n + " [/Separation /Ink" + n +
                      " /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 0 0 1] /N 1 >>] ";
            content += "/S" + n + " cs 1 sc " + std::to_string(i * 1.5) + " 10 1 80 re f\n";
        }
        const std::string file = WritePage("inks" + std::to_string(k) + ".pdf", 100, 100, content, spaces);
        VIEW_ProgramSettings settings;
        settings.m_plateBytesHeld = [&peak, k](size_t bytes) { peak[k] = std::max(peak[k], bytes); };
        VIEW_Recorder::ResetMostCallsHeld();
        const TS_Run run = Run(WithOut({file, "--dpi", "150"}), settings);
        calls[k] = VIEW_Recorder::MostCallsHeld();
        ASSERT_EQ(run.m_code, 0) << run.m_err;
        // Every plate is written, the last one too, from its own drawing.
        const int last = inkCounts[k] - 1;
        const PngPixels plate = Output("plate-" + std::to_string(last + 4) + "-Ink" + (last < 10 ? "0" : "") +
                                       std::to_string(last) + ".png");
        ASSERT_EQ(plate.m_width, 208) << plate.m_error;
        EXPECT_EQ(plate.m_height, 208);
        const int x = static_cast<int>((last * 1.5 + 0.5) * 150 / 72);
        EXPECT_LT(plate.m_pixels[104 * 208 + x], 128);
        EXPECT_EQ(plate.m_pixels[104 * 208 + x + 8], 255);
    }
    const size_t pixels = 208 * 208;
    EXPECT_GT(peak[0], 0u);
    EXPECT_LE(peak[1], peak[0] + VIEW_ProgramPlates::InFlight * pixels);
    // Nor a record of the slot calls, which grow with the square of the inks.
    EXPECT_EQ(calls[0], 0u);
    EXPECT_EQ(calls[1], 0u);

    // 70,000 distinct names in the page's properties.
    std::string properties;
    for (int i = 0; i < 70000; ++i)
        properties += "/P" + std::to_string(i) + " 1 ";
    const std::string names = WriteFile(
        "names.pdf", TS_OnePage("/Properties << " + properties + ">>", "0 0 0 1 k 10 10 80 80 re f"));
    const TS_Run run = RunBinary(WithOut({names}));
    EXPECT_EQ(run.m_code, 1);
    ASSERT_FALSE(run.Lines().empty()) << run.m_err;
    EXPECT_EQ(run.Lines().back().find("tintscope: " + names + ": "), 0u) << run.m_err;
    EXPECT_NE(run.Lines().back().find("the file needs more than 65,535 distinct names"), std::string::npos)
        << run.m_err;
    EXPECT_EQ(run.m_err.find("ZOVA.pref"), std::string::npos) << run.m_err;
}

// A large image reaches MuPDF as the separated pages hold it, one raw slice
// an ink in a temporary file: no block of the drawing holds such a slice
// whole, let alone the document of every ink's slice and a copy of it.
TEST_F(TS_ProgramTest, ALargeImagesSlicesReachTheDrawingEncoded) {
    constexpr int kSide = 3000;
    std::string samples;
    samples.reserve(size_t(kSide) * kSide * 4);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            samples += std::string(x < kSide / 2 ? "\xFF" : "\x00", 1) + std::string(3, '\0');
    uLongf size = compressBound(samples.size());
    std::string data(size, '\0');
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(&data[0]), &size, reinterpret_cast<const Bytef*>(samples.data()),
                        samples.size(), 9),
              Z_OK);
    data.resize(size);
    const std::string file = WriteFile(
        "image.pdf", TS_OnePage("/XObject << /Im0 5 0 R >>", "q 100 0 0 100 0 0 cm /Im0 Do Q",
                                {"<< /Type /XObject /Subtype /Image /Width " + std::to_string(kSide) + " /Height " +
                                 std::to_string(kSide) +
                                 " /ColorSpace /DeviceCMYK /BitsPerComponent 8 /Filter /FlateDecode /Length " +
                                 std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream"}));
    VDRW_ResetLargestBlock();
    const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
    ASSERT_EQ(run.m_code, 0) << run.m_err;
    EXPECT_LT(VDRW_LargestBlock(), size_t(kSide) * kSide);
    // The drawing is that of the image: cyan on its left half alone.
    const PngPixels cyan = Output("plate-0-Cyan.png");
    ASSERT_EQ(cyan.m_width, 208) << cyan.m_error;
    EXPECT_EQ(cyan.m_pixels[104 * 208 + 10], 0);
    EXPECT_EQ(cyan.m_pixels[104 * 208 + 200], 255);
}
