#include "GLOB/GLOB_Dict.h"

#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

std::string Keys(const GLOB_Dict& dict) {
    std::string text;
    GLOB_Name key;
    for (uint32_t i = 0; dict.Entry(i, &key, nullptr); ++i)
        text += key.CStr();
    return text;
}

std::string Failure(const std::function<void()>& call) {
    try {
        call();
    } catch (const GLIB_Exception& e) {
        return std::to_string(e.Code()) + " " + e.What();
    }
    return "no exception";
}

}  // namespace

TEST(GLOB_Dict, PutReplacesInPlaceAndRemoveClosesTheGap) {
    GLOB_Dict dict(4);
    dict.Put("A", GLOB_ObjectFactory::NewInteger(1));
    dict.Put(GLOB_Name("B"), GLOB_ObjectFactory::NewInteger(2));
    dict.Put("A", GLOB_ObjectFactory::NewInteger(3));
    EXPECT_EQ(Keys(dict), "AB");
    EXPECT_EQ(dict.Get("A").AsInteger(), 3);
    dict.Remove("A");
    dict.Remove(GLOB_Name("Missing"));
    EXPECT_EQ(Keys(dict), "B");

    // Entry past the end leaves the out-arguments alone.
    GLOB_Name key("untouched");
    EXPECT_FALSE(dict.Entry(1, &key, nullptr));
    EXPECT_TRUE(key == "untouched");

    // The empty name is a key of its own, never matched by a C string.
    dict.Put(GLOB_Name(), GLOB_ObjectFactory::NewInteger(9));
    EXPECT_TRUE(dict.Known(GLOB_Name()));
    EXPECT_FALSE(dict.Known(""));
    dict.Put("", GLOB_ObjectFactory::NewInteger(8));
    EXPECT_EQ(dict.Size(), 3u);
    EXPECT_EQ(dict.Get(GLOB_Name()).AsInteger(), 9);
    EXPECT_EQ(dict.Get("").AsInteger(), 8);
}

TEST(GLOB_Dict, NullValuesCountAsAbsentForLookupButNotForKnown) {
    GLOB_Dict dict(0);
    dict.Put("N", GLOB_ObjectFactory::NewNull());
    GLOB_Object out = GLOB_ObjectFactory::NewInteger(1);
    EXPECT_TRUE(dict.Known("N"));
    EXPECT_FALSE(dict.Lookup("N", out));
    EXPECT_TRUE(out.IsNull());
    EXPECT_EQ(dict.Get("N", GLOB_ObjectFactory::NewInteger(5)).AsInteger(), 5);
    EXPECT_EQ(dict.Get("Missing", GLOB_ObjectFactory::NewInteger(6)).AsInteger(), 6);
    EXPECT_TRUE(dict.Get("Missing").IsNull());
    EXPECT_FALSE(dict.Known("Missing"));
}

TEST(GLOB_Dict, CopiesDetachOnChange) {
    GLOB_Dict original(0);
    original.Put("A", GLOB_ObjectFactory::NewInteger(1));
    GLOB_Dict copy(original);
    copy.Put("A", GLOB_ObjectFactory::NewInteger(2));
    copy.Put("B", GLOB_ObjectFactory::NewInteger(3));
    EXPECT_EQ(original.Get("A").AsInteger(), 1);
    EXPECT_EQ(original.Size(), 1u);
    GLOB_Dict assigned;
    assigned = original;
    assigned.Remove("A");
    EXPECT_EQ(original.Size(), 1u);
    EXPECT_EQ(assigned.Size(), 0u);
    // Values are handles: a copied entry still names the same object.
    const GLOB_Object shared = GLOB_ObjectFactory::NewEmptyDict();
    original.Put("D", shared);
    GLOB_Dict second(original);
    second.Put("X", GLOB_ObjectFactory::NewNull());
    shared.DictPut(GLOB_Name("Seen"), GLOB_ObjectFactory::NewInteger(1));
    EXPECT_TRUE(second.Get("D").Known(GLOB_Name("Seen")));
}

TEST(GLOB_Dict, TypedReads) {
    const GLOB_Dict dict = GLOB_ObjectFactory::MemoryDoc()
                               .ParseObject("<< /Bool true /Int 3 /Real 1.5 /Name /N /Str (s) /Null null >>")
                               .AsDict();
    EXPECT_TRUE(dict.BooleanValue("Bool"));
    EXPECT_EQ(dict.IntegerValue("Int"), 3);
    EXPECT_DOUBLE_EQ(dict.NumberValue("Int"), 3.0);
    EXPECT_TRUE(dict.NameValue("Name") == "N" && dict.StringValue("Str") == "s");
    // A Null value counts as absent: the default, or "Unable to find".
    EXPECT_EQ(dict.IntegerValue("Null", 7), 7);
    EXPECT_DOUBLE_EQ(dict.NumberValue("Missing", 2.5), 2.5);
    struct Case {
        std::function<void()> call;
        const char* failure;
    };
    const Case cases[] = {
        {[&] { dict.IntegerValue("Null"); }, "1151007 Unable to find Null"},
        {[&] { dict.IntegerValue("Real"); }, "1151006 Expecting Real to be a Integer, found a Real"},
        {[&] { dict.IntegerValue("Real", 0); }, "1151006 Expecting Real to be an integer, found a Real"},
        {[&] { dict.BooleanValue("Int", false); }, "1151006 Expecting Int to be a boolean, found a Integer"},
        {[&] { dict.NameValue("Str", GLOB_Name()); }, "1151006 Expecting Str to be a name, found a String"},
        {[&] { dict.NumberValue("Bool"); }, "1151006 Expecting Bool to be a Number, found a Boolean"},
        {[&] { dict.StringValue("Name", GLOB_String()); }, "1151006 Expecting Name to be a string, found a Name"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Failure(cases[i].call), cases[i].failure);
    }
}

TEST(GLOB_Dict, TypeTests) {
    GLOB_Dict dict(0);
    dict.Put("Type", GLOB_ObjectFactory::NewName(GLOB_Name("XObject")));
    EXPECT_FALSE(dict.HasType("XObject", "Image"));
    EXPECT_TRUE(dict.HasType("XObject"));
    EXPECT_FALSE(dict.HasSubtype("Image"));
    dict.Put("Subtype", GLOB_ObjectFactory::NewName(GLOB_Name("Image")));
    EXPECT_TRUE(dict.HasType("XObject", "Image"));
    EXPECT_TRUE(dict.HasSubtype("Image"));
    EXPECT_FALSE(dict.HasType("Font"));
}
