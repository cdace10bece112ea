// The Separations window driven as a user would: the resolution and
// magnification lists, the ink list's tick boxes, swatches and colour
// chooser, Stop, and closing.
#include "ZOVA_RenderFixture.h"

#include "../../viewer/cos/VCOS_TestPdf.h"
#include "Exchange/ZOVA/ZOVA_Resources.h"
#include "viewer/VIEW_Tools.h"
#include "win32/win32_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const CmykPage = "0.5 0 0 0 k 100 100 200 200 re f";

// Each process ink in its own band across the page, from cyan at the
// bottom to black; the top 24 points are bare.
const char* const BandsPage = "1 0 0 0 k 0 0 612 192 re f 0 1 0 0 k 0 192 612 192 re f "
                              "0 0 1 0 k 0 384 612 192 re f 0 0 0 1 k 0 576 612 192 re f";
constexpr double BandHeight = 192;
constexpr double PageHeight = 792;

class ZOVA_Dialog : public ZOVA_RenderTest {
protected:
    // The front page's view made current and the window shown.
    void ShowOver(PDFL_AVDoc) {
        Activate();
        // Out of the dialog's way, so that clicks reach the dialog.
        RECT frame{};
        GetWindowRect(m_tool->ViewWindow().PlatformWindow(), &frame);
        SetWindowPos(m_tool->ViewWindow().PlatformWindow(), nullptr, 500, 350, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Pump();
    }
    // The view window's painting is not this window's: it is left out.
    void Pump() {
        if (m_tool->ViewWindow().IsAlive())
            ValidateRect(m_tool->ViewWindow().PlatformWindow(), nullptr);
        Win32Driver::Pump();
    }
    ZOVA_ColorDialog& Dialog() { return m_tool->ColorDialog(); }
    HWND Item(uint16_t id) { return Dialog().ItemHandle(id); }
    ZOVA_View& View() { return m_tool->CurrentView(); }
    std::vector<bool> Shown() {
        std::vector<bool> shown;
        for (int32_t i = 0; i < View().NumColorants(); ++i)
            shown.push_back(View().IsColorantShown(i));
        return shown;
    }
    // The list's pixel at (x, y) of its client area.
    COLORREF ListPixel(int x, int y) {
        const Win32Driver::Image image = Win32Driver::Snapshot(Item(ZOVA_ItemInkList));
        const uint8_t* p = &image.m_pixels[(static_cast<size_t>(y) * image.m_width + x) * 4];
        return RGB(p[0], p[1], p[2]);
    }
    // The bands page shown, rendered at Fit in 100 × 100 and ready.
    void RenderBands() {
        ShowOver(OpenPage("<< >>", BandsPage));
        Resize(100, 100);
        Fit();
        Update();
        ASSERT_EQ(State(), 5);
        Pump();
    }
    // The band (ink index) under view image pixel (x, y); 4 off the page or
    // above the bands, -1 within two pixels of an edge.
    int BandAt(int x, int y) {
        int32_t left, top, right, bottom;
        m_tool->ViewWindow().ImageRect(left, top, right, bottom);
        const double scale = (bottom - top) / PageHeight;
        const double pageY = (bottom - 0.5 - y) / scale;
        const double margin = 2 / scale;
        if (x < left - 2 || x > right + 1 || y < top - 2 || y > bottom + 1)
            return 4;
        if (x < left + 2 || x > right - 3 || y < top + 2 || y > bottom - 3)
            return -1;
        for (int band = 0; band <= 4; ++band) {
            const double low = band * BandHeight, high = low + BandHeight;
            if (pageY > low + margin && pageY < high - margin)
                return band;
            if (pageY > high - margin && pageY < high + margin)
                return -1;
        }
        return 4;
    }
    // Counts of pixels that changed from before inside band and outside
    // it, and how many were compared in each.
    struct Changes {
        int inside = 0, insideChanged = 0, outside = 0, outsideChanged = 0;
    };
    Changes Compare(const std::vector<uint32_t>& before, const std::vector<uint32_t>& after, int band) {
        Changes changes;
        const int width = m_tool->WindowWidth();
        for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
            const int at = BandAt(int(i % width), int(i / width));
            if (at == -1)
                continue;
            const bool changed = before[i] != after[i];
            if (at == band) {
                ++changes.inside;
                changes.insideChanged += changed;
            } else {
                ++changes.outside;
                changes.outsideChanged += changed;
            }
        }
        return changes;
    }
    int RowTop(int index) {
        RECT r{};
        SendMessageA(Item(ZOVA_ItemInkList), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
        return r.top;
    }
    void TearDown() override {
        Win32Driver::ClearColorScripts();
        ZOVA_ToolTest::TearDown();
    }
};

TEST_F(ZOVA_Dialog, ResolutionListFollowsTheViewsLargestResolution) {
    Dialog().SetComboSelection(ZOVA_ItemResolution, 5);
    Dialog().FillResolutionCombo(3);
    const std::string tree = Win32Driver::DumpTree(Dialog().DialogWindow());
    EXPECT_NE(tree.find("sel=3 items=[\"      Fit\",\"  150 dpi\",\"  300 dpi\",\"  600 dpi\"]"), std::string::npos)
        << tree;
    EXPECT_EQ(Dialog().ResolutionLimit(), 3);
    // A view whose page is too large for 1200 dpi lists up to 600.
    ShowOver(OpenPdf(VCOS_MakePdf("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>",
                                               "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                               "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 3000 3000] "
                                               "/Resources << >> >>"})));
    ASSERT_EQ(View().MaxResolution(), 3);
    EXPECT_EQ(SendMessageA(Item(ZOVA_ItemResolution), CB_GETCOUNT, 0, 0), 4);
}

TEST_F(ZOVA_Dialog, FitResetsMagnificationAndDisablesItAndTheFrameDrag) {
    ShowOver(OpenPage("<< >>", CmykPage));
    Win32Driver::ChooseComboEntry(Item(ZOVA_ItemMagnification), 2);
    Pump();
    EXPECT_EQ(View().Magnification(), 2);
    Win32Driver::ChooseComboEntry(Item(ZOVA_ItemResolution), 0);
    Pump();
    EXPECT_EQ(View().Resolution(), 0);
    EXPECT_EQ(View().Magnification(), 0);
    EXPECT_EQ(SendMessageA(Item(ZOVA_ItemMagnification), CB_GETCURSEL, 0, 0), 0);
    EXPECT_FALSE(IsWindowEnabled(Item(ZOVA_ItemMagnification)));
    EXPECT_FALSE(m_tool->IsDragEnabled());
    Win32Driver::ChooseComboEntry(Item(ZOVA_ItemResolution), 1);
    Pump();
    EXPECT_TRUE(IsWindowEnabled(Item(ZOVA_ItemMagnification)));
    EXPECT_TRUE(m_tool->IsDragEnabled());
}

TEST_F(ZOVA_Dialog, OnlyATickBoxClickTogglesAndOnlyItsInk) {
    RenderBands();
    const HWND list = Item(ZOVA_ItemInkList);
    ASSERT_EQ(View().NumColorants(), 4);
    const std::vector<uint32_t> rendered = Image();
    const std::vector<bool> all(4, true);
    struct Click {
        const char* what;
        int index;
        int x;
        bool toggles;
    };
    const Click clicks[] = {{"name", 2, 60, false}, {"swatch", 2, 9, false}, {"tick box", 2, 29, true}};
    for (const Click& click : clicks) {
        SCOPED_TRACE(click.what);
        Win32Driver::ClickListItem(list, click.index, click.x);
        Pump();
        std::vector<bool> expected = all;
        expected[2] = !click.toggles;
        EXPECT_EQ(Shown(), expected);
        if (!click.toggles) {
            EXPECT_EQ(Image(), rendered);
        }
    }
    // Yellow's band turned white; every other pixel is as rendered.
    const Changes changes = Compare(rendered, Image(), 2);
    EXPECT_GT(changes.inside, 100);
    EXPECT_GT(changes.outside, 1000);
    EXPECT_EQ(changes.insideChanged, changes.inside);
    EXPECT_EQ(changes.outsideChanged, 0);
    EXPECT_TRUE(Win32Driver::ColorRequests().empty());
    // An arrow key moves the selection to ink 3 and toggles nothing.
    const std::vector<uint32_t> toggled = Image();
    Win32Driver::Key(VK_DOWN);
    Pump();
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(Shown(), (std::vector<bool>{true, true, false, true}));
    EXPECT_EQ(Image(), toggled);
}

TEST_F(ZOVA_Dialog, SwatchDoubleClickChoosesTheInksColour) {
    RenderBands();
    const std::vector<uint32_t> rendered = Image();
    Win32Driver::ScriptColor(RGB(255, 0, 0));
    Win32Driver::DoubleClickListItem(Item(ZOVA_ItemInkList), 0, 9);
    Pump();
    const std::vector<Win32Driver::ColorRequest> requests = Win32Driver::ColorRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].m_owner, Dialog().DialogWindow());
    EXPECT_EQ(requests[0].m_initial, RGB(0, 255, 255)) << "Cyan's swatch";
    EXPECT_EQ(requests[0].m_flags, static_cast<DWORD>(CC_RGBINIT | CC_FULLOPEN));
    const CPDF_Color color = View().ColorantColor(0);
    ASSERT_EQ(color.NumComponents(), 4u);
    EXPECT_EQ(std::vector<double>(color.Components(), color.Components() + 4),
              (std::vector<double>{0, 1, 1, 0}));
    EXPECT_EQ(ListPixel(9, RowTop(0) + 10), RGB(255, 0, 0));
    EXPECT_EQ(Shown(), std::vector<bool>(4, true)) << "a double click on the swatch ticks nothing";
    // Cyan's band is recomposed in red, full magenta's and yellow's
    // absorption in one ink; nothing else moved.
    const std::vector<uint32_t> red = Image();
    const Changes changes = Compare(rendered, red, 0);
    EXPECT_GT(changes.inside, 100);
    EXPECT_EQ(changes.insideChanged, changes.inside);
    EXPECT_EQ(changes.outsideChanged, 0);
    for (size_t i = 0; i < red.size(); ++i) {
        if (BandAt(int(i % m_tool->WindowWidth()), int(i / m_tool->WindowWidth())) == 0) {
            ASSERT_EQ(red[i], 0xF10300u) << "pixel " << i;
        }
    }
    // A cancelled chooser changes nothing.
    Win32Driver::ScriptColorCancel();
    Win32Driver::DoubleClickListItem(Item(ZOVA_ItemInkList), 1, 9);
    Pump();
    EXPECT_EQ(Win32Driver::ColorRequests().size(), 2u);
    EXPECT_EQ(ListPixel(9, RowTop(1) + 10), RGB(255, 0, 255)) << "Magenta's swatch";
    EXPECT_EQ(Image(), red);
}

TEST_F(ZOVA_Dialog, SwatchesShowTheInksCmykEquivalents) {
    ShowOver(OpenPage("<< >>", CmykPage));
    View().SetColorantColor(1, CPDF_Color(std::vector<double>{0.5, 0, 0, 0.75}));
    Dialog().UpdateFromView(View());
    UpdateWindow(Item(ZOVA_ItemInkList));
    struct Row {
        int ink;
        COLORREF swatch;
    };
    // Rows are the list's 20 pixels high, measured while the list was made.
    RECT first{};
    SendMessageA(Item(ZOVA_ItemInkList), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    EXPECT_EQ(first.bottom - first.top, ZOVA_ColorDialog::ItemHeight);
    EXPECT_EQ(RowTop(3) - RowTop(0), 3 * ZOVA_ColorDialog::ItemHeight);
    for (const Row& row : {Row{0, RGB(0, 255, 255)}, Row{3, RGB(0, 0, 0)}, Row{1, RGB(0, 63, 63)}}) {
        SCOPED_TRACE(row.ink);
        EXPECT_EQ(ListPixel(9, RowTop(row.ink) + 10), row.swatch);
    }
}

TEST_F(ZOVA_Dialog, StopWhileSeparatingOnlySetsTheCancelFlag) {
    ShowOver(OpenPage("<< >>", CmykPage));
    Dialog().SetStatus(ZOVA_ColorDialog::StatusSeparating);
    const size_t creations = DocCreations();
    Win32Driver::PressButton(Item(ZOVA_ItemUpdate));
    Pump();
    EXPECT_TRUE(m_tool->CancelMgr().IsCancelled());
    EXPECT_EQ(DocCreations(), creations);
    EXPECT_EQ(Dialog().Status(), ZOVA_ColorDialog::StatusSeparating);
    m_tool->SetCancelled(false);
}

TEST_F(ZOVA_Dialog, ClosingOnlyHidesAndTheDefaultToolTakesOver) {
    ShowOver(OpenPage("<< >>", CmykPage));
    ASSERT_NE(VIEW_Tools::ActiveTool(), VIEW_Tools::DefaultTool());
    const HWND window = Dialog().DialogWindow();
    VIEW_CallPlugin([&] { EXPECT_EQ(Dialog().WillClose(0), 0); });
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(Dialog().IsAlive());
    EXPECT_EQ(VIEW_Tools::ActiveTool(), VIEW_Tools::DefaultTool());
    EXPECT_FALSE(m_tool->ViewWindow().IsAlive());
}

TEST_F(ZOVA_Dialog, QuittingClosesTheWindow) {
    ShowOver(OpenPage("<< >>", CmykPage));
    const HWND window = Dialog().DialogWindow();
    VIEW_CallPlugin([&] { EXPECT_EQ(Dialog().WillClose(1), 1); });
    EXPECT_TRUE(IsWindowVisible(window)) << "the host closes it; it is not hidden first";
}

}  // namespace
