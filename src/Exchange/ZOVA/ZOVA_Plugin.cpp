// The object model's initialisation counter comes with its header, first:
// the memory document must exist before any module object.
#include "GLOB/GLOB_ObjectFactory.h"

#include "Exchange/ZOVA/ZOVA_Plugin.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_AVToolBarObj.h"
#include "Exchange/XCHG/XCHG_AboutMenuItem.h"
#include "Exchange/XCHG/XCHG_FreebieAboutDialog.h"
#include "Exchange/XCHG/XCHG_HelpMenuItem.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "Exchange/XCHG/XCHG_ToolButtonTool.h"
#include "Exchange/ZOVA/ZOVA_ColorSepTool.h"
#include "Exchange/ZOVA/ZOVA_Resources.h"

namespace {

constexpr const char* ToolButtonName = "VELM:ZOVA_ColorSepToolButton";
constexpr const char* SeparatorName = "VELM:ZOVA_Separator";
constexpr const char* HostToolsGroupEnd = "endToolsGroup";
constexpr const char* HelpFileName = "ColorSeparator.pdf";

// Built in this order, destroyed in the reverse one.
ZOVA_ColorSepTool g_tool;
XCHG_ToolButtonTool g_toolButton;
XCHG_AVToolButtonObj g_separator;
XCHG_HelpMenuItem g_helpItem;
XCHG_AboutMenuItem g_aboutItem;
XCHG_FreebieAboutDialog g_aboutDialog;

// Keeps the resource tables in every module that links this unit.
__attribute__((used)) const int* const g_resourcesLinked[] = {&gZOVA_ResourcesLinked,
                                                              &gXCHG_FrameworkStringsLinked};

}  // namespace

ZOVA_Plugin& ZOVA_Plugin::Instance() {
    static ZOVA_Plugin plugin;
    return plugin;
}

ZOVA_ColorSepTool& ZOVA_Plugin::Tool() {
    return g_tool;
}

bool ZOVA_Plugin::Initialize() {
    m_preferences.Open(nullptr);
    XCHG_MainToolBar& toolBar = XCHG_MainToolBar::Instance();
    if (toolBar.IsRoomFor(1, 1)) {
        g_tool.Register();
        g_toolButton.Create(&g_tool, ToolButtonName, ZOVA_BitmapToolButton, ZOVA_StringToolHelp);
        g_separator.CreateSeparator(SeparatorName);
        toolBar.AddButtonAfter(g_toolButton, HostToolsGroupEnd);
        toolBar.AddButton(g_separator, g_toolButton);
    }
    g_helpItem.Create(ZOVA_StringHelpItem, HelpFileName);
    g_aboutItem.Create(ZOVA_StringAboutItem, &g_aboutDialog);
    return true;
}

void ZOVA_Plugin::AppWillQuit() {
    m_preferences.Save();
    m_preferences.Close();
}

bool ZOVA_Plugin::Unload() {
    // The host keeps an active tool's record and would deactivate it
    // through callbacks that Unregister destroys.
    if (g_tool.IsActive())
        XCHG_AVAppSetActiveTool(XCHG_AVAppGetDefaultTool(), 1);
    g_tool.Unregister();
    // The windows' host callbacks and the dialog's ink records go with the
    // module's code.
    if (g_tool.ViewWindow().IsAlive())
        g_tool.ViewWindow().Destroy();
    g_tool.ColorDialog().DestroyDialog();
    g_toolButton.Destroy();
    g_separator.Destroy();
    g_helpItem.Destroy();
    g_aboutItem.Destroy();
    return true;
}
