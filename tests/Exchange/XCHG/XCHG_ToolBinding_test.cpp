// Tools, their toolbar button, toolbar buttons and menu items bound to the
// stand-in's tools, toolbar and menus.
#include "../../hostpdf/HostFixture.h"

#include "Exchange/XCHG/XCHG_AVMenuItemObj.h"
#include "Exchange/XCHG/XCHG_AVToolBarObj.h"
#include "Exchange/XCHG/XCHG_AVToolObj.h"
#include "Exchange/XCHG/XCHG_HelpMenuItem.h"
#include "Exchange/XCHG/XCHG_Plugin.h"
#include "Exchange/XCHG/XCHG_ToolButtonTool.h"
#include "viewer/VIEW_App.h"
#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Menus.h"
#include "viewer/VIEW_Toolbar.h"
#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_Tools.h"
#include "hostpdf/COSF_PDFL_Library.h"
#include "hostpdf/PDFL_BufferedFileSys.h"
#include "hostpdf/PDFL_RetryingFileSys.h"
#include "win32/win32_driver.h"

#include <climits>
#include <unistd.h>

#include <string>

namespace {

class TestTool : public XCHG_AVToolObj {
public:
    PDFL_ASAtom GetType() override { return 7; }
    void Activate(PDFL_Bool persistent) override {
        m_seenActive = IsActive();
        m_persistent = persistent;
    }
    void Deactivate() override { m_seenInactive = !IsActive(); }
    void OnRegister() override { ++m_registered; }
    void OnUnregister() override { ++m_unregistered; }
    PDFL_Bool ComputeEnabled() override { return m_enabled; }
    PDFL_Bool IsPersistent() override { return m_hostPersistent; }

    bool m_seenActive = false;
    bool m_seenInactive = false;
    PDFL_Bool m_persistent = 99;
    int m_registered = 0;
    int m_unregistered = 0;
    PDFL_Bool m_enabled = 1;
    PDFL_Bool m_hostPersistent = 0;
};

class NamedPlugin : public XCHG_Plugin {
public:
    const char* Name() const override { return "VELM"; }
};

class ToolBindingTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        InstallHandler(ThrowingHostErrorHandler);
    }
    static void OpenDocWithPermissions(uint32_t permissions) {
        VIEW_Recorder::SetResult(PDFL_AcroViewTable, 12, 0x51);
        VIEW_Recorder::SetResult(PDFL_AcroViewTable, 48, 0x52);
        VIEW_Recorder::SetResult(PDFL_PDModelTable, 114, permissions);
    }
    static size_t CallsOf(int table, int slot) {
        size_t n = 0;
        for (const auto& call : VIEW_Recorder::Calls())
            n += call.m_table == table && call.m_slot == slot;
        return n;
    }
};

TEST_F(ToolBindingTest, RegisterFillsThePointerSizedRecord) {
    TestTool tool;
    const size_t before = VIEW_Callbacks::LiveCount();
    tool.Register();
    const PDFL_AVToolRec& record = *tool.HostTool();
    EXPECT_EQ(record.m_size, 112u);
    EXPECT_EQ(record.m_unused, nullptr);
    EXPECT_EQ(record.m_computeEnabledData, tool.HostTool());
    EXPECT_EQ(VIEW_Callbacks::LiveCount(), before + 8);
    EXPECT_EQ(tool.m_registered, 1);
    EXPECT_EQ(VIEW_Tools::RegisteredCount(), 1u);
    tool.Unregister();
    EXPECT_EQ(VIEW_Callbacks::LiveCount(), before);
    EXPECT_EQ(tool.HostTool()->m_activate, nullptr);
}

TEST_F(ToolBindingTest, UnregisterOfANeverRegisteredToolOnlyRunsItsHook) {
    TestTool tool;
    tool.Unregister();
    EXPECT_EQ(tool.m_unregistered, 1);
    EXPECT_TRUE(VIEW_Recorder::Calls().empty());
}

TEST_F(ToolBindingTest, ComputeEnabledFindsTheObjectThroughTheClientDataWord) {
    TestTool tool;
    tool.Register();
    tool.m_enabled = 0;
    const PDFL_AVToolRec& record = *tool.HostTool();
    EXPECT_EQ(VIEW_InvokeCallback<PDFL_Bool(void*)>(record.m_computeEnabled,
                                                    record.m_computeEnabledData), 0);
    tool.m_enabled = 1;
    EXPECT_EQ(VIEW_InvokeCallback<PDFL_Bool(void*)>(record.m_computeEnabled,
                                                    record.m_computeEnabledData), 1);
    tool.Unregister();
}

TEST_F(ToolBindingTest, ButtonWithoutToolOrDocumentOrPermissionDoesNothing) {
    TestTool tool;
    tool.Register();
    struct Case {
        const char* what;
        bool withTool;
        bool withDoc;
        uint32_t permissions;
        bool pressed;
    } cases[] = {
        {"no tool", false, true, 8, false},
        {"no front document", true, false, 8, false},
        {"no permission bit 8", true, true, 0xF7, false},
        {"permitted", true, true, 8, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VIEW_Recorder::Reset();
        VIEW_Tools::Reset();
        VIEW_Tools::Register(tool.HostTool());
        if (c.withDoc)
            OpenDocWithPermissions(c.permissions);
        XCHG_ToolButtonTool button;
        button.Create(c.withTool ? &tool : nullptr, "VELM:ZOVA_ColorSepToolButton", 0, 0);
        EXPECT_EQ(VIEW_Toolbar::Press("VELM:ZOVA_ColorSepToolButton"), c.pressed);
        EXPECT_EQ(VIEW_Tools::ActiveTool() == tool.HostTool(), c.pressed);
        EXPECT_EQ(CallsOf(PDFL_AcroViewTable, 21), c.pressed ? 1u : 0u);
        button.Destroy();
    }
    tool.Unregister();
}

TEST_F(ToolBindingTest, PressActivatesWithAPersistentFlagOfExactlyZeroOrOne) {
    TestTool tool;
    tool.Register();
    struct Case {
        int32_t modifiers;
        PDFL_Bool hostPersistent;
        PDFL_Bool expected;
    } cases[] = {{0, 0, 0}, {8, 0, 1}, {0x10, 0, 0}, {0, 2, 1}, {0xFF, 1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modifiers);
        VIEW_Tools::SetActiveTool(VIEW_Tools::DefaultTool(), 0);
        OpenDocWithPermissions(8);
        VIEW_Recorder::SetResult(PDFL_AcroViewTable, 156, static_cast<uint32_t>(c.modifiers));
        tool.m_hostPersistent = c.hostPersistent;
        XCHG_ToolButtonTool button;
        button.Create(&tool, "VELM:ZOVA_ColorSepToolButton", 0, 0);
        VIEW_Recorder::ClearCalls();
        ASSERT_TRUE(VIEW_Toolbar::Press("VELM:ZOVA_ColorSepToolButton"));
        EXPECT_EQ(tool.m_persistent, c.expected);
        EXPECT_TRUE(tool.m_seenActive) << "active before its Activate runs";
        EXPECT_TRUE(VIEW_Toolbar::IsMarked("VELM:ZOVA_ColorSepToolButton"));
        for (const auto& call : VIEW_Recorder::Calls()) {
            if (call.m_table == PDFL_AcroViewTable && call.m_slot == 21) {
                EXPECT_EQ(call.m_args[1], c.expected);
            }
        }
        VIEW_Tools::SetActiveTool(VIEW_Tools::DefaultTool(), 0);
        EXPECT_TRUE(tool.m_seenInactive);
        EXPECT_FALSE(tool.IsActive());
        EXPECT_FALSE(VIEW_Toolbar::IsMarked("VELM:ZOVA_ColorSepToolButton"));
        button.Destroy();
    }
    tool.Unregister();
}

TEST_F(ToolBindingTest, ButtonsAreMadeOnceAndReleasedOnce) {
    XCHG_AVToolButtonObj never;
    never.Destroy();
    EXPECT_TRUE(VIEW_Recorder::Calls().empty()) << "no host call for a button never made";

    XCHG_AVToolButtonObj button;
    button.Create("VELM:Twice", 0, 0);
    button.Create("VELM:Twice", 0, 0);
    EXPECT_EQ(VIEW_Toolbar::LiveCount(), 1u);
    EXPECT_EQ(CallsOf(PDFL_AcroViewTable, 214), 0u) << "help id 0 sets no help text";

    XCHG_AVToolButtonObj separator;
    separator.CreateSeparator("VELM:ZOVA_Separator");
    const VIEW_ToolButton& made = VIEW_Toolbar::Button(separator.HostButton());
    EXPECT_TRUE(made.m_separator);
    EXPECT_EQ(made.m_icon, nullptr);
    EXPECT_EQ(made.m_execute, nullptr);
    EXPECT_EQ(made.m_computeEnabled, nullptr);

    XCHG_AVToolBarObj& toolBar = XCHG_MainToolBar::Instance();
    ASSERT_TRUE(toolBar.IsRoomFor(1, 1));
    toolBar.AddButtonAfter(separator, "endToolsGroup");
    toolBar.AddButton(button, separator);
    const std::vector<std::string> order = {"endToolsGroup", "VELM:ZOVA_Separator", "VELM:Twice"};
    EXPECT_EQ(VIEW_Toolbar::Names(), order);
    button.Destroy();
    separator.Destroy();
    EXPECT_EQ(VIEW_Toolbar::LiveCount(), 0u);
}

TEST_F(ToolBindingTest, AnUnknownHelpStringIsNamedInTheHelpText) {
    XCHG_AVToolButtonObj button;
    button.Create("VELM:Help", 0, 4242);
    EXPECT_EQ(VIEW_Toolbar::Button(button.HostButton()).m_helpText,
              "*** Unknown string ID: 4242 ***");
    button.Destroy();
}

TEST_F(ToolBindingTest, WithoutAToolbarNothingIsPlaced) {
    VIEW_Toolbar::RemoveMainToolBar();
    XCHG_AVToolButtonObj button;
    button.Create("VELM:Lonely", 0, 0);
    VIEW_Recorder::ClearCalls();
    XCHG_AVToolBarObj& toolBar = XCHG_MainToolBar::Instance();
    toolBar.AddButtonAfter(button, "endToolsGroup");
    toolBar.AddButton(button, button);
    EXPECT_EQ(toolBar.IsRoomFor(1, 1), 0);
    for (const auto& call : VIEW_Recorder::Calls()) {
        if (call.m_table != PDFL_CoreTable) {
            EXPECT_EQ(call.m_slot, 17) << "only the toolbar was asked for";
        }
    }
    button.Destroy();
}

TEST_F(ToolBindingTest, DefaultExecuteTextsAreCutNeverOverrun) {
    const std::string longName(300, 'n');
    XCHG_AVToolButtonObj button;
    button.Create(longName.c_str(), 0, 0);
    VIEW_Toolbar::Press(longName);
    ASSERT_EQ(VIEW_App::Alerts().size(), 1u);
    const std::string shown = VIEW_App::Alerts()[0].m_text;
    EXPECT_EQ(shown.size(), 259u);
    EXPECT_EQ(shown, ("ToolButton: " + longName).substr(0, 259));
    button.Destroy();

    NamedPlugin plugin;
    VIEW_App::ClearAlerts();
    XCHG_AVMenuItemObj item;
    item.Create(4343, "Long", nullptr, 0, 0, 0);
    const std::string title(150, 't');
    // The host reports the title it was given; make it 150 characters.
    item.Destroy();
    const PDFL_AVMenuItem hostItem = VIEW_Menus::NewItem(title.c_str(), "VELM:Long", nullptr, 0,
                                                         nullptr);
    char copied[100];
    VIEW_Menus::Title(hostItem, copied, sizeof copied);
    EXPECT_EQ(std::string(copied), title.substr(0, 99));
    VIEW_Menus::RemoveItem(hostItem);
}

TEST_F(ToolBindingTest, MenuItemsAreRemadeAndChosenByName) {
    NamedPlugin plugin;
    XCHG_AVMenuItemObj item;
    item.Create(4343, "Plain", nullptr, 0, 0, 0);
    item.Create(4343, "Plain", nullptr, 0, 0, 0);
    EXPECT_EQ(VIEW_Menus::LiveItemCount(), 1u) << "the old host item was removed first";
    EXPECT_TRUE(VIEW_Menus::Choose("VELM:Plain"));
    ASSERT_EQ(VIEW_App::Alerts().size(), 1u);
    EXPECT_EQ(VIEW_App::Alerts()[0].m_text,
              "MenuItem: *** Unknown string ID: 4343 *** Execute callback invoked");
    item.Destroy();
    EXPECT_EQ(VIEW_Menus::LiveItemCount(), 0u);
}

TEST_F(ToolBindingTest, MissingHelpFileIsNamedInPlatformForm) {
    NamedPlugin plugin;
    EXPECT_EQ(XCHG_HelpMenuItem::PlatformPath("/C/plugins/Help/ENU/ColorSeparator.pdf"),
              "C:\\plugins\\Help\\ENU\\ColorSeparator.pdf");
    EXPECT_EQ(XCHG_HelpMenuItem::PlatformPath("rel/x.pdf"), "rel\\x.pdf");
    XCHG_HelpMenuItem help;
    help.Create(1400, "ColorSeparator.pdf");
    EXPECT_EQ(VIEW_Menus::ItemsOf("UsingExtensions"),
              std::vector<std::string>{"VELM:ExtensionHelpVELM"});
    help.Destroy();
}

TEST_F(ToolBindingTest, MissingHelpFileIsReportedAfterTheRetryingOpenGivesUp) {
    // The module is this program: its folder is the help folder's parent.
    char self[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
    const std::string program = self;
    const size_t slash = program.find_last_of('/');
    VIEW_App::SetExtensionFileName(program.substr(slash + 1));
    std::string folder = "C:" + program.substr(0, slash + 1);
    for (char& c : folder)
        if (c == '/')
            c = '\\';
    iPDFL_ForgetBufferedFileSys();
    iPDFL_ForgetRetryingFileSys();
    Win32Driver::ClearSleepCalls();
    const uint64_t start = Win32Driver::Now();
    // The plug-in's own handler: a failed open arrives as a GLIB_Exception.
    InstallHandler(&COSF_PDFL_Library::HostErrorHandler);

    NamedPlugin plugin;
    XCHG_HelpMenuItem help;
    help.Create(1400, "NoSuchHelp_ColorSeparator.pdf");
    EXPECT_TRUE(VIEW_Menus::Choose("VELM:ExtensionHelpVELM"));
    ASSERT_EQ(VIEW_App::Alerts().size(), 1u);
    EXPECT_EQ(VIEW_App::Alerts()[0].m_text, "Unable to find the help file:\r\r" + folder +
                                                "Help\\ENU\\NoSuchHelp_ColorSeparator.pdf");
    EXPECT_EQ(Win32Driver::SleepCalls(), std::vector<DWORD>(10, 2000));
    EXPECT_EQ(Win32Driver::Now() - start, 20000u);
    EXPECT_EQ(VIEW_FileSys::OpenCount(), 0u);
    help.Destroy();
    iPDFL_ForgetBufferedFileSys();
    iPDFL_ForgetRetryingFileSys();
}

}  // namespace
