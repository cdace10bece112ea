// The plug-in's resources as the dialog, the status line, the alerts and the
// frame read them.
#include "Exchange/ZOVA/ZOVA_Resources.h"

#include "ZOVA_ExpectedStrings.h"

#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "viewer/VIEW_App.h"
#include "viewer/VIEW_Host.h"
#include "win32/win32_resources.h"

#include <gtest/gtest.h>

#include <string>

namespace {

HMODULE Module() {
    EXPECT_EQ(gZOVA_ResourcesLinked, 1);
    return Win32ModuleOfAddress(&gZOVA_ResourcesLinked);
}

std::string String(UINT id) {
    char buffer[512];
    const int length = LoadStringA(Module(), id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

}  // namespace

TEST(ZOVA_Resources, StringsOfTheCombosStatusAlertsAndMenus) {
    for (const ZOVA_ExpectedString& row : kZOVA_ExpectedStrings) {
        SCOPED_TRACE(row.m_id);
        EXPECT_EQ(String(row.m_id), row.m_text);
    }
    // A gap in the combo ids stays a gap.
    EXPECT_EQ(String(1113), "");
}

TEST(ZOVA_Resources, SeparationsDialogAndItsControls) {
    const Win32DialogResource* dialog = Win32FindDialog(Module(), ZOVA_DialogSeparations);
    ASSERT_NE(dialog, nullptr);
    EXPECT_STREQ(dialog->m_caption, "Separations");
    EXPECT_EQ(dialog->m_width, 124);
    EXPECT_EQ(dialog->m_height, 138);
    EXPECT_EQ(dialog->m_style & (WS_POPUP | WS_CAPTION | WS_SYSMENU), WS_POPUP | WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(dialog->m_exStyle & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
    struct Row {
        UINT id;
        const char* cls;
        const char* text;
        int x, y, w, h;
    };
    const Row rows[] = {
        {1001, "Static", "Resolution", 37, 7, 33, 9},     {1002, "ComboBox", "", 76, 4, 45, 72},
        {1019, "Static", "Magnification", 30, 21, 43, 9}, {1020, "ComboBox", "", 76, 19, 45, 60},
        {1003, "ListBox", "", 2, 35, 119, 82},            {1021, "Static", "Status", 3, 124, 64, 8},
        {1022, "Button", "Cancel", 70, 122, 50, 14},
    };
    ASSERT_EQ(dialog->m_itemCount, sizeof rows / sizeof rows[0]);
    for (size_t i = 0; i < dialog->m_itemCount; ++i) {
        const Win32DialogItem& item = dialog->m_items[i];
        const Row& row = rows[i];
        SCOPED_TRACE(row.id);
        EXPECT_EQ(item.m_id, row.id);
        EXPECT_STREQ(item.m_class, row.cls);
        EXPECT_STREQ(item.m_text, row.text);
        EXPECT_EQ(item.m_x, row.x);
        EXPECT_EQ(item.m_y, row.y);
        EXPECT_EQ(item.m_width, row.w);
        EXPECT_EQ(item.m_height, row.h);
        // Shown with the window: a hidden Stop button takes no click.
        EXPECT_EQ(item.m_style & WS_VISIBLE, static_cast<DWORD>(WS_VISIBLE));
    }
    // Both combos drop down a list; the ink list draws its own items.
    EXPECT_EQ(dialog->m_items[1].m_style & 0x3u, static_cast<DWORD>(CBS_DROPDOWNLIST));
    EXPECT_EQ(dialog->m_items[3].m_style & 0x3u, static_cast<DWORD>(CBS_DROPDOWNLIST));
    const DWORD list = LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOSEL | LBS_NOTIFY | WS_BORDER | WS_VSCROLL |
                       WS_HSCROLL | LBS_NOINTEGRALHEIGHT;
    EXPECT_EQ(dialog->m_items[4].m_style & list, list);
}

TEST(ZOVA_Resources, TickBoxesDifferOnlyByTheirTick) {
    const HBITMAP ticked = LoadBitmapA(Module(), MAKEINTRESOURCEA(ZOVA_BitmapTicked));
    const HBITMAP unticked = LoadBitmapA(Module(), MAKEINTRESOURCEA(ZOVA_BitmapUnticked));
    const HBITMAP button = LoadBitmapA(Module(), MAKEINTRESOURCEA(ZOVA_BitmapToolButton));
    ASSERT_NE(ticked, nullptr);
    ASSERT_NE(unticked, nullptr);
    ASSERT_NE(button, nullptr);
    DIBSECTION a{}, b{}, c{};
    ASSERT_EQ(GetObjectA(ticked, sizeof a, &a), static_cast<int>(sizeof a));
    ASSERT_EQ(GetObjectA(unticked, sizeof b, &b), static_cast<int>(sizeof b));
    ASSERT_EQ(GetObjectA(button, sizeof c, &c), static_cast<int>(sizeof c));
    // The tick column of an ink list item: x from 22 to 37, 20 rows.
    EXPECT_EQ(a.dsBm.bmWidth, 15);
    EXPECT_EQ(a.dsBm.bmHeight, 20);
    EXPECT_EQ(b.dsBm.bmWidth, 15);
    EXPECT_EQ(b.dsBm.bmHeight, 20);
    EXPECT_GT(c.dsBm.bmWidth, 0);
    const auto* tickedPixels = static_cast<const uint32_t*>(a.dsBm.bmBits);
    const auto* untickedPixels = static_cast<const uint32_t*>(b.dsBm.bmBits);
    int differing = 0, outsideBox = 0, edge = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 15; ++x) {
            const uint32_t t = tickedPixels[y * 15 + x] & 0xFFFFFF, u = untickedPixels[y * 15 + x] & 0xFFFFFF;
            const bool inside = x > 2 && x < 12 && y > 4 && y < 14;
            edge += (x == 2 || y == 4) && u == 0;
            if (t != u) {
                ++differing;
                outsideBox += !inside;
            }
        }
    EXPECT_GT(differing, 5);
    EXPECT_EQ(outsideBox, 0);
    EXPECT_GT(edge, 10);
    for (HBITMAP bitmap : {ticked, unticked, button})
        XCHG_DeleteObject(bitmap);
}

TEST(ZOVA_Resources, FrameColourIsGreenInRgb) {
    // The colour is looked up as the tool does, through the module
    // information, which asks the host for the plug-in's file name.
    VIEW_Host::Reset();
    VIEW_App::SetExtensionFileName("ZOVA.api");
    const PDFL_HFT core = gXCHG_CoreHFT, support = gXCHG_AcroSupportHFT, view = gXCHG_AcroViewHFT;
    const uint32_t supportVersion = gXCHG_AcroSupportVersion;
    const HMODULE instance = gXCHG_ModuleInstance;
    gXCHG_CoreHFT = VIEW_Host::Table(PDFL_CoreTable);
    gXCHG_AcroSupportHFT = VIEW_Host::Table(PDFL_AcroSupportTable);
    gXCHG_AcroSupportVersion = 0x00040000;
    gXCHG_AcroViewHFT = VIEW_Host::Table(PDFL_AcroViewTable);
    gXCHG_ModuleInstance = GetModuleHandleA(nullptr);
    PDFL_PDColorValueRec colour;
    XCHG_LoadColor(ZOVA_ColorFrame, &colour);
    gXCHG_CoreHFT = core;
    gXCHG_AcroSupportHFT = support;
    gXCHG_AcroViewHFT = view;
    gXCHG_AcroSupportVersion = supportVersion;
    gXCHG_ModuleInstance = instance;
    EXPECT_EQ(colour.m_space, 1);
    EXPECT_EQ(colour.m_value[0], 0);
    EXPECT_EQ(colour.m_value[1], 65536);
    EXPECT_EQ(colour.m_value[2], 0);
    EXPECT_EQ(colour.m_value[3], 0);
}
