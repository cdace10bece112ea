// A host toolbar button as an object: the host's three button callbacks
// (enabled?, marked?, pressed) call its virtual operations. The owner calls
// Destroy; the destructor releases nothing.
#pragma once

#include "viewer/host_api.h"
#include "win32/win32.h"

class XCHG_AVToolButtonObj;

// The host button and its object, button first: the client data the host
// hands back is the button member's address.
struct XCHG_AVToolButtonHolder {
    PDFL_AVToolButton m_button;
    XCHG_AVToolButtonObj* m_owner;
};

class XCHG_AVToolButtonObj {
public:
    XCHG_AVToolButtonObj();
    virtual ~XCHG_AVToolButtonObj() = default;
    XCHG_AVToolButtonObj(const XCHG_AVToolButtonObj&) = delete;
    XCHG_AVToolButtonObj& operator=(const XCHG_AVToolButtonObj&) = delete;

    virtual PDFL_Bool ComputeEnabled() { return 1; }
    virtual PDFL_Bool ComputeMarked() { return 0; }
    // Alerts "ToolButton: <name> Execute callback invoked".
    virtual void Execute();

    // Destroy, then a button with the bitmap, the three callbacks and, for a
    // help string id other than 0, its help text.
    void Create(const char* name, uint16_t bitmapId, uint32_t helpStringId);
    // Destroy, then a separator: no bitmap, no callbacks, no help text.
    void CreateSeparator(const char* name);
    // Releases what exists: callbacks, host button, bitmap.
    void Destroy();
    PDFL_AVToolButton HostButton() const { return m_holder.m_button; }

    static PDFL_Bool PrivateComputeEnabled(void* clientData);
    static PDFL_Bool PrivateComputeMarked(void* clientData);
    static void PrivateExecute(void* clientData);

private:
    static XCHG_AVToolButtonObj* FromClientData(void* clientData);

    XCHG_AVToolButtonHolder m_holder;
    HBITMAP m_bitmap = nullptr;
    PDFL_ASCallback m_computeEnabledProc = nullptr;
    PDFL_ASCallback m_computeMarkedProc = nullptr;
    PDFL_ASCallback m_executeProc = nullptr;
};
