// Bands drawn on several threads: the same pixels as on one thread, Stop
// asked on the calling thread only, and errors that MuPDF's display list
// goes past failing the drawing with MuPDF's message, from any thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <sched.h>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "VDRW_TestDib.h"
#include "viewer/VIEW_ErrorRegistry.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_TestPdf.h"
#include "viewer/draw/VDRW_BandRun.h"
#include "viewer/draw/VDRW_PageDrawer.h"
#include "viewer/VIEW_RaisedText.h"

namespace {

class VDRW_ThreadedDrawingTest : public ::testing::Test {
protected:
    void SetUp() override { VIEW_Host::Reset(); }
    void TearDown() override { VIEW_Host::Reset(); }
};

std::vector<uint8_t> Bytes(const VDRW_TestDib& dib) {
    std::vector<uint8_t> bytes;
    for (int y = 0; y < dib.Height(); ++y)
        bytes.insert(bytes.end(), dib.Pixel(0, y), dib.Pixel(0, y) + dib.Width() * 4);
    return bytes;
}

// A page with what MuPDF draws differently per band if the geometry moved:
// an axial and a radial shading, a tiling pattern (a tile per band), text
// and a gray image, on a 400 × 600 page.
VCOS_DocId BusyPage(VCOS_Store& store) {
    std::string image;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            image += static_cast<char>((x * 16 + y * 7) & 255);
    const std::string content =
        "q 0 0 400 300 re W n /Sh0 sh Q "
        "q 0 300 400 300 re W n /Sh1 sh Q "
        "/Pattern cs /P0 scn 20 20 360 560 re f "
        "BT /F1 40 Tf 0 g 30 500 Td (Bands) Tj ET "
        "q 300 0 0 300 50 150 cm /Im0 Do Q";
    const std::string tile = "0 g 0 0 5 5 re f 0.5 g 5 5 3 3 re f";
    const std::string file = VCOS_MakePdf(
        "%PDF-1.4",
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 400 600] /Resources << /Font << /F1 5 0 R >> "
         "/Shading << /Sh0 6 0 R /Sh1 7 0 R >> /Pattern << /P0 8 0 R >> /XObject << /Im0 9 0 R >> >> "
         "/Contents 4 0 R >>",
         "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
         "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
         "<< /ShadingType 2 /ColorSpace /DeviceGray /Coords [0 0 400 300] "
         "/Function << /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >> /Extend [true true] >>",
         "<< /ShadingType 3 /ColorSpace /DeviceGray /Coords [200 450 10 200 450 180] "
         "/Function << /FunctionType 2 /Domain [0 1] /C0 [1] /C1 [0.1] /N 1.5 >> >>",
         "<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 10 /YStep 10 "
         "/Resources << >> /Length " + std::to_string(tile.size()) + " >>\nstream\n" + tile + "\nendstream",
         "<< /Type /XObject /Subtype /Image /Width 16 /Height 16 /ColorSpace /DeviceGray "
         "/BitsPerComponent 8 /Length 256 >>\nstream\n" + image + "\nendstream"});
    return VCOS_Reader::Read(store, file, "busy.pdf");
}

// A lattice of 2147483647 vertices per row over 8 bytes of data: MuPDF
// fails inside the display list's fill-shade command, which it goes past.
VCOS_DocId FailingShadingPage(VCOS_Store& store) {
    const std::string data("\x00\x00\x00\xff\x00\x80\xff\xff", 8);
    const std::string content = "0.5 g 0 0 100 100 re f /Sh0 sh";
    const std::string file = VCOS_MakePdf(
        "%PDF-1.4",
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 300] /Resources << /Shading << /Sh0 5 0 R >> >> "
         "/Contents 4 0 R >>",
         "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
         "<< /ShadingType 5 /ColorSpace /DeviceGray /BitsPerCoordinate 8 /BitsPerComponent 8 "
         "/VerticesPerRow 2147483647 /Decode [0 100 0 100 0 1] /Length 8 >>\nstream\n" + data +
             "\nendstream"});
    return VCOS_Reader::Read(store, file, "lattice.pdf");
}

const PDFL_FixedRect kWholeBusyPage = VDRW_Rect(0, 0, 400, 600);

TEST_F(VDRW_ThreadedDrawingTest, EveryThreadCountDrawsThePixelsOfOneThread) {
    VCOS_Store store;
    const VCOS_DocId doc = BusyPage(store);
    // 3 pixels a point: 1200 × 1800, 29 bands, the last one 8 rows high.
    const PDFL_FixedMatrix matrix = VDRW_Matrix(3, 0, 0, -3, 0, 1800);
    VDRW_PageDrawer drawer(store);
    drawer.SetThreads(1);
    VDRW_TestDib one(1200, 1800);
    ASSERT_TRUE(drawer.Draw(doc, 0, matrix, one.DC(), kWholeBusyPage, nullptr, nullptr).m_complete);
    const std::vector<uint8_t> expected = Bytes(one);
    // Shading, pattern, text and image all drew something.
    EXPECT_NE(one.Pixel(10, 1790)[0], one.Pixel(1190, 900)[0]);
    EXPECT_NE(one.Pixel(600, 450)[0], 255);
    for (const int threads : {2, 3, 8, 40}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        drawer.SetThreads(threads);
        VDRW_TestDib many(1200, 1800);
        EXPECT_TRUE(drawer.Draw(doc, 0, matrix, many.DC(), kWholeBusyPage, nullptr, nullptr).m_complete);
        EXPECT_TRUE(Bytes(many) == expected);
    }
}

int g_startsSeen = 0;
int g_failAt = -1;

void CountStart(int worker) {
    ++g_startsSeen;
    if (worker == g_failAt)
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

// The threads of this process now.
int ProcessThreads() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        (void)entry;
        ++count;
    }
    return count;
}

// The threads of this process once they are down to count, or after a
// second: a joined thread's entry may outlive the join by a moment.
int ProcessThreadsSettledAt(int count) {
    for (int i = 0; i < 100 && ProcessThreads() != count; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ProcessThreads();
}

// Bands handed to workers are drawn in any order, so the one-thread
// reference must start none.
TEST_F(VDRW_ThreadedDrawingTest, OneThreadStartsNoWorkerAndMoreStartThatMany) {
    VCOS_Store store;
    const VCOS_DocId doc = BusyPage(store);
    const PDFL_FixedMatrix matrix = VDRW_Matrix(3, 0, 0, -3, 0, 1800);
    VDRW_PageDrawer drawer(store);
    VDRW_BandRun::SetStartHook(CountStart);
    g_failAt = -1;
    for (const int threads : {1, 3, 1}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        g_startsSeen = 0;
        drawer.SetThreads(threads);
        VDRW_TestDib dib(1200, 1800);
        EXPECT_TRUE(drawer.Draw(doc, 0, matrix, dib.DC(), kWholeBusyPage, nullptr, nullptr).m_complete);
        EXPECT_EQ(g_startsSeen, threads == 1 ? 0 : threads);
    }
    VDRW_BandRun::SetStartHook(nullptr);
}

// A process held to one core (taskset -c 0) draws on its calling thread
// alone, however many cores the machine has.
TEST_F(VDRW_ThreadedDrawingTest, OneAllowedCoreStartsNoWorker) {
    VCOS_Store store;
    const VCOS_DocId doc = BusyPage(store);
    const PDFL_FixedMatrix matrix = VDRW_Matrix(3, 0, 0, -3, 0, 1800);
    VDRW_PageDrawer drawer(store);
    cpu_set_t all, one;
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &all)) {
            CPU_SET(cpu, &one);
            break;
        }
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    VDRW_BandRun::SetStartHook(CountStart);
    g_failAt = -1;
    g_startsSeen = 0;
    VDRW_TestDib dib(1200, 1800);
    const bool complete = drawer.Draw(doc, 0, matrix, dib.DC(), kWholeBusyPage, nullptr, nullptr).m_complete;
    VDRW_BandRun::SetStartHook(nullptr);
    sched_setaffinity(0, sizeof all, &all);
    EXPECT_TRUE(complete);
    EXPECT_EQ(g_startsSeen, 0);
}

TEST_F(VDRW_ThreadedDrawingTest, AThreadThatCannotStartFailsTheDrawingOnceTheStartedOnesHaveEnded) {
    VCOS_Store store;
    const VCOS_DocId doc = BusyPage(store);
    const PDFL_FixedMatrix matrix = VDRW_Matrix(3, 0, 0, -3, 0, 1800);
    VDRW_PageDrawer drawer(store);
    drawer.SetThreads(4);
    // Drawn once first, so that threads a sanitizer starts with the first
    // worker are counted in before.
    VDRW_TestDib first(1200, 1800, 0xAB);
    ASSERT_TRUE(drawer.Draw(doc, 0, matrix, first.DC(), kWholeBusyPage, nullptr, nullptr).m_complete);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int before = ProcessThreads();
    VDRW_BandRun::SetStartHook(CountStart);
    for (const int failAt : {0, 2, 3}) {
        SCOPED_TRACE("thread " + std::to_string(failAt) + " fails");
        g_failAt = failAt;
        g_startsSeen = 0;
        VDRW_TestDib dib(1200, 1800, 0xAB);
        const std::string text =
            RaisedText([&] { drawer.Draw(doc, 0, matrix, dib.DC(), kWholeBusyPage, nullptr, nullptr); });
        EXPECT_EQ(text.rfind("VDRW_PageDrawer: cannot start a drawing thread: ", 0), 0u) << text;
        EXPECT_NE(text.find("Resource temporarily unavailable"), std::string::npos) << text;
        EXPECT_EQ(g_startsSeen, failAt + 1);
        // The workers started before the failure are gone, and drew nothing.
        EXPECT_EQ(ProcessThreadsSettledAt(before), before);
        EXPECT_EQ(dib.Pixel(600, 900)[0], 0xAB);
        EXPECT_EQ(dib.Pixel(10, 10)[0], 0xAB);
    }
    VDRW_BandRun::SetStartHook(nullptr);
    // The same drawer draws the same pixels once threads start again.
    VDRW_TestDib dib(1200, 1800, 0xAB);
    EXPECT_TRUE(drawer.Draw(doc, 0, matrix, dib.DC(), kWholeBusyPage, nullptr, nullptr).m_complete);
    EXPECT_TRUE(Bytes(dib) == Bytes(first));
}

struct CancelRecord {
    std::thread::id m_caller;
    std::set<std::thread::id> m_askedOn;
    int m_calls = 0;
    int m_stopAt = 0;
};

PDFL_Bool CancelAtCall(void* data) {
    CancelRecord& record = *static_cast<CancelRecord*>(data);
    record.m_askedOn.insert(std::this_thread::get_id());
    return ++record.m_calls == record.m_stopAt;
}

TEST_F(VDRW_ThreadedDrawingTest, StopOnTheThreadedPathIsAskedOnTheCallingThreadAndLeavesLaterBandsUntouched) {
    VCOS_Store store;
    const VCOS_DocId doc = BusyPage(store);
    const PDFL_FixedMatrix matrix = VDRW_Matrix(3, 0, 0, -3, 0, 1800);
    VDRW_PageDrawer drawer(store);
    drawer.SetThreads(1);
    VDRW_TestDib whole(1200, 1800, 0xAB);
    drawer.Draw(doc, 0, matrix, whole.DC(), kWholeBusyPage, nullptr, nullptr);

    drawer.SetThreads(4);
    for (const int stopAt : {1, 2, 9, 29}) {
        SCOPED_TRACE("stop at call " + std::to_string(stopAt));
        VDRW_TestDib dib(1200, 1800, 0xAB);
        CancelRecord record;
        record.m_caller = std::this_thread::get_id();
        record.m_stopAt = stopAt;
        const VDRW_Drawn drawn = drawer.Draw(doc, 0, matrix, dib.DC(), kWholeBusyPage, CancelAtCall, &record);
        EXPECT_FALSE(drawn.m_complete);
        EXPECT_EQ(record.m_calls, stopAt);
        EXPECT_EQ(record.m_askedOn, std::set<std::thread::id>{record.m_caller});
        // A band handed out before the answer is whole, or untouched when
        // the answer stopped it midway; none after is begun.
        int wholeBands = 0;
        for (int band = 0; band * VDRW_PageDrawer::BandRows < 1800; ++band) {
            int same = 0, kept = 0, probes = 0;
            for (int y = band * VDRW_PageDrawer::BandRows; y < std::min(1800, (band + 1) * VDRW_PageDrawer::BandRows);
                 y += 5)
                for (int x = 0; x < 1200; x += 37, ++probes) {
                    same += dib.Pixel(x, y)[0] == whole.Pixel(x, y)[0];
                    kept += dib.Pixel(x, y)[0] == 0xAB;
                }
            SCOPED_TRACE("band " + std::to_string(band));
            if (band >= stopAt - 1)
                EXPECT_EQ(kept, probes);
            else
                EXPECT_TRUE(same == probes || kept == probes);
            wholeBands += band < stopAt - 1 && same == probes && kept < probes;
        }
        // With four workers, at most the last four handed out were stopped.
        EXPECT_GE(wholeBands, std::max(0, stopAt - 1 - 4));
        EXPECT_LE(wholeBands, stopAt - 1);
    }
    // Answering false throughout asks once per band and draws them all.
    VDRW_TestDib dib(1200, 1800, 0xAB);
    CancelRecord record;
    record.m_stopAt = -1;
    EXPECT_TRUE(drawer.Draw(doc, 0, matrix, dib.DC(), kWholeBusyPage, CancelAtCall, &record).m_complete);
    EXPECT_EQ(record.m_calls, 29);
    EXPECT_TRUE(Bytes(dib) == Bytes(whole));
}

TEST_F(VDRW_ThreadedDrawingTest, AnErrorMuPDFGoesPastFailsTheDrawingWithMuPDFsMessageOnEveryThreadCount) {
    VCOS_Store store;
    const VCOS_DocId doc = FailingShadingPage(store);
    const PDFL_FixedMatrix matrix = VDRW_Matrix(1, 0, 0, -1, 0, 300);
    const PDFL_FixedRect update = VDRW_Rect(0, 0, 100, 300);
    VDRW_PageDrawer drawer(store);
    for (const int threads : {1, 4}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        drawer.SetThreads(threads);
        VDRW_TestDib dib(100, 300, 0xAB);
        const std::string text = RaisedText([&] { drawer.Draw(doc, 0, matrix, dib.DC(), update, nullptr, nullptr); });
        // The drawer's words, then MuPDF's own.
        EXPECT_EQ(text.rfind("VDRW_PageDrawer: drawing failed: ", 0), 0u) << text;
        // MuPDF's message: it could not allocate the lattice's row.
        EXPECT_NE(text.find("malloc of "), std::string::npos) << text;
    }
    // The same page without the shading draws, on the same drawer.
    const VCOS_DocId plain = VDRW_OnePageDoc(store, "/MediaBox [0 0 100 300]", "0.5 g 0 0 100 100 re f");
    drawer.SetThreads(4);
    VDRW_TestDib dib(100, 300, 0xAB);
    EXPECT_TRUE(drawer.Draw(plain, 0, matrix, dib.DC(), update, nullptr, nullptr).m_complete);
    EXPECT_EQ(dib.Pixel(50, 250)[0], 127);
    EXPECT_EQ(dib.Pixel(50, 150)[0], 0xAB);
}

}  // namespace
