#include "GLOB/GLOB_Array.h"

#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The elements as integers, "n" for Null.
std::string Elements(const GLOB_Array& array) {
    std::string text;
    for (uint32_t i = 0; i < array.Length(); ++i) {
        const GLOB_Object element = array.Get(i);
        text += element.IsNull() ? "n" : std::to_string(element.AsInteger());
    }
    return text;
}

}  // namespace

TEST(GLOB_Array, PutInsertAndRemoveAtAndPastTheEnd) {
    GLOB_Array array(0);
    array.Put(3, GLOB_ObjectFactory::NewInteger(7));
    EXPECT_EQ(Elements(array), "nnn7");
    array.Put(1, GLOB_ObjectFactory::NewInteger(1));
    EXPECT_EQ(Elements(array), "n1n7");
    array.Insert(10, GLOB_ObjectFactory::NewInteger(9));
    EXPECT_EQ(Elements(array), "n1n79");
    array.Insert(0, GLOB_ObjectFactory::NewInteger(2));
    EXPECT_EQ(Elements(array), "2n1n79");
    array.Remove(5);
    array.Remove(50);
    array.Remove(1);
    EXPECT_EQ(Elements(array), "21n7");
    EXPECT_EQ(Elements(GLOB_Array(3)), "nnn");
    try {
        array.Get(4);
        ADD_FAILURE() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 1125003u);
    }
}

TEST(GLOB_Array, CopiesDetachOnChange) {
    GLOB_Array original(1);
    GLOB_Array copy(original);
    copy.Put(0, GLOB_ObjectFactory::NewInteger(1));
    EXPECT_EQ(Elements(original), "n");
    GLOB_Array assigned;
    assigned = copy;
    assigned.Remove(0);
    EXPECT_EQ(Elements(copy), "1");
    EXPECT_EQ(Elements(assigned), "");
    // Putting an array's own element back needs no copy of it.
    copy.Put(1, copy.Get(0));
    EXPECT_EQ(Elements(copy), "11");
}

TEST(GLOB_Array, DeepEqualityAndOwnCopies) {
    GLOB_Array a(0);
    GLOB_Array b(0);
    a.Put(0, GLOB_ObjectFactory::NewInteger(1));
    b.Put(0, GLOB_ObjectFactory::NewReal(1.0));
    EXPECT_TRUE(a.IsDeepEqual(b));
    b.Put(1, GLOB_ObjectFactory::NewNull());
    EXPECT_FALSE(a.IsDeepEqual(b));
    EXPECT_FALSE(b.IsDeepEqual(a));

    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%PDF-1.3", 0);
    GLOB_Array foreign(0);
    foreign.Put(0, doc.NewInteger(5, false));
    const GLOB_Array own = foreign.Copy();
    EXPECT_EQ(own.Get(0).GetImpl(), GLOB_ObjectFactory::MemoryDoc().Impl());
    EXPECT_TRUE(own.IsDeepEqual(foreign));
}
