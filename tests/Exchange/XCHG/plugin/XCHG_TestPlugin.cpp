// The test plug-in module: a plug-in object over the framework, its own
// strings and "PDCL" colours. TINTSCOPE_TEST_PLUGIN chooses what it does:
// "null-object" makes the factory answer null; "report" makes Initialize
// show, one note each, what the framework found (name, folder, strings,
// colours); "log" makes it log a warning and print "ab", then "c\n".
#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_DebugLog.h"
#include "Exchange/XCHG/XCHG_ModuleInfo.h"
#include "Exchange/XCHG/XCHG_Plugin.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "GLIB/GLIB_Log.h"
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

class TestPlugin : public XCHG_Plugin {
public:
    const char* Name() const override { return "VELM_ZOVA_Separations"; }
    bool Initialize() override {
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
};

}  // namespace

XCHG_Plugin* XCHG_PluginObject() {
    if (Chosen("null-object"))
        return nullptr;
    static TestPlugin plugin;
    return &plugin;
}
