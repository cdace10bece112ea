#include "GLOB/GLOB_Memory_Impl.h"

#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"
#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

GLOB_Doc NewMemoryDoc() {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%PDF-1.3", 0);
    return doc;
}

}  // namespace

TEST(GLOB_Memory_Impl, NumbersIndirectObjectsFromTwoAfterCatalogAndInfo) {
    const GLOB_Doc doc = NewMemoryDoc();
    GLOB_Impl* impl = doc.Impl();
    EXPECT_EQ(doc.ImplementationType(), 4);
    EXPECT_EQ(impl->ObjectNumber(doc.Root()), 2);
    EXPECT_EQ(impl->GenerationNumber(doc.Root()), 0);
    EXPECT_EQ(impl->ObjectNumber(doc.InfoDict()), 3);
    EXPECT_EQ(impl->ObjectNumber(doc.NewDict(0, true)), 4);
    EXPECT_EQ(impl->ObjectNumber(doc.NewInteger(7, true)), 5);
    EXPECT_EQ(impl->ObjectNumber(doc.NewDict(0, false)), -1);
    EXPECT_EQ(impl->GenerationNumber(doc.NewDict(0, false)), -1);
}

TEST(GLOB_Memory_Impl, CreateSetsTheFlagsAndTheFirstLineOfTheHeader) {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    EXPECT_FALSE(doc.IsOpen());
    doc.Create("%PDF-1.4\r\n%more", 2);
    EXPECT_STREQ(doc.Header(), "%PDF-1.4");
    EXPECT_FALSE(doc.DocFlag1());
    EXPECT_TRUE(doc.DocFlag2());
    doc.Create("%PDF-1.3", 0);
    EXPECT_TRUE(doc.DocFlag1());
    doc.Close();
    // The catalog is still there, but a closed document does not hand it out.
    EXPECT_THROW(doc.Root(), TestAssertionFailure);
}

TEST(GLOB_Memory_Impl, HandlesOfBlockObjectsShareTheValueAndScalarsAreCopies) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object dict = doc.NewDict(0, false);
    const GLOB_Object alias = dict;
    alias.DictPut(GLOB_Name("K"), doc.NewInteger(1, false));
    EXPECT_TRUE(dict.Known(GLOB_Name("K")));
    // A snapshot does not follow later changes.
    const GLOB_Dict snapshot = dict.AsDict();
    dict.DictPut(GLOB_Name("L"), doc.NewNull());
    EXPECT_EQ(snapshot.Size(), 1u);
    EXPECT_EQ(dict.AsDict().Size(), 2u);

    for (const bool indirect : {false, true}) {
        SCOPED_TRACE(indirect);
        EXPECT_EQ(doc.NewInteger(-123456, indirect).AsInteger(), -123456);
        EXPECT_FALSE(doc.NewBoolean(false, indirect).AsBoolean());
        EXPECT_TRUE(doc.NewBoolean(true, indirect).AsBoolean());
        EXPECT_DOUBLE_EQ(doc.NewReal(-2.25, indirect).AsReal(), -2.25);
        EXPECT_DOUBLE_EQ(doc.NewInteger(7, indirect).AsReal(), 7.0);
        EXPECT_TRUE(doc.NewString(GLOB_String("a\0b", 3), indirect).AsString() == GLOB_String("a\0b", 3));
    }
}

TEST(GLOB_Memory_Impl, ReadsOfAnotherKindThrowInsteadOfReinterpreting) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object name = doc.NewName(GLOB_Name("N"), false);
    const GLOB_Object integer = doc.NewInteger(3, true);
    struct Case {
        std::function<void()> call;
        const char* message;
    };
    const Case cases[] = {
        {[&] { name.AsInteger(); }, "Expecting Integer, found a Name"},
        {[&] { name.AsBoolean(); }, "Expecting Boolean, found a Name"},
        {[&] { name.AsReal(); }, "Unexpected non-numeric type: 4"},
        {[&] { integer.AsName(); }, "Expecting Name, found a Integer"},
        {[&] { integer.AsString(); }, "Expecting String, found a Integer"},
        {[&] { integer.AsArray(); }, "Unexpected object type: 2"},
        {[&] { name.AsDict(); }, "Unexpected object type: 4"},
        {[&] { integer.DictGet(GLOB_Name("K")); }, "Unexpected object type: 2"},
        {[&] { name.Get(0); }, "Unexpected object type: 4"},
        {[&] { doc.NewNull().Known(GLOB_Name("K")); }, "Unexpected object type: 0"},
        {[&] { name.StreamDict(); }, "Unexpected object type: 4"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        try {
            cases[i].call();
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), 1151006u);
            EXPECT_STREQ(e.What(), cases[i].message);
        }
    }
    EXPECT_THROW(doc.NewArray(2, false).Get(2), GLIB_Exception);
    // The stream slots refuse an object of another kind.
    EXPECT_THROW(doc.Impl()->StreamLength(name), GLIB_Exception);
    EXPECT_THROW(doc.Impl()->OpenStream(name, 2), GLIB_Exception);
}

TEST(GLOB_Memory_Impl, DictionaryEnumerationSortedUnlessAskedNotTo) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object dict = doc.ParseObject("<< /B 2 /A 1 /C 3 >>");
    std::vector<GLOB_Name> keys{GLOB_Name("stale")};
    std::vector<GLOB_Impl::Entry> entries;
    std::vector<GLOB_Object> values;
    for (const bool unsorted : {false, true}) {
        doc.Impl()->DictKeys(dict, keys, unsorted);
        doc.Impl()->DictEntries(dict, entries, unsorted);
        std::string text;
        for (size_t i = 0; i < keys.size(); ++i)
            text += std::string(keys[i].CStr()) + entries[i].first.CStr() + std::to_string(entries[i].second.AsInteger());
        EXPECT_EQ(text, unsorted ? "BB2AA1CC3" : "AA1BB2CC3");
    }
    doc.Impl()->DictValues(dict, values);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].AsInteger(), 2);
}

TEST(GLOB_Memory_Impl, IsEqualRules) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object indirect = doc.NewInteger(5, true);
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
        {indirect, doc.NewInteger(5, false), false},
        {indirect, GLOB_Object(indirect), true},
        {indirect, doc.NewInteger(5, true), false},
        {doc.NewName(GLOB_Name(), false), doc.NewName(GLOB_Name(""), false), false},
        {doc.NewString(GLOB_String("ab"), false), doc.NewString(GLOB_String("ab"), false), true},
        {dict, GLOB_Object(dict), true},
        {dict, doc.NewDict(0, false), false},
        // Objects of another kind of back-end go by the default rule.
        {doc.NewInteger(3, false), GLOB_ObjectFactory::NewInteger(3), true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(doc.Impl()->IsEqual(cases[i].a, cases[i].b), cases[i].equal);
    }
}

TEST(GLOB_Memory_Impl, TheBackEndOutlivesItsDocumentWhileObjectsAreHeld) {
    GLOB_Object kept;
    {
        GLOB_Doc doc = NewMemoryDoc();
        kept = doc.NewArray(1, true);
        kept.ArrayPut(0, doc.NewName(GLOB_Name("Survivor"), false));
        const GLOB_Object spare = doc.NewName(GLOB_Name("Dropped"), false);
        EXPECT_EQ(doc.Impl()->RefCount(), 4u);  // doc, kept, its element, spare
    }
    EXPECT_EQ(kept.GetImpl()->RefCount(), 2u);
    EXPECT_TRUE(kept.Get(0).AsName() == "Survivor");
    EXPECT_TRUE(kept.Doc().Root().IsDict());
}

// The catalog holds /Pages << /Kids [ 4 0 R ] >>; object 4 refers back to the
// catalog, holds a stream spilled to a temporary file (whose dictionary
// refers to object 4 again) and an Integer of another document. Whatever is
// kept from outside reads on after the document goes; the last of it frees
// the whole cycle, file included.
TEST(GLOB_Memory_Impl, ObjectsReferringToEachOtherGoWithTheLastHandleOutside) {
    const std::string data(100, 'x');
    struct CopyBufferScope {
        uint32_t m_old = GLOB_Memory_Impl::CopyBufferSize();
        ~CopyBufferScope() { GLOB_Memory_Impl::SetCopyBufferSize(m_old); }
    } copyBuffer;
    GLOB_Memory_Impl::SetCopyBufferSize(16);
    const GLOB_Doc other = NewMemoryDoc();
    const GLOB_Object foreign = other.NewInteger(9, true);
    for (int kept = 0; kept < 4; ++kept) {  // nothing, object 4, a catalog snapshot, an open stream
        SCOPED_TRACE(kept);
        const TmpDirScope tmp;
        GLOB_Object object(nullptr, GLOB_Object::Handle{});
        GLOB_Dict snapshot;
        GLOB_Stream reader;
        {
            const GLOB_Doc doc = NewMemoryDoc();
            const GLOB_Object kid = doc.NewDict(0, true);
            const GLOB_Object attr = doc.NewDict(0, false);
            attr.DictPut(GLOB_Name("P"), kid);
            kid.DictPut(GLOB_Name("Parent"), doc.Root());
            kid.DictPut(GLOB_Name("Contents"), doc.NewStream(GLOB_Stream(new GLOB_StringStream(data)), 1, attr,
                                                             GLOB_Object(), -1));
            doc.Impl()->DictPut(kid, GLOB_Name("Other"), foreign);
            const GLOB_Object kids = doc.NewArray(1, false);
            kids.ArrayPut(0, kid);
            doc.Root().DictPut(GLOB_Name("Pages"), doc.ParseObject("<< >>"));
            doc.Root().DictGet(GLOB_Name("Pages")).DictPut(GLOB_Name("Kids"), kids);
            ASSERT_EQ(tmp.Dir().List().size(), 1u);
            if (kept == 1)
                object = kid;
            if (kept == 2)
                snapshot = doc.Root().AsDict();
            if (kept == 3)
                reader = kid.DictGet(GLOB_Name("Contents")).OpenStream(0);
        }
        EXPECT_EQ(tmp.Dir().List().size(), kept == 0 ? 0u : 1u);
        // other and foreign, and object 4's entry while the document lives;
        // an open stream holds only the stored bytes.
        EXPECT_EQ(other.Impl()->RefCount(), kept == 1 || kept == 2 ? 3u : 2u);
        if (kept == 1) {
            EXPECT_EQ(object.GetImpl()->RefCount(), object.GetImpl()->SelfHeldCount() + 1);
            EXPECT_TRUE(object.IsDeepEqual(object.GetPath("/Parent/Pages/Kids[0]/Contents/P")));
            EXPECT_EQ(object.IntegerValue("/Other"), 9);
        }
        if (kept == 2) {
            EXPECT_TRUE(snapshot.Get("Pages").GetPath("/Kids[0]/Parent/Pages").IsDict());
        }
        if (kept == 3) {
            std::string read;
            for (FILT_FilterBuffer* buffer = reader.Read(); buffer->DataAvailable() > 0; buffer = reader.Read()) {
                read.append(reinterpret_cast<const char*>(buffer->GetPtr()), buffer->DataAvailable());
                buffer->AdvanceGetPtr(buffer->DataAvailable());
            }
            EXPECT_EQ(read, data);
        }
        object = GLOB_Object(nullptr, GLOB_Object::Handle{});
        snapshot = GLOB_Dict();
        reader = GLOB_Stream();
        EXPECT_TRUE(tmp.Dir().List().empty());
        EXPECT_EQ(other.Impl()->RefCount(), 2u);
    }
}
