// Delivery of messages while the callback list changes under it.
#include "GLIB/GLIB_New.h"
#include "GLIB/GLIB_Observable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

struct T1 : GLIB_Message {
    std::string Description() const override { return "T1"; }
};
struct T2 : GLIB_Message {
    std::string Description() const override { return "T2"; }
};
struct T1Derived : T1 {};

// Writes its name to the log on each delivery, then runs its action.
struct Target : GLIB_MessageTarget {
    Target(char name, std::string* log) : m_name(name), m_log(log) {}
    template <class M>
    void Listen(GLIB_Observable& o) {
        o.Attach(GLIB_NEW GLIB_Callback<Target, M>(this, &Target::On<M>));
    }
    template <class M>
    void On(const M&) {
        *m_log += m_name;
        // A copy: the action may replace itself or destroy this target.
        if (std::function<void()> action = m_action)
            action();
    }
    char m_name;
    std::string* m_log;
    std::function<void()> m_action;
};

// A, B and C listen to T1 in that order; D listens to nothing yet.
struct World {
    std::string log;
    std::unique_ptr<GLIB_Observable> o = std::make_unique<GLIB_Observable>();
    std::unique_ptr<Target> a = Make('A'), b = Make('B'), c = Make('C'), d = Make('D');
    World() {
        for (Target* t : {a.get(), b.get(), c.get()})
            t->Listen<T1>(*o);
    }
    std::unique_ptr<Target> Make(char name) { return std::make_unique<Target>(name, &log); }
    // Two deliveries, each followed by "|"; "!" where one threw.
    std::string Deliver() {
        for (int i = 0; i < 2; ++i, log += '|') {
            try {
                if (GLIB_Observable* raw = o.get())  // a callback may destroy it
                    raw->Notify(T1());
            } catch (const std::runtime_error&) {
                log += '!';
            }
        }
        return log;
    }
};

}  // namespace

TEST(GLIB_Message, EachCallbackIsOfferedTheMessageOnceWhileTheListChanges) {
    const struct { void (*setup)(World&); const char* delivered; } cases[] = {
        {[](World&) {}, "ABC|ABC|"},
        // C attaches D once: D is reached in the same delivery.
        {[](World& w) { w.c->m_action = [&w] { w.c->m_action = nullptr; w.d->Listen<T1>(*w.o); }; }, "ABCD|ABCD|"},
        // A attaches a callback that accepts nothing each time: B and C are neither repeated nor skipped.
        {[](World& w) { w.a->m_action = [&w] { w.d->Listen<T2>(*w.o); }; }, "ABC|ABC|"},
        // B destroys itself in its own callback.
        {[](World& w) { w.b->m_action = [&w] { w.b.reset(); }; }, "ABC|AC|"},
        // A detaches B (not reached yet) and destroys C.
        {[](World& w) { w.a->m_action = [&w] { w.o->Detach(w.b.get()); w.c.reset(); }; }, "A|A|"},
        // An exception ends the delivery; the next one reaches everyone, also when A changes the list.
        {[](World& w) {
             w.a->m_action = [&w] { w.d->Listen<T2>(*w.o); };
             w.b->m_action = [&w] { w.b->m_action = nullptr; throw std::runtime_error("b"); };
         },
         "AB!|ABC|"},
        // A destroys the observable and every target, itself included.
        {[](World& w) { w.a->m_action = [&w] { w.o.reset(); w.b.reset(); w.c.reset(); w.d.reset(); w.a.reset(); }; },
         "A||"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        World w;
        cases[i].setup(w);
        EXPECT_EQ(w.Deliver(), cases[i].delivered);
    }
}

TEST(GLIB_Message, OnlyTheExactTypeIsDeliveredAndEitherSideMayGoFirst) {
    std::string log;
    GLIB_Observable o;
    Target a('A', &log);
    a.Listen<T1>(o);
    o.Notify(T1Derived());
    o.Notify(T2());
    o.Notify(T1());
    EXPECT_EQ(log, "A");
    {
        auto gone = std::make_unique<GLIB_Observable>();
        Target b('B', &log);
        b.Listen<T1>(*gone);
        b.Listen<T2>(*gone);  // second callback on the same list
        gone.reset();         // b outlives the observable
    }
    {
        auto gone = std::make_unique<Target>('C', &log);
        gone->Listen<T1>(o);
    }
    o.Notify(T1());
    EXPECT_EQ(log, "AA");
    EXPECT_THROW((GLIB_Callback<Target, T1>(nullptr, &Target::On<T1>)), TestAssertionFailure);
}
