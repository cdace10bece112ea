#include "GLOB/GLOB_Impl.h"

#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "TestBackEnd.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

GLOB_Doc NewDoc(bool memory) {
    GLOB_Doc doc = memory ? GLOB_Memory_Impl::Make() : TestBackEnd::Make();
    doc.Create("%PDF-1.3", 0);
    return doc;
}

bool Same(const GLOB_Object& a, const GLOB_Object& b) {
    return a.GetImpl() == b.GetImpl() && a.GetImpl()->IsEqual(a, b);
}

std::string ReadAll(GLOB_Stream stream) {
    std::string data;
    for (FILT_FilterBuffer* buf = stream.Read(); buf->DataAvailable() > 0 || !buf->IsEOD(); buf = stream.Read()) {
        data.append(reinterpret_cast<const char*>(buf->GetPtr()), buf->DataAvailable());
        buf->AdvanceGetPtr(buf->DataAvailable());
    }
    return data;
}

}  // namespace

TEST(GLOB_Impl, CopyWithinOneBackEndHonoursForce) {
    const GLOB_Doc doc = NewDoc(true);
    const GLOB_Object direct = doc.ParseObject("<< /K 1 >>");
    EXPECT_FALSE(Same(doc.Copy(direct, false), direct));
    const GLOB_Object made = doc.NewDict(0, true);
    EXPECT_TRUE(Same(doc.Copy(made, false), made));
    const GLOB_Object forced = doc.Copy(made, true);
    EXPECT_FALSE(Same(forced, made));
    EXPECT_FALSE(forced.IsDirect());
}

TEST(GLOB_Impl, CopyKeepsSharedIndirectObjectsSharedAndCopiesDirectOnesEachTime) {
    const GLOB_Doc from = NewDoc(true);
    const GLOB_Object shared = from.NewDict(0, true);
    shared.DictPut(GLOB_Name("Name"), from.NewName(GLOB_Name("Shared"), false));
    const GLOB_Object direct = from.NewDict(0, false);
    const GLOB_Object top = from.NewArray(4, false);
    top.ArrayPut(0, shared);
    top.ArrayPut(1, shared);
    top.ArrayPut(2, direct);
    top.ArrayPut(3, direct);
    for (const bool memory : {true, false}) {
        SCOPED_TRACE(memory);
        const GLOB_Doc to = NewDoc(memory);
        const GLOB_Object copy = to.Copy(top, false);
        ASSERT_EQ(copy.GetImpl(), to.Impl());
        EXPECT_TRUE(Same(copy.Get(0), copy.Get(1)));
        EXPECT_FALSE(copy.Get(0).IsDirect());
        EXPECT_TRUE(copy.GetPath("[1]/Name").AsName() == "Shared");
        EXPECT_FALSE(Same(copy.Get(2), copy.Get(3)));
        EXPECT_TRUE(copy.IsDeepEqual(top));
    }
}

TEST(GLOB_Impl, CopyOfCyclesEndsAtTheCopyUnderWay) {
    const GLOB_Doc from = NewDoc(true);
    // Through an indirect reference, and through a direct one (which only
    // the memory back-end can hold).
    for (const bool indirect : {true, false}) {
        SCOPED_TRACE(indirect);
        const GLOB_Object array = from.NewArray(2, indirect);
        array.ArrayPut(0, array);
        array.ArrayPut(1, from.NewInteger(5, false));
        const GLOB_Object copy = NewDoc(true).Copy(array, false);
        EXPECT_TRUE(Same(copy.Get(0), copy));
        EXPECT_EQ(copy.Get(1).AsInteger(), 5);
        EXPECT_TRUE(copy.IsDeepEqual(array));
        // Counted cycles are broken by hand.
        copy.ArrayPut(0, GLOB_Object());
        array.ArrayPut(0, GLOB_Object());
    }
    const GLOB_Object dict = from.NewDict(0, true);
    const GLOB_Object kids = from.NewArray(1, false);
    kids.ArrayPut(0, dict);
    dict.DictPut(GLOB_Name("Kids"), kids);
    const GLOB_Object copy = NewDoc(false).Copy(dict, false);
    EXPECT_TRUE(Same(copy.GetPath("/Kids[0]"), copy));
    kids.ArrayPut(0, GLOB_Object());
}

TEST(GLOB_Impl, CopyOfAStreamTakesItsStoredBytesAndANewLength) {
    const GLOB_Doc from = NewDoc(false);
    const GLOB_Object stream =
        TestBackEnd::NewStream(from, std::string("x\0y", 3), from.ParseObject("<< /Filter /FlateDecode /Length 99 >>"));
    const int opened = TestBackEnd::Of(from)->m_opened;
    const GLOB_Object copy = NewDoc(false).Copy(stream, false);
    EXPECT_EQ(TestBackEnd::Of(from)->m_opened, opened + 1);
    EXPECT_EQ(ReadAll(copy.OpenStream(0)), std::string("x\0y", 3));
    EXPECT_EQ(copy.IntegerValue("Length"), 3);
    EXPECT_TRUE(copy.NameValue("Filter") == "FlateDecode");
    EXPECT_TRUE(copy.StreamDict().IsDirect());
}

TEST(GLOB_Impl, CopyOfCyclesThroughAStreamsOwnDictionaryEnds) {
    const GLOB_Doc from = NewDoc(false);
    // /Self, /Kids [self], and /Other: a second stream whose /Back is the first.
    const GLOB_Object stream = TestBackEnd::NewStream(from, "abc");
    stream.DictPut(GLOB_Name("Self"), stream);
    const GLOB_Object kids = from.NewArray(1, false);
    kids.ArrayPut(0, stream);
    stream.DictPut(GLOB_Name("Kids"), kids);
    const GLOB_Object other = TestBackEnd::NewStream(from, "de");
    other.DictPut(GLOB_Name("Back"), stream);
    stream.DictPut(GLOB_Name("Other"), other);

    const GLOB_Object copy = NewDoc(false).Copy(stream, false);
    EXPECT_TRUE(Same(copy.GetPath("Self"), copy));
    EXPECT_TRUE(Same(copy.GetPath("/Kids[0]"), copy));
    EXPECT_TRUE(Same(copy.GetPath("/Other/Back"), copy));
    EXPECT_EQ(ReadAll(copy.GetPath("Other").OpenStream(0)), "de");
    EXPECT_EQ(copy.IntegerValue("/Other/Length"), 2);
}

TEST(GLOB_Impl, CopyRefusesNestingBeyondTheLimit) {
    const GLOB_Doc from = NewDoc(true);
    GLOB_Object deep = from.NewInteger(1, false);
    for (int i = 0; i < GLOB_Object::MaxNesting; ++i) {
        const GLOB_Object outer = from.NewArray(1, false);
        outer.ArrayPut(0, deep);
        deep = outer;
    }
    const GLOB_Doc to = NewDoc(true);
    EXPECT_TRUE(to.Copy(deep, false).IsDeepEqual(deep));
    const GLOB_Object deeper = from.NewArray(1, false);
    deeper.ArrayPut(0, deep);
    try {
        to.Copy(deeper, false);
        ADD_FAILURE() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 1151004u);
    }
}

TEST(GLOB_Impl, DefaultIsEqual) {
    const GLOB_Doc doc = NewDoc(false);
    const GLOB_Object indirect = doc.NewInteger(3, true);
    const GLOB_Object dict = doc.NewDict(0, false);
    struct Case {
        GLOB_Object a;
        GLOB_Object b;
        bool equal;
    };
    const Case cases[] = {
        {doc.NewReal(1.0000005, false), doc.NewReal(1.0, false), true},
        {doc.NewReal(1.0, false), doc.NewReal(1.00001, false), false},
        {doc.NewInteger(3, false), doc.NewReal(3.0, false), true},
        {indirect, doc.NewInteger(3, false), false},
        {indirect, GLOB_Object(indirect), true},
        {indirect, doc.NewInteger(3, true), false},
        {dict, GLOB_Object(dict), true},
        {dict, doc.NewDict(0, false), false},
        {doc.NewName(GLOB_Name("A"), false), doc.NewName(GLOB_Name("A"), false), true},
        {doc.NewString(GLOB_String("A"), false), doc.NewString(GLOB_String("B"), false), false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(doc.Impl()->IsEqual(cases[i].a, cases[i].b), cases[i].equal);
    }
}

TEST(GLOB_Impl, HeaderLines) {
    struct Case {
        const char* text;
        bool header;
        const char* stored;
    };
    const Case cases[] = {
        {"%PDF-1.3", true, "%PDF-1.3"},
        {"%PDF-1.3\r\n%second-line", true, "%PDF-1.3"},
        {"%PDF-1.3\nsecond", true, "%PDF-1.3"},
        {"%!PS-Adobe-3.0", false, "%!PS-Adobe-3.0"},
        {"%PDF\r-1.3", false, "%PDF"},
        {"PDF-1.3", false, "PDF-1.3"},
        {"", false, ""},
    };
    const GLOB_Doc doc = NewDoc(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GLOB_Doc::IsHeader(c.text), c.header);
        doc.Impl()->SetHeader(c.text);
        EXPECT_STREQ(doc.Header(), c.stored);
    }
}
