// A host tool as an object: one tool record the host knows the tool by,
// filled with trampolines that find the object again and call its virtual
// operations. The plug-in's tools derive from it.
#pragma once

#include "viewer/host_api.h"

#include <cstdint>

class XCHG_AVToolObj;

// The record and the object that owns it, record first, so the record's
// address (the host's tool, and the ComputeEnabled client data) leads back
// to the object.
struct XCHG_AVToolHolder {
    PDFL_AVToolRec m_record;
    XCHG_AVToolObj* m_owner;
};

class XCHG_AVToolObj {
public:
    XCHG_AVToolObj();
    virtual ~XCHG_AVToolObj() = default;
    XCHG_AVToolObj(const XCHG_AVToolObj&) = delete;
    XCHG_AVToolObj& operator=(const XCHG_AVToolObj&) = delete;

    virtual void Activate(PDFL_Bool /*persistent*/) {}
    virtual PDFL_Bool AdjustCursor(PDFL_AVPageView, int16_t /*x*/, int16_t /*y*/) { return 0; }
    virtual PDFL_Bool ComputeEnabled() { return 1; }
    virtual void Deactivate() {}
    virtual void OnUnregister() {}
    virtual PDFL_Bool DoClick(PDFL_AVPageView, int16_t /*x*/, int16_t /*y*/, int16_t /*flags*/,
                              int16_t /*clickCount*/) {
        return 0;
    }
    virtual PDFL_Bool DoKeyDown(uint16_t /*key*/, int16_t /*flags*/) { return 0; }
    virtual PDFL_ASAtom GetType() = 0;
    virtual void OnRegister() {}
    virtual PDFL_Bool IsPersistent() { return 0; }

    // Fills the record (size word, eight callbacks, the client data),
    // registers it, then OnRegister.
    void Register();
    // OnUnregister, then every callback that exists is destroyed; the host
    // is not asked to withdraw the tool.
    void Unregister();
    bool IsActive() const { return m_active != 0; }
    PDFL_AVTool HostTool() { return &m_holder.m_record; }

    // The host's callbacks (the tool, or for ComputeEnabled its client data,
    // first), each under the callback guard as "XCHG_AVToolObj".
    static void PrivateActivate(PDFL_AVTool tool, PDFL_Bool persistent);
    static void PrivateDeactivate(PDFL_AVTool tool);
    static PDFL_Bool PrivateDoClick(PDFL_AVTool tool, PDFL_AVPageView view, int16_t x, int16_t y,
                                    int16_t flags, int16_t clickCount);
    static PDFL_Bool PrivateAdjustCursor(PDFL_AVTool tool, PDFL_AVPageView view, int16_t x,
                                         int16_t y);
    static PDFL_Bool PrivateDoKeyDown(PDFL_AVTool tool, uint16_t key, int16_t flags);
    static PDFL_ASAtom PrivateGetType(PDFL_AVTool tool);
    static PDFL_Bool PrivateIsPersistent(PDFL_AVTool tool);
    static PDFL_Bool PrivateComputeEnabled(void* clientData);

private:
    static XCHG_AVToolObj* FromTool(PDFL_AVTool tool);
    static XCHG_AVToolObj* FromClientData(void* clientData);
    void DoActivate(PDFL_Bool persistent);
    void DoDeactivate();

    XCHG_AVToolHolder m_holder;
    uint16_t m_active = 0;
};
