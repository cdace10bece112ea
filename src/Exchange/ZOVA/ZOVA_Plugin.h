// The plug-in object: names the extension, states the host version it
// needs, registers the user interface when the host initialises it (the
// separations tool with its toolbar button and separator when the main
// toolbar has room for them, the Help and About items always), saves its
// preferences when the application quits and takes the user interface down
// when it is unloaded.
//
// The tool, its button and separator, the two menu items and the About box
// are module-level objects, built before the host calls the module and
// given names, resources and links only in Initialize.
#pragma once

#include "Exchange/XCHG/XCHG_Plugin.h"
#include "Exchange/XCHG/XCHG_PluginPreferences.h"

#include <cstdint>

class ZOVA_ColorSepTool;

class ZOVA_Plugin : public XCHG_Plugin {
public:
    static constexpr const char* ExtensionName = "VELM_ZOVA_Separations";
    static constexpr int32_t HostVersion40 = 0x00040000;

    // Built on the first call and registered as the framework's plug-in
    // object; the handshake and the tool reach it here.
    static ZOVA_Plugin& Instance();
    ~ZOVA_Plugin() override = default;

    const char* Name() const override { return ExtensionName; }
    int32_t RequiredHostVersion() const override { return HostVersion40; }
    // Opens the preferences, then registers the user interface; true.
    bool Initialize() override;
    // Saves, then closes the preferences.
    void AppWillQuit() override;
    // The tool (first made inactive, so that the host never calls it
    // again) and its windows, the button and separator, the Help and the
    // About items; true.
    bool Unload() override;

    XCHG_PluginPreferences& Preferences() { return m_preferences; }
    // The module's separations tool.
    static ZOVA_ColorSepTool& Tool();

private:
    ZOVA_Plugin() = default;

    XCHG_PluginPreferences m_preferences;
};
