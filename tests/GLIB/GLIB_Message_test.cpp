// Delivery of messages while the callback list changes under it.
#include "GLIB/GLIB_New.h"
#include "GLIB/GLIB_Observable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct T1 : GLIB_Message {
    std::string Description() const override { return "T1"; }
};
struct T2 : GLIB_Message {
    std::string Description() const override { return "T2"; }
};
struct T1Derived : T1 {
    std::string Description() const override { return "T1Derived"; }
};

// A target whose reaction to a message is set by the test.
class Target : public GLIB_MessageTarget {
public:
    explicit Target(std::string name, std::vector<std::string>* log) : m_name(std::move(name)), m_log(log) {}

    template <class M>
    void Listen(GLIB_Observable& o) {
        o.Attach(GLIB_NEW GLIB_Callback<Target, M>(this, &Target::On<M>));
    }
    template <class M>
    void On(const M& m) {
        m_log->push_back(m_name + ":" + m.Description());
        // A copy: the action may replace itself or destroy this target.
        if (std::function<void()> action = m_action)
            action();
    }

    std::string m_name;
    std::vector<std::string>* m_log;
    std::function<void()> m_action;
};

}  // namespace

TEST(GLIB_Message, OnlyTheExactMessageTypeIsDelivered) {
    std::vector<std::string> log;
    GLIB_Observable o;
    Target a("A", &log);
    a.Listen<T1>(o);
    o.Notify(T1Derived());
    o.Notify(T2());
    EXPECT_TRUE(log.empty());
    o.Notify(T1());
    EXPECT_EQ(log, std::vector<std::string>{"A:T1"});
}

TEST(GLIB_Message, CallbackAddedDuringDeliveryIsReachedOnce) {
    std::vector<std::string> log;
    GLIB_Observable o;
    Target a("A", &log), b("B", &log), c("C", &log), d("D", &log);
    a.Listen<T1>(o);
    b.Listen<T2>(o);  // does not accept
    c.Listen<T1>(o);
    c.m_action = [&] {
        c.m_action = nullptr;
        d.Listen<T1>(o);
    };
    o.Notify(T1());
    EXPECT_EQ(log, (std::vector<std::string>{"A:T1", "C:T1", "D:T1"}));
}

TEST(GLIB_Message, ChangesBeforeALaterCallbackDoNotRepeatOrSkipIt) {
    // A attaches a callback that accepts nothing every time it is called; X sits behind it.
    std::vector<std::string> log;
    GLIB_Observable o;
    Target a("A", &log), x("X", &log), silent("S", &log);
    a.Listen<T1>(o);
    x.Listen<T1>(o);
    a.m_action = [&] { silent.Listen<T2>(o); };
    struct Nobody : GLIB_Message {
        std::string Description() const override { return "N"; }
    };
    o.Notify(T1());
    o.Notify(Nobody());
    o.Notify(T1());
    EXPECT_EQ(log, (std::vector<std::string>{"A:T1", "X:T1", "A:T1", "X:T1"}));
}

TEST(GLIB_Message, TargetDestroyedDuringItsOwnCallback) {
    std::vector<std::string> log;
    GLIB_Observable o;
    Target a("A", &log), c("C", &log);
    auto b = std::make_unique<Target>("B", &log);
    a.Listen<T1>(o);
    b->Listen<T1>(o);
    c.Listen<T1>(o);
    b->m_action = [&] { b.reset(); };
    o.Notify(T1());
    EXPECT_EQ(log, (std::vector<std::string>{"A:T1", "B:T1", "C:T1"}));
    log.clear();
    o.Notify(T1());
    EXPECT_EQ(log, (std::vector<std::string>{"A:T1", "C:T1"}));
}

TEST(GLIB_Message, OtherTargetsDetachedOrDestroyedDuringDelivery) {
    std::vector<std::string> log;
    GLIB_Observable o;
    Target a("A", &log), b("B", &log);
    auto c = std::make_unique<Target>("C", &log);
    a.Listen<T1>(o);
    b.Listen<T1>(o);
    c->Listen<T1>(o);
    // A removes B (not reached yet) and destroys C.
    a.m_action = [&] {
        a.m_action = nullptr;
        o.Detach(&b);
        c.reset();
    };
    o.Notify(T1());
    EXPECT_EQ(log, std::vector<std::string>{"A:T1"});
}

TEST(GLIB_Message, ExceptionEndsDeliveryAndTheNextDeliveryReachesEveryone) {
    std::vector<std::string> log;
    GLIB_Observable o;
    Target a("A", &log), b("B", &log), c("C", &log);
    a.Listen<T1>(o);
    b.Listen<T1>(o);
    c.Listen<T1>(o);
    b.m_action = [] { throw std::runtime_error("b failed"); };
    EXPECT_THROW(o.Notify(T1()), std::runtime_error);
    EXPECT_EQ(log, (std::vector<std::string>{"A:T1", "B:T1"}));
    b.m_action = nullptr;
    log.clear();
    o.Notify(T1());
    EXPECT_EQ(log, (std::vector<std::string>{"A:T1", "B:T1", "C:T1"}));
}

TEST(GLIB_Message, ObservableAndTargetsMayGoInEitherOrder) {
    std::vector<std::string> log;
    {
        auto o = std::make_unique<GLIB_Observable>();
        Target a("A", &log), b("B", &log);
        a.Listen<T1>(*o);
        a.Listen<T2>(*o);  // second callback, same list: registered once
        b.Listen<T1>(*o);
        o.reset();  // targets outlive it and detach from a list nobody else holds
    }
    {
        GLIB_Observable o;
        auto a = std::make_unique<Target>("A", &log);
        a->Listen<T1>(o);
        a.reset();
        o.Notify(T1());
    }
    EXPECT_TRUE(log.empty());
}

TEST(GLIB_Message, ObservableDestroyedByACallback) {
    std::vector<std::string> log;
    auto o = std::make_unique<GLIB_Observable>();
    Target a("A", &log), b("B", &log);
    a.Listen<T1>(*o);
    b.Listen<T1>(*o);
    a.m_action = [&] { o.reset(); };
    GLIB_Observable* raw = o.get();
    raw->Notify(T1());
    EXPECT_EQ(log, std::vector<std::string>{"A:T1"});
}

TEST(GLIB_Message, CallbackWithoutTargetFailsItsAssertion) {
    using CB = GLIB_Callback<Target, T1>;
    try {
        CB callback(nullptr, &Target::On<T1>);
        FAIL() << "no assertion";
    } catch (const TestAssertionFailure& f) {
        EXPECT_EQ(f.m_expression, "pTarget!=NULL :: 0!=0");
    }
}
