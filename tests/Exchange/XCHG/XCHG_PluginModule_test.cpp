// The framework's tool, toolbar button, menu items, About box, Help item,
// window pair and dialogs made by the test plug-in module ZOVA.api, loaded
// as the host loads it and driven by the host's own events.
#include "support/PdfText.h"
#include "support/PluginLoaderTest.h"
#include "support/TestSupport.h"

#include "viewer/VIEW_AVDocs.h"
#include "viewer/VIEW_App.h"
#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_FileSys.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_HostError.h"
#include "viewer/VIEW_Loader.h"
#include "viewer/VIEW_Menus.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/VIEW_Recorder.h"
#include "viewer/VIEW_Toolbar.h"
#include "viewer/VIEW_Tools.h"
#include "viewer/VIEW_Windows.h"
#include "win32/win32_driver.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char* const Plugin = TINTSCOPE_TEST_PLUGIN;
const char* const ButtonName = "VELM:ZOVA_ColorSepToolButton";

class PluginModuleTest : public PluginLoaderTest {
protected:
    void SetUp() override {
        VIEW_Host::Reset();
        Win32Driver::ClearModalDialogs();
        EnterScratch();
    }
    void TearDown() override {
        LeaveScratch();
        Win32Driver::ClearModalDialogs();
        VIEW_Host::Reset();
    }
    void Load(const char* options, const std::string& path = Plugin) {
        setenv("TINTSCOPE_TEST_PLUGIN", options, 1);
        ASSERT_TRUE(m_loader.Load(path).Loaded());
    }
    static size_t CallsOf(int table, int slot) {
        size_t n = 0;
        for (const VIEW_Call& call : VIEW_Recorder::Calls())
            n += call.m_table == table && call.m_slot == slot;
        return n;
    }
    // Every callback the module destroyed, each checked to be destroyed once.
    static size_t CallbacksDestroyedOnce() {
        std::set<uint64_t> seen;
        for (const VIEW_Call& call : VIEW_Recorder::Calls())
            if (call.m_table == PDFL_CoreTable && call.m_slot == 9) {
                EXPECT_TRUE(seen.insert(call.m_args[0]).second) << "callback " << call.m_args[0] << " twice";
            }
        return seen.size();
    }
    static void OpenDocWithPermissions(uint32_t permissions) {
        VIEW_Recorder::SetResult(PDFL_AcroViewTable, 12, 0x51);
        VIEW_Recorder::SetResult(PDFL_AcroViewTable, 48, 0x52);
        VIEW_Recorder::SetResult(PDFL_PDModelTable, 114, permissions);
    }
    static std::string ItemOf(const std::string& menu, const std::string& part) {
        for (const std::string& name : VIEW_Menus::ItemsOf(menu))
            if (name.find(part) != std::string::npos)
                return name;
        return "";
    }
};

TEST_F(PluginModuleTest, TheToolButtonNeedsAToolAndAPermittedFrontDocument) {
    Load("tool");
    const std::vector<std::string> names = VIEW_Toolbar::Names();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[1], ButtonName);
    EXPECT_EQ(VIEW_Tools::RegisteredCount(), 1u);
    struct Case {
        const char* what;
        bool withDoc;
        uint32_t permissions;
        int32_t modifiers;
        std::vector<std::string> notes;
    } cases[] = {
        {"no front document", false, 8, 0, {}},
        {"no permission bit 8", true, 0xF7, 0, {}},
        {"permitted", true, 8, 0, {"activate 1 0"}},
        {"persistent by the modifier", true, 0x108, 8, {"activate 1 1"}},
        {"another modifier", true, 8, 0x10, {"activate 1 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VIEW_Recorder::Reset();
        VIEW_App::ClearAlerts();
        if (c.withDoc)
            OpenDocWithPermissions(c.permissions);
        VIEW_Recorder::SetResult(PDFL_AcroViewTable, 156, static_cast<uint32_t>(c.modifiers));
        EXPECT_EQ(VIEW_Toolbar::Press(ButtonName), !c.notes.empty());
        EXPECT_EQ(AlertTexts(), c.notes) << "IsActive is true inside Activate";
        EXPECT_EQ(VIEW_Toolbar::IsMarked(ButtonName), !c.notes.empty());
        if (c.notes.empty())
            continue;
        VIEW_App::ClearAlerts();
        VIEW_Tools::SetActiveTool(VIEW_Tools::DefaultTool(), 0);
        EXPECT_EQ(AlertTexts(), std::vector<std::string>{"deactivate 0"});
        EXPECT_FALSE(VIEW_Toolbar::IsMarked(ButtonName));
    }
    m_loader.Unload();
    EXPECT_EQ(VIEW_Toolbar::LiveCount(), 0u);
    EXPECT_EQ(VIEW_Toolbar::Names(), std::vector<std::string>{"endToolsGroup"});
}

TEST_F(PluginModuleTest, MenuItemsAndTheAboutBox) {
    Load("menus");
    // The plain item is in no menu; the About item is in the submenu.
    const std::string plain = "VELM_ZOVA_Separations:Plain";
    const std::string about = ItemOf("AboutExtensions", ":ExtensionAbout");
    ASSERT_FALSE(about.empty());

    EXPECT_TRUE(VIEW_Menus::Choose(plain));
    EXPECT_EQ(AlertTexts(),
              std::vector<std::string>{"MenuItem: the plug-in's seven Execute callback invoked"});

    const POINT places[] = {{3, 3}, {20, 8}};  // the picture, the version line
    for (const POINT& at : places) {
        SCOPED_TRACE(testing::Message() << at.x << "," << at.y);
        Win32Driver::ClearModalDialogs();
        std::string version;
        LRESULT image = 0;
        HWND seen = nullptr;
        Win32Driver::OnModalDialog([&](HWND dialog) {
            seen = dialog;
            char text[64] = {};
            GetDlgItemTextA(dialog, 20002, text, sizeof text);
            version = text;
            image = SendDlgItemMessageA(dialog, 20003, STM_GETIMAGE, IMAGE_BITMAP, 0);
            Win32Driver::Click(dialog, at.x, at.y);
        });
        EXPECT_TRUE(VIEW_Menus::Choose(about));
        EXPECT_EQ(version, "Quillark Version 2.0.7.11");
        EXPECT_NE(image, 0);
        ASSERT_NE(seen, nullptr);
        EXPECT_FALSE(IsWindow(seen)) << "a click ends the box";
        EXPECT_EQ(Win32Driver::ModalDialogs(), std::vector<UINT>{20000});
    }
    EXPECT_EQ(VIEW_Menus::Outstanding(), 0u);
    m_loader.Unload();
    EXPECT_TRUE(VIEW_Menus::ItemsOf("AboutExtensions").empty());
    EXPECT_THROW(VIEW_Menus::Choose(plain), VIEW_AssertionFailure) << "no such item any more";
    EXPECT_EQ(VIEW_Menus::Outstanding(), 0u);
    EXPECT_EQ(VIEW_Windows::LiveCount(), 0u);
}

class HelpFileTest : public PluginModuleTest {
protected:
    // The module in "<scratch>/plugins/", drive C being the scratch folder.
    std::string PlaceModule() {
        const std::string folder = m_scratch.Path() + "/plugins";
        EXPECT_EQ(mkdir(folder.c_str(), 0777), 0);
        WriteWholeFile(folder + "/ZOVA.api", ReadWholeFile(Plugin));
        VIEW_Paths::SetDriveRoot(m_scratch.Path());
        return folder;
    }
};

TEST_F(HelpFileTest, AMissingHelpFileIsNamedAfterTheRetryingOpensTenWaits) {
    PlaceModule();
    Load("help", m_scratch.Path() + "/plugins/ZOVA.api");
    const std::string help = ItemOf("UsingExtensions", ":ExtensionHelp");
    ASSERT_FALSE(help.empty());
    Win32Driver::ClearSleepCalls();
    const uint64_t start = Win32Driver::Now();
    EXPECT_TRUE(VIEW_Menus::Choose(help));
    EXPECT_EQ(AlertTexts(), std::vector<std::string>{
                                "Unable to find the help file:\r\rC:\\plugins\\Help\\ENU\\ColorSeparator.pdf"});
    EXPECT_EQ(Win32Driver::SleepCalls(), std::vector<DWORD>(10, 2000));
    EXPECT_EQ(Win32Driver::Now() - start, 20000u);
    EXPECT_EQ(VIEW_FileSys::OpenCount(), 0u);
    EXPECT_EQ(VIEW_Paths::LiveCount(), 0u) << "every path name made is released";
    EXPECT_EQ(VIEW_AVDocs::Count(), 0u);
}

TEST_F(HelpFileTest, AHelpFileInTheLanguageFolderIsOpened) {
    const std::string folder = PlaceModule();
    for (const char* part : {"/Help", "/Help/ENU"})
        ASSERT_EQ(mkdir((folder + part).c_str(), 0777), 0);
    WriteWholeFile(folder + "/Help/ENU/ColorSeparator.pdf",
                   PdfText("%PDF-1.4", {"<< /Type /Catalog /Pages 2 0 R >>",
                                        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>"}));
    Load("help", folder + "/ZOVA.api");
    Win32Driver::ClearSleepCalls();
    EXPECT_TRUE(VIEW_Menus::Choose(ItemOf("UsingExtensions", ":ExtensionHelp")));
    EXPECT_TRUE(AlertTexts().empty());
    EXPECT_TRUE(Win32Driver::SleepCalls().empty());
    EXPECT_EQ(VIEW_AVDocs::Count(), 1u);
}

class ModulePairTest : public PluginModuleTest {
protected:
    void LoadPair(const char* options) {
        Load(options);
        ASSERT_FALSE(AlertTexts().empty());
        std::istringstream note(AlertTexts()[0]);
        std::string word;
        uintptr_t first = 0;
        uintptr_t second = 0;
        note >> word >> first >> second;
        ASSERT_EQ(word, "pair");
        m_first = reinterpret_cast<PDFL_AVWindow>(first);
        m_second = reinterpret_cast<PDFL_AVWindow>(second);
        ASSERT_TRUE(VIEW_Windows::IsAlive(m_first));
        ASSERT_TRUE(VIEW_Windows::IsAlive(m_second));
        ASSERT_TRUE(VIEW_Windows::IsVisible(m_second));
    }
    // The first is closed; the second is hidden and ends with the module.
    void ExpectEverythingEndedOnce() {
        EXPECT_FALSE(VIEW_Windows::IsAlive(m_first));
        ASSERT_TRUE(VIEW_Windows::IsAlive(m_second));
        EXPECT_FALSE(VIEW_Windows::IsVisible(m_second));
        EXPECT_EQ(CallbacksDestroyedOnce(), 15u) << "the first's";
        m_loader.Unload();
        EXPECT_EQ(VIEW_Windows::LiveCount(), 0u);
        EXPECT_EQ(CallbacksDestroyedOnce(), 30u);
        EXPECT_EQ(CallsOf(PDFL_AcroViewTable, 184), 1u) << "only the second: the first was closed";
    }
    PDFL_AVWindow m_first = nullptr;
    PDFL_AVWindow m_second = nullptr;
};

TEST_F(ModulePairTest, ClosingTheFirstThroughTheHost) {
    LoadPair("pair");
    VIEW_Recorder::ClearCalls();
    EXPECT_TRUE(VIEW_Windows::Close(m_first, 1));
    ExpectEverythingEndedOnce();
}

TEST_F(ModulePairTest, ClosingTheFirstByItsPlatformWindow) {
    LoadPair("pair");
    const HWND platform = VIEW_Windows::PlatformThing(m_first);
    VIEW_Recorder::ClearCalls();
    VIEW_Windows::Deliver(platform, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(platform));
    EXPECT_TRUE(VIEW_Recorder::RaisedToHost().empty());
    ExpectEverythingEndedOnce();
}

TEST_F(ModulePairTest, TheModuleClosedWithTheSecondStillShown) {
    LoadPair("pair");
    const HWND first = VIEW_Windows::PlatformThing(m_first);
    const HWND second = VIEW_Windows::PlatformThing(m_second);
    VIEW_Recorder::ClearCalls();
    m_loader.Unload();
    EXPECT_EQ(VIEW_Windows::LiveCount(), 0u);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(CallbacksDestroyedOnce(), 30u);
    EXPECT_EQ(CallsOf(PDFL_AcroViewTable, 184), 2u);
}

class ModuleDialogTest : public PluginModuleTest {
protected:
    HWND LoadDialog(const char* options) {
        Load(options);
        const std::vector<HWND> served = VIEW_Windows::ServedDialogs();
        EXPECT_EQ(served.size(), 1u);
        return served.empty() ? nullptr : served[0];
    }
};

TEST_F(ModuleDialogTest, ACommandExceptionReachesTheHostWithItsCodeAndTheWindowLivesOn) {
    const HWND dialog = LoadDialog("dialog");
    ASSERT_NE(dialog, nullptr);
    struct Case {
        WORD id;
        WORD code;
        std::vector<PDFL_ErrorCode> raised;
    } cases[] = {
        {20002, 0, {4712}},
        {20002, 1, {4712}},
        {20002, 2, {}},  // no command: nothing thrown
        {7, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << "/" << c.code);
        VIEW_Recorder::Reset();
        const LRESULT answer = VIEW_Windows::Deliver(dialog, WM_COMMAND, MAKEWPARAM(c.id, c.code), 0);
        EXPECT_EQ(VIEW_Recorder::RaisedToHost(), c.raised);
        if (c.raised.empty()) {
            EXPECT_EQ(answer, 1);
        }
        EXPECT_TRUE(IsWindow(dialog));
    }
    EXPECT_EQ(VIEW_Windows::ServedDialogs(), std::vector<HWND>{dialog});
}

TEST_F(ModuleDialogTest, TheModuleClosedWhileADialogWindowExists) {
    const HWND dialog = LoadDialog("dialog pair");
    ASSERT_NE(dialog, nullptr);
    // The pair closed first, as above; then the module with the dialog open.
    const PDFL_AVWindow first = reinterpret_cast<PDFL_AVWindow>(std::strtoull(
        AlertTexts().at(0).substr(5).c_str(), nullptr, 10));
    ASSERT_TRUE(VIEW_Windows::Close(first, 1));
    ASSERT_TRUE(VIEW_Windows::Deliver(dialog, WM_COMMAND, MAKEWPARAM(20002, 0), 0) == 0);
    ASSERT_TRUE(IsWindow(dialog));
    VIEW_Recorder::ClearCalls();
    m_loader.Unload();
    EXPECT_FALSE(IsWindow(dialog)) << "nothing is left to call the closed module's procedures";
    EXPECT_TRUE(VIEW_Windows::ServedDialogs().empty());
    EXPECT_EQ(VIEW_Windows::LiveCount(), 0u);
    CallbacksDestroyedOnce();
    // Messages for the gone window reach nobody.
    EXPECT_EQ(SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(20002, 0), 0), 0);
    EXPECT_EQ(SendMessageA(dialog, WM_LBUTTONDOWN, 0, 0), 0);
}

}  // namespace
