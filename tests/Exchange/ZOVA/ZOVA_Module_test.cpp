// The plug-in module ZOVA.api loaded as the host loads it: what it
// registers with and without room on the toolbar, its preferences at quit,
// nothing of it left in the host after Unload, loading it twice in one
// process, its one exported symbol and its resources.
#include "ZOVA_ExpectedStrings.h"
#include "support/PluginLoaderTest.h"
#include "support/TestSupport.h"

#include "../../viewer/cos/VCOS_TestPdf.h"
#include "hostpdf/COSF_PDFL_Library.h"
#include "viewer/VIEW_AVDocs.h"
#include "viewer/VIEW_App.h"
#include "viewer/VIEW_Atoms.h"
#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_Loader.h"
#include "viewer/VIEW_Menus.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/VIEW_Recorder.h"
#include "viewer/VIEW_Toolbar.h"
#include "viewer/VIEW_Tools.h"
#include "viewer/VIEW_Windows.h"
#include "win32/TmpDirScope.h"
#include "win32/win32_driver.h"
#include "win32/win32_resources.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const Module = TINTSCOPE_ZOVA_MODULE;

// The framework's life-cycle callbacks, which the host holds while it
// unloads the module: the set-up's handshake, the four stages of the
// handshake record and the two application notifications.
constexpr size_t LifeCycleCallbacks = 7;


class ModuleTest : public PluginLoaderTest {
protected:
    void SetUp() override {
        VIEW_Host::Reset();
        Win32Driver::SetAppDataFolder(m_prefs.Path());
    }
    void TearDown() override {
        CloseModule();
        Win32Driver::SetAppDataFolder("");
        VIEW_Toolbar::SetRoom(true);
        VIEW_Host::Reset();
    }

    // A page as the front document: the tool button wants one. Blank
    // unless content is given.
    void OpenFrontDocument(const std::string& content = "") {
        const std::string path = m_docs.File("page" + std::to_string(++m_opened) + ".pdf");
        const std::string page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << >>";
        std::vector<std::string> objects{"<< /Type /Catalog /Pages 2 0 R >>",
                                         "<< /Type /Pages /Kids [3 0 R] /Count 1 >>", page + " >>"};
        if (!content.empty()) {
            objects[2] = page + " /Contents 4 0 R >>";
            objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                              "\nendstream");
        }
        WriteWholeFile(path, VCOS_MakePdf("%PDF-1.4", objects));
        const PDFL_ASPathName name = VIEW_Paths::Make(path);
        const PDFL_PDDoc doc = VIEW_PD::DocOpen(name, nullptr);
        VIEW_Paths::Release(name);
        VIEW_AVDocs::OpenFromPDDoc(doc, "blank");
    }
    // The main toolbar's names from "endToolsGroup" on.
    static std::vector<std::string> ToolbarFromToolsGroup() {
        const std::vector<std::string> names = VIEW_Toolbar::Names();
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == "endToolsGroup")
                return std::vector<std::string>(names.begin() + i, names.end());
        return {};
    }
    // Each of the module's menu items (by its name's extension part) with
    // its title, in menu order.
    static std::vector<std::string> ModuleItems(const std::string& menu) {
        std::vector<std::string> items;
        for (const std::string& name : VIEW_Menus::ItemsOf(menu)) {
            if (name.find("VELM_ZOVA_Separations") == std::string::npos)
                continue;
            const PDFL_AVMenuItem item = VIEW_Menus::AcquireItemByName(VIEW_Menus::Menubar(), name.c_str());
            char title[128] = {};
            VIEW_Menus::Title(item, title, sizeof title);
            VIEW_Menus::ReleaseItem(item);
            items.push_back(std::string(title));
        }
        return items;
    }

    // The live host window titled title, else null.
    static HWND HostWindowTitled(const std::string& title) {
        for (HWND window : VIEW_Windows::PlatformWindows()) {
            char text[128] = {};
            GetWindowTextA(window, text, sizeof text);
            if (title == text)
                return window;
        }
        return nullptr;
    }
    static std::string ItemText(HWND dialog, int id) {
        char text[128] = {};
        GetWindowTextA(GetDlgItem(dialog, id), text, sizeof text);
        return text;
    }

    ScratchDir m_prefs;
    ScratchDir m_docs;
    TmpDirScope m_tmp;
    int m_opened = 0;
};

TEST_F(ModuleTest, WithRoomTheToolItsButtonAndSeparatorFollowTheToolsGroup) {
    ASSERT_TRUE(m_loader.Load(Module).Loaded());
    EXPECT_EQ(ToolbarFromToolsGroup(),
              (std::vector<std::string>{"endToolsGroup", "VELM:ZOVA_ColorSepToolButton", "VELM:ZOVA_Separator"}));
    const VIEW_ToolButton& button = VIEW_Toolbar::Button(VIEW_Toolbar::Find("VELM:ZOVA_ColorSepToolButton"));
    EXPECT_TRUE(button.m_hasHelpText);
    EXPECT_EQ(button.m_helpText, "Quillark Tintscope Tool");
    ASSERT_NE(button.m_icon, nullptr);
    BITMAP icon{};
    ASSERT_NE(GetObjectA(reinterpret_cast<HGDIOBJ>(button.m_icon), sizeof icon, &icon), 0);
    EXPECT_EQ(icon.bmWidth, 16) << "bitmap 1001";
    EXPECT_FALSE(VIEW_Toolbar::Button(VIEW_Toolbar::Find("VELM:ZOVA_Separator")).m_icon);
    EXPECT_TRUE(VIEW_Toolbar::Button(VIEW_Toolbar::Find("VELM:ZOVA_Separator")).m_separator);

    ASSERT_EQ(VIEW_Tools::RegisteredCount(), 1u);
    // Pressing the button makes the module's tool active; its type names it.
    OpenFrontDocument();
    EXPECT_TRUE(VIEW_Toolbar::Press("VELM:ZOVA_ColorSepToolButton"));
    const PDFL_AVTool tool = VIEW_Tools::ActiveTool();
    ASSERT_NE(tool, VIEW_Tools::DefaultTool());
    const PDFL_ASAtom type = VIEW_InvokeCallback<PDFL_ASAtom(PDFL_AVTool)>(tool->m_getType, tool);
    EXPECT_STREQ(VIEW_Atoms::GetString(type), "VELM:ZOVA_ColorSepTool");

    EXPECT_EQ(ModuleItems("UsingExtensions"), (std::vector<std::string>{"Quillark Tintscope..."}));
    EXPECT_EQ(ModuleItems("AboutExtensions"), (std::vector<std::string>{"Quillark Tintscope..."}));
    EXPECT_EQ(AlertTexts(), std::vector<std::string>());
}

TEST_F(ModuleTest, AHostErrorInASeparationsWindowCommandReachesTheHostWithItsCode) {
    ASSERT_TRUE(m_loader.Load(Module).Loaded());
    OpenFrontDocument();
    ASSERT_TRUE(VIEW_Toolbar::Press("VELM:ZOVA_ColorSepToolButton"));
    const std::vector<HWND> served = VIEW_Windows::ServedDialogs();
    ASSERT_EQ(served.size(), 1u) << "the Separations window";
    const HWND dialog = served[0];
    // Magnification chosen: the first viewer call it makes fails next time.
    const WPARAM chosen = MAKEWPARAM(1020, CBN_SELCHANGE);
    VIEW_Recorder::Reset();
    EXPECT_EQ(VIEW_Windows::Deliver(dialog, WM_COMMAND, chosen, 0), 1);
    ASSERT_TRUE(VIEW_Recorder::RaisedToHost().empty());
    // The first viewer call, past the frame slots the module brackets each
    // call with.
    VIEW_Call first{-1, -1, {}};
    for (const VIEW_Call& call : VIEW_Recorder::Calls())
        if (call.m_table != PDFL_CoreTable || call.m_slot > 4) {
            first = call;
            break;
        }
    ASSERT_NE(first.m_table, -1);
    VIEW_Recorder::Reset();
    VIEW_Recorder::InjectFault(first.m_table, first.m_slot, 4713);
    VIEW_Windows::Deliver(dialog, WM_COMMAND, chosen, 0);
    // The dialog procedure raises the library's host-error exception with
    // its code; the window subclass around it must let that raise pass,
    // not replace it with its own code 1.
    EXPECT_EQ(VIEW_Recorder::RaisedToHost(), std::vector<PDFL_ErrorCode>{COSF_PDFL_Library::HostErrorCode})
        << "not a barrier's code of its own";
    EXPECT_TRUE(IsWindow(dialog));
    VIEW_Recorder::Reset();
    EXPECT_EQ(VIEW_Windows::Deliver(dialog, WM_COMMAND, chosen, 0), 1) << "the window works on";
    EXPECT_TRUE(VIEW_Recorder::RaisedToHost().empty());
}

TEST_F(ModuleTest, WithoutRoomOnlyTheHelpAndAboutItems) {
    const std::vector<std::string> before = VIEW_Toolbar::Names();
    VIEW_Toolbar::SetRoom(false);
    ASSERT_TRUE(m_loader.Load(Module).Loaded());
    EXPECT_EQ(VIEW_Toolbar::Names(), before);
    EXPECT_EQ(VIEW_Tools::RegisteredCount(), 0u);
    EXPECT_EQ(VIEW_Toolbar::Find("VELM:ZOVA_Separator"), nullptr);
    EXPECT_EQ(ModuleItems("UsingExtensions"), (std::vector<std::string>{"Quillark Tintscope..."}));
    EXPECT_EQ(ModuleItems("AboutExtensions"), (std::vector<std::string>{"Quillark Tintscope..."}));
    // Unloading what was never registered is quiet too.
    EXPECT_TRUE(m_loader.Unload());
    EXPECT_EQ(m_loader.CallbacksLeftAtClose(), LifeCycleCallbacks);
    EXPECT_EQ(AlertTexts(), std::vector<std::string>());
}

TEST_F(ModuleTest, QuitWritesThePreferencesUnderTheExtensionName) {
    ASSERT_TRUE(m_loader.Load(Module).Loaded());
    EXPECT_EQ(m_prefs.List(), std::vector<std::string>());
    EXPECT_TRUE(m_loader.Unload());
    const std::string prefs = ReadWholeFile(m_prefs.File("ZOVA.pref"));
    EXPECT_EQ(prefs.rfind("%VelmDornapPrefs-1.0", 0), 0u);
    EXPECT_NE(prefs.find("/VELM_ZOVA_Separations"), std::string::npos) << prefs;
}

TEST_F(ModuleTest, AfterUnloadNothingOfTheModuleStaysInTheHost) {
    const size_t hostButtons = VIEW_Toolbar::LiveCount();
    const size_t hostItems = VIEW_Menus::LiveItemCount();
    ASSERT_TRUE(m_loader.Load(Module).Loaded());
    // Its windows exist and are shown once the tool is picked.
    OpenFrontDocument();
    EXPECT_TRUE(VIEW_Toolbar::Press("VELM:ZOVA_ColorSepToolButton"));
    EXPECT_GT(VIEW_Windows::LiveCount(), 0u);
    EXPECT_TRUE(m_loader.Unload());
    EXPECT_EQ(m_loader.CallbacksLeftAtClose(), LifeCycleCallbacks) << "callbacks the module's Unload left";
    EXPECT_EQ(VIEW_Callbacks::LiveCount(), 0u);
    EXPECT_EQ(VIEW_Toolbar::LiveCount(), hostButtons);
    EXPECT_EQ(VIEW_Menus::LiveItemCount(), hostItems);
    EXPECT_EQ(VIEW_Windows::LiveCount(), 0u);
    EXPECT_EQ(VIEW_Tools::RegisteredCount(), 0u);
    EXPECT_EQ(VIEW_Tools::ActiveTool(), VIEW_Tools::DefaultTool());
    EXPECT_EQ(AlertTexts(), std::vector<std::string>());
}

TEST_F(ModuleTest, LoadsUnloadsAndLoadsAgainInOneProcess) {
    // Cyan on the page's lower left quarter.
    const char* const cyanQuarter = "1 0 0 0 k 0 0 306 396 re f";
    const uint32_t cyan = 0x00A1C7, white = 0xFFFFFF, grey = 0x646464;
    std::vector<Win32Driver::Image> shown;
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        const size_t docs = VIEW_PD::OpenDocCount();
        ASSERT_TRUE(m_loader.Load(Module).Loaded());
        EXPECT_EQ(ToolbarFromToolsGroup().size(), 3u);
        OpenFrontDocument(cyanQuarter);
        const size_t pages = VIEW_PD::AcquiredPageCount();
        EXPECT_TRUE(VIEW_Toolbar::Press("VELM:ZOVA_ColorSepToolButton"));
        const std::vector<HWND> served = VIEW_Windows::ServedDialogs();
        ASSERT_EQ(served.size(), 1u) << "the Separations window";
        const HWND dialog = served[0];
        const HWND view = HostWindowTitled("Tintscope");
        ASSERT_NE(view, nullptr) << "the view window";
        // Out of the way of the dialog's Update button.
        SetWindowPos(view, nullptr, 600, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Win32Driver::Pump();
        EXPECT_EQ(ItemText(dialog, 1021), "Needs Update");
        // Fit, the resolution list's first entry: the whole page is shown.
        Win32Driver::ChooseComboEntry(GetDlgItem(dialog, 1002), 0);
        Win32Driver::Pump();
        Win32Driver::PressButton(GetDlgItem(dialog, 1022));
        for (int pumps = 0; pumps < 100 && ItemText(dialog, 1021) != "Ready"; ++pumps)
            Win32Driver::Pump();
        ASSERT_EQ(ItemText(dialog, 1021), "Ready");

        // At Fit the page lies in the window's middle on grey, a quarter of
        // it cyan and the rest white.
        const Win32Driver::Image image = Win32Driver::Snapshot(view);
        size_t cyans = 0, whites = 0, greys = 0, others = 0;
        for (size_t i = 0; i + 3 < image.m_pixels.size(); i += 4) {
            const uint32_t pixel = (image.m_pixels[i] << 16) | (image.m_pixels[i + 1] << 8) | image.m_pixels[i + 2];
            cyans += pixel == cyan;
            whites += pixel == white;
            greys += pixel == grey;
            others += pixel != cyan && pixel != white && pixel != grey;
        }
        const double page = double(cyans + whites + others);
        EXPECT_GT(page, 1000.0);
        EXPECT_GT(greys, 0u);
        EXPECT_NEAR(cyans / page, 0.25, 0.02);
        EXPECT_NEAR(whites / page, 0.75, 0.02);
        shown.push_back(image);

        EXPECT_TRUE(m_loader.Unload());
        EXPECT_EQ(m_loader.CallbacksLeftAtClose(), LifeCycleCallbacks);
        EXPECT_EQ(VIEW_Tools::RegisteredCount(), 0u);
        // Nothing of the module is left in the host or in TMPDIR.
        EXPECT_EQ(VIEW_Callbacks::LiveCount(), 0u);
        EXPECT_EQ(VIEW_Windows::LiveCount(), 0u);
        EXPECT_EQ(VIEW_Windows::ServedDialogs(), std::vector<HWND>());
        EXPECT_EQ(VIEW_PD::OpenDocCount(), docs + 1) << "only the front document";
        EXPECT_EQ(VIEW_PD::AcquiredPageCount(), pages) << "only the front page view's";
        EXPECT_EQ(m_tmp.Dir().List(), std::vector<std::string>());
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].m_pixels, shown[0].m_pixels) << "the second load shows what the first did";
    EXPECT_EQ(AlertTexts(), std::vector<std::string>());
}

TEST(ZOVA_ModuleFile, ExportsOnlyPlugInMain) {
    const std::string command = std::string("nm -D --defined-only '") + Module + "'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<std::string> symbols;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::string address, kind, name;
        fields >> address >> kind >> name;
        symbols.push_back(name);
    }
    ASSERT_EQ(pclose(pipe), 0) << command;
    EXPECT_EQ(symbols, std::vector<std::string>{"PlugInMain"});
}

TEST_F(ModuleTest, EveryResourceLoadsFromTheModule) {
    ASSERT_TRUE(m_loader.Load(Module).Loaded());
    const HMODULE module = m_loader.Module();
    for (const ZOVA_ExpectedString& row : kZOVA_ExpectedStrings) {
        SCOPED_TRACE(row.m_id);
        char text[512] = {};
        const int length = LoadStringA(module, row.m_id, text, sizeof text);
        EXPECT_EQ(std::string(text, length > 0 ? length : 0), row.m_text);
    }
    for (UINT bitmap : {1001u, 1004u, 1005u}) {
        SCOPED_TRACE(bitmap);
        const HBITMAP loaded = LoadBitmapA(module, MAKEINTRESOURCEA(bitmap));
        EXPECT_NE(loaded, nullptr);
        DeleteObject(loaded);
    }
    EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(1301), "PDCL"), nullptr);
    const Win32DialogResource* dialog = Win32FindDialog(module, 401);
    ASSERT_NE(dialog, nullptr);
    EXPECT_STREQ(dialog->m_caption, "Separations");
}

}  // namespace
