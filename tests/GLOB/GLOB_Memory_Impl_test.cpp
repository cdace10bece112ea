#include "GLOB/GLOB_Memory_Impl.h"

#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"
#include "support/TestSupport.h"

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
