// The stand-in's page drawing on its own, at 300 dpi on 1 to 8 threads:
// a page of many small images, whole and cut short;
// the busy corpus page as it stands (MuPDF caches its coloured pattern's
// tiles), and a page shaped like its separation pages, whose uncoloured
// pattern has no id, so that a tile of its whole 940-point cell (60 MB) is
// drawn again in every band; a grey page of knockout groups, as an ink's
// page holds them (drawn in CMYK); many forms beside a mask whose group
// loses nothing or something; and how long a drawing takes to end once
// the cancel procedure answers true.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/Deflated.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_Store.h"
#include "viewer/draw/VDRW_PageDrawer.h"
#include "viewer/draw/VDRW_PageSpace.h"
#include "viewer/program/VIEW_PdfFile.h"
#include "win32/win32.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadCorpus(const std::string& name) {
    std::ifstream file(std::string(TINTSCOPE_CORPUS_DIR) + "/" + name, std::ios::binary);
    if (!file)
        throw std::runtime_error("no corpus file " + name);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

PDFL_Fixed Fixed(double v) { return static_cast<PDFL_Fixed>(v * 65536 + 0.5); }

// A DC over a top-down 32-bit DIB section.
class Target {
public:
    Target(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_dc = CreateCompatibleDC(nullptr);
        m_previous = SelectObject(m_dc, m_bitmap);
    }
    ~Target() {
        SelectObject(m_dc, m_previous);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    HDC DC() const { return m_dc; }

private:
    HBITMAP m_bitmap = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;
};

// 792 × 612 like the busy page: an uncoloured pattern of one 940-point cell
// fills a larger area 21 times at 21 grey levels.
std::string PatternPage() {
    const std::string cell = "0 0 m 900 300 l 300 900 l f 100 100 700 50 re f";
    std::string content = "/CS0 cs\n";
    for (int i = 0; i < 21; ++i)
        content += std::to_string(0.2 + i * 0.03) + " /P0 scn -600 -600 2000 1800 re f\n";
    return VIEW_PdfFile(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 792 612] /Resources << /ColorSpace << /CS0 [/Pattern "
         "/DeviceGray] >> /Pattern << /P0 5 0 R >> >> /Contents 4 0 R >>",
         "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream",
         "<< /PatternType 1 /PaintType 2 /TilingType 1 /BBox [0 0 940 940] /XStep 940.5 /YStep 940.5 "
         "/Resources << >> /Length " + std::to_string(cell.size()) + " >>\nstream\n" + cell + "\nendstream"});
}

// A page at 300 dpi, page space to the DIB's pixels.
struct Page {
    explicit Page(const std::string& file) : m_doc(VCOS_Reader::Read(m_store, file, "bench.pdf")) {}
    VCOS_Store m_store;
    VCOS_DocId m_doc;
    VDRW_PageSpace m_space = VDRW_PageSpaceReader::Read(m_store, m_doc, 0);
    double m_scale = 300.0 / 72;
    int m_width = static_cast<int>(m_space.m_width * m_scale + 0.5);
    int m_height = static_cast<int>(m_space.m_height * m_scale + 0.5);
    PDFL_FixedMatrix m_matrix{Fixed(m_scale), 0, 0, Fixed(-m_scale), 0, Fixed(m_height)};
    PDFL_FixedRect m_update{0, 0, Fixed(m_space.m_width), Fixed(m_space.m_height)};
};

std::string PageFile(int which) { return which == 0 ? ReadCorpus("skia_gs-bugzilla694385.pdf") : PatternPage(); }

// Arguments: 0 the corpus page, 1 the pattern page; threads.
void BM_DrawPage300(benchmark::State& state) {
    Page page(PageFile(static_cast<int>(state.range(0))));
    Target target(page.m_width, page.m_height);
    VDRW_PageDrawer drawer(page.m_store);
    drawer.SetThreads(static_cast<int>(state.range(1)));
    for (auto _ : state)
        drawer.Draw(page.m_doc, 0, page.m_matrix, target.DC(), page.m_update, nullptr, nullptr);
    state.counters["bands"] = (page.m_height + VDRW_PageDrawer::BandRows - 1) / VDRW_PageDrawer::BandRows;
}
BENCHMARK(BM_DrawPage300)
    ->ArgsProduct({{0, 1}, {1, 2, 4, 8}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A letter page of count distinct 16 × 16 grey Flate images in a grid,
// each cut to two thirds of its data when cut: MuPDF then says so as every
// image is decoded, in the bands.
std::string ImagesPage(int count, bool cut) {
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                        "", ""};
    std::string names, content;
    const int side = 40;
    for (int i = 0; i < count; ++i) {
        std::string pixels(256, '\0');
        for (int p = 0; p < 256; ++p)
            pixels[p] = static_cast<char>((p * 7 + i * 13) % 256);
        std::string data = Deflated(pixels);
        if (cut)
            data.resize(data.size() * 2 / 3);
        const int number = 5 + i;
        objects.push_back(VIEW_PdfStream("/Type /XObject /Subtype /Image /Width 16 /Height 16 /ColorSpace /DeviceGray "
                                         "/BitsPerComponent 8 /Filter /FlateDecode",
                                         data));
        names += "/I" + std::to_string(i) + " " + std::to_string(number) + " 0 R ";
        const double step = 612.0 / side, x = (i % side) * step, y = 792 - (i / side + 1) * step * 0.75;
        content += "q " + std::to_string(step) + " 0 0 " + std::to_string(step * 0.75) + " " + std::to_string(x) + " " +
                   std::to_string(y) + " cm /I" + std::to_string(i) + " Do Q\n";
    }
    objects[2] = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /XObject << " + names +
                 ">> >> /Contents 4 0 R >>";
    objects[3] = VIEW_PdfStream("", content);
    return VIEW_PdfFile(objects);
}

// Arguments: images; 1 when each is cut short. Four threads.
void BM_DrawImages300(benchmark::State& state) {
    Page page(ImagesPage(static_cast<int>(state.range(0)), state.range(1) != 0));
    Target target(page.m_width, page.m_height);
    VDRW_PageDrawer drawer(page.m_store);
    drawer.SetThreads(4);
    for (auto _ : state)
        drawer.Draw(page.m_doc, 0, page.m_matrix, target.DC(), page.m_update, nullptr, nullptr);
}
BENCHMARK(BM_DrawImages300)
    ->ArgsProduct({{10, 100, 1000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A letter page of an ink's grey: count uses of one isolated knockout group
// of two squares at alpha 0.6, one white, one 0.4 grey, edges between
// pixels.
std::string KnockoutGroupsPage(int count) {
    const std::string form = "/A gs 1 g 2.3 2.3 20.2 20.2 re f 0.4 g 10.4 10.4 20.3 20.3 re f";
    std::string content;
    for (int i = 0; i < count; ++i)
        content += "q 1 0 0 1 " + std::to_string(5 + i % 40 * 14.5) + " " + std::to_string(5 + i / 40 * 14.5) +
                   " cm /Fx Do Q\n";
    return VIEW_PdfFile(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /XObject << /Fx 5 0 R >> >> "
         "/Contents 4 0 R >>",
         VIEW_PdfStream("", content),
         VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 40 40] /Group << /S /Transparency /CS /DeviceGray "
                        "/I true /K true >> /Resources << /ExtGState << /A << /ca 0.6 >> >> >>",
                        form)});
}

// Arguments: uses of the group. Four threads.
void BM_DrawKnockoutGroups300(benchmark::State& state) {
    Page page(KnockoutGroupsPage(static_cast<int>(state.range(0))));
    Target target(page.m_width, page.m_height);
    VDRW_PageDrawer drawer(page.m_store);
    drawer.SetThreads(4);
    for (auto _ : state)
        drawer.Draw(page.m_doc, 0, page.m_matrix, target.DC(), page.m_update, nullptr, nullptr);
}
BENCHMARK(BM_DrawKnockoutGroups300)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A letter page of count uses of a form of two squares, then a 10-point
// black square through a luminosity mask whose group is whole (loss 0),
// holds a stray token that drops an operand painting nothing (1: the twin
// tells no plate lacks it), or one that drops a rectangle's operands (2:
// the plate lacks it).
std::string FormsBesideMaskPage(int count, int loss) {
    static const char* const kTails[] = {"", " 0.3 ) 0.2 g", " 0 50 100 ) 50 re f"};
    const std::string group = "1 g 0 0 100 50 re f 0.5 g 0 50 100 50 re f" + std::string(kTails[loss]);
    std::string content;
    for (int i = 0; i < count; ++i)
        content += "q 1 0 0 1 " + std::to_string(5 + i % 40 * 14.5) + " " + std::to_string(5 + i / 40 * 14.5) +
                   " cm /Fx Do Q\n";
    content += "q /M0 gs 0 0 0 1 k 560 740 10 10 re f Q\n";
    return VIEW_PdfFile(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /XObject << /Fx 5 0 R >> "
         "/ExtGState << /M0 6 0 R >> >> /Contents 4 0 R >>",
         VIEW_PdfStream("", content),
         VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 40 40] /Resources << >>",
                        "0.3 g 1 1 6 6 re f 0.6 g 4 4 6 6 re f"),
         "<< /SMask << /S /Luminosity /G 7 0 R >> >>",
         VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [560 740 570 750] /Matrix [0.1 0 0 0.1 560 740] "
                        "/Resources << >> /Group << /S /Transparency /CS /DeviceGray >>",
                        group)});
}

// Arguments: uses of the form; the loss (0 none, 1 costless, 2 costly).
// What telling a loss apart from its twin costs beside the clean page.
void BM_DrawFormsBesideMask300(benchmark::State& state) {
    Page page(FormsBesideMaskPage(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
    Target target(page.m_width, page.m_height);
    VDRW_PageDrawer drawer(page.m_store);
    drawer.SetThreads(4);
    for (auto _ : state)
        drawer.Draw(page.m_doc, 0, page.m_matrix, target.DC(), page.m_update, nullptr, nullptr);
}
BENCHMARK(BM_DrawFormsBesideMask300)
    ->ArgsProduct({{10, 100, 1000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

struct StopAt {
    int m_calls = 0;
    int m_stopAt = 0;
    Clock::time_point m_stopped;
};

PDFL_Bool AnswerStop(void* data) {
    StopAt& stop = *static_cast<StopAt*>(data);
    if (++stop.m_calls != stop.m_stopAt)
        return false;
    stop.m_stopped = Clock::now();
    return true;
}

// Manual time: from the cancel procedure's true to the drawing's return,
// Stop pressed a third of the way down the page.
void BM_StopLatencyPatternPage300(benchmark::State& state) {
    Page page(PatternPage());
    Target target(page.m_width, page.m_height);
    VDRW_PageDrawer drawer(page.m_store);
    drawer.SetThreads(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        StopAt stop;
        stop.m_stopAt = page.m_height / VDRW_PageDrawer::BandRows / 3;
        drawer.Draw(page.m_doc, 0, page.m_matrix, target.DC(), page.m_update, AnswerStop, &stop);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - stop.m_stopped).count());
    }
}
BENCHMARK(BM_StopLatencyPatternPage300)->Arg(1)->Arg(8)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
