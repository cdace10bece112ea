// Dialogs from template tables and their controls, driven only by the test
// driver: notifications, owner drawing, modal loops, the colour chooser,
// and snapshots written as PNG files.
#include "support/PngReader.h"
#include "support/TestSupport.h"
#include "win32/win32.h"
#include "win32/win32_driver.h"
#include "win32/win32_resources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

enum : UINT { TestDialog = 401, Caption = 1001, Combo = 1002, List = 1003, Picture = 1004, Button = 1022 };

const Win32DialogItem g_items[] = {
    {"Static", "Resolution", Caption, WS_VISIBLE, 37, 7, 33, 9},
    {"ComboBox", "", Combo, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 76, 4, 45, 72},
    {"ListBox", "", List,
     WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY |
         LBS_NOINTEGRALHEIGHT,
     2, 35, 40, 40},
    {"Static", "", Picture, WS_VISIBLE | SS_BITMAP, 90, 35, 20, 20},
    {"Button", "Cancel", Button, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 70, 122, 50, 14},
};

const Win32DialogResource g_dialogs[] = {
    {TestDialog, "Separations", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 10, 10, 124, 138, g_items,
     sizeof g_items / sizeof g_items[0]},
};

const Win32ResourceTables g_tables = [] {
    Win32ResourceTables t;
    t.m_dialogs = g_dialogs;
    t.m_dialogCount = 1;
    return t;
}();

const Win32ResourceRegistration g_registration(g_tables);

// What the dialog procedure saw: message names, and for WM_COMMAND the
// notification and id.
std::vector<std::string> g_seen;
INT_PTR g_initAnswer = FALSE;

std::string Command(WPARAM wParam) {
    const WORD id = LOWORD(wParam), code = HIWORD(wParam);
    return "WM_COMMAND " + std::to_string(id) + " " + std::to_string(code);
}

// Owner-drawn items: a grey band per item, darker for the selected one.
INT_PTR TestProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: g_seen.push_back(Command(wParam)); return TRUE;
    case WM_DRAWITEM: {
        const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        g_seen.push_back("WM_DRAWITEM " + std::to_string(d->itemID) + " " + std::to_string(d->itemAction));
        const BYTE level = static_cast<BYTE>((d->itemState & ODS_SELECTED) ? 40 : 200 - 20 * d->itemID);
        const HBRUSH brush = CreateSolidBrush(RGB(level, level, level));
        FillRect(d->hDC, &d->rcItem, brush);
        DeleteObject(brush);
        char text[64] = "";
        SendMessageA(d->hwndItem, LB_GETTEXT, d->itemID, reinterpret_cast<LPARAM>(text));
        TextOutA(d->hDC, d->rcItem.left + 4, d->rcItem.top, text, static_cast<int>(std::string(text).size()));
        return TRUE;
    }
    case WM_DELETEITEM:
        g_seen.push_back("WM_DELETEITEM " + std::to_string(reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->itemID));
        return TRUE;
    case WM_MEASUREITEM: g_seen.push_back("WM_MEASUREITEM"); return FALSE;
    case WM_INITDIALOG: g_seen.push_back("WM_INITDIALOG " + std::to_string(lParam)); return g_initAnswer;
    case WM_LBUTTONDOWN: g_seen.push_back("WM_LBUTTONDOWN"); return TRUE;
    default: return FALSE;
    }
}

std::vector<std::string> Commands() {
    std::vector<std::string> out;
    for (const std::string& s : g_seen)
        if (s.rfind("WM_COMMAND", 0) == 0)
            out.push_back(s);
    return out;
}

class win32_dialog : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen.clear();
        g_initAnswer = FALSE;
        Win32Driver::Pump();
        m_dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(TestDialog), nullptr, TestProc, 77);
        ASSERT_NE(m_dialog, nullptr);
        for (const char* s : {"Cyan", "Magenta", "Yellow", "Black", "PANTONE 185 C"})
            SendDlgItemMessageA(m_dialog, List, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        for (const char* s : {"Fit", "150 dpi", "300 dpi"})
            SendDlgItemMessageA(m_dialog, Combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        Win32Driver::Pump();
        g_seen.clear();
    }
    void TearDown() override {
        if (IsWindow(m_dialog))
            DestroyWindow(m_dialog);
        Win32Driver::Pump();
        Win32Driver::ClearModalDialogs();
        Win32Driver::ClearColorScripts();
    }
    HWND Item(int id) const { return GetDlgItem(m_dialog, id); }

    HWND m_dialog = nullptr;
};

}  // namespace

TEST_F(win32_dialog, AMissingTemplateGivesNoDialog) {
    EXPECT_EQ(CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(999), nullptr, TestProc, 0), nullptr);
    EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(999), nullptr, TestProc, 0), -1);
}

TEST_F(win32_dialog, TheListIsMeasuredBeforeInitDialogAndControlsComeInTemplateOrder) {
    g_seen.clear();
    const HWND second = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(TestDialog), nullptr, TestProc, 5);
    ASSERT_NE(second, nullptr);
    ASSERT_GE(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0], "WM_MEASUREITEM");
    EXPECT_EQ(g_seen[1], "WM_INITDIALOG 5");
    const RECT expectClient{0, 0, 124 * 6 / 4, 138 * 13 / 8};
    RECT client{};
    GetClientRect(second, &client);
    EXPECT_EQ(client.right, expectClient.right);
    EXPECT_EQ(client.bottom, expectClient.bottom);
    // 13-pixel items: the dialog procedure answered 0 and left the preset height.
    SendDlgItemMessageA(second, List, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a"));
    SendDlgItemMessageA(second, List, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("b"));
    RECT item{};
    SendDlgItemMessageA(second, List, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.top, 13);
    EXPECT_EQ(item.bottom, 26);
    EXPECT_EQ(Win32Driver::DumpTree(second),
              "#32770 id=0 enabled=1 visible=1 text=\"Separations\"\n"
              "  Static id=1001 enabled=1 visible=1 text=\"Resolution\"\n"
              "  ComboBox id=1002 enabled=1 visible=1 text=\"\" sel=-1 items=[]\n"
              "  ListBox id=1003 enabled=1 visible=1 text=\"\" sel=-1 items=[\"a\",\"b\"]\n"
              "  Static id=1004 enabled=1 visible=1 text=\"\"\n"
              "  Button id=1022 enabled=1 visible=1 text=\"Cancel\"\n");
    DestroyWindow(second);
}

TEST_F(win32_dialog, DumpTreeGivesTheSameTextOnEveryRun) {
    const std::string first = Win32Driver::DumpTree(m_dialog);
    EXPECT_NE(first.find("ListBox id=1003 enabled=1 visible=1 text=\"\" sel=-1 items=[\"Cyan\",\"Magenta\""),
              std::string::npos);
    DestroyWindow(m_dialog);
    SetUp();
    EXPECT_EQ(Win32Driver::DumpTree(m_dialog), first);
}

TEST_F(win32_dialog, AButtonClickGivesOneClickedAndADisabledButtonNothing) {
    Win32Driver::PressButton(Item(Button));
    Win32Driver::Pump();
    EXPECT_EQ(Commands(), std::vector<std::string>{"WM_COMMAND 1022 0"});
    EXPECT_EQ(GetCapture(), nullptr);
    g_seen.clear();
    EnableWindow(Item(Button), FALSE);
    Win32Driver::PressButton(Item(Button));
    Win32Driver::Pump();
    EXPECT_TRUE(Commands().empty());
    // A press released outside the button clicks nothing.
    EnableWindow(Item(Button), TRUE);
    Win32Driver::Press(Item(Button), 3, 3);
    Win32Driver::Release(Item(Button), -40, 3);
    Win32Driver::Pump();
    EXPECT_TRUE(Commands().empty());
}

TEST_F(win32_dialog, AComboChoiceSendsOneSelChangeAndSetCurSelNone) {
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, Combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, Combo, CB_SETCURSEL, 9, 0), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, Combo, CB_GETCURSEL, 0, 0), -1);
    Win32Driver::Pump();
    EXPECT_TRUE(Commands().empty());
    Win32Driver::ChooseComboEntry(Item(Combo), 2);
    Win32Driver::Pump();
    EXPECT_EQ(Commands(), std::vector<std::string>{"WM_COMMAND 1002 1"});
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, Combo, CB_GETCURSEL, 0, 0), 2);
    // The window is the selection field; the template's height is the list's.
    RECT field{};
    GetWindowRect(Item(Combo), &field);
    EXPECT_EQ(field.bottom - field.top, 21);
    // Inserting before the selection keeps the same entry selected.
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, Combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("x")), 0);
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, Combo, CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, Combo, CB_INSERTSTRING, 9, reinterpret_cast<LPARAM>("y")), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, Combo, CB_GETCOUNT, 0, 0), 4);
    SendDlgItemMessageA(m_dialog, Combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, Combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, Combo, CB_GETCURSEL, 0, 0), -1);
}

TEST_F(win32_dialog, AListClickNotifiesAtTheReleaseEveryTime) {
    const HWND list = Item(List);
    POINT p{};
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
    p = {5, (r.top + r.bottom) / 2};
    Win32Driver::Press(list, p.x, p.y);
    Win32Driver::Pump();
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);  // selected at the press
    EXPECT_EQ(GetCapture(), list);
    Win32Driver::Release(list, p.x, p.y);
    Win32Driver::Pump();
    EXPECT_EQ(Commands(), std::vector<std::string>{"WM_COMMAND 1003 1"});
    Win32Driver::Advance(1000);  // no double click
    Win32Driver::ClickListItem(list, 2, 5);
    Win32Driver::Pump();
    EXPECT_EQ(Commands(), (std::vector<std::string>{"WM_COMMAND 1003 1", "WM_COMMAND 1003 1"}));
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
}

TEST_F(win32_dialog, ADoubleClickNotifiesSelChangeThenDblClkThenNothing) {
    const HWND list = Item(List);
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    const int y = (r.top + r.bottom) / 2;
    Win32Driver::Press(list, 5, y);
    Win32Driver::Release(list, 5, y);
    Win32Driver::Pump();
    EXPECT_EQ(Commands(), std::vector<std::string>{"WM_COMMAND 1003 1"});
    Win32Driver::Press(list, 5, y);
    Win32Driver::Pump();
    EXPECT_EQ(Commands(), (std::vector<std::string>{"WM_COMMAND 1003 1", "WM_COMMAND 1003 2"}));
    EXPECT_EQ(GetCapture(), nullptr);
    Win32Driver::Release(list, 5, y);
    Win32Driver::Pump();
    EXPECT_EQ(Commands().size(), 2u);
}

TEST_F(win32_dialog, SetItemHeightMovesEveryItemAndRefusesBadHeights) {
    const HWND list = Item(List);
    EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 13);
    EXPECT_EQ(SendMessageA(list, LB_SETITEMHEIGHT, 3, 20), 0);  // the index is ignored
    EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 20);
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.top, 40);
    EXPECT_EQ(item.bottom, 60);
    for (LPARAM bad : {0, 256}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(SendMessageA(list, LB_SETITEMHEIGHT, 0, bad), LB_ERR);
        EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 20);
    }
    // A click picks the item under it at the new height.
    Win32Driver::ClickListItem(list, 2, 5);
    Win32Driver::Pump();
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
}

TEST_F(win32_dialog, SelectionChangesDrawTheItemsTheyTouch) {
    SendDlgItemMessageA(m_dialog, List, LB_SETCURSEL, 1, 0);
    SendDlgItemMessageA(m_dialog, List, LB_SETCURSEL, 3, 0);
    Win32Driver::Pump();
    EXPECT_EQ(g_seen, (std::vector<std::string>{"WM_DRAWITEM 1 2", "WM_DRAWITEM 1 2", "WM_DRAWITEM 3 2"}));
    EXPECT_TRUE(Commands().empty());  // LB_SETCURSEL notifies nothing
    g_seen.clear();
    SetFocus(Item(List));
    Win32Driver::Key(VK_DOWN);
    Win32Driver::Pump();
    EXPECT_EQ(Commands(), std::vector<std::string>{"WM_COMMAND 1003 1"});
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, List, LB_GETCURSEL, 0, 0), 4);
}

TEST_F(win32_dialog, ResetContentDeletesEveryItemOnce) {
    SendDlgItemMessageA(m_dialog, List, LB_SETITEMDATA, 3, 0x1234);
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, List, LB_GETITEMDATA, 3, 0), 0x1234);
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, List, LB_GETITEMDATA, 9, 0), LB_ERR);
    SendDlgItemMessageA(m_dialog, List, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(g_seen, (std::vector<std::string>{"WM_DELETEITEM 0", "WM_DELETEITEM 1", "WM_DELETEITEM 2",
                                                "WM_DELETEITEM 3", "WM_DELETEITEM 4"}));
    EXPECT_EQ(SendDlgItemMessageA(m_dialog, List, LB_GETCOUNT, 0, 0), 0);
    g_seen.clear();
    SendDlgItemMessageA(m_dialog, List, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("again"));
    DestroyWindow(m_dialog);  // destruction deletes the items too
    EXPECT_EQ(g_seen, std::vector<std::string>{"WM_DELETEITEM 0"});
}

TEST_F(win32_dialog, AClickOnAStaticPictureReachesTheDialog) {
    const HWND picture = Item(Picture);
    const HBITMAP bitmap = reinterpret_cast<HBITMAP>(0x1);  // held, never drawn
    EXPECT_EQ(SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)), 0);
    EXPECT_EQ(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(bitmap));
    EXPECT_NE(Win32Driver::DumpTree(m_dialog).find("Static id=1004 enabled=1 visible=1 text=\"\" image"),
              std::string::npos);
    Win32Driver::Click(picture, 4, 4);
    Win32Driver::Pump();
    EXPECT_EQ(g_seen, std::vector<std::string>{"WM_LBUTTONDOWN"});
}

TEST_F(win32_dialog, CloseBecomesCancel) {
    Win32Driver::Close(m_dialog);
    Win32Driver::Pump();
    EXPECT_EQ(Commands(), std::vector<std::string>{"WM_COMMAND 2 0"});
    EXPECT_TRUE(IsWindow(m_dialog));
}

TEST_F(win32_dialog, ItemTextCalls) {
    EXPECT_TRUE(SetDlgItemInt(m_dialog, Caption, static_cast<UINT>(-12), TRUE));
    char text[8];
    EXPECT_EQ(GetDlgItemTextA(m_dialog, Caption, text, sizeof text), 3u);
    EXPECT_STREQ(text, "-12");
    EXPECT_TRUE(SetDlgItemTextA(m_dialog, Caption, "Status line"));
    EXPECT_EQ(GetDlgItemTextA(m_dialog, Caption, text, sizeof text), 7u);  // cut to the buffer
    EXPECT_STREQ(text, "Status ");
    EXPECT_FALSE(SetDlgItemTextA(m_dialog, 4242, "x"));
    EXPECT_EQ(GetDlgItem(m_dialog, 4242), nullptr);
}

TEST_F(win32_dialog, AWideListScrollsToShowTheClickedPlace) {
    const HWND list = Item(List);
    RECT client{};
    GetClientRect(list, &client);
    SendMessageA(list, LB_SETHORIZONTALEXTENT, client.right + 100, 0);
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, -1, 0};
    ASSERT_TRUE(GetScrollInfo(list, SB_HORZ, &si));
    EXPECT_EQ(si.nPos, 0);
    Win32Driver::ClickListItem(list, 4, client.right + 50);
    Win32Driver::Pump();
    ASSERT_TRUE(GetScrollInfo(list, SB_HORZ, &si));
    EXPECT_GT(si.nPos, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 4);
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.left, -si.nPos);  // as displayed
    EXPECT_EQ(item.right - item.left, client.right + 100);
}

TEST(win32_modal, DialogBoxEndsWithTheScriptsResultAndWithoutAScriptAtOnce) {
    Win32Driver::ClearModalDialogs();
    WNDCLASSA c{};
    c.lpfnWndProc = DefWindowProcA;
    c.lpszClassName = "TintscopeModalOwner";
    static const bool registered = RegisterClassA(&c) != 0;
    ASSERT_TRUE(registered);
    const HWND owner = CreateWindowExA(0, "TintscopeModalOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                       400, 400, nullptr, nullptr, nullptr, nullptr);
    bool ownerDisabled = false;
    Win32Driver::OnModalDialog([&](HWND dialog) {
        ownerDisabled = !IsWindowEnabled(owner);
        // Ends from inside the loop, on a click, as the About box does.
        Win32Driver::PressButton(GetDlgItem(dialog, Button));
    });
    g_seen.clear();
    const auto endOnClick = [](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == Button)
            EndDialog(dialog, 7);
        return message == WM_COMMAND;
    };
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(TestDialog), owner, endOnClick, 0), 7);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(TestDialog), owner, TestProc, 0), -1);  // no script
    EXPECT_TRUE(IsWindowEnabled(owner));
    Win32Driver::OnModalDialog([](HWND) {});  // a loop that runs dry
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(TestDialog), owner, TestProc, 0), -1);
    EXPECT_EQ(Win32Driver::ModalDialogs(), (std::vector<UINT>{TestDialog, TestDialog, TestDialog}));
    DestroyWindow(owner);
    Win32Driver::ClearModalDialogs();
}

TEST(win32_comdlg, ChooseColorAnswersFromTheScriptAndRecordsTheRequest) {
    Win32Driver::ClearColorScripts();
    COLORREF custom[16] = {};
    CHOOSECOLORA cc{sizeof cc, reinterpret_cast<HWND>(0x10), nullptr, RGB(1, 2, 3), custom,
                    CC_RGBINIT | CC_FULLOPEN, 0, nullptr, nullptr};
    Win32Driver::ScriptColor(RGB(255, 0, 0));
    EXPECT_TRUE(ChooseColorA(&cc));
    EXPECT_EQ(cc.rgbResult, 0x0000FFu);
    Win32Driver::ScriptColorCancel();
    EXPECT_FALSE(ChooseColorA(&cc));
    EXPECT_FALSE(ChooseColorA(&cc));  // no script left
    const auto requests = Win32Driver::ColorRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].m_owner, reinterpret_cast<HWND>(0x10));
    EXPECT_EQ(requests[0].m_initial, RGB(1, 2, 3));
    EXPECT_EQ(requests[0].m_flags, static_cast<DWORD>(CC_RGBINIT | CC_FULLOPEN));
    EXPECT_EQ(requests[1].m_initial, 0x0000FFu);
    Win32Driver::ClearColorScripts();
}

TEST_F(win32_dialog, ASnapshotOfAnOwnerDrawnListSurvivesAPngRoundTrip) {
    SendDlgItemMessageA(m_dialog, List, LB_SETCURSEL, 1, 0);
    InvalidateRect(Item(List), nullptr, TRUE);
    Win32Driver::Pump();
    const Win32Driver::Image shot = Win32Driver::Snapshot(Item(List));
    RECT client{};
    GetClientRect(Item(List), &client);
    ASSERT_EQ(shot.m_width, client.right);
    ASSERT_EQ(shot.m_height, client.bottom);
    // Item 1 is selected: dark; item 0 light; the text's ink is black.
    const auto at = [&](int x, int y) { return shot.m_pixels[(static_cast<size_t>(y) * shot.m_width + x) * 4]; };
    EXPECT_EQ(at(1, 13 + 1), 40);
    EXPECT_EQ(at(1, 1), 200);
    ScratchDir dir;
    ASSERT_TRUE(Win32Driver::WritePng(dir.File("list.png"), shot));
    const PngPixels back = ReadPng(dir.File("list.png"));
    ASSERT_EQ(back.m_channels, 4) << back.m_error;
    EXPECT_EQ(back.m_width, shot.m_width);
    EXPECT_EQ(back.m_height, shot.m_height);
    EXPECT_TRUE(back.m_pixels == shot.m_pixels);

    // An 8-bit grey image, and what cannot be written.
    Win32Driver::Image grey{3, 2, 1, {0, 50, 100, 150, 200, 255}};
    ASSERT_TRUE(Win32Driver::WritePng(dir.File("grey.png"), grey));
    const PngPixels greyBack = ReadPng(dir.File("grey.png"));
    EXPECT_EQ(greyBack.m_channels, 1);
    EXPECT_TRUE(greyBack.m_pixels == grey.m_pixels);
    grey.m_pixels.pop_back();
    EXPECT_FALSE(Win32Driver::WritePng(dir.File("short.png"), grey));
    EXPECT_FALSE(Win32Driver::WritePng(dir.File("no/such/folder.png"), shot));
    EXPECT_EQ(ReadPng(dir.File("missing.png")).m_channels, 0);
}

TEST(win32_png, AWindowOfALargerImageIsWrittenFromItsRowsWithoutACopy) {
    ScratchDir dir;
    for (const int channels : {1, 4}) {
        SCOPED_TRACE(channels);
        // 9 x 5 pixels; the window is 4 x 3 from (3, 1).
        const int width = 9, height = 5, left = 3, top = 1, w = 4, h = 3;
        std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * channels);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint8_t>(i * 29 + 7);
        std::vector<uint8_t> window;
        for (int y = top; y < top + h; ++y)
            for (int x = left * channels; x < (left + w) * channels; ++x)
                window.push_back(pixels[static_cast<size_t>(y) * width * channels + x]);
        const size_t rowBytes = static_cast<size_t>(width) * channels;
        const uint8_t* corner = pixels.data() + static_cast<size_t>(top) * rowBytes + left * channels;
        const std::string path = dir.File("window-" + std::to_string(channels) + ".png");
        ASSERT_TRUE(Win32Driver::WritePng(path, w, h, channels, corner, rowBytes));
        const PngPixels back = ReadPng(path);
        ASSERT_EQ(back.m_channels, channels) << back.m_error;
        EXPECT_EQ(back.m_width, w);
        EXPECT_EQ(back.m_height, h);
        EXPECT_TRUE(back.m_pixels == window);
        // Rows closer than a row's bytes: nothing written.
        const std::string tight = dir.File("tight-" + std::to_string(channels) + ".png");
        EXPECT_FALSE(Win32Driver::WritePng(tight, w, h, channels, corner, static_cast<size_t>(w * channels - 1)));
        EXPECT_EQ(ReadPng(tight).m_channels, 0);
    }
}

TEST(win32_png, LargeImagesOfRunsGradientsAndNoiseComeBackByteForByte) {
    // Deflate's window and the rows' lengths are both passed here: long
    // runs, a gradient along each row and down the image, and noise.
    ScratchDir dir;
    uint32_t seed = 44;
    for (const int channels : {1, 4}) {
        Win32Driver::Image image;
        image.m_width = 1031;
        image.m_height = 263;
        image.m_channels = channels;
        image.m_pixels.resize(static_cast<size_t>(image.m_width) * image.m_height * channels);
        for (int y = 0; y < image.m_height; ++y)
            for (int x = 0; x < image.m_width * channels; ++x) {
                seed = seed * 1664525u + 1013904223u;
                const uint8_t value = y < 60 ? 255 : y < 120 ? static_cast<uint8_t>(x + y) : y < 200 ? static_cast<uint8_t>(seed >> 24) : (x / 97) % 2 ? 0 : 255;
                image.m_pixels[static_cast<size_t>(y) * image.m_width * channels + x] = value;
            }
        const std::string path = dir.File("large-" + std::to_string(channels) + ".png");
        ASSERT_TRUE(Win32Driver::WritePng(path, image));
        const PngPixels back = ReadPng(path);
        ASSERT_EQ(back.m_channels, channels) << back.m_error;
        EXPECT_EQ(back.m_width, image.m_width);
        EXPECT_EQ(back.m_height, image.m_height);
        EXPECT_TRUE(back.m_pixels == image.m_pixels);
    }
}
