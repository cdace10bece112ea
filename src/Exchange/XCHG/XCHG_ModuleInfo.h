// Where the plug-in lives and which module holds its user-interface
// resources: a locale library "<module name>.<language>" beside the
// plug-in, in "Locale/" or in "Help/" when one loads, else the plug-in
// module itself.
#pragma once

#include "win32/win32.h"

#include <string>

class XCHG_ModuleInfo {
public:
    static XCHG_ModuleInfo& Instance();

    // Frees a loaded locale library, forgets the look-up and records the
    // module instance of the host binding.
    void Initialize();
    HMODULE ModuleInstance() const { return m_moduleInstance; }
    // Looked up on first call; null when none loads.
    HMODULE LocaleLibrary();
    // The locale library when there is one, else the plug-in module.
    HMODULE ResourceModule();
    // The host's language code ("ENU").
    static std::string Language();
    // A host display path ("/C/dir/file") is made a Windows path
    // ("C:\dir\file") and loaded; a path of 256 bytes or more is not tried.
    bool LoadLibraryAt(const std::string& path);

    XCHG_ModuleInfo() = default;
    ~XCHG_ModuleInfo();
    XCHG_ModuleInfo(const XCHG_ModuleInfo&) = delete;
    XCHG_ModuleInfo& operator=(const XCHG_ModuleInfo&) = delete;

private:
    void FreeLocaleLibrary();

    HMODULE m_localeLibrary = nullptr;
    HMODULE m_moduleInstance = nullptr;
    bool m_lookedUp = false;
};
