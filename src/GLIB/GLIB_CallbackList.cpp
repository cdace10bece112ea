#include "GLIB/GLIB_CallbackList.h"

uint32_t GLIB_CallbackList::Add(GLIB_CallbackBase* callback) {
    m_entries.push_back(Entry{callback, m_generation});
    m_modified = true;
    return Size();
}

uint32_t GLIB_CallbackList::RemoveTarget(const GLIB_MessageTarget* target) {
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->callback->IsTarget(target)) {
            delete it->callback;
            it = m_entries.erase(it);
            m_modified = true;
        } else {
            ++it;
        }
    }
    return Size();
}

void GLIB_CallbackList::Clear() {
    while (!m_entries.empty()) {
        // Erase before deleting: a callback's destructor must not find itself.
        GLIB_CallbackBase* callback = m_entries.front().callback;
        m_entries.pop_front();
        delete callback;
    }
    m_modified = true;
}

void GLIB_CallbackList::Notify(const GLIB_Message& message) {
    m_modified = false;
    const uint8_t reached = m_generation ? 0 : 1;
    try {
        auto it = m_entries.begin();
        while (it != m_entries.end()) {
            it->mark = reached;
            GLIB_CallbackBase* callback = it->callback;
            if (callback->Accepts(message))
                callback->Invoke(message);
            if (m_modified) {
                // The entry may be gone: the reached ones always form the front.
                m_modified = false;
                it = m_entries.begin();
                while (it != m_entries.end() && it->mark == reached)
                    ++it;
            } else {
                ++it;
            }
        }
    } catch (...) {
        for (Entry& entry : m_entries)
            entry.mark = m_generation;
        throw;
    }
    m_generation = reached;
}

uint32_t GLIB_CallbackListRef::Attach(GLIB_CallbackBase* callback) {
    callback->Register(*this);
    m_count = Core().Add(callback);
    return m_count;
}

uint32_t GLIB_CallbackListRef::DetachTarget(const GLIB_MessageTarget* target) {
    m_count = Core().RemoveTarget(target);
    return m_count;
}

void GLIB_CallbackListRef::Clear() {
    Core().Clear();
    m_count = 0;
}

void GLIB_CallbackListRef::Notify(const GLIB_Message& message) const {
    if (m_count == 0)
        return;
    // A callback may destroy the observable: keep the list alive meanwhile.
    const GLIB_CallbackListRef keep(*this);
    keep.Core().Notify(message);
}
