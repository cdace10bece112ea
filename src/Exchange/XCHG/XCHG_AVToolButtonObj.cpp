#include "Exchange/XCHG/XCHG_AVToolButtonObj.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "Exchange/XCHG/XCHG_Resources.h"
#include "GLIB/GLIB_StringUtil.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "Exchange/XCHG/iXCHG_Callbacks.h"
#include "hostpdf/PDFL_ExceptionHandler.h"

namespace {

template <class Member>
auto Guard(const char* method, Member member) {
    return PDFL_CallbackGuard("XCHG_AVToolButtonObj", method, member);
}

}  // namespace

XCHG_AVToolButtonObj::XCHG_AVToolButtonObj() : m_holder{nullptr, this} {}

XCHG_AVToolButtonObj* XCHG_AVToolButtonObj::FromClientData(void* clientData) {
    return static_cast<XCHG_AVToolButtonHolder*>(clientData)->m_owner;
}

void XCHG_AVToolButtonObj::Create(const char* name, uint16_t bitmapId, uint32_t helpStringId) {
    Destroy();
    const PDFL_ASAtom atom = PDFL_ASAtomFromString(name);
    m_bitmap = XCHG_LoadBitmap(bitmapId);
    m_holder.m_button = XCHG_AVToolButtonNew(atom, reinterpret_cast<PDFL_AVIcon>(m_bitmap),
                                             /*pullDown=*/0, /*separator=*/0);
    m_computeEnabledProc = iXCHG_MakeCallback(&PrivateComputeEnabled);
    m_computeMarkedProc = iXCHG_MakeCallback(&PrivateComputeMarked);
    m_executeProc = iXCHG_MakeCallback(&PrivateExecute);
    XCHG_AVToolButtonSetComputeEnabledProc(m_holder.m_button, m_computeEnabledProc, &m_holder);
    XCHG_AVToolButtonSetComputeMarkedProc(m_holder.m_button, m_computeMarkedProc, &m_holder);
    XCHG_AVToolButtonSetExecuteProc(m_holder.m_button, m_executeProc, &m_holder);
    if (helpStringId != 0) {
        char help[256];
        XCHG_AVToolButtonSetHelpText(m_holder.m_button,
                                     XCHG_LoadString(helpStringId, help, sizeof help));
    }
}

void XCHG_AVToolButtonObj::CreateSeparator(const char* name) {
    Destroy();
    m_holder.m_button = XCHG_AVToolButtonNew(PDFL_ASAtomFromString(name), nullptr,
                                             /*pullDown=*/0, /*separator=*/1);
}

void XCHG_AVToolButtonObj::Destroy() {
    iXCHG_DestroyCallback(m_computeEnabledProc);
    iXCHG_DestroyCallback(m_computeMarkedProc);
    iXCHG_DestroyCallback(m_executeProc);
    if (m_holder.m_button) {
        XCHG_AVToolButtonDestroy(m_holder.m_button);
        m_holder.m_button = nullptr;
    }
    if (m_bitmap) {
        XCHG_DeleteObject(m_bitmap);
        m_bitmap = nullptr;
    }
}

void XCHG_AVToolButtonObj::Execute() {
    const char* name = PDFL_ASAtomGetString(XCHG_AVToolButtonGetName(m_holder.m_button));
    char text[260];
    GLIB_Sprintf(text, sizeof text, "ToolButton: %s Execute callback invoked", name);
    XCHG_AVAlert(3, text, "OK", nullptr, nullptr, 1);
}

PDFL_Bool XCHG_AVToolButtonObj::PrivateComputeEnabled(void* clientData) {
    return Guard("ComputeEnabled", [=] { return FromClientData(clientData)->ComputeEnabled(); });
}

PDFL_Bool XCHG_AVToolButtonObj::PrivateComputeMarked(void* clientData) {
    return Guard("ComputeMarked", [=] { return FromClientData(clientData)->ComputeMarked(); });
}

void XCHG_AVToolButtonObj::PrivateExecute(void* clientData) {
    Guard("Execute", [=] { FromClientData(clientData)->Execute(); });
}
