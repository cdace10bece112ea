// The base of the one plug-in object: the life cycle the host drives
// (ExportHFTs, ImportReplaceAndRegister, Initialize, the application
// notifications 0 and 1, Unload) with virtual hooks for the plug-in, and
// what the framework asks of the plug-in's file: its name and folder.
#pragma once

#include "hostpdf/COSF_PDFL_Library.h"
#include "viewer/host_api.h"

#include <cstdint>
#include <string>

class XCHG_Plugin {
public:
    // Registers this object as the single plug-in object; a second one
    // alerts "You must only define one object derived from XCHG_Plugin" and
    // leaves the first registered.
    XCHG_Plugin();
    // Unregisters this object when it is the registered one.
    virtual ~XCHG_Plugin();
    XCHG_Plugin(const XCHG_Plugin&) = delete;
    XCHG_Plugin& operator=(const XCHG_Plugin&) = delete;

    virtual bool ExportOwnHFTs() { return true; }
    // The extension name.
    virtual const char* Name() const = 0;
    // 0x00040000 (4.0) in this build.
    virtual int32_t RequiredHostVersion() const;
    // Version 0x00020000 only: names the extension and hands the host the
    // four life-cycle callbacks. Another version alerts and fails.
    virtual bool Handshake(uint32_t version, PDFL_HandshakeRec* record);
    virtual bool ImportReplaceAndRegister() { return true; }
    virtual bool Initialize() { return true; }
    virtual void InitializeFinished() {}
    virtual void AppWillQuit() {}
    // After it the framework unregisters its notifications and frees the
    // default file system's copy.
    virtual bool Unload() { return true; }

    // The registered object, or null.
    static XCHG_Plugin* Instance();
    // (major << 16) + minor of the running host.
    static int32_t HostVersion();
    // The plug-in's file name as the host reports it, less a trailing ".api"
    // (any case) when the name is longer than that.
    static std::string ModuleName();
    // The host display path of the plug-in's folder, with its separator.
    static std::string ModuleDirectory();

    bool IsAppInitialized() const { return m_appInitialized != 0; }

    // The host callbacks, each under the callback guard as "XCHG_Plugin".
    static PDFL_Bool ExportHFTs();
    static PDFL_Bool PrivateImportReplaceAndRegister();
    static PDFL_Bool PrivateInitialize();
    static void PrivateInitializeFinished(void* clientData);
    static void PrivateAppWillQuit(void* clientData);
    static PDFL_Bool PrivateUnload();

private:
    bool DoImportReplaceAndRegister();
    bool DoInitialize();
    void DoInitializeFinished();
    void DoAppWillQuit();
    bool DoUnload();

    uint16_t m_initializeFinishedRegistered = 0;
    uint16_t m_appWillQuitRegistered = 0;
    uint16_t m_appInitialized = 0;
    // Kept so that unregistering passes what registering passed.
    PDFL_ASCallback m_initializeFinishedProc = nullptr;
    PDFL_ASCallback m_appWillQuitProc = nullptr;
    COSF_PDFL_Library m_library;
};

// Defined once by each plug-in module: its plug-in object (built on first
// use), or null.
XCHG_Plugin* XCHG_PluginObject();

// An error alert with one "OK" button and a beep.
void XCHG_ErrorAlert(const char* text);
