// Typed messages and the callbacks that bind one member function of one
// target to one exact message type.
#pragma once

#include "GLIB/GLIB_Assert.h"

#include <string>
#include <typeinfo>

class GLIB_CallbackListRef;
class GLIB_MessageTarget;

class GLIB_Message {
public:
    virtual ~GLIB_Message() = default;
    // A name for the message ("GLIB_GlobalsMessage").
    virtual std::string Description() const = 0;
};

class GLIB_CallbackBase {
public:
    virtual ~GLIB_CallbackBase() = default;
    // Records the list with the callback's target.
    virtual void Register(const GLIB_CallbackListRef& list) = 0;
    virtual bool Accepts(const GLIB_Message& message) const = 0;
    virtual void Invoke(const GLIB_Message& message) = 0;
    virtual bool IsTarget(const GLIB_MessageTarget* target) const = 0;
};

// Target derives from GLIB_MessageTarget. Only messages whose dynamic type is
// exactly Message are delivered: a derived message type does not match.
template <class Target, class Message>
class GLIB_Callback : public GLIB_CallbackBase {
public:
    using Method = void (Target::*)(const Message&);

    GLIB_Callback(Target* target, Method method) : m_type(typeid(Message)) {
        if (target == nullptr) {
            GLIB_MessageStream ms;
            ms << "pTarget!=NULL :: " << static_cast<const void*>(target) << "!=" << 0;
            ms.Assert(__FILE__, __LINE__);
        }
        m_target = target;
        m_method = method;
    }

    void Register(const GLIB_CallbackListRef& list) override { m_target->AddRegistration(list); }
    bool Accepts(const GLIB_Message& message) const override { return typeid(message) == m_type; }
    void Invoke(const GLIB_Message& message) override {
        (m_target->*m_method)(static_cast<const Message&>(message));
    }
    bool IsTarget(const GLIB_MessageTarget* target) const override {
        return static_cast<const GLIB_MessageTarget*>(m_target) == target;
    }

private:
    const std::type_info& m_type;
    Target* m_target = nullptr;
    Method m_method = nullptr;
};
