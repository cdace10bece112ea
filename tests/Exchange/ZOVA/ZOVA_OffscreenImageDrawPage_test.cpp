// A page drawn into an offscreen image by the viewer stand-in through the
// host's page-drawing call: exactly the page's black square turns black.
#include "Exchange/ZOVA/ZOVA_WinOffscreenImage.h"

#include "../../hostpdf/HostFixture.h"
#include "../../viewer/cos/VCOS_TestPdf.h"
#include "hostpdf/PDFL_ASCalls.h"
#include "hostpdf/PDFL_PDCalls.h"
#include "support/TestSupport.h"
#include "viewer/draw/VDRW_MuPDF.h"

namespace {

constexpr PDFL_Fixed Fixed(int value) { return value * 65536; }

// A 40 x 30 point page whose media box starts at (100, 200), with a black
// 10 x 10 square at (110, 205): page space (10, 5) to (20, 15).
std::string SquarePage() {
    const std::string content = "0 g 110 205 10 10 re f";
    return VCOS_MakePdf("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>",
                                     "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                     "<< /Type /Page /Parent 2 0 R /MediaBox [100 200 140 230] /Contents 4 0 R >>",
                                     "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                                         "\nendstream"});
}

class ZOVA_OffscreenImageDrawPage : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        const std::string path = m_dir.File("square.pdf");
        WriteWholeFile(path, SquarePage());
        const PDFL_ASPathName name = PDFL_ASPathFromPlatformPath(path.c_str());
        m_doc = PDFL_PDDocOpen(name, nullptr, nullptr, 0);
        PDFL_ASFileSysReleasePath(PDFL_ASGetDefaultFileSys(), name);
        m_page = PDFL_PDDocAcquirePage(m_doc, 0);
    }
    void TearDown() override {
        VDRW_SetFaultSwitch(0);
        PDFL_PDPageRelease(m_page);
        PDFL_PDDocClose(m_doc);
        HostTest::TearDown();
    }

    ScratchDir m_dir;
    PDFL_PDDoc m_doc = nullptr;
    PDFL_PDPage m_page = nullptr;
};

TEST_F(ZOVA_OffscreenImageDrawPage, TheBlackSquareBlackensExactlyItsPixels) {
    const struct {
        const char* what;
        int scale;              // pixels per point
        PDFL_FixedRect update;  // page space
        int left, top, right, bottom;  // the black pixels, half-open
    } rows[] = {
        // Page space y runs up, pixels down: the square's rows are 30 - 15 to 30 - 5.
        {"whole page at 72 dpi", 1, {0, 0, Fixed(40), Fixed(30)}, 10, 15, 20, 25},
        {"whole page at 144 dpi", 2, {0, 0, Fixed(40), Fixed(30)}, 20, 30, 40, 50},
        {"left of x = 15 only", 1, {0, 0, Fixed(15), Fixed(30)}, 10, 15, 15, 25},
        {"update rectangle beside the square", 1, {Fixed(25), 0, Fixed(40), Fixed(30)}, 0, 0, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const int width = 40 * row.scale, height = 30 * row.scale;
        ZOVA_WinOffscreenImage image;
        image.Allocate(width, height, 32);
        const PDFL_FixedMatrix matrix{Fixed(row.scale), 0, 0, Fixed(-row.scale), 0, Fixed(height)};
        image.DrawPage(m_page, matrix, row.update, nullptr, nullptr);
        const uint32_t* pixels = image.LockData();
        int wrong = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool black = x >= row.left && x < row.right && y >= row.top && y < row.bottom;
                // The reserved byte stays as allocated.
                const uint32_t expected = black ? 0xFF000000u : 0xFFFFFFFFu;
                if (pixels[y * width + x] != expected && wrong++ < 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << pixels[y * width + x];
            }
        EXPECT_EQ(wrong, 0);
        image.UnlockData();
    }
}

TEST_F(ZOVA_OffscreenImageDrawPage, AHostErrorLeavesTheBitmapFreeForAnotherDC) {
    InstallHandler(ThrowingHostErrorHandler);
    ZOVA_WinOffscreenImage image;
    image.Allocate(40, 30, 32);
    const PDFL_FixedMatrix matrix{Fixed(1), 0, 0, Fixed(-1), 0, Fixed(30)};
    VDRW_SetFaultSwitch(1);
    EXPECT_THROW(image.DrawPage(m_page, matrix, {0, 0, Fixed(40), Fixed(30)}, nullptr, nullptr), HostErrorSeen);
    VDRW_SetFaultSwitch(0);
    // A bitmap lives in one DC at a time: the failed drawing's DC let go.
    const HDC other = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(other, image.Handle());
    EXPECT_NE(previous, nullptr);
    SelectObject(other, previous);
    DeleteDC(other);
}

}  // namespace
