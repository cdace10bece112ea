// Cancellation for long operations on the one thread: the operation polls a
// shared flag at regular points; a user-interface core may look at pending
// input in its poll and set the flag. Nothing here throws on a cancel: the
// polling code turns a true answer into its own exception.
#pragma once

#include "COMN_ReferenceCountPointer.h"

class GLIB_CancelMgrCore {
public:
    GLIB_CancelMgrCore() = default;
    virtual ~GLIB_CancelMgrCore();

    // Poll, then the flag.
    bool ShouldCancel();
    // The flag, without polling.
    bool IsCancelled() const { return m_cancelled; }
    // True cancels, false re-arms; polling never clears the flag.
    void SetCancelled(bool cancelled) { m_cancelled = cancelled; }

protected:
    // Where a derived core looks at pending input and may set the flag; the
    // base's does nothing.
    virtual void Poll();

private:
    bool m_cancelled = false;
};

// A shared handle: copies see the same core and so the same flag.
class GLIB_CancelMgr {
public:
    // A new plain core.
    GLIB_CancelMgr();

    // Takes core (ownership passes); the previous core is released.
    GLIB_CancelMgr& operator=(GLIB_CancelMgrCore* core);

    // All three assert that a core is held.
    bool ShouldCancel();
    void SetCancelled(bool cancelled);
    // The flag without polling, so no pending input is pumped: for telling
    // a cancel from another failure after the work has stopped.
    bool IsCancelled() const;

private:
    COMN_ReferenceCountPointer<GLIB_CancelMgrCore> m_cancelMgrCore;
};
