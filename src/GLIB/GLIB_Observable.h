// Observables deliver messages to the callbacks that targets attached to them.
// Either side may go first: they share the list, and a target's destructor
// removes its callbacks from every list it registered with.
#pragma once

#include "GLIB/GLIB_CallbackList.h"

#include <cstdint>
#include <vector>

class GLIB_Observable {
public:
    GLIB_Observable() = default;
    GLIB_Observable(const GLIB_Observable&) = delete;
    GLIB_Observable& operator=(const GLIB_Observable&) = delete;
    virtual ~GLIB_Observable();

    // Takes ownership of callback; returns the number of callbacks.
    uint32_t Attach(GLIB_CallbackBase* callback) { return m_callbacks.Attach(callback); }
    uint32_t Detach(const GLIB_MessageTarget* target) { return m_callbacks.DetachTarget(target); }
    void DetachAll() { m_callbacks.Clear(); }
    void Notify(const GLIB_Message& message) const { m_callbacks.Notify(message); }

private:
    GLIB_CallbackListRef m_callbacks;
};

class GLIB_MessageTarget {
public:
    GLIB_MessageTarget() = default;
    GLIB_MessageTarget(const GLIB_MessageTarget&) = delete;
    GLIB_MessageTarget& operator=(const GLIB_MessageTarget&) = delete;
    virtual ~GLIB_MessageTarget();

    // False when the list is already recorded.
    bool AddRegistration(const GLIB_CallbackListRef& list);

private:
    std::vector<GLIB_CallbackListRef> m_registrations;
};
