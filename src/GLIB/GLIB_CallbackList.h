// The shared list of callbacks behind an observable, and the counted
// reference through which observables and targets share it.
#pragma once

#include "GLIB/GLIB_Message.h"
#include "GLIB_RefCountPrivateBase.h"

#include <cstdint>
#include <list>

class GLIB_CallbackList {
public:
    GLIB_CallbackList() = default;
    GLIB_CallbackList(const GLIB_CallbackList&) = delete;
    GLIB_CallbackList& operator=(const GLIB_CallbackList&) = delete;
    GLIB_CallbackList(GLIB_CallbackList&&) = delete;
    ~GLIB_CallbackList() { Clear(); }

    // Appends an owned callback; returns the number of entries.
    uint32_t Add(GLIB_CallbackBase* callback);
    // Deletes the target's callbacks; returns the number of entries left.
    uint32_t RemoveTarget(const GLIB_MessageTarget* target);
    void Clear();
    // Offers the message to every callback at most once, in attach order, also
    // while callbacks attach, detach or destroy targets during the delivery.
    // An exception from a callback ends the delivery and passes on.
    void Notify(const GLIB_Message& message);

    uint32_t Size() const { return static_cast<uint32_t>(m_entries.size()); }

private:
    struct Entry {
        GLIB_CallbackBase* callback;
        uint8_t mark;
    };
    std::list<Entry> m_entries;
    bool m_modified = false;
    uint8_t m_generation = 1;
};

class GLIB_CallbackListRef : private GLIB_RefCountPrivateBase<GLIB_CallbackList> {
public:
    GLIB_CallbackListRef() = default;

    // Registers the callback with its target, then appends it (owned).
    uint32_t Attach(GLIB_CallbackBase* callback);
    uint32_t DetachTarget(const GLIB_MessageTarget* target);
    void Clear();
    // Delivers unless this reference last saw an empty list.
    void Notify(const GLIB_Message& message) const;

    bool SameList(const GLIB_CallbackListRef& other) const { return SameCore(other); }
    uint32_t Count() const { return m_count; }
    uint32_t Size() const { return Core().Size(); }

private:
    uint32_t m_count = 0;
};
