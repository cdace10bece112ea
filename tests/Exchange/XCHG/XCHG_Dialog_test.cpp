// Dialogs: made from the plug-in module when the locale library lacks the
// template, command routing, the dialog procedure's barrier, and the About
// item and box.
#include "XCHG_ReportFixture.h"

#include "Exchange/XCHG/XCHG_AboutMenuItem.h"
#include "Exchange/XCHG/XCHG_Dialog.h"
#include "Exchange/XCHG/XCHG_FreebieAboutDialog.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "Exchange/XCHG/XCHG_ModuleInfo.h"
#include "GLIB/GLIB_Exception.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/VIEW_Menus.h"
#include "viewer/VIEW_Windows.h"
#include "win32/win32_driver.h"
#include "win32/win32_resources.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string g_longTitle(150, 'T');
const Win32StringResource g_strings[] = {{20900, g_longTitle.c_str()}};
const Win32ResourceTables g_tables = [] {
    Win32ResourceTables tables;
    tables.m_strings = g_strings;
    tables.m_stringCount = 1;
    return tables;
}();
const Win32ResourceRegistration g_registration(g_tables);

struct AssertSeen {
    std::string m_expression;
};
[[noreturn]] void ThrowingAssert(const char* expression, const char*, uint32_t) {
    throw AssertSeen{expression};
}

class TestDialog : public XCHG_Dialog {
public:
    void Command(uint16_t id, int32_t second) override {
        m_commands.push_back(id);
        EXPECT_EQ(second, 0);
        if (m_throw)
            throw GLIB_Exception(4712, "command", __FILE__, __LINE__);
    }
    std::vector<uint16_t> m_commands;
    bool m_throw = false;
};

class DialogTest : public ReportTest {
protected:
    void SetUp() override {
        ReportTest::SetUp();
        InstallHandler(ThrowingHostErrorHandler);
    }
    void TearDown() override {
        XCHG_ModuleInfo::Instance().Initialize();
        Win32Driver::ClearModalDialogs();
        ReportTest::TearDown();
    }
    // The test module as the locale library: it has no dialog 20000.
    static HMODULE LoadLocale() {
        XCHG_ModuleInfo& info = XCHG_ModuleInfo::Instance();
        info.LocaleLibrary();  // the look-up, which finds none
        EXPECT_TRUE(info.LoadLibraryAt(std::string("/C") + TINTSCOPE_TEST_LOCALE));
        return info.ResourceModule();
    }
};

TEST_F(DialogTest, ATemplateOnlyInThePluginModuleIsStillMade) {
    const HMODULE locale = LoadLocale();
    ASSERT_NE(locale, gXCHG_ModuleInstance);
    TestDialog dialog;
    dialog.Create(XCHG_FreebieAboutDialog::DialogId, 0, false, 0);
    ASSERT_NE(dialog.DialogWindow(), nullptr);
    EXPECT_TRUE(dialog.IsAlive());
    EXPECT_EQ(dialog.ResourceModule(), gXCHG_ModuleInstance);
    const std::vector<HWND> served = VIEW_Windows::ServedDialogs();
    ASSERT_EQ(served.size(), 1u);
    EXPECT_EQ(served[0], dialog.DialogWindow());
    DestroyWindow(dialog.DialogWindow());
    EXPECT_FALSE(dialog.IsAlive());
    EXPECT_TRUE(VIEW_Windows::ServedDialogs().empty());
}

TEST_F(DialogTest, AMissingTemplateLeavesNoWindowAndTheHostIgnoresIt) {
    TestDialog dialog;
    dialog.Create(29999, 0, false, 0);
    EXPECT_EQ(dialog.DialogWindow(), nullptr);
    EXPECT_FALSE(dialog.IsAlive());
    EXPECT_TRUE(VIEW_Windows::ServedDialogs().empty());
}

TEST_F(DialogTest, ModalCreateIsAnAssertionAndMakesNothing) {
    const GLIB_AssertHandler previous = GLIB_SetAssertHandler(&ThrowingAssert);
    TestDialog dialog;
    std::string expression;
    try {
        dialog.Create(XCHG_FreebieAboutDialog::DialogId, 0, true, 0);
    } catch (const AssertSeen& seen) {
        expression = seen.m_expression;
    }
    GLIB_SetAssertHandler(previous);
    EXPECT_NE(expression.find("Modal dialogs not implemented for Windows platform"),
              std::string::npos);
    EXPECT_TRUE(dialog.IsModal());
    EXPECT_EQ(dialog.DialogWindow(), nullptr);
}

TEST_F(DialogTest, CommandsByNotificationCode) {
    TestDialog dialog;
    dialog.Create(XCHG_FreebieAboutDialog::DialogId, 0, false, 0);
    HWND window = dialog.DialogWindow();
    ASSERT_NE(window, nullptr);
    struct Case {
        WORD code;
        bool reaches;
    };
    const Case cases[] = {{0, true}, {1, true}, {2, false}, {5, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        dialog.m_commands.clear();
        EXPECT_EQ(SendMessageA(window, WM_COMMAND, MAKEWPARAM(20002, c.code), 0), 1);
        EXPECT_EQ(dialog.m_commands.size(), c.reaches ? 1u : 0u);
        if (c.reaches) {
            EXPECT_EQ(dialog.m_commands[0], 20002);
        }
    }
    // Other messages answer 0 from the default.
    EXPECT_EQ(dialog.DialogMessage(WM_USER, 0, 0), 0);
    DestroyWindow(window);
}

TEST_F(DialogTest, AMessageBeforeInitDialogAnswersZero) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = DefWindowProcA;
    cls.lpszClassName = "XchgDialogEarly";
    RegisterClassA(&cls);
    HWND window = CreateWindowExA(0, "XchgDialogEarly", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(XCHG_Dialog::DialogProc(window, WM_COMMAND, 0, 0), 0);
    DestroyWindow(window);
}

TEST_F(DialogTest, AnExceptionOutOfCommandIsAHostErrorAndTheWindowLivesOn) {
    TestDialog dialog;
    dialog.Create(XCHG_FreebieAboutDialog::DialogId, 0, false, 0);
    HWND window = dialog.DialogWindow();
    ASSERT_NE(window, nullptr);
    dialog.m_throw = true;
    PDFL_ErrorCode raised = 0;
    try {
        XCHG_Dialog::DialogProc(window, WM_COMMAND, MAKEWPARAM(20002, 0), 0);
    } catch (const VIEW_HostRaise& raise) {
        raised = raise.Code();
    }
    EXPECT_EQ(raised, 4712u);
    EXPECT_TRUE(IsWindow(window));
    dialog.m_throw = false;
    EXPECT_EQ(SendMessageA(window, WM_COMMAND, MAKEWPARAM(7, 0), 0), 1);
    DestroyWindow(window);
}

TEST_F(DialogTest, ACommandExceptionAsAWindowMessageReachesTheHostWithItsOwnCode) {
    TestDialog dialog;
    dialog.Create(XCHG_FreebieAboutDialog::DialogId, 0, false, 0);
    HWND window = dialog.DialogWindow();
    ASSERT_NE(window, nullptr);
    dialog.m_throw = true;
    // Through the host window's hook and the subclass, then the dialog
    // manager and the dialog procedure, and back out through both barriers.
    VIEW_Windows::Deliver(window, WM_COMMAND, MAKEWPARAM(20002, 0), 0);
    EXPECT_EQ(VIEW_Recorder::RaisedToHost(), std::vector<PDFL_ErrorCode>{4712});
    EXPECT_EQ(dialog.m_commands, std::vector<uint16_t>{20002});
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(dialog.IsAlive());
    EXPECT_EQ(PDFL_CallbackLevel(), 0);
    dialog.m_throw = false;
    EXPECT_EQ(VIEW_Windows::Deliver(window, WM_COMMAND, MAKEWPARAM(7, 0), 0), 1);
    EXPECT_EQ(VIEW_Recorder::RaisedToHost().size(), 1u);
    EXPECT_EQ(dialog.m_commands, (std::vector<uint16_t>{20002, 7}));
}

TEST_F(DialogTest, AnotherExceptionThroughTheSubclassIsStillCodeOne) {
    struct Throwing : TestDialog {
        LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message == WM_USER + 5)
                throw std::runtime_error("not the host's");
            return TestDialog::WindowProc(window, message, wParam, lParam);
        }
    } dialog;
    dialog.Create(XCHG_FreebieAboutDialog::DialogId, 0, false, 0);
    ASSERT_NE(dialog.DialogWindow(), nullptr);
    VIEW_Windows::Deliver(dialog.DialogWindow(), WM_USER + 5, 0, 0);
    EXPECT_EQ(VIEW_Recorder::RaisedToHost(), std::vector<PDFL_ErrorCode>{1});
    EXPECT_TRUE(IsWindow(dialog.DialogWindow()));
}

TEST_F(DialogTest, DestroyingTheObjectEndsItsDialogWindow) {
    HWND window = nullptr;
    PDFL_AVWindow host = nullptr;
    {
        TestDialog dialog;
        dialog.Create(XCHG_FreebieAboutDialog::DialogId, 0, false, 0);
        window = dialog.DialogWindow();
        host = dialog.HostWindow();
        ASSERT_NE(window, nullptr);
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(VIEW_Windows::IsAlive(host));
    EXPECT_TRUE(VIEW_Windows::ServedDialogs().empty());
    EXPECT_EQ(VIEW_Windows::LiveCount(), 0u);
}

TEST_F(DialogTest, ItemAccessors) {
    TestDialog dialog;
    dialog.Create(XCHG_FreebieAboutDialog::DialogId, 0, false, 0);
    ASSERT_NE(dialog.DialogWindow(), nullptr);
    char text[32] = {};
    dialog.SetItemInt(20002, -42);
    EXPECT_EQ(dialog.ItemText(20002, text, sizeof text), 3u);
    EXPECT_STREQ(text, "-42");
    dialog.PutItemText(20002, "put");
    dialog.ItemText(20002, text, sizeof text);
    EXPECT_STREQ(text, "put");
    HWND item = dialog.ItemHandle(20002);
    ASSERT_NE(item, nullptr);
    dialog.DisableItem(20002);
    EXPECT_FALSE(IsWindowEnabled(item));
    dialog.EnableItem(20002);
    EXPECT_TRUE(IsWindowEnabled(item));
    dialog.HideItem(20002);
    EXPECT_FALSE(IsWindowVisible(item));
    dialog.ShowItem(20002);
    EXPECT_TRUE(IsWindowVisible(item));
    EXPECT_EQ(dialog.ItemHandle(29999), nullptr);
    DestroyWindow(dialog.DialogWindow());
}

TEST_F(DialogTest, TheAboutBoxShowsItsVersionAndPictureAndAnyClickEndsIt) {
    const POINT places[] = {{3, 3}, {200, 150}, {20, 8}};  // picture, picture, version line
    for (const POINT& at : places) {
        SCOPED_TRACE(testing::Message() << at.x << "," << at.y);
        XCHG_FreebieAboutDialog about;
        std::string version;
        LRESULT image = 0;
        HWND seen = nullptr;
        bool pictureShown = false, versionShown = false;
        Win32Driver::OnModalDialog([&](HWND dialog) {
            seen = dialog;
            char text[64] = {};
            GetDlgItemTextA(dialog, 20002, text, sizeof text);
            version = text;
            image = SendDlgItemMessageA(dialog, 20003, STM_GETIMAGE, IMAGE_BITMAP, 0);
            // Shown with the box, and still no obstacle to the click.
            pictureShown = IsWindowVisible(GetDlgItem(dialog, 20003));
            versionShown = IsWindowVisible(GetDlgItem(dialog, 20002));
            Win32Driver::Click(dialog, at.x, at.y);
        });
        about.Show();
        EXPECT_EQ(version, "Quillark Version 2.0.7.11");
        EXPECT_NE(image, 0);
        EXPECT_TRUE(pictureShown);
        EXPECT_TRUE(versionShown);
        ASSERT_NE(seen, nullptr);
        EXPECT_FALSE(IsWindow(seen));
        EXPECT_FALSE(about.IsAlive());
        EXPECT_EQ(Win32Driver::ModalDialogs(), std::vector<UINT>{20000});
        Win32Driver::ClearModalDialogs();
    }
}

TEST_F(DialogTest, AboutItemWithoutADialogDoesNothingAndWithOneShowsIt) {
    XCHG_AboutMenuItem item;
    item.Create(20008, nullptr);
    const std::vector<std::string> items = VIEW_Menus::ItemsOf("AboutExtensions");
    ASSERT_EQ(items.size(), 1u);
    const std::string name = items[0];
    EXPECT_NE(name.find(":ExtensionAbout"), std::string::npos);
    EXPECT_TRUE(VIEW_Menus::Choose(name));
    EXPECT_TRUE(Win32Driver::ModalDialogs().empty());
    EXPECT_TRUE(AlertTexts().empty());
    XCHG_FreebieAboutDialog about;
    item.Create(20008, &about);
    Win32Driver::OnModalDialog([](HWND dialog) { Win32Driver::Click(dialog, 5, 5); });
    EXPECT_TRUE(VIEW_Menus::Choose(name));
    EXPECT_EQ(Win32Driver::ModalDialogs(), std::vector<UINT>{20000});
    item.Destroy();
    EXPECT_EQ(VIEW_Menus::Outstanding(), 0u);
}

TEST_F(DialogTest, WithoutAboutExtensionsTheItemIsInNoMenu) {
    VIEW_Menus::RemoveAboutExtensions();
    XCHG_AboutMenuItem item;
    item.Create(20008, nullptr);
    EXPECT_NE(item.HostItem(), nullptr);
    EXPECT_EQ(VIEW_Menus::Outstanding(), 0u);
    EXPECT_TRUE(VIEW_Menus::ItemsOf("AboutExtensions").empty());
    item.Destroy();
    EXPECT_EQ(item.HostItem(), nullptr);
}

TEST_F(DialogTest, DefaultExecuteShowsTheTitleCutToItsBuffer) {
    XCHG_AVMenuItemObj item;
    item.CreateItem(20900, "Long", 0, 0, 0);
    ASSERT_TRUE(VIEW_Menus::Choose(":Long"));
    ASSERT_EQ(AlertTexts().size(), 1u);
    EXPECT_EQ(AlertTexts()[0],
              "MenuItem: " + g_longTitle.substr(0, 99) + " Execute callback invoked");
}

}  // namespace
