#include "viewer/VIEW_App.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

struct Notification {
    int32_t m_selector;
    PDFL_ExtensionID m_owner;
    PDFL_ASCallback m_proc;
    void* m_clientData;
};

struct AppState {
    std::vector<VIEW_Alert> m_alerts;
    int16_t m_major = 4;
    int16_t m_minor = 0;
    std::string m_language = "ENU";
    std::vector<Notification> m_notifications;
    std::string m_extensionFileName;
    std::vector<std::string> m_debugTexts;
};

AppState& State() {
    static AppState state;
    return state;
}

}  // namespace

namespace {

std::function<void(const VIEW_Alert&)>& AlertListener() {
    static std::function<void(const VIEW_Alert&)> listener;
    return listener;
}

std::function<void(const char*)>& DebugWindowListener() {
    static std::function<void(const char*)> listener;
    return listener;
}

}  // namespace

void VIEW_App::Alert(const VIEW_Alert& alert) {
    State().m_alerts.push_back(alert);
    if (AlertListener())
        AlertListener()(alert);
}

void VIEW_App::SetAlertListener(std::function<void(const VIEW_Alert&)> listener) {
    AlertListener() = std::move(listener);
}

const std::vector<VIEW_Alert>& VIEW_App::Alerts() {
    return State().m_alerts;
}

void VIEW_App::ClearAlerts() {
    State().m_alerts.clear();
}

void VIEW_App::SetVersion(int16_t major, int16_t minor) {
    State().m_major = major;
    State().m_minor = minor;
}

void VIEW_App::GetVersion(int16_t* major, int16_t* minor) {
    if (major)
        *major = State().m_major;
    if (minor)
        *minor = State().m_minor;
}

void VIEW_App::SetLanguage(const std::string& language) {
    State().m_language = language.substr(0, 3);
}

void VIEW_App::GetLanguage(char* buffer) {
    if (buffer == nullptr)
        return;
    std::memset(buffer, 0, 4);
    std::memcpy(buffer, State().m_language.data(), State().m_language.size());
}

void VIEW_App::RegisterNotification(int32_t selector, PDFL_ExtensionID owner, PDFL_ASCallback proc,
                                    void* clientData) {
    State().m_notifications.push_back({selector, owner, proc, clientData});
}

void VIEW_App::UnregisterNotification(int32_t selector, PDFL_ExtensionID owner, PDFL_ASCallback proc,
                                      void* clientData) {
    auto& list = State().m_notifications;
    const auto it = std::find_if(list.begin(), list.end(), [&](const Notification& n) {
        return n.m_selector == selector && n.m_owner == owner && n.m_proc == proc &&
               n.m_clientData == clientData;
    });
    if (it != list.end())
        list.erase(it);
}

size_t VIEW_App::NotificationCount(int32_t selector) {
    const auto& list = State().m_notifications;
    return static_cast<size_t>(std::count_if(list.begin(), list.end(),
                                             [&](const Notification& n) { return n.m_selector == selector; }));
}

std::vector<VIEW_App::Registered> VIEW_App::RegisteredFor(int32_t selector) {
    std::vector<Registered> found;
    for (const Notification& n : State().m_notifications)
        if (n.m_selector == selector)
            found.push_back({n.m_proc, n.m_clientData});
    return found;
}

void VIEW_App::DropNotifications(PDFL_ExtensionID owner) {
    auto& list = State().m_notifications;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const Notification& n) { return n.m_owner == owner; }),
               list.end());
}

void VIEW_App::SetExtensionFileName(const std::string& name) {
    State().m_extensionFileName = name;
}

int32_t VIEW_App::GetExtensionFileName(char* buffer, int32_t size) {
    const std::string& name = State().m_extensionFileName;
    if (buffer == nullptr || size <= 0)
        return 0;
    const size_t length = std::min(name.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, name.data(), length);
    buffer[length] = '\0';
    return static_cast<int32_t>(length);
}

void VIEW_App::DebugWindowPrint(const char* text) {
    if (DebugWindowListener())
        DebugWindowListener()(text ? text : "");
    else
        State().m_debugTexts.push_back(text ? text : "");
}

void VIEW_App::SetDebugWindowListener(std::function<void(const char*)> listener) {
    DebugWindowListener() = std::move(listener);
}

const std::vector<std::string>& VIEW_App::DebugWindowTexts() {
    return State().m_debugTexts;
}

void VIEW_App::Reset() {
    State() = AppState();
}
