#include "GLOB/GLOB_Memory_Impl.h"

#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_StringStream.h"
#include "GLOB_TestUtil.h"
#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>

TEST(GLOB_Memory_Impl, NumbersIndirectObjectsFromTwoAfterCatalogAndInfo) {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    EXPECT_FALSE(doc.IsOpen());
    doc.Create("%PDF-1.4", 2);
    EXPECT_TRUE(!doc.DocFlag1() && doc.DocFlag2());  // flag 2 clears the first
    GLOB_Impl* impl = doc.Impl();
    EXPECT_EQ(doc.ImplementationType(), 4);
    EXPECT_EQ(impl->ObjectNumber(doc.Root()), 2);
    EXPECT_EQ(impl->GenerationNumber(doc.Root()), 0);
    EXPECT_EQ(impl->ObjectNumber(doc.InfoDict()), 3);
    EXPECT_EQ(impl->ObjectNumber(doc.NewDict(0, true)), 4);
    EXPECT_EQ(impl->ObjectNumber(doc.NewInteger(7, true)), 5);
    EXPECT_EQ(impl->ObjectNumber(doc.NewDict(0, false)), -1);
    EXPECT_EQ(impl->GenerationNumber(doc.NewDict(0, false)), -1);
    doc.Close();
    EXPECT_THROW(doc.Root(), TestAssertionFailure);  // a closed document hands out nothing
}

TEST(GLOB_Memory_Impl, ReadsOfAnotherKindThrowInsteadOfReinterpreting) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object name = doc.NewName(GLOB_Name("N"), false);
    const GLOB_Object integer = doc.NewInteger(3, true);
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { name.AsInteger(); }, "Expecting Integer, found a Name"},
        {[&] { name.AsBoolean(); }, "Expecting Boolean, found a Name"},
        {[&] { name.AsReal(); }, "Unexpected non-numeric type: 4"},
        {[&] { integer.AsName(); }, "Expecting Name, found a Integer"},
        {[&] { integer.AsString(); }, "Expecting String, found a Integer"},
        {[&] { integer.AsArray(); }, "Unexpected object type: 2"},
        {[&] { integer.DictGet(GLOB_Name("K")); }, "Unexpected object type: 2"},
        {[&] { name.Get(0); }, "Unexpected object type: 4"},
        {[&] { doc.NewNull().Known(GLOB_Name("K")); }, "Unexpected object type: 0"},
        {[&] { name.StreamDict(); }, "Unexpected object type: 4"},
    };
    for (const auto& [call, message] : cases)
        EXPECT_EQ(Failure(call), "1151006 " + message);
    EXPECT_THROW(doc.NewArray(2, false).Get(2), GLIB_Exception);
    EXPECT_THROW(doc.Impl()->StreamLength(name), GLIB_Exception);
    EXPECT_THROW(doc.Impl()->OpenStream(name, 2), GLIB_Exception);
}

// Handles of a dictionary share it (a snapshot does not follow); its entries
// are enumerated sorted unless asked not to.
TEST(GLOB_Memory_Impl, DictionariesAreSharedAndEnumeratedSorted) {
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object dict = doc.ParseObject("<< /B 2 /A 1 >>");
    const GLOB_Object alias = dict;
    const GLOB_Dict snapshot = dict.AsDict();
    alias.DictPut(GLOB_Name("C"), doc.NewInteger(3, false));
    EXPECT_EQ(snapshot.Size(), 2u);
    std::vector<GLOB_Name> keys{GLOB_Name("stale")};
    std::vector<GLOB_Impl::Entry> entries;
    std::vector<GLOB_Object> values;
    for (const bool unsorted : {false, true}) {
        doc.Impl()->DictKeys(dict, keys, unsorted);
        doc.Impl()->DictEntries(dict, entries, unsorted);
        std::string text;
        for (size_t i = 0; i < keys.size(); ++i)
            text += keys[i].CStr() + std::string(entries[i].first.CStr()) + Printed(entries[i].second);
        EXPECT_EQ(text, unsorted ? "BB2AA1CC3" : "AA1BB2CC3");
    }
    doc.Impl()->DictValues(dict, values);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].AsInteger(), 2);
}

// The catalog holds /Pages << /Kids [ 4 0 R ] >>; object 4 refers back to the
// catalog, holds a stream spilled to a temporary file (whose dictionary
// refers to object 4 again) and an Integer of another document. Whatever is
// kept from outside reads on after the document goes; the last of it frees
// the whole cycle, file included.
TEST(GLOB_Memory_Impl, ObjectsReferringToEachOtherGoWithTheLastHandleOutside) {
    const std::string data(100, 'x');
    const CopyBufferScope copyBuffer(16);
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
            EXPECT_EQ(ReadAll(reader), data);
        }
        object = GLOB_Object(nullptr, GLOB_Object::Handle{});
        snapshot = GLOB_Dict();
        reader = GLOB_Stream();
        EXPECT_TRUE(tmp.Dir().List().empty());
        EXPECT_EQ(other.Impl()->RefCount(), 2u);
    }
}
