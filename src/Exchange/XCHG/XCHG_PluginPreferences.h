// The plug-in's preferences: a memory document whose catalog holds
// "VELM_Preferences", one dictionary per plug-in under its extension name,
// read at start from "<module name>.pref" in the user's application-data
// folder (made when missing), merged with the plug-in's defaults, and
// written back at save in place of the file (XCHG_PrefsFile), with the
// entries other plug-ins stored in the meantime. The file's header is
// "%VelmDornapPrefs-1.0".
//
// Alerts, each fault said once a run: 20012 when the folder cannot be used
// (at open), 20013 when the file does not read as a preference file (the
// save then leaves it as it is) or its stored preferences are not
// dictionaries (they are dropped), 20010 when saving finds no folder, 20011
// when the file cannot be replaced (at once, never after waiting). A
// missing or unreadable file is silent at open.
#pragma once

#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_FileName.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "GLOB/GLOB_PreferencesDoc.h"

#include <cstdint>

class XCHG_PluginPreferences {
public:
    // Code of an application-data folder that cannot be used.
    static constexpr uint32_t FolderUnusableCode = 1155001;

    // folder + "\" + module name + ".pref". Throws FolderUnusableCode when
    // the folder cannot be found, or (after string 20012 with the folder)
    // cannot be made or does not leave room for the name in 260 bytes.
    static GLOB_FileName FileName();

    // Builds the memory document, takes the file's "VELM_Preferences" when
    // it has one, and binds the preferences with the plug-in's extension
    // name and defaults (PDF object text).
    void Open(const char* defaults);
    void MergeDefaults(const char* defaults);
    // Both do nothing unless Open ran.
    void Save();
    void Close();

    bool IsOpen() const { return m_open; }
    GLOB_PreferencesDoc& Preferences() { return m_preferences; }

private:
    // FileName, with string 20012 shown or not.
    static GLOB_FileName Locate(bool alert);
    void Bind(const char* defaults, const GLOB_FileName& fileName);

    GLOB_Doc m_memoryDoc;
    GLOB_PreferencesDoc m_preferences;
    bool m_open = false;
    bool m_damagedAtOpen = false;
};

// Shows string id with the plug-in's file name, then up to two texts.
void XCHG_PrefsAlert(uint32_t id, const char* first = "", const char* second = "");
