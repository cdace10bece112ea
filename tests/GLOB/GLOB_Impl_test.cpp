#include "GLOB/GLOB_Impl.h"

#include "GLOB_TestUtil.h"

#include <gtest/gtest.h>

namespace {

bool Same(const GLOB_Object& a, const GLOB_Object& b) {
    return a.GetImpl() == b.GetImpl() && a.GetImpl()->IsEqual(a, b);
}

}  // namespace

TEST(GLOB_Impl, CopyHonoursForceAndKeepsTheShapeOfSharedObjects) {
    const GLOB_Doc from = NewMemoryDoc();
    const GLOB_Object direct = from.ParseObject("<< /K 1 >>");
    EXPECT_FALSE(Same(from.Copy(direct, false), direct));
    const GLOB_Object shared = from.NewDict(0, true);
    EXPECT_TRUE(Same(from.Copy(shared, false), shared));
    EXPECT_FALSE(Same(from.Copy(shared, true), shared));
    EXPECT_FALSE(from.Copy(shared, true).IsDirect());

    // Two references to one indirect dictionary stay two references to one
    // copy; a direct one is copied at each occurrence.
    shared.DictPut(GLOB_Name("Name"), from.NewName(GLOB_Name("Shared"), false));
    const GLOB_Object top = from.NewArray(4, false);
    top.ArrayPut(0, shared);
    top.ArrayPut(1, shared);
    top.ArrayPut(2, direct);
    top.ArrayPut(3, direct);
    const GLOB_Doc to = NewMemoryDoc();
    const GLOB_Object copy = to.Copy(top, false);
    ASSERT_EQ(copy.GetImpl(), to.Impl());
    EXPECT_TRUE(Same(copy.Get(0), copy.Get(1)));
    EXPECT_FALSE(copy.Get(0).IsDirect());
    EXPECT_TRUE(copy.GetPath("[1]/Name").AsName() == "Shared");
    EXPECT_FALSE(Same(copy.Get(2), copy.Get(3)));
    EXPECT_TRUE(copy.IsDeepEqual(top));
}

TEST(GLOB_Impl, CopyOfCyclesAndDeepNestingEnds) {
    const GLOB_Doc from = NewMemoryDoc();
    // An array inside itself, through an indirect reference and a direct one.
    for (const bool indirect : {true, false}) {
        SCOPED_TRACE(indirect);
        const GLOB_Object array = from.NewArray(2, indirect);
        array.ArrayPut(0, array);
        array.ArrayPut(1, from.NewInteger(5, false));
        const GLOB_Object copy = NewMemoryDoc().Copy(array, false);
        EXPECT_TRUE(Same(copy.Get(0), copy));
        EXPECT_TRUE(copy.IsDeepEqual(array));
        copy.ArrayPut(0, GLOB_Object());  // counted cycles are broken by hand
        array.ArrayPut(0, GLOB_Object());
    }
    // A stream whose own dictionary holds /Self, /Kids [self] and /Other: a
    // second stream whose /Back is the first. The copy takes the stored
    // bytes and a new /Length.
    const GLOB_Object stream = StoreStream(from, "abc", "<< /Filter /ASCIIHexDecode /Length 99 >>", 1);
    stream.DictPut(GLOB_Name("Self"), stream);
    const GLOB_Object kids = from.NewArray(1, false);
    kids.ArrayPut(0, stream);
    stream.DictPut(GLOB_Name("Kids"), kids);
    const GLOB_Object other = StoreStream(from, "de");
    other.DictPut(GLOB_Name("Back"), stream);
    stream.DictPut(GLOB_Name("Other"), other);
    const GLOB_Object copy = NewMemoryDoc().Copy(stream, false);
    EXPECT_TRUE(Same(copy.GetPath("Self"), copy));
    EXPECT_TRUE(Same(copy.GetPath("/Kids[0]"), copy));
    EXPECT_TRUE(Same(copy.GetPath("/Other/Back"), copy));
    EXPECT_EQ(ReadAll(copy.OpenStream(0)), "abc");
    EXPECT_EQ(copy.IntegerValue("Length"), 3);
    EXPECT_TRUE(copy.NameValue("Filter") == "ASCIIHexDecode");
    EXPECT_EQ(ReadAll(copy.GetPath("Other").OpenStream(0)), "de");
    EXPECT_EQ(copy.IntegerValue("/Other/Length"), 2);
}

// The memory back-end's rule and the default one agree.
TEST(GLOB_Impl, IsEqualRules) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object indirect = doc.NewInteger(3, true);
    const GLOB_Object dict = doc.NewDict(0, false);
    const struct {
        GLOB_Object a, b;
        bool equal;
    } cases[] = {
        {doc.NewReal(1.0000005, false), doc.NewReal(1.0, false), true},
        {doc.NewReal(1.0, false), doc.NewReal(1.00001, false), false},
        {doc.NewInteger(3, false), doc.NewReal(3.0, false), true}, {indirect, doc.NewInteger(3, false), false},
        {indirect, GLOB_Object(indirect), true}, {indirect, doc.NewInteger(3, true), false},
        {dict, GLOB_Object(dict), true}, {dict, doc.NewDict(0, false), false},
        {doc.NewName(GLOB_Name(), false), doc.NewName(GLOB_Name(""), false), false},
        {doc.NewName(GLOB_Name("A"), false), doc.NewName(GLOB_Name("A"), false), true},
        {doc.NewString(GLOB_String("A"), false), doc.NewString(GLOB_String("B"), false), false},
        {doc.NewInteger(3, false), GLOB_ObjectFactory::NewInteger(3), true},  // another document
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(doc.Impl()->IsEqual(cases[i].a, cases[i].b), cases[i].equal);
        EXPECT_EQ(doc.Impl()->GLOB_Impl::IsEqual(cases[i].a, cases[i].b), cases[i].equal);
    }
}

TEST(GLOB_Impl, HeaderLines) {
    const struct {
        const char* text;
        bool header;
        const char* stored;
    } cases[] = {{"%PDF-1.3", true, "%PDF-1.3"}, {"%PDF-1.3\r\n%second-line", true, "%PDF-1.3"},
                 {"%PDF-1.3\nsecond", true, "%PDF-1.3"}, {"%!PS-Adobe-3.0", false, "%!PS-Adobe-3.0"},
                 {"%PDF\r-1.3", false, "%PDF"}, {"PDF-1.3", false, "PDF-1.3"}, {"", false, ""}};
    const GLOB_Doc doc = NewMemoryDoc();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GLOB_Doc::IsHeader(c.text), c.header);
        doc.Impl()->SetHeader(c.text);
        EXPECT_STREQ(doc.Header(), c.stored);
    }
}
