// One page separated that shows a Type 3 font of 200 coloured (d0) glyphs one
// glyph at a time, each show in a CMYK colour of its own: 10, 100 or 1,000
// colours. The glyphs paint a path in the colour of the show (MuPDF draws
// them where they are shown) or a stencil mask in it (MuPDF keeps them, so
// each colour needs a font of its own). Google Benchmark fits the time
// against the colours; the counters give the glyph procedures the ink pages
// hold and the heap still in use once the page is made, so that a colour
// more shows as one glyph more, not as a font more.
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_StringStream.h"

#include "BENCH_Separation.h"

#include <benchmark/benchmark.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kGlyphs = 200;

GLOB_Object Stream(const CPDF_Doc& doc, const std::string& content) {
    return doc.NewStream(GLOB_Stream(new GLOB_StringStream(content)), 1, GLOB_Object(), GLOB_Object(), -1);
}

CPDF_Page GlyphColoursPage(const CPDF_Doc& doc, int colours, const char* procedure) {
    CPDF_Page page = doc.CreatePage(0, GLIB_Rect(0, 0, 600, 600));
    std::string differences, content = "BT /T3 12 Tf";
    for (int g = 0; g < kGlyphs; ++g)
        differences += " /g" + std::to_string(g);
    for (int c = 0; c < colours; ++c) {
        char show[128];
        std::snprintf(show, sizeof show, " %.4f %.4f 0 %.4f k 1 0 0 1 %d %d Tm <%02x> Tj", (c % 7) / 7.0,
                      (c % 11) / 11.0, (c % 13) / 13.0, 5 + 14 * (c % 40), 5 + 14 * (c / 40), c % kGlyphs);
        content += show;
    }
    page.SetResources(doc.ParseObject(
        "<< /Font << /T3 << /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0]"
        " /CharProcs << >> /Encoding << /Type /Encoding /Differences [0" + differences + "] >> /FirstChar 0"
        " /LastChar 199 /Resources << >> >> >> >>"));
    page.SetContents(Stream(doc, content + " ET"));
    for (int g = 0; g < kGlyphs; ++g)
        page.Object().PutPath(("/Resources/Font/T3/CharProcs/g" + std::to_string(g)).c_str(),
                              Stream(doc, std::string("1000 0 d0 ") + procedure));
    return page;
}

// The distinct glyph procedures of the fonts an ink page names.
void CountGlyphs(const GLOB_Object& inkPage, std::vector<GLOB_Object>& seen) {
    const GLOB_Object fonts = inkPage.GetPath("/Resources/Font");
    GLOB_Object font, procedure;
    for (uint32_t i = 0; fonts.IsDict() && fonts.AsDict().Entry(i, nullptr, &font); ++i) {
        const GLOB_Object procedures = font.GetPath("/CharProcs");
        for (uint32_t k = 0; procedures.IsDict() && procedures.AsDict().Entry(k, nullptr, &procedure); ++k)
            seen.push_back(procedure);
    }
}

void BM_GlyphsFillingInTheShowsColour(benchmark::State& state) {
    BENCH_SeparateAtDepth(state, "glyphs", [](const CPDF_Doc& doc, int colours) {
        return GlyphColoursPage(doc, colours, "100 100 200 600 re f");
    }, CountGlyphs);
}
BENCHMARK(BM_GlyphsFillingInTheShowsColour)->RangeMultiplier(10)->Range(10, 1000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_GlyphsMaskingInTheShowsColour(benchmark::State& state) {
    BENCH_SeparateAtDepth(state, "glyphs", [](const CPDF_Doc& doc, int colours) {
        return GlyphColoursPage(doc, colours, "q 600 0 0 600 100 100 cm BI /W 1 /H 1 /IM true ID \x80 EI Q");
    }, CountGlyphs);
}
BENCHMARK(BM_GlyphsMaskingInTheShowsColour)->RangeMultiplier(10)->Range(10, 1000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);


CPDF_Page TextTakingTheColourPage(const CPDF_Doc& doc, int colours) {
    constexpr int kFifty = 50;
    CPDF_Page page = doc.CreatePage(0, GLIB_Rect(0, 0, 300, 600));
    std::string differences, codes, content = "BT /T3 6 Tf";
    for (int g = 0; g < kFifty; ++g) {
        differences += " /g" + std::to_string(g);
        codes += static_cast<char>('a' + g % 26);
    }
    for (int c = 0; c < colours; ++c) {
        char show[128];
        std::snprintf(show, sizeof show, " %.4f %.4f 0 0 k 1 0 0 1 2 %.2f Tm (", (c % 97) / 97.0, (c / 97) / 11.0,
                      2 + 0.59 * c);
        content += show + codes + ") Tj";
    }
    page.SetResources(doc.ParseObject(
        "<< /Font << /T3 << /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0]"
        " /CharProcs << >> /Encoding << /Type /Encoding /Differences [97" + differences + "] >> /FirstChar 97"
        " /LastChar 146 /Resources << /Font << /H << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>"
        " >> >> >>"));
    page.SetContents(Stream(doc, content + " ET"));
    for (int g = 0; g < kFifty; ++g)
        page.Object().PutPath(("/Resources/Font/T3/CharProcs/g" + std::to_string(g)).c_str(),
                              Stream(doc, "600 0 d0 BT /H 800 Tf 0 0 Td (" + std::string(1, 'A' + g % 26) +
                                              ") Tj ET"));
    return page;
}

// The files created in a folder of its own, which TMPDIR names while the
// benchmark runs.
class CreatedFiles {
public:
    CreatedFiles() {
        const char* tmp = std::getenv("TMPDIR");
        m_folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/glyph-colours-XXXXXX";
        if (mkdtemp(&m_folder[0]) == nullptr)
            return;
        m_previous = tmp ? tmp : "";
        m_hadPrevious = tmp != nullptr;
        setenv("TMPDIR", m_folder.c_str(), 1);
        m_watch = inotify_init1(IN_NONBLOCK);
        if (m_watch >= 0)
            inotify_add_watch(m_watch, m_folder.c_str(), IN_CREATE);
    }
    ~CreatedFiles() {
        if (m_watch >= 0)
            close(m_watch);
        if (m_hadPrevious)
            setenv("TMPDIR", m_previous.c_str(), 1);
        else
            unsetenv("TMPDIR");
        rmdir(m_folder.c_str());
    }
    CreatedFiles(const CreatedFiles&) = delete;
    CreatedFiles& operator=(const CreatedFiles&) = delete;

    // The job's files created since the last call; -1 without a watch. The
    // kernel's queue holds 16,384 events (fs.inotify.max_queued_events):
    // past it the count is a floor, and Overflowed says so.
    long Take() {
        if (m_watch < 0)
            return -1;
        std::set<std::string> names;
        m_overflowed = false;
        alignas(inotify_event) char events[65536];
        for (ssize_t n; (n = read(m_watch, events, sizeof events)) > 0;)
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                // The job's own ("VDQ…"); the memory document may hold files of its own.
                if ((event->mask & IN_CREATE) != 0 && event->len > 0 && std::strncmp(event->name, "VDQ", 3) == 0)
                    names.insert(event->name);
                m_overflowed = m_overflowed || (event->mask & IN_Q_OVERFLOW) != 0;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        return static_cast<long>(names.size());
    }
    bool Overflowed() const { return m_overflowed; }

private:
    std::string m_folder, m_previous;
    bool m_hadPrevious = false;
    bool m_overflowed = false;
    int m_watch = -1;
};

void BM_FiftyGlyphsOfTextTakingTheColour(benchmark::State& state) {
    const int colours = static_cast<int>(state.range(0));
    CPDF_Doc source = CPDF_MemoryImpl::Make();
    source.Create();
    const CPDF_Page page = TextTakingTheColourPage(source, colours);
    CreatedFiles files;
    long created = 0;
    bool overflowed = false;
    double heapBytes = 0;
    size_t procedures = 0;
    for (auto _ : state) {
        files.Take();
        const BENCH_Separated separated = BENCH_SeparateIntoNewDoc(page);
        created = files.Take();
        overflowed = files.Overflowed();
        heapBytes = separated.heapBytes;
        std::vector<GLOB_Object> seen;
        for (const GLOB_Object& inkPage : separated.pages)
            CountGlyphs(inkPage, seen);
        procedures = seen.size();
    }
    state.SetComplexityN(colours);
    state.counters["glyphs"] = static_cast<double>(procedures);
    state.counters["heapKB"] = heapBytes / 1024;
    state.counters["tempFiles"] = static_cast<double>(created);
    if (overflowed)
        state.SetLabel("temporary files: at least");
}
BENCHMARK(BM_FiftyGlyphsOfTextTakingTheColour)->RangeMultiplier(10)->Range(10, 1000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
