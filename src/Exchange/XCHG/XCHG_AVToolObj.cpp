#include "Exchange/XCHG/XCHG_AVToolObj.h"

#include "Exchange/XCHG/XCHG_AVCalls.h"
#include "Exchange/XCHG/XCHG_HostBinding.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "Exchange/XCHG/iXCHG_Callbacks.h"
#include "hostpdf/PDFL_ExceptionHandler.h"

#include <array>
#include <cstring>

namespace {

template <class Member>
auto Guard(const char* method, Member member) {
    return PDFL_CallbackGuard("XCHG_AVToolObj", method, member);
}

// The callback words in the order they are made and destroyed.
std::array<PDFL_ASCallback*, 8> CallbackWords(PDFL_AVToolRec& r) {
    return {&r.m_activate,     &r.m_deactivate, &r.m_doClick,      &r.m_adjustCursor,
            &r.m_doKeyDown,    &r.m_getType,    &r.m_isPersistent, &r.m_computeEnabled};
}

}  // namespace

XCHG_AVToolObj::XCHG_AVToolObj() {
    std::memset(&m_holder.m_record, 0, sizeof m_holder.m_record);
    m_holder.m_owner = this;
}

XCHG_AVToolObj* XCHG_AVToolObj::FromTool(PDFL_AVTool tool) {
    return reinterpret_cast<XCHG_AVToolHolder*>(tool)->m_owner;
}

XCHG_AVToolObj* XCHG_AVToolObj::FromClientData(void* clientData) {
    return static_cast<XCHG_AVToolHolder*>(clientData)->m_owner;
}

void XCHG_AVToolObj::Register() {
    PDFL_AVToolRec& record = m_holder.m_record;
    std::memset(&record, 0, sizeof record);
    record.m_size = sizeof record;
    record.m_activate = iXCHG_MakeCallback(&PrivateActivate);
    record.m_deactivate = iXCHG_MakeCallback(&PrivateDeactivate);
    record.m_doClick = iXCHG_MakeCallback(&PrivateDoClick);
    record.m_adjustCursor = iXCHG_MakeCallback(&PrivateAdjustCursor);
    record.m_doKeyDown = iXCHG_MakeCallback(&PrivateDoKeyDown);
    record.m_getType = iXCHG_MakeCallback(&PrivateGetType);
    record.m_isPersistent = iXCHG_MakeCallback(&PrivateIsPersistent);
    record.m_computeEnabled = iXCHG_MakeCallback(&PrivateComputeEnabled);
    record.m_unused = nullptr;
    record.m_computeEnabledData = &m_holder;
    XCHG_AVAppRegisterTool(HostTool());
    OnRegister();
}

void XCHG_AVToolObj::Unregister() {
    OnUnregister();
    for (PDFL_ASCallback* word : CallbackWords(m_holder.m_record)) {
        if (*word) {
            PDFL_ASCallbackDestroy(*word);
            *word = nullptr;
        }
    }
}

void XCHG_AVToolObj::DoActivate(PDFL_Bool persistent) {
    m_active = 1;
    Activate(persistent);
}

void XCHG_AVToolObj::DoDeactivate() {
    m_active = 0;
    Deactivate();
}

void XCHG_AVToolObj::PrivateActivate(PDFL_AVTool tool, PDFL_Bool persistent) {
    Guard("PrivateActivate", [=] { FromTool(tool)->DoActivate(persistent); });
}

void XCHG_AVToolObj::PrivateDeactivate(PDFL_AVTool tool) {
    Guard("PrivateDeactivate", [=] { FromTool(tool)->DoDeactivate(); });
}

PDFL_Bool XCHG_AVToolObj::PrivateDoClick(PDFL_AVTool tool, PDFL_AVPageView view, int16_t x,
                                         int16_t y, int16_t flags, int16_t clickCount) {
    return Guard("DoClick",
                 [=] { return FromTool(tool)->DoClick(view, x, y, flags, clickCount); });
}

PDFL_Bool XCHG_AVToolObj::PrivateAdjustCursor(PDFL_AVTool tool, PDFL_AVPageView view, int16_t x,
                                              int16_t y) {
    return Guard("AdjustCursor", [=] { return FromTool(tool)->AdjustCursor(view, x, y); });
}

PDFL_Bool XCHG_AVToolObj::PrivateDoKeyDown(PDFL_AVTool tool, uint16_t key, int16_t flags) {
    return Guard("DoKeyDown", [=] { return FromTool(tool)->DoKeyDown(key, flags); });
}

PDFL_ASAtom XCHG_AVToolObj::PrivateGetType(PDFL_AVTool tool) {
    return Guard("GetType", [=] { return FromTool(tool)->GetType(); });
}

PDFL_Bool XCHG_AVToolObj::PrivateIsPersistent(PDFL_AVTool tool) {
    return Guard("IsPersistent", [=] { return FromTool(tool)->IsPersistent(); });
}

PDFL_Bool XCHG_AVToolObj::PrivateComputeEnabled(void* clientData) {
    return Guard("ComputeEnabled", [=] { return FromClientData(clientData)->ComputeEnabled(); });
}
