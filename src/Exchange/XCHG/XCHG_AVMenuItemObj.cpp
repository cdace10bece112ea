#include "Exchange/XCHG/XCHG_AVMenuItemObj.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "Exchange/XCHG/XCHG_Plugin.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "GLIB/GLIB_StringUtil.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "Exchange/XCHG/iXCHG_Callbacks.h"
#include "hostpdf/PDFL_ExceptionHandler.h"

namespace {

template <class Member>
auto Guard(const char* method, Member member) {
    return PDFL_CallbackGuard("XCHG_AVMenuItemObj", method, member);
}

const char* PluginName() {
    XCHG_Plugin* plugin = XCHG_Plugin::Instance();
    return plugin ? plugin->Name() : "";
}

}  // namespace

XCHG_AVMenuItemObj::XCHG_AVMenuItemObj() : m_holder{nullptr, this} {}

XCHG_AVMenuItemObj::~XCHG_AVMenuItemObj() {
    Destroy();
}

XCHG_AVMenuItemObj* XCHG_AVMenuItemObj::FromClientData(void* clientData) {
    return static_cast<XCHG_AVMenuItemHolder*>(clientData)->m_owner;
}

const char* XCHG_AVMenuItemObj::SuffixWithName(const char* suffix, char (&buffer)[256]) {
    GLIB_StrCopy(buffer, suffix, sizeof buffer);
    GLIB_StrAppend(buffer, PluginName(), sizeof buffer);
    return buffer;
}

void XCHG_AVMenuItemObj::Create(uint32_t titleStringId, const char* suffix, PDFL_AVMenu submenu,
                                char shortcut, uint16_t flags, uint16_t iconBitmapId) {
    Destroy();
    char name[256];
    GLIB_StrCopy(name, PluginName(), sizeof name);
    GLIB_StrAppend(name, ":", sizeof name);
    GLIB_StrAppend(name, suffix, sizeof name);
    char title[256];
    XCHG_LoadString(titleStringId, title, sizeof title);
    if (iconBitmapId != 0)
        m_icon = XCHG_LoadBitmap(iconBitmapId);
    m_holder.m_item = XCHG_AVMenuItemNew(title, name, submenu, /*longOnly=*/0, shortcut, flags,
                                         reinterpret_cast<PDFL_AVIcon>(m_icon), gXCHG_ExtensionID);
    m_computeEnabledProc = iXCHG_MakeCallback(&PrivateComputeEnabled);
    m_computeMarkedProc = iXCHG_MakeCallback(&PrivateComputeMarked);
    m_executeProc = iXCHG_MakeCallback(&PrivateExecute);
    XCHG_AVMenuItemSetComputeEnabledProc(m_holder.m_item, m_computeEnabledProc, &m_holder);
    XCHG_AVMenuItemSetComputeMarkedProc(m_holder.m_item, m_computeMarkedProc, &m_holder);
    XCHG_AVMenuItemSetExecuteProc(m_holder.m_item, m_executeProc, &m_holder);
}

void XCHG_AVMenuItemObj::Destroy() {
    iXCHG_DestroyCallback(m_computeEnabledProc);
    iXCHG_DestroyCallback(m_computeMarkedProc);
    iXCHG_DestroyCallback(m_executeProc);
    if (m_holder.m_item) {
        XCHG_AVMenuItemRemove(m_holder.m_item);
        m_holder.m_item = nullptr;
    }
    if (m_icon) {
        XCHG_DeleteObject(m_icon);
        m_icon = nullptr;
    }
}

void XCHG_AVMenuItemObj::Execute() {
    char title[100] = "";
    XCHG_AVMenuItemGetTitle(m_holder.m_item, title, sizeof title);
    title[sizeof title - 1] = '\0';
    char text[260];
    GLIB_Sprintf(text, sizeof text, "MenuItem: %s Execute callback invoked", title);
    XCHG_AVAlert(3, text, "OK", nullptr, nullptr, 1);
}

PDFL_Bool XCHG_AVMenuItemObj::PrivateComputeEnabled(void* clientData) {
    return Guard("ComputeEnabled", [=] { return FromClientData(clientData)->ComputeEnabled(); });
}

PDFL_Bool XCHG_AVMenuItemObj::PrivateComputeMarked(void* clientData) {
    return Guard("ComputeMarked", [=] { return FromClientData(clientData)->ComputeMarked(); });
}

void XCHG_AVMenuItemObj::PrivateExecute(void* clientData) {
    Guard("Execute", [=] { FromClientData(clientData)->Execute(); });
}
