// The Separations window driven as a user would: the resolution and
// magnification lists, and closing.
#include "ZOVA_ToolFixture.h"

#include "../../viewer/cos/VCOS_TestPdf.h"
#include "Exchange/ZOVA/ZOVA_Resources.h"
#include "viewer/VIEW_Tools.h"
#include "win32/win32_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const CmykPage = "0.5 0 0 0 k 100 100 200 200 re f";

class ZOVA_Dialog : public ZOVA_ToolTest {
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

}  // namespace
