// The plug-in's preference file: "<module name>.pref" in the user's
// application-data folder, which is made when missing.
#pragma once

#include "GLOB/GLOB_FileName.h"

#include <cstdint>

class XCHG_PluginPreferences {
public:
    // Code of an application-data folder that cannot be used.
    static constexpr uint32_t FolderUnusableCode = 1155001;

    // folder + "\" + module name + ".pref". Throws FolderUnusableCode when
    // the folder cannot be found, or (after string 20012 with the folder)
    // cannot be made or does not leave room for the name in 260 bytes.
    static GLOB_FileName FileName();
};

// Shows string id with the plug-in's file name, then up to two texts.
void XCHG_PrefsAlert(uint32_t id, const char* first = "", const char* second = "");
