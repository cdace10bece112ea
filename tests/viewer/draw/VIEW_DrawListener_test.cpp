// What the drawing listener hears from slot 151: the drawn device rectangle
// and its blue bytes (not red: the low byte of 0x00RRGGBB), only the update
// rectangle's part, nothing for a cancelled or empty drawing, and the
// document as drawn, external content inlined.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../VIEW_TestDocs.h"
#include "VDRW_TestDib.h"
#include "support/PdfText.h"
#include "support/TestSupport.h"
#include "viewer/VIEW_DrawListener.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_PD.h"
#include "viewer/cos/VCOS_Reader.h"
#include "viewer/cos/VCOS_StreamDecoder.h"

namespace {

class VIEW_DrawListenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        VIEW_Host::Reset();
        VIEW_DrawListener::Set([this](const VIEW_PageDrawing& drawing) {
            m_heard.push_back(drawing);
            m_documents.push_back(drawing.Document());
        });
    }
    void TearDown() override {
        VIEW_DrawListener::Set(nullptr);
        VIEW_Host::Reset();
    }

    // A 40 x 20 point page: its left half blue, its right half red.
    PDFL_PDDoc OpenTwoColourPage(const std::string& contentsEntry = "/Contents 4 0 R",
                                 const std::string& stream = "") {
        const std::string content = "0 0 1 rg 0 0 20 20 re f 1 0 0 rg 20 0 20 20 re f";
        return VIEW_OpenTestDoc(m_dir.File("page.pdf"), PdfText("%PDF-1.4", {
                                                     "<< /Type /Catalog /Pages 2 0 R >>",
                                                     "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                                     "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 40 20] " +
                                                         contentsEntry + " >>",
                                                     stream.empty() ? "<< /Length " +
                                                                          std::to_string(content.size()) +
                                                                          " >>\nstream\n" + content +
                                                                          "\nendstream"
                                                                    : stream,
                                                 }));
    }

    // The page drawn at 72 dpi with its top-left corner at device (10, 5).
    void Draw(PDFL_PDDoc doc, const VDRW_TestDib& dib, const PDFL_FixedRect& update,
              PDFL_CancelProc cancel = nullptr) {
        const PDFL_PDPage page = VIEW_PD::DocAcquirePage(doc, 0);
        const PDFL_FixedMatrix matrix = VDRW_Matrix(1, 0, 0, -1, 10, 25);
        VIEW_PD::PageDrawContents(page, dib.DC(), &matrix, &update, cancel, nullptr);
        VIEW_PD::PageRelease(page);
    }

    ScratchDir m_dir;
    std::vector<VIEW_PageDrawing> m_heard;
    std::vector<std::string> m_documents;
};

PDFL_Bool CancelAtOnce(void*) { return 1; }

TEST_F(VIEW_DrawListenerTest, HearsTheDrawnRectangleAsBlueBytes) {
    const PDFL_PDDoc doc = OpenTwoColourPage();
    const VDRW_TestDib dib(60, 30);
    Draw(doc, dib, VDRW_Rect(0, 0, 40, 20));
    ASSERT_EQ(m_heard.size(), 1u);
    const VIEW_PageDrawing& heard = m_heard[0];
    EXPECT_EQ(heard.m_page, 0);
    EXPECT_EQ(VIEW_PD::CosDocId(doc), heard.m_doc);
    EXPECT_EQ(std::vector<int>({heard.m_left, heard.m_top, heard.m_width, heard.m_height}),
              std::vector<int>({10, 5, 40, 20}));
    ASSERT_EQ(heard.m_blue.size(), 40u * 20u);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
            EXPECT_EQ(heard.m_blue[y * 40 + x], x < 20 ? 255 : 0);
            // The bytes are the bitmap's own.
            EXPECT_EQ(heard.m_blue[y * 40 + x], dib.Pixel(10 + x, 5 + y)[0]);
        }
    VIEW_PD::DocClose(doc);
}

TEST_F(VIEW_DrawListenerTest, HearsOnlyTheUpdateRectanglesPart) {
    const PDFL_PDDoc doc = OpenTwoColourPage();
    const VDRW_TestDib dib(60, 30);
    // The right half, and a band of the left that the bitmap cuts off.
    Draw(doc, dib, VDRW_Rect(20, 0, 40, 20));
    const VDRW_TestDib small(25, 30);
    Draw(doc, small, VDRW_Rect(0, 0, 40, 20));
    ASSERT_EQ(m_heard.size(), 2u);
    EXPECT_EQ(std::vector<int>({m_heard[0].m_left, m_heard[0].m_top, m_heard[0].m_width, m_heard[0].m_height}),
              std::vector<int>({30, 5, 20, 20}));
    EXPECT_EQ(m_heard[0].m_blue, std::vector<uint8_t>(20 * 20, 0));
    EXPECT_EQ(std::vector<int>({m_heard[1].m_left, m_heard[1].m_width}), std::vector<int>({10, 15}));
    EXPECT_EQ(m_heard[1].m_blue, std::vector<uint8_t>(15 * 20, 255));
    VIEW_PD::DocClose(doc);
}

TEST_F(VIEW_DrawListenerTest, AListenerMayKeepEachDrawingsPixelsByMovingThem) {
    std::vector<VIEW_PageDrawing> kept;
    VIEW_DrawListener::Set([&kept](VIEW_PageDrawing&& drawing) { kept.push_back(std::move(drawing)); });
    const PDFL_PDDoc doc = OpenTwoColourPage();
    const VDRW_TestDib dib(60, 30);
    Draw(doc, dib, VDRW_Rect(0, 0, 20, 20));
    Draw(doc, dib, VDRW_Rect(20, 0, 40, 20));
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].m_blue, std::vector<uint8_t>(20 * 20, 255));
    EXPECT_EQ(kept[1].m_blue, std::vector<uint8_t>(20 * 20, 0));
    EXPECT_EQ(std::vector<int>({kept[0].m_left, kept[1].m_left}), std::vector<int>({10, 30}));
    VIEW_PD::DocClose(doc);
}

TEST_F(VIEW_DrawListenerTest, HearsNothingOfACancelledOrEmptyDrawing) {
    const PDFL_PDDoc doc = OpenTwoColourPage();
    const VDRW_TestDib dib(60, 30);
    Draw(doc, dib, VDRW_Rect(0, 0, 40, 20), CancelAtOnce);
    Draw(doc, dib, VDRW_Rect(100, 100, 140, 120));
    EXPECT_TRUE(m_heard.empty());
    VIEW_DrawListener::Set(nullptr);
    Draw(doc, dib, VDRW_Rect(0, 0, 40, 20));
    EXPECT_TRUE(m_heard.empty());
    VIEW_PD::DocClose(doc);
}

TEST_F(VIEW_DrawListenerTest, TheDocumentAsDrawnHasItsExternalContentInlined) {
    const std::string external = m_dir.File("content.txt");
    const std::string content = "0 0 1 rg 0 0 40 20 re f";
    WriteWholeFile(external, content);
    const PDFL_PDDoc doc =
        OpenTwoColourPage("/Contents 4 0 R", "<< /Length 0 /F (" + external + ") >>\nstream\n\nendstream");
    const VDRW_TestDib dib(60, 30);
    Draw(doc, dib, VDRW_Rect(0, 0, 40, 20));
    ASSERT_EQ(m_documents.size(), 1u);
    const std::string& written = m_documents[0];
    EXPECT_EQ(written.compare(0, 5, "%PDF-"), 0);
    EXPECT_EQ(written.find(external), std::string::npos);
    VCOS_Store store;
    const VCOS_DocId copy = VCOS_Reader::Read(store, written, "written.pdf");
    const VCOS_Obj contents = store.DictGet(store.Root(copy), "Pages");
    const VCOS_Obj page = store.ArrayGet(store.DictGet(contents, "Kids"), 0);
    EXPECT_EQ(VCOS_StreamDecoder::Decode(store, store.DictGet(page, "Contents")), content);
    EXPECT_EQ(m_heard[0].m_blue, std::vector<uint8_t>(40 * 20, 255));
    VIEW_PD::DocClose(doc);
}

}  // namespace
