#include "GLIB/GLIB_Observable.h"

GLIB_Observable::~GLIB_Observable() { m_callbacks.Clear(); }

GLIB_MessageTarget::~GLIB_MessageTarget() {
    for (GLIB_CallbackListRef& list : m_registrations)
        list.DetachTarget(this);
    m_registrations.clear();
}

bool GLIB_MessageTarget::AddRegistration(const GLIB_CallbackListRef& list) {
    for (const GLIB_CallbackListRef& known : m_registrations)
        if (known.SameList(list))
            return false;
    m_registrations.push_back(list);
    return true;
}
