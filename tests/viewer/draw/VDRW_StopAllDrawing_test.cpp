// Every drawing stopped from another thread: a page list that would take
// minutes and bands in flight on any thread end, the drawing ends
// incomplete without an error, a drawing begun while stopped draws
// nothing, and once allowed again the drawer draws whole pages.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "VDRW_TestDib.h"
#include "viewer/VIEW_Host.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_TestPdf.h"
#include "viewer/draw/VDRW_BandRun.h"
#include "viewer/draw/VDRW_MuPDF.h"
#include "viewer/draw/VDRW_PageDrawer.h"

namespace {

class VDRW_StopAllDrawingTest : public ::testing::Test {
protected:
    void SetUp() override { VIEW_Host::Reset(); }
    void TearDown() override {
        VDRW_AllowDrawing();
        VIEW_Host::Reset();
    }
};

std::string Stream(const std::string& entries, const std::string& data) {
    return "<< " + entries + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

// Eight forms each drawing the next ten times: a page list of 10^8 squares.
VCOS_DocId NestedForms(VCOS_Store& store) {
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 300] /Resources << /XObject << /F 5 0 R >> >> "
        "/Contents 4 0 R >>",
        Stream("", "/F Do")};
    for (int level = 0; level < 8; ++level) {
        std::string body;
        for (int i = 0; i < 10; ++i)
            body += "q 0.9 0 0 0.9 " + std::to_string(i) + " 0 cm /F Do Q\n";
        objects.push_back(Stream("/Type /XObject /Subtype /Form /BBox [0 0 300 300] /Resources << /XObject << /F " +
                                     std::to_string(6 + level) + " 0 R >> >>",
                                 body));
    }
    objects.push_back(Stream("/Type /XObject /Subtype /Form /BBox [0 0 300 300]", "0 g 0 0 10 10 re f"));
    return VCOS_Reader::Read(store, VCOS_MakePdf("%PDF-1.4", objects), "forms.pdf");
}

// Many fills of the whole page: every band runs long, command by command.
std::string ManyFills(int count) {
    std::string content;
    for (int i = 0; i < count; ++i)
        content += (i % 2 ? "1 g" : "0 g") + std::string(" 0 0 300 300 re f\n");
    return content;
}

// Stops every drawing as the second band begins, on the thread drawing it,
// while the first may still be drawing on another.
void StopAtSecondBand(size_t band) {
    if (band == 1)
        VDRW_StopAllDrawing();
}

// Draws doc on a fresh drawer with threads into dib while every drawing is
// stopped: after delay from another thread, or as the second band begins
// (a delay of 0). The drawing ends incomplete.
void ExpectStopped(const VCOS_Store& store, VCOS_DocId doc, int threads, std::chrono::milliseconds delay,
                   VDRW_TestDib& dib) {
    VDRW_AllowDrawing();
    VDRW_PageDrawer drawer(store);
    drawer.SetThreads(threads);
    std::thread stopper;
    if (delay.count() > 0)
        stopper = std::thread([delay] {
            std::this_thread::sleep_for(delay);
            VDRW_StopAllDrawing();
        });
    else
        VDRW_BandRun::SetBandHook(StopAtSecondBand);
    const VDRW_Drawn drawn = drawer.Draw(doc, 0, VDRW_Matrix(1, 0, 0, -1, 0, 300), dib.DC(),
                                         VDRW_Rect(0, 0, 300, 300), nullptr, nullptr);
    VDRW_BandRun::SetBandHook(nullptr);
    if (stopper.joinable())
        stopper.join();
    EXPECT_FALSE(drawn.m_complete);
}

TEST_F(VDRW_StopAllDrawingTest, APageListInFlightStopsAndTheDrawingEndsIncomplete) {
    VCOS_Store store;
    const VCOS_DocId doc = NestedForms(store);
    for (const int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        VDRW_TestDib dib(300, 300, 0xAB);
        // Whether the stop comes before the list is begun or while it is made.
        ExpectStopped(store, doc, threads, std::chrono::milliseconds(300), dib);
        EXPECT_EQ(dib.Pixel(5, 295)[0], 0xAB) << "no band drew from a list cut short";
    }
}

TEST_F(VDRW_StopAllDrawingTest, BandsInFlightStopOnEveryThreadAndLaterDrawingsDrawNothingUntilAllowed) {
    VCOS_Store store;
    const VCOS_DocId doc = VDRW_OnePageDoc(store, "/MediaBox [0 0 300 300]", ManyFills(20000));
    for (const int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        VDRW_TestDib dib(300, 300, 0xAB);
        ExpectStopped(store, doc, threads, std::chrono::milliseconds(0), dib);
        EXPECT_EQ(VDRW_DrawingStopped(), 1);
    }
    // Still stopped: a new drawing draws nothing.
    VCOS_Store plain;
    const VCOS_DocId square = VDRW_OnePageDoc(plain, "/MediaBox [0 0 300 300]", "0 g 0 0 300 300 re f");
    VDRW_PageDrawer drawer(plain);
    VDRW_TestDib before(300, 300, 0xAB);
    const PDFL_FixedMatrix matrix = VDRW_Matrix(1, 0, 0, -1, 0, 300);
    EXPECT_FALSE(drawer.Draw(square, 0, matrix, before.DC(), VDRW_Rect(0, 0, 300, 300), nullptr, nullptr).m_complete);
    EXPECT_EQ(before.Pixel(150, 150)[0], 0xAB);
    // Allowed again, the same drawer (whose engine was stopped) draws it whole.
    VDRW_AllowDrawing();
    EXPECT_EQ(VDRW_DrawingStopped(), 0);
    VDRW_TestDib after(300, 300, 0xAB);
    EXPECT_TRUE(drawer.Draw(square, 0, matrix, after.DC(), VDRW_Rect(0, 0, 300, 300), nullptr, nullptr).m_complete);
    EXPECT_EQ(after.Pixel(150, 150)[0], 0);
    EXPECT_EQ(after.Pixel(150, 299)[0], 0);
}

}  // namespace
