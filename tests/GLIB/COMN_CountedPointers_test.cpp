// Counted pointers, copy-on-write pointers, the private counted base and the stack.
#include "COMN_COWReferenceCountPointer.h"
#include "COMN_ReferenceCountPointer.h"
#include "GLIB_RefCountPrivateBase.h"
#include "GLIB_Stack.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Counts live instances so that leaks and double deletes show.
struct Tracked {
    static int s_live;
    int value;
    explicit Tracked(int v = 0) : value(v) { ++s_live; }
    Tracked(const Tracked& o) : value(o.value) { ++s_live; }
    virtual ~Tracked() { --s_live; }
};
int Tracked::s_live = 0;

struct Derived : Tracked {
    static int s_derivedGone;
    using Tracked::Tracked;
    ~Derived() override { ++s_derivedGone; }
};
int Derived::s_derivedGone = 0;

class Handle : private GLIB_RefCountPrivateBase<std::vector<int>> {
public:
    using Base = GLIB_RefCountPrivateBase<std::vector<int>>;
    std::vector<int>& Values() const { return Core(); }
    int32_t Count() const { return RefCount(); }
};

// Throws on the copy that makes the nth instance.
struct Fragile {
    static int s_copies;
    static int s_throwAt;
    std::string text;
    explicit Fragile(std::string t) : text(std::move(t)) {}
    Fragile(const Fragile& o) : text(o.text) {
        if (++s_copies == s_throwAt)
            throw std::runtime_error("copy failed");
    }
};
int Fragile::s_copies = 0;
int Fragile::s_throwAt = -1;

}  // namespace

TEST(COMN_ReferenceCountPointer, SharesCountsAndDeletesOnce) {
    {
        COMN_ReferenceCountPointer<Tracked> a(new Tracked(1));
        EXPECT_EQ(a.RefCount(), 1);
        {
            COMN_ReferenceCountPointer<Tracked> b(a);
            EXPECT_EQ(a.RefCount(), 2);
            EXPECT_EQ(b.get(), a.get());
        }
        EXPECT_EQ(a.RefCount(), 1);
        // Assigning the object it already holds changes nothing.
        Tracked* same = a.get();
        a = same;
        EXPECT_EQ(a.RefCount(), 1);
        EXPECT_EQ(Tracked::s_live, 1);
        // Assigning another object deletes the old one when this was its last handle.
        a = new Tracked(2);
        EXPECT_EQ(Tracked::s_live, 1);
        EXPECT_EQ(a->value, 2);
        COMN_ReferenceCountPointer<Tracked> c;
        c = a;
        a = c;  // same counter: nothing
        EXPECT_EQ(c.RefCount(), 2);
    }
    EXPECT_EQ(Tracked::s_live, 0);

    COMN_ReferenceCountPointer<Tracked> null(nullptr);
    COMN_ReferenceCountPointer<Tracked> copy(null);
    EXPECT_TRUE(null.isNull());
    EXPECT_TRUE(copy.isNull());
    EXPECT_EQ(copy.get(), nullptr);

    {
        COMN_ReferenceCountPointer<Tracked> base(new Derived(3));
    }
    EXPECT_EQ(Derived::s_derivedGone, 1);  // deleted through the virtual destructor
    EXPECT_EQ(Tracked::s_live, 0);
}

TEST(COMN_COWReferenceCountPointer, ChangesOnlyItsOwnCopy) {
    {
        COMN_COWReferenceCountPointer<Tracked> a(new Tracked(1));
        COMN_COWReferenceCountPointer<Tracked> b(a);
        EXPECT_EQ(a.get(), b.get());  // reading never copies
        EXPECT_EQ(a.RefCount(), 2);
        b.Mutable()->value = 2;
        EXPECT_EQ(a->value, 1);
        EXPECT_EQ(b->value, 2);
        EXPECT_EQ(a.RefCount(), 1);
        EXPECT_EQ(b.RefCount(), 1);
        const Tracked* before = a.get();
        a.Mutable()->value = 3;  // sole owner: changed in place
        EXPECT_EQ(a.get(), before);
        EXPECT_EQ(Tracked::s_live, 2);

        // An unshareable holder gives every copy its own object at once.
        a.MarkUnshareable();
        COMN_COWReferenceCountPointer<Tracked> c(a);
        EXPECT_NE(c.get(), a.get());
        EXPECT_EQ(c->value, 3);
        COMN_COWReferenceCountPointer<Tracked> d;
        d = a;
        EXPECT_NE(d.get(), a.get());
        EXPECT_EQ(Tracked::s_live, 4);
    }
    EXPECT_EQ(Tracked::s_live, 0);
}

TEST(GLIB_RefCountPrivateBase, CopiesShareTheCoreAndTheLastDeletesIt) {
    Handle a;
    a.Values().push_back(1);
    {
        Handle b(a);
        EXPECT_EQ(a.Count(), 2);
        b.Values().push_back(2);  // shared, not copied
        Handle c;
        c = b;
        c = c;
        EXPECT_EQ(a.Count(), 3);
    }
    EXPECT_EQ(a.Count(), 1);
    EXPECT_EQ(a.Values().size(), 2u);
}

TEST(GLIB_Stack, GrowsByThirtyTwoAndPushesItsOwnElements) {
    GLIB_Stack<std::string> stack;
    EXPECT_EQ(stack.Capacity(), 32u);
    for (int i = 0; i < 32; ++i)
        stack.Push(std::string(40, static_cast<char>('a' + i % 26)) + std::to_string(i));
    EXPECT_EQ(stack.Capacity(), 32u);
    // Pushing an element of the full stack onto itself: the element moves during the growth.
    stack.Push(stack[5]);
    EXPECT_EQ(stack.Capacity(), 64u);
    EXPECT_EQ(stack.Size(), 33u);
    EXPECT_EQ(stack.Top(), stack[5]);
    EXPECT_EQ(stack.Top(1), std::string(40, 'f') + "31");
    stack.Pop(30);
    EXPECT_EQ(stack.Size(), 3u);
    EXPECT_EQ(stack.Top(), std::string(40, 'c') + "2");
}

TEST(GLIB_Stack, FailedGrowthLeavesTheStackAsItWas) {
    GLIB_Stack<Fragile> stack;
    for (int i = 0; i < 32; ++i)
        stack.Push(Fragile(std::to_string(i)));
    Fragile::s_copies = 0;
    Fragile::s_throwAt = 10;  // during the copy into the new array
    EXPECT_THROW(stack.Push(Fragile("x")), std::runtime_error);
    Fragile::s_throwAt = -1;
    EXPECT_EQ(stack.Size(), 32u);
    EXPECT_EQ(stack.Capacity(), 32u);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(stack[static_cast<size_t>(i)].text, std::to_string(i));
    stack.Push(Fragile("y"));
    EXPECT_EQ(stack.Top().text, "y");
}
