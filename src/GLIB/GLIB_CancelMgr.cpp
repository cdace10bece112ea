#include "GLIB/GLIB_CancelMgr.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"

GLIB_CancelMgrCore::~GLIB_CancelMgrCore() = default;

bool GLIB_CancelMgrCore::ShouldCancel() {
    Poll();
    return m_cancelled;
}

void GLIB_CancelMgrCore::Poll() {}

GLIB_CancelMgr::GLIB_CancelMgr() : m_cancelMgrCore(GLIB_NEW GLIB_CancelMgrCore) {}

GLIB_CancelMgr& GLIB_CancelMgr::operator=(GLIB_CancelMgrCore* core) {
    m_cancelMgrCore = core;
    return *this;
}

bool GLIB_CancelMgr::ShouldCancel() {
    GLIB_ASSERT(!m_cancelMgrCore.isNull());
    return m_cancelMgrCore->ShouldCancel();
}

void GLIB_CancelMgr::SetCancelled(bool cancelled) {
    GLIB_ASSERT(!m_cancelMgrCore.isNull());
    m_cancelMgrCore->SetCancelled(cancelled);
}

bool GLIB_CancelMgr::IsCancelled() const {
    GLIB_ASSERT(!m_cancelMgrCore.isNull());
    return m_cancelMgrCore->IsCancelled();
}
