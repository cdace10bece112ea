// Counted pointers, copy-on-write pointers and the stack.
#include "COMN_COWReferenceCountPointer.h"
#include "COMN_ReferenceCountPointer.h"
#include "GLIB_RefCountPrivateBase.h"
#include "GLIB_Stack.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Counts live instances so that leaks and double deletes show.
struct Tracked {
    static int s_live;
    static bool s_failCopy;
    int value;
    explicit Tracked(int v) : value(v) { ++s_live; }
    Tracked(const Tracked& o) : value(o.value) {
        if (s_failCopy)
            throw std::runtime_error("copy failed");
        ++s_live;
    }
    ~Tracked() { --s_live; }
};
int Tracked::s_live = 0;
bool Tracked::s_failCopy = false;

// Objects that hold handles of their own kind, as list nodes do.
struct Node {
    Tracked t{0};
    COMN_ReferenceCountPointer<Node> next;
};
struct CowNode {
    Tracked t{0};
    COMN_COWReferenceCountPointer<CowNode> next;
};
struct Chain : GLIB_RefCountPrivateBase<std::vector<Chain>> {
    std::vector<Chain>& Links() { return Core(); }
};

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
        // Assigned from a handle inside the object it releases: node = node->next.
        COMN_ReferenceCountPointer<Node> head(new Node);
        head->next = new Node;
        head = head->next;
        EXPECT_EQ(head.RefCount(), 1);
        COMN_COWReferenceCountPointer<CowNode> cowHead(new CowNode);
        cowHead.Mutable()->next = new CowNode;
        cowHead = cowHead->next;
        EXPECT_EQ(cowHead.RefCount(), 1);
        Chain chain;
        chain.Links().push_back(Chain());
        chain = chain.Links()[0];
        EXPECT_TRUE(chain.Links().empty());
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
        Tracked::s_failCopy = true;  // a failed copy keeps no count, and d stays as it was
        EXPECT_THROW(COMN_COWReferenceCountPointer<Tracked>{a}, std::runtime_error);
        EXPECT_THROW(d = a, std::runtime_error);
        Tracked::s_failCopy = false;
        EXPECT_EQ(a.RefCount() * 10 + d.RefCount(), 11);
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

    GLIB_Stack<Fragile> copy(stack);  // its own elements, the same capacity
    copy.Top().text = "changed";
    EXPECT_EQ(stack.Top().text, std::string(40, 'a') + "1");
    EXPECT_EQ(copy.Capacity(), 64u);
    Fragile::s_copies = 0;
    Fragile::s_throwAt = 1;  // a copy that fails half-way leaks nothing
    EXPECT_THROW(GLIB_Stack<Fragile>{stack}, std::runtime_error);
    Fragile::s_throwAt = -1;
}

TEST(GLIB_Stack, GrowthDoublesOnceTheStackIsLarge) {
    GLIB_Stack<int> stack(4);
    std::vector<size_t> capacities;
    for (int i = 0; i < 1000; ++i) {
        const size_t before = stack.Capacity();
        stack.Push(i);
        if (stack.Capacity() != before)
            capacities.push_back(stack.Capacity());
    }
    // 4 + 32, then doubling: a push costs amortised constant time.
    EXPECT_EQ(capacities, (std::vector<size_t>{36, 72, 144, 288, 576, 1152}));
    EXPECT_EQ(stack[999], 999);
}
