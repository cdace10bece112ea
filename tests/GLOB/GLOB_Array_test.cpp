#include "GLOB/GLOB_Array.h"

#include "GLOB_TestUtil.h"

#include <gtest/gtest.h>

namespace {

// The elements as integers, "n" for Null.
std::string Elements(const GLOB_Array& array) {
    std::string text;
    for (uint32_t i = 0; i < array.Length(); ++i)
        text += array.Get(i).IsNull() ? "n" : std::to_string(array.Get(i).AsInteger());
    return text;
}

GLOB_Object Int(int32_t value) { return GLOB_ObjectFactory::NewInteger(value); }

}  // namespace

TEST(GLOB_Array, PutInsertAndRemoveAtAndPastTheEnd) {
    GLOB_Array array(0);
    array.Put(3, Int(7));
    array.Put(1, Int(1));
    array.Insert(10, Int(9));
    array.Insert(0, Int(2));
    EXPECT_EQ(Elements(array), "2n1n79");
    array.Remove(5);
    array.Remove(50);
    array.Remove(1);
    EXPECT_EQ(Elements(array), "21n7");
    EXPECT_EQ(Elements(GLOB_Array(3)), "nnn");
    EXPECT_EQ(Failure([&] { array.Get(4); }).substr(0, 8), "1125003 ");
}

// Copies detach on change; Copy brings foreign elements in.
TEST(GLOB_Array, CopiesDetachOnChangeAndOwnCopies) {
    GLOB_Array original(1);
    GLOB_Array copy(original);
    copy.Put(0, Int(1));
    GLOB_Array assigned;
    assigned = copy;
    assigned.Remove(0);
    copy.Put(1, copy.Get(0));  // the array's own element needs no copy
    EXPECT_EQ(Elements(original) + "|" + Elements(copy) + "|" + Elements(assigned), "n|11|");
    GLOB_Array foreign(0);
    foreign.Put(0, NewMemoryDoc().NewInteger(5, false));
    const GLOB_Array own = foreign.Copy();
    EXPECT_EQ(own.Get(0).GetImpl(), GLOB_ObjectFactory::MemoryDoc().Impl());
    EXPECT_TRUE(own.IsDeepEqual(foreign));
}
