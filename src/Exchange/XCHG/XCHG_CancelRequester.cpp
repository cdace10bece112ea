#include "Exchange/XCHG/XCHG_CancelRequester.h"

#include "GLIB/GLIB_Assert.h"
#include "hostpdf/PDFL_ExceptionHandler.h"

#include <cstddef>

XCHG_CancelRequester::~XCHG_CancelRequester() = default;

void XCHG_CancelRequester::SetCancelMgr(const GLIB_CancelMgr& manager) {
    m_cancelMgr = manager;
}

bool XCHG_CancelRequester::IsCancelled() {
    return m_cancelMgr.ShouldCancel();
}

PDFL_Bool XCHG_CancelRequester::ShouldCancel(void* clientData) {
    return PDFL_CallbackGuard("XCHG_CancelRequester", "ShouldCancel", [clientData]() -> PDFL_Bool {
        auto* ourObj = static_cast<XCHG_CancelRequester*>(clientData);
        GLIB_ASSERT(ourObj != NULL);
        return ourObj->IsCancelled() ? 1 : 0;
    });
}
