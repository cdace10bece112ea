// The host application as the plug-in sees it: alerts (AcroView 4 and 5,
// kept as text), its version (AcroView 7) and language (AcroView 8), the
// notifications (AcroView 41 and 42), the plug-in's
// file name (Core 13) and the texts of the debugger window (its slot 3).
#pragma once

#include "viewer/VIEW_Callbacks.h"
#include "viewer/host_api.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct VIEW_Alert {
    bool m_note;          // AcroView 5; else AcroView 4
    int32_t m_icon;       // 0 for a note
    std::string m_text;
    std::string m_button1;
    bool m_beep;
};

class VIEW_App {
public:
    // AcroView 4 answers 1 (the first button).
    static void Alert(const VIEW_Alert& alert);
    static const std::vector<VIEW_Alert>& Alerts();
    static void ClearAlerts();
    // Hears each alert as it comes, after it is kept; an empty one stops.
    // The host's reset keeps it.
    static void SetAlertListener(std::function<void(const VIEW_Alert&)> listener);

    // 4.0 unless set.
    static void SetVersion(int16_t major, int16_t minor);
    static void GetVersion(int16_t* major, int16_t* minor);
    // "ENU" unless set; AcroView 8 writes it into 4 bytes.
    static void SetLanguage(const std::string& language);
    static void GetLanguage(char* buffer);

    // AcroView 41 and 42. Registering the same (selector, owner, procedure,
    // data) twice keeps two; unregistering removes one.
    static void RegisterNotification(int32_t selector, PDFL_ExtensionID owner,
                                     PDFL_ASCallback proc, void* clientData);
    static void UnregisterNotification(int32_t selector, PDFL_ExtensionID owner,
                                       PDFL_ASCallback proc, void* clientData);
    static size_t NotificationCount(int32_t selector);
    // Calls each procedure registered for selector with args and then its
    // data, in the order of registration: 0 and 1 take no args; 2, 6 and 7
    // the PDFL_AVDoc; 14 the PDFL_AVPageView and an int16_t telling what
    // changed; 34 the PDFL_PDPage; 56 the PDFL_PDDoc and a
    // PDFL_PDDocSaveParams*.
    template <class... Args>
    static void SendNotification(int32_t selector, Args... args);
    // Drops everything owner registered (its module is gone).
    static void DropNotifications(PDFL_ExtensionID owner);

    // Core 13: the bare file name the host loaded the plug-in from.
    static void SetExtensionFileName(const std::string& name);
    static int32_t GetExtensionFileName(char* buffer, int32_t size);

    // Every text the plug-in handed the debugger window's slot 3; while a
    // listener hears them they are not kept (a long run logs much).
    static void DebugWindowPrint(const char* text);
    static const std::vector<std::string>& DebugWindowTexts();
    // One listener; an empty one stops. The host's reset keeps it.
    static void SetDebugWindowListener(std::function<void(const char*)> listener);

    static void Reset();

private:
    struct Registered {
        PDFL_ASCallback m_proc;
        void* m_clientData;
    };
    // A copy: a procedure may unregister itself.
    static std::vector<Registered> RegisteredFor(int32_t selector);
};

template <class... Args>
void VIEW_App::SendNotification(int32_t selector, Args... args) {
    for (const Registered& r : RegisteredFor(selector))
        VIEW_InvokeCallback<void(Args..., void*)>(r.m_proc, args..., r.m_clientData);
}
