// Object paths, typed reads, printing and deep equality of GLOB_Object.
#include "GLOB/GLOB_Object.h"

#include "GLOB/GLOB_Dict.h"
#include "GLOB_TestUtil.h"

#include <gtest/gtest.h>

namespace {

const char* const Tree =
    "<< /Type /Page /Resources << /ColorSpace << /CS0 /DeviceRGB >> >> /Kids [ << /Type /Leaf >> 7 ] "
    "/Width 2.5 /Count 3 /Title (t) /Flag true /Nothing null >>";

}  // namespace

TEST(GLOB_ObjectPath, PathsReachThroughDictionariesArraysAndStreams) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object tree = doc.ParseObject(Tree);
    EXPECT_TRUE(tree.GetPath("Type").AsName() == "Page" && tree.GetPath("/Type").AsName() == "Page");
    EXPECT_TRUE(tree.Lookup("/Resources/ColorSpace/CS0").AsName() == "DeviceRGB");
    EXPECT_TRUE(tree.GetPath("/Kids [ 0 ] /Type").AsName() == "Leaf");
    EXPECT_EQ(tree.GetPath("/Kids").GetPath("[1]").AsInteger(), 7);
    // Missing keys and indices out of range are no errors.
    for (const char* path : {"/Kids[2]", "/Kids[-1]", "/Missing", "/Resources/Missing"}) {
        SCOPED_TRACE(path);
        GLOB_Object out = doc.NewInteger(0, false);
        EXPECT_FALSE(tree.KnownPath(path, &out));
        EXPECT_TRUE(out.IsNull());
    }
    EXPECT_TRUE(tree.KnownPath("/Nothing") && tree.KnownPath("Nothing"));
    const GLOB_Object holder = doc.NewArray(1, false);
    holder.ArrayPut(0, StoreStream(doc, "x", "<< /Sub << /Deep [4 5] >> >>"));
    EXPECT_EQ(holder.GetPath("[0]/Sub/Deep[1]").AsInteger(), 5);
    EXPECT_EQ(holder.GetPath("[0]/Length").AsInteger(), 1);
}

TEST(GLOB_ObjectPath, PathErrors) {
    const GLOB_Object tree = NewMemoryDoc().ParseObject(Tree);
    const char* const cases[][2] = {
        {"/Missing/B", "1151003 CosObj at '/Missing' has type 'Null' expecting Dict or Stream"},
        {"/Resources[0]", "1151003 CosObj at '/Resources' has type 'Dict' expecting Array"},
        {"[0]", "1151003 CosObj at '/' has type 'Dict' expecting Array"},
        {"/Kids[1]/X", "1151003 CosObj at '/Kids' has type 'Integer' expecting Dict or Stream"},
        {"/A 3", "1151003 Error parsing '/A 3' near '3'"},
        {"/Kids[/A]", "1151003 Error parsing '/Kids[/A]' near '/A'"},
        {"/Kids(x)", "1151003 Error parsing '/Kids(x)' near '(x)'"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Failure([&] { tree.GetPath(c[0]); }), c[1]);
    // Messages keep to 511 characters.
    const std::string longPath = "/A " + std::string(600, '1');
    EXPECT_EQ(Failure([&] { tree.GetPath(longPath.c_str()); }).size(), 8u + 511u);
}

TEST(GLOB_ObjectPath, PutAndRemoveByKeyOrPath) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object tree = doc.ParseObject(Tree);
    tree.PutPath("/Resources/Font", doc.NewName(GLOB_Name("F1"), false));
    EXPECT_TRUE(tree.GetPath("/Resources/Font").AsName() == "F1");
    tree.PutPath("/Kids[3]", doc.NewInteger(9, false));
    EXPECT_EQ(Printed(tree.GetPath("Kids")), "[ -dict- 7 null 9 ]");
    EXPECT_EQ(Failure([&] { tree.PutPath("/Kids[-1]", doc.NewNull()); }),
              "1151003 Array index -1 out of range in '/Kids[-1]'");
    tree.RemovePath("/Kids[0]");
    tree.RemovePath("/Kids[40]");
    EXPECT_EQ(Printed(tree.GetPath("Kids")), "[ 7 null 9 ]");
    tree.RemovePath("/Resources/ColorSpace");
    tree.RemovePath("Title");
    EXPECT_FALSE(tree.KnownPath("/Resources/ColorSpace") || tree.KnownPath("Title"));
}

TEST(GLOB_ObjectPath, TypedReadsAndTheirMessages) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object tree = doc.ParseObject(Tree);
    EXPECT_EQ(tree.IntegerValue("/Kids[1]"), 7);
    EXPECT_DOUBLE_EQ(tree.NumberValue("Count"), 3.0);
    EXPECT_TRUE(tree.NameValue("Type") == "Page" && tree.StringValue("Title") == "t" && tree.BooleanValue("Flag"));
    EXPECT_EQ(tree.IntegerValue("/Resources/Missing", 6), 6);
    EXPECT_TRUE(tree.NameValue("Missing", GLOB_Name("D")) == "D");
    // A Null object answers every default without looking, paths included.
    EXPECT_EQ(doc.NewNull().IntegerValue("/A/B[3]", 4), 4);
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { tree.IntegerValue("Width"); }, "1151006 Expecting Width to be a Integer, found a Real"},
        {[&] { tree.IntegerValue("Missing"); }, "1151007 Unable to find Missing"},
        {[&] { tree.IntegerValue("/Resources/Missing"); }, "1151007 Unable to find /Resources/Missing"},
        {[&] { tree.IntegerValue("Nothing", 0); }, "1151006 Expecting Nothing to be an integer, found a Null"},
        {[&] { tree.BooleanValue("Count"); }, "1151006 Expecting Count to be a boolean, found a Integer"},
        {[&] { tree.BooleanValue("Count", true); }, "1151006 Expecting Count to be a boolean, found a Integer"},
        {[&] { tree.NameValue("Title"); }, "1151006 Expecting Title to be a Name, found a String"},
        {[&] { tree.NameValue("Title", GLOB_Name()); }, "1151006 Expecting Title to be a name, found a String"},
        {[&] { tree.NumberValue("Type"); }, "1151006 Expecting Type to be a Number, found a Name"},
        {[&] { tree.NumberValue("Type", 0.0); }, "1151006 Expecting Type to be a real, found a Name"},
        {[&] { tree.StringValue("Kids"); }, "1151006 Expecting Kids to be a String, found a Array"},
        {[&] { tree.StringValue("/Resources", GLOB_String()); },
         "1151006 Expecting /Resources to be a string, found a Dict"},
    };
    for (const auto& [call, failure] : cases)
        EXPECT_EQ(Failure(call), failure);
}

TEST(GLOB_ObjectPath, TypeAndSubtypeTests) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object image = doc.ParseObject("<< /Type /XObject /Subtype /Image >>");
    EXPECT_TRUE(image.HasType("XObject", "Image") && image.HasType("XObject") && image.HasSubtype("Image"));
    EXPECT_FALSE(image.HasType("XObject", "Form") || doc.ParseObject("<< /Type /XObject >>").HasSubtype("Image"));
    EXPECT_FALSE(doc.ParseObject("<< /Type /Font /Subtype (Type1) >>").HasType("Font", "Type1"));  // not a name
    EXPECT_FALSE(doc.ParseObject("[ /Type /XObject ]").HasType("XObject"));
}

TEST(GLOB_ObjectPath, PrintedForms) {
    const GLOB_Doc doc = NewMemoryDoc();
    const std::pair<GLOB_Object, std::string> cases[] = {
        {doc.NewBoolean(false, true), "false"}, {doc.NewReal(3.14159265, false), "3.14159"},
        {doc.NewName(GLOB_Name("A B#"), false), "/A#20B#23"}, {doc.NewArray(0, false), "[ ]"},
        {doc.NewString(GLOB_String("a)b\0", 4), false), std::string("(a)b\0)", 6)}, {doc.NewMark(), "{mark}"},
        {doc.ParseObject("[[-1 [/x null]] << /A 1 >> () true]"), "[ [ -1 [ /x null ] ] -dict- () true ]"},
        {StoreStream(doc, "s"), "-stream-"},
    };
    for (const auto& [obj, text] : cases)
        EXPECT_EQ(Printed(obj), text);
    // An array inside itself, or past the budget of one Print, is not
    // expanded.
    const GLOB_Object self = doc.NewArray(2, false);
    self.ArrayPut(0, self);
    EXPECT_EQ(Printed(self), "[ [ ... ] null ]");
    self.ArrayPut(0, GLOB_Object());
    const std::string doubled = Printed(Doubling(doc, 20));
    EXPECT_LT(doubled.size(), 1000000u);
    EXPECT_NE(doubled.find("[ ... ]"), std::string::npos);
}

TEST(GLOB_ObjectPath, DeepEquality) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Doc other = NewMemoryDoc();
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"1", "1.0000005", true}, {"1", "1.00001", false}, {"<< /A 1 /B (x) >>", "<< /B (x) /A 1.0 >>", true},
        {"<< /A null >>", "<< /A null >>", true}, {"<< /A null >>", "<< /B null >>", false}, {"/N", "(N)", false},
        {"[1 2]", "[1 2 3]", false}, {"[[1 [2 <</K [3]>>]]]", "[[1 [2 <</K [3.0]>>]]]", true},
        {"[[1 [2 <</K [3]>>]]]", "[[1 [2 <</K [4]>>]]]", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        const GLOB_Object a = doc.ParseObject(c.a);
        const GLOB_Object b = other.ParseObject(c.b);
        EXPECT_EQ(a.IsDeepEqual(b), c.equal);
        EXPECT_EQ(b.IsDeepEqual(a), c.equal);
    }
    // A dictionary with a Null entry equals a copy of itself in another core.
    const GLOB_Object withNull = doc.ParseObject("<< /A null /B 1 >>");
    GLOB_Dict copy = withNull.AsDict();
    copy.Remove("Z");
    EXPECT_TRUE(withNull.AsDict().IsDeepEqual(copy));
    EXPECT_TRUE(withNull.IsDeepEqual(other.Copy(withNull, false)));
}

TEST(GLOB_ObjectPath, DeepEqualityOfStreamsCyclesAndDeepNesting) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Doc other = NewMemoryDoc();
    const char* const data[][2] = {{"abc", "abcd"}, {"abcd", "abc"}, {"abd", "abc"}, {"", ""}};
    for (const auto& d : data) {
        SCOPED_TRACE(d[0]);
        EXPECT_EQ(StoreStream(doc, d[0]).IsDeepEqual(StoreStream(other, d[1])), std::string(d[0]) == d[1]);
    }
    // Two arrays that hold themselves, in two documents.
    const GLOB_Object a = doc.ParseObject("[null 1]");
    a.ArrayPut(0, a);
    const GLOB_Object b = other.ParseObject("[null 1]");
    b.ArrayPut(0, b);
    EXPECT_TRUE(a.IsDeepEqual(b));
    b.ArrayPut(1, other.NewInteger(2, false));
    EXPECT_FALSE(a.IsDeepEqual(b));
    a.ArrayPut(0, GLOB_Object());
    b.ArrayPut(0, GLOB_Object());
}
