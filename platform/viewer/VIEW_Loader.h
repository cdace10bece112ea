// Loads a plug-in module the way the host does: opens it, calls PlugInMain
// with the Windows data block, the set-up and the handshake, then
// ExportHFTs, ImportReplaceAndRegister and Initialize, then notification 0.
// Unloading sends notification 1, calls Unload (after a handshake), drops the
// module's callbacks, notifications and tool records and closes it (its
// static destructors run) while the host still stands.
#pragma once

#include "viewer/host_api.h"
#include "win32/win32.h"

#include <cstdint>
#include <string>

class VIEW_Loader {
public:
    struct Options {
        // Offered to PlugInMain.
        uint32_t m_offeredVersion = 0x00020000;
        // Passed to the handshake; 0: the version PlugInMain answered.
        uint32_t m_handshakeVersion = 0;
        HWND m_mainWindow = nullptr;
    };

    // How far loading went; each stage runs only after the one before it
    // succeeded.
    struct Result {
        bool m_opened = false;             // the module and PlugInMain found
        uint32_t m_answeredVersion = 0;    // PlugInMain's handshake version
        bool m_setUp = false;
        bool m_handshaken = false;
        bool m_exported = false;
        bool m_registered = false;
        bool m_initialized = false;
        bool Loaded() const { return m_initialized; }
    };

    VIEW_Loader() = default;
    // Unloads a loaded module.
    ~VIEW_Loader();
    VIEW_Loader(const VIEW_Loader&) = delete;
    VIEW_Loader& operator=(const VIEW_Loader&) = delete;

    // The extension file name the host reports is path's last component.
    Result Load(const std::string& path, const Options& options);
    Result Load(const std::string& path) { return Load(path, Options()); }
    // Notification 1 when the module initialised, Unload when it shook
    // hands, then closes it; Unload's answer (false without a handshake).
    bool Unload();
    bool IsOpen() const { return m_handle != nullptr; }
    HMODULE Module() const { return m_module; }
    // The module's callbacks still alive when it was last closed: what its
    // Unload left behind for the host to drop.
    size_t CallbacksLeftAtClose() const { return m_callbacksLeft; }
    // What the handshake record holds.
    const PDFL_HandshakeRec& Handshake() const { return m_handshake; }

private:
    void Close();

    void* m_handle = nullptr;
    HMODULE m_module = nullptr;
    bool m_initialized = false;
    size_t m_callbacksLeft = 0;
    PDFL_HandshakeRec m_handshake{};
};
