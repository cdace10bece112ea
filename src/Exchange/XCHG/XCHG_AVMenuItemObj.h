// A host menu item as an object: the host's three item callbacks
// (enabled?, marked?, chosen) call its virtual operations. The item is
// placed in no menu here; the Help and About items place themselves.
#pragma once

#include "viewer/host_api.h"
#include "win32/win32.h"

#include <cstdint>

class XCHG_AVMenuItemObj;

// The host item and its object, item first: the client data the host hands
// back is the item member's address.
struct XCHG_AVMenuItemHolder {
    PDFL_AVMenuItem m_item;
    XCHG_AVMenuItemObj* m_owner;
};

class XCHG_AVMenuItemObj {
public:
    XCHG_AVMenuItemObj();
    // Destroy.
    virtual ~XCHG_AVMenuItemObj();
    XCHG_AVMenuItemObj(const XCHG_AVMenuItemObj&) = delete;
    XCHG_AVMenuItemObj& operator=(const XCHG_AVMenuItemObj&) = delete;

    virtual PDFL_Bool ComputeEnabled() { return 1; }
    virtual PDFL_Bool ComputeMarked() { return 0; }
    // Alerts "MenuItem: <title> Execute callback invoked", the title as the
    // host reports it into 100 bytes.
    virtual void Execute();

    // Destroy, then an item named "<plug-in name>:<suffix>" with the title
    // of titleStringId, the icon of iconBitmapId (0 for none) and the three
    // callbacks.
    void Create(uint32_t titleStringId, const char* suffix, PDFL_AVMenu submenu, char shortcut,
                uint16_t flags, uint16_t iconBitmapId);
    void CreateItem(uint32_t titleStringId, const char* suffix, char shortcut, uint16_t flags,
                    uint16_t iconBitmapId) {
        Create(titleStringId, suffix, nullptr, shortcut, flags, iconBitmapId);
    }
    // Releases what exists: callbacks, host item, icon.
    void Destroy();
    PDFL_AVMenuItem HostItem() const { return m_holder.m_item; }

    static PDFL_Bool PrivateComputeEnabled(void* clientData);
    static PDFL_Bool PrivateComputeMarked(void* clientData);
    static void PrivateExecute(void* clientData);

protected:
    // "<suffix><plug-in name>" into buffer (256 bytes).
    static const char* SuffixWithName(const char* suffix, char (&buffer)[256]);

private:
    static XCHG_AVMenuItemObj* FromClientData(void* clientData);

    HBITMAP m_icon = nullptr;
    XCHG_AVMenuItemHolder m_holder;
    PDFL_ASCallback m_computeEnabledProc = nullptr;
    PDFL_ASCallback m_computeMarkedProc = nullptr;
    PDFL_ASCallback m_executeProc = nullptr;
};
