// The test plug-in module: a plug-in object over the framework, its own
// strings and "PDCL" colours. TINTSCOPE_TEST_PLUGIN chooses what it does:
// "null-object" makes the factory answer null; "report" makes Initialize
// show, one note each, what the framework found (name, folder, strings,
// colours); "log" makes it log a warning and print "ab", then "c\n".
// The framework's host objects, made in Initialize and ended in Unload:
// "tool" a tool and its toolbar button "VELM:ZOVA_ColorSepToolButton",
// noting "activate <IsActive> <persistent>" and "deactivate <IsActive>";
// "menus" a plain item and the About item with its box; "help" the Help
// item for "ColorSeparator.pdf"; "pair" two windows, the first's DidClose
// hiding the second, the second's DidHide destroying the first, noted as
// "pair <first> <second>" (host windows as numbers); "dialog" a modeless
// dialog whose Command throws code 4712 for item 20002, whose host window
// Unload destroys and whose own window lives until the module is closed.
#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_AVToolBarObj.h"
#include "Exchange/XCHG/XCHG_AVToolObj.h"
#include "Exchange/XCHG/XCHG_AboutMenuItem.h"
#include "Exchange/XCHG/XCHG_Dialog.h"
#include "Exchange/XCHG/XCHG_FreebieAboutDialog.h"
#include "Exchange/XCHG/XCHG_HelpMenuItem.h"
#include "Exchange/XCHG/XCHG_ToolButtonTool.h"
#include "Exchange/XCHG/XCHG_DebugLog.h"
#include "Exchange/XCHG/XCHG_ModuleInfo.h"
#include "Exchange/XCHG/XCHG_Plugin.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "hostpdf/PDFL_ExceptionHandler.h"
#include "viewer/VIEW_HostError.h"
#include "win32/win32_resources.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const Win32StringResource g_strings[] = {
    {7, "the plug-in's seven"},
    {30001, "only in the plug-in"},
};

const int16_t g_outline[] = {1, 0, 255, 0, 0};
const int16_t g_sevenValues[] = {2, 128, 0, 255, 64, 9, 9};

const Win32CustomResource g_custom[] = {
    {"PDCL", 1301, g_outline, sizeof g_outline},
    {"PDCL", 1302, g_sevenValues, sizeof g_sevenValues},
};

const Win32ResourceTables g_tables = [] {
    Win32ResourceTables tables;
    tables.m_strings = g_strings;
    tables.m_stringCount = sizeof g_strings / sizeof g_strings[0];
    tables.m_custom = g_custom;
    tables.m_customCount = sizeof g_custom / sizeof g_custom[0];
    return tables;
}();

const Win32ResourceRegistration g_registration(g_tables);

bool Chosen(const char* option) {
    const char* options = std::getenv("TINTSCOPE_TEST_PLUGIN");
    return options && std::strstr(options, option);
}

void Report(const std::string& text) {
    XCHG_AVAlertNote(text.c_str());
}

std::string String(uint32_t id) {
    char text[256];
    return XCHG_LoadString(id, text, sizeof text);
}

std::string Color(uint16_t id) {
    PDFL_PDColorValueRec color;
    XCHG_LoadColor(id, &color);
    char text[128];
    std::snprintf(text, sizeof text, "%d %d %d %d %d", color.m_space, color.m_value[0], color.m_value[1],
                  color.m_value[2], color.m_value[3]);
    return text;
}

std::string Number(const void* handle) {
    return std::to_string(reinterpret_cast<uintptr_t>(handle));
}

class TestTool : public XCHG_AVToolObj {
public:
    PDFL_ASAtom GetType() override { return PDFL_ASAtomFromString("VELM:ZOVA_ColorSepTool"); }
    void Activate(PDFL_Bool persistent) override {
        Report("activate " + std::to_string(IsActive()) + " " + std::to_string(persistent));
    }
    void Deactivate() override { Report("deactivate " + std::to_string(IsActive())); }
};

class PairWindow : public XCHG_AVWindowObj {
public:
    void DidClose() override {
        if (m_hideOnClose)
            m_hideOnClose->Hide();
    }
    void DidHide() override {
        if (m_destroyOnHide)
            m_destroyOnHide->Destroy();
    }
    PairWindow* m_hideOnClose = nullptr;
    PairWindow* m_destroyOnHide = nullptr;
};

class ThrowingDialog : public XCHG_Dialog {
public:
    void Command(uint16_t id, int32_t) override {
        if (id == XCHG_FreebieAboutDialog::VersionItem)
            throw GLIB_Exception(4712, "command", __FILE__, __LINE__);
    }
};

class TestPlugin : public XCHG_Plugin {
public:
    // The stand-in host raises by unwinding: the barriers let it pass.
    TestPlugin() { PDFL_SetHostRaiseTest(&VIEW_IsHostRaise); }
    const char* Name() const override { return "VELM_ZOVA_Separations"; }
    bool Unload() override {
        m_button.Destroy();
        m_tool.Unregister();
        m_plain.Destroy();
        m_about.Destroy();
        m_help.Destroy();
        m_first.Destroy();
        m_second.Destroy();
        m_dialog.Destroy();
        return true;
    }
    bool Initialize() override {
        if (Chosen("tool")) {
            m_tool.Register();
            m_button.Create(&m_tool, "VELM:ZOVA_ColorSepToolButton", 0, 0);
            XCHG_MainToolBar::Instance().AddButtonAfter(m_button, "endToolsGroup");
        }
        if (Chosen("menus")) {
            m_plain.CreateItem(7, "Plain", 0, 0, 0);
            m_about.Create(XCHG_FreebieAboutDialog::VersionString, &m_aboutBox);
        }
        if (Chosen("help"))
            m_help.Create(7, "ColorSeparator.pdf");
        if (Chosen("pair")) {
            m_first.Create(0, 0);
            m_second.Create(0, 0);
            m_second.Show();
            m_first.m_hideOnClose = &m_second;
            m_second.m_destroyOnHide = &m_first;
            Report("pair " + Number(m_first.HostWindow()) + " " + Number(m_second.HostWindow()));
        }
        if (Chosen("dialog"))
            m_dialog.Create(XCHG_FreebieAboutDialog::DialogId, 0, false, 0);
        if (Chosen("log")) {
            GLIB_LOG(GLIB_LogWarning, "from the test plug-in");
            XCHG_DebugPrint("ab");
            XCHG_DebugPrint("c\n");
        }
        if (Chosen("report")) {
            XCHG_ModuleInfo& info = XCHG_ModuleInfo::Instance();
            Report("name " + ModuleName());
            Report("folder " + ModuleDirectory());
            Report(std::string("locale ") + (info.LocaleLibrary() ? "loaded" : "none"));
            for (uint32_t id : {7u, 30001u, 20010u, 4242u})
                Report("string " + std::to_string(id) + " " + String(id));
            for (uint16_t id : {1301, 1302, 1303})
                Report("color " + std::to_string(id) + " " + Color(id));
        }
        return true;
    }

private:
    TestTool m_tool;
    XCHG_ToolButtonTool m_button;
    XCHG_AVMenuItemObj m_plain;
    XCHG_FreebieAboutDialog m_aboutBox;
    XCHG_AboutMenuItem m_about;
    XCHG_HelpMenuItem m_help;
    PairWindow m_first;
    PairWindow m_second;
    ThrowingDialog m_dialog;
};

}  // namespace

XCHG_Plugin* XCHG_PluginObject() {
    if (Chosen("null-object"))
        return nullptr;
    static TestPlugin plugin;
    return &plugin;
}
