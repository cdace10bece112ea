#include "Exchange/XCHG/XCHG_PluginPreferences.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "Exchange/XCHG/XCHG_Plugin.h"
#include "Exchange/XCHG/XCHG_PrefsFile.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Name.h"
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

bool HasCode(const GLIB_Exception& exception, uint32_t a, uint32_t b) {
    return exception.Code() == a || exception.Code() == b;
}

// CreateDirectoryA answers "already exists" for a file of that name too.
bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

GLOB_Name PluginKey() {
    const XCHG_Plugin* plugin = XCHG_Plugin::Instance();
    GLIB_ASSERT(plugin != NULL);
    return GLOB_Name(plugin->Name());
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
    return Locate(/*alert=*/true);
}

GLOB_FileName XCHG_PluginPreferences::Locate(bool alert) {
    const std::string prefsFileName = XCHG_Plugin::ModuleName() + ".pref";
    GLIB_ASSERT(prefsFileName.size( ) != 0);
    const std::string folder = AppDataFolder();
    const bool made =
        CreateDirectoryA(folder.c_str(), nullptr) || (GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(folder));
    // A name cut to the buffer would be another file.
    if (!made || folder.size() + 1 + prefsFileName.size() >= MAX_PATH) {
        if (alert)
            XCHG_PrefsAlert(20012, folder.c_str());
        Unusable("Attempt to use the directory \"" + folder + "\" failed.");
    }
    // The system's own separator, as the alerts show the name.
    return GLOB_FileName((folder + "/" + prefsFileName).c_str());
}

void XCHG_PluginPreferences::Open(const char* defaults) {
    m_memoryDoc = XCHG_NewPrefsDoc();
    m_open = true;
    GLOB_FileName fileName;
    bool named = false;
    try {
        fileName = FileName();
        named = true;
    } catch (const GLIB_Exception& exception) {
        if (exception.Code() != FolderUnusableCode)
            throw;
    }
    // Missing or unreadable: the defaults, silently. Damaged (cut, not PDF
    // syntax, too many names): the defaults too, said here; the save leaves
    // the file, which may hold another plug-in's entries.
    m_damagedAtOpen = named && XCHG_ReadPrefsFile(fileName, false, m_memoryDoc) == XCHG_PrefsFileState::Damaged;
    if (m_damagedAtOpen) {
        m_memoryDoc.Close();
        m_memoryDoc = XCHG_NewPrefsDoc();
        XCHG_PrefsAlert(20013, fileName.NarrowName());
    }
    Bind(defaults, fileName);
    XCHG_ReservePrefsNames(m_memoryDoc.Root().DictGet(GLOB_Name(GLOB_KeyVelmDornapPrefs)));
}

void XCHG_PluginPreferences::Bind(const char* defaults, const GLOB_FileName& fileName) {
    try {
        m_preferences.Initialize(m_memoryDoc, PluginKey(), defaults);
        return;
    } catch (const GLIB_Exception& exception) {
        if (!HasCode(exception, GLOB_PrefsRootCode, GLOB_PrefsPrivateCode))
            throw;
    }
    XCHG_PrefsAlert(20013, fileName.NarrowName());
    m_memoryDoc.Root().DictPut(GLOB_Name(GLOB_KeyVelmDornapPrefs), m_memoryDoc.NewDict(0, true));
    m_preferences.Initialize(m_memoryDoc, PluginKey(), defaults);
}

void XCHG_PluginPreferences::MergeDefaults(const char* defaults) {
    m_preferences.MergeDefaults(defaults, true);
}

void XCHG_PluginPreferences::Save() {
    // Nothing to write before Open.
    if (!m_open)
        return;
    // An unusable folder was said at open: here only the failed save is.
    GLOB_FileName fileName;
    try {
        fileName = Locate(/*alert=*/false);
    } catch (const GLIB_Exception& exception) {
        if (exception.Code() != FolderUnusableCode)
            throw;
        XCHG_PrefsAlert(20010);
        return;
    }
    const GLOB_Name key(GLOB_KeyVelmDornapPrefs);
    // What other runs stored since this one read the file stays; this
    // plug-in's entry is this run's.
    GLOB_Doc current = XCHG_NewPrefsDoc();
    const XCHG_PrefsFileState state = XCHG_ReadPrefsFile(fileName, true, current);
    GLOB_Object all = current.Root().DictGet(key);
    if (state == XCHG_PrefsFileState::Read && all.IsDict() && m_preferences.IsInitialized())
        all.DictPut(m_preferences.PrivateKey(), m_preferences.PrivateDict());
    else
        all = m_memoryDoc.Root().DictGet(key);
    // A folder, a FIFO or a file without write permission stays as it is:
    // waiting would not change it. A damaged file stays too, said once.
    const bool kept = state == XCHG_PrefsFileState::Unusable || state == XCHG_PrefsFileState::Damaged;
    const bool saved = !kept && XCHG_ReplacePrefsFile(fileName, all);
    current.Close();
    if (!saved && !(state == XCHG_PrefsFileState::Damaged && m_damagedAtOpen))
        XCHG_PrefsAlert(20011, fileName.NarrowName());
}

void XCHG_PluginPreferences::Close() {
    if (!m_open)
        return;
    m_preferences = GLOB_PreferencesDoc();
    m_memoryDoc.Close();
    m_memoryDoc = GLOB_Doc();
    m_open = false;
}
