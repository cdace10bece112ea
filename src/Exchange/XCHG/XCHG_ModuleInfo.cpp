#include "Exchange/XCHG/XCHG_ModuleInfo.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "Exchange/XCHG/XCHG_Plugin.h"

#include <algorithm>

XCHG_ModuleInfo& XCHG_ModuleInfo::Instance() {
    static XCHG_ModuleInfo info;
    return info;
}

XCHG_ModuleInfo::~XCHG_ModuleInfo() {
    FreeLocaleLibrary();
}

void XCHG_ModuleInfo::FreeLocaleLibrary() {
    if (m_localeLibrary)
        FreeLibrary(m_localeLibrary);
    m_localeLibrary = nullptr;
}

void XCHG_ModuleInfo::Initialize() {
    FreeLocaleLibrary();
    m_lookedUp = false;
    m_moduleInstance = gXCHG_ModuleInstance;
}

HMODULE XCHG_ModuleInfo::LocaleLibrary() {
    if (m_lookedUp)
        return m_localeLibrary;
    m_lookedUp = true;
    FreeLocaleLibrary();
    const std::string folder = XCHG_Plugin::ModuleDirectory();
    const std::string name = XCHG_Plugin::ModuleName() + "." + Language();
    for (const char* place : {"", "Locale/", "Help/"})
        if (LoadLibraryAt(folder + place + name))
            break;
    return m_localeLibrary;
}

HMODULE XCHG_ModuleInfo::ResourceModule() {
    HMODULE locale = LocaleLibrary();
    return locale ? locale : m_moduleInstance;
}

std::string XCHG_ModuleInfo::Language() {
    char language[4] = {};
    XCHG_AVAppGetLanguage(language);
    language[3] = '\0';
    return language;
}

bool XCHG_ModuleInfo::LoadLibraryAt(const std::string& path) {
    // A cut path would name another file.
    if (path.size() >= 256)
        return false;
    std::string windows = path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    if (windows.size() >= 2 && windows[0] == '\\') {
        windows[0] = windows[1];
        windows[1] = ':';
    }
    m_localeLibrary = LoadLibraryA(windows.c_str());
    return m_localeLibrary != nullptr;
}
