#include "GLOB/GLOB_Dict.h"

#include "GLOB_TestUtil.h"

#include <gtest/gtest.h>

namespace {

// The keys in order, "~" for the empty name.
std::string Keys(const GLOB_Dict& dict) {
    std::string text;
    GLOB_Name key;
    for (uint32_t i = 0; dict.Entry(i, &key, nullptr); ++i)
        text += key.CStr() ? key.CStr() : "~";
    return text;
}

GLOB_Object Int(int32_t value) { return GLOB_ObjectFactory::NewInteger(value); }

}  // namespace

TEST(GLOB_Dict, PutReplacesInPlaceAndRemoveClosesTheGap) {
    GLOB_Dict dict(4);
    dict.Put("A", Int(1));
    dict.Put(GLOB_Name("B"), Int(2));
    dict.Put("A", Int(3));
    EXPECT_EQ(Keys(dict) + std::to_string(dict.Get("A").AsInteger()), "AB3");
    dict.Remove("A");
    dict.Remove(GLOB_Name("Missing"));
    EXPECT_EQ(Keys(dict), "B");
    GLOB_Name key("untouched");  // past the end: the out-arguments stay
    EXPECT_FALSE(dict.Entry(1, &key, nullptr));
    EXPECT_TRUE(key == "untouched");
    // The empty name is a key of its own, never matched by a C string.
    dict.Put(GLOB_Name(), Int(9));
    EXPECT_FALSE(dict.Known(""));
    dict.Put("", Int(8));
    EXPECT_EQ(dict.Size(), 3u);
    EXPECT_EQ(dict.Get(GLOB_Name()).AsInteger(), 9);
    // A Null value counts as absent for lookups, not for Known.
    dict.Put("N", GLOB_ObjectFactory::NewNull());
    GLOB_Object out = Int(1);
    EXPECT_TRUE(dict.Known("N") && !dict.Lookup("N", out) && out.IsNull());
    EXPECT_EQ(dict.Get("N", Int(5)).AsInteger(), 5);
    // Copies detach on change; values are handles that a copy shares.
    const GLOB_Object shared = GLOB_ObjectFactory::NewEmptyDict();
    dict.Put("D", shared);
    GLOB_Dict copy(dict);
    copy.Put("B", Int(4));
    GLOB_Dict assigned;
    assigned = dict;
    assigned.Remove("B");
    EXPECT_EQ(std::to_string(dict.Get("B").AsInteger()) + Keys(assigned), "2~ND");
    shared.DictPut(GLOB_Name("Seen"), Int(1));
    EXPECT_TRUE(copy.Get("D").Known(GLOB_Name("Seen")));
}

TEST(GLOB_Dict, TypedReadsAndTypeTests) {
    const GLOB_Dict dict = GLOB_ObjectFactory::MemoryDoc()
                               .ParseObject("<< /Type /XObject /Subtype /Image /Bool true /Int 3 /Real 1.5 /Str (s) "
                                            "/Null null >>")
                               .AsDict();
    EXPECT_TRUE(dict.BooleanValue("Bool") && dict.NameValue("Type") == "XObject" && dict.StringValue("Str") == "s");
    EXPECT_DOUBLE_EQ(dict.NumberValue("Int"), 3.0);
    // A Null value counts as absent: the default, or "Unable to find".
    EXPECT_EQ(dict.IntegerValue("Null", 7), 7);
    EXPECT_DOUBLE_EQ(dict.NumberValue("Missing", 2.5), 2.5);
    EXPECT_EQ(Failure([&] { dict.IntegerValue("Null"); }), "1151007 Unable to find Null");
    EXPECT_EQ(Failure([&] { dict.IntegerValue("Real"); }), "1151006 Expecting Real to be a Integer, found a Real");
    EXPECT_EQ(Failure([&] { dict.IntegerValue("Real", 0); }), "1151006 Expecting Real to be an integer, found a Real");
    EXPECT_EQ(Failure([&] { dict.NumberValue("Bool"); }), "1151006 Expecting Bool to be a Number, found a Boolean");
    EXPECT_EQ(Failure([&] { dict.StringValue("Type", GLOB_String()); }),
              "1151006 Expecting Type to be a string, found a Name");
    EXPECT_TRUE(dict.HasType("XObject") && dict.HasType("XObject", "Image") && dict.HasSubtype("Image"));
    EXPECT_FALSE(dict.HasType("XObject", "Form") || dict.HasType("Font") || dict.HasSubtype("Form"));
}
