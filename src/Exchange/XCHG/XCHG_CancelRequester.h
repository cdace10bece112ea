// Answers the host's "stop drawing?" from a shared cancel manager, so the
// one Stop button also stops the host's drawing of a page.
#pragma once

#include "GLIB/GLIB_CancelMgr.h"
#include "viewer/host_api.h"

class XCHG_CancelRequester {
public:
    XCHG_CancelRequester() = default;
    virtual ~XCHG_CancelRequester();

    // Shares manager's core from now on.
    void SetCancelMgr(const GLIB_CancelMgr& manager);
    // Polls the shared core, then reads its flag.
    bool IsCancelled();

    // Hand the host this procedure with the requester itself as client data.
    static PDFL_CancelProc CancelProc() { return &ShouldCancel; }
    // The host callback: IsCancelled of clientData as 0 or 1, under the
    // callback guard; a null clientData is a failed assertion.
    static PDFL_Bool ShouldCancel(void* clientData);

private:
    GLIB_CancelMgr m_cancelMgr;
};
