// Counted pointers, copy-on-write pointers and the stack.
#include "COMN_COWReferenceCountPointer.h"
#include "COMN_ReferenceCountPointer.h"
#include "GLIB_Stack.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// Counts live instances so that leaks and double deletes show.
struct Tracked {
    static int s_live;
    int value;
    explicit Tracked(int v) : value(v) { ++s_live; }
    Tracked(const Tracked& o) : value(o.value) { ++s_live; }
    ~Tracked() { --s_live; }
};
int Tracked::s_live = 0;

// A string whose copy number s_throwAt throws.
struct Fragile {
    static int s_copies, s_throwAt;
    std::string text;
    explicit Fragile(std::string t) : text(std::move(t)) {}
    Fragile(const Fragile& o) : text(o.text) {
        if (++s_copies == s_throwAt)
            throw std::runtime_error("copy failed");
    }
};
int Fragile::s_copies = 0, Fragile::s_throwAt = -1;

}  // namespace

TEST(COMN_ReferenceCountPointer, SharesCountsAndDeletesOnce) {
    {
        COMN_ReferenceCountPointer<Tracked> a(new Tracked(1)), null(nullptr), c(null);
        c = a;
        EXPECT_EQ(a.RefCount(), 2);
        c = null;
        a = a.get();  // the object it already holds: nothing happens
        EXPECT_EQ(a->value, 1);
        a = new Tracked(2);  // the last handle of the old object deletes it
        EXPECT_EQ(Tracked::s_live, 1);
        c = a;
        a = c;  // the same counter
        EXPECT_EQ(c.RefCount(), 2);
    }
    EXPECT_EQ(Tracked::s_live, 0);
}

TEST(COMN_COWReferenceCountPointer, ChangesOnlyItsOwnCopy) {
    {
        COMN_COWReferenceCountPointer<Tracked> a(new Tracked(1)), b(a);
        EXPECT_EQ(a.get(), b.get());  // reading never copies
        b.Mutable()->value = 2;
        EXPECT_EQ(a->value * 10 + b->value, 12);
        const Tracked* before = a.get();
        a.Mutable()->value = 3;  // sole owner: changed in place
        EXPECT_EQ(a.get(), before);
        a.MarkUnshareable();  // every copy gets its own object at once
        COMN_COWReferenceCountPointer<Tracked> c(a), d;
        d = a;
        EXPECT_EQ(Tracked::s_live, 4);
        EXPECT_EQ(d->value, 3);
    }
    EXPECT_EQ(Tracked::s_live, 0);
}

TEST(GLIB_Stack, GrowsKeepingItsElementsEvenWhenACopyFails) {
    GLIB_Stack<Fragile> stack;
    for (int i = 0; i < 32; ++i)
        stack.Push(Fragile(std::string(40, 'a') + std::to_string(i)));
    Fragile::s_copies = 0;
    Fragile::s_throwAt = 10;  // during the copy into the grown array
    EXPECT_THROW(stack.Push(Fragile("x")), std::runtime_error);
    EXPECT_EQ(stack.Capacity(), 32u);
    ASSERT_EQ(stack.Size(), 32u);
    for (size_t i = 0; i < 32; ++i)
        EXPECT_EQ(stack[i].text, std::string(40, 'a') + std::to_string(i));
    Fragile::s_throwAt = -1;
    stack.Push(stack[5]);  // its own element, which moves while the stack grows
    EXPECT_EQ(stack.Capacity(), 64u);
    EXPECT_EQ(stack.Top().text, std::string(40, 'a') + "5");
    stack.Pop(31);
    EXPECT_EQ(stack.Top(1).text, std::string(40, 'a') + "0");
}
