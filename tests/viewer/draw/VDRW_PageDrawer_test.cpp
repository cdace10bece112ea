// Drawing a page into a device context: placement under a rotated matrix and
// a crop box, bands and the cancel procedure, external content, the cache of
// opened documents, and failures arriving as host errors.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "VDRW_TestDib.h"
#include "../cos/VCOS_TestPdf.h"
#include "support/TestSupport.h"
#include "viewer/VIEW_ErrorRegistry.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/draw/VDRW_BandRun.h"
#include "viewer/draw/VDRW_MuPDF.h"
#include "viewer/draw/VDRW_PageDrawer.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/program/VIEW_PdfFile.h"
#include "viewer/draw/VDRW_PageSpace.h"
#include "viewer/VIEW_RaisedText.h"
#include "support/Deflated.h"

namespace {

class VDRW_PageDrawerTest : public ::testing::Test {
protected:
    void SetUp() override { VIEW_Host::Reset(); }
    void TearDown() override {
        VDRW_SetFaultSwitch(0);
        VIEW_Host::Reset();
    }
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool IsBlack(const uint8_t* p) { return p[0] < 16 && p[1] < 16 && p[2] < 16; }
bool IsWhite(const uint8_t* p) { return p[0] == 255 && p[1] == 255 && p[2] == 255; }

// The whole DIB as it is, for comparing two drawings.
std::vector<uint8_t> Bytes(const VDRW_TestDib& dib) {
    std::vector<uint8_t> bytes;
    for (int y = 0; y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x)
            bytes.insert(bytes.end(), dib.Pixel(x, y), dib.Pixel(x, y) + 4);
    return bytes;
}

TEST_F(VDRW_PageDrawerTest, CropBoxAndRotate90PutCornerMarksWhereTheMatrixTableSays) {
    // Page box = crop box [100 100 400 500] (inside Letter): pw = 300,
    // ph = 400 in page space, whose (0, 0) is user (100, 100). Marks in user
    // space: 20 × 10 at the crop box's lower-left corner, 10 × 20 at its
    // upper-right corner, and one outside the crop box.
    //
    // 144 dpi: s = 2. Window W = 1000, H = 700, centre (cx, cy) = (150, 200).
    // Rotation 90: a = 0, b = s, c = s, d = 0, e = -s·cy + W/2 = -400 + 500
    // = 100, f = -s·cx + H/2 = -300 + 350 = 50; so device x = 2·y + 100,
    // device y = 2·x + 50 for a page-space point (x, y).
    // Lower-left mark, page x 0..20, y 0..10: device x 100..120, y 50..90.
    // Upper-right mark, page x 290..300, y 380..400: device x 860..900,
    // y 630..650. The page area is x 100..900, y 50..650.
    // Update rectangle (X, Y) = (H, W) = (700, 1000): left = 150 - 700/4
    // = -25, bottom = 200 - 1000/4 = -50, right = -25 + 350 = 325,
    // top = -50 + 500 = 450: all of the page.
    const std::string content = "0 g 100 100 20 10 re f 390 480 10 20 re f 20 20 40 40 re f";
    for (const bool topDown : {true, false}) {
        SCOPED_TRACE(topDown ? "top-down DIB" : "bottom-up DIB");
        VCOS_Store store;
        const VCOS_DocId doc = VDRW_OnePageDoc(store, "/CropBox [100 100 400 500] /Rotate 90", content);
        VDRW_TestDib dib(1000, 700, 255, topDown);
        VDRW_PageDrawer(store).Draw(doc, 0, VDRW_Matrix(0, 2, 2, 0, 100, 50), dib.DC(),
                                    VDRW_Rect(-25, -50, 325, 450), nullptr, nullptr);
        const struct {
            int x, y;
            bool black;
        } probes[] = {
            {100, 50, true},   {119, 89, true},   {110, 70, true},  {120, 70, false}, {110, 90, false},
            {99, 50, false},   {100, 49, false},  {860, 630, true}, {899, 649, true}, {859, 640, false},
            {880, 629, false}, {900, 640, false}, {880, 650, false},
            // Unrotated, the lower-left mark would be 40 wide and 20 high.
            {135, 55, false},
        };
        for (const auto& probe : probes) {
            SCOPED_TRACE(std::to_string(probe.x) + ", " + std::to_string(probe.y));
            const uint8_t* p = dib.Pixel(probe.x, probe.y);
            EXPECT_TRUE(probe.black ? IsBlack(p) : IsWhite(p));
        }
        // The mark outside the crop box is not drawn, nor anything outside the page area.
        int blackOutside = 0, black = 0;
        for (int y = 0; y < 700; ++y)
            for (int x = 0; x < 1000; ++x) {
                const bool inPage = x >= 100 && x < 900 && y >= 50 && y < 650;
                black += IsBlack(dib.Pixel(x, y));
                blackOutside += !inPage && !IsWhite(dib.Pixel(x, y));
            }
        EXPECT_EQ(blackOutside, 0);
        EXPECT_EQ(black, 20 * 40 + 40 * 20);
        EXPECT_EQ(VDRW_PageSpaceReader::Read(store, doc, 0).m_rotate, 90);
    }
}

// The pace of the bands a drawing hands out before its cancel, set through
// the drawer's band hook: the first heldBands bands wait on their worker
// until the cancel has answered true, then take slowFor longer.
struct BandPace {
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread::id m_caller = std::this_thread::get_id();
    int m_calls = 0;
    bool m_cancelled = false;
    size_t m_heldBands = 0;
    std::chrono::milliseconds m_slowFor{0};
};

BandPace* g_pace = nullptr;

void PacedBand(size_t band) {
    BandPace& pace = *g_pace;
    // Drawn by the caller itself, a band cannot wait for its next question.
    if (band >= pace.m_heldBands || std::this_thread::get_id() == pace.m_caller)
        return;
    std::unique_lock<std::mutex> lock(pace.m_mutex);
    pace.m_changed.wait(lock, [&] { return pace.m_cancelled; });
    lock.unlock();
    std::this_thread::sleep_for(pace.m_slowFor);
}

PDFL_Bool CancelAtThird(void* data) {
    BandPace& pace = *static_cast<BandPace*>(data);
    if (++pace.m_calls != 3)
        return false;
    {
        const std::lock_guard<std::mutex> lock(pace.m_mutex);
        pace.m_cancelled = true;
    }
    pace.m_changed.notify_all();
    return true;
}

// A band handed out before the cancel is drawn whole or left as it was,
// however long it takes; none after it is begun. On one thread each band is
// drawn before the next question, so both are whole.
TEST_F(VDRW_PageDrawerTest, CancelIsAskedBeforeEveryBandAndTrueLeavesLaterBandsUntouched) {
    VCOS_Store store;
    const VCOS_DocId doc = VDRW_OnePageDoc(store, "/MediaBox [0 0 300 300]", "0 g 0 0 300 300 re f");
    // 1:1 with the page's top at row 0; update rectangle rows 10 to 289, so
    // the bands start at rows 10, 74, 138, ...
    const PDFL_FixedMatrix matrix = VDRW_Matrix(1, 0, 0, -1, 0, 300);
    const PDFL_FixedRect update = VDRW_Rect(0, 10, 300, 290);
    const struct {
        const char* pace;
        int threads;
        size_t heldBands;
        int slowForMs;
    } rows[] = {
        {"one thread", 1, 0, 0},
        {"as they come", 4, 0, 0},
        {"both drawn after the cancel", 4, 2, 0},
        {"the first outlasting the grace the stop gives", 4, 1, 300},
    };
    VDRW_BandRun::SetBandHook(PacedBand);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pace);
        BandPace pace;
        pace.m_heldBands = row.heldBands;
        pace.m_slowFor = std::chrono::milliseconds(row.slowForMs);
        g_pace = &pace;
        VDRW_TestDib dib(300, 300, 0xAB);
        VDRW_PageDrawer drawer(store);
        drawer.SetThreads(row.threads);
        const VDRW_Drawn drawn = drawer.Draw(doc, 0, matrix, dib.DC(), update, CancelAtThird, &pace);
        EXPECT_FALSE(drawn.m_complete);
        EXPECT_EQ(pace.m_calls, 3);
        for (int band = -1; band * VDRW_PageDrawer::BandRows + 10 < 300; ++band) {
            SCOPED_TRACE("band " + std::to_string(band));
            const int top = std::max(0, 10 + band * VDRW_PageDrawer::BandRows);
            const int bottom = std::min(300, 10 + (band + 1) * VDRW_PageDrawer::BandRows);
            int inked = 0, kept = 0, pixels = 0;
            for (int y = top; y < bottom; ++y)
                for (int x = 0; x < 300; ++x, ++pixels) {
                    const uint8_t* p = dib.Pixel(x, y);
                    inked += p[0] == 0 && p[1] == 0 && p[2] == 0;
                    kept += p[0] == 0xAB && p[1] == 0xAB && p[2] == 0xAB;
                    EXPECT_EQ(p[3], 0xAB);  // the reserved byte is never written
                }
            const bool handed = band == 0 || band == 1;
            if (handed && row.threads == 1)
                EXPECT_EQ(inked, pixels);
            else if (handed)
                EXPECT_TRUE(inked == pixels || kept == pixels) << inked << " inked, " << kept << " kept";
            else
                EXPECT_EQ(kept, pixels);  // above the update rectangle, or handed after the cancel
        }
    }
    VDRW_BandRun::SetBandHook(nullptr);
    g_pace = nullptr;
    {
        // Answering false throughout: every band of the 280 rows is asked for, 5 in all.
        VDRW_TestDib dib(300, 300, 0xAB);
        int calls = 0;
        VDRW_PageDrawer(store).Draw(
            doc, 0, matrix, dib.DC(), update,
            [](void* data) -> PDFL_Bool { return ++*static_cast<int*>(data) > 100; }, &calls);
        EXPECT_EQ(calls, 5);
        EXPECT_EQ(dib.Pixel(150, 289)[0], 0);
        EXPECT_EQ(dib.Pixel(150, 290)[0], 0xAB);
    }
}

PDFL_Bool ThrowAtSecond(void* data) {
    if (++*static_cast<int*>(data) == 2)
        throw std::runtime_error("from the cancel procedure");
    return false;
}

TEST_F(VDRW_PageDrawerTest, AnExceptionOfTheCancelProcedurePassesUnchangedAndTheDrawerStaysUsable) {
    VCOS_Store store;
    const VCOS_DocId doc = VDRW_OnePageDoc(store, "/MediaBox [0 0 300 300]", "0 g 0 0 300 300 re f");
    const PDFL_FixedMatrix matrix = VDRW_Matrix(1, 0, 0, -1, 0, 300);
    const PDFL_FixedRect update = VDRW_Rect(0, 0, 300, 300);
    VDRW_PageDrawer drawer(store);
    VDRW_TestDib dib(300, 300, 0xAB);
    int calls = 0;
    EXPECT_THROW(drawer.Draw(doc, 0, matrix, dib.DC(), update, ThrowAtSecond, &calls), std::runtime_error);
    EXPECT_EQ(dib.Pixel(10, 63)[0], 0);
    EXPECT_EQ(dib.Pixel(10, 64)[0], 0xAB);
    // MuPDF's error handling is intact: a forced error is still caught as one.
    VDRW_SetFaultSwitch(1);
    EXPECT_NE(RaisedText([&] { drawer.Draw(doc, 0, matrix, dib.DC(), update, nullptr, nullptr); }), "");
    VDRW_SetFaultSwitch(0);
    drawer.Draw(doc, 0, matrix, dib.DC(), update, nullptr, nullptr);
    EXPECT_EQ(dib.Pixel(10, 299)[0], 0);
}

TEST_F(VDRW_PageDrawerTest, ExternalFileContentStreamDrawsAsItsInlineCopy) {
    const std::string content = "0.5 g 50 50 200 100 re f BT /F1 30 Tf 0 g 40 200 Td (External) Tj ET";
    const ScratchDir dir;
    WriteWholeFile(dir.File("content.bin"), Deflated(content));
    const PDFL_FixedMatrix matrix = VDRW_Matrix(1, 0, 0, -1, 0, 300);
    const PDFL_FixedRect update = VDRW_Rect(0, 0, 300, 300);

    VCOS_Store store;
    const VCOS_DocId inlineDoc = VDRW_OnePageDoc(store, "/MediaBox [0 0 300 300]", content);
    VDRW_TestDib expected(300, 300);
    VDRW_PageDrawer drawer(store);
    drawer.Draw(inlineDoc, 0, matrix, expected.DC(), update, nullptr, nullptr);

    // The stream's own bytes and /Filter describe nothing once /F is there.
    const VCOS_DocId externalDoc = VDRW_OnePageDoc(store, "/MediaBox [0 0 300 300]", "0 g 0 0 300 300 re f");
    const VCOS_Obj stream = store.DictGet(VDRW_PageSpaceReader::Read(store, externalDoc, 0).m_page, "Contents");
    const VCOS_Obj spec = store.NewDict(externalDoc, true);
    store.DictPut(spec, "Type", store.NewName(externalDoc, false, "Filespec"));
    store.DictPut(spec, "DOS", store.NewString(externalDoc, false, dir.File("content.bin")));
    store.DictPut(stream, "F", spec);
    store.DictPut(stream, "FFilter", store.NewName(externalDoc, false, "FlateDecode"));
    store.DictPut(stream, "Filter", store.NewName(externalDoc, false, "ASCIIHexDecode"));
    VDRW_TestDib drawn(300, 300);
    drawer.Draw(externalDoc, 0, matrix, drawn.DC(), update, nullptr, nullptr);

    EXPECT_EQ(Bytes(drawn), Bytes(expected));
    EXPECT_TRUE(IsBlack(expected.Pixel(45, 95)) || IsBlack(expected.Pixel(44, 92)));  // in the "E"
    EXPECT_EQ(expected.Pixel(100, 200)[0], 127);
}

TEST_F(VDRW_PageDrawerTest, ADocumentChangedSinceTheLastDrawIsWrittenAndOpenedAgain) {
    VCOS_Store store;
    const VCOS_DocId doc = VDRW_OnePageDoc(store, "/MediaBox [0 0 100 100]", "0 g 0 0 100 100 re f");
    VDRW_PageDrawer drawer(store);
    const PDFL_FixedMatrix matrix = VDRW_Matrix(1, 0, 0, -1, 0, 100);
    const PDFL_FixedRect update = VDRW_Rect(0, 0, 100, 100);
    VDRW_TestDib first(100, 100);
    drawer.Draw(doc, 0, matrix, first.DC(), update, nullptr, nullptr);
    EXPECT_EQ(first.Pixel(50, 50)[0], 0);

    // Same page, new content stream.
    const VCOS_Obj page = VDRW_PageSpaceReader::Read(store, doc, 0).m_page;
    store.DictPut(page, "Contents",
                  store.NewStream(doc, true, "0.6 g 0 0 100 100 re f", store.NewDict(doc, false)));
    VDRW_TestDib second(100, 100);
    drawer.Draw(doc, 0, matrix, second.DC(), update, nullptr, nullptr);
    EXPECT_EQ(second.Pixel(50, 50)[0], 153);

    // A document closed and another read in: nothing of the old copy shows.
    store.CloseDoc(doc);
    const VCOS_DocId other = VDRW_OnePageDoc(store, "/MediaBox [0 0 100 100]", "1 g 0 0 100 100 re f");
    VDRW_TestDib third(100, 100, 0);
    drawer.Draw(other, 0, matrix, third.DC(), update, nullptr, nullptr);
    EXPECT_EQ(third.Pixel(50, 50)[0], 255);
}

TEST_F(VDRW_PageDrawerTest, FailuresArriveAsHostErrorsThatSayWhatFailed) {
    VCOS_Store store;
    const VCOS_DocId doc = VDRW_OnePageDoc(store, "/MediaBox [0 0 100 100]", "0 g 0 0 100 100 re f");
    const PDFL_FixedMatrix matrix = VDRW_Matrix(1, 0, 0, -1, 0, 100);
    const PDFL_FixedRect update = VDRW_Rect(0, 0, 100, 100);
    VDRW_PageDrawer drawer(store);
    VDRW_TestDib dib(100, 100, 0xAB);

    VDRW_SetFaultSwitch(1);
    EXPECT_TRUE(Contains(RaisedText([&] { drawer.Draw(doc, 0, matrix, dib.DC(), update, nullptr, nullptr); }),
                         "forced MuPDF error"));
    EXPECT_EQ(dib.Pixel(50, 50)[0], 0xAB);
    VDRW_SetFaultSwitch(0);
    // MuPDF's state survived the error.
    drawer.Draw(doc, 0, matrix, dib.DC(), update, nullptr, nullptr);
    EXPECT_EQ(dib.Pixel(50, 50)[0], 0);

    const HDC bare = CreateCompatibleDC(nullptr);  // holds the 1 × 1 stock bitmap
    EXPECT_TRUE(Contains(RaisedText([&] { drawer.Draw(doc, 0, matrix, bare, update, nullptr, nullptr); }),
                         "no 32-bit DIB section"));
    DeleteDC(bare);
    EXPECT_TRUE(Contains(RaisedText([&] { drawer.Draw(doc, 1, matrix, dib.DC(), update, nullptr, nullptr); }),
                         "has no page 1"));

    // An external stream whose file is gone.
    const VCOS_Obj stream = store.DictGet(VDRW_PageSpaceReader::Read(store, doc, 0).m_page, "Contents");
    store.DictPut(stream, "F", store.NewString(doc, false, "/nonexistent/tintscope/content.bin"));
    const std::string text = RaisedText([&] { drawer.Draw(doc, 0, matrix, dib.DC(), update, nullptr, nullptr); });
    EXPECT_TRUE(Contains(text, "/nonexistent/tintscope/content.bin")) << text;
}

// What MuPDF goes past while reading the contents, on the page or in a
// pattern cell (read without the drawing's count of errors), comes back
// with the drawing, in the program's words: raw data short of the image
// take the "EI" after them.
TEST_F(VDRW_PageDrawerTest, AnErrorTheReadingOfTheContentsWentPastComesBackWithTheDrawing) {
    const std::string lost = "BI /W 8 /H 8 /CS /G /BPC 8 ID " + std::string(10, '\x80') + "\nEI 0 g 0 0 9 9 re f";
    const std::string cell = "/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 9 9] /XStep 9 /YStep 9";
    const std::string page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 9 9] /Contents 4 0 R /Resources << "
                             "/Pattern << /P0 5 0 R >> >> >>";
    const std::string rows[][2] = {{lost, "an image in it is short of its data"},
                                   {"/Pattern cs /P0 scn 0 0 9 9 re f", "an image in it is short of its data"},
                                   {"0 g 0 0 9 9 re f", ""}};
    for (const auto& row : rows) {
        VCOS_Store store;
        const VCOS_DocId doc = VCOS_Reader::Read(
            store,
            VCOS_MakePdf("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                      page, VIEW_PdfStream("", row[0]), VIEW_PdfStream(cell, lost)}),
            "lost.pdf");
        VDRW_TestDib dib(9, 9);
        const VDRW_Drawn drawn = VDRW_PageDrawer(store).Draw(doc, 0, VDRW_Matrix(1, 0, 0, -1, 0, 9), dib.DC(),
                                                             VDRW_Rect(0, 0, 9, 9), nullptr, nullptr);
        EXPECT_TRUE(drawn.m_complete);
        EXPECT_EQ(drawn.m_unread, row[1]) << row[0];
    }
}

}  // namespace

namespace {

// A form of the page's size holding content (its dict entries added).
std::string Form(const std::string& dict, const std::string& content) {
    return VIEW_PdfStream("/Type /XObject /Subtype /Form /BBox [0 0 9 9] " + dict, content);
}

// Flate data of content whose middle is overwritten: zlib stops there.
std::string CutFlate(const std::string& content) {
    std::string data = Deflated(content);
    data.replace(data.size() / 2, 4, "\xff\xff\xff\xff");
    return data;
}

// 100 forms each drawing the next, as a luminosity mask's group, from object 5.
std::vector<std::string> NestedMask() {
    std::vector<std::string> objects = {"<< /SMask << /S /Luminosity /G 6 0 R >> >>"};
    for (int i = 0; i < 100; ++i)
        objects.push_back(Form(i == 99 ? "/Resources << >>"
                                       : "/Resources << /XObject << /X " + std::to_string(7 + i) + " 0 R >> >>" +
                                             (i == 0 ? " /Group << /S /Transparency /CS /DeviceGray >>" : ""),
                               i == 99 ? "1 g 0 0 9 9 re f" : "/X Do"));
    return objects;
}

}  // namespace

// Only an error that left content undrawn comes back with the drawing, in
// the program's words: one MuPDF skips (a state operator naming what the
// page lacks) costs the page nothing. A stray token may drop the operands
// read before it, which MuPDF's words do not tell: it is said wherever it
// stands.
// (Fonts drawn in a substitute: the program's test.)
TEST_F(VDRW_PageDrawerTest, OnlyAnErrorThatLeftContentUndrawnComesBack) {
    const std::string square = " 0 g 0 0 9 9 re f";
    const struct {
        const char* shape;
        std::string resources, content;
        std::vector<std::string> objects;  // from object 5
        const char* lost;                  // part of the words; "" for nothing lost
    } rows[] = {
        {"a stray token", "", "0 g 0 0 4 4 re f 0 0 ) 9 9 re f", {}, "a token it could not read"},
        {"a stray token between operators", "", "0 g 0 0 4 4 re f ) 0 0 9 9 re f", {}, "a token it could not read"},
        {"gs naming what the page lacks", "", "/GX gs" + square, {}, ""},
        {"cs naming what the page lacks", "/ColorSpace << >>", "/CSX cs 1 scn" + square, {}, ""},
        {"a stray token in a mask's group", "/ExtGState << /M0 5 0 R >>", "/M0 gs" + square,
         {"<< /SMask << /S /Luminosity /G 6 0 R >> >>",
          Form("/Group << /S /Transparency /CS /DeviceGray >> /Resources << >>", "1 g 0 0 ) 9 9 re f")},
         "a token it could not read"},
        {"a form cut short by its Flate data", "/XObject << /X0 5 0 R >>", "/X0 Do",
         {Form("/Filter /FlateDecode", CutFlate(std::string(200, ' ') + "0 g 0 0 9 9 re f" + std::string(200, ' ')))},
         "a compressed stream in it is damaged"},
        {"sh in a form naming what it lacks", "/XObject << /X0 5 0 R >>", "/X0 Do",
         {Form("/Resources << >>", "/Sh0 sh" + square)}, "an error whose effect cannot be told"},
        {"100 nested forms in a mask's group", "/ExtGState << /M0 5 0 R >>", "/M0 gs" + square, NestedMask(),
         "nest too deeply"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shape);
        std::vector<std::string> objects = {
            "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 9 9] /Contents 4 0 R /Resources << " + row.resources +
                " >> >>",
            VIEW_PdfStream("", row.content)};
        objects.insert(objects.end(), row.objects.begin(), row.objects.end());
        VCOS_Store store;
        const VCOS_DocId doc = VCOS_Reader::Read(store, VCOS_MakePdf("%PDF-1.4", objects), "lost.pdf");
        VDRW_TestDib dib(9, 9);
        const VDRW_Drawn drawn = VDRW_PageDrawer(store).Draw(doc, 0, VDRW_Matrix(1, 0, 0, -1, 0, 9), dib.DC(),
                                                             VDRW_Rect(0, 0, 9, 9), nullptr, nullptr);
        EXPECT_TRUE(drawn.m_complete);
        if (*row.lost)
            EXPECT_TRUE(Contains(drawn.m_unread, row.lost)) << drawn.m_unread;
        else
            EXPECT_EQ(drawn.m_unread, "");
    }
}

// Images are decoded as the bands are drawn, on several threads: an image
// cut short over every band is said once a drawing, in the program's words,
// by every drawing of the page, not only by the first to decode it.
TEST_F(VDRW_PageDrawerTest, AnImageCutShortComesBackWithEveryDrawingOfItsBands) {
    std::string pixels;
    for (int i = 0; i < 64 * 64; ++i)
        pixels += static_cast<char>(i * 7 % 256);
    const std::string whole = Deflated(pixels);
    for (const std::string& data : {whole.substr(0, whole.size() * 2 / 3), whole}) {
        SCOPED_TRACE(data.size() == whole.size() ? "whole" : "cut");
        const std::string image = VIEW_PdfStream(
            "/Type /XObject /Subtype /Image /Width 64 /Height 64 /ColorSpace /DeviceGray /BitsPerComponent 8 "
            "/Filter /FlateDecode",
            data);
        VCOS_Store store;
        const VCOS_DocId doc = VCOS_Reader::Read(
            store,
            VCOS_MakePdf("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 9 300] /Contents 4 0 R "
                                      "/Resources << /XObject << /Im0 5 0 R >> >> >>",
                                      VIEW_PdfStream("", "9 0 0 300 0 0 cm /Im0 Do"), image}),
            "image.pdf");
        VDRW_PageDrawer drawer(store);
        drawer.SetThreads(4);
        for (int drawing = 0; drawing < 2; ++drawing) {
            VDRW_TestDib dib(9, 300);
            const VDRW_Drawn drawn = drawer.Draw(doc, 0, VDRW_Matrix(1, 0, 0, -1, 0, 300), dib.DC(),
                                                 VDRW_Rect(0, 0, 9, 300), nullptr, nullptr);
            EXPECT_TRUE(drawn.m_complete);
            EXPECT_EQ(drawn.m_unread, data.size() == whole.size() ? "" : "a compressed stream's data stop before their end")
                << drawing;
        }
    }
}
