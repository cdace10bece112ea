#include "Exchange/XCHG/XCHG_PluginPreferences.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "Exchange/XCHG/XCHG_Plugin.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "win32/win32.h"

#include <cstdio>
#include <string>

namespace {

[[noreturn]] void Unusable(const std::string& message) {
    throw GLIB_Exception(XCHG_PluginPreferences::FolderUnusableCode, message, __FILE__, __LINE__);
}

std::string AppDataFolder() {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(gXCHG_MainWindow, CSIDL_APPDATA, &list)))
        Unusable("SHGetSpecialFolderLocation() failed.");
    char folder[MAX_PATH] = "";
    const BOOL found = SHGetPathFromIDListA(list, folder);
    LPMALLOC allocator = nullptr;
    if (SUCCEEDED(CoGetMalloc(1, &allocator))) {
        allocator->Free(list);
        allocator->Release();
    }
    if (!found)
        Unusable("SHGetPathFromIDListA() failed.");
    return folder;
}

}  // namespace

void XCHG_PrefsAlert(uint32_t id, const char* first, const char* second) {
    char format[256];
    XCHG_LoadString(id, format, sizeof format);
    char name[256] = "";
    PDFL_ASExtensionGetFileName(gXCHG_ExtensionID, name, sizeof name);
    name[sizeof name - 1] = '\0';
    char text[512];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(text, sizeof text, format, name, first, second);
#pragma GCC diagnostic pop
    XCHG_AVAlertNote(text);
}

GLOB_FileName XCHG_PluginPreferences::FileName() {
    const std::string prefsFileName = XCHG_Plugin::ModuleName() + ".pref";
    GLIB_ASSERT(prefsFileName.size( ) != 0);
    const std::string folder = AppDataFolder();
    const bool made = CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
    // A name cut to the buffer would be another file.
    if (!made || folder.size() + 1 + prefsFileName.size() >= MAX_PATH) {
        XCHG_PrefsAlert(20012, folder.c_str());
        Unusable("Attempt to use the directory \"" + folder + "\" failed.");
    }
    return GLOB_FileName((folder + "\\" + prefsFileName).c_str());
}
