#include "GLOB/GLOB_Object.h"

#include "GLIB/GLIB_Observable.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_DocMessage.h"
#include "GLOB_TestUtil.h"

#include <gtest/gtest.h>

// Made during static initialisation, before main: the factory's memory
// document must exist by then.
static const GLOB_Object s_early = GLOB_ObjectFactory::NewInteger(11);

namespace {

class Listener : public GLIB_MessageTarget {
public:
    void Heard(const GLOB_DocStreamDidOpenMessage& message) { m_heard.push_back(message); }
    std::vector<GLOB_DocStreamDidOpenMessage> m_heard;
};

}  // namespace

TEST(GLOB_ObjectFactory, OneMemoryDocumentForEveryUnit) {
    const GLOB_Doc memory = GLOB_ObjectFactory::MemoryDoc();
    EXPECT_EQ(s_early.AsInteger(), 11);
    EXPECT_EQ(s_early.GetImpl(), memory.Impl());
    EXPECT_EQ(GLOB_Object().Doc().Impl(), memory.Impl());  // the default handle: its Null
    EXPECT_TRUE(GLOB_Object().IsNull());
}

TEST(GLOB_Object, KindPredicatesAndArrayLength) {
    const GLOB_Doc doc = NewMemoryDoc();
    const struct {
        const char* text;
        int32_t kind;
    } cases[] = {
        {"null", GLOB_Object::KindNull},     {"true", GLOB_Object::KindBoolean}, {"7", GLOB_Object::KindInteger},
        {"7.5", GLOB_Object::KindReal},      {"/N", GLOB_Object::KindName},      {"(s)", GLOB_Object::KindString},
        {"[1 2]", GLOB_Object::KindArray},   {"<< >>", GLOB_Object::KindDict},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const GLOB_Object object = doc.ParseObject(c.text);
        EXPECT_EQ(object.IsNull(), c.kind == GLOB_Object::KindNull);
        EXPECT_EQ(object.IsBoolean(), c.kind == GLOB_Object::KindBoolean);
        EXPECT_EQ(object.IsInteger(), c.kind == GLOB_Object::KindInteger);
        EXPECT_EQ(object.IsName(), c.kind == GLOB_Object::KindName);
        EXPECT_EQ(object.IsString(), c.kind == GLOB_Object::KindString);
        EXPECT_EQ(object.IsArray(), c.kind == GLOB_Object::KindArray);
        EXPECT_EQ(object.IsReal(), c.kind == GLOB_Object::KindReal);
        EXPECT_FALSE(object.IsIndirect());
    }
    EXPECT_TRUE(doc.NewReal(1, true).IsIndirect() && doc.NewDict(0, true).IsIndirect());
    EXPECT_EQ(doc.ParseObject("[]").Length(), 0u);
    EXPECT_EQ(doc.ParseObject("[1 [2 3] /x]").Length(), 3u);
    GLOB_Object grown = doc.NewArray(0, true);
    grown.ArrayPut(4, doc.NewInteger(1));
    EXPECT_EQ(grown.Length(), 5u);
    EXPECT_EQ(Failure([&] { doc.ParseObject("<< >>").Length(); }).substr(0, 8), "1151006 ");
}

TEST(GLOB_Object, PutsCopyValuesOfOtherDocuments) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Doc other = NewMemoryDoc();
    const GLOB_Object source = other.ParseObject("[1]");
    const GLOB_Object dict = doc.NewDict(0, false);
    dict.DictPut(GLOB_Name("A"), source);
    GLOB_Object array = doc.NewArray(0, false);
    array.ArrayPut(2, source);
    GLOB_Object path = doc.ParseObject("<< /Resources << >> >>");
    GLOB_Object& alias = path;
    path = alias;  // a handle assigned to itself keeps its object
    path.PutPath("/Resources/Font", source);
    path.EntryRef("Plain") = source;
    dict.PutArray(GLOB_Name("Arr"), source.AsArray(), true);
    dict.PutDict(GLOB_Name("Sub"), path.AsDict(), false);
    dict.DictPut(GLOB_Name("N"), GLOB_ObjectFactory::NewNull());
    source.ArrayPut(0, other.NewInteger(2, false));
    for (const char* at : {"A", "/Sub/Resources/Font", "/Sub/Plain", "Arr"}) {
        EXPECT_EQ(dict.GetPath(at).GetImpl(), doc.Impl()) << at;
        EXPECT_EQ(dict.GetPath(at).Get(0).AsInteger(), 1) << at;
    }
    EXPECT_FALSE(dict.GetPath("Arr").IsDirect());
    EXPECT_EQ(dict.DictGet(GLOB_Name("N")).GetImpl(), doc.Impl());
    // Element references: one assigned to itself changes nothing.
    GLOB_ArrayElementRef third(&array, 2);
    GLOB_ArrayElementRef first(&array, 0);
    first = third;
    first = first;
    EXPECT_EQ(array.Get(0).Get(0).AsInteger(), 1);
    EXPECT_TRUE(array.Get(1).IsNull());
}

TEST(GLOB_Object, OpenStreamAnnouncesTheOpeningUntilTheDocumentCloses) {
    GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object stream = StoreStream(doc, "data");
    Listener listener;
    doc.Attach(new GLIB_Callback<Listener, GLOB_DocStreamDidOpenMessage>(&listener, &Listener::Heard));
    const GLOB_Stream opened = stream.OpenStream(2);
    ASSERT_EQ(listener.m_heard.size(), 1u);
    EXPECT_TRUE(doc.Impl()->IsEqual(listener.m_heard[0].Object(), stream));
    GLOB_StreamCore* heard = listener.m_heard[0].Stream().Core();
    GLOB_StreamCore* returned = opened.Core();
    EXPECT_EQ(heard, returned);
    heard->Release();
    returned->Release();
    doc.Close();
    doc.Create("%PDF-1.3", 0);
    stream.OpenStream(2);
    EXPECT_EQ(listener.m_heard.size(), 1u);
}

TEST(GLOB_Object, EqualityNeedsOneBackEnd) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Doc other = NewMemoryDoc();
    const GLOB_Object mine = doc.NewInteger(7, true);
    const GLOB_Object theirs = other.NewInteger(8, true);
    // Both are object 1 0 of their documents, which the back-end alone cannot tell apart.
    ASSERT_TRUE(doc.Impl()->IsEqual(mine, theirs));
    const GLOB_Object nothing(nullptr, GLOB_Object::Handle{});
    const struct {
        GLOB_Object a, b;
        bool equal;
    } cases[] = {
        {mine, GLOB_Object(mine), true},
        {mine, theirs, false},
        {mine, doc.NewInteger(7, true), false},  // another object of equal value
        {doc.NewInteger(3, false), doc.NewReal(3.0, false), true},
        {doc.NewInteger(3, false), GLOB_ObjectFactory::NewInteger(3), false},
        {nothing, GLOB_Object(nullptr, GLOB_Object::Handle{}), true},
        {nothing, GLOB_ObjectFactory::NewNull(), false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cases[i].a == cases[i].b, cases[i].equal);
        EXPECT_EQ(cases[i].b != cases[i].a, !cases[i].equal);
    }
}
