#include "viewer/VIEW_Loader.h"

#include "viewer/VIEW_App.h"
#include "viewer/VIEW_Callbacks.h"
#include "viewer/VIEW_Frames.h"
#include "viewer/VIEW_Host.h"
#include "viewer/VIEW_Tools.h"
#include "win32/win32_resources.h"

#include <dlfcn.h>
#include <type_traits>

namespace {

std::string LastComponent(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

template <class Proc, class... Args>
bool CallStage(PDFL_ASCallback callback, Args... args) {
    return callback && VIEW_InvokeCallback<std::remove_pointer_t<Proc>>(callback, args...) != 0;
}

}  // namespace

VIEW_Loader::~VIEW_Loader() {
    if (m_handle)
        Unload();
}

VIEW_Loader::Result VIEW_Loader::Load(const std::string& path, const Options& options) {
    Result result;
    m_handshake = PDFL_HandshakeRec{};
    if (m_handle)
        throw VIEW_AssertionFailure("a module is loaded already");
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr)
        return result;
    const auto main = reinterpret_cast<PDFL_PlugInMainProc>(dlsym(m_handle, "PlugInMain"));
    if (main == nullptr) {
        Close();
        return result;
    }
    result.m_opened = true;
    m_module = Win32ModuleOfAddress(reinterpret_cast<const void*>(main));
    VIEW_App::SetExtensionFileName(LastComponent(path));

    PDFL_WinDataRec windowsData{options.m_mainWindow, m_module};
    PDFL_SetupProc setup = nullptr;
    VIEW_CallPlugin([&] { return main(options.m_offeredVersion, &result.m_answeredVersion, &setup, &windowsData); });
    if (setup == nullptr)
        return result;

    PDFL_SetupRec record{result.m_answeredVersion, VIEW_Host::ExtensionID(), VIEW_Host::Table(PDFL_CoreTable),
                         nullptr};
    result.m_setUp = VIEW_CallPlugin([&] { return setup(result.m_answeredVersion, &record); }) != 0;
    if (!result.m_setUp)
        return result;

    m_handshake = PDFL_HandshakeRec{};
    const uint32_t version = options.m_handshakeVersion ? options.m_handshakeVersion : result.m_answeredVersion;
    m_handshake.m_handshakeVersion = version;
    result.m_handshaken = CallStage<PDFL_HandshakeProc>(record.m_handshake, version, &m_handshake);
    if (!result.m_handshaken)
        return result;
    result.m_exported = CallStage<PDFL_LifeCycleProc>(m_handshake.m_exportHFTs);
    if (!result.m_exported)
        return result;
    result.m_registered = CallStage<PDFL_LifeCycleProc>(m_handshake.m_importReplaceAndRegister);
    if (!result.m_registered)
        return result;
    result.m_initialized = CallStage<PDFL_LifeCycleProc>(m_handshake.m_initialize);
    if (!result.m_initialized)
        return result;
    m_initialized = true;
    VIEW_App::SendNotification(PDFL_AppDidInitializeNSEL);
    return result;
}

bool VIEW_Loader::Unload() {
    if (m_initialized)
        VIEW_App::SendNotification(PDFL_AppWillQuitNSEL);
    m_initialized = false;
    const bool answer = CallStage<PDFL_LifeCycleProc>(m_handshake.m_unload);
    m_handshake = PDFL_HandshakeRec{};
    Close();
    return answer;
}

void VIEW_Loader::Close() {
    if (m_handle == nullptr)
        return;
    // The module's code goes: nothing of it may be called after.
    m_callbacksLeft = VIEW_Callbacks::LiveCountOf(VIEW_Host::ExtensionID());
    VIEW_Callbacks::DropOwnedBy(VIEW_Host::ExtensionID());
    VIEW_Tools::DropInModule(m_module);
    VIEW_App::DropNotifications(VIEW_Host::ExtensionID());
    dlclose(m_handle);
    m_handle = nullptr;
    m_module = nullptr;
}
