#include "GLOB/GLOB_Object.h"

#include "GLIB/GLIB_Observable.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_DocMessage.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "TestBackEnd.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

GLOB_Doc NewMemoryDoc() {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%PDF-1.3", 0);
    return doc;
}

// Counts AddRefObject and ReleaseObject calls.
class CountingBackEnd : public TestBackEnd {
public:
    static GLOB_Doc Make() { return GLOB_Doc(new CountingBackEnd()); }
    void AddRefObject(const GLOB_Object&) override { ++m_added; }
    void ReleaseObject(const GLOB_Object&) override { ++m_released; }
    int m_added = 0;
    int m_released = 0;
};

class Listener : public GLIB_MessageTarget {
public:
    void Heard(const GLOB_DocStreamDidOpenMessage& message) {
        ++m_count;
        m_doc = message.Doc();
        m_object = message.Object();
        m_stream = message.Stream();
    }
    int m_count = 0;
    GLOB_Doc m_doc;
    GLOB_Object m_object;
    GLOB_Stream m_stream;
};

}  // namespace

TEST(GLOB_Object, TypeStringNamesEveryKind) {
    const char* names[] = {"Null", "Boolean", "Integer", "Real", "Name", "String", "Array", "Dict", "Stream", "Mark"};
    for (int32_t i = 0; i < GLOB_Object::NumTypes; ++i)
        EXPECT_STREQ(GLOB_Object::TypeString(i), names[i]);
    EXPECT_THROW(GLOB_Object::TypeString(10), TestAssertionFailure);
    EXPECT_THROW(GLOB_Object::TypeString(-1), TestAssertionFailure);
}

TEST(GLOB_Object, HandlesCountAndAnnounceThemselves) {
    const GLOB_Doc doc = CountingBackEnd::Make();
    auto* impl = static_cast<CountingBackEnd*>(doc.Impl());
    const uint32_t base = impl->RefCount();
    {
        GLOB_Object a = doc.NewInteger(1, false);
        const int added = impl->m_added;
        GLOB_Object& self = a;
        a = self;
        EXPECT_EQ(impl->RefCount(), base + 1);
        EXPECT_EQ(impl->m_added, added);
        GLOB_Object b(a);
        EXPECT_EQ(impl->RefCount(), base + 2);
        EXPECT_EQ(impl->m_added, added + 1);
        b = GLOB_ObjectFactory::NewNull();
        EXPECT_EQ(impl->RefCount(), base + 1);
    }
    EXPECT_EQ(impl->RefCount(), base);
    EXPECT_EQ(impl->m_added, impl->m_released);
    // A handle of nothing copies and dies quietly.
    const GLOB_Object nothing(nullptr, GLOB_Object::Handle{{0, 0, 0}});
    GLOB_Object copy(nothing);
    copy = nothing;
    EXPECT_EQ(copy.GetImpl(), nullptr);
}

TEST(GLOB_Object, DefaultHandleIsNullOfTheMemoryDocument) {
    const GLOB_Object null;
    EXPECT_TRUE(null.IsNull());
    EXPECT_EQ(null.Doc().Impl(), GLOB_ObjectFactory::MemoryDoc().Impl());
    EXPECT_EQ(null.Doc().ImplementationType(), 4);
    EXPECT_TRUE(GLOB_ObjectFactory::NewReal(1.5).IsNumber());
    EXPECT_FALSE(GLOB_ObjectFactory::NewName(GLOB_Name("1")).IsNumber());
    EXPECT_TRUE(TestBackEnd::NewStream(TestBackEnd::Make(), "s").IsContainer());
    EXPECT_FALSE(GLOB_ObjectFactory::MemoryDoc().NewMark().IsContainer());
}

TEST(GLOB_Object, PutsCopyValuesOfOtherDocuments) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Doc other = NewMemoryDoc();
    const GLOB_Object source = other.ParseObject("[1]");
    const GLOB_Object dict = doc.NewDict(0, false);
    dict.DictPut(GLOB_Name("A"), source);
    const GLOB_Object array = doc.NewArray(0, false);
    array.ArrayPut(2, source);
    GLOB_Object path = doc.ParseObject("<< /Resources << >> >>");
    path.PutPath("/Resources/Font", source);
    path.EntryRef("Plain") = source;
    dict.PutArray(GLOB_Name("Arr"), source.AsArray(), true);
    dict.PutDict(GLOB_Name("Sub"), path.AsDict(), false);

    source.ArrayPut(0, other.NewInteger(2, false));
    for (const char* at : {"A", "/Sub/Resources/Font", "/Sub/Plain", "Arr"}) {
        SCOPED_TRACE(at);
        EXPECT_EQ(dict.GetPath(at).GetImpl(), doc.Impl());
        EXPECT_EQ(dict.GetPath(at).Get(0).AsInteger(), 1);
    }
    EXPECT_FALSE(dict.GetPath("Arr").IsDirect());
    EXPECT_EQ(array.Get(2).Get(0).AsInteger(), 1);
    EXPECT_TRUE(array.Get(0).IsNull());
}

TEST(GLOB_Object, ArrayElementReferences) {
    const GLOB_Doc doc = NewMemoryDoc();
    GLOB_Object array = doc.ParseObject("[10 null null]");
    GLOB_ArrayElementRef first(&array, 0);
    GLOB_ArrayElementRef third(&array, 2);
    third = first;
    third = third;
    EXPECT_EQ(array.Get(2).AsInteger(), 10);
    EXPECT_EQ(third.Value().AsInteger(), 10);
}

TEST(GLOB_Object, OpenStreamAnnouncesTheOpeningUntilTheDocumentCloses) {
    const GLOB_Doc doc = TestBackEnd::Make();
    const GLOB_Object stream = TestBackEnd::NewStream(doc, "data");
    EXPECT_FALSE(stream.OpenStream(2).IsNull());

    Listener listener;
    doc.Attach(new GLIB_Callback<Listener, GLOB_DocStreamDidOpenMessage>(&listener, &Listener::Heard));
    const GLOB_Stream opened = stream.OpenStream(2);
    EXPECT_EQ(listener.m_count, 1);
    EXPECT_EQ(listener.m_doc.Impl(), doc.Impl());
    EXPECT_TRUE(doc.Impl()->IsEqual(listener.m_object, stream));
    GLOB_StreamCore* heard = listener.m_stream.Core();
    GLOB_StreamCore* returned = opened.Core();
    EXPECT_EQ(heard, returned);
    heard->Release();
    returned->Release();

    GLOB_Doc(doc).Close();
    stream.OpenStream(2);
    EXPECT_EQ(listener.m_count, 1);
}
